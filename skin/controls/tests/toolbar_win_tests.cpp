// The skinned toolbar in a real window: the empty toolbar as a borderless
// panel with a label on it, item widths, scrolling by held scroll buttons,
// toggle groups, disabled items, arrow keys, drop-down menus, per-item hints,
// actions, real mouse input, and bad input that must not crash.
#include <gtest/gtest.h>

#include "gfx/win/gdi_backend.h"
#include "skin/controls/labels.h"
#include "skin/controls/tests/controls_test_support.h"
#include "skin/controls/toolbar.h"
#include "toolkit/win/application.h"

namespace {

// Lets a pending delayed refresh run, then rebuilds the picture now.
void Repaint(TVelSkinToolbar* T) {
  PumpFor(30);
  T->Invalidate();
  UpdateWindow(T->Handle());
}

LPARAM At(TPoint P) { return MAKELPARAM(P.X, P.Y); }
TPoint Centre(const TRect& R) { return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }

// A click as the window sees it: the mouse comes, presses and lets go.
void Click(TVelSkinToolbar* T, TPoint P) {
  T->Perform(WM_MOUSEMOVE, 0, At(P));
  T->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(P));
  T->Perform(WM_LBUTTONUP, 0, At(P));
}

// A copy of a rectangle of the toolbar's picture.
std::unique_ptr<TBitmap32> Region(TVelSkinToolbar* T, const TRect& R) {
  auto out = std::make_unique<TBitmap32>();
  out->SetSize(R.Width(), R.Height());
  T->Buffer()->DrawTo(out.get(), 0, 0, R);
  return out;
}

int Differences(const TCustomBitmap32& A, const TCustomBitmap32& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height()) return -1;
  int n = 0;
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x) n += (A.Pixel(x, y) & 0xFFFFFF) != (B.Pixel(x, y) & 0xFFFFFF);
  return n;
}

int CountRgb(TVelSkinToolbar* T, const TRect& R, uint32_t RGB) {
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) n += BufferRgb(T, x, y) == RGB;
  return n;
}

class ToolbarWin : public ControlsWin {
protected:
  TVelSkinToolbar* AddToolbar(int Width, int Height = 52, int Items = 0) {
    auto* t = new TVelSkinToolbar(Form.get());
    t->SetAlign(alNone);
    t->SetBounds(10, 10, Width, Height);
    t->SetParent(Form.get());
    for (int i = 0; i < Items; ++i) t->Items().Add()->Text().SetText(L"Item " + std::to_wstring(i));
    return t;
  }
  // A list of 16 x 16 images: each an opaque square of one colour with a
  // transparent corner.
  TImageList* AddImages(int Count) {
    auto* list = new TImageList(Form.get(), 16, 16);
    for (int i = 0; i < Count; ++i) {
      std::vector<uint32_t> pixels(256, 0xFF000000u | (0x3050A0u + 0x402000u * static_cast<uint32_t>(i)));
      pixels[0] = 0;
      list->Add(pixels.data(), 16);
    }
    return list;
  }
};

}  // namespace

// ---- Looks ----------------------------------------------------------------------------------

TEST_F(ToolbarWin, WithoutItemsItIsABorderlessPanelAndALabelOnItIsTransparent) {
  TVelSkinToolbar* toolbar = AddToolbar(300, 33);
  auto* panel = Add<TVelSkinPanel>(Form.get(), 10, 60, 300, 33);
  panel->SetBorderSides(0);
  auto* label = Add<TVelSkinLabel>(toolbar, 16, 8, 120, 19);
  label->Font().SetColor(clBlack);
  label->SetCaption(L"Fill the board");
  ShowForm();
  Repaint(toolbar);
  EXPECT_EQ(toolbar->BorderSides(), 0);
  EXPECT_EQ(toolbar->ButtonImage().Image(), L"VelSkinFlatBtn");
  EXPECT_FALSE(toolbar->EnabledScroll());
  int differ = 0;
  for (int y = 0; y < 33; ++y)
    for (int x = 0; x < 300; ++x) differ += BufferRgb(toolbar, x, y) != BufferRgb(panel, x, y);
  EXPECT_EQ(differ, 0);
  auto labelOverToolbar = [&] {
    int text = 0;
    for (int y = 0; y < label->Height(); ++y)
      for (int x = 0; x < label->Width(); ++x)
        if (BufferRgb(label, x, y) != BufferRgb(toolbar, 16 + x, 8 + y)) {
          ++text;
          EXPECT_LT(BufferRgb(label, x, y) & 0xFF, 0x80u) << x << "," << y;
        }
    return text;
  };
  EXPECT_GT(labelOverToolbar(), 10);
  // After a resize has settled the label follows the toolbar's new picture.
  toolbar->SetColor(0xC0FFC0);
  toolbar->SetBounds(10, 10, 280, 33);
  PumpFor(60);
  PaintNow(Form.get());
  EXPECT_GT(labelOverToolbar(), 10);
}

