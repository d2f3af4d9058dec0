// Balloon tips in real windows: an edit's balloon beside its edit (place,
// size, window styles, colours), a show without control or rectangle, the
// pause and its fade, mouse movement over the balloon restarting the pause,
// following the control, hiding while its form is inactive, the close
// button, a control freed while its balloon shows, typing hiding the
// balloon, what show and hide cycles leave behind, titles and directions,
// and a very long text.
#include <gtest/gtest.h>

#include <string>

#include "skin/controls/edit.h"
#include "skin/controls/tests/controls_test_support.h"
#include "skin/controls/tips.h"
#include "toolkit/win/live_counts.h"
#include "toolkit/win/screen.h"

namespace {

int ThreadWindows() {
  int n = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND, LPARAM Count) {
        ++*reinterpret_cast<int*>(Count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&n));
  return n;
}

TRect WindowRect(HWND Window) {
  RECT r{};
  GetWindowRect(Window, &r);
  return ToTRect(r);
}

bool Shown(HWND Window) { return IsWindow(Window) && IsWindowVisible(Window); }

class TipsWin : public RealInputWin {
protected:
  void SetUp() override {
    RealInputWin::SetUp();
    Edit = new TVelSkinEdit(Form.get());
    Edit->SetParent(Form.get());
    Edit->SetBounds(20, 30, 140, 26);
    PumpFor(20);
  }
  // A point inside the balloon, in screen coordinates.
  static TPoint Inside(HWND Window, int Dx = 0) {
    const TRect r = WindowRect(Window);
    return TPoint{r.Left + r.Width() / 2 + Dx, r.Top + r.Height() / 2};
  }
  TVelSkinEdit* Edit = nullptr;
};

TEST_F(TipsWin, AnEditsBalloonSitsBesideItTenPixelsWiderThanItsText) {
  const std::wstring text = L"Only digits here";
  const TPoint size = Edit->Tips().GetTipsSize(text);
  ASSERT_GT(size.X, 0);
  ASSERT_GT(size.Y, 0);
  const HWND h = Edit->Tips().Show(text);
  ASSERT_TRUE(Shown(h));
  const TPoint origin = Form->ClientToScreen(TPoint{0, 0});
  const TRect r = WindowRect(h);
  EXPECT_EQ(r.Left, origin.X + 20 + 140 + 5);
  EXPECT_EQ(r.Top, origin.Y + 30 + (26 - size.Y) / 2 - 5);
  EXPECT_EQ(r.Width(), size.X + 10);
  EXPECT_EQ(r.Height(), size.Y + 10);

  // A tool window of its own that never took the activation.
  EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_CAPTION), WS_POPUP);
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  const auto classStyle = GetClassLongPtrW(h, GCL_STYLE);
  EXPECT_TRUE(classStyle & CS_SAVEBITS);
  EXPECT_FALSE(classStyle & CS_DROPSHADOW);
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_EQ(GetWindow(h, GW_OWNER), Form->Handle());

  // Red with a red frame, light text, no close button.
  TVelSkinTipsWindow* window = Edit->Tips().Windows(0);
  EXPECT_EQ(window->Tips(), text);
  EXPECT_TRUE(window->CloseButtonRect() == TRect{});
  TBitmap32* bmp = window->MemBmp();
  EXPECT_EQ(bmp->Pixel(0, 0) & 0xFFFFFF, Rgb(4864985));
  EXPECT_EQ(bmp->Pixel(2, r.Height() - 2) & 0xFFFFFF, Rgb(4864985));
  int light = 0;
  for (int y = 0; y < bmp->Height(); ++y)
    for (int x = 0; x < bmp->Width(); ++x) light += (bmp->Pixel(x, y) & 0xFF) > 0xC0;
  EXPECT_GT(light, 10) << "no text drawn";
  PumpFor(60);
  EXPECT_EQ(ScreenPixel(r.Left + 1, r.Top + 1), Rgb(4864985));
}

