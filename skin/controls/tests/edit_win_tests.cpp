// The skinned edit in a real window: typing by real keyboard input (Chinese
// and a character outside the Basic Multilingual Plane), Shift and Ctrl
// keys, mouse drag and double click, the clipboard (also held open by
// another thread), a 1 MB paste, the caret's x read from the pixels, the
// window text messages, the check box item, the built-in menu, and what a
// cycle of create, type and destroy leaves behind.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <thread>
#include <vector>

#include "gfx/win/gdi_backend.h"
#include "skin/controls/edit.h"
#include "skin/controls/tests/controls_test_support.h"
#include "toolkit/win/clipboard.h"
#include "toolkit/win/live_counts.h"

#include <imm.h>

namespace {

const std::wstring Pair = L"\U0001F600";

// Modifier held while Key is tapped.
void Chord(WORD Modifier, WORD Key) {
  SendKey(Modifier, false);
  TapKey(Key);
  SendKey(Modifier, true);
}


class EditWin : public RealInputWin {
protected:
  void SetUp() override {
    RealInputWin::SetUp();
    Edit = new TVelSkinEdit(Form.get());
    Edit->SetParent(Form.get());
    Edit->SetBounds(20, 20, 240, 26);
    Edit->OnChange = [this](TObject*) { ++Changes; };
    Edit->SetFocus();
    PumpFor(40);
  }
  bool TextBecomes(const std::wstring& Expected) {
    return PumpUntil([&] { return Edit->Text() == Expected; }, 2000);
  }
  TPoint Screen(int X, int Y) { return Edit->ClientToScreen(TPoint{X, Y}); }
  // The edit's picture rebuilt now.
  void Repaint() {
    Edit->Invalidate();
    UpdateWindow(Edit->Handle());
  }
  // Width of Text in the edit's font, measured apart from the edit.
  int32_t MeasuredWidth(const std::wstring& Text) {
    TBitmap32 b;
    b.SetSize(1, 1);
    ::SetFont(b, Edit->Font());
    return TextExtentW(b, Text).cx;
  }
  TVelSkinEdit* Edit = nullptr;
  int Changes = 0;
};

// The column where the caret was drawn: the only one that differs between
// the picture with the caret and the one without.
int CaretColumn(TVelSkinEdit& E) {
  auto take = [&E] {
    E.Invalidate();
    UpdateWindow(E.Handle());
    std::vector<TColor32> pixels;
    for (int y = 0; y < E.Height(); ++y)
      for (int x = 0; x < E.Width(); ++x) pixels.push_back(E.Buffer()->Pixel(x, y));
    return pixels;
  };
  E.SetCursorPos(E.CursorPos());  // restarts the blink in its visible half
  const auto with = take();
  E.SetCursorVisible(false);
  const auto without = take();
  E.SetCursorVisible(true);
  int column = -1;
  for (int y = 0; y < E.Height(); ++y)
    for (int x = 0; x < E.Width(); ++x)
      if (with[y * E.Width() + x] != without[y * E.Width() + x]) {
        if (column >= 0 && column != x) return -2;  // more than one column
        column = x;
      }
  return column;
}

// Holds the clipboard open from another thread for HoldMs.
class TClipboardHolder {
public:
  explicit TClipboardHolder(int HoldMs) {
    FThread = std::thread([this, HoldMs] {
      FOpened = OpenClipboard(nullptr) != 0;
      FReady = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(HoldMs));
      if (FOpened) CloseClipboard();
    });
    while (!FReady) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~TClipboardHolder() { FThread.join(); }
  bool Opened() const { return FOpened; }

private:
  std::thread FThread;
  std::atomic<bool> FReady{false};
  std::atomic<bool> FOpened{false};
};

}  // namespace

// ---- Keyboard ------------------------------------------------------------------------

