// Keyboard and mouse routing: dialog keys and characters through the message
// loop, what a focused window keeps, the form's key preview, accelerators,
// mouse enter/leave pairs over nested windowed and graphic controls, and the
// mouse wheel.
#include "toolkit/win/tests/toolkit_test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A focusable control whose answers to WM_GETDLGCODE and CM_WANTSPECIALKEY
// are set by the test, and which records the key messages that reach it.
class TKeyProbe : public TCustomControl {
public:
  explicit TKeyProbe(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(10, 10, 60, 30);
    SetTabStop(true);
  }
  LRESULT DlgCode = 0;
  bool WantSpecial = false;
  std::vector<UINT> Seen;  // WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_SYSCHAR that got here

protected:
  void WMGetDlgCode(TWMGetDlgCode& Message) override { Message.Result = DlgCode; }
  void CMWantSpecialKey(TWMKey& Message) override { Message.Result = WantSpecial ? 1 : 0; }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN || Message.Msg == WM_CHAR ||
        Message.Msg == WM_SYSCHAR)
      Seen.push_back(Message.Msg);
    TCustomControl::WndProc(Message);
  }
};

constexpr LPARAM kAltDown = LPARAM(1) << 29;

// The form's dialog keys and characters as its WindowProc sees them first;
// the hook answers them as Answer says and can throw.
class InputForm : public ToolkitWin {
protected:
  void SetUp() override {
    ToolkitWin::SetUp();
    Probe = new TKeyProbe(Form.get());
    Probe->SetParent(Form.get());
    Saved = Form->WindowProc;
    Form->WindowProc = [this](TMessage& m) {
      if (m.Msg == CM_DIALOGKEY || m.Msg == CM_DIALOGCHAR) {
        (m.Msg == CM_DIALOGKEY ? DialogKeys : DialogChars).push_back(m.WParam);
        DialogData.push_back(m.LParam);
        if (Throw) throw std::runtime_error("dialog key failed");
        if (Answer) {
          m.Result = 1;
          return;
        }
      }
      Saved(m);
    };
    Form->Show();
    Probe->SetFocus();
  }
  void TearDown() override {
    Form->WindowProc = Saved;
    ToolkitWin::TearDown();
  }
  // Posts a key message to Window and runs the loop; true when the form got a dialog key.
  bool PostKey(HWND Window, UINT Msg, WPARAM Key, LPARAM Data = 1) {
    DialogKeys.clear();
    PostMessageW(Window, Msg, Key, Data);
    Application->ProcessMessages();
    return !DialogKeys.empty();
  }

  TKeyProbe* Probe = nullptr;
  TWndMethod Saved;
  std::vector<WPARAM> DialogKeys, DialogChars;
  std::vector<LPARAM> DialogData;
  bool Answer = true;
  bool Throw = false;
};

}  // namespace

TEST_F(InputForm, EveryKeyDownTheControlDoesNotKeepIsOfferedToTheFormAndSwallowedWhenUsed) {
  ASSERT_EQ(GetFocus(), Probe->Handle());
  const HWND w = Probe->Handle();
  // Function keys, Alt itself and F10 (system key-downs) with their key data.
  EXPECT_TRUE(PostKey(w, WM_KEYDOWN, VK_F2, 0x003C0001));
  EXPECT_EQ(DialogData.back(), 0x003C0001);
  EXPECT_TRUE(PostKey(w, WM_SYSKEYDOWN, VK_MENU, kAltDown | 1));
  EXPECT_TRUE(PostKey(w, WM_SYSKEYDOWN, VK_F10, 1));
  EXPECT_TRUE(Probe->Seen.empty());  // all used by the hook: swallowed

  // Unused, the key goes on to the control.
  Answer = false;
  EXPECT_TRUE(PostKey(w, WM_KEYDOWN, VK_F3));
  EXPECT_EQ(Probe->Seen, std::vector<UINT>{WM_KEYDOWN});
}

