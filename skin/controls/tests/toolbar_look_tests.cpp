// The toolbar's look without a window: item rectangles in rows and columns
// (equal division, widths from captions, spacers), the image and caption
// placement of the four layouts, the pressed shift, faces, fonts and state
// images, the scroll buttons and steps, hit tests and focus moves, and the
// drawing into a bitmap, checked against values worked out from the rules.
#include <gtest/gtest.h>

#include "gfx/blend.h"
#include "skin/controls/toolbar_look.h"

namespace {

void ExpectRect(const TRect& R, int32_t L, int32_t T, int32_t Ri, int32_t B) {
  EXPECT_EQ(R.Left, L);
  EXPECT_EQ(R.Top, T);
  EXPECT_EQ(R.Right, Ri);
  EXPECT_EQ(R.Bottom, B);
}

// Captions of fixed sizes: 7 px per character, 13 px high, in every font.
TToolbarMeasure FixedMeasure(const std::vector<int32_t>& Chars, std::vector<int32_t>* Widths = nullptr) {
  TToolbarMeasure m;
  m.Caption = [Chars](int32_t Item, TToolbarFont) { return TPoint{7 * Chars.at(Item), 13}; };
  if (Widths)
    m.ButtonWidth = [Widths](int32_t Item, int32_t& W) {
      if ((*Widths)[Item] > 0) W = (*Widths)[Item];
    };
  return m;
}

TToolbarMetrics Row(int32_t Width, int32_t Height = 52) {
  TToolbarMetrics m;
  m.Width = Width;
  m.Height = Height;
  return m;
}

std::vector<TToolbarItemInfo> Buttons(int N) { return std::vector<TToolbarItemInfo>(static_cast<size_t>(N)); }

}  // namespace

// ---- Item rectangles --------------------------------------------------------------------------

TEST(ToolbarLayout, EqualDivisionPutsTheRemainderOnTheLastVisibleItem) {
  TToolbarMetrics m = Row(100);
  m.ButtonWidth = 0;
  std::vector<TToolbarItemInfo> items = Buttons(4);
  items[3].Visible = false;  // hidden items neither count nor take the remainder
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({1, 1, 1, 1}));
  EXPECT_EQ(l.Items[0].Rect.Width(), 33);
  EXPECT_EQ(l.Items[1].Rect.Width(), 33);
  EXPECT_EQ(l.Items[2].Rect.Width(), 34);
  EXPECT_FALSE(l.Items[3].Placed);
  // Each item starts one gap after the previous one; the row is centred across.
  EXPECT_EQ(l.Items[0].Rect.Left, 3);
  EXPECT_EQ(l.Items[1].Rect.Left, 39);
  EXPECT_EQ(l.Items[2].Rect.Left, 75);
  EXPECT_EQ(l.Items[0].Rect.Top, 2);
  EXPECT_EQ(l.Items[0].Rect.Bottom, 50);
  EXPECT_EQ(l.Length, 33 + 3 + 33 + 3 + 34 + 3);
  EXPECT_EQ(l.End, 3 + l.Length);
  // The gaps make the divided row longer than the toolbar.
  EXPECT_TRUE(l.EnabledScroll);
}

TEST(ToolbarLayout, FixedWidthRowAndScrolledOffset) {
  TToolbarMetrics m = Row(400, 40);
  m.ButtonWidth = 60;
  m.ButtonHeight = 30;
  m.DispOffset = TPoint{-15, 7};  // a row ignores the offset across
  const TToolbarLayout l = ToolbarLayout(m, Buttons(3), FixedMeasure({1, 1, 1}));
  ExpectRect(l.Items[0].Rect, -12, 5, 48, 35);
  ExpectRect(l.Items[2].Rect, -12 + 2 * 63, 5, -12 + 2 * 63 + 60, 35);
  EXPECT_EQ(l.Length, 3 * 63);
  EXPECT_EQ(l.End, -12 + 3 * 63);
  EXPECT_FALSE(l.EnabledScroll);
}

TEST(ToolbarLayout, ColumnCentresAcrossAndAdvancesByTheButtonHeight) {
  TToolbarMetrics m = Row(80, 100);
  m.MultiLine = true;
  m.ButtonWidth = 50;
  m.ButtonHeight = 30;
  m.AutoButtonWidth = true;  // ignored in a column
  const TToolbarLayout l = ToolbarLayout(m, Buttons(4), FixedMeasure({9, 9, 9, 9}));
  ExpectRect(l.Items[0].Rect, 15, 3, 65, 33);
  ExpectRect(l.Items[1].Rect, 15, 36, 65, 66);
  EXPECT_EQ(l.Length, 4 * 33);
  EXPECT_EQ(l.End, 3 + 4 * 33);
  EXPECT_TRUE(l.EnabledScroll);
}

