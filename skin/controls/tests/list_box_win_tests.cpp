// Skinned list boxes and the pop-up list in real windows: rows in their
// colours read back from the screen, the scroll bar made exactly while the
// rows do not fit and scrolling the list, the pop-up as a top-level window
// that keeps its place and never takes the activation, its frame, leaks over
// many openings, and a very long list.
#include "skin/controls/list_box.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/tests/controls_test_support.h"

#include "toolkit/win/live_counts.h"

#include <string>

namespace {

constexpr TColor Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Yellow = 0x00FFFF;

void Fill(TVelSkinCustomListBox* List, int Count) {
  List->Items().BeginUpdate();
  for (int i = 0; i < Count; ++i) List->Items().Add(L"Item " + std::to_wstring(i));
  List->Items().EndUpdate();
}

// A pixel of the inner list on screen, in the inner list's coordinates.
uint32_t ListPixel(TVelSkinCustomListBox* List, int X, int Y) {
  const TPoint o = List->ListBox()->ClientToScreen(TPoint{X, Y});
  return ScreenPixel(o.X, o.Y);
}

void Click(TPoint Screen) {
  ASSERT_TRUE(MoveCursor(Screen.X, Screen.Y));
  SendButton(MOUSEEVENTF_LEFTDOWN);
  SendButton(MOUSEEVENTF_LEFTUP);
  PumpFor(100);
}

}  // namespace

TEST_F(ControlsWin, ListRowsAreDrawnInTheirColoursAndTheSelectedRowStandsOut) {
  auto* list = Add<TVelSkinListBox>(Form.get(), 10, 10, 120, 120);
  Fill(list, 3);
  list->SetItemIndex(1);
  list->ListBox()->SetItemBackgroundColor(Green);
  list->ListBox()->SetItemSelectedColor(Red);
  ShowForm();
  EXPECT_EQ(list->ListBox()->BoundsRect(), (TRect{3, 3, 117, 117}));
  EXPECT_EQ(list->ScrollBar(), nullptr);
  const int right = list->ListBox()->Width() - 4;  // clear of the text
  EXPECT_EQ(ListPixel(list, right, 10), Rgb(Green));
  EXPECT_EQ(ListPixel(list, right, 30), Rgb(Red));
  EXPECT_EQ(ListPixel(list, right, 50), Rgb(Green));
  EXPECT_EQ(ListPixel(list, right, 70), Rgb(clWindow));  // below the last row
  // Some text is drawn in the row, in the normal font colour (black).
  bool text = false;
  for (int x = 2; x < 60 && !text; ++x)
    for (int y = 42; y < 58 && !text; ++y) text = ListPixel(list, x, y) == 0;
  EXPECT_TRUE(text);
  // The border panel's frame around it.
  const TPoint o = list->ClientToScreen(TPoint{0, 0});
  EXPECT_EQ(ScreenPixel(o.X, o.Y + 60), 0xC4C4C4u);

  // A new selection repaints both rows.
  list->SetItemIndex(2);
  PaintNow(Form.get());
  EXPECT_EQ(ListPixel(list, right, 30), Rgb(Green));
  EXPECT_EQ(ListPixel(list, right, 50), Rgb(Red));

  // OnDrawItem draws the rows instead, on the row's own canvas.
  int calls = 0;
  list->OnDrawItem = [&](TObject* Sender, TCanvas* Cnvs, int32_t Index, int32_t W, int32_t H, TRect TxtRect,
                         TOwnerDrawState State) {
    ++calls;
    EXPECT_EQ(Sender, list->ListBox());
    EXPECT_EQ(H, 20);
    EXPECT_EQ(TxtRect, (TRect{2, 0, W - 2, H}));
    EXPECT_EQ((State & odSelected) != 0, Index == 2);
    Cnvs->Brush().SetColor(Blue);
    Cnvs->FillRect(TRect{0, 0, W, H});
  };
  list->ListBox()->Invalidate();
  PaintNow(Form.get());
  EXPECT_GE(calls, 3);
  EXPECT_EQ(ListPixel(list, 5, 10), Rgb(Blue));
}

