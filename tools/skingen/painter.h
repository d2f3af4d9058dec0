// Drawing helpers of the skin image generator: exact pixel writes, and shapes
// with anti-aliased edges whose coverage is measured by supersampling, laid on
// a TBitmap32 with the raster library's merge (for "over") or with a
// coverage-weighted replacement (for "source", which keeps a shape's exact
// colour and alpha wherever it covers a whole pixel).
#pragma once

#include "gfx/bitmap32.h"

#include <functional>
#include <vector>

struct TPointD {
  double X, Y;
};

// A region in pixel-edge coordinates (pixel (x, y) spans [x, x+1) x [y, y+1)),
// with a bounding box that limits the work.
struct TShape {
  std::function<bool(double X, double Y)> Inside;
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

TShape RectShape(double X1, double Y1, double X2, double Y2);
TShape RoundRectShape(double X1, double Y1, double X2, double Y2, double Radius);
TShape DiscShape(double CX, double CY, double Radius);
TShape PolygonShape(std::vector<TPointD> Points);
// Every point within Width / 2 of the polyline (round joins and caps).
TShape StrokeShape(std::vector<TPointD> Points, double Width);
TShape UnionShape(TShape A, TShape B);
TShape DifferenceShape(TShape A, TShape B);

// Straight-alpha colour helpers.
constexpr TColor32 Rgb(uint32_t RGB) { return 0xFF000000u | RGB; }
constexpr TColor32 Argb(uint32_t Alpha, uint32_t RGB) { return (Alpha << 24) | (RGB & 0xFFFFFFu); }
// Channel-wise interpolation, T from 0 (A) to 1 (B), rounded to nearest.
TColor32 MixColor(TColor32 A, TColor32 B, double T);
// Coverage-weighted replacement of Dst by Src in premultiplied terms; Weight 255 gives Src.
TColor32 SourceBlend(TColor32 Src, TColor32 Dst, uint32_t Weight);

using TColorFunc = std::function<TColor32(int X, int Y)>;

class TSkinPainter {
public:
  explicit TSkinPainter(TBitmap32& Bitmap) : FBitmap(Bitmap) {}

  // Later coordinates are relative to this point (a frame of a strip).
  void SetOrigin(int X, int Y) {
    FOX = X;
    FOY = Y;
  }
  int Width() const { return FBitmap.Width(); }
  int Height() const { return FBitmap.Height(); }

  // Writes outside the bitmap are ignored; reads outside it give 0.
  void Put(int X, int Y, TColor32 C);
  TColor32 Get(int X, int Y) const;
  // Right and bottom exclusive.
  void Fill(int X1, int Y1, int X2, int Y2, TColor32 C);
  // Inclusive ends.
  void HLine(int X1, int X2, int Y, TColor32 C) { Fill(X1, Y, X2 + 1, Y + 1, C); }
  void VLine(int X, int Y1, int Y2, TColor32 C) { Fill(X, Y1, X + 1, Y2 + 1, C); }
  // Rows Y1..Y2 (inclusive) of columns X1..X2 filled with a vertical gradient From -> To.
  void VGradient(int X1, int X2, int Y1, int Y2, TColor32 From, TColor32 To);

  // Coverage 0..255 of pixel (X, Y) by Shape (8 x 8 samples).
  static uint32_t Coverage(const TShape& Shape, int X, int Y);
  // Calls Fn(x, y, coverage) for every pixel with coverage above 0.
  void ForEachCovered(const TShape& Shape, const std::function<void(int X, int Y, uint32_t Cov)>& Fn) const;

  // Colour laid over what is there (merge), weighted by coverage.
  void Over(const TShape& Shape, TColor32 C);
  void Over(const TShape& Shape, const TColorFunc& C);
  // Coverage-weighted replacement: whole pixels get exactly C.
  void Source(const TShape& Shape, TColor32 C);
  void Source(const TShape& Shape, const TColorFunc& C);

  // Multiplies the alpha of every pixel in the rectangle (right/bottom exclusive) by Alpha / 255.
  void ScaleAlpha(int X1, int Y1, int X2, int Y2, uint32_t Alpha);

private:
  TBitmap32& FBitmap;
  int FOX = 0, FOY = 0;
};
