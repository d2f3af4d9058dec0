// Program entry: the raster library and the built-in skin images are set up
// before any window exists; then the application object, the main window and
// the message loop.
#include "game/mainwin.h"
#include "gdiplus/gdiplus_objects.h"
#include "gfx/blend.h"
#include "skin/frame/skin_menu.h"
#include "skin/frame/skin_res.h"
#include "skin/resources/skin_res_manager.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    GR32Initialize();
    StartGdiPlus();
    SkinResManager();  // decodes the 84 built-in images once, up front
    FormSkinRes();     // the form skin settings that skinned windows publish to
    // Selection fade off and the popup-menu hook, each put back on every way out.
    const TSkinMenuScope skinMenus;
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
    Application->SetTitle(L"Quorrel");
    Tmainwin* mainwin = nullptr;
    Application->CreateForm(mainwin);
    Application->Run();
    // The windows go while every module they use still exists, not in static destruction.
    Application->DestroyComponents();
  } catch (...) {
    Application->HandleException(Application);
    return 1;
  }
  return 0;
}
