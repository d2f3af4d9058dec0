// The native menu built from the item model, the popup list that owns the
// native popups while they are shown, the popup menu, the plain look of
// owner-drawn items, and a control's context menu.
#include "toolkit/core/scope.h"
#include "toolkit/win/application.h"
#include "toolkit/win/menus.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<long> NativeMenus{0};

bool HasVisibleItems(const TMenuItem& Item) {
  for (int i = 0; i < Item.Count(); ++i)
    if (Item.Items(i)->Visible()) return true;
  return false;
}

// The caption as the native menu shows it: the shortcut after a tab.
std::wstring NativeText(const TMenuItem& Item) {
  const std::wstring shortcut = Item.ShortCutText();
  return shortcut.empty() ? Item.Caption() : Item.Caption() + L"\t" + shortcut;
}

std::shared_ptr<TPopupList>& CurrentList() {
  static std::shared_ptr<TPopupList> list;
  return list;
}

}  // namespace

long LiveNativeMenus() noexcept { return NativeMenus.load(); }

// ---- TNativeMenu --------------------------------------------------------------------

TNativeMenu::TNativeMenu(const TMenuItem& Root) {
  FHandle = CreatePopupMenu();
  Win32Check(FHandle != nullptr, "CreatePopupMenu");
  ++NativeMenus;
  TScopeExit failed([this] {
    DestroyMenu(FHandle);
    NativeMenus -= 1 + FSubMenus;
  });
  Build(FHandle, Root);
  failed.Dismiss();
}

TNativeMenu::~TNativeMenu() {
  DestroyMenu(FHandle);
  NativeMenus -= 1 + FSubMenus;
}

void TNativeMenu::Build(HMENU Menu, const TMenuItem& Parent) {
  bool defaultSet = false;
  for (int i = 0; i < Parent.Count(); ++i) {
    TMenuItem& item = *Parent.Items(i);
    if (!item.Visible()) continue;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    std::wstring caption = NativeText(item);
    const bool ownerDrawn = item.OwnerDrawn();
    if (item.IsLine()) {
      // An owner-drawn separator is measured and drawn like the items, and
      // still skipped by the keyboard.
      FCommands.push_back(item.Command());
      info.fMask = MIIM_FTYPE | MIIM_ID;
      info.fType = MFT_SEPARATOR | (ownerDrawn ? MFT_OWNERDRAW : 0);
      info.wID = static_cast<UINT>(FCommands.size());
    } else {
      FCommands.push_back(item.Command());
      info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
      info.fType = ownerDrawn ? MFT_OWNERDRAW : MFT_STRING;
      if (item.RadioItem()) info.fType |= MFT_RADIOCHECK;
      info.wID = static_cast<UINT>(FCommands.size());
      if (!item.Enabled()) info.fState |= MFS_GRAYED;
      if (item.Checked()) info.fState |= MFS_CHECKED;
      if (item.Default() && !defaultSet) {
        info.fState |= MFS_DEFAULT;
        defaultSet = true;
      }
      info.dwTypeData = caption.data();
      if (!ownerDrawn && item.HasBitmap()) {
        info.fMask |= MIIM_BITMAP;
        info.hbmpItem = item.Bitmap().Handle();
      }
    }
    HMENU sub = nullptr;
    if (!item.IsLine() && HasVisibleItems(item)) {
      sub = CreatePopupMenu();
      Win32Check(sub != nullptr, "CreatePopupMenu");
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = sub;
    }
    if (!InsertMenuItemW(Menu, static_cast<UINT>(GetMenuItemCount(Menu)), TRUE, &info)) {
      if (sub) DestroyMenu(sub);
      throw EWin32Error("InsertMenuItemW");
    }
    if (sub) {
      // Attached: destroyed with the root from now on.
      ++FSubMenus;
      ++NativeMenus;
      Build(sub, item);
    }
  }
}

// ---- TPopupList ---------------------------------------------------------------------

TPopupList::TPopupList() = default;
TPopupList::~TPopupList() = default;

HWND TPopupList::Window() {
  if (!FWindow) FWindow = std::make_unique<TUtilWindow>([this](TMessage& Message) { WndProc(Message); });
  return FWindow->Handle();
}

int TPopupList::Count() const {
  return static_cast<int>(std::count_if(FShown.begin(), FShown.end(), [](const TShown& s) { return *s.Alive; }));
}

