// The title-bar main menu of a skinned form: the title-bar items built from
// an attached menu and the copies of its sub-menus, switching between open
// popups with the real mouse, keyboard access, and clicks on items.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/frame/main_menu.h"
#include "skin/frame/skin_menu.h"
#include "skin/frame/tests/menu_test_support.h"
#include "skin/frame/tests/skinned_form_test_support.h"
#include "toolkit/win/application.h"

namespace {

// A place on the desktop that the centred form does not cover.
constexpr int AwayX = 5, AwayY = 5;

class MainMenuWin : public ::testing::Test {
protected:
  void SetUp() override {
    InitSkinMenus();
    Form = std::make_unique<TSkinnedForm>(true, false);
    Menu = new TMainMenu(Form.get());
    TMenuItem* root = Menu->Items();
    File = Item(root, L"&File");
    New = Item(File, L"&New", &Clicked);
    New->SetName(L"New");
    New->SetShortCut(ShortCut('N', ssCtrl));
    Item(File, L"&Open", &Clicked);
    Item(File, L"-");
    TMenuItem* checked = Item(File, L"Checked");
    checked->SetChecked(true);
    checked->SetAutoCheck(true);
    for (const wchar_t* c : {L"Radio A", L"Radio B"}) {
      TMenuItem* r = Item(File, c);
      r->SetRadioItem(true);
      r->SetGroupIndex(1);
      r->SetImageIndex(3);
      r->SetHelpContext(7);
    }
    File->Items(5)->SetChecked(true);
    Item(File, L"Disabled")->SetEnabled(false);
    Item(Item(File, L"More"), L"Deep", &Clicked);
    Edit = Item(root, L"&Edit");
    Item(Edit, L"Cu&t", &Clicked);
    Item(Edit, L"&Copy", &Clicked);
    Help = Item(root, L"&Help", &Clicked);
    Item(root, L"Hidden")->SetVisible(false);
    Skin = new TVelSkinMenu(Form.get());
    TVelSkinMainMenu& main = Form->Skin->MainMenu();
    main.Font().SetName(L"Tahoma");
    main.Font().SetHeight(-11);
    main.Font().SetColor(clWhite);
    main.SetMenuSkin(Skin);
    main.SetMainMenu(Menu);
    Form->Show();
    ASSERT_TRUE(PumpUntil([&] { return Registered() == 3; }));
    PumpFor(100);
  }
  void TearDown() override {
    Form.reset();
    DoneSkinMenus();
  }
  int Registered() {
    int n = 0;
    for (int i = 0; i < Form->Skin->NCCtrlList().Count(); ++i)
      n += dynamic_cast<TVelSkinNCMenuItem*>(Form->Skin->NCCtrlList().Get<TVelSkinNCCtrlBase>(i)) != nullptr;
    return n;
  }
  TVelSkinNCMenuItem* TitleItem(int Index) { return Form->Skin->MainMenu().MenuList().at(Index)->NCMenuItem; }
  // The centre of a title-bar item on the screen.
  TPoint ScreenCentre(TVelSkinNCMenuItem* Item) {
    const RECT w = WindowRectOf(Form->Handle());
    const TRect r = Item->ClientRect();
    return TPoint{w.left + (r.Left + r.Right) / 2, w.top + (r.Top + r.Bottom) / 2};
  }
  bool Foreground() {
    SetForegroundWindow(Form->Handle());
    return PumpUntil([&] { return GetForegroundWindow() == Form->Handle(); });
  }

  std::unique_ptr<TSkinnedForm> Form;
  TMainMenu* Menu = nullptr;
  TVelSkinMenu* Skin = nullptr;
  TMenuItem *File = nullptr, *New = nullptr, *Edit = nullptr, *Help = nullptr;
  std::vector<std::wstring> Clicked;
};

}  // namespace

