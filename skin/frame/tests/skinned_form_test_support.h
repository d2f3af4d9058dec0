// Shared by the frame's Windows tests that drive a whole skinned window: the
// game's colours, a form of the game's size with its skin form and title-bar
// buttons, screen pixels, and a cursor move that waits until it has happened.
#pragma once

#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "skin/frame/tests/frame_test_support.h"

// Sets the cursor and repeats until the system reports it there and it stays
// there for 30 ms (under Wine the move is asynchronous, and a late event of an
// earlier position can move it back); false when it does not within TimeoutMs.
inline bool SetCursorUntilReported(int X, int Y, int TimeoutMs = 2000) {
  auto there = [&] {
    POINT c;
    return GetCursorPos(&c) && c.x == X && c.y == Y;
  };
  const DWORD start = GetTickCount();
  do {
    if (PumpUntil([&] { return SetCursorPos(X, Y), there(); }, TimeoutMs)) {
      PumpFor(30);
      if (there()) return true;
    }
  } while (GetTickCount() - start < static_cast<DWORD>(TimeoutMs));
  return false;
}

// SetCursorUntilReported, then a zero move through the input queue so that
// the window under the cursor gets its mouse-move message.
inline bool MoveCursor(int X, int Y) {
  const bool there = SetCursorUntilReported(X, Y, 1000);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &in, sizeof(in));
  return there;
}

// A real mouse button event (MOUSEEVENTF_LEFTDOWN, ...) that carries its
// screen point: under Wine a press sent right after a cursor move may
// otherwise arrive with the cursor's previous position.
inline void SendButtonAt(int X, int Y, DWORD Flag) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = (X * 65536 + w - 1) / w;
  in.mi.dy = (Y * 65536 + h - 1) / h;
  in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | Flag;
  SendInput(1, &in, sizeof(in));
}

// A real mouse button event (MOUSEEVENTF_LEFTDOWN, ...) at the cursor.
inline void SendButton(DWORD Flag) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = Flag;
  SendInput(1, &in, sizeof(in));
}

// A real key event, and a press followed by its release.
inline void SendKey(WORD Key, bool Up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = Key;
  in.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof(in));
}

inline void TapKey(WORD Key) {
  SendKey(Key, false);
  SendKey(Key, true);
}

// Each UTF-16 unit as a key of its own, as an input method or a remote
// keyboard delivers text.
inline void TypeUnicode(const std::wstring& Text) {
  for (wchar_t c : Text) {
    INPUT in[2]{};
    for (int i = 0; i < 2; ++i) {
      in[i].type = INPUT_KEYBOARD;
      in[i].ki.wScan = c;
      in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, in, sizeof(INPUT));
  }
}

inline constexpr TColor GameTitler = 16715740;  // RGB(220, 15, 255)
inline constexpr TColor DefaultClient = 15920353;

// A screen pixel as 0x00RRGGBB.
inline uint32_t ScreenPixel(int X, int Y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, X, Y);
  ReleaseDC(nullptr, screen);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

inline uint32_t Rgb(TColor C) { return ToColor32(C) & 0xFFFFFF; }

// A form of the game's size with a skin form, built as the game builds its own.
class TSkinnedForm : public TForm {
public:
  explicit TSkinnedForm(bool WithButtons, bool WithLabel = true) : TForm(nullptr) {
    SetCaption(L"Skinned");
    SetClientSize(650, 521);
    SetPosition(poScreenCenter);
    Skin = new TVelSkinForm(this);
    Skin->SetFlatFrame(true);
    Skin->SetTitlerColor(GameTitler);
    if (WithButtons) {
      Minimize = new TVelSkinSystemButton(this);
      Minimize->SetKind(bkMinimize);
      Minimize->Pos().SetXValue(70);
      Minimize->Pos().SetUseDefault(false);
      Close = new TVelSkinSystemButton(this);
    }
    if (WithButtons && WithLabel) {
      Label = new TVelSkinNCLabel(this);
      Label->SetCaption(L"Quorrel");
      Label->Font().SetName(L"Tahoma");
      Label->Font().SetHeight(-11);
      Label->Font().SetColor(clWhite);
    }
    AfterConstruction();
  }
  TVelSkinForm* Skin = nullptr;
  TVelSkinSystemButton* Minimize = nullptr;
  TVelSkinSystemButton* Close = nullptr;
  TVelSkinNCLabel* Label = nullptr;
};

