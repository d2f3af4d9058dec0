#include "gfx/polygons.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Subpixel grid of the rasterizer: 256 steps per pixel (24.8 fixed point).
constexpr int64_t SubShift = 8;
constexpr int64_t SubOne = int64_t(1) << SubShift;
// Twice the area of a full pixel in subpixel units, and the shift that maps it to 256.
constexpr int64_t FullArea2 = SubOne * SubOne * 2;
constexpr int64_t AreaToAlphaShift = SubShift * 2 + 1 - 8;

int64_t FloorDiv(int64_t A, int64_t B) {
  int64_t q = A / B;
  if ((A % B != 0) && ((A < 0) != (B < 0))) --q;
  return q;
}

// 16.16 to 24.8, rounded to nearest.
int64_t ToSub(TFixed V) { return (int64_t(V) + 128) >> 8; }

// Coverage 0-255 of a cell from twice its signed covered area.
uint8_t AreaToAlpha(int64_t Area2, TPolyFillMode FillMode, bool Antialiased) {
  int64_t a = Area2 < 0 ? -Area2 : Area2;
  if (FillMode == pfAlternate) {
    a &= 2 * FullArea2 - 1;
    if (a > FullArea2) a = 2 * FullArea2 - a;
  }
  a >>= AreaToAlphaShift;
  if (a > 255) a = 255;
  if (!Antialiased) a = a >= 128 ? 255 : 0;
  return uint8_t(a);
}

}  // namespace

// ---- TPolygonRasterizer ----------------------------------------------------

void TPolygonRasterizer::Reset(const TRect& Clip) {
  FClip = Clip;
  FCells.clear();
}

void TPolygonRasterizer::AddContour(const TFixedPoint* Points, size_t Count) {
  if (!Points || Count < 2 || FClip.Right <= FClip.Left || FClip.Bottom <= FClip.Top) return;
  for (size_t i = 0; i < Count; ++i) {
    const TFixedPoint& a = Points[i];
    const TFixedPoint& b = Points[i + 1 < Count ? i + 1 : 0];
    AddEdge(ToSub(a.X), ToSub(a.Y), ToSub(b.X), ToSub(b.Y));
  }
}

// Adds the cells of one edge that lie in the clip rectangle. Rows outside it
// are skipped; in a row, the part of the edge left of the clip adds its height
// to the first clip column as a plain cover (it winds everything to its
// right), the part right of it is dropped (it affects only pixels further
// right). Every crossing is computed from the edge's own end points, so a
// clipped edge leaves exactly the cells the unclipped one leaves inside the
// clip rectangle, and the work depends on the visible part only.
void TPolygonRasterizer::AddEdge(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2) {
  if (Y1 == Y2) return;  // horizontal edges cover no height
  const int64_t ct = int64_t(FClip.Top) << SubShift, cb = int64_t(FClip.Bottom) << SubShift;
  const int64_t cr = int64_t(FClip.Right) << SubShift;
  if ((Y1 <= ct && Y2 <= ct) || (Y1 >= cb && Y2 >= cb) || (X1 >= cr && X2 >= cr)) return;
  int64_t sign = 1;
  if (Y1 > Y2) {
    std::swap(X1, X2);
    std::swap(Y1, Y2);
    sign = -1;
  }
  const int64_t dx = X2 - X1, dy = Y2 - Y1;
  auto xAt = [&](int64_t Y) { return Y == Y1 ? X1 : Y == Y2 ? X2 : X1 + FloorDiv(dx * (Y - Y1), dy); };
  const int64_t firstRow = std::max<int64_t>(Y1 >> SubShift, FClip.Top);
  const int64_t lastRow = std::min<int64_t>((Y2 - 1) >> SubShift, FClip.Bottom - 1);
  // Where the edge leaves one row is where it enters the next.
  int64_t ya = std::max(Y1, firstRow << SubShift), xa = xAt(ya);
  for (int64_t row = firstRow; row <= lastRow; ++row) {
    const int64_t top = row << SubShift;
    const int64_t yb = std::min(Y2, top + SubOne), xb = xAt(yb);
    RowCells(row, xa, ya - top, xb, yb - top, sign);
    ya = yb;
    xa = xb;
  }
}