TPopupMenu* TPopupList::Items(int Index) const {
  int i = 0;
  for (const TShown& s : FShown)
    if (*s.Alive && i++ == Index) return s.Menu;
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TPopupList::Assign(const TPopupList& Source) { FShown = Source.FShown; }

void TPopupList::Push(TPopupMenu* Menu, const TNativeMenu* Native, std::shared_ptr<bool> Alive) {
  FShown.push_back(TShown{Menu, Native, std::move(Alive)});
}

void TPopupList::Pop(const TNativeMenu* Native) {
  FShown.erase(std::remove_if(FShown.begin(), FShown.end(), [Native](const TShown& s) { return s.Native == Native; }),
               FShown.end());
}

void TPopupList::WndProc(TMessage& Message) {
  for (auto it = FShown.rbegin(); it != FShown.rend(); ++it) {
    if (!*it->Alive) continue;
    // A copy: the handler may end this popup and change the list.
    const TShown shown = *it;
    shown.Menu->MenuWndProc(Window(), *shown.Native, Message);
    return;
  }
  Message.Result = DefWindowProcW(Window(), Message.Msg, Message.WParam, Message.LParam);
}

std::shared_ptr<TPopupList> PopupList() {
  if (!CurrentList()) CurrentList() = std::make_shared<TPopupList>();
  return CurrentList();
}

std::shared_ptr<TPopupList> SetPopupList(std::shared_ptr<TPopupList> List) {
  std::shared_ptr<TPopupList> previous = std::move(CurrentList());
  CurrentList() = List ? std::move(List) : std::make_shared<TPopupList>();
  return previous;
}

// ---- TPopupMenu ---------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::~TPopupMenu() { *FAlive = false; }

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (Value == FPopupComponent) return;
  if (FPopupComponent) RemoveFreeNotification(FPopupComponent);
  FPopupComponent = Value;
  if (Value) FreeNotification(Value);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup() {
  if (OnPopup) OnPopup(this);
}

void TPopupMenu::Popup(int X, int Y) {
  // Any handler from here on may free this menu: what runs after it checks.
  const std::shared_ptr<bool> alive = FAlive;
  FPopupPoint = TPoint{X, Y};
  Application->CancelHint();
  DoPopup();
  if (!*alive) return;
  TNativeMenu menu(*Items());
  if (menu.Empty()) return;
  // The list stays alive while its window owns the menu, even if replaced meanwhile.
  const std::shared_ptr<TPopupList> list = PopupList();
  const HWND owner = list->Window();
  list->Push(this, &menu, alive);
  auto unlist = [&] {
    list->Pop(&menu);
    if (CurrentList() && CurrentList() != list) CurrentList()->Pop(&menu);
  };
  TScopeExit pop(unlist);
  UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_TOPALIGN;
  flags |= FAlignment == paRight ? TPM_RIGHTALIGN : FAlignment == paCenter ? TPM_CENTERALIGN : TPM_LEFTALIGN;
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(menu.Handle(), flags, X, Y, owner, nullptr));
  pop.Dismiss();
  unlist();
  if (!*alive) return;
  // The items may have changed while the menu was open: only a live item is clicked.
  if (TMenuItem* item = Items()->FindCommand(menu.CommandOf(chosen))) item->Click();
}

void TPopupMenu::MenuWndProc(HWND Window, const TNativeMenu& Menu, TMessage& Message) {
  if (Message.Msg == WM_MEASUREITEM) {
    MEASUREITEMSTRUCT* measure = TWMMeasureItem(Message).MeasureItemStruct;
    TMenuItem* item = measure->CtlType == ODT_MENU ? Items()->FindCommand(Menu.CommandOf(measure->itemID)) : nullptr;
    if (item && item->OwnerDrawn()) {
      TWindowDC dc(nullptr);
      int width = static_cast<int>(measure->itemWidth), height = static_cast<int>(measure->itemHeight);
      if (item->OnMeasureItem)
        item->OnMeasureItem(item, dc.Get(), width, height);
      else
        DefaultMeasureMenuItem(*item, dc.Get(), width, height);
      measure->itemWidth = static_cast<UINT>(std::max(width, 0));
      measure->itemHeight = static_cast<UINT>(std::max(height, 0));
      Message.Result = TRUE;
      return;
    }
  } else if (Message.Msg == WM_DRAWITEM) {
    DRAWITEMSTRUCT* draw = TWMDrawItem(Message).DrawItemStruct;
    TMenuItem* item = draw->CtlType == ODT_MENU ? Items()->FindCommand(Menu.CommandOf(draw->itemID)) : nullptr;
    if (item && item->OwnerDrawn()) {
      const TRect rect = ToTRect(draw->rcItem);
      TOwnerDrawState state = OwnerDrawStateOf(draw->itemState);
      if (draw->itemState & ODS_INACTIVE) state |= odInactive;
      if (item->OnAdvancedDrawItem)
        item->OnAdvancedDrawItem(item, draw->hDC, rect, state);
      else if (item->OnDrawItem)
        item->OnDrawItem(item, draw->hDC, rect, draw->itemState);
      else
        DefaultDrawMenuItem(*item, draw->hDC, rect, state);
      Message.Result = TRUE;
      return;
    }
  } else if (Message.Msg == WM_MENUCHAR) {
    // The system leaves mnemonics of owner-drawn items to the owner: the
    // item of this menu level whose caption has the key as accelerator.
    const HMENU level = reinterpret_cast<HMENU>(Message.LParam);
    const WORD key = LOWORD(Message.WParam);
    const int count = GetMenuItemCount(level);
    for (int i = 0; i < count; ++i) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_ID;
      if (!GetMenuItemInfoW(level, static_cast<UINT>(i), TRUE, &info)) continue;
      TMenuItem* item = Items()->FindCommand(Menu.CommandOf(info.wID));
      if (item && item->Enabled() && IsAccel(key, item->Caption())) {
        Message.Result = MAKELRESULT(i, MNC_EXECUTE);
        return;
      }
    }
  }
  Message.Result = DefWindowProcW(Window, Message.Msg, Message.WParam, Message.LParam);
}