TEST_F(EditWin, RealTypingTakesChineseAndCharactersOutsideTheBmp) {
  ASSERT_EQ(GetFocus(), Edit->Handle());
  const std::wstring typed = L"ab\u4E2D\u6587" + Pair + L"z";
  TypeUnicode(typed);
  ASSERT_TRUE(TextBecomes(typed));
  EXPECT_EQ(Edit->CursorPos(), static_cast<int32_t>(typed.size()));
  EXPECT_EQ(Changes, 6);  // one per character, the pair as one
  TapKey(VK_BACK);
  TapKey(VK_BACK);  // the pair goes whole
  ASSERT_TRUE(TextBecomes(L"ab\u4E2D\u6587"));
}

TEST_F(EditWin, ShiftArrowsCtrlAAndEditingKeys) {
  Edit->SetText(L"hello world");
  TapKey(VK_END);
  Chord(VK_SHIFT, VK_LEFT);
  Chord(VK_SHIFT, VK_LEFT);
  ASSERT_TRUE(PumpUntil([&] { return Edit->SelText() == L"ld"; }));
  SendKey(VK_CONTROL, false);
  SendKey(VK_SHIFT, false);
  TapKey(VK_LEFT);  // a word, extending
  SendKey(VK_SHIFT, true);
  SendKey(VK_CONTROL, true);
  ASSERT_TRUE(PumpUntil([&] { return Edit->SelText() == L"world"; }));
  Chord(VK_CONTROL, 'A');
  ASSERT_TRUE(PumpUntil([&] { return Edit->SelLength() == 11; }));
  TapKey(VK_DELETE);
  ASSERT_TRUE(TextBecomes(L""));
  Chord(VK_CONTROL, 'Z');  // there is no undo
  PumpFor(50);
  EXPECT_EQ(Edit->Text(), L"");
  EXPECT_FALSE(Edit->CanUndo());
}

// ---- Mouse ----------------------------------------------------------------------------

TEST_F(EditWin, MouseDragSelectsAndDoubleClickSelectsAll) {
  Edit->SetAutoSelect(false);
  Edit->SetText(L"abcdefgh");
  Repaint();
  const TPoint from = Screen(Edit->Space().Left() + 1, 13);
  const TPoint to = Screen(Edit->Width() - 20, 13);  // right of the text
  ASSERT_TRUE(MoveCursor(from.X, from.Y));
  SendButtonAt(from.X, from.Y, MOUSEEVENTF_LEFTDOWN);
  PumpFor(30);
  SendButtonAt(to.X, to.Y, 0);
  ASSERT_TRUE(MoveCursor(to.X, to.Y));
  SendButtonAt(to.X, to.Y, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return Edit->SelLength() == 8; }));
  EXPECT_EQ(Edit->SelStart(), 0);
  // A click collapses; a double click selects everything.
  SendButtonAt(to.X, to.Y, MOUSEEVENTF_LEFTDOWN);
  SendButtonAt(to.X, to.Y, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return Edit->SelLength() == 0; }));
  EXPECT_EQ(Edit->CursorPos(), 8);
  PumpFor(GetDoubleClickTime() + 50);
  SendButtonAt(to.X, to.Y, MOUSEEVENTF_LEFTDOWN);
  SendButtonAt(to.X, to.Y, MOUSEEVENTF_LEFTUP);
  SendButtonAt(to.X, to.Y, MOUSEEVENTF_LEFTDOWN);
  SendButtonAt(to.X, to.Y, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return Edit->SelLength() == 8; }));
}

// ---- Clipboard ------------------------------------------------------------------------

TEST_F(EditWin, CtrlCXVGoThroughTheClipboard) {
  Edit->SetText(L"hello world");
  Edit->SetSelStart(6);
  Edit->SetSelLength(5);
  Chord(VK_CONTROL, 'C');
  ASSERT_TRUE(PumpUntil([&] { return Clipboard().AsText() == L"world"; }));
  Chord(VK_CONTROL, 'X');
  ASSERT_TRUE(TextBecomes(L"hello "));
  TapKey(VK_HOME);
  Chord(VK_CONTROL, 'V');
  ASSERT_TRUE(TextBecomes(L"worldhello "));
  Clipboard().SetAsText(L"one\r\ntwo");
  Chord(VK_CONTROL, 'V');
  ASSERT_TRUE(TextBecomes(L"worldonehello "));
  // A text with a NUL pastes up to the NUL.
  std::wstring nul = L"x";
  nul += L'\0';
  nul += L"y";
  Clipboard().SetAsText(nul);
  Edit->PasteFromClipboard();
  EXPECT_EQ(Edit->Text(), L"worldonexhello ");
}

