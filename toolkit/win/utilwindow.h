// A hidden window whose procedure is a method object: timers and other
// message receivers that need no visible window.
#pragma once

#include "toolkit/win/messages.h"

class TUtilWindow {
public:
  explicit TUtilWindow(TWndMethod Method);
  ~TUtilWindow();
  TUtilWindow(const TUtilWindow&) = delete;
  TUtilWindow& operator=(const TUtilWindow&) = delete;
  HWND Handle() const { return FHandle; }

private:
  static LRESULT CALLBACK WndProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
  TWndMethod FMethod;
  HWND FHandle = nullptr;
};
