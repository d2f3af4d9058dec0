#include "toolkit/win/monitors.h"

TMonitor::TMonitor(HMONITOR Handle) : FHandle(Handle) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (Handle && GetMonitorInfoW(Handle, &info)) {
    FBounds = ToTRect(info.rcMonitor);
    FWorkarea = ToTRect(info.rcWork);
    FPrimary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    return;
  }
  // No monitor information (a monitor that just went away): the primary
  // screen as the system metrics describe it.
  FBounds = TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT work{};
  FWorkarea = SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) ? ToTRect(work) : FBounds;
  FPrimary = true;
}

TMonitor TMonitor::FromWindow(HWND Window) {
  if (!Window) return PrimaryMonitor();
  return TMonitor(MonitorFromWindow(Window, MONITOR_DEFAULTTONEAREST));
}

TMonitor TMonitor::PrimaryMonitor() { return TMonitor(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)); }
