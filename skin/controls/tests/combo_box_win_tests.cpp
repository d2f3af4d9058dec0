// The skinned combo box driven as a user drives it: real clicks on the drop
// button and the popup's rows, real keys in its edit, typed text, cancelling,
// the popup's place below (or above) the control, and its window's life.
#include "skin/controls/buttons.h"
#include "skin/controls/combo_box.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/tests/controls_test_support.h"
#include "toolkit/win/live_counts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Types Text as the keyboard would and lets the combo box take it.
void TypeText(const std::wstring& Text) {
  TypeUnicode(Text);
  PumpFor(60);
}

// Moves the cursor through the input queue, as a mouse would, and waits
// until it is there.
bool MouseTo(TPoint P) {
  SendButtonAt(P.X, P.Y, 0);
  const bool there = SetCursorUntilReported(P.X, P.Y);
  PumpFor(30);
  return there;
}

void ButtonAt(TPoint P, DWORD Flag) { SendButtonAt(P.X, P.Y, Flag); }

// Alt held around a key.
void AltKey(WORD Key) {
  SendKey(VK_MENU, false);
  TapKey(Key);
  SendKey(VK_MENU, true);
  PumpFor(40);
}

RECT WindowRectOf(TWinControl* Control) {
  RECT r{};
  GetWindowRect(Control->Handle(), &r);
  return r;
}

class ComboWin : public RealInputWin {
protected:
  void SetUp() override {
    RealInputWin::SetUp();
    Combo = new TVelSkinComboBox(Form.get());
    Combo->SetParent(Form.get());
    Combo->SetBounds(20, 20, 140, 26);
    for (const wchar_t* item : {L"小", L"中", L"大"}) Combo->Items().Add(item);
    Combo->SetItemIndex(1);
    Combo->OnCloseUp = [this](TObject* Sender) { CloseUps.push_back(Sender); };
    Other = new TVelSkinButton(Form.get());
    Other->SetParent(Form.get());
    Other->SetBounds(200, 150, 80, 26);
    Other->SetTabStop(true);
    PaintNow(Form.get());
  }

  TPoint ScreenOf(TControl* Control, int X, int Y) { return Control->ClientToScreen(Point(X, Y)); }
  void ClickScreen(TPoint P) {
    ASSERT_TRUE(MouseTo(P));
    ButtonAt(P, MOUSEEVENTF_LEFTDOWN);
    PumpFor(30);
    ButtonAt(P, MOUSEEVENTF_LEFTUP);
    PumpFor(60);
  }
  void ClickDropButton() {
    const TRect b = Combo->DropButton().R;
    ClickScreen(ScreenOf(Combo, (b.Left + b.Right) / 2, b.Height() / 2));
  }
  bool PopupShown() {
    TVelPopupListBox* popup = Combo->ListBox();
    return Combo->IsPopupVisible() && popup->HandleAllocated() && IsWindowVisible(popup->Handle());
  }
  void FocusEdit() {
    Combo->Edit()->SetFocus();
    PumpFor(30);
  }

  TVelSkinComboBox* Combo = nullptr;
  TVelSkinButton* Other = nullptr;
  std::vector<TObject*> CloseUps;
};

}  // namespace