// One row's piece of an edge: from (Xa, Fya) to (Xb, Fyb), Fya < Fyb within
// the row. Leaves in every cell it crosses the height crossed and twice the
// area between the piece and the cell's left side.
void TPolygonRasterizer::RowCells(int64_t Row, int64_t Xa, int64_t Fya, int64_t Xb, int64_t Fyb,
                                  int64_t Sign) {
  const int64_t dy = Fyb - Fya;
  const int64_t cl = int64_t(FClip.Left) << SubShift, cr = int64_t(FClip.Right) << SubShift;
  const int64_t lo = std::min(Xa, Xb), hi = std::max(Xa, Xb);
  if (lo >= cr) return;
  if (hi <= cl) {
    AddToCell(FClip.Left, Row, Sign * dy, 0);
    return;
  }
  if (Xa == Xb) {
    const int64_t ex = Xa >> SubShift, fx = Xa - (ex << SubShift);
    AddToCell(ex, Row, Sign * dy, Sign * dy * 2 * fx);
    return;
  }
  const int64_t dx = Xb - Xa;
  auto yAt = [&](int64_t X) { return X == Xa ? Fya : X == Xb ? Fyb : Fya + FloorDiv(dy * (X - Xa), dx); };
  int64_t from = lo;
  if (lo < cl) {
    AddToCell(FClip.Left, Row, Sign * std::llabs(yAt(cl) - yAt(lo)), 0);
    from = cl;
  }
  const int64_t to = std::min(hi, cr);
  const int64_t firstCell = from >> SubShift, lastCell = (to - 1) >> SubShift;
  for (int64_t c = firstCell; c <= lastCell; ++c) {
    const int64_t left = c << SubShift;
    const int64_t xl = std::max(from, left), xr = std::min(to, left + SubOne);
    const int64_t h = std::llabs(yAt(xr) - yAt(xl));
    AddToCell(c, Row, Sign * h, Sign * h * ((xl - left) + (xr - left)));
  }
}

void TPolygonRasterizer::AddToCell(int64_t X, int64_t Y, int64_t Cover, int64_t Area) {
  if (Cover == 0 && Area == 0) return;
  if (!FCells.empty()) {
    TCell& last = FCells.back();
    if (last.X == X && last.Y == Y) {
      last.Cover += Cover;
      last.Area += Area;
      return;
    }
  }
  FCells.push_back({int32_t(X), int32_t(Y), Cover, Area});
}

