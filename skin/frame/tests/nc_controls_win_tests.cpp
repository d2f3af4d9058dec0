// Title-bar controls on a plain form (no skin form): placement, the label's
// measuring and painting, the system buttons' strips and commands, hover
// polling, registration messages and live counts.
#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"

#include "gfx/win/gdi_backend.h"
#include "skin/frame/tests/skinned_form_test_support.h"
#include "toolkit/win/live_counts.h"
#include "toolkit/win/screen.h"

#include <vector>

namespace {

constexpr TColor32 Black = 0xFF000000;

// A title-bar strip as the skin form hands it to its controls.
std::unique_ptr<TBitmap32> TitleStrip(TCustomForm& Form, int Height = 27) {
  auto bitmap = std::make_unique<TBitmap32>();
  bitmap->SetSize(Form.Width(), Height);
  bitmap->Clear(Black);
  return bitmap;
}

bool IsInk(TColor32 C) { return (C & 0xFFFFFF) != 0; }

// The smallest rectangle holding every non-black pixel (empty when none).
TRect InkBounds(const TBitmap32& B) {
  TRect r{B.Width(), B.Height(), 0, 0};
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      if (IsInk(B.Pixel(x, y))) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

// Records the form's system commands and registration messages; system
// commands are passed on only when asked to.
struct TFormSpy {
  explicit TFormSpy(TCustomForm& Form, bool PassCommands = false) : Pass(PassCommands) {
    Hook.Hook(Form, [this](TMessage& M) {
      if (M.Msg == WM_SYSCOMMAND) {
        Commands.push_back(static_cast<UINT>(M.WParam & 0xFFF0));
        if (!Pass) return;
      }
      if (M.Msg == MM_ADDNCCTRL) Registrations.push_back(M.WParam);
      Hook.CallSaved(M);
    });
  }
  bool Pass;
  std::vector<UINT> Commands;
  std::vector<WPARAM> Registrations;
  TWindowProcHook Hook;
};

int CountDiffering(const TBitmap32& A, const TBitmap32& B) {
  int n = 0;
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x) n += A.Pixel(x, y) != B.Pixel(x, y);
  return n;
}

WPARAM AsParam(TVelSkinNCCtrlBase* Control) { return reinterpret_cast<WPARAM>(Control); }

int CountOf(const std::vector<WPARAM>& List, WPARAM Value) {
  return static_cast<int>(std::count(List.begin(), List.end(), Value));
}

// Moves the cursor and waits until the system reports it there (Wine moves it asynchronously).
bool MoveCursor(TPoint P) { return SetCursorUntilReported(P.X, P.Y); }

void ShowForm(TCustomForm& Form) {
  Form.Show();
  SetForegroundWindow(Form.Handle());
  PumpFor(50);
}

}  // namespace

TEST_F(FrameWin, PositionCountsFromTheAlignedEdgeAndShiftsOnAMaximizedWindow) {
  Form->SetWidth(666);
  TVelSkinNCCtrlBase control(Form.get());
  TNCCtrlPos& pos = control.Pos();
  pos.SetAlign(caRight);
  pos.SetXValue(40);
  pos.SetYValue(3);
  EXPECT_EQ(pos.X(), 626);
  EXPECT_EQ(pos.Y(), 3);
  EXPECT_EQ(control.ClientRect(), (TRect{626, 3, 651, 28}));
  control.SetClientRectOffset(TPoint{2, -1});
  EXPECT_EQ(control.ClientRect(), (TRect{628, 2, 653, 27}));
  pos.SetAlign(caLeft);
  EXPECT_EQ(pos.X(), 40);

  pos.SetAlign(caRight);
  Form->SetWindowState(wsMaximized);
  ShowForm(*Form);
  ASSERT_TRUE(IsZoomed(Form->Handle()));
  control.Paint(TitleStrip(*Form).get());
  // One pixel towards the edge and one higher, for painting and hit tests alike.
  EXPECT_EQ(pos.XValue(), 39);
  EXPECT_EQ(pos.X(), Form->Width() - 39);
  EXPECT_EQ(pos.Y(), 2);
  ShowWindow(Form->Handle(), SW_RESTORE);
  PumpFor(30);
  control.Paint(TitleStrip(*Form).get());
  EXPECT_EQ(pos.XValue(), 40);
  EXPECT_EQ(pos.YValue(), 3);
}