TEST(ToolbarLayout, SpacersInARowAndInAColumn) {
  std::vector<TToolbarItemInfo> items = Buttons(3);
  items[1].Kind = tkSpacer;
  TToolbarMetrics m = Row(300, 48);
  m.ButtonWidth = 40;
  m.ButtonHeight = 48;
  m.SpaceSize = 4;
  TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({1, 1, 1}));
  // The spacer is two gaps long, its line in the middle of a rectangle one
  // pixel in from its start and four from the top and bottom.
  ExpectRect(l.Items[1].Rect, 4 + 44 + 1, 4, 4 + 44 + 3, 44);
  EXPECT_EQ(l.Items[1].LineFrom.X, 49);
  EXPECT_EQ(l.Items[1].LineTo.X, 49);
  EXPECT_EQ(l.Items[1].LineFrom.Y, 4);
  EXPECT_EQ(l.Items[1].LineTo.Y, 43);
  EXPECT_EQ(l.Items[1].Face, bfNone);
  EXPECT_EQ(l.Items[2].Rect.Left, 4 + 44 + 8);
  EXPECT_EQ(l.Length, 44 + 8 + 44);

  m.MultiLine = true;
  m.Width = 60;
  m.Height = 300;
  l = ToolbarLayout(m, items, FixedMeasure({1, 1, 1}));
  ExpectRect(l.Items[1].Rect, 10 + 4, 4 + 52 + 1, 10 + 40 - 4, 4 + 52 + 3);
  EXPECT_EQ(l.Items[1].LineFrom.Y, 57);
  EXPECT_EQ(l.Items[1].LineFrom.X, 14);
  EXPECT_EQ(l.Items[1].LineTo.X, 45);
  EXPECT_EQ(l.Items[2].Rect.Top, 4 + 52 + 8);
}

TEST(ToolbarLayout, AutomaticWidthsFromCaptionsImagesAndMenus) {
  TToolbarMetrics m = Row(600);
  m.AutoButtonWidth = true;
  m.HasImages = true;
  m.ImageWidth = 24;
  m.ImageHeight = 24;
  std::vector<TToolbarItemInfo> items = Buttons(6);
  items[0].ImageIndex = 0;                            // caption below: its caption
  items[1].ImageIndex = 0;                            // a caption narrower than the image
  items[2].TextLayout = ilLeft;                       // beside: both and two paddings
  items[3].HasMenu = true;                            // the drop-down part on top
  items[4].TextVisible = false, items[4].ImageIndex = 0;  // the image alone
  std::vector<int32_t> hook{0, 0, 0, 0, 0, 90};       // the width event overrides
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({6, 2, 6, 6, 6, 6}, &hook));
  EXPECT_EQ(l.Items[0].Rect.Width(), 42 + 14);
  EXPECT_EQ(l.Items[1].Rect.Width(), 24 + 14);
  EXPECT_EQ(l.Items[2].Rect.Width(), 42 + 14 + 24 + 14);
  EXPECT_EQ(l.Items[3].Rect.Width(), 42 + 14 + 16);
  EXPECT_EQ(l.Items[4].Rect.Width(), 24 + 14);
  EXPECT_EQ(l.Items[5].Rect.Width(), 90);
  EXPECT_EQ(l.Items[1].Rect.Left, l.Items[0].Rect.Right + 3);
}

TEST(ToolbarLayout, NegativeAndZeroSizesGiveEmptyFiniteGeometry) {
  TToolbarMetrics m = Row(0, 0);
  m.ButtonWidth = 0;
  m.ButtonHeight = -20;
  m.SpaceSize = -5;
  m.MenuBtnWidth = -3;
  std::vector<TToolbarItemInfo> items = Buttons(3);
  items[1].Kind = tkSpacer;
  items[2].HasMenu = true;
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({1, 1, 1}));
  for (const TToolbarItemPlace& p : l.Items) {
    EXPECT_GE(p.Rect.Width(), -2);
    EXPECT_LE(p.Rect.Width(), 0);
  }
  EXPECT_EQ(l.Length, 0);
  EXPECT_FALSE(l.EnabledScroll);
  EXPECT_TRUE(ToolbarLayout(Row(100), {}, FixedMeasure({})).Items.empty());
}