TEST_F(InputForm, WhatTheFocusedWindowKeepsIsNoDialogKey) {
  const HWND w = Probe->Handle();
  Probe->DlgCode = DLGC_WANTALLKEYS;
  EXPECT_FALSE(PostKey(w, WM_KEYDOWN, VK_RETURN));
  EXPECT_FALSE(PostKey(w, WM_KEYDOWN, VK_F2));

  Probe->DlgCode = DLGC_WANTTAB;
  EXPECT_FALSE(PostKey(w, WM_KEYDOWN, VK_TAB));
  EXPECT_TRUE(PostKey(w, WM_KEYDOWN, VK_RETURN));
  EXPECT_TRUE(PostKey(w, WM_KEYDOWN, VK_LEFT));

  Probe->DlgCode = DLGC_WANTARROWS;
  EXPECT_FALSE(PostKey(w, WM_KEYDOWN, VK_LEFT));
  EXPECT_TRUE(PostKey(w, WM_KEYDOWN, VK_TAB));

  // An edit keeps typing keys, but not function keys, Enter or Alt+digit.
  Probe->DlgCode = DLGC_WANTCHARS;
  EXPECT_FALSE(PostKey(w, WM_KEYDOWN, '1'));
  EXPECT_FALSE(PostKey(w, WM_KEYDOWN, VK_BACK));
  EXPECT_FALSE(PostKey(w, WM_KEYDOWN, VK_OEM_COMMA));
  EXPECT_TRUE(PostKey(w, WM_KEYDOWN, VK_F2));
  EXPECT_TRUE(PostKey(w, WM_KEYDOWN, VK_RETURN));
  EXPECT_TRUE(PostKey(w, WM_SYSKEYDOWN, '1', kAltDown | 1));

  Probe->DlgCode = 0;
  Probe->WantSpecial = true;
  EXPECT_FALSE(PostKey(w, WM_KEYDOWN, VK_F2));
  EXPECT_FALSE(PostKey(w, WM_KEYDOWN, VK_ESCAPE));
}