TEST_F(TipsWin, AShowWithoutControlOrRectangleMakesNoWindow) {
  TVelSkinCustomTips tips(nullptr);
  const int before = ThreadWindows();
  EXPECT_EQ(tips.Show(L"Title", L"text", hdTop, std::nullopt, nullptr), nullptr);
  EXPECT_EQ(tips.Show(L"", L"text", std::nullopt, nullptr), nullptr);
  EXPECT_EQ(tips.WindowCount(), 0);
  EXPECT_EQ(ThreadWindows(), before);
  // A rectangle alone is in screen coordinates and is the balloon.
  const HWND h = tips.Show(L"", L"text", hdCustom, MakeRect(300, 320, 400, 350), nullptr);
  ASSERT_TRUE(Shown(h));
  EXPECT_EQ(WindowRect(h), MakeRect(300, 320, 400, 350));
  EXPECT_EQ(ThreadWindows(), before + 1);
}

TEST_F(TipsWin, ItFadesAfterThePauseAndNotBefore) {
  Edit->Tips().SetPauseTime(300);
  const DWORD start = GetTickCount();
  const HWND h = Edit->Tips().Show(L"Soon gone");
  ASSERT_TRUE(Shown(h));
  PumpFor(100);
  EXPECT_TRUE(Shown(h));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(h); }, 3000));
  EXPECT_GE(GetTickCount() - start, 300u);
  EXPECT_TRUE(Edit->Tips().Windows(0)->Closed());
  // The next balloon frees the closed one.
  Edit->Tips().Show(L"Next");
  EXPECT_EQ(Edit->Tips().WindowCount(), 1);
}

TEST_F(TipsWin, MouseMovementOverTheBalloonRestartsThePause) {
  Edit->Tips().SetPauseTime(400);
  const HWND h = Edit->Tips().Show(L"Keep me while the mouse moves");
  ASSERT_TRUE(Shown(h));
  const DWORD start = GetTickCount();
  int step = 0;
  while (GetTickCount() - start < 1200) {
    ASSERT_TRUE(MoveCursor(Inside(h, step++ % 2 ? 2 : -2).X, Inside(h).Y));
    PumpFor(100);
    ASSERT_TRUE(IsWindow(h)) << "gone after " << GetTickCount() - start << " ms of movement";
  }
  EXPECT_TRUE(Shown(h));
  MoveCursor(AwayX, AwayY);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); }, 3000));
}

TEST_F(TipsWin, TheBalloonFollowsItsControlAndHidesWhileItsFormIsInactive) {
  const HWND h = Edit->Tips().Show(L"Follow");
  ASSERT_TRUE(Shown(h));
  const TRect before = WindowRect(h);
  Form->SetBounds(Form->Left() + 30, Form->Top() + 20, Form->Width(), Form->Height());
  EXPECT_TRUE(PumpUntil([&] { return WindowRect(h).Left == before.Left + 30 && WindowRect(h).Top == before.Top + 20; }));

  TForm other(nullptr);
  other.SetBounds(700, 600, 200, 100);
  other.AfterConstruction();
  other.Show();
  SetForegroundWindow(other.Handle());
  EXPECT_TRUE(PumpUntil([&] { return IsWindow(h) && !IsWindowVisible(h); }));
  SetForegroundWindow(Form->Handle());
  EXPECT_TRUE(PumpUntil([&] { return Shown(h); }));
}

TEST_F(TipsWin, TheCloseButtonClosesTheBalloon) {
  TVelSkinCustomTips tips(nullptr);
  tips.SetPauseTime(0);
  const HWND h = tips.Show(L"Title", L"A balloon with a close button", hdTop, std::nullopt, Edit);
  ASSERT_TRUE(Shown(h));
  TVelSkinTipsWindow* window = tips.Windows(0);
  const TRect close = window->CloseButtonRect();
  ASSERT_EQ(close.Width(), 12);
  const TRect r = WindowRect(h);
  const TPoint at{r.Left + (close.Left + close.Right) / 2, r.Top + (close.Top + close.Bottom) / 2};
  ASSERT_TRUE(MoveCursor(at.X, at.Y));
  EXPECT_TRUE(PumpUntil([&] { return window->MouseInTips() == itCloseButton; }));
  SendButtonAt(at.X, at.Y, MOUSEEVENTF_LEFTDOWN);
  SendButtonAt(at.X, at.Y, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(h); }));
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
}

