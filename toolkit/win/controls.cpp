#include "toolkit/win/controls.h"

#include "toolkit/win/forms.h"

#include <algorithm>
#include <unordered_map>

namespace {

template <class C> using THandlerTable = std::unordered_map<UINT, void (C::*)(TMessage&)>;

// Original window procedures of the registered toolkit classes, by class atom:
// DefWindowProcW for plain classes, the native procedure for superclasses.
// Never destroyed: windows left to the application object are destroyed during
// static destruction, after function-local statics of this file are gone.
std::unordered_map<ATOM, WNDPROC>& ClassProcs() {
  static auto* procs = new std::unordered_map<ATOM, WNDPROC>;
  return *procs;
}

// The control whose window CreateWindowExW is making. Top-level windows get
// messages (WM_GETMINMAXINFO) before WM_NCCREATE; the first message binds.
thread_local TWinControl* CreationControl = nullptr;

WNDPROC ClassDefaultProc(HWND Window) {
  const ATOM atom = static_cast<ATOM>(GetClassLongPtrW(Window, GCW_ATOM));
  auto it = ClassProcs().find(atom);
  return it == ClassProcs().end() ? DefWindowProcW : it->second;
}

template <class T> void EraseValue(std::vector<T>& List, const T& Value) {
  auto it = std::find(List.begin(), List.end(), Value);
  if (it != List.end()) List.erase(it);
}

}  // namespace

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState s = 0;
  if (Keys & MK_SHIFT) s |= ssShift;
  if (Keys & MK_CONTROL) s |= ssCtrl;
  if (Keys & MK_LBUTTON) s |= ssLeft;
  if (Keys & MK_RBUTTON) s |= ssRight;
  if (Keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

// The window procedure of every toolkit window: binds the object on
// WM_NCCREATE, then hands each message to the object's WindowProc. Exceptions
// stop here and go to the application object.
LRESULT CALLBACK StdWndProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!control && CreationControl && !CreationControl->FHandle) {
    control = CreationControl;
  } else if (!control && Msg == WM_NCCREATE) {
    control = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams);
  }
  if (control && !control->FHandle) {
    if (control == CreationControl) CreationControl = nullptr;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    control->FHandle = Window;
  }
  if (!control) return CallWindowProcW(ClassDefaultProc(Window), Window, Msg, WParam, LParam);
  TMessage message{Msg, WParam, LParam, 0};
  try {
    if (control->WindowProc)
      control->WindowProc(message);
    else
      control->WndProc(message);
  } catch (...) {
    Application->HandleException(control);
  }
  if (Msg == WM_NCDESTROY) {
    SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
    if (control->FHandle == Window) control->FHandle = nullptr;
  }
  return message.Result;
}

// ---- TControl ------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  WindowProc = [this](TMessage& Message) { WndProc(Message); };
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  if (FParent) FParent->RemoveControl(this);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message{Msg, WParam, LParam, 0};
  if (WindowProc)
    WindowProc(message);
  else
    WndProc(message);
  return message.Result;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& Message) {
  // Never destroyed, like ClassProcs: messages still arrive during static destruction.
  static const THandlerTable<TControl>& table = *new THandlerTable<TControl>{
      {WM_LBUTTONDOWN, &TControl::WMLButtonDown},
      {WM_LBUTTONDBLCLK, &TControl::WMLButtonDblClk},
      {WM_LBUTTONUP, &TControl::WMLButtonUp},
      {WM_RBUTTONDOWN, &TControl::WMRButtonDown},
      {WM_RBUTTONUP, &TControl::WMRButtonUp},
      {WM_MOUSEMOVE, &TControl::WMMouseMove},
      {CM_VISIBLECHANGED, &TControl::CMVisibleChanged},
      {CM_ENABLEDCHANGED, &TControl::CMEnabledChanged},
      {CM_FONTCHANGED, &TControl::CMFontChanged},
      {CM_COLORCHANGED, &TControl::CMColorChanged},
      {CM_TEXTCHANGED, &TControl::CMTextChanged},
      {CM_PARENTFONTCHANGED, &TControl::CMParentFontChanged},
      {CM_PARENTCOLORCHANGED, &TControl::CMParentColorChanged},
      {CM_INVALIDATE, &TControl::CMInvalidate},
      {CM_MOUSEENTER, &TControl::CMMouseEnter},
      {CM_MOUSELEAVE, &TControl::CMMouseLeave},
  };
  auto it = table.find(Message.Msg);
  if (it != table.end())
    (this->*it->second)(Message);
  else
    DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  const bool resized = AWidth != FWidth || AHeight != FHeight;
  if (FParent && FVisible) Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FParent && FVisible) Invalidate();
  RequestAlign();
  if (resized) Resize();
}

