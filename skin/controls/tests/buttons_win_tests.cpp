// The skinned push button in a real window: its picture read back from the
// back buffer for every state (hot and pressed by real mouse input), clicks
// and their absence, focus and keys, dialog keys and accelerators, the
// auto-repeat, the drop-down menu's popup, bad pictures and sizes, and what
// a hover repaints and leaks.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>

#include "skin/controls/buttons.h"
#include "skin/controls/tests/controls_test_support.h"
#include "skin/resources/skin_draw.h"
#include "toolkit/win/live_counts.h"

namespace {

constexpr int AwayX = 5, AwayY = 5;

// Counts the button's content drawings (the last step of every DrawControl).
struct TPaintCounter {
  explicit TPaintCounter(TVelSkinCustomButton& B) {
    B.OnCustomPaint = [this](TObject*, TBitmap32*) { ++Draws; };
  }
  int Draws = 0;
};

// Rebuilds the button's picture now and copies it out.
using TPicture = std::unique_ptr<TBitmap32>;
TPicture Repainted(TVelSkinCustomButton& B) {
  B.Invalidate();
  UpdateWindow(B.Handle());
  auto out = std::make_unique<TBitmap32>();
  out->SetSize(B.Width(), B.Height());
  B.Buffer()->DrawTo(out.get(), 0, 0);
  return out;
}

// The pixels whose colour (alpha left out) differs.
int Mismatches(const TBitmap32& A, const TBitmap32& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height()) return -1;
  int n = 0;
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x) n += (A.Pixel(x, y) & 0xFFFFFF) != (B.Pixel(x, y) & 0xFFFFFF);
  return n;
}
int Mismatches(const TPicture& A, const TPicture& B) { return Mismatches(*A, *B); }
int Mismatches(const TPicture& A, const TBitmap32& B) { return Mismatches(*A, B); }

int CountColour(const TPicture& A, uint32_t RGB) {
  int n = 0;
  for (int y = 0; y < A->Height(); ++y)
    for (int x = 0; x < A->Width(); ++x) n += (A->Pixel(x, y) & 0xFFFFFF) == RGB;
  return n;
}

class ButtonsWin : public RealInputWin {
protected:
  TVelSkinButton* AddButton(int X, int Y, const std::wstring& Caption = L"Start") {
    auto* b = new TVelSkinButton(Form.get());
    b->SetParent(Form.get());
    b->SetBounds(X, Y, 90, 30);
    b->SetCaption(Caption);
    UpdateWindow(b->Handle());
    return b;
  }
  POINT ScreenCentre(TControl& B) {
    const TPoint p = B.ClientToScreen(TPoint{B.Width() / 2, B.Height() / 2});
    return POINT{p.X, p.Y};
  }
  // The face of a state as the button must show it: the background behind
  // the button with the frame laid on by auto-stretch.
  TPicture Expected(TVelSkinCustomButton& B, bool (TPngPictures::*Frame)(TCustomBitmap32*)) {
    auto out = std::make_unique<TBitmap32>();
    out->SetSize(Background->Width(), Background->Height());
    Background->DrawTo(out.get(), 0, 0);
    TVelSkinImage frame;
    EXPECT_TRUE((B.Pictures().*Frame)(&frame));
    DrawAutoStretch(&frame, out.get(), false);
    return out;
  }
  // What lies behind the button: its picture with no face and no caption.
  void TakeBackground(TVelSkinCustomButton& B) {
    B.SetCaptionVisible(false);
    B.Pictures().SetActive(false);
    Background = Repainted(B);
    B.Pictures().SetActive(true);
  }
  TPicture Background;
};

// ---- Looks ---------------------------------------------------------------------------------

