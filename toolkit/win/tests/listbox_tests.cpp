// The list box (items before and after its window, owner-drawn rows through
// the parent's reflection, hit tests, prefix search) and pop-up controls:
// a top-level window that stays a child in the control tree, whose screen
// position holds through bounds changes, showing and hiding.
#include "toolkit/win/listbox.h"
#include "toolkit/win/tests/toolkit_test_support.h"

#include <vector>

namespace {

// A control in a top-level pop-up window of its own, in screen coordinates.
class TProbePopup : public TCustomControl {
public:
  explicit TProbePopup(TComponent* AOwner) : TCustomControl(AOwner) { FVisible = false; }

protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_CLIPCHILDREN;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WndParent = nullptr;
    Params.ClassStyle |= CS_SAVEBITS;
  }
};

TRect ScreenRectOf(HWND Window) {
  RECT r{};
  GetWindowRect(Window, &r);
  return ToTRect(r);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TListBox* AddList(TForm* Form, TListBoxStyle Style, int Rows) {
  auto* list = new TListBox(Form);
  list->SetStyle(Style);
  list->SetItemHeight(20);
  list->SetBounds(10, 10, 150, 20 * Rows + 4);
  list->SetParent(Form);
  return list;
}

}  // namespace

TEST_F(ToolkitWin, ListItemsAndIndexesSurviveTheWindowAndItsRecreation) {
  auto* list = new TListBox(Form.get());
  for (const wchar_t* s : {L"alpha", L"beta", L"gamma", L"delta"}) list->Items().Add(s);
  list->SetItemIndex(2);
  EXPECT_EQ(list->FindPrefix(L"G"), 2);
  list->SetParent(Form.get());
  list->HandleNeeded();
  ASSERT_TRUE(list->HandleAllocated());
  EXPECT_EQ(list->Items().Count(), 4);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(list->Items().IndexOf(L"delta"), 3);

  list->Items().Insert(0, L"zero");
  list->Items().Delete(4);
  EXPECT_EQ(list->Items().Strings(0), L"zero");
  EXPECT_EQ(list->Items().IndexOf(L"delta"), -1);
  list->Items().Put(1, L"ALPHA");
  EXPECT_EQ(list->Items().Strings(1), L"ALPHA");

  list->SetItemIndex(1);
  list->SetStyle(lbOwnerDrawFixed);  // recreates the window
  EXPECT_EQ(list->Items().Count(), 4);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(list->ItemHeight(), 16);

  // Bad indexes: a clear error, or nothing selected.
  EXPECT_THROW(list->Items().Delete(4), EListError);
  EXPECT_THROW(list->Items().Insert(6, L"x"), EListError);
  list->SetItemIndex(99);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->ItemRect(-1), TRect{});
  list->Items().Clear();
  EXPECT_EQ(list->Items().Count(), 0);
  EXPECT_EQ(list->FindPrefix(L"a"), -1);
}

TEST_F(ToolkitWin, PrefixSearchIgnoresCaseStartsAfterTheGivenItemAndWraps) {
  for (bool withWindow : {false, true}) {
    auto list = std::make_unique<TListBox>(nullptr);
    for (const wchar_t* s : {L"Apple", L"banana", L"apricot", L"Blue"}) list->Items().Add(s);
    if (withWindow) {
      list->SetParent(Form.get());
      list->HandleNeeded();
    }
    EXPECT_EQ(list->FindPrefix(L"ap"), 0) << withWindow;
    EXPECT_EQ(list->FindPrefix(L"ap", 0), 2) << withWindow;
    EXPECT_EQ(list->FindPrefix(L"ap", 2), 0) << withWindow;
    EXPECT_EQ(list->FindPrefix(L"BL"), 3) << withWindow;
    EXPECT_EQ(list->FindPrefix(L"x"), -1) << withWindow;
    EXPECT_EQ(list->FindPrefix(L""), -1) << withWindow;
    EXPECT_EQ(list->FindPrefix(L"b", 77), 1) << withWindow;  // out of range: from the start
  }
}

TEST_F(ToolkitWin, OwnerDrawnRowsReachTheListThroughItsParentWithTheirState) {
  TListBox* list = AddList(Form.get(), lbOwnerDrawFixed, 5);
  for (int i = 0; i < 10; ++i) list->Items().Add(L"row " + std::to_wstring(i));
  list->SetItemIndex(1);
  std::vector<int> drawn;
  TOwnerDrawState state1 = 0;
  TRect rect1{};
  list->OnDrawItem = [&](TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State) {
    EXPECT_EQ(Control, list);
    drawn.push_back(Index);
    if (Index == 1) {
      state1 = State;
      rect1 = Rect;
    }
    list->Canvas().Brush().SetColor(Index == 1 ? TColor(0x0000FF) : TColor(0x00FF00));
    list->Canvas().FillRect(Rect);
  };
  Form->Show();
  RedrawWindow(list->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_FALSE(drawn.empty());
  EXPECT_TRUE(state1 & odSelected);
  EXPECT_EQ(rect1.Top, 20);
  EXPECT_EQ(rect1.Height(), 20);
  EXPECT_EQ(list->ItemRect(1).Top, rect1.Top);
  // Only the visible rows were asked for.
  for (int i : drawn) EXPECT_LT(i, 6);

  TTestDib dib(160, 110);
  SendMessageW(list->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.DC()), PRF_CLIENT);
  EXPECT_EQ(dib.Pixel(5, 25), 0x0000FFu);
  EXPECT_EQ(dib.Pixel(5, 45), 0x00FF00u);
}