TEST_F(ControlsWin, ListShowsAScrollBarExactlyWhileTheRowsDoNotFitAndScrollsThroughIt) {
  auto* list = Add<TVelSkinListBox>(Form.get(), 10, 10, 120, 120);
  Fill(list, 8);
  list->SetRowCount(8);
  ShowForm();
  EXPECT_EQ(list->Height(), 8 * 20 + 4);
  EXPECT_EQ(list->ScrollBar(), nullptr);
  const int fullWidth = list->ListBox()->Width();

  list->Items().Add(L"one more");
  TVelSkinScrollBar* bar = list->ScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Kind(), sbVertical);
  EXPECT_EQ(bar->Parent(), list);
  EXPECT_EQ(bar->Left() + bar->Width(), 117);
  EXPECT_EQ(list->ListBox()->Left() + list->ListBox()->Width(), bar->Left());
  EXPECT_LT(list->ListBox()->Width(), fullWidth);
  EXPECT_EQ(bar->Max(), 8);

  // The bar scrolls the list, and the list's own scrolling moves the bar.
  bar->SetPosition(1);
  EXPECT_EQ(list->TopIndex(), 1);
  list->SetTopIndex(0);
  EXPECT_EQ(bar->Position(), 0);
  // The wheel steps one row.
  SendMessageW(list->ListBox()->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
               MAKELPARAM(list->ListBox()->ClientOrigin().X + 5, list->ListBox()->ClientOrigin().Y + 5));
  EXPECT_EQ(list->TopIndex(), 1);
  EXPECT_EQ(bar->Position(), 1);

  // Fitting again frees the bar and gives the list its width back.
  list->Items().Delete(8);
  EXPECT_EQ(list->ScrollBar(), nullptr);
  EXPECT_EQ(list->ListBox()->Width(), fullWidth);
  list->Items().Clear();
  EXPECT_EQ(list->ScrollBar(), nullptr);
  PaintNow(Form.get());
  EXPECT_EQ(ListPixel(list, 20, 10), Rgb(clWindow));
}

TEST_F(ControlsWin, PopupListIsATopLevelToolWindowThatKeepsItsPlaceAndNeverActivates) {
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  auto* popup = new TVelPopupListBox(Form.get());
  popup->SetParent(Form.get());
  popup->SetWidth(140);
  Fill(popup, 5);
  popup->SetRowCount(5);
  EXPECT_FALSE(popup->Visible());
  HWND window = popup->Handle();
  EXPECT_EQ(popup->Parent(), Form.get());
  EXPECT_EQ(GetParent(window), nullptr);
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE), ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CHILD | WS_CAPTION | WS_BORDER));
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(GetClassLongPtrW(window, GCL_STYLE) & CS_SAVEBITS);
  EXPECT_FALSE(IsWindowVisible(window));
  // The 1-pixel border: the list from x 2 to 138.
  EXPECT_EQ(popup->ListBox()->Left(), 2);
  EXPECT_EQ(popup->ListBox()->Left() + popup->ListBox()->Width(), 138);

  const TPoint origin = Form->ClientToScreen(TPoint{40, 60});
  popup->Show(origin);
  PumpFor(50);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(popup->Visible());
  EXPECT_EQ(GetForegroundWindow(), Form->Handle());
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, origin.X);
  EXPECT_EQ(r.top, origin.Y);
  EXPECT_EQ(popup->Left(), origin.X);
  EXPECT_EQ(popup->Top(), origin.Y);

  // A click picks the row and leaves the activation with the form.
  Click(popup->ListBox()->ClientToScreen(TPoint{60, 2 * 20 + 10}));
  EXPECT_EQ(popup->ItemIndex(), 2);
  EXPECT_EQ(GetForegroundWindow(), Form->Handle());
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_EQ(SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window), 0), MA_NOACTIVATE);

  // Hiding and showing again, and the form moving, leave it where it was put.
  popup->Hide();
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(popup->Visible());
  Form->SetBounds(Form->Left() + 30, Form->Top() + 20, Form->Width(), Form->Height());
  popup->Show(origin);
  PumpFor(30);
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, origin.X);
  EXPECT_EQ(r.top, origin.Y);
  EXPECT_EQ(popup->BoundsRect().Left, origin.X);
  popup->Hide();
}