TEST_F(ToolbarWin, WidthsFromEqualDivisionAndFromCaptions) {
  TVelSkinToolbar* toolbar = AddToolbar(100, 52, 3);
  toolbar->SetButtonWidth(0);
  ShowForm();
  Repaint(toolbar);
  EXPECT_EQ(toolbar->Items()[0]->Rect().Width(), 33);
  EXPECT_EQ(toolbar->Items()[1]->Rect().Width(), 33);
  EXPECT_EQ(toolbar->Items()[2]->Rect().Width(), 34);

  toolbar->SetBounds(10, 10, 390, 52);
  toolbar->SetAutoButtonWidth(true);
  toolbar->Items()[1]->Text().SetText(L"A much longer caption");
  std::vector<int> reported;
  toolbar->OnButtonWidthChanged = [&](TObject* Sender, int32_t& W) {
    reported.push_back(static_cast<TVelSkinToolbarItem*>(Sender)->Index());
    if (reported.back() == 2) W = 77;
  };
  Repaint(toolbar);
  TBitmap32 measure;
  measure.SetSize(1, 1);
  SetFont(measure, toolbar->Font());
  EXPECT_EQ(toolbar->Items()[0]->Rect().Width(), TextExtentW(measure, L"Item 0").cx + 14);
  EXPECT_EQ(toolbar->Items()[1]->Rect().Width(), TextExtentW(measure, L"A much longer caption").cx + 14);
  EXPECT_EQ(toolbar->Items()[2]->Rect().Width(), 77);
  // Every paint asks once per item, in order.
  ASSERT_GE(reported.size(), 3u);
  EXPECT_EQ(std::vector<int>(reported.end() - 3, reported.end()), (std::vector<int>{0, 1, 2}));
}

TEST_F(ToolbarWin, HeldFrontButtonScrollsFifteenPixelsATickToTheEnd) {
  TVelSkinToolbar* toolbar = AddToolbar(300, 52, 8);  // 8 x 51 + 3 = 411 px of items
  ShowForm();
  Repaint(toolbar);
  ASSERT_TRUE(toolbar->EnabledScroll());
  const TRect front = toolbar->GoFrontBtnRect();
  EXPECT_EQ(front.Right, 299);
  EXPECT_EQ(front.Width(), 30);
  EXPECT_EQ(toolbar->GoBackBtnRect().Right, front.Left - 1);
  int32_t end = toolbar->DispX();
  ASSERT_EQ(end, 3 + 8 * 51);

  toolbar->Perform(WM_MOUSEMOVE, 0, At(Centre(front)));
  toolbar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(Centre(front)));
  EXPECT_TRUE(toolbar->DownOtherBtn());
  EXPECT_TRUE(toolbar->Timer().Enabled());
  EXPECT_EQ(toolbar->Timer().Interval(), 10u);
  int ticks = 0;
  while (toolbar->DispX() > 300 && ticks < 50) {
    toolbar->Timer().OnTimer()(&toolbar->Timer());
    ++ticks;
    EXPECT_EQ(toolbar->DispOffset().X, -15 * ticks);
    UpdateWindow(toolbar->Handle());
  }
  EXPECT_EQ(ticks, (end - 300 + 14) / 15);
  // At the end further ticks change nothing, and the front button shows its
  // disabled frame over what lies beneath it.
  toolbar->Timer().OnTimer()(&toolbar->Timer());
  EXPECT_EQ(toolbar->DispOffset().X, -15 * ticks);
  toolbar->Perform(WM_LBUTTONUP, 0, At(Centre(front)));
  EXPECT_FALSE(toolbar->Timer().Enabled());
  toolbar->SetScrollButtonVisible(false);
  Repaint(toolbar);
  auto expected = Region(toolbar, front);
  toolbar->SetScrollButtonVisible(true);
  Repaint(toolbar);
  TBitmap32 frame;
  ASSERT_TRUE(toolbar->GoFrontBtnPng().GetDisableImage(&frame));
  frame.DrawTo(expected.get(), 0, 0);
  EXPECT_EQ(Differences(*Region(toolbar, front), *expected), 0);
  EXPECT_TRUE(toolbar->StopScroll());

  // Deleting items until the rest fits scrolls home.
  toolbar->Items().Delete(7);
  toolbar->Items().Delete(6);
  EXPECT_NE(toolbar->DispOffset().X, 0);  // 6 x 51 px: still too long
  toolbar->Items().Delete(5);
  EXPECT_EQ(toolbar->DispOffset().X, 0);
}

