// The title-bar main menu's settings, kept by the skin form. The items built
// from an attached menu come with the skinned menus; until then no menu can
// be attached and the title bar shows none.
#pragma once

#include <memory>

#include "skin/frame/nc_controls.h"
#include "skin/resources/skin_image.h"
class TMainMenu;
class TVelSkinMenu;

class TVelSkinMainMenu : public TPersistent {
public:
  explicit TVelSkinMainMenu(TCustomForm* Form);
  ~TVelSkinMainMenu() override;

  TMainMenu* MainMenu() const { return FMainMenu; }
  void SetMainMenu(TMainMenu* Value) { FMainMenu = Value; }
  TVelSkinMenu* MenuSkin() const { return FMenuSkin; }
  void SetMenuSkin(TVelSkinMenu* Value) { FMenuSkin = Value; }
  TFont& Font() { return *FFont; }
  TNCCtrlPos& Pos() { return *FPos; }
  TPngPictures& Pictures() { return *FPictures; }
  TColor HotColor() const { return FHotColor; }
  void SetHotColor(TColor Value) { FHotColor = Value; }
  TColor PressColor() const { return FPressColor; }
  void SetPressColor(TColor Value) { FPressColor = Value; }

  // The title-bar items, built from the attached menu when needed.
  void BuildItems() {}
  // A title-bar item whose caption has Key as its accelerator is clicked; true when one was.
  bool ClickAccelerator(WPARAM) { return false; }
  // After a popup closed: releases the item that was down; true when another is to open.
  bool MenuClosed() { return false; }
  // Opens the item recorded to open next.
  void ClickNext() {}

protected:
  std::string ClassName() const override { return "TVelSkinMainMenu"; }

private:
  TMainMenu* FMainMenu = nullptr;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TNCCtrlPos> FPos;
  std::unique_ptr<TPngPictures> FPictures;
  TVelSkinMenu* FMenuSkin = nullptr;
  TColor FHotColor = 11463932;
  TColor FPressColor = 8184058;
};