TRect TControl::ClientRect() { return TRect{0, 0, FWidth, FHeight}; }

void TControl::SetClientSize(int AWidth, int AHeight) {
  const TRect client = ClientRect();
  SetBounds(FLeft, FTop, FWidth - client.Right + AWidth, FHeight - client.Bottom + AHeight);
}

TPoint TControl::ClientOrigin() {
  if (!FParent) return TPoint{FLeft, FTop};
  const TPoint parent = FParent->ClientOrigin();
  return TPoint{parent.X + FLeft, parent.Y + FTop};
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
  RequestAlign();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor && !FParentColor) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  if (Value && FParent) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  if (Value && FParent) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontChanged() {
  FParentFont = false;
  Perform(CM_FONTCHANGED);
}

std::wstring TControl::Text() { return GetTextBuf(); }

void TControl::SetText(const std::wstring& Value) {
  if (GetTextBuf() == Value) return;
  SetTextBuf(Value);
  Perform(CM_TEXTCHANGED);
}

void TControl::SetTextBuf(const std::wstring& Value) { FText = Value; }
std::wstring TControl::GetTextBuf() { return FText; }

bool TControl::MouseCapture() {
  auto* window = dynamic_cast<TWinControl*>(this);
  HWND target = window ? window->FHandle : (FParent ? FParent->FHandle : nullptr);
  return target && GetCapture() == target;
}

void TControl::SetMouseCapture(bool Value) {
  auto* window = dynamic_cast<TWinControl*>(this);
  HWND target = window ? window->Handle() : (FParent ? FParent->Handle() : nullptr);
  if (Value && target)
    SetCapture(target);
  else if (!Value && target && GetCapture() == target)
    ReleaseCapture();
}

void TControl::Invalidate() { Perform(CM_INVALIDATE); }