// ---- Content placement ------------------------------------------------------------------------

TEST(ToolbarLayout, ImageAndCaptionInEachLayout) {
  TToolbarMetrics m = Row(400, 48);
  m.ButtonWidth = 80;
  m.HasImages = true;
  m.ImageWidth = 24;
  m.ImageHeight = 20;
  m.TextOffset = TPoint{1, 2};
  std::vector<TToolbarItemInfo> items = Buttons(4);
  const TToolbarItemLayout layouts[] = {ilBottom, ilTop, ilLeft, ilRight};
  for (int i = 0; i < 4; ++i) items[i].ImageIndex = i, items[i].TextLayout = layouts[i];
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({4, 4, 4, 4}));  // 28 x 13 captions

  // Below: image centred over the caption block, caption from under the image.
  const TToolbarItemPlace& b = l.Items[0];
  EXPECT_EQ(b.ImagePos.X, (80 - 24) / 2 + 3);
  EXPECT_EQ(b.ImagePos.Y, (48 - 20 - 13) / 2);
  EXPECT_EQ(b.TextFlags, ToolbarCaptionBelow);
  ExpectRect(b.TextRect, 3 + 1 + 1 + 2, 7 + 20 + 2 + 2, 83 + 1 - 1 - 2, 48 + 2 - 1 - 2);

  // Above: the image under the caption, the caption ending above the image.
  const TToolbarItemPlace& t = l.Items[1];
  EXPECT_EQ(t.ImagePos.Y, (48 - 20 - 13) / 2 + 13);
  EXPECT_EQ(t.TextFlags, ToolbarCaptionAbove);
  EXPECT_EQ(t.TextRect.Bottom, 20 - 2 - 2);
  EXPECT_EQ(t.TextRect.Top, 2 + 1 + 2);

  // Left: the caption right-aligned up to the image on its right.
  const TToolbarItemPlace& left = l.Items[2];
  EXPECT_EQ(left.ImagePos.X, (80 - 24 - 28) / 2 + left.Rect.Left + 28);
  EXPECT_EQ(left.ImagePos.Y, (48 - 20) / 2);
  EXPECT_EQ(left.TextFlags, ToolbarCaptionLeft);
  EXPECT_EQ(left.TextRect.Right, left.ImagePos.X - 2 - 2);

  // Right: the image first, the caption left-aligned after it.
  const TToolbarItemPlace& right = l.Items[3];
  EXPECT_EQ(right.ImagePos.X, (80 - 24 - 28) / 2 + right.Rect.Left);
  EXPECT_EQ(right.TextFlags, ToolbarCaptionRight);
  EXPECT_EQ(right.TextRect.Left, right.ImagePos.X + 24 + 2 + 2);
}

TEST(ToolbarLayout, ColumnPlacesBesideLayoutsByTheMargin) {
  TToolbarMetrics m = Row(120, 200);
  m.MultiLine = true;
  m.ButtonWidth = 100;
  m.HasImages = true;
  m.ImageWidth = 16;
  m.ImageHeight = 16;
  std::vector<TToolbarItemInfo> items = Buttons(2);
  items[0].ImageIndex = 0, items[0].TextLayout = ilLeft;
  items[1].ImageIndex = 0, items[1].TextLayout = ilRight;
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({3, 3}));
  EXPECT_EQ(l.Items[0].ImagePos.X, 110 - 16 - 20 - 16 - 2);
  EXPECT_EQ(l.Items[1].ImagePos.X, 20 + 10 + 2);
}

TEST(ToolbarLayout, NoImageCentresTheCaptionClearOfTheDropdownPart) {
  TToolbarMetrics m = Row(400);
  m.ButtonWidth = 70;
  std::vector<TToolbarItemInfo> items = Buttons(2);
  items[1].HasMenu = true;
  items[1].ImageIndex = 3;  // no image list: no image
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({2, 2}));
  EXPECT_FALSE(l.Items[1].HasImage);
  EXPECT_EQ(l.Items[0].TextFlags, ToolbarCaptionCentred);
  EXPECT_EQ(l.Items[0].TextRect, l.Items[0].Rect);
  ExpectRect(l.Items[1].MenuButtonRect, 76 + 70 - 16, 2, 76 + 70, 50);
  EXPECT_EQ(l.Items[1].TextRect.Right, l.Items[1].MenuButtonRect.Left);
}

