// Spans, lines, rectangles and the stipple pattern of TCustomBitmap32.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gfx/bitmap32.h"

namespace {

constexpr uint32_t LineInfo = AREAINFO_LINE + 2;

using i128 = __int128;

// Ceiling of A / B for A >= 0, B > 0.
int64_t CeilDiv(i128 A, i128 B) { return int64_t((A + B - 1) / B); }

// Midpoint Bresenham between two points that are not on one row or column,
// limited to the inclusive clip ranges [CX0, CX1] x [CY0, CY1]. The line is
// mirrored so both deltas are positive and, when steep, x and y swap roles;
// the part inside the clip is found in closed form (128-bit intermediates, as
// 2 * j * dv can exceed 64 bits for far-away end points), so the pixels drawn
// are exactly those of the unclipped line that lie inside. Without L the end
// point is left out.
template <class Plot>
void ClippedBresenham(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, bool L, int64_t CX0, int64_t CX1,
                      int64_t CY0, int64_t CY1, Plot&& plot) {
  int64_t dx = int64_t(X2) - X1, dy = int64_t(Y2) - Y1;
  const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  dx = std::llabs(dx);
  dy = std::llabs(dy);
  if (CX0 > CX1 || CY0 > CY1 || dx == 0 || dy == 0) return;
  const bool steep = dy > dx;
  // Mirrored clip ranges.
  int64_t mx0 = sx > 0 ? CX0 : -CX1, mx1 = sx > 0 ? CX1 : -CX0;
  int64_t my0 = sy > 0 ? CY0 : -CY1, my1 = sy > 0 ? CY1 : -CY0;
  const int64_t u1 = steep ? sy * Y1 : sx * X1;
  const int64_t v1 = steep ? sx * X1 : sy * Y1;
  const int64_t du = steep ? dy : dx, dv = steep ? dx : dy;
  const int64_t cu0 = steep ? my0 : mx0, cu1 = steep ? my1 : mx1;
  const int64_t cv0 = steep ? mx0 : my0, cv1 = steep ? mx1 : my1;

  // Step j (0 = start) is at u1 + j, v(j) = v1 + floor((2 j dv + du) / (2 du)).
  int64_t jlo = std::max<int64_t>(0, cu0 - u1);
  int64_t jhi = std::min<int64_t>(L ? du : du - 1, cu1 - u1);
  const int64_t t = cv0 - v1;
  if (t > 0) jlo = std::max(jlo, CeilDiv(i128(2) * du * t - du, i128(2) * dv));
  const int64_t T = cv1 - v1;
  if (T < 0) return;
  jhi = std::min(jhi, CeilDiv(i128(2) * du * (T + 1) - du, i128(2) * dv) - 1);
  if (jlo > jhi) return;

  const int64_t m = int64_t((i128(2) * jlo * dv + du) / (i128(2) * du));
  int64_t v = v1 + m;
  int64_t d = int64_t(i128(2) * (jlo + 1) * dv - (i128(2) * m + 1) * du);
  for (int64_t j = jlo, u = u1 + jlo; j <= jhi; ++j, ++u) {
    if (steep)
      plot(int32_t(sx * v), int32_t(sy * u));
    else
      plot(int32_t(sx * u), int32_t(sy * v));
    if (d < 0) {
      d += 2 * dv;
    } else {
      ++v;
      d += 2 * dv - 2 * du;
    }
  }
}

}  // namespace

// ---- Horizontal and vertical spans -----------------------------------------

namespace {
// Cuts the span A..B (either order) lying at P on the crossing axis to the
// clip interval [Lo, Hi), with P inside [PLo, PHi); false when nothing is left.
bool ClipSpan(int32_t P, int32_t PLo, int32_t PHi, int32_t Lo, int32_t Hi, int32_t& A, int32_t& B) {
  if (P < PLo || P >= PHi) return false;
  if (A > B) std::swap(A, B);
  A = std::max(A, Lo);
  B = std::min(B, Hi - 1);
  return A <= B;
}
}  // namespace

void TCustomBitmap32::HorzLine(int32_t X1, int32_t Y, int32_t X2, TColor32 Value) {
  if (X2 >= X1) FillLongword(FBits + X1 + Y * FWidth, X2 - X1 + 1, Value);
}

