#include "game/history.h"

#include <algorithm>

TMoveHistory::TMoveHistory(size_t Capacity) : FCapacity(std::max<size_t>(Capacity, 1)) {}

void TMoveHistory::Clear() {
  FMoves.clear();
  FDone = 0;
}

std::vector<uint8_t> TMoveHistory::Pack(const TBoard& Board) {
  std::vector<uint8_t> cells;
  for (const auto& column : Board)
    for (int32_t c : column) cells.push_back(static_cast<uint8_t>(c));
  return cells;
}

void TMoveHistory::Unpack(const std::vector<uint8_t>& Cells, TBoard& Board) {
  size_t i = 0;
  for (auto& column : Board)
    for (int32_t& c : column) c = Cells[i++];
}

int32_t TMoveHistory::Play(TBoard& Board, int32_t XSize, int32_t YSize, int32_t Color) {
  std::vector<uint8_t> before = Pack(Board);
  const int32_t recoloured = FloodFromCorner(Board, XSize, YSize, Color);
  if (recoloured == 0) before.clear();
  FMoves.resize(FDone);
  if (FMoves.size() == FCapacity) FMoves.erase(FMoves.begin());
  FMoves.push_back({Color, std::move(before)});
  FDone = FMoves.size();
  return recoloured;
}

bool TMoveHistory::Undo(TBoard& Board) {
  if (!CanUndo()) return false;
  --FDone;
  const TRecord& record = FMoves[FDone];
  if (!record.Before.empty()) Unpack(record.Before, Board);
  return true;
}

bool TMoveHistory::Redo(TBoard& Board, int32_t XSize, int32_t YSize) {
  if (!CanRedo()) return false;
  FloodFromCorner(Board, XSize, YSize, FMoves[FDone].Color);
  ++FDone;
  return true;
}