TEST_F(EditWin, AClipboardHeldByAnotherProgramGivesAClearOutcome) {
  Clipboard().SetAsText(L"paste");
  Edit->SetText(L"");
  {
    // Held briefly: the retries get through.
    TClipboardHolder holder(30);
    ASSERT_TRUE(holder.Opened());
    Edit->PasteFromClipboard();
  }
  EXPECT_EQ(Edit->Text(), L"paste");
  {
    // Held for longer than the retries: an error naming the call, and a
    // Ctrl+V that leaves the text alone.
    TClipboardHolder holder(600);
    ASSERT_TRUE(holder.Opened());
    try {
      Clipboard().AsText();
      ADD_FAILURE() << "no error";
    } catch (const EWin32Error& e) {
      EXPECT_NE(std::string(e.what()).find("OpenClipboard"), std::string::npos) << e.what();
    }
    Chord(VK_CONTROL, 'V');
    PumpFor(150);
    EXPECT_EQ(Edit->Text(), L"paste");
  }
  Edit->PasteFromClipboard();  // free again
  EXPECT_EQ(Edit->Text(), L"pastepaste");
}

TEST_F(EditWin, AMegabytePasteIsTakenWholeAndShowsItsEnd) {
  std::wstring big(1 << 20, L'x');
  for (size_t i = 0; i < big.size(); i += 1000) big[i] = L'\u4E2D';
  big.back() = L'E';
  Clipboard().SetAsText(big);
  const auto start = std::chrono::steady_clock::now();
  Chord(VK_CONTROL, 'V');
  ASSERT_TRUE(PumpUntil([&] { return Edit->Text().size() == big.size(); }, 10000));
  Repaint();
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::cout << "[ figures ] 1 MB paste and repaint: " << ms << " ms\n";
  EXPECT_EQ(Edit->Text(), big);
  EXPECT_EQ(Edit->CursorPos(), 1 << 20);
  EXPECT_EQ(SendMessageW(Edit->Handle(), WM_GETTEXTLENGTH, 0, 0), 1 << 20);
  // The caret at the end is inside the edit: the view scrolled.
  EXPECT_GT(Edit->FirstDisplayChar(), (1 << 20) - 100);
  const int caret = CaretColumn(*Edit);
  EXPECT_GT(caret, 0);
  EXPECT_LT(caret, Edit->Width() - Edit->Space().Right());
}

// ---- The caret --------------------------------------------------------------------------

TEST_F(EditWin, TheCaretIsDrawnWhereTheNextCharacterGoes) {
  const int left = Edit->Space().Left();
  for (const std::wstring& text : {std::wstring(L"abc"), std::wstring(L"\u4E2D\u6587"), L"a" + Pair}) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    Edit->SetText(text);
    TapKey(VK_END);
    ASSERT_TRUE(PumpUntil([&] { return Edit->CursorPos() == static_cast<int32_t>(text.size()); }));
    EXPECT_EQ(CaretColumn(*Edit), left + MeasuredWidth(text));
    TapKey(VK_LEFT);
    ASSERT_TRUE(PumpUntil([&] { return Edit->CursorPos() < static_cast<int32_t>(text.size()); }));
    const std::wstring before = text.substr(0, Edit->CursorPos());
    EXPECT_EQ(CaretColumn(*Edit), left + MeasuredWidth(before));
    // The hidden system caret follows, for input methods and screen readers.
    POINT system{};
    ASSERT_TRUE(GetCaretPos(&system));
    EXPECT_EQ(system.x, left + MeasuredWidth(before));
  }
  Edit->SetText(L"");
  EXPECT_EQ(CaretColumn(*Edit), left);
}

