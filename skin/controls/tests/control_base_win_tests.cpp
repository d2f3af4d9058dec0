// The skinned control base in real windows: where its background comes from
// (a skinned parent's buffer, the form skin's picture, a plain parent painted
// into it), when the buffer stays valid, the background events, the delayed
// refresh and the control refresh message.
#include "skin/controls/panels.h"
#include "skin/controls/tests/controls_test_support.h"

TEST_F(ControlsWin, TransparentControlOnASkinnedPanelShowsExactlyThePanelsPixels) {
  auto* panel = Add<TVelSkinPanel>(Form.get(), 10, 10, 200, 150);
  panel->SetBackgroundFillType(ftGradient);
  auto* child = Add<TCountingControl>(panel, 0, 0, 60, 40);
  child->SetBounds(5, 3, 60, 40);  // across the panel's border lines and gradient
  ShowForm();
  ASSERT_TRUE(panel->BufferValid());
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      ASSERT_EQ(BufferRgb(child, x, y), BufferRgb(panel, x + 5, y + 3)) << x << "," << y;
  // And on screen the child's window shows the same.
  const TPoint origin = child->ClientToScreen(TPoint{0, 0});
  EXPECT_EQ(ScreenPixel(origin.X + 1, origin.Y + 1), BufferRgb(panel, 6, 4));
}

TEST_F(ControlsWin, OnAPlainFormThePaintedParentIsTheBackground) {
  auto* control = Add<TCountingControl>(Form.get(), 20, 20, 30, 30);
  ShowForm();
  EXPECT_EQ(BufferRgb(control, 10, 10), 0x808080u);
  EXPECT_EQ(control->Draws, 1);

  // Not transparent: its Color everywhere the content does not draw.
  control->SetTransparent(false);
  control->SetColor(0x3366CC);  // BGR
  control->Marker = 0xFF010203;
  PaintNow(Form.get());
  EXPECT_EQ(BufferRgb(control, 0, 0), 0x010203u);
  EXPECT_EQ(BufferRgb(control, 29, 29), 0xCC6633u);
}

TEST_F(ControlsWin, OnASkinnedFormTheSkinsPictureIsCopiedPastTheFrame) {
  TSkinnedForm form(false);
  auto* control = new TCountingControl(&form);
  control->SetBounds(30, 40, 50, 20);
  control->SetParent(&form);
  form.Show();
  PaintNow(&form);
  TBitmap32* picture = form.Skin->BackgroundPicture();
  ASSERT_NE(picture, nullptr);
  ASSERT_FALSE(picture->Empty());
  const int fw = form.Skin->FramWidth();
  for (int y = 0; y < 20; y += 3)
    for (int x = 0; x < 50; x += 7)
      EXPECT_EQ(control->Buffer()->Pixel(x, y), picture->Pixel(30 + x + fw, 40 + y)) << x << "," << y;
}

TEST_F(ControlsWin, AControlStickingOutOfItsParentIsRebuiltOnEveryPaint) {
  auto* panel = Add<TVelSkinPanel>(Form.get(), 10, 10, 100, 80);
  auto* inside = Add<TCountingControl>(panel, 10, 10, 20, 20);
  auto* outside = Add<TCountingControl>(panel, 90, 10, 20, 20);
  ShowForm();
  EXPECT_TRUE(inside->BufferValid());
  EXPECT_FALSE(outside->BufferValid());
  const int insideDraws = inside->Draws, outsideDraws = outside->Draws;
  InvalidateRect(inside->Handle(), nullptr, FALSE);
  InvalidateRect(outside->Handle(), nullptr, FALSE);
  PaintNow(Form.get());
  EXPECT_EQ(inside->Draws, insideDraws);  // exposure only: one copy of the valid buffer
  EXPECT_EQ(outside->Draws, outsideDraws + 1);
}