TEST(ToolbarLayout, ImageNeverStartsLeftOfTheItem) {
  TToolbarMetrics m = Row(400);
  m.ButtonWidth = 20;
  m.HasImages = true;
  m.ImageWidth = 40;
  m.ImageHeight = 40;
  std::vector<TToolbarItemInfo> items = Buttons(1);
  items[0].ImageIndex = 0;
  items[0].TextLayout = ilRight;
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({5}));
  EXPECT_EQ(l.Items[0].ImagePos.X, l.Items[0].Rect.Left);
}

TEST(ToolbarLayout, PressedShiftOnlyForPlainHeldButtons) {
  TToolbarMetrics m = Row(400);
  m.PressedOffset = 2;
  m.HasImages = true;
  m.ImageWidth = 16;
  m.ImageHeight = 16;
  std::vector<TToolbarItemInfo> items = Buttons(4);
  for (auto& i : items) i.ImageIndex = 0, i.Down = true;
  items[1].GroupIndex = 1;     // a group's down item does not move
  items[2].AllowAllUp = true;  // a toggle moves while down, hot or not
  items[3].Down = false;
  m.HotItemIndex = 0;
  TToolbarLayout plain = ToolbarLayout(m, items, FixedMeasure({1, 1, 1, 1}));
  m.PressedOffset = 0;
  const TToolbarLayout still = ToolbarLayout(m, items, FixedMeasure({1, 1, 1, 1}));
  EXPECT_EQ(plain.Items[0].ImagePos.X, still.Items[0].ImagePos.X + 2);
  EXPECT_EQ(plain.Items[0].ImagePos.Y, still.Items[0].ImagePos.Y + 2);
  EXPECT_EQ(plain.Items[0].TextRect.Top, still.Items[0].TextRect.Top + 2);
  EXPECT_EQ(plain.Items[1].ImagePos, still.Items[1].ImagePos);
  EXPECT_EQ(plain.Items[2].ImagePos.X, still.Items[2].ImagePos.X + 2);
  EXPECT_EQ(plain.Items[3].ImagePos, still.Items[3].ImagePos);
  // A special part under the mouse stops the shift.
  m.PressedOffset = 2;
  m.HotOtherBtn = gbFront;
  EXPECT_EQ(ToolbarLayout(m, items, FixedMeasure({1, 1, 1, 1})).Items[0].ImagePos, still.Items[0].ImagePos);
}

// ---- Faces, fonts and images ----------------------------------------------------------------

TEST(ToolbarLayout, FaceFontAndImageOfEveryState) {
  TToolbarMetrics m = Row(500);
  m.HasImages = true;
  m.ImageWidth = 8;
  m.ImageHeight = 8;
  std::vector<TToolbarItemInfo> items = Buttons(5);
  for (auto& i : items) i.ImageIndex = 1, i.ImageHotIndex = 2, i.ImageDownIndex = 3, i.ImageDisableIndex = 4;
  items[0].Down = true;
  items[2].Enabled = false;
  items[3].ImageHotIndex = -1;
  items[4].HasMenu = true;
  const auto check = [&](int32_t Hot, TOtherButtonKind Part, bool Held) {
    m.HotItemIndex = Hot;
    m.HotOtherBtn = Part;
    m.DownOtherBtn = Held;
    return ToolbarLayout(m, items, FixedMeasure({1, 1, 1, 1, 1}));
  };
  TToolbarLayout l = check(1, gbNone, false);
  EXPECT_EQ(l.Items[0].Face, bfPressed);
  EXPECT_EQ(l.Items[0].Font, tfDown);
  EXPECT_EQ(l.Items[0].ImageIndex, 3);
  EXPECT_EQ(l.Items[1].Face, bfHot);
  EXPECT_EQ(l.Items[1].Font, tfHot);
  EXPECT_EQ(l.Items[1].ImageIndex, 2);
  EXPECT_EQ(l.Items[2].ImageIndex, 4);
  EXPECT_FALSE(l.Items[2].ImageEnabled);
  EXPECT_EQ(l.Items[3].ImageIndex, 1);
  EXPECT_EQ(l.Items[4].MenuFrame, bfNormal);
  // With a scroll button under the mouse nothing else looks hot.
  l = check(1, gbBack, false);
  EXPECT_EQ(l.Items[1].Face, bfNormal);
  EXPECT_EQ(l.Items[1].Font, tfNormal);
  EXPECT_EQ(l.Items[1].ImageIndex, 1);
  // The drop-down part: hot, then pressed while held; the item stays hot.
  l = check(4, gbMenu, false);
  EXPECT_EQ(l.Items[4].MenuFrame, bfHot);
  EXPECT_EQ(l.Items[4].Face, bfHot);
  EXPECT_EQ(check(4, gbMenu, true).Items[4].MenuFrame, bfPressed);
  EXPECT_EQ(check(3, gbMenu, true).Items[4].MenuFrame, bfNormal);
  // The disabled item without a disabled image shows its own, greyed.
  items[2].ImageDisableIndex = -1;
  EXPECT_EQ(check(-1, gbNone, false).Items[2].ImageIndex, 1);
}

