// Small PNG files for tests, written uncompressed by the library's own encoder.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "skin/resources/png_chunks.h"

namespace pngtest {

using Bytes = std::vector<uint8_t>;

inline void PutChunk(Bytes& B, const std::string& Type, const Bytes& Data) { AppendPngChunk(B, Type.c_str(), Data); }

inline Bytes Header(uint32_t W, uint32_t H, uint8_t Depth, uint8_t ColorType) {
  Bytes d;
  for (uint32_t v : {W, H})
    for (int s = 24; s >= 0; s -= 8) d.push_back(uint8_t(v >> s));
  d.insert(d.end(), {Depth, ColorType, 0, 0, 0});
  return d;
}

// A PNG of W x H whose rows (without filter bytes) are Rows, RowBytes each;
// Extra chunks (PLTE, tRNS ...) go between IHDR and IDAT.
inline Bytes MakePng(uint32_t W, uint32_t H, uint8_t Depth, uint8_t ColorType, const Bytes& Rows, size_t RowBytes,
                     const std::vector<std::pair<std::string, Bytes>>& Extra = {}) {
  return EncodeStoredPng(W, H, Depth, ColorType, Rows, RowBytes, Extra);
}

}  // namespace pngtest
