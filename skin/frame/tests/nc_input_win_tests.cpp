// The system buttons of a skinned form driven by real mouse input (cursor
// moves and button presses through the system's input queue): hover and
// press frames read back from the screen, the leave poll when the cursor
// jumps out of the window, and the commands a click sends.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "gfx/blend.h"
#include "skin/frame/frame_paint.h"
#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "skin/frame/tests/skinned_form_test_support.h"
#include "toolkit/win/application.h"

namespace {

// Counts the close commands that reach the form and swallows them, so that
// the form stays; every other command goes on to the skin form.
class TCloseCounter {
public:
  explicit TCloseCounter(TForm& Form) {
    FHook.Hook(Form, [this](TMessage& M) {
      if (M.Msg == WM_SYSCOMMAND && (M.WParam & 0xFFF0) == SC_CLOSE) {
        ++Closes;
        return;
      }
      FHook.CallSaved(M);
    });
  }
  int Closes = 0;

private:
  TWindowProcHook FHook;
};

// A place on the desktop that the centred form does not cover.
constexpr int AwayX = 5, AwayY = 5;

// What the title bar shows in the button's rectangle for a frame of its
// strip: the frame drawn over the title gradient, as the button paints it.
std::unique_ptr<TBitmap32> ExpectedButton(TVelSkinSystemButton& Button,
                                          bool (TPngPictures::*Frame)(TCustomBitmap32*)) {
  const TRect r = Button.ClientRect();
  auto out = std::make_unique<TBitmap32>();
  out->SetSize(r.Right - r.Left, r.Bottom - r.Top);
  const uint32_t step = GradientStep(168);
  for (int y = 0; y < out->Height(); ++y)
    out->FillRect(0, y, out->Width(), y + 1, GradientLine(GameTitler, DefaultClient, step, r.Top + y) | 0xFF000000);
  TBitmap32 frame;
  if ((Button.Picture().*Frame)(&frame)) frame.DrawTo(out.get(), 0, 0);
  return out;
}

// The pixels of the button's rectangle that differ on screen from Expected;
// the two outer columns and rows are left out (the window's rounded corner).
int ScreenMismatches(TForm& Form, TVelSkinSystemButton& Button, const TBitmap32& Expected) {
  RECT w{};
  GetWindowRect(Form.Handle(), &w);
  const TRect r = Button.ClientRect();
  HDC screen = GetDC(nullptr);
  int n = 0;
  for (int y = 2; y < Expected.Height() - 2; ++y)
    for (int x = 2; x < Expected.Width() - 2; ++x) {
      const COLORREF c = GetPixel(screen, w.left + r.Left + x, w.top + r.Top + y);
      const uint32_t rgb = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
      n += rgb != (Expected.Pixel(x, y) & 0xFFFFFF);
    }
  ReleaseDC(nullptr, screen);
  return n;
}

// The centre of a button in screen coordinates.
POINT Centre(TForm& Form, TVelSkinSystemButton& Button) {
  RECT w{};
  GetWindowRect(Form.Handle(), &w);
  const TRect r = Button.ClientRect();
  return POINT{w.left + (r.Left + r.Right) / 2, w.top + (r.Top + r.Bottom) / 2};
}

class NCInputWin : public ::testing::Test {
protected:
  void SetUp() override {
    // A cursor left over the place where the form appears would hover it at once.
    ASSERT_TRUE(MoveCursor(AwayX, AwayY));
    Form = std::make_unique<TSkinnedForm>(true, false);
    Form->Show();
    SetForegroundWindow(Form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return !Form->AlphaBlend(); }));
    PumpFor(60);
  }
  void TearDown() override {
    if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) SendButton(MOUSEEVENTF_LEFTUP);
    MoveCursor(AwayX, AwayY);
    PumpFor(20);
    Form.reset();
  }
  std::unique_ptr<TSkinnedForm> Form;
};