TEST(ToolbarFaces, RemadeOnlyForANewSizeOrAfterReset) {
  int cuts = 0;
  const TToolbarFaces::TCutFrame cut = [&](TButtonFrame Frame, TCustomBitmap32* Image) {
    ++cuts;
    Image->SetSize(9, 9);
    Image->Clear(0xFF000000 | static_cast<TColor32>(Frame));
    return true;
  };
  TToolbarFaces faces;
  faces.Prepare(30, 20, cut);
  faces.Prepare(30, 20, cut);
  EXPECT_EQ(faces.Remakes(), 1);
  EXPECT_EQ(cuts, 3);
  ASSERT_NE(faces.Face(bfHot), nullptr);
  EXPECT_EQ(faces.Face(bfHot)->Width(), 30);
  EXPECT_EQ(faces.Face(bfPressed)->Pixel(15, 10), 0xFF000000 | bfPressed);
  EXPECT_EQ(faces.Face(bfDisable), nullptr);
  faces.Prepare(31, 20, cut);
  faces.Reset();
  faces.Prepare(31, 20, cut);
  EXPECT_EQ(faces.Remakes(), 3);
  // An empty size or a strip that cannot be cut leaves no faces.
  faces.Prepare(0, 20, cut);
  EXPECT_EQ(faces.Face(bfNormal), nullptr);
  faces.Prepare(5, 5, [](TButtonFrame, TCustomBitmap32*) { return false; });
  EXPECT_EQ(faces.Face(bfNormal), nullptr);
}

// ---- Scrolling ----------------------------------------------------------------------------

TEST(ToolbarScroll, ButtonRectanglesInARowAndAColumn) {
  const TToolbarScrollRects row = ToolbarScrollRects(400, 52, false, TPoint{30, 29}, TPoint{28, 27});
  ExpectRect(row.Front, 399 - 28, 2, 399, 2 + 27);
  ExpectRect(row.Back, 399 - 28 - 1 - 30, 2, 399 - 28 - 1, 2 + 29);
  const TToolbarScrollRects column = ToolbarScrollRects(60, 300, true, TPoint{29, 30}, TPoint{29, 30});
  ExpectRect(column.Front, 59 - 29, 300 - 30 - 2, 59, 300 - 2);
  ExpectRect(column.Back, 59 - 29, 300 - 32 - 1 - 30, 59, 300 - 32 - 1);
}

TEST(ToolbarScroll, FramesAndBlockingAtTheEnds) {
  TToolbarMetrics m = Row(100);
  TToolbarLayout l;
  l.EnabledScroll = true;
  l.End = 180;
  TToolbarScrollLook look = ToolbarScrollLook(m, l, false);
  EXPECT_EQ(look.Back, bfDisable);  // at the start
  EXPECT_EQ(look.Front, bfNormal);
  EXPECT_FALSE(look.StopScroll);
  m.HotOtherBtn = gbBack;
  EXPECT_TRUE(ToolbarScrollLook(m, l, false).StopScroll);
  m.HotOtherBtn = gbFront;
  look = ToolbarScrollLook(m, l, true);
  EXPECT_EQ(look.Front, bfHot);
  EXPECT_FALSE(look.StopScroll);
  m.DownOtherBtn = true;
  EXPECT_EQ(ToolbarScrollLook(m, l, false).Front, bfPressed);
  // Scrolled to the end: the front button is the disabled one and blocks.
  m.DispOffset.X = -90;
  l.End = 90;
  look = ToolbarScrollLook(m, l, false);
  EXPECT_EQ(look.Back, bfNormal);
  EXPECT_EQ(look.Front, bfDisable);
  EXPECT_TRUE(look.StopScroll);
  // A column reads the offset down the bar.
  m.MultiLine = true;
  m.DispOffset = TPoint{-90, 0};
  EXPECT_EQ(ToolbarScrollLook(m, l, false).Back, bfDisable);
  // Without overflow: no buttons, blocking left alone.
  l.EnabledScroll = false;
  look = ToolbarScrollLook(m, l, true);
  EXPECT_EQ(look.Back, bfNone);
  EXPECT_TRUE(look.StopScroll);
}

