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
  Message.Result = DefWindowProcW(FHandle->Handle(), Message.Msg, Message.WParam, Message.LParam);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

void TApplication::ControlFocused(TWinControl* Control) {
  if (TCustomForm* form = GetParentForm(Control); form && form != Control) form->FocusControlChanged(Control);
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
  TCustomForm* form = GetParentForm(control);
  return form && form->Perform(CM_DIALOGKEY, Msg.wParam, Msg.lParam) != 0;
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
