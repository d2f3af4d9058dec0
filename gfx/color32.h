// The 32-bit pixel of the raster library, its colour functions, the float and
// fixed-point geometric types and the rectangle functions shared by bitmaps,
// resamplers and skin drawing (TPoint and TRect come from the toolkit core).
// Portable: never includes windows.h. Where windows.h is also included, the
// rectangle functions below overload the Win32 ones by their argument types.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "toolkit/core/classes.h"
#include "toolkit/core/geometry.h"

// 0xAARRGGBB; in memory blue, green, red, alpha. Not premultiplied.
using TColor32 = uint32_t;
using PColor32 = TColor32*;
using PColor32Array = TColor32*;
using TArrayOfColor32 = std::vector<TColor32>;

// 16.16 fixed point: value * 65536.
using TFixed = int32_t;
using TFloat = float;

constexpr TFixed FixedOne = 0x10000;
constexpr TFixed FixedHalf = 0x8000;

struct TFloatPoint {
  TFloat X = 0;
  TFloat Y = 0;
  friend bool operator==(const TFloatPoint&, const TFloatPoint&) = default;
};

struct TFixedPoint {
  TFixed X = 0;
  TFixed Y = 0;
  friend bool operator==(const TFixedPoint&, const TFixedPoint&) = default;
};

struct TFloatRect {
  TFloat Left = 0;
  TFloat Top = 0;
  TFloat Right = 0;
  TFloat Bottom = 0;
  friend bool operator==(const TFloatRect&, const TFloatRect&) = default;
};

struct TFixedRect {
  TFixed Left = 0;
  TFixed Top = 0;
  TFixed Right = 0;
  TFixed Bottom = 0;
  friend bool operator==(const TFixedRect&, const TFixedRect&) = default;
};

// How a float or fixed rectangle becomes an integer one: each edge to the
// nearest integer, outward (never smaller), inward (never larger, never inverted).
enum TRectRounding { rrClosest, rrOutside, rrInside };

// ---- Colours ---------------------------------------------------------------

constexpr TColor32 clBlack32 = 0xFF000000;
constexpr TColor32 clWhite32 = 0xFFFFFFFF;
constexpr TColor32 clTransparent32 = 0x00000000;

// Toolkit colour (0x00BBGGRR, or a system colour) to an opaque TColor32.
TColor32 ToColor32(TColor Color);

constexpr TColor32 MakeColor32(uint8_t R, uint8_t G, uint8_t B, uint8_t A = 0xFF) {
  return (TColor32(A) << 24) | (TColor32(R) << 16) | (TColor32(G) << 8) | TColor32(B);
}
constexpr TColor32 MakeGray32(uint8_t Intensity, uint8_t A = 0xFF) {
  return (TColor32(A) << 24) | (TColor32(Intensity) * 0x010101u);
}
inline void SplitColor32(TColor32 C, uint8_t& R, uint8_t& G, uint8_t& B, uint8_t& A) {
  A = uint8_t(C >> 24);
  R = uint8_t(C >> 16);
  G = uint8_t(C >> 8);
  B = uint8_t(C);
}
constexpr uint8_t AlphaOf(TColor32 C) { return uint8_t(C >> 24); }
constexpr uint8_t RedOf(TColor32 C) { return uint8_t(C >> 16); }
constexpr uint8_t GreenOf(TColor32 C) { return uint8_t(C >> 8); }
constexpr uint8_t BlueOf(TColor32 C) { return uint8_t(C); }
// Perceived brightness, weights 61/174/21 out of 256 (rounded down).
constexpr uint8_t IntensityOf(TColor32 C) {
  return uint8_t((RedOf(C) * 61u + GreenOf(C) * 174u + BlueOf(C) * 21u) >> 8);
}
// Colour channels kept; the new alpha is clamped to 0-255.
constexpr TColor32 WithAlpha(TColor32 C, int NewAlpha) {
  const uint32_t a = NewAlpha < 0 ? 0u : NewAlpha > 255 ? 255u : uint32_t(NewAlpha);
  return (C & 0x00FFFFFFu) | (a << 24);
}

// Integer HSL, every component 0-255 (hue 255 is a full turn).
TColor32 HslToColor32(uint8_t H, uint8_t S, uint8_t L, uint8_t A = 0xFF);
void Color32ToHsl(TColor32 C, uint8_t& H, uint8_t& S, uint8_t& L);

// ---- Gamma -----------------------------------------------------------------

// Entry i = round(255 * (i / 255) ^ Gamma): the coverage correction of the
// anti-aliased lines. Starts with Gamma = 1.6.
constexpr double DefaultGamma = 1.6;
const std::array<uint8_t, 256>& GammaTable();
// Rebuilds the table. Gamma must be finite and positive (EConvertError otherwise).
void SetGamma(double Gamma = DefaultGamma);

// ---- Geometry --------------------------------------------------------------

constexpr TFloatPoint FloatPoint(TFloat X, TFloat Y) { return {X, Y}; }
constexpr TFloatPoint FloatPoint(const TPoint& P) { return {TFloat(P.X), TFloat(P.Y)}; }
constexpr TFloatRect FloatRect(TFloat Left, TFloat Top, TFloat Right, TFloat Bottom) {
  return {Left, Top, Right, Bottom};
}
constexpr TFloatRect FloatRect(const TRect& R) {
  return {TFloat(R.Left), TFloat(R.Top), TFloat(R.Right), TFloat(R.Bottom)};
}

// x * 65536 rounded to nearest (ties to even); saturates outside the TFixed
// range, NaN gives 0.
TFixed Fixed(TFloat X);
constexpr TFixed Fixed(int32_t X) { return TFixed(uint32_t(X) << 16); }
TFixedPoint FixedPoint(const TFloatPoint& P);
constexpr TFixedPoint FixedPoint(const TPoint& P) { return {Fixed(P.X), Fixed(P.Y)}; }
constexpr TFloat FixedToFloat(TFixed X) { return TFloat(X) * (1.0f / 65536.0f); }

TRect MakeRect(const TFloatRect& R, TRectRounding Rounding = rrClosest);
TRect MakeRect(const TFixedRect& R, TRectRounding Rounding = rrClosest);

bool OffsetRect(TRect& R, int32_t Dx, int32_t Dy);
bool OffsetRect(TFloatRect& R, TFloat Dx, TFloat Dy);
// Left and top decrease, right and bottom increase.
bool InflateRect(TRect& R, int32_t Dx, int32_t Dy);
bool InflateRect(TFloatRect& R, TFloat Dx, TFloat Dy);
// False, with Dst all zeros, when right < left or bottom < top.
bool IntersectRect(TRect& Dst, const TRect& A, const TRect& B);
bool IntersectRect(TFloatRect& Dst, const TFloatRect& A, const TFloatRect& B);
// Left and top inclusive, right and bottom exclusive.
bool PtInRect(const TRect& R, const TPoint& P);
bool PtInRect(const TFloatRect& R, const TFloatPoint& P);
// True unless left < right and top < bottom.
bool IsRectEmpty(const TRect& R);
bool IsRectEmpty(const TFloatRect& R);
bool EqualRect(const TRect& A, const TRect& B);
bool EqualRect(const TFloatRect& A, const TFloatRect& B);