// The system caret is the focused edit's and goes with the focus.
TEST_F(EditWin, TheSystemCaretBelongsToTheFocusedEdit) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
  EXPECT_EQ(info.hwndCaret, Edit->Handle());
  auto* other = new TVelSkinEdit(Form.get());
  other->SetParent(Form.get());
  other->SetBounds(20, 60, 100, 26);
  other->SetFocus();
  PumpFor(30);
  ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
  EXPECT_EQ(info.hwndCaret, other->Handle());
  delete other;
  PumpFor(30);
  ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
  EXPECT_EQ(info.hwndCaret, nullptr);
}

// ---- Window text messages and items ---------------------------------------------------------

TEST_F(EditWin, WindowTextMessages) {
  const HWND h = Edit->Handle();
  Changes = 0;
  EXPECT_TRUE(SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((L"ab" + Pair).c_str())));
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Edit->CursorPos(), 0);
  wchar_t buffer[8] = {};
  EXPECT_EQ(SendMessageW(h, WM_GETTEXT, 8, reinterpret_cast<LPARAM>(buffer)), 4);
  EXPECT_EQ(std::wstring(buffer), L"ab" + Pair);
  // Room for three units: the pair is not split.
  EXPECT_EQ(SendMessageW(h, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 2);
  EXPECT_EQ(std::wstring(buffer), L"ab");
  EXPECT_EQ(SendMessageW(h, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0), 4);
  EXPECT_EQ(SendMessageW(h, WM_GETDLGCODE, 0, 0), 129);
  EXPECT_EQ(static_cast<TControl*>(Edit)->Text(), L"ab" + Pair);
  Edit->SetBlockWinMsg(true);
  SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"other"));
  EXPECT_EQ(Edit->Text(), L"ab" + Pair);
  EXPECT_EQ(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0), 0);
}

TEST_F(EditWin, TheCheckBoxItemMakesRoomAndToggles) {
  Edit->SetText(L"abc");
  TapKey(VK_END);
  ASSERT_TRUE(PumpUntil([&] { return Edit->CursorPos() == 3; }));
  const int plain = CaretColumn(*Edit);
  Edit->SetShowCheckBox(true);
  Repaint();
  const TVelEditItem* item = Edit->EdItems().Items(0);
  ASSERT_GT(item->Rect().Right, item->Rect().Left) << "the check box image was not found";
  EXPECT_EQ(CaretColumn(*Edit), plain + item->Rect().Right);
  const TPoint inside{(item->Rect().Left + item->Rect().Right) / 2, (item->Rect().Top + item->Rect().Bottom) / 2};
  Edit->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inside.X, inside.Y));
  Edit->Perform(WM_LBUTTONUP, 0, MAKELPARAM(inside.X, inside.Y));
  EXPECT_TRUE(Edit->Checked());
  EXPECT_EQ(item->Image(), L"VelSkinCheckedCheckbox_18");
  Edit->SetShowCheckBox(false);
  Edit->SetCursorPos(3);  // the press had put the caret at 0
  Repaint();
  EXPECT_EQ(CaretColumn(*Edit), plain);  // the room is given back
}

TEST_F(EditWin, TheBuiltInMenuFollowsTheState) {
  const bool chinese = GetSystemDefaultLCID() == 2052;
  Clipboard().SetAsText(L"x");
  Edit->SetText(L"abc");
  Edit->BuildEditMenu();
  TMenuItem* root = Edit->DefaultPopupMenu().Items();
  ASSERT_EQ(root->Count(), 6);
  EXPECT_EQ(root->Items(0)->Caption(), chinese ? L"剪切" : L"Cut");
  EXPECT_EQ(root->Items(5)->Caption(), chinese ? L"全选" : L"Select All");
  EXPECT_TRUE(root->Items(4)->IsLine());
  EXPECT_FALSE(root->Items(1)->Enabled());  // nothing selected to copy
  EXPECT_TRUE(root->Items(2)->Enabled());
  EXPECT_TRUE(root->Items(5)->Enabled());
  const intptr_t tags[] = {2, 3, 4, 5, 0, 6};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(root->Items(i)->Tag(), tags[i]);
  root->Items(5)->Click();
  EXPECT_EQ(Edit->SelLength(), 3);
  Edit->BuildEditMenu();
  root->Items(3)->Click();  // delete
  EXPECT_EQ(Edit->Text(), L"");
  Edit->SetReadOnly(true);
  Edit->BuildEditMenu();
  EXPECT_FALSE(root->Items(0)->Enabled());
  EXPECT_FALSE(root->Items(2)->Enabled());
  EXPECT_FALSE(root->Items(5)->Enabled());
}

