#include "toolkit/win/forms.h"

#include <algorithm>
#include <unordered_map>

namespace {

TApplication GApplication;

// Collects the enabled, visible top-level windows of this thread but one.
struct TDisabledWindows {
  HWND Except;
  std::vector<HWND> Windows;
};

BOOL CALLBACK DisableWindow(HWND Window, LPARAM Param) {
  auto* list = reinterpret_cast<TDisabledWindows*>(Param);
  if (Window != list->Except && IsWindowVisible(Window) && IsWindowEnabled(Window)) {
    // No exception may leave this callback: out of memory ends the walk.
    try {
      list->Windows.push_back(Window);
    } catch (...) {
      return FALSE;
    }
    EnableWindow(Window, FALSE);
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

TApplication* Application = &GApplication;

// ---- TUtilWindow ------------------------------------------------------------------------

TUtilWindow::TUtilWindow(TWndMethod Method) : FMethod(std::move(Method)) {
  static const wchar_t* const className = L"QuorrelUtilWindow";
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(instance, className, &wc)) {
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    Win32Check(RegisterClassW(&wc) != 0, "RegisterClassW");
  }
  // A top-level, never shown window: it can own other windows, unlike a message-only one.
  FHandle = CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
  Win32Check(FHandle != nullptr, "CreateWindowExW");
}

TUtilWindow::~TUtilWindow() {
  if (FHandle) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
}

LRESULT CALLBACK TUtilWindow::WndProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* self = reinterpret_cast<TUtilWindow*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!self && Msg == WM_NCCREATE) {
    self = static_cast<TUtilWindow*>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams);
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  // Messages of the creation itself go to the default procedure: the owner of
  // the method is not ready for them yet.
  if (!self || !self->FMethod || !self->FHandle) return DefWindowProcW(Window, Msg, WParam, LParam);
  TMessage message{Msg, WParam, LParam, 0};
  try {
    self->FMethod(message);
  } catch (...) {
    Application->HandleException(nullptr);
  }
  return message.Result;
}

// ---- TCustomForm --------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {
  BeginLoading();
  FVisible = false;
  FParentFont = false;
  FColor = clBtnFace;
  FWidth = 320;
  FHeight = 240;
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
  switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle: Params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_BORDER; break;
    case bsSizeable: Params.Style |= WS_OVERLAPPEDWINDOW; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
      Params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      Params.Style |= WS_CAPTION | WS_SYSMENU;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
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
    SetWindowPos(FHandle, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateBounds();
  } else {
    Realign();
  }
}

