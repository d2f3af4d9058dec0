// Menu items, popup menus and a control's context menu.
#include "toolkit/win/tests/pointer_test_support.h"

#include "toolkit/win/menus.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

TMenuItem* NewItem(const std::wstring& Caption, std::vector<std::wstring>* Clicked = nullptr) {
  auto* item = new TMenuItem();
  item->SetCaption(Caption);
  if (Clicked) item->OnClick = [Clicked, Caption](TObject*) { Clicked->push_back(Caption); };
  return item;
}

// Runs one step per timer tick while a popup is open (the menu's own loop
// dispatches the timer), and always ends the menu after the last step.
class TPopupDriver {
public:
  explicit TPopupDriver(std::vector<std::function<void()>> Steps) : FSteps(std::move(Steps)), FTimer(nullptr) {
    FSteps.push_back([] { EndMenu(); });
    FTimer.SetEnabled(false);
    FTimer.SetInterval(30);
    FTimer.SetOnTimer([this](TObject*) {
      if (FNext < FSteps.size()) FSteps[FNext++]();
    });
    FTimer.SetEnabled(true);
  }
  size_t StepsRun() const { return FNext; }

private:
  std::vector<std::function<void()>> FSteps;
  size_t FNext = 0;
  TTimer FTimer;
};

void PostKey(HWND Window, WORD Key) { PostMessageW(Window, WM_KEYDOWN, Key, 0); }

}  // namespace

TEST(ToolkitMenus, ItemsOwnTheirSubItemsAndRefuseBadInserts) {
  TMenuItem root;
  std::vector<std::wstring> clicked;
  TMenuItem* a = NewItem(L"&A", &clicked);
  root.Add(a);
  root.Insert(0, NewItem(L"-"));
  root.Add(NewItem(L"B"));
  ASSERT_EQ(root.Count(), 3);
  EXPECT_TRUE(root.Items(0)->IsLine());
  EXPECT_EQ(root.Items(1), a);
  EXPECT_EQ(a->Parent(), &root);
  EXPECT_EQ(root.IndexOf(a), 1);
  EXPECT_THROW(root.Items(3), EListError);
  EXPECT_THROW(root.Items(-1), EListError);
  EXPECT_THROW(root.Insert(5, NewItem(L"x")), EListError);
  EXPECT_THROW(root.Add(a), EInvalidOperation);  // already has a parent
  TMenuItem* sub = NewItem(L"Sub");
  a->Add(sub);
  EXPECT_THROW(sub->Add(&root), EInvalidOperation);  // would contain itself
  EXPECT_THROW(root.Add(nullptr), EInvalidOperation);
  EXPECT_EQ(root.FindCommand(sub->Command()), sub);
  EXPECT_EQ(root.FindCommand(0), nullptr);

  a->Click();
  a->SetEnabled(false);
  a->Click();
  EXPECT_EQ(clicked, (std::vector<std::wstring>{L"&A"}));

  // An item owned by a component changes hands: the parent item owns it alone.
  {
    TComponent owner(nullptr);
    auto* owned = new TMenuItem(&owner);
    root.Add(owned);
    EXPECT_EQ(owner.ComponentCount(), 0);
  }
  EXPECT_EQ(root.Count(), 4);
  // A sub-item freed directly leaves its parent's list.
  delete root.Items(3);
  EXPECT_EQ(root.Count(), 3);
  root.Delete(0);
  EXPECT_EQ(root.Items(0), a);
  root.Clear();
  EXPECT_EQ(root.Count(), 0);
}

TEST_F(ToolkitWin, PopupClosedWithoutChoiceFreesItsNativeMenus) {
  Form->Show();
  Application->ProcessMessages();
  const TLiveCounts before = LiveCounts();
  {
    TPopupMenu menu(nullptr);
    std::vector<std::wstring> clicked;
    menu.Items()->Add(NewItem(L"&One", &clicked));
    TMenuItem* more = NewItem(L"More");
    more->Add(NewItem(L"Inner", &clicked));
    menu.Items()->Add(more);
    int popups = 0;
    menu.OnPopup = [&](TObject* sender) {
      EXPECT_EQ(sender, &menu);
      ++popups;
    };
    long whileOpen = -1;
    TPopupDriver driver({[&] { whileOpen = LiveNativeMenus(); }});
    menu.Popup(40, 50);
    EXPECT_EQ(driver.StepsRun(), 2u);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(whileOpen, 2);  // the popup and its sub-menu
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(menu.PopupPoint(), (TPoint{40, 50}));
    EXPECT_EQ(LiveNativeMenus(), 0);

    // Nothing visible: nothing is shown (no driver needed to end it).
    menu.Items()->Clear();
    TMenuItem* hidden = NewItem(L"Hidden");
    hidden->SetVisible(false);
    menu.Items()->Add(hidden);
    menu.Popup(40, 50);
    EXPECT_EQ(popups, 2);
  }
  EXPECT_EQ(LiveNativeMenus(), 0);
  EXPECT_EQ(LiveCounts(), before);
}

TEST_F(ToolkitWin, KeyboardChoiceSkipsSeparatorsAndHiddenItemsAndClicks) {
  Form->Show();
  TPopupMenu menu(nullptr);
  std::vector<std::wstring> clicked;
  menu.Items()->Add(NewItem(L"&First", &clicked));
  menu.Items()->Add(NewItem(L"-"));
  TMenuItem* hidden = NewItem(L"Hidden", &clicked);
  hidden->SetVisible(false);
  menu.Items()->Add(hidden);
  TMenuItem* second = NewItem(L"Second", &clicked);
  second->SetChecked(true);
  second->SetDefault(true);
  menu.Items()->Add(second);
  const HWND w = Form->Handle();
  TPopupDriver driver({[&] { PostKey(w, VK_DOWN); }, [&] { PostKey(w, VK_DOWN); }, [&] { PostKey(w, VK_RETURN); }});
  menu.Popup(40, 50);
  EXPECT_EQ(clicked, (std::vector<std::wstring>{L"Second"}));
}

