#include "toolkit/win/forms.h"

#include "toolkit/core/scope.h"
#include "toolkit/win/application.h"

#include <algorithm>

namespace {

struct TThreadWindows {
  HWND Except;
  std::vector<HWND> Windows;
};

BOOL CALLBACK CollectVisibleWindow(HWND Window, LPARAM Param) {
  auto* list = reinterpret_cast<TThreadWindows*>(Param);
  if (Window == list->Except || !IsWindowVisible(Window)) return TRUE;
  // No exception may leave this callback: out of memory ends the walk.
  try {
    list->Windows.push_back(Window);
  } catch (...) {
    return FALSE;
  }
  return TRUE;
}

void CollectTabStops(TWinControl* Container, std::vector<TWinControl*>& Out) {
  for (TWinControl* c : Container->TabList()) {
    if (c->TabStop() && c->CanFocus()) Out.push_back(c);
    CollectTabStops(c, Out);
  }
}

}  // namespace

std::vector<HWND> VisibleThreadWindows(HWND Except) {
  TThreadWindows list{Except, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectVisibleWindow, reinterpret_cast<LPARAM>(&list));
  return std::move(list.Windows);
}

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  TControl* c = Control;
  while (c->Parent()) c = c->Parent();
  return dynamic_cast<TCustomForm*>(c);
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {
  BeginLoading();
  InitForm();
}

TCustomForm::TCustomForm(TComponent* AOwner, TCreateNew) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {
  InitForm();
}

void TCustomForm::InitForm() {
  FVisible = false;
  FParentFont = false;
  FColor = clBtnFace;
  FWidth = 320;
  FHeight = 240;
  FConstraints.OnChange = [this](TObject*) { ConstraintsChanged(); };
}

TCustomForm::~TCustomForm() {
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
  // The window goes before the derived parts: no message reaches a half-destroyed form.
  Destroying();
  DestroyComponents();
  DestroyHandle();
}

void TCustomForm::AfterConstruction() {
  if (FConstructed) return;
  FConstructed = true;
  EndLoading();
  DoCreate();
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style = WS_CLIPCHILDREN;
  Params.ExStyle = WS_EX_CONTROLPARENT;
  TBorderIcons icons = FBorderIcons;
  switch (FBorderStyle) {
    case bsNone:
      Params.Style |= WS_POPUP;
      icons = 0;
      break;
    case bsSingle: Params.Style |= WS_CAPTION; break;
    case bsSizeable: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
      Params.ExStyle |= WS_EX_DLGMODALFRAME;
      icons &= biSystemMenu | biHelp;
      break;
    case bsToolWindow:
      Params.Style |= WS_CAPTION;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      icons &= biSystemMenu;
      break;
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_THICKFRAME;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      icons &= biSystemMenu;
      break;
  }
  // The minimize and maximize bits stay without a system menu: they still
  // let the taskbar button minimize the window and a caption double click
  // maximize it (the system just draws no buttons). The help button takes
  // the place of those two, so it exists only where neither does.
  if (icons & biSystemMenu) Params.Style |= WS_SYSMENU;
  if (icons & biMinimize) Params.Style |= WS_MINIMIZEBOX;
  if (icons & biMaximize) Params.Style |= WS_MAXIMIZEBOX;
  if ((icons & biHelp) && (icons & biSystemMenu) && !(icons & (biMinimize | biMaximize)))
    Params.ExStyle |= WS_EX_CONTEXTHELP;
  if (FAlphaBlend) Params.ExStyle |= WS_EX_LAYERED;
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  // The main form carries the taskbar button itself when MainFormOnTaskBar is
  // set; other forms are owned by the main form or by the application window.
  TCustomForm* mainForm = Application->MainForm();
  if (Application->MainFormOnTaskBar() && (!mainForm || mainForm == this)) {
    Params.WndParent = nullptr;
    Params.ExStyle |= WS_EX_APPWINDOW;
  } else if (mainForm && mainForm != this && mainForm->HandleAllocated()) {
    Params.WndParent = mainForm->Handle();
  } else {
    Params.WndParent = Application->Handle();
  }
  if (FClientWidth > 0 || FClientHeight > 0) {
    RECT r{0, 0, FClientWidth, FClientHeight};
    AdjustWindowRectEx(&r, Params.Style, FALSE, Params.ExStyle);
    Params.Width = r.right - r.left;
    Params.Height = r.bottom - r.top;
  }
  Params.WinClassName = L"QuorrelForm";
}

