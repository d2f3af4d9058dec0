#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "gfx/gradient.h"

namespace {

TArrayOfFixedPoint Rect(int L, int T, int R, int B) {
  return {FixedPoint(Point(L, T)), FixedPoint(Point(R, T)), FixedPoint(Point(R, B)), FixedPoint(Point(L, B))};
}

const TArrayOfColor32 BlackToWhite{0xFF000000, 0xFFFFFFFF};

std::vector<TColor32> Pixels(const TCustomBitmap32& B) {
  return std::vector<TColor32>(B.Bits(), B.Bits() + B.Width() * B.Height());
}

// A fresh transparent bitmap: merging an opaque colour over it stores the colour itself.
struct TTarget {
  TCustomBitmap32 Bmp;
  TTarget(int W, int H, TColor32 Fill = 0) {
    Bmp.SetSize(W, H);
    Bmp.Clear(Fill);
  }
};

}  // namespace

TEST(GradientColour, LerpAndStopBoundaries) {
  for (long double t : {0.0L, -3.0L, (long double)NAN}) EXPECT_EQ(LerpColor32(0x10203040, 0xF0E0D0C0, t), 0x10203040u);
  for (long double t : {1.0L, 7.0L}) EXPECT_EQ(LerpColor32(0x10203040, 0xF0E0D0C0, t), 0xF0E0D0C0u);
  EXPECT_EQ(LerpColor32(0x00000000, 0xFFFFFFFF, 0.5), 0x7F7F7F7Fu);  // every channel, alpha too
  EXPECT_EQ(LerpColor32(0x00FF0000, 0x000000FF, 0.999), 0x000000FEu);  // truncated, not rounded

  const TArrayOfColor32 three{0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  EXPECT_EQ(GradientColorAt(three, -1), three[0]);
  EXPECT_EQ(GradientColorAt(three, 0.5f), three[1]);
  EXPECT_EQ(GradientColorAt(three, 1), three[2]);
  EXPECT_EQ(GradientColorAt(three, 0.9999999f), 0xFF0000FEu);  // the last stop only at t >= 1
  EXPECT_EQ(GradientColorAt(three, 0.25f), LerpColor32(three[0], three[1], 0.5));
  EXPECT_EQ(GradientColorAt(three, 0.75f), LerpColor32(three[1], three[2], 0.5));
  // One stop is a solid colour (and never reads past it); none is transparent.
  const TArrayOfColor32 one{0xFF123456};
  for (float t : {-1.0f, 0.0f, 0.3f, 1.0f}) EXPECT_EQ(GradientColorAt(one, t), 0xFF123456u);
  EXPECT_EQ(GradientColorAt(TArrayOfColor32{}, 0.5f), 0u);
}

TEST(GradientFill, HorizontalStepsAndReverse) {
  TTarget t0(12, 3), t180(12, 3);
  GradientFillPolygon(&t0.Bmp, Rect(0, 0, 10, 1), 0, BlackToWhite, 0);
  GradientFillPolygon(&t180.Bmp, Rect(0, 0, 10, 1), 180, BlackToWhite, 0);
  const uint8_t expected[10] = {0, 25, 51, 76, 102, 127, 153, 178, 204, 229};
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(t0.Bmp.Pixel(x, 0), MakeGray32(expected[x])) << x;
    // Reversed stops: white at the left, the mirror of the forward steps.
    const int v = BlueOf(t180.Bmp.Pixel(x, 0));
    EXPECT_GE(v + expected[x], 254) << x;
    EXPECT_LE(v + expected[x], 255) << x;
    EXPECT_EQ(AlphaOf(t180.Bmp.Pixel(x, 0)), 255);
  }
  EXPECT_EQ(BlueOf(t180.Bmp.Pixel(0, 0)), 255);
  for (const TTarget* t : {&t0, &t180})
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 12; ++x)
        if (y > 0 || x >= 10) {
          EXPECT_EQ(t->Bmp.Pixel(x, y), 0u) << x << "," << y;
        }
}

