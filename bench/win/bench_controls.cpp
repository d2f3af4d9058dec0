// The skinned controls' paint costs in the game's own window: a full repaint
// of the client area with every skinned control rebuilding its buffer, the
// repaint after one hover change on the start button, and the start-up to
// the first fully painted window beside the same layout built from the
// toolkit's plain controls (the window as it was before the skinned
// controls), and a toolbar of twelve items: its repaint and the repaint after
// the hot item changes. Prints figures; run it under Wine:
// scripts/build.sh win && scripts/wine-session.sh wine build/win/bin/bench_controls.exe
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/win/bench_support.h"
#include "game/mainwin.h"
#include "gdiplus/gdiplus_objects.h"
#include "gfx/blend.h"
#include "skin/controls/toolbar.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/application.h"

namespace {

// The game's layout from the toolkit's plain controls, with the same skinned
// frame: the window as it was before its controls were skinned (the board
// is not dealt in either window).
class TPlainLayout : public TForm {
public:
  TPlainLayout() : TForm(nullptr) {
    SetClientSize(650, 521);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    auto* skin = new TVelSkinForm(this);
    skin->SetFlatFrame(true);
    skin->SetTitlerColor(16715740);
    auto make = [this](auto* Control, TWinControl* Parent, int L, int T, int W, int H) {
      Control->SetBounds(L, T, W, H);
      Control->SetParent(Parent);
      return Control;
    };
    auto* toolbar = make(new TPanel(this), this, 0, 0, 650, 33);
    toolbar->SetAlign(alTop);
    auto* game = make(new TPanel(this), this, 0, 33, 450, 454);
    game->SetAlign(alLeft);
    auto* side = make(new TPanel(this), this, 450, 33, 200, 454);
    side->SetAlign(alClient);
    auto* bottom = make(new TPanel(this), this, 0, 487, 650, 34);
    bottom->SetAlign(alBottom);
    make(new TButton(this), side, 16, 88, 169, 41)->SetCaption(L"开始游戏");
    make(new TLabel(this), side, 16, 16, 38, 19)->SetCaption(L"尺寸:");
    make(new TLabel(this), side, 16, 48, 38, 19)->SetCaption(L"颜色:");
    make(new TLabel(this), toolbar, 16, 8, 294, 19)->SetCaption(L"点击颜色按钮，用一种颜色填充整个区域:");
    for (int i = 0; i < 4; ++i) make(new TLabel(this), bottom, 23 + i * 100, 7, 60, 19)->SetCaption(L"00:00");
    auto* group = make(new TGroupBox(this), side, 10, 168, 179, 280);
    group->SetCaption(L"颜色");
    for (int i = 0; i < 6; ++i) {
      auto* colour = make(new TPanel(this), group, 3 + (i % 3) * 56, 24 + (i / 3) * 56, 50, 50);
      colour->SetColor(i * 0x2A2A2A);
      colour->SetParentBackground(false);
    }
    for (int i = 0; i < 2; ++i) {
      auto* combo = make(new TComboBox(this), side, 56, 13 + i * 32, 140, 26);
      combo->Items().Add(L"中");
      combo->SetItemIndex(0);
    }
    auto* field = make(new TPaintBox(this), game, 2, 2, 446, 450);
    field->SetAlign(alClient);
    AfterConstruction();
  }
};

// Shows a new form and returns the ms until every window of it has painted.
template <class F> double StartUp(F Make) {
  const double start = Now();
  TForm* form = Make();
  form->Show();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Application->ProcessMessages();
  const double took = Now() - start;
  delete form;
  Application->ProcessMessages();
  return took;
}

Tmainwin* NewGameWindow() {
  auto* win = new Tmainwin(nullptr);
  win->AfterConstruction();
  return win;
}

// A toolbar of twelve items with images and captions on a skinned form of
// its own, as in the game: one full repaint, and the repaint after the mouse
// moves to the next item.
void BenchToolbar() {
  auto* form = new TForm(nullptr);
  form->SetBounds(100, 100, 820, 120);
  auto* skin = new TVelSkinForm(form);
  skin->SetFlatFrame(true);
  form->AfterConstruction();
  auto* images = new TImageList(form, 24, 24);
  std::vector<uint32_t> pixels(24 * 24, 0xFF3080C0u);
  for (int i = 0; i < 4; ++i) images->Add(pixels.data(), 24);
  auto* toolbar = new TVelSkinToolbar(form);
  toolbar->SetParent(form);
  toolbar->SetImages(images);
  for (int i = 0; i < 12; ++i) {
    TVelSkinToolbarItem* item = toolbar->Items().Add();
    item->Text().SetText(L"Item " + std::to_wstring(i + 1));
    item->SetImageIndex(i % 4);
  }
  form->Show();
  Pump(100);
  const HWND window = toolbar->Handle();
  const TTimings repaint = MeasureEach(200, [&] {
    toolbar->Invalidate();
    UpdateWindow(window);
  });
  int next = 0;
  const TTimings hover = MeasureEach(200, [&] {
    next = (next + 1) % 12;
    const TRect r = toolbar->Items()[next]->Rect();
    toolbar->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(r.Left + 5, r.Top + 5));
    UpdateWindow(window);
  });
  std::printf("toolbar of 12 items (%d x %d): repaint %.3f ms (best %.3f), hover change %.3f ms (best %.3f)\n",
              toolbar->Width(), toolbar->Height(), repaint.Median, repaint.Best, hover.Median, hover.Best);
  delete form;
  Application->ProcessMessages();
}

}  // namespace

