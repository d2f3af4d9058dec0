// The look of a skinned panel apart from its window: the translucent wash,
// the border lines on chosen sides with the inner white line, the linear
// gradient and the border-effect bands of the border panel. Portable: every
// procedure draws into a TBitmap32.
#pragma once

#include <cstdint>

#include "gfx/bitmap32.h"

enum TSide : uint8_t { sdLeft = 1, sdTop = 2, sdRight = 4, sdBottom = 8 };
using TSides = uint8_t;
constexpr TSides AllSides = sdLeft | sdTop | sdRight | sdBottom;

// Text alignment of the skinned controls' captions.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };

enum TGradientAlign { gaCenter, gaLeft, gaRight };
enum TGradientDirection { gdHorizontal, gdVertical };

// Lays RGB (0x00RRGGBB) over the whole bitmap at Alpha (nothing at 0; a plain
// fill at 255).
void PanelWash(TCustomBitmap32& Bitmap, uint32_t RGB, uint8_t Alpha);

// The border lines along Sides: the outer line in Outer, and with DoubleBorder
// a white line inside it, both at BorderAlpha; anti-aliased lines without their
// end points. A 1-pixel-wide panel keeps only its left and top lines.
void DrawPanelBorder(TCustomBitmap32& Bitmap, TSides Sides, uint32_t OuterRGB, uint8_t BorderAlpha, bool DoubleBorder);

// The design-time outline along Sides.
void DrawDesignBorder(TCustomBitmap32& Bitmap, TSides Sides);
constexpr TColor32 DesignFrameColor = 0xB017B4BB;

struct TPanelGradient {
  uint32_t StartRGB = 0x46C4FF;
  uint32_t EndRGB = 0xF3F8FD;
  uint8_t Alpha = 192;
  int32_t Size = 60;  // percent of the width (horizontal) or the height (vertical)
  TGradientAlign Align = gaCenter;
  TGradientDirection Direction = gdVertical;
};

// A rectangle of the gradient and the angle of its ramp (the start colour at
// the edge the angle points away from).
struct TGradientPiece {
  TRect Rect;
  int32_t Angle;
};

// The one or two rectangles a gradient of a Width x Height panel fills.
int32_t GradientPieces(const TPanelGradient& Gradient, int32_t Width, int32_t Height, TGradientPiece Pieces[2]);

// The gradient blended over the bitmap; outside its rectangles nothing changes.
void DrawPanelGradient(TCustomBitmap32& Bitmap, const TPanelGradient& Gradient);

// Fills the rounded rectangle (0, 0, Width, Height) with corner radius
// Radius (at most half the shorter side) in Color, anti-aliased and blended.
void FillRoundRect(TCustomBitmap32& Bitmap, int32_t Radius, TColor32 Color);

// Copies the four Band-pixel bands along the edges of Src into Dst (same size).
void CopyEdgeBands(const TCustomBitmap32& Src, TCustomBitmap32& Dst, int32_t Band);
