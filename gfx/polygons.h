// Anti-aliased polygon filling: a scanline rasterizer with exact area
// coverage, the fillers that turn coverage into pixels, and the polygon
// container TPolygon32Ex that fills and outlines contours on a bitmap.
// Portable: never includes windows.h.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/bitmap32.h"
#include "gfx/color32.h"

using TArrayOfFixedPoint = std::vector<TFixedPoint>;
using TArrayOfArrayOfFixedPoint = std::vector<TArrayOfFixedPoint>;

// Fill rule: alternate = even-odd, winding = non-zero.
enum TPolyFillMode : uint8_t { pfAlternate = 0, pfWinding = 1 };

// ---- Rasterizer ------------------------------------------------------------

// Computes, for every pixel of a clip rectangle, the exact fraction of its
// area that a set of closed contours covers (0-255). Contours are given in
// 16.16 fixed point; pixel (x, y) is the square [x, x + 1) x [y, y + 1).
//
// Each edge leaves, in every pixel cell it crosses, the signed height it
// crosses ("cover") and twice the signed area between it and the cell's left
// side ("area"). Sweeping a row left to right, the running sum of covers is
// the winding of everything to the left, and cover - area/2 of the cell itself
// gives the partial coverage where edges pass through. Only cells inside the
// clip rectangle are made (what lies left of it is folded into its first
// column), so work and memory depend on the visible part only. Buffers are
// kept between uses; nothing is allocated per pixel.
class TPolygonRasterizer {
public:
  // A row's coverage: Count values for the pixels X .. X + Count - 1 of row Y,
  // none of them 0.
  using TSpanFunc = void (*)(void* Context, int32_t X, int32_t Y, int32_t Count, const uint8_t* Coverage);

  // Starts a new shape clipped to Clip (empty or inverted: nothing is drawn).
  void Reset(const TRect& Clip);
  // Adds one contour, implicitly closed. Fewer than two points add nothing.
  void AddContour(const TFixedPoint* Points, size_t Count);
  void AddContour(const TArrayOfFixedPoint& Points) { AddContour(Points.data(), Points.size()); }
  // Emits the coverage of every row, top to bottom. Aliased rendering sets a
  // pixel fully when at least half of it is covered, else leaves it out.
  void Render(TPolyFillMode FillMode, bool Antialiased, TSpanFunc Span, void* Context);

  // True when some contour added since Reset reaches into the clip rectangle.
  bool HasCells() const { return !FCells.empty(); }

private:
  struct TCell {
    int32_t X, Y;
    int64_t Cover, Area;
  };
  // Edge in 24.8 subpixel units.
  void AddEdge(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2);
  void RowCells(int64_t Row, int64_t Xa, int64_t Fya, int64_t Xb, int64_t Fyb, int64_t Sign);
  void AddToCell(int64_t X, int64_t Y, int64_t Cover, int64_t Area);

  TRect FClip;
  std::vector<TCell> FCells;
  std::vector<TCell> FSorted;
  std::vector<int32_t> FRowStart;
  std::vector<int32_t> FRowNext;
  std::vector<uint8_t> FCoverage;
};

// ---- Fillers ---------------------------------------------------------------

// Turns coverage into pixels along one row of the target.
class TCustomPolygonFiller {
public:
  virtual ~TCustomPolygonFiller() = default;
  // Dst points at pixel (X, Y) of the target; Coverage holds Length values,
  // or is null for a span covered fully.
  virtual void FillLine(TColor32* Dst, int32_t X, int32_t Y, int32_t Length, const uint8_t* Coverage) = 0;
};

// One colour, laid on with a combine mode (cmBlend or cmMerge).
class TSolidPolygonFiller : public TCustomPolygonFiller {
public:
  TSolidPolygonFiller(TColor32 Color, TCombineMode CombineMode) : FColor(Color), FCombineMode(CombineMode) {}
  void FillLine(TColor32* Dst, int32_t X, int32_t Y, int32_t Length, const uint8_t* Coverage) override;

private:
  TColor32 FColor;
  TCombineMode FCombineMode;
};

