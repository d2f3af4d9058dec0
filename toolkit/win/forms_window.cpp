// The form's window services: title-bar buttons, stay-on-top, opacity,
// window state, size limits, the monitor, and keeping all of them when the
// window is made again.
#include "toolkit/win/forms.h"

#include "toolkit/win/application.h"

#include <algorithm>

// ---- TSizeConstraints ----------------------------------------------------------------

int TSizeConstraints::Clamp(int Value, int Min, int Max) {
  if (Max > 0) Value = std::min(Value, Max);
  if (Min > 0) Value = std::max(Value, Min);
  return Value;
}

void TSizeConstraints::Change() {
  if (OnChange) OnChange(this);
}

// A limit set past its partner (a minimum above the maximum, or the other
// way round) takes the partner along.
void TSizeConstraints::SetLimit(int& Limit, int& Partner, bool IsMinimum, int Value) {
  Value = std::max(Value, 0);
  if (Value == Limit) return;
  Limit = Value;
  if (Value > 0 && Partner > 0 && (IsMinimum ? Partner < Value : Partner > Value)) Partner = Value;
  Change();
}

void TSizeConstraints::SetMinWidth(int Value) { SetLimit(FMinWidth, FMaxWidth, true, Value); }
void TSizeConstraints::SetMinHeight(int Value) { SetLimit(FMinHeight, FMaxHeight, true, Value); }
void TSizeConstraints::SetMaxWidth(int Value) { SetLimit(FMaxWidth, FMinWidth, false, Value); }
void TSizeConstraints::SetMaxHeight(int Value) { SetLimit(FMaxHeight, FMinHeight, false, Value); }

void TSizeConstraints::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TSizeConstraints*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  FMinWidth = source->FMinWidth;
  FMinHeight = source->FMinHeight;
  FMaxWidth = source->FMaxWidth;
  FMaxHeight = source->FMaxHeight;
  Change();
}

