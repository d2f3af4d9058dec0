// Program entry: the application object, the main window, the message loop.
#include "game/mainwin.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
    Application->SetTitle(L"Quorrel");
    Tmainwin* mainwin = nullptr;
    Application->CreateForm(mainwin);
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    return 1;
  }
  return 0;
}