TEST_F(NCInputWin, CloseButtonLightsUnderTheCursorAndGoesOutWhenTheCursorLeavesTheWindow) {
  TVelSkinSystemButton& close = *Form->Close;
  const auto normal = ExpectedButton(close, &TPngPictures::GetNormalImage);
  const auto hot = ExpectedButton(close, &TPngPictures::GetHotImage);
  ASSERT_GT(ScreenMismatches(*Form, close, *hot), 0) << "the hot frame must look different";
  EXPECT_EQ(close.State(), bsNormal);
  EXPECT_EQ(ScreenMismatches(*Form, close, *normal), 0);

  const POINT c = Centre(*Form, close);
  ASSERT_TRUE(MoveCursor(c.x, c.y));
  EXPECT_TRUE(PumpUntil([&] { return close.State() == bsHot; }, 500));
  EXPECT_TRUE(PumpUntil([&] { return ScreenMismatches(*Form, close, *hot) == 0; }, 500))
      << ScreenMismatches(*Form, close, *hot) << " pixels differ from the hot frame";
  EXPECT_EQ(Form->Minimize->State(), bsNormal);

  // Straight out of the window: no non-client move tells the button, the poll does.
  RECT w{};
  GetWindowRect(Form->Handle(), &w);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(MoveCursor(w.right + 100, w.bottom + 100));
  EXPECT_TRUE(PumpUntil([&] { return close.State() == bsNormal; }, 500));
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::printf("close button back to normal %lld ms after the cursor left\n", static_cast<long long>(ms));
  EXPECT_FALSE(close.CursorEnter());
  EXPECT_TRUE(PumpUntil([&] { return ScreenMismatches(*Form, close, *normal) == 0; }, 500));
}

TEST_F(NCInputWin, PressShowsThePressedFrameAndTheReleaseSendsClose) {
  TCloseCounter counter(*Form);
  TVelSkinSystemButton& close = *Form->Close;
  const auto hot = ExpectedButton(close, &TPngPictures::GetHotImage);
  const auto pressed = ExpectedButton(close, &TPngPictures::GetPressedImage);
  ASSERT_GT(ScreenMismatches(*Form, close, *pressed), 0);

  const POINT c = Centre(*Form, close);
  ASSERT_TRUE(MoveCursor(c.x, c.y));
  ASSERT_TRUE(PumpUntil([&] { return close.State() == bsHot; }, 500));
  SendButton(MOUSEEVENTF_LEFTDOWN);
  EXPECT_TRUE(PumpUntil([&] { return close.State() == bsPressed; }, 500));
  EXPECT_TRUE(PumpUntil([&] { return ScreenMismatches(*Form, close, *pressed) == 0; }, 500))
      << ScreenMismatches(*Form, close, *pressed) << " pixels differ from the pressed frame";
  EXPECT_EQ(counter.Closes, 0) << "the press alone must not close";

  SendButton(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(PumpUntil([&] { return counter.Closes > 0; }, 500));
  PumpFor(30);
  EXPECT_EQ(counter.Closes, 1);
  EXPECT_TRUE(IsWindow(Form->Handle()));
  // Still under the cursor: back to hot.
  EXPECT_EQ(close.State(), bsHot);
  EXPECT_TRUE(PumpUntil([&] { return ScreenMismatches(*Form, close, *hot) == 0; }, 500));
}

TEST_F(NCInputWin, MinimizeClickMinimizesAndRestoreBringsTheWindowBackOpaque) {
  TCloseCounter counter(*Form);
  TVelSkinSystemButton& minimize = *Form->Minimize;
  const POINT c = Centre(*Form, minimize);
  ASSERT_TRUE(MoveCursor(c.x, c.y));
  ASSERT_TRUE(PumpUntil([&] { return minimize.State() == bsHot; }, 500));
  EXPECT_EQ(Form->Close->State(), bsNormal);
  SendButton(MOUSEEVENTF_LEFTDOWN);
  SendButton(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(Form->Handle()) != FALSE; }, 1000));
  EXPECT_EQ(counter.Closes, 0);

  SendMessageW(Form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsIconic(Form->Handle()); }, 500));
  PumpFor(30);
  EXPECT_FALSE(Form->AlphaBlend());
  EXPECT_EQ(Form->AlphaBlendValue(), 255);
  EXPECT_FALSE(GetWindowLongPtrW(Form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  RECT w{};
  GetWindowRect(Form->Handle(), &w);
  HDC screen = GetDC(nullptr);
  const COLORREF client = GetPixel(screen, w.left + 300, w.top + 300);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(client, static_cast<COLORREF>(DefaultClient));
}

}  // namespace