// ---- Pressing -------------------------------------------------------------------------------

TEST_F(ToolbarWin, ToggleGroupsPlainButtonsAndAllowAllUp) {
  TVelSkinToolbar* toolbar = AddToolbar(390, 52, 5);
  for (int i = 0; i < 3; ++i) toolbar->Items()[i]->SetGroupIndex(1);
  toolbar->Items()[3]->SetGroupIndex(2);
  toolbar->Items()[3]->SetAllowAllUp(true);
  std::vector<int> downs, clicks;
  toolbar->OnItemDown = [&](TObject*, int32_t I) { downs.push_back(I); };
  toolbar->OnItemClick = [&](TObject*, int32_t I) { clicks.push_back(I); };
  int plainClicks = 0;
  toolbar->Items()[4]->OnClick = [&](TObject*) { ++plainClicks; };
  ShowForm();
  Repaint(toolbar);
  auto centre = [&](int I) { return Centre(toolbar->Items()[I]->Rect()); };

  Click(toolbar, centre(0));
  Click(toolbar, centre(1));
  EXPECT_FALSE(toolbar->Items()[0]->Down());
  EXPECT_TRUE(toolbar->Items()[1]->Down());
  Click(toolbar, centre(1));  // a group item stays down
  EXPECT_TRUE(toolbar->Items()[1]->Down());
  EXPECT_EQ(toolbar->FocusItemIndex(), 1);

  Click(toolbar, centre(3));
  EXPECT_TRUE(toolbar->Items()[3]->Down());
  EXPECT_TRUE(toolbar->Items()[1]->Down());  // another group is left alone
  Click(toolbar, centre(3));
  EXPECT_FALSE(toolbar->Items()[3]->Down());

  // A plain button is down only while held.
  toolbar->Perform(WM_MOUSEMOVE, 0, At(centre(4)));
  toolbar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(centre(4)));
  EXPECT_TRUE(toolbar->Items()[4]->Down());
  toolbar->Perform(WM_LBUTTONUP, 0, At(centre(4)));
  EXPECT_FALSE(toolbar->Items()[4]->Down());
  EXPECT_EQ(plainClicks, 1);
  // Released elsewhere: no click.
  toolbar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(centre(4)));
  toolbar->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(TPoint{389, 51}));
  toolbar->Perform(WM_LBUTTONUP, 0, At(TPoint{389, 51}));
  EXPECT_EQ(plainClicks, 1);

  EXPECT_EQ(downs, (std::vector<int>{0, 1, 1, 3, 4, 4}));
  EXPECT_EQ(clicks, (std::vector<int>{0, 1, 1, 3, 3, 4}));
  // Setting Down from the program presses too.
  toolbar->Items()[2]->SetDown(true);
  EXPECT_FALSE(toolbar->Items()[1]->Down());
  EXPECT_EQ(toolbar->FocusItemIndex(), 2);
  EXPECT_EQ(downs.back(), 2);
}

