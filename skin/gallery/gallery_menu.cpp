#include "skin/gallery/gallery_menu.h"

#include "skin/gallery/gallery_support.h"

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "skin/controls/buttons.h"
#include "skin/controls/labels.h"
#include "skin/frame/main_menu.h"
#include "skin/frame/nc_buttons.h"
#include "skin/frame/skin_form.h"
#include "skin/frame/skin_menu.h"
#include "toolkit/win/application.h"
#include "toolkit/win/forms.h"
#include "toolkit/win/menus.h"
#include "toolkit/win/timers.h"

namespace {

// A skinned window with a title-bar menu, a context menu on its client area,
// and a label that tells which item was chosen last.
class TMenuDemoForm : public TForm {
public:
  explicit TMenuDemoForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(L"Window with a menu");
    SetClientSize(420, 260);
    SetPosition(poScreenCenter);
    SetTahoma(Font(), -11, clWindowText);
    // The caption sits right of the menu's items.
    TVelSkinNCLabel* caption = AddGalleryFrame(this, L"Window with a menu", true);
    caption->Pos().SetAlign(caRight);
    caption->Pos().SetXValue(210);
    auto* skin = TVelFormSkinHelper::Instance().Get(this);

    FChosen = new TVelSkinLabel(this);
    FChosen->SetBounds(16, 16, 380, 20);
    FChosen->SetParent(this);
    FChosen->SetCaption(L"Choose an item from the title-bar menu or the context menu.");

    MenuSkin = new TVelSkinMenu(this);
    Menu = new TMainMenu(this);
    BuildMainMenu();
    TVelSkinMainMenu& main = skin->MainMenu();
    SetTahoma(main.Font(), -11, clWhite);
    main.Pos().SetAlign(caLeft);
    main.Pos().SetXValue(5);
    main.Pos().SetYValue(5);
    main.SetHotColor(11463932);
    main.SetPressColor(8184058);
    main.SetMenuSkin(MenuSkin);
    main.SetMainMenu(Menu);

    auto* context = new TPopupMenu(this);
    Add(context->Items(), L"Cu&t", ShortCut('X', ssCtrl));
    Add(context->Items(), L"&Copy", ShortCut('C', ssCtrl));
    Add(context->Items(), L"&Paste", ShortCut('V', ssCtrl))->SetEnabled(false);
    SetPopupMenu(context);
    AfterConstruction();
  }

  TMainMenu* Menu = nullptr;
  TVelSkinMenu* MenuSkin = nullptr;

private:
  TMenuItem* Add(TMenuItem* Parent, const std::wstring& Caption, TShortCut Keys = scNone) {
    auto* item = new TMenuItem();
    item->SetCaption(Caption);
    item->SetShortCut(Keys);
    item->OnClick = [this](TObject* Sender) {
      auto* chosen = static_cast<TMenuItem*>(Sender);
      FChosen->SetCaption(L"Chosen: " + chosen->Caption() + (chosen->Checked() ? L" (checked)" : L""));
    };
    Parent->Add(item);
    return item;
  }

  void BuildMainMenu() {
    TMenuItem* file = Add(Menu->Items(), L"&File");
    file->OnClick = nullptr;
    Add(file, L"&New", ShortCut('N', ssCtrl));
    Add(file, L"&Open...", ShortCut('O', ssCtrl));
    Add(file, L"&Save", ShortCut('S', ssCtrl))->SetDefault(true);
    Add(file, L"Save &as...", ShortCut('S', ssCtrl | ssShift));
    Add(file, L"-");
    TMenuItem* recent = Add(file, L"&Recent files");
    recent->OnClick = nullptr;
    Add(recent, L"board-10.txt");
    Add(recent, L"board-20.txt");
    TMenuItem* older = Add(recent, L"Older");
    older->OnClick = nullptr;
    Add(older, L"board-40.txt");
    Add(file, L"-");
    Add(file, L"E&xit", ShortCut(VK_F4, ssAlt))->OnClick = [this](TObject*) { Close(); };

    TMenuItem* view = Add(Menu->Items(), L"&View");
    view->OnClick = nullptr;
    for (const wchar_t* c : {L"&Toolbar", L"&Status bar"}) {
      TMenuItem* item = Add(view, c);
      item->SetAutoCheck(true);
      item->SetChecked(true);
    }
    Add(view, L"-");
    for (const wchar_t* c : {L"S&mall board", L"M&edium board", L"&Large board"}) {
      TMenuItem* item = Add(view, c);
      item->SetRadioItem(true);
      item->SetGroupIndex(1);
      item->SetAutoCheck(true);
    }
    view->Items(4)->SetChecked(true);
    Add(view, L"-");
    Add(view, L"&Full screen", ShortCut(VK_F11, 0))->SetEnabled(false);
    TMenuItem* zoom = Add(view, L"&Zoom");
    zoom->OnClick = nullptr;
    Add(zoom, L"&100 %", ShortCut('1', ssCtrl));
    Add(zoom, L"&200 %", ShortCut('2', ssCtrl));

    Add(Menu->Items(), L"&About");
  }