void TControl::Update() {
  if (auto* window = dynamic_cast<TWinControl*>(this); window && window->HandleAllocated())
    UpdateWindow(window->FHandle);
  else if (FParent)
    FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  EraseValue(list, this);
  list.push_back(this);
  if (auto* window = dynamic_cast<TWinControl*>(this); window && window->HandleAllocated())
    SetWindowPos(window->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

TCustomForm* TControl::GetParentForm() {
  TControl* c = this;
  while (c->FParent) c = c->FParent;
  return dynamic_cast<TCustomForm*>(c);
}

void TControl::Changed() { Perform(CM_INVALIDATE); }

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Extra) {
  const TPoint p = PointFromLParam(Message.LParam);
  MouseDown(Button, KeysToShiftState(Message.WParam) | Extra, p.X, p.Y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  const TPoint p = PointFromLParam(Message.LParam);
  MouseUp(Button, KeysToShiftState(Message.WParam), p.X, p.Y);
}

// A press captures the mouse; the release over the control is the click. The
// second press of a double click is handled like a first one, so a quick
// double click on a button counts as two clicks.
void TControl::WMLButtonDown(TMessage& Message) {
  DefaultHandler(Message);
  if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
  if (FControlStyle & csClickEvents) FControlState |= csClicked;
  FControlState |= csLButtonDown;
  DoMouseDown(Message, mbLeft, 0);
}

void TControl::WMLButtonDblClk(TMessage& Message) {
  DefaultHandler(Message);
  if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
  if (FControlStyle & csClickEvents) FControlState |= csClicked;
  FControlState |= csLButtonDown;
  DblClick();
  DoMouseDown(Message, mbLeft, ssDouble);
}

void TControl::WMLButtonUp(TMessage& Message) {
  DefaultHandler(Message);
  if (FControlStyle & csCaptureMouse) SetMouseCapture(false);
  const bool clicked = (FControlState & csClicked) != 0;
  FControlState &= ~(csClicked | csLButtonDown);
  if (clicked) {
    const RECT r = ToRECT(ClientRect());
    if (PtInRect(&r, ToPOINT(PointFromLParam(Message.LParam)))) Click();
  }
  DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonDown(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseDown(Message, mbRight, 0);
}

void TControl::WMRButtonUp(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseUp(Message, mbRight);
}

void TControl::WMMouseMove(TMessage& Message) {
  DefaultHandler(Message);
  const TPoint p = PointFromLParam(Message.LParam);
  MouseMove(KeysToShiftState(Message.WParam), p.X, p.Y);
}

void TControl::CMVisibleChanged(TMessage& Message) {
  if (FParent) FParent->Invalidate();
  DefaultHandler(Message);
}

void TControl::CMEnabledChanged(TMessage& Message) {
  Invalidate();
  DefaultHandler(Message);
}

void TControl::CMFontChanged(TMessage& Message) {
  Invalidate();
  DefaultHandler(Message);
}

void TControl::CMColorChanged(TMessage& Message) {
  Invalidate();
  DefaultHandler(Message);
}

void TControl::CMTextChanged(TMessage& Message) {
  Invalidate();
  DefaultHandler(Message);
}

void TControl::CMParentFontChanged(TMessage& Message) {
  if (FParentFont && FParent) {
    // Copying the parent's font must not switch ParentFont off.
    auto handler = std::move(FFont->OnChange);
    FFont->Assign(&FParent->Font());
    FFont->OnChange = std::move(handler);
    Perform(CM_FONTCHANGED);
  }
}

void TControl::CMParentColorChanged(TMessage& Message) {
  if (FParentColor && FParent) {
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED);
  }
}

void TControl::CMInvalidate(TMessage& Message) {
  // A window-less control asks its parent to repaint its area.
  if (FParent && FParent->HandleAllocated()) {
    const RECT r = ToRECT(BoundsRect());
    InvalidateRect(FParent->FHandle, &r, TRUE);
  }
}

void TControl::CMMouseEnter(TMessage& Message) { DefaultHandler(Message); }
void TControl::CMMouseLeave(TMessage& Message) { DefaultHandler(Message); }

// ---- TWinControl ---------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FControlStyle |= csAcceptsControls;
  FColor = clBtnFace;
}

TWinControl::~TWinControl() {
  // Owned components go first, while this object is still whole.
  Destroying();
  DestroyComponents();
  // Children that belong to other owners lose their parent but stay alive.
  while (!FControls.empty()) RemoveControl(FControls.back());
  if (FHandle) {
    // The object is half gone: the window's last messages go to its class procedure.
    HWND window = FHandle;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    FHandle = nullptr;
    DestroyWindow(window);
  }
  if (FParent) FParent->RemoveControl(this);
}

TWinControl* TWinControl::FindControl(HWND Window) {
  if (!Window) return nullptr;
  if (reinterpret_cast<WNDPROC>(GetClassLongPtrW(Window, GCLP_WNDPROC)) != StdWndProc) return nullptr;
  return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  if (!FHandle) CreateHandle();
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
  CreateChildHandles();
  Realign();
}

void TWinControl::CreateChildHandles() {
  const std::vector<TControl*> children = FControls;
  for (TControl* child : children)
    if (auto* window = dynamic_cast<TWinControl*>(child); window && !window->FHandle) window->CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle & csAcceptsControls) Params.Style |= WS_CLIPCHILDREN;
  if (FVisible) Params.Style |= WS_VISIBLE;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->FHandle : nullptr;
  Params.Param = this;
  Params.ClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.Cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  Params.WinClassName = L"QuorrelWinControl";
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (FParent && !params.WndParent) params.WndParent = FParent->Handle();
  CreateWindowHandle(params);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW existing{};
  if (!GetClassInfoW(instance, Params.WinClassName.c_str(), &existing)) {
    WNDCLASSW wc{};
    WNDPROC baseProc = DefWindowProcW;
    if (!Params.BaseClassName.empty()) {
      Win32Check(GetClassInfoW(nullptr, Params.BaseClassName.c_str(), &wc), "GetClassInfoW");
      baseProc = wc.lpfnWndProc;
      wc.style &= ~CS_GLOBALCLASS;
    } else {
      wc.style = Params.ClassStyle;
      wc.hCursor = Params.Cursor;
      wc.hbrBackground = Params.Background;
    }
    wc.lpfnWndProc = StdWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = Params.WinClassName.c_str();
    const ATOM atom = RegisterClassW(&wc);
    Win32Check(atom != 0, "RegisterClassW");
    ClassProcs()[atom] = baseProc;
  }
  {
    // GetClassInfoExW returns the class atom (GetClassInfoW only promises non-zero).
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    const ATOM atom = static_cast<ATOM>(GetClassInfoExW(instance, Params.WinClassName.c_str(), &wc));
    auto it = ClassProcs().find(atom);
    FDefWndProc = it == ClassProcs().end() ? DefWindowProcW : it->second;
  }
  FControlState |= csCreating;
  TWinControl* const outer = CreationControl;
  CreationControl = Params.Param == this ? this : nullptr;
  HWND window = CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style,
                                Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr, instance,
                                Params.Param);
  CreationControl = outer;
  FControlState &= ~csCreating;
  Win32Check(window != nullptr, "CreateWindowExW");
  FHandle = window;
}

