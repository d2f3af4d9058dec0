// The skinned scroll bar in a real window: its picture read back from the
// back buffer for each state (arrows gone while the mouse is away, hot and
// pressed images by real mouse input), arrow and page repeats while the
// button is held, a thumb drag, keys and the wheel on a focusable bar,
// AutoHide, the thickness, and what many bars leave behind.
#include <gtest/gtest.h>

#include "skin/controls/scroll_bar.h"
#include "skin/controls/tests/controls_test_support.h"
#include "skin/resources/skin_draw.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/live_counts.h"

namespace {

constexpr uint32_t White = 0xFFFFFF;

void Wheel(int Delta) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_WHEEL;
  in.mi.mouseData = static_cast<DWORD>(Delta);
  SendInput(1, &in, sizeof(in));
}

// Rebuilds the bar's picture now.
const TBitmap32& Repainted(TVelSkinScrollBar& B) {
  B.Invalidate();
  UpdateWindow(B.Handle());
  return *B.Buffer();
}

// How the rectangle R of a vertical bar's picture must look on the white
// bar: the image three-slice stretched to R's height and blended over white,
// its top-left at R's.
int RegionMismatches(const TBitmap32& Picture, const TRect& R, const wchar_t* ImageId) {
  TVelSkinImage* image = SkinResManager()->GetImageByName(ImageId);
  if (!image) return -1;
  TBitmap32 expected;
  expected.SetSize(R.Width(), R.Height());
  expected.Clear(0xFFFFFFFF);
  auto stretched = StretchVert3(image, R.Height());
  stretched->SetDrawMode(dmBlend);
  stretched->DrawTo(&expected, 0, 0);
  int n = 0;
  for (int y = 0; y < R.Height(); ++y)
    for (int x = 0; x < R.Width(); ++x)
      n += (Picture.Pixel(R.Left + x, R.Top + y) & 0xFFFFFF) != (expected.Pixel(x, y) & 0xFFFFFF);
  return n;
}

int NonWhite(const TBitmap32& Picture, const TRect& R) {
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) n += (Picture.Pixel(x, y) & 0xFFFFFF) != White;
  return n;
}