TEST_F(InputForm, TheNativeEditOfAComboBoxFindsTheComboAboveIt) {
  auto* combo = new TComboBox(Form.get());
  combo->SetBounds(10, 60, 120, 24);
  combo->SetParent(Form.get());
  HWND edit = FindWindowExW(combo->Handle(), nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SetFocus(edit);
  ASSERT_EQ(GetFocus(), edit);
  // The edit answers WM_GETDLGCODE: it keeps characters and arrows.
  EXPECT_FALSE(PostKey(edit, WM_KEYDOWN, '1'));
  EXPECT_FALSE(PostKey(edit, WM_KEYDOWN, VK_LEFT));
  EXPECT_TRUE(PostKey(edit, WM_KEYDOWN, VK_F2));
  EXPECT_TRUE(PostKey(edit, WM_KEYDOWN, VK_TAB));
}

TEST_F(InputForm, TabEnterAndEscStillMoveFocusAndPressTheDefaultAndCancelButtons) {
  Answer = false;
  auto* ok = new TButton(Form.get());
  ok->SetBounds(10, 100, 75, 25);
  ok->SetDefault(true);
  ok->SetParent(Form.get());
  auto* cancel = new TButton(Form.get());
  cancel->SetBounds(100, 100, 75, 25);
  cancel->SetCancel(true);
  cancel->SetParent(Form.get());
  int oks = 0, cancels = 0;
  ok->OnClick = [&](TObject*) { ++oks; };
  cancel->OnClick = [&](TObject*) { ++cancels; };

  PostKey(Probe->Handle(), WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), ok->Handle());
  PostKey(ok->Handle(), WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), cancel->Handle());
  PostKey(cancel->Handle(), WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(oks, 1);
  PostKey(cancel->Handle(), WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(cancels, 1);
}

TEST_F(InputForm, CharactersTheControlDoesNotTakeBecomeDialogCharsAndAltCharsGoToTheFormFirst) {
  const HWND w = Probe->Handle();
  Answer = false;
  PostKey(w, WM_CHAR, 'x');
  EXPECT_EQ(DialogChars, std::vector<WPARAM>{'x'});

  // A character KeyPress swallowed, or one the control takes as text, is no dialog char.
  DialogChars.clear();
  Probe->OnKeyPress = [](TObject*, wchar_t& Key) {
    if (Key == 'y') Key = 0;
  };
  PostKey(w, WM_CHAR, 'y');
  Probe->DlgCode = DLGC_WANTCHARS;
  PostKey(w, WM_CHAR, 'x');
  EXPECT_TRUE(DialogChars.empty());

  // Alt+character: used by the form, the control's window never sees it.
  Answer = true;
  Probe->Seen.clear();
  PostKey(w, WM_SYSCHAR, 'f', kAltDown | 1);
  EXPECT_EQ(DialogChars, std::vector<WPARAM>{'f'});
  EXPECT_TRUE(Probe->Seen.empty());
}

TEST_F(InputForm, KeyPreviewLetsTheFormSeeKeysFirstAndStopThem) {
  std::vector<std::string> log;
  auto down = [&log](const char* who, WORD stop) {
    return [&log, who, stop](TObject*, WORD& Key, TShiftState) {
      log.push_back(std::string(who) + " down " + char(Key));
      if (Key == stop) Key = 0;
    };
  };
  Form->OnKeyDown = down("form", 'S');
  Probe->OnKeyDown = down("probe", 0);
  Form->OnKeyUp = [&](TObject*, WORD& Key, TShiftState) { log.push_back(std::string("form up ") + char(Key)); };
  Probe->OnKeyUp = [&](TObject*, WORD& Key, TShiftState) { log.push_back(std::string("probe up ") + char(Key)); };
  Form->OnKeyPress = [&](TObject*, wchar_t& Key) {
    log.push_back(std::string("form press ") + char(Key));
    if (Key == 's') Key = 0;
  };
  Probe->OnKeyPress = [&](TObject*, wchar_t& Key) { log.push_back(std::string("probe press ") + char(Key)); };
  Probe->DlgCode = DLGC_WANTCHARS;
  const HWND w = Probe->Handle();

  SendMessageW(w, WM_KEYDOWN, 'A', 1);
  EXPECT_EQ(log, std::vector<std::string>{"probe down A"});

  Form->SetKeyPreview(true);
  log.clear();
  SendMessageW(w, WM_KEYDOWN, 'A', 1);
  SendMessageW(w, WM_KEYDOWN, 'S', 1);
  SendMessageW(w, WM_KEYUP, 'A', 1);
  SendMessageW(w, WM_CHAR, 'a', 1);
  SendMessageW(w, WM_CHAR, 's', 1);
  EXPECT_EQ(log, (std::vector<std::string>{"form down A", "probe down A", "form down S", "form up A", "probe up A",
                                           "form press a", "probe press a", "form press s"}));
}

TEST_F(InputForm, ADialogKeyHandlerThatThrowsIsReportedAndTheLoopGoesOn) {
  std::vector<std::wstring> reports;
  Application->OnException = [&](TObject*, const std::exception*, const std::wstring& Text) {
    reports.push_back(Text);
  };
  bool later = false;
  TWndMethod old = Probe->WindowProc;
  Probe->WindowProc = [&, old](TMessage& m) {
    if (m.Msg == WM_USER + 5) later = true;
    old(m);
  };
  Throw = true;
  PostMessageW(Probe->Handle(), WM_KEYDOWN, VK_F2, 1);
  PostMessageW(Probe->Handle(), WM_USER + 5, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(reports, std::vector<std::wstring>{L"dialog key failed"});
  EXPECT_TRUE(later);
  // The key was not used: it still reached the control.
  EXPECT_EQ(Probe->Seen, std::vector<UINT>{WM_KEYDOWN});
  Probe->WindowProc = old;
}

TEST(ToolkitInput, IsAccelFindsTheMarkedCharacterIgnoringCase) {
  EXPECT_TRUE(IsAccel('F', L"&File"));
  EXPECT_TRUE(IsAccel('f', L"&File"));
  EXPECT_TRUE(IsAccel('A', L"Save &as"));
  EXPECT_TRUE(IsAccel('1', L"Level &1"));
  EXPECT_TRUE(IsAccel(L'\u00E4', L"&\u00C4rger"));
  EXPECT_FALSE(IsAccel('S', L"&File"));
  EXPECT_FALSE(IsAccel('F', L"File"));
  // "&&" is a literal ampersand; the accelerator is the next single one.
  EXPECT_FALSE(IsAccel('F', L"&&File"));
  EXPECT_FALSE(IsAccel('&', L"A&&B"));
  EXPECT_TRUE(IsAccel('C', L"A&&B&c"));
  // The first accelerator counts; a trailing '&' marks nothing.
  EXPECT_FALSE(IsAccel('B', L"&a&b"));
  EXPECT_FALSE(IsAccel('&', L"End&"));
  EXPECT_FALSE(IsAccel(0, L"&x"));
  EXPECT_FALSE(IsAccel('A', L""));
}

namespace {

// Controls that log their enter and leave events by name.
class MouseForm : public ToolkitWin {
protected:
  template <class T> T* Make(TWinControl* Parent, const char* Name, TRect Bounds) {
    auto* c = new T(Form.get());
    c->SetBoundsRect(Bounds);
    c->SetParent(Parent);
    const std::string name = Name;
    c->OnMouseEnter = [this, name](TObject*) { Log.push_back("enter " + name); };
    c->OnMouseLeave = [this, name](TObject*) { Log.push_back("leave " + name); };
    return c;
  }
  // The real cursor waits off every window; the moves and leaves come from the
  // test. Under Wine the cursor moves asynchronously and the system's own
  // moves can arrive late, so a placement waits until all is quiet.
  void SetUp() override {
    ToolkitWin::SetUp();
    PlaceCursor(1270, 1010);
  }
  static void PlaceCursor(int X, int Y) {
    SetCursorPos(X, Y);
    const DWORD start = GetTickCount();
    DWORD settled = start;
    POINT at{};
    while (GetTickCount() - start < 2000) {
      if (GetQueueStatus(QS_ALLINPUT) != 0 || !GetCursorPos(&at) || at.x != X || at.y != Y)
        settled = GetTickCount();
      else if (GetTickCount() - settled > 150)
        break;
      Application->ProcessMessages();
      Sleep(5);
    }
  }
  static void MoveTo(TWinControl* Window, int X, int Y) {
    SendMessageW(Window->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(X, Y));
  }
  // What the system sends when the real cursor leaves Window (it tracks the
  // real cursor, which Wine does only while the cursor is over the window).
  static void SystemLeave(TWinControl* Window) { SendMessageW(Window->Handle(), WM_MOUSELEAVE, 0, 0); }
  std::vector<std::string> Log;
};

}  // namespace

// Form (300 x 200): panel P at (20, 20, 160, 120) holds a panel C at (10, 10, 50, 40)
// and a paint box G at (60, 10, 100, 40); a paint box F lies on the form at (200, 20, 260, 80).
TEST_F(MouseForm, EnterAndLeaveFollowTheControlUnderTheMouseAndParentsStayEntered) {
  Form->OnMouseEnter = [this](TObject*) { Log.push_back("enter form"); };
  Form->OnMouseLeave = [this](TObject*) { Log.push_back("leave form"); };
  auto* p = Make<TPanel>(Form.get(), "P", TRect{20, 20, 160, 120});
  auto* c = Make<TPanel>(p, "C", TRect{10, 10, 50, 40});
  Make<TPaintBox>(p, "G", TRect{60, 10, 100, 40});
  Make<TPaintBox>(Form.get(), "F", TRect{200, 20, 260, 80});
  Form->Show();

  MoveTo(Form.get(), 5, 5);
  MoveTo(p, 5, 60);
  MoveTo(c, 5, 5);
  MoveTo(p, 70, 20);   // onto G: C is left, P is not
  MoveTo(p, 120, 60);  // off G, still in P
  MoveTo(Form.get(), 210, 30);
  MoveTo(Form.get(), 220, 40);  // moving within F changes nothing
  const std::vector<std::string> expected{"enter form", "enter P", "enter C", "leave C", "enter G",
                                          "leave G",    "leave P", "enter F", "leave F", "leave form"};
  SystemLeave(p);  // stale: P is not where the mouse is
  EXPECT_EQ(Log.size(), 8u);
  SystemLeave(Form.get());  // the cursor is off the form
  EXPECT_EQ(Log, expected);
  EXPECT_EQ(MouseControl(), nullptr);
}

// The system reports P left when the cursor moves onto its child C, maybe
// before C's first move: the mouse goes to C, and P stays entered.
TEST_F(MouseForm, ALeaveTowardsAChildWindowIsNoLeaveOfTheParent) {
  auto* p = Make<TPanel>(Form.get(), "P", TRect{20, 20, 160, 120});
  auto* c = Make<TPanel>(p, "C", TRect{10, 10, 50, 40});
  Form->Show();
  const TPoint overC = c->ClientToScreen(TPoint{5, 5});
  EXPECT_EQ(ControlAtScreen(overC), c);
  // A form's caption is no client area; the desktop is no toolkit window.
  RECT frame{};
  GetWindowRect(Form->Handle(), &frame);
  EXPECT_EQ(ControlAtScreen(TPoint{frame.left + 40, frame.top + 5}), nullptr);
  EXPECT_EQ(ControlAtScreen(TPoint{1270, 1010}), nullptr);
  PlaceCursor(overC.X, overC.Y);
  MoveTo(p, 100, 60);
  Log.clear();
  SendMessageW(p->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(MouseControl(), c);
  EXPECT_EQ(Log, std::vector<std::string>{"enter C"});
  PlaceCursor(1270, 1010);
  SystemLeave(c);
  EXPECT_EQ(MouseControl(), nullptr);
  EXPECT_EQ(Log, (std::vector<std::string>{"enter C", "leave C", "leave P"}));
}

TEST_F(MouseForm, AHiddenOrDestroyedControlUnderTheMouseIsHandled) {
  auto* p = Make<TPanel>(Form.get(), "P", TRect{20, 20, 160, 120});
  auto* c = Make<TPanel>(p, "C", TRect{10, 10, 50, 40});
  auto* g = Make<TPaintBox>(p, "G", TRect{60, 10, 100, 40});
  Form->Show();

  MoveTo(c, 5, 5);
  c->Hide();  // the mouse is back on P
  EXPECT_EQ(MouseControl(), p);
  MoveTo(p, 70, 20);
  delete g;  // no message to a control being destroyed
  EXPECT_EQ(MouseControl(), p);
  MoveTo(p, 120, 60);
  EXPECT_EQ(Log, (std::vector<std::string>{"enter P", "enter C", "leave C", "enter G"}));

  // A panel taken off its parent with the mouse in it is left; P is freed with the mouse in it.
  c->Show();
  MoveTo(c, 5, 5);
  Log.clear();
  c->SetParent(nullptr);
  EXPECT_EQ(Log, std::vector<std::string>{"leave C"});
  delete c;
  delete p;
  EXPECT_EQ(MouseControl(), Form.get());
  EXPECT_EQ(Log, std::vector<std::string>{"leave C"});
}

TEST_F(MouseForm, AHandlerThatThrowsOrMovesTheMouseKeepsThePairsBalanced) {
  std::vector<std::wstring> reports;
  Application->OnException = [&](TObject*, const std::exception*, const std::wstring& Text) {
    reports.push_back(Text);
  };
  auto* p = Make<TPanel>(Form.get(), "P", TRect{20, 20, 160, 120});
  auto* c = Make<TPanel>(p, "C", TRect{10, 10, 50, 40});
  auto* g = Make<TPaintBox>(p, "G", TRect{60, 10, 100, 40});
  // Entering C hides G; entering G fails.
  c->OnMouseEnter = [this, g](TObject*) {
    Log.push_back("enter C");
    g->Hide();
  };
  g->OnMouseEnter = [this](TObject*) {
    Log.push_back("enter G");
    throw std::runtime_error("enter failed");
  };
  Form->Show();
  MoveTo(p, 70, 20);
  MoveTo(c, 5, 5);
  const std::vector<std::string> expected{"enter P", "enter G", "leave G", "enter C", "leave C", "leave P"};
  SystemLeave(c);
  EXPECT_EQ(Log, expected);
  EXPECT_EQ(reports, std::vector<std::wstring>{L"enter failed"});
}

TEST_F(ToolkitWin, TheWheelGoesToTheControlUnderTheCursorAndUpItsParentsUntilUsed) {
  auto* focused = new TPanel(Form.get());
  focused->SetBounds(200, 20, 60, 60);
  focused->SetParent(Form.get());
  auto* p = new TPanel(Form.get());
  p->SetBounds(20, 20, 160, 120);
  p->SetParent(Form.get());
  auto* g = new TPaintBox(Form.get());
  g->SetBounds(60, 10, 40, 30);
  g->SetParent(p);
  Form->Show();
  focused->SetFocus();

  std::vector<std::string> log;
  bool pUses = true;
  auto record = [&log](const char* Name, bool* Uses) {
    return [&log, Name, Uses](TObject*, TShiftState, int Delta, TPoint, bool& Handled) {
      log.push_back(std::string(Name) + " " + std::to_string(Delta));
      if (Uses) Handled = *Uses;
    };
  };
  g->OnMouseWheel = record("G", nullptr);
  p->OnMouseWheel = record("P", &pUses);
  Form->OnMouseWheel = record("form", nullptr);
  focused->OnMouseWheel = record("focused", nullptr);
  auto wheel = [&](TPoint screen, int delta) {
    log.clear();
    SendMessageW(focused->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(screen.X, screen.Y));
    return log;
  };

  const TPoint overG = p->ClientToScreen(TPoint{70, 20});
  EXPECT_EQ(wheel(overG, 120), (std::vector<std::string>{"G 120", "P 120"}));
  // Used by nobody: every parent is asked once, and the native passing-on asks no one again.
  pUses = false;
  EXPECT_EQ(wheel(overG, -120), (std::vector<std::string>{"G -120", "P -120", "form -120"}));
  // Away from every toolkit window: the focused control.
  RECT r{};
  GetWindowRect(Form->Handle(), &r);
  EXPECT_EQ(wheel(TPoint{r.right + 200, r.bottom + 100}, 240), (std::vector<std::string>{"focused 240", "form 240"}));
}

namespace {

// Records the senders of the cancel-mode notices that reach it.
class TCancelProbe : public TCustomControl {
public:
  explicit TCancelProbe(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
  std::vector<TControl*> Senders;

protected:
  void CMCancelMode(TCMCancelMode& Message) override { Senders.push_back(Message.Sender); }
};

}  // namespace

// An open drop-down list must close when the user presses elsewhere or the
// focus moves on: the focused control hears of both, naming the cause.
TEST_F(ToolkitWin, ThePressOfAnotherControlOrAFocusChangeTellsTheFocusedControl) {
  auto* focused = new TCancelProbe(Form.get());
  focused->SetParent(Form.get());
  focused->SetBounds(10, 10, 60, 30);
  auto* other = new TCancelProbe(Form.get());
  other->SetParent(Form.get());
  other->SetBounds(100, 10, 60, 30);
  Form->Show();
  focused->SetFocus();
  Application->ProcessMessages();
  focused->Senders.clear();

  SendMessageW(other->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(other->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageW(Form->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(210, 15));
  SendMessageW(Form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(210, 15));
  EXPECT_EQ(focused->Senders, (std::vector<TControl*>{other, Form.get()}));

  focused->Senders.clear();
  other->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(focused->Senders, std::vector<TControl*>{other});
  EXPECT_TRUE(other->Senders.empty());
}
