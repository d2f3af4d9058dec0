// The menu item model, shortcuts and the menus that hold the items.
#include "toolkit/win/menus.h"

#include <algorithm>
#include <cwctype>

namespace {

UINT NextCommand = 1;

std::vector<std::pair<int, TMenuChangeHook>>& ChangeHooks() {
  static std::vector<std::pair<int, TMenuChangeHook>> hooks;
  return hooks;
}
int NextHookId = 1;

void NotifyChange(TMenu* Menu, TMenuItem* Item, TOperation Operation) {
  if (ChangeHooks().empty()) return;
  // A copy: a hook may remove itself.
  const auto hooks = ChangeHooks();
  for (const auto& hook : hooks) hook.second(Menu, Item, Operation);
}


struct TKeyName {
  WORD Key;
  const wchar_t* Name;
};

const TKeyName KeyNames[] = {
    {VK_BACK, L"BkSp"},   {VK_TAB, L"Tab"},     {VK_RETURN, L"Enter"}, {VK_ESCAPE, L"Esc"},   {VK_SPACE, L"Space"},
    {VK_PRIOR, L"PgUp"},  {VK_NEXT, L"PgDn"},   {VK_END, L"End"},      {VK_HOME, L"Home"},    {VK_LEFT, L"Left"},
    {VK_UP, L"Up"},       {VK_RIGHT, L"Right"}, {VK_DOWN, L"Down"},    {VK_INSERT, L"Ins"},   {VK_DELETE, L"Del"},
    {VK_ADD, L"Num +"},   {VK_SUBTRACT, L"Num -"}, {VK_MULTIPLY, L"Num *"}, {VK_DIVIDE, L"Num /"},
};

std::wstring KeyName(WORD Key) {
  if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) return std::wstring(1, static_cast<wchar_t>(Key));
  if (Key >= VK_F1 && Key <= VK_F24) return L"F" + std::to_wstring(Key - VK_F1 + 1);
  if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return L"Num " + std::to_wstring(Key - VK_NUMPAD0);
  for (const TKeyName& k : KeyNames)
    if (k.Key == Key) return k.Name;
  return L"";
}

}  // namespace

// ---- Shortcuts ----------------------------------------------------------------------

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if (Key == 0 || Key > 0xFF) return scNone;
  TShortCut s = Key;
  if (Shift & ssShift) s |= scShift;
  if (Shift & ssCtrl) s |= scCtrl;
  if (Shift & ssAlt) s |= scAlt;
  return s;
}

std::wstring ShortCutToText(TShortCut Value) {
  const std::wstring name = KeyName(Value & 0xFF);
  if (name.empty()) return L"";
  std::wstring text;
  if (Value & scShift) text += L"Shift+";
  if (Value & scCtrl) text += L"Ctrl+";
  if (Value & scAlt) text += L"Alt+";
  return text + name;
}

TShortCut TextToShortCut(const std::wstring& Text) {
  TShortCut mods = 0;
  std::wstring rest = Text;
  // The modifiers in any order; the key's own name may contain "+" ("Num +").
  for (bool more = true; more;) {
    more = false;
    for (auto [prefix, bit] : {std::pair{L"Shift+", scShift}, std::pair{L"Ctrl+", scCtrl}, std::pair{L"Alt+", scAlt}}) {
      const std::wstring p = prefix;
      if (rest.size() > p.size() && SameText(rest.substr(0, p.size()), p)) {
        mods |= bit;
        rest.erase(0, p.size());
        more = true;
      }
    }
  }
  for (WORD key = 1; key <= 0xFF; ++key) {
    const std::wstring name = KeyName(key);
    if (!name.empty() && SameText(name, rest)) return static_cast<TShortCut>(key | mods);
  }
  return scNone;
}

// ---- Change hooks -------------------------------------------------------------------

int AddMenuChangeHook(TMenuChangeHook Hook) {
  const int id = NextHookId++;
  ChangeHooks().emplace_back(id, std::move(Hook));
  return id;
}

void RemoveMenuChangeHook(int Id) {
  auto& hooks = ChangeHooks();
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [Id](const auto& h) { return h.first == Id; }), hooks.end());
}

// ---- TMenuItem ----------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(NextCommand++) {
  if (NextCommand == 0) NextCommand = 1;
}

TMenuItem::~TMenuItem() {
  Clear();
  if (FParent) {
    // Freed by someone else while still a sub-item: the parent lets go of it.
    TMenuItem* parent = FParent;
    auto& list = parent->FItems;
    for (auto it = list.begin(); it != list.end(); ++it)
      if (it->get() == this) {
        it->release();
        list.erase(it);
        break;
      }
    FParent = nullptr;
    if (!FRemoveReported) NotifyChange(parent->GetParentMenu(), this, opRemove);
  } else if (!FRemoveReported) {
    NotifyChange(FMenu, this, opRemove);
  }
}