TEST_F(ButtonsWin, NormalHotPressedFromRealMouse) {
  TVelSkinButton* b = AddButton(40, 40);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  TakeBackground(*b);
  // The states look different from each other and from the bare background.
  EXPECT_GT(Mismatches(Expected(*b, &TPngPictures::GetNormalImage), Background), 100);
  EXPECT_GT(Mismatches(Expected(*b, &TPngPictures::GetNormalImage), Expected(*b, &TPngPictures::GetHotImage)), 100);
  EXPECT_GT(Mismatches(Expected(*b, &TPngPictures::GetHotImage), Expected(*b, &TPngPictures::GetPressedImage)), 100);
  EXPECT_EQ(Mismatches(Repainted(*b), Expected(*b, &TPngPictures::GetNormalImage)), 0);

  const POINT c = ScreenCentre(*b);
  ASSERT_TRUE(MoveCursor(c.x, c.y));
  ASSERT_TRUE(PumpUntil([&] { return b->MouseIn(); }));
  PumpFor(30);
  EXPECT_EQ(Mismatches(Repainted(*b), Expected(*b, &TPngPictures::GetHotImage)), 0);

  SendButton(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return b->IsMouseDown(); }));
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(Mismatches(Repainted(*b), Expected(*b, &TPngPictures::GetPressedImage)), 0);

  SendButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return !b->IsMouseDown(); }));
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b->Down());
  EXPECT_TRUE(b->Focused());
}

TEST_F(ButtonsWin, DisabledShowsFrameThreeAndGreyCaption) {
  TVelSkinButton* b = AddButton(40, 40);
  b->SetEnabled(false);
  TakeBackground(*b);
  EXPECT_EQ(Mismatches(Repainted(*b), Expected(*b, &TPngPictures::GetDisableImage)), 0);
  b->SetCaptionVisible(true);
  const TPicture withCaption = Repainted(*b);
  EXPECT_GT(CountColour(withCaption, DisabledCaptionColor), 10);
  b->SetEnabled(true);
  EXPECT_EQ(CountColour(Repainted(*b), DisabledCaptionColor), 0);
}

TEST_F(ButtonsWin, MissingOrCorruptStripShowsBackgroundAndCaptionOnly) {
  TVelSkinButton* b = AddButton(40, 40);
  TakeBackground(*b);
  b->Pictures().SetImage(L"NoSuchButtonStrip");
  EXPECT_EQ(Mismatches(Repainted(*b), Background), 0);

  const wchar_t* corrupt = L"corrupt_button_strip.png";
  {
    std::ofstream f("corrupt_button_strip.png", std::ios::binary);
    f << "\x89PNG\r\n\x1a\n garbage, not an image";
  }
  b->Pictures().SetImage(corrupt);
  EXPECT_EQ(Mismatches(Repainted(*b), Background), 0);
  b->SetCaptionVisible(true);
  EXPECT_GT(Mismatches(Repainted(*b), Background), 0);  // the caption still shows
  DeleteFileW(corrupt);
}

TEST_F(ButtonsWin, OddSizesAndCaptionsDoNotFail) {
  TVelSkinButton* b = AddButton(40, 40);
  for (const TRect r : {TRect{0, 0, 0, 0}, TRect{5, 5, -20, -3}, TRect{5, 5, 1, 1}, TRect{5, 5, 300, 4}}) {
    b->SetBounds(r.Left, r.Top, r.Right, r.Bottom);
    b->Invalidate();
    UpdateWindow(b->Handle());
  }
  b->SetBounds(10, 10, 90, 30);
  b->SetCaption(L"");
  Repainted(*b);
  b->SetCaption(std::wstring(10000, L'W'));
  const auto start = std::chrono::steady_clock::now();
  Repainted(*b);
  b->SetWordWrap(true);
  b->SetCaption(std::wstring(5000, L'x') + L"\r\n" + std::wstring(5000, L' '));
  Repainted(*b);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(ButtonsWin, OnASkinnedForm) {
  TSkinnedForm form(true, false);
  form.Show();
  PumpFor(60);
  auto* b = new TVelSkinButton(&form);
  b->SetParent(&form);
  b->SetBounds(50, 60, 90, 30);
  UpdateWindow(b->Handle());
  TakeBackground(*b);
  // The background is the skin's picture under the button, not a blank.
  TBitmap32 white;
  white.SetSize(90, 30);
  white.Clear(0xFFFFFFFF);
  EXPECT_GT(Mismatches(Background, white), 0);
  EXPECT_EQ(Mismatches(Repainted(*b), Expected(*b, &TPngPictures::GetNormalImage)), 0);
}

// ---- Mouse ---------------------------------------------------------------------------------

// The release is judged where it happened. (Under Wine a real release after
// a real drag away is still reported at the press point, so the release
// here is a sent message.)
TEST_F(ButtonsWin, ReleasingOutsideDoesNotClick) {
  TVelSkinButton* b = AddButton(40, 40);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 15));
  EXPECT_TRUE(b->Down());
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(-30, 15));
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->IsMouseDown());
  EXPECT_EQ(clicks, 0);
  // Just past the right edge is outside too; inside clicks.
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 15));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(90, 15));
  EXPECT_EQ(clicks, 0);
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 15));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(89, 29));
  EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonsWin, GroupMovesDown) {
  TVelSkinButton* g[3] = {AddButton(10, 10, L"A"), AddButton(110, 10, L"B"), AddButton(210, 10, L"C")};
  for (auto* b : g) b->SetGroupIndex(1);
  auto click = [&](TVelSkinButton* b) {
    const POINT c = ScreenCentre(*b);
    ASSERT_TRUE(MoveCursor(c.x, c.y));
    ASSERT_TRUE(PumpUntil([&] { return b->MouseIn(); }));
    SendButton(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return b->IsMouseDown(); }));
    SendButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return !b->IsMouseDown(); }));
  };
  click(g[0]);
  click(g[2]);
  EXPECT_FALSE(g[0]->Down());
  EXPECT_FALSE(g[1]->Down());
  EXPECT_TRUE(g[2]->Down());
  // A button of another group is left alone.
  g[1]->SetGroupIndex(2);
  g[1]->SetDown(true);
  EXPECT_TRUE(g[2]->Down());
}

