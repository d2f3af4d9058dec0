// The look of a skinned popup menu, apart from its window: the size of each
// item, where its parts go inside the popup's bitmap, and drawing an item's
// background, highlight, check mark, glyph, sub-menu arrow and separator
// line into the bitmap of the whole popup. The caption and shortcut text are
// drawn by the Windows side into the text rectangles given here. Portable.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/bitmap32.h"
#include "skin/resources/skin_draw.h"

// The skin's sizes, already scaled for DPI, and the scale to derive the rest.
struct TMenuLookMetrics {
  double Scale = 1;
  int32_t BorderOffset = 6;   // bo
  int32_t GlyphBarWidth = 31;  // gw
  // A logical size at this scale (ScaleByDPI).
  int32_t S(int32_t N) const;
};

// Where an item sits among the visible items of its menu level.
struct TMenuItemPlace {
  bool First = false;
  bool Last = false;
};

// The measured size of a popup item. Width and Height come in as the system
// proposes them and go out as the skin wants them. A separator is 3 (scaled)
// high; another item is as wide as its text (caption and shortcut) plus the
// glyph bar and twice the border offset, and as high as the highlight image
// plus half the border offset (HilightHeight < 0: no image, the height is
// kept), plus the whole border offset for the only item of its level, or
// half of it for the first or the last one.
void MeasureMenuItem(const TMenuLookMetrics& M, bool Separator, int32_t TextWidth, int32_t HilightHeight,
                     TMenuItemPlace Place, int32_t& Width, int32_t& Height);

// The parts of one item in the popup bitmap's coordinates.
struct TMenuItemLayout {
  TRect Item;       // the item's whole rectangle (R)
  TRect Content;    // R without the extra rows of the first and last item (R')
  TRect GlyphBar;   // G: where check marks and glyphs are centred
  TRect Text;       // T: caption, vertically centred, left aligned
  TRect ShortCut;   // T narrowed on the right: the shortcut, right aligned
  TRect Hilight;    // the selection background
  TRect Line;       // a separator's one-pixel line (empty height for others)
};

// ItemRect is the item rectangle in the popup window's client coordinates,
// ClientOffset where the client area lies in the window.
TMenuItemLayout LayoutMenuItem(const TMenuLookMetrics& M, const TRect& ItemRect, TPoint ClientOffset,
                               TMenuItemPlace Place);

// Top-left of a sub-menu arrow of that size, of a check mark centred in the
// glyph bar (moved one scaled pixel right and down), and of a glyph centred
// in it.
TPoint MenuArrowPos(const TMenuLookMetrics& M, const TMenuItemLayout& L, int32_t ArrowWidth, int32_t ArrowHeight);
TPoint MenuCheckPos(const TMenuLookMetrics& M, const TMenuItemLayout& L, int32_t CheckWidth, int32_t CheckHeight);
TPoint MenuGlyphPos(const TMenuItemLayout& L, int32_t GlyphWidth, int32_t GlyphHeight);

// What the item is and how it is shown now.
struct TMenuItemLook {
  bool Separator = false;
  bool Enabled = true;
  bool Selected = false;
  bool Checked = false;
  bool Radio = false;
  bool HasSubItems = false;
};

// The pictures an item may use; any may be missing (nullptr or no frames).
struct TMenuLookImages {
  const TCustomBitmap32* Hilight = nullptr;
  const TVelSkinImages* Check = nullptr;   // normal, selected, disabled
  const TVelSkinImages* Radio = nullptr;
  const TVelSkinImages* Arrow = nullptr;
  // The item's own glyph (image list or bitmap), straight alpha; it replaces the check mark.
  const TCustomBitmap32* Glyph = nullptr;
  TColor32 LineColor = 0xFFC4C4C4;
};

// The frame of a three-frame strip an item shows: selected (1) only when
// enabled, else normal (0) or disabled (2).
int32_t MenuFrameIndex(bool Selected, bool Enabled);

// Copies the item's part of Background back into Window (erasing what the
// item showed before), then draws the highlight, the check mark or glyph, the
// arrow or the separator line. Everything is clipped to Window.
void PaintMenuItem(const TMenuLookMetrics& M, TBitmap32& Window, const TBitmap32& Background,
                   const TMenuItemLayout& L, const TMenuItemLook& Look, const TMenuLookImages& Images);

// Pixels with straight alpha to premultiplied alpha (what a per-pixel-alpha
// layered window takes): each colour channel times alpha / 255, rounded.
void PremultiplyPixels(const TColor32* Src, uint32_t* Dst, size_t Count);