void TCustomBitmap32::HorzLineS(int32_t X1, int32_t Y, int32_t X2, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(MakeRect(X1, Y, X2, Y + 1));
    return;
  }
  if (!ClipSpan(Y, FClipRect.Top, FClipRect.Bottom, FClipRect.Left, FClipRect.Right, X1, X2)) return;
  HorzLine(X1, Y, X2, Value);
  Changed(MakeRect(X1, Y, X2, Y + 1));
}

void TCustomBitmap32::HorzLineT(int32_t X1, int32_t Y, int32_t X2, TColor32 Value) {
  if (X2 < X1) return;
  TColor32* p = FBits + X1 + Y * FWidth;
  for (int32_t i = X1; i <= X2; ++i, ++p) FBlendProc(Value, *p);
  FinishBlending();
}

void TCustomBitmap32::HorzLineTS(int32_t X1, int32_t Y, int32_t X2, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(MakeRect(X1, Y, X2, Y + 1));
    return;
  }
  if (!ClipSpan(Y, FClipRect.Top, FClipRect.Bottom, FClipRect.Left, FClipRect.Right, X1, X2)) return;
  HorzLineT(X1, Y, X2, Value);
  Changed(MakeRect(X1, Y, X2, Y + 1));
}

void TCustomBitmap32::VertLine(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value) {
  if (Y2 < Y1) return;
  TColor32* p = FBits + X + Y1 * FWidth;
  for (int32_t i = Y1; i <= Y2; ++i, p += FWidth) *p = Value;
}

void TCustomBitmap32::VertLineS(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(MakeRect(X, Y1, X + 1, Y2));
    return;
  }
  if (!ClipSpan(X, FClipRect.Left, FClipRect.Right, FClipRect.Top, FClipRect.Bottom, Y1, Y2)) return;
  VertLine(X, Y1, Y2, Value);
  Changed(MakeRect(X, Y1, X + 1, Y2));
}

void TCustomBitmap32::VertLineT(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value) {
  if (Y2 < Y1) return;
  TColor32* p = FBits + X + Y1 * FWidth;
  for (int32_t i = Y1; i <= Y2; ++i, p += FWidth) FBlendProc(Value, *p);
  FinishBlending();
}

void TCustomBitmap32::VertLineTS(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(MakeRect(X, Y1, X + 1, Y2));
    return;
  }
  if (!ClipSpan(X, FClipRect.Left, FClipRect.Right, FClipRect.Top, FClipRect.Bottom, Y1, Y2)) return;
  VertLineT(X, Y1, Y2, Value);
  Changed(MakeRect(X, Y1, X + 1, Y2));
}

// Stippled spans run from the first given end to the second; the pattern
// advances over clipped-away pixels too, so that it stays continuous.
void TCustomBitmap32::StippleSpan(int32_t X, int32_t Y, int32_t DxStep, int32_t DyStep, int32_t Count) {
  for (int32_t i = 0; i < Count; ++i, X += DxStep, Y += DyStep) {
    const TColor32 c = GetStippleColor();
    if (!FMeasuringMode && X >= FClipRect.Left && X < FClipRect.Right && Y >= FClipRect.Top &&
        Y < FClipRect.Bottom)
      FBlendProc(c, FBits[X + Y * FWidth]);
  }
  FinishBlending();
}

namespace {
// A stippled span drawn from A to B, against the clip interval [Lo, Hi) of its
// axis: its length, the first pixel inside the interval, how many pattern
// steps lie before that pixel, and how many pixels lie inside (0 or less: none).
struct TStippleRun {
  int64_t Total, First, Skip, Count;
  int32_t Step;
};
TStippleRun ClipStippleRun(int32_t A, int32_t B, int32_t Lo, int32_t Hi) {
  TStippleRun run;
  run.Total = std::llabs(int64_t(B) - A) + 1;
  run.Step = B >= A ? 1 : -1;
  run.First = run.Step > 0 ? std::max<int64_t>(A, Lo) : std::min<int64_t>(A, Hi - 1);
  const int64_t last = run.Step > 0 ? std::min<int64_t>(B, Hi - 1) : std::max<int64_t>(B, Lo);
  run.Skip = (run.First - A) * run.Step;
  run.Count = (last - run.First) * run.Step + 1;
  return run;
}
}  // namespace

