// Drives a form skinned by TVelSkinForm under Windows (Wine): its window and
// client geometry, region, the pixels of its frame read back from the screen,
// hit tests, maximize and restore, the minimize cycle, the repaint after a
// resize, faults while painting, and the live counts over many rounds.
#include <gtest/gtest.h>

#include <stdexcept>

#include "gfx/blend.h"
#include "skin/frame/frame_paint.h"
#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/application.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/live_counts.h"
#include "skin/frame/tests/skinned_form_test_support.h"

class TVelSkinFormTestProbe {
public:
  explicit TVelSkinFormTestProbe(TVelSkinForm* F) : Form(F) {}
  TVelSkinForm* Form;
  bool RgnChanging() const { return Form->FRgnChanging; }
  bool DoChanging() const { return Form->FDoChanging; }
  int32_t CurrentFrameWidth() const { return Form->FFramWidth; }
};

namespace {

class SkinFormWin : public ::testing::Test {
protected:
  void TearDown() override { Application->OnException = nullptr; }

  // Shows the form and waits until the start-up fade is over.
  static void ShowAndSettle(TForm& Form) {
    Form.Show();
    ASSERT_TRUE(PumpUntil([&] { return !Form.AlphaBlend(); }));
    PumpFor(60);
  }
  static RECT WindowRect(TForm& Form) {
    RECT r{};
    GetWindowRect(Form.Handle(), &r);
    return r;
  }
};

TEST_F(SkinFormWin, WindowAndClientGeometryAndRegion) {
  TSkinnedForm form(false);
  ShowAndSettle(form);
  const RECT w = WindowRect(form);
  EXPECT_EQ(w.right - w.left, 654);
  EXPECT_EQ(w.bottom - w.top, 550);
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 650);
  EXPECT_EQ(client.bottom, 521);
  POINT origin{0, 0};
  ClientToScreen(form.Handle(), &origin);
  EXPECT_EQ(origin.x - w.left, 2);
  EXPECT_EQ(origin.y - w.top, 27);

  // The caption and frame bits are gone from the style; the region cuts the corners.
  const LONG_PTR style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_SYSMENU);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(form.Handle(), rgn), ERROR);
  RECT box{};
  GetRgnBox(rgn, &box);
  EXPECT_GE(box.right, 654);
  EXPECT_GE(box.bottom, 550);
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_FALSE(PtInRegion(rgn, 653, 0));
  EXPECT_TRUE(PtInRegion(rgn, 3, 0));
  EXPECT_TRUE(PtInRegion(rgn, 0, 3));
  EXPECT_TRUE(PtInRegion(rgn, 300, 300));
  DeleteObject(rgn);
}

TEST_F(SkinFormWin, TitleBarAndClientShowTheGradientOnScreen) {
  TSkinnedForm form(false);
  ShowAndSettle(form);
  const RECT w = WindowRect(form);
  const uint32_t step = GradientStep(168);
  // The title bar: rows 0..26 of the 168-row gradient; FlatFrame draws no frame lines.
  for (int y : {0, 1, 5, 13, 26}) {
    const uint32_t expected = GradientLine(GameTitler, DefaultClient, step, y) & 0xFFFFFF;
    EXPECT_EQ(ScreenPixel(w.left + 100, w.top + y), expected) << "title row " << y;
    EXPECT_EQ(ScreenPixel(w.left + 500, w.top + y), expected) << "title row " << y;
  }
  // The client area continues it from row 27 and is flat below row 168.
  for (int y : {27, 60, 120, 167}) {
    const uint32_t expected = GradientLine(GameTitler, DefaultClient, step, y) & 0xFFFFFF;
    EXPECT_EQ(ScreenPixel(w.left + 300, w.top + y), expected) << "window row " << y;
  }
  EXPECT_EQ(ScreenPixel(w.left + 300, w.top + 300), Rgb(DefaultClient));
  // The side and bottom strips carry the client background.
  EXPECT_EQ(ScreenPixel(w.left + 0, w.top + 300), Rgb(DefaultClient));
  EXPECT_EQ(ScreenPixel(w.left + 300, w.bottom - 1), Rgb(DefaultClient));
}

