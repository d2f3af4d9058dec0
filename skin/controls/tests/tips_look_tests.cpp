// The balloon tips' geometry without a window: an edit's balloon beside it,
// the rectangle conversion, the balloon's rectangle for each direction with
// and without title, the close button and text rectangles, and the pause.
#include <gtest/gtest.h>

#include <climits>

#include "skin/controls/tips_look.h"

namespace {

TEST(TipsLook, AnEditsBalloonSitsBesideIt) {
  // An edit at (20, 30), 140 x 26, and a line 14 high: 5 to the right of the
  // edit, 5 above the line centred on it.
  const TPoint leftTop = EditTipsLeftTop(MakeRect(20, 30, 160, 56), 14);
  EXPECT_EQ(leftTop, Point(165, 30 + 6 - 5));
  // The division truncates toward zero, also for a line taller than the edit.
  EXPECT_EQ(EditTipsLeftTop(MakeRect(0, 0, 10, 25), 14).Y, 5 - 5);
  EXPECT_EQ(EditTipsLeftTop(MakeRect(0, 0, 10, 10), 13).Y, -1 - 5);
  // 10 pixels wider than the text, one line high; a very long line is kept
  // to the measuring width and wraps in the balloon.
  EXPECT_EQ(EditTipsRect(leftTop, 80, 14), MakeRect(165, 31, 255, 45));
  EXPECT_EQ(EditTipsRect(Point(0, 0), 50000, 14).Right, TipsMeasureWidth + 10);
  EXPECT_EQ(EditTipsRect(Point(INT32_MAX - 2, 0), 80, 14).Right, INT32_MAX);
}

TEST(TipsLook, ARectangleMovesToTheScreenWithASaneHeight) {
  EXPECT_EQ(TipsScreenRect(MakeRect(165, 31, 255, 45), Point(500, 400), 1024), MakeRect(500, 400, 590, 414));
  // Below 11 or not below the screen's height: 10.
  EXPECT_EQ(TipsScreenRect(MakeRect(0, 0, 90, 10), Point(1, 2), 1024).Height(), 10);
  EXPECT_EQ(TipsScreenRect(MakeRect(0, 0, 90, 11), Point(1, 2), 1024).Height(), 11);
  EXPECT_EQ(TipsScreenRect(MakeRect(0, 0, 90, 1024), Point(1, 2), 1024).Height(), 10);
  EXPECT_EQ(TipsScreenRect(MakeRect(0, 50, 90, 0), Point(1, 2), 1024).Height(), 10);
}

TEST(TipsLook, TextWidth) {
  const TRect r = MakeRect(10, 10, 100, 24);
  EXPECT_EQ(TipsTextWidth(300, nullptr, false, 12), 296);
  EXPECT_EQ(TipsTextWidth(300, nullptr, true, 12), 284);
  EXPECT_EQ(TipsTextWidth(300, &r, false, 12), 86);
  EXPECT_EQ(TipsTextWidth(300, &r, true, 12), 74);
}

TEST(TipsLook, BalloonRectangles) {
  const TRect r = MakeRect(600, 400, 690, 414);
  // An edit's balloon: at R, R's width, the text's height plus 10.
  TTipsPlacement edit;
  edit.Direction = hdCustom;
  edit.HasParent = true;
  edit.ParentClient = MakeRect(420, 390, 560, 416);
  edit.R = &r;
  edit.MeasuredHeight = 14;
  EXPECT_EQ(TipsBalloonRect(edit), MakeRect(600, 400, 690, 424));
  // A text that wraps makes it taller; R's height is the least.
  edit.MeasuredHeight = 42;
  EXPECT_EQ(TipsBalloonRect(edit).Bottom, 452);
  edit.MeasuredHeight = 3;
  EXPECT_EQ(TipsBalloonRect(edit).Bottom, 424);
  // Never taller or wider than the screen.
  edit.MeasuredHeight = 100000;
  edit.MaxHeight = 768;
  EXPECT_EQ(TipsBalloonRect(edit).Height(), 768);
  const TRect wide = MakeRect(0, 0, 50000, 14);
  edit.R = &wide;
  edit.MaxWidth = 1024;
  EXPECT_EQ(TipsBalloonRect(edit).Width(), 1024);

  // Over the control's client area, at its top or flush with its bottom.
  TTipsPlacement top;
  top.HasParent = true;
  top.ParentClient = MakeRect(100, 200, 300, 260);
  top.MeasuredHeight = 14;
  EXPECT_EQ(TipsBalloonRect(top), MakeRect(100, 200, 300, 224));
  top.TitleHeight = 16;
  EXPECT_EQ(TipsBalloonRect(top), MakeRect(100, 200, 300, 246));
  TTipsPlacement bottom = top;
  bottom.Direction = hdBottom;
  EXPECT_EQ(TipsBalloonRect(bottom), MakeRect(100, 260 - 24 - 22, 300, 260));
  bottom.TitleHeight = 0;
  EXPECT_EQ(TipsBalloonRect(bottom), MakeRect(100, 236, 300, 260));
  // With R the left and right edges are R's.
  const TRect narrow = MakeRect(120, 0, 180, 5);
  bottom.R = &narrow;
  EXPECT_EQ(TipsBalloonRect(bottom), MakeRect(120, 236, 180, 260));
  // hdCustom without R stays at the client's top-left.
  top.Direction = hdCustom;
  top.TitleHeight = 0;
  EXPECT_EQ(TipsBalloonRect(top), MakeRect(100, 200, 300, 224));

  // Without a control the balloon is R, plus the title.
  TTipsPlacement alone;
  alone.R = &r;
  EXPECT_EQ(TipsBalloonRect(alone), r);
  alone.TitleHeight = 16;
  EXPECT_EQ(TipsBalloonRect(alone), MakeRect(600, 400, 690, 436));
  // An inverted R gives an empty balloon, never a negative size.
  const TRect inverted = MakeRect(50, 50, 10, 10);
  alone.R = &inverted;
  alone.TitleHeight = 0;
  const TRect empty = TipsBalloonRect(alone);
  EXPECT_EQ(empty.Width(), 0);
  EXPECT_EQ(empty.Height(), 0);
}

TEST(TipsLook, CloseButtonAndTextRectangles) {
  EXPECT_EQ(TipsCloseButtonRect(200, true, 12, 12), MakeRect(184, 5, 196, 17));
  EXPECT_EQ(TipsCloseButtonRect(200, false, 12, 12), TRect{});
  EXPECT_EQ(TipsTextRect(200, 40, true, 12), MakeRect(4, 4, 182, 36));
  EXPECT_EQ(TipsTextRect(200, 40, false, 12), MakeRect(4, 4, 194, 36));
}

TEST(TipsLook, Pause) {
  EXPECT_FALSE(TipsPauseElapsed(3000, 1000 + 2999, 1000));
  EXPECT_TRUE(TipsPauseElapsed(3000, 1000 + 3000, 1000));
  EXPECT_FALSE(TipsPauseElapsed(0, INT64_MAX, 0));
  EXPECT_FALSE(TipsPauseElapsed(-5, INT64_MAX, 0));
}

}  // namespace