void TPolygonRasterizer::Render(TPolyFillMode FillMode, bool Antialiased, TSpanFunc Span, void* Context) {
  if (FCells.empty() || !Span) return;
  const int32_t rows = FClip.Bottom - FClip.Top, width = FClip.Right - FClip.Left;

  // Bucket the cells by row, then order each row by x.
  FRowStart.assign(size_t(rows) + 1, 0);
  for (const TCell& c : FCells) ++FRowStart[size_t(c.Y - FClip.Top) + 1];
  for (int32_t r = 0; r < rows; ++r) FRowStart[size_t(r) + 1] += FRowStart[size_t(r)];
  FSorted.resize(FCells.size());
  FRowNext.assign(FRowStart.begin(), FRowStart.end() - 1);
  for (const TCell& c : FCells) FSorted[size_t(FRowNext[size_t(c.Y - FClip.Top)]++)] = c;
  FCoverage.resize(size_t(width));

  for (int32_t r = 0; r < rows; ++r) {
    auto first = FSorted.begin() + FRowStart[size_t(r)], last = FSorted.begin() + FRowStart[size_t(r) + 1];
    if (first == last) continue;
    std::sort(first, last, [](const TCell& a, const TCell& b) { return a.X < b.X; });

    const int32_t y = FClip.Top + r;
    int64_t cover = 0;
    const int32_t startX = first->X;
    int32_t endX = startX;
    for (auto it = first; it != last;) {
      const int32_t x = it->X;
      if (x >= FClip.Right) break;
      int64_t c = 0, a = 0;
      for (; it != last && it->X == x; ++it) {
        c += it->Cover;
        a += it->Area;
      }
      FCoverage[size_t(x - FClip.Left)] = AreaToAlpha(((cover + c) << (SubShift + 1)) - a, FillMode, Antialiased);
      cover += c;
      const int32_t nextX = it != last ? std::min(it->X, FClip.Right) : FClip.Right;
      endX = x + 1;
      if (nextX > x + 1) {
        const uint8_t run = AreaToAlpha(cover << (SubShift + 1), FillMode, Antialiased);
        // A zero run after the last cell need not be scanned.
        if (run != 0 || it != last) {
          std::fill(FCoverage.begin() + (x + 1 - FClip.Left), FCoverage.begin() + (nextX - FClip.Left), run);
          endX = nextX;
        }
      }
    }
    // Hand the non-zero runs to the caller.
    const uint8_t* cov = FCoverage.data();
    const int32_t l = FClip.Left;
    for (int32_t i = startX - l, e = endX - l; i < e;) {
      while (i < e && cov[i] == 0) ++i;
      const int32_t runStart = i;
      while (i < e && cov[i] != 0) ++i;
      if (i > runStart) Span(Context, l + runStart, y, i - runStart, cov + runStart);
    }
  }
}

// ---- Fillers ---------------------------------------------------------------

void TSolidPolygonFiller::FillLine(TColor32* Dst, int32_t, int32_t, int32_t Length, const uint8_t* Coverage) {
  const bool merge = FCombineMode == cmMerge;
  const TBlendPixelInPlaceFunc full = merge ? MergePixelInPlace : BlendPixelInPlace;
  const TBlendPixelWeightInPlaceFunc partial = merge ? MergePixelMasterInPlace : BlendPixelMasterInPlace;
  for (int32_t i = 0; i < Length;) {
    // Full coverage takes the plain operation, so that an opaque colour stays
    // exactly opaque; blended runs go through the run form (same results).
    if (!Coverage || Coverage[i] == 255) {
      int32_t n = 1;
      while (i + n < Length && (!Coverage || Coverage[i + n] == 255)) ++n;
      if (merge)
        for (int32_t k = 0; k < n; ++k) full(FColor, Dst[i + k]);
      else
        BlendColorRun(FColor, Dst + i, n);
      i += n;
    } else {
      partial(FColor, Dst[i], Coverage[i]);
      ++i;
    }
  }
}

void TBitmapPolygonFiller::FillLine(TColor32* Dst, int32_t X, int32_t Y, int32_t Length, const uint8_t* Coverage) {
  if (!FPattern || FPattern->Empty() || Length <= 0) return;
  const int64_t w = FPattern->Width(), h = FPattern->Height();
  int64_t px = (int64_t(X) - FOffsetX) % w, py = (int64_t(Y) - FOffsetY) % h;
  if (px < 0) px += w;
  if (py < 0) py += h;
  const TColor32* row = FPattern->ScanLine(int32_t(py));
  const bool merge = FPattern->CombineMode() == cmMerge;
  const TBlendPixelInPlaceFunc full = merge ? MergePixelInPlace : BlendPixelInPlace;
  const TBlendPixelWeightInPlaceFunc partial = merge ? MergePixelMasterInPlace : BlendPixelMasterInPlace;
  for (int32_t i = 0; i < Length;) {
    // Fully covered runs within one repetition of the pattern row go through
    // the row merge (same results as the pixel form, one pass).
    if (merge && (!Coverage || Coverage[i] == 255)) {
      int32_t n = 1;
      const int32_t limit = int32_t(std::min<int64_t>(Length - i, w - px));
      while (n < limit && (!Coverage || Coverage[i + n] == 255)) ++n;
      MergeRow(row + px, Dst + i, n);
      i += n;
      px += n;
    } else {
      if (!Coverage || Coverage[i] == 255)
        full(row[px], Dst[i]);
      else
        partial(row[px], Dst[i], Coverage[i]);
      ++i;
      ++px;
    }
    if (px == w) px = 0;
  }
}

