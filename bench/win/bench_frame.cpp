// The skinned frame's paint costs beside one BitBlt of the same area, and the
// time from creating a window to its first painted frame with and without
// the skin, and the layered border's move and rebuild. Prints figures; run it under Wine:
// scripts/build.sh win && scripts/wine-session.sh wine build/win/bin/bench_frame.exe
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/win/bench_support.h"
#include "gfx/blend.h"
#include "skin/frame/layer_border.h"
#include "skin/frame/skin_form.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/application.h"

namespace {

class TBenchForm : public TForm {
public:
  explicit TBenchForm(bool Skinned) : TForm(nullptr) {
    SetClientSize(650, 521);
    SetPosition(poScreenCenter);
    if (Skinned) {
      Skin = new TVelSkinForm(this);
      Skin->SetFlatFrame(true);
      Skin->SetTitlerColor(16715740);
    }
    AfterConstruction();
  }
  TVelSkinForm* Skin = nullptr;
};

// The layered border around a 400 x 300 form: one move of its four windows
// along with the form, and one rebuild of the strips and windows for a new size.
void LayerBorderCosts() {
  TBenchForm form(true);
  auto* border = new TVelFormLayerBorder(&form);
  form.Skin->SetImageBorder(border);
  form.SetBounds(200, 150, 400, 300);
  form.Show();
  Pump(300);
  int i = 0;
  const TTimings move = MeasureEach(200, [&] {
    ++i;
    border->MoveWithForm(200 + (i & 1), 150);
  });
  const TTimings rebuild = MeasureEach(100, [&] {
    ++i;
    border->SetBounds(200, 150, 300 + (i & 1), 400 + (i & 1));
  });
  // The part of a rebuild that is the four windows' updates alone.
  const TTimings redraw = MeasureEach(100, [&] { border->CheckFormAlpha(true); });
  std::printf("layered border, one MoveWithForm:         median %7.3f ms, best %7.3f ms\n", move.Median, move.Best);
  std::printf("layered border, one rebuild for a size:   median %7.3f ms, best %7.3f ms\n", rebuild.Median,
              rebuild.Best);
  std::printf("  of which the four windows' updates:     median %7.3f ms, best %7.3f ms\n", redraw.Median,
              redraw.Best);
}

// Creates and shows a form, and returns the ms until its first client paint has been done.
double StartUp(bool Skinned) {
  const double start = Now();
  TBenchForm form(Skinned);
  bool painted = false;
  TWindowProcHook hook(form, [&](TMessage& M) {
    hook.CallSaved(M);
    if (M.Msg == WM_PAINT) painted = true;
  });
  form.Show();
  while (!painted) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      Sleep(0);
    }
  }
  return Now() - start;
}

}  // namespace

int main() {
  GR32Initialize();
  SkinResManager();
  Application->Initialize();

  TBenchForm form(true);
  form.Show();
  Pump(200);
  const HWND window = form.Handle();
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;

  const double nc = Measure(15, 50, [&] { SendMessageW(window, MM_NCINVALIDATE, 0, 0); });
  HDC client = GetDC(window);
  const double bg = Measure(15, 50, [&] { SendMessageW(window, WM_PAINT, reinterpret_cast<WPARAM>(client), 0); });
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  // The same kind of source the skin copies from: a 32-bit DIB section.
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const double blt = Measure(15, 50, [&] { BitBlt(client, 0, 0, w, h, memory, 0, 0, SRCCOPY); });
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  ReleaseDC(window, client);

  std::printf("window %d x %d\n", w, h);
  std::printf("whole non-client paint      %8.3f ms\n", nc);
  std::printf("client background paint     %8.3f ms\n", bg);
  std::printf("BitBlt of the window's area %8.3f ms from a DIB   (background / BitBlt = %.2f)\n", blt, bg / blt);

  std::vector<double> plain, skinned;
  for (int i = 0; i < 7; ++i) {
    plain.push_back(StartUp(false));
    skinned.push_back(StartUp(true));
  }
  std::sort(plain.begin(), plain.end());
  std::sort(skinned.begin(), skinned.end());
  std::printf("start-up to the first paint: plain form %7.2f ms, skinned form %7.2f ms (medians of 7)\n",
              plain[3], skinned[3]);
  LayerBorderCosts();
  return 0;
}
