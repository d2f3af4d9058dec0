// Menu items, popup menus and a control's context menu.
#include "toolkit/win/tests/pointer_test_support.h"

#include "toolkit/win/menus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
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
  PopupList()->Window();  // lives for the process, made on first use
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

// ---- Shortcuts, checks and radio groups, change reports -------------------------------------

TEST(ToolkitMenus, ShortCutsReadAndWriteTheirText) {
  EXPECT_EQ(ShortCutToText(ShortCut('N', ssCtrl)), L"Ctrl+N");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, ssShift | ssCtrl)), L"Shift+Ctrl+F5");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, 0)), L"Del");
  EXPECT_EQ(ShortCutToText(ShortCut('1', ssAlt)), L"Alt+1");
  EXPECT_EQ(ShortCutToText(scNone), L"");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_LWIN, 0)), L"");  // a key without a name
  EXPECT_EQ(ShortCut(0, ssCtrl), scNone);
  for (const wchar_t* text : {L"Ctrl+N", L"Shift+Ctrl+F12", L"Alt+Del", L"Num +", L"Ctrl+Num 7", L"PgDn", L"Space"})
    EXPECT_EQ(ShortCutToText(TextToShortCut(text)), text) << text;
  EXPECT_EQ(TextToShortCut(L"ctrl+shift+s"), ShortCut('S', ssCtrl | ssShift));
  EXPECT_EQ(TextToShortCut(L""), scNone);
  EXPECT_EQ(TextToShortCut(L"Ctrl+"), scNone);
  EXPECT_EQ(TextToShortCut(L"Hyper+Q"), scNone);
  EXPECT_EQ(TextToShortCut(std::wstring(10000, L'+')), scNone);

  TMenuItem item;
  item.SetShortCut(ShortCut('S', ssCtrl));
  EXPECT_EQ(item.ShortCutText(), L"Ctrl+S");
}

TEST(ToolkitMenus, RadioItemsOfAGroupAreExclusiveAndAutoCheckChecks) {
  TMenu menu(nullptr);
  auto radio = [&](uint8_t group) {
    TMenuItem* item = NewItem(L"r");
    item->SetRadioItem(true);
    item->SetGroupIndex(group);
    item->SetAutoCheck(true);
    menu.Items()->Add(item);
    return item;
  };
  TMenuItem* a = radio(1);
  TMenuItem* b = radio(1);
  TMenuItem* other = radio(2);
  a->SetChecked(true);
  other->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(other->Checked());  // another group
  a->Click();                     // a click checks a radio item, never unchecks it
  a->Click();
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(b->Checked());
  // Joining a group or arriving checked in it takes the check from the others.
  other->SetGroupIndex(1);
  EXPECT_FALSE(a->Checked());
  auto* late = new TMenuItem();
  late->SetRadioItem(true);
  late->SetGroupIndex(1);
  late->SetChecked(true);
  menu.Items()->Add(late);
  EXPECT_FALSE(other->Checked());
  EXPECT_TRUE(late->Checked());

  // A plain item toggles; a disabled one neither checks nor clicks.
  int clicks = 0;
  TMenuItem* toggle = NewItem(L"t");
  toggle->SetAutoCheck(true);
  toggle->OnClick = [&](TObject*) { ++clicks; };
  menu.Items()->Add(toggle);
  toggle->Click();
  EXPECT_TRUE(toggle->Checked());
  toggle->Click();
  EXPECT_FALSE(toggle->Checked());
  toggle->SetEnabled(false);
  toggle->Click();
  EXPECT_FALSE(toggle->Checked());
  EXPECT_EQ(clicks, 2);
}