class ScrollBarWin : public RealInputWin {
protected:
  ScrollBarWin() : RealInputWin(200, 150, 400, 400) {}
  // A vertical bar as the list box makes one: white, opaque, no page.
  TVelSkinScrollBar* AddBar(int Length = 200, TScrollBarKind Kind = sbVertical) {
    auto* b = new TVelSkinScrollBar(Form.get());
    b->SetKind(Kind);
    b->SetTransparent(false);
    b->SetParent(Form.get());
    if (Kind == sbVertical)
      b->SetBounds(40, 40, 20, Length);
    else
      b->SetBounds(40, 40, Length, 20);
    b->OnChange = [this](TObject*) { ++Changes; };
    b->OnMouseMove = [this](TObject*, TShiftState, int X, int Y) { LastMove = TPoint{X, Y}; };
    UpdateWindow(b->Handle());
    return b;
  }
  // Puts the real cursor on a point of the bar (client coordinates) and
  // waits until the bar has seen it there and no late move of an earlier
  // position (Wine may deliver one after the new one) has taken it away.
  bool CursorTo(TVelSkinScrollBar& B, int X, int Y) {
    const TPoint p = B.ClientToScreen(TPoint{X, Y});
    auto there = [&] { return LastMove.X == X && LastMove.Y == Y; };
    for (int attempt = 0; attempt < 5; ++attempt) {
      if (!MoveCursor(p.X, p.Y) || !PumpUntil(there)) continue;
      PumpFor(30);
      if (there()) return true;
    }
    return false;
  }
  // A real left press there. The event carries the point itself: under Wine
  // a press sent right after a cursor move may come with the old position.
  void PressAt(TVelSkinScrollBar& B, int X, int Y) {
    ASSERT_TRUE(CursorTo(B, X, Y));
    ButtonAt(B, X, Y, MOUSEEVENTF_LEFTDOWN);
  }
  // A real left release there, likewise carrying its point.
  void ReleaseAt(TVelSkinScrollBar& B, int X, int Y) { ButtonAt(B, X, Y, MOUSEEVENTF_LEFTUP); }
  void ButtonAt(TVelSkinScrollBar& B, int X, int Y, DWORD Flag) {
    const TPoint p = B.ClientToScreen(TPoint{X, Y});
    SendButtonAt(p.X, p.Y, Flag);
  }
  static TPoint Centre(const TRect& R) { return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
  // A stopped press stays stopped: no more steps, nothing held, no timer left.
  void ExpectStopped(TVelSkinScrollBar& B, long Timers) {
    const int stopped = B.Position();
    PumpFor(150);
    EXPECT_EQ(B.Position(), stopped);
    EXPECT_EQ(B.TimerMode(), stmNone);
    EXPECT_EQ(B.CaptureButton(), sbpNone);
    EXPECT_EQ(LiveCounts().Timers, Timers);
  }
  int Changes = 0;
  TPoint LastMove{-1, -1};
};

// ---- Looks ---------------------------------------------------------------------------------

TEST_F(ScrollBarWin, ArrowsShowOnlyWhileTheMouseIsOverTheBar) {
  TVelSkinScrollBar* b = AddBar();
  ASSERT_EQ(b->Width(), 10);  // the track image's width
  const TBitmap32& away = Repainted(*b);
  const TScrollLayout& l = b->Layout();
  ASSERT_EQ(l.Parts[sbpStartArrow], (TRect{0, 0, 10, 9}));
  ASSERT_EQ(l.Parts[sbpEndArrow], (TRect{0, 191, 10, 200}));
  EXPECT_EQ(NonWhite(away, l.Parts[sbpStartArrow]), 0);
  EXPECT_EQ(NonWhite(away, l.Parts[sbpEndArrow]), 0);
  EXPECT_GT(NonWhite(away, l.Parts[sbpThumb]), 20);  // the thumb always shows
  // The track image is transparent: the bar's colour between thumb and arrows.
  EXPECT_EQ(NonWhite(away, TRect{0, l.Parts[sbpThumb].Bottom, 10, 191}), 0);

  // Over the thumb: both arrows in their normal look, the thumb hot.
  const TPoint thumb = Centre(l.Parts[sbpThumb]);
  ASSERT_TRUE(CursorTo(*b, thumb.X, thumb.Y));
  ASSERT_TRUE(PumpUntil([&] { return b->ActiveButton() == sbpThumb; }));
  const TBitmap32& over = Repainted(*b);
  EXPECT_EQ(RegionMismatches(over, l.Parts[sbpStartArrow], L"VelSkinScrollbar_arrowup_normal"), 0);
  EXPECT_EQ(RegionMismatches(over, l.Parts[sbpEndArrow], L"VelSkinScrollbar_arrowdown_normal"), 0);
  EXPECT_GT(NonWhite(over, l.Parts[sbpStartArrow]), 5);

  // Over the end arrow: its highlight; the start arrow stays normal.
  ASSERT_TRUE(CursorTo(*b, 5, 195));
  ASSERT_TRUE(PumpUntil([&] { return b->ActiveButton() == sbpEndArrow; }));
  const TBitmap32& hot = Repainted(*b);
  EXPECT_EQ(RegionMismatches(hot, l.Parts[sbpEndArrow], L"VelSkinScrollbar_arrowdown_highlight"), 0);
  EXPECT_GT(RegionMismatches(hot, l.Parts[sbpEndArrow], L"VelSkinScrollbar_arrowdown_normal"), 0);
  EXPECT_EQ(RegionMismatches(hot, l.Parts[sbpStartArrow], L"VelSkinScrollbar_arrowup_normal"), 0);

  // Held: the pressed image.
  PressAt(*b, 5, 195);
  ASSERT_TRUE(PumpUntil([&] { return b->CaptureButton() == sbpEndArrow; }));
  EXPECT_EQ(RegionMismatches(Repainted(*b), l.Parts[sbpEndArrow], L"VelSkinScrollbar_arrowdown_down"), 0);
  SendButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return b->CaptureButton() == sbpNone; }));

  // Away again: the arrows are gone.
  ASSERT_TRUE(MoveCursor(AwayX, AwayY));
  ASSERT_TRUE(PumpUntil([&] { return !b->MouseInControl(); }));
  const TBitmap32& gone = Repainted(*b);
  EXPECT_EQ(NonWhite(gone, l.Parts[sbpStartArrow]), 0);
  EXPECT_EQ(NonWhite(gone, l.Parts[sbpEndArrow]), 0);
}