void TCustomForm::CenterOnScreen() {
  RECT r{};
  GetWindowRect(FHandle, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
  const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
  SetWindowPos(FHandle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateBounds();
}

void TCustomForm::Dispatch(TMessage& Message) {
  // Never destroyed: a form left to the application object gets messages during static destruction.
  static const auto& table = *new std::unordered_map<UINT, void (TCustomForm::*)(TMessage&)>{
      {WM_CLOSE, &TCustomForm::WMClose},
      {WM_GETMINMAXINFO, &TCustomForm::WMGetMinMaxInfo},
      {CM_VISIBLECHANGED, &TCustomForm::CMVisibleChangedForm},
      {CM_DIALOGKEY, &TCustomForm::CMDialogKey},
      {CM_RELEASE, &TCustomForm::CMRelease},
  };
  auto it = table.find(Message.Msg);
  if (it != table.end())
    (this->*it->second)(Message);
  else
    TWinControl::Dispatch(Message);
}

void TCustomForm::PaintWindow(HDC DC) {
  if (!OnPaint) return;
  FCanvas->Lock();
  try {
    FCanvas->SetHandle(DC);
    FCanvas->Font().Assign(FFont.get());
    OnPaint(this);
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    throw;
  }
  FCanvas->SetHandle(nullptr);
  FCanvas->Unlock();
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMGetMinMaxInfo(TMessage& Message) { DefaultHandler(Message); }

void TCustomForm::CMVisibleChangedForm(TMessage& Message) {
  if (Message.WParam) {
    AfterConstruction();
    HandleNeeded();
    if (!FShownOnce) {
      FShownOnce = true;
      if (FPosition == poScreenCenter) CenterOnScreen();
    }
    ShowWindow(FHandle, SW_SHOWNORMAL);
    if (OnShow) OnShow(this);
  } else if (FHandle) {
    ShowWindow(FHandle, SW_HIDE);
  }
}

void TCustomForm::CMDialogKey(TMessage& Message) {
  if (Message.WParam == VK_TAB && !(KeyboardStateToShiftState() & (ssAlt | ssCtrl))) {
    SelectNext(FActiveControl, !(KeyboardStateToShiftState() & ssShift));
    Message.Result = 1;
    return;
  }
  Broadcast(Message);
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

void TCustomForm::SetActiveControl(TWinControl* Value) {
  if (Value && Value->GetParentForm() != this) throw EInvalidOperation("Invalid active control");
  FActiveControl = Value;
  if (Value && FHandle && IsWindowVisible(FHandle) && Value->CanFocus()) Value->SetFocus();
}

void TCustomForm::FocusControlChanged(TWinControl* Control) {
  if (Control == FActiveControl) return;
  TWinControl* previous = FActiveControl;
  FActiveControl = Control;
  if (previous) previous->DoExit();
  if (Control) Control->DoEnter();
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
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
    if (FHandle) ShowWindow(FHandle, SW_MINIMIZE);
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
  TDisabledWindows disabled{FHandle, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled));
  FModal = true;
  FModalResult = mrNone;
  try {
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
  } catch (...) {
    for (HWND w : disabled.Windows) EnableWindow(w, TRUE);
    FModal = false;
    Hide();
    throw;
  }
  for (HWND w : disabled.Windows) EnableWindow(w, TRUE);
  FModal = false;
  Hide();
  return FModalResult;
}

// ---- TApplication -------------------------------------------------------------------------

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  Destroying();
  DestroyComponents();
  FHandle.reset();
}

void TApplication::Initialize() {
  SetSysColorResolver(Win32SysColor);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  if (!FHandle) FHandle = std::make_unique<TUtilWindow>([this](TMessage& Message) { WndProc(Message); });
  SetWindowTextW(FHandle->Handle(), FTitle.c_str());
}

void TApplication::SetTitle(const std::wstring& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextW(FHandle->Handle(), Value.c_str());
}

int TApplication::HookMainWindow(TWindowHook Hook) {
  const int id = FNextHookId++;
  FHooks.emplace_back(id, std::move(Hook));
  return id;
}

void TApplication::UnhookMainWindow(int Id) {
  FHooks.erase(std::remove_if(FHooks.begin(), FHooks.end(), [Id](const auto& h) { return h.first == Id; }),
               FHooks.end());
}

void TApplication::WndProc(TMessage& Message) {
  // A copy: a hook may unhook itself while it runs.
  const auto hooks = FHooks;
  for (const auto& hook : hooks)
    if (hook.second(Message)) return;
  if (Message.Msg == WM_CLOSE) {
    if (FMainForm) FMainForm->Close();
    return;
  }
  Message.Result = DefWindowProcW(FHandle->Handle(), Message.Msg, Message.WParam, Message.LParam);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message != WM_KEYDOWN) return false;
  if (Msg.wParam != VK_TAB && Msg.wParam != VK_RETURN && Msg.wParam != VK_ESCAPE) return false;
  // The focused window may be a native part (a combo box's edit): find the control above it.
  TWinControl* control = nullptr;
  for (HWND w = Msg.hwnd; w && !control; w = GetParent(w)) control = TWinControl::FindControl(w);
  if (!control) return false;
  const LRESULT code = SendMessageW(Msg.hwnd, WM_GETDLGCODE, Msg.wParam, reinterpret_cast<LPARAM>(&Msg));
  if (code & DLGC_WANTALLKEYS) return false;
  if (Msg.wParam == VK_TAB && (code & DLGC_WANTTAB)) return false;
  TCustomForm* form = control->GetParentForm();
  return form && form->Perform(CM_DIALOGKEY, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  if (!IsKeyMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  try {
    if (!ProcessMessage(msg)) WaitMessage();
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::Run() {
  if (FMainForm) FMainForm->Show();
  while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::ShowException(const std::wstring& Message) {
  HWND owner = FMainForm && FMainForm->HandleAllocated() ? FMainForm->Handle() : Handle();
  MessageBoxW(owner, Message.c_str(), FTitle.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* Sender) {
  std::wstring text = L"Unknown exception";
  const std::exception* error = nullptr;
  std::exception_ptr current = std::current_exception();
  try {
    if (current) std::rethrow_exception(current);
  } catch (const std::exception& e) {
    error = &e;
    text = Utf8ToWide(e.what());
    if (FHandlingException) return;
    FHandlingException = true;
    try {
      if (OnException)
        OnException(Sender, error, text);
      else
        ShowException(text);
    } catch (...) {
    }
    FHandlingException = false;
    return;
  } catch (...) {
  }
  if (FHandlingException) return;
  FHandlingException = true;
  try {
    if (OnException)
      OnException(Sender, nullptr, text);
    else
      ShowException(text);
  } catch (...) {
  }
  FHandlingException = false;
}

int ShowMessageBox(const std::wstring& Caption, const std::wstring& Text, int Kind) {
  static constexpr UINT icons[] = {0, MB_ICONINFORMATION, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION};
  const UINT icon = Kind >= 0 && Kind <= 4 ? icons[Kind] : 0;
  TCustomForm* mainForm = Application->MainForm();
  HWND owner = mainForm && mainForm->HandleAllocated() ? mainForm->Handle() : Application->Handle();
  const int result = MessageBoxW(owner, Text.c_str(), Caption.c_str(), MB_OK | icon);
  return result == IDOK ? mrOk : result;
}
