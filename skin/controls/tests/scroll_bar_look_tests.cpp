#include "skin/controls/scroll_bar_look.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TScrollRange Range(int32_t Min, int32_t Max, int32_t PageSize, int32_t Position) {
  TScrollRange r;
  r.Min = Min;
  r.Max = Max;
  r.PageSize = PageSize;
  r.Position = Position;
  return r;
}

// A bar with the built-in arrow images (10 x 9 vertical, 9 x 10 horizontal).
TScrollLayoutInput Bar(TScrollBarKind Kind, int32_t Length, const TScrollRange& R) {
  TScrollLayoutInput in;
  in.Kind = Kind;
  in.Width = Kind == sbVertical ? 10 : Length;
  in.Height = Kind == sbVertical ? Length : 10;
  in.HaveArrow = true;
  in.ArrowWidth = Kind == sbVertical ? 10 : 9;
  in.ArrowHeight = Kind == sbVertical ? 9 : 10;
  in.Range = R;
  return in;
}

int32_t ThumbStart(const TScrollLayout& L, TScrollBarKind Kind) {
  return Kind == sbVertical ? L.Parts[sbpThumb].Top : L.Parts[sbpThumb].Left;
}
int32_t ThumbEnd(const TScrollLayout& L, TScrollBarKind Kind) {
  return Kind == sbVertical ? L.Parts[sbpThumb].Bottom : L.Parts[sbpThumb].Right;
}

}  // namespace

// ---- Range ------------------------------------------------------------------------------

TEST(ScrollRange, PageSizeLimitsThePositionAndTheSettersClamp) {
  TScrollRange r = Range(0, 99, 10, 0);
  EXPECT_EQ(ScrollTop(r), 90);
  for (int64_t v = -3; v <= 100; ++v) EXPECT_EQ(ClampScrollPosition(r, v), std::clamp<int64_t>(v, 0, 90)) << v;
  EXPECT_TRUE(SetScrollPosition(r, 95));
  EXPECT_EQ(r.Position, 90);
  EXPECT_FALSE(SetScrollPosition(r, 91));  // clamps to where it already is: no change
  EXPECT_TRUE(SetScrollPosition(r, -1));
  EXPECT_EQ(r.Position, 0);

  // Without a page the top is Max itself.
  TScrollRange p = Range(0, 99, 0, 0);
  EXPECT_TRUE(SetScrollPosition(p, 1000));
  EXPECT_EQ(p.Position, 99);
}

TEST(ScrollRange, MinMaxAndPageSetters) {
  TScrollRange r = Range(0, 99, 10, 90);
  SetScrollMax(r, 49);  // the position follows the top down
  EXPECT_EQ(r.Max, 49);
  EXPECT_EQ(r.Position, 40);
  SetScrollMax(r, 99);  // and stays when the top moves away
  EXPECT_EQ(r.Position, 40);
  SetScrollMin(r, 50);
  EXPECT_EQ(r.Position, 50);
  SetScrollMin(r, 0);
  EXPECT_EQ(r.Position, 50);

  // A page is stored only when it fits after the position.
  TScrollRange q = Range(0, 99, 0, 80);
  EXPECT_TRUE(SetScrollPageSize(q, 20));
  EXPECT_FALSE(SetScrollPageSize(q, 21));
  EXPECT_EQ(q.PageSize, 20);
  // Measured from Min: the same page fits a range that starts elsewhere.
  TScrollRange m = Range(100, 199, 0, 180);
  EXPECT_TRUE(SetScrollPageSize(m, 20));
  EXPECT_FALSE(SetScrollPageSize(m, 21));
}

TEST(ScrollRange, SetRangeStoresAPositionInsideWithoutAChange) {
  TScrollRange r = Range(0, 100, 0, 7);
  TScrollSetRangeResult res = SetScrollRange(r, 0, 99, 10, 42);
  EXPECT_FALSE(res.ViaSetter);
  EXPECT_FALSE(res.Changed);
  EXPECT_EQ(r, Range(0, 99, 10, 42));

  // Above the top: through the setter to the top, a change from 42.
  res = SetScrollRange(r, 0, 99, 10, 95);
  EXPECT_TRUE(res.ViaSetter);
  EXPECT_TRUE(res.Changed);
  EXPECT_EQ(r.Position, 90);
  // Again: the setter finds the position already there.
  res = SetScrollRange(r, 0, 99, 10, 95);
  EXPECT_TRUE(res.ViaSetter);
  EXPECT_FALSE(res.Changed);
  // Below Min.
  res = SetScrollRange(r, 10, 99, 10, 3);
  EXPECT_TRUE(res.Changed);
  EXPECT_EQ(r.Position, 10);
}

