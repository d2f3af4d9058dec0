#include "game/solver_search.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace solver {

namespace {

// The colour whose every remaining component is on the border, or -1. Playing
// it first loses nothing: the flood is monotone (a larger region absorbs at
// least what a smaller one does with the same move), and this move takes all
// that any later play of the colour could, so in any solution its first play
// of the colour can be dropped and the move put in front, same length or less.
int32_t ForcedColor(const TRegionGraph& G, const TWord* F, const TWord* B, uint64_t Colours) {
  const int32_t words = G.Words();
  for (; Colours; Colours &= Colours - 1) {
    const int32_t c = std::countr_zero(Colours);
    const TWord* mask = G.ColorMask(c);
    bool gone = true;
    for (int32_t w = 0; w < words && gone; ++w) gone = (mask[w] & ~F[w] & ~B[w]) == 0;
    if (gone) return c;
  }
  return -1;
}

}  // namespace

// ---- Transposition table ----------------------------------------------------

TTransposition::TTransposition(int32_t Words, size_t Bytes) : FWords(Words), FStride(2 + size_t(Words)) {
  FBuckets = Bytes / (FStride * sizeof(TWord) * BucketSize);
  if (FBuckets == 0) return;
  FEntries.reset(static_cast<TWord*>(std::calloc(FBuckets * BucketSize * FStride, sizeof(TWord))));
  if (!FEntries) FBuckets = 0;  // no memory for it: search without a table
}

int32_t TTransposition::Lookup(const TWord* F, uint64_t Hash) const {
  if (FBuckets == 0) return 0;
  const size_t first = Bucket(Hash) * BucketSize;
  for (size_t i = first; i < first + BucketSize; ++i)
    if (const TWord* e = Entry(i); Holds(e, F, Hash)) return int32_t(e[1] & 0xFFFF);
  return 0;
}

void TTransposition::Store(const TWord* F, uint64_t Hash, int32_t Bound, uint64_t Work) {
  if (FBuckets == 0 || Bound <= 0) return;
  // Lowering a lower bound keeps it true, so clamping to the field is safe.
  const TWord bound = TWord(std::min(Bound, 0xFFFF));
  const TWord work = std::min<uint64_t>(Work, 0xFFFFFFFFu);
  const size_t first = Bucket(Hash) * BucketSize;
  TWord* victim = Entry(first);
  for (size_t i = first; i < first + BucketSize; ++i) {
    TWord* e = Entry(i);
    if (Holds(e, F, Hash)) {
      e[1] = std::max(e[1] & 0xFFFF, bound) | (std::max(e[1] >> 32, work) << 32);
      return;
    }
    if ((victim[1] & 0xFFFF) && (!(e[1] & 0xFFFF) || (e[1] >> 32) < (victim[1] >> 32))) victim = e;
  }
  if (!(victim[1] & 0xFFFF)) ++FUsed;
  victim[0] = Hash;
  victim[1] = bound | (work << 32);
  std::memcpy(victim + 2, F, size_t(FWords) * sizeof(TWord));
}

// ---- Exact search -----------------------------------------------------------

TExactSearch::TExactSearch(const TRegionGraph& G, TTransposition& Table, size_t Bytes)
    : FGraph(G), FTable(Table), FScratch(G), FWords(G.Words()), FSlotsPerDepth(G.NumColors() + 1), FBytes(Bytes) {}

size_t TExactSearch::BytesFor(const TRegionGraph& G, int32_t Threshold) {
  // Frames exist for depths 0 .. Threshold-1: a position at the threshold's
  // depth is only ever a finished child.
  return size_t(std::max(Threshold, 0)) *
         ((size_t(G.NumColors()) + 1) * 2 * size_t(G.Words()) * sizeof(TWord) +
          size_t(G.NumColors()) * sizeof(TChild) + sizeof(TFrame) + sizeof(int32_t));
}

bool TExactSearch::Begin(int32_t Threshold) {
  FDepth = -1;
  FFoundAtRoot = false;
  if (Threshold < 1 || BytesFor(FGraph, Threshold) > FBytes) return false;
  const size_t depths = size_t(Threshold);
  FArena.resize(depths * size_t(FSlotsPerDepth) * 2 * size_t(FWords));
  FChildren.resize(depths * size_t(FGraph.NumColors()));
  FFrames.resize(depths);
  FPath.resize(depths);
  FThreshold = Threshold;
  StartPosition(FGraph, StateF(0, 0), StateB(0, 0), &FFrames[0].Hash);
  FDepth = 0;
  FFoundAtRoot = Expand(0);
  return true;
}