TEST(GradientFill, VerticalAnglesAndAngleNormalisation) {
  TTarget down(3, 12), minus90(3, 12), up(3, 12);
  GradientFillPolygon(&down.Bmp, Rect(0, 0, 1, 10), 270, BlackToWhite, 0);
  GradientFillPolygon(&minus90.Bmp, Rect(0, 0, 1, 10), -90, BlackToWhite, 0);
  GradientFillPolygon(&up.Bmp, Rect(0, 0, 1, 10), 90, BlackToWhite, 0);
  const uint8_t expected[10] = {0, 25, 51, 76, 102, 127, 153, 178, 204, 229};
  for (int y = 0; y < 10; ++y) EXPECT_EQ(down.Bmp.Pixel(0, y), MakeGray32(expected[y])) << y;
  EXPECT_EQ(Pixels(minus90.Bmp), Pixels(down.Bmp));
  EXPECT_EQ(BlueOf(up.Bmp.Pixel(0, 0)), 255);  // first stop at the bottom
  EXPECT_GT(BlueOf(up.Bmp.Pixel(0, 0)), BlueOf(up.Bmp.Pixel(0, 9)));

  // Whole turns do not matter; the paths near the axes follow the grid.
  for (auto [a, b] : {std::pair{360, 0}, {450, 90}, {-270, 90}, {-720, 0}, {4, 0}, {184, 180}}) {
    TTarget ta(12, 12), tb(12, 12);
    GradientFillPolygon(&ta.Bmp, Rect(1, 1, 11, 11), a, BlackToWhite, 0);
    GradientFillPolygon(&tb.Bmp, Rect(1, 1, 11, 11), b, BlackToWhite, 0);
    EXPECT_EQ(Pixels(ta.Bmp), Pixels(tb.Bmp)) << a;
  }
}

TEST(GradientFill, IntegerRectangleIsFullyCoveredOnEveryPath) {
  const TRect r{3, 2, 9, 7};
  for (int angle : {0, 90, 180, 270, 30, 135}) {
    // Over transparent pixels an opaque stop stays opaque only at full coverage.
    TTarget clear(12, 10);
    GradientFillPolygon(&clear.Bmp, Rect(r.Left, r.Top, r.Right, r.Bottom), angle, BlackToWhite, 0);
    // Over opaque pixels the merge must be the full-coverage one.
    TTarget opaque(12, 10, 0xFF4080C0);
    GradientFillPolygon(&opaque.Bmp, Rect(r.Left, r.Top, r.Right, r.Bottom), angle, BlackToWhite, 0);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 12; ++x) {
        const TColor32 c = clear.Bmp.Pixel(x, y);
        if (PtInRect(r, Point(x, y))) {
          EXPECT_EQ(AlphaOf(c), 255) << angle << " at " << x << "," << y;
          EXPECT_EQ(opaque.Bmp.Pixel(x, y), MergePixel(c, 0xFF4080C0)) << angle << " at " << x << "," << y;
        } else {
          EXPECT_EQ(c, 0u) << angle << " at " << x << "," << y;
          EXPECT_EQ(opaque.Bmp.Pixel(x, y), 0xFF4080C0u) << angle << " at " << x << "," << y;
        }
      }
  }
}

TEST(GradientFill, GeneralAngleRunsInItsDirection) {
  TTarget t45(20, 20), t30(20, 20);
  GradientFillPolygon(&t45.Bmp, Rect(0, 0, 20, 20), 45, BlackToWhite, 0);
  GradientFillPolygon(&t30.Bmp, Rect(0, 0, 20, 20), 30, BlackToWhite, 0);
  // 45 degrees: dark at the bottom left, light at the top right, constant
  // across the gradient (within one of its 32 steps: 20 * sqrt(2) rounded
  // out and widened by one pixel at each end).
  EXPECT_LT(BlueOf(t45.Bmp.Pixel(1, 18)), 40);
  EXPECT_GT(BlueOf(t45.Bmp.Pixel(18, 1)), 215);
  EXPECT_NEAR(BlueOf(t45.Bmp.Pixel(3, 3)), BlueOf(t45.Bmp.Pixel(16, 16)), 255 / 32 + 1);
  // 30 degrees: rises to the right along a row and upwards along a column.
  for (int x = 1; x < 20; ++x) EXPECT_GE(BlueOf(t30.Bmp.Pixel(x, 10)), BlueOf(t30.Bmp.Pixel(x - 1, 10)));
  for (int y = 1; y < 20; ++y) EXPECT_LE(BlueOf(t30.Bmp.Pixel(10, y)), BlueOf(t30.Bmp.Pixel(10, y - 1)));
}

