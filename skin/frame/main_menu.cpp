#include "skin/frame/main_menu.h"

TVelSkinMainMenu::TVelSkinMainMenu(TCustomForm* Form)
    : FFont(std::make_unique<TFont>()),
      FPos(std::make_unique<TNCCtrlPos>(Form)),
      FPictures(std::make_unique<TPngPictures>()) {
  FPos->SetAlign(caLeft);
  FPos->SetXValue(5);
  FPos->SetYValue(5);
  FPictures->SetImage(L"VelSkinFlatBtn");
  FPictures->SetCount(3);
  FPictures->SetNormal(0);
  FPictures->SetHot(1);
  FPictures->SetPressed(2);
  FPictures->SetActive(true);
}

TVelSkinMainMenu::~TVelSkinMainMenu() = default;