// ---- Input method ------------------------------------------------------------------------------

TEST_F(EditWin, TheCompositionWindowSitsAtTheCaretAndTheResultIsInserted) {
  Edit->SetText(L"abc");
  TapKey(VK_END);
  ASSERT_TRUE(PumpUntil([&] { return Edit->CursorPos() == 3; }));
  Repaint();
  const HWND h = Edit->Handle();
  SendMessageW(h, WM_IME_STARTCOMPOSITION, 0, 0);
  HIMC context = ImmGetContext(h);
  ASSERT_NE(context, nullptr);
  COMPOSITIONFORM form{};
  ASSERT_TRUE(ImmGetCompositionWindow(context, &form));
  EXPECT_EQ(form.ptCurrentPos.x, Edit->CursorXPos());
  EXPECT_EQ(form.ptCurrentPos.y, Edit->Space().Top());
  const std::wstring result = L"\u4E2D\u6587";
  ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(result.c_str()),
                           static_cast<DWORD>(result.size() * sizeof(wchar_t)), nullptr, 0);
  ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
  ImmReleaseContext(h, context);
  ASSERT_TRUE(TextBecomes(L"abc" + result));
  PumpFor(50);
  EXPECT_EQ(Edit->Text(), L"abc" + result);  // once, not again as characters
}

// ---- Leaks ----------------------------------------------------------------------------------

TEST_F(EditWin, CreateTypeDestroyCyclesLeaveNothingBehind) {
  auto cycle = [this] {
    auto* e = new TVelSkinEdit(Form.get());
    e->SetParent(Form.get());
    e->SetBounds(20, 60, 200, 26);
    e->SetShowCheckBox(true);
    e->SetTextHint(L"hint");
    e->SetFocus();
    for (wchar_t c : std::wstring(L"ab\u4E2D")) e->Perform(WM_CHAR, c, 0);
    e->SelectAll();
    e->CopyToClipboard();
    e->BuildEditMenu();
    UpdateWindow(e->Handle());
    e->Invalidate();
    UpdateWindow(e->Handle());
    delete e;
    PumpFor(5);
  };
  cycle();
  const TLiveCounts before = LiveCounts();
  for (int i = 0; i < 40; ++i) cycle();
  EXPECT_EQ(LiveCounts(), before);
}

// A masked edit shows one mask per character (a pair outside the BMP as one)
// and gives nothing to the clipboard.
TEST_F(EditWin, APasswordCharacterMasksTheTextAndKeepsItOffTheClipboard) {
  auto* plain = new TVelSkinEdit(Form.get());
  plain->SetParent(Form.get());
  plain->SetBounds(20, 60, 240, 26);
  plain->SetText(L"***");
  Edit->SetPasswordChar(L'*');
  Edit->SetText(L"a\U0001D11Eb");
  auto* focus = new TVelSkinEdit(Form.get());  // takes the focus from both
  focus->SetParent(Form.get());
  focus->SetBounds(20, 100, 100, 26);
  focus->SetFocus();
  PumpFor(30);
  Repaint();
  plain->Invalidate();
  UpdateWindow(plain->Handle());
  int differing = 0;
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 240; ++x) differing += Edit->Buffer()->Pixel(x, y) != plain->Buffer()->Pixel(x, y);
  EXPECT_EQ(differing, 0);

  Clipboard().SetAsText(L"before");
  Edit->SelectAll();
  Edit->CopyToClipboard();
  Edit->CutToClipboard();
  EXPECT_EQ(Clipboard().AsText(), L"before");
  EXPECT_EQ(Edit->Text(), L"a\U0001D11Eb");
}
