// Shared by the hint, cursor and menu tests: pumping messages for a while,
// placing the real cursor, and a form with a panel holding a label.
#pragma once

#include "toolkit/win/tests/toolkit_test_support.h"

// Dispatches messages until Done() holds or Milliseconds have passed.
template <class F> bool PumpUntil(F Done, int Milliseconds = 1000) {
  const DWORD start = GetTickCount();
  while (!Done()) {
    if (GetTickCount() - start > static_cast<DWORD>(Milliseconds)) return false;
    Application->ProcessMessages();
    Sleep(2);
  }
  return true;
}

inline void PumpFor(int Milliseconds) { PumpUntil([] { return false; }, Milliseconds); }

// Moves the real cursor and waits until the system reports it there. A late
// report of an earlier move can put it back, so the move is repeated.
inline void PlaceCursor(TPoint P) {
  auto there = [P] {
    POINT c{};
    GetCursorPos(&c);
    return c.x == P.X && c.y == P.Y;
  };
  for (int attempt = 0; attempt < 20; ++attempt) {
    SetCursorPos(P.X, P.Y);
    PumpFor(5);
    if (there()) {
      PumpFor(5);
      if (there()) return;
    }
  }
}

struct TPanelWithLabel {
  TPanel* Panel;
  TLabel* Label;
};

// The form at (100, 100) with a 150 x 100 panel at (20, 20) and a 50 x 20
// label at (10, 10) on it, shown and settled where the system put it.
inline TPanelWithLabel ShowPanelWithLabel(TForm& Form) {
  Form.SetBounds(100, 100, 320, 240);
  auto* panel = new TPanel(&Form);
  panel->SetBounds(20, 20, 150, 100);
  panel->SetParent(&Form);
  auto* label = new TLabel(&Form);
  label->SetBounds(10, 10, 50, 20);
  label->SetParent(panel);
  Form.Show();
  PumpFor(50);
  return {panel, label};
}
