// TBitmap32 and the toolkit's image classes: BMP kinds read through the
// toolkit loader, picture files, the assignment rules of toolkit bitmaps and
// other graphics, assignment into toolkit bitmaps, bitmap resources, and
// corrupt files that must leave the bitmap empty.
#include <gtest/gtest.h>

#include "gfx/win/bitmap32_win.h"
#include "gfx/win/gdi_backend.h"
#include "toolkit/win/tests/imaging_test_files.h"

using namespace imaging_test;

namespace {

// 8 bits, 3 x 2, bottom-up: top row white, red, lime; bottom row red, lime, blue.
// The same image is the test executable's bitmap resource.
std::vector<uint8_t> PaletteBmp() {
  TBmpSpec s;
  s.Width = 3;
  s.Height = 2;
  s.BitCount = 8;
  s.ClrUsed = 4;
  s.Palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  s.Bits = {0, 1, 2, 0, 3, 0, 1, 0};
  return MakeBmp(s);
}

void ExpectPaletteImage(const TCustomBitmap32& B) {
  ASSERT_EQ(B.Width(), 3);
  ASSERT_EQ(B.Height(), 2);
  EXPECT_EQ(B.Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(B.Pixel(1, 0), 0xFFFF0000u);
  EXPECT_EQ(B.Pixel(2, 0), 0xFF00FF00u);
  EXPECT_EQ(B.Pixel(0, 1), 0xFFFF0000u);
  EXPECT_EQ(B.Pixel(2, 1), 0xFF0000FFu);
}

void LoadBytes(TCustomBitmap32& B, const std::vector<uint8_t>& Bytes) {
  TReadOnlyMemoryStream s(Bytes.data(), int64_t(Bytes.size()));
  B.LoadFromStream(s);
}

TEST(Bitmap32Assign, OtherBmpKindsLoadThroughTheToolkitLoaderFromStreamsAndFiles) {
  TBitmap32 b;
  LoadBytes(b, PaletteBmp());
  ExpectPaletteImage(b);

  // The BMP need not start the stream.
  TMemoryStream s;
  s.WriteBuffer("xyz", 3);
  const auto bmp = PaletteBmp();
  s.WriteBuffer(bmp.data(), int64_t(bmp.size()));
  s.SetPosition(3);
  TBitmap32 c;
  c.LoadFromStream(s);
  ExpectPaletteImage(c);

  // 16 bits, and 24 bits through the bitmap's own reader: all opaque.
  TBmpSpec s16;
  s16.Width = 2;
  s16.Height = 1;
  s16.BitCount = 16;
  s16.Bits = {0x00, 0x7C, 0xE0, 0x03};  // red, green
  const auto file16 = ScratchFile("b16.bmp");
  SaveBytes(file16, MakeBmp(s16));
  b.LoadFromFile(file16);
  ASSERT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Pixel(0, 0) & 0xFFF8F8F8, 0xFFF80000u);
  EXPECT_EQ(b.Pixel(1, 0) & 0xFFF8F8F8, 0xFF00F800u);
  TBmpSpec s24 = s16;
  s24.BitCount = 24;
  s24.Bits = {1, 2, 3, 4, 5, 6, 0, 0};
  SaveBytes(file16, MakeBmp(s24));
  b.LoadFromFile(file16);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF060504u);

  const auto file8 = ScratchFile("b8.bmp");
  SaveBytes(file8, PaletteBmp());
  b.LoadFromFile(file8);
  ExpectPaletteImage(b);
  std::filesystem::remove(file16);
  std::filesystem::remove(file8);
}

TEST(Bitmap32Assign, PictureFilesAreLaidOverWhiteAndMadeOpaque) {
  const auto file = ScratchFile("p.png");
  SaveBytes(file, MakePng(3, 1, {0xFFFF0000, 0x800000FF, 0x0000FF00}));
  TBitmap32 b;
  b.LoadFromFile(file);
  ASSERT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Pixel(0, 0), 0xFFFF0000u);
  const TColor32 half = b.Pixel(1, 0);
  EXPECT_EQ(half >> 24, 0xFFu);
  EXPECT_NEAR(int(half & 0xFF), 255, 1);
  EXPECT_NEAR(int((half >> 16) & 0xFF), 127, 2);
  EXPECT_EQ(b.Pixel(2, 0), 0xFFFFFFFFu);
  std::filesystem::remove(file);
}

