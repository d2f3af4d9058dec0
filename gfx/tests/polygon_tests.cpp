#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>
#include <random>

#include "gfx/polygons.h"

namespace {

TFixedPoint FP(double X, double Y) { return {TFixed(std::lround(X * 65536)), TFixed(std::lround(Y * 65536))}; }

TArrayOfFixedPoint Rect(double L, double T, double R, double B) {
  return {FP(L, T), FP(R, T), FP(R, B), FP(L, B)};
}

// Coverage of the clip rectangle, row-major; also checks that every span
// stays inside the clip rectangle and carries no zero.
struct TCoverage {
  TRect Clip;
  std::vector<int> Values;
  bool SpanOutside = false;
  bool ZeroInSpan = false;
  int At(int X, int Y) const { return Values[size_t((Y - Clip.Top) * Clip.Width() + (X - Clip.Left))]; }
  long Sum() const {
    long s = 0;
    for (int v : Values) s += v;
    return s;
  }
};

TCoverage Rasterize(const TArrayOfArrayOfFixedPoint& Contours, const TRect& Clip, TPolyFillMode Mode,
                    bool Antialiased = true) {
  TCoverage result{Clip, std::vector<int>(size_t(std::max(0, Clip.Width() * Clip.Height())), 0)};
  TPolygonRasterizer r;
  r.Reset(Clip);
  for (const auto& c : Contours) r.AddContour(c);
  r.Render(Mode, Antialiased,
           [](void* Ctx, int32_t X, int32_t Y, int32_t Count, const uint8_t* Cov) {
             auto& res = *static_cast<TCoverage*>(Ctx);
             if (X < res.Clip.Left || X + Count > res.Clip.Right || Y < res.Clip.Top || Y >= res.Clip.Bottom) {
               res.SpanOutside = true;
               return;
             }
             for (int i = 0; i < Count; ++i) {
               if (Cov[i] == 0) res.ZeroInSpan = true;
               res.Values[size_t((Y - res.Clip.Top) * res.Clip.Width() + (X + i - res.Clip.Left))] += Cov[i];
             }
           },
           &result);
  return result;
}

void ExpectSane(const TCoverage& C) {
  EXPECT_FALSE(C.SpanOutside);
  EXPECT_FALSE(C.ZeroInSpan);
  for (int v : C.Values) EXPECT_LE(v, 255);
}

}  // namespace

TEST(PolygonRasterizer, HalfPixelSquareHasHalfEdgesAndQuarterCorners) {
  const TArrayOfFixedPoint cw = Rect(0.5, 0.5, 3.5, 3.5);
  const TArrayOfFixedPoint ccw(cw.rbegin(), cw.rend());
  for (const auto& contour : {cw, ccw})
    for (TPolyFillMode mode : {pfAlternate, pfWinding}) {
      const TCoverage c = Rasterize({contour}, {0, 0, 5, 5}, mode);
      ExpectSane(c);
      const int expected[5][5] = {{64, 128, 128, 64, 0},
                                  {128, 255, 255, 128, 0},
                                  {128, 255, 255, 128, 0},
                                  {64, 128, 128, 64, 0},
                                  {0, 0, 0, 0, 0}};
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(c.At(x, y), expected[y][x]) << x << "," << y;
    }
  // Aliased: a pixel counts when at least half of it is covered.
  const TCoverage a = Rasterize({cw}, {0, 0, 5, 5}, pfWinding, false);
  EXPECT_EQ(a.At(0, 0), 0);
  EXPECT_EQ(a.At(1, 0), 255);
  EXPECT_EQ(a.At(1, 1), 255);
}

TEST(PolygonRasterizer, IntegerRectangleIsExact) {
  const TCoverage c = Rasterize({Rect(1, 2, 4, 5)}, {0, 0, 6, 7}, pfWinding);
  ExpectSane(c);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(c.At(x, y), (x >= 1 && x < 4 && y >= 2 && y < 5) ? 255 : 0);
}

