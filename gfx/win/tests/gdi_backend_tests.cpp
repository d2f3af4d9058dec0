// The DIB-section backend: surface life cycle, notifications, the allocation
// failure, copies to and from device contexts, tiling and the canvas.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/win/gdi_backend.h"

namespace {

constexpr TColor32 RGBMask = 0x00FFFFFF;

// Source pattern: every pixel different, opaque.
void FillPattern(TCustomBitmap32& B) {
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x) B.SetPixel(x, y, 0xFF000000 | (x * 0x10 + 5) << 16 | (y * 0x20 + 7) << 8 | 0x33);
}

TEST(GDIBackend, NewBitmapKeepsItsPixelsInADIBSection) {
  TBitmap32 b;
  ASSERT_NE(dynamic_cast<TGDIBackend*>(b.Backend()), nullptr);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(Handle(b), nullptr);
  b.SetSize(10, 7);
  ASSERT_NE(Handle(b), nullptr);
  for (int i = 0; i < 70; ++i) ASSERT_EQ(b.Bits()[i], 0u) << i;

  const BITMAPINFOHEADER& h = BitmapInfo(b).bmiHeader;
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 10);
  EXPECT_EQ(h.biHeight, -7);
  EXPECT_EQ(h.biBitCount, 32);
  EXPECT_EQ(h.biCompression, DWORD(BI_RGB));
  EXPECT_EQ(h.biSizeImage, 280u);
  // The section the DC draws into is the memory the bitmap exposes.
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectW(BitmapHandle(b), sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, b.Bits());
  EXPECT_EQ(GetCurrentObject(Handle(b), OBJ_BITMAP), BitmapHandle(b));

  // The memory backend starts opaque black instead.
  TCustomBitmap32 mem;
  mem.SetSize(2, 2);
  EXPECT_EQ(mem.Pixel(1, 1), 0xFF000000u);
}

TEST(GDIBackend, EveryInterfaceIsImplementedAndOthersFailTheCast) {
  TBitmap32 b;
  TCustomBackend* backend = b.Backend();
  EXPECT_NE(dynamic_cast<IPaintSupport*>(backend), nullptr);
  EXPECT_NE(dynamic_cast<IBitmapContextSupport*>(backend), nullptr);
  EXPECT_NE(dynamic_cast<IDeviceContextSupport*>(backend), nullptr);
  EXPECT_NE(dynamic_cast<ITextSupport*>(backend), nullptr);
  EXPECT_NE(dynamic_cast<IFontSupport*>(backend), nullptr);
  EXPECT_NE(dynamic_cast<ITextToPathSupport*>(backend), nullptr);
  EXPECT_NE(dynamic_cast<ICanvasSupport*>(backend), nullptr);

  TCustomBitmap32 mem;
  mem.SetSize(4, 4);
  EXPECT_THROW(Font(mem), EIntfCastError);
  EXPECT_THROW(Handle(mem), EIntfCastError);
  EXPECT_THROW(Textout(mem, 0, 0, "x"), EIntfCastError);
  EXPECT_THROW(RenderText(mem, 0, 0, "x", 0, 0xFF000000), EIntfCastError);
}

