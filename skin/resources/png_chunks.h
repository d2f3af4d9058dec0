// Facts about a PNG file read from its chunk headers alone (size, colour type,
// the tRNS chunk), without decoding any pixel data. Every length is checked
// against the bytes at hand, so the scanner is safe on untrusted files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/core/classes.h"

// A file that is not a well-formed PNG (bad signature, truncated chunk, lying
// length, CRC mismatch, invalid header values).
class EPngFormatError : public EReadError {
  using EReadError::EReadError;
};

// How a PNG carries transparency.
enum TPngTransparency {
  ptNone,          // fully opaque
  ptSingleColor,   // one grey or RGB value is transparent (tRNS on colour type 0 or 2)
  ptAlphaChannel,  // per-pixel alpha (colour type 4 or 6)
  ptPaletteAlpha   // per-entry alpha of a palette (tRNS on colour type 3)
};

struct TPngChunkInfo {
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint8_t BitDepth = 0;
  uint8_t ColorType = 0;
  uint8_t Interlace = 0;
  uint32_t PaletteEntries = 0;
  bool HasTRNS = false;
  // The tRNS payload when it is valid for the colour type (at most 256 bytes).
  std::vector<uint8_t> TRNS;
};

// CRC-32 of the PNG format (ISO-HDLC polynomial), continuing from Crc.
uint32_t PngCrc32(const uint8_t* Data, size_t Size, uint32_t Crc = 0);

bool HasPngSignature(const uint8_t* Data, size_t Size);

// Walks every chunk from the signature to IEND and returns the header facts.
// Raises EPngFormatError on anything malformed: a missing or misplaced IHDR,
// header values the format does not allow, a chunk length reaching past the
// end of the data, a CRC mismatch, no IDAT, or no IEND. A tRNS chunk that
// does not fit its colour type is ignored, as decoders do.
TPngChunkInfo ScanPngChunks(const uint8_t* Data, size_t Size);

TPngTransparency PngTransparencyOf(const TPngChunkInfo& Info);

// The transparent colour of a ptSingleColor image as an opaque 8-bit TColor32
// value (0xFFRRGGBB), scaled to 8 bits the way decoders do: low depths are
// widened, 16-bit samples keep their high byte.
uint32_t PngTransparentColor(const TPngChunkInfo& Info);

// ---- Writing ------------------------------------------------------------------

// Appends one chunk (length, type, data, CRC) to Png.
void AppendPngChunk(std::vector<uint8_t>& Png, const char* Type, const std::vector<uint8_t>& Data);

// A whole PNG file whose pixel rows (RowBytes each, without filter bytes) are
// stored uncompressed: deflate "stored" blocks in a zlib stream. Enough for
// review sheets and test images, and it needs no compression library. Extra
// chunks (PLTE, tRNS, ...) go between IHDR and IDAT.
std::vector<uint8_t> EncodeStoredPng(uint32_t Width, uint32_t Height, uint8_t BitDepth, uint8_t ColorType,
                                     const std::vector<uint8_t>& Rows, size_t RowBytes,
                                     const std::vector<std::pair<std::string, std::vector<uint8_t>>>& Extra = {});
