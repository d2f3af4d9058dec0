#include "skin/resources/png_chunks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// The format caps chunk lengths and image sides at 2^31 - 1.
constexpr uint32_t kMaxPngValue = 0x7FFFFFFFu;

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

uint32_t BigEndian32(const uint8_t* P) {
  return (uint32_t(P[0]) << 24) | (uint32_t(P[1]) << 16) | (uint32_t(P[2]) << 8) | uint32_t(P[3]);
}

[[noreturn]] void Corrupt(const std::string& Why) { throw EPngFormatError("Invalid PNG file: " + Why); }

bool ValidDepth(uint8_t ColorType, uint8_t Depth) {
  switch (ColorType) {
    case 0: return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8 || Depth == 16;
    case 3: return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8;
    case 2:
    case 4:
    case 6: return Depth == 8 || Depth == 16;
    default: return false;
  }
}

bool IsChunkType(const uint8_t* T, const char* Name) { return std::memcmp(T, Name, 4) == 0; }

}  // namespace

uint32_t PngCrc32(const uint8_t* Data, size_t Size, uint32_t Crc) {
  const auto& table = CrcTable();
  uint32_t c = Crc ^ 0xFFFFFFFFu;
  for (size_t i = 0; i < Size; ++i) c = table[(c ^ Data[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

bool HasPngSignature(const uint8_t* Data, size_t Size) {
  return Data && Size >= sizeof kSignature && std::memcmp(Data, kSignature, sizeof kSignature) == 0;
}

TPngChunkInfo ScanPngChunks(const uint8_t* Data, size_t Size) {
  if (!HasPngSignature(Data, Size)) Corrupt("no PNG signature");
  TPngChunkInfo info;
  size_t pos = sizeof kSignature;
  bool haveHeader = false, haveData = false, haveEnd = false;
  std::vector<uint8_t> trns;
  bool sawTRNS = false;
  while (!haveEnd) {
    // Length, type and CRC take 12 bytes around the payload.
    if (Size - pos < 12) Corrupt("truncated chunk");
    const uint32_t length = BigEndian32(Data + pos);
    const uint8_t* type = Data + pos + 4;
    if (length > kMaxPngValue || length > Size - pos - 12) Corrupt("chunk length beyond the end of the file");
    for (int i = 0; i < 4; ++i) {
      const uint8_t c = type[i];
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) Corrupt("invalid chunk type");
    }
    const uint8_t* payload = type + 4;
    const uint32_t storedCrc = BigEndian32(payload + length);
    if (PngCrc32(type, size_t(length) + 4) != storedCrc) Corrupt("chunk CRC mismatch");

    if (!haveHeader) {
      if (!IsChunkType(type, "IHDR") || length != 13) Corrupt("the first chunk is not a valid IHDR");
      info.Width = BigEndian32(payload);
      info.Height = BigEndian32(payload + 4);
      info.BitDepth = payload[8];
      info.ColorType = payload[9];
      info.Interlace = payload[12];
      if (info.Width == 0 || info.Height == 0 || info.Width > kMaxPngValue || info.Height > kMaxPngValue)
        Corrupt("bad image size");
      if (!ValidDepth(info.ColorType, info.BitDepth)) Corrupt("bad colour type or bit depth");
      if (payload[10] != 0 || payload[11] != 0 || info.Interlace > 1)
        Corrupt("unknown compression, filter or interlace method");
      haveHeader = true;
    } else if (IsChunkType(type, "IHDR")) {
      Corrupt("more than one IHDR");
    } else if (IsChunkType(type, "PLTE")) {
      if (length == 0 || length % 3 != 0 || length / 3 > 256) Corrupt("bad palette length");
      info.PaletteEntries = length / 3;
    } else if (IsChunkType(type, "tRNS")) {
      sawTRNS = true;
      trns.assign(payload, payload + (length <= 256 ? length : 0));
      if (length > 256) trns.clear();
    } else if (IsChunkType(type, "IDAT")) {
      if (info.ColorType == 3 && info.PaletteEntries == 0) Corrupt("palette image without PLTE");
      haveData = true;
    } else if (IsChunkType(type, "IEND")) {
      haveEnd = true;
    }
    pos += size_t(length) + 12;
  }
  if (!haveData) Corrupt("no image data");

  if (sawTRNS) {
    bool fits = false;
    switch (info.ColorType) {
      case 0: fits = trns.size() == 2; break;
      case 2: fits = trns.size() == 6; break;
      case 3: fits = !trns.empty() && trns.size() <= info.PaletteEntries; break;
      default: fits = false;  // not allowed with an alpha channel
    }
    if (fits) {
      info.HasTRNS = true;
      info.TRNS = std::move(trns);
    }
  }
  return info;
}

TPngTransparency PngTransparencyOf(const TPngChunkInfo& Info) {
  if (Info.ColorType == 4 || Info.ColorType == 6) return ptAlphaChannel;
  if (!Info.HasTRNS) return ptNone;
  return Info.ColorType == 3 ? ptPaletteAlpha : ptSingleColor;
}

uint32_t PngTransparentColor(const TPngChunkInfo& Info) {
  auto sample = [&](size_t Index) -> uint32_t {
    const uint32_t v = (uint32_t(Info.TRNS[Index]) << 8) | Info.TRNS[Index + 1];
    if (Info.BitDepth == 16) return v >> 8;
    if (Info.BitDepth == 8) return v & 0xFF;
    const uint32_t max = (1u << Info.BitDepth) - 1;
    return ((v & max) * 255) / max;
  };
  if (Info.ColorType == 0 && Info.TRNS.size() == 2) {
    const uint32_t g = sample(0);
    return 0xFF000000u | (g << 16) | (g << 8) | g;
  }
  if (Info.ColorType == 2 && Info.TRNS.size() == 6)
    return 0xFF000000u | (sample(0) << 16) | (sample(2) << 8) | sample(4);
  return 0;
}

namespace {
void PutBigEndian32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int shift = 24; shift >= 0; shift -= 8) Out.push_back(static_cast<uint8_t>(V >> shift));
}
}  // namespace

void AppendPngChunk(std::vector<uint8_t>& Png, const char* Type, const std::vector<uint8_t>& Data) {
  PutBigEndian32(Png, static_cast<uint32_t>(Data.size()));
  const size_t typeAt = Png.size();
  Png.insert(Png.end(), Type, Type + 4);
  Png.insert(Png.end(), Data.begin(), Data.end());
  PutBigEndian32(Png, PngCrc32(Png.data() + typeAt, Png.size() - typeAt));
}

std::vector<uint8_t> EncodeStoredPng(uint32_t Width, uint32_t Height, uint8_t BitDepth, uint8_t ColorType,
                                     const std::vector<uint8_t>& Rows, size_t RowBytes,
                                     const std::vector<std::pair<std::string, std::vector<uint8_t>>>& Extra) {
  // Scanlines with filter type 0 (none) in front of each row.
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(Height) * (RowBytes + 1));
  for (uint32_t y = 0; y < Height; ++y) {
    raw.push_back(0);
    const auto row = Rows.begin() + static_cast<std::ptrdiff_t>(y * RowBytes);
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(RowBytes));
  }
  // zlib header (deflate, 32K window, no dictionary), stored blocks of at most 65535 bytes, Adler-32.
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(raw.size() - pos, 65535);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.insert(z.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(~n),
                       static_cast<uint8_t>(~n >> 8)});
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian32(z, (b << 16) | a);

  std::vector<uint8_t> png(kSignature, kSignature + 8);
  std::vector<uint8_t> header;
  PutBigEndian32(header, Width);
  PutBigEndian32(header, Height);
  header.insert(header.end(), {BitDepth, ColorType, 0, 0, 0});
  AppendPngChunk(png, "IHDR", header);
  for (const auto& [type, data] : Extra) AppendPngChunk(png, type.c_str(), data);
  AppendPngChunk(png, "IDAT", z);
  AppendPngChunk(png, "IEND", {});
  return png;
}
