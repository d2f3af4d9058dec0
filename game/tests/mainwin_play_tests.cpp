// The game window's keyboard play, undo and redo, glyphs and the solver's
// hint under Windows (Wine).
#include "game/tests/mainwin_test_support.h"

#include <map>
#include <set>

namespace {

// A key as the message loop gets it from the keyboard, at the focused
// window; Repeat marks an auto-repeated press of a held key.
void PostKey(WORD Key, bool Repeat = false) {
  const LPARAM data = 1 | (Repeat ? (LPARAM{1} << 30) : 0);
  PostMessageW(GetFocus(), WM_KEYDOWN, Key, data);
  PostMessageW(GetFocus(), WM_KEYUP, Key, data | (LPARAM{3} << 30));
  Application->ProcessMessages();
}

void RealCtrlKey(WORD Key) {
  SendKey(VK_CONTROL, false);
  TapKey(Key);
  SendKey(VK_CONTROL, true);
  PumpFor(20);
}

// The cells of the window's board whose pixels differ from the cell's own
// colour, as one mask per cell: what is drawn over the cell.
using TMask = std::vector<bool>;
TMask CellMask(const TCapture& Shot, int Left, int Top, int Width, int Height, TColor Background) {
  TMask mask;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) mask.push_back(Shot.Pixel(Left + x, Top + y) != Background);
  return mask;
}

size_t Count(const TMask& Mask) { return static_cast<size_t>(std::count(Mask.begin(), Mask.end(), true)); }

// Waits until the solver's figures arrive (or TimeoutMs passes).
bool WaitForProgress(TmainwinTestProbe& P, DWORD TimeoutMs) {
  const DWORD start = GetTickCount();
  while (!P.HaveProgress() && GetTickCount() - start < TimeoutMs) {
    Application->ProcessMessages();
    Sleep(5);
  }
  return P.HaveProgress();
}

}  // namespace

// The default game from the start key to the win message's Enter, with real keys only.
TEST_F(GameWindow, AWholeDefaultGamePlayedWithTheKeyboardAlone) {
  TmainwinTestProbe p(Win);
  SetForegroundWindow(Win->Handle());
  PumpFor(100);
  TapKey(VK_RETURN);
  PumpFor(20);
  ASSERT_EQ(p.XSize(), 20);
  ASSERT_EQ(p.NumColors(), 6);

  std::wstring text;
  TSimpleTimer closer(15, [&](TObject*) {
    TVelSkinMessageForm* box = OpenBox(L"提 示");
    if (!box || !text.empty()) return;
    if (box->AlphaBlend() && box->AlphaBlendValue() != 255) return;
    if (GetForegroundWindow() != box->Handle()) {
      SetForegroundWindow(box->Handle());
      return;
    }
    text = box->MessageText();
    TapKey(VK_RETURN);
  });
  closer.SetEnabled(true);
  const TMoveList plan = GreedySolve(p.Board(), 20, 20, 6);
  ASSERT_FALSE(plan.empty());
  size_t keys = 0;
  for (int32_t colour : plan) {
    if (p.XSize() == 0) break;
    TapKey(static_cast<WORD>('1' + colour));
    PumpFor(10);
    ++keys;
    ASSERT_EQ(p.Moves(), static_cast<int64_t>(keys));
  }
  const DWORD start = GetTickCount();
  while (text.empty() && GetTickCount() - start < 3000) PumpFor(10);
  closer.SetEnabled(false);
  EXPECT_EQ(p.XSize(), 0);
  EXPECT_EQ(text.rfind(L"你用 6 种颜色完成了中画面游戏\r\n移动: " + std::to_wstring(keys) + L"\r\n用时: 00:00:", 0), 0u)
      << WideToUtf8(text);
  PumpFor(50);
  EXPECT_EQ(OpenBox(L"提 示"), nullptr);
  // Keys after the win move nothing; the start key deals again.
  TapKey('1');
  PumpFor(20);
  EXPECT_EQ(p.Moves(), static_cast<int64_t>(keys));
  TapKey(VK_F2);
  PumpFor(20);
  EXPECT_EQ(p.XSize(), 20);
  EXPECT_EQ(p.Moves(), 0);
}