TEST_F(ToolbarWin, DisabledItemIgnoresClicksShowsItsDisabledImageAndAGreyCaption) {
  TVelSkinToolbar* toolbar = AddToolbar(390, 52, 2);
  toolbar->Font().SetColor(clRed);  // no shade of an enabled caption is grey
  TImageList* images = AddImages(2);
  toolbar->SetImages(images);
  TVelSkinToolbarItem* item = toolbar->Items()[0];
  item->SetImageIndex(1);
  item->Text().SetVisible(false);
  int clicks = 0;
  item->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  Repaint(toolbar);
  const TRect r = item->Rect();
  const TPoint image{r.Left + (r.Width() - 16) / 2 + 5, r.Top + (r.Height() - 16) / 2 + 5};
  item->SetImageIndex(-1);
  Repaint(toolbar);
  const TColor32 beneath = toolbar->Buffer()->Pixel(image.X, image.Y);
  item->SetImageIndex(1);
  item->SetEnabled(false);
  Repaint(toolbar);
  EXPECT_EQ(toolbar->Buffer()->Pixel(image.X, image.Y) & 0xFFFFFF,
            BlendPixel(images->Pixels(1, false)[5 * 16 + 5], beneath) & 0xFFFFFF);
  Click(toolbar, Centre(r));
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(item->Down());
  EXPECT_EQ(toolbar->HotItemIndex(), -1);

  // The caption of a disabled item is grey, of an enabled one never.
  TVelSkinToolbarItem* captioned = toolbar->Items()[1];
  Repaint(toolbar);
  EXPECT_EQ(CountRgb(toolbar, captioned->Rect(), ToolbarDisabledCaptionColor), 0);
  captioned->SetEnabled(false);
  Repaint(toolbar);
  EXPECT_GT(CountRgb(toolbar, captioned->Rect(), ToolbarDisabledCaptionColor), 5);
  EXPECT_EQ(toolbar->FontColor(), static_cast<TColor>(ToolbarDisabledCaptionColor));
}

