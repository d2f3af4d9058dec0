// Under Wine: the WIC decoder behind the resource manager, with PNGs written
// by the test itself, files in the working folder and beside the executable,
// and the device-context drawing procedures.
#include <gtest/gtest.h>

#include <fstream>

#include "skin/resources/skin_draw_win.h"
#include "skin/resources/skin_res_manager.h"
#include "skin/resources/tests/bmp_test_writer.h"
#include "skin/resources/tests/png_test_writer.h"

namespace fs = std::filesystem;
using pngtest::Bytes;

namespace {

void WriteFile(const fs::path& P, const Bytes& B) {
  std::ofstream(P, std::ios::binary).write(reinterpret_cast<const char*>(B.data()), std::streamsize(B.size()));
}

class WinManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    Old = fs::current_path();
    Dir = fs::temp_directory_path() / ("skin_manager_win_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    fs::current_path(Dir);
    Manager = std::make_unique<TVelSkinResManager>(nullptr);
  }
  void TearDown() override {
    fs::current_path(Old);
    fs::remove_all(Dir);
  }
  int CachedCount() const { return Manager->RunTimeImageList()->Bitmaps()->Count(); }

  fs::path Old, Dir;
  std::unique_ptr<TVelSkinResManager> Manager;
};

}  // namespace

TEST_F(WinManagerTest, PngTransparencyModesThroughWic) {
  WriteFile("rgb.png", pngtest::MakePng(2, 1, 8, 2, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60}, 6));
  TVelSkinImage* rgb = Manager->GetImageByName(L"rgb.png");
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(rgb->Pixel(0, 0), 0xFF102030u);
  EXPECT_EQ(rgb->Pixel(1, 0), 0xFF405060u);
  EXPECT_EQ(rgb->DrawMode(), dmOpaque);

  WriteFile("key.png", pngtest::MakePng(2, 1, 8, 2, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60}, 6,
                                        {{"tRNS", {0, 0x40, 0, 0x50, 0, 0x60}}}));
  TVelSkinImage* key = Manager->GetImageByName(L"key.png");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Pixel(0, 0), 0xFF102030u);
  EXPECT_EQ(AlphaOf(key->Pixel(1, 0)), 0);
  EXPECT_EQ(key->DrawMode(), dmBlend);

  WriteFile("rgba.png", pngtest::MakePng(2, 1, 8, 6, {0x10, 0x20, 0x30, 0x80, 0x40, 0x50, 0x60, 0xFF}, 8));
  TVelSkinImage* rgba = Manager->GetImageByName(L"rgba.png");
  ASSERT_NE(rgba, nullptr);
  EXPECT_EQ(rgba->Pixel(0, 0), 0x80102030u);
  EXPECT_EQ(rgba->Pixel(1, 0), 0xFF405060u);
  EXPECT_EQ(rgba->DrawMode(), dmBlend);

  WriteFile("greyalpha.png", pngtest::MakePng(1, 1, 8, 4, {0x7F, 0x33}, 2));
  TVelSkinImage* ga = Manager->GetImageByName(L"greyalpha.png");
  ASSERT_NE(ga, nullptr);
  EXPECT_EQ(ga->Pixel(0, 0), 0x337F7F7Fu);
}

TEST_F(WinManagerTest, FilesBesideTheExecutable) {
  const fs::path exeDir = PlatformProgramFolder();
  ASSERT_FALSE(exeDir.empty());
  EXPECT_EQ(Manager->ProgramFolder(), exeDir);
  const fs::path file = exeDir / "skin_manager_win_beside.png";
  WriteFile(file, pngtest::MakePng(1, 1, 8, 2, {1, 2, 3}, 3));
  TVelSkinImage* image = Manager->GetImageByName(L"skin_manager_win_beside.png");
  TVelSkinImage* again = Manager->GetImageByName(L"skin_manager_win_beside.png");
  fs::remove(file);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Pixel(0, 0), 0xFF010203u);
  EXPECT_EQ(again, image);  // cached
  EXPECT_EQ(CachedCount(), 1);
}

TEST_F(WinManagerTest, CorruptFilesAreRejectedWithNothingCached) {
  const Bytes good = pngtest::MakePng(2, 2, 8, 2, Bytes(12, 0x55), 6);
  WriteFile("truncated.png", Bytes(good.begin(), good.end() - 20));
  EXPECT_THROW(Manager->GetImageByName(L"truncated.png"), EReadError);
  // Chunks intact, but the zlib data inside IDAT is garbage: WIC must refuse it.
  Bytes garbage = pngtest::MakePng(2, 2, 8, 2, Bytes(12, 0x55), 6);
  Bytes broken = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  pngtest::PutChunk(broken, "IHDR", pngtest::Header(2, 2, 8, 2));
  pngtest::PutChunk(broken, "IDAT", Bytes{0x78, 0x01, 0xFF, 0xFF, 0x12, 0x34});
  pngtest::PutChunk(broken, "IEND", {});
  WriteFile("broken.png", broken);
  EXPECT_THROW(Manager->GetImageByName(L"broken.png"), EReadError);
  WriteFile("notajpeg.jpg", Bytes(64, 0xAB));
  EXPECT_THROW(Manager->GetImageByName(L"notajpeg.jpg"), EReadError);
  WriteFile("huge.png", pngtest::MakePng(30000, 2, 8, 2, {}, 0));
  EXPECT_THROW(Manager->GetImageByName(L"huge.png"), EImageDecodeError);
  EXPECT_EQ(CachedCount(), 0);
}

