// The solver's two engines over a region graph: an exact depth-first search
// with iterative deepening (raises the proven bound, finds the optimum) and a
// beam search (finds short solutions fast on any board). Both stop at a
// cancel flag within one node's work. Internal to the solver.
#pragma once

#include "game/solver_graph.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace solver {

// Proven lower bounds of positions, keyed by the whole set F (no false hits).
// Fixed size from the start, taken as zeroed pages so that only the part in
// use is touched; a full bucket gives up its entry with the least work behind it.
class TTransposition {
public:
  TTransposition(int32_t Words, size_t Bytes);
  // The bound stored for F, 0 when there is none.
  int32_t Lookup(const TWord* F, uint64_t Hash) const;
  void Store(const TWord* F, uint64_t Hash, int32_t Bound, uint64_t Work);
  size_t Bytes() const { return FBuckets * BucketSize * FStride * sizeof(TWord); }
  size_t Capacity() const { return FBuckets * BucketSize; }
  size_t Used() const { return FUsed; }

private:
  // An entry is FStride words: the hash, the bound (low 16 bits, 0 for an
  // empty entry) with the work (high 32 bits), then F. Buckets are contiguous.
  static constexpr size_t BucketSize = 4;
  struct TFree {
    void operator()(TWord* P) const { std::free(P); }
  };
  const TWord* Entry(size_t I) const { return FEntries.get() + I * FStride; }
  TWord* Entry(size_t I) { return FEntries.get() + I * FStride; }
  size_t Bucket(uint64_t Hash) const { return size_t((static_cast<unsigned __int128>(Hash) * FBuckets) >> 64); }
  bool Holds(const TWord* E, const TWord* F, uint64_t Hash) const {
    return (E[1] & 0xFFFF) && E[0] == Hash && std::memcmp(E + 2, F, size_t(FWords) * sizeof(TWord)) == 0;
  }

  int32_t FWords;
  size_t FStride, FBuckets = 0, FUsed = 0;
  std::unique_ptr<TWord, TFree> FEntries;
};

// Iterative deepening on f = moves played + max(LowerBound, stored bound),
// resumable: Step runs a number of nodes and returns, keeping its stack.
class TExactSearch {
public:
  enum class TStep { Paused, Raised, Found };

  // Bytes bounds the stack; Table keeps what iterations prove, across them.
  TExactSearch(const TRegionGraph& G, TTransposition& Table, size_t Bytes);
  // Bytes of the stack for an iteration with this threshold.
  static size_t BytesFor(const TRegionGraph& G, int32_t Threshold);
  // Starts the iteration that looks for solutions of at most Threshold moves.
  // False when its stack would not fit in the bytes given.
  bool Begin(int32_t Threshold);
  // Runs until Nodes more nodes are expanded (Paused), the iteration fails
  // (Raised: no solution within the threshold, NewBound() is the proven bound)
  // or a solution is found (Found: Solution(), at most Threshold moves, so the
  // optimum when Threshold was a proven bound).
  // Cancel makes it return Paused at once.
  TStep Step(uint64_t Nodes, const std::atomic<bool>& Cancel);
  int32_t NewBound() const { return FNewBound; }
  const TMoveList& Solution() const { return FSolution; }
  uint64_t NodesExpanded() const { return FNodes; }
  size_t Bytes() const {
    return FArena.capacity() * sizeof(TWord) + FChildren.capacity() * sizeof(TChild) +
           FFrames.capacity() * sizeof(TFrame) + FPath.capacity() * sizeof(int32_t);
  }

private:
  struct TChild {
    uint64_t Hash;
    int32_t Bound;
    int32_t Gain;
    int32_t Color;
    int32_t Slot;
  };
  struct TFrame {
    uint64_t Hash = 0;
    uint64_t NodesAtEntry = 0;
    int32_t Count = 0, Next = 0, Min = 0;
  };
  // Per depth: the position in slot 0, then one slot per child.
  TWord* StateF(int32_t Depth, int32_t Slot) {
    return FArena.data() + (size_t(Depth) * FSlotsPerDepth + size_t(Slot)) * 2 * size_t(FWords);
  }
  TWord* StateB(int32_t Depth, int32_t Slot) { return StateF(Depth, Slot) + FWords; }
  TChild* Children(int32_t Depth) { return FChildren.data() + size_t(Depth) * size_t(FGraph.NumColors()); }
  // Generates and orders the children of the position at Depth. True when
  // one of them finishes the board (FSolution is then set).
  bool Expand(int32_t Depth);

  const TRegionGraph& FGraph;
  TTransposition& FTable;
  TBoundScratch FScratch;
  int32_t FWords, FSlotsPerDepth, FThreshold = 0, FDepth = -1, FNewBound = 0;
  bool FFoundAtRoot = false;
  size_t FBytes;
  uint64_t FNodes = 0;
  std::vector<TWord> FArena;
  std::vector<TChild> FChildren;
  std::vector<TFrame> FFrames;
  TMoveList FPath, FSolution;
};

// Beam search from the start: each step keeps the Width best distinct
// positions by lower bound, then by how far the cells left are (CellDistance).
class TBeamSearch {
public:
  TBeamSearch(const TRegionGraph& G, size_t Bytes);
  // The widest beam that fits in the bytes given for solutions below Limit moves.
  size_t MaxWidth(int32_t Limit) const;
  // A solution of fewer than Limit moves, or none (also when cancelled).
  TMoveList Run(size_t Width, int32_t Limit, const std::atomic<bool>& Cancel);

private:
  struct TCandidate {
    uint64_t Key;  // lower bound above 40 bits of cell distance: smaller is better
    uint64_t Hash;
    uint32_t Parent;
    int32_t Color;
    bool operator<(const TCandidate& O) const { return Key != O.Key ? Key < O.Key : Hash < O.Hash; }
  };

  const TRegionGraph& FGraph;
  TBoundScratch FScratch;
  size_t FBytes;
};

}  // namespace solver
