#include "toolkit/win/clipboard.h"

#include <cstring>

namespace {

// Keeps the clipboard open for a scope.
class TClipboardScope {
public:
  explicit TClipboardScope(TClipboard& Board) : FBoard(Board) { FBoard.Open(); }
  ~TClipboardScope() { FBoard.Close(); }
  TClipboardScope(const TClipboardScope&) = delete;
  TClipboardScope& operator=(const TClipboardScope&) = delete;

private:
  TClipboard& FBoard;
};

// Holds a global memory lock for a scope.
class TGlobalLock {
public:
  explicit TGlobalLock(HGLOBAL Memory) : FMemory(Memory), FData(GlobalLock(Memory)) {}
  ~TGlobalLock() {
    if (FData) GlobalUnlock(FMemory);
  }
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;
  void* Data() const { return FData; }

private:
  HGLOBAL FMemory;
  void* FData;
};

}  // namespace

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
  TClipboardScope scope(*this);
  Win32Check(EmptyClipboard() != 0, "EmptyClipboard");
}

std::wstring TClipboard::AsText() {
  TClipboardScope scope(*this);
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return {};
  TGlobalLock lock(data);
  if (!lock.Data()) return {};
  // The terminating NUL is looked for only inside the memory block, so a
  // text that lacks one is read to the block's end and no further.
  const size_t units = GlobalSize(data) / sizeof(wchar_t);
  const auto* chars = static_cast<const wchar_t*>(lock.Data());
  size_t n = 0;
  while (n < units && chars[n] != L'\0') ++n;
  return std::wstring(chars, n);
}

void TClipboard::SetAsText(const std::wstring& Value) {
  TClipboardScope scope(*this);
  Win32Check(EmptyClipboard() != 0, "EmptyClipboard");
  const size_t bytes = (Value.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  Win32Check(memory != nullptr, "GlobalAlloc");
  {
    TGlobalLock lock(memory);
    if (!lock.Data()) {
      GlobalFree(memory);
      Win32Check(false, "GlobalLock");
    }
    std::memcpy(lock.Data(), Value.c_str(), bytes);
  }
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
