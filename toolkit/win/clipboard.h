// The system clipboard as text. The clipboard is shared with every other
// program: opening it retries for a short while when another one holds it,
// and a clipboard that stays held raises EWin32Error naming OpenClipboard.
#pragma once

#include <memory>
#include <string>

#include "toolkit/win/graphics.h"
#include "toolkit/win/utilwindow.h"

class TClipboard {
public:
  TClipboard();
  ~TClipboard();
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // The clipboard's Unicode text up to its first NUL (empty without text).
  std::wstring AsText();
  // Replaces the clipboard's content by the text.
  void SetAsText(const std::wstring& Value);
  bool HasFormat(UINT Format);
  void Clear();

  // Opens the clipboard for several calls; nested opens are counted.
  void Open();
  void Close();

  // How often and how far apart opening is tried.
  static constexpr int OpenAttempts = 10;
  static constexpr DWORD OpenRetryMs = 10;

private:
  // The window that owns what this program puts on the clipboard.
  HWND Owner();
  std::unique_ptr<TUtilWindow> FWindow;
  int FOpenCount = 0;
};

// The process's clipboard object (created on first use, on the GUI thread).
TClipboard& Clipboard();
