// Shared by the skinned-menu tests: steps run from a timer while a popup's
// own message loop runs, the popup-menu windows on screen, and a capture of
// a screen rectangle.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "skin/frame/tests/frame_test_support.h"
#include "toolkit/win/menus.h"
#include "toolkit/win/timers.h"

// A sub-item of Parent with Caption; a click records the caption in Clicked.
inline TMenuItem* Item(TMenuItem* Parent, const std::wstring& Caption, std::vector<std::wstring>* Clicked = nullptr) {
  auto* item = new TMenuItem();
  item->SetCaption(Caption);
  if (Clicked) item->OnClick = [Clicked, Caption](TObject*) { Clicked->push_back(Caption); };
  Parent->Add(item);
  return item;
}

// Each step runs on a timer tick until it answers true, then the next one;
// a step that waits longer than its share of time fails the run. A menu's
// loop dispatches the timer, so the steps run while it is open. The last
// step always ends any open menu.
class TMenuSteps {
public:
  using TStep = std::function<bool()>;
  explicit TMenuSteps(std::vector<TStep> Steps, int StepTimeoutMs = 3000)
      : FSteps(std::move(Steps)), FTimeout(StepTimeoutMs), FTimer(nullptr) {
    FTimer.SetEnabled(false);
    FTimer.SetInterval(15);
    FTimer.SetOnTimer([this](TObject*) { Tick(); });
    FStart = GetTickCount();
    FTimer.SetEnabled(true);
  }
  ~TMenuSteps() { FTimer.SetEnabled(false); }
  bool Finished() const { return FNext >= FSteps.size(); }
  bool TimedOut() const { return FTimedOut; }
  size_t StepsDone() const { return FNext; }

private:
  void Tick() {
    if (Finished() || FBusy) return;
    FBusy = true;
    const bool done = FSteps[FNext]();
    FBusy = false;
    if (done) {
      ++FNext;
      FStart = GetTickCount();
    } else if (GetTickCount() - FStart > static_cast<DWORD>(FTimeout)) {
      FTimedOut = true;
      FNext = FSteps.size();
    }
    if (Finished()) EndMenu();
  }
  std::vector<TStep> FSteps;
  size_t FNext = 0;
  int FTimeout;
  DWORD FStart = 0;
  bool FBusy = false;
  bool FTimedOut = false;
  TTimer FTimer;
};

// The visible popup-menu windows of this thread, topmost first.
inline std::vector<HWND> VisibleMenuWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM l) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(w, name, 16);
        if (lstrcmpW(name, L"#32768") == 0 && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

inline RECT WindowRectOf(HWND W) {
  RECT r{};
  GetWindowRect(W, &r);
  return r;
}

// The screen's pixels in R as 0x00RRGGBB, row by row.
inline std::vector<uint32_t> CaptureScreen(const RECT& R) {
  const int w = R.right - R.left, h = R.bottom - R.top;
  std::vector<uint32_t> pixels(static_cast<size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0));
  if (pixels.empty()) return pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, section);
  BitBlt(memory, 0, 0, w, h, screen, R.left, R.top, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = p[i] & 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(section);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Saves a screen rectangle as a 32-bit BMP when QUORREL_SHOTS names a folder
// (for a person to look at); does nothing otherwise.
inline void SaveShot(const RECT& R, const char* Name) {
  char folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("QUORREL_SHOTS", folder, MAX_PATH)) return;
  const int w = R.right - R.left, h = R.bottom - R.top;
  std::vector<uint32_t> pixels = CaptureScreen(R);
  if (pixels.empty()) return;
  for (uint32_t& p : pixels) p |= 0xFF000000u;
  BITMAPINFOHEADER ih{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
  const std::string path = std::string(folder) + "\\" + Name + ".bmp";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    std::fwrite(pixels.data(), 4, pixels.size(), f);
    std::fclose(f);
  }
}
