// Linear colour gradients at an angle, laid into polygons (in practice the
// rectangles of the skinned panels) through the anti-aliased polygon fill.
// Portable: never includes windows.h.
#pragma once

#include <cstdint>

#include "gfx/bitmap32.h"
#include "gfx/color32.h"
#include "gfx/polygons.h"

// Each channel trunc(A * (1 - t) + B * t), in extended precision; t <= 0
// gives A, t >= 1 gives B.
TColor32 LerpColor32(TColor32 A, TColor32 B, long double t);

// The colour at t of ColorsHigh + 1 stops spread evenly from 0 to 1: t <= 0
// gives the first stop, t >= 1 the last. One stop (ColorsHigh = 0) is a solid
// colour; no stops (ColorsHigh < 0 or Colors null) give transparent black.
TColor32 GradientColorAt(const TColor32* Colors, int32_t ColorsHigh, TFloat t);
TColor32 GradientColorAt(const TArrayOfColor32& Colors, TFloat t);

// Fills the contours (winding rule, anti-aliased) with a gradient of
// ColorsHigh + 1 stops running at Angle degrees: 0 runs left to right, 90
// bottom to top, 180 right to left, 270 top to bottom (angles are taken
// modulo 360; within 5 degrees of these four the gradient follows the pixel
// grid exactly). Pixels are merged with the target by their coverage. If
// OutlineColor has a non-zero alpha, every contour is then outlined in it
// (closed, anti-aliased). Nothing is filled when there are no stops.
// A null Bitmap raises EBitmapException.
void GradientFillPolygons(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Contours,
                          TColor32 OutlineColor, int32_t Angle, int32_t ColorsHigh, const TColor32* Colors);
void GradientFillPolygons(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Contours,
                          TColor32 OutlineColor, int32_t Angle, const TArrayOfColor32& Colors);

// One polygon of High + 1 points (High < 0 or null Points: no polygon).
void GradientFillPolygon(TCustomBitmap32* Bitmap, const TFixedPoint* Points, int32_t High, int32_t Angle,
                         int32_t ColorsHigh, const TColor32* Colors, TColor32 OutlineColor);
void GradientFillPolygon(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, int32_t Angle,
                         const TArrayOfColor32& Colors, TColor32 OutlineColor);
