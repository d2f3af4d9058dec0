#include "tools/skingen/painter.h"

#include "gfx/blend.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSamples = 8;  // per axis

double SegmentDistance(TPointD P, TPointD A, TPointD B) {
  const double dx = B.X - A.X, dy = B.Y - A.Y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((P.X - A.X) * dx + (P.Y - A.Y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = A.X + t * dx - P.X, ey = A.Y + t * dy - P.Y;
  return std::sqrt(ex * ex + ey * ey);
}

uint8_t Channel(TColor32 C, int Shift) { return static_cast<uint8_t>(C >> Shift); }

}  // namespace

TShape RectShape(double X1, double Y1, double X2, double Y2) {
  return {[=](double x, double y) { return x >= X1 && x < X2 && y >= Y1 && y < Y2; }, X1, Y1, X2, Y2};
}

TShape RoundRectShape(double X1, double Y1, double X2, double Y2, double Radius) {
  return {[=](double x, double y) {
            if (x < X1 || x >= X2 || y < Y1 || y >= Y2) return false;
            // Distance to the nearest corner centre, only in the corner squares.
            const double cx = std::clamp(x, X1 + Radius, X2 - Radius);
            const double cy = std::clamp(y, Y1 + Radius, Y2 - Radius);
            const double dx = x - cx, dy = y - cy;
            return dx * dx + dy * dy <= Radius * Radius;
          },
          X1, Y1, X2, Y2};
}

TShape DiscShape(double CX, double CY, double Radius) {
  return {[=](double x, double y) { return (x - CX) * (x - CX) + (y - CY) * (y - CY) <= Radius * Radius; },
          CX - Radius, CY - Radius, CX + Radius, CY + Radius};
}

TShape PolygonShape(std::vector<TPointD> Points) {
  TShape s;
  s.Left = s.Right = Points.front().X;
  s.Top = s.Bottom = Points.front().Y;
  for (const TPointD& p : Points) {
    s.Left = std::min(s.Left, p.X);
    s.Right = std::max(s.Right, p.X);
    s.Top = std::min(s.Top, p.Y);
    s.Bottom = std::max(s.Bottom, p.Y);
  }
  s.Inside = [pts = std::move(Points)](double x, double y) {
    bool in = false;  // even-odd rule
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
      if ((pts[i].Y > y) != (pts[j].Y > y) &&
          x < (pts[j].X - pts[i].X) * (y - pts[i].Y) / (pts[j].Y - pts[i].Y) + pts[i].X)
        in = !in;
    }
    return in;
  };
  return s;
}

TShape StrokeShape(std::vector<TPointD> Points, double Width) {
  TShape s;
  const double h = Width / 2;
  s.Left = s.Right = Points.front().X;
  s.Top = s.Bottom = Points.front().Y;
  for (const TPointD& p : Points) {
    s.Left = std::min(s.Left, p.X);
    s.Right = std::max(s.Right, p.X);
    s.Top = std::min(s.Top, p.Y);
    s.Bottom = std::max(s.Bottom, p.Y);
  }
  s.Left -= h;
  s.Top -= h;
  s.Right += h;
  s.Bottom += h;
  s.Inside = [pts = std::move(Points), h](double x, double y) {
    if (pts.size() == 1) return SegmentDistance({x, y}, pts[0], pts[0]) <= h;
    for (size_t i = 0; i + 1 < pts.size(); ++i)
      if (SegmentDistance({x, y}, pts[i], pts[i + 1]) <= h) return true;
    return false;
  };
  return s;
}

TShape UnionShape(TShape A, TShape B) {
  TShape s;
  s.Left = std::min(A.Left, B.Left);
  s.Top = std::min(A.Top, B.Top);
  s.Right = std::max(A.Right, B.Right);
  s.Bottom = std::max(A.Bottom, B.Bottom);
  s.Inside = [a = std::move(A.Inside), b = std::move(B.Inside)](double x, double y) { return a(x, y) || b(x, y); };
  return s;
}

TShape DifferenceShape(TShape A, TShape B) {
  TShape s = A;
  s.Inside = [a = std::move(A.Inside), b = std::move(B.Inside)](double x, double y) { return a(x, y) && !b(x, y); };
  return s;
}

TColor32 MixColor(TColor32 A, TColor32 B, double T) {
  TColor32 r = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double v = Channel(A, shift) + (Channel(B, shift) - Channel(A, shift)) * T;
    r |= static_cast<TColor32>(std::clamp(static_cast<int>(std::lround(v)), 0, 255)) << shift;
  }
  return r;
}