void TCustomForm::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  CreateWindowHandle(params);
  // A layered window shows nothing until it has its attributes.
  if (FAlphaBlend) ApplyAlphaBlend();
  // The frame the window really has decides the outer size.
  if (FClientWidth > 0 || FClientHeight > 0) SetClientSize(FClientWidth, FClientHeight);
  UpdateBounds();
}

TRect TCustomForm::ClientRect() {
  if (FHandle) return TWinControl::ClientRect();
  if (FClientWidth > 0 || FClientHeight > 0) return TRect{0, 0, FClientWidth, FClientHeight};
  return TWinControl::ClientRect();
}

void TCustomForm::SetClientSize(int AWidth, int AHeight) {
  FClientWidth = AWidth;
  FClientHeight = AHeight;
  if (FHandle) {
    RECT window{}, client{};
    GetWindowRect(FHandle, &window);
    GetClientRect(FHandle, &client);
    const int w = window.right - window.left - client.right + AWidth;
    const int h = window.bottom - window.top - client.bottom + AHeight;
    UpdateBounds();
    SetBounds(FLeft, FTop, w, h);
  } else {
    Realign();
  }
}

TMonitor CenteringMonitor() {
  HWND active = GetActiveWindow();
  if (!active) {
    TCustomForm* mainForm = Application->MainForm();
    if (mainForm && mainForm->HandleAllocated() && IsWindowVisible(mainForm->Handle())) active = mainForm->Handle();
  }
  return active ? TMonitor::FromWindow(active) : TMonitor::PrimaryMonitor();
}

// A form larger than the work area is cut to it, so that its title bar and
// its buttons stay on the screen.
void TCustomForm::CenterOnScreen() {
  RECT r{};
  GetWindowRect(FHandle, &r);
  const TRect work = CenteringMonitor().WorkareaRect();
  const int w = std::min<int>(r.right - r.left, work.Width());
  const int h = std::min<int>(r.bottom - r.top, work.Height());
  const int x = work.Left + (work.Width() - w) / 2;
  const int y = work.Top + (work.Height() - h) / 2;
  SetWindowPos(FHandle, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateBounds();
}

void TCustomForm::PaintWindow(HDC DC) {
  if (!OnPaint) return;
  TCanvasBinding binding(*FCanvas, DC, FFont.get());
  OnPaint(this);
}

void TCustomForm::WMClose(TWMBase&) { Close(); }

// The system's handling puts the focus on the form's window; a control that
// had it when the form was left gets it back.
void TCustomForm::WMActivate(TWMActivate& Message) {
  TWinControl::WMActivate(Message);
  if (Message.Active == WA_INACTIVE || Message.Minimized) return;
  if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus()) FActiveControl->SetFocus();
}

// Visible changed: the window is made (and placed, the first time) before the
// showing state follows, so that CM_SHOWINGCHANGED finds a window to show.
void TCustomForm::CMVisibleChanged(TCMVisibleChanged& Message) {
  if (Message.Value) {
    AfterConstruction();
    HandleNeeded();
    if (!FShownOnce) {
      FShownOnce = true;
      if (FPosition == poScreenCenter) CenterOnScreen();
    }
  }
  UpdateShowing();
}

void TCustomForm::UpdateShowing() {
  const bool wanted = FVisible && FHandle != nullptr;
  if (wanted == FShowing) return;
  FShowing = wanted;
  // A handler that fails leaves the state as it was.
  TScopeExit revert([this, wanted] { FShowing = !wanted; });
  Perform(CM_SHOWINGCHANGED);
  revert.Dismiss();
}