void TWinControl::DestroyWnd() {
  if (!FHandle) return;
  // Keep what lives only in the window.
  FText = GetTextBuf();
  FControlState |= csDestroyingHandle;
  DestroyWindow(FHandle);
  FControlState &= ~csDestroyingHandle;
  FHandle = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* child : FControls)
    if (auto* window = dynamic_cast<TWinControl*>(child)) window->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  if (!FHandle) return;
  DestroyHandle();
  HandleNeeded();
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FControls[Index];
}

bool TWinControl::ContainsControl(TControl* AControl) const {
  for (TControl* c = AControl; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* AControl) {
  if (auto* window = dynamic_cast<TWinControl*>(AControl); window && window->ContainsControl(this))
    throw EInvalidOperation("Control cannot be its own ancestor");
  FControls.push_back(AControl);
  AControl->FParent = this;
  auto* window = dynamic_cast<TWinControl*>(AControl);
  if (window) FTabList.push_back(window);
  AControl->Perform(CM_PARENTCOLORCHANGED);
  AControl->Perform(CM_PARENTFONTCHANGED);
  if (window && FHandle && !window->FHandle) window->CreateHandle();
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  if (AControl->FAlign != alNone) Realign();
  if (!window) AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (AControl->FParent != this) return;
  auto* window = dynamic_cast<TWinControl*>(AControl);
  if (window) window->DestroyHandle();
  if (!window && AControl->FVisible) AControl->Invalidate();
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  EraseValue(FControls, AControl);
  if (window) EraseValue(FTabList, window);
  AControl->FParent = nullptr;
  if (AControl->FAlign != alNone && !ComponentState().Contains(csDestroying)) Realign();
}

void TWinControl::SetTabStop(bool Value) {
  if (Value == FTabStop) return;
  FTabStop = Value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
    SetWindowLongPtrW(FHandle, GWL_STYLE, Value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
}

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  const auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!FParent) return;
  auto& list = FParent->FTabList;
  EraseValue(list, this);
  Value = std::clamp(Value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + Value, this);
}

