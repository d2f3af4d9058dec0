// Menus: the item model (TMenuItem, TMenu, TMainMenu), shortcuts, the popup
// menu that builds a native menu from the model for each popup, and the
// process-wide popup list whose window owns every native popup while it is
// shown. The model knows nothing of the native menu; a skinned menu draws the
// items itself through the measure and draw events, which make the native
// item owner-drawn.
#pragma once

#include "toolkit/win/controls.h"
#include "toolkit/win/imagelist.h"
#include "toolkit/win/imaging.h"
#include "toolkit/win/listbox.h"
#include "toolkit/win/utilwindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// ---- Shortcuts -------------------------------------------------------------------------

// A virtual key in the low byte with modifier bits: 0 is none.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(WORD Key, TShiftState Shift);
// "Ctrl+N", "Shift+Ctrl+F5", "Del"; empty for scNone or a key without a name.
std::wstring ShortCutToText(TShortCut Value);
// The reverse of ShortCutToText, case-insensitive; scNone for text it cannot read.
TShortCut TextToShortCut(const std::wstring& Text);

// The state of an owner-drawn menu item beyond a list row's: the menu is not active.
constexpr TOwnerDrawState odInactive = 1u << 10;

class TMenu;
class TMenuItem;
using TMenuMeasureItemEvent = std::function<void(TMenuItem* Sender, HDC DC, int& Width, int& Height)>;
using TMenuDrawItemEvent = std::function<void(TMenuItem* Sender, HDC DC, const TRect& Rect, UINT State)>;
// The item's state as owner-draw flags (odSelected, odChecked, odHotLight, odInactive, ...).
using TAdvancedMenuDrawItemEvent =
    std::function<void(TMenuItem* Sender, HDC DC, const TRect& Rect, TOwnerDrawState State)>;

// Told when an item joins a menu tree (opInsert: Item with everything below
// it) and when one leaves it or is freed (opRemove, once for each item
// concerned, the deepest first). Menu is the menu of the tree, nullptr for
// items outside any menu. A menu itself reports its creation and its end
// with Item nullptr.
using TMenuChangeHook = std::function<void(TMenu* Menu, TMenuItem* Item, TOperation Operation)>;
int AddMenuChangeHook(TMenuChangeHook Hook);
void RemoveMenuChangeHook(int Id);

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
  // Checking a radio item unchecks the other radio items of its group among its siblings.
  void SetChecked(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  // Shown in bold; at most one per menu level is honoured (the first).
  bool Default() const { return FDefault; }
  void SetDefault(bool Value) { FDefault = Value; }
  // A radio item shows a dot when checked and is exclusive in its group.
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  uint8_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(uint8_t Value);
  // A click checks the item (a radio item) or toggles its check first.
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value) { FShortCut = Value; }
  std::wstring ShortCutText() const { return ShortCutToText(FShortCut); }
  // Index into the menu's Images; -1 for none.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value) { FImageIndex = Value; }
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& Value) { FHint = Value; }
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }
  // A picture shown beside the caption when the item has no image; created on first use.
  TBitmap& Bitmap();
  bool HasBitmap() const { return FBitmap && !FBitmap->Empty(); }
  void SetBitmap(TBitmap* Value);

  // Sub-items, owned by this item.
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;
  // Takes ownership of Item (from its owner component too). Adding an item
  // that already has a parent, or this item or one of its parents, fails.
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Frees the sub-item at Index.
  void Delete(int Index);
  // Takes Item out without freeing it: the caller owns it then.
  void Remove(TMenuItem* Item);
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  TMenuItem* Parent() const { return FParent; }
  // The menu whose tree this item is in, or nullptr.
  TMenu* GetParentMenu() const;
  // The first and the last visible item among the siblings (this one included).
  bool IsFirstVisible() const;
  bool IsLastVisible() const;

  // Checks (AutoCheck) and fires OnClick, for an enabled item.
  virtual void Click();

  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnDrawItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
  // The native item is owner-drawn: an event or the menu asks for it.
  bool OwnerDrawn() const;

  // Identifies the item in a native menu while it lives; never reused.
  UINT Command() const { return FCommand; }
  // This item or one below it with that command, or nullptr.
  TMenuItem* FindCommand(UINT Command);
  // An enabled, visible item at or below this one with that shortcut.
  TMenuItem* FindShortCut(TShortCut Value);

protected:
  std::string ClassName() const override { return "TMenuItem"; }

