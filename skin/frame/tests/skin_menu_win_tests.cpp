// Skinned popup menus under the real menu loop: the hook that catches the
// popup windows, measuring, the layered popup read back from the screen,
// bad input, and the system settings the skin changes and puts back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <exception>
#include <string>

#include "skin/frame/skin_menu.h"
#include "skin/frame/tests/menu_test_support.h"
#include "skin/frame/tests/skinned_form_test_support.h"
#include "toolkit/win/application.h"

namespace {

BOOL Setting(UINT Action) {
  BOOL value = 2;
  SystemParametersInfoW(Action, 0, &value, 0);
  return value;
}

void SetSetting(UINT Action, BOOL Value) {
  SystemParametersInfoW(Action, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(Value)), SPIF_SENDCHANGE);
}

struct TMenuSettings {
  BOOL SelectionFade, MenuFade, MenuAnimation;
  static TMenuSettings Read() {
    return {Setting(SPI_GETSELECTIONFADE), Setting(SPI_GETMENUFADE), Setting(SPI_GETMENUANIMATION)};
  }
  void Write() const {
    SetSetting(SPI_SETSELECTIONFADE, SelectionFade);
    SetSetting(SPI_SETMENUFADE, MenuFade);
    SetSetting(SPI_SETMENUANIMATION, MenuAnimation);
  }
  bool operator==(const TMenuSettings& O) const {
    return SelectionFade == O.SelectionFade && MenuFade == O.MenuFade && MenuAnimation == O.MenuAnimation;
  }
};

// A form with a skinned popup menu of every kind of item.
class SkinMenuWin : public ::testing::Test {
protected:
  void SetUp() override {
    InitSkinMenus();
    Form = std::make_unique<TSkinnedForm>(false);
    Popup = new TPopupMenu(Form.get());
    Skin = new TVelSkinMenu(Form.get());
    Form->Show();
    PumpFor(100);
  }
  void TearDown() override {
    Form.reset();
    DoneSkinMenus();
  }
  std::unique_ptr<TSkinnedForm> Form;
  TPopupMenu* Popup = nullptr;
  TVelSkinMenu* Skin = nullptr;
};

// Where the popups open: clear of the form's title bar.
constexpr int PopupX = 200, PopupY = 260;

}  // namespace

TEST_F(SkinMenuWin, TheHookCatchesEachPopupWindowAndReplacesItsProcedureOnce) {
  ASSERT_TRUE(SkinMenusActive());
  TMenuItem* sub = Item(Popup->Items(), L"&More");
  Item(sub, L"Inner");
  Item(Popup->Items(), L"Plain");
  const int before = SkinMenuWindowsHooked();
  HWND first = nullptr;
  LONG_PTR procWhileOpen = 0;
  ULONG_PTR classStyle = CS_DROPSHADOW;
  TMenuSteps steps({[&] {
                      const auto menus = VisibleMenuWindows();
                      if (menus.empty()) return false;
                      first = menus.front();
                      procWhileOpen = GetWindowLongPtrW(first, GWLP_WNDPROC);
                      classStyle = GetClassLongPtrW(first, GCL_STYLE);
                      // Opens the sub-menu: a second popup window.
                      PostMessageW(Form->Handle(), WM_KEYDOWN, VK_DOWN, 0);
                      PostMessageW(Form->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
                      return true;
                    },
                    [&] { return VisibleMenuWindows().size() == 2; }});
  Popup->Popup(PopupX, PopupY);
  EXPECT_FALSE(steps.TimedOut());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(SkinMenuWindowsHooked() - before, 2);  // the popup and its sub-menu, each once
  ASSERT_NE(SkinMenuPreviousProc(), nullptr);
  EXPECT_NE(procWhileOpen, reinterpret_cast<LONG_PTR>(SkinMenuPreviousProc()));
  EXPECT_FALSE(classStyle & CS_DROPSHADOW);
  // The next popup's window is caught again, and the saved procedure stays the system's.
  const WNDPROC saved = SkinMenuPreviousProc();
  TMenuSteps again({[] { return !VisibleMenuWindows().empty(); }});
  Popup->Popup(PopupX, PopupY);
  EXPECT_EQ(SkinMenuWindowsHooked() - before, 3);
  EXPECT_EQ(SkinMenuPreviousProc(), saved);
}

TEST_F(SkinMenuWin, ItemsAreMeasuredWithTheBorderOffsetOnTheOnlyFirstAndLastItems) {
  TMenuItem* first = Item(Popup->Items(), L"First");
  TMenuItem* line = Item(Popup->Items(), L"-");
  TMenuItem* middle = Item(Popup->Items(), L"Middle");
  TMenuItem* hidden = Item(Popup->Items(), L"Hidden");
  hidden->SetVisible(false);
  TMenuItem* last = Item(Popup->Items(), L"Last");
  TMenuItem* onlyParent = Item(Popup->Items(), L"Parent");
  TMenuItem* only = Item(onlyParent, L"Only");
  for (TMenuItem* i : {first, line, middle, last, only}) EXPECT_TRUE(Skin->Attached(i));
  TWindowDC dc(nullptr);
  auto height = [&](TMenuItem* item) {
    int w = 0, h = 0;
    Skin->MeasureItem(item, dc.Get(), w, h);
    return h;
  };
  const int hi = SkinResManager()->GetImageByName(L"VelSkinMenu_hilight")->Height();
  EXPECT_EQ(height(first), hi + 3 + 3);
  EXPECT_EQ(height(middle), hi + 3);
  EXPECT_EQ(height(last), hi + 3);
  EXPECT_EQ(height(onlyParent), hi + 3 + 3);  // the last visible item
  EXPECT_EQ(height(only), hi + 3 + 6);
  EXPECT_EQ(height(line), 3);
  onlyParent->SetVisible(false);
  EXPECT_EQ(height(last), hi + 3 + 3);  // now the last visible one
  EXPECT_FALSE(SkinMenuDrawn());  // measuring starts a new pass

  // The open popup's items have these heights.
  onlyParent->SetVisible(true);
  std::vector<int> heights;
  TMenuSteps steps({[&] {
    const auto menus = VisibleMenuWindows();
    if (menus.empty()) return false;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menus.front(), MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      RECT r{};
      GetMenuItemRect(nullptr, menu, i, &r);
      heights.push_back(r.bottom - r.top);
    }
    return true;
  }});
  Popup->Popup(PopupX, PopupY);
  EXPECT_EQ(heights, (std::vector<int>{hi + 6, 3, hi + 3, hi + 3, hi + 6}));
}