TEST(ToolkitMenus, ChangeHooksHearInsertionsRemovalsAndFreesOnce) {
  std::vector<std::tuple<TMenu*, TMenuItem*, TOperation>> heard;
  const int id = AddMenuChangeHook([&](TMenu* m, TMenuItem* i, TOperation op) { heard.emplace_back(m, i, op); });
  auto* menu = new TMenu(nullptr);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0], std::make_tuple(menu, static_cast<TMenuItem*>(nullptr), opInsert));
  heard.clear();

  // A subtree built outside any menu reports with no menu; joining the menu reports once.
  TMenuItem* top = NewItem(L"Top");
  TMenuItem* child = NewItem(L"Child");
  top->Add(child);
  EXPECT_EQ(heard, (decltype(heard){{nullptr, child, opInsert}}));
  heard.clear();
  menu->Items()->Add(top);
  EXPECT_EQ(heard, (decltype(heard){{menu, top, opInsert}}));
  EXPECT_EQ(child->GetParentMenu(), menu);
  heard.clear();

  // Taken out without freeing: the deepest first; the caller owns it then.
  menu->Items()->Remove(top);
  EXPECT_EQ(heard, (decltype(heard){{menu, child, opRemove}, {menu, top, opRemove}}));
  EXPECT_EQ(top->Parent(), nullptr);
  EXPECT_EQ(top->GetParentMenu(), nullptr);
  EXPECT_THROW(menu->Items()->Remove(top), EListError);
  heard.clear();
  menu->Items()->Add(top);
  heard.clear();

  // Freed with the menu: each item once, then the menu itself.
  delete menu;
  EXPECT_EQ(heard, (decltype(heard){{menu, child, opRemove}, {menu, top, opRemove}, {menu, nullptr, opRemove}}));
  heard.clear();

  // An item freed directly from inside a tree reports itself.
  TMenu other(nullptr);
  TMenuItem* lone = NewItem(L"Lone");
  other.Items()->Add(lone);
  heard.clear();
  delete lone;
  EXPECT_EQ(heard, (decltype(heard){{&other, lone, opRemove}}));
  RemoveMenuChangeHook(id);
  heard.clear();
  other.Items()->Add(NewItem(L"Unheard"));
  EXPECT_TRUE(heard.empty());
}

TEST(ToolkitMenus, AShortCutClicksTheEnabledVisibleItemAnywhereInTheMenu) {
  TMainMenu menu(nullptr);
  std::vector<std::wstring> clicked;
  TMenuItem* file = NewItem(L"&File");
  menu.Items()->Add(file);
  TMenuItem* open = NewItem(L"Open", &clicked);
  open->SetShortCut(ShortCut('O', ssCtrl));
  TMenuItem* deep = NewItem(L"More");
  file->Add(open);
  file->Add(deep);
  TMenuItem* save = NewItem(L"Save", &clicked);
  save->SetShortCut(ShortCut('S', ssCtrl));
  deep->Add(save);
  EXPECT_TRUE(menu.IsShortCut('S', ssCtrl));
  EXPECT_TRUE(menu.IsShortCut('O', ssCtrl));
  EXPECT_FALSE(menu.IsShortCut('O', 0));
  open->SetEnabled(false);
  EXPECT_FALSE(menu.IsShortCut('O', ssCtrl));
  deep->SetVisible(false);  // hidden with its parent
  EXPECT_FALSE(menu.IsShortCut('S', ssCtrl));
  EXPECT_EQ(clicked, (std::vector<std::wstring>{L"Save", L"Open"}));

  // The image list is forgotten when it goes.
  auto* images = new TImageList(nullptr);
  menu.SetImages(images);
  delete images;
  EXPECT_EQ(menu.Images(), nullptr);
}

// ---- The popup list and owner drawing -------------------------------------------------------

namespace {

// A list that records what its window hears before the usual handling.
class TRecordingList : public TPopupList {
public:
  std::vector<UINT> Heard;
  bool Closed = false;

protected:
  void WndProc(TMessage& Message) override {
    Heard.push_back(Message.Msg);
    if (Message.Msg == WM_MENUSELECT && Message.LParam == 0 && HIWORD(Message.WParam) == 0xFFFF) Closed = true;
    TPopupList::WndProc(Message);
  }
};

}  // namespace