TEST_F(ButtonsWin, AutoRepeatTicksAfterDelayWhileHeldOnly) {
  TVelSkinButton* b = AddButton(40, 40);
  b->SetCycleDownClick(true);
  int ticks = 0;
  std::chrono::steady_clock::time_point first{};
  b->OnCycleDownClick = [&](TObject*) {
    if (ticks++ == 0) first = std::chrono::steady_clock::now();
  };
  const auto pressed = std::chrono::steady_clock::now();
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PumpFor(150);
  EXPECT_EQ(ticks, 0);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }, 2000));
  EXPECT_GE(first - pressed, std::chrono::milliseconds(280));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  PumpFor(20);
  const int atRelease = ticks;
  PumpFor(150);
  EXPECT_EQ(ticks, atRelease);
}

TEST_F(ButtonsWin, DropdownMenuShownBelowTheButton) {
  TVelSkinButton* b = AddButton(40, 40);
  auto* menu = new TRecordingMenu(Form.get());
  b->SetDropdownMenu(menu);
  const int part = b->DropdownMenuPictures().GetSingleWidth();
  ASSERT_GT(part, 0);
  EXPECT_EQ(b->DropdownMenuRect(), (TRect{90 - part - 2, 0, 90, 30}));

  // Without OnClick a press on the face opens it.
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(menu->Popups, 1);
  const TPoint want = Form->ClientToScreen(TPoint{40 - 4, 40 + 30 - 4});
  EXPECT_EQ(menu->At, want);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->IsMouseDown());

  // With OnClick only the part does; the face clicks.
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(menu->Popups, 1);
  b->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(88, 10));
  EXPECT_TRUE(b->MouseInDropdownMenuRect());
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(88, 10));
  EXPECT_EQ(menu->Popups, 2);

  // A freed menu is forgotten, and the part goes with it.
  delete menu;
  EXPECT_EQ(b->DropdownMenu(), nullptr);
  EXPECT_EQ(b->DropdownMenuRect().Width(), 0);
}

// ---- Keyboard and focus --------------------------------------------------------------------