void TMenuItem::ReportRemoved(TMenu* Menu) {
  if (FRemoveReported) return;
  for (int i = Count() - 1; i >= 0; --i) FItems[i]->ReportRemoved(Menu);
  FRemoveReported = true;
  NotifyChange(Menu, this, opRemove);
}

void TMenuItem::ReportInserted() {
  FRemoveReported = false;
  for (auto& item : FItems) item->ReportInserted();
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[Index].get();
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* p = this;
  while (p->FParent) p = p->FParent;
  return p->FMenu;
}

bool TMenuItem::IsFirstVisible() const {
  if (!FParent) return true;
  for (const auto& item : FParent->FItems)
    if (item->FVisible) return item.get() == this;
  return false;
}

bool TMenuItem::IsLastVisible() const {
  if (!FParent) return true;
  for (auto it = FParent->FItems.rbegin(); it != FParent->FItems.rend(); ++it)
    if ((*it)->FVisible) return it->get() == this;
  return false;
}

void TMenuItem::CheckInsert(TMenuItem* Item) const {
  if (!Item) throw EInvalidOperation("Menu item is nil");
  if (Item->FParent || Item->FMenu) throw EInvalidOperation("Menu inserted twice");
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
  if (Item->FRadioItem && Item->FChecked) Item->UncheckGroup();
  Item->ReportInserted();
  NotifyChange(GetParentMenu(), Item, opInsert);
}

void TMenuItem::Detach(TMenuItem* Item) {
  const int index = IndexOf(Item);
  if (index < 0) throw EListError("List index out of bounds (-1)");
  Item->ReportRemoved(GetParentMenu());
  FItems[index].release();
  FItems.erase(FItems.begin() + index);
  Item->FParent = nullptr;
}

void TMenuItem::Delete(int Index) {
  TMenuItem* item = Items(Index);
  Detach(item);
  delete item;
}

void TMenuItem::Remove(TMenuItem* Item) { Detach(Item); }

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[i].get() == Item) return i;
  return -1;
}

void TMenuItem::UncheckGroup() {
  if (!FParent) return;
  for (auto& item : FParent->FItems)
    if (item.get() != this && item->FRadioItem && item->FGroupIndex == FGroupIndex) item->FChecked = false;
}

void TMenuItem::SetChecked(bool Value) {
  FChecked = Value;
  if (Value && FRadioItem) UncheckGroup();
}

void TMenuItem::SetRadioItem(bool Value) {
  FRadioItem = Value;
  if (Value && FChecked) UncheckGroup();
}

void TMenuItem::SetGroupIndex(uint8_t Value) {
  FGroupIndex = Value;
  if (FRadioItem && FChecked) UncheckGroup();
}

TBitmap& TMenuItem::Bitmap() {
  if (!FBitmap) FBitmap = std::make_unique<TBitmap>();
  return *FBitmap;
}

void TMenuItem::SetBitmap(TBitmap* Value) {
  if (!Value) {
    FBitmap.reset();
    return;
  }
  if (Value != FBitmap.get()) Bitmap().Assign(Value);
}

bool TMenuItem::OwnerDrawn() const {
  if (OnMeasureItem || OnDrawItem || OnAdvancedDrawItem) return true;
  const TMenu* menu = GetParentMenu();
  return menu && menu->OwnerDraw();
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck) SetChecked(FRadioItem ? true : !FChecked);
  if (OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FindCommand(UINT Command) {
  if (Command == 0) return nullptr;
  if (Command == FCommand) return this;
  for (auto& item : FItems)
    if (TMenuItem* found = item->FindCommand(Command)) return found;
  return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut Value) {
  if (Value == scNone || !FVisible || !FEnabled) return nullptr;
  if (FShortCut == Value && !FMenu) return this;
  for (auto& item : FItems)
    if (TMenuItem* found = item->FindShortCut(Value)) return found;
  return nullptr;
}

// ---- TMenu --------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>()) {
  FItems->FMenu = this;
  NotifyChange(this, nullptr, opInsert);
}

TMenu::~TMenu() {
  FItems->Clear();
  FItems->FRemoveReported = true;
  NotifyChange(this, nullptr, opRemove);
  FItems->FMenu = nullptr;
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) RemoveFreeNotification(FImages);
  FImages = Value;
  if (Value) FreeNotification(Value);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

bool TMenu::IsShortCut(WORD Key, TShiftState Shift) {
  TMenuItem* item = FItems->FindShortCut(::ShortCut(Key, Shift));
  if (!item) return false;
  item->Click();
  return true;
}