// ---- TPolygon32Ex ----------------------------------------------------------

namespace {

void CheckBitmap(const TCustomBitmap32* Bitmap) {
  if (!Bitmap) throw EBitmapException("Destination bitmap is nil");
}

// Keeps the bitmap inside BeginUpdate/EndUpdate, also when an exception passes.
class TUpdateScope {
public:
  explicit TUpdateScope(TCustomBitmap32& Bitmap) : FBitmap(Bitmap) { FBitmap.BeginUpdate(); }
  ~TUpdateScope() { FBitmap.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
  TCustomBitmap32& FBitmap;
};

int32_t RoundFixed(TFixed V) { return int32_t((int64_t(V) + 0x8000) >> 16); }

TRect OutwardRect(const TFixedRect& R) {
  return {int32_t(R.Left >> 16), int32_t(R.Top >> 16), int32_t((int64_t(R.Right) + 0xFFFF) >> 16),
          int32_t((int64_t(R.Bottom) + 0xFFFF) >> 16)};
}

// Cuts the segment A-B (16.16) to the rectangle R (pixels); false when nothing
// of it is inside. Points already inside are kept exactly.
bool ClipSegment(TFixedPoint& A, TFixedPoint& B, const TRect& R) {
  const double x1 = A.X / 65536.0, y1 = A.Y / 65536.0, dx = B.X / 65536.0 - x1, dy = B.Y / 65536.0 - y1;
  double t0 = 0, t1 = 1;
  auto edge = [&](double P, double Q) {
    if (P == 0) return Q >= 0;
    const double t = Q / P;
    if (P < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
    return true;
  };
  if (!edge(-dx, x1 - R.Left) || !edge(dx, R.Right - x1) || !edge(-dy, y1 - R.Top) || !edge(dy, R.Bottom - y1))
    return false;
  auto at = [&](double T) {
    return TFixedPoint{TFixed(std::llround((x1 + T * dx) * 65536)), TFixed(std::llround((y1 + T * dy) * 65536))};
  };
  const TFixedPoint a = t0 > 0 ? at(t0) : A, b = t1 < 1 ? at(t1) : B;
  A = a;
  B = b;
  return true;
}

struct TFillContext {
  TCustomBitmap32* Bitmap;
  TCustomPolygonFiller* Filler;
  TRect Area;  // union of the spans filled
  bool Any;
};

void FillSpan(void* Context, int32_t X, int32_t Y, int32_t Count, const uint8_t* Coverage) {
  auto& ctx = *static_cast<TFillContext*>(Context);
  ctx.Filler->FillLine(ctx.Bitmap->PixelPtr(X, Y), X, Y, Count, Coverage);
  if (!ctx.Any) {
    ctx.Area = {X, Y, X + Count, Y + 1};
    ctx.Any = true;
  } else {
    ctx.Area.Left = std::min(ctx.Area.Left, X);
    ctx.Area.Right = std::max(ctx.Area.Right, X + Count);
    ctx.Area.Bottom = Y + 1;  // rows come top to bottom
  }
}

}  // namespace

TPolygon32Ex::TPolygon32Ex() { fPPts.emplace_back(); }

void TPolygon32Ex::Clear() {
  fPPts.clear();
  fPPts.emplace_back();
}

void TPolygon32Ex::Newline() { fPPts.emplace_back(); }

void TPolygon32Ex::AddPoints(const TFixedPoint* First, int32_t Count) {
  if (!First || Count <= 0) return;
  if (fPPts.empty()) fPPts.emplace_back();
  fPPts.back().insert(fPPts.back().end(), First, First + Count);
}

TFixedRect TPolygon32Ex::GetBoundsFixed() const {
  TFixedRect r;
  bool any = false;
  for (const auto& contour : fPPts)
    for (const TFixedPoint& p : contour) {
      if (!any) {
        r = {p.X, p.Y, p.X, p.Y};
        any = true;
        continue;
      }
      r.Left = std::min(r.Left, p.X);
      r.Top = std::min(r.Top, p.Y);
      r.Right = std::max(r.Right, p.X);
      r.Bottom = std::max(r.Bottom, p.Y);
    }
  return r;
}

void TPolygon32Ex::Draw(TCustomBitmap32* Bitmap, TColor32 OutlineColor, TColor32 FillColor) {
  DrawFill(Bitmap, FillColor);
  DrawEdge(Bitmap, OutlineColor);
}

void TPolygon32Ex::Draw(TCustomBitmap32* Bitmap, TColor32 OutlineColor, TCustomPolygonFiller* Filler) {
  DrawFill(Bitmap, Filler);
  DrawEdge(Bitmap, OutlineColor);
}

void TPolygon32Ex::DrawFill(TCustomBitmap32* Bitmap, TColor32 Color) {
  CheckBitmap(Bitmap);
  TSolidPolygonFiller filler(Color, Bitmap->CombineMode());
  DrawFill(Bitmap, &filler);
}

void TPolygon32Ex::DrawFill(TCustomBitmap32* Bitmap, TCustomPolygonFiller* Filler) {
  CheckBitmap(Bitmap);
  if (!Filler || Bitmap->Empty()) return;
  TRect clip;
  if (!IntersectRect(clip, Bitmap->ClipRect(), Bitmap->BoundsRect()) || IsRectEmpty(clip)) return;
  if (Bitmap->MeasuringMode()) {
    TRect area;
    if (IntersectRect(area, OutwardRect(GetBoundsFixed()), clip)) Bitmap->Changed(area);
    return;
  }
  TPolygonRasterizer rasterizer;
  rasterizer.Reset(clip);
  for (const auto& contour : fPPts) rasterizer.AddContour(contour);
  if (!rasterizer.HasCells()) return;

  TFillContext ctx{Bitmap, Filler, {}, false};
  {
    TUpdateScope update(*Bitmap);
    rasterizer.Render(fFillMode, fAntialiased, FillSpan, &ctx);
    FinishBlending();
  }
  if (ctx.Any) Bitmap->Changed(ctx.Area);
}

void TPolygon32Ex::DrawEdge(TCustomBitmap32* Bitmap, TColor32 Color) {
  CheckBitmap(Bitmap);
  if (Bitmap->Empty()) return;
  bool any = false;
  {
    TUpdateScope update(*Bitmap);
    // Segments are cut a little outside the bitmap first, so that the lines
    // never step through (or compute with) coordinates far off it.
    TRect reach = Bitmap->BoundsRect();
    InflateRect(reach, 2, 2);
    auto line = [&](TFixedPoint a, TFixedPoint b, bool last) {
      if (!ClipSegment(a, b, reach)) return;
      if (fAntialiased)
        Bitmap->LineXS(a.X, a.Y, b.X, b.Y, Color, last);
      else
        Bitmap->LineTS(RoundFixed(a.X), RoundFixed(a.Y), RoundFixed(b.X), RoundFixed(b.Y), Color, last);
    };
    for (const auto& contour : fPPts) {
      const size_t n = contour.size();
      if (n < 2) continue;
      any = true;
      // Each segment leaves out its end point, which the next one starts
      // with; an open outline draws its very last point explicitly.
      const bool closeIt = fClosed && n > 2;
      for (size_t i = 0; i + 1 < n; ++i) line(contour[i], contour[i + 1], !closeIt && i + 2 == n);
      if (closeIt) line(contour[n - 1], contour[0], false);
    }
  }
  if (any) {
    TRect area = OutwardRect(GetBoundsFixed());
    InflateRect(area, 1, 1);
    if (IntersectRect(area, area, Bitmap->BoundsRect())) Bitmap->Changed(area, AREAINFO_LINE | 2);
  }
}
