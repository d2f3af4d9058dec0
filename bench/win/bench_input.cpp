// The input controls' response times in the game's own window: a click on a
// chooser's drop button until its popup list is painted, one character typed
// into the chooser's edit until the edit's buffer is rebuilt and shown, and a
// page of scrolling in a 100,000-item skinned list box. Prints figures; run
// it under Wine:
// scripts/build.sh win && scripts/wine-session.sh wine build/win/bin/bench_input.exe
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/win/bench_support.h"
#include "game/mainwin.h"
#include "gdiplus/gdiplus_objects.h"
#include "gfx/blend.h"
#include "skin/controls/scroll_bar.h"
#include "skin/resources/skin_res_manager.h"

namespace {

// Paints a window and its children now.
void PaintNow(HWND Window) { RedrawWindow(Window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

}  // namespace

int main() {
  GR32Initialize();
  StartGdiPlus();
  SkinResManager();
  Application->Initialize();

  auto* win = new Tmainwin(nullptr);
  win->AfterConstruction();
  win->Show();
  Pump(300);

  // A click on the drop button of the size chooser, until the popup list is
  // painted; the list is closed again outside the timing.
  TVelSkinComboBox* chooser = win->ChooseSize;
  const HWND combo = chooser->Handle();
  const TRect button = chooser->DropButton().R;
  const LPARAM at = MAKELPARAM((button.Left + button.Right) / 2, button.Height() / 2);
  const HWND popup = chooser->ListBox()->Handle();
  std::vector<double> opens;
  for (int i = 0; i < 31; ++i) {
    const double start = Now();
    SendMessageW(combo, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(combo, WM_LBUTTONUP, 0, at);
    PaintNow(popup);
    GdiFlush();
    opens.push_back(Now() - start);
    chooser->CloseUp(false);
    Pump(5);
  }
  const TTimings open{Median(opens), *std::min_element(opens.begin(), opens.end())};

  TVelSkinEdit* edit = chooser->Edit();
  edit->SetFocus();
  Pump(50);
  const HWND editWindow = edit->Handle();
  int typed = 0;
  const TTimings type = MeasureEach(61, [&] {
    // Alternately a character and a Backspace, so the text stays short.
    const bool back = typed++ % 2 == 1;
    SendMessageW(editWindow, WM_KEYDOWN, back ? VK_BACK : 'A', 1);
    if (!back) SendMessageW(editWindow, WM_CHAR, L'a', 1);
    UpdateWindow(editWindow);
  });

  auto* list = new TVelSkinListBox(win);
  list->SetBounds(20, 40, 200, 300);
  list->SetParent(win->GamePanel);
  list->Items().BeginUpdate();
  for (int i = 0; i < 100000; ++i) list->Items().Add(L"Row " + std::to_wstring(i));
  list->Items().EndUpdate();
  PaintNow(list->Handle());
  Pump(50);
  int32_t top = 0;
  const TTimings page = MeasureEach(61, [&] {
    TVelSkinScrollBar* bar = list->ScrollBar();
    const int32_t rows = bar ? bar->LargeChange() : 1;
    top = top + rows > 99000 ? 0 : top + rows;
    if (bar) bar->SetPosition(top);
    PaintNow(list->Handle());
  });

  std::printf("median and best of single runs, ms (the machine is shared: the best is the undisturbed cost)\n");
  std::printf("click on the drop button to the painted popup list   %7.3f %7.3f (target under 16)\n", open.Median,
              open.Best);
  std::printf("one key typed into the chooser's edit, painted       %7.3f %7.3f (target under 2)\n", type.Median,
              type.Best);
  std::printf("a page scrolled in a 100,000-item list box, painted  %7.3f %7.3f (target under 5)\n", page.Median,
              page.Best);
  delete win;
  Application->ProcessMessages();
  return 0;
}
