// Hints (window, controller and control properties) and cursors.
#include "toolkit/win/tests/pointer_test_support.h"

#include "toolkit/win/screen.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Puts the real cursor over the point and tells the window, as the system
// does for a real move (a window tracking the mouse would otherwise hear that
// the mouse left it).
void MoveTo(TWinControl* Window, int X, int Y) {
  PlaceCursor(Window->ClientToScreen(TPoint{X, Y}));
  // What the system makes of the move arrives first.
  PumpFor(10);
  PostMessageW(Window->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(X, Y));
}

THintWindow* ShownHint() { return Application->Hints().HintWindow(); }

class ToolkitHints : public ToolkitWin {
protected:
  void SetUp() override {
    ToolkitWin::SetUp();
    SetCursorPos(Screen->Width() - 1, Screen->Height() - 1);
    Application->SetHintPause(20);
    Application->SetHintHidePause(2500);
    Form->SetShowHint(true);
    Form->SetBounds(100, 100, 320, 240);
    Panel = new TPanel(Form.get());
    Panel->SetBounds(20, 20, 120, 80);
    Panel->SetParent(Form.get());
    Panel->SetHint(L"Panel hint");
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    Application->CancelHint();
    Application->OnShowHint = nullptr;
    Application->SetHintPause(500);
    Application->SetHintHidePause(2500);
    ToolkitWin::TearDown();
  }
  TPanel* Panel = nullptr;
};

}  // namespace

TEST_F(ToolkitWin, HintWindowMeasuresWrapsAndShowsWithoutActivating) {
  Form->Show();
  SetActiveWindow(Form->Handle());
  const HWND active = GetActiveWindow();
  const TLiveCounts before = LiveCounts();
  {
    THintWindow hint(nullptr);
    const TRect one = hint.CalcHintRect(1000, L"Short");
    const TRect two = hint.CalcHintRect(1000, L"Short\nSecond line");
    EXPECT_GT(one.Width(), 0);
    EXPECT_GE(two.Height(), 2 * one.Height() - 8);
    const std::wstring text = L"alpha beta gamma delta epsilon zeta eta theta iota kappa lambda";
    const TRect wide = hint.CalcHintRect(1000, text);
    const TRect narrow = hint.CalcHintRect(120, text);
    EXPECT_LE(narrow.Width(), 120);
    EXPECT_GT(narrow.Height(), wide.Height());
    // UTF-16 text beyond Latin measures too (a surrogate pair and CJK).
    EXPECT_GT(hint.CalcHintRect(1000, L"\u4F60\u597D \U0001F600").Width(), hint.CalcHintRect(1000, L"").Width());

    hint.ActivateHint(TRect{50, 60, 50 + one.Width(), 60 + one.Height()}, L"Short");
    const HWND window = hint.Handle();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(GetActiveWindow(), active);
    const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_EQ(ex & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE),
              WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_CHILD), 0);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(ToTRect(r), (TRect{50, 60, 50 + one.Width(), 60 + one.Height()}));
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(55, 65)), HTTRANSPARENT);

    TTestDib dib(one.Width(), one.Height());
    hint.PaintTo(dib.DC(), 0, 0);
    EXPECT_EQ(dib.Pixel(one.Width() - 2, one.Height() - 2), ColorToRGB(clInfoBk));
    EXPECT_EQ(dib.Pixel(0, 0), ColorToRGB(clInfoText));
    EXPECT_EQ(hint.Font().Name(), L"Tahoma");

    // A rectangle sticking out of the screen is moved onto it.
    const int w = Screen->Width();
    hint.ActivateHint(TRect{w - 10, -30, w - 10 + one.Width(), -30 + one.Height()}, L"Short");
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right, w);
    EXPECT_EQ(r.top, 0);

    hint.ReleaseHandle();
    EXPECT_FALSE(hint.HandleAllocated());
    EXPECT_FALSE(IsWindow(window));
  }
  EXPECT_EQ(LiveCounts(), before);
}