// ---- Title bar, z-order and opacity ----------------------------------------------------------

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  Value &= biSystemMenu | biMinimize | biMaximize | biHelp;
  if (Value == FBorderIcons) return;
  FBorderIcons = Value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (Value == FFormStyle) return;
  FFormStyle = Value;
  if (!FHandle) return;
  SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Wine keeps an owned window topmost after HWND_NOTOPMOST: a new window
  // is made without the style then.
  const bool topmost = (GetWindowLongPtrW(FHandle, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  if (topmost != (Value == fsStayOnTop)) RecreateWnd();
}

void TCustomForm::SetAlphaBlend(bool Value) {
  if (Value == FAlphaBlend) return;
  FAlphaBlend = Value;
  if (FHandle) ApplyAlphaBlend();
}

void TCustomForm::SetAlphaBlendValue(uint8_t Value) {
  if (Value == FAlphaBlendValue) return;
  FAlphaBlendValue = Value;
  if (FHandle && FAlphaBlend) ApplyAlphaBlend();
}

void TCustomForm::ApplyAlphaBlend() {
  const LONG_PTR exStyle = GetWindowLongPtrW(FHandle, GWL_EXSTYLE);
  if (FAlphaBlend) {
    if (!(exStyle & WS_EX_LAYERED)) SetWindowLongPtrW(FHandle, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    Win32Check(SetLayeredWindowAttributes(FHandle, 0, FAlphaBlendValue, LWA_ALPHA), "SetLayeredWindowAttributes");
  } else if (exStyle & WS_EX_LAYERED) {
    SetWindowLongPtrW(FHandle, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    // The window was drawn off screen until now: it paints itself again.
    RedrawWindow(FHandle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

// ---- Window state -------------------------------------------------------------------------------

// A shown form's window may be hidden for a while (its owner is minimized)
// and keeps its minimized or maximized state then.
TWindowState TCustomForm::WindowState() const {
  if (!FHandle || !FShowing) return FWindowState;
  const TWindowState state = StateOfWindow();
  return state == wsNormal && !IsWindowVisible(FHandle) ? FWindowState : state;
}

TWindowState TCustomForm::StateOfWindow() const {
  if (IsIconic(FHandle)) return wsMinimized;
  if (IsZoomed(FHandle)) return wsMaximized;
  return wsNormal;
}

int TCustomForm::ShowCommand() const {
  switch (FWindowState) {
    case wsMinimized: return SW_SHOWMINIMIZED;
    case wsMaximized: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
  }
}

void TCustomForm::SetWindowState(TWindowState Value) {
  if (Value != wsNormal && Value != wsMinimized && Value != wsMaximized) Value = wsNormal;
  const bool shown = FHandle && IsWindowVisible(FHandle);
  if (shown && Value == WindowState()) return;
  FWindowState = Value;
  if (!shown) return;
  // Minimizing a shown window hands the activation to the next window.
  ShowWindow(FHandle, Value == wsMinimized ? SW_MINIMIZE : ShowCommand());
}

// ---- Size limits ------------------------------------------------------------------------------------

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = FConstraints.ClampWidth(AWidth);
  AHeight = FConstraints.ClampHeight(AHeight);
  // Before the window exists the last size asked for decides: an outer size
  // replaces a client size given earlier.
  if (!FHandle && (AWidth != FWidth || AHeight != FHeight)) FClientWidth = FClientHeight = 0;
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomForm::ConstraintsChanged() {
  // A maximized or minimized window keeps its size; the limits apply when it is restored.
  if (FHandle && IsWindowVisible(FHandle) && WindowState() != wsNormal) return;
  SetBounds(FLeft, FTop, FWidth, FHeight);
}

// The system's values first; the limits set on the form replace its track sizes.
void TCustomForm::WMGetMinMaxInfo(TWMGetMinMaxInfo& Message) {
  TWinControl::WMGetMinMaxInfo(Message);
  MINMAXINFO* info = Message.MinMaxInfo;
  if (!info) return;
  if (FConstraints.MinWidth() > 0) info->ptMinTrackSize.x = FConstraints.MinWidth();
  if (FConstraints.MinHeight() > 0) info->ptMinTrackSize.y = FConstraints.MinHeight();
  if (FConstraints.MaxWidth() > 0) info->ptMaxTrackSize.x = FConstraints.MaxWidth();
  if (FConstraints.MaxHeight() > 0) info->ptMaxTrackSize.y = FConstraints.MaxHeight();
  Message.Result = 0;
}

void TCustomForm::SetPixelsPerInch(int Value) {
  if (Value > 0) FPixelsPerInch = Value;
}

TMonitor TCustomForm::Monitor() const { return TMonitor::FromWindow(FHandle); }

// ---- Minimizing the application ---------------------------------------------------------------

// The main form's minimize and restore commands act on the whole application.
void TCustomForm::WMSysCommand(TWMSysCommand& Message) {
  if (Application->MainForm() == this) {
    if (Message.CmdType == SC_MINIMIZE) {
      Application->Minimize();
      Message.Result = 0;
      return;
    }
    if (Message.CmdType == SC_RESTORE && Application->Minimized()) {
      Application->Restore();
      Message.Result = 0;
      return;
    }
  }
  TWinControl::WMSysCommand(Message);
}

// ---- Making the window again ----------------------------------------------------------------------

// Keeps what lives in the window alone: its state, and the size and place it
// has when not maximized or minimized.
void TCustomForm::DestroyWnd() {
  if (FHandle) {
    FWindowState = WindowState();
    RECT window{}, client{};
    GetWindowRect(FHandle, &window);
    GetClientRect(FHandle, &client);
    TRect normal = ToTRect(window);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (FWindowState != wsNormal && GetWindowPlacement(FHandle, &placement)) {
      normal = ToTRect(placement.rcNormalPosition);
      // The normal position of a window with a taskbar button is relative
      // to the work area, not to the screen.
      if (!(GetWindowLongPtrW(FHandle, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
        const TMonitor monitor = Monitor();
        const int dx = monitor.WorkareaRect().Left - monitor.BoundsRect().Left;
        const int dy = monitor.WorkareaRect().Top - monitor.BoundsRect().Top;
        normal = TRect{normal.Left + dx, normal.Top + dy, normal.Right + dx, normal.Bottom + dy};
      }
    }
    const int frameWidth = window.right - window.left - client.right;
    const int frameHeight = window.bottom - window.top - client.bottom;
    // The window goes without being hidden: no hide handlers run.
    FShowing = false;
    // Destroying moves nothing, but the last messages bring the bounds of
    // the window as it is back: the normal ones are set afterwards.
    TWinControl::DestroyWnd();
    FLeft = normal.Left;
    FTop = normal.Top;
    FWidth = normal.Width();
    FHeight = normal.Height();
    if (FClientWidth > 0 || FClientHeight > 0) {
      FClientWidth = std::max(normal.Width() - frameWidth, 0);
      FClientHeight = std::max(normal.Height() - frameHeight, 0);
    }
    return;
  }
  TWinControl::DestroyWnd();
}

// The new window starts hidden and goes through the show path again, so
// that the form and any component hooked on it set it up as the first time.
void TCustomForm::CMRecreateWnd(TWMBase& Message) {
  if (!FHandle) return;
  TWinControl::CMRecreateWnd(Message);
  UpdateShowing();
}