TEST_F(ButtonsWin, TabReachesItSpaceAndEnterPressIt) {
  TVelSkinButton* a = AddButton(10, 10, L"A");
  TVelSkinButton* b = AddButton(110, 10, L"B");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  a->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return a->Focused(); }));
  TapKey(VK_TAB);
  ASSERT_TRUE(PumpUntil([&] { return b->Focused(); }));
  EXPECT_TRUE(b->Active());
  EXPECT_FALSE(a->Active());

  SendKey(VK_SPACE, false);
  ASSERT_TRUE(PumpUntil([&] { return b->Down(); }));
  EXPECT_EQ(clicks, 0);
  SendKey(VK_SPACE, true);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
  EXPECT_FALSE(b->Down());

  TapKey(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 2; }));
  PumpFor(50);
  EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonsWin, DefaultAndCancelByDialogKeys) {
  TVelSkinButton* ok = AddButton(10, 10, L"OK");
  TVelSkinButton* cancel = AddButton(110, 10, L"Cancel");
  int oks = 0, cancels = 0;
  ok->OnClick = [&](TObject*) { ++oks; };
  cancel->OnClick = [&](TObject*) { ++cancels; };
  ok->SetDefault(true);
  cancel->SetCancel(true);
  EXPECT_TRUE(ok->Active());
  EXPECT_EQ(Form->Perform(CM_DIALOGKEY, VK_RETURN, 0), 1);
  EXPECT_EQ(Form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 1);
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(cancels, 1);
  // Focus on the other button: Enter is that button's.
  cancel->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return cancel->Focused(); }));
  EXPECT_FALSE(ok->Active());
  Form->Perform(CM_DIALOGKEY, VK_RETURN, 0);
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(cancels, 2);
  // Not focusable: no keys at all.
  ok->SetCanFocused(false);
  cancel->SetCanFocused(false);
  EXPECT_EQ(Form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 0);
}

TEST_F(ButtonsWin, ModalResultEndsAModalForm) {
  TForm dialog(nullptr);
  dialog.SetBounds(250, 250, 200, 120);
  dialog.AfterConstruction();
  auto* b = new TVelSkinButton(&dialog);
  b->SetParent(&dialog);
  b->SetModalResult(mrOk);
  TSimpleTimer clickLater(50, [&](TObject*) { b->Click(); });
  clickLater.SetAutoDisable(true);
  clickLater.SetEnabled(true);
  EXPECT_EQ(dialog.ShowModal(), mrOk);
}

TEST_F(ButtonsWin, AcceleratorTwiceWithin100msClicksOnce) {
  TVelSkinButton* b = AddButton(10, 10, L"&Go");
  AddButton(110, 10, L"&Stop");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'g', 0), 1);
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'G', 0), 1);
  EXPECT_EQ(clicks, 1);
  Sleep(130);
  Form->Perform(CM_DIALOGCHAR, L'g', 0);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'x', 0), 0);
}

// ---- Repaints and leaks --------------------------------------------------------------------

TEST_F(ButtonsWin, HoverRepaintsOnlyThatButton) {
  TVelSkinButton* a = AddButton(10, 10, L"A");
  TVelSkinButton* b = AddButton(101, 10, L"B");
  PumpFor(30);
  TPaintCounter drawsA(*a), drawsB(*b);
  int paintsB = 0;
  TWindowProcHook hook(*b, [&](TMessage& M) {
    if (M.Msg == WM_PAINT) ++paintsB;
    hook.CallSaved(M);
  });
  const POINT c = ScreenCentre(*a);
  ASSERT_TRUE(MoveCursor(c.x, c.y));
  ASSERT_TRUE(PumpUntil([&] { return a->MouseIn(); }));
  PumpFor(60);
  EXPECT_GE(drawsA.Draws, 1);
  ASSERT_TRUE(MoveCursor(AwayX, AwayY));
  ASSERT_TRUE(PumpUntil([&] { return !a->MouseIn(); }));
  PumpFor(60);
  EXPECT_GE(drawsA.Draws, 2);
  EXPECT_EQ(drawsB.Draws, 0);
  EXPECT_EQ(paintsB, 0);
}

TEST_F(ButtonsWin, ThousandHoverPressCyclesLeaveCountsFlat) {
  TVelSkinButton* b = AddButton(10, 10);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  auto cycle = [&] {
    b->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(b));
    UpdateWindow(b->Handle());
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    UpdateWindow(b->Handle());
    b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    b->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(b));
    UpdateWindow(b->Handle());
  };
  cycle();
  Application->ProcessMessages();
  const TLiveCounts before = LiveCounts();
  for (int i = 0; i < 1000; ++i) cycle();
  Application->ProcessMessages();
  EXPECT_EQ(LiveCounts(), before);
  EXPECT_FALSE(b->Down());
}

}  // namespace
