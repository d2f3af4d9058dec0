// Colour-blind glyphs: a small shape per palette colour, drawn on board cells
// and colour buttons so that colours can be told apart by shape as well.
// Index 0..7: filled circle, square, triangle up, diamond, plus, ring,
// triangle down, horizontal bar. Portable; the device-context form is in
// skin_draw_win.h.
#pragma once

#include <cstdint>

#include "gfx/bitmap32.h"

constexpr int32_t GlyphCount = 8;
// Cells whose smaller side is below this get no glyph.
constexpr int32_t MinGlyphCell = 5;
constexpr int32_t MinGlyphSide = 5;
constexpr int32_t MaxGlyphSide = 20;

// The square a glyph occupies in Cell: about half the cell's smaller side
// (MinGlyphSide..MaxGlyphSide), centred to a whole pixel (within half a pixel
// of the cell's centre). All zeros for empty, inverted or tiny cells.
TRect GlyphBox(const TRect& Cell);

// Draws glyph ColorIndex centred in Cell with Ink, anti-aliased, laid on by
// Dst's combine mode and clipped to Cell and Dst's clip rectangle. Other
// indices, tiny cells and a null or empty Dst draw nothing.
void DrawColorGlyph(TCustomBitmap32* Dst, const TRect& Cell, int32_t ColorIndex, TColor32 Ink);
// The same glyph drawn into Box, a square of MinGlyphSide..MaxGlyphSide as
// GlyphBox gives (other boxes draw nothing). Its pixels depend only on the
// box's side, not on where the box is, so a rendered glyph can be reused.
void DrawColorGlyphInBox(TCustomBitmap32* Dst, const TRect& Box, int32_t ColorIndex, TColor32 Ink);

// Opaque black on light backgrounds, opaque white on dark ones: whichever
// contrasts more by relative luminance (the background's alpha is ignored).
TColor32 GlyphInk(TColor32 Background);
