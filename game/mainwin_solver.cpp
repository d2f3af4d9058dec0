// The solver behind the move read-out's hint. It runs on a worker thread for
// each dealt board; the thread only stores its newest figures and posts a
// note to the window, which reads them on its own thread.
#include "game/mainwin.h"

#include <algorithm>

void Tmainwin::StartSolver() {
  StopSolver();
  FHaveProgress = false;
  FProgress = {};
  const uint32_t game = ++FGame;
  HWND window = Handle();
  std::shared_ptr<TSolverMailbox> mailbox = FMailbox;
  auto report = [mailbox, game, window, lowered = false](const TSolverProgress& Progress) mutable {
    // The search takes what the window leaves: its thread yields to the one
    // that paints.
    if (!lowered) lowered = SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL) != 0;
    {
      const std::lock_guard<std::mutex> lock(mailbox->Lock);
      mailbox->Game = game;
      mailbox->Progress = Progress;
    }
    PostMessageW(window, WM_SOLVERPROGRESS, game, 0);
  };
  FSolver = std::make_unique<TSolverWorker>(platform, XSize, YSize, NumColors, std::move(report));
  UpdateMoveHint();
}

// Cancelling returns at once; the join waits for the search to notice, a
// few milliseconds at most. Figures already posted for this game still count.
void Tmainwin::StopSolver() { FSolver.reset(); }

void Tmainwin::SolverProgressed(WPARAM Game) {
  if (Game != FGame) return;
  {
    const std::lock_guard<std::mutex> lock(FMailbox->Lock);
    if (FMailbox->Game != FGame) return;
    FProgress = FMailbox->Progress;
  }
  FHaveProgress = true;
  UpdateMoveHint();
}

void Tmainwin::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_SOLVERPROGRESS) {
    SolverProgressed(Message.WParam);
    return;
  }
  TForm::Dispatch(Message);
}

void Tmainwin::WMDestroy(TWMBase& Message) {
  StopSolver();
  TForm::WMDestroy(Message);
}

// During a game: how many moves are still needed at least from the board as
// it stands, and the par of the dealt board. A proven bound B for the dealt
// board leaves at least B - Moves for any position reached in Moves moves.
// After a win: the player's count beside the par.
void Tmainwin::UpdateMoveHint() {
  std::wstring hint;
  const std::wstring par =
      !FHaveProgress ? std::wstring()
                     : (FProgress.Optimal ? L"optimal: " : L"best found: ") + std::to_wstring(FProgress.Best.size());
  if (XSize > 0) {
    int64_t atLeast = SolverLowerBound(platform, XSize, YSize, NumColors);
    if (FHaveProgress) atLeast = std::max<int64_t>(atLeast, FProgress.LowerBound - Moves);
    hint = L"at least " + std::to_wstring(atLeast) + L" more";
    if (!par.empty()) hint += L", " + par;
  } else if (FWonMoves >= 0) {
    hint = L"your moves: " + std::to_wstring(FWonMoves);
    if (!par.empty()) hint += L", " + par;
  }
  VelSkinLabel3->SetHint(hint);
  MoveNum->SetHint(hint);
}