TEST_F(SkinFormWin, HitTestsFollowTheFrame) {
  TSkinnedForm form(false);
  ShowAndSettle(form);
  const RECT w = WindowRect(form);
  auto hit = [&](int X, int Y) {
    return SendMessageW(form.Handle(), WM_NCHITTEST, 0, MAKELPARAM(w.left + X, w.top + Y));
  };
  EXPECT_EQ(hit(3, 100), HTLEFT);
  EXPECT_EQ(hit(1, 1), HTTOPLEFT);
  EXPECT_EQ(hit(650, 545), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(300, 10), HTCAPTION);
  EXPECT_EQ(hit(300, 300), HTCLIENT);
  EXPECT_EQ(hit(300, 548), HTBOTTOM);
}

TEST_F(SkinFormWin, TitleDoubleClickMaximizesAndRestoresTheFrame) {
  TSkinnedForm form(false);
  ShowAndSettle(form);
  TVelSkinFormTestProbe probe(form.Skin);
  const RECT w = WindowRect(form);
  const LPARAM title = MAKELPARAM(w.left + 300, w.top + 10);
  SendMessageW(form.Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, title);
  PumpFor(50);
  ASSERT_TRUE(IsZoomed(form.Handle()));
  EXPECT_EQ(probe.CurrentFrameWidth(), 0);
  const TRect work = form.Monitor().WorkareaRect();
  const RECT m = WindowRect(form);
  EXPECT_EQ(m.left, work.Left);
  EXPECT_EQ(m.top, work.Top);
  EXPECT_EQ(m.right - m.left, work.Width());
  POINT origin{0, 0};
  ClientToScreen(form.Handle(), &origin);
  EXPECT_EQ(origin.x - m.left, 0);
  EXPECT_EQ(origin.y - m.top, 27);
  // No resize bands while maximized; the title still drags.
  EXPECT_EQ(SendMessageW(form.Handle(), WM_NCHITTEST, 0, MAKELPARAM(m.left + 1, m.top + 100)), HTCLIENT);
  EXPECT_EQ(SendMessageW(form.Handle(), WM_NCHITTEST, 0, MAKELPARAM(m.left + 300, m.top + 10)), HTCAPTION);

  SendMessageW(form.Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(m.left + 300, m.top + 10));
  PumpFor(50);
  ASSERT_FALSE(IsZoomed(form.Handle()));
  EXPECT_EQ(probe.CurrentFrameWidth(), 2);
  const RECT r = WindowRect(form);
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 650);
  EXPECT_EQ(client.bottom, 521);
  origin = POINT{0, 0};
  ClientToScreen(form.Handle(), &origin);
  EXPECT_EQ(origin.x - r.left, 2);
  EXPECT_EQ(origin.y - r.top, 27);
}

TEST_F(SkinFormWin, MinimizeCycleHidesByAlphaAndComesBackOpaque) {
  TSkinnedForm form(false);
  ShowAndSettle(form);
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpFor(50);
  EXPECT_TRUE(IsIconic(form.Handle()));
  EXPECT_EQ(form.Skin->FormState() & 0x300, 0x100u);
  EXPECT_TRUE(form.AlphaBlend());
  EXPECT_EQ(form.AlphaBlendValue(), 0);

  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  PumpFor(50);
  EXPECT_FALSE(IsIconic(form.Handle()));
  EXPECT_EQ(form.Skin->FormState() & 0x300, 0x200u);
  EXPECT_FALSE(form.AlphaBlend());
  EXPECT_EQ(form.AlphaBlendValue(), 255);
  EXPECT_FALSE(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);

  // A restore that does not come through the system command (another
  // program, a task switcher) brings the window back opaque as well.
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpFor(50);
  ShowWindow(form.Handle(), SW_RESTORE);
  PumpFor(50);
  EXPECT_FALSE(form.AlphaBlend());
  const RECT w = WindowRect(form);
  EXPECT_EQ(ScreenPixel(w.left + 300, w.top + 300), Rgb(DefaultClient));
}