// The toolkit's handling of the showing change: show or hide the window.
// Components hooked on the form act before and after passing it on.
void TCustomForm::CMShowingChanged(TWMBase&) {
  if (FShowing) {
    ShowWindow(FHandle, ShowCommand());
    DoShow();
  } else if (FHandle) {
    DoHide();
    // The state the window had comes back when it is shown again.
    FWindowState = StateOfWindow();
    ShowWindow(FHandle, SW_HIDE);
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::CMDialogKey(TWMKey& Message) {
  if (Message.CharCode == VK_TAB && !(KeyboardStateToShiftState() & (ssAlt | ssCtrl))) {
    SelectNext(FActiveControl, !(KeyboardStateToShiftState() & ssShift));
    Message.Result = 1;
    return;
  }
  TWinControl::CMDialogKey(Message);
}

void TCustomForm::CMRelease(TWMBase&) { delete this; }

void TCustomForm::WMCancelMode(TWMBase& Message) {
  TWinControl::WMCancelMode(Message);
  SendCancelMode(this);
}

void TCustomForm::WMEnterSizeMove(TWMBase& Message) {
  TWinControl::WMEnterSizeMove(Message);
  SendCancelMode(this);
}

void TCustomForm::SetActiveControl(TWinControl* Value) {
  if (Value && GetParentForm(Value) != this) throw EInvalidOperation("Invalid active control");
  FActiveControl = Value;
  if (Value && FHandle && IsWindowVisible(FHandle) && Value->CanFocus()) Value->SetFocus();
}

void TCustomForm::FocusControlChanged(TWinControl* Control) {
  if (Control == FActiveControl) return;
  TWinControl* previous = FActiveControl;
  SendCancelMode(Control);
  FActiveControl = Control;
  if (previous) previous->DoExit();
  if (Control) Control->DoEnter();
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
}

void TCustomForm::SendCancelMode(TControl* Sender) {
  if (FActiveControl) FActiveControl->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
}

void TCustomForm::SelectNext(TWinControl* CurControl, bool GoForward) {
  std::vector<TWinControl*> list;
  CollectTabStops(this, list);
  if (list.empty()) return;
  auto it = std::find(list.begin(), list.end(), CurControl);
  int index = it == list.end() ? (GoForward ? -1 : 0) : static_cast<int>(it - list.begin());
  const int n = static_cast<int>(list.size());
  index = ((GoForward ? index + 1 : index - 1) % n + n) % n;
  list[index]->SetFocus();
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  } else {
    Release();
  }
}

void TCustomForm::Release() {
  if (FHandle) PostMessageW(FHandle, CM_RELEASE, 0, 0);
}

int TCustomForm::ShowModal() {
  if (FVisible || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  AfterConstruction();
  if (GetCapture()) ReleaseCapture();
  HandleNeeded();
  const HWND activeBefore = GetActiveWindow();
  const std::vector<HWND> others = VisibleThreadWindows(FHandle);
  std::vector<HWND> disabled;
  disabled.reserve(others.size());
  for (HWND w : others)
    if (IsWindowEnabled(w)) {
      disabled.push_back(w);
      EnableWindow(w, FALSE);
    }
  FModal = true;
  FModalResult = mrNone;
  // Should the loop fail, the form goes away without its hide handlers.
  TScopeExit vanish([this] {
    FModal = false;
    FVisible = false;
    FShowing = false;
    if (FHandle) ShowWindow(FHandle, SW_HIDE);
  });
  {
    // The other windows come back before the form hides, so that the
    // activation returns to them.
    TScopeExit enable([&disabled] {
      for (HWND w : disabled) EnableWindow(w, TRUE);
    });
    Show();
    while (FModalResult == mrNone) {
      Application->HandleMessage();
      if (Application->Terminated()) FModalResult = mrCancel;
      else if (FModalResult != mrNone) {
        // A close handler may refuse; the loop then goes on.
        TCloseAction action = caHide;
        DoClose(action);
        if (action == caNone) FModalResult = mrNone;
      }
    }
  }
  vanish.Dismiss();
  FModal = false;
  Hide();
  // The system would activate the owner, which an outer modal form may keep
  // disabled: the window the user left (that outer form) comes back instead.
  if (activeBefore && activeBefore != FHandle && IsWindow(activeBefore) && IsWindowVisible(activeBefore) &&
      IsWindowEnabled(activeBefore))
    SetActiveWindow(activeBefore);
  return FModalResult;
}

int ShowMessageBox(const std::wstring& Caption, const std::wstring& Text, int Kind) {
  static constexpr UINT icons[] = {0, MB_ICONINFORMATION, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION};
  const UINT icon = Kind >= 0 && Kind <= 4 ? icons[Kind] : 0;
  TCustomForm* mainForm = Application->MainForm();
  HWND owner = mainForm && mainForm->HandleAllocated() ? mainForm->Handle() : Application->Handle();
  const int result = MessageBoxW(owner, Text.c_str(), Caption.c_str(), MB_OK | icon);
  return result == IDOK ? mrOk : result;
}