bool TWinControl::CanFocus() {
  for (TWinControl* c = this; c; c = c->FParent)
    if (!c->FVisible || !c->FEnabled) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0 && --FAlignLevel == 0 && (FControlState & csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
  if (FAlignLevel > 0) {
    FControlState |= csAlignmentNeeded;
    return;
  }
  FControlState &= ~csAlignmentNeeded;
  DisableAlign();
  try {
    TRect r = ClientRect();
    AdjustClientRect(r);
    AlignControls(nullptr, r);
  } catch (...) {
    FControlState &= ~csAlignmentNeeded;
    EnableAlign();
    throw;
  }
  // Children moved by this pass asked again; their places are final already.
  FControlState &= ~csAlignmentNeeded;
  EnableAlign();
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::AlignControls(TControl*, TRect& Rect) {
  // Top, bottom, left, right, then client; among equals by position.
  auto place = [&](TAlign align) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->FAlign == align && c->FVisible) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
      switch (align) {
        case alTop: return a->FTop < b->FTop;
        case alBottom: return a->FTop + a->FHeight > b->FTop + b->FHeight;
        case alLeft: return a->FLeft < b->FLeft;
        case alRight: return a->FLeft + a->FWidth > b->FLeft + b->FWidth;
        default: return false;
      }
    });
    for (TControl* c : list) {
      const int w = Rect.Width(), h = Rect.Height();
      switch (align) {
        case alTop:
          c->SetBounds(Rect.Left, Rect.Top, w, c->FHeight);
          Rect.Top += c->FHeight;
          break;
        case alBottom:
          c->SetBounds(Rect.Left, Rect.Bottom - c->FHeight, w, c->FHeight);
          Rect.Bottom -= c->FHeight;
          break;
        case alLeft:
          c->SetBounds(Rect.Left, Rect.Top, c->FWidth, h);
          Rect.Left += c->FWidth;
          break;
        case alRight:
          c->SetBounds(Rect.Right - c->FWidth, Rect.Top, c->FWidth, h);
          Rect.Right -= c->FWidth;
          break;
        case alClient:
          c->SetBounds(Rect.Left, Rect.Top, w, h);
          break;
        default:
          break;
      }
    }
  };
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) place(align);
}

void TWinControl::SetParentBackground(bool Value) {
  if (Value == ParentBackground()) return;
  if (Value)
    FControlStyle |= csParentBackground;
  else
    FControlStyle &= ~csParentBackground;
  Invalidate();
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  const bool resized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FHandle) {
    // WM_WINDOWPOSCHANGED / WM_SIZE bring the new size back and realign the children.
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (resized) {
    Realign();
    Resize();
  }
  RequestAlign();
}

TRect TWinControl::ClientRect() {
  if (FHandle) {
    RECT r{};
    GetClientRect(FHandle, &r);
    return ToTRect(r);
  }
  return TControl::ClientRect();
}

// Once the window exists the system knows where its client area is, frame and
// caption included; before that the bounds are the best estimate.
TPoint TWinControl::ClientOrigin() {
  if (FHandle) {
    POINT p{0, 0};
    ::ClientToScreen(FHandle, &p);
    return ToTPoint(p);
  }
  return TControl::ClientOrigin();
}

void TWinControl::Invalidate() { Perform(CM_INVALIDATE); }

bool TWinControl::Showing() const {
  if (!FVisible) return false;
  if (FParent) return FParent->Showing();
  return FHandle && IsWindowVisible(FHandle);
}

void TWinControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (FHandle) EnableWindow(FHandle, Value);
  Perform(CM_ENABLEDCHANGED);
}

bool TWinControl::IsDoubleBuffered() const {
  if (FControlStyle & csNativePaint) return false;
  for (const TWinControl* c = this; c; c = c->FParent)
    if (c->FDoubleBuffered) return true;
  return false;
}

