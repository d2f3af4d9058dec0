// Undo and redo of the moves of one game, apart from the window. Every
// counted move is recorded, also a press on the corner's own colour that
// changed nothing, so that undo gives back the board and the move count
// exactly as they were.
#pragma once

#include "game/rules.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

class TMoveHistory {
public:
  // At most this many moves can be undone; older ones are forgotten first.
  static constexpr size_t DefaultCapacity = 4096;
  explicit TMoveHistory(size_t Capacity = DefaultCapacity);

  // A new game: nothing to undo or redo.
  void Clear();
  // Plays Color on Board as a counted move (FloodFromCorner) and records it;
  // the moves undone before are no longer redoable. Returns the number of
  // cells recoloured.
  int32_t Play(TBoard& Board, int32_t XSize, int32_t YSize, int32_t Color);
  // Puts Board back as it was before the last move. False (nothing changes)
  // when there is no move to undo.
  bool Undo(TBoard& Board);
  // Plays the last undone move again. False when there is none.
  bool Redo(TBoard& Board, int32_t XSize, int32_t YSize);

  bool CanUndo() const { return FDone > 0; }
  bool CanRedo() const { return FDone < FMoves.size(); }
  size_t UndoCount() const { return FDone; }

private:
  struct TRecord {
    int32_t Color;
    // The board before the move, one byte per cell column by column; empty
    // when the move changed nothing.
    std::vector<uint8_t> Before;
  };
  static std::vector<uint8_t> Pack(const TBoard& Board);
  static void Unpack(const std::vector<uint8_t>& Cells, TBoard& Board);

  size_t FCapacity;
  std::deque<TRecord> FMoves;
  size_t FDone = 0;  // FMoves[0, FDone) are undoable, the rest redoable
};