TEST_F(ComboWin, TheChoosersFaceAndAClickThatOpensThePopupAndChoosesARow) {
  EXPECT_EQ(Combo->DropButton().R, MakeRect(116, 0, 140, 26));
  EXPECT_EQ(Combo->TextArea().R, MakeRect(3, 3, 115, 25));
  TVelSkinEdit* edit = Combo->Edit();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ((std::vector<int>{edit->Left(), edit->Top(), edit->Width(), edit->Height()}),
            (std::vector<int>{1, 2, 112, 22}));
  EXPECT_EQ(edit->Text(), L"中");
  // The arrow image's pixels sit centred in the button: the buffer differs
  // there from the plain white face.
  EXPECT_NE(BufferRgb(Combo, 127, 13), 0xFFFFFFu);

  ClickDropButton();
  ASSERT_TRUE(PopupShown());
  TVelPopupListBox* popup = Combo->ListBox();
  const RECT r = WindowRectOf(popup);
  const TPoint below = ScreenOf(Combo, 1, 26);
  EXPECT_EQ(r.left, below.X);
  EXPECT_EQ(r.top, below.Y);
  EXPECT_EQ(r.right - r.left, 139);
  EXPECT_EQ(r.bottom - r.top, 65);
  EXPECT_EQ(popup->ScrollBar(), nullptr);
  EXPECT_EQ(popup->ItemIndex(), 1);
  // The popup is a top-level window that left the activation where it was.
  EXPECT_EQ(GetParent(popup->Handle()), nullptr);
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  // The current row shows the highlight colour near its right end.
  PumpFor(60);
  const RECT list = WindowRectOf(popup->ListBox());
  EXPECT_EQ(ScreenPixel(list.right - 6, list.top + 30), Rgb(clHighlight));

  // A click on the last row takes it and closes the popup.
  ClickScreen(TPoint{list.left + 30, list.top + 50});
  EXPECT_FALSE(PopupShown());
  EXPECT_EQ(Combo->ItemIndex(), 2);
  EXPECT_EQ(Combo->Text(), L"大");
  EXPECT_EQ(edit->Text(), L"大");
  EXPECT_EQ(CloseUps, std::vector<TObject*>{Combo});
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
}

TEST_F(ComboWin, EscAClickOutsideAndFocusLossRestoreTheEarlierChoice) {
  ClickDropButton();
  ASSERT_TRUE(PopupShown());
  // Down in the edit moves the highlight and shows the item; Esc takes both back.
  TapKey(VK_DOWN);
  PumpFor(40);
  EXPECT_EQ(Combo->ListBox()->ItemIndex(), 2);
  TapKey(VK_ESCAPE);
  PumpFor(40);
  EXPECT_FALSE(PopupShown());
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(Combo->Text(), L"中");
  ASSERT_EQ(CloseUps.size(), 1u);
  EXPECT_EQ(CloseUps[0], nullptr);

  // A click elsewhere on the form.
  ClickDropButton();
  ASSERT_TRUE(PopupShown());
  const RECT list = WindowRectOf(Combo->ListBox()->ListBox());
  ASSERT_TRUE(MouseTo(TPoint{list.left + 20, list.top + 10}));  // hover highlights row 0
  EXPECT_EQ(Combo->ListBox()->ItemIndex(), 0);
  ClickScreen(ScreenOf(Form.get(), 300, 30));
  EXPECT_FALSE(PopupShown());
  EXPECT_EQ(Combo->ItemIndex(), 1);

  // The focus moving on.
  Combo->DropDown();
  ASSERT_TRUE(PopupShown());
  Other->SetFocus();
  PumpFor(40);
  EXPECT_FALSE(PopupShown());
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(CloseUps.size(), 3u);
}

TEST_F(ComboWin, TheKeyboardAloneOpensMovesAndChooses) {
  Other->SetFocus();
  PumpFor(30);
  // Tab from the button reaches the combo box's edit.
  TapKey(VK_TAB);
  PumpFor(40);
  ASSERT_EQ(GetFocus(), Combo->Edit()->Handle());
  AltKey(VK_DOWN);
  ASSERT_TRUE(PopupShown());
  TapKey(VK_DOWN);
  TapKey(VK_RETURN);
  PumpFor(40);
  EXPECT_FALSE(PopupShown());
  EXPECT_EQ(Combo->ItemIndex(), 2);
  EXPECT_EQ(CloseUps, std::vector<TObject*>{Combo});

  TapKey(VK_F4);
  PumpFor(40);
  ASSERT_TRUE(PopupShown());
  TapKey(VK_UP);
  TapKey(VK_F4);
  PumpFor(40);
  EXPECT_FALSE(PopupShown());
  EXPECT_EQ(Combo->ItemIndex(), 1);
  // Up and Down with the list closed select at once.
  TapKey(VK_UP);
  PumpFor(30);
  EXPECT_EQ(Combo->ItemIndex(), 0);
  EXPECT_EQ(Combo->Text(), L"小");
}

