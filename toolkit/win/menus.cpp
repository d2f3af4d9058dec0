// The menu item model, the native menu built from it, the popup menu, and a
// control's context menu.
#include "toolkit/win/menus.h"

#include "toolkit/core/scope.h"
#include "toolkit/win/application.h"
#include "toolkit/win/utilwindow.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<long> NativeMenus{0};
UINT NextCommand = 1;

bool HasVisibleItems(const TMenuItem& Item) {
  for (int i = 0; i < Item.Count(); ++i)
    if (Item.Items(i)->Visible()) return true;
  return false;
}

}  // namespace

long LiveNativeMenus() noexcept { return NativeMenus.load(); }

// ---- TMenuItem ----------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(NextCommand++) {
  if (NextCommand == 0) NextCommand = 1;
}

TMenuItem::~TMenuItem() {
  Clear();
  if (FParent) {
    // Freed by someone else while still a sub-item: the parent lets go of it.
    auto& list = FParent->FItems;
    for (auto it = list.begin(); it != list.end(); ++it)
      if (it->get() == this) {
        it->release();
        list.erase(it);
        break;
      }
  }
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[Index].get();
}

void TMenuItem::CheckInsert(TMenuItem* Item) const {
  if (!Item) throw EInvalidOperation("Menu item is nil");
  if (Item->FParent) throw EInvalidOperation("Menu inserted twice");
  for (const TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EInvalidOperation("A menu item cannot contain itself");
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  CheckInsert(Item);
  if (Index < 0 || Index > Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  FItems.insert(FItems.begin() + Index, std::unique_ptr<TMenuItem>(Item));
  // One owner only: the parent item.
  if (TComponent* owner = Item->Owner()) owner->RemoveComponent(Item);
  Item->FParent = this;
}

void TMenuItem::Delete(int Index) {
  Items(Index);  // range check
  std::unique_ptr<TMenuItem> item = std::move(FItems[Index]);
  FItems.erase(FItems.begin() + Index);
  item->FParent = nullptr;
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[i].get() == Item) return i;
  return -1;
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FindCommand(UINT Command) {
  if (Command == 0) return nullptr;
  if (Command == FCommand) return this;
  for (auto& item : FItems)
    if (TMenuItem* found = item->FindCommand(Command)) return found;
  return nullptr;
}

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
    const TMenuItem& item = *Parent.Items(i);
    if (!item.Visible()) continue;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    std::wstring caption = item.Caption();
    if (item.IsLine()) {
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_SEPARATOR;
    } else {
      FCommands.push_back(item.Command());
      info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
      info.fType = item.OnMeasureItem || item.OnDrawItem ? MFT_OWNERDRAW : MFT_STRING;
      info.wID = static_cast<UINT>(FCommands.size());
      if (!item.Enabled()) info.fState |= MFS_GRAYED;
      if (item.Checked()) info.fState |= MFS_CHECKED;
      if (item.Default() && !defaultSet) {
        info.fState |= MFS_DEFAULT;
        defaultSet = true;
      }
      info.dwTypeData = caption.data();
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

// ---- TMenu / TPopupMenu -------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>()) {}
TMenu::~TMenu() = default;

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
  HWND ownerWindow = nullptr;
  // Owns the native menu while it is shown and hears its messages.
  TUtilWindow owner([this, alive, &menu, &ownerWindow](TMessage& Message) {
    if (*alive)
      MenuWndProc(ownerWindow, menu, Message);
    else
      Message.Result = DefWindowProcW(ownerWindow, Message.Msg, Message.WParam, Message.LParam);
  });
  ownerWindow = owner.Handle();
  UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_TOPALIGN;
  flags |= FAlignment == paRight ? TPM_RIGHTALIGN : FAlignment == paCenter ? TPM_CENTERALIGN : TPM_LEFTALIGN;
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(menu.Handle(), flags, X, Y, owner.Handle(), nullptr));
  if (!*alive) return;
  if (TMenuItem* item = Items()->FindCommand(menu.CommandOf(chosen))) item->Click();
}

void TPopupMenu::MenuWndProc(HWND Window, const TNativeMenu& Menu, TMessage& Message) {
  if (Message.Msg == WM_MEASUREITEM) {
    MEASUREITEMSTRUCT* measure = TWMMeasureItem(Message).MeasureItemStruct;
    TMenuItem* item = measure->CtlType == ODT_MENU ? Items()->FindCommand(Menu.CommandOf(measure->itemID)) : nullptr;
    if (item && item->OnMeasureItem) {
      TWindowDC dc(nullptr);
      int width = static_cast<int>(measure->itemWidth), height = static_cast<int>(measure->itemHeight);
      item->OnMeasureItem(item, dc.Get(), width, height);
      measure->itemWidth = static_cast<UINT>(std::max(width, 0));
      measure->itemHeight = static_cast<UINT>(std::max(height, 0));
      Message.Result = TRUE;
      return;
    }
  } else if (Message.Msg == WM_DRAWITEM) {
    DRAWITEMSTRUCT* draw = TWMDrawItem(Message).DrawItemStruct;
    TMenuItem* item = draw->CtlType == ODT_MENU ? Items()->FindCommand(Menu.CommandOf(draw->itemID)) : nullptr;
    if (item && item->OnDrawItem) {
      item->OnDrawItem(item, draw->hDC, ToTRect(draw->rcItem), draw->itemState);
      Message.Result = TRUE;
      return;
    }
  }
  Message.Result = DefWindowProcW(Window, Message.Msg, Message.WParam, Message.LParam);
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