void TWinControl::Dispatch(TMessage& Message) {
  static const THandlerTable<TWinControl>& table = *new THandlerTable<TWinControl>{
      {WM_PAINT, &TWinControl::WMPaint},
      {WM_ERASEBKGND, &TWinControl::WMEraseBkgnd},
      {WM_PRINTCLIENT, &TWinControl::WMPrintClient},
      {WM_COMMAND, &TWinControl::WMCommand},
      {WM_NOTIFY, &TWinControl::WMNotify},
      {WM_CTLCOLORBTN, &TWinControl::WMCtlColor},
      {WM_CTLCOLOREDIT, &TWinControl::WMCtlColor},
      {WM_CTLCOLORLISTBOX, &TWinControl::WMCtlColor},
      {WM_CTLCOLORSTATIC, &TWinControl::WMCtlColor},
      {WM_SIZE, &TWinControl::WMSize},
      {WM_MOVE, &TWinControl::WMMove},
      {WM_WINDOWPOSCHANGED, &TWinControl::WMWindowPosChanged},
      {WM_MOUSEMOVE, &TWinControl::WMMouseMoveTracked},
      {WM_MOUSELEAVE, &TWinControl::WMMouseLeave},
      {WM_SETFOCUS, &TWinControl::WMSetFocus},
      {WM_KILLFOCUS, &TWinControl::WMKillFocus},
      {WM_KEYDOWN, &TWinControl::WMKeyDown},
      {WM_KEYUP, &TWinControl::WMKeyUp},
      {WM_CHAR, &TWinControl::WMChar},
      {WM_NCDESTROY, &TWinControl::WMNCDestroy},
      {CM_VISIBLECHANGED, &TWinControl::CMVisibleChangedWin},
      {CM_ENABLEDCHANGED, &TWinControl::CMEnabledChangedWin},
      {CM_COLORCHANGED, &TWinControl::CMColorChangedWin},
      {CM_FOCUSCHANGED, &TWinControl::CMFocusChanged},
      {CM_RECREATEWND, &TWinControl::CMRecreateWnd},
  };
  auto it = table.find(Message.Msg);
  if (it != table.end()) {
    (this->*it->second)(Message);
    return;
  }
  switch (Message.Msg) {
    case CM_INVALIDATE:
      if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      // Passed down to every control of the form until one uses it.
      Broadcast(Message);
      return;
    case CM_FONTCHANGED:
      if (FHandle) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
      TControl::Dispatch(Message);
      {
        TMessage broadcast{CM_PARENTFONTCHANGED, 0, 0, 0};
        Broadcast(broadcast);
      }
      return;
    default:
      TControl::Dispatch(Message);
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle) Message.Result = CallWindowProcW(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::Broadcast(TMessage& Message) {
  const std::vector<TControl*> children = FControls;
  for (TControl* child : children) {
    if (std::find(FControls.begin(), FControls.end(), child) == FControls.end()) continue;
    Message.Result = child->Perform(Message.Msg, Message.WParam, Message.LParam);
    if (Message.Result != 0) return;
  }
}

void TWinControl::PaintWindow(HDC DC) {
  if (FControlStyle & csNativePaint) {
    TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
    DefaultHandler(message);
  }
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = FControls.begin();
  if (First) {
    it = std::find(FControls.begin(), FControls.end(), First);
    if (it != FControls.end()) ++it;
  }
  const std::vector<TControl*> children(it, FControls.end());
  for (TControl* child : children) {
    // A paint handler may have freed or moved a later child.
    if (std::find(FControls.begin(), FControls.end(), child) == FControls.end()) continue;
    if (dynamic_cast<TWinControl*>(child) || !child->FVisible) continue;
    if (child->FWidth <= 0 || child->FHeight <= 0) continue;
    TSaveDC saved(DC);
    if (IntersectClipRect(DC, child->FLeft, child->FTop, child->FLeft + child->FWidth, child->FTop + child->FHeight) ==
        NULLREGION)
      continue;
    POINT origin;
    OffsetViewportOrgEx(DC, child->FLeft, child->FTop, &origin);
    child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  }
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps{};
  const bool own = dc == nullptr;
  if (own) dc = BeginPaint(FHandle, &ps);
  try {
    PaintWindow(dc);
    PaintControls(dc, nullptr);
  } catch (...) {
    if (own) EndPaint(FHandle, &ps);
    throw;
  }
  if (own) EndPaint(FHandle, &ps);
}

void TWinControl::WMPaint(TMessage& Message) {
  if ((FControlStyle & csNativePaint) && Message.WParam == 0) {
    DefaultHandler(Message);
    return;
  }
  if (Message.WParam != 0 || !IsDoubleBuffered()) {
    PaintHandler(Message);
    return;
  }
  // Buffered: erase and paint into a memory bitmap, then copy it once.
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(FHandle, &ps);
  try {
    const TRect r = ClientRect();
    if (r.Right > 0 && r.Bottom > 0) {
      TMemoryDC memory(dc);
      TGdiBitmap bitmap(CreateCompatibleBitmap(dc, r.Right, r.Bottom));
      Win32Check(static_cast<bool>(bitmap), "CreateCompatibleBitmap");
      TSelectObject select(memory.Get(), bitmap.Get());
      Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), reinterpret_cast<LPARAM>(memory.Get()));
      Perform(WM_PAINT, reinterpret_cast<WPARAM>(memory.Get()), 0);
      BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top,
             memory.Get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
  } catch (...) {
    EndPaint(FHandle, &ps);
    throw;
  }
  EndPaint(FHandle, &ps);
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  if (FControlStyle & csNativePaint) {
    DefaultHandler(Message);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return;
  // A buffered control erases inside its buffer, not on screen; any other DC
  // handed in (a buffer, a print DC) gets the background.
  if (IsDoubleBuffered() && Message.WParam != static_cast<WPARAM>(Message.LParam) && FHandle &&
      WindowFromDC(dc) == FHandle) {
    Message.Result = 1;
    return;
  }
  const RECT r = ToRECT(ClientRect());
  TGdiBrush brush(CreateSolidBrush(ColorToRef(FColor)));
  ::FillRect(dc, &r, brush.Get());
  Message.Result = 1;
}

void TWinControl::WMPrintClient(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return;
  if (Message.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, Message.WParam, Message.WParam);
  Perform(WM_PAINT, Message.WParam, 0);
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  TSaveDC saved(DC);
  POINT origin;
  OffsetViewportOrgEx(DC, X, Y, &origin);
  const TRect r = ClientRect();
  IntersectClipRect(DC, 0, 0, r.Right, r.Bottom);
  if ((FControlStyle & csNativePaint) && FHandle) {
    // Native controls print themselves, frame and inner windows included.
    Perform(WM_PRINT, reinterpret_cast<WPARAM>(DC), PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    return;
  }
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  const std::vector<TControl*> children = FControls;
  for (TControl* child : children) {
    if (std::find(FControls.begin(), FControls.end(), child) == FControls.end()) continue;
    if (auto* window = dynamic_cast<TWinControl*>(child); window && window->FVisible)
      window->PaintTo(DC, window->FLeft, window->FTop);
  }
}

void TWinControl::WMCommand(TMessage& Message) {
  if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam)); child && child != this) {
    Message.Result = child->Perform(CN_COMMAND, Message.WParam, Message.LParam);
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMNotify(TMessage& Message) {
  auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
  if (TWinControl* child = header ? FindControl(header->hwndFrom) : nullptr; child && child != this) {
    Message.Result = child->Perform(CN_NOTIFY, Message.WParam, Message.LParam);
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMCtlColor(TMessage& Message) {
  if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam)); child && child != this) {
    Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    if (Message.Result) return;
  }
  DefaultHandler(Message);
}

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  RECT r{};
  GetWindowRect(FHandle, &r);
  if (FParent && FParent->FHandle) MapWindowPoints(nullptr, FParent->FHandle, reinterpret_cast<POINT*>(&r), 2);
  FLeft = r.left;
  FTop = r.top;
  FWidth = r.right - r.left;
  FHeight = r.bottom - r.top;
}