TEST_F(ComboWin, PageKeysMoveTheOpenListByItsRows) {
  Combo->Items().Clear();
  for (int i = 0; i < 30; ++i) Combo->Items().Add(L"item " + std::to_wstring(i));
  Combo->SetItemIndex(20);
  FocusEdit();
  Combo->DropDown();
  ASSERT_TRUE(PopupShown());
  TapKey(VK_PRIOR);
  PumpFor(30);
  EXPECT_EQ(Combo->ListBox()->ItemIndex(), 11);
  Combo->ListBox()->SetItemIndex(0);
  TapKey(VK_NEXT);
  PumpFor(30);
  EXPECT_EQ(Combo->ListBox()->ItemIndex(), 7);
  // Nine or more items: eight rows and a scroll bar.
  EXPECT_EQ(WindowRectOf(Combo->ListBox()).bottom - WindowRectOf(Combo->ListBox()).top, 8 * 20 + 5);
  ASSERT_NE(Combo->ListBox()->ScrollBar(), nullptr);
  EXPECT_TRUE(Combo->ListBox()->ScrollBar()->Visible());
  TapKey(VK_RETURN);
  PumpFor(30);
  EXPECT_EQ(Combo->ItemIndex(), 7);
}

TEST_F(ComboWin, TypedTextCompletesAnItemOrKeepsTheLastMatchingIndex) {
  FocusEdit();
  Combo->Edit()->SelectAll();
  TypeText(L"大");
  EXPECT_EQ(Combo->ItemIndex(), 2);
  EXPECT_EQ(Combo->Text(), L"大");

  Combo->Edit()->SelectAll();
  TypeText(L"巨");
  EXPECT_EQ(Combo->Text(), L"巨");
  EXPECT_EQ(Combo->ItemIndex(), 2);

  // Completion: typing the start of an item selects it and leaves its tail
  // selected, so the next key replaces the tail.
  Combo->Items().Add(L"large");
  Combo->Edit()->SelectAll();
  PumpFor(220);  // completion steps are at least 200 ms apart
  TypeText(L"l");
  EXPECT_EQ(Combo->ItemIndex(), 3);
  EXPECT_EQ(Combo->Text(), L"large");
  EXPECT_EQ(Combo->SelStart(), 1);
  EXPECT_EQ(Combo->SelLength(), 4);
  TypeText(L"o");
  EXPECT_EQ(Combo->Text(), L"lo");
  EXPECT_EQ(Combo->ItemIndex(), 3);
}

TEST_F(ComboWin, NearTheBottomOfTheScreenThePopupOpensAbove) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Form->SetBounds(200, work.bottom - 90, 400, 90);
  PumpFor(30);
  Combo->DropDown();
  ASSERT_TRUE(PopupShown());
  const RECT r = WindowRectOf(Combo->ListBox());
  const RECT c = WindowRectOf(Combo);
  EXPECT_EQ(r.bottom, c.top);
  EXPECT_EQ(r.top, c.top - 65);
  Combo->CloseUp(false);
}

TEST_F(ComboWin, AHeldPressDraggedBelowTheListScrollsToTheLastItemAndStops) {
  // Tall enough that the drag below the popup stays over the form (the only
  // place moves of a held button are reported here).
  Form->SetBounds(200, 100, 400, 600);
  PumpFor(30);
  Combo->Items().Clear();
  for (int i = 0; i < 30; ++i) Combo->Items().Add(L"row " + std::to_wstring(i));
  Combo->SetItemIndex(0);
  const TRect b = Combo->DropButton().R;
  const TPoint button = ScreenOf(Combo, (b.Left + b.Right) / 2, 13);
  ASSERT_TRUE(MouseTo(button));
  ButtonAt(button, MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return PopupShown(); }));
  const RECT list = WindowRectOf(Combo->ListBox()->ListBox());
  ASSERT_TRUE(MouseTo(TPoint{list.left + 20, list.top + 30}));  // over row 1
  ASSERT_TRUE(PumpUntil([&] { return Combo->ListBox()->ItemIndex() == 1; }));
  // Held below the list, the list scrolls down to its end. The mouse jiggles
  // a pixel as a hand would: Wine may deliver a late move of an earlier
  // position, which would end the auto-scroll of a mouse held dead still.
  const TPoint below{list.left + 20, list.bottom + 20};
  bool reached = false;
  for (int i = 0; i < 15 && !reached; ++i) {
    ASSERT_TRUE(MouseTo(TPoint{below.X, below.Y + i % 2}));
    reached = PumpUntil([&] { return Combo->ListBox()->ItemIndex() == 29; }, 200);
  }
  EXPECT_TRUE(reached);
  ButtonAt(below, MOUSEEVENTF_LEFTUP);
  PumpFor(40);
  // Released off the list: nothing is taken.
  EXPECT_FALSE(PopupShown());
  EXPECT_EQ(Combo->ItemIndex(), 0);
}

