#include "gfx/gradient.h"

#include <algorithm>
#include <cmath>
#include <numbers>

TColor32 LerpColor32(TColor32 A, TColor32 B, long double t) {
  if (t >= 1) return B;
  if (!(t > 0)) return A;  // also NaN
  const long double u = 1 - t;
  TColor32 result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const long double v = ((A >> shift) & 0xFF) * u + ((B >> shift) & 0xFF) * t;
    result |= TColor32(std::clamp<long double>(std::trunc(v), 0, 255)) << shift;
  }
  return result;
}

TColor32 GradientColorAt(const TColor32* Colors, int32_t ColorsHigh, TFloat t) {
  if (!Colors || ColorsHigh < 0) return 0;
  if (t >= 1) return Colors[ColorsHigh];
  if (!(t > 0) || ColorsHigh == 0) return Colors[0];
  const TFloat s = t * TFloat(ColorsHigh);
  const int32_t i = int32_t(s);
  // t just below 1 can round s up to ColorsHigh; there is no stop above it.
  if (i >= ColorsHigh) return Colors[ColorsHigh];
  return LerpColor32(Colors[i], Colors[i + 1], s - TFloat(i));
}

TColor32 GradientColorAt(const TArrayOfColor32& Colors, TFloat t) {
  return GradientColorAt(Colors.data(), int32_t(Colors.size()) - 1, t);
}

namespace {

enum class TGradientPath { Horizontal, HorizontalReversed, Vertical, VerticalReversed, General };

// Angles within 5 degrees of an axis follow the pixel grid.
TGradientPath PathForAngle(int32_t Degrees, float& Radians) {
  Radians = float(double(Degrees) * std::numbers::pi / 180.0);
  constexpr float Tolerance = 0.08726646f;
  auto near = [&](double Axis) { return std::fabs(Radians - float(Axis)) < Tolerance; };
  if (near(0)) return TGradientPath::Horizontal;
  if (near(std::numbers::pi)) return TGradientPath::HorizontalReversed;
  if (near(std::numbers::pi / 2)) return TGradientPath::VerticalReversed;
  if (near(3 * std::numbers::pi / 2)) return TGradientPath::Vertical;
  return TGradientPath::General;
}

bool ContourBounds(const TArrayOfArrayOfFixedPoint& Contours, TFixedRect& Bounds) {
  bool any = false;
  for (const auto& contour : Contours)
    for (const TFixedPoint& p : contour) {
      if (!any) {
        Bounds = {p.X, p.Y, p.X, p.Y};
        any = true;
        continue;
      }
      Bounds.Left = std::min(Bounds.Left, p.X);
      Bounds.Top = std::min(Bounds.Top, p.Y);
      Bounds.Right = std::max(Bounds.Right, p.X);
      Bounds.Bottom = std::max(Bounds.Bottom, p.Y);
    }
  return any;
}

// Fills Work, which covers Area of the target, with the gradient of the path.
// R is the contours' bounds rounded outward; the axis paths spread the stops
// over R exactly as pixel columns or rows (t = offset / size, so the last stop
// itself is reached just past the far edge).
void PaintGradient(TCustomBitmap32& Work, const TRect& Area, const TRect& R, const TFixedRect& Bounds,
                   const TArrayOfArrayOfFixedPoint& Contours, TGradientPath Path, float Radians,
                   const TArrayOfColor32& Stops) {
  const int32_t w = Area.Width(), h = Area.Height();
  switch (Path) {
    case TGradientPath::Horizontal:
    case TGradientPath::HorizontalReversed: {
      const TFloat inv = 1.0f / TFloat(R.Right - R.Left);
      TColor32* row = Work.ScanLine(0);
      for (int32_t x = 0; x < w; ++x) row[x] = GradientColorAt(Stops, TFloat(Area.Left + x - R.Left) * inv);
      for (int32_t y = 1; y < h; ++y) std::copy(row, row + w, Work.ScanLine(y));
      return;
    }
    case TGradientPath::Vertical:
    case TGradientPath::VerticalReversed: {
      const TFloat inv = 1.0f / TFloat(R.Bottom - R.Top);
      for (int32_t y = 0; y < h; ++y)
        FillLongword(Work.ScanLine(y), w, GradientColorAt(Stops, TFloat(Area.Top + y - R.Top) * inv));
      return;
    }
    case TGradientPath::General:
      break;
  }
  // Position along the gradient: the coordinate along (cos a, -sin a) from the
  // centre of the bounds (y grows downwards, so positive angles turn the
  // gradient counter-clockwise on screen). Along that direction the stops are
  // laid out like the horizontal path over the contours' extent, rounded
  // outward and widened by one pixel at both ends: one colour per whole
  // pixel of the extent, each target pixel taking the one under its centre.
  const double c = std::cos(double(Radians)), s = std::sin(double(Radians));
  const double cx = (double(Bounds.Left) + Bounds.Right) / 131072.0;
  const double cy = (double(Bounds.Top) + Bounds.Bottom) / 131072.0;
  auto along = [&](double X, double Y) { return (X - cx) * c - (Y - cy) * s; };
  double uMin = INFINITY, uMax = -INFINITY;
  for (const auto& contour : Contours)
    for (const TFixedPoint& p : contour) {
      const double u = along(p.X / 65536.0, p.Y / 65536.0);
      uMin = std::min(uMin, u);
      uMax = std::max(uMax, u);
    }
  const double start = std::floor(uMin) - 1;
  const int32_t length = int32_t(std::ceil(uMax) + 1 - start);
  TArrayOfColor32 columns(static_cast<size_t>(length));
  const TFloat inv = 1.0f / TFloat(length);
  for (int32_t i = 0; i < length; ++i) columns[size_t(i)] = GradientColorAt(Stops, TFloat(i) * inv);
  for (int32_t y = 0; y < h; ++y) {
    TColor32* row = Work.ScanLine(y);
    const double u0 = along(Area.Left + 0.5, Area.Top + y + 0.5) - start;
    for (int32_t x = 0; x < w; ++x) {
      const double i = std::floor(u0 + x * c);
      row[x] = columns[size_t(std::clamp(i, 0.0, double(length - 1)))];
    }
  }
}

void FillGradient(TCustomBitmap32& Bitmap, const TArrayOfArrayOfFixedPoint& Contours, int32_t Angle,
                  int32_t ColorsHigh, const TColor32* Colors) {
  TFixedRect bounds;
  if (Bitmap.Empty() || !ContourBounds(Contours, bounds)) return;
  const TRect R{int32_t(bounds.Left >> 16), int32_t(bounds.Top >> 16),
                int32_t((int64_t(bounds.Right) + 0xFFFF) >> 16), int32_t((int64_t(bounds.Bottom) + 0xFFFF) >> 16)};
  if (R.Width() <= 0 || R.Height() <= 0) return;
  // The pattern only needs to exist where the fill can reach: the bounds
  // inside the target's clip rectangle.
  TRect area;
  if (!IntersectRect(area, R, Bitmap.ClipRect()) || IsRectEmpty(area)) return;

  int32_t degrees = Angle % 360;
  if (degrees < 0) degrees += 360;
  float radians = 0;
  const TGradientPath path = PathForAngle(degrees, radians);
  TArrayOfColor32 stops(Colors, Colors + ColorsHigh + 1);
  if (path == TGradientPath::HorizontalReversed || path == TGradientPath::VerticalReversed)
    std::reverse(stops.begin(), stops.end());

  TCustomBitmap32 work;
  work.SetSize(area.Width(), area.Height());
  work.SetDrawMode(dmBlend);
  work.SetCombineMode(cmMerge);
  PaintGradient(work, area, R, bounds, Contours, path, radians, stops);

  TPolygon32Ex polygon;
  polygon.SetClosed(true);
  polygon.SetAntialiased(true);
  polygon.SetFillMode(pfWinding);
  for (size_t i = 0; i < Contours.size(); ++i) {
    if (i > 0) polygon.Newline();
    polygon.AddPoints(Contours[i]);
  }
  TBitmapPolygonFiller filler(&work, area.Left, area.Top);
  polygon.DrawFill(&Bitmap, &filler);
}

}  // namespace