TEST_F(ControlsWin, HandledBackgroundKeepsWhatTheHandlerDrew) {
  auto* control = Add<TCountingControl>(Form.get(), 10, 10, 20, 20);
  int changed = 0;
  control->OnBackgroundChanging = [](TObject*, TBitmap32* Background, bool& Handled) {
    Background->Clear(0xFF00FF00);
    Handled = true;
  };
  control->OnBackgroundChanged = [&](TObject*, TBitmap32*) { ++changed; };
  control->Marker = 0xFFFF0000;
  ShowForm();
  EXPECT_EQ(BufferRgb(control, 5, 5), 0x00FF00u);
  EXPECT_EQ(BufferRgb(control, 0, 0), 0xFF0000u);  // the content on top
  EXPECT_EQ(changed, 1);

  // A handler that draws nothing leaves the previous picture.
  control->OnBackgroundChanging = [](TObject*, TBitmap32*, bool& Handled) { Handled = true; };
  control->Marker = 0;
  control->Invalidate();
  PaintNow(Form.get());
  EXPECT_EQ(BufferRgb(control, 5, 5), 0x00FF00u);
}

TEST_F(ControlsWin, DelayedRefreshDrawsTheContentOnceAfterTheLastSizeChange) {
  auto* control = Add<TCountingControl>(Form.get(), 10, 10, 40, 40);
  control->SetDelayRefresh(true);
  ShowForm();
  const int before = control->Draws;
  for (int i = 1; i <= 10; ++i) {
    control->SetBounds(10, 10, 40 + i, 40);
    PaintNow(Form.get());
    Sleep(5);
  }
  EXPECT_TRUE(control->StopDrawBody());
  EXPECT_EQ(control->Draws, before);
  ASSERT_TRUE(PumpUntil([&] { return !control->StopDrawBody(); }));
  PaintNow(Form.get());
  EXPECT_EQ(control->Draws, before + 1);
  EXPECT_EQ(control->Buffer()->Width(), 50);
}

TEST_F(ControlsWin, ControlRefreshRepaintsAndMovingRefreshesTheChildren) {
  auto* panel = Add<TVelSkinPanel>(Form.get(), 10, 10, 150, 100);
  panel->SetAutoInvalidate(true);
  auto* child = Add<TCountingControl>(panel, 10, 10, 20, 20);
  ShowForm();
  int draws = child->Draws;
  PostMessageW(child->Handle(), MM_CONTROLREFRESH, 0, 0);
  PumpFor(30);
  PaintNow(Form.get());
  EXPECT_EQ(child->Draws, draws + 1);

  // A moving skinned parent gets a new background and tells its children.
  draws = child->Draws;
  panel->SetBounds(20, 15, 150, 100);
  PumpFor(30);
  PaintNow(Form.get());
  EXPECT_GE(child->Draws, draws + 1);
}

TEST_F(ControlsWin, DegenerateSizesAndRegistrationAreSafe) {
  const int registered = TVelWinControlHelper::Instance().Count();
  auto* control = Add<TCountingControl>(Form.get(), 10, 10, 0, 0);
  EXPECT_EQ(TVelWinControlHelper::Instance().Count(), registered + 1);
  ShowForm();
  control->SetBounds(10, 10, -5, 20);
  PaintNow(Form.get());
  EXPECT_GE(control->Buffer()->Width(), 1);  // never below one pixel
  control->SetBounds(10, 10, 1000, 1000);    // far larger than its parent
  PaintNow(Form.get());
  EXPECT_FALSE(control->BufferValid());
  delete control;
  EXPECT_EQ(TVelWinControlHelper::Instance().Count(), registered);
}

TEST_F(ControlsWin, BufferSizingKeepsSlackOnlyWhereAsked) {
  TCustomPaintBox32_vel box(nullptr);
  box.SetBounds(0, 0, 100, 50);
  box.ResizeBuffer();
  EXPECT_EQ(box.Buffer()->Width(), 140);  // grows with the slack of 40
  EXPECT_EQ(box.Buffer()->Height(), 90);
  box.SetBounds(0, 0, 120, 60);
  box.ResizeBuffer();
  EXPECT_EQ(box.Buffer()->Width(), 140);  // within the slack: kept
  EXPECT_EQ(box.Buffer()->Height(), 90);
  box.SetBounds(0, 0, 90, 40);
  box.ResizeBuffer();
  EXPECT_EQ(box.Buffer()->Width(), 90);  // beyond the slack: shrinks to the viewport
  EXPECT_EQ(box.Buffer()->Height(), 40);
}