TEST_F(MainMenuWin, EachVisibleTopLevelItemBecomesATitleBarItemWithACopyOfItsSubMenu) {
  TVelSkinMainMenu& main = Form->Skin->MainMenu();
  ASSERT_EQ(main.MenuList().size(), 3u);
  EXPECT_TRUE(main.Done());
  const wchar_t* captions[] = {L"&File", L"&Edit", L"&Help"};
  int32_t x = 5;
  for (int i = 0; i < 3; ++i) {
    TVelSkinNCMenuItem* item = TitleItem(i);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(main.MenuList()[i]->Caption, captions[i]);
    EXPECT_EQ(item->MenuData(), main.MenuList()[i].get());
    EXPECT_EQ(item->VelSkinMainMenu(), &main);
    EXPECT_EQ(item->GroupIndex(), 99);
    EXPECT_EQ(item->Pos().XValue(), x);
    EXPECT_EQ(item->Pos().YValue(), 5);
    EXPECT_GT(item->Width(), 4);
    x += item->Width() + main.Space();
  }
  // The copies: every field, names with "Copy", the skin drawing them, sub-menus too.
  TMenuItem* copies = main.MenuList()[0]->PopupMenu->Items();
  ASSERT_EQ(copies->Count(), File->Count());
  EXPECT_EQ(copies->Items(0)->Name(), L"NewCopy");
  EXPECT_EQ(copies->Items(0)->ShortCutText(), L"Ctrl+N");
  EXPECT_TRUE(copies->Items(3)->Checked());
  EXPECT_TRUE(copies->Items(3)->AutoCheck());
  EXPECT_TRUE(copies->Items(5)->RadioItem());
  EXPECT_TRUE(copies->Items(5)->Checked());
  EXPECT_FALSE(copies->Items(4)->Checked());
  EXPECT_EQ(copies->Items(5)->GroupIndex(), 1);
  EXPECT_EQ(copies->Items(5)->ImageIndex(), 3);
  EXPECT_EQ(copies->Items(5)->HelpContext(), 7);
  EXPECT_FALSE(copies->Items(6)->Enabled());
  ASSERT_EQ(copies->Items(7)->Count(), 1);
  EXPECT_EQ(copies->Items(7)->Items(0)->Caption(), L"Deep");
  EXPECT_TRUE(Skin->Attached(copies->Items(7)->Items(0)));
  EXPECT_TRUE(main.MenuList()[0]->PopupMenu->OwnerDraw());
  // A copy's click runs the source item.
  copies->Items(0)->Click();
  EXPECT_EQ(Clicked, (std::vector<std::wstring>{L"&New"}));
  EXPECT_EQ(main.MenuList()[2]->PopupMenu->Items()->Count(), 0);
  EXPECT_TRUE(main.MenuList()[2]->OnClick);

  // A top-level item goes: the title bar follows on its next paint.
  delete Edit;
  ASSERT_TRUE(PumpUntil([&] { return main.Done() && main.MenuList().size() == 2u && Registered() == 2; }));
  EXPECT_EQ(main.MenuList()[1]->Caption, L"&Help");
  // A wider gap moves the later items.
  const int32_t before = TitleItem(1)->Pos().XValue();
  main.SetSpace(20);
  ASSERT_TRUE(PumpUntil([&] { return main.Done() && Registered() == 2 && TitleItem(1); }));
  EXPECT_EQ(TitleItem(1)->Pos().XValue(), before + 12);
  // The menu goes: so do the title-bar items.
  delete Menu;
  EXPECT_EQ(main.MainMenu(), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return main.Done() && Registered() == 0; }));
}

