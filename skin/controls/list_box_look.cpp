#include "skin/controls/list_box_look.h"

#include <algorithm>

TListBoxLayout ArrangeListBox(int32_t Width, int32_t Height, int32_t NCSize, int32_t BarThickness, TListBarKind Bar) {
  const int32_t n = NCSize, s = BarThickness;
  TListBoxLayout l;
  switch (Bar) {
    case lbkVertical: {
      const int32_t barLeft = Width - s - 2 * n + 1;
      l.Bar = TRect{barLeft, n + 1, barLeft + s, n + 1 + (Height - 2 * n - 2)};
      l.List = TRect{n + 1, n + 1, barLeft, Height - n - 1};
      break;
    }
    case lbkHorizontal: {
      const int32_t barTop = Height - s - 2 * n + 1;
      l.Bar = TRect{n + 1, barTop, n + 1 + (Width - 2 * n - 2), barTop + s};
      l.List = TRect{n + 1, n + 1, Width - 2, barTop};
      break;
    }
    default:
      l.List = TRect{n + 1, n + 1, Width - n - 1, Height - n - 1};
      break;
  }
  // A box too small for its border leaves an empty list, never a negative one.
  l.List.Right = std::max(l.List.Right, l.List.Left);
  l.List.Bottom = std::max(l.List.Bottom, l.List.Top);
  return l;
}

TListScrollBarRange ListScrollBarRange(const TListScrollState& S) {
  TListScrollBarRange r;
  const bool multi = S.Columns > 0;
  if (!multi && S.RowCount > 0 && S.RowCount == S.ItemCount) return r;
  const int32_t rowsPerColumn = S.RowHeight > 0 ? S.ListHeight / S.RowHeight : 0;
  const int32_t page = multi ? S.Columns : rowsPerColumn;
  const int64_t fits = multi ? int64_t(rowsPerColumn) * S.Columns : rowsPerColumn;
  const bool rangeSet = S.RangeMax > S.RangeMin;
  const bool positionInside = S.Position >= S.RangeMin && S.Position <= S.RangeMax;
  if (!rangeSet || !positionInside || fits >= S.ItemCount) return r;
  r.Needed = true;
  r.Min = S.RangeMin;
  r.Max = S.RangeMax;
  r.PageSize = page;
  r.Position = S.Position;
  r.LargeChange = std::max(page, 1);
  return r;
}

TRowRange VisibleRows(int32_t TopIndex, int32_t ItemCount, int32_t ClientHeight, int32_t RowHeight, int32_t Columns) {
  TRowRange r;
  if (ItemCount <= 0 || RowHeight <= 0 || ClientHeight <= 0) return r;
  r.First = std::clamp(TopIndex, 0, ItemCount - 1);
  const int64_t rows = ClientHeight / RowHeight;
  const int64_t last = Columns > 0 ? r.First + rows * Columns - 1 : r.First + rows;
  r.Last = static_cast<int32_t>(std::min<int64_t>(last, ItemCount - 1));
  return r;
}

TRect RowFillRect(int32_t RowWidth, int32_t RowHeight, bool Popup) {
  return TRect{0, 0, std::max(RowWidth - (Popup ? 1 : 0), 0), RowHeight};
}

TRect RowTextRect(int32_t RowWidth, int32_t RowHeight) {
  return TRect{2, 0, std::max(RowWidth - 2, 2), RowHeight};
}

TPoint RowTextOrigin(const TRect& TextRect, int32_t RowHeight, int32_t HorizontalExtent, int32_t TextHeight,
                     int32_t FontHeight) {
  int32_t y = TextRect.Top + RowHeight / 2 - TextHeight / 2;
  if (FontHeight % 2 != 0) --y;
  return TPoint{TextRect.Left - HorizontalExtent + 2, y};
}

int32_t ShrinkHorizontalExtent(int32_t Extent, int32_t OldWidth, int32_t NewWidth) {
  if (Extent <= 0 || NewWidth <= OldWidth) return Extent;
  return std::max(Extent - (NewWidth - OldWidth), 0);
}

std::array<TFrameLine, 6> PopupFrameLines(int32_t Width, int32_t Height, bool VerticalBar, bool HorizontalBar) {
  const int32_t a = VerticalBar ? 1 : 2, b = HorizontalBar ? 1 : 2;
  const int32_t r = Width - a, d = Height - b;
  return {{
      {{0, 1}, {r, 1}, true},
      {{1, d}, {1, 0}, true},
      {{0, 0}, {r, 0}, false},
      {{r, 0}, {r, d}, false},
      {{r, d}, {0, d}, false},
      {{0, d}, {0, 0}, false},
  }};
}

void DrawPopupFrame(TCustomBitmap32& Bitmap, TColor32 FrameColor, bool VerticalBar, bool HorizontalBar) {
  for (const TFrameLine& l : PopupFrameLines(Bitmap.Width(), Bitmap.Height(), VerticalBar, HorizontalBar))
    Bitmap.LineS(l.From.X, l.From.Y, l.To.X, l.To.Y, l.White ? 0xFFFFFFFF : FrameColor);
}