TEST_F(ScrollBarWin, ThumbImagesAndADisabledBarWithoutThumb) {
  TVelSkinScrollBar* b = AddBar();
  const TRect thumb = b->Layout().Parts[sbpThumb];
  ASSERT_EQ(thumb.Height(), 20);
  // The 42-px thumb image squeezed to 20 by three slices.
  EXPECT_EQ(RegionMismatches(Repainted(*b), thumb, L"VelSkinScrollbar_bar_normal"), 0);
  // Hot over the thumb, pressed while held.
  const TPoint centre = Centre(thumb);
  ASSERT_TRUE(CursorTo(*b, centre.X, centre.Y));
  ASSERT_TRUE(PumpUntil([&] { return b->ActiveButton() == sbpThumb; }));
  EXPECT_EQ(RegionMismatches(Repainted(*b), thumb, L"VelSkinScrollbar_bar_highlight"), 0);
  EXPECT_GT(RegionMismatches(Repainted(*b), thumb, L"VelSkinScrollbar_bar_normal"), 20);
  PressAt(*b, centre.X, centre.Y);
  ASSERT_TRUE(PumpUntil([&] { return b->ThumbDragging(); }));
  EXPECT_EQ(RegionMismatches(Repainted(*b), thumb, L"VelSkinScrollbar_bar_down"), 0);
  SendButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return !b->ThumbDragging(); }));

  b->SetEnabled(false);
  EXPECT_EQ(NonWhite(Repainted(*b), thumb), 0);
}

TEST_F(ScrollBarWin, MissingImagesDrawNothingAndFailNothing) {
  TVelSkinScrollBar* b = AddBar();
  b->SetImage(&TScrollBarImages::ArrowUpHighlight, L"NoSuchArrow");
  EXPECT_EQ(NonWhite(Repainted(*b), TRect{0, 0, 10, 200}), 0);
  b->SetImage(&TScrollBarImages::ArrowUpHighlight, L"VelSkinScrollbar_arrowup_highlight");
  b->SetImage(&TScrollBarImages::BarNormal, L"NoSuchThumb");
  EXPECT_EQ(NonWhite(Repainted(*b), b->Layout().Parts[sbpThumb]), 0);
  // No track image: no thickness.
  b->SetImage(&TScrollBarImages::Bkg, L"NoSuchTrack");
  EXPECT_EQ(b->GetRealSize(), 0);
  for (const TRect r : {TRect{0, 0, 0, 0}, TRect{5, 5, 10, 3}, TRect{5, 5, 10, 30000}}) {
    b->SetBounds(r.Left, r.Top, r.Right, r.Bottom);
    Repainted(*b);
  }
}

TEST_F(ScrollBarWin, ThicknessComesFromTheTrackImage) {
  TVelSkinScrollBar* h = AddBar(200, sbHorizontal);
  EXPECT_EQ(h->GetRealSize(), 10);
  h->SetBounds(10, 10, 150, 40);
  EXPECT_EQ(h->Height(), 10);
  EXPECT_EQ(h->Width(), 150);
  // A turn to vertical stands the bar up and forces its width instead.
  h->SetKind(sbVertical);
  EXPECT_EQ(h->Width(), 10);
  EXPECT_EQ(h->Height(), 150);
  auto* fresh = new TVelSkinScrollBar(Form.get());
  EXPECT_EQ(fresh->Width(), 200);
  EXPECT_EQ(fresh->Height(), 19);
  EXPECT_EQ(fresh->Kind(), sbHorizontal);
  EXPECT_EQ(fresh->Max(), 100);
  EXPECT_EQ(fresh->SmallChange(), 1);
  EXPECT_EQ(fresh->LargeChange(), 1);
  EXPECT_EQ(fresh->ActiveButton(), sbpNone);
}

// ---- Presses -------------------------------------------------------------------------------

TEST_F(ScrollBarWin, HeldArrowRepeatsPausesOffTheArrowAndStopsOnRelease) {
  TVelSkinScrollBar* b = AddBar();
  b->SetRange(0, 1000, 0, 0);
  const long timers = LiveCounts().Timers;
  PressAt(*b, 5, 195);
  ASSERT_TRUE(PumpUntil([&] { return b->Position() >= 1; }));
  EXPECT_EQ(b->TimerMode(), stmStepForward);
  // The first step is the press itself; then one every 50 ms after an 11-ms wait.
  PumpFor(400);
  const int held = b->Position();
  EXPECT_GE(held, 4);
  EXPECT_LE(held, 12);  // an 11-ms repeat would have made about 36
  EXPECT_EQ(Changes, held);

  // Off the held arrow the repeat pauses; back on it, it goes on.
  ASSERT_TRUE(CursorTo(*b, 5, 100));
  PumpFor(60);
  const int paused = b->Position();
  PumpFor(200);
  EXPECT_EQ(b->Position(), paused);
  ASSERT_TRUE(CursorTo(*b, 5, 195));
  ASSERT_TRUE(PumpUntil([&] { return b->Position() > paused; }, 1000));

  SendButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return b->CaptureButton() == sbpNone; }));
  ExpectStopped(*b, timers);
  const int released = b->Position();

  // The start arrow steps back, and an assigned handler replaces the step.
  int downClicks = 0;
  b->OnDownButtonClick = [&](TObject*) { ++downClicks; };
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 3));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 3));
  EXPECT_EQ(downClicks, 1);
  EXPECT_EQ(b->Position(), released);
  b->OnDownButtonClick = nullptr;
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 3));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 3));
  EXPECT_EQ(b->Position(), released - 1);
}