TEST(ScrollRange, BadRangesKeepThePositionInRange) {
  const int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  struct TCase {
    int32_t Min, Max, Page, Position;
  };
  const TCase cases[] = {{10, 0, 0, 5},   {10, 0, 5, 50}, {0, 99, -5, 200}, {0, 9, 50, 3},  {lo, hi, 0, 0},
                         {lo, hi, hi, 0}, {hi, lo, 1, 0}, {lo, lo, 0, hi},  {hi, hi, 0, lo}, {0, hi, 1, hi}};
  for (const TCase& c : cases) {
    TScrollRange r;
    SetScrollRange(r, c.Min, c.Max, c.Page, c.Position);
    EXPECT_GE(r.PageSize, 0);
    const int32_t top = ScrollTop(r);
    EXPECT_GE(top, r.Min);
    EXPECT_GE(r.Position, r.Min) << c.Min << " " << c.Max << " " << c.Page;
    EXPECT_LE(r.Position, top) << c.Min << " " << c.Max << " " << c.Page;
    // Steps past either end of the 32-bit range clamp rather than wrap.
    SetScrollPosition(r, int64_t{r.Position} + 2 * int64_t{hi} + 2);
    EXPECT_EQ(r.Position, top);
    SetScrollPosition(r, int64_t{r.Position} - 2 * int64_t{hi} - 2);
    EXPECT_EQ(r.Position, r.Min);
    SetScrollMax(r, lo);
    EXPECT_GE(r.Position, r.Min);
    EXPECT_LE(r.Position, ScrollTop(r));
  }
}

// ---- Layout -----------------------------------------------------------------------------

TEST(ScrollLayout, ArrowsAndTrackFollowTheArrowImage) {
  const TScrollLayout v = ScrollLayout(Bar(sbVertical, 100, Range(0, 100, 0, 0)));
  EXPECT_EQ(v.Parts[sbpStartArrow], (TRect{0, 0, 10, 9}));
  EXPECT_EQ(v.Parts[sbpEndArrow], (TRect{0, 91, 10, 100}));
  EXPECT_EQ(v.Track, (TRect{0, 9, 10, 91}));

  TScrollLayoutInput in = Bar(sbHorizontal, 200, Range(0, 100, 0, 0));
  in.Height = 12;  // the start arrow keeps its image's height, the end arrow the bar's
  const TScrollLayout h = ScrollLayout(in);
  EXPECT_EQ(h.Parts[sbpStartArrow], (TRect{0, 0, 9, 10}));
  EXPECT_EQ(h.Parts[sbpEndArrow], (TRect{191, 0, 200, 12}));
  EXPECT_EQ(h.Track, (TRect{9, 0, 191, 12}));
  EXPECT_EQ(h.Parts[sbpThumb].Top, 0);
  EXPECT_EQ(h.Parts[sbpThumb].Bottom, 12);

  // Without the arrow image the arrows and the track stay where they were.
  TScrollLayoutInput missing = Bar(sbVertical, 300, Range(0, 100, 0, 0));
  missing.HaveArrow = false;
  const TScrollLayout kept = ScrollLayout(missing, v);
  EXPECT_EQ(kept.Track, v.Track);
  EXPECT_EQ(kept.Parts[sbpEndArrow], v.Parts[sbpEndArrow]);
}