TEST(ToolbarScroll, StepsStopAtBothEnds) {
  // Ten 48-px items and their gaps on a 400-px row end at 513.
  TToolbarMetrics m = Row(400);
  const TToolbarLayout l = ToolbarLayout(m, Buttons(10), FixedMeasure(std::vector<int32_t>(10, 1)));
  ASSERT_EQ(l.End, 3 + 10 * 51);
  int32_t offset = 0, end = l.End, steps = 0;
  while (end > 400 && steps < 100) {
    ASSERT_TRUE(ToolbarScrollFrontStep(offset, end, false, 15, 400));
    ++steps;
  }
  EXPECT_EQ(steps, 8);  // 513 - 8 x 15 = 393
  EXPECT_EQ(offset, -120);
  m.DispOffset.X = offset;
  EXPECT_EQ(ToolbarLayout(m, Buttons(10), FixedMeasure(std::vector<int32_t>(10, 1))).End, end);
  // At the end a step changes nothing; while blocked it is refused.
  EXPECT_TRUE(ToolbarScrollFrontStep(offset, end, false, 15, 400));
  EXPECT_EQ(offset, -120);
  EXPECT_FALSE(ToolbarScrollFrontStep(offset, end, true, 15, 400));
  // Back steps return to the start and never beyond, whatever the step size.
  EXPECT_FALSE(ToolbarScrollBackStep(offset, true, 15));
  EXPECT_EQ(offset, -120);
  for (int i = 0; i < 6; ++i) ToolbarScrollBackStep(offset, false, 20);
  EXPECT_EQ(offset, 0);
  // A step size of 0 or less still moves.
  end = 500;
  ToolbarScrollFrontStep(offset, end, false, 0, 400);
  EXPECT_EQ(offset, -1);
}

// ---- Hit tests and focus ------------------------------------------------------------------

TEST(ToolbarHitTest, ItemsPartsAndScrollButtons) {
  TToolbarMetrics m = Row(200);
  std::vector<TToolbarItemInfo> items = Buttons(5);
  items[1].Enabled = false;
  items[2].Kind = tkSpacer;
  items[3].HasMenu = true;
  items[4].Visible = false;
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({1, 1, 1, 1, 1}));
  for (size_t i = 0; i < items.size(); ++i) {
    items[i].Rect = l.Items[i].Rect;
    items[i].MenuButtonRect = l.Items[i].MenuButtonRect;
  }
  EXPECT_EQ(ToolbarItemAt(items, TPoint{3, 2}, true), 0);
  EXPECT_EQ(ToolbarItemAt(items, TPoint{50, 2}, true), 0);
  EXPECT_EQ(ToolbarItemAt(items, TPoint{51, 2}, true), -1);  // the right edge is outside
  EXPECT_EQ(ToolbarItemAt(items, TPoint{60, 20}, true), -1);
  EXPECT_EQ(ToolbarItemAt(items, TPoint{60, 20}, false), 1);
  EXPECT_EQ(ToolbarItemAt(items, TPoint{l.Items[2].LineFrom.X, 20}, false), -1);
  const TPoint onMenu{l.Items[3].MenuButtonRect.Left + 2, 20};
  EXPECT_EQ(ToolbarItemAt(items, onMenu, true), 3);
  const TToolbarScrollRects scroll = ToolbarScrollRects(200, 52, false, TPoint{30, 29}, TPoint{30, 29});
  EXPECT_EQ(ToolbarPartAt(items, 3, onMenu, false, true, scroll), gbMenu);
  EXPECT_EQ(ToolbarPartAt(items, 3, TPoint{l.Items[3].Rect.Left, 20}, false, true, scroll), gbNone);
  EXPECT_EQ(ToolbarPartAt(items, 9, onMenu, false, true, scroll), gbNone);
  // Scroll buttons lie over the items, but only while they show.
  const TPoint onFront{scroll.Front.Left + 1, 10};
  EXPECT_EQ(ToolbarPartAt(items, -1, onFront, true, true, scroll), gbFront);
  EXPECT_EQ(ToolbarPartAt(items, -1, TPoint{scroll.Back.Left, 10}, true, true, scroll), gbBack);
  EXPECT_EQ(ToolbarPartAt(items, -1, onFront, true, false, scroll), gbNone);
  EXPECT_EQ(ToolbarPartAt(items, -1, onFront, false, true, scroll), gbNone);
}

