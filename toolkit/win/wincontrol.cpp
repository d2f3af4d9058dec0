// TWinControl: the window and its life, children and tab order, focus,
// alignment, bounds kept in step with the window, reflected notifications
// and window timers. Painting is in wincontrol_paint.cpp, keys and the mouse
// in wincontrol_input.cpp.
#include "toolkit/win/controls.h"

#include "toolkit/win/accessible.h"

#include "toolkit/core/scope.h"

#include <algorithm>

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FControlStyle |= csAcceptsControls;
  FColor = clBtnFace;
}

TWinControl::~TWinControl() {
  // Accessibility clients that still hold the object get errors from now on.
  TAccessibleObject::Disconnect(*this);
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
    CountLive(lkWindow, -1);
    ForgetTimers();
    DestroyWindow(window);
  }
  if (FParent) FParent->RemoveControl(this);
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
  ForEachLiveChild([](TControl* child) {
    if (auto* window = dynamic_cast<TWinControl*>(child); window && !window->FHandle) window->CreateHandle();
    return false;
  });
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
  Params.ClassStyle = CS_VREDRAW | CS_HREDRAW;
  if (FControlStyle & csDoubleClicks) Params.ClassStyle |= CS_DBLCLKS;
  Params.Cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  Params.WinClassName = L"QuorrelWinControl";
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (FParent && !params.WndParent && (params.Style & WS_CHILD)) params.WndParent = FParent->Handle();
  CreateWindowHandle(params);
}

void TWinControl::DestroyWnd() {
  if (!FHandle) return;
  // Keep what lives only in the window.
  FText = GetTextBuf();
  DestroyWindow(FHandle);
  // WM_NCDESTROY has unbound the window; a window destroyed by its class
  // procedure alone (unbound already) is forgotten here.
  if (FHandle) {
    FHandle = nullptr;
    CountLive(lkWindow, -1);
  }
  ForgetTimers();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  ForEachLiveChild([](TControl* child) {
    if (auto* window = dynamic_cast<TWinControl*>(child)) window->DestroyHandle();
    return false;
  });
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND);
}

void TWinControl::CMRecreateWnd(TWMBase&) {
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
  MouseControlGone(AControl);
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
  ++FAlignLevel;
  // Children moved by this pass asked again; their places are final already.
  TScopeExit done([this] {
    FControlState &= ~csAlignmentNeeded;
    --FAlignLevel;
  });
  TRect r = ClientRect();
  AdjustClientRect(r);
  AlignControls(nullptr, r);
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

bool TWinControl::IsPopupWindow() const { return FHandle && !(GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD); }

bool TWinControl::Showing() const {
  if (!FVisible) return false;
  // A pop-up window of a child control shows or hides by itself.
  if (FParent && !IsPopupWindow()) return FParent->Showing();
  return FHandle && IsWindowVisible(FHandle);
}

void TWinControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (FHandle) EnableWindow(FHandle, Value);
  Perform(CM_ENABLEDCHANGED);
  AccNotify(EVENT_OBJECT_STATECHANGE);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle) Message.Result = CallWindowProcW(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::Broadcast(TMessage& Message) {
  ForEachLiveChild([&](TControl* child) {
    Message.Result = child->Perform(Message.Msg, Message.WParam, Message.LParam);
    return Message.Result != 0;
  });
}

void TWinControl::StartTimer(UINT_PTR Id, UINT Interval) {
  Win32Check(::SetTimer(Handle(), Id, Interval, nullptr) != 0, "SetTimer");
  if (std::find(FTimers.begin(), FTimers.end(), Id) == FTimers.end()) {
    FTimers.push_back(Id);
    CountLive(lkTimer, 1);
  }
}

void TWinControl::StopTimer(UINT_PTR Id) {
  auto it = std::find(FTimers.begin(), FTimers.end(), Id);
  if (it == FTimers.end()) return;
  if (FHandle) ::KillTimer(FHandle, Id);
  FTimers.erase(it);
  CountLive(lkTimer, -1);
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c) || !c->FVisible || (!c->FEnabled && !AllowDisabled)) continue;
    if (Pos.X >= c->FLeft && Pos.X < c->FLeft + c->FWidth && Pos.Y >= c->FTop && Pos.Y < c->FTop + c->FHeight) return c;
  }
  return nullptr;
}

// The window's timers end with it.
void TWinControl::ForgetTimers() {
  CountLive(lkTimer, -static_cast<int>(FTimers.size()));
  FTimers.clear();
}

// ---- Reflected notifications --------------------------------------------------------------

void TWinControl::WMCommand(TWMCommand& Message) {
  if (TWinControl* child = FindControl(Message.Ctl); child && child != this) {
    Message.Result = child->Perform(CN_COMMAND, Message.Raw.WParam, Message.Raw.LParam);
    return;
  }
  DefaultHandler(Message.Raw);
}

void TWinControl::WMNotify(TWMNotify& Message) {
  if (TWinControl* child = Message.NMHdr ? FindControl(Message.NMHdr->hwndFrom) : nullptr; child && child != this) {
    Message.Result = child->Perform(CN_NOTIFY, Message.Raw.WParam, Message.Raw.LParam);
    return;
  }
  DefaultHandler(Message.Raw);
}