void TWinControl::WMSize(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
  Realign();
  Resize();
}

void TWinControl::WMMove(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  DefaultHandler(Message);
  UpdateBounds();
}

void TWinControl::WMMouseMoveTracked(TMessage& Message) {
  if (!FMouseTracked && FHandle) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, FHandle, 0};
    FMouseTracked = TrackMouseEvent(&track) != FALSE;
    Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
  }
  TControl::WMMouseMove(Message);
}

void TWinControl::WMMouseLeave(TMessage& Message) {
  FMouseTracked = false;
  DefaultHandler(Message);
  Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
}

void TWinControl::WMSetFocus(TMessage& Message) {
  DefaultHandler(Message);
  if (TCustomForm* form = GetParentForm(); form && form != this) form->FocusControlChanged(this);
}

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
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

void TWinControl::WMKeyDown(TMessage& Message) {
  WORD key = static_cast<WORD>(Message.WParam);
  KeyDown(key, KeyboardStateToShiftState());
  if (key == 0) return;
  Message.WParam = key;
  DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  WORD key = static_cast<WORD>(Message.WParam);
  KeyUp(key, KeyboardStateToShiftState());
  if (key == 0) return;
  Message.WParam = key;
  DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  wchar_t key = static_cast<wchar_t>(Message.WParam);
  KeyPress(key);
  if (key == 0) return;
  Message.WParam = key;
  DefaultHandler(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  DefaultHandler(Message);
  FMouseTracked = false;
}

void TWinControl::CMVisibleChangedWin(TMessage& Message) {
  if (FHandle) {
    ShowWindow(FHandle, Message.WParam ? SW_SHOWNA : SW_HIDE);
  } else if (Message.WParam && FParent && FParent->FHandle) {
    CreateHandle();
  }
  if (FParent) FParent->Invalidate();
}

void TWinControl::CMEnabledChangedWin(TMessage& Message) { Invalidate(); }

void TWinControl::CMColorChangedWin(TMessage& Message) {
  Invalidate();
  TMessage broadcast{CM_PARENTCOLORCHANGED, 0, 0, 0};
  Broadcast(broadcast);
}

void TWinControl::CMFocusChanged(TMessage& Message) {
  // Passed on to every control below this one.
  const std::vector<TControl*> children = FControls;
  for (TControl* child : children)
    if (std::find(FControls.begin(), FControls.end(), child) != FControls.end())
      child->Perform(CM_FOCUSCHANGED, Message.WParam, Message.LParam);
}

void TWinControl::SetTextBuf(const std::wstring& Value) {
  FText = Value;
  if (FHandle) SetWindowTextW(FHandle, Value.c_str());
}

std::wstring TWinControl::GetTextBuf() {
  if (!FHandle) return FText;
  const int length = GetWindowTextLengthW(FHandle);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(FHandle, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

void TWinControl::FontChanged() { TControl::FontChanged(); }

// ---- TGraphicControl / TCustomControl -------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {
  FParentColor = true;
}

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    WMPaint(Message);
    return;
  }
  TControl::Dispatch(Message);
}

void TGraphicControl::WMPaint(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return;
  FCanvas->Lock();
  try {
    FCanvas->SetHandle(dc);
    FCanvas->Font().Assign(FFont.get());
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    throw;
  }
  FCanvas->SetHandle(nullptr);
  FCanvas->Unlock();
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

void TCustomControl::PaintWindow(HDC DC) {
  FCanvas->Lock();
  try {
    FCanvas->SetHandle(DC);
    FCanvas->Font().Assign(FFont.get());
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    throw;
  }
  FCanvas->SetHandle(nullptr);
  FCanvas->Unlock();
}
