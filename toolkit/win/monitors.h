// Display monitors: the rectangle and work area of the monitor a window is
// on, read from the system when asked (monitors come and go while a program runs).
#pragma once

#include "toolkit/win/winapi.h"

class TMonitor {
public:
  // The monitor the window is on; the nearest one when it is on none, the
  // primary one for a null window.
  static TMonitor FromWindow(HWND Window);
  static TMonitor PrimaryMonitor();

  HMONITOR Handle() const { return FHandle; }
  TRect BoundsRect() const { return FBounds; }
  // The monitor less the taskbar and docked tool bars.
  TRect WorkareaRect() const { return FWorkarea; }
  bool Primary() const { return FPrimary; }
  int Width() const { return FBounds.Width(); }
  int Height() const { return FBounds.Height(); }

private:
  explicit TMonitor(HMONITOR Handle);
  HMONITOR FHandle = nullptr;
  TRect FBounds{};
  TRect FWorkarea{};
  bool FPrimary = false;
};
