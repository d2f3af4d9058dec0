// The one entry for window messages: the toolkit's window classes, the
// window procedure that binds each window to its control, and the switch
// that cracks each message for its handler.
#include "toolkit/win/controls.h"

#include <cstdio>
#include <unordered_map>

namespace {

TControlHost* Host = nullptr;

}  // namespace

void SetControlHost(TControlHost* AHost) { Host = AHost; }
TControlHost* ControlHost() { return Host; }

void HandleControlException(TObject* Sender) noexcept {
  if (!Host) return;
  try {
    Host->HandleException(Sender);
  } catch (...) {
    // The host's report failed too: nothing is left to tell.
  }
}

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

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  // Bit 29 is the context code: Alt was down when the key was pressed.
  if (KeyData & (LPARAM(1) << 29)) s |= ssAlt;
  return s;
}

LRESULT CALLBACK StdWndProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);

namespace {

// The control whose window CreateWindowExW is making. Top-level windows get
// messages (WM_GETMINMAXINFO) before WM_NCCREATE; the first message binds.
thread_local TWinControl* CreationControl = nullptr;

// Original window procedures of the registered toolkit classes, by class atom:
// DefWindowProcW for plain classes, the native procedure for superclasses.
// Never destroyed: windows left to the application object are destroyed during
// static destruction, after function-local statics of this file are gone.
std::unordered_map<ATOM, WNDPROC>& ClassProcs() {
  static auto* procs = new std::unordered_map<ATOM, WNDPROC>;
  return *procs;
}

WNDPROC ClassDefaultProc(HWND Window) {
  const ATOM atom = static_cast<ATOM>(GetClassLongPtrW(Window, GCW_ATOM));
  auto it = ClassProcs().find(atom);
  return it == ClassProcs().end() ? DefWindowProcW : it->second;
}

// The registered name of a class: the toolkit's name, and for a toolkit-drawn
// class its style, so that controls asking for different styles never share a
// class (the first one registered would decide for all).
std::wstring RegisteredClassName(const TCreateParams& Params) {
  const UINT style = Params.BaseClassName.empty() ? Params.ClassStyle : (Params.ClassStyle & CS_DBLCLKS);
  wchar_t suffix[16];
  swprintf(suffix, 16, L".%X", style);
  return Params.WinClassName + suffix;
}

}  // namespace

TWinControl* TWinControl::FindControl(HWND Window) {
  if (!Window) return nullptr;
  if (reinterpret_cast<WNDPROC>(GetClassLongPtrW(Window, GCLP_WNDPROC)) != StdWndProc) return nullptr;
  return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const std::wstring className = RegisteredClassName(Params);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  // GetClassInfoExW returns the class atom (GetClassInfoW only promises non-zero).
  ATOM atom = static_cast<ATOM>(GetClassInfoExW(instance, className.c_str(), &existing));
  if (!atom) {
    WNDCLASSW wc{};
    WNDPROC baseProc = DefWindowProcW;
    if (!Params.BaseClassName.empty()) {
      Win32Check(GetClassInfoW(nullptr, Params.BaseClassName.c_str(), &wc), "GetClassInfoW");
      baseProc = wc.lpfnWndProc;
      wc.style = (wc.style & ~(CS_GLOBALCLASS | CS_DBLCLKS)) | (Params.ClassStyle & CS_DBLCLKS);
    } else {
      wc.style = Params.ClassStyle;
      wc.hCursor = Params.Cursor;
      wc.hbrBackground = Params.Background;
    }
    wc.lpfnWndProc = StdWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = className.c_str();
    atom = RegisterClassW(&wc);
    Win32Check(atom != 0, "RegisterClassW");
    ClassProcs()[atom] = baseProc;
  }
  auto it = ClassProcs().find(atom);
  FDefWndProc = it == ClassProcs().end() ? DefWindowProcW : it->second;
  FControlState |= csCreating;
  TWinControl* const outer = CreationControl;
  CreationControl = Params.Param == this ? this : nullptr;
  HWND window = CreateWindowExW(Params.ExStyle, className.c_str(), Params.Caption.c_str(), Params.Style, Params.X,
                                Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr, instance,
                                Params.Param);
  CreationControl = outer;
  FControlState &= ~csCreating;
  Win32Check(window != nullptr, "CreateWindowExW");
  FHandle = window;
}

