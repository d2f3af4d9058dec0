// The system caret of a window, kept hidden: a control that draws its own
// caret moves this one along with it, so that input methods, magnifiers and
// screen readers find where typing goes. A thread has one caret at a time;
// the window that has the focus owns it.
#pragma once

#include "toolkit/win/winapi.h"

class TSystemCaret {
public:
  TSystemCaret() = default;
  ~TSystemCaret() { Destroy(); }
  TSystemCaret(const TSystemCaret&) = delete;
  TSystemCaret& operator=(const TSystemCaret&) = delete;

  // Makes the thread's caret Window's, Height pixels high; false when the
  // system refuses (the previous owner's caret is replaced, as always).
  bool Create(HWND Window, int Height);
  // Moves it (client coordinates of its window); nothing without a caret.
  void MoveTo(int X, int Y);
  // Gives the caret up if this object still owns it.
  void Destroy();
  bool Exists() const { return FWindow != nullptr; }

private:
  HWND FWindow = nullptr;
};