TEST(GDIBackend, ResizeDeletesTheCanvasRecreatesTheHandlesAndNotifies) {
  TBitmap32 b;
  int handleChanged = 0, changed = 0, resized = 0;
  b.SetOnHandleChanged([&](TObject* Sender) {
    EXPECT_EQ(Sender, &b);
    ++handleChanged;
  });
  b.SetOnChange([&](TObject*) { ++changed; });
  b.SetOnResize([&](TObject*) { ++resized; });

  b.SetSize(8, 8);
  EXPECT_EQ(handleChanged, 1);
  EXPECT_GE(changed, 1);
  EXPECT_EQ(resized, 1);

  Canvas(b);
  EXPECT_TRUE(CanvasAllocated(b));
  b.SetClipRect({1, 1, 3, 3});
  b.SetSize(16, 4);
  EXPECT_EQ(handleChanged, 2);
  EXPECT_FALSE(CanvasAllocated(b));
  EXPECT_EQ(b.ClipRect(), (TRect{0, 0, 16, 4}));
  EXPECT_EQ(BitmapInfo(b).bmiHeader.biWidth, 16);
  EXPECT_EQ(GetCurrentObject(Handle(b), OBJ_BITMAP), BitmapHandle(b));

  EXPECT_FALSE(b.SetSize(16, 4));  // same size: nothing recreated
  EXPECT_EQ(handleChanged, 2);
  b.Delete();
  EXPECT_EQ(handleChanged, 3);
  EXPECT_EQ(Handle(b), nullptr);
  EXPECT_EQ(b.Bits(), nullptr);
}

TEST(GDIBackend, ImpossibleSizeRaisesTheAllocationFailureAndLeavesTheBitmapEmpty) {
  TBitmap32 b;
  b.SetSize(5, 5);
  int handleChanged = 0;
  b.SetOnHandleChanged([&](TObject*) { ++handleChanged; });
  // The second size's byte count wraps around in 32 bits.
  for (auto [w, h] : {std::pair{100000, 100000}, std::pair{65536, 16384}, std::pair{INT32_MAX, 2}}) {
    try {
      b.SetSize(w, h);
      FAIL() << w << " x " << h << " did not fail";
    } catch (const EBitmapException& e) {
      EXPECT_STREQ(e.what(), "Can't allocate the DIB handle");
    }
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 0);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Bits(), nullptr);
    EXPECT_EQ(Handle(b), nullptr);
    EXPECT_EQ(BitmapInfo(b).bmiHeader.biWidth, 0);
  }
  EXPECT_EQ(handleChanged, 3);  // the change handlers ran each time
  b.SetSize(3, 3);              // and the bitmap is usable again
  ASSERT_NE(b.Bits(), nullptr);
  b.SetPixel(2, 2, 0xFF123456);
  EXPECT_EQ(b.Pixel(2, 2), 0xFF123456u);
}

TEST(GDIBackend, DrawToADeviceContextCopiesAndStretches) {
  TBitmap32 src, dst;
  src.SetSize(4, 3);
  FillPattern(src);
  dst.SetSize(12, 10);
  dst.Clear(0xFF000000);

  DrawTo(src, Handle(dst), 2, 3);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 3 && y < 6;
      const TColor32 want = inside ? src.Pixel(x - 2, y - 3) & RGBMask : 0;
      ASSERT_EQ(dst.Pixel(x, y) & RGBMask, want) << x << "," << y;
    }

  dst.Clear(0xFF000000);
  DrawTo(src, Handle(dst), TRect{0, 0, 8, 6}, TRect{0, 0, 4, 3});
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(dst.Pixel(x, y) & RGBMask, src.Pixel(x / 2, y / 2) & RGBMask);
  EXPECT_EQ(dst.Pixel(8, 0) & RGBMask, 0u);

  TBitmap32 empty;
  dst.Clear(0xFF000000);
  DrawTo(empty, Handle(dst), 0, 0);  // nothing, no failure
  EXPECT_EQ(dst.Pixel(0, 0), 0xFF000000u);
}