TEST_F(ControlsWin, PopupFrameLinesAndRowsUseTheMenuColours) {
  ShowForm();
  auto* popup = new TVelPopupListBox(Form.get());
  popup->SetParent(Form.get());
  popup->SetWidth(140);
  Fill(popup, 5);
  popup->SetRowCount(5);
  popup->SetItemIndex(0);
  TVelPopupColors colours;
  colours.SelectedColor = Yellow;
  colours.BackgroundColor = Green;
  popup->SetMenuColors(&colours);
  popup->Show(Form->ClientToScreen(TPoint{40, 60}));
  PaintNow(Form.get());
  RedrawWindow(popup->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpFor(30);
  const uint32_t frame = Rgb(16365879);
  EXPECT_EQ(BufferRgb(popup, 0, 40), frame);
  EXPECT_EQ(BufferRgb(popup, 138, 40), frame);
  EXPECT_EQ(BufferRgb(popup, 70, 0), frame);
  EXPECT_EQ(BufferRgb(popup, 70, popup->Height() - 2), frame);
  EXPECT_EQ(BufferRgb(popup, 70, 1), 0xFFFFFFu);
  EXPECT_EQ(BufferRgb(popup, 1, 40), 0xFFFFFFu);
  // The rows in the colours handed over; the last column of a pop-up row stays white.
  const int right = popup->ListBox()->Width();
  EXPECT_EQ(ListPixel(popup, right - 5, 10), Rgb(Yellow));
  EXPECT_EQ(ListPixel(popup, right - 5, 30), Rgb(Green));
  EXPECT_EQ(ListPixel(popup, right - 1, 30), 0xFFFFFFu);
  // Without colours: the defaults.
  popup->SetMenuColors(nullptr);
  RedrawWindow(popup->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpFor(30);
  EXPECT_EQ(ListPixel(popup, right - 5, 10), Rgb(clHighlight));
  EXPECT_EQ(ListPixel(popup, right - 5, 30), Rgb(clWindow));

  // With a bar the right frame line moves to the last column.
  popup->Items().Add(L"more");
  popup->Items().Add(L"and more");
  ASSERT_NE(popup->ScrollBar(), nullptr);
  RedrawWindow(popup->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpFor(30);
  EXPECT_EQ(BufferRgb(popup, 139, 40), frame);
  popup->Hide();
}

TEST_F(ControlsWin, OpeningThePopupAndMakingListsManyTimesLeavesNothingBehind) {
  ShowForm();
  auto* popup = new TVelPopupListBox(Form.get());
  popup->SetParent(Form.get());
  Fill(popup, 12);
  popup->SetRowCount(8);
  const TPoint origin = Form->ClientToScreen(TPoint{20, 20});
  auto cycle = [&] {
    popup->Show(origin);
    Application->ProcessMessages();
    popup->Hide();
  };
  auto makeList = [&] {
    auto* list = Add<TVelSkinListBox>(Form.get(), 200, 10, 100, 100);
    Fill(list, 20);  // with a bar
    PaintNow(Form.get());
    delete list;
  };
  cycle();
  makeList();
  const TLiveCounts before = LiveCounts();
  // (A thousand drop-downs of a combo box are counted with the combo box.)
  for (int i = 0; i < 200; ++i) cycle();
  for (int i = 0; i < 50; ++i) makeList();
  Application->ProcessMessages();
  EXPECT_EQ(LiveCounts(), before);
}

TEST_F(ControlsWin, AHundredThousandItemsScrollToTheEndAndDrawOnlyWhatShows) {
  auto* list = Add<TVelSkinListBox>(Form.get(), 10, 10, 150, 164);
  int draws = 0;
  list->OnDrawItem = [&](TObject*, TCanvas* Cnvs, int32_t Index, int32_t W, int32_t H, TRect, TOwnerDrawState) {
    ++draws;
    Cnvs->Brush().SetColor(Index == 99'999 ? Red : Green);
    Cnvs->FillRect(TRect{0, 0, W, H});
  };
  Fill(list, 100'000);
  ShowForm();
  ASSERT_EQ(list->Items().Count(), 100'000);
  TVelSkinScrollBar* bar = list->ScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Max(), 99'999);
  draws = 0;
  bar->SetPosition(bar->Max());
  PaintNow(Form.get());
  const int rows = list->ListBox()->Height() / 20;
  EXPECT_EQ(list->TopIndex(), 100'000 - rows);  // beyond what 16 bits can carry
  EXPECT_LE(draws, 2 * (rows + 1));
  const int lastTop = (rows - 1) * 20;
  EXPECT_EQ(list->ItemAtPos(TPoint{5, lastTop + 5}, true), 99'999);
  EXPECT_EQ(ListPixel(list, 5, lastTop + 5), Rgb(Red));
  EXPECT_EQ(ListPixel(list, 5, 5), Rgb(Green));
  // Back to the top through the list.
  list->SetTopIndex(0);
  EXPECT_EQ(bar->Position(), 0);
}