TEST_F(FrameWin, LabelMeasuresItsCaptionAndCutsItAtMaxWidth) {
  TVelSkinNCLabel label(Form.get());
  label.Font().SetColor(clWhite);
  label.SetCaption(L"Quorrel");
  auto probe = TitleStrip(*Form);
  ::SetFont(*probe, label.Font());
  const SIZE text = TextExtentW(*probe, L"Quorrel");
  EXPECT_GT(text.cx, 20);
  EXPECT_EQ(label.Width(), text.cx);
  EXPECT_EQ(label.Height(), text.cy);
  EXPECT_EQ(label.ClientRect(), (TRect{5, 5, 5 + text.cx, 5 + text.cy}));

  const std::wstring longCaption = L"A caption far too long for a hundred pixels of title bar";
  label.SetCaption(longCaption);
  EXPECT_GT(label.Width(), 200);
  label.SetMaxWidth(100);
  label.SetEllipsisPosition(epEndEllipsis);
  EXPECT_EQ(label.Width(), 100);
  EXPECT_EQ(label.Height(), text.cy);
  auto strip = TitleStrip(*Form);
  label.Paint(strip.get());
  const TRect ink = InkBounds(*strip);
  EXPECT_GE(ink.Left, 5);
  EXPECT_LE(ink.Right, 105);
  // Cut, not left short: the text runs up to the limit.
  EXPECT_GT(ink.Right, 85);
}

TEST_F(FrameWin, LabelPaintsItsCaptionAtItsPlaceInTheFontColour) {
  TVelSkinNCLabel label(Form.get());
  EXPECT_EQ(label.Pos().XValue(), 5);
  label.SetCaption(L"Quorrel");
  label.Font().SetColor(clRed);
  label.Font().SetStyle(fsBold);
  label.Pos().SetXValue(30);
  label.Pos().SetYValue(6);
  for (bool render : {false, true}) {
    label.SetRenderText(render);
    auto strip = TitleStrip(*Form);
    label.Paint(strip.get());
    const TRect ink = InkBounds(*strip);
    ASSERT_LT(ink.Left, ink.Right) << render;
    EXPECT_GE(ink.Left, 30) << render;
    EXPECT_LE(ink.Left, 33) << render;
    EXPECT_GE(ink.Top, 6) << render;
    EXPECT_LE(ink.Right, 30 + label.Width()) << render;
    EXPECT_LE(ink.Bottom, 6 + label.Height()) << render;
    int red = 0, other = 0;
    for (int y = ink.Top; y < ink.Bottom; ++y)
      for (int x = ink.Left; x < ink.Right; ++x) {
        const TColor32 c = strip->Pixel(x, y);
        if (!IsInk(c)) continue;
        const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        if (r > 120 && g < r / 2 && b < r / 2)
          ++red;
        else if (g > r || b > r)
          ++other;
      }
    EXPECT_GT(red, 20) << render;
    EXPECT_LT(other, red / 4 + 1) << render;
  }
}

TEST_F(FrameWin, LabelGlowLightsAroundTheCaption) {
  TVelSkinNCLabel label(Form.get());
  label.SetCaption(L"Quorrel");
  label.Font().SetColor(clWhite);
  auto plain = TitleStrip(*Form);
  label.Paint(plain.get());
  label.Light().SetColor(clBlue);
  label.Light().SetBlurRadius(2);
  label.Light().SetActive(true);
  for (int maxWidth : {0, 100}) {
    label.SetMaxWidth(maxWidth);
    auto lit = TitleStrip(*Form);
    label.Paint(lit.get());
    int blue = 0;
    for (int y = 0; y < lit->Height(); ++y)
      for (int x = 0; x < lit->Width(); ++x) {
        const TColor32 c = lit->Pixel(x, y);
        blue += (c & 0xFF) > 40 && ((c >> 16) & 0xFF) < (c & 0xFF) / 2;
      }
    EXPECT_GT(blue, 20) << maxWidth;
    EXPECT_GT(CountDiffering(*lit, *plain), 20) << maxWidth;
  }
}

TEST_F(FrameWin, LabelPressWithoutCaptureOnlyFiresItsEvent) {
  ShowForm(*Form);
  TFormSpy spy(*Form);
  TVelSkinNCLabel label(Form.get());
  EXPECT_TRUE(label.CaptureMouse());
  label.SetCaptureMouse(false);
  int downs = 0, ups = 0;
  label.OnLMouseDown = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &label);
    ++downs;
  };
  label.OnLMouseUp = [&](TObject*) { ++ups; };
  label.LMouseDown();
  PumpFor(20);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 0);
  EXPECT_TRUE(spy.Commands.empty());
}

