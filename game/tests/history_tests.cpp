#include "game/history.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TBoard Dealt(int32_t Side, int32_t Colors, uint64_t Seed) {
  return GenerateBoard(Side, Side, Colors, [&Seed](int32_t Range) {
    Seed = Seed * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int32_t>((Seed >> 33) % static_cast<uint64_t>(Range));
  });
}

}  // namespace

TEST(MoveHistory, UndoGivesBackEveryEarlierBoardAndRedoReplaysThem) {
  TBoard board = Dealt(10, 6, 7);
  TMoveHistory history;
  std::vector<TBoard> seen{board};
  // A press on the corner's own colour is a counted move that changes nothing.
  const int32_t plays[] = {1, 2, 2, 3, 0, 5, 4, 1};
  for (int32_t c : plays) {
    history.Play(board, 10, 10, c);
    seen.push_back(board);
  }
  EXPECT_EQ(history.UndoCount(), 8u);
  for (size_t i = seen.size() - 1; i > 0; --i) {
    ASSERT_TRUE(history.Undo(board));
    EXPECT_EQ(board, seen[i - 1]) << "after undoing move " << i;
  }
  EXPECT_FALSE(history.Undo(board));
  EXPECT_EQ(board, seen[0]);
  for (size_t i = 1; i < seen.size(); ++i) {
    ASSERT_TRUE(history.Redo(board, 10, 10));
    EXPECT_EQ(board, seen[i]);
  }
  EXPECT_FALSE(history.Redo(board, 10, 10));
  EXPECT_EQ(board, seen.back());
}

TEST(MoveHistory, AMoveAfterUndoDropsTheRedoableMovesAndClearForgetsAll) {
  TBoard board = Dealt(6, 4, 3);
  TMoveHistory history;
  history.Play(board, 6, 6, 1);
  history.Play(board, 6, 6, 2);
  ASSERT_TRUE(history.Undo(board));
  EXPECT_TRUE(history.CanRedo());
  history.Play(board, 6, 6, 3);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.UndoCount(), 2u);
  history.Clear();
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  const TBoard kept = board;
  EXPECT_FALSE(history.Undo(board));
  EXPECT_EQ(board, kept);
}

TEST(MoveHistory, KeepsOnlyTheNewestMovesWithinItsCapacity) {
  TBoard board = Dealt(8, 3, 11);
  TMoveHistory history(3);
  std::vector<TBoard> seen{board};
  for (int32_t i = 0; i < 6; ++i) {
    history.Play(board, 8, 8, i % 3);
    seen.push_back(board);
  }
  EXPECT_EQ(history.UndoCount(), 3u);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(history.Undo(board));
  EXPECT_FALSE(history.Undo(board));
  EXPECT_EQ(board, seen[3]);
}