TEST_F(ToolkitWin, AReplacedPopupListOwnsTheMenusAndHearsThemClose) {
  Form->Show();
  auto recording = std::make_shared<TRecordingList>();
  std::shared_ptr<TPopupList> previous = SetPopupList(recording);
  ASSERT_TRUE(previous);
  EXPECT_EQ(PopupList(), recording);
  TPopupMenu menu(nullptr);
  menu.Items()->Add(NewItem(L"One"));
  int shownDuring = -1;
  TPopupDriver driver({[&] { shownDuring = recording->Count(); }});
  menu.Popup(40, 50);
  EXPECT_EQ(shownDuring, 1);
  EXPECT_EQ(recording->Count(), 0);
  EXPECT_TRUE(recording->Closed);
  auto heard = [&](UINT m) { return std::count(recording->Heard.begin(), recording->Heard.end(), m); };
  EXPECT_GE(heard(WM_ENTERMENULOOP), 1);
  EXPECT_GE(heard(WM_EXITMENULOOP), 1);

  // Replaced again while a menu is open: that menu keeps its list and closes safely.
  TPopupDriver swap({[&] { SetPopupList(previous); }, [] {}});
  menu.Popup(40, 50);
  EXPECT_EQ(PopupList(), previous);
  EXPECT_EQ(previous->Count(), 0);
  SetPopupList(nullptr);  // a fresh default list
  EXPECT_NE(PopupList(), previous);
}

TEST_F(ToolkitWin, TheAdvancedDrawEventGetsTheItemStateAndAMnemonicChoosesAnOwnerDrawnItem) {
  Form->Show();
  TPopupMenu menu(nullptr);
  std::vector<std::wstring> clicked;
  TMenuItem* first = NewItem(L"&First", &clicked);
  first->SetChecked(true);
  TMenuItem* second = NewItem(L"&Second", &clicked);
  std::vector<TOwnerDrawState> firstStates;
  for (TMenuItem* item : {first, second}) {
    item->OnMeasureItem = [](TMenuItem*, HDC, int& w, int& h) {
      w = 100;
      h = 20;
    };
    item->OnAdvancedDrawItem = [&, item](TMenuItem* sender, HDC dc, const TRect& r, TOwnerDrawState state) {
      EXPECT_EQ(sender, item);
      EXPECT_NE(dc, nullptr);
      EXPECT_EQ(r.Height(), 20);
      if (item == first) firstStates.push_back(state);
    };
    menu.Items()->Add(item);
  }
  const HWND w = Form->Handle();
  TPopupDriver driver({[&] { PostKey(w, VK_DOWN); }, [&] { PostMessageW(w, WM_CHAR, L's', 0); }, [] {}});
  menu.Popup(40, 50);
  ASSERT_FALSE(firstStates.empty());
  EXPECT_TRUE(firstStates.front() & odChecked);
  EXPECT_FALSE(firstStates.front() & odSelected);
  EXPECT_TRUE(std::any_of(firstStates.begin(), firstStates.end(), [](TOwnerDrawState s) { return s & odSelected; }));
  // The system leaves mnemonics of owner-drawn items to the owner: "s" chose Second.
  EXPECT_EQ(clicked, (std::vector<std::wstring>{L"&Second"}));
}

TEST_F(ToolkitWin, AMenuChangedWhileOpenNeverReachesAFreedItem) {
  Form->Show();
  const HWND w = Form->Handle();
  TPopupMenu menu(nullptr);
  menu.SetOwnerDraw(true);  // the plain owner-drawn look
  std::vector<std::wstring> clicked;
  for (const wchar_t* c : {L"A", L"B", L"C"}) menu.Items()->Add(NewItem(c, &clicked));
  // The second item goes while the menu shows it selected, then Enter: nothing is clicked.
  TPopupDriver driver({[&] { PostKey(w, VK_DOWN); }, [&] { PostKey(w, VK_DOWN); },
                       [&] {
                         menu.Items()->Delete(1);
                         menu.Items()->Add(NewItem(L"D", &clicked));
                         InvalidateRect(FindWindowW(L"#32768", nullptr), nullptr, TRUE);
                       },
                       [&] { PostKey(w, VK_RETURN); }});
  menu.Popup(40, 50);
  EXPECT_TRUE(clicked.empty());
  // A thousand items and a caption of ten thousand characters open and close.
  menu.Items()->Clear();
  for (int i = 0; i < 1000; ++i) menu.Items()->Add(NewItem(L"Item " + std::to_wstring(i)));
  menu.Items()->Add(NewItem(std::wstring(10000, L'x'), &clicked));
  TPopupDriver closer({[] {}, [] {}});
  menu.Popup(40, 50);
  EXPECT_EQ(LiveNativeMenus(), 0);
}