TEST_F(WinManagerTest, CoreHeaderBitmapsThroughTheBitmapLoader) {
  // 24 bits, 257 pixels wide (the width's high byte counts), rows bottom-up
  // and padded from 771 to 772 bytes.
  Bytes rows;
  for (int y = 1; y >= 0; --y) {
    for (int x = 0; x < 257; ++x) rows.insert(rows.end(), {uint8_t(x), uint8_t(y * 0x40 + (x >> 8)), 0x80});
    rows.push_back(0);
  }
  WriteFile("core24.bmp", bmptest::MakeBmp(12, 257, 2, 24, rows));
  TVelSkinImage* wide = Manager->GetImageByName(L"core24.bmp");
  ASSERT_NE(wide, nullptr);
  ASSERT_EQ(wide->Width(), 257);
  ASSERT_EQ(wide->Height(), 2);
  EXPECT_EQ(wide->Pixel(0, 0), 0xFF800000u);
  EXPECT_EQ(wide->Pixel(255, 0), 0xFF8000FFu);
  EXPECT_EQ(wide->Pixel(256, 0), 0xFF800100u);
  EXPECT_EQ(wide->Pixel(1, 1), 0xFF804001u);
  EXPECT_EQ(wide->Pixel(256, 1), 0xFF804100u);

  // 8 bits with the core header's three-byte colour entries, all 256 of them.
  Bytes table(256 * 3, 0);
  for (int i = 0; i < 6; ++i) table[size_t(i)] = uint8_t(0x10 * (i + 1));
  WriteFile("core8.bmp", bmptest::MakeBmp(12, 2, 1, 8, {0, 1, 0, 0}, table));
  TVelSkinImage* palette = Manager->GetImageByName(L"core8.bmp");
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette->Pixel(0, 0), 0xFF302010u);
  EXPECT_EQ(palette->Pixel(1, 0), 0xFF605040u);
  EXPECT_EQ(CachedCount(), 2);
}

TEST_F(WinManagerTest, BitFieldBmpAlphaIsUsedOnlyWhenAnyPixelHasSome) {
  // Bit fields go to the bitmap loader rather than the plain reader; the
  // alpha rule is the same.
  const std::vector<uint32_t> masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  WriteFile("unused.bmp", bmptest::MakeBmp(56, 2, 1, 32, {1, 2, 3, 0, 4, 5, 6, 0}, {}, 3, masks));
  TVelSkinImage* opaque = Manager->GetImageByName(L"unused.bmp");
  ASSERT_NE(opaque, nullptr);
  EXPECT_EQ(opaque->Pixel(0, 0), 0xFF030201u);
  EXPECT_EQ(opaque->Pixel(1, 0), 0xFF060504u);

  WriteFile("used.bmp", bmptest::MakeBmp(56, 2, 1, 32, {1, 2, 3, 0, 4, 5, 6, 0x80}, {}, 3, masks));
  TVelSkinImage* alpha = Manager->GetImageByName(L"used.bmp");
  ASSERT_NE(alpha, nullptr);
  EXPECT_EQ(alpha->Pixel(0, 0), 0x00030201u);
  EXPECT_EQ(alpha->Pixel(1, 0), 0x80060504u);
}

TEST(SkinDrawWin, AlphaFillRectAndGlow) {
  TWindowDC screen(nullptr);
  TMemoryDC dc(screen.Get());
  TGdiBitmap bitmap(CreateCompatibleBitmap(screen.Get(), 64, 32));
  ASSERT_TRUE(bitmap);
  TSelectObject select(dc.Get(), bitmap.Get());
  const TRect all{0, 0, 64, 32};
  const RECT whole = ToRECT(all);
  TGdiBrush black(CreateSolidBrush(RGB(0, 0, 0)));
  FillRect(dc.Get(), &whole, black.Get());

  AlphaFillRect(dc.Get(), TRect{0, 0, 8, 8}, clWhite, 128);
  const COLORREF half = GetPixel(dc.Get(), 2, 2);
  EXPECT_NEAR(GetRValue(half), 128, 2);

  FillRect(dc.Get(), &whole, black.Get());
  TCanvas canvas;
  canvas.SetHandle(dc.Get());
  canvas.Font().SetHeight(-20);
  DrawGlowText(canvas, all, L"   ", 2, clRed, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EXPECT_EQ(GetPixel(dc.Get(), 32, 16), RGB(0, 0, 0));  // blank text: nothing
  DrawGlowText(canvas, all, L"W", 2, clRed, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  int reddish = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      const COLORREF c = GetPixel(dc.Get(), x, y);
      if (GetRValue(c) > 0 && GetGValue(c) == 0) ++reddish;
    }
  EXPECT_GT(reddish, 10);
  // Far from the glyph a white mask pulls by only 1/256 of the distance per pass.
  EXPECT_LE(GetRValue(GetPixel(dc.Get(), 0, 0)), 8);
  // A text cut with an ellipsis stays the caller's own, whatever the flags.
  const std::wstring longText = L"WWWWWWWWWWWWWWWWWWWW";
  const std::wstring before = longText;
  DrawGlowText(canvas, TRect{0, 0, 30, 32}, longText, 1, clRed, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
  EXPECT_EQ(std::wstring(longText.c_str()), before);
  canvas.SetHandle(nullptr);

  TGdiBitmap plain(CreateCompatibleBitmap(screen.Get(), 3, 2));
  FillAlpha(plain, 0x40);
  BITMAP bm{};
  ASSERT_NE(GetObjectW(plain.Get(), sizeof bm, &bm), 0);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmWidth, 3);
}