void TCustomBitmap32::HorzLineTSP(int32_t X1, int32_t Y, int32_t X2) {
  const TStippleRun run = ClipStippleRun(X1, X2, FClipRect.Left, FClipRect.Right);
  // The pattern advances over the whole span, drawn or not, so it stays continuous.
  if (Y < FClipRect.Top || Y >= FClipRect.Bottom || run.Count <= 0) {
    AdvanceStippleCounter(float(run.Total));
    return;
  }
  AdvanceStippleCounter(float(run.Skip));
  StippleSpan(int32_t(run.First), Y, run.Step, 0, int32_t(run.Count));
  AdvanceStippleCounter(float(run.Total - run.Skip - run.Count));
  Changed(MakeRect(std::min(X1, X2), Y, std::max(X1, X2), Y + 1));
}

void TCustomBitmap32::VertLineTSP(int32_t X, int32_t Y1, int32_t Y2) {
  const TStippleRun run = ClipStippleRun(Y1, Y2, FClipRect.Top, FClipRect.Bottom);
  if (X < FClipRect.Left || X >= FClipRect.Right || run.Count <= 0) {
    AdvanceStippleCounter(float(run.Total));
    return;
  }
  AdvanceStippleCounter(float(run.Skip));
  StippleSpan(X, int32_t(run.First), 0, run.Step, int32_t(run.Count));
  AdvanceStippleCounter(float(run.Total - run.Skip - run.Count));
  Changed(MakeRect(X, std::min(Y1, Y2), X + 1, std::max(Y1, Y2)));
}

void TCustomBitmap32::HorzLineX(TFixed X1, TFixed Y, TFixed X2, TColor32 Value) {
  LineXInternal(X1, Y, X2, Y, Value, true, false, false);
}

void TCustomBitmap32::HorzLineXS(TFixed X1, TFixed Y, TFixed X2, TColor32 Value) {
  LineXInternal(X1, Y, X2, Y, Value, true, true, false);
}

void TCustomBitmap32::VertLineX(TFixed X, TFixed Y1, TFixed Y2, TColor32 Value) {
  LineXInternal(X, Y1, X, Y2, Value, true, false, false);
}

void TCustomBitmap32::VertLineXS(TFixed X, TFixed Y1, TFixed Y2, TColor32 Value) {
  LineXInternal(X, Y1, X, Y2, Value, true, true, false);
}

// ---- Bresenham lines -------------------------------------------------------

namespace {

// The unclipped Bresenham of Line and LineT: error starts at half the major delta.
template <class Plot> void PlainBresenham(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, bool L, Plot&& plot) {
  int32_t dx = std::abs(X2 - X1), dy = std::abs(Y2 - Y1);
  const int32_t sx = X2 >= X1 ? 1 : -1, sy = Y2 >= Y1 ? 1 : -1;
  int32_t x = X1, y = Y1;
  if (dy < dx) {
    int32_t e = dx / 2;
    for (int32_t i = 0; i < dx; ++i) {
      plot(x, y);
      x += sx;
      e += dy;
      if (e >= dx) {
        y += sy;
        e -= dx;
      }
    }
  } else {
    int32_t e = dy / 2;
    for (int32_t i = 0; i < dy; ++i) {
      plot(x, y);
      y += sy;
      e += dx;
      if (e >= dy) {
        x += sx;
        e -= dy;
      }
    }
  }
  if (L) plot(x, y);
}

}  // namespace

void TCustomBitmap32::Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
  if (!FMeasuringMode) {
    if (X1 == X2) {
      if (Y2 > Y1)
        VertLine(X1, Y1, Y2 - 1, Value);
      else if (Y2 < Y1)
        VertLine(X1, Y2 + 1, Y1, Value);
      if (L) SetPixel(X2, Y2, Value);
    } else if (Y1 == Y2) {
      if (X2 > X1)
        HorzLine(X1, Y1, X2 - 1, Value);
      else
        HorzLine(X2 + 1, Y1, X1, Value);
      if (L) SetPixel(X2, Y2, Value);
    } else {
      PlainBresenham(X1, Y1, X2, Y2, L, [&](int32_t x, int32_t y) { SetPixel(x, y, Value); });
    }
  }
  Changed(MakeRect(X1, Y1, X2, Y2), LineInfo);
}

void TCustomBitmap32::LineT(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
  if (!FMeasuringMode) {
    PlainBresenham(X1, Y1, X2, Y2, L, [&](int32_t x, int32_t y) { FBlendProc(Value, FBits[x + y * FWidth]); });
    FinishBlending();
  }
  Changed(MakeRect(X1, Y1, X2, Y2), LineInfo);
}