TEST_F(GameWindow, UndoAndRedoRestoreTheBoardAndTheCountExactly) {
  TmainwinTestProbe p(Win);
  SetForegroundWindow(Win->Handle());
  PumpFor(50);
  Win->StartGameClick(Win->StartGame);
  Win->StartGame->SetFocus();
  const TBoard dealt = p.Board();
  // Undo at the start does nothing.
  RealCtrlKey('Z');
  EXPECT_EQ(p.Moves(), 0);
  EXPECT_EQ(p.Board(), dealt);

  std::vector<TBoard> boards{dealt};
  const int32_t corner = dealt[0][0];
  // The corner's own colour counts as a move that changes nothing.
  for (int32_t c : {(corner + 1) % 6, (corner + 1) % 6, (corner + 3) % 6, (corner + 2) % 6}) {
    PostKey(static_cast<WORD>('1' + c));
    boards.push_back(p.Board());
  }
  ASSERT_EQ(p.Moves(), 4);
  RealCtrlKey('Z');
  EXPECT_EQ(p.Moves(), 3);
  EXPECT_EQ(Win->MoveNum->Caption(), L"3");
  EXPECT_EQ(p.Board(), boards[3]);
  // Held down, undo repeats, and stops at the start.
  SendKey(VK_CONTROL, false);
  PumpFor(20);
  for (int i = 0; i < 6; ++i) PostKey('Z', i > 0);
  SendKey(VK_CONTROL, true);
  PumpFor(20);
  EXPECT_EQ(p.Moves(), 0);
  EXPECT_EQ(p.Board(), dealt);
  for (int i = 1; i <= 4; ++i) {
    RealCtrlKey('Y');
    EXPECT_EQ(p.Moves(), i);
    EXPECT_EQ(p.Board(), boards[i]);
  }
  RealCtrlKey('Y');
  EXPECT_EQ(p.Moves(), 4);
  EXPECT_EQ(p.Board(), boards[4]);
  EXPECT_EQ(Win->MoveNum->Caption(), L"4");

  // A held colour key acts once; a new game forgets the moves.
  PostKey(static_cast<WORD>('1' + (p.Board()[0][0] + 1) % 6));
  PostKey(static_cast<WORD>('1' + (p.Board()[0][0] + 1) % 6), true);
  EXPECT_EQ(p.Moves(), 5);
  PostKey(VK_F2);
  EXPECT_EQ(p.Moves(), 0);
  EXPECT_FALSE(p.History().CanUndo());
  const TBoard fresh = p.Board();
  RealCtrlKey('Z');
  EXPECT_EQ(p.Board(), fresh);
  // Keys beyond the game's colours do nothing.
  PostKey('7');
  EXPECT_EQ(p.Moves(), 0);
}

// With the focus in a chooser's edit, the game's keys stay with the edit.
TEST_F(GameWindow, KeysNeverReachTheGameWhileAChooserEditHasTheFocus) {
  TmainwinTestProbe p(Win);
  SetForegroundWindow(Win->Handle());
  PumpFor(50);
  Win->StartGameClick(Win->StartGame);
  PostKey(static_cast<WORD>('1' + (p.Board()[0][0] + 1) % 6));
  ASSERT_EQ(p.Moves(), 1);
  const TBoard board = p.Board();
  Win->ChooseColors->Edit()->SetFocus();
  ASSERT_TRUE(p.Win->ChooseColors->Edit()->Focused());
  RealCtrlKey('Z');
  PostKey(VK_F2);
  PostKey('G');
  EXPECT_EQ(p.Moves(), 1);
  EXPECT_EQ(p.Board(), board);
  EXPECT_FALSE(p.Glyphs());
}

