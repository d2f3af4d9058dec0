// Menus: the item model (TMenuItem, TMenu) and the popup menu that builds a
// native menu from it for each popup. The model knows nothing of the native
// menu; a skinned menu draws the items itself through OnMeasureItem and
// OnDrawItem, which make the native item owner-drawn.
#pragma once

#include "toolkit/win/controls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TMenuItem;
using TMenuMeasureItemEvent = std::function<void(TMenuItem* Sender, HDC DC, int& Width, int& Height)>;
using TMenuDrawItemEvent = std::function<void(TMenuItem* Sender, HDC DC, const TRect& Rect, UINT State)>;

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* AOwner = nullptr);
  ~TMenuItem() override;

  // "&" marks the accelerator ("&&" is a plain "&"); "-" makes a separator.
  const std::wstring& Caption() const { return FCaption; }
  void SetCaption(const std::wstring& Value) { FCaption = Value; }
  bool IsLine() const { return FCaption == L"-"; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value) { FChecked = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  // Shown in bold; at most one per menu level is honoured (the first).
  bool Default() const { return FDefault; }
  void SetDefault(bool Value) { FDefault = Value; }

  // Sub-items, owned by this item.
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;
  // Takes ownership of Item (from its owner component too). Adding an item
  // that already has a parent, or this item or one of its parents, fails.
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Frees the sub-item at Index.
  void Delete(int Index);
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  TMenuItem* Parent() const { return FParent; }

  // Fires OnClick (for an enabled item).
  virtual void Click();

  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnDrawItem;

  // Identifies the item in a native menu while it lives; never reused.
  UINT Command() const { return FCommand; }
  // This item or one below it with that command, or nullptr.
  TMenuItem* FindCommand(UINT Command);

private:
  void CheckInsert(TMenuItem* Item) const;
  std::wstring FCaption;
  bool FEnabled = true;
  bool FChecked = false;
  bool FVisible = true;
  bool FDefault = false;
  TMenuItem* FParent = nullptr;
  std::vector<std::unique_ptr<TMenuItem>> FItems;
  UINT FCommand;
};

// A native menu built from the visible sub-items of an item: popup menus
// for items with visible sub-items, separators for "-". Destroyed with this
// object.
class TNativeMenu {
public:
  explicit TNativeMenu(const TMenuItem& Root);
  ~TNativeMenu();
  TNativeMenu(const TNativeMenu&) = delete;
  TNativeMenu& operator=(const TNativeMenu&) = delete;
  HMENU Handle() const { return FHandle; }
  bool Empty() const { return GetMenuItemCount(FHandle) <= 0; }
  // The item command behind a native item id (0 for none).
  UINT CommandOf(UINT ItemId) const { return ItemId >= 1 && ItemId <= FCommands.size() ? FCommands[ItemId - 1] : 0; }

private:
  void Build(HMENU Menu, const TMenuItem& Parent);
  HMENU FHandle = nullptr;
  // Sub-menus attached below FHandle, destroyed with it.
  long FSubMenus = 0;
  std::vector<UINT> FCommands;
};

// Native menus alive now (a leak check reads it).
long LiveNativeMenus() noexcept;

class TMenu : public TComponent {
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  // The root item: its sub-items are the menu's items.
  TMenuItem* Items() const { return FItems.get(); }

private:
  std::unique_ptr<TMenuItem> FItems;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  // Shows the menu at (X, Y) in screen coordinates and returns when it has
  // closed, after the chosen item's OnClick. OnPopup comes first and may
  // rebuild the items. Nothing is shown without visible items.
  virtual void Popup(int X, int Y);
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  // The control whose context menu this is, while it pops up for it.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value);
  // Where the last popup was shown.
  TPoint PopupPoint() const { return FPopupPoint; }

  TNotifyEvent OnPopup;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoPopup();
  // Messages of the window that owns the native menu while it is shown.
  // Owner-drawn items are measured and drawn here.
  virtual void MenuWndProc(HWND Window, const TNativeMenu& Menu, TMessage& Message);

private:
  TPopupAlignment FAlignment = paLeft;
  TComponent* FPopupComponent = nullptr;
  TPoint FPopupPoint{0, 0};
  // Cleared when the menu is freed; a popup that outlives it checks it.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
