#include "skin/resources/glyphs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "gfx/blend.h"
#include "gfx/polygons.h"
#include "toolkit/core/scope.h"

namespace {

TFixedPoint FP(double X, double Y) { return {TFixed(std::lround(X * 65536)), TFixed(std::lround(Y * 65536))}; }

// Arms of the plus and the bar: about a third of the side, with the side's
// parity so that the stroke sits on whole pixels in the box's middle.
int32_t StrokeWidth(int32_t Side) {
  int32_t t = std::max(Side / 3, 1);
  if ((Side - t) % 2 != 0) ++t;
  return t;
}

void AddPolygon(TPolygonRasterizer& R, std::initializer_list<TFixedPoint> Points) {
  R.AddContour(Points.begin(), Points.size());
}

void AddCircle(TPolygonRasterizer& R, double Centre, double Radius) {
  // 32 vertices keep the chord within 0.05 px of the arc at the largest side.
  constexpr int N = 32;
  std::array<TFixedPoint, N> points;
  for (int k = 0; k < N; ++k) {
    const double a = 2 * std::numbers::pi * k / N;
    points[size_t(k)] = FP(Centre + Radius * std::cos(a), Centre + Radius * std::sin(a));
  }
  R.AddContour(points.data(), points.size());
}

void AddRect(TPolygonRasterizer& R, double L, double T, double Rt, double B) {
  AddPolygon(R, {FP(L, T), FP(Rt, T), FP(Rt, B), FP(L, B)});
}

// The contours of glyph Index in a box [0, S] x [0, S]; filled by the
// alternate rule, so the ring's inner circle makes its hole.
void AddGlyphContours(TPolygonRasterizer& R, int32_t Index, int32_t S) {
  const double s = S, c = s / 2;
  const int32_t t = StrokeWidth(S);
  const double a0 = (S - t) / 2, a1 = a0 + t;
  switch (Index) {
    case 0: AddCircle(R, c, c); break;
    case 1: {
      // Inset, so that it carries about the weight of the circle and keeps
      // clear of it at the smallest sizes.
      const double inset = std::max(1.0, std::round(s * 0.1));
      AddRect(R, inset, inset, s - inset, s - inset);
      break;
    }
    case 2: AddPolygon(R, {FP(c, 0), FP(s, s), FP(0, s)}); break;
    case 3: AddPolygon(R, {FP(c, 0), FP(s, c), FP(c, s), FP(0, c)}); break;
    case 4:
      AddPolygon(R, {FP(a0, 0), FP(a1, 0), FP(a1, a0), FP(s, a0), FP(s, a1), FP(a1, a1), FP(a1, s), FP(a0, s),
                     FP(a0, a1), FP(0, a1), FP(0, a0), FP(a0, a0)});
      break;
    case 5:
      // A band of at least 1.25 px, so that the hole opens even at the smallest side.
      AddCircle(R, c, c);
      AddCircle(R, c, c - std::max(1.25, 0.45 * c));
      break;
    case 6: AddPolygon(R, {FP(0, 0), FP(s, 0), FP(c, s)}); break;
    case 7: AddRect(R, 0, a0, s, a1); break;
    default: break;
  }
}

struct TGlyphSpans {
  TCustomBitmap32* Dst;
  TSolidPolygonFiller* Filler;
  int32_t OriginX, OriginY;  // the box's top-left corner in Dst
  TRect Area;                // union of the rows filled, in Dst coordinates
  bool Any;
};

void FillGlyphSpan(void* Context, int32_t X, int32_t Y, int32_t Count, const uint8_t* Coverage) {
  auto& ctx = *static_cast<TGlyphSpans*>(Context);
  const int32_t x = ctx.OriginX + X, y = ctx.OriginY + Y;
  ctx.Filler->FillLine(ctx.Dst->PixelPtr(x, y), x, y, Count, Coverage);
  if (!ctx.Any) {
    ctx.Area = {x, y, x + Count, y + 1};
    ctx.Any = true;
  } else {
    ctx.Area.Left = std::min(ctx.Area.Left, x);
    ctx.Area.Right = std::max(ctx.Area.Right, x + Count);
    ctx.Area.Bottom = y + 1;
  }
}

// sRGB channel to linear light.
double LinearChannel(uint8_t V) {
  const double c = V / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

TRect GlyphBox(const TRect& Cell) {
  const int64_t w = int64_t(Cell.Right) - Cell.Left, h = int64_t(Cell.Bottom) - Cell.Top;
  const int64_t m = std::min(w, h);
  if (m < MinGlyphCell) return {};
  const int64_t side = std::clamp<int64_t>((m + 1) / 2, MinGlyphSide, MaxGlyphSide);
  // Both offsets stay inside the cell, so the sums cannot overflow.
  const int32_t left = int32_t(Cell.Left + (w - side) / 2), top = int32_t(Cell.Top + (h - side) / 2);
  return {left, top, left + int32_t(side), top + int32_t(side)};
}

void DrawColorGlyph(TCustomBitmap32* Dst, const TRect& Cell, int32_t ColorIndex, TColor32 Ink) {
  DrawColorGlyphInBox(Dst, GlyphBox(Cell), ColorIndex, Ink);
}

void DrawColorGlyphInBox(TCustomBitmap32* Dst, const TRect& Box, int32_t ColorIndex, TColor32 Ink) {
  if (!Dst || Dst->Empty() || ColorIndex < 0 || ColorIndex >= GlyphCount) return;
  const int64_t side = int64_t(Box.Right) - Box.Left;
  if (side < MinGlyphSide || side > MaxGlyphSide || int64_t(Box.Bottom) - Box.Top != side) return;
  TRect clip;
  if (!IntersectRect(clip, Box, Dst->ClipRect()) || IsRectEmpty(clip)) return;
  if (Dst->MeasuringMode()) {
    Dst->Changed(clip);
    return;
  }
  // The shape is rasterized in the box's own coordinates (small, so always in
  // fixed-point range) and the spans are moved onto the cell when filled.
  TPolygonRasterizer rasterizer;
  rasterizer.Reset({clip.Left - Box.Left, clip.Top - Box.Top, clip.Right - Box.Left, clip.Bottom - Box.Top});
  AddGlyphContours(rasterizer, ColorIndex, Box.Width());
  if (!rasterizer.HasCells()) return;

  TSolidPolygonFiller filler(Ink, Dst->CombineMode());
  TGlyphSpans ctx{Dst, &filler, Box.Left, Box.Top, {}, false};
  {
    TUpdateScope update(*Dst);
    rasterizer.Render(pfAlternate, true, FillGlyphSpan, &ctx);
    FinishBlending();
  }
  if (ctx.Any) Dst->Changed(ctx.Area);
}

TColor32 GlyphInk(TColor32 Background) {
  const double l = 0.2126 * LinearChannel(RedOf(Background)) + 0.7152 * LinearChannel(GreenOf(Background)) +
                   0.0722 * LinearChannel(BlueOf(Background));
  // Contrast ratios: (l + 0.05) / 0.05 against black, 1.05 / (l + 0.05) against white.
  return (l + 0.05) * (l + 0.05) > 0.05 * 1.05 ? clBlack32 : clWhite32;
}
