#include "gfx/color32.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

TColor32 ToColor32(TColor Color) {
  // ColorToRGB resolves a system colour (negative value, index in the low byte).
  const uint32_t rgb = ColorToRGB(Color);
  return 0xFF000000u | ((rgb & 0xFFu) << 16) | (rgb & 0xFF00u) | ((rgb >> 16) & 0xFFu);
}

TColor32 HslToColor32(uint8_t H, uint8_t S, uint8_t L, uint8_t A) {
  const int32_t h = H, s = S, l = L;
  // Above mid lightness, L * S / 255 is taken as (L * S * 32897) >> 23 (rounded down).
  const int32_t v = l <= 127 ? (l * (256 + s)) >> 8
                             : l + s - int32_t((uint32_t(l) * uint32_t(s) * 32897u) >> 23);
  if (v <= 0) return 0xFF000000u;
  const int32_t m = 2 * l - v;
  const int32_t h6 = h * 6;
  const int32_t vsf = ((v - m) * (h6 & 0xFF)) >> 8;
  const int32_t m1 = m + vsf, m2 = v - vsf;
  int32_t r, g, b;
  switch (h6 >> 8) {
    case 0: r = v; g = m1; b = m; break;
    case 1: r = m2; g = v; b = m; break;
    case 2: r = m; g = v; b = m1; break;
    case 3: r = m; g = m2; b = v; break;
    case 4: r = m1; g = m; b = v; break;
    default: r = v; g = m; b = m2; break;
  }
  return MakeColor32(uint8_t(r), uint8_t(g), uint8_t(b), A);
}

void Color32ToHsl(TColor32 C, uint8_t& H, uint8_t& S, uint8_t& L) {
  const int32_t r = RedOf(C), g = GreenOf(C), b = BlueOf(C);
  const int32_t mx = std::max(r, std::max(g, b));
  const int32_t mn = std::min(r, std::min(g, b));
  L = uint8_t((mx + mn) >> 1);
  if (mx == mn) {
    H = 0;
    S = 0;
    return;
  }
  const int32_t d = (mx - mn) * 255;
  S = uint8_t(mx + mn >= 256 ? d / (510 - mx - mn) : d / (mx + mn));
  const int32_t d6 = d * 6;
  int32_t h;
  if (r == mx)
    h = (g - b) * 65025 / d6;
  else if (g == mx)
    h = (b - r) * 65025 / d6 + 85;
  else
    h = (r - g) * 65025 / d6 + 170;
  if (h < 0) h += 510;
  H = uint8_t(h);
}

// ---- Gamma -----------------------------------------------------------------

namespace {

std::array<uint8_t, 256> BuildGamma(double gamma) {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = uint8_t(std::lround(255.0 * std::pow(i / 255.0, gamma)));
  return t;
}

std::array<uint8_t, 256>& GammaStorage() {
  static std::array<uint8_t, 256> table = BuildGamma(DefaultGamma);
  return table;
}

}  // namespace

const std::array<uint8_t, 256>& GammaTable() { return GammaStorage(); }

void SetGamma(double Gamma) {
  if (!std::isfinite(Gamma) || Gamma <= 0) throw EConvertError("Invalid gamma value");
  GammaStorage() = BuildGamma(Gamma);
}

// ---- Geometry --------------------------------------------------------------

