// The screen object and the windows' cursor handling: WM_SETCURSOR in a
// toolkit window's client area answers with the cursor of the control under
// the mouse.
#include "toolkit/win/screen.h"

#include "toolkit/win/forms.h"

namespace {

TScreen GScreen;

LPCWSTR SystemCursorName(TCursor Id) {
  switch (Id) {
    case crArrow: return IDC_ARROW;
    case crCross: return IDC_CROSS;
    case crIBeam: return IDC_IBEAM;
    case crSizeNESW: return IDC_SIZENESW;
    case crSizeNS: return IDC_SIZENS;
    case crSizeNWSE: return IDC_SIZENWSE;
    case crSizeWE: return IDC_SIZEWE;
    case crUpArrow: return IDC_UPARROW;
    case crHourGlass: return IDC_WAIT;
    case crNo: return IDC_NO;
    case crAppStart: return IDC_APPSTARTING;
    case crHelp: return IDC_HELP;
    case crHandPoint: return IDC_HAND;
    case crSizeAll: return IDC_SIZEALL;
    default: return nullptr;
  }
}

}  // namespace

TScreen* Screen = &GScreen;

HCURSOR TScreen::Cursors(TCursor Id) const {
  if (auto it = FCursors.find(Id); it != FCursors.end()) return it->second;
  // System cursors are shared: loading one again costs nothing and frees nothing.
  if (Id == crNone) return nullptr;
  LPCWSTR name = SystemCursorName(Id);
  HCURSOR cursor = name ? LoadCursorW(nullptr, name) : nullptr;
  return cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
}

void TScreen::SetCursors(TCursor Id, HCURSOR Value) {
  if (Value)
    FCursors[Id] = Value;
  else
    FCursors.erase(Id);
  RefreshCursor();
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  RefreshCursor();
}

void TScreen::RefreshCursor() {
  POINT p{};
  if (!GetCursorPos(&p)) return;
  HWND window = WindowFromPoint(p);
  if (!window || !TWinControl::FindControl(window)) return;
  const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hit, WM_MOUSEMOVE));
}

int TScreen::PixelsPerInch() const {
  TWindowDC dc(nullptr);
  return GetDeviceCaps(dc.Get(), LOGPIXELSY);
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const {
  RECT r{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return TRect{0, 0, Width(), Height()};
  return ToTRect(r);
}

TCustomForm* TScreen::ActiveForm() const {
  return dynamic_cast<TCustomForm*>(TWinControl::FindControl(GetActiveWindow()));
}

// The app-wide cursor first, then the control under the mouse (a graphic
// child before its window), then the window's own class cursor.
void TWinControl::WMSetCursor(TWMSetCursor& Message) {
  if (Message.CursorWnd == FHandle && Message.HitTest == HTCLIENT) {
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault) {
      POINT p{};
      GetCursorPos(&p);
      ::ScreenToClient(FHandle, &p);
      if (TControl* child = ControlAtPos(TPoint{p.x, p.y}, false)) cursor = child->Cursor();
      if (cursor == crDefault) cursor = FCursor;
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message.Raw);
}