TEST(ScrollLayout, FixedThumbRunsBetweenTenPixelsInsideEachEnd) {
  for (TScrollBarKind kind : {sbVertical, sbHorizontal}) {
    const TScrollLayout first = ScrollLayout(Bar(kind, 118, Range(0, 100, 0, 0)));
    const int32_t trackStart = kind == sbVertical ? first.Track.Top : first.Track.Left;
    const int32_t trackEnd = kind == sbVertical ? first.Track.Bottom : first.Track.Right;
    EXPECT_EQ(first.ThumbLength, 21);
    EXPECT_EQ(first.Offset1, trackStart + 10);
    EXPECT_EQ(first.Offset2, trackEnd - 10);
    EXPECT_EQ(ThumbStart(first, kind), trackStart);
    EXPECT_EQ(ThumbEnd(first, kind) - ThumbStart(first, kind), 20);
    const TScrollLayout last = ScrollLayout(Bar(kind, 118, Range(0, 100, 0, 100)));
    EXPECT_EQ(ThumbEnd(last, kind), trackEnd);
    EXPECT_EQ(last.BOffset, last.Offset2 - last.Offset1);
  }
}

TEST(ScrollLayout, ShortTrackRaisesThePageThumbToTheMinimum) {
  // 44-px track: nearest(44 x 10 / 100) = 4, raised to 21, drawn 20 long.
  const TScrollLayout l = ScrollLayout(Bar(sbVertical, 44 + 18, Range(0, 99, 10, 0)));
  EXPECT_EQ(l.Track.Height(), 44);
  EXPECT_EQ(l.ThumbLength, 21);
  EXPECT_EQ(l.Parts[sbpThumb].Height(), 20);
  // A long track gets a thumb in proportion: nearest(400 x 10 / 100) = 40.
  EXPECT_EQ(ScrollLayout(Bar(sbVertical, 418, Range(0, 99, 10, 0))).ThumbLength, 40);
  // The minimum scales with the pixel density.
  TScrollLayoutInput in = Bar(sbVertical, 62, Range(0, 99, 10, 0));
  in.MinThumb = 32;
  EXPECT_EQ(ScrollLayout(in).ThumbLength, 32);
}

TEST(ScrollLayout, HalvesRoundToEven) {
  EXPECT_EQ(ScrollNearest(0.5), 0);
  EXPECT_EQ(ScrollNearest(1.5), 2);
  EXPECT_EQ(ScrollNearest(2.5), 2);
  EXPECT_EQ(ScrollNearest(-0.5), 0);
  EXPECT_EQ(ScrollNearest(-1.5), -2);
  EXPECT_EQ(ScrollNearest(2.4999), 2);
  // A 70-px track and a 20-px thumb leave a span of 50: position p of 100
  // puts the thumb p/2 pixels along, halves to the even pixel.
  const int32_t expected[] = {0, 0, 1, 2, 2, 2, 3, 4};
  for (int32_t p = 0; p < 8; ++p)
    EXPECT_EQ(ScrollLayout(Bar(sbVertical, 88, Range(0, 100, 0, p))).BOffset, expected[p]) << p;
}

TEST(ScrollLayout, PageThumbFractionAndDegenerateRanges) {
  // Position 45 of 0..90: the thumb's centre halfway along its span.
  for (TScrollBarKind kind : {sbVertical, sbHorizontal}) {
    const TScrollLayout l = ScrollLayout(Bar(kind, 418, Range(0, 99, 10, 45)));
    EXPECT_EQ(l.BOffset, ScrollNearest(45.0 / 90 * (l.Offset2 - l.Offset1)));
  }
  // With the page as large as the range (a 10-px track, a thumb raised to
  // 21, a span of -10) a vertical thumb sits at the start, a horizontal one
  // at the end.
  const TScrollLayout v = ScrollLayout(Bar(sbVertical, 28, Range(0, 9, 10, 0)));
  EXPECT_EQ(v.BOffset, 0);
  const TScrollLayout h = ScrollLayout(Bar(sbHorizontal, 28, Range(0, 9, 10, 0)));
  ASSERT_EQ(h.Offset2 - h.Offset1, -10);
  EXPECT_EQ(h.BOffset, -10);
}