TEST_F(MainMenuWin, TheMouseOverAnotherTitleBarItemClosesTheOpenPopupAndOpensItsOwn) {
  TVelSkinMainMenu& main = Form->Skin->MainMenu();
  TVelSkinNCMenuItem* file = TitleItem(0);
  TVelSkinNCMenuItem* edit = TitleItem(1);
  const TPoint f = ScreenCentre(file), e = ScreenCentre(edit);
  // The hot look: the caption's background blended half-way to HotColor.
  ASSERT_TRUE(MoveCursor(AwayX, AwayY));
  PumpFor(100);
  const TPoint probe{f.X - file->Width() / 2 + 1, f.Y - file->Height() / 2 + 1};
  const uint32_t normal = ScreenPixel(probe.X, probe.Y);
  ASSERT_TRUE(MoveCursor(f.X, f.Y));
  ASSERT_TRUE(PumpUntil([&] { return file->State() == bsHot; }));
  PumpFor(100);
  const uint32_t hot = ScreenPixel(probe.X, probe.Y), hotColor = Rgb(main.HotColor());
  for (int shift : {0, 8, 16}) {
    const int want = (((normal >> shift) & 0xFF) + ((hotColor >> shift) & 0xFF)) / 2;
    EXPECT_NEAR(static_cast<int>((hot >> shift) & 0xFF), want, 2) << shift;
  }

  RECT firstPopup{}, secondPopup{};
  DWORD closedAt = 0, openedAt = 0;
  TWindowProcHook watch;
  watch.Hook(*Form, [&](TMessage& m) {
    if (m.Msg == MM_MENUCLOSED && !closedAt) closedAt = GetTickCount();
    watch.CallSaved(m);
  });
  TMenuSteps steps({[&] {
                      const auto menus = VisibleMenuWindows();
                      if (menus.empty() || main.FocusMenu() != file) return false;
                      firstPopup = WindowRectOf(menus.front());
                      SetCursorPos(e.X, e.Y);
                      return true;
                    },
                    [&] {
                      const auto menus = VisibleMenuWindows();
                      if (main.FocusMenu() != edit || menus.empty()) return false;
                      openedAt = GetTickCount();
                      PumpFor(100);
                      secondPopup = WindowRectOf(menus.front());
                      const RECT w = WindowRectOf(Form->Handle());
                      SaveShot(RECT{w.left, w.top, secondPopup.right + 40, secondPopup.bottom + 4}, "main_menu_open");
                      return true;
                    }});
  SendButtonAt(f.X, f.Y, MOUSEEVENTF_LEFTDOWN);
  SendButtonAt(f.X, f.Y, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return steps.Finished(); }, 10000));
  EXPECT_FALSE(steps.TimedOut()) << "steps done: " << steps.StepsDone();
  // The first popup opened under the first item, the second under the second, after the first closed.
  const RECT w = WindowRectOf(Form->Handle());
  EXPECT_EQ(firstPopup.left, w.left + file->ClientRect().Left - Skin->BorderOffset());
  EXPECT_EQ(firstPopup.top, w.top + file->ClientRect().Top + file->Height());
  EXPECT_EQ(secondPopup.left, w.left + edit->ClientRect().Left - Skin->BorderOffset());
  EXPECT_GT(closedAt, 0u);
  EXPECT_GE(openedAt, closedAt);
  std::printf("[          ] the second popup opened %lu ms after the first closed\n", openedAt - closedAt);
  PumpFor(50);
  EXPECT_TRUE(VisibleMenuWindows().empty());
  EXPECT_EQ(main.FocusMenu(), nullptr);
  EXPECT_FALSE(edit->Down());
  EXPECT_FALSE(file->Down());
  EXPECT_TRUE(Clicked.empty());
}

TEST_F(MainMenuWin, AltAndTheAcceleratorOpenAPopupEscapeClosesItAndAChosenItemRunsOnce) {
  TVelSkinMainMenu& main = Form->Skin->MainMenu();
  ASSERT_TRUE(Foreground());
  ASSERT_TRUE(MoveCursor(AwayX, AwayY));
  auto altKey = [](WORD Key) {
    SendKey(VK_MENU, false);
    TapKey(Key);
    SendKey(VK_MENU, true);
  };
  // Alt+F opens File; Esc closes it.
  bool opened = false;
  TMenuSteps escape({[&] {
                       if (VisibleMenuWindows().empty() || main.FocusMenu() != TitleItem(0)) return false;
                       opened = TitleItem(0)->Down();
                       TapKey(VK_ESCAPE);
                       return true;
                     },
                     [&] { return VisibleMenuWindows().empty(); }});
  altKey('F');
  ASSERT_TRUE(PumpUntil([&] { return escape.Finished(); }, 8000));
  EXPECT_FALSE(escape.TimedOut()) << escape.StepsDone();
  EXPECT_TRUE(opened);
  PumpFor(50);
  EXPECT_EQ(main.FocusMenu(), nullptr);
  EXPECT_FALSE(TitleItem(0)->Down());
  EXPECT_TRUE(Clicked.empty());

  // Alt+E, Down, Enter: the first Edit item runs once.
  TMenuSteps choose({[&] {
                       if (VisibleMenuWindows().empty() || main.FocusMenu() != TitleItem(1)) return false;
                       TapKey(VK_DOWN);
                       TapKey(VK_RETURN);
                       return true;
                     },
                     [&] { return VisibleMenuWindows().empty(); }});
  altKey('E');
  ASSERT_TRUE(PumpUntil([&] { return choose.Finished(); }, 8000));
  PumpFor(50);
  EXPECT_EQ(Clicked, (std::vector<std::wstring>{L"Cu&t"}));

  // An accelerator inside the popup (owner-drawn items) and a top-level item without a popup.
  Clicked.clear();
  TMenuSteps mnemonic({[&] {
    if (VisibleMenuWindows().empty()) return false;
    TapKey('O');
    return true;
  }, [&] { return VisibleMenuWindows().empty(); }});
  altKey('F');
  ASSERT_TRUE(PumpUntil([&] { return mnemonic.Finished(); }, 8000));
  altKey('H');
  PumpFor(100);
  EXPECT_EQ(Clicked, (std::vector<std::wstring>{L"&Open", L"&Help"}));
  EXPECT_FALSE(TitleItem(2)->Down());  // nothing stays open, nothing stays down
  // A plain letter is the controls': it opens nothing.
  TapKey('F');
  PumpFor(150);
  EXPECT_TRUE(VisibleMenuWindows().empty());
  // The shortcut runs its item without any popup.
  SendKey(VK_CONTROL, false);
  TapKey('N');
  SendKey(VK_CONTROL, true);
  PumpFor(100);
  EXPECT_EQ(Clicked, (std::vector<std::wstring>{L"&Open", L"&Help", L"&New"}));
}