// G toggles one glyph per colour on every cell and on the colour buttons;
// without it the board is exactly the plain board.
TEST_F(GameWindow, GlyphsMarkEveryCellOfAColourAlikeAndDifferBetweenColours) {
  TmainwinTestProbe p(Win);
  Win->StartGameClick(Win->StartGame);
  Win->StartGame->SetFocus();
  const TCapture plain(Win);
  PostKey('G');
  ASSERT_TRUE(p.Glyphs());
  const TCapture marked(Win);
  if (const char* dir = std::getenv("QUORREL_SHOT_DIR")) marked.SaveBmp((std::string(dir) + "/glyphs.bmp").c_str());

  const int ox = 2, oy = 35, cell = 22;
  std::map<int32_t, TMask> byColour;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      if (x == 0 && y == 0) continue;  // the corner carries the marker's strokes too
      const int32_t c = p.Board()[x][y];
      const TMask mask = CellMask(marked, ox + x * cell, oy + y * cell, cell, cell, p.Colors()[c]);
      ASSERT_GT(Count(mask), 8u) << x << "," << y;
      auto [it, fresh] = byColour.emplace(c, mask);
      if (!fresh) {
        ASSERT_EQ(mask, it->second) << "cell " << x << "," << y << " colour " << c;
      }
    }
  ASSERT_EQ(byColour.size(), 6u);
  std::set<TMask> shapes;
  for (auto& [c, mask] : byColour) shapes.insert(mask);
  EXPECT_EQ(shapes.size(), 6u);

  // The buttons in play carry their colour's glyph, each a different shape.
  std::set<TMask> buttonShapes;
  for (int i = 0; i < 6; ++i) {
    TPanel* b = p.ColorBtn()[i];
    const TPoint at = Win->ScreenToClient(b->ClientToScreen(TPoint{2, 2}));
    const TMask mask = CellMask(marked, at.X, at.Y, 46, 46, p.Colors()[i]);
    EXPECT_GT(Count(mask), 8u) << i;
    buttonShapes.insert(mask);
  }
  EXPECT_EQ(buttonShapes.size(), 6u);

  PostKey('G');
  EXPECT_FALSE(p.Glyphs());
  const TCapture again(Win);
  for (int y = 0; y < 521; y += 3)
    for (int x = 0; x < 650; x += 3) ASSERT_EQ(again.Pixel(x, y), plain.Pixel(x, y)) << x << "," << y;
}

// The hint of the move read-out: a bound and a par soon after the deal,
// the bound following the moves, and the player's count beside the par after the win.
TEST_F(GameWindow, TheMoveReadOutsHintShowsTheBoundAndTheBestFound) {
  TmainwinTestProbe p(Win);
  Win->StartGameClick(Win->StartGame);
  ASSERT_EQ(p.XSize(), 20);
  EXPECT_EQ(Win->MoveNum->Hint().rfind(L"at least ", 0), 0u) << WideToUtf8(Win->MoveNum->Hint());
  ASSERT_TRUE(WaitForProgress(p, 10000));
  const std::wstring hint = Win->MoveNum->Hint();
  EXPECT_EQ(Win->VelSkinLabel3->Hint(), hint);
  const size_t best = p.Progress().Best.size();
  const std::wstring par = (p.Progress().Optimal ? L"optimal: " : L"best found: ") + std::to_wstring(best);
  EXPECT_NE(hint.find(L", "), std::wstring::npos) << WideToUtf8(hint);
  EXPECT_NE(hint.find(L"more, "), std::wstring::npos) << WideToUtf8(hint);
  EXPECT_TRUE(SolutionValid(p.Board(), 20, 20, p.Progress().Best));
  EXPECT_GE(static_cast<int32_t>(best), p.Progress().LowerBound);

  // Playing the best found wins in that many moves; the hint then compares.
  TBoxWatcher watcher;
  watcher.Start(L"提 示");
  const TMoveList plan = p.Progress().Best;
  for (int32_t c : plan) Click(p.ColorBtn()[c]);
  watcher.Join();
  ASSERT_TRUE(watcher.Found);
  const std::wstring after = Win->MoveNum->Hint();
  EXPECT_EQ(after.rfind(L"your moves: " + std::to_wstring(plan.size()) + L", ", 0), 0u) << WideToUtf8(after);
  EXPECT_FALSE(p.SolverRunning());
}

// A search that cannot finish stops at once when a new game is dealt or
// the window closes.
TEST_F(GameWindow, AnUnfinishedSearchStopsWithTheGameAndTheWindow) {
  TmainwinTestProbe p(Win);
  Win->ChooseSize->SetItemIndex(2);
  Win->ChooseColors->SetItemIndex(5);
  Win->StartGameClick(Win->StartGame);
  ASSERT_EQ(p.XSize(), 40);
  ASSERT_TRUE(WaitForProgress(p, 10000));
  EXPECT_TRUE(SolutionValid(p.Board(), 40, 40, p.Progress().Best));
  for (int i = 0; i < 5; ++i) Win->StartGameClick(Win->StartGame);
  EXPECT_TRUE(p.SolverRunning());
  // The window goes with its search running: TearDown deletes it.
}