TEST(GradientFill, OutlineOnlyWithVisibleColour) {
  const TArrayOfFixedPoint r = Rect(2, 2, 8, 8);
  TTarget none(10, 10), hidden(10, 10), shown(10, 10);
  GradientFillPolygon(&none.Bmp, r, 0, BlackToWhite, 0);
  GradientFillPolygon(&hidden.Bmp, r, 0, BlackToWhite, 0x00FF0000);
  GradientFillPolygon(&shown.Bmp, r, 0, BlackToWhite, 0xFFFF0000);
  EXPECT_EQ(Pixels(hidden.Bmp), Pixels(none.Bmp));
  // The outline runs through the corner points: column 8 lies outside the fill.
  EXPECT_EQ(none.Bmp.Pixel(8, 5), 0u);
  EXPECT_GE(RedOf(shown.Bmp.Pixel(8, 5)), 254);
  EXPECT_EQ(GreenOf(shown.Bmp.Pixel(8, 5)), 0);
  EXPECT_NE(shown.Bmp.Pixel(5, 2), none.Bmp.Pixel(5, 2));

  // Without colour stops nothing is drawn, not even a visible outline.
  TTarget noStops(10, 10), untouched(10, 10);
  GradientFillPolygons(&noStops.Bmp, {r}, 0xFF00FF00, 0, -1, BlackToWhite.data());
  EXPECT_EQ(Pixels(noStops.Bmp), Pixels(untouched.Bmp));
}

TEST(GradientFill, BadInputIsHarmless) {
  TTarget t(16, 16, 0xFF102030);
  const auto before = Pixels(t.Bmp);
  GradientFillPolygons(&t.Bmp, {Rect(1, 1, 9, 9)}, 0, 0, -1, BlackToWhite.data());     // no stops
  GradientFillPolygons(&t.Bmp, {Rect(1, 1, 9, 9)}, 0, 0, 1, nullptr);                 // no colours
  GradientFillPolygons(&t.Bmp, {}, 0, 30, BlackToWhite);                              // no contours
  GradientFillPolygons(&t.Bmp, {{}, {}}, 0, 30, BlackToWhite);                        // empty contours
  GradientFillPolygon(&t.Bmp, Rect(1, 4, 9, 4), 0, BlackToWhite, 0);                  // zero height
  GradientFillPolygon(&t.Bmp, nullptr, 3, 0, 1, BlackToWhite.data(), 0);              // no points
  GradientFillPolygon(&t.Bmp, Rect(20, 20, 40, 40), 45, BlackToWhite, 0);             // off the bitmap
  EXPECT_EQ(Pixels(t.Bmp), before);
  EXPECT_THROW(GradientFillPolygon(nullptr, Rect(1, 1, 9, 9), 0, BlackToWhite, 0), EBitmapException);

  // The full fixed-point range on every path: the visible part is filled.
  const TArrayOfFixedPoint huge{{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}};
  for (int angle : {0, 90, 30, INT_MIN, INT_MAX}) {
    TTarget h(16, 16);
    GradientFillPolygon(&h.Bmp, huge, angle, BlackToWhite, 0xFFFFFFFF);
    for (TColor32 c : Pixels(h.Bmp)) EXPECT_EQ(AlphaOf(c), 255) << angle;
  }
}

// The fill lays runs through the row operations and single pixels through the
// pixel ones: every binding must give the same picture.
TEST(GradientFill, SameResultThroughEveryBlendBinding) {
  const TArrayOfArrayOfFixedPoint shapes{{FixedPoint(FloatPoint(1.3f, 2.7f)), FixedPoint(FloatPoint(30.5f, 4.1f)),
                                          FixedPoint(FloatPoint(22.2f, 29.9f)), FixedPoint(FloatPoint(3.3f, 25.0f))},
                                         Rect(8, 8, 20, 20)};
  const TArrayOfColor32 stops{0x80FF0000, 0xFF00FF00, 0x400000FF};
  std::vector<std::vector<TColor32>> results;
  for (TBlendBinding b : {TBlendBinding::Plain, TBlendBinding::SSE2, TBlendBinding::AVX2}) {
    if (!BlendBindingAvailable(b)) continue;
    BindBlendFunctions(b);
    for (int angle : {0, 90, 37}) {
      TTarget t(32, 32, 0x80336699);
      GradientFillPolygons(&t.Bmp, shapes, 0xC0FFFFFF, angle, stops);
      results.push_back(Pixels(t.Bmp));
    }
  }
  BindBlendFunctions(TBlendBinding::Default);
  for (size_t i = 3; i < results.size(); ++i) EXPECT_EQ(results[i], results[i % 3]) << i;
}