void TCustomBitmap32::LineS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
  if (X1 == X2 || Y1 == Y2) {
    BeginUpdate();
    if (X1 == X2) {
      if (Y2 > Y1) VertLineS(X1, Y1, Y2 - 1, Value);
      else if (Y2 < Y1) VertLineS(X1, Y2 + 1, Y1, Value);
    } else {
      if (X2 > X1) HorzLineS(X1, Y1, X2 - 1, Value);
      else HorzLineS(X2 + 1, Y1, X1, Value);
    }
    if (L && !FMeasuringMode) SetPixelS(X2, Y2, Value);
    EndUpdate();
  } else if (!FMeasuringMode) {
    ClippedBresenham(X1, Y1, X2, Y2, L, FClipRect.Left, int64_t(FClipRect.Right) - 1, FClipRect.Top,
                     int64_t(FClipRect.Bottom) - 1, [&](int32_t x, int32_t y) { SetPixel(x, y, Value); });
  }
  Changed(MakeRect(X1, Y1, X2, Y2), LineInfo);
}

void TCustomBitmap32::LineTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
  if (X1 == X2 || Y1 == Y2) {
    BeginUpdate();
    if (X1 == X2) {
      if (Y2 > Y1) VertLineTS(X1, Y1, Y2 - 1, Value);
      else if (Y2 < Y1) VertLineTS(X1, Y2 + 1, Y1, Value);
    } else {
      if (X2 > X1) HorzLineTS(X1, Y1, X2 - 1, Value);
      else HorzLineTS(X2 + 1, Y1, X1, Value);
    }
    if (L && !FMeasuringMode) SetPixelTS(X2, Y2, Value);
    EndUpdate();
  } else if (!FMeasuringMode) {
    ClippedBresenham(X1, Y1, X2, Y2, L, FClipRect.Left, int64_t(FClipRect.Right) - 1, FClipRect.Top,
                     int64_t(FClipRect.Bottom) - 1,
                     [&](int32_t x, int32_t y) { FBlendProc(Value, FBits[x + y * FWidth]); });
    FinishBlending();
  }
  Changed(MakeRect(X1, Y1, X2, Y2), LineInfo);
}

// ---- Anti-aliased lines ----------------------------------------------------

// Wu's line: the first point at full weight, then per major step the two
// pixels straddling the ideal line with gamma-corrected complementary weights
// taken from the high byte of a 16-bit fraction accumulator.
void TCustomBitmap32::LineAInternal(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L,
                                    bool Clip) {
  const int64_t dx = int64_t(X2) - X1, dy = int64_t(Y2) - Y1;
  const bool xMajor = std::llabs(dx) > std::llabs(dy);
  const int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);
  const int64_t minor = xMajor ? std::llabs(dy) : std::llabs(dx);
  const int64_t sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int64_t sMinor = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t inc = (minor << 16) / major;
  const TBlendPixelWeightInPlaceFunc blendMaster =
      FCombineMode == cmMerge ? MergePixelMasterInPlace : BlendPixelMasterInPlace;
  const auto& gamma = GammaTable();
  const int64_t cl = Clip ? FClipRect.Left : INT64_MIN, cr = Clip ? FClipRect.Right : INT64_MAX;
  const int64_t ct = Clip ? FClipRect.Top : INT64_MIN, cb = Clip ? FClipRect.Bottom : INT64_MAX;
  auto inside = [&](int64_t x, int64_t y) { return x >= cl && x < cr && y >= ct && y < cb; };
  auto at = [&](int64_t x, int64_t y) -> TColor32& { return FBits[x + y * int64_t(FWidth)]; };

  if (inside(X1, Y1)) FBlendProc(Value, at(X1, Y1));
  // Steps 1..count; when clipping, only those whose major coordinate lies in
  // the clip span (the minor neighbour is checked per pixel).
  const int64_t count = L ? major : major - 1;
  int64_t jlo = 1, jhi = count;
  if (Clip) {
    const int64_t m0 = xMajor ? X1 : Y1;
    const int64_t lo = xMajor ? cl : ct, hi = (xMajor ? cr : cb) - 1;
    const int64_t a = sMajor > 0 ? lo - m0 : m0 - hi;
    const int64_t b = sMajor > 0 ? hi - m0 : m0 - lo;
    jlo = std::max(jlo, a);
    jhi = std::min(jhi, b);
  }
  for (int64_t j = jlo; j <= jhi; ++j) {
    const int64_t acc = j * inc;
    const int64_t f = acc & 0xFFFF;
    const int64_t mj = (xMajor ? X1 : Y1) + sMajor * j;
    const int64_t mn = (xMajor ? Y1 : X1) + sMinor * (acc >> 16);
    const int64_t x0 = xMajor ? mj : mn, y0 = xMajor ? mn : mj;
    const int64_t x1 = xMajor ? mj : mn + sMinor, y1 = xMajor ? mn + sMinor : mj;
    if (inside(x0, y0)) blendMaster(Value, at(x0, y0), gamma[(f >> 8) ^ 255]);
    if (inside(x1, y1)) blendMaster(Value, at(x1, y1), gamma[f >> 8]);
  }
  FinishBlending();
}

