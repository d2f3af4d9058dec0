// Writes small PNG files for tests: raw rows wrapped in stored (uncompressed)
// zlib blocks, with correct CRCs and Adler-32, so no compressor is needed.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "skin/resources/png_chunks.h"

namespace pngtest {

using Bytes = std::vector<uint8_t>;

inline void Put32(Bytes& B, uint32_t V) {
  for (int s = 24; s >= 0; s -= 8) B.push_back(uint8_t(V >> s));
}

inline void PutChunk(Bytes& B, const std::string& Type, const Bytes& Data) {
  Put32(B, uint32_t(Data.size()));
  Bytes typed(Type.begin(), Type.end());
  typed.insert(typed.end(), Data.begin(), Data.end());
  B.insert(B.end(), typed.begin(), typed.end());
  Put32(B, PngCrc32(typed.data(), typed.size()));
}

inline Bytes Header(uint32_t W, uint32_t H, uint8_t Depth, uint8_t ColorType) {
  Bytes d;
  Put32(d, W);
  Put32(d, H);
  d.insert(d.end(), {Depth, ColorType, 0, 0, 0});
  return d;
}

// zlib stream of stored blocks holding Raw.
inline Bytes StoredZlib(const Bytes& Raw) {
  Bytes z = {0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(Raw.size() - pos, 65535);
    z.push_back(pos + n == Raw.size() ? 1 : 0);
    z.push_back(uint8_t(n));
    z.push_back(uint8_t(n >> 8));
    z.push_back(uint8_t(~n));
    z.push_back(uint8_t(~n >> 8));
    z.insert(z.end(), Raw.begin() + long(pos), Raw.begin() + long(pos + n));
    pos += n;
  } while (pos < Raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : Raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  Put32(z, (b << 16) | a);
  return z;
}

// A PNG of W x H whose rows (without filter bytes) are Rows, RowBytes each;
// Extra chunks (PLTE, tRNS ...) go between IHDR and IDAT.
inline Bytes MakePng(uint32_t W, uint32_t H, uint8_t Depth, uint8_t ColorType, const Bytes& Rows, size_t RowBytes,
                     const std::vector<std::pair<std::string, Bytes>>& Extra = {}) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  PutChunk(png, "IHDR", Header(W, H, Depth, ColorType));
  for (const auto& [type, data] : Extra) PutChunk(png, type, data);
  Bytes raw;
  for (uint32_t y = 0; y < H; ++y) {
    raw.push_back(0);  // filter: none
    raw.insert(raw.end(), Rows.begin() + long(y * RowBytes), Rows.begin() + long((y + 1) * RowBytes));
  }
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace pngtest
