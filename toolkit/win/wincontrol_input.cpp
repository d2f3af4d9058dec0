// Keyboard and mouse routing of the controls: key events with the form's
// preview, dialog keys and characters offered to the form, accelerators, the
// control under the mouse with its enter/leave pairs, and the mouse wheel.
#include "toolkit/win/controls.h"

#include "toolkit/core/scope.h"

#include <algorithm>
#include <vector>

namespace {

bool IsArrowKey(WORD Key) { return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN; }

// Keys that type into a text field: letters, digits, space, the punctuation
// keys, the numeric pad's digits and operators, and Backspace, which edits
// the text. Function keys, Enter, Esc, Tab and the navigation keys are not.
bool IsCharacterKey(WORD Key) {
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return true;
  if (Key == VK_SPACE || Key == VK_BACK) return true;
  if (Key >= VK_NUMPAD0 && Key <= VK_DIVIDE && Key != VK_SEPARATOR) return true;
  return (Key >= VK_OEM_1 && Key <= VK_OEM_3) || (Key >= VK_OEM_4 && Key <= VK_OEM_8) || Key == VK_OEM_102;
}

wchar_t UpperChar(wchar_t C) {
  CharUpperBuffW(&C, 1);
  return C;
}

bool Contains(const std::vector<TControl*>& List, TControl* C) {
  return std::find(List.begin(), List.end(), C) != List.end();
}

bool IsDestroying(TControl* C) { return C->ComponentState().Contains(csDestroying); }

// The window that holds a control: itself when windowed, else its parent.
TWinControl* HolderOf(TControl* C) {
  if (!C) return nullptr;
  if (auto* window = dynamic_cast<TWinControl*>(C)) return window;
  return C->Parent();
}

TControl* ControlAtClientPoint(TWinControl* Window, TPoint P) {
  TControl* graphic = Window->ControlAtPos(P, false);
  return graphic ? graphic : Window;
}

bool InClientArea(TWinControl* Window, TPoint P) {
  const TRect r = Window->ClientRect();
  return P.X >= r.Left && P.X < r.Right && P.Y >= r.Top && P.Y < r.Bottom;
}

// The control under the mouse and the controls that got CM_MOUSEENTER and no
// CM_MOUSELEAVE yet, outermost first. One GUI thread: one tracker. Never
// destroyed: forms left to the application object are destroyed during static
// destruction and still report here.
// The system watches one window of a thread for WM_MOUSELEAVE at a time:
// Tracked is that window.
struct TMouseTracker {
  TControl* Current = nullptr;
  std::vector<TControl*> Entered;
  bool Syncing = false;
  HWND Tracked = nullptr;
};

TMouseTracker& Tracker() {
  static auto* tracker = new TMouseTracker;
  return *tracker;
}

// Current and its parents, innermost first, without controls being destroyed.
std::vector<TControl*> ChainOf(TControl* C) {
  std::vector<TControl*> chain;
  for (; C; C = C->Parent())
    if (!IsDestroying(C)) chain.push_back(C);
  return chain;
}

// A failing handler must not leave the other controls unbalanced: its
// exception is reported and the remaining messages are still sent.
void NotifyMouse(TControl* C, UINT Msg) {
  try {
    C->Perform(Msg, 0, reinterpret_cast<LPARAM>(C));
  } catch (...) {
    HandleControlException(C);
  }
}

// Sends one message at a time and looks again after each, since a handler
// may move, hide or free controls. A pass started by a handler is left to
// the running one. The step limit ends a pass whose handlers keep changing
// what is under the mouse.
void SyncMouseControls() {
  TMouseTracker& t = Tracker();
  if (t.Syncing) return;
  t.Syncing = true;
  TScopeExit done([&t] { t.Syncing = false; });
  for (int step = 0; step < 256; ++step) {
    const std::vector<TControl*> chain = ChainOf(t.Current);
    TControl* target = nullptr;
    UINT msg = CM_MOUSELEAVE;
    for (auto it = t.Entered.rbegin(); it != t.Entered.rend() && !target; ++it)
      if (!Contains(chain, *it)) target = *it;
    if (target) {
      t.Entered.erase(std::find(t.Entered.begin(), t.Entered.end(), target));
      if (IsDestroying(target)) continue;
    } else {
      for (auto it = chain.rbegin(); it != chain.rend() && !target; ++it)
        if (!Contains(t.Entered, *it)) target = *it;
      if (!target) return;
      msg = CM_MOUSEENTER;
      t.Entered.push_back(target);
    }
    NotifyMouse(target, msg);
  }
}

bool IsWithin(TControl* C, TControl* Container) {
  for (; C; C = C->Parent())
    if (C == Container) return true;
  return false;
}

// Set while a wheel message is being routed: the native procedures pass an
// unused wheel on to the parent windows, which must not route it again.
thread_local bool RoutingWheel = false;

}  // namespace

// ---- Accelerators ---------------------------------------------------------------------------

bool IsAccel(WORD Key, const std::wstring& Caption) {
  if (Key == 0) return false;
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != L'&') continue;
    if (Caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return UpperChar(Caption[i + 1]) == UpperChar(static_cast<wchar_t>(Key));
  }
  return false;
}