bool TExactSearch::Expand(int32_t Depth) {
  const TWord* f = StateF(Depth, 0);
  const TWord* b = StateB(Depth, 0);
  TFrame& frame = FFrames[size_t(Depth)];
  frame.NodesAtEntry = FNodes++;
  uint64_t colours = BorderColors(FGraph, b);
  const int32_t forced = ForcedColor(FGraph, f, b, colours);
  if (forced >= 0) colours = uint64_t{1} << forced;

  TChild* children = Children(Depth);
  int32_t count = 0;
  for (; colours; colours &= colours - 1) {
    const int32_t c = std::countr_zero(colours);
    const int32_t slot = count + 1;
    TWord* nf = StateF(Depth, slot);
    TWord* nb = StateB(Depth, slot);
    uint64_t hash = frame.Hash;
    const int32_t gain = PlayColor(FGraph, f, b, c, nf, nb, &hash);
    if (AllZero(nb, FWords)) {
      FSolution.assign(FPath.begin(), FPath.begin() + Depth);
      FSolution.push_back(c);
      return true;
    }
    int32_t bound = FTable.Lookup(nf, hash);
    if (Depth + 1 + bound <= FThreshold) bound = std::max(bound, LowerBound(FGraph, nf, nb, FScratch));
    children[count++] = {hash, bound, gain, c, slot};
  }
  // Most promising first: the lowest bound, then the most cells taken.
  std::sort(children, children + count, [](const TChild& a, const TChild& b) {
    return a.Bound != b.Bound ? a.Bound < b.Bound : a.Gain > b.Gain;
  });
  frame.Count = count;
  frame.Next = 0;
  frame.Min = INT_MAX;
  return false;
}

TExactSearch::TStep TExactSearch::Step(uint64_t Nodes, const std::atomic<bool>& Cancel) {
  if (FFoundAtRoot) {
    FFoundAtRoot = false;
    FDepth = -1;
    return TStep::Found;
  }
  const uint64_t stop = FNodes + Nodes;
  while (FDepth >= 0) {
    if (Cancel.load(std::memory_order_relaxed) || FNodes >= stop) return TStep::Paused;
    TFrame& frame = FFrames[size_t(FDepth)];
    if (frame.Next < frame.Count) {
      TChild& child = Children(FDepth)[frame.Next++];
      const int32_t f = FDepth + 1 + child.Bound;
      if (f > FThreshold) {
        // Children are ordered by bound: none of the rest fits either.
        frame.Min = std::min(frame.Min, f);
        frame.Next = frame.Count;
        continue;
      }
      // A sibling's subtree may have proved more about this child meanwhile.
      const int32_t stored = FTable.Lookup(StateF(FDepth, child.Slot), child.Hash);
      if (FDepth + 1 + stored > FThreshold) {
        frame.Min = std::min(frame.Min, FDepth + 1 + stored);
        continue;
      }
      const int32_t down = FDepth + 1;
      std::memcpy(StateF(down, 0), StateF(FDepth, child.Slot), 2 * size_t(FWords) * sizeof(TWord));
      FFrames[size_t(down)].Hash = child.Hash;
      FPath[size_t(FDepth)] = child.Color;
      FDepth = down;
      if (Expand(down)) {
        FDepth = -1;
        return TStep::Found;
      }
      continue;
    }
    // Every child failed: the cheapest of them bounds this position.
    FTable.Store(StateF(FDepth, 0), frame.Hash, frame.Min - FDepth, FNodes - frame.NodesAtEntry);
    if (FDepth == 0) {
      FNewBound = frame.Min;
      FDepth = -1;
      return TStep::Raised;
    }
    TFrame& parent = FFrames[size_t(FDepth) - 1];
    parent.Min = std::min(parent.Min, frame.Min);
    --FDepth;
  }
  return TStep::Paused;
}

// ---- Beam search ------------------------------------------------------------

TBeamSearch::TBeamSearch(const TRegionGraph& G, size_t Bytes) : FGraph(G), FScratch(G), FBytes(Bytes) {}