TEST_F(ScrollBarWin, HeldPageRepeatStopsWhenTheThumbReachesTheMouse) {
  TVelSkinScrollBar* b = AddBar(300);
  b->SetRange(0, 100, 0, 0);
  b->SetLargeChange(5);
  int pageDowns = 0;
  b->OnPageDown = [&](TObject*) { ++pageDowns; };
  Repainted(*b);
  PressAt(*b, 5, 200);
  ASSERT_TRUE(PumpUntil([&] { return b->Position() >= 5; }));
  ASSERT_TRUE(PumpUntil([&] { return b->TimerMode() == stmNone; }, 3000));
  const int stopped = b->Position();
  PumpFor(150);
  EXPECT_EQ(b->Position(), stopped);
  // The thumb has reached the point: it is no longer before it.
  const TRect thumb = b->Layout().Parts[sbpThumb];
  EXPECT_LE(thumb.Top, 200);
  EXPECT_GT(thumb.Bottom, 200);
  EXPECT_EQ(pageDowns, stopped / 5);
  SendButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return b->CaptureButton() == sbpNone && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000); }));

  // Paging back towards the start, by real input too.
  int pageUps = 0;
  b->OnPageUp = [&](TObject*) { ++pageUps; };
  PressAt(*b, 5, 12);
  ASSERT_TRUE(PumpUntil([&] { return b->Position() == 0; }, 3000));
  SendButton(MOUSEEVENTF_LEFTUP);
  PumpFor(30);
  EXPECT_EQ(pageUps, stopped / 5);
}

TEST_F(ScrollBarWin, APressWhoseReleaseGoesElsewhereStopsRepeating) {
  TVelSkinScrollBar* b = AddBar();
  b->SetRange(0, 1000, 0, 0);
  const long timers = LiveCounts().Timers;
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 195));
  ASSERT_TRUE(PumpUntil([&] { return b->Position() >= 3; }));
  // Another window takes the mouse (a dialog opened by a handler, say).
  ReleaseCapture();
  ASSERT_TRUE(PumpUntil([&] { return b->TimerMode() == stmNone; }));
  ExpectStopped(*b, timers);

  // A thumb drag likewise ends at the next move instead of following a free mouse.
  b->SetPosition(0);
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 15));
  ASSERT_TRUE(b->ThumbDragging());
  ReleaseCapture();
  b->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(5, 120));
  EXPECT_FALSE(b->ThumbDragging());
  EXPECT_EQ(b->Position(), 0);
}

TEST_F(ScrollBarWin, DraggedThumbMovesThePositionAndEndsWithOneLastChange) {
  TVelSkinScrollBar* b = AddBar(218);  // track 200, thumb 20, span 180
  b->SetRange(0, 90, 0, 0);
  int lastChanges = 0;
  b->OnLastChange = [&](TObject*) { ++lastChanges; };
  Repainted(*b);
  const TPoint thumb = Centre(b->Layout().Parts[sbpThumb]);
  PressAt(*b, thumb.X, thumb.Y);
  ASSERT_TRUE(PumpUntil([&] { return b->ThumbDragging(); }));
  // 180 px of travel are 90 positions: 2 px a step.
  ASSERT_TRUE(CursorTo(*b, thumb.X, thumb.Y + 60));
  ASSERT_TRUE(PumpUntil([&] { return b->Position() == 30; }));
  // Held off the bar (past its end and beside it, still over the form) the
  // drag goes on: the bar has the mouse.
  ASSERT_TRUE(CursorTo(*b, thumb.X + 50, thumb.Y + 250));
  ASSERT_TRUE(PumpUntil([&] { return b->Position() == 90; }));
  ASSERT_TRUE(CursorTo(*b, thumb.X, thumb.Y + 100));
  ASSERT_TRUE(PumpUntil([&] { return b->Position() == 50; }));
  EXPECT_EQ(lastChanges, 0);
  ReleaseAt(*b, thumb.X, thumb.Y + 100);
  ASSERT_TRUE(PumpUntil([&] { return !b->ThumbDragging(); }));
  PumpFor(30);
  EXPECT_EQ(lastChanges, 1);
  EXPECT_EQ(b->Position(), 50);
  EXPECT_EQ(b->CaptureButton(), sbpNone);
  // A click on the arrows fires no OnLastChange.
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 214));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 214));
  EXPECT_EQ(lastChanges, 1);
}

