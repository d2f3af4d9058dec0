#include "toolkit/win/caret.h"

bool TSystemCaret::Create(HWND Window, int Height) {
  Destroy();
  if (!Window || !CreateCaret(Window, nullptr, 1, Height > 0 ? Height : 1)) return false;
  FWindow = Window;
  return true;
}

void TSystemCaret::MoveTo(int X, int Y) {
  if (FWindow) SetCaretPos(X, Y);
}

void TSystemCaret::Destroy() {
  if (!FWindow) return;
  // Another window may have taken the thread's caret since: leave it alone.
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (GetGUIThreadInfo(GetCurrentThreadId(), &info) && info.hwndCaret == FWindow) DestroyCaret();
  FWindow = nullptr;
}