TEST_F(SkinMenuWin, ThePopupShowsTheSkinBackgroundAndTheHighlightUnderTheSelectedItem) {
  Popup->SetOwnerDraw(true);
  std::vector<std::wstring> clicked;
  Item(Popup->Items(), L"&Open", &clicked)->SetShortCut(ShortCut('O', ssCtrl));
  TMenuItem* checked = Item(Popup->Items(), L"Checked");
  checked->SetChecked(true);
  Item(Popup->Items(), L"-");
  TMenuItem* radio = Item(Popup->Items(), L"Radio");
  radio->SetRadioItem(true);
  radio->SetChecked(true);
  Item(Popup->Items(), L"Disabled")->SetEnabled(false);
  TMenuItem* sub = Item(Popup->Items(), L"Sub-menu");
  Item(sub, L"Inner");
  RECT popup{};
  std::vector<uint32_t> normal, selected;
  TRect firstItem{};
  HWND window = nullptr;
  TMenuSteps steps({[&] {
                      const auto menus = VisibleMenuWindows();
                      if (menus.empty()) return false;
                      window = menus.front();
                      return true;
                    },
                    [&] {
                      PumpFor(100);
                      popup = WindowRectOf(window);
                      normal = CaptureScreen(popup);
                      SaveShot(popup, "skin_menu_popup");
                      PostMessageW(Form->Handle(), WM_KEYDOWN, VK_DOWN, 0);
                      return true;
                    },
                    [&] {
                      HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
                      if (!(GetMenuState(menu, 0, MF_BYPOSITION) & MF_HILITE)) return false;
                      PumpFor(100);
                      RECT r{};
                      GetMenuItemRect(nullptr, menu, 0, &r);
                      firstItem = TRect{r.left - popup.left, r.top - popup.top, r.right - popup.left, r.bottom - popup.top};
                      selected = CaptureScreen(popup);
                      SaveShot(popup, "skin_menu_popup_selected");
                      return true;
                    }});
  Popup->Popup(PopupX, PopupY);
  ASSERT_FALSE(steps.TimedOut());
  ASSERT_FALSE(normal.empty());
  const int w = popup.right - popup.left, h = popup.bottom - popup.top;
  auto at = [w](const std::vector<uint32_t>& p, int x, int y) { return p[static_cast<size_t>(y) * w + x]; };
  // The skin background (the built-in background's fill) in the middle of the popup, right of the text.
  EXPECT_EQ(at(normal, w - 12, h / 2), 0xF5F5F8u);
  // The highlight under the selected first item, only once selected.
  const int hx = firstItem.Right - 12, hy = (firstItem.Top + firstItem.Bottom) / 2 + 2;
  EXPECT_EQ(at(selected, hx, hy), 0x337FD1u);
  EXPECT_NE(at(normal, hx, hy), 0x337FD1u);
  // Text is drawn: dark pixels in the first item's caption area.
  int dark = 0;
  for (int y = firstItem.Top; y < firstItem.Bottom; ++y)
    for (int x = 40; x < 80; ++x) dark += (at(normal, x, y) & 0xFF) < 0x60;
  EXPECT_GT(dark, 10);
  EXPECT_TRUE(clicked.empty());
}