TEST_F(FrameWin, SystemButtonsTakeTheirDefaultPlaceFromTheRightEdge) {
  TVelSkinSystemButton close(Form.get());
  EXPECT_EQ(close.Kind(), bkClose);
  EXPECT_EQ(close.Picture().Image(), L"VelSkinBtn_close");
  // x 614..652 and y -1..17 inclusive.
  EXPECT_EQ(close.ClientRect(), (TRect{614, -1, 653, 18}));

  TVelSkinSystemButton minimize(Form.get());
  minimize.SetKind(bkMinimize);
  EXPECT_EQ(minimize.Picture().Image(), L"VelSkinBtn_mini");
  EXPECT_EQ(minimize.ClientRect(), (TRect{558, -1, 586, 18}));
  minimize.SetKind(bkMaximize);
  EXPECT_EQ(minimize.ClientRect(), (TRect{586, -1, 614, 18}));
  // The main window's minimize button places itself.
  minimize.Pos().SetUseDefault(false);
  minimize.SetKind(bkMinimize);
  minimize.Pos().SetXValue(70);
  EXPECT_EQ(minimize.ClientRect(), (TRect{584, -1, 612, 18}));
  // A strip id that names no image leaves a button of no size.
  minimize.SetMinimizeImage(L"NoSuchStrip");
  EXPECT_EQ(minimize.Width(), 0);
  EXPECT_EQ(minimize.Height(), 0);
}

TEST_F(FrameWin, MaximizeButtonShowsTheRestoreStripAndSendsRestoreOnAMaximizedForm) {
  ShowForm(*Form);
  TFormSpy spy(*Form, true);
  TVelSkinSystemButton button(Form.get());
  button.SetKind(bkMaximize);
  int clicks = 0;
  button.OnClick = [&](TObject*) { ++clicks; };
  button.Paint(TitleStrip(*Form).get());
  EXPECT_EQ(button.Picture().Image(), L"VelSkinBtn_max");
  button.LMouseDown();
  button.LMouseUp();
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(spy.Commands, std::vector<UINT>{SC_MAXIMIZE});
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(Form->Handle()) != 0; }));

  // Hot after the click; normal again once the mouse is away.
  EXPECT_EQ(button.State(), bsHot);
  button.MouseLeave();
  auto strip = TitleStrip(*Form);
  button.Paint(strip.get());
  EXPECT_EQ(button.Picture().Image(), L"VelSkinBtn_restore");
  EXPECT_EQ(button.Width(), 28);
  // The restore strip's normal frame is what lies at the button's place.
  TBitmap32 frame;
  ASSERT_TRUE(button.Picture().GetNormalImage(&frame));
  auto expected = TitleStrip(*Form);
  frame.DrawTo(expected.get(), button.Pos().X(), button.Pos().Y());
  EXPECT_EQ(button.Pos().X(), Form->Width() - 67);
  EXPECT_EQ(CountDiffering(*strip, *expected), 0);
  EXPECT_GT(InkBounds(*strip).Right, 0);

  button.LMouseDown();
  button.LMouseUp();
  ASSERT_EQ(spy.Commands, (std::vector<UINT>{SC_MAXIMIZE, SC_RESTORE}));
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(Form->Handle()) == 0; }));
  button.Paint(TitleStrip(*Form).get());
  EXPECT_EQ(button.Picture().Image(), L"VelSkinBtn_max");
}

TEST_F(FrameWin, DisabledSystemButtonPaintsFrameZeroAndSendsNothing) {
  ShowForm(*Form);
  TFormSpy spy(*Form);
  TVelSkinSystemButton button(Form.get());
  int clicks = 0;
  button.OnClick = [&](TObject*) { ++clicks; };
  button.MouseEnter();
  EXPECT_EQ(button.State(), bsHot);
  auto hot = TitleStrip(*Form);
  button.Paint(hot.get());
  button.SetEnabled(false);
  auto disabled = TitleStrip(*Form);
  button.Paint(disabled.get());

  TBitmap32 frame0;
  ASSERT_TRUE(button.Picture().GetNormalImage(&frame0));
  auto expected = TitleStrip(*Form);
  frame0.DrawTo(expected.get(), 614, -1);
  EXPECT_EQ(CountDiffering(*disabled, *expected), 0);
  EXPECT_GT(CountDiffering(*disabled, *hot), 0);

  button.LMouseDown();
  button.LMouseUp();
  PumpFor(20);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(spy.Commands.empty());
  EXPECT_EQ(button.State(), bsHot);
}

TEST_F(FrameWin, CaptionedButtonGrowsToItsTextAndDrawsItWithTheHotFontWhenHot) {
  TVelSkinNCButton button(Form.get());
  EXPECT_EQ(button.Width(), 0);  // no strip
  button.Pos().SetXValue(200);
  button.Pos().SetYValue(4);
  button.SetCaption(L"Menu");
  button.CaptionOffset().SetX(3);
  button.Font().SetColor(clRed);
  button.HotFont().SetColor(clLime);
  auto normal = TitleStrip(*Form);
  button.Paint(normal.get());
  EXPECT_GT(button.Width(), 15);
  EXPECT_GT(button.Height(), 8);
  const TRect ink = InkBounds(*normal);
  ASSERT_LT(ink.Left, ink.Right);
  EXPECT_GE(ink.Left, 203);
  EXPECT_LE(ink.Right, 203 + button.Width());
  button.MouseEnter();
  auto hot = TitleStrip(*Form);
  button.Paint(hot.get());
  int red = 0, green = 0;
  for (int y = 0; y < hot->Height(); ++y)
    for (int x = 0; x < hot->Width(); ++x) {
      red += ((normal->Pixel(x, y) >> 16) & 0xFF) > 200;
      green += ((hot->Pixel(x, y) >> 8) & 0xFF) > 200;
    }
  EXPECT_GT(red, 10);
  EXPECT_GT(green, 10);
}