TEST(PolygonRasterizer, TriangleCoverageAddsUpToItsArea) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(0.0, 40.0);
  for (int i = 0; i < 50; ++i) {
    const double x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng), x2 = coord(rng),
                 y2 = coord(rng);
    const TArrayOfFixedPoint tri{FP(x0, y0), FP(x1, y1), FP(x2, y2)};
    const double area = std::fabs((x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)) / 2;
    const TCoverage c = Rasterize({tri}, {0, 0, 41, 41}, i % 2 ? pfWinding : pfAlternate);
    ExpectSane(c);
    // Partial pixels are truncated to 1/256 steps: at most one step each.
    const double perimeter = std::hypot(x1 - x0, y1 - y0) + std::hypot(x2 - x1, y2 - y1) + std::hypot(x0 - x2, y0 - y2);
    EXPECT_NEAR(c.Sum() / 255.0, area, 0.005 * area + (perimeter + 3) * 2 / 256.0) << i;
  }
}

TEST(PolygonRasterizer, FillRulesOnStarAndOverlappingContours) {
  // Pentagram around the centre of pixel (10, 10): its inner pentagon winds twice.
  TArrayOfFixedPoint star;
  for (int k = 0; k < 5; ++k) {
    const double a = -std::numbers::pi / 2 + k * 4 * std::numbers::pi / 5;
    star.push_back(FP(10.5 + 9.5 * std::cos(a), 10.5 + 9.5 * std::sin(a)));
  }
  const TCoverage alt = Rasterize({star}, {0, 0, 20, 20}, pfAlternate);
  const TCoverage win = Rasterize({star}, {0, 0, 20, 20}, pfWinding);
  ExpectSane(alt);
  ExpectSane(win);
  EXPECT_EQ(alt.At(10, 10), 0);
  EXPECT_EQ(win.At(10, 10), 255);
  EXPECT_EQ(alt.At(10, 5), 255);  // inside the top point: wound once
  EXPECT_EQ(win.At(10, 5), 255);

  // Two squares overlapping in (4,4)-(6,6).
  const TArrayOfFixedPoint a = Rect(0, 0, 6, 6), b = Rect(4, 4, 10, 10);
  const TArrayOfFixedPoint bReversed(b.rbegin(), b.rend());
  EXPECT_EQ(Rasterize({a, b}, {0, 0, 10, 10}, pfAlternate).At(5, 5), 0);
  EXPECT_EQ(Rasterize({a, b}, {0, 0, 10, 10}, pfWinding).At(5, 5), 255);
  EXPECT_EQ(Rasterize({a, bReversed}, {0, 0, 10, 10}, pfWinding).At(5, 5), 0);
  EXPECT_EQ(Rasterize({a, bReversed}, {0, 0, 10, 10}, pfWinding).At(2, 2), 255);
}

// Clipping must not change a single pixel inside the clip rectangle: random
// polygons reaching beyond every side are rasterized with a generous and a
// tight clip and compared.
TEST(PolygonRasterizer, ClippingKeepsTheVisibleCoverage) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> coord(-25.0, 45.0);
  std::uniform_int_distribution<int> count(3, 9);
  const TRect wide{-40, -40, 60, 60}, tight{0, 3, 20, 17};
  for (int i = 0; i < 100; ++i) {
    TArrayOfFixedPoint poly;
    for (int n = count(rng), k = 0; k < n; ++k) poly.push_back(FP(coord(rng), coord(rng)));
    for (TPolyFillMode mode : {pfAlternate, pfWinding}) {
      const TCoverage full = Rasterize({poly}, wide, mode);
      const TCoverage clipped = Rasterize({poly}, tight, mode);
      ExpectSane(clipped);
      for (int y = tight.Top; y < tight.Bottom; ++y)
        for (int x = tight.Left; x < tight.Right; ++x)
          ASSERT_EQ(clipped.At(x, y), full.At(x, y)) << i << " at " << x << "," << y;
    }
  }
}

TEST(PolygonRasterizer, DegenerateAndHugeInput) {
  const TRect clip{0, 0, 8, 8};
  // Nothing: empty contours, a point, a line, collinear points, an empty clip.
  EXPECT_EQ(Rasterize({{}, {FP(2, 2)}}, clip, pfWinding).Sum(), 0);
  EXPECT_EQ(Rasterize({{FP(1, 1), FP(6, 5)}}, clip, pfWinding).Sum(), 0);
  EXPECT_EQ(Rasterize({{FP(1, 1), FP(3, 3), FP(6, 6), FP(1, 1)}}, clip, pfAlternate).Sum(), 0);
  EXPECT_EQ(Rasterize({{FP(3, 3), FP(3, 3), FP(3, 3)}}, clip, pfWinding).Sum(), 0);
  EXPECT_EQ(Rasterize({Rect(1, 1, 5, 5)}, {4, 4, 2, 2}, pfWinding).Sum(), 0);

  // A square far larger than the clip covers all of it.
  const TCoverage big = Rasterize({Rect(-32000, -32000, 32000, 32000)}, clip, pfWinding);
  ExpectSane(big);
  EXPECT_EQ(big.Sum(), 64 * 255);

  // The extremes of 16.16 fixed point.
  const TArrayOfFixedPoint extreme{{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN + 7}, {INT_MAX, INT_MAX},
                                   {INT_MIN + 3, INT_MAX}};
  const TCoverage e = Rasterize({extreme}, clip, pfAlternate);
  ExpectSane(e);
  EXPECT_EQ(e.Sum(), 64 * 255);
}