TEST_F(ToolkitWin, ShowHintFollowsTheParentUntilSet) {
  auto* panel = new TPanel(Form.get());
  panel->SetParent(Form.get());
  EXPECT_TRUE(panel->ParentShowHint());
  EXPECT_FALSE(panel->ShowHint());
  Form->SetShowHint(true);
  EXPECT_TRUE(panel->ShowHint());
  panel->SetShowHint(false);
  EXPECT_FALSE(panel->ParentShowHint());
  EXPECT_FALSE(panel->ShowHint());
  panel->SetParentShowHint(true);
  EXPECT_TRUE(panel->ShowHint());
  panel->SetParent(nullptr);
  EXPECT_FALSE(panel->ShowHint());  // no parent to follow: its own value
  delete panel;
}

TEST_F(ToolkitHints, ShowsAfterThePauseWithWhatCMHintShowChanged) {
  THintInfo seen;
  TWndMethod old = Panel->WindowProc;
  Panel->WindowProc = [&, old](TMessage& m) {
    if (m.Msg == CM_HINTSHOW) {
      auto* info = reinterpret_cast<THintInfo*>(m.LParam);
      seen = *info;
      info->HintStr = L"Changed\nover two lines";
      info->HintPos = TPoint{400, 420};
    }
    old(m);
  };
  Application->SetHintPause(150);
  MoveTo(Panel, 10, 12);
  Application->ProcessMessages();
  EXPECT_EQ(ShownHint(), nullptr);  // the pause has not passed yet
  ASSERT_TRUE(PumpUntil([] { return ShownHint() != nullptr; }));
  EXPECT_EQ(seen.HintControl, Panel);
  EXPECT_EQ(seen.HintStr, L"Panel hint");
  EXPECT_EQ(seen.CursorPos, Panel->ClientToScreen(TPoint{10, 12}));
  EXPECT_EQ(seen.CursorRect, Panel->ClientRect());
  EXPECT_EQ(seen.HideTimeout, 2500);
  EXPECT_EQ(seen.HintMaxWidth, Screen->Width());
  THintWindow* hint = ShownHint();
  EXPECT_EQ(hint->Text(), L"Changed\nover two lines");
  EXPECT_EQ(TPoint(hint->Left(), hint->Top()), (TPoint{400, 420}));
  EXPECT_TRUE(IsWindowVisible(hint->Handle()));
  Panel->WindowProc = old;
}

TEST_F(ToolkitHints, HidesAfterTheHidePauseAndStaysHiddenUntilTheMouseComesBack) {
  Application->SetHintHidePause(60);
  MoveTo(Panel, 10, 10);
  ASSERT_TRUE(PumpUntil([] { return ShownHint() != nullptr; }));
  ASSERT_TRUE(PumpUntil([] { return ShownHint() == nullptr; }));
  MoveTo(Panel, 12, 10);
  PumpFor(80);
  EXPECT_EQ(ShownHint(), nullptr);
  // Over the form (no hint of its own) and back: the hint comes again.
  MoveTo(Form.get(), 200, 150);
  PumpFor(30);
  EXPECT_EQ(Application->Hints().HintControl(), Form.get());
  MoveTo(Panel, 10, 10);
  EXPECT_TRUE(PumpUntil([] { return ShownHint() != nullptr; }));
}