void TCustomBitmap32::LineA(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
  if (X1 == X2 || Y1 == Y2) {
    LineT(X1, Y1, X2, Y2, Value, L);
    return;
  }
  if (!FMeasuringMode) LineAInternal(X1, Y1, X2, Y2, Value, L, false);
  Changed(MakeRect(X1, Y1, X2, Y2), LineInfo);
}

void TCustomBitmap32::LineAS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
  if (X1 == X2 || Y1 == Y2) {
    // Axis-parallel: a plain blended span up to, not including, the end point.
    LineTS(X1, Y1, X2, Y2, Value, L);
    return;
  }
  if (std::llabs(int64_t(X2) - X1) == std::llabs(int64_t(Y2) - Y1)) {
    LineTS(X1, Y1, X2, Y2, Value, L);
    return;
  }
  if (!FMeasuringMode && !IsRectEmpty(FClipRect)) LineAInternal(X1, Y1, X2, Y2, Value, L, true);
  Changed(MakeRect(X1, Y1, X2, Y2), LineInfo);
}

// Fixed-point anti-aliased line: pixels are centred on integer coordinates;
// at every pixel of the major axis the coverage is split between the two
// pixels nearest the ideal line by the fraction of the minor position.
void TCustomBitmap32::LineXInternal(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L,
                                    bool Clip, bool Stipple) {
  const int64_t dx = int64_t(X2) - X1, dy = int64_t(Y2) - Y1;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t a1 = xMajor ? X1 : Y1, a2 = xMajor ? X2 : Y2;  // major
  const int64_t b1 = xMajor ? Y1 : X1;                         // minor
  const int64_t da = a2 - a1, db = xMajor ? dy : dx;
  const int64_t s = da < 0 ? -1 : 1;
  const int64_t start = (a1 + 0x8000) >> 16, end = (a2 + 0x8000) >> 16;
  const int64_t steps = std::llabs(end - start) + (L ? 1 : 0);
  if (steps == 0) return;
  const TBlendPixelWeightInPlaceFunc blendMaster =
      FCombineMode == cmMerge ? MergePixelMasterInPlace : BlendPixelMasterInPlace;
  const auto& gamma = GammaTable();
  const int64_t cl = Clip ? FClipRect.Left : INT64_MIN, cr = Clip ? FClipRect.Right : INT64_MAX;
  const int64_t ct = Clip ? FClipRect.Top : INT64_MIN, cb = Clip ? FClipRect.Bottom : INT64_MAX;
  auto inside = [&](int64_t x, int64_t y) { return x >= cl && x < cr && y >= ct && y < cb; };
  auto blend = [&](int64_t x, int64_t y, TColor32 c, uint32_t w) {
    if (w && inside(x, y)) blendMaster(c, FBits[x + y * int64_t(FWidth)], w);
  };

  int64_t jlo = 0, jhi = steps - 1;
  if (Clip) {
    const int64_t lo = xMajor ? cl : ct, hi = (xMajor ? cr : cb) - 1;
    jlo = std::max<int64_t>(0, s > 0 ? lo - start : start - hi);
    jhi = std::min<int64_t>(jhi, s > 0 ? hi - start : start - lo);
  }
  if (Stipple) AdvanceStippleCounter(float(std::max<int64_t>(0, std::min(jlo, steps))));
  for (int64_t j = jlo; j <= jhi; ++j) {
    const int64_t a = start + s * j;
    // Minor position where the ideal line crosses the centre of this pixel.
    const int64_t b = da == 0 ? b1 : b1 + int64_t((i128(a * 65536 - a1) * db) / da);
    const int64_t bi = b >> 16;
    const uint32_t f = uint32_t((b >> 8) & 0xFF);
    const TColor32 c = Stipple ? GetStippleColor() : Value;
    if (xMajor) {
      blend(a, bi, c, gamma[f ^ 255]);
      blend(a, bi + 1, c, gamma[f]);
    } else {
      blend(bi, a, c, gamma[f ^ 255]);
      blend(bi + 1, a, c, gamma[f]);
    }
  }
  if (Stipple && jhi + 1 < steps) AdvanceStippleCounter(float(steps - std::max(jhi + 1, jlo)));
  FinishBlending();
}