TEST_F(TipsWin, AControlFreedWhileItsBalloonShowsTakesTheBalloonAlong) {
  TVelSkinCustomTips tips(nullptr);
  auto* panel = new TVelSkinEdit(Form.get());
  panel->SetParent(Form.get());
  panel->SetBounds(20, 100, 100, 26);
  const HWND h = tips.Show(L"", L"About the panel", hdBottom, std::nullopt, panel);
  ASSERT_TRUE(Shown(h));
  delete panel;
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(tips.Windows(0)->ParentControl(), nullptr);
  PumpFor(150);  // the balloon's timer ticks on without its control

  // The edit's own balloon goes with the edit.
  const int before = ThreadWindows();
  const HWND own = Edit->Tips().Show(L"Mine");
  ASSERT_TRUE(Shown(own));
  EXPECT_EQ(ThreadWindows(), before + 1);
  delete Edit;
  Edit = nullptr;
  EXPECT_FALSE(IsWindow(own));
  EXPECT_EQ(ThreadWindows(), before);
  PumpFor(150);
}

TEST_F(TipsWin, TypingHidesTheEditsBalloon) {
  Edit->SetFocus();
  PumpFor(20);
  const HWND h = Edit->Tips().Show(L"Type to hide me");
  ASSERT_TRUE(Shown(h));
  TypeUnicode(L"a");
  EXPECT_TRUE(PumpUntil([&] { return Edit->Text() == L"a"; }));
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(Edit->Tips().WindowCount(), 0);
  // A second show replaces the first balloon.
  const HWND first = Edit->Tips().Show(L"one");
  const HWND second = Edit->Tips().Show(L"two");
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(Shown(second));
  EXPECT_EQ(Edit->Tips().WindowCount(), 1);
}

TEST_F(TipsWin, ShowHideCyclesLeaveNothingBehind) {
  TVelSkinCustomTips tips(nullptr);
  tips.SetPauseTime(1);
  auto cycle = [&] {
    Edit->Tips().Show(L"Cycle");
    tips.Show(L"Title", L"Faded", hdTop, std::nullopt, Edit);
    // Past the pause the second one fades and closes.
    EXPECT_TRUE(PumpUntil([&] { return tips.Windows(tips.WindowCount() - 1)->Closed(); }));
    Edit->Tips().Hide();
  };
  cycle();
  const TLiveCounts before = LiveCounts();
  const int windows = ThreadWindows();
  for (int i = 0; i < 20; ++i) cycle();
  EXPECT_EQ(tips.WindowCount(), 1);  // closed ones are freed by the next show
  EXPECT_EQ(ThreadWindows(), windows);
  EXPECT_EQ(LiveCounts(), before);
}

TEST_F(TipsWin, TitlesAndDirections) {
  TVelSkinCustomTips tips(nullptr);
  tips.SetPauseTime(0);
  tips.SetCloseButtonVisible(false);
  auto* panel = new TVelSkinEdit(Form.get());
  panel->SetParent(Form.get());
  panel->SetBounds(20, 80, 300, 100);
  const TPoint client = panel->ClientToScreen(TPoint{0, 0});
  const HWND plain = tips.Show(L"", L"One line", hdTop, std::nullopt, panel);
  const TRect p = WindowRect(plain);
  EXPECT_EQ(p.Left, client.X);
  EXPECT_EQ(p.Top, client.Y);
  EXPECT_EQ(p.Width(), 300);
  const HWND titled = tips.Show(L"Title", L"One line", hdBottom, std::nullopt, panel);
  const TRect t = WindowRect(titled);
  EXPECT_EQ(t.Bottom, client.Y + 100);
  EXPECT_GT(t.Height(), p.Height() + 6);
  EXPECT_EQ(tips.TipsDirection(), hdBottom);
}

TEST_F(TipsWin, AVeryLongTextStaysOnTheScreen) {
  std::wstring text;
  for (int i = 0; i < 20000; ++i) text += L"word ";
  const HWND h = Edit->Tips().Show(text);
  ASSERT_TRUE(Shown(h));
  const TRect r = WindowRect(h);
  EXPECT_LE(r.Width(), TipsMeasureWidth + 10);
  EXPECT_LE(r.Height(), Screen->Height());
  EXPECT_GT(r.Height(), 30);  // wrapped onto several lines
  Edit->Tips().Hide();
  EXPECT_FALSE(IsWindow(h));
}

}  // namespace