TEST_F(FrameWin, ButtonWithItsOwnCursorRaisesTheCursorFlagWhileTheMouseIsOverIt) {
  ShowForm(*Form);
  TVelSkinSystemButton button(Form.get());
  button.SetCursor(crHandPoint);
  RECT window;
  GetWindowRect(Form->Handle(), &window);
  const TRect r = button.ClientRect();
  ASSERT_TRUE(MoveCursor(TPoint{window.left + r.Left + 5, window.top + r.Top + 5}));
  button.NCMouseMove(TPoint{0, 0});
  ASSERT_TRUE(button.CursorEnter());
  EXPECT_TRUE(NCButtonCursorSet);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  ASSERT_TRUE(MoveCursor(TPoint{window.left + 20, window.top + 200}));
  // Wine may still report the old position for a moment after agreeing once.
  EXPECT_TRUE(PumpUntil([&] {
    button.NCMouseMove(TPoint{0, 0});
    return !button.CursorEnter();
  }, 1000));
  EXPECT_FALSE(NCButtonCursorSet);
  // A button without a cursor of its own leaves the flag alone.
  TVelSkinSystemButton plain(Form.get());
  plain.MouseEnter();
  EXPECT_FALSE(NCButtonCursorSet);
}

TEST_F(FrameWin, CursorLeavingTheWindowEndsInMouseLeaveFromThePolling) {
  ShowForm(*Form);
  TVelSkinSystemButton button(Form.get());
  int enters = 0, leaves = 0;
  button.OnMouseEnter = [&](TObject*) { ++enters; };
  button.OnMouseLeave = [&](TObject*) { ++leaves; };
  RECT window;
  GetWindowRect(Form->Handle(), &window);
  const TRect r = button.ClientRect();
  ASSERT_TRUE(MoveCursor(TPoint{window.left + r.Left + 10, window.top + r.Top + 8}));
  button.NCMouseMove(TPoint{0, 0});
  ASSERT_TRUE(button.CursorEnter());
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(button.State(), bsHot);
  // Out of the window without any non-client move.
  ASSERT_TRUE(MoveCursor(TPoint{window.right + 100, window.bottom + 100}));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(PumpUntil([&] { return leaves > 0; }, 1000));
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::printf("mouse leave seen after %lld ms\n", static_cast<long long>(ms));
  EXPECT_FALSE(button.CursorEnter());
  EXPECT_EQ(button.State(), bsNormal);
  PumpFor(250);
  EXPECT_EQ(leaves, 1);
}

TEST_F(FrameWin, ControlRegistersUntilHookedAndAFreedControlsQueuedRegistrationIsDropped) {
  TFormSpy spy(*Form);
  auto kept = std::make_unique<TVelSkinNCLabel>(Form.get());
  auto freed = std::make_unique<TVelSkinNCLabel>(Form.get());
  const WPARAM freedParam = AsParam(freed.get());
  freed.reset();
  PumpFor(30);
  EXPECT_EQ(CountOf(spy.Registrations, AsParam(kept.get())), 1);
  EXPECT_EQ(CountOf(spy.Registrations, freedParam), 0);
  // Not hooked yet: asked again on the 100 ms poll.
  EXPECT_TRUE(PumpUntil([&] { return CountOf(spy.Registrations, AsParam(kept.get())) >= 2; }, 1000));
  kept->SetHooked(true);
  PumpFor(30);
  const int count = CountOf(spy.Registrations, AsParam(kept.get()));
  PumpFor(300);
  EXPECT_EQ(CountOf(spy.Registrations, AsParam(kept.get())), count);
}

TEST_F(FrameWin, ControlsGiveBackEverythingTheyCreate) {
  Form->HandleNeeded();
  ShowForm(*Form);
  const TLiveCounts before = LiveCounts();
  {
    TVelSkinNCLabel label(Form.get());
    TVelSkinSystemButton button(Form.get());
    TVelSkinNCButton captioned(Form.get());
    captioned.SetCaption(L"Menu");
    label.SetHint(L"A hint");
    auto strip = TitleStrip(*Form);
    label.Paint(strip.get());
    button.Paint(strip.get());
    captioned.Paint(strip.get());
    label.MouseEnter();
    PumpFor(120);
    label.MouseLeave();
  }
  PumpFor(20);
  EXPECT_EQ(LiveCounts(), before);
}
