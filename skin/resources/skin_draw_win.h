// Skin drawing procedures that work on device contexts: the text glow, the
// blank-alpha bitmap fill, the translucent rectangle and the colour glyphs.
// Windows only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/color32.h"
#include "toolkit/win/graphics.h"

// A top-down 32-bit DIB section of Width x Height selected into its own
// memory DC (compatible with Compatible), its pixels readable and writable.
class TDibSurface {
public:
  TDibSurface(HDC Compatible, int32_t Width, int32_t Height);
  ~TDibSurface() { FSelect.reset(); }
  TDibSurface(const TDibSurface&) = delete;
  TDibSurface& operator=(const TDibSurface&) = delete;

  HDC DC() const { return FDC.Get(); }
  TColor32* Bits() const { return FBits; }

private:
  TMemoryDC FDC;
  TGdiBitmap FBitmap;
  TColor32* FBits = nullptr;
  std::unique_ptr<TSelectObject> FSelect;
};

// Draws a soft halo of Color around where Text will be drawn in Rect with the
// canvas's font (Format: DrawText flags). The caller draws the text on top.
// Nothing happens for a blank text or an empty rectangle.
void DrawGlowText(TCanvas& Canvas, const TRect& Rect, const std::wstring& Text, int32_t BlurRadius, TColor Color,
                  UINT Format);

// Replaces Bitmap with a 32-bit bitmap of its size whose every pixel is black
// with the given alpha.
void FillAlpha(TGdiBitmap& Bitmap, uint8_t Alpha);

// Blends a rectangle of Color onto DC at Rect with constant opacity Alpha.
void AlphaFillRect(HDC DC, const TRect& Rect, TColor Color, uint8_t Alpha);

// Draws glyph ColorIndex (glyphs.h) centred in Cell on DC, whose cell is
// already filled with Background: the same pixels as the portable glyph laid
// on that colour, copied opaquely over the glyph's box. Rendered glyphs are
// kept per index, side and background colour, so a board costs one copy per
// cell. Other indices, tiny cells and a null DC draw nothing.
void DrawColorGlyph(HDC DC, const TRect& Cell, int32_t ColorIndex, TColor Background);
