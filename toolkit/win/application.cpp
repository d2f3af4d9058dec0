#include "toolkit/win/application.h"

#include <algorithm>

namespace {

TApplication GApplication;

}  // namespace

TApplication* Application = &GApplication;

TApplication::TApplication() : TComponent(nullptr) { SetControlHost(this); }

TApplication::~TApplication() {
  Destroying();
  DestroyComponents();
  FHandle.reset();
  SetControlHost(nullptr);
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
  if (Message.Msg == WM_SYSCOMMAND && SysCommand(TWMSysCommand(Message).CmdType)) return;
  Message.Result = DefWindowProcW(FHandle->Handle(), Message.Msg, Message.WParam, Message.LParam);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

void TApplication::ControlFocused(TWinControl* Control) {
  if (TCustomForm* form = GetParentForm(Control); form && form != Control) form->FocusControlChanged(Control);
}

// Key-downs and Alt+characters are offered to the toolkit control above the
// focused window before they are dispatched (dialog keys, accelerators). They
// are sent, not performed: the control's window procedure is the boundary
// that catches what its handlers throw.
bool TApplication::IsKeyMsg(MSG& Msg) {
  UINT notification = 0;
  switch (Msg.message) {
    case WM_KEYDOWN: notification = CN_KEYDOWN; break;
    case WM_SYSKEYDOWN: notification = CN_SYSKEYDOWN; break;
    case WM_SYSCHAR: notification = CN_SYSCHAR; break;
    default: return false;
  }
  TWinControl* control = TWinControl::FindControlAbove(Msg.hwnd);
  if (!control || !control->HandleAllocated()) return false;
  return SendMessageW(control->Handle(), notification, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  FHints.MessageSeen(Msg);
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

// One report at a time: an exception raised while reporting another is dropped.
void TApplication::Report(TObject* Sender, const std::exception* E, const std::wstring& Text) {
  if (FHandlingException) return;
  FHandlingException = true;
  try {
    if (OnException)
      OnException(Sender, E, Text);
    else
      ShowException(Text);
  } catch (...) {
  }
  FHandlingException = false;
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr current = std::current_exception();
  if (!current) {
    Report(Sender, nullptr, L"Unknown exception");
    return;
  }
  try {
    std::rethrow_exception(current);
  } catch (const std::exception& e) {
    Report(Sender, &e, Utf8ToWide(e.what()));
  } catch (...) {
    Report(Sender, nullptr, L"Unknown exception");
  }
}

// ---- Minimizing ---------------------------------------------------------------------

HWND TApplication::MinimizeTarget() const {
  if (FMainFormOnTaskBar && FMainForm && FMainForm->HandleAllocated()) return FMainForm->Handle();
  return Handle();
}

bool TApplication::Minimized() const {
  HWND target = MinimizeTarget();
  return target && IsIconic(target);
}

void TApplication::Minimize() {
  HWND target = MinimizeTarget();
  if (!target || IsIconic(target)) return;
  if (target == Handle()) {
    // Every window of the application goes first, so that only the
    // application window's icon stays; they come back on restoring.
    FMinimizeHidden = VisibleThreadWindows(Handle());
    for (HWND w : FMinimizeHidden) ShowWindow(w, SW_HIDE);
  }
  ShowWindow(target, SW_MINIMIZE);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  HWND target = MinimizeTarget();
  if (!target || !IsIconic(target)) return;
  if (target == Handle()) {
    ShowWindow(target, SW_RESTORE);
    // The application window is never shown otherwise.
    ShowWindow(target, SW_HIDE);
    // Back in their own state, from the bottom of the z-order up.
    const std::vector<HWND> hidden = std::move(FMinimizeHidden);
    FMinimizeHidden.clear();
    for (auto it = hidden.rbegin(); it != hidden.rend(); ++it)
      if (IsWindow(*it)) ShowWindow(*it, IsIconic(*it) ? SW_SHOWMINNOACTIVE : IsZoomed(*it) ? SW_SHOWMAXIMIZED : SW_SHOWNA);
    if (FMainForm && FMainForm->HandleAllocated() && IsWindowVisible(FMainForm->Handle()))
      SetForegroundWindow(FMainForm->Handle());
  } else {
    ShowWindow(target, SW_RESTORE);
  }
  if (OnRestore) OnRestore(this);
}

// The system's minimize and restore commands on the application window (its
// icon while minimized).
bool TApplication::SysCommand(WPARAM Command) {
  if (Command == SC_MINIMIZE) {
    Minimize();
    return true;
  }
  if (Command == SC_RESTORE) {
    Restore();
    return true;
  }
  return false;
}