TEST(ToolbarFocus, ArrowMovesSkipWhatCannotBePressed) {
  std::vector<TToolbarItemInfo> items = Buttons(6);
  items[1].Kind = tkSpacer;
  items[2].Enabled = false;
  items[4].Visible = false;
  EXPECT_EQ(ToolbarNextFocus(items, -1, 1), 0);
  EXPECT_EQ(ToolbarNextFocus(items, 0, 1), 3);
  EXPECT_EQ(ToolbarNextFocus(items, 3, 1), 5);
  EXPECT_EQ(ToolbarNextFocus(items, 5, 1), 5);
  EXPECT_EQ(ToolbarNextFocus(items, 5, -1), 3);
  EXPECT_EQ(ToolbarNextFocus(items, 3, -1), 0);
  EXPECT_EQ(ToolbarNextFocus(items, 0, -1), 0);
  EXPECT_EQ(ToolbarNextFocus(items, -1, -1), -1);
  EXPECT_EQ(ToolbarNextFocus(items, 40, -1), 5);
  EXPECT_EQ(ToolbarNextFocus({}, 0, 1), 0);
}

// ---- Drawing ------------------------------------------------------------------------------

namespace {

// A frame of one colour per state, opaque.
constexpr TColor32 FrameColor(TButtonFrame Frame) { return 0xFF102030 + 0x10 * static_cast<TColor32>(Frame); }

constexpr TColor32 MenuColor(TButtonFrame Frame) { return FrameColor(Frame) | 0x00F00000; }

bool CutSolid(TColor32 Color, TCustomBitmap32* Image, int32_t W, int32_t H) {
  Image->SetSize(W, H);
  Image->Clear(Color);
  return true;
}

}  // namespace

TEST(ToolbarDraw, FacesSpacersMenusImagesCaptionsAndItemEvents) {
  TToolbarMetrics m = Row(300, 40);
  m.ButtonWidth = 60;
  m.ButtonHeight = 30;
  m.HasImages = true;
  m.ImageWidth = 2;
  m.ImageHeight = 2;
  m.HotItemIndex = 0;
  std::vector<TToolbarItemInfo> items = Buttons(4);
  items[0].ImageIndex = 0;
  items[0].TextVisible = false;
  items[1].Kind = tkSpacer;
  items[1].LineColor = 0x00123456;  // drawn opaque
  items[2].HasMenu = true;
  items[2].Enabled = false;
  items[2].ImageIndex = 0;
  items[2].TextVisible = false;
  items[3].ImageIndex = 7;  // no such image
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({1, 1, 1, 1}));

  TBitmap32 bitmap;
  bitmap.SetSize(300, 40);
  bitmap.Clear(0xFF808080);
  TToolbarFaces faces;
  const std::vector<uint32_t> normal{0xFFFF0000, 0x00FFFFFF, 0x80000000, 0xFF00FF00};
  const std::vector<uint32_t> grey{0xFF777777, 0xFF777777, 0xFF777777, 0xFF777777};
  std::vector<int32_t> captions, drawn;
  TToolbarPaint paint;
  paint.Faces = &faces;
  paint.CutFace = [](TButtonFrame F, TCustomBitmap32* I) { return CutSolid(FrameColor(F), I, 9, 9); };
  paint.CutMenuFrame = [](TButtonFrame F, TCustomBitmap32* I) { return CutSolid(MenuColor(F), I, 5, 40); };
  paint.Image = [&](int32_t Index, bool Enabled) -> const std::vector<uint32_t>* {
    if (Index != 0) return nullptr;
    return Enabled ? &normal : &grey;
  };
  paint.ImageWidth = 2;
  paint.ImageHeight = 2;
  paint.Caption = [&](int32_t Item, const TToolbarItemPlace&) { captions.push_back(Item); };
  paint.ItemDrawn = [&](int32_t Item) { drawn.push_back(Item); };
  DrawToolbarItems(bitmap, l, items, paint);

  // Faces cover their item, hot for the hot one.
  EXPECT_EQ(bitmap.Pixel(l.Items[0].Rect.Left, l.Items[0].Rect.Top), FrameColor(bfHot));
  EXPECT_EQ(bitmap.Pixel(l.Items[3].Rect.Right - 1, l.Items[3].Rect.Bottom - 1), FrameColor(bfNormal));
  EXPECT_EQ(bitmap.Pixel(l.Items[0].Rect.Right, 20), 0xFF808080);
  // The image, blended by the raster library's rule (the picture's own alpha
  // is left out).
  const TPoint at = l.Items[0].ImagePos;
  const TColor32 hot = FrameColor(bfHot);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(bitmap.Pixel(at.X + i % 2, at.Y + i / 2) & 0xFFFFFF, BlendPixel(normal[i], hot) & 0xFFFFFF) << i;
  EXPECT_EQ(bitmap.Pixel(at.X + 1, at.Y), hot);  // transparent: untouched
  // A disabled item takes the disabled pixels.
  EXPECT_EQ(bitmap.Pixel(l.Items[2].ImagePos.X, l.Items[2].ImagePos.Y) & 0xFFFFFF,
            BlendPixel(grey[0], FrameColor(bfNormal)) & 0xFFFFFF);
  // The spacer's line, opaque.
  EXPECT_EQ(bitmap.Pixel(l.Items[1].LineFrom.X, l.Items[1].LineFrom.Y), 0xFF123456);
  EXPECT_EQ(bitmap.Pixel(l.Items[1].LineTo.X, l.Items[1].LineTo.Y), 0xFF123456);
  EXPECT_EQ(bitmap.Pixel(l.Items[1].LineTo.X, l.Items[1].LineTo.Y + 1), 0xFF808080);
  // The drop-down band: 5 px wide, the item's height less 6, centred.
  const TRect& mb = l.Items[2].MenuButtonRect;
  EXPECT_EQ(bitmap.Pixel(mb.Left, mb.Top + 3), MenuColor(bfNormal));
  EXPECT_EQ(bitmap.Pixel(mb.Left + 4, mb.Bottom - 4), MenuColor(bfNormal));
  EXPECT_EQ(bitmap.Pixel(mb.Left, mb.Top + 2), FrameColor(bfNormal));  // the face around it
  EXPECT_EQ(bitmap.Pixel(mb.Left + 5, mb.Top + 10), FrameColor(bfNormal));
  // Captions only where visible; every item reported, spacers too.
  EXPECT_EQ(captions, std::vector<int32_t>({3}));
  EXPECT_EQ(drawn, std::vector<int32_t>({0, 1, 2, 3}));
  EXPECT_EQ(faces.Remakes(), 1);
}

