// The hint window and the hint controller of the application.
#include "toolkit/win/hints.h"

#include "toolkit/core/scope.h"
#include "toolkit/win/application.h"
#include "toolkit/win/screen.h"

#include <algorithm>

namespace {

// Space between the window's edge and its text.
constexpr int HintMarginX = 4, HintMarginY = 2;
// The hint sits this far below the hot spot, clear of the arrow cursor.
constexpr int HintCursorOffset = 20;
constexpr UINT HintTextFormat = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;

// A canvas that measures outside painting: it makes a screen-compatible
// memory DC when first asked and gives it back on Release.
class THintCanvas : public TCanvas {
public:
  ~THintCanvas() override { Release(); }
  void Release() {
    SetHandle(nullptr);
    FDC.reset();
  }

protected:
  void CreateHandle() override {
    FDC = std::make_unique<TMemoryDC>(nullptr);
    SetHandle(FDC->Get());
  }

private:
  std::unique_ptr<TMemoryDC> FDC;
};

// The window of the control: its own, or its parent's for a graphic control.
HWND WindowOf(TControl* Control) {
  if (auto* window = dynamic_cast<TWinControl*>(Control)) return window->HandleAllocated() ? window->Handle() : nullptr;
  TWinControl* parent = Control ? Control->Parent() : nullptr;
  return parent && parent->HandleAllocated() ? parent->Handle() : nullptr;
}

bool Contains(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

// The toolkit control at a client point of Window: the topmost graphic child
// there, else the window's control. A native part (a combo box's edit)
// counts as the toolkit control around it.
TControl* ControlAt(HWND Window, TPoint ClientPos) {
  TWinControl* control = TWinControl::FindControlAbove(Window);
  if (!control) return nullptr;
  if (control->Handle() == Window)
    if (TControl* child = control->ControlAtPos(ClientPos, false)) return child;
  return control;
}

}  // namespace

// ---- THintWindow --------------------------------------------------------------------

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FCanvas = std::make_unique<THintCanvas>();
  FVisible = false;
  FColor = clInfoBk;
  FFont->SetColor(clInfoText);
  FControlStyle &= ~(csCaptureMouse | csClickEvents | csDoubleClicks);
}

THintWindow::~THintWindow() { static_cast<THintCanvas&>(*FCanvas).Release(); }

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WndParent = nullptr;
  Params.ClassStyle = CS_SAVEBITS;
  Params.WinClassName = L"QuorrelHintWindow";
}

TRect THintWindow::CalcHintRect(int MaxWidth, const std::wstring& Text) {
  if (MaxWidth <= 0) MaxWidth = Screen->Width();
  TCanvas& canvas = Canvas();
  canvas.SetFont(*FFont);
  HDC dc = canvas.Handle();
  TSelectObject font(dc, canvas.Font().Handle());
  RECT r{0, 0, std::max(MaxWidth - 2 * HintMarginX, 1), 0};
  DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r, HintTextFormat | DT_CALCRECT);
  return TRect{0, 0, r.right + 2 * HintMarginX, r.bottom + 2 * HintMarginY};
}

void THintWindow::ActivateHint(const TRect& Rect, const std::wstring& Text) {
  // Keep the whole hint on the screen: what sticks out right or below moves in.
  TRect r = Rect;
  const int w = std::max(r.Width(), 0), h = std::max(r.Height(), 0);
  r.Left = std::max(0, std::min(r.Left, Screen->Width() - w));
  r.Top = std::max(0, std::min(r.Top, Screen->Height() - h));
  SetText(Text);
  HandleNeeded();
  SetBounds(r.Left, r.Top, w, h);
  FVisible = true;
  SetWindowPos(FHandle, HWND_TOPMOST, r.Left, r.Top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  FVisible = false;
  DestroyHandle();
  static_cast<THintCanvas&>(*FCanvas).Release();
}

void THintWindow::Paint() {
  TCanvas& canvas = Canvas();
  const TRect client = ClientRect();
  canvas.Brush().SetColor(clInfoText);
  canvas.FillRect(client);
  canvas.Brush().SetColor(FColor);
  canvas.FillRect(TRect{client.Left + 1, client.Top + 1, client.Right - 1, client.Bottom - 1});
  HDC dc = canvas.Handle();
  TSelectObject font(dc, FFont->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRef(FFont->Color()));
  const std::wstring text = Text();
  RECT r{client.Left + HintMarginX, client.Top + HintMarginY, client.Right - HintMarginX, client.Bottom - HintMarginY};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, HintTextFormat);
}

// The mouse goes through to the window beneath: the hint never becomes the
// control under the mouse.
void THintWindow::WMNCHitTest(TWMNCHitTest& Message) { Message.Result = HTTRANSPARENT; }
void THintWindow::WMMouseActivate(TWMMouseActivate& Message) { Message.Result = MA_NOACTIVATE; }

// ---- THintController ----------------------------------------------------------------

THintController::THintController(TApplication* App) : TComponent(nullptr), FApp(App) {}

THintController::~THintController() {
  FHintWindow.reset();
  FTimer.reset();
  SetHintControl(nullptr);
}

void THintController::SetShowHint(bool Value) {
  if (Value == FShowHint) return;
  FShowHint = Value;
  if (!Value) CancelHint();
}

void THintController::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || !FHintControl || AComponent != FHintControl) return;
  // The control is going: no hint may be shown or kept for it.
  FHintControl = nullptr;
  HideHint();
  StopTimer();
}