void GradientFillPolygons(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Contours,
                          TColor32 OutlineColor, int32_t Angle, int32_t ColorsHigh, const TColor32* Colors) {
  if (!Bitmap) throw EBitmapException("Destination bitmap is nil");
  // Without colour stops nothing is drawn, not even the outline.
  if (ColorsHigh < 0 || !Colors) return;
  FillGradient(*Bitmap, Contours, Angle, ColorsHigh, Colors);
  if (AlphaOf(OutlineColor) == 0) return;
  TPolygon32Ex outline;
  outline.SetClosed(true);
  outline.SetAntialiased(true);
  for (size_t i = 0; i < Contours.size(); ++i) {
    if (i > 0) outline.Newline();
    outline.AddPoints(Contours[i]);
  }
  outline.DrawEdge(Bitmap, OutlineColor);
}

void GradientFillPolygons(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Contours,
                          TColor32 OutlineColor, int32_t Angle, const TArrayOfColor32& Colors) {
  GradientFillPolygons(Bitmap, Contours, OutlineColor, Angle, int32_t(Colors.size()) - 1, Colors.data());
}

void GradientFillPolygon(TCustomBitmap32* Bitmap, const TFixedPoint* Points, int32_t High, int32_t Angle,
                         int32_t ColorsHigh, const TColor32* Colors, TColor32 OutlineColor) {
  TArrayOfArrayOfFixedPoint contours(1);
  if (Points && High >= 0) contours[0].assign(Points, Points + int64_t(High) + 1);
  GradientFillPolygons(Bitmap, contours, OutlineColor, Angle, ColorsHigh, Colors);
}

void GradientFillPolygon(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, int32_t Angle,
                         const TArrayOfColor32& Colors, TColor32 OutlineColor) {
  GradientFillPolygon(Bitmap, Points.data(), int32_t(Points.size()) - 1, Angle, int32_t(Colors.size()) - 1,
                      Colors.data(), OutlineColor);
}