namespace {
// The area a fixed-point line reports: ends rounded outward. The rounding up
// is done in 64 bits, as X2 + 0xFFFF overflows for ends near the 16.16 limit.
TRect FixedLineArea(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2) {
  auto up = [](TFixed v) { return static_cast<int32_t>((int64_t{v} + 0xFFFF) >> 16); };
  return MakeRect(X1 >> 16, Y1 >> 16, up(X2), up(Y2));
}
}  // namespace

void TCustomBitmap32::LineX(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L) {
  if (!FMeasuringMode) LineXInternal(X1, Y1, X2, Y2, Value, L, false, false);
  Changed(FixedLineArea(X1, Y1, X2, Y2), LineInfo);
}

void TCustomBitmap32::LineXS(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L) {
  if (!FMeasuringMode && !IsRectEmpty(FClipRect)) LineXInternal(X1, Y1, X2, Y2, Value, L, true, false);
  Changed(FixedLineArea(X1, Y1, X2, Y2), LineInfo);
}

void TCustomBitmap32::LineXP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L) {
  if (!FMeasuringMode) LineXInternal(X1, Y1, X2, Y2, 0, L, false, true);
  Changed(FixedLineArea(X1, Y1, X2, Y2), LineInfo);
}

void TCustomBitmap32::LineXSP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L) {
  if (!FMeasuringMode && !IsRectEmpty(FClipRect)) LineXInternal(X1, Y1, X2, Y2, 0, L, true, true);
  Changed(FixedLineArea(X1, Y1, X2, Y2), LineInfo);
}

void TCustomBitmap32::LineF(float X1, float Y1, float X2, float Y2, TColor32 Value, bool L) {
  LineX(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), Value, L);
}
void TCustomBitmap32::LineFS(float X1, float Y1, float X2, float Y2, TColor32 Value, bool L) {
  LineXS(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), Value, L);
}
void TCustomBitmap32::LineFP(float X1, float Y1, float X2, float Y2, bool L) {
  LineXP(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), L);
}
void TCustomBitmap32::LineFSP(float X1, float Y1, float X2, float Y2, bool L) {
  LineXSP(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), L);
}

// ---- Pen -------------------------------------------------------------------

void TCustomBitmap32::MoveTo(int32_t X, int32_t Y) {
  RasterX = X;
  RasterY = Y;
}

void TCustomBitmap32::LineToS(int32_t X, int32_t Y) {
  LineS(RasterX, RasterY, X, Y, FPenColor);
  MoveTo(X, Y);
}

void TCustomBitmap32::LineToTS(int32_t X, int32_t Y) {
  LineTS(RasterX, RasterY, X, Y, FPenColor);
  MoveTo(X, Y);
}

void TCustomBitmap32::LineToAS(int32_t X, int32_t Y) {
  LineAS(RasterX, RasterY, X, Y, FPenColor);
  MoveTo(X, Y);
}

void TCustomBitmap32::MoveToX(TFixed X, TFixed Y) {
  RasterXF = X;
  RasterYF = Y;
}

void TCustomBitmap32::MoveToF(float X, float Y) { MoveToX(Fixed(X), Fixed(Y)); }

void TCustomBitmap32::LineToXS(TFixed X, TFixed Y) {
  LineXS(RasterXF, RasterYF, X, Y, FPenColor);
  MoveToX(X, Y);
}

void TCustomBitmap32::LineToFS(float X, float Y) { LineToXS(Fixed(X), Fixed(Y)); }

void TCustomBitmap32::LineToXSP(TFixed X, TFixed Y) {
  LineXSP(RasterXF, RasterYF, X, Y);
  MoveToX(X, Y);
}

