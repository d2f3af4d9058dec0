// The GDI+ wrapper on a DIB: a stroked line changes the pixels near it and no
// others, the objects are given back, and failures name the call.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gdiplus/gdiplus_objects.h"
#include "gfx/win/gdi_backend.h"

TEST(GdiPlusObjects, StrokingALineChangesExactlyThePixelsNearIt) {
  StartGdiPlus();
  StartGdiPlus();  // a second start does nothing
  EXPECT_TRUE(GdiPlusStarted());
  const long before = GdiPlusLiveObjects();
  TBitmap32 bmp;
  bmp.SetSize(100, 40);
  bmp.Clear(0xFF000000);
  {
    TGPGraphics graphics(Handle(bmp));
    TGPPath path;
    path.AddLine(10, 20, 90, 20);
    TGPPen pen(0xFFFFFFFF, 3);
    pen.SetLineJoin(ljRound);
    EXPECT_EQ(GdiPlusLiveObjects(), before + 3);
    graphics.DrawPath(pen, path);
    graphics.Flush();
  }
  GdiFlush();
  EXPECT_EQ(GdiPlusLiveObjects(), before);
  int changed = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool lit = (bmp.Pixel(x, y) & 0xFFFFFF) != 0;
      const bool close = x >= 8 && x <= 92 && std::abs(y - 20) <= 3;
      if (!close) {
        ASSERT_FALSE(lit) << x << "," << y;
      }
      changed += lit;
    }
  // The middle of the line is fully covered.
  EXPECT_EQ(bmp.Pixel(50, 20) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_GE(changed, 80 * 3);
}

TEST(GdiPlusObjects, AFailedCallRaisesWithItsName) {
  try {
    TGPGraphics graphics(nullptr);
    FAIL() << "no error for a missing device context";
  } catch (const EGdiPlusError& e) {
    EXPECT_NE(e.Status(), 0);
    EXPECT_NE(std::string(e.what()).find("GdipCreateFromHDC"), std::string::npos) << e.what();
  }
  EXPECT_EQ(GdiPlusLiveObjects(), 0);
}
