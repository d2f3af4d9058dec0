// Drawing procedures that put skin images onto controls' back buffers:
// nine-block (auto-stretch) drawing, tiling, three-slice stretching, splitting
// a strip into frames, the panel fill types and the arithmetic of the text
// glow. Portable; the procedures that need a device context are declared in
// skin_draw_win.h.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "skin/resources/skin_image.h"

using TVelSkinImages = std::vector<std::unique_ptr<TVelSkinImage>>;

// Nearest-neighbour stretch of SrcRect of Src onto DstRect of Dst that
// replaces the destination pixels, alpha included (the skin's device-context
// stretch copy). Each destination pixel takes the source pixel under its
// centre; parts outside either bitmap are left out.
void StretchCopy(const TCustomBitmap32* Src, const TRect& SrcRect, TCustomBitmap32* Dst, const TRect& DstRect);

// Draws Src over Dst keeping the corners of Src at their size: Centre is the
// middle rectangle in Src coordinates; the edges stretch (top and bottom edges
// tile) and the centre stretches. With Opaque every part is stretched and
// replaces the destination pixels; otherwise parts are laid on by Src's draw mode.
void Draw9Block(const TCustomBitmap32* Src, TCustomBitmap32* Dst, const TRect& Centre, bool Opaque);
// Draw9Block with the middle third as centre; a side of Dst equal to Src's
// is not divided in that direction.
void DrawAutoStretch(const TCustomBitmap32* Src, TCustomBitmap32* Dst, bool Opaque);
// The centre rectangle DrawAutoStretch uses for a source and destination size.
TRect AutoStretchCentre(int32_t SrcWidth, int32_t SrcHeight, int32_t DstWidth, int32_t DstHeight);
// Repeats band SrcBand of Src over DstBand of Dst: downward when both bands
// are equally wide, else rightward when equally high (the last copy cut to
// fit), else nothing.
void TileBand(const TCustomBitmap32* Src, const TRect& SrcBand, TCustomBitmap32* Dst, const TRect& DstBand);
// Repeats the whole of Src over Dst from (X, Y).
void TileImage(const TCustomBitmap32* Src, TCustomBitmap32* Dst, int32_t X, int32_t Y);
// A panel's background image by fill type.
void DrawPngFill(const TCustomBitmap32* Src, TCustomBitmap32* Dst, TVelPngFillType FillType);

// A W x H copy of Src drawn by opaque auto-stretch; nullptr when Src is.
std::unique_ptr<TVelSkinImage> ResizeAutoStretch(const TCustomBitmap32* Src, int32_t W, int32_t H);
// The vertically centred band of H rows and the first W columns of Src; a
// plain copy of Src when the band is empty or does not fit. nullptr when Src is.
std::unique_ptr<TVelSkinImage> CropCentreBand(const TCustomBitmap32* Src, int32_t H, int32_t W);

// Replace Frames with N frames cut out of Src side by side (columns) or
// stacked (rows); an empty Src gives no frames.
void SplitColumns(TCustomBitmap32* Src, int32_t N, TVelSkinImages& Frames);
void SplitRows(TCustomBitmap32* Src, int32_t N, TVelSkinImages& Frames);
// Three columns Edge, Src width - 2 Edge and Edge wide; three equal columns
// when Edge is 0 or less or not below Src width / 3.
void SplitEdges(TCustomBitmap32* Src, int32_t Edge, TVelSkinImages& Frames);

// W wide, as high as Src: the end columns kept, the middle stretched (Edge 0:
// thirds). Pixels are replaced, not blended. nullptr when Src is.
std::unique_ptr<TVelSkinImage> StretchHorz3(TCustomBitmap32* Src, int32_t W, int32_t Edge = 0);
// H high, as wide as Src: the end rows kept, the middle stretched.
std::unique_ptr<TVelSkinImage> StretchVert3(TCustomBitmap32* Src, int32_t H);

// ---- Text glow arithmetic --------------------------------------------------------

// Running-sum box blur of the colour channels of a Width x Height pixel
// buffer (alpha is left alone); edge pixels repeat.
void BoxBlurChannels(TColor32* Pixels, int32_t Width, int32_t Height, int32_t Radius);
// Pulls every Work pixel toward Color in proportion to the mask's red channel
// (0: all the way, 255: almost none): p = (p - c) * m / 256 + c per channel,
// Times times. Work and Mask have Count pixels each; Work's alpha is kept.
void PullTowardColor(TColor32* Work, const TColor32* Mask, size_t Count, TColor32 Color, int32_t Times);