TEST_F(ToolbarWin, ArrowKeysMoveAndPressTheFocus) {
  TVelSkinToolbar* toolbar = AddToolbar(390, 52, 4);
  toolbar->Items()[1]->SetEnabled(false);
  toolbar->SetAllowArrowKeys(true);
  EXPECT_TRUE(toolbar->TabStop());
  int focusChanges = 0;
  toolbar->OnItemFocusChanged = [&](TObject*) { ++focusChanges; };
  ShowForm();
  EXPECT_TRUE(toolbar->Perform(WM_GETDLGCODE) & DLGC_WANTARROWS);
  toolbar->Perform(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(toolbar->FocusItemIndex(), 0);
  toolbar->Perform(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(toolbar->FocusItemIndex(), 2);  // past the disabled one
  EXPECT_TRUE(toolbar->Items()[2]->Down());
  EXPECT_FALSE(toolbar->Items()[0]->Down());
  toolbar->Perform(WM_KEYDOWN, VK_DOWN);  // not this toolbar's direction
  EXPECT_EQ(toolbar->FocusItemIndex(), 2);
  toolbar->Perform(WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(toolbar->FocusItemIndex(), 0);
  toolbar->Perform(WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(toolbar->FocusItemIndex(), 0);
  EXPECT_EQ(focusChanges, 3);
  int clicks = 0;
  toolbar->Items()[0]->OnClick = [&](TObject*) { ++clicks; };
  toolbar->Perform(WM_KEYDOWN, VK_SPACE);
  EXPECT_EQ(clicks, 1);
  // A column moves with up and down.
  toolbar->SetMultiLine(true);
  toolbar->Perform(WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(toolbar->FocusItemIndex(), 2);
  toolbar->SetAllowArrowKeys(false);
  toolbar->Perform(WM_KEYDOWN, VK_UP);
  EXPECT_EQ(toolbar->FocusItemIndex(), 2);
}

TEST_F(ToolbarWin, DropdownPartOpensItsMenuBelowTheItem) {
  TVelSkinToolbar* toolbar = AddToolbar(390, 52, 2);
  auto* menu = new TRecordingMenu(Form.get());
  TVelSkinToolbarItem* item = toolbar->Items()[1];
  item->SetDropdownMenu(menu);
  int clicks = 0;
  item->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  Repaint(toolbar);
  const TRect part = item->MenuButtonRect();
  EXPECT_EQ(part.Width(), 16);
  EXPECT_EQ(part.Right, item->Rect().Right);
  Click(toolbar, Centre(part));
  EXPECT_EQ(menu->Popups, 1);
  EXPECT_EQ(menu->At, toolbar->ClientToScreen(TPoint{item->Rect().Left - 4, item->Rect().Bottom - 4}));
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(toolbar->DownOtherBtn());
  // The body clicks; without OnClick the body opens the menu too.
  Click(toolbar, TPoint{item->Rect().Left + 5, part.Top + 10});
  EXPECT_EQ(clicks, 1);
  item->OnClick = nullptr;
  toolbar->DropdownMenuOffset().SetX(3);
  Click(toolbar, TPoint{item->Rect().Left + 5, part.Top + 10});
  EXPECT_EQ(menu->Popups, 2);
  EXPECT_EQ(menu->At.X, toolbar->ClientToScreen(TPoint{item->Rect().Left + 3, 0}).X);
  // A freed menu leaves the item without a part.
  delete menu;
  EXPECT_EQ(item->DropdownMenu(), nullptr);
  Repaint(toolbar);
  EXPECT_EQ(item->MenuButtonRect().Width(), 0);
  Click(toolbar, Centre(item->Rect()));
}

// ---- Hints and actions ----------------------------------------------------------------------

TEST_F(ToolbarWin, EachItemShowsItsOwnHint) {
  TVelSkinToolbar* toolbar = AddToolbar(390, 52, 2);
  toolbar->SetShowHint(true);
  toolbar->SetHint(L"The toolbar");
  toolbar->Items()[0]->SetHint(L"First item");
  toolbar->Items()[1]->SetHint(L"Second item");
  Application->SetHintPause(20);
  ShowForm();
  Repaint(toolbar);
  auto moveTo = [&](TPoint P) {
    const TPoint s = toolbar->ClientToScreen(P);
    SetCursorUntilReported(s.X, s.Y);
    PostMessageW(toolbar->Handle(), WM_MOUSEMOVE, 0, At(P));
  };
  auto shown = [] { return Application->Hints().HintWindow(); };
  moveTo(Centre(toolbar->Items()[0]->Rect()));
  ASSERT_TRUE(PumpUntil([&] { return shown() != nullptr; }));
  EXPECT_EQ(shown()->Text(), L"First item");
  moveTo(Centre(toolbar->Items()[1]->Rect()));
  ASSERT_TRUE(PumpUntil([&] { return shown() && shown()->Text() == L"Second item"; }, 1000));
  moveTo(TPoint{380, 5});  // no item there: the toolbar's own
  EXPECT_TRUE(PumpUntil([&] { return shown() && shown()->Text() == L"The toolbar"; }, 1000));
  Application->CancelHint();
  Application->SetHintPause(500);
}

TEST_F(ToolbarWin, AnActionDrivesItsItemAndMayGoFirst) {
  TVelSkinToolbar* toolbar = AddToolbar(390, 52, 2);
  auto* action = new TAction(Form.get());
  action->SetCaption(L"Run");
  action->SetHint(L"Runs it");
  int runs = 0, updates = 0;
  action->OnExecute = [&](TObject*) { ++runs; };
  TVelSkinToolbarItem* item = toolbar->Items()[1];
  item->SetAction(action);
  EXPECT_EQ(item->Text().Text(), L"Run");
  EXPECT_EQ(item->Hint(), L"Runs it");
  ShowForm();
  Repaint(toolbar);
  Click(toolbar, Centre(item->Rect()));
  EXPECT_EQ(runs, 1);
  action->SetEnabled(false);
  EXPECT_FALSE(item->Enabled());
  Click(toolbar, Centre(item->Rect()));
  EXPECT_EQ(runs, 1);
  action->SetVisible(false);
  EXPECT_FALSE(item->Visible());
  action->SetVisible(true);
  // The action's own update runs when the toolbar asks.
  action->OnUpdate = [&](TObject*) {
    ++updates;
    action->SetEnabled(true);
  };
  toolbar->InitiateAction();
  EXPECT_EQ(updates, 1);
  EXPECT_TRUE(item->Enabled());
  EXPECT_TRUE(PumpUntil([&] { return updates > 1; }, 1000));  // and on its own while linked
  delete action;
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(item->ActionLink(), nullptr);
  Click(toolbar, Centre(item->Rect()));
  toolbar->InitiateAction();
}

// ---- Bad input ------------------------------------------------------------------------------

TEST_F(ToolbarWin, BadValuesAndThingsFreedWhileInUse) {
  TVelSkinToolbar* toolbar = AddToolbar(390, 52, 4);
  TImageList* images = AddImages(1);
  toolbar->SetImages(images);
  toolbar->Items()[0]->SetImageIndex(99);
  toolbar->Items()[1]->SetImageIndex(0);
  toolbar->Items()[1]->SetImageHotIndex(-7);
  toolbar->Items()[2]->SetKind(tkSpacer);
  ShowForm();
  Repaint(toolbar);
  delete images;
  EXPECT_EQ(toolbar->Images(), nullptr);
  Repaint(toolbar);

  // An item deleted while hot, focused and held.
  const TPoint on3 = Centre(toolbar->Items()[3]->Rect());
  toolbar->Perform(WM_MOUSEMOVE, 0, At(on3));
  toolbar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(on3));
  ASSERT_EQ(toolbar->FocusItemIndex(), 3);
  ASSERT_EQ(toolbar->HotItemIndex(), 3);
  toolbar->Items().Delete(3);
  EXPECT_EQ(toolbar->FocusItemIndex(), -1);
  EXPECT_EQ(toolbar->HotItemIndex(), -1);
  toolbar->Perform(WM_LBUTTONUP, 0, At(on3));
  // Deleting before the focus moves it along with its item.
  toolbar->Items()[1]->SetDown(true);
  toolbar->Items().Delete(0);
  EXPECT_EQ(toolbar->FocusItemIndex(), 0);
  // An item that deletes itself and the toolbar in its click.
  toolbar->Items()[0]->OnClick = [&](TObject*) { delete toolbar; };
  Repaint(toolbar);
  Click(toolbar, Centre(toolbar->Items()[0]->Rect()));

  // Sizes of 0 and below.
  toolbar = AddToolbar(200, 40, 3);
  toolbar->SetButtonHeight(0);
  toolbar->SetSpaceSize(-3);
  toolbar->SetButtonWidth(-10);
  toolbar->SetScrollSize(-4);
  Repaint(toolbar);
  toolbar->SetButtonHeight(-20);
  toolbar->SetMenuBtnWidth(-2);
  toolbar->Items()[1]->SetDropdownMenu(new TRecordingMenu(Form.get()));
  Repaint(toolbar);
  toolbar->ScrollFront();
  toolbar->ScrollBack();
  Click(toolbar, TPoint{5, 5});
  toolbar->SetBounds(10, 10, 0, 0);
  Repaint(toolbar);
}

// ---- Real input -----------------------------------------------------------------------------

class ToolbarRealInput : public RealInputWin {};

TEST_F(ToolbarRealInput, HotTrackingAndAClickFromTheMouse) {
  auto* toolbar = new TVelSkinToolbar(Form.get());
  toolbar->SetParent(Form.get());  // along the top of the form
  for (int i = 0; i < 3; ++i) toolbar->Items().Add()->Text().SetText(L"Go " + std::to_wstring(i));
  int clicks = 0;
  toolbar->Items()[1]->OnClick = [&](TObject*) { ++clicks; };
  PumpFor(40);
  EXPECT_EQ(toolbar->Top(), 0);
  EXPECT_EQ(toolbar->Height(), 52);
  const TRect r = toolbar->Items()[1]->Rect();
  ASSERT_GT(r.Width(), 0);
  const TPoint c = toolbar->ClientToScreen(Centre(r));
  ASSERT_TRUE(MoveCursor(c.X, c.Y));
  ASSERT_TRUE(PumpUntil([&] { return toolbar->HotItemIndex() == 1; }));
  UpdateWindow(toolbar->Handle());
  // The hot face covers the item.
  ASSERT_NE(toolbar->HotImage(), nullptr);
  int hotPixels = 0;
  for (int x = r.Left; x < r.Right; ++x)
    hotPixels += (toolbar->HotImage()->Pixel(x - r.Left, 1) >> 24) != 0 &&
                 toolbar->Buffer()->Pixel(x, r.Top + 1) != toolbar->Buffer()->Pixel(x, r.Top - 1);
  EXPECT_GT(hotPixels, r.Width() / 2);
  SendButtonAt(c.X, c.Y, MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return toolbar->Items()[1]->Down(); }));
  SendButtonAt(c.X, c.Y, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
  EXPECT_FALSE(toolbar->Items()[1]->Down());
  // Leaving the toolbar leaves nothing hot.
  ASSERT_TRUE(MoveCursor(AwayX, AwayY));
  EXPECT_TRUE(PumpUntil([&] { return toolbar->HotItemIndex() == -1; }));
}