// Records the frame repaints that reach the form: the skin's own (WParam 0)
// and the system's.
class TNCPaintSpy {
public:
  explicit TNCPaintSpy(TForm& Form) {
    FHook.Hook(Form, [this](TMessage& M) {
      if (M.Msg == WM_NCPAINT && M.WParam == 0) ++SkinRepaints;
      FHook.CallSaved(M);
    });
  }
  int SkinRepaints = 0;

private:
  TWindowProcHook FHook;
};

TEST_F(SkinFormWin, AResizeRepaintsTheFrameOnceItSettles) {
  TSkinnedForm form(false);
  ShowAndSettle(form);
  TNCPaintSpy spy(form);
  const long timers = LiveCounts().Timers;
  form.SetBounds(form.Left(), form.Top(), 700, 560);
  form.SetBounds(form.Left(), form.Top(), 720, 580);
  EXPECT_EQ(spy.SkinRepaints, 0);
  EXPECT_TRUE(PumpUntil([&] { return spy.SkinRepaints > 0; }, 1000));
  PumpFor(100);
  EXPECT_EQ(spy.SkinRepaints, 1);
  EXPECT_EQ(LiveCounts().Timers, timers);
  // The new width is painted: the title reaches the right edge.
  const RECT w = WindowRect(form);
  EXPECT_EQ(w.right - w.left, 720);
  EXPECT_EQ(ScreenPixel(w.right - 3, w.top + 26),
            GradientLine(GameTitler, DefaultClient, GradientStep(168), 26) & 0xFFFFFF);
}

// A title-bar control whose painting fails.
class TFailingNCCtrl : public TVelSkinNCCtrlBase {
public:
  using TVelSkinNCCtrlBase::TVelSkinNCCtrlBase;
  void Paint(TBitmap32*) override {
    if (Fail) throw std::runtime_error("paint failed");
  }
  bool Fail = false;
};

TEST_F(SkinFormWin, AFaultWhilePaintingTheFrameStaysInsideAndTheGuardsRecover) {
  TSkinnedForm form(false);
  auto* failing = new TFailingNCCtrl(&form);
  ShowAndSettle(form);
  ASSERT_TRUE(failing->Hooked());
  int reported = 0;
  Application->OnException = [&](TObject*, const std::exception*, const std::wstring&) { ++reported; };
  int changed = 0;
  form.Skin->Changed = [&](TObject*) { ++changed; };
  failing->Fail = true;
  EXPECT_THROW(form.Skin->Repaint(), std::runtime_error);  // a direct call: the caller gets it
  TVelSkinFormTestProbe probe(form.Skin);
  EXPECT_FALSE(probe.DoChanging());
  EXPECT_FALSE(probe.RgnChanging());
  form.SetBounds(form.Left(), form.Top(), 660, 560);  // a message: the window procedure catches it
  PumpFor(150);
  EXPECT_GE(reported, 1);
  EXPECT_FALSE(probe.RgnChanging());
  failing->Fail = false;
  form.Skin->Repaint();
  EXPECT_EQ(changed, 1);
}

TEST_F(SkinFormWin, TitleBarControlsRegisterBeforeAndAfterTheWindowExists) {
  TSkinnedForm form(true);
  EXPECT_FALSE(form.Close->Hooked());
  ShowAndSettle(form);
  EXPECT_TRUE(form.Close->Hooked());
  EXPECT_EQ(form.Skin->NCCtrlList().Count(), 3);
  EXPECT_EQ(form.Close->ParentObject(), form.Skin);
  auto* late = new TVelSkinNCLabel(&form);
  EXPECT_TRUE(PumpUntil([&] { return late->Hooked(); }));
  EXPECT_EQ(form.Skin->NCCtrlList().Count(), 4);
  late->RemoveSelf();  // freed by the skin form
  EXPECT_EQ(form.Skin->NCCtrlList().Count(), 3);
  // A control freed directly leaves the list; a skin form freed before its
  // controls leaves them without a parent.
  delete form.Label;
  EXPECT_EQ(form.Skin->NCCtrlList().Count(), 2);
  EXPECT_EQ(form.Skin->NCCtrlList().IndexOf(form.Label), -1);
  delete form.Skin;
  EXPECT_EQ(form.Close->ParentObject(), nullptr);
  EXPECT_EQ(form.Minimize->ParentObject(), nullptr);
  form.Close->Invalidate();
  PumpFor(20);
}

