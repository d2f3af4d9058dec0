#include "game/solver.h"

#include "game/solver_search.h"

#include <algorithm>
#include <chrono>

using namespace solver;

int32_t SolverLowerBound(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors) {
  if (!CheckBoard(Board, XSize, YSize, NumColors)) return 0;
  return StartLowerBound(TRegionGraph(Board, XSize, YSize, NumColors));
}

TMoveList GreedySolve(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors) {
  if (!CheckBoard(Board, XSize, YSize, NumColors)) return {};
  return GreedyMoves(TRegionGraph(Board, XSize, YSize, NumColors));
}

bool SolutionValid(const TBoard& Board, int32_t XSize, int32_t YSize, const TMoveList& Moves) {
  if (XSize < 0 || YSize < 0) return false;
  if (XSize == 0 || YSize == 0) return Moves.empty();
  if (Board.size() < size_t(XSize)) return false;
  for (int32_t x = 0; x < XSize; ++x)
    if (Board[x].size() < size_t(YSize)) return false;
  TBoard board = Board;
  for (const int32_t colour : Moves) {
    if (colour < 0 || BoardFinished(board, XSize, YSize)) return false;
    if (FloodFromCorner(board, XSize, YSize, colour) == 0) return false;
  }
  return BoardFinished(board, XSize, YSize);
}

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point Start) {
  return std::chrono::duration<double>(TClock::now() - Start).count();
}

// Nodes of exact search between two looks at the clock.
constexpr uint64_t ExactSlice = 2048;

}  // namespace

TSolverProgress Solve(const TBoard& Board, int32_t XSize, int32_t YSize, int32_t NumColors,
                      const std::atomic<bool>& Cancel, const std::function<void(const TSolverProgress&)>& Report,
                      const TSolverLimits& Limits) {
  TSolverProgress progress;
  auto report = [&] {
    progress.Optimal = int32_t(progress.Best.size()) == progress.LowerBound;
    if (Report) Report(progress);
  };
  if (!CheckBoard(Board, XSize, YSize, NumColors)) {
    report();
    return progress;
  }
  const TRegionGraph graph(Board, XSize, YSize, NumColors);
  progress.Best = GreedyMoves(graph);
  progress.LowerBound = StartLowerBound(graph);
  report();
  if (progress.Optimal) return progress;
  auto upper = [&] { return int32_t(progress.Best.size()); };

  // A quarter of the memory for the beam, what the exact search's stack can
  // use below the greedy length (up to a quarter), the rest for the table.
  const size_t total = Limits.MemoryBytes;
  const size_t beamBytes = total / 4;
  const size_t stackBytes = std::min(total / 4, TExactSearch::BytesFor(graph, upper() - 1));
  TBeamSearch beam(graph, beamBytes);
  TTransposition table(graph.Words(), total - beamBytes - stackBytes);
  TExactSearch exact(graph, table, stackBytes);
  bool exactOn = exact.Begin(progress.LowerBound);
  bool beamOn = beam.MaxWidth(upper()) > 0;
  size_t width = 4;
  double beamTime = 0, exactTime = 0;
  while (!Cancel.load(std::memory_order_relaxed) && !progress.Optimal && (exactOn || beamOn)) {
    const auto start = TClock::now();
    // Time of the beam against the exact search's: a quarter while the gap
    // is small enough for the exact search to close, as much when it is not.
    const double share = upper() - progress.LowerBound <= 6 ? 0.25 : 1.0;
    if (beamOn && (!exactOn || beamTime <= exactTime * share)) {
      TMoveList moves = beam.Run(width, upper(), Cancel);
      beamTime += SecondsSince(start);
      if (!moves.empty() && moves.size() < progress.Best.size()) {
        progress.Best = std::move(moves);
        report();
      }
      const size_t widest = beam.MaxWidth(upper());
      beamOn = width < widest;
      width = std::min(width * 2, widest);
      continue;
    }
    const TExactSearch::TStep step = exact.Step(ExactSlice, Cancel);
    exactTime += SecondsSince(start);
    if (step == TExactSearch::TStep::Found) {
      // The iteration's threshold was proven before, so this is the optimum.
      progress.Best = exact.Solution();
      progress.LowerBound = upper();
      report();
    } else if (step == TExactSearch::TStep::Raised) {
      progress.LowerBound = std::min(exact.NewBound(), upper());
      report();
      exactOn = !progress.Optimal && exact.Begin(progress.LowerBound);
    }
  }
  return progress;
}

// ---- Worker -----------------------------------------------------------------

TSolverWorker::TSolverWorker(TBoard Board, int32_t XSize, int32_t YSize, int32_t NumColors,
                             std::function<void(const TSolverProgress&)> Report, TSolverLimits Limits)
    : FReport(std::move(Report)) {
  CheckBoard(Board, XSize, YSize, NumColors);
  FThread = std::thread(&TSolverWorker::Run, this, std::move(Board), XSize, YSize, NumColors, Limits);
}

TSolverWorker::~TSolverWorker() {
  Cancel();
  if (FThread.joinable()) FThread.join();
}

void TSolverWorker::Cancel() {
  FCancel.store(true);
  // Wait out a Report call in progress; on the worker thread we are inside it.
  if (std::this_thread::get_id() != FThread.get_id()) std::lock_guard<std::mutex> wait(FReportLock);
}

bool TSolverWorker::Finished() const { return FFinished.load(); }

void TSolverWorker::Run(TBoard Board, int32_t XSize, int32_t YSize, int32_t NumColors, TSolverLimits Limits) {
  try {
    Solve(Board, XSize, YSize, NumColors, FCancel,
          [this](const TSolverProgress& Progress) {
            std::lock_guard<std::mutex> lock(FReportLock);
            if (!FCancel.load() && FReport) FReport(Progress);
          },
          Limits);
  } catch (...) {
    // Nothing may leave the thread (that would end the program); running out
    // of memory simply ends the search with what was reported.
  }
  FFinished.store(true);
}
