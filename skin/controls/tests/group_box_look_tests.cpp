// The group box and check box look: the frame table, the layout of the
// caption line for each alignment and style, and the separator gradient,
// checked against values worked out by hand from the layout rules.
#include <gtest/gtest.h>

#include "skin/controls/group_box_look.h"

namespace {

TGroupBoxLayoutInput Input(TAlignment Alignment, int32_t TextWidth, bool CheckBox, TGroupBoxFrameStyle Style = fsLine) {
  TGroupBoxLayoutInput in;
  in.Width = 200;
  in.Height = 80;
  in.CaptionHeight = 15;
  in.TextWidth = TextWidth;
  in.Alignment = Alignment;
  in.FrameStyle = Style;
  in.CheckBoxShown = CheckBox;
  in.FrameWidth = CheckBox ? 17 : 0;
  in.FrameHeight = CheckBox ? 17 : 0;
  return in;
}

void ExpectRect(const TRect& R, int32_t L, int32_t T, int32_t Ri, int32_t B) {
  EXPECT_EQ(R.Left, L);
  EXPECT_EQ(R.Top, T);
  EXPECT_EQ(R.Right, Ri);
  EXPECT_EQ(R.Bottom, B);
}

}  // namespace

TEST(CheckBoxLook, FrameForEveryState) {
  // Checked, pressed, mouse over -> frame.
  const struct {
    bool Checked, Pressed, Over;
    int32_t Frame;
  } table[] = {
      {false, false, false, 0}, {false, false, true, 1}, {false, true, false, 3}, {false, true, true, 3},
      {true, false, false, 2},  {true, false, true, 3},  {true, true, false, 3},  {true, true, true, 3},
  };
  for (const auto& row : table)
    EXPECT_EQ(CheckBoxFrameIndex(row.Checked, row.Pressed, row.Over), row.Frame)
        << row.Checked << row.Pressed << row.Over;
}

TEST(GroupBoxLayout, LeftCaptionWithCheckBox) {
  const TGroupBoxLayout l = GroupBoxLayout(Input(taLeftJustify, 40, true));
  ASSERT_TRUE(l.Drawn);
  EXPECT_EQ(l.CheckBoxPos.X, 3);
  EXPECT_EQ(l.CheckBoxPos.Y, 15 / 2 - 17 / 2);  // -1: taller than the band
  EXPECT_EQ(l.Indent, 3 + 17 + 3);
  // The clickable area reaches the caption's indent past the frame.
  ExpectRect(l.CheckBoxRect, 3, -1, 3 + 23 + 17, 16);
  ExpectRect(l.CaptionRect, 23, 0, 63, 15);
  EXPECT_EQ(l.Y0, 7);
  ASSERT_EQ(l.SegmentCount, 1);
  EXPECT_EQ(l.Segments[0].Left, 68);
  EXPECT_EQ(l.Segments[0].Right, 200);
}

TEST(GroupBoxLayout, RightCaptionWithCheckBox) {
  const TGroupBoxLayout l = GroupBoxLayout(Input(taRightJustify, 40, true));
  EXPECT_EQ(l.CheckBoxPos.X, 200 - 3 - 17 - 40);
  EXPECT_EQ(l.Indent, 0);
  ExpectRect(l.CaptionRect, 160, 0, 200, 15);
  ASSERT_EQ(l.SegmentCount, 1);
  EXPECT_EQ(l.Segments[0].Left, 0);
  EXPECT_EQ(l.Segments[0].Right, 160 - 17 - 5);
}

TEST(GroupBoxLayout, CentredCaption) {
  const TGroupBoxLayout l = GroupBoxLayout(Input(taCenter, 41, true));
  const int32_t c = (200 - 17 - 41) / 2;  // 71
  EXPECT_EQ(l.CheckBoxPos.X, c);
  ExpectRect(l.CaptionRect, c + 17, 0, c + 41 + 17, 15);
  ASSERT_EQ(l.SegmentCount, 2);
  EXPECT_EQ(l.Segments[0].Left, 0);
  EXPECT_EQ(l.Segments[0].Right, c - 5);
  EXPECT_EQ(l.Segments[1].Left, c + 41 + 17 + 5);
  EXPECT_EQ(l.Segments[1].Right, 200);
}

TEST(GroupBoxLayout, CentredEmptyCaptionLeavesTenPixelsPlusTheCheckBox) {
  for (bool box : {false, true}) {
    const TGroupBoxLayout l = GroupBoxLayout(Input(taCenter, 0, box));
    ASSERT_EQ(l.SegmentCount, 2);
    EXPECT_EQ(l.Segments[1].Left - l.Segments[0].Right, 10 + (box ? 17 : 0)) << box;
    EXPECT_LE(std::abs((l.Segments[0].Right + l.Segments[1].Left) - 200), 1);
  }
}

TEST(GroupBoxLayout, NoBandOrNoWidthDrawsNothing) {
  TGroupBoxLayoutInput in = Input(taLeftJustify, 40, true);
  in.CaptionHeight = 0;
  EXPECT_FALSE(GroupBoxLayout(in).Drawn);
  in.CaptionHeight = -3;
  EXPECT_FALSE(GroupBoxLayout(in).Drawn);
  in = Input(taCenter, 40, true);
  in.Width = 0;
  EXPECT_FALSE(GroupBoxLayout(in).Drawn);
}