TEST_F(SkinFormWin, SystemButtonsSitAtTheRightAndTheLabelAtTheLeft) {
  TSkinnedForm form(true);
  ShowAndSettle(form);
  EXPECT_EQ(form.Close->ClientRect().Left, 614);
  EXPECT_EQ(form.Close->ClientRect().Right, 653);
  EXPECT_EQ(form.Minimize->ClientRect().Left, 584);
  EXPECT_EQ(form.Minimize->ClientRect().Right, 612);
  const RECT w = WindowRect(form);
  // Some pixel of the label's caption is white; the title bar there is not.
  bool white = false;
  for (int y = 5; y < 18 && !white; ++y)
    for (int x = 5; x < 50 && !white; ++x) white = ScreenPixel(w.left + x, w.top + y) == 0xFFFFFF;
  EXPECT_TRUE(white);
  // The close strip's glyph shows between the button's edges and not outside.
  EXPECT_NE(ScreenPixel(w.left + 633, w.top + 9), GradientLine(GameTitler, DefaultClient, GradientStep(168), 9) & 0xFFFFFF);
  EXPECT_EQ(ScreenPixel(w.left + 560, w.top + 9), GradientLine(GameTitler, DefaultClient, GradientStep(168), 9) & 0xFFFFFF);
}

TEST_F(SkinFormWin, ACorruptSkinImageFileGivesAFrameWithoutThatPicture) {
  // A file in the working folder overrides the built-in image of its name.
  TScopeExit remove([] { DeleteFileW(L"VelSkinBtn_close"); });
  HANDLE f = CreateFileW(L"VelSkinBtn_close", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(f, "\x89PNG\r\n\x1a\n garbage", 17, &written, nullptr);
  CloseHandle(f);
  TSkinnedForm form(true);
  ShowAndSettle(form);
  const RECT w = WindowRect(form);
  EXPECT_EQ(w.right - w.left, 654);
  EXPECT_EQ(form.Close->Picture().SourceImage(), nullptr);
  // The title bar is painted where the close button would be.
  EXPECT_EQ(ScreenPixel(w.left + 633, w.top + 9),
            GradientLine(GameTitler, DefaultClient, GradientStep(168), 9) & 0xFFFFFF);
  EXPECT_NE(form.Minimize->Picture().SourceImage(), nullptr);
}

TEST_F(SkinFormWin, StartResizeMinimizeRestoreRoundsLeaveTheLiveCountsFlat) {
  // Each round goes through the start-up fade, the resize repaint timer and
  // the minimize cycle; the last rounds' timers end with their windows.
  int rounds = 0;
  auto round = [&rounds] {
    TSkinnedForm form(true);
    form.Show();
    Application->ProcessMessages();
    form.SetBounds(form.Left(), form.Top(), 700 + rounds % 7, 600);
    Application->ProcessMessages();
    SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    if (++rounds % 20 == 0) PumpFor(60);  // now and then the timers run out
    Application->ProcessMessages();
  };
  round();  // first-use caches (fonts, strips, the hint window class)
  const TLiveCounts before = LiveCounts();
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  for (int i = 0; i < 200; ++i) round();
  const TLiveCounts after = LiveCounts();
  EXPECT_EQ(after.GdiObjects, before.GdiObjects);
  EXPECT_EQ(after.DCs, before.DCs);
  EXPECT_EQ(after.Windows, before.Windows);
  EXPECT_EQ(after.Timers, before.Timers);
  // Wine answers 0 here; Windows counts its own objects.
  if (gdiBefore) {
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore + 2);
  }
  if (userBefore) {
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userBefore + 2);
  }
}

}  // namespace