// The window procedure of every toolkit window: binds the object on its
// first message, then hands each message to the object's WindowProc.
// Exceptions stop here and go to the control host.
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
    CountLive(lkWindow, 1);
  }
  if (!control) return CallWindowProcW(ClassDefaultProc(Window), Window, Msg, WParam, LParam);
  TMessage message{Msg, WParam, LParam, 0};
  try {
    if (control->WindowProc)
      control->WindowProc(message);
    else
      control->WndProc(message);
  } catch (...) {
    HandleControlException(control);
  }
  if (Msg == WM_NCDESTROY) {
    SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
    if (control->FHandle == Window) {
      control->FHandle = nullptr;
      CountLive(lkWindow, -1);
    }
  }
  return message.Result;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::DefaultHandler(TMessage&) {}

void TControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    // clang-format off
    case WM_LBUTTONDOWN: { TWMMouse m(M); WMLButtonDown(m); return; }
    case WM_LBUTTONUP: { TWMMouse m(M); WMLButtonUp(m); return; }
    case WM_LBUTTONDBLCLK: { TWMMouse m(M); WMLButtonDblClk(m); return; }
    case WM_RBUTTONDOWN: { TWMMouse m(M); WMRButtonDown(m); return; }
    case WM_RBUTTONUP: { TWMMouse m(M); WMRButtonUp(m); return; }
    case WM_RBUTTONDBLCLK: { TWMMouse m(M); WMRButtonDblClk(m); return; }
    case WM_MBUTTONDOWN: { TWMMouse m(M); WMMButtonDown(m); return; }
    case WM_MBUTTONUP: { TWMMouse m(M); WMMButtonUp(m); return; }
    case WM_MBUTTONDBLCLK: { TWMMouse m(M); WMMButtonDblClk(m); return; }
    case WM_MOUSEMOVE: { TWMMouse m(M); WMMouseMove(m); return; }
    case WM_MOUSEWHEEL: { TWMMouseWheel m(M); WMMouseWheel(m); return; }
    case WM_MOUSELEAVE: { TWMBase m(M); WMMouseLeave(m); return; }
    case WM_MOUSEACTIVATE: { TWMMouseActivate m(M); WMMouseActivate(m); return; }
    case WM_CONTEXTMENU: { TWMContextMenu m(M); WMContextMenu(m); return; }
    case WM_SETCURSOR: { TWMSetCursor m(M); WMSetCursor(m); return; }
    case WM_CANCELMODE: { TWMBase m(M); WMCancelMode(m); return; }
    case WM_ENTERSIZEMOVE: { TWMBase m(M); WMEnterSizeMove(m); return; }

    case WM_PAINT: { TWMPaint m(M); WMPaint(m); return; }
    case WM_ERASEBKGND: { TWMEraseBkgnd m(M); WMEraseBkgnd(m); return; }
    case WM_PRINTCLIENT: { TWMPrintClient m(M); WMPrintClient(m); return; }
    case WM_NCPAINT: { TWMNCPaint m(M); WMNCPaint(m); return; }
    case WM_NCCALCSIZE: { TWMNCCalcSize m(M); WMNCCalcSize(m); return; }
    case WM_NCHITTEST: { TWMNCHitTest m(M); WMNCHitTest(m); return; }
    case WM_NCACTIVATE: { TWMNCActivate m(M); WMNCActivate(m); return; }
    case WM_NCMOUSEMOVE: { TWMNCMouse m(M); WMNCMouseMove(m); return; }
    case WM_NCLBUTTONDOWN: { TWMNCMouse m(M); WMNCLButtonDown(m); return; }
    case WM_NCLBUTTONUP: { TWMNCMouse m(M); WMNCLButtonUp(m); return; }
    case WM_NCLBUTTONDBLCLK: { TWMNCMouse m(M); WMNCLButtonDblClk(m); return; }

    case WM_SIZE: { TWMSize m(M); WMSize(m); return; }
    case WM_MOVE: { TWMMove m(M); WMMove(m); return; }
    case WM_WINDOWPOSCHANGING: { TWMWindowPos m(M); WMWindowPosChanging(m); return; }
    case WM_WINDOWPOSCHANGED: { TWMWindowPos m(M); WMWindowPosChanged(m); return; }
    case WM_GETMINMAXINFO: { TWMGetMinMaxInfo m(M); WMGetMinMaxInfo(m); return; }
    case WM_SHOWWINDOW: { TWMShowWindow m(M); WMShowWindow(m); return; }
    case WM_ACTIVATE: { TWMActivate m(M); WMActivate(m); return; }
    case WM_SYSCOMMAND: { TWMSysCommand m(M); WMSysCommand(m); return; }
    case WM_CLOSE: { TWMBase m(M); WMClose(m); return; }
    case WM_DESTROY: { TWMBase m(M); WMDestroy(m); return; }
    case WM_NCDESTROY: { TWMBase m(M); WMNCDestroy(m); return; }
    case WM_TIMER: { TWMTimer m(M); WMTimer(m); return; }

    case WM_SETFOCUS: { TWMFocus m(M); WMSetFocus(m); return; }
    case WM_KILLFOCUS: { TWMFocus m(M); WMKillFocus(m); return; }
    case WM_KEYDOWN: { TWMKey m(M); WMKeyDown(m); return; }
    case WM_KEYUP: { TWMKey m(M); WMKeyUp(m); return; }
    case WM_SYSKEYDOWN: { TWMKey m(M); WMSysKeyDown(m); return; }
    case WM_SYSKEYUP: { TWMKey m(M); WMSysKeyUp(m); return; }
    case WM_CHAR: { TWMKey m(M); WMChar(m); return; }
    case WM_SYSCHAR: { TWMKey m(M); WMSysChar(m); return; }
    case WM_GETDLGCODE: { TWMGetDlgCode m(M); WMGetDlgCode(m); return; }
    case WM_GETOBJECT: { TWMGetObject m(M); WMGetObject(m); return; }

    case WM_COMMAND: { TWMCommand m(M); WMCommand(m); return; }
    case WM_NOTIFY: { TWMNotify m(M); WMNotify(m); return; }
    case WM_CTLCOLORBTN: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSTATIC:
      { TWMCtlColor m(M); WMCtlColor(m); return; }
    case WM_DRAWITEM: { TWMDrawItem m(M); WMDrawItem(m); return; }
    case WM_MEASUREITEM: { TWMMeasureItem m(M); WMMeasureItem(m); return; }
    case CN_COMMAND: { TWMCommand m(M); CNCommand(m); return; }
    case CN_NOTIFY: { TWMNotify m(M); CNNotify(m); return; }
    case CN_CTLCOLORBTN: case CN_CTLCOLOREDIT: case CN_CTLCOLORLISTBOX: case CN_CTLCOLORSTATIC:
      { TWMCtlColor m(M); CNCtlColor(m); return; }
    case CN_DRAWITEM: { TWMDrawItem m(M); CNDrawItem(m); return; }
    case CN_MEASUREITEM: { TWMMeasureItem m(M); CNMeasureItem(m); return; }
    case CN_KEYDOWN: { TWMKey m(M); CNKeyDown(m); return; }
    case CN_SYSKEYDOWN: { TWMKey m(M); CNSysKeyDown(m); return; }
    case CN_SYSCHAR: { TWMKey m(M); CNSysChar(m); return; }

    case CM_VISIBLECHANGED: { TCMVisibleChanged m(M); CMVisibleChanged(m); return; }
    case CM_ENABLEDCHANGED: { TWMBase m(M); CMEnabledChanged(m); return; }
    case CM_FONTCHANGED: { TWMBase m(M); CMFontChanged(m); return; }
    case CM_COLORCHANGED: { TWMBase m(M); CMColorChanged(m); return; }
    case CM_TEXTCHANGED: { TWMBase m(M); CMTextChanged(m); return; }
    case CM_CURSORCHANGED: { TWMBase m(M); CMCursorChanged(m); return; }
    case CM_PARENTFONTCHANGED: { TWMBase m(M); CMParentFontChanged(m); return; }
    case CM_PARENTCOLORCHANGED: { TWMBase m(M); CMParentColorChanged(m); return; }
    case CM_INVALIDATE: { TWMBase m(M); CMInvalidate(m); return; }
    case CM_MOUSEENTER: { TCMMouse m(M); CMMouseEnter(m); return; }
    case CM_MOUSELEAVE: { TCMMouse m(M); CMMouseLeave(m); return; }
    case CM_MOUSEWHEEL: { TWMMouseWheel m(M); CMMouseWheel(m); return; }
    case CM_SHOWINGCHANGED: { TWMBase m(M); CMShowingChanged(m); return; }
    case CM_DIALOGKEY: { TWMKey m(M); CMDialogKey(m); return; }
    case CM_DIALOGCHAR: { TWMKey m(M); CMDialogChar(m); return; }
    case CM_WANTSPECIALKEY: { TWMKey m(M); CMWantSpecialKey(m); return; }
    case CM_FOCUSCHANGED: { TCMFocusChanged m(M); CMFocusChanged(m); return; }
    case CM_CANCELMODE: { TCMCancelMode m(M); CMCancelMode(m); return; }
    case CM_ENTER: { TWMBase m(M); CMEnter(m); return; }
    case CM_EXIT: { TWMBase m(M); CMExit(m); return; }
    case CM_ACTIVATE: { TWMBase m(M); CMActivate(m); return; }
    case CM_DEACTIVATE: { TWMBase m(M); CMDeactivate(m); return; }
    case CM_RECREATEWND: { TWMBase m(M); CMRecreateWnd(m); return; }
    case CM_RELEASE: { TWMBase m(M); CMRelease(m); return; }
    case CM_CONTROLCHANGE: { TCMControlChange m(M); CMControlChange(m); return; }
    case CM_HINTSHOW: { TCMHintShow m(M); CMHintShow(m); return; }
    case CM_ACCDODEFAULT: { TWMBase m(M); CMAccDoDefault(m); return; }
    // clang-format on
    default:
      DefaultHandler(M);
  }
}

