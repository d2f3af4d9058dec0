#include "game/solver_graph.h"

#include <algorithm>
#include <utility>

namespace solver {

bool CheckBoard(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors) {
  if (XSize < 0 || YSize < 0) throw EInvalidBoard("Board size is negative");
  if (XSize == 0 || YSize == 0) return false;
  if (int64_t{XSize} * YSize > MaxSolverCells) throw EInvalidBoard("Board too large for the solver");
  if (NumColors < 1 || NumColors > MaxSolverColors) throw EInvalidBoard("Colour count out of range");
  if (Board.size() < size_t(XSize)) throw EInvalidBoard("Board has fewer columns than its width");
  for (int32_t x = 0; x < XSize; ++x) {
    if (Board[x].size() < size_t(YSize)) throw EInvalidBoard("Board column shorter than its height");
    for (int32_t y = 0; y < YSize; ++y)
      if (Board[x][y] < 0 || Board[x][y] >= NumColors) throw EInvalidBoard("Board colour out of range");
  }
  return true;
}

TRegionGraph::TRegionGraph(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors)
    : FNumColors(NumColors) {
  const int32_t cellCount = XSize * YSize;
  auto cell = [YSize](int32_t x, int32_t y) { return x * YSize + y; };
  auto colorAt = [&](int32_t c) { return Board[c / YSize][c % YSize]; };

  // Label the components breadth-first from the corner: a component gets its
  // number when a cell of it is first reached, and is then filled whole.
  std::vector<int32_t> label(size_t(cellCount), -1), cellQueue, fill;
  cellQueue.reserve(size_t(cellCount));
  auto claim = [&](int32_t start) {
    const int32_t id = FCount++;
    const int32_t colour = colorAt(start);
    FColor.push_back(colour);
    FCells.push_back(0);
    fill.assign(1, start);
    label[start] = id;
    while (!fill.empty()) {
      const int32_t c = fill.back();
      fill.pop_back();
      ++FCells[id];
      cellQueue.push_back(c);
      const int32_t x = c / YSize, y = c % YSize;
      const int32_t around[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
      for (const auto& n : around) {
        if (n[0] < 0 || n[1] < 0 || n[0] >= XSize || n[1] >= YSize) continue;
        const int32_t nc = cell(n[0], n[1]);
        if (label[nc] < 0 && colorAt(nc) == colour) {
          label[nc] = id;
          fill.push_back(nc);
        }
      }
    }
  };
  claim(0);
  std::vector<std::pair<int32_t, int32_t>> edges;
  for (size_t head = 0; head < cellQueue.size(); ++head) {
    const int32_t c = cellQueue[head];
    const int32_t x = c / YSize, y = c % YSize;
    const int32_t around[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
    for (const auto& n : around) {
      if (n[0] < 0 || n[1] < 0 || n[0] >= XSize || n[1] >= YSize) continue;
      const int32_t nc = cell(n[0], n[1]);
      if (label[nc] < 0) claim(nc);
      if (label[nc] != label[c]) edges.emplace_back(label[c], label[nc]);
    }
  }

  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  FFirst.assign(size_t(FCount) + 1, 0);
  for (const auto& e : edges) ++FFirst[e.first + 1];
  for (int32_t i = 0; i < FCount; ++i) FFirst[i + 1] += FFirst[i];
  FNeighbours.reserve(edges.size());
  for (const auto& e : edges) FNeighbours.push_back(e.second);  // sorted by source already

  FWords = WordsFor(FCount);
  FColorMask.assign(size_t(NumColors) * FWords, 0);
  FKey.resize(size_t(FCount));
  uint64_t seed = 0x5DEECE66Dull;
  for (int32_t i = 0; i < FCount; ++i) {
    SetBit(FColorMask.data() + size_t(FColor[i]) * FWords, i);
    // splitmix64: keys independent enough that xor-ed hashes rarely collide.
    uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    FKey[i] = z ^ (z >> 31);
  }
}

size_t TRegionGraph::Bytes() const {
  return (FColor.capacity() + FCells.capacity() + FFirst.capacity() + FNeighbours.capacity()) * sizeof(int32_t) +
         (FColorMask.capacity() + FKey.capacity()) * sizeof(uint64_t);
}

void StartPosition(const TRegionGraph& G, TWord* F, TWord* B, uint64_t* Hash) {
  std::fill(F, F + G.Words(), 0);
  std::fill(B, B + G.Words(), 0);
  SetBit(F, 0);
  for (const int32_t* n = G.NeighboursBegin(0); n != G.NeighboursEnd(0); ++n) SetBit(B, *n);
  *Hash = G.Key(0);
}

int32_t PlayColor(const TRegionGraph& G, const TWord* F, const TWord* B, int32_t Color, TWord* NF, TWord* NB,
                  uint64_t* Hash) {
  const int32_t words = G.Words();
  const TWord* mask = G.ColorMask(Color);
  bool any = false;
  for (int32_t w = 0; w < words; ++w) {
    const TWord taken = B[w] & mask[w];
    any |= taken != 0;
    NF[w] = F[w] | taken;
    NB[w] = B[w] & ~taken;
  }
  if (!any) return 0;
  // The neighbours of what was taken join the border unless already inside;
  // none has Color, since same-coloured components are never adjacent.
  int32_t gained = 0;
  uint64_t hash = *Hash;
  for (int32_t w = 0; w < words; ++w)
    for (TWord bits = B[w] & mask[w]; bits; bits &= bits - 1) {
      const int32_t c = w * 64 + std::countr_zero(bits);
      gained += G.Cells(c);
      hash ^= G.Key(c);
      for (const int32_t* n = G.NeighboursBegin(c); n != G.NeighboursEnd(c); ++n)
        if (!TestBit(NF, *n)) SetBit(NB, *n);
    }
  *Hash = hash;
  return gained;
}

uint64_t BorderColors(const TRegionGraph& G, const TWord* B) {
  uint64_t colours = 0;
  ForEachBit(B, G.Words(), [&](int32_t c) { colours |= uint64_t{1} << G.Color(c); });
  return colours;
}

bool ColorGone(const TRegionGraph& G, const TWord* F, int32_t Color) {
  const TWord* mask = G.ColorMask(Color);
  for (int32_t w = 0; w < G.Words(); ++w)
    if (mask[w] & ~F[w]) return false;
  return true;
}

TBoundScratch::TBoundScratch(const TRegionGraph& G) : Seen(size_t(G.Words())) {
  Layer.reserve(size_t(G.Count()));
  Next.reserve(size_t(G.Count()));
  LayerColors.reserve(size_t(G.Count()));
}

// A move absorbs only components next to the region, so it brings every other
// component at most one step (in the component graph) closer; a component at
// distance j is therefore absorbed by move j or later, and that move plays its
// colour. With M(c) the farthest distance of a component of colour c, colour c
// is played at some move >= M(c), and distinct colours take distinct moves, so
// for every j a solution of n moves has n - (j - 1) >= #{c : M(c) >= j}. The
// bound is the largest j - 1 + #{c : M(c) >= j}: at j = 1 the colours left, at
// the eccentricity of the region at least the eccentricity.
int32_t LowerBound(const TRegionGraph& G, const TWord* F, const TWord* B, TBoundScratch& S,
                   int64_t* CellDistance) {
  int64_t cellDistance = 0;
  const int32_t words = G.Words();
  S.Layer.clear();
  S.LayerColors.clear();
  for (int32_t w = 0; w < words; ++w) S.Seen[w] = F[w] | B[w];
  ForEachBit(B, words, [&](int32_t c) { S.Layer.push_back(c); });
  TWord* seen = S.Seen.data();
  while (!S.Layer.empty()) {
    uint64_t colours = 0;
    S.Next.clear();
    const int64_t j = int64_t(S.LayerColors.size()) + 1;
    for (const int32_t c : S.Layer) {
      colours |= uint64_t{1} << G.Color(c);
      cellDistance += j * G.Cells(c);
      for (const int32_t* n = G.NeighboursBegin(c); n != G.NeighboursEnd(c); ++n)
        if (!TestBit(seen, *n)) {
          SetBit(seen, *n);
          S.Next.push_back(*n);
        }
    }
    S.LayerColors.push_back(colours);
    std::swap(S.Layer, S.Next);
  }
  if (CellDistance) *CellDistance = cellDistance;
  int32_t bound = 0;
  uint64_t farColours = 0;  // colours whose farthest component is at distance >= j
  for (int32_t j = int32_t(S.LayerColors.size()); j >= 1; --j) {
    farColours |= S.LayerColors[size_t(j) - 1];
    bound = std::max(bound, j - 1 + std::popcount(farColours));
  }
  return bound;
}

int32_t StartLowerBound(const TRegionGraph& G) {
  const auto words = static_cast<size_t>(G.Words());
  std::vector<TWord> f(words), b(words);
  uint64_t hash;
  StartPosition(G, f.data(), b.data(), &hash);
  TBoundScratch scratch(G);
  return LowerBound(G, f.data(), b.data(), scratch);
}

TMoveList GreedyMoves(const TRegionGraph& G) {
  const int32_t words = G.Words();
  const auto n = static_cast<size_t>(words);
  std::vector<TWord> f(n), b(n), nf(n), nb(n);
  uint64_t hash;
  StartPosition(G, f.data(), b.data(), &hash);
  std::vector<int64_t> gain(size_t(G.NumColors()));
  TMoveList moves;
  while (!AllZero(b.data(), words)) {
    std::fill(gain.begin(), gain.end(), 0);
    ForEachBit(b.data(), words, [&](int32_t c) { gain[G.Color(c)] += G.Cells(c); });
    int32_t pick = 0;
    for (int32_t c = 1; c < G.NumColors(); ++c)
      if (gain[c] > gain[pick]) pick = c;
    PlayColor(G, f.data(), b.data(), pick, nf.data(), nb.data(), &hash);
    std::swap(f, nf);
    std::swap(b, nb);
    moves.push_back(pick);
  }
  return moves;
}

}  // namespace solver