TEST(GroupBoxLayout, CaptionWiderThanTheBoxGivesEmptyPieces) {
  for (TAlignment a : {taLeftJustify, taRightJustify, taCenter}) {
    const TGroupBoxLayout l = GroupBoxLayout(Input(a, 60000, true));
    ASSERT_TRUE(l.Drawn);
    for (int32_t i = 0; i < l.SegmentCount; ++i) EXPECT_TRUE(l.Segments[i].Empty()) << a << " " << i;
  }
}

TEST(GroupBoxLayout, BoxStyleIndentsAndClosesTheRectangle) {
  const TGroupBoxLayout l = GroupBoxLayout(Input(taLeftJustify, 40, true, fsBox));
  EXPECT_EQ(l.CheckBoxPos.X, 23);
  EXPECT_EQ(l.Indent, 20 + 3 + 17 + 3);
  ExpectRect(l.CaptionRect, 43, 0, 83, 15);
  EXPECT_EQ(l.SegmentCount, 0);
  ASSERT_EQ(l.BoxLineCount, 7);
  const TBoxLine expected[7] = {{{88, 7}, {200, 7}},  {{199, 7}, {199, 15}}, {{0, 7}, {43 - 17 - 5, 7}},
                                {{0, 7}, {0, 15}},    {{0, 15}, {0, 79}},    {{199, 15}, {199, 79}},
                                {{0, 79}, {200, 79}}};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(l.BoxLines[i].From, expected[i].From) << i;
    EXPECT_EQ(l.BoxLines[i].To, expected[i].To) << i;
  }
  // Without the check box the top-left line stops 5 pixels before the caption.
  const TGroupBoxLayout plain = GroupBoxLayout(Input(taLeftJustify, 40, false, fsBox));
  EXPECT_EQ(plain.CaptionRect.Left, 20);
  EXPECT_EQ(plain.BoxLines[2].To.X, 15);
}

TEST(GroupBoxSeparator, StepsOneWidthOfTheWayPerPixel) {
  const uint32_t stop = 0xF6FBFE, start = 0x53A7CF;
  EXPECT_EQ(SeparatorColor(stop, start, 0, 100), 0xFFF6FBFEu);
  // Red 0xF6 -> 0x53: 246 + (83 - 246) * 50 / 100 = 164.5 -> 164 (toward zero: 246 - 81).
  const TColor32 mid = SeparatorColor(stop, start, 50, 100);
  EXPECT_EQ((mid >> 16) & 0xFF, 246u - 81u);
  EXPECT_EQ((mid >> 8) & 0xFF, 251u - 42u);
  EXPECT_EQ(mid & 0xFF, 254u - 23u);
  EXPECT_EQ(SeparatorColor(stop, start, 0, 0), 0xFFF6FBFEu);  // no width: no division

  TBitmap32 bmp;
  bmp.SetSize(30, 4);
  bmp.Clear(0x11223344);
  DrawSeparator(bmp, TSeparatorSegment{-5, 25}, 2, stop, start);
  for (int32_t x = 0; x < 30; ++x) {
    for (int32_t y = 0; y < 4; ++y) {
      const TColor32 expected = (y == 2 && x < 25) ? SeparatorColor(stop, start, x + 5, 30) : 0x11223344u;
      ASSERT_EQ(bmp.Pixel(x, y), expected) << x << "," << y;
    }
  }
  // Rows outside the bitmap and empty pieces change nothing.
  DrawSeparator(bmp, TSeparatorSegment{0, 30}, 4, stop, start);
  DrawSeparator(bmp, TSeparatorSegment{0, 30}, -1, stop, start);
  DrawSeparator(bmp, TSeparatorSegment{20, 10}, 0, stop, start);
  for (int32_t x = 0; x < 30; ++x) EXPECT_EQ(bmp.Pixel(x, 0), 0x11223344u);
}

TEST(GroupBoxSeparator, BoxLinesAreOpaqueAndLeaveTheInsideAlone) {
  TBitmap32 bmp;
  bmp.SetSize(60, 40);
  bmp.Clear(0x80000000);
  const TGroupBoxLayout l = GroupBoxLayout([] {
    TGroupBoxLayoutInput in;
    in.Width = 60;
    in.Height = 40;
    in.CaptionHeight = 11;
    in.TextWidth = 10;
    in.FrameStyle = fsBox;
    return in;
  }());
  DrawBoxLines(bmp, l, 0x53A7CF);
  const TColor32 line = 0xFF53A7CF;
  EXPECT_EQ(bmp.Pixel(0, 5), line);    // top-left piece and left side
  EXPECT_EQ(bmp.Pixel(0, 39), line);   // bottom-left corner
  EXPECT_EQ(bmp.Pixel(59, 39), line);  // bottom-right corner
  EXPECT_EQ(bmp.Pixel(59, 5), line);   // top-right
  EXPECT_EQ(bmp.Pixel(14, 5), line);   // the top-left piece ends before 15 = caption left - 5
  EXPECT_EQ(bmp.Pixel(15, 5), 0x80000000u);
  EXPECT_EQ(bmp.Pixel(30, 5), 0x80000000u);  // under the caption
  EXPECT_EQ(bmp.Pixel(35, 5), line);        // from caption right + 5
  for (int32_t y = 6; y < 39; ++y)
    for (int32_t x = 1; x < 59; ++x) ASSERT_EQ(bmp.Pixel(x, y), 0x80000000u) << x << "," << y;
}