TEST_F(SkinMenuWin, HugeMenusLongCaptionsAndBadImageIndicesOpenAndCloseCleanly) {
  auto* images = new TImageList(Form.get(), 16, 16);
  std::vector<uint32_t> red(16 * 16, 0xFFFF0000u);
  images->Add(red.data(), 16);
  Popup->SetImages(images);
  for (int i = 0; i < 1000; ++i) Item(Popup->Items(), L"Item " + std::to_wstring(i))->SetImageIndex(i % 3 == 0 ? 0 : 5 + i);
  Item(Popup->Items(), std::wstring(10000, L'W'));
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  RECT shown{};
  TBitmap32* bitmap = nullptr;
  int bitmapW = 0, bitmapH = 0;
  TMenuSteps steps({[&] {
                      const auto menus = VisibleMenuWindows();
                      if (menus.empty()) return false;
                      PumpFor(50);
                      shown = WindowRectOf(menus.front());
                      bitmap = Skin->MenuWnds().GetHBITMAP(menus.front());
                      if (bitmap) bitmapW = bitmap->Width(), bitmapH = bitmap->Height();
                      // Changed while open: the items go, the popup keeps showing their places.
                      Popup->Items()->Delete(0);
                      Popup->Items()->Delete(500);
                      PostMessageW(Form->Handle(), WM_KEYDOWN, VK_DOWN, 0);
                      PostMessageW(Form->Handle(), WM_KEYDOWN, VK_UP, 0);
                      return true;
                    },
                    [] {
                      PumpFor(100);
                      return true;
                    }},
                   10000);
  Popup->Popup(PopupX, 10);
  EXPECT_FALSE(steps.TimedOut());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmapW, shown.right - shown.left);
  EXPECT_EQ(bitmapH, shown.bottom - shown.top);
  EXPECT_LE(bitmapW, screenW);
  EXPECT_LE(bitmapH, screenH);  // the system scrolls a popup taller than the screen
  PumpFor(50);
  EXPECT_TRUE(VisibleMenuWindows().empty());
  EXPECT_EQ(LiveNativeMenus(), 0);
}

TEST_F(SkinMenuWin, ItemsInsertedLaterAreTakenOverAndFreedItemsLetGo) {
  TMenuItem* early = Item(Popup->Items(), L"Early");
  EXPECT_TRUE(Skin->Attached(early));
  auto* later = new TPopupMenu(Form.get());
  TMenuItem* late = Item(later->Items(), L"Late");
  TMenuItem* deep = Item(late, L"Deep");
  EXPECT_TRUE(Skin->Attached(late));
  EXPECT_TRUE(Skin->Attached(deep));
  // An item with its own advanced drawing keeps it.
  auto* own = new TMenuItem();
  own->OnAdvancedDrawItem = [](TMenuItem*, HDC, const TRect&, TOwnerDrawState) {};
  later->Items()->Add(own);
  EXPECT_FALSE(Skin->Attached(own));
  // A menu of another owner is not the skin's.
  TPopupMenu stranger(nullptr);
  EXPECT_FALSE(Skin->Attached(Item(stranger.Items(), L"Stranger")));
  const int attached = Skin->AttachedCount();
  delete later;
  EXPECT_EQ(Skin->AttachedCount(), attached - 2);
  // Taken out without freeing: detached, both handlers cleared.
  Popup->Items()->Remove(early);
  EXPECT_FALSE(Skin->Attached(early));
  EXPECT_FALSE(early->OnMeasureItem);
  EXPECT_FALSE(early->OnAdvancedDrawItem);
  delete early;
  // The skin goes first: the items keep no handler of it.
  TMenuItem* kept = Item(Popup->Items(), L"Kept");
  delete Skin;
  EXPECT_FALSE(kept->OnMeasureItem);
  EXPECT_FALSE(kept->OnAdvancedDrawItem);
}

