// The list box's look: the layout with and without a bar, when the rows need
// a bar, the rows a paint draws (also for a very long list), the row text's
// place, and the pop-up frame's lines drawn into a bitmap.
#include "skin/controls/list_box_look.h"

#include <gtest/gtest.h>

namespace {

TListScrollState Single(int32_t RowCount, int32_t Items, int32_t ListHeight) {
  TListScrollState s;
  s.RowCount = RowCount;
  s.ItemCount = Items;
  s.ListHeight = ListHeight;
  s.RowHeight = 20;
  s.RangeMax = Items - 1;
  return s;
}

}  // namespace

TEST(ListBoxLook, LayoutGivesTheBarItsEdgeAndTheListTheRest) {
  // No bar: the list inside the border and one more pixel.
  TListBoxLayout l = ArrangeListBox(120, 120, 2, 10, lbkNone);
  EXPECT_EQ(l.List, (TRect{3, 3, 117, 117}));
  EXPECT_EQ(l.Bar, TRect{});
  // Vertical: the bar ends where the bare list would; the list stops at it.
  l = ArrangeListBox(120, 120, 2, 10, lbkVertical);
  EXPECT_EQ(l.Bar, (TRect{107, 3, 117, 117}));
  EXPECT_EQ(l.List, (TRect{3, 3, 107, 117}));
  // Horizontal (several columns).
  l = ArrangeListBox(120, 100, 2, 10, lbkHorizontal);
  EXPECT_EQ(l.Bar, (TRect{3, 87, 117, 97}));
  EXPECT_EQ(l.List, (TRect{3, 3, 118, 87}));
  // The pop-up's 1-pixel border: a 140-wide list runs from x 2 to 138.
  l = ArrangeListBox(140, 85, 1, 10, lbkNone);
  EXPECT_EQ(l.List.Left, 2);
  EXPECT_EQ(l.List.Right, 138);
  // Too small for the border: an empty list, never an inverted one.
  l = ArrangeListBox(3, 2, 2, 10, lbkVertical);
  EXPECT_GE(l.List.Width(), 0);
  EXPECT_GE(l.List.Height(), 0);
}

TEST(ListBoxLook, ABarExactlyWhenTheRowsDoNotFit) {
  // Sized for exactly its items: never a bar, whatever the range says.
  EXPECT_FALSE(ListScrollBarRange(Single(8, 8, 8 * 20)).Needed);
  // One item more: a bar whose page is the rows that fit.
  TListScrollBarRange r = ListScrollBarRange(Single(8, 9, 8 * 20));
  ASSERT_TRUE(r.Needed);
  EXPECT_EQ(r.Min, 0);
  EXPECT_EQ(r.Max, 8);
  EXPECT_EQ(r.PageSize, 8);
  EXPECT_EQ(r.LargeChange, 8);
  // Free height: the rows that fit decide.
  EXPECT_FALSE(ListScrollBarRange(Single(0, 5, 100)).Needed);
  EXPECT_TRUE(ListScrollBarRange(Single(0, 6, 100)).Needed);
  // A partial row does not count as fitting.
  EXPECT_TRUE(ListScrollBarRange(Single(0, 6, 119)).Needed);
  // No range, a position outside it, or no height to speak of.
  TListScrollState s = Single(0, 30, 100);
  s.RangeMax = 0;
  EXPECT_FALSE(ListScrollBarRange(s).Needed);
  s = Single(0, 30, 100);
  s.Position = 31;
  EXPECT_FALSE(ListScrollBarRange(s).Needed);
  s = Single(0, 30, 100);
  s.RowHeight = 0;
  EXPECT_TRUE(ListScrollBarRange(s).Needed);  // nothing fits: a bar, never a division by zero
  // Several columns: the page is the columns, the fit is rows x columns.
  s = Single(0, 12, 60);
  s.Columns = 4;
  s.RangeMax = 3;
  EXPECT_FALSE(ListScrollBarRange(s).Needed);
  s.ItemCount = 13;
  r = ListScrollBarRange(s);
  ASSERT_TRUE(r.Needed);
  EXPECT_EQ(r.PageSize, 4);
}