TEST_F(ToolkitWin, OnPopupRebuildsTheItemsAndAFreedMenuIsSafe) {
  Form->Show();
  const HWND w = Form->Handle();
  std::vector<std::wstring> clicked;
  {
    TPopupMenu menu(nullptr);
    menu.Items()->Add(NewItem(L"Stale", &clicked));
    menu.OnPopup = [&](TObject*) {
      menu.Items()->Clear();
      menu.Items()->Add(NewItem(L"Fresh", &clicked));
    };
    TPopupDriver driver({[&] { PostKey(w, VK_DOWN); }, [&] { PostKey(w, VK_RETURN); }});
    menu.Popup(40, 50);
    EXPECT_EQ(clicked, (std::vector<std::wstring>{L"Fresh"}));
  }
  // The menu is freed while it is shown (its owner went): Popup returns quietly.
  auto* owner = new TComponent(nullptr);
  auto* menu = new TPopupMenu(owner);
  menu->Items()->Add(NewItem(L"Gone", &clicked));
  auto* panel = new TPanel(Form.get());
  panel->SetPopupMenu(menu);
  TPopupDriver driver({[&] { PostKey(w, VK_DOWN); }, [&] {
                         delete owner;
                         PostKey(w, VK_RETURN);
                       }});
  menu->Popup(40, 50);
  EXPECT_EQ(clicked.size(), 1u);
  EXPECT_EQ(panel->PopupMenu(), nullptr);  // forgotten through the free notification
  EXPECT_EQ(LiveNativeMenus(), 0);
}

TEST_F(ToolkitWin, OwnerDrawnItemsAreMeasuredAndDrawnByTheirEvents) {
  Form->Show();
  TPopupMenu menu(nullptr);
  TMenuItem* item = NewItem(L"Drawn");
  int measured = 0, drawn = 0;
  item->OnMeasureItem = [&](TMenuItem* sender, HDC dc, int& width, int& height) {
    EXPECT_EQ(sender, item);
    EXPECT_NE(dc, nullptr);
    ++measured;
    width = 120;
    height = 24;
  };
  item->OnDrawItem = [&](TMenuItem*, HDC dc, const TRect& r, UINT) {
    EXPECT_NE(dc, nullptr);
    EXPECT_EQ(r.Height(), 24);
    ++drawn;
  };
  menu.Items()->Add(item);
  TPopupDriver driver({[] {}, [] {}});
  menu.Popup(40, 50);
  EXPECT_GE(measured, 1);
  EXPECT_GE(drawn, 1);
}

TEST_F(ToolkitWin, ContextMenuOpensTheMenuOfTheControlOrGoesToTheParent) {
  auto [panel, label] = ShowPanelWithLabel(*Form);
  auto* panelMenu = new TPopupMenu(Form.get());
  auto* labelMenu = new TPopupMenu(Form.get());
  std::vector<std::pair<TPopupMenu*, TComponent*>> opened;
  for (TPopupMenu* m : {panelMenu, labelMenu}) {
    m->Items()->Add(NewItem(L"Item"));
    m->OnPopup = [&opened, m](TObject*) {
      opened.emplace_back(m, m->PopupComponent());
    };
  }
  // The parent hears what its child does not answer.
  int formHeard = 0;
  TWndMethod old = Form->WindowProc;
  Form->WindowProc = [&, old](TMessage& m) {
    if (m.Msg == WM_CONTEXTMENU) ++formHeard;
    old(m);
  };
  const HWND pw = panel->Handle();
  auto contextMenu = [&](TPoint screen) {
    return SendMessageW(pw, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pw), MAKELPARAM(screen.X, screen.Y));
  };
  // Ends each of the menus below as soon as it is shown.
  TPopupDriver closer(std::vector<std::function<void()>>(8, [] { EndMenu(); }));

  EXPECT_EQ(contextMenu(panel->ClientToScreen(TPoint{100, 60})), 0);
  EXPECT_EQ(formHeard, 1);
  EXPECT_TRUE(opened.empty());

  panel->SetPopupMenu(panelMenu);
  const TPoint overPanel = panel->ClientToScreen(TPoint{100, 60});
  EXPECT_EQ(contextMenu(overPanel), 1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], std::make_pair(panelMenu, static_cast<TComponent*>(panel)));
  EXPECT_EQ(panelMenu->PopupPoint(), overPanel);
  // From the keyboard: at the control's top-left corner.
  contextMenu(TPoint{-1, -1});
  EXPECT_EQ(panelMenu->PopupPoint(), panel->ClientToScreen(TPoint{0, 0}));
  // Over a graphic child with a menu of its own; over one without, the panel's.
  EXPECT_EQ(contextMenu(panel->ClientToScreen(TPoint{15, 15})), 1);
  EXPECT_EQ(panelMenu->PopupComponent(), panel);
  label->SetPopupMenu(labelMenu);
  contextMenu(panel->ClientToScreen(TPoint{15, 15}));
  ASSERT_EQ(opened.size(), 4u);
  EXPECT_EQ(opened[3], std::make_pair(labelMenu, static_cast<TComponent*>(label)));
  EXPECT_EQ(formHeard, 1);

  delete labelMenu;
  EXPECT_EQ(label->PopupMenu(), nullptr);
  Form->WindowProc = old;
}