namespace {

// Float to int32 with the given rounding, saturating; NaN gives 0.
template <class Round>
int32_t ToInt32(double x, Round round) {
  if (std::isnan(x)) return 0;
  const double r = round(x);
  if (r >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (r <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return int32_t(r);
}
int32_t RoundNearest(double x) { return ToInt32(x, [](double v) { return std::nearbyint(v); }); }
int32_t RoundDown(double x) { return ToInt32(x, [](double v) { return std::floor(v); }); }
int32_t RoundUp(double x) { return ToInt32(x, [](double v) { return std::ceil(v); }); }

// Fixed-point rounding: down is >> 16, up adds 0xFFFF first, nearest adds 0x7FFF.
int32_t FixedDown(TFixed x) { return int32_t(int64_t(x) >> 16); }
int32_t FixedUp(TFixed x) { return int32_t((int64_t(x) + 0xFFFF) >> 16); }
int32_t FixedNearest(TFixed x) { return int32_t((int64_t(x) + 0x7FFF) >> 16); }

}  // namespace

TFixed Fixed(TFloat X) { return RoundNearest(double(X) * 65536.0); }

TFixedPoint FixedPoint(const TFloatPoint& P) { return {Fixed(P.X), Fixed(P.Y)}; }

namespace {
// An integer rectangle from float or fixed edges, by one of the three rounding
// modes; inward rounding never lets right or bottom fall below left or top.
template <class Rect, class Down, class Up, class Nearest>
TRect RoundRect(const Rect& R, TRectRounding Rounding, Down down, Up up, Nearest nearest) {
  TRect result;
  switch (Rounding) {
    case rrOutside:
      result = {down(R.Left), down(R.Top), up(R.Right), up(R.Bottom)};
      break;
    case rrInside:
      result = {up(R.Left), up(R.Top), down(R.Right), down(R.Bottom)};
      if (result.Right < result.Left) result.Right = result.Left;
      if (result.Bottom < result.Top) result.Bottom = result.Top;
      break;
    default:
      result = {nearest(R.Left), nearest(R.Top), nearest(R.Right), nearest(R.Bottom)};
      break;
  }
  return result;
}
}  // namespace

TRect MakeRect(const TFloatRect& R, TRectRounding Rounding) {
  return RoundRect(R, Rounding, RoundDown, RoundUp, RoundNearest);
}

TRect MakeRect(const TFixedRect& R, TRectRounding Rounding) {
  return RoundRect(R, Rounding, FixedDown, FixedUp, FixedNearest);
}

bool OffsetRect(TRect& R, int32_t Dx, int32_t Dy) {
  R.Left += Dx;
  R.Right += Dx;
  R.Top += Dy;
  R.Bottom += Dy;
  return true;
}

bool OffsetRect(TFloatRect& R, TFloat Dx, TFloat Dy) {
  R.Left += Dx;
  R.Right += Dx;
  R.Top += Dy;
  R.Bottom += Dy;
  return true;
}

bool InflateRect(TRect& R, int32_t Dx, int32_t Dy) {
  R.Left -= Dx;
  R.Right += Dx;
  R.Top -= Dy;
  R.Bottom += Dy;
  return true;
}

bool InflateRect(TFloatRect& R, TFloat Dx, TFloat Dy) {
  R.Left -= Dx;
  R.Right += Dx;
  R.Top -= Dy;
  R.Bottom += Dy;
  return true;
}

bool IntersectRect(TRect& Dst, const TRect& A, const TRect& B) {
  const TRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                std::min(A.Bottom, B.Bottom)};
  const bool ok = r.Right >= r.Left && r.Bottom >= r.Top;
  Dst = ok ? r : TRect{};
  return ok;
}

bool IntersectRect(TFloatRect& Dst, const TFloatRect& A, const TFloatRect& B) {
  const TFloatRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                     std::min(A.Bottom, B.Bottom)};
  const bool ok = r.Right >= r.Left && r.Bottom >= r.Top;
  Dst = ok ? r : TFloatRect{};
  return ok;
}

bool PtInRect(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

bool PtInRect(const TFloatRect& R, const TFloatPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

bool IsRectEmpty(const TRect& R) { return !(R.Left < R.Right && R.Top < R.Bottom); }
bool IsRectEmpty(const TFloatRect& R) { return !(R.Left < R.Right && R.Top < R.Bottom); }

bool EqualRect(const TRect& A, const TRect& B) { return std::memcmp(&A, &B, sizeof(TRect)) == 0; }
bool EqualRect(const TFloatRect& A, const TFloatRect& B) {
  return std::memcmp(&A, &B, sizeof(TFloatRect)) == 0;
}