TEST(ToolbarDraw, DesignFrameAroundItemsWithoutImages) {
  TToolbarMetrics m = Row(200, 40);
  m.ButtonWidth = 40;
  m.ButtonHeight = 30;
  std::vector<TToolbarItemInfo> items = Buttons(1);
  const TToolbarLayout l = ToolbarLayout(m, items, FixedMeasure({1}));
  TBitmap32 bitmap;
  bitmap.SetSize(200, 40);
  bitmap.Clear(0xFFFFFFFF);
  TToolbarPaint paint;
  paint.Designing = true;
  DrawToolbarItems(bitmap, l, items, paint);
  const TRect& r = l.Items[0].Rect;
  EXPECT_EQ(bitmap.Pixel(r.Left, r.Top), ToolbarDesignFrameColor);
  EXPECT_EQ(bitmap.Pixel(r.Right - 1, r.Bottom - 1), ToolbarDesignFrameColor);
  EXPECT_EQ(bitmap.Pixel(r.Left + 1, r.Top + 1), 0xFFFFFFFF);
}

TEST(ToolbarDraw, ImagesOutsideTheBitmapOrShortOfPixelsAreClippedOrSkipped) {
  TBitmap32 bitmap;
  bitmap.SetSize(4, 4);
  bitmap.Clear(0xFF000000);
  const std::vector<uint32_t> pixels(9, 0xFFFFFFFF);
  BlendImage(bitmap, pixels, 3, 3, 2, 2);
  EXPECT_EQ(bitmap.Pixel(3, 3), BlendPixel(0xFFFFFFFF, 0xFF000000));
  EXPECT_EQ(bitmap.Pixel(1, 1), 0xFF000000);
  BlendImage(bitmap, pixels, 3, 3, -10, 30);
  BlendImage(bitmap, pixels, 4, 4, 0, 0);  // fewer pixels than the size names
  BlendImage(bitmap, pixels, -3, 3, 0, 0);
  EXPECT_EQ(bitmap.Pixel(0, 0), 0xFF000000);
}