TEST_F(ToolkitHints, AClickAKeyOrLeavingTheControlHidesIt) {
  auto showHint = [&] {
    MoveTo(Panel, 10, 10);
    return PumpUntil([] { return ShownHint() != nullptr; });
  };
  ASSERT_TRUE(showHint());
  PostMessageW(Panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageW(Panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  Application->ProcessMessages();
  // Only the shown hint is checked: a late move of the real cursor may arm
  // the panel's next hint again, as any move over it would.
  EXPECT_EQ(ShownHint(), nullptr);

  ASSERT_TRUE(showHint());
  PostMessageW(Panel->Handle(), WM_KEYDOWN, VK_SHIFT, 0);
  Application->ProcessMessages();
  EXPECT_EQ(ShownHint(), nullptr);

  ASSERT_TRUE(showHint());
  MoveTo(Form.get(), 200, 150);
  Application->ProcessMessages();
  EXPECT_EQ(ShownHint(), nullptr);

  ASSERT_TRUE(showHint());
  Application->SetShowHint(false);
  EXPECT_EQ(ShownHint(), nullptr);
  MoveTo(Form.get(), 200, 150);
  MoveTo(Panel, 10, 10);
  PumpFor(60);
  EXPECT_EQ(ShownHint(), nullptr);
  Application->SetShowHint(true);
}

TEST_F(ToolkitHints, RefusedHintsAndTheApplicationsSay) {
  // CM_HINTSHOW answering 1 refuses the hint.
  TWndMethod old = Panel->WindowProc;
  Panel->WindowProc = [old](TMessage& m) {
    old(m);
    if (m.Msg == CM_HINTSHOW) m.Result = 1;
  };
  MoveTo(Panel, 10, 10);
  PumpFor(80);
  EXPECT_EQ(ShownHint(), nullptr);
  Panel->WindowProc = old;
  Application->CancelHint();

  // OnShowHint may change the text or refuse.
  bool allow = false;
  Application->OnShowHint = [&](std::wstring& text, bool& canShow, THintInfo& info) {
    EXPECT_EQ(info.HintControl, Panel);
    text = L"From the application";
    canShow = allow;
  };
  MoveTo(Panel, 10, 10);
  PumpFor(80);
  EXPECT_EQ(ShownHint(), nullptr);
  Application->CancelHint();
  allow = true;
  MoveTo(Panel, 10, 10);
  ASSERT_TRUE(PumpUntil([] { return ShownHint() != nullptr; }));
  EXPECT_EQ(ShownHint()->Text(), L"From the application");

  // Without ShowHint or without text nothing is pending at all.
  Application->CancelHint();
  Application->OnShowHint = nullptr;
  Panel->SetShowHint(false);
  MoveTo(Panel, 10, 10);
  PumpFor(60);
  EXPECT_EQ(ShownHint(), nullptr);
}

TEST_F(ToolkitHints, AGraphicChildsHintCountsAndAFreedControlIsForgotten) {
  auto* label = new TLabel(Form.get());
  label->SetBounds(10, 40, 60, 20);
  label->SetParent(Panel);
  label->SetHint(L"Label hint");
  MoveTo(Panel, 15, 45);
  ASSERT_TRUE(PumpUntil([] { return ShownHint() != nullptr; }));
  EXPECT_EQ(Application->Hints().HintControl(), label);
  EXPECT_EQ(ShownHint()->Text(), L"Label hint");

  // Freed while its hint shows, and while one is pending.
  delete label;
  EXPECT_EQ(ShownHint(), nullptr);
  EXPECT_EQ(Application->Hints().HintControl(), nullptr);
  MoveTo(Panel, 10, 10);
  Application->ProcessMessages();
  ASSERT_EQ(Application->Hints().HintControl(), Panel);
  delete Panel;
  PumpFor(60);
  EXPECT_EQ(ShownHint(), nullptr);
  EXPECT_EQ(Application->Hints().HintControl(), nullptr);
}

TEST_F(ToolkitHints, ActivateHintShowsAtOnceAndCancelGivesEverythingBack) {
  Application->SetHintPause(5000);
  const TPoint p = Panel->ClientToScreen(TPoint{30, 30});
  PlaceCursor(p);
  Application->ProcessMessages();
  // A real mouse move may have left a hint pending: start from rest.
  Application->CancelHint();
  const TLiveCounts before = LiveCounts();
  Application->ActivateHint(p);
  ASSERT_NE(ShownHint(), nullptr);
  EXPECT_EQ(Application->Hints().HintControl(), Panel);
  EXPECT_EQ(ShownHint()->Left(), p.X);
  EXPECT_GT(ShownHint()->Top(), p.Y);
  Application->CancelHint();
  EXPECT_EQ(ShownHint(), nullptr);
  EXPECT_EQ(LiveCounts(), before);
}

// ---- Cursors ---------------------------------------------------------------------------

TEST_F(ToolkitWin, ScreenCursorsAndMetrics) {
  EXPECT_EQ(Screen->Cursors(crIBeam), LoadCursorW(nullptr, IDC_IBEAM));
  EXPECT_EQ(Screen->Cursors(crHandPoint), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(Screen->Cursors(crSizeWE), LoadCursorW(nullptr, IDC_SIZEWE));
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  EXPECT_EQ(Screen->Cursors(crDefault), arrow);
  EXPECT_EQ(Screen->Cursors(12345), arrow);  // unknown ids fall back to the arrow
  const HCURSOR cross = LoadCursorW(nullptr, IDC_CROSS);
  Screen->SetCursors(1, cross);
  EXPECT_EQ(Screen->Cursors(1), cross);
  Screen->SetCursors(1, nullptr);
  EXPECT_EQ(Screen->Cursors(1), arrow);

  EXPECT_EQ(Screen->Width(), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_GT(Screen->PixelsPerInch(), 0);
  const TRect work = Screen->WorkAreaRect();
  EXPECT_GT(work.Width(), 0);
  EXPECT_LE(work.Right, Screen->Width());
  Form->Show();
  SetActiveWindow(Form->Handle());
  EXPECT_EQ(Screen->ActiveForm(), Form.get());
}

TEST_F(ToolkitWin, SetCursorAnswersWithTheCursorOfTheControlUnderTheMouse) {
  auto [panel, label] = ShowPanelWithLabel(*Form);
  int changes = 0;
  TWndMethod old = panel->WindowProc;
  panel->WindowProc = [&, old](TMessage& m) {
    if (m.Msg == CM_CURSORCHANGED) ++changes;
    old(m);
  };
  auto cursorOver = [&](TControl* control, int x, int y, LRESULT* result = nullptr) {
    PlaceCursor(control->ClientToScreen(TPoint{x, y}));
    SetCursor(nullptr);
    const LRESULT r = SendMessageW(panel->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(panel->Handle()),
                                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    if (result) *result = r;
    return GetCursor();
  };
  panel->SetCursor(crHandPoint);
  panel->SetCursor(crHandPoint);
  EXPECT_EQ(changes, 1);
  LRESULT r = 0;
  EXPECT_EQ(cursorOver(panel, 100, 60, &r), Screen->Cursors(crHandPoint));
  EXPECT_EQ(r, 1);
  // A graphic child's own cursor, and its parent's when it has none.
  label->SetCursor(crIBeam);
  EXPECT_EQ(cursorOver(panel, 15, 15), Screen->Cursors(crIBeam));
  label->SetCursor(crDefault);
  EXPECT_EQ(cursorOver(panel, 15, 15), Screen->Cursors(crHandPoint));
  // The application-wide cursor wins.
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(cursorOver(panel, 100, 60), Screen->Cursors(crHourGlass));
  Screen->SetCursor(crDefault);
  // crDefault: the default handling, which sets the class cursor.
  panel->SetCursor(crDefault);
  EXPECT_EQ(cursorOver(panel, 100, 60, &r), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(r, 0);
  // Outside the client area the window is not asked about its controls.
  panel->SetCursor(crHandPoint);
  PlaceCursor(panel->ClientToScreen(TPoint{100, 60}));
  SetCursor(nullptr);
  SendMessageW(panel->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(panel->Handle()), MAKELPARAM(HTBORDER, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), Screen->Cursors(crHandPoint));
  panel->WindowProc = old;
}
