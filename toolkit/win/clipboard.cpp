#include "toolkit/win/clipboard.h"

#include <cstring>

#include "toolkit/core/scope.h"

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

HWND TClipboard::Owner() {
  if (!FWindow) FWindow = std::make_unique<TUtilWindow>([this](TMessage& M) {
    M.Result = DefWindowProcW(FWindow->Handle(), M.Msg, M.WParam, M.LParam);
  });
  return FWindow->Handle();
}

void TClipboard::Open() {
  if (FOpenCount == 0) {
    const HWND owner = Owner();
    bool opened = false;
    for (int attempt = 0; attempt < OpenAttempts && !opened; ++attempt) {
      if (attempt > 0) Sleep(OpenRetryMs);
      opened = OpenClipboard(owner) != 0;
    }
    Win32Check(opened, "OpenClipboard");
  }
  ++FOpenCount;
}

void TClipboard::Close() {
  if (FOpenCount == 0) return;
  if (--FOpenCount == 0) CloseClipboard();
}

bool TClipboard::HasFormat(UINT Format) { return IsClipboardFormatAvailable(Format) != 0; }

void TClipboard::Clear() {
  Open();
  TScopeExit close([this] { Close(); });
  Win32Check(EmptyClipboard() != 0, "EmptyClipboard");
}

std::wstring TClipboard::AsText() {
  Open();
  TScopeExit close([this] { Close(); });
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return {};
  void* locked = GlobalLock(data);
  if (!locked) return {};
  TScopeExit unlock([data] { GlobalUnlock(data); });
  // The terminating NUL is looked for only inside the memory block, so a
  // text that lacks one is read to the block's end and no further.
  const size_t units = GlobalSize(data) / sizeof(wchar_t);
  const auto* chars = static_cast<const wchar_t*>(locked);
  size_t n = 0;
  while (n < units && chars[n] != L'\0') ++n;
  return std::wstring(chars, n);
}

void TClipboard::SetAsText(const std::wstring& Value) {
  Open();
  TScopeExit close([this] { Close(); });
  Win32Check(EmptyClipboard() != 0, "EmptyClipboard");
  const size_t bytes = (Value.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  Win32Check(memory != nullptr, "GlobalAlloc");
  void* locked = GlobalLock(memory);
  if (!locked) {
    GlobalFree(memory);
    Win32Check(false, "GlobalLock");
  }
  std::memcpy(locked, Value.c_str(), bytes);
  GlobalUnlock(memory);
  // On success the clipboard owns the memory; otherwise it is still ours.
  if (!SetClipboardData(CF_UNICODETEXT, memory)) {
    GlobalFree(memory);
    Win32Check(false, "SetClipboardData");
  }
}

TClipboard& Clipboard() {
  static TClipboard board;
  return board;
}