void TWinControl::WMCtlColor(TWMCtlColor& Message) {
  if (TWinControl* child = FindControl(Message.ChildWnd); child && child != this) {
    Message.Result = child->Perform(CN_BASE + Message.Msg(), Message.Raw.WParam, Message.Raw.LParam);
    if (Message.Result) return;
  }
  DefaultHandler(Message.Raw);
}

// Owner-drawn items: WM_DRAWITEM names the child's window. WM_MEASUREITEM
// names only its id, and a fixed-height list asks while CreateWindowExW is
// still making it, before anyone could give it an id: then it is the child
// that is being created.
void TWinControl::WMDrawItem(TWMDrawItem& Message) {
  HWND from = Message.DrawItemStruct ? Message.DrawItemStruct->hwndItem : nullptr;
  if (Message.DrawItemStruct && Message.DrawItemStruct->CtlType != ODT_MENU) {
    if (TWinControl* child = FindControl(from); child && child != this) {
      Message.Result = child->Perform(CN_DRAWITEM, Message.Raw.WParam, Message.Raw.LParam);
      return;
    }
  }
  DefaultHandler(Message.Raw);
}

void TWinControl::WMMeasureItem(TWMMeasureItem& Message) {
  if (Message.MeasureItemStruct && Message.MeasureItemStruct->CtlType != ODT_MENU) {
    TWinControl* child = nullptr;
    if (Message.MeasureItemStruct->CtlID != 0)
      child = FindControl(GetDlgItem(FHandle, static_cast<int>(Message.MeasureItemStruct->CtlID)));
    if (!child) {
      ForEachLiveChild([&](TControl* c) {
        auto* window = dynamic_cast<TWinControl*>(c);
        if (window && window->HasControlState(csCreating)) child = window;
        return child != nullptr;
      });
    }
    if (child && child != this) {
      Message.Result = child->Perform(CN_MEASUREITEM, Message.Raw.WParam, Message.Raw.LParam);
      return;
    }
  }
  DefaultHandler(Message.Raw);
}

// ---- Bounds ------------------------------------------------------------------

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  RECT r{};
  GetWindowRect(FHandle, &r);
  if (FParent && FParent->FHandle && !IsPopupWindow())
    MapWindowPoints(nullptr, FParent->FHandle, reinterpret_cast<POINT*>(&r), 2);
  FLeft = r.left;
  FTop = r.top;
  FWidth = r.right - r.left;
  FHeight = r.bottom - r.top;
}

void TWinControl::WMSize(TWMSize& Message) {
  UpdateBounds();
  DefaultHandler(Message.Raw);
  Realign();
  Resize();
}

void TWinControl::WMMove(TWMMove& Message) {
  UpdateBounds();
  DefaultHandler(Message.Raw);
}

void TWinControl::WMWindowPosChanged(TWMWindowPos& Message) {
  DefaultHandler(Message.Raw);
  UpdateBounds();
}

void TWinControl::WMNCDestroy(TWMBase& Message) {
  DefaultHandler(Message.Raw);
  ForgetMouseTracking();
  ForgetTimers();
}

// ---- Focus --------------------------------------------------------------------------

void TWinControl::WMSetFocus(TWMFocus& Message) {
  DefaultHandler(Message.Raw);
  if (TControlHost* host = ControlHost()) host->ControlFocused(this);
  if (FHandle) NotifyWinEvent(EVENT_OBJECT_FOCUS, FHandle, OBJID_CLIENT, CHILDID_SELF);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// Passed on to every control below this one.
void TWinControl::CMFocusChanged(TCMFocusChanged& Message) {
  ForEachLiveChild([&](TControl* child) {
    child->Perform(CM_FOCUSCHANGED, Message.Raw.WParam, Message.Raw.LParam);
    return false;
  });
}

// ---- Change messages ------------------------------------------------------------------------

void TWinControl::CMVisibleChanged(TCMVisibleChanged& Message) {
  if (FHandle) {
    ShowWindow(FHandle, Message.Value ? SW_SHOWNA : SW_HIDE);
  } else if (Message.Value && FParent && FParent->FHandle) {
    CreateHandle();
  }
  // A pop-up window covers no part of its parent's client area.
  if (FParent && !IsPopupWindow()) FParent->Invalidate();
}

void TWinControl::CMEnabledChanged(TWMBase&) { Invalidate(); }

void TWinControl::CMColorChanged(TWMBase&) {
  Invalidate();
  TMessage broadcast{CM_PARENTCOLORCHANGED, 0, 0, 0};
  Broadcast(broadcast);
}

void TWinControl::CMFontChanged(TWMBase& Message) {
  if (FHandle) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
  TControl::CMFontChanged(Message);
  TMessage broadcast{CM_PARENTFONTCHANGED, 0, 0, 0};
  Broadcast(broadcast);
}

void TWinControl::CMInvalidate(TWMBase&) {
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
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