  TVelSkinLabel* FChosen = nullptr;
};

// The demo window and the popup windows over it.
RECT ShotRect(HWND Window) {
  RECT all{};
  GetWindowRect(Window, &all);
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM l) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(w, name, 16);
        RECT r{};
        if (lstrcmpW(name, L"#32768") == 0 && IsWindowVisible(w) && GetWindowRect(w, &r))
          UnionRect(reinterpret_cast<RECT*>(l), reinterpret_cast<RECT*>(l), &r);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  InflateRect(&all, 8, 8);
  return all;
}

std::wstring MenuShotPath() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring path;
  for (int i = 1; argv && i + 1 < argc; ++i)
    if (std::wstring(argv[i]) == L"--menu-screenshot") path = argv[i + 1];
  LocalFree(argv);
  return path;
}

// Opens the demo window on a click; in the screenshot mode, takes its picture.
class TMenuDemo : public TComponent {
public:
  TMenuDemo(TWinControl* Parent, int Left, int Top) : TComponent(GetParentForm(Parent)) {
    auto* button = new TVelSkinButton(Owner());
    button->SetBounds(Left, Top, 180, 27);
    button->SetParent(Parent);
    button->SetCaption(L"Window with a menu");
    button->OnClick = [this](TObject*) { Open(); };
    FShotPath = MenuShotPath();
    if (FShotPath.empty()) return;
    FTimer = std::make_unique<TTimer>(nullptr);
    FTimer->SetInterval(2500);
    FTimer->SetOnTimer([this](TObject*) { TakeShot(); });
    FTimer->SetEnabled(true);
  }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FForm) FForm = nullptr;
  }

private:
  TMenuDemoForm* Open() {
    if (!FForm) {
      FForm = new TMenuDemoForm(Owner());
      FForm->FreeNotification(this);
    }
    FForm->Show();
    return FForm;
  }

  // Opens the View popup and its Zoom sub-menu, saves the picture, closes them and ends the program.
  void TakeShot() {
    FTimer->SetEnabled(false);
    TMenuDemoForm* form = Open();
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 800) {
      Application->ProcessMessages();
      Sleep(10);
    }
    TVelSkinMainMenu* main = nullptr;
    for (int i = 0; i < form->ComponentCount() && !main; ++i)
      if (auto* skin = dynamic_cast<TVelSkinForm*>(form->Components(i))) main = &skin->MainMenu();
    bool saved = false;
    if (main && main->MenuList().size() > 1 && main->MenuList()[1]->NCMenuItem) {
      const HWND window = form->Handle();
      int step = 0;
      TTimer driver(nullptr);
      driver.SetInterval(60);
      driver.SetOnTimer([&](TObject*) {
        // Down to "Zoom" (past two checks, three radio items and the disabled item), then into it.
        if (step < 7) PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
        if (step == 7) PostMessageW(window, WM_KEYDOWN, VK_RIGHT, 0);
        if (step == 14) {
          saved = SaveScreenRect(ShotRect(window), FShotPath);
          EndMenu();
        }
        ++step;
      });
      driver.SetEnabled(true);
      TVelSkinNCMenuItem* view = main->MenuList()[1]->NCMenuItem;
      view->SetClickCount(1);
      view->Click();
    }
    if (!saved) ExitProcess(2);
    Application->Terminate();
  }

  TMenuDemoForm* FForm = nullptr;
  std::wstring FShotPath;
  std::unique_ptr<TTimer> FTimer;
};

}  // namespace

void AddMenuDemo(TWinControl* Parent, int Left, int Top) { new TMenuDemo(Parent, Left, Top); }