TEST(Bitmap32Assign, ToolkitBitmapsKeepAlphaOnlyWhen32BitAndClearTheTransparentColour) {
  TBitmap tb;
  tb.SetSize(2, 2);
  tb.Canvas().Brush().SetColor(clRed);
  tb.Canvas().FillRect(TRect{0, 0, 2, 2});
  tb.Canvas().Brush().SetColor(clBlue);
  tb.Canvas().FillRect(TRect{1, 0, 2, 1});
  tb.Canvas().Font().SetName(L"Courier New");
  tb.SetTransparentColor(clRed);
  tb.SetTransparent(true);

  TBitmap32 b;
  b.Assign(&tb);
  ASSERT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Pixel(0, 0), 0x00FF0000u);  // the transparent colour: alpha 0, colour kept
  EXPECT_EQ(b.Pixel(0, 1), 0x00FF0000u);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF0000FFu);
  EXPECT_EQ(Font(b).Name(), L"Courier New");

  // 32-bit: the alpha comes across unchanged.
  TBitmap t32;
  t32.SetPixelFormat(pf32bit);
  t32.SetSize(2, 1);
  const uint8_t px[8] = {10, 20, 30, 0x40, 50, 60, 70, 0x00};
  std::memcpy(t32.ScanLine(0), px, 8);
  b.Assign(&t32);
  EXPECT_EQ(b.Pixel(0, 0), 0x401E140Au);
  EXPECT_EQ(b.Pixel(1, 0), 0x00463C32u);

  // Through a picture; a picture without a graphic empties the bitmap.
  TPicture pic;
  pic.SetGraphic(&tb);
  TBitmap32 viaPicture;
  viaPicture.Assign(&pic);
  EXPECT_EQ(viaPicture.Pixel(1, 0), 0xFF0000FFu);
  TPicture none;
  viaPicture.Assign(&none);
  EXPECT_TRUE(viaPicture.Empty());

  // A backend without a device context or canvas cannot draw a graphic.
  TCustomBitmap32 mem(NewBackend<TMemoryBackend>);
  try {
    mem.Assign(&tb);
    ADD_FAILURE() << "no exception";
  } catch (const EBitmapException& E) {
    EXPECT_STREQ(E.what(), "Inpropriate Backend");
  }
  TFont unrelated;
  EXPECT_THROW(b.Assign(&unrelated), EConvertError);
}

TEST(Bitmap32Assign, AssignToAToolkitBitmapAndBackRoundTrips) {
  TBitmap32 b;
  b.SetSize(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) b.SetPixel(x, y, TColor32(x * 0x50 + y * 0x20) << 24 | 0x00123456u * (x + 1));
  Font(b).SetName(L"Courier New");

  TBitmap tb;
  tb.Assign(&b);
  ASSERT_EQ(tb.PixelFormat(), pf32bit);
  ASSERT_EQ(tb.Width(), 3);
  ASSERT_EQ(tb.Height(), 2);
  EXPECT_EQ(tb.Canvas().Font().Name(), L"Courier New");
  GdiFlush();
  for (int y = 0; y < 2; ++y) EXPECT_EQ(std::memcmp(tb.ScanLine(y), b.ScanLine(y), 12), 0) << y;

  TBitmap32 back;
  back.Assign(&tb);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(back.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;

  TPicture pic;
  pic.Assign(&b);
  auto* inPicture = dynamic_cast<TBitmap*>(pic.Graphic());
  ASSERT_NE(inPicture, nullptr);
  EXPECT_EQ(inPicture->Width(), 3);

  // Font and the other properties between two bitmaps.
  TBitmap32 copy;
  b.SetDrawMode(dmBlend);
  b.CopyPropertiesTo(&copy);
  EXPECT_EQ(copy.DrawMode(), dmBlend);
  EXPECT_EQ(Font(copy).Name(), L"Courier New");
}

TEST(Bitmap32Assign, BitmapResourcesLoadByNameAndNumber) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  TBitmap32 b;
  LoadFromResourceName(b, self, L"ASSIGNTEST");
  ExpectPaletteImage(b);
  TBitmap32 c;
  LoadFromResourceID(c, self, 101);
  ExpectPaletteImage(c);
  EXPECT_THROW(LoadFromResourceName(c, self, L"NOSUCHBITMAP"), EResNotFound);
  EXPECT_THROW(LoadFromResourceID(c, self, 999), EResNotFound);
  ExpectPaletteImage(c);
}

TEST(Bitmap32Assign, CorruptAndLyingFilesRaiseAndLeaveTheBitmapEmpty) {
  auto truncated8 = PaletteBmp();
  truncated8.resize(truncated8.size() - 3);
  auto lying8 = PaletteBmp();
  lying8[18] = 0xFF;  // width 0x00FF0003
  lying8[20] = 0xFF;
  TBitmap32 full;
  full.SetSize(4, 4);
  TMemoryStream s32;
  full.SaveToStream(s32);
  std::vector<uint8_t> truncated32(s32.Bytes().begin(), s32.Bytes().end() - 5);
  const auto png = MakePng(2, 2, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000});
  std::vector<uint8_t> truncatedPng(png.begin(), png.begin() + png.size() / 2);
  auto lyingPng = png;
  lyingPng[17] = 0x7F;  // IHDR width beyond every limit
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> bad{
      {"truncated 8-bit", truncated8}, {"lying 8-bit size", lying8},    {"truncated 32-bit", truncated32},
      {"truncated PNG", truncatedPng}, {"lying PNG size", lyingPng},    {"junk", {'J', 'U', 'N', 'K', 1, 2, 3}},
      {"empty", {}},                   {"BM only", {'B', 'M'}}};
  const auto file = ScratchFile("bad.img");
  for (const auto& [what, bytes] : bad) {
    SCOPED_TRACE(what);
    SaveBytes(file, bytes);
    TBitmap32 b;
    b.SetSize(2, 2);
    EXPECT_THROW(b.LoadFromFile(file), EReadError);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    if (bytes.size() >= 2 && bytes[0] == 'B') {
      b.SetSize(2, 2);
      EXPECT_THROW(LoadBytes(b, bytes), EReadError);
      EXPECT_TRUE(b.Empty());
    }
    // Still a working bitmap.
    b.SetSize(3, 3);
    b.Clear(0xFF112233);
    EXPECT_EQ(b.Pixel(2, 2), 0xFF112233u);
  }
  std::filesystem::remove(file);
}

}  // namespace