TEST(PolygonFill, DrawFillChangesOnlyCoveredPixelsInsideTheClip) {
  TCustomBitmap32 bmp;
  bmp.SetSize(20, 20);
  bmp.Clear(0xFF336699);
  int changes = 0;
  bmp.SetOnChange([&](TObject*) { ++changes; });
  TPolygon32Ex poly;
  poly.SetAntialiased(true);
  const TArrayOfFixedPoint tri{FP(2.3, 1.7), FP(17.5, 6.2), FP(6.6, 18.1)};
  poly.AddPoints(tri);
  poly.DrawFill(&bmp, 0xFFFF0000);
  EXPECT_EQ(changes, 1);
  const TCoverage c = Rasterize({tri}, bmp.BoundsRect(), pfAlternate);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      const int cov = c.At(x, y);
      const TColor32 px = bmp.Pixel(x, y);
      if (cov == 0)
        EXPECT_EQ(px, 0xFF336699u) << x << "," << y;
      else if (cov == 255)
        EXPECT_EQ(px, 0xFFFF0000u) << x << "," << y;
      else
        EXPECT_EQ(px, BlendPixelMaster(0xFFFF0000, 0xFF336699, uint32_t(cov))) << x << "," << y;
    }

  // Covering everything inside a clip rectangle leaves the rest alone.
  bmp.Clear(0);
  bmp.SetClipRect({5, 6, 12, 15});
  TPolygon32Ex all;
  all.AddPoints(Rect(-100, -100, 100, 100));
  all.DrawFill(&bmp, 0xFF00FF00);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(bmp.Pixel(x, y), PtInRect(bmp.ClipRect(), Point(x, y)) ? 0xFF00FF00u : 0u) << x << "," << y;

  EXPECT_THROW(poly.DrawFill(nullptr, 0xFFFFFFFF), EBitmapException);
}

TEST(PolygonFill, BitmapFillerRepeatsThePatternFromItsOffset) {
  TCustomBitmap32 pattern;
  pattern.SetSize(3, 2);
  pattern.SetCombineMode(cmMerge);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) pattern.SetPixel(x, y, 0xFF000000u | TColor32(y * 16 + x + 1));
  TCustomBitmap32 bmp;
  bmp.SetSize(7, 5);
  bmp.Clear(0);
  TPolygon32Ex poly;
  poly.AddPoints(Rect(0, 0, 7, 5));
  TBitmapPolygonFiller filler(&pattern, 1, -1);
  poly.DrawFill(&bmp, &filler);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(bmp.Pixel(x, y), pattern.Pixel((x + 2) % 3, (y + 1) % 2)) << x << "," << y;
}

TEST(PolygonFill, OutlineClosesOnlyClosedPolygons) {
  TPolygon32Ex poly;
  EXPECT_TRUE(poly.Closed());
  // The closing edge (1,6) -> (1,1) is drawn only for a closed outline.
  TCustomBitmap32 bmp;
  bmp.SetSize(8, 8);
  poly.AddPoints(Rect(1, 1, 6, 6));
  for (bool aa : {false, true}) {
    poly.SetAntialiased(aa);
    for (bool closed : {true, false}) {
      bmp.Clear(0);
      poly.SetClosed(closed);
      poly.DrawEdge(&bmp, 0xFFFFFFFF);
      EXPECT_NE(bmp.Pixel(6, 3), 0u);
      EXPECT_EQ(bmp.Pixel(1, 3) != 0, closed) << aa;
      EXPECT_EQ(bmp.Pixel(3, 3), 0u);
    }
  }
}
