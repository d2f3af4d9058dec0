// The skinned frame's painting arithmetic, apart from any window: the skin
// tint of colours and pictures, the gradient fill, the background bitmaps of
// the colour and picture styles, the fade of a picture into its average
// colour, and the frame lines of the four strips.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/bitmap32.h"
#include "skin/resources/skin_image.h"
#include "toolkit/core/classes.h"

// The process-wide skin tint (hue shift in degrees, saturation and
// brightness in percent), 0 unless a skin definition sets it.
extern int32_t HSB_H, HSB_S, HSB_B;
bool SkinTintActive();

// Shifts the hue of an RGB colour by H degrees and changes its saturation by
// S and its brightness by B percent, in integer steps; a grey keeps its hue
// and saturation. The result is RGB (top byte 0).
TColor HSBAdjust(TColor Color, int32_t H, int32_t S, int32_t B);
// Tints every pixel that is not fully transparent through its HSL bytes.
void TintPicture(TCustomBitmap32& Picture, int32_t H, int32_t S, int32_t B);

// The gradient's 8.24 fixed-point step over Lines lines (at least one):
// 2^24 / Lines rounded to nearest, ties to even.
uint32_t GradientStep(int32_t Lines);
// One channel of line Line: From plus the top byte of Step * Line * (To - From)
// taken modulo 2^32, modulo 256. The last line ends one step short of To.
uint8_t GradientChannel(uint8_t From, uint8_t To, uint32_t Step, int32_t Line);
// Line Line of the gradient between two RGB colours, as 0x00RRGGBB (alpha 0).
TColor32 GradientLine(TColor From, TColor To, uint32_t Step, int32_t Line);
// Fills Rect of Dst with the gradient (rows from the top, or with Horizontal
// columns from the left), replacing the pixels with alpha 0 ones; clipped to
// Dst's bounds. From and To are RGB colours.
void GradientFillBitmap(TCustomBitmap32& Dst, TColor From, TColor To, bool Horizontal, const TRect& Rect);

// The colour style's gradient strip: Width x GradH, a vertical gradient from
// NCBk to ClientBk stretched across (empty when GradH is not positive).
void BuildGradientStrip(TBitmap32& Strip, int32_t Width, int32_t GradH, TColor NCBk, TColor ClientBk);
// The colour style's client background: (W + 10) x (H + 10) of ClientBk with
// Strip (when given) drawn at (StripX, StripY).
void BuildColorGraphic(TBitmap32& Graphic, int32_t W, int32_t H, TColor ClientBk, const TBitmap32* Strip,
                       int32_t StripX, int32_t StripY);

// Fades the right and bottom 100 pixels of Picture into its average colour,
// which it returns (RGB); the result is opaque. A picture narrower or lower
// than 100 pixels fades over its whole width or height.
TColor FadeToAverage(TCustomBitmap32& Picture);
// Sizes Graphic ((W + 10) x (H + 10), exactly W x H for mfs9Block) and lays
// Picture on by FillStyle: mfsBlur on PictureBgColor at (OX, OY), mfsTile from
// (OX, OY), mfsStretch scaled to cover and centred, mfs9Block by auto-stretch.
// All but mfsBlur set PictureBgColor to white.
void FillPictureGraphic(TBitmap32& Graphic, const TCustomBitmap32& Picture, TVelFillStyle FillStyle, int32_t W,
                        int32_t H, int32_t OX, int32_t OY, TColor& PictureBgColor);
// The picture style's backgrounds: the skin image CustomPicture copied into
// Picture, tinted, faded for mfsBlur (which sets PictureBgColor), and laid
// into Graphic. False, with nothing changed, when the image is missing.
bool BuildPictureBackground(const std::wstring& CustomPicture, TVelFillStyle FillStyle, int32_t W, int32_t H,
                            int32_t OX, int32_t OY, TBitmap32& Picture, TBitmap32& Graphic, TColor& PictureBgColor);

enum TFrameEdgeSide { feTop, feLeft, feRight, feBottom };
struct TFrameEdgeStyle {
  bool FlatFrame = false;
  bool Maximized = false;
  int32_t FramWidth = 2;
  bool DoubleFrame = true;
  bool RoundWindow = true;
  TColor32 Outer = 0x80000000;
  TColor32 Inner = 0xB0FFFFFF;
};
// The outer line colour: FrameColor when it is kept, else half-transparent black.
TColor32 OuterFrameColor(bool KeepFrameColor, TColor FrameColor);
// Blends the frame lines of one side into its strip (window-sized top and
// bottom strips, frame-wide side strips); nothing for a flat frame, a
// maximized window or a frame width of 0.
void DrawFrameEdge(TCustomBitmap32& Strip, TFrameEdgeSide Side, const TFrameEdgeStyle& Style);