TEST(ScrollLayout, BadInputGivesFiniteGeometry) {
  const int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  const TScrollRange ranges[] = {Range(10, 0, 0, 10),   Range(10, 0, 5, 10), Range(0, 99, -5, 50),
                                 Range(0, 9, hi, 0),    Range(lo, hi, 0, 0), Range(lo, hi, hi, lo),
                                 Range(hi, lo, 0, hi),  Range(0, 0, 0, 0),   Range(0, 0, 1, 0)};
  const int32_t lengths[] = {0, 1, 5, 18, 19, 100, hi, lo};
  for (TScrollBarKind kind : {sbVertical, sbHorizontal})
    for (const TScrollRange& r : ranges)
      for (int32_t length : lengths) {
        TScrollLayoutInput in = Bar(kind, length, r);
        in.Width = kind == sbVertical ? 10 : length;
        const TScrollLayout l = ScrollLayout(in);
        EXPECT_GE(l.ThumbLength, in.MinThumb);
        EXPECT_LE(l.ThumbLength, 1 << 24);
        // A drag to anywhere asks for a position the setter can clamp.
        for (int32_t d : {lo, -1, 0, 1, hi}) {
          const int64_t p = ScrollDragPosition(r, l, kind, d, l.BOffset);
          EXPECT_GE(ClampScrollPosition(r, p), r.Min);
        }
      }
}

// ---- Hit test and drag ------------------------------------------------------------------

TEST(ScrollLayout, PartUnderAPointAndTheSidesOfTheThumb) {
  const TScrollLayout l = ScrollLayout(Bar(sbVertical, 118, Range(0, 100, 0, 50)));
  // Track 9..109, thumb 20 long centred at 59.
  ASSERT_EQ(l.Parts[sbpThumb], (TRect{0, 49, 10, 69}));
  EXPECT_EQ(ScrollPartAt(l, TPoint{5, 0}), sbpStartArrow);
  EXPECT_EQ(ScrollPartAt(l, TPoint{5, 8}), sbpStartArrow);
  EXPECT_EQ(ScrollPartAt(l, TPoint{5, 9}), sbpNone);
  EXPECT_EQ(ScrollPartAt(l, TPoint{5, 49}), sbpThumb);
  EXPECT_EQ(ScrollPartAt(l, TPoint{5, 68}), sbpThumb);
  EXPECT_EQ(ScrollPartAt(l, TPoint{5, 69}), sbpNone);
  EXPECT_EQ(ScrollPartAt(l, TPoint{9, 109}), sbpEndArrow);
  EXPECT_EQ(ScrollPartAt(l, TPoint{10, 109}), sbpNone);  // right edge outside
  EXPECT_EQ(ScrollPartAt(l, TPoint{5, 118}), sbpNone);
  EXPECT_TRUE(BeforeThumb(l, sbVertical, 48));
  EXPECT_FALSE(BeforeThumb(l, sbVertical, 49));
  EXPECT_FALSE(AfterThumb(l, sbVertical, 68));
  EXPECT_TRUE(AfterThumb(l, sbVertical, 69));
  EXPECT_EQ(AlongBar(sbVertical, TPoint{3, 7}), 7);
  EXPECT_EQ(AlongBar(sbHorizontal, TPoint{3, 7}), 3);
}

TEST(ScrollDrag, FixedThumbFollowsTheCentre) {
  const TScrollRange r = Range(0, 100, 0, 0);
  const TScrollLayout l = ScrollLayout(Bar(sbVertical, 118, r));
  const int32_t span = l.Offset2 - l.Offset1;  // 80
  ASSERT_EQ(span, 80);
  EXPECT_EQ(ScrollDragPosition(r, l, sbVertical, 0, 0), 0);
  EXPECT_EQ(ScrollDragPosition(r, l, sbVertical, 40, 0), 50);
  EXPECT_EQ(ScrollDragPosition(r, l, sbVertical, 80, 0), 100);
  EXPECT_EQ(ScrollDragPosition(r, l, sbVertical, 500, 0), 100);
  EXPECT_EQ(ScrollDragPosition(r, l, sbVertical, -5, 0), 0);
  // 1 px is 1.25 positions: 1, 2 (2.5 to even), 4 (3.75)
  EXPECT_EQ(ScrollDragPosition(r, l, sbVertical, 1, 0), 1);
  EXPECT_EQ(ScrollDragPosition(r, l, sbVertical, 2, 0), 2);
  EXPECT_EQ(ScrollDragPosition(r, l, sbVertical, 3, 0), 4);
  // Offset by Min.
  EXPECT_EQ(ScrollDragPosition(Range(-50, 50, 0, 0), l, sbVertical, 40, 0), 0);
}

