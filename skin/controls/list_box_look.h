// The look of a skinned list box apart from its windows: where the inner list
// and the scroll bar go, whether the rows need a scroll bar, which rows a
// paint draws, where a row's text goes, and the frame of the pop-up list.
// Portable: plain arithmetic, and the frame drawn into a TBitmap32.
#pragma once

#include <array>
#include <cstdint>

#include "gfx/bitmap32.h"

enum TListBarKind { lbkNone, lbkVertical, lbkHorizontal };

struct TListBoxLayout {
  TRect List;
  TRect Bar;  // empty without a bar
};

// The inner list and the bar of a Width x Height list box whose border keeps
// NCSize pixels, with a bar BarThickness thick (none for lbkNone).
TListBoxLayout ArrangeListBox(int32_t Width, int32_t Height, int32_t NCSize, int32_t BarThickness, TListBarKind Bar);

// The height of a list box sized for RowCount rows.
inline int32_t ListBoxHeightForRows(int32_t RowCount, int32_t RowHeight) { return RowCount * RowHeight + 4; }

// What decides the scroll bar: the native list's scroll range and position
// along its scrolling axis, and the rows that fit.
struct TListScrollState {
  int32_t RowCount = 0;  // rows the box is sized for; 0: free height
  int32_t ItemCount = 0;
  int32_t Columns = 0;  // 0: one column, scrolling vertically; more: side by side
  int32_t ListHeight = 0;
  int32_t RowHeight = 20;
  int32_t RangeMin = 0;
  int32_t RangeMax = 0;
  int32_t Position = 0;
};

// The bar's settings when one is needed.
struct TListScrollBarRange {
  bool Needed = false;
  int32_t Min = 0;
  int32_t Max = 0;
  int32_t PageSize = 0;
  int32_t Position = 0;
  int32_t LargeChange = 0;
};

TListScrollBarRange ListScrollBarRange(const TListScrollState& State);

// Rows a paint draws, First to Last inclusive (Last < First: none).
struct TRowRange {
  int32_t First = 0;
  int32_t Last = -1;
  int32_t Count() const { return Last >= First ? Last - First + 1 : 0; }
};

// From the top index: one column draws height div row height rows and the
// one cut by the bottom edge; several columns draw (height div row height) x
// columns rows. Clamped to the items.
TRowRange VisibleRows(int32_t TopIndex, int32_t ItemCount, int32_t ClientHeight, int32_t RowHeight, int32_t Columns);

// The area a row's background fills (in the row's own coordinates): the
// whole row, one pixel narrower in a pop-up list.
TRect RowFillRect(int32_t RowWidth, int32_t RowHeight, bool Popup);
// The row inset by 2 pixels left and right: the text is clipped to it.
TRect RowTextRect(int32_t RowWidth, int32_t RowHeight);
// Where the row's text starts, shifted left by the horizontal offset, and
// centred vertically (one pixel higher for an odd font height).
TPoint RowTextOrigin(const TRect& TextRect, int32_t RowHeight, int32_t HorizontalExtent, int32_t TextHeight,
                     int32_t FontHeight);
// The horizontal offset after the list grew from OldWidth to NewWidth.
int32_t ShrinkHorizontalExtent(int32_t Extent, int32_t OldWidth, int32_t NewWidth);

// One line of the pop-up frame: from From to To, end point not painted.
struct TFrameLine {
  TPoint From;
  TPoint To;
  bool White;  // the inner white line; else the frame colour
};

// The two white lines and the four frame lines of a Width x Height pop-up
// list, in drawing order. The right and bottom frame lines sit 1 pixel in from
// the edge beside a bar of their axis, 2 without.
std::array<TFrameLine, 6> PopupFrameLines(int32_t Width, int32_t Height, bool VerticalBar, bool HorizontalBar);

// Draws those lines, the frame in FrameColor.
void DrawPopupFrame(TCustomBitmap32& Bitmap, TColor32 FrameColor, bool VerticalBar, bool HorizontalBar);
