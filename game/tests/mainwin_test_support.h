// Shared by the game window's Windows tests: a probe of the window's
// state, its client area painted into a bitmap, clicks, the win message
// watcher and the fixture that creates the window.
#pragma once

#include "game/mainwin.h"

#include "skin/controls/message_box.h"
#include "skin/frame/simple_timer.h"
#include "skin/frame/tests/skinned_form_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

class TmainwinTestProbe {
public:
  explicit TmainwinTestProbe(Tmainwin* W) : Win(W) {}
  Tmainwin* Win;
  int64_t& StartTime() { return Win->StartTime; }
  int64_t& Moves() { return Win->Moves; }
  int32_t& XSize() { return Win->XSize; }
  int32_t& YSize() { return Win->YSize; }
  int32_t& NumColors() { return Win->NumColors; }
  TBoard& Board() { return Win->platform; }
  std::vector<TColor>& Colors() { return Win->Colors; }
  std::vector<TPanel*>& ColorBtn() { return Win->ColorBtn; }
  TMoveHistory& History() { return Win->FHistory; }
  bool Glyphs() const { return Win->FGlyphs; }
  bool HaveProgress() const { return Win->FHaveProgress; }
  const TSolverProgress& Progress() const { return Win->FProgress; }
  bool SolverRunning() const { return Win->FSolver && !Win->FSolver->Finished(); }
  int32_t CursorX() const { return Win->FCursorX; }
  int32_t CursorY() const { return Win->FCursorY; }
};

// The window's client area painted into a 32-bit DIB through the toolkit's
// DC-in-WParam painting.
class TCapture {
public:
  explicit TCapture(TWinControl* Control) : FWidth(Control->ClientWidth()), FHeight(Control->ClientHeight()) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), FWidth, -FHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    FBitmap.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0));
    TMemoryDC dc(nullptr);
    TSelectObject select(dc.Get(), FBitmap.Get());
    Control->PaintTo(dc.Get(), 0, 0);
    GdiFlush();
  }
  // As TColor (0x00BBGGRR).
  TColor Pixel(int X, int Y) const {
    const uint32_t p = FBits[Y * FWidth + X];
    return static_cast<TColor>(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
  }
  void SaveBmp(const char* Path) const {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{sizeof(BITMAPINFOHEADER), FWidth, -FHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD bytes = static_cast<DWORD>(FWidth) * FHeight * 4;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + bytes;
    if (FILE* f = std::fopen(Path, "wb")) {
      std::fwrite(&fh, sizeof fh, 1, f);
      std::fwrite(&ih, sizeof ih, 1, f);
      std::fwrite(FBits, bytes, 1, f);
      std::fclose(f);
    }
  }

private:
  int FWidth, FHeight;
  TGdiBitmap FBitmap;
  uint32_t* FBits = nullptr;
};

inline void Click(TControl* Control) {
  HWND h = static_cast<TWinControl*>(Control)->Handle();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

// The live counts once the messages of the last 300 ms are handled: a timer
// that stops itself (a hover poll, a hint's pause) may be armed at either of
// two counts taken at once, while what leaks stays.
inline TLiveCounts SettledLiveCounts() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 300) {
    Application->ProcessMessages();
    Sleep(10);
  }
  return LiveCounts();
}

// The open skinned message box with the given title, if any.
inline TVelSkinMessageForm* OpenBox(const std::wstring& Title) {
  for (TVelSkinMessageForm* box : OpenSkinMessages())
    if (box->FCaption->Caption() == Title) return box;
  return nullptr;
}

inline std::vector<int> Bounds(TControl* C) { return {C->Left(), C->Top(), C->Width(), C->Height()}; }

// The skinned message box with the given title while it is open: a timer
// that runs inside the box's modal loop reads its text and closes it as its
// OK button would (real keys close it in the real-input test).
struct TBoxWatcher {
  std::wstring Caption, Text;
  bool Found = false;
  std::unique_ptr<TSimpleTimer> Timer;
  void Start(const std::wstring& Title) {
    Caption = Title;
    Timer = std::make_unique<TSimpleTimer>(15, [this](TObject*) { Tick(); });
    Timer->SetEnabled(true);
  }
  void Tick() {
    if (TVelSkinMessageForm* box = OpenBox(Caption)) {
      Found = true;
      Text = box->MessageText();
      box->SetModalResult(mrOk);
    }
  }
  // The box is modal: once the press that won has returned, it has come and gone.
  void Join() { Timer.reset(); }
};

// Makes the dealt board one that a press on colour 2 finishes, presses it,
// and answers the win message's text (empty when no message came).
inline std::wstring WinWithOnePress(TmainwinTestProbe& P) {
  for (auto& column : P.Board()) std::fill(column.begin(), column.end(), 2);
  P.Board()[0][0] = 0;
  TBoxWatcher watcher;
  watcher.Start(L"提 示");
  Click(P.ColorBtn()[2]);
  watcher.Join();
  return watcher.Found ? watcher.Text : std::wstring();
}

class GameWindow : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
  }
  void SetUp() override {
    Application->CreateForm(Win);
    Win->Show();
    Application->ProcessMessages();
  }
  void TearDown() override { delete Win; }
  Tmainwin* Win = nullptr;
};

// A real click at the centre of a windowed control, with the cursor put there first.
inline bool RealClick(TWinControl* Control) {
  POINT p{Control->Width() / 2, Control->Height() / 2};
  ClientToScreen(Control->Handle(), &p);
  if (!MoveCursor(p.x, p.y)) return false;
  SendButtonAt(p.x, p.y, MOUSEEVENTF_LEFTDOWN);
  SendButtonAt(p.x, p.y, MOUSEEVENTF_LEFTUP);
  PumpFor(20);
  return true;
}