size_t TBeamSearch::MaxWidth(int32_t Limit) const {
  // Two levels of positions with their hashes, the candidates of one level
  // and, per level, each position's parent and move.
  const size_t perWidth = 2 * (2 * size_t(FGraph.Words()) * sizeof(TWord) + sizeof(uint64_t)) +
                          size_t(FGraph.NumColors()) * sizeof(TCandidate) +
                          size_t(std::max(Limit, 1)) * (sizeof(uint32_t) + sizeof(uint8_t));
  return FBytes / perWidth;
}

TMoveList TBeamSearch::Run(size_t Width, int32_t Limit, const std::atomic<bool>& Cancel) {
  Width = std::min(Width, MaxWidth(Limit));
  if (Width == 0) return {};
  const size_t words = size_t(FGraph.Words());
  const size_t state = 2 * words;

  std::vector<TWord> level(state), next;
  std::vector<uint64_t> hashes(1), nextHashes;
  std::vector<TCandidate> candidates;
  std::vector<uint32_t> parents;  // per level, the parent of each position
  std::vector<uint8_t> moves;
  std::vector<size_t> levelStart;
  std::vector<TWord> scratch(state);
  StartPosition(FGraph, level.data(), level.data() + words, &hashes[0]);
  level.reserve(Width * state);
  next.reserve(Width * state);
  candidates.reserve(Width * size_t(FGraph.NumColors()));
  parents.reserve(Width * size_t(Limit));
  moves.reserve(Width * size_t(Limit));

  auto solution = [&](size_t parent, int32_t colour) {
    TMoveList path(levelStart.size() + 1);
    path.back() = colour;
    for (size_t l = levelStart.size(); l-- > 0;) {
      path[l] = moves[levelStart[l] + parent];
      parent = parents[levelStart[l] + parent];
    }
    return path;
  };

  for (int32_t depth = 0; depth + 1 < Limit; ++depth) {
    candidates.clear();
    const size_t count = hashes.size();
    for (size_t i = 0; i < count; ++i) {
      if (Cancel.load(std::memory_order_relaxed)) return {};
      const TWord* f = level.data() + i * state;
      const TWord* b = f + words;
      uint64_t colours = BorderColors(FGraph, b);
      const int32_t forced = ForcedColor(FGraph, f, b, colours);
      if (forced >= 0) colours = uint64_t{1} << forced;
      for (; colours; colours &= colours - 1) {
        const int32_t c = std::countr_zero(colours);
        uint64_t hash = hashes[i];
        PlayColor(FGraph, f, b, c, scratch.data(), scratch.data() + words, &hash);
        if (AllZero(scratch.data() + words, int32_t(words))) return solution(i, c);
        int64_t distance = 0;
        const int32_t bound = LowerBound(FGraph, scratch.data(), scratch.data() + words, FScratch, &distance);
        if (depth + 1 + bound >= Limit) continue;
        candidates.push_back({(uint64_t(bound) << 40) | uint64_t(distance), hash, uint32_t(i), c});
      }
    }
    if (candidates.empty() || Cancel.load(std::memory_order_relaxed)) return {};
    // Only the best twice Width need order; equal positions have equal keys
    // and hashes, so once sorted they sit side by side.
    const size_t keep = std::min(candidates.size(), 2 * Width);
    if (keep < candidates.size())
      std::nth_element(candidates.begin(), candidates.begin() + std::ptrdiff_t(keep), candidates.end());
    std::sort(candidates.begin(), candidates.begin() + std::ptrdiff_t(keep));
    next.clear();
    nextHashes.clear();
    levelStart.push_back(parents.size());
    for (size_t k = 0; k < keep && nextHashes.size() < Width; ++k) {
      if (k % 256 == 255 && Cancel.load(std::memory_order_relaxed)) return {};
      const TCandidate& cand = candidates[k];
      if (k > 0 && cand.Hash == candidates[k - 1].Hash && cand.Key == candidates[k - 1].Key) continue;
      const TWord* f = level.data() + cand.Parent * state;
      next.resize(next.size() + state);
      TWord* nf = next.data() + next.size() - state;
      uint64_t hash = hashes[cand.Parent];
      PlayColor(FGraph, f, f + words, cand.Color, nf, nf + words, &hash);
      nextHashes.push_back(hash);
      parents.push_back(cand.Parent);
      moves.push_back(uint8_t(cand.Color));
    }
    std::swap(level, next);
    std::swap(hashes, nextHashes);
  }
  return {};
}

}  // namespace solver
