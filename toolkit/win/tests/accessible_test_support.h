// Shared by the Windows tests of accessible objects: the client's side of
// IAccessible in a few calls, a log of the events an out-of-context hook
// hears, and this test program run again as a client in another process.
#pragma once

#include "toolkit/win/accessible.h"
#include "toolkit/win/application.h"
#include "toolkit/win/com_ptr.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// An owned interface pointer that can be returned.
struct TComRelease {
  void operator()(IUnknown* Object) const {
    if (Object) Object->Release();
  }
};
using TAccRef = std::unique_ptr<IAccessible, TComRelease>;

inline TAccRef AccObjectOf(HWND Window) {
  IAccessible* object = nullptr;
  AccessibleObjectFromWindow(Window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                             reinterpret_cast<void**>(&object));
  return TAccRef(object);
}

inline VARIANT AccChild(long Id) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = Id;
  return v;
}

inline TAccRef AsAccessible(IDispatch* Object) {
  IAccessible* object = nullptr;
  if (Object) Object->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object));
  return TAccRef(object);
}

inline TAccRef AccChildObject(IAccessible* Object, long Id) {
  TComPtr<IDispatch> child;
  if (Object->get_accChild(AccChild(Id), child.Put()) != S_OK) return TAccRef();
  return AsAccessible(child.Get());
}

// A string property; empty when there is none.
template <class F> std::wstring AccStringOf(F Get) {
  BSTR text = nullptr;
  Get(&text);
  std::wstring result = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return result;
}

inline std::wstring AccNameOf(IAccessible* Object, long Id = CHILDID_SELF) {
  return AccStringOf([&](BSTR* s) { return Object->get_accName(AccChild(Id), s); });
}
inline std::wstring AccValueOf(IAccessible* Object, long Id = CHILDID_SELF) {
  return AccStringOf([&](BSTR* s) { return Object->get_accValue(AccChild(Id), s); });
}
inline std::wstring AccShortcutOf(IAccessible* Object, long Id = CHILDID_SELF) {
  return AccStringOf([&](BSTR* s) { return Object->get_accKeyboardShortcut(AccChild(Id), s); });
}
inline std::wstring AccDefaultActionOf(IAccessible* Object, long Id = CHILDID_SELF) {
  return AccStringOf([&](BSTR* s) { return Object->get_accDefaultAction(AccChild(Id), s); });
}

// Role and state; -1 when the call fails.
inline long AccRoleOf(IAccessible* Object, long Id = CHILDID_SELF) {
  VARIANT v;
  VariantInit(&v);
  return Object && Object->get_accRole(AccChild(Id), &v) == S_OK && v.vt == VT_I4 ? v.lVal : -1;
}
inline long AccStateOf(IAccessible* Object, long Id = CHILDID_SELF) {
  VARIANT v;
  VariantInit(&v);
  return Object && Object->get_accState(AccChild(Id), &v) == S_OK && v.vt == VT_I4 ? v.lVal : -1;
}

// The events of this process, heard by an out-of-context hook in this thread
// (delivered while the thread pumps messages).
class TWinEventLog {
public:
  struct TEvent {
    DWORD Event;
    HWND Window;
    LONG Object;
    LONG Child;
  };
  TWinEventLog() {
    Current() = this;
    FHook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, &TWinEventLog::Proc, GetCurrentProcessId(), 0,
                            WINEVENT_OUTOFCONTEXT);
  }
  ~TWinEventLog() {
    if (FHook) UnhookWinEvent(FHook);
    Current() = nullptr;
  }
  TWinEventLog(const TWinEventLog&) = delete;
  TWinEventLog& operator=(const TWinEventLog&) = delete;

  bool Has(DWORD Event, HWND Window, LONG Child) const {
    for (const TEvent& e : Events)
      if (e.Event == Event && e.Window == Window && e.Object == OBJID_CLIENT && e.Child == Child) return true;
    return false;
  }
  // Pumps messages until the event was heard or Milliseconds have passed.
  bool WaitFor(DWORD Event, HWND Window, LONG Child, int Milliseconds = 1000) {
    const DWORD start = GetTickCount();
    while (!Has(Event, Window, Child)) {
      if (GetTickCount() - start > static_cast<DWORD>(Milliseconds)) return false;
      Application->ProcessMessages();
      Sleep(2);
    }
    return true;
  }
  void Clear() { Events.clear(); }
  std::vector<TEvent> Events;

private:
  static TWinEventLog*& Current() {
    static TWinEventLog* current = nullptr;
    return current;
  }
  static void CALLBACK Proc(HWINEVENTHOOK, DWORD Event, HWND Window, LONG Object, LONG Child, DWORD, DWORD) {
    if (Current()) Current()->Events.push_back(TEvent{Event, Window, Object, Child});
  }
  HWINEVENTHOOK FHook = nullptr;
};

// Runs this test program again with only Test and the variable Name set to
// Value, pumping this thread's messages meanwhile (the child's calls into
// this process's objects are served by them); returns its exit code.
inline DWORD RunSelfAsChild(const char* Test, const char* Name, const char* Value) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::string test(Test);
  std::wstring command = L"\"" + std::wstring(exe) + L"\" --gtest_filter=" + std::wstring(test.begin(), test.end());
  SetEnvironmentVariableA(Name, Value);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  DWORD code = 0xFFFFFFFF;
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    const DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
      Application->ProcessMessages();
      if (GetTickCount() - start > 30000) {
        TerminateProcess(pi.hProcess, 0xDEAD);
        break;
      }
    }
    WaitForSingleObject(pi.hProcess, 5000);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  SetEnvironmentVariableA(Name, nullptr);
  return code;
}
