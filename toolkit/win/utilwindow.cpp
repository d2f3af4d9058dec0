#include "toolkit/win/utilwindow.h"

#include "toolkit/win/controls.h"

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
  CountLive(lkWindow, 1);
}

TUtilWindow::~TUtilWindow() {
  if (FHandle) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
    CountLive(lkWindow, -1);
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
    HandleControlException(nullptr);
  }
  return message.Result;
}