void THintController::SetHintControl(TControl* Control) {
  if (Control == FHintControl) return;
  if (FHintControl) RemoveFreeNotification(FHintControl);
  FHintControl = Control;
  if (Control) FreeNotification(Control);
  FShown = false;
}

bool THintController::CanHint(TControl* Control) const {
  return Control && FShowHint && Control->ShowHint() && Control->HasHint() && Control->Showing();
}

void THintController::MessageSeen(const MSG& Msg) {
  switch (Msg.message) {
    case WM_MOUSEMOVE: {
      const TPoint client = PointFromLParam(Msg.lParam);
      POINT screen{client.X, client.Y};
      ClientToScreen(Msg.hwnd, &screen);
      MouseOver(ControlAt(Msg.hwnd, client), ToTPoint(screen));
      break;
    }
    case WM_NCMOUSEMOVE:
      MouseOver(nullptr, PointFromLParam(Msg.lParam));
      break;
    case WM_MOUSELEAVE:
      // A leave that was overtaken by the mouse coming back is stale.
      if (FHintControl && WindowOf(FHintControl) == Msg.hwnd) {
        POINT p{};
        if (!GetCursorPos(&p) || WindowFromPoint(p) != Msg.hwnd) CancelHint();
      }
      break;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_MOUSEWHEEL:
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      CancelHint();
      break;
    default:
      break;
  }
}

void THintController::MouseOver(TControl* Control, TPoint CursorPos) {
  FCursorPos = CursorPos;
  if (Control != FHintControl) {
    HideHint();
    StopTimer();
    SetHintControl(Control);
    if (CanHint(Control))
      StartTimer(FHintPause, tmShow);
    else
      ReleaseIdleTimer();
    return;
  }
  // Leaving the area the hint belongs to hides it; the area's next hint
  // follows after the usual pause (or the reshow time the control asked for).
  if (Control && FShown && !Contains(FCursorRect, CursorPos)) {
    HideHint();
    StopTimer();
    FShown = false;
    if (CanHint(Control)) StartTimer(FReshowTimeout > 0 ? FReshowTimeout : FHintPause, tmShow);
  }
}

void THintController::CancelHint() {
  HideHint();
  StopTimer();
  SetHintControl(nullptr);
  ReleaseIdleTimer();
}

void THintController::ActivateHint(TPoint CursorPos) {
  HideHint();
  StopTimer();
  POINT p{CursorPos.X, CursorPos.Y};
  HWND window = WindowFromPoint(p);
  TControl* control = nullptr;
  if (window && ScreenToClient(window, &p)) control = ControlAt(window, ToTPoint(p));
  SetHintControl(control);
  FCursorPos = CursorPos;
  ShowHintNow();
  ReleaseIdleTimer();
}

void THintController::ShowHintNow() {
  TControl* const control = FHintControl;
  if (!CanHint(control)) return;
  THintInfo info;
  info.HintControl = control;
  info.HintStr = control->Hint();
  info.CursorPos = FCursorPos;
  info.CursorRect = control->ClientRect();
  info.HintPos = TPoint{FCursorPos.X, FCursorPos.Y + HintCursorOffset};
  info.HintMaxWidth = Screen->Width();
  info.HideTimeout = FHintHidePause;
  const bool refused = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
  // A handler may have freed the control or cancelled the hint.
  if (FHintControl != control) return;
  bool canShow = !refused;
  std::wstring text = info.HintStr;
  if (canShow && FApp && FApp->OnShowHint) {
    FApp->OnShowHint(text, canShow, info);
    if (FHintControl != control) return;
  }
  const TPoint origin = control->ClientOrigin();
  FCursorRect = TRect{info.CursorRect.Left + origin.X, info.CursorRect.Top + origin.Y, info.CursorRect.Right + origin.X,
                      info.CursorRect.Bottom + origin.Y};
  FReshowTimeout = info.ReshowTimeout;
  FShown = true;
  if (!canShow || text.empty()) return;
  if (!FHintWindow) FHintWindow = std::make_unique<THintWindow>(nullptr);
  TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, text);
  r = TRect{info.HintPos.X, info.HintPos.Y, info.HintPos.X + r.Width(), info.HintPos.Y + r.Height()};
  FHintWindow->ActivateHint(r, text);
  if (info.HideTimeout > 0) StartTimer(info.HideTimeout, tmHide);
}

void THintController::HideHint() { FHintWindow.reset(); }

void THintController::StartTimer(int Interval, TTimerMode Mode) {
  if (!FTimer) {
    FTimer = std::make_unique<TTimer>(nullptr);
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer([this](TObject*) { TimerFired(); });
  }
  FTimer->SetEnabled(false);
  FTimer->SetInterval(static_cast<unsigned>(std::max(Interval, 1)));
  FTimerMode = Mode;
  FTimer->SetEnabled(true);
}

void THintController::StopTimer() {
  if (FTimer) FTimer->SetEnabled(false);
  FTimerMode = tmNone;
}

// The timer's window is freed only from outside its own message.
void THintController::ReleaseIdleTimer() {
  if (!FInTimer && FTimerMode == tmNone) FTimer.reset();
}

void THintController::TimerFired() {
  FInTimer = true;
  TScopeExit done([this] { FInTimer = false; });
  const TTimerMode mode = FTimerMode;
  StopTimer();
  if (mode == tmShow) {
    ShowHintNow();
  } else if (mode == tmHide) {
    HideHint();
    if (FReshowTimeout > 0 && CanHint(FHintControl)) {
      FShown = false;
      StartTimer(FReshowTimeout, tmShow);
    }
  }
}
