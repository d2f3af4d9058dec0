// The game's main window: the board, the colour buttons, the two choosers,
// the start button and the read-outs. The rules live in game/rules.h; this
// class turns clicks into rule calls and the board into pixels.
#pragma once

#include "game/rules.h"
#include "skin/controls/buttons.h"
#include "skin/controls/combo_box.h"
#include "skin/controls/group_box.h"
#include "skin/controls/labels.h"
#include "skin/controls/panels.h"
#include "skin/controls/toolbar.h"
#include "skin/frame/main_menu.h"
#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "toolkit/win/stdctrls.h"

#include <memory>
#include <string>
#include <vector>

class Tmainwin : public TForm {
public:
  explicit Tmainwin(TComponent* AOwner);

  TVelSkinForm* VelSkinForm1;
  TVelSkinSystemButton* VelSkinSystemButton2;
  TVelSkinSystemButton* VelSkinSystemButton1;
  TVelSkinNCLabel* VelSkinNCLabel1;
  TVelSkinToolbar* VelSkinToolbar1;
  TVelSkinPanel* GamePanel;
  TVelSkinPanel* VelSkinPanel2;
  TVelSkinPanel* VelSkinPanel3;
  TPaintBox* Gamefield;
  TVelSkinButton* StartGame;
  TVelSkinLabel* VelSkinLabel1;
  TVelSkinComboBox* ChooseSize;
  TVelSkinLabel* VelSkinLabel2;
  TVelSkinComboBox* ChooseColors;
  TVelSkinLabel* MoveNum;
  TVelSkinLabel* VelSkinLabel7;
  TVelSkinLabel* VelSkinLabel3;
  TVelSkinLabel* NeedTime;
  TVelSkinLabel* VelSkinLabel5;
  TVelSkinGroupBox* VelSkinGroupBox1;
  TPanel* ColPanel1;
  TPanel* ColPanel2;
  TPanel* ColPanel3;
  TPanel* ColPanel6;
  TPanel* ColPanel5;
  TPanel* ColPanel4;
  TPanel* ColPanel7;
  TPanel* ColPanel8;
  TTimer* OverallTimer;

  void FormCreate(TObject* Sender);
  void StartGameClick(TObject* Sender);
  void ColPanel1Click(TObject* Sender);
  void GamefieldPaint(TObject* Sender);
  void OverallTimerTimer(TObject* Sender);

private:
  friend class TmainwinTestProbe;

  void FloodFromCorner(int32_t NewColor);
  void CheckFinished();

  int64_t StartTime = -1;
  int64_t Moves = 0;
  int32_t XSize = 0;
  int32_t YSize = 0;
  int32_t NumColors = 0;
  std::wstring SizeName;
  TBoard platform;
  std::vector<TColor> Colors;
  std::vector<TPanel*> ColorBtn;
  // Seeded once, when the window is created.
  std::unique_ptr<TGameRandom> FRandom;
};