TEST(GDIBackend, DrawFromADeviceContextReportsTheAreaAndRespectsMeasuring) {
  TBitmap32 src, dst;
  src.SetSize(4, 4);
  FillPattern(src);
  dst.SetSize(10, 10);
  std::vector<TRect> areas;
  dst.SetOnAreaChanged([&](TObject*, const TRect& Area, uint32_t Info) {
    EXPECT_EQ(Info, AREAINFO_RECT);
    areas.push_back(Area);
  });

  Draw(dst, TRect{5, 5, 7, 7}, TRect{1, 1, 3, 3}, Handle(src));
  EXPECT_EQ(dst.Pixel(5, 5) & RGBMask, src.Pixel(1, 1) & RGBMask);
  EXPECT_EQ(dst.Pixel(6, 6) & RGBMask, src.Pixel(2, 2) & RGBMask);
  EXPECT_EQ(dst.Pixel(4, 4), 0u);
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0], (TRect{5, 5, 7, 7}));

  areas.clear();
  std::vector<TRect> measured;
  dst.BeginMeasuring([&](TObject*, const TRect& Area, uint32_t) { measured.push_back(Area); });
  Draw(dst, TRect{0, 0, 2, 2}, TRect{0, 0, 2, 2}, Handle(src));
  dst.EndMeasuring();
  EXPECT_EQ(dst.Pixel(0, 0), 0u);
  ASSERT_EQ(measured.size(), 1u);
  EXPECT_EQ(measured[0], (TRect{0, 0, 2, 2}));
}

TEST(GDIBackend, TileToStretchesAcrossTileBordersAndSkipsWhatTheDCCannotShow) {
  TBitmap32 src;
  src.SetSize(2, 1);
  src.SetPixel(0, 0, 0xFF0000FF);
  src.SetPixel(1, 0, 0xFFFF0000);
  TBitmap32 dst;
  dst.SetSize(2600, 2);
  TileTo(src, Handle(dst), TRect{0, 0, 2600, 2}, TRect{0, 0, 2, 1});
  for (int x : {0, 1023, 1024, 1299}) EXPECT_EQ(dst.Pixel(x, 1) & RGBMask, 0x0000FFu) << x;
  for (int x : {1300, 2047, 2048, 2599}) EXPECT_EQ(dst.Pixel(x, 1) & RGBMask, 0xFF0000u) << x;

  // A destination far larger than the DC: only the visible corner is rendered.
  TBitmap32 small;
  small.SetSize(16, 16);
  TileTo(src, Handle(small), TRect{0, 0, 200000, 200000}, TRect{0, 0, 2, 1});
  EXPECT_EQ(small.Pixel(15, 15) & RGBMask, 0x0000FFu);
}

TEST(GDIBackend, CanvasDrawsIntoThePixelsAndMarksTheBitmapChanged) {
  TBitmap32 b;
  b.SetSize(6, 6);
  int changed = 0;
  b.SetOnChange([&](TObject*) { ++changed; });
  TCanvas& canvas = Canvas(b);
  canvas.Brush().SetColor(clRed);
  canvas.FillRect(TRect{1, 1, 3, 3});
  EXPECT_EQ(b.Pixel(1, 1) & RGBMask, 0xFF0000u);
  EXPECT_EQ(b.Pixel(3, 3), 0u);
  EXPECT_GE(changed, 1);
  DeleteCanvas(b);
  EXPECT_FALSE(CanvasAllocated(b));
}

TEST(GDIBackend, DoPaintCopiesTheInvalidRectanglesOrTheWholeViewport) {
  TBitmap32 buffer, screen;
  buffer.SetSize(8, 8);
  FillPattern(buffer);
  screen.SetSize(8, 8);
  auto& paint = SupportsInterface<IPaintSupport>(buffer.Backend());

  paint.DoPaint(&buffer, {TRect{1, 1, 3, 2}}, TRect{0, 0, 8, 8}, Canvas(screen));
  EXPECT_EQ(screen.Pixel(1, 1) & RGBMask, buffer.Pixel(1, 1) & RGBMask);
  EXPECT_EQ(screen.Pixel(2, 1) & RGBMask, buffer.Pixel(2, 1) & RGBMask);
  EXPECT_EQ(screen.Pixel(3, 1), 0u);
  EXPECT_EQ(screen.Pixel(1, 2), 0u);

  paint.DoPaint(&buffer, {}, TRect{0, 0, 8, 8}, Canvas(screen));
  EXPECT_EQ(screen.Pixel(7, 7) & RGBMask, buffer.Pixel(7, 7) & RGBMask);
}

}  // namespace
