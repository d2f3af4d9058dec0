// The game's main window: the board, the colour buttons, the two choosers,
// the start button and the read-outs. The rules live in game/rules.h; this
// class turns clicks into rule calls and the board into pixels.
#pragma once

#include "game/board_view.h"
#include "game/history.h"
#include "game/rules.h"
#include "game/solver.h"
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
#include <mutex>
#include <string>
#include <vector>

// Posted by the solver's worker thread when it has new figures (WParam: the
// game they belong to).
constexpr UINT WM_SOLVERPROGRESS = WM_APP + 1;

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
  TGameBoard* Gamefield;
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

protected:
  void CMDialogKey(TWMKey& Message) override;
  void Dispatch(TMessage& Message) override;
  void WMDestroy(TWMBase& Message) override;

private:
  friend class TmainwinTestProbe;

  void FloodFromCorner(int32_t NewColor);
  void CheckFinished();

  // Keyboard play (mainwin_keys.cpp): the keys of the game when no text
  // field has the focus. True when the key was used.
  bool GameKey(WORD Key, TShiftState Shift, bool Repeat);
  bool TextFieldFocused() const;
  void UndoMove();
  void RedoMove();
  void SetGlyphs(bool Value);
  void MoveCursor(int DX, int DY);
  void ShowMoveCount();
  // Each cell's glyph, and the keyboard cursor's frame, over the painted cells.
  void PaintGlyphs(TCanvas& Canvas, int CellWidth, int CellHeight);
  void PaintCursor(TCanvas& Canvas, int CellWidth, int CellHeight);
  // What a screen reader reads of the board.
  std::wstring BoardDescription() const;
  std::wstring CursorDescription() const;

  // The solver (mainwin_solver.cpp): started for each dealt board, stopped
  // by a new game, a win and the window's end; its figures become the hint
  // of the move read-out.
  void StartSolver();
  void StopSolver();
  void SolverProgressed(WPARAM Game);
  void UpdateMoveHint();

  // What the worker thread hands over: the newest figures of one game.
  struct TSolverMailbox {
    std::mutex Lock;
    uint32_t Game = 0;
    TSolverProgress Progress;
  };

  int64_t StartTime = -1;
  int64_t Moves = 0;
  int32_t XSize = 0;
  int32_t YSize = 0;
  int32_t NumColors = 0;
  std::wstring SizeName;
  TBoard platform;
  std::vector<TColor> Colors;
  std::vector<TPanel*> ColorBtn;
  TMoveHistory FHistory;
  bool FGlyphs = false;
  // The board's keyboard cursor (cell column and row), drawn once an arrow key moved it.
  int32_t FCursorX = 0, FCursorY = 0;
  bool FCursorShown = false;
  // The figures of the current game's solver; the player's count at the win.
  uint32_t FGame = 0;
  bool FHaveProgress = false;
  TSolverProgress FProgress;
  int64_t FWonMoves = -1;
  std::shared_ptr<TSolverMailbox> FMailbox = std::make_shared<TSolverMailbox>();
  std::unique_ptr<TSolverWorker> FSolver;
  // Seeded once, when the window is created.
  std::unique_ptr<TGameRandom> FRandom;
};