TColor32 SourceBlend(TColor32 Src, TColor32 Dst, uint32_t Weight) {
  if (Weight >= 255) return Src;
  if (Weight == 0) return Dst;
  const double w = Weight / 255.0;
  const double sa = AlphaOf(Src) / 255.0, da = AlphaOf(Dst) / 255.0;
  const double ra = sa * w + da * (1 - w);
  if (ra <= 0) return 0;
  TColor32 r = static_cast<TColor32>(std::lround(ra * 255)) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const double v = (Channel(Src, shift) * sa * w + Channel(Dst, shift) * da * (1 - w)) / ra;
    r |= static_cast<TColor32>(std::clamp(static_cast<int>(std::lround(v)), 0, 255)) << shift;
  }
  return r;
}

void TSkinPainter::Put(int X, int Y, TColor32 C) {
  X += FOX;
  Y += FOY;
  if (X >= 0 && Y >= 0 && X < FBitmap.Width() && Y < FBitmap.Height()) FBitmap.SetPixel(X, Y, C);
}

TColor32 TSkinPainter::Get(int X, int Y) const {
  X += FOX;
  Y += FOY;
  if (X >= 0 && Y >= 0 && X < FBitmap.Width() && Y < FBitmap.Height()) return FBitmap.Pixel(X, Y);
  return 0;
}

void TSkinPainter::Fill(int X1, int Y1, int X2, int Y2, TColor32 C) {
  for (int y = Y1; y < Y2; ++y)
    for (int x = X1; x < X2; ++x) Put(x, y, C);
}

void TSkinPainter::VGradient(int X1, int X2, int Y1, int Y2, TColor32 From, TColor32 To) {
  for (int y = Y1; y <= Y2; ++y) HLine(X1, X2, y, MixColor(From, To, Y2 > Y1 ? double(y - Y1) / (Y2 - Y1) : 0));
}

uint32_t TSkinPainter::Coverage(const TShape& Shape, int X, int Y) {
  int count = 0;
  for (int j = 0; j < kSamples; ++j)
    for (int i = 0; i < kSamples; ++i)
      if (Shape.Inside(X + (i + 0.5) / kSamples, Y + (j + 0.5) / kSamples)) ++count;
  return static_cast<uint32_t>((count * 255 + kSamples * kSamples / 2) / (kSamples * kSamples));
}

void TSkinPainter::ForEachCovered(const TShape& Shape, const std::function<void(int, int, uint32_t)>& Fn) const {
  const int x1 = static_cast<int>(std::floor(Shape.Left)), y1 = static_cast<int>(std::floor(Shape.Top));
  const int x2 = static_cast<int>(std::ceil(Shape.Right)), y2 = static_cast<int>(std::ceil(Shape.Bottom));
  for (int y = y1; y < y2; ++y)
    for (int x = x1; x < x2; ++x)
      if (const uint32_t cov = Coverage(Shape, x, y)) Fn(x, y, cov);
}

void TSkinPainter::Over(const TShape& Shape, TColor32 C) {
  Over(Shape, [C](int, int) { return C; });
}

void TSkinPainter::Over(const TShape& Shape, const TColorFunc& C) {
  ForEachCovered(Shape, [&](int x, int y, uint32_t cov) {
    const TColor32 c = C(x, y);
    // An opaque colour over a whole pixel is exactly that colour (the merge's
    // blend rounding could be one off).
    Put(x, y, cov >= 255 && AlphaOf(c) == 255 ? c : MergePixelMaster(c, Get(x, y), cov));
  });
}

void TSkinPainter::Source(const TShape& Shape, TColor32 C) {
  Source(Shape, [C](int, int) { return C; });
}

void TSkinPainter::Source(const TShape& Shape, const TColorFunc& C) {
  ForEachCovered(Shape, [&](int x, int y, uint32_t cov) { Put(x, y, SourceBlend(C(x, y), Get(x, y), cov)); });
}

void TSkinPainter::ScaleAlpha(int X1, int Y1, int X2, int Y2, uint32_t Alpha) {
  for (int y = Y1; y < Y2; ++y)
    for (int x = X1; x < X2; ++x) {
      const TColor32 c = Get(x, y);
      const uint32_t a = (AlphaOf(c) * Alpha + 127) / 255;
      Put(x, y, a ? WithAlpha(c, static_cast<int>(a)) : 0);
    }
}