// ---- System settings -----------------------------------------------------------------------

namespace {

// Runs this test program again as a child that prepares the skin menus and
// then leaves in the given way; returns its exit code.
DWORD RunChild(const char* Mode) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(exe) +
                         L"\" --gtest_filter=SkinMenuChild.LeavesAsTold --gtest_catch_exceptions=0";
  SetEnvironmentVariableA("QUORREL_SKIN_MENU_CHILD", Mode);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION pi{};
  DWORD code = 0xFFFFFFFF;
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 0xDEAD);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  SetEnvironmentVariableA("QUORREL_SKIN_MENU_CHILD", nullptr);
  return code;
}

constexpr DWORD ChildSawNoChange = 98;
constexpr DWORD ChildFoundChanged = 97;

}  // namespace

// The child checks at its very end that the settings it had are back and
// the hook is gone: its exit code says so (0), whichever way out it takes.
// It cannot rely on the parent's view: a system may keep these settings per
// process, as Wine does.
int ChildVerdict() {
  return TMenuSettings::Read() == TMenuSettings{TRUE, TRUE, TRUE} && !SkinMenusActive() ? 0 : ChildFoundChanged;
}

LONG WINAPI ChildFilter(EXCEPTION_POINTERS*) { std::_Exit(ChildVerdict()); }

TEST(SkinMenuChild, LeavesAsTold) {
  char mode[32] = {};
  if (!GetEnvironmentVariableA("QUORREL_SKIN_MENU_CHILD", mode, sizeof mode)) GTEST_SKIP() << "run by the settings test";
  const std::string how = mode;
  TMenuSettings{TRUE, TRUE, TRUE}.Write();
  // Registered first, so each runs after the skin's own handler of the same way out.
  std::atexit([] { std::_Exit(ChildVerdict()); });
  std::set_terminate([] { std::_Exit(ChildVerdict()); });
  SetUnhandledExceptionFilter(ChildFilter);
  InitSkinMenus();
  SwitchOffMenuAnimations();
  if (!(TMenuSettings::Read() == TMenuSettings{FALSE, FALSE, FALSE})) std::_Exit(ChildSawNoChange);
  if (how == "exit") std::exit(0);  // no DoneSkinMenus: the exit handler puts the settings back
  if (how == "terminate") std::terminate();
  if (how == "throw") throw std::runtime_error("unhandled");
  if (how == "seh") RaiseException(0xE0000001, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  if (how == "endsession") {
    // The session ends: the system may end the process right after telling it.
    SendMessageW(Application->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    TerminateProcess(GetCurrentProcess(), ChildVerdict());
  }
  if (how == "done") {
    DoneSkinMenus();
    TerminateProcess(GetCurrentProcess(), ChildVerdict());
  }
}

TEST(SkinMenuSettings, TheUsersSettingsComeBackOnEveryWayOut) {
  const TMenuSettings original = TMenuSettings::Read();
  ASSERT_NE(original.SelectionFade, 2) << "the system has no selection-fade setting";
  const TMenuSettings on{TRUE, TRUE, TRUE};
  on.Write();
  ASSERT_EQ(TMenuSettings::Read(), on);

  // In this process: off while prepared and while a skin menu lives, back afterwards.
  InitSkinMenus();
  EXPECT_FALSE(Setting(SPI_GETSELECTIONFADE));
  {
    TForm owner(nullptr);
    new TVelSkinMenu(&owner);
    EXPECT_EQ(TMenuSettings::Read(), (TMenuSettings{FALSE, FALSE, FALSE}));
  }
  EXPECT_TRUE(SkinMenusActive());
  DoneSkinMenus();
  EXPECT_FALSE(SkinMenusActive());
  EXPECT_EQ(TMenuSettings::Read(), on);
  DoneSkinMenus();  // one too many: nothing happens
  EXPECT_EQ(TMenuSettings::Read(), on);

  // Another program that prepares the skin menus and leaves in every way.
  for (const char* mode : {"done", "exit", "terminate", "throw", "seh", "endsession"}) {
    const DWORD code = RunChild(mode);
    EXPECT_EQ(code, 0u) << mode << (code == ChildSawNoChange ? ": the settings never changed" : "");
    // Where the system shares these settings between processes, this one sees them back too.
    EXPECT_EQ(TMenuSettings::Read(), on) << mode;
    on.Write();
  }
  original.Write();
}