TEST(ListBoxLook, PaintDrawsFromTheTopIndexTheRowsThatShow) {
  // 100 high with 20-pixel rows: five full rows and the one the edge cuts.
  TRowRange r = VisibleRows(3, 50, 100, 20, 0);
  EXPECT_EQ(r.First, 3);
  EXPECT_EQ(r.Last, 8);
  r = VisibleRows(47, 50, 100, 20, 0);
  EXPECT_EQ(r.Last, 49);
  EXPECT_EQ(VisibleRows(0, 0, 100, 20, 0).Count(), 0);
  EXPECT_EQ(VisibleRows(0, 10, 0, 20, 0).Count(), 0);
  EXPECT_EQ(VisibleRows(0, 10, 100, 0, 0).Count(), 0);
  // A top index past the end is clamped.
  EXPECT_EQ(VisibleRows(80, 10, 100, 20, 0).First, 9);
  // Columns: rows per column times columns.
  r = VisibleRows(0, 100, 60, 20, 4);
  EXPECT_EQ(r.Count(), 12);
  // 100,000 items: a paint near the end still draws only the rows that show.
  r = VisibleRows(99'995, 100'000, 160, 20, 0);
  EXPECT_EQ(r.First, 99'995);
  EXPECT_EQ(r.Last, 99'999);
  r = VisibleRows(50'000, 100'000, 160, 20, 0);
  EXPECT_EQ(r.Count(), 9);
}

TEST(ListBoxLook, RowTextSitsInsideTheInsetAndCentred) {
  EXPECT_EQ(RowFillRect(100, 20, false), (TRect{0, 0, 100, 20}));
  EXPECT_EQ(RowFillRect(100, 20, true), (TRect{0, 0, 99, 20}));
  const TRect text = RowTextRect(100, 20);
  EXPECT_EQ(text, (TRect{2, 0, 98, 20}));
  EXPECT_EQ(RowTextOrigin(text, 20, 0, 13, 14), (TPoint{4, 4}));
  EXPECT_EQ(RowTextOrigin(text, 20, 0, 13, 13), (TPoint{4, 3}));  // odd font height: one higher
  EXPECT_EQ(RowTextOrigin(text, 20, 10, 13, 14), (TPoint{-6, 4}));
  // Growing by 4 takes 4 off the offset; growing further never goes below 0.
  EXPECT_EQ(ShrinkHorizontalExtent(10, 100, 104), 6);
  EXPECT_EQ(ShrinkHorizontalExtent(10, 100, 150), 0);
  EXPECT_EQ(ShrinkHorizontalExtent(10, 100, 90), 10);
  EXPECT_EQ(ShrinkHorizontalExtent(0, 100, 150), 0);
}

TEST(ListBoxLook, PopupFrameLinesSitBesideTheBarOrOneFurtherIn) {
  constexpr TColor32 Under = 0xFF102030, Frame = 0xFF37BAF9;
  TBitmap32 b;
  b.SetSize(140, 85);
  b.Clear(Under);
  DrawPopupFrame(b, Frame, false, false);
  // Without a bar: frame at x 0 and 138, y 0 and 83; white inside it.
  EXPECT_EQ(b.Pixel(0, 40), Frame);
  EXPECT_EQ(b.Pixel(138, 40), Frame);
  EXPECT_EQ(b.Pixel(70, 0), Frame);
  EXPECT_EQ(b.Pixel(70, 83), Frame);
  EXPECT_EQ(b.Pixel(139, 40), Under);
  EXPECT_EQ(b.Pixel(70, 84), Under);
  EXPECT_EQ(b.Pixel(70, 1), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(1, 40), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(70, 40), Under);
  EXPECT_EQ(b.Pixel(138, 83), Frame);
  // With a vertical bar the right line moves to the last column.
  b.Clear(Under);
  DrawPopupFrame(b, Frame, true, false);
  EXPECT_EQ(b.Pixel(139, 40), Frame);
  EXPECT_EQ(b.Pixel(138, 40), Under);
  EXPECT_EQ(b.Pixel(70, 83), Frame);
  // Pop-ups smaller than their frame draw nothing outside themselves.
  for (int32_t size : {0, 1, 2}) {
    TBitmap32 tiny;
    tiny.SetSize(size, size);
    tiny.Clear(Under);
    DrawPopupFrame(tiny, Frame, false, false);
    EXPECT_EQ(tiny.Width(), size);
  }
}
