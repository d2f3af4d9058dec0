#include "tools/skingen/png_writer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

uint32_t Crc32(const uint8_t* Data, size_t Size, uint32_t Crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  Crc = ~Crc;
  for (size_t i = 0; i < Size; ++i) Crc = table[(Crc ^ Data[i]) & 0xFF] ^ (Crc >> 8);
  return ~Crc;
}

uint32_t Adler32(const std::vector<uint8_t>& Data) {
  uint32_t a = 1, b = 0;
  for (uint8_t v : Data) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

void PutBE32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int shift = 24; shift >= 0; shift -= 8) Out.push_back(static_cast<uint8_t>(V >> shift));
}

void PutChunk(std::vector<uint8_t>& Out, const char* Type, const std::vector<uint8_t>& Data) {
  PutBE32(Out, static_cast<uint32_t>(Data.size()));
  std::vector<uint8_t> body(Type, Type + 4);
  body.insert(body.end(), Data.begin(), Data.end());
  Out.insert(Out.end(), body.begin(), body.end());
  PutBE32(Out, Crc32(body.data(), body.size()));
}

}  // namespace

void SavePng(const TBitmap32& Bitmap, const std::filesystem::path& FileName) {
  const int w = Bitmap.Width(), h = Bitmap.Height();
  // Raw scanlines: filter byte 0, then R, G, B, A per pixel.
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(h) * (1 + 4 * static_cast<size_t>(w)));
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w; ++x) {
      const TColor32 c = Bitmap.Pixel(x, y);
      raw.insert(raw.end(), {RedOf(c), GreenOf(c), BlueOf(c), AlphaOf(c)});
    }
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    const bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.insert(z.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(~n),
                       static_cast<uint8_t>(~n >> 8)});
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
    if (last) break;
  }
  PutBE32(z, Adler32(raw));

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  PutBE32(ihdr, static_cast<uint32_t>(w));
  PutBE32(ihdr, static_cast<uint32_t>(h));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", {});
  TFileStream file(FileName, TFileMode::fmCreate);
  file.WriteBuffer(png.data(), static_cast<int64_t>(png.size()));
}