private:
  friend class TMenu;
  void CheckInsert(TMenuItem* Item) const;
  void UncheckGroup();
  void Detach(TMenuItem* Item);
  // opRemove for this item and those below it, the deepest first; each is
  // then not reported again when freed.
  void ReportRemoved(TMenu* Menu);
  void ReportInserted();
  std::wstring FCaption;
  bool FEnabled = true;
  bool FChecked = false;
  bool FVisible = true;
  bool FDefault = false;
  bool FRadioItem = false;
  uint8_t FGroupIndex = 0;
  bool FAutoCheck = false;
  TShortCut FShortCut = scNone;
  int FImageIndex = -1;
  std::wstring FHint;
  int FHelpContext = 0;
  std::unique_ptr<TBitmap> FBitmap;
  bool FRemoveReported = false;
  TMenuItem* FParent = nullptr;
  // Set on a menu's root item.
  TMenu* FMenu = nullptr;
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

enum TMenuAutoFlag { maAutomatic, maManual, maParent };

class TMenu : public TComponent {
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  // The root item: its sub-items are the menu's items.
  TMenuItem* Items() const { return FItems.get(); }
  // Images for the items' ImageIndex (not owned; forgotten when freed).
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // Every item is owner-drawn, with a plain default look unless an event draws it.
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value) { FOwnerDraw = Value; }
  TMenuAutoFlag AutoHotkeys() const { return FAutoHotkeys; }
  void SetAutoHotkeys(TMenuAutoFlag Value) { FAutoHotkeys = Value; }
  TMenuAutoFlag AutoLineReduction() const { return FAutoLineReduction; }
  void SetAutoLineReduction(TMenuAutoFlag Value) { FAutoLineReduction = Value; }
  // Clicks the enabled, visible item with that shortcut; true when there was one.
  bool IsShortCut(WORD Key, TShiftState Shift);

protected:
  std::string ClassName() const override { return "TMenu"; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  std::unique_ptr<TMenuItem> FItems;
  TCustomImageList* FImages = nullptr;
  bool FOwnerDraw = false;
  TMenuAutoFlag FAutoHotkeys = maAutomatic;
  TMenuAutoFlag FAutoLineReduction = maAutomatic;
};

// A form's menu: its top-level items are the menu bar's. A skinned form shows
// them as title-bar buttons.
class TMainMenu : public TMenu {
public:
  using TMenu::TMenu;

protected:
  std::string ClassName() const override { return "TMainMenu"; }
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu;

// The window that owns every native popup menu while it is shown and hears
// its messages. One list serves the process; a replacement (SetPopupList)
// may hear the messages first, as the skin does to learn that a menu closed.
class TPopupList {
public:
  TPopupList();
  virtual ~TPopupList();
  TPopupList(const TPopupList&) = delete;
  TPopupList& operator=(const TPopupList&) = delete;

  // Created on first use.
  HWND Window();
  // The popup menus shown now, the innermost last; a freed one is left out.
  int Count() const;
  TPopupMenu* Items(int Index) const;
  // Takes over the menus Source is showing, for a list that replaces it.
  void Assign(const TPopupList& Source);

protected:
  // Every message of the window. The base gives measuring and drawing of
  // owner-drawn items to the innermost shown menu and the rest to the
  // default window procedure.
  virtual void WndProc(TMessage& Message);

private:
  friend class TPopupMenu;
  struct TShown {
    TPopupMenu* Menu;
    const TNativeMenu* Native;
    std::shared_ptr<bool> Alive;
  };
  void Push(TPopupMenu* Menu, const TNativeMenu* Native, std::shared_ptr<bool> Alive);
  void Pop(const TNativeMenu* Native);
  std::vector<TShown> FShown;
  std::unique_ptr<TUtilWindow> FWindow;
};

// The list in use (created on first use).
std::shared_ptr<TPopupList> PopupList();
// Puts List in place (nullptr: a fresh default list) and returns the one it
// replaces. A menu shown now keeps the list it was shown with until it closes.
std::shared_ptr<TPopupList> SetPopupList(std::shared_ptr<TPopupList> List);

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
  std::string ClassName() const override { return "TPopupMenu"; }
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoPopup();
  // Messages of the popup list's window while this menu is the innermost
  // one shown. Owner-drawn items are measured and drawn here.
  virtual void MenuWndProc(HWND Window, const TNativeMenu& Menu, TMessage& Message);

private:
  friend class TPopupList;
  TPopupAlignment FAlignment = paLeft;
  TComponent* FPopupComponent = nullptr;
  TPoint FPopupPoint{0, 0};
  // Cleared when the menu is freed; a popup that outlives it checks it.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// The plain look of an owner-drawn item without draw events: menu colours,
// caption and shortcut, a check mark. The default measure gives the size for it.
void DefaultMeasureMenuItem(TMenuItem& Item, HDC DC, int& Width, int& Height);
void DefaultDrawMenuItem(TMenuItem& Item, HDC DC, const TRect& Rect, TOwnerDrawState State);