TEST_F(ComboWin, ADropDownListDrawsItsChoiceAndSelectsByTypeAhead) {
  Combo->Items().Clear();
  for (const wchar_t* item : {L"apple", L"banana", L"blueberry", L"cherry"}) Combo->Items().Add(item);
  Combo->SetStyle(csDropDownList);
  EXPECT_EQ(Combo->Edit(), nullptr);
  Combo->SetItemIndex(0);
  Combo->SetFocus();
  PumpFor(30);
  TypeText(L"b");
  EXPECT_EQ(Combo->ItemIndex(), 1);
  TypeText(L"l");  // within the pause: "bl"
  EXPECT_EQ(Combo->ItemIndex(), 2);
  PumpFor(550);
  TypeText(L"c");
  EXPECT_EQ(Combo->ItemIndex(), 3);
  PaintNow(Form.get());
  // Focused with an opaque face: the text area is drawn in the selection colour.
  EXPECT_EQ(BufferRgb(Combo, 100, 14), Rgb(clHighlight));
  // Arrow keys select at once.
  TapKey(VK_UP);
  PumpFor(30);
  EXPECT_EQ(Combo->ItemIndex(), 2);
}

TEST_F(ComboWin, AComboBoxWithoutItemsDoesNotOpen) {
  Combo->Items().Clear();
  Combo->DropDown();
  EXPECT_FALSE(Combo->IsPopupVisible());
}

TEST_F(ComboWin, OpeningAndClosingAThousandTimesLeavesTheCountsFlat) {
  for (int i = 0; i < 5; ++i) {
    Combo->DropDown();
    UpdateWindow(Combo->ListBox()->Handle());
    Combo->CloseUp(i % 2 == 0);
  }
  PumpFor(50);
  const TLiveCounts before = LiveCounts();
  for (int i = 0; i < 1000; ++i) {
    Combo->DropDown();
    UpdateWindow(Combo->ListBox()->Handle());
    Combo->CloseUp(i % 2 == 0);
  }
  PumpFor(50);
  EXPECT_EQ(LiveCounts(), before);
  EXPECT_FALSE(PopupShown());
}

// The popup's own scroll bar scrolls the list and leaves it open, and the
// form keeps the activation.
TEST_F(ComboWin, APressOnThePopupsScrollBarScrollsAndKeepsItOpen) {
  Combo->Items().Clear();
  for (int i = 0; i < 12; ++i) Combo->Items().Add(L"entry " + std::to_wstring(i));
  Combo->SetItemIndex(0);
  FocusEdit();
  Combo->DropDown();
  ASSERT_TRUE(PopupShown());
  TVelSkinScrollBar* bar = Combo->ListBox()->ScrollBar();
  ASSERT_NE(bar, nullptr);
  const int top = Combo->ListBox()->TopIndex();
  // The end arrow at the bar's bottom.
  ClickScreen(bar->ClientToScreen(Point(bar->Width() / 2, bar->Height() - 3)));
  EXPECT_TRUE(PopupShown());
  EXPECT_GT(Combo->ListBox()->TopIndex(), top);
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_TRUE(CloseUps.empty());
  TapKey(VK_ESCAPE);
  PumpFor(30);
  EXPECT_FALSE(PopupShown());
}

// Moving the form, or the system cancelling modes (a message box coming up),
// closes an open list without taking anything.
TEST_F(ComboWin, MovingTheFormOrTheSystemCancellingModesClosesTheList) {
  for (UINT message : {UINT(WM_ENTERSIZEMOVE), UINT(WM_CANCELMODE)}) {
    CloseUps.clear();
    Combo->DropDown();
    ASSERT_TRUE(PopupShown());
    Combo->ListBox()->SetItemIndex(2);
    SendMessageW(Form->Handle(), message, 0, 0);
    EXPECT_FALSE(PopupShown()) << message;
    EXPECT_EQ(Combo->ItemIndex(), 1) << message;
    EXPECT_EQ(CloseUps, std::vector<TObject*>{nullptr}) << message;
  }
}
