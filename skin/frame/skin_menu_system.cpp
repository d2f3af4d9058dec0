// The process-wide side of skinned menus: the system settings the skin
// changes and puts back on every way out, the thread hook that catches
// popup-menu windows, and the window procedure they get.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "skin/frame/skin_menu.h"
#include "toolkit/win/application.h"

namespace {

// One system setting: read before the first change, written back once.
struct TSavedSetting {
  UINT Get;
  UINT Set;
  BOOL Saved = FALSE;
  bool Changed = false;
};

TSavedSetting Settings[] = {
    {SPI_GETSELECTIONFADE, SPI_SETSELECTIONFADE},
    {SPI_GETMENUFADE, SPI_SETMENUFADE},
    {SPI_GETMENUANIMATION, SPI_SETMENUANIMATION},
};
enum { SelectionFade, MenuFade, MenuAnimation };

int InitCount = 0;
HHOOK Hook = nullptr;
WNDPROC PreviousProc = nullptr;
int HookedWindows = 0;
bool MenuDrawn = true;
bool EmergencyInstalled = false;
int EndSessionHook = 0;
std::terminate_handler PreviousTerminate = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER PreviousFilter = nullptr;

void Change(int Index, BOOL Value) {
  TSavedSetting& s = Settings[Index];
  if (!s.Changed) {
    BOOL current = FALSE;
    if (!SystemParametersInfoW(s.Get, 0, &current, 0)) return;  // not known here: left alone
    s.Saved = current;
    s.Changed = true;
  }
  // These settings take their value in the pointer argument.
  SystemParametersInfoW(s.Set, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(Value)), SPIF_SENDCHANGE);
}

void Unhook() {
  if (Hook) UnhookWindowsHookEx(Hook);
  Hook = nullptr;
}

// The ways out that skip DoneSkinMenus: each puts the user's settings back first.
void AtExit() {
  RestoreSystemMenuSettings();
  Unhook();
}

void OnTerminate() {
  AtExit();
  if (PreviousTerminate) PreviousTerminate();
  std::abort();
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* Info) {
  AtExit();
  return PreviousFilter ? PreviousFilter(Info) : EXCEPTION_CONTINUE_SEARCH;
}

void InstallEmergencyExits() {
  if (EmergencyInstalled) return;
  EmergencyInstalled = true;
  std::atexit(AtExit);
  PreviousTerminate = std::set_terminate(OnTerminate);
  PreviousFilter = SetUnhandledExceptionFilter(OnUnhandledException);
}

// The session ends: the process may be ended without another message.
void HookEndSession() {
  if (EndSessionHook || !Application) return;
  EndSessionHook = Application->HookMainWindow([](TMessage& Message) {
    if (Message.Msg == WM_ENDSESSION && Message.WParam) AtExit();
    return false;
  });
}

bool IsMenuWindow(HWND Window) {
  wchar_t name[21] = {};
  const int length = GetClassNameW(Window, name, 21);
  return length == 6 && lstrcmpW(name, L"#32768") == 0;
}

LRESULT CALLBACK SkinMenuProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  // Until an item is drawn after measuring, the system's own frame and
  // background would flash before the layered bitmap covers them.
  if (!MenuDrawn && Msg == WM_NCPAINT) return 0;
  if (!MenuDrawn && Msg == WM_ERASEBKGND) return 1;
  if (Msg == MM_FLUSHMENU) {
    // Nothing may leave a window procedure: a failed flush waits for the next item drawn.
    try {
      FlushSkinMenuWindow(Window);
    } catch (...) {
    }
    return 0;
  }
  return PreviousProc ? CallWindowProcW(PreviousProc, Window, Msg, WParam, LParam)
                      : DefWindowProcW(Window, Msg, WParam, LParam);
}

void CatchMenuWindow(HWND Window) {
  const ULONG_PTR style = GetClassLongPtrW(Window, GCL_STYLE);
  if (style & CS_DROPSHADOW) SetClassLongPtrW(Window, GCL_STYLE, static_cast<LONG_PTR>(style & ~CS_DROPSHADOW));
  const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Window, GWLP_WNDPROC));
  if (current == SkinMenuProc) return;
  // One slot for every menu window: one whose procedure is another is left alone.
  if (PreviousProc && current != PreviousProc) return;
  PreviousProc = current;
  SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SkinMenuProc));
  ++HookedWindows;
}

LRESULT CALLBACK CallWndProc(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(LParam);
    if (call->message == WM_CREATE && IsMenuWindow(call->hwnd)) CatchMenuWindow(call->hwnd);
  }
  return CallNextHookEx(Hook, Code, WParam, LParam);
}

}  // namespace

void SwitchOffMenuAnimations() {
  InstallEmergencyExits();
  Change(MenuFade, FALSE);
  Change(MenuAnimation, FALSE);
}

void RestoreSystemMenuSettings() {
  for (TSavedSetting& s : Settings) {
    if (!s.Changed) continue;
    s.Changed = false;
    SystemParametersInfoW(s.Set, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(s.Saved)), SPIF_SENDCHANGE);
  }
}

void InitSkinMenus() {
  if (InitCount++ > 0) return;
  InstallEmergencyExits();
  HookEndSession();
  Change(SelectionFade, FALSE);
  Hook = SetWindowsHookExW(WH_CALLWNDPROC, CallWndProc, nullptr, GetCurrentThreadId());
}

void DoneSkinMenus() {
  if (InitCount == 0 || --InitCount > 0) return;
  Unhook();
  RestoreSystemMenuSettings();
  if (EndSessionHook && Application) Application->UnhookMainWindow(EndSessionHook);
  EndSessionHook = 0;
}

bool SkinMenusActive() { return Hook != nullptr; }
int SkinMenuWindowsHooked() { return HookedWindows; }
WNDPROC SkinMenuPreviousProc() { return PreviousProc; }
bool SkinMenuDrawn() { return MenuDrawn; }
void SetSkinMenuDrawn(bool Value) { MenuDrawn = Value; }
