#include <gtest/gtest.h>

#include <cstring>

#include "skin/resources/png_chunks.h"
#include "skin/resources/tests/png_test_writer.h"

using pngtest::Bytes;

namespace {

Bytes Rgb2x1() { return pngtest::MakePng(2, 1, 8, 2, {1, 2, 3, 4, 5, 6}, 6); }

TPngChunkInfo Scan(const Bytes& B) { return ScanPngChunks(B.data(), B.size()); }

}  // namespace

TEST(PngChunks, CrcOfTheStandardCheckString) {
  const char* s = "123456789";
  EXPECT_EQ(PngCrc32(reinterpret_cast<const uint8_t*>(s), 9), 0xCBF43926u);
}

TEST(PngChunks, ReadsHeaderAndTransparencyModes) {
  const TPngChunkInfo plain = Scan(Rgb2x1());
  EXPECT_EQ(plain.Width, 2u);
  EXPECT_EQ(plain.Height, 1u);
  EXPECT_EQ(plain.ColorType, 2);
  EXPECT_EQ(PngTransparencyOf(plain), ptNone);

  const TPngChunkInfo keyed = Scan(pngtest::MakePng(2, 1, 8, 2, {1, 2, 3, 4, 5, 6}, 6, {{"tRNS", {0, 4, 0, 5, 0, 6}}}));
  EXPECT_EQ(PngTransparencyOf(keyed), ptSingleColor);
  EXPECT_EQ(PngTransparentColor(keyed), 0xFF040506u);

  const TPngChunkInfo grey2 = Scan(pngtest::MakePng(4, 1, 2, 0, {0x1B}, 1, {{"tRNS", {0, 2}}}));
  EXPECT_EQ(PngTransparentColor(grey2), 0xFFAAAAAAu);  // 2 of 3 widened to 0xAA

  const TPngChunkInfo rgba = Scan(pngtest::MakePng(1, 1, 8, 6, {1, 2, 3, 4}, 4));
  EXPECT_EQ(PngTransparencyOf(rgba), ptAlphaChannel);
  const TPngChunkInfo greyAlpha = Scan(pngtest::MakePng(1, 1, 8, 4, {1, 2}, 2));
  EXPECT_EQ(PngTransparencyOf(greyAlpha), ptAlphaChannel);

  const TPngChunkInfo palette =
      Scan(pngtest::MakePng(1, 1, 8, 3, {0}, 1, {{"PLTE", {1, 2, 3, 4, 5, 6}}, {"tRNS", {0x80}}}));
  EXPECT_EQ(palette.PaletteEntries, 2u);
  EXPECT_EQ(PngTransparencyOf(palette), ptPaletteAlpha);

  // A tRNS that does not fit its colour type is ignored.
  const TPngChunkInfo badKey = Scan(pngtest::MakePng(2, 1, 8, 2, {1, 2, 3, 4, 5, 6}, 6, {{"tRNS", {0, 4}}}));
  EXPECT_EQ(PngTransparencyOf(badKey), ptNone);
}

TEST(PngChunks, RejectsMalformedHeaders) {
  EXPECT_THROW(Scan({}), EPngFormatError);
  EXPECT_THROW(Scan({'B', 'M', 0, 0}), EPngFormatError);
  EXPECT_THROW(ScanPngChunks(nullptr, 10), EPngFormatError);
  // Header values the format does not allow.
  EXPECT_THROW(Scan(pngtest::MakePng(0, 1, 8, 2, {}, 0)), EPngFormatError);
  EXPECT_THROW(Scan(pngtest::MakePng(1, 1, 3, 2, {0, 0, 0}, 3)), EPngFormatError);
  EXPECT_THROW(Scan(pngtest::MakePng(1, 1, 8, 5, {0, 0, 0}, 3)), EPngFormatError);
  EXPECT_THROW(Scan(pngtest::MakePng(1, 1, 16, 3, {0, 0}, 2, {{"PLTE", {1, 2, 3}}})), EPngFormatError);
  EXPECT_THROW(Scan(pngtest::MakePng(1, 1, 8, 3, {0}, 1)), EPngFormatError);  // palette image without PLTE
  Bytes huge = Rgb2x1();
  huge[16] = 0x80;  // width 2^31 + 2, CRC fixed below
  const uint32_t crc = PngCrc32(huge.data() + 12, 17);
  for (int i = 0; i < 4; ++i) huge[29 + i] = uint8_t(crc >> (24 - 8 * i));
  EXPECT_THROW(Scan(huge), EPngFormatError);
}

TEST(PngChunks, RejectsTruncationsLyingLengthsAndBadCrcs) {
  const Bytes good = Rgb2x1();
  for (size_t n = 0; n < good.size(); ++n)
    EXPECT_THROW(ScanPngChunks(good.data(), n), EPngFormatError) << "truncated at " << n;
  // The IHDR length claims more than the file holds.
  for (uint32_t length : {14u, 0x7FFFFFFFu, 0xFFFFFFFFu, 1000u}) {
    Bytes lying = good;
    for (int i = 0; i < 4; ++i) lying[8 + i] = uint8_t(length >> (24 - 8 * i));
    EXPECT_THROW(Scan(lying), EPngFormatError) << length;
  }
  Bytes flipped = good;
  flipped[20] ^= 1;
  EXPECT_THROW(Scan(flipped), EPngFormatError);
  // No IEND.
  EXPECT_THROW(ScanPngChunks(good.data(), good.size() - 12), EPngFormatError);
}

// Deterministic mutation loop: every mutant either scans or raises
// EPngFormatError; the sanitizers catch any over-read.
TEST(PngChunks, SurvivesMutatedFiles) {
  const Bytes seeds[] = {Rgb2x1(), pngtest::MakePng(1, 1, 8, 3, {0}, 1, {{"PLTE", {1, 2, 3}}, {"tRNS", {7}}})};
  uint32_t state = 12345;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes b = seeds[round % 2];
    const int edits = 1 + int(next() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = next() % b.size();
      switch (next() % 4) {
        case 0: b[at] = uint8_t(next()); break;
        case 1: b[at] ^= uint8_t(1u << (next() % 8)); break;
        case 2: b.resize(at + 1); break;
        case 3: b.insert(b.begin() + long(at), uint8_t(next())); break;
      }
    }
    try {
      Scan(b);
      ++accepted;
    } catch (const EPngFormatError&) {
    }
  }
  EXPECT_GT(accepted, 0);  // some mutations (ancillary bytes of tRNS) stay valid
}