// Every handler's default: the message goes on unchanged.
#define TOOLKIT_DEFAULT_HANDLER(Name, Type) \
  void TControl::Name(Type& Message) { DefaultHandler(Message.Raw); }

TOOLKIT_DEFAULT_HANDLER(WMRButtonDblClk, TWMMouse)
TOOLKIT_DEFAULT_HANDLER(WMMButtonDown, TWMMouse)
TOOLKIT_DEFAULT_HANDLER(WMMButtonUp, TWMMouse)
TOOLKIT_DEFAULT_HANDLER(WMMButtonDblClk, TWMMouse)
TOOLKIT_DEFAULT_HANDLER(WMMouseWheel, TWMMouseWheel)
TOOLKIT_DEFAULT_HANDLER(WMMouseLeave, TWMBase)
TOOLKIT_DEFAULT_HANDLER(WMMouseActivate, TWMMouseActivate)
TOOLKIT_DEFAULT_HANDLER(WMContextMenu, TWMContextMenu)
TOOLKIT_DEFAULT_HANDLER(WMSetCursor, TWMSetCursor)
TOOLKIT_DEFAULT_HANDLER(WMCancelMode, TWMBase)
TOOLKIT_DEFAULT_HANDLER(WMEnterSizeMove, TWMBase)
TOOLKIT_DEFAULT_HANDLER(WMPaint, TWMPaint)
TOOLKIT_DEFAULT_HANDLER(WMEraseBkgnd, TWMEraseBkgnd)
TOOLKIT_DEFAULT_HANDLER(WMPrintClient, TWMPrintClient)
TOOLKIT_DEFAULT_HANDLER(WMNCPaint, TWMNCPaint)
TOOLKIT_DEFAULT_HANDLER(WMNCCalcSize, TWMNCCalcSize)
TOOLKIT_DEFAULT_HANDLER(WMNCHitTest, TWMNCHitTest)
TOOLKIT_DEFAULT_HANDLER(WMNCActivate, TWMNCActivate)
TOOLKIT_DEFAULT_HANDLER(WMNCMouseMove, TWMNCMouse)
TOOLKIT_DEFAULT_HANDLER(WMNCLButtonDown, TWMNCMouse)
TOOLKIT_DEFAULT_HANDLER(WMNCLButtonUp, TWMNCMouse)
TOOLKIT_DEFAULT_HANDLER(WMNCLButtonDblClk, TWMNCMouse)
TOOLKIT_DEFAULT_HANDLER(WMSize, TWMSize)
TOOLKIT_DEFAULT_HANDLER(WMMove, TWMMove)
TOOLKIT_DEFAULT_HANDLER(WMWindowPosChanging, TWMWindowPos)
TOOLKIT_DEFAULT_HANDLER(WMWindowPosChanged, TWMWindowPos)
TOOLKIT_DEFAULT_HANDLER(WMGetMinMaxInfo, TWMGetMinMaxInfo)
TOOLKIT_DEFAULT_HANDLER(WMShowWindow, TWMShowWindow)
TOOLKIT_DEFAULT_HANDLER(WMActivate, TWMActivate)
TOOLKIT_DEFAULT_HANDLER(WMSysCommand, TWMSysCommand)
TOOLKIT_DEFAULT_HANDLER(WMClose, TWMBase)
TOOLKIT_DEFAULT_HANDLER(WMDestroy, TWMBase)
TOOLKIT_DEFAULT_HANDLER(WMNCDestroy, TWMBase)
TOOLKIT_DEFAULT_HANDLER(WMTimer, TWMTimer)
TOOLKIT_DEFAULT_HANDLER(WMSetFocus, TWMFocus)
TOOLKIT_DEFAULT_HANDLER(WMKillFocus, TWMFocus)
TOOLKIT_DEFAULT_HANDLER(WMKeyDown, TWMKey)
TOOLKIT_DEFAULT_HANDLER(WMKeyUp, TWMKey)
TOOLKIT_DEFAULT_HANDLER(WMSysKeyDown, TWMKey)
TOOLKIT_DEFAULT_HANDLER(WMSysKeyUp, TWMKey)
TOOLKIT_DEFAULT_HANDLER(WMChar, TWMKey)
TOOLKIT_DEFAULT_HANDLER(WMSysChar, TWMKey)
TOOLKIT_DEFAULT_HANDLER(WMGetDlgCode, TWMGetDlgCode)
TOOLKIT_DEFAULT_HANDLER(WMGetObject, TWMGetObject)
TOOLKIT_DEFAULT_HANDLER(WMCommand, TWMCommand)
TOOLKIT_DEFAULT_HANDLER(WMNotify, TWMNotify)
TOOLKIT_DEFAULT_HANDLER(WMCtlColor, TWMCtlColor)
TOOLKIT_DEFAULT_HANDLER(WMDrawItem, TWMDrawItem)
TOOLKIT_DEFAULT_HANDLER(WMMeasureItem, TWMMeasureItem)
TOOLKIT_DEFAULT_HANDLER(CNCommand, TWMCommand)
TOOLKIT_DEFAULT_HANDLER(CNNotify, TWMNotify)
TOOLKIT_DEFAULT_HANDLER(CNCtlColor, TWMCtlColor)
TOOLKIT_DEFAULT_HANDLER(CNDrawItem, TWMDrawItem)
TOOLKIT_DEFAULT_HANDLER(CNMeasureItem, TWMMeasureItem)
TOOLKIT_DEFAULT_HANDLER(CNKeyDown, TWMKey)
TOOLKIT_DEFAULT_HANDLER(CNSysKeyDown, TWMKey)
TOOLKIT_DEFAULT_HANDLER(CNSysChar, TWMKey)
TOOLKIT_DEFAULT_HANDLER(CMCursorChanged, TWMBase)
TOOLKIT_DEFAULT_HANDLER(CMShowingChanged, TWMBase)
TOOLKIT_DEFAULT_HANDLER(CMDialogKey, TWMKey)
TOOLKIT_DEFAULT_HANDLER(CMDialogChar, TWMKey)
TOOLKIT_DEFAULT_HANDLER(CMWantSpecialKey, TWMKey)
TOOLKIT_DEFAULT_HANDLER(CMFocusChanged, TCMFocusChanged)
TOOLKIT_DEFAULT_HANDLER(CMCancelMode, TCMCancelMode)
TOOLKIT_DEFAULT_HANDLER(CMEnter, TWMBase)
TOOLKIT_DEFAULT_HANDLER(CMExit, TWMBase)
TOOLKIT_DEFAULT_HANDLER(CMActivate, TWMBase)
TOOLKIT_DEFAULT_HANDLER(CMDeactivate, TWMBase)
TOOLKIT_DEFAULT_HANDLER(CMRecreateWnd, TWMBase)
TOOLKIT_DEFAULT_HANDLER(CMRelease, TWMBase)
TOOLKIT_DEFAULT_HANDLER(CMControlChange, TCMControlChange)
TOOLKIT_DEFAULT_HANDLER(CMHintShow, TCMHintShow)
TOOLKIT_DEFAULT_HANDLER(CMAccDoDefault, TWMBase)

#undef TOOLKIT_DEFAULT_HANDLER