int main() {
  GR32Initialize();
  StartGdiPlus();
  SkinResManager();
  Application->Initialize();

  BenchToolbar();

  Tmainwin* win = NewGameWindow();
  win->Show();
  Pump(300);
  const HWND window = win->Handle();
  TList& controls = TVelWinControlHelper::Instance().Items;
  const double full = Measure(11, 20, [&] {
    for (int i = 0; i < controls.Count(); ++i) controls.Get<TWinControl>(i)->Invalidate();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  });
  const double exposed = Measure(11, 20, [&] {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  });
  const HWND button = win->StartGame->Handle();
  bool hot = false;
  const double hover = Measure(11, 50, [&] {
    hot = !hot;
    win->StartGame->Perform(hot ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(win->StartGame));
    UpdateWindow(button);
  });
  for (int i = 0; i < controls.Count(); ++i) {
    auto* c = controls.Get<TWinControl>(i);
    const double t = Measure(5, 10, [&] {
      c->Invalidate();
      UpdateWindow(c->Handle());
    });
    std::printf("  %-18ls %4d x %-4d %8.3f ms\n", c->Name().c_str(), c->Width(), c->Height(), t);
  }
  const double formOnly = Measure(5, 10, [&] {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  });
  std::printf("  form alone %8.3f ms\n", formOnly);
  {
    // What any window's repaint costs here, whatever it paints.
    HWND bare = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 38, 19, win->VelSkinPanel3->Handle(),
                                nullptr, nullptr, nullptr);
    std::printf("  a bare native window %8.3f ms\n", Measure(5, 50, [&] {
      InvalidateRect(bare, nullptr, FALSE);
      UpdateWindow(bare);
    }));
    DestroyWindow(bare);
  }
  int windows = 0;
  EnumChildWindows(window, [](HWND, LPARAM Count) { return ++*reinterpret_cast<int*>(Count), TRUE; },
                   reinterpret_cast<LPARAM>(&windows));
  std::printf("windows in the client area: %d\n", windows);
  std::printf("skinned controls in the game window: %d\n", controls.Count());
  std::printf("full client repaint, every buffer rebuilt   %8.3f ms (target under 5)\n", full);
  std::printf("full client repaint, buffers valid (exposure) %8.3f ms: rebuilding the buffers adds %.3f ms\n",
              exposed, full - exposed);
  std::printf("repaint after one hover change on the start button %8.3f ms (target under 1)\n", hover);
  delete win;
  Application->ProcessMessages();

  {
    auto* plain = new TPlainLayout();
    plain->Show();
    Pump(300);
    const double plainFull = Measure(11, 20, [&] {
      RedrawWindow(plain->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    std::printf("the same layout from plain controls, full repaint %8.3f ms\n", plainFull);
    delete plain;
    Application->ProcessMessages();
  }

  std::vector<double> plain, skinned;
  for (int i = 0; i < 7; ++i) {
    plain.push_back(StartUp([] { return static_cast<TForm*>(new TPlainLayout()); }));
    skinned.push_back(StartUp([] { return static_cast<TForm*>(NewGameWindow()); }));
  }
  std::printf("start-up to the first fully painted window: plain controls %7.2f ms, skinned controls %7.2f ms "
              "(medians of 7)\n",
              Median(plain), Median(skinned));
  return 0;
}