// Fills with the pixels of a pattern bitmap, repeated in both directions:
// target pixel (x, y) takes pattern pixel ((x - OffsetX) mod width,
// (y - OffsetY) mod height), laid on with the pattern's combine mode. The
// pattern is not owned; an empty or missing pattern fills nothing.
class TBitmapPolygonFiller : public TCustomPolygonFiller {
public:
  TBitmapPolygonFiller() = default;
  explicit TBitmapPolygonFiller(TCustomBitmap32* Pattern, int32_t OffsetX = 0, int32_t OffsetY = 0)
      : FPattern(Pattern), FOffsetX(OffsetX), FOffsetY(OffsetY) {}
  void FillLine(TColor32* Dst, int32_t X, int32_t Y, int32_t Length, const uint8_t* Coverage) override;

  TCustomBitmap32* Pattern() const { return FPattern; }
  void SetPattern(TCustomBitmap32* Value) { FPattern = Value; }
  int32_t OffsetX() const { return FOffsetX; }
  void SetOffsetX(int32_t Value) { FOffsetX = Value; }
  int32_t OffsetY() const { return FOffsetY; }
  void SetOffsetY(int32_t Value) { FOffsetY = Value; }

private:
  TCustomBitmap32* FPattern = nullptr;
  int32_t FOffsetX = 0;
  int32_t FOffsetY = 0;
};

// ---- Polygon container -----------------------------------------------------

class TPolygon32Ex {
public:
  // Closed, aliased, alternate rule, one empty contour.
  TPolygon32Ex();

  // Drops every contour and starts one empty contour.
  void Clear();
  // Starts a new empty contour.
  void Newline();
  // Appends Count points to the last contour (creating one if there is none).
  // A null First or a Count <= 0 adds nothing.
  void AddPoints(const TFixedPoint* First, int32_t Count);
  void AddPoints(const TArrayOfFixedPoint& Points) { AddPoints(Points.data(), int32_t(Points.size())); }
  void Add(const TFixedPoint& P) { AddPoints(&P, 1); }

  // Fills the inside, then outlines every contour.
  void Draw(TCustomBitmap32* Bitmap, TColor32 OutlineColor, TColor32 FillColor);
  void Draw(TCustomBitmap32* Bitmap, TColor32 OutlineColor, TCustomPolygonFiller* Filler);
  // Fills the inside with a colour through the bitmap's combine mode, or with
  // a filler. Clipped to the bitmap's clip rectangle; the bitmap's Changed
  // follows once with the filled area. Open polygons are filled as if closed.
  void DrawFill(TCustomBitmap32* Bitmap, TColor32 Color);
  void DrawFill(TCustomBitmap32* Bitmap, TCustomPolygonFiller* Filler);
  // Outlines every contour with the bitmap's lines: anti-aliased (fixed point)
  // or Bresenham; a closed polygon also joins each last point to its first.
  void DrawEdge(TCustomBitmap32* Bitmap, TColor32 Color);

  // The bounding rectangle of every point (all zeros when there are none).
  TFixedRect GetBoundsFixed() const;

  const TArrayOfArrayOfFixedPoint& Points() const { return fPPts; }
  bool Closed() const { return fClosed; }
  void SetClosed(bool Value) { fClosed = Value; }
  bool Antialiased() const { return fAntialiased; }
  void SetAntialiased(bool Value) { fAntialiased = Value; }
  TPolyFillMode FillMode() const { return fFillMode; }
  void SetFillMode(TPolyFillMode Value) { fFillMode = Value; }

private:
  TArrayOfArrayOfFixedPoint fPPts;
  bool fClosed = true;
  bool fAntialiased = false;
  TPolyFillMode fFillMode = pfAlternate;
};
