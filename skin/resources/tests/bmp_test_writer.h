// Small BMP files for tests, laid out byte by byte so that every header kind
// (and every malformed one) can be written.
#pragma once

#include <cstdint>
#include <vector>

namespace bmptest {

using Bytes = std::vector<uint8_t>;

inline void PutLE(Bytes& B, uint32_t Value, int Count) {
  for (int i = 0; i < Count; ++i) B.push_back(uint8_t(Value >> (8 * i)));
}

// The file header, an information header of HeaderBytes (12: the core header
// with 16-bit sizes; otherwise 32-bit sizes, a negative height meaning rows
// top-down) with Masks (red, green, blue, alpha) after its first 40 bytes, the
// colour Table and the Rows as stored, padding included. A 40-byte header
// thus takes its masks after it, a larger one inside it; the pixel offset
// points just past the table.
inline Bytes MakeBmp(uint32_t HeaderBytes, int32_t Width, int32_t Height, uint16_t Bits, const Bytes& Rows,
                     const Bytes& Table = {}, uint32_t Compression = 0, const std::vector<uint32_t>& Masks = {}) {
  Bytes info;
  PutLE(info, HeaderBytes, 4);
  if (HeaderBytes == 12) {
    PutLE(info, uint32_t(Width), 2);
    PutLE(info, uint32_t(Height), 2);
    PutLE(info, 1, 2);
    PutLE(info, Bits, 2);
  } else {
    PutLE(info, uint32_t(Width), 4);
    PutLE(info, uint32_t(Height), 4);
    PutLE(info, 1, 2);
    PutLE(info, Bits, 2);
    PutLE(info, Compression, 4);
    info.resize(40, 0);
    for (uint32_t m : Masks) PutLE(info, m, 4);
  }
  if (info.size() < HeaderBytes) info.resize(HeaderBytes, 0);

  Bytes b = {'B', 'M'};
  const uint32_t offset = uint32_t(14 + info.size() + Table.size());
  PutLE(b, uint32_t(offset + Rows.size()), 4);
  PutLE(b, 0, 4);
  PutLE(b, offset, 4);
  b.insert(b.end(), info.begin(), info.end());
  b.insert(b.end(), Table.begin(), Table.end());
  b.insert(b.end(), Rows.begin(), Rows.end());
  return b;
}

}  // namespace bmptest