TEST(ScrollDrag, PageThumbAddsTheTravelToItsStart) {
  const TScrollRange r = Range(0, 99, 10, 0);
  const TScrollLayout l = ScrollLayout(Bar(sbHorizontal, 418, r));  // track 400, thumb 40, span 360
  ASSERT_EQ(l.Offset2 - l.Offset1, 360);
  EXPECT_EQ(ScrollDragPosition(r, l, sbHorizontal, 0, 0), 0);
  EXPECT_EQ(ScrollDragPosition(r, l, sbHorizontal, 180, 0), 45);
  EXPECT_EQ(ScrollDragPosition(r, l, sbHorizontal, 90, 90), 45);  // started a quarter along
  EXPECT_EQ(ScrollDragPosition(r, l, sbHorizontal, 360, 0), 90);
  EXPECT_EQ(ScrollDragPosition(r, l, sbHorizontal, 1000, 0), 90);
  EXPECT_EQ(ScrollDragPosition(r, l, sbHorizontal, -1000, 180), 0);
  // A layout after the drag began does not change the arithmetic.
  const TScrollLayout later = ScrollLayout(Bar(sbHorizontal, 418, Range(0, 99, 10, 45)));
  EXPECT_EQ(ScrollDragPosition(r, later, sbHorizontal, 180, 0), 45);
}

// ---- Images -----------------------------------------------------------------------------

TEST(ScrollImages, StateOfEachPart) {
  for (int32_t part : {sbpThumb, sbpEndArrow, sbpStartArrow}) {
    const bool arrow = part != sbpThumb;
    for (int bits = 0; bits < 16; ++bits) {
      const bool down = bits & 1, hot = bits & 2, focused = bits & 4, mouseIn = bits & 8;
      TScrollImageState expected = sisNormal;
      if (down || focused)
        expected = sisDown;
      else if (hot)
        expected = sisHighlight;
      else if (arrow && !mouseIn)
        expected = sisNone;  // arrows vanish while the mouse is elsewhere
      EXPECT_EQ(ScrollPartState(part, down, hot, focused, mouseIn), expected) << part << " " << bits;
    }
  }
  EXPECT_EQ(ScrollPartState(sbpNone, true, true, true, true), sisNone);
  EXPECT_EQ(ScrollPartState(3, true, true, true, true), sisNone);
}

TEST(ScrollImages, IdOfEachPartKindAndState) {
  TScrollBarImages images;
  images.ArrowRightDown = L"Mine";
  struct TCase {
    TScrollBarKind Kind;
    int32_t Part;
    TScrollImageState State;
    const wchar_t* Id;
  };
  const TCase cases[] = {
      {sbVertical, sbpThumb, sisNormal, L"VelSkinScrollbar_bar_normal"},
      {sbVertical, sbpThumb, sisDown, L"VelSkinScrollbar_bar_down"},
      {sbHorizontal, sbpThumb, sisHighlight, L"VelSkinScrollbar_horzbar_highlight"},
      {sbVertical, sbpEndArrow, sisHighlight, L"VelSkinScrollbar_arrowdown_highlight"},
      {sbVertical, sbpStartArrow, sisDown, L"VelSkinScrollbar_arrowup_down"},
      {sbHorizontal, sbpStartArrow, sisNormal, L"VelSkinScrollbar_arrowleft_normal"},
      {sbHorizontal, sbpEndArrow, sisDown, L"Mine"},
  };
  for (const TCase& c : cases) {
    const TVelResID* id = ScrollPartImage(images, c.Kind, c.Part, c.State);
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(*id, c.Id);
  }
  EXPECT_EQ(ScrollPartImage(images, sbVertical, sbpThumb, sisNone), nullptr);
  EXPECT_EQ(ScrollPartImage(images, sbVertical, sbpNone, sisDown), nullptr);
  EXPECT_EQ(ScrollPartImage(images, sbVertical, 7, sisDown), nullptr);
}