void TCustomBitmap32::LineToFSP(float X, float Y) { LineToXSP(Fixed(X), Fixed(Y)); }

// ---- Rectangles ------------------------------------------------------------

void TCustomBitmap32::FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
  if (!FMeasuringMode && FBits && Y2 > Y1 && X2 > X1)
    for (int32_t y = Y1; y < Y2; ++y) FillLongword(FBits + X1 + y * FWidth, X2 - X1, Value);
  Changed(MakeRect(X1, Y1, X2, Y2));
}

namespace {
// Cuts (X1, Y1, X2, Y2) to Clip; false when nothing is left.
bool ClipToRect(int32_t& X1, int32_t& Y1, int32_t& X2, int32_t& Y2, const TRect& Clip) {
  if (X1 >= X2 || Y1 >= Y2 || X1 >= Clip.Right || Y1 >= Clip.Bottom || X2 <= Clip.Left || Y2 <= Clip.Top)
    return false;
  X1 = std::max(X1, Clip.Left);
  Y1 = std::max(Y1, Clip.Top);
  X2 = std::min(X2, Clip.Right);
  Y2 = std::min(Y2, Clip.Bottom);
  return true;
}
}  // namespace

void TCustomBitmap32::FillRectS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
  if (!FMeasuringMode && ClipToRect(X1, Y1, X2, Y2, FClipRect))
    FillRect(X1, Y1, X2, Y2, Value);
  else
    Changed(MakeRect(X1, Y1, X2, Y2));
}

void TCustomBitmap32::FillRectS(const TRect& ARect, TColor32 Value) {
  FillRectS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Value);
}

void TCustomBitmap32::FillRectT(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
  const uint32_t a = AlphaOf(Value);
  if (a == 0xFF) {
    FillRect(X1, Y1, X2, Y2, Value);
    return;
  }
  if (a == 0) return;
  if (!FMeasuringMode && FBits && Y2 > Y1 && X2 > X1) {
    for (int32_t y = Y1; y < Y2; ++y) {
      TColor32* p = FBits + X1 + y * FWidth;
      if (FCombineMode == cmBlend)
        for (int32_t x = X1; x < X2; ++x, ++p) CombinePixelInPlace(Value, *p, a);
      else
        for (int32_t x = X1; x < X2; ++x, ++p) MergePixelInPlace(Value, *p);
    }
    FinishBlending();
  }
  Changed(MakeRect(X1, Y1, X2, Y2));
}

void TCustomBitmap32::FillRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
  if (FMeasuringMode) {
    if (AlphaOf(Value) != 0) Changed(MakeRect(X1, Y1, X2, Y2));
    return;
  }
  if (ClipToRect(X1, Y1, X2, Y2, FClipRect)) FillRectT(X1, Y1, X2, Y2, Value);
}

void TCustomBitmap32::FillRectTS(const TRect& ARect, TColor32 Value) {
  FillRectTS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Value);
}

namespace {
bool MeetsClip(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TRect& Clip) {
  return X1 < X2 && Y1 < Y2 && X1 < Clip.Right && Y1 < Clip.Bottom && X2 > Clip.Left && Y2 > Clip.Top;
}
}  // namespace

void TCustomBitmap32::FrameRectS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
  if (!MeetsClip(X1, Y1, X2, Y2, FClipRect)) return;
  BeginUpdate();
  HorzLineS(X1, Y1, X2 - 1, Value);
  if (Y2 - 1 > Y1) HorzLineS(X1, Y2 - 1, X2 - 1, Value);
  if (Y1 + 1 < Y2 - 1) {
    VertLineS(X1, Y1 + 1, Y2 - 2, Value);
    if (X2 - 1 > X1) VertLineS(X2 - 1, Y1 + 1, Y2 - 2, Value);
  }
  EndUpdate();
  Changed(MakeRect(X1, Y1, X2, Y2));
}

void TCustomBitmap32::FrameRectS(const TRect& ARect, TColor32 Value) {
  FrameRectS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Value);
}