TEST_F(ToolkitWin, ItemAtPosCountsRowsFromTheTopIndexBeyondSixteenBits) {
  TListBox* list = AddList(Form.get(), lbOwnerDrawFixed, 5);
  list->Items().BeginUpdate();
  for (int i = 0; i < 70000; ++i) list->Items().Add(std::to_wstring(i));
  list->Items().EndUpdate();
  ASSERT_EQ(list->Items().Count(), 70000);
  list->SetTopIndex(69990);
  const int top = list->TopIndex();
  EXPECT_GT(top, 65535);
  EXPECT_EQ(list->ItemAtPos(TPoint{5, 45}, true), top + 2);
  // Below the last item, or outside the list.
  list->SetTopIndex(69999);
  const int last = list->TopIndex();
  const int below = (70000 - last) * 20 + 2;
  if (below < list->ClientHeight()) {
    EXPECT_EQ(list->ItemAtPos(TPoint{5, below}, true), -1);
    EXPECT_EQ(list->ItemAtPos(TPoint{5, below}, false), 70000);
  }
  EXPECT_EQ(list->ItemAtPos(TPoint{-3, 5}, true), -1);
}

TEST_F(ToolkitWin, MultiSelectListCountsItsSelectionAndKeepsTheCaret) {
  auto* list = new TListBox(Form.get());
  list->SetMultiSelect(true);
  for (int i = 0; i < 6; ++i) list->Items().Add(std::to_wstring(i));
  list->SetParent(Form.get());
  list->HandleNeeded();
  EXPECT_EQ(list->ItemIndex(), -1);
  list->SetSelected(1, true);
  list->SetSelected(4, true);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_TRUE(list->Selected(4));
  EXPECT_FALSE(list->Selected(2));
  list->SetItemIndex(3);
  EXPECT_EQ(list->SelCount(), 1);
  EXPECT_EQ(list->ItemIndex(), 3);
  EXPECT_THROW(list->Selected(6), EListError);
}

TEST_F(ToolkitWin, APopupControlHasATopLevelWindowAndKeepsItsScreenPlace) {
  Form->SetBounds(50, 60, 300, 200);
  Form->Show();
  auto* popup = new TProbePopup(Form.get());
  popup->SetBounds(400, 300, 120, 80);
  popup->SetParent(Form.get());
  ASSERT_TRUE(popup->HandleAllocated());
  HWND window = popup->Handle();
  EXPECT_EQ(popup->Parent(), Form.get());
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(window), nullptr);
  EXPECT_TRUE(GetClassLongPtrW(window, GCL_STYLE) & CS_SAVEBITS);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(popup->Showing());

  const TRect expected{400, 300, 520, 380};
  EXPECT_EQ(ScreenRectOf(window), expected);
  popup->Show();
  Pump();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(popup->Showing());
  EXPECT_EQ(ScreenRectOf(window), expected);
  EXPECT_EQ(popup->BoundsRect(), expected);
  EXPECT_EQ(popup->ClientOrigin(), (TPoint{400, 300}));

  // The form moving does not carry the pop-up with it.
  Form->SetBounds(80, 90, 300, 200);
  Pump();
  EXPECT_EQ(ScreenRectOf(window), expected);
  EXPECT_EQ(popup->BoundsRect(), expected);

  for (int i = 0; i < 5; ++i) {
    popup->SetBounds(410 + i, 310, 120, 80);
    popup->Hide();
    Pump();
    popup->Show();
    Pump();
  }
  const TRect moved{414, 310, 534, 390};
  EXPECT_EQ(ScreenRectOf(window), moved);
  EXPECT_EQ(popup->BoundsRect(), moved);

  // A move made by the system is read back in screen coordinates.
  SetWindowPos(window, nullptr, 200, 210, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  EXPECT_EQ(popup->BoundsRect(), (TRect{200, 210, 320, 290}));
  popup->SetBounds(200, 210, 130, 90);
  EXPECT_EQ(ScreenRectOf(window), (TRect{200, 210, 330, 300}));
}

// A pop-up covers nothing of its parent's client area: showing and hiding it
// leaves the parent painted, while a child window's parent must repaint.
TEST_F(ToolkitWin, ShowingAPopupLeavesItsParentPaintedAndAChildDoesNot) {
  Form->SetBounds(50, 60, 300, 200);
  Form->Show();
  auto* popup = new TProbePopup(Form.get());
  popup->SetBounds(400, 300, 120, 80);
  popup->SetParent(Form.get());
  auto* child = new TPanel(Form.get());
  child->SetBounds(10, 10, 50, 50);
  child->SetParent(Form.get());
  Pump();
  auto painted = [&] {
    UpdateWindow(Form->Handle());
    return GetUpdateRect(Form->Handle(), nullptr, FALSE) == FALSE;
  };
  ASSERT_TRUE(painted());
  popup->Show();
  EXPECT_EQ(GetUpdateRect(Form->Handle(), nullptr, FALSE), FALSE);
  popup->Hide();
  EXPECT_EQ(GetUpdateRect(Form->Handle(), nullptr, FALSE), FALSE);
  child->Hide();
  EXPECT_NE(GetUpdateRect(Form->Handle(), nullptr, FALSE), FALSE);
}
