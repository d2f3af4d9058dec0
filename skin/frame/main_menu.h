// The title-bar main menu of a skinned form: each visible top-level item of
// an attached TMainMenu becomes a title-bar button (TVelSkinNCMenuItem) that
// opens a copy of the item's sub-menu as a popup, and the popups follow the
// mouse from one title-bar button to the next. A replacement of the popup
// list (TPopupListEx) tells the skin form when a popup closes.
#pragma once

#include <memory>
#include <vector>

#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/resources/skin_image.h"
#include "toolkit/win/menus.h"

class TVelSkinMenu;
class TVelSkinForm;
class TVelSkinNCMenuItem;

// One visible top-level item of the main menu.
struct TVelMainMenuData {
  std::wstring Caption;
  // Copies of the item's children, made anew each time it pops up.
  std::unique_ptr<TPopupMenu> PopupMenu;
  TVelSkinNCMenuItem* NCMenuItem = nullptr;
  bool Enabled = true;
  TNotifyEvent OnClick;
  // The source item, as its command: looked up again whenever it is needed.
  UINT Source = 0;
};

// Forwards the popup's closing and its menu loop to the skinned form whose
// title-bar menu is open (else the active form) before the usual handling.
class TPopupListEx : public TPopupList {
protected:
  void WndProc(TMessage& Message) override;
};

class TVelSkinMainMenu : public TPersistent {
public:
  explicit TVelSkinMainMenu(TCustomForm* Form, TVelSkinForm* SkinForm = nullptr);
  ~TVelSkinMainMenu() override;

  TMainMenu* MainMenu() const { return FMainMenu; }
  // Attaching a menu (outside design time) installs the popup-list replacement.
  void SetMainMenu(TMainMenu* Value);
  TVelSkinMenu* MenuSkin() const { return FMenuSkin; }
  void SetMenuSkin(TVelSkinMenu* Value);
  TFont& Font() { return *FFont; }
  void SetFont(const TFont& Value) { FFont->Assign(const_cast<TFont*>(&Value)); }
  TNCCtrlPos& Pos() { return *FPos; }
  TPngPictures& Pictures() { return *FPictures; }
  void SetPictures(TPngPictures& Value);
  TColor HotColor() const { return FHotColor; }
  void SetHotColor(TColor Value) { FHotColor = Value; }
  TColor PressColor() const { return FPressColor; }
  void SetPressColor(TColor Value) { FPressColor = Value; }
  int32_t Space() const { return FSpace; }
  void SetSpace(int32_t Value);

  const std::vector<std::unique_ptr<TVelMainMenuData>>& MenuList() const { return FList; }
  bool Done() const { return FDone; }
  TVelSkinNCMenuItem* FocusMenu() const { return FLastFocusMenu; }
  void SetFocusMenu(TVelSkinNCMenuItem* Value) { FLastFocusMenu = Value; }
  TVelSkinNCMenuItem* NextFocusMenu() const { return FNextFocusMenu; }
  void SetNextFocusMenu(TVelSkinNCMenuItem* Value) { FNextFocusMenu = Value; }
  TVelSkinForm* VelSkinForm() const { return FVelSkinForm; }
  TCustomForm* Form() const { return FForm; }

  // Builds the title-bar items from the attached menu: the old ones go.
  void Build();
  // The items are built again on the next non-client paint.
  void Reset() { FDone = false; }
  void Refresh();

  // Called by the skin form: builds when not done (non-client paint).
  void BuildItems() {
    if (!FDone) Build();
  }
  // With Alt held (KeyData bit 29), the title-bar item whose caption has Key
  // as its accelerator opens its popup; true when one did.
  bool ClickAccelerator(WPARAM Key, LPARAM KeyData);
  // A shortcut of the main menu's items; true when one ran.
  bool ClickShortCut(WORD Key, TShiftState Shift);
  // After a popup closed: releases the item that was down; true when another is to open.
  bool MenuClosed();
  // Opens the item recorded to open next.
  void ClickNext();

  // Around a title-bar popup: the items are not rebuilt while one is open.
  void BeginPopup() { ++FPopupDepth; }
  void EndPopup();

  // Fills Popup with copies of the children of Source (the popup's items go first).
  void CopyItems(TMenuItem* Source, TMenuItem* Target);
  // The main menu's item behind a command, while it is in the menu.
  TMenuItem* SourceItem(UINT Command) const;

protected:
  std::string ClassName() const override { return "TVelSkinMainMenu"; }

private:
  void RemoveItems();
  void InstallPopupList();
  void ReleasePopupList();

  TMainMenu* FMainMenu = nullptr;
  std::vector<std::unique_ptr<TVelMainMenuData>> FList;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TNCCtrlPos> FPos;
  std::unique_ptr<TPngPictures> FPictures;
  TVelSkinMenu* FMenuSkin = nullptr;
  bool FDone = false;
  TColor FHotColor = 11463932;
  TColor FPressColor = 8184058;
  TVelSkinNCMenuItem* FLastFocusMenu = nullptr;
  TVelSkinNCMenuItem* FNextFocusMenu = nullptr;
  bool FHooked = false;
  TVelSkinForm* FVelSkinForm = nullptr;
  int32_t FSpace = 8;
  TCustomForm* FForm = nullptr;
  int FChangeHook = 0;
  int FPopupDepth = 0;
};

// A title-bar button for one top-level item of the main menu.
class TVelSkinNCMenuItem : public TVelSkinNCButton {
public:
  TVelSkinNCMenuItem(TComponent* AOwner, TVelMainMenuData* MenuData, TVelSkinMainMenu* MainMenu);
  ~TVelSkinNCMenuItem() override;

  int32_t Width() const override { return FPos->DisplayWidth(); }
  int32_t Height() const override { return FPos->DisplayHeight(); }
  void TimerTick() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void Click() override;
  void LMouseDown() override;
  // The popup keeps the item down while it is open: a release only clicks.
  void LMouseUp() override;
  void Paint(TBitmap32* Bitmap) override;
  // The hover timer does the work instead.
  void NCMouseMove(TPoint) override {}

  TVelSkinMainMenu* VelSkinMainMenu() const { return FVelSkinMainMenu; }
  TVelMainMenuData* MenuData() const { return FMenuData; }
  int32_t ClickCount() const { return FClickCount; }
  void SetClickCount(int32_t Value) { FClickCount = Value; }
  // Forgets the main menu and its record (they are going).
  void Detach();

protected:
  std::string ClassName() const override { return "TVelSkinNCMenuItem"; }

private:
  TVelMainMenuData* FMenuData;
  TVelSkinMainMenu* FVelSkinMainMenu;
  int32_t FClickCount = 0;
  // Cleared when this item is freed: a popup or a click event may free it.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