void TCustomBitmap32::FrameRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
  if (!MeetsClip(X1, Y1, X2, Y2, FClipRect)) return;
  BeginUpdate();
  HorzLineTS(X1, Y1, X2 - 1, Value);
  if (Y2 - 1 > Y1) HorzLineTS(X1, Y2 - 1, X2 - 1, Value);
  if (Y1 + 1 < Y2 - 1) {
    VertLineTS(X1, Y1 + 1, Y2 - 2, Value);
    if (X2 - 1 > X1) VertLineTS(X2 - 1, Y1 + 1, Y2 - 2, Value);
  }
  EndUpdate();
  Changed(MakeRect(X1, Y1, X2, Y2));
}

void TCustomBitmap32::FrameRectTS(const TRect& ARect, TColor32 Value) {
  FrameRectTS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Value);
}

void TCustomBitmap32::FrameRectTSP(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (!MeetsClip(X1, Y1, X2, Y2, FClipRect)) return;
  BeginUpdate();
  // Clockwise from the top-left corner; each side stops before the next corner.
  if (X2 - X1 == 1) {
    VertLineTSP(X1, Y1, Y2 - 1);
  } else if (Y2 - Y1 == 1) {
    HorzLineTSP(X1, Y1, X2 - 1);
  } else {
    HorzLineTSP(X1, Y1, X2 - 2);
    VertLineTSP(X2 - 1, Y1, Y2 - 2);
    HorzLineTSP(X2 - 1, Y2 - 1, X1 + 1);
    VertLineTSP(X1, Y2 - 1, Y1 + 1);
  }
  EndUpdate();
  Changed(MakeRect(X1, Y1, X2, Y2));
}

void TCustomBitmap32::RaiseRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Contrast) {
  if (Contrast == 0 || !MeetsClip(X1, Y1, X2, Y2, FClipRect)) return;
  const int64_t c = std::llabs(int64_t(Contrast));
  const int32_t strong = int32_t(std::min<int64_t>(c * 512 / 100, 255));
  const int32_t weak = int32_t(std::min<int64_t>(c * 255 / 100, 255));
  TColor32 first, second;
  if (Contrast > 0) {
    first = WithAlpha(0xFFFFFF, strong);
    second = WithAlpha(0x000000, weak);
  } else {
    first = WithAlpha(0x000000, weak);
    second = WithAlpha(0xFFFFFF, strong);
  }
  BeginUpdate();
  HorzLineTS(X1, Y1, X2 - 1, first);
  HorzLineTS(X1, Y2 - 1, X2 - 1, second);
  VertLineTS(X1, Y1 + 1, Y2 - 2, first);
  VertLineTS(X2 - 1, Y1 + 1, Y2 - 2, second);
  EndUpdate();
  Changed(MakeRect(X1, Y1, X2, Y2));
}

void TCustomBitmap32::RaiseRectTS(const TRect& ARect, int32_t Contrast) {
  RaiseRectTS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Contrast);
}

// ---- Stipple ---------------------------------------------------------------

void TCustomBitmap32::SetStipple(const TArrayOfColor32& NewStipple) {
  FStipplePattern = NewStipple;
  FStippleCounter = 0;
}

namespace {
// Counter wrapped into [0, N); a non-finite counter restarts at 0.
float WrapCounter(float Counter, size_t N) {
  if (N == 0) return Counter;
  if (!std::isfinite(Counter)) return 0;
  float c = std::fmod(Counter, float(N));
  if (c < 0) c += float(N);
  if (c >= float(N)) c = 0;
  return c;
}
}  // namespace

void TCustomBitmap32::AdvanceStippleCounter(float LengthPixels) {
  FStippleCounter = WrapCounter(FStippleCounter + LengthPixels * FStippleStep, FStipplePattern.size());
}

TColor32 TCustomBitmap32::GetStippleColor() {
  const size_t n = FStipplePattern.size();
  if (n == 0) return 0xFF000000u;
  FStippleCounter = WrapCounter(FStippleCounter, n);
  // Ties round to even (the default floating-point rounding).
  int64_t i = int64_t(std::nearbyint(FStippleCounter - 0.5f));
  i = std::clamp<int64_t>(i, 0, int64_t(n) - 1);
  const int32_t a = int32_t(std::nearbyint((FStippleCounter - float(i)) * 255.0f));
  TColor32 result;
  if (a <= 0)
    result = FStipplePattern[size_t(i)];
  else
    result = CombinePixel(FStipplePattern[size_t(i)], FStipplePattern[size_t(i) + 1 < n ? size_t(i) + 1 : 0],
                          uint32_t(255 - std::min(a, 255)));
  FStippleCounter += FStippleStep;
  return result;
}