// ---- The plain look of owner-drawn items --------------------------------------------

namespace {

TGdiFont MenuFont(bool Bold) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  if (Bold) metrics.lfMenuFont.lfWeight = FW_BOLD;
  return TGdiFont(CreateFontIndirectW(&metrics.lfMenuFont));
}

constexpr int TextGap = 4;

}  // namespace

void DefaultMeasureMenuItem(TMenuItem& Item, HDC DC, int& Width, int& Height) {
  if (Item.IsLine()) {
    Width = 10;
    Height = 7;
    return;
  }
  TGdiFont font = MenuFont(Item.Default());
  TSelectObject select(DC, font.Get());
  RECT r{0, 0, 0, 0};
  DrawTextW(DC, Item.Caption().c_str(), static_cast<int>(Item.Caption().size()), &r, DT_CALCRECT | DT_SINGLELINE);
  int w = r.right - r.left;
  const std::wstring shortcut = Item.ShortCutText();
  if (!shortcut.empty()) {
    RECT s{0, 0, 0, 0};
    DrawTextW(DC, shortcut.c_str(), static_cast<int>(shortcut.size()), &s, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    w += 3 * TextGap + s.right - s.left;
  }
  Width = GetSystemMetrics(SM_CXMENUCHECK) + 2 * TextGap + w;
  Height = std::max<int>(r.bottom - r.top + 2 * TextGap, GetSystemMetrics(SM_CYMENUCHECK));
}

void DefaultDrawMenuItem(TMenuItem& Item, HDC DC, const TRect& Rect, TOwnerDrawState State) {
  const bool selected = (State & odSelected) && Item.Enabled() && !Item.IsLine();
  RECT r = ToRECT(Rect);
  FillRect(DC, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (Item.IsLine()) {
    RECT line{r.left + 2, (r.top + r.bottom) / 2 - 1, r.right - 2, (r.top + r.bottom) / 2 + 1};
    DrawEdge(DC, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  TSaveDC saved(DC);
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, GetSysColor(!Item.Enabled() ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  const int check = GetSystemMetrics(SM_CXMENUCHECK);
  if (Item.Checked()) {
    // The check glyph is a mask: text colour where it is black.
    RECT glyph{r.left + 1, r.top + (r.bottom - r.top - check) / 2, r.left + 1 + check,
               r.top + (r.bottom - r.top - check) / 2 + check};
    const wchar_t mark = Item.RadioItem() ? L'\x25CF' : L'\x2713';
    DrawTextW(DC, &mark, 1, &glyph, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  TGdiFont font = MenuFont(Item.Default());
  TSelectObject select(DC, font.Get());
  RECT text{r.left + check + TextGap, r.top, r.right - TextGap, r.bottom};
  DrawTextW(DC, Item.Caption().c_str(), static_cast<int>(Item.Caption().size()), &text,
            DT_SINGLELINE | DT_VCENTER | ((State & odNoAccel) ? DT_HIDEPREFIX : 0));
  const std::wstring shortcut = Item.ShortCutText();
  if (!shortcut.empty())
    DrawTextW(DC, shortcut.c_str(), static_cast<int>(shortcut.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
}

// ---- Context menu -------------------------------------------------------------------

// The menu of the graphic child under the mouse, else this control's; from
// the keyboard (-1, -1) it opens at the control's top-left corner. Without
// a menu the default handling passes the message to the parent window.
void TWinControl::WMContextMenu(TWMContextMenu& Message) {
  TPoint pos = Message.Pos;
  const bool keyboard = pos.X == -1 && pos.Y == -1;
  TControl* target = this;
  if (!keyboard)
    if (TControl* child = ControlAtPos(ScreenToClient(pos), false); child && child->PopupMenu()) target = child;
  TPopupMenu* menu = target->PopupMenu();
  if (!menu) {
    DefaultHandler(Message.Raw);
    return;
  }
  if (keyboard) pos = target->ClientToScreen(TPoint{0, 0});
  Message.Result = 1;
  menu->SetPopupComponent(target);
  // The menu or this control may be freed by an OnClick: nothing follows.
  menu->Popup(pos.X, pos.Y);
}
