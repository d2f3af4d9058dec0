// Solver for the flood game: the fewest moves that turn the board into one
// colour. Portable; the window runs it through TSolverWorker and shows the
// progress it reports.
//
// Every function takes the board as the game holds it (platform[x][y], the
// XSize x YSize part in use, colours 0 .. NumColors-1). An empty board (no
// columns or no rows) counts as solved: bound 0, no moves. A board whose
// vectors are smaller than its sizes, a colour out of range, more than
// MaxSolverColors colours or more than MaxSolverCells cells raise EInvalidBoard.
#pragma once

#include "game/rules.h"
#include "toolkit/core/classes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using TMoveList = std::vector<int32_t>;  // colours in play order

constexpr int32_t MaxSolverColors = 64;
constexpr int64_t MaxSolverCells = 256 * 256;

// A board the solver cannot take (see the header comment).
class EInvalidBoard : public Exception {
  using Exception::Exception;
};

struct TSolverProgress {
  int32_t LowerBound = 0;  // proven: no solution from the given board is shorter
  TMoveList Best;          // best complete solution found so far; always valid (plays to a won board)
  bool Optimal = false;    // Best.size() == LowerBound, proven
};

// Admissible lower bound on the moves still needed from this position (0 for a finished board).
int32_t SolverLowerBound(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors);

// A plain greedy player: each move takes the colour that adds the most cells to
// the region, ties to the lowest colour. Always finishes.
TMoveList GreedySolve(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors);

// True when Moves played from Board with FloodFromCorner reach a finished board,
// no move picks the corner's current colour and none follows the finish (the
// game ends there). False for a malformed board or a negative colour; the
// empty board is finished by no moves.
bool SolutionValid(const TBoard& Board, int32_t XSize, int32_t YSize, const TMoveList& Moves);

// Memory the search may allocate beyond the board's region graph: its
// transposition table, the depth-first stack and the beam.
struct TSolverLimits {
  size_t MemoryBytes = 64u << 20;
};

// The whole search, synchronous: first reports a greedy answer with the bound,
// then improves both until the optimum is proven or Cancel is set. Report (when
// assigned) is called on the calling thread once at the start and each time the
// bound rises or a shorter solution is found; returns the last progress. Cancel
// is checked at every search node, so the call returns within milliseconds.
TSolverProgress Solve(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors,
                      const std::atomic<bool>& Cancel, const std::function<void(const TSolverProgress&)>& Report,
                      const TSolverLimits& Limits = {});

// Runs Solve on a thread of its own; Report is called on that thread. The
// constructor checks the board first (EInvalidBoard on the caller's thread).
// Cancel() sets the flag and returns; it waits only for a Report call that is
// running at that moment, so after it returns no Report call runs or starts
// (Report must therefore not wait for the thread that cancels; posting to a
// window is fine). Cancel() from inside Report only sets the flag. The
// destructor cancels and joins. Never touches a window.
class TSolverWorker {
public:
  TSolverWorker(TBoard Board, int32_t XSize, int32_t YSize, int32_t NumColors,
                std::function<void(const TSolverProgress&)> Report, TSolverLimits Limits = {});
  ~TSolverWorker();
  TSolverWorker(const TSolverWorker&) = delete;
  TSolverWorker& operator=(const TSolverWorker&) = delete;

  void Cancel();
  bool Finished() const;  // the search ended (proven, cancelled or failed)

private:
  void Run(TBoard Board, int32_t XSize, int32_t YSize, int32_t NumColors, TSolverLimits Limits);

  std::function<void(const TSolverProgress&)> FReport;
  std::atomic<bool> FCancel{false};
  std::atomic<bool> FFinished{false};
  std::mutex FReportLock;  // held while Report runs, so Cancel can wait it out
  std::thread FThread;
};