// ---- Keys and wheel -----------------------------------------------------------------------

TEST_F(ScrollBarWin, FocusableBarStepsByKeysAndWheelAndLooksPressed) {
  TVelSkinScrollBar* b = AddBar();
  b->SetRange(0, 100, 0, 50);
  // Not focusable: the keys do nothing.
  b->Perform(WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(b->Position(), 50);
  EXPECT_FALSE(b->TabStop());

  b->SetCanFocused(true);
  b->SetSmallChange(3);
  EXPECT_TRUE(b->TabStop());
  // A press gives it the focus.
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 150));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 150));
  ASSERT_TRUE(b->Focused());
  b->SetPosition(50);
  TapKey(VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return b->Position() == 53; }));
  TapKey(VK_RIGHT);
  ASSERT_TRUE(PumpUntil([&] { return b->Position() == 56; }));
  TapKey(VK_UP);
  TapKey(VK_LEFT);
  ASSERT_TRUE(PumpUntil([&] { return b->Position() == 50; }));

  const TPoint mid = b->ClientToScreen(TPoint{5, 100});
  ASSERT_TRUE(MoveCursor(mid.X, mid.Y));
  Wheel(-WHEEL_DELTA);
  ASSERT_TRUE(PumpUntil([&] { return b->Position() == 53; }));
  Wheel(WHEEL_DELTA);
  ASSERT_TRUE(PumpUntil([&] { return b->Position() == 50; }));

  // Focused, every part shows pressed, the arrows even with the mouse away.
  ASSERT_TRUE(MoveCursor(AwayX, AwayY));
  ASSERT_TRUE(PumpUntil([&] { return !b->MouseInControl(); }));
  const TBitmap32& focused = Repainted(*b);
  EXPECT_EQ(RegionMismatches(focused, b->Layout().Parts[sbpEndArrow], L"VelSkinScrollbar_arrowdown_down"), 0);
  EXPECT_GT(NonWhite(focused, b->Layout().Parts[sbpEndArrow]), 5);
}

TEST_F(ScrollBarWin, AutoHideShowsTheBarWhileAPageIsSet) {
  TVelSkinScrollBar* b = AddBar();
  b->SetAutoHide(true);
  EXPECT_FALSE(b->Visible());
  b->SetRange(0, 99, 10, 0);
  EXPECT_TRUE(b->Visible());
  b->SetRange(0, 99, 0, 0);
  EXPECT_FALSE(b->Visible());

  // Aligned: a one-shot timer lets the parent lay the bar out again.
  const long timers = LiveCounts().Timers;
  b->SetAlign(alRight);
  b->SetRange(0, 99, 10, 0);
  EXPECT_TRUE(b->Visible());
  EXPECT_EQ(LiveCounts().Timers, timers + 1);
  ASSERT_TRUE(PumpUntil([&] { return LiveCounts().Timers == timers; }));
  EXPECT_EQ(b->Left(), Form->ClientWidth() - b->Width());
  EXPECT_EQ(b->Height(), Form->ClientHeight());
}

// ---- Leaks ---------------------------------------------------------------------------------

TEST_F(ScrollBarWin, ManyBarsLeaveTheLiveCountsFlat) {
  const auto cycle = [this](int I) {
    auto* b = new TVelSkinScrollBar(Form.get());
    b->SetKind(I % 2 ? sbVertical : sbHorizontal);
    b->SetParent(Form.get());
    b->SetBounds(10, 10, I % 2 ? 20 : 150, I % 2 ? 150 : 20);
    b->SetRange(0, 99, I % 3, I % 50);
    b->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(b));
    Repainted(*b);
    // Freed while an arrow is held: its repeat timer goes with it.
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    Application->ProcessMessages();
    delete b;
  };
  cycle(0);
  Application->ProcessMessages();
  const TLiveCounts before = LiveCounts();
  for (int i = 1; i <= 300; ++i) cycle(i);
  Application->ProcessMessages();
  EXPECT_EQ(LiveCounts(), before);
}

}  // namespace