// ---- Keys -------------------------------------------------------------------------------------

TWinControl* TWinControl::KeyRoot() {
  TWinControl* root = this;
  while (root->FParent) root = root->FParent;
  return root;
}

TWinControl* TWinControl::FindControlAbove(HWND Window) {
  for (HWND w = Window; w; w = (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
    if (TWinControl* control = FindControl(w)) return control;
  return nullptr;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(wchar_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

// With KeyPreview the form sees the key before the control; a zeroed key
// goes no further. Each returns whether the key is still there.
bool TWinControl::DoKeyDown(WORD& Key, TShiftState Shift) {
  TWinControl* root = KeyRoot();
  if (root != this && root->PreviewsKeys()) root->KeyDown(Key, Shift);
  if (Key != 0) KeyDown(Key, Shift);
  return Key != 0;
}

bool TWinControl::DoKeyUp(WORD& Key, TShiftState Shift) {
  TWinControl* root = KeyRoot();
  if (root != this && root->PreviewsKeys()) root->KeyUp(Key, Shift);
  if (Key != 0) KeyUp(Key, Shift);
  return Key != 0;
}

bool TWinControl::DoKeyPress(wchar_t& Key) {
  TWinControl* root = KeyRoot();
  if (root != this && root->PreviewsKeys()) root->KeyPress(Key);
  if (Key != 0) KeyPress(Key);
  return Key != 0;
}

void TWinControl::WMKeyDown(TWMKey& Message) {
  WORD key = Message.CharCode;
  if (!DoKeyDown(key, KeyboardStateToShiftState())) return;
  Message.Raw.WParam = key;
  DefaultHandler(Message.Raw);
}

void TWinControl::WMKeyUp(TWMKey& Message) {
  WORD key = Message.CharCode;
  if (!DoKeyUp(key, KeyboardStateToShiftState())) return;
  Message.Raw.WParam = key;
  DefaultHandler(Message.Raw);
}

// Alt combinations and F10: a key zeroed here never reaches the system's menu handling.
void TWinControl::WMSysKeyDown(TWMKey& Message) {
  WORD key = Message.CharCode;
  if (!DoKeyDown(key, KeyDataToShiftState(Message.KeyData))) return;
  Message.Raw.WParam = key;
  DefaultHandler(Message.Raw);
}

void TWinControl::WMSysKeyUp(TWMKey& Message) {
  WORD key = Message.CharCode;
  if (!DoKeyUp(key, KeyDataToShiftState(Message.KeyData))) return;
  Message.Raw.WParam = key;
  DefaultHandler(Message.Raw);
}

// A character the control does not take as text is offered to the form as a
// dialog character (accelerators); a used one goes no further.
void TWinControl::WMChar(TWMKey& Message) {
  wchar_t key = static_cast<wchar_t>(Message.CharCode);
  if (!DoKeyPress(key)) return;
  Message.Raw.WParam = key;
  MSG msg{FHandle, WM_CHAR, Message.Raw.WParam, Message.KeyData, 0, {}};
  const LRESULT code = FHandle ? SendMessageW(FHandle, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg)) : 0;
  if (!(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))) {
    if (KeyRoot()->Perform(CM_DIALOGCHAR, key, Message.KeyData) != 0) return;
  }
  DefaultHandler(Message.Raw);
}

bool TWinControl::WantsKey(WORD Key, LPARAM KeyData, UINT KeyMsg) {
  if (Perform(CM_WANTSPECIALKEY, Key, KeyData) != 0) return true;
  if (!FHandle) return false;
  HWND focus = GetFocus();
  HWND target = focus && (focus == FHandle || IsChild(FHandle, focus)) ? focus : FHandle;
  MSG msg{target, KeyMsg, Key, KeyData, 0, {}};
  const LRESULT code = SendMessageW(target, WM_GETDLGCODE, Key, reinterpret_cast<LPARAM>(&msg));
  if (code & DLGC_WANTALLKEYS) return true;
  if (Key == VK_TAB) return (code & DLGC_WANTTAB) != 0;
  if (IsArrowKey(Key)) return (code & DLGC_WANTARROWS) != 0;
  if ((code & DLGC_WANTCHARS) && IsCharacterKey(Key)) return !(KeyDataToShiftState(KeyData) & (ssCtrl | ssAlt));
  return false;
}

// The form's WindowProc sees the dialog key first (a hook on it may answer),
// then the form's handling passes it to the controls until one uses it.
bool TWinControl::OfferDialogKey(const TWMKey& Message, UINT KeyMsg) {
  if (WantsKey(Message.CharCode, Message.KeyData, KeyMsg)) return false;
  return KeyRoot()->Perform(CM_DIALOGKEY, Message.CharCode, Message.KeyData) != 0;
}

void TWinControl::CNKeyDown(TWMKey& Message) { Message.Result = OfferDialogKey(Message, WM_KEYDOWN) ? 1 : 0; }

void TWinControl::CNSysKeyDown(TWMKey& Message) { Message.Result = OfferDialogKey(Message, WM_SYSKEYDOWN) ? 1 : 0; }

// Alt+character goes to the form before the window's own handling, which
// would beep for a character no menu uses.
void TWinControl::CNSysChar(TWMKey& Message) {
  Message.Result = KeyRoot()->Perform(CM_DIALOGCHAR, Message.CharCode, Message.KeyData) != 0 ? 1 : 0;
}

// Passed down to every control of the form until one uses it.
void TWinControl::CMDialogKey(TWMKey& Message) { Broadcast(Message.Raw); }
void TWinControl::CMDialogChar(TWMKey& Message) { Broadcast(Message.Raw); }

// ---- Mouse enter and leave ------------------------------------------------------------------

TControl* MouseControl() { return Tracker().Current; }

void SetMouseControl(TControl* Control) {
  Tracker().Current = Control;
  SyncMouseControls();
}

void MouseControlGone(TControl* Control, bool Destroyed) {
  TMouseTracker& t = Tracker();
  if (IsWithin(t.Current, Control)) t.Current = Control->Parent();
  if (Destroyed || IsDestroying(Control)) {
    // Its parents stay entered; it gets no message.
    auto it = std::find(t.Entered.begin(), t.Entered.end(), Control);
    if (it != t.Entered.end()) t.Entered.erase(it);
  }
  SyncMouseControls();
}

TControl* ControlAtScreen(TPoint P) {
  TWinControl* window = TWinControl::FindControlAbove(WindowFromPoint(ToPOINT(P)));
  if (!window || GetWindowThreadProcessId(window->Handle(), nullptr) != GetCurrentThreadId()) return nullptr;
  // A point on a window's frame belongs to the parent's client area, if any.
  for (; window && window->HandleAllocated(); window = window->Parent()) {
    const TPoint local = window->ScreenToClient(P);
    if (InClientArea(window, local)) return ControlAtClientPoint(window, local);
  }
  return nullptr;
}

void TWinControl::TrackMouseLeave() {
  HWND& tracked = Tracker().Tracked;
  if (tracked == FHandle || !FHandle) return;
  TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, FHandle, 0};
  tracked = TrackMouseEvent(&track) ? FHandle : nullptr;
}

void TWinControl::ForgetMouseTracking() {
  if (FHandle && Tracker().Tracked == FHandle) Tracker().Tracked = nullptr;
}

// With the mouse captured, moves arrive from outside the window too: then the
// control under the point is looked up on the screen.
void TWinControl::WMMouseMove(TWMMouse& Message) {
  TrackMouseLeave();
  SetMouseControl(InClientArea(this, Message.Pos) ? ControlAtClientPoint(this, Message.Pos)
                                                  : ControlAtScreen(ClientToScreen(Message.Pos)));
  TControl::WMMouseMove(Message);
}

// The system reports a leave also when the mouse moves onto a child window.
// Only a leave of the window that holds the control under the mouse counts,
// and the mouse goes to whatever toolkit control is under the cursor now.
void TWinControl::WMMouseLeave(TWMBase& Message) {
  ForgetMouseTracking();
  DefaultHandler(Message.Raw);
  if (HolderOf(MouseControl()) != this) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  SetMouseControl(ControlAtScreen(ToTPoint(cursor)));
  if (TWinControl* holder = HolderOf(MouseControl())) holder->TrackMouseLeave();
}

void TControl::CMMouseEnter(TCMMouse& Message) {
  if (OnMouseEnter && (!Message.Control || Message.Control == this)) OnMouseEnter(this);
  DefaultHandler(Message.Raw);
}

void TControl::CMMouseLeave(TCMMouse& Message) {
  if (OnMouseLeave && (!Message.Control || Message.Control == this)) OnMouseLeave(this);
  DefaultHandler(Message.Raw);
}

// ---- Mouse wheel ----------------------------------------------------------------------------

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}

// Unused here: the parent is asked next.
void TControl::CMMouseWheel(TWMMouseWheel& Message) {
  if (DoMouseWheel(Message.Shift(), Message.WheelDelta, Message.Pos)) {
    Message.Result = 1;
    return;
  }
  Message.Result = FParent ? FParent->Perform(CM_MOUSEWHEEL, Message.Raw.WParam, Message.Raw.LParam) : 0;
}

// The system gives the wheel to the focused window; it goes to the toolkit
// control under the cursor instead when there is one, and up its parents.
// When none uses it, the native procedure of the window under the cursor
// gets it (a native list scrolls).
void TWinControl::WMMouseWheel(TWMMouseWheel& Message) {
  if (RoutingWheel) {
    DefaultHandler(Message.Raw);
    return;
  }
  RoutingWheel = true;
  TScopeExit done([] { RoutingWheel = false; });
  TControl* target = ControlAtScreen(Message.Pos);
  if (!target) target = this;
  if (target->Perform(CM_MOUSEWHEEL, Message.Raw.WParam, Message.Raw.LParam) != 0) {
    Message.Result = 0;
    return;
  }
  if (TWinControl* holder = HolderOf(target)) holder->DefaultHandler(Message.Raw);
}
