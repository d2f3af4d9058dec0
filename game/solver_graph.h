// The solver's view of a board: its same-colour components and their
// adjacency, built once. A position is the set of components the corner's
// region has absorbed (F, a bitset over components) together with its border
// (B, the components next to F); the region's colour is implied, because after
// a move no neighbour has the colour just played. Internal to the solver.
#pragma once

#include "game/solver.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace solver {

using TWord = uint64_t;

inline int32_t WordsFor(int32_t Bits) { return (Bits + 63) / 64; }
inline bool TestBit(const TWord* W, int32_t I) { return (W[I >> 6] >> (I & 63)) & 1u; }
inline void SetBit(TWord* W, int32_t I) { W[I >> 6] |= TWord{1} << (I & 63); }

template <class TFn>
inline void ForEachBit(const TWord* W, int32_t Words, TFn&& Fn) {
  for (int32_t w = 0; w < Words; ++w)
    for (TWord bits = W[w]; bits; bits &= bits - 1) Fn(w * 64 + std::countr_zero(bits));
}

inline bool AllZero(const TWord* W, int32_t Words) {
  for (int32_t w = 0; w < Words; ++w)
    if (W[w]) return false;
  return true;
}

// Raises EInvalidBoard unless the solver can take the board (see solver.h).
// Returns false for an empty board, true otherwise.
bool CheckBoard(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors);

class TRegionGraph {
public:
  // Board must be non-empty and have passed CheckBoard.
  TRegionGraph(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors);

  // Components are numbered breadth-first from the corner's, which is 0.
  int32_t Count() const { return FCount; }
  int32_t Words() const { return FWords; }
  int32_t NumColors() const { return FNumColors; }
  int32_t Color(int32_t C) const { return FColor[C]; }
  int32_t Cells(int32_t C) const { return FCells[C]; }
  const int32_t* NeighboursBegin(int32_t C) const { return FNeighbours.data() + FFirst[C]; }
  const int32_t* NeighboursEnd(int32_t C) const { return FNeighbours.data() + FFirst[C + 1]; }
  const TWord* ColorMask(int32_t Color) const { return FColorMask.data() + size_t(Color) * FWords; }
  // Random key per component; a position's hash is the xor over F.
  uint64_t Key(int32_t C) const { return FKey[C]; }
  // Bytes held by the graph.
  size_t Bytes() const;

private:
  int32_t FCount = 0, FWords = 0, FNumColors = 0;
  std::vector<int32_t> FColor, FCells, FFirst, FNeighbours;
  std::vector<TWord> FColorMask;
  std::vector<uint64_t> FKey;
};

// The start: F holds the corner's component, B its neighbours.
void StartPosition(const TRegionGraph& G, TWord* F, TWord* B, uint64_t* Hash);

// Plays Color from (F, B) into (NF, NB) and updates *Hash; returns the cells
// gained, 0 when no border component has Color (NF, NB are then F, B).
int32_t PlayColor(const TRegionGraph& G, const TWord* F, const TWord* B, int32_t Color, TWord* NF, TWord* NB,
                  uint64_t* Hash);

// Bitmask of the colours on the border: the moves that change anything.
uint64_t BorderColors(const TRegionGraph& G, const TWord* B);

// True when no component of Color is left outside F.
bool ColorGone(const TRegionGraph& G, const TWord* F, int32_t Color);

// Working memory of LowerBound, sized for one graph.
struct TBoundScratch {
  explicit TBoundScratch(const TRegionGraph& G);
  std::vector<TWord> Seen;
  std::vector<int32_t> Layer, Next;
  std::vector<uint64_t> LayerColors;
};

// Admissible lower bound on the moves left from (F, B); 0 when finished.
// CellDistance, when given, receives the sum over the cells outside F of
// their component's distance from F: how far the rest of the board still is.
int32_t LowerBound(const TRegionGraph& G, const TWord* F, const TWord* B, TBoundScratch& S,
                   int64_t* CellDistance = nullptr);

// LowerBound at the start.
int32_t StartLowerBound(const TRegionGraph& G);

// The greedy player's moves from the start (see GreedySolve).
TMoveList GreedyMoves(const TRegionGraph& G);

}  // namespace solver