TEST_F(MainMenuWin, AnItemFreedWhileItsCopyIsOpenIsNotRunAndNothingIsLeftBehind) {
  TVelSkinMainMenu& main = Form->Skin->MainMenu();
  ASSERT_TRUE(Foreground());
  TMenuSteps steps({[&] {
                      if (VisibleMenuWindows().empty()) return false;
                      delete New;  // the source of the first copy
                      Menu->Items()->Add(new TMenuItem());
                      TapKey(VK_DOWN);
                      TapKey(VK_RETURN);
                      return true;
                    },
                    [&] { return VisibleMenuWindows().empty(); }});
  SendKey(VK_MENU, false);
  TapKey('F');
  SendKey(VK_MENU, true);
  ASSERT_TRUE(PumpUntil([&] { return steps.Finished(); }, 8000));
  PumpFor(100);
  EXPECT_TRUE(Clicked.empty());
  // The title bar is built anew from the changed menu once the popup has closed.
  ASSERT_TRUE(PumpUntil([&] { return main.Done() && Registered() == 4; }));
  EXPECT_EQ(main.MenuList()[0]->PopupMenu->Items()->Count(), File->Count());
}

TEST_F(MainMenuWin, AHugeCaptionAndAThousandItemsBuildPaintOpenAndClose) {
  TVelSkinMainMenu& main = Form->Skin->MainMenu();
  TMenuItem* huge = Item(Menu->Items(), L"&Z" + std::wstring(10000, L'z'));
  for (int i = 0; i < 1000; ++i) Item(huge, L"Entry " + std::to_wstring(i));
  ASSERT_TRUE(PumpUntil([&] { return main.Done() && Registered() == 4; }));
  Form->Skin->InvalidateNC();
  ASSERT_TRUE(Foreground());
  bool shown = false;
  TMenuSteps steps({[&] {
                      const auto menus = VisibleMenuWindows();
                      if (menus.empty()) return false;
                      const RECT r = WindowRectOf(menus.front());
                      shown = r.bottom - r.top <= GetSystemMetrics(SM_CYSCREEN);
                      TapKey(VK_ESCAPE);
                      return true;
                    },
                    [&] { return VisibleMenuWindows().empty(); }},
                   10000);
  SendKey(VK_MENU, false);
  TapKey('Z');
  SendKey(VK_MENU, true);
  ASSERT_TRUE(PumpUntil([&] { return steps.Finished(); }, 20000));
  EXPECT_FALSE(steps.TimedOut());
  EXPECT_TRUE(shown);
  PumpFor(50);
  EXPECT_EQ(main.FocusMenu(), nullptr);
  EXPECT_EQ(LiveNativeMenus(), 0);
}
