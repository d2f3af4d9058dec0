// The toolkit's image classes: BMPs of every kind through the checked loader,
// corrupt and lying files, the transparent colour, pictures chosen by content
// and the canvas drawing of graphics.
#include "toolkit/win/imaging.h"

#include <gtest/gtest.h>

#include "toolkit/win/tests/imaging_test_files.h"

using namespace imaging_test;

namespace {

// Pixel (X, Y) of a toolkit bitmap as 0xAARRGGBB (alpha 0 for 24-bit images).
uint32_t PixelOf(const TBitmap& B, int X, int Y) {
  GdiFlush();
  const uint8_t* p = B.ScanLine(Y) + X * (B.PixelFormat() == pf32bit ? 4 : 3);
  return p[0] | (p[1] << 8) | (p[2] << 16) | (B.PixelFormat() == pf32bit ? uint32_t(p[3]) << 24 : 0);
}

void Load(TBitmap& B, const std::vector<uint8_t>& Bytes) {
  TReadOnlyMemoryStream s(Bytes.data(), int64_t(Bytes.size()));
  B.LoadFromStream(s);
}

TEST(ToolkitImaging, PaletteImagesOfEveryDepthAndHeaderKind) {
  // 8 bits, 3 x 2, bottom-up, rows padded to 4 bytes; a short colour table of
  // three entries, so index 3 reads black.
  TBmpSpec s8;
  s8.Width = 3;
  s8.Height = 2;
  s8.BitCount = 8;
  s8.ClrUsed = 3;
  s8.Palette = {0xFF0000, 0x00FF00, 0x0000FF};
  s8.Bits = {2, 1, 0, 0xEE, /* top row: */ 0, 3, 1, 0xEE};
  TBitmap b;
  Load(b, MakeBmp(s8));
  ASSERT_EQ(b.Width(), 3);
  ASSERT_EQ(b.Height(), 2);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(PixelOf(b, 0, 0), 0xFF0000u);
  EXPECT_EQ(PixelOf(b, 1, 0), 0x000000u);
  EXPECT_EQ(PixelOf(b, 2, 0), 0x00FF00u);
  EXPECT_EQ(PixelOf(b, 0, 1), 0x0000FFu);
  EXPECT_EQ(PixelOf(b, 1, 1), 0x00FF00u);

  // 1 and 4 bits, top-down.
  TBmpSpec s1;
  s1.Width = 3;
  s1.Height = -1;
  s1.BitCount = 1;
  s1.Palette = {0x101010, 0xF0F0F0};
  s1.Bits = {0xA0, 0, 0, 0};  // 1 0 1
  Load(b, MakeBmp(s1));
  EXPECT_EQ(PixelOf(b, 0, 0), 0xF0F0F0u);
  EXPECT_EQ(PixelOf(b, 1, 0), 0x101010u);
  EXPECT_EQ(PixelOf(b, 2, 0), 0xF0F0F0u);
  TBmpSpec s4 = s1;
  s4.BitCount = 4;
  s4.Palette.assign(16, 0);
  s4.Palette[5] = 0x123456;
  s4.Palette[9] = 0x654321;
  s4.Bits = {0x59, 0x50, 0, 0};
  Load(b, MakeBmp(s4));
  EXPECT_EQ(PixelOf(b, 0, 0), 0x123456u);
  EXPECT_EQ(PixelOf(b, 1, 0), 0x654321u);
  EXPECT_EQ(PixelOf(b, 2, 0), 0x123456u);

  // The 12-byte header with three-byte colour entries.
  std::vector<uint8_t> core{'B', 'M'};
  Put32(core, 14 + 12 + 6 + 4);
  Put32(core, 0);
  Put32(core, 14 + 12 + 6);
  Put32(core, 12);
  Put16(core, 2);   // width
  Put16(core, 1);   // height
  Put16(core, 1);   // planes
  Put16(core, 1);   // bits
  core.insert(core.end(), {0x30, 0x20, 0x10, 0x03, 0x02, 0x01});  // blue, green, red
  core.insert(core.end(), {0x40, 0, 0, 0});                        // 0 1
  Load(b, core);
  EXPECT_EQ(PixelOf(b, 0, 0), 0x102030u);
  EXPECT_EQ(PixelOf(b, 1, 0), 0x010203u);
}

TEST(ToolkitImaging, SixteenBitAndBitFieldImagesKeepTheirChannels) {
  TBmpSpec s;
  s.Width = 2;
  s.Height = 1;
  s.BitCount = 16;
  s.Bits = {0x00, 0x7C, 0x1F, 0x00};  // 5-5-5: red, blue
  TBitmap b;
  Load(b, MakeBmp(s));
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(PixelOf(b, 0, 0) & 0xF8F8F8, 0xF80000u);
  EXPECT_EQ(PixelOf(b, 1, 0) & 0xF8F8F8, 0x0000F8u);

  s.Compression = BI_BITFIELDS;
  s.Masks = {0xF800, 0x07E0, 0x001F};
  s.Bits = {0xE0, 0x07, 0x00, 0xF8};  // 5-6-5: green, red
  Load(b, MakeBmp(s));
  EXPECT_EQ(PixelOf(b, 0, 0) & 0xF8FCF8, 0x00FC00u);
  EXPECT_EQ(PixelOf(b, 1, 0) & 0xF8FCF8, 0xF80000u);

  // 32-bit bit fields in a large header with an alpha mask keep the alpha.
  TBmpSpec v5;
  v5.Width = 2;
  v5.Height = 1;
  v5.BitCount = 32;
  v5.Compression = BI_BITFIELDS;
  v5.HeaderSize = 124;
  v5.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  v5.Bits = {0x11, 0x22, 0x33, 0x80, 0x44, 0x55, 0x66, 0x00};
  Load(b, MakeBmp(v5));
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_EQ(PixelOf(b, 0, 0), 0x80332211u);
  EXPECT_EQ(PixelOf(b, 1, 0), 0x00665544u);

  // Masks in an unusual order after a 40-byte header, no alpha mask: opaque.
  TBmpSpec swapped = v5;
  swapped.HeaderSize = 40;
  swapped.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
  Load(b, MakeBmp(swapped));
  EXPECT_EQ(PixelOf(b, 0, 0), 0xFF112233u);
}

TEST(ToolkitImaging, RunLengthImagesDecode) {
  TBmpSpec s;
  s.Width = 4;
  s.Height = 2;
  s.BitCount = 8;
  s.Compression = BI_RLE8;
  s.ClrUsed = 3;
  s.Palette = {0x000000, 0xFF0000, 0x0000FF};
  // Bottom row: four pixels of 1; top row: absolute 1 2 2 1; end of image.
  s.Bits = {4, 1, 0, 0, 0, 4, 1, 2, 2, 1, 0, 1};
  TBitmap b;
  Load(b, MakeBmp(s));
  ASSERT_EQ(b.Width(), 4);
  EXPECT_EQ(PixelOf(b, 0, 1), 0xFF0000u);
  EXPECT_EQ(PixelOf(b, 3, 1), 0xFF0000u);
  EXPECT_EQ(PixelOf(b, 1, 0), 0x0000FFu);
  EXPECT_EQ(PixelOf(b, 3, 0), 0xFF0000u);

  TBmpSpec s4;
  s4.Width = 4;
  s4.Height = 1;
  s4.BitCount = 4;
  s4.Compression = BI_RLE4;
  s4.ClrUsed = 3;
  s4.Palette = {0x000000, 0xFF0000, 0x0000FF};
  s4.Bits = {4, 0x12, 0, 1};
  Load(b, MakeBmp(s4));
  EXPECT_EQ(PixelOf(b, 0, 0), 0xFF0000u);
  EXPECT_EQ(PixelOf(b, 1, 0), 0x0000FFu);

  // Runs that reach past the image or stop early are clipped by GDI, never read
  // or written out of bounds.
  s.Bits = {200, 1, 0, 2, 90, 90, 0, 4, 1, 2};
  try {
    Load(b, MakeBmp(s));
  } catch (const EInvalidGraphic&) {
  }
}

TEST(ToolkitImaging, CorruptAndLyingBitmapsRaiseAndKeepTheImage) {
  TBmpSpec good;
  good.Width = 2;
  good.Height = 2;
  good.BitCount = 24;
  good.Bits.assign(16, 0x7F);
  const std::vector<uint8_t> valid = MakeBmp(good);

  std::vector<std::pair<const char*, std::vector<uint8_t>>> bad;
  {
    auto v = valid;
    v.resize(v.size() - 3);
    bad.emplace_back("truncated pixels", v);
  }
  bad.emplace_back("truncated header", std::vector<uint8_t>(valid.begin(), valid.begin() + 30));
  bad.emplace_back("file header only", std::vector<uint8_t>(valid.begin(), valid.begin() + 14));
  {
    auto v = valid;
    v[0] = 'X';
    bad.emplace_back("no signature", v);
  }
  {
    TBmpSpec s = good;
    s.Width = 100000;
    s.Height = 100000;
    bad.emplace_back("huge size with tiny data", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.Width = 16000;
    s.Height = 16000;
    bad.emplace_back("size beyond the byte limit", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.Height = 0;
    bad.emplace_back("zero height", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.BitCount = 8;
    s.ClrUsed = 300;
    bad.emplace_back("colour table too long", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.BitCount = 8;
    s.ClrUsed = 256;
    s.Palette.assign(10, 0);
    bad.emplace_back("colour table truncated", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.HeaderSize = 20;
    bad.emplace_back("unknown header size", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.BitCount = 7;
    bad.emplace_back("odd bit count", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.Compression = 4;  // embedded JPEG
    bad.emplace_back("embedded JPEG", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.BitCount = 8;
    s.Height = -2;
    s.Compression = BI_RLE8;
    bad.emplace_back("top-down run-length", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.BitCount = 16;
    s.Compression = BI_BITFIELDS;
    s.Masks = {0xF800, 0, 0x1F};
    bad.emplace_back("empty mask", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.OffBitsDelta = -20;
    bad.emplace_back("pixel offset inside the headers", MakeBmp(s));
  }
  {
    TBmpSpec s = good;
    s.OffBitsDelta = 1 << 30;
    bad.emplace_back("pixel offset beyond the file", MakeBmp(s));
  }
  {
    auto v = valid;
    v[26] = 2;  // planes
    bad.emplace_back("two planes", v);
  }

  TBitmap b;
  Load(b, valid);
  for (const auto& [what, bytes] : bad) {
    SCOPED_TRACE(what);
    EXPECT_THROW(Load(b, bytes), EInvalidGraphic);
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(PixelOf(b, 1, 1), 0x7F7F7Fu);
  }
}

TEST(ToolkitImaging, SaveAndLoadKeepPixelsDepthAndAlpha) {
  for (TPixelFormat format : {pf24bit, pf32bit}) {
    TBitmap b;
    b.SetPixelFormat(format);
    b.SetSize(3, 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        uint8_t* p = b.ScanLine(y) + x * (format == pf32bit ? 4 : 3);
        p[0] = uint8_t(x * 40 + 1);
        p[1] = uint8_t(y * 90 + 2);
        p[2] = 3;
        if (format == pf32bit) p[3] = uint8_t(x * 100);
      }
    TMemoryStream s;
    b.SaveToStream(s);
    s.SetPosition(0);
    TBitmap c;
    c.LoadFromStream(s);
    ASSERT_EQ(c.PixelFormat(), format);
    ASSERT_EQ(c.Width(), 3);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelOf(c, x, y), PixelOf(b, x, y)) << x << "," << y;
  }
}

TEST(ToolkitImaging, TransparentDrawingLeavesTheKeyColourOut) {
  TBitmap src;
  src.SetSize(2, 2);
  src.Canvas().Brush().SetColor(clRed);
  src.Canvas().FillRect(TRect{0, 0, 2, 2});
  src.Canvas().Brush().SetColor(clLime);
  src.Canvas().FillRect(TRect{0, 1, 1, 2});  // the bottom-left pixel
  EXPECT_EQ(src.TransparentColor(), clLime);
  src.SetTransparentColor(clRed);
  EXPECT_EQ(src.TransparentMode(), tmFixed);
  src.SetTransparent(true);

  TBitmap dst;
  dst.SetSize(4, 4);
  dst.Canvas().Brush().SetColor(clBlue);
  dst.Canvas().FillRect(TRect{0, 0, 4, 4});
  dst.Canvas().Draw(1, 1, src);
  EXPECT_EQ(PixelOf(dst, 1, 1), 0x0000FFu);  // key: background shows
  EXPECT_EQ(PixelOf(dst, 1, 2), 0x00FF00u);
  EXPECT_EQ(PixelOf(dst, 0, 0), 0x0000FFu);

  // Stretched and opaque.
  src.SetTransparent(false);
  dst.Canvas().StretchDraw(TRect{0, 0, 4, 4}, src);
  EXPECT_EQ(PixelOf(dst, 3, 0), 0xFF0000u);
  EXPECT_EQ(PixelOf(dst, 0, 3), 0x00FF00u);
}

TEST(ToolkitImaging, PictureChoosesTheGraphicByContent) {
  const auto bmpFile = ScratchFile("pic.bmp"), pngFile = ScratchFile("pic.png"), junkFile = ScratchFile("pic.bmp2");
  TBmpSpec s;
  s.Width = 1;
  s.Height = 1;
  s.Bits = {1, 2, 3, 0};
  SaveBytes(bmpFile, MakeBmp(s));
  // Straight alpha: an opaque red pixel and a half-transparent blue one.
  const std::vector<uint8_t> png = MakePng(2, 1, {0xFFFF0000, 0x800000FF});
  SaveBytes(pngFile, png);

  TPicture pic;
  pic.LoadFromFile(bmpFile);
  ASSERT_NE(dynamic_cast<TBitmap*>(pic.Graphic()), nullptr);
  pic.LoadFromFile(pngFile);
  auto* wic = dynamic_cast<TWICImage*>(pic.Graphic());
  ASSERT_NE(wic, nullptr);
  ASSERT_EQ(wic->Width(), 2);
  EXPECT_EQ(wic->Pixels().Pixels[0], 0xFFFF0000u);
  EXPECT_EQ(wic->Pixels().Pixels[1], 0x800000FFu);

  // Drawn alpha-blended over white.
  TBitmap canvas;
  canvas.SetSize(2, 1);
  canvas.Canvas().Brush().SetColor(clWhite);
  canvas.Canvas().FillRect(TRect{0, 0, 2, 1});
  canvas.Canvas().Draw(0, 0, *wic);
  EXPECT_EQ(PixelOf(canvas, 0, 0), 0xFF0000u);
  const uint32_t half = PixelOf(canvas, 1, 0);
  EXPECT_NEAR(int(half & 0xFF), 255, 1);
  EXPECT_NEAR(int((half >> 8) & 0xFF), 127, 2);

  // Unknown and broken files raise and keep the graphic.
  SaveBytes(junkFile, {'J', 'U', 'N', 'K', 0, 0, 0, 0, 0});
  EXPECT_THROW(pic.LoadFromFile(junkFile), EInvalidGraphic);
  SaveBytes(junkFile, std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2));
  EXPECT_THROW(pic.LoadFromFile(junkFile), EInvalidGraphic);
  auto lying = png;
  lying[16] = 0x7F;  // IHDR width: about 2 billion pixels
  SaveBytes(junkFile, lying);
  EXPECT_THROW(pic.LoadFromFile(junkFile), EInvalidGraphic);
  EXPECT_EQ(pic.Graphic(), wic);
  EXPECT_EQ(pic.Width(), 2);

  // A picture copies what it is given.
  TPicture other;
  other.Assign(&pic);
  ASSERT_NE(other.Graphic(), pic.Graphic());
  EXPECT_EQ(other.Width(), 2);

  std::filesystem::remove(bmpFile);
  std::filesystem::remove(pngFile);
  std::filesystem::remove(junkFile);
}

}  // namespace
