#include "game/solver.h"
#include "game/solver_search.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <string>
#include <thread>
#include <unordered_map>

namespace {

// The same boards on every run, from the seed.
TBoard RandomBoard(int32_t X, int32_t Y, int32_t Colours, uint64_t Seed) {
  TGameRandom random(Seed * 0x2545F4914F6CDD1Dull + 7);
  return GenerateBoard(X, Y, Colours, [&](int32_t n) { return random.Below(n); });
}

std::string Encode(const TBoard& B, int32_t X, int32_t Y) {
  std::string s(size_t(X * Y), ' ');
  for (int32_t x = 0; x < X; ++x)
    for (int32_t y = 0; y < Y; ++y) s[size_t(x * Y + y)] = char('0' + B[x][y]);
  return s;
}

TBoard Decode(const std::string& S, int32_t X, int32_t Y) {
  TBoard b(static_cast<size_t>(X), std::vector<int32_t>(static_cast<size_t>(Y)));
  for (int32_t x = 0; x < X; ++x)
    for (int32_t y = 0; y < Y; ++y) b[x][y] = S[size_t(x * Y + y)] - '0';
  return b;
}

// Every position the game can reach from a board (any colour button pressed,
// through FloodFromCorner) and the fewest presses from each to a finished one.
struct TExhaustive {
  std::vector<std::string> States;  // States[0] is the start
  std::vector<int32_t> ToGo;

  TExhaustive(const TBoard& Start, int32_t X, int32_t Y, int32_t Colours) {
    std::unordered_map<std::string, int32_t> index;
    std::vector<std::vector<int32_t>> from;  // predecessors of each state
    auto add = [&](const std::string& key) {
      auto [it, fresh] = index.emplace(key, int32_t(States.size()));
      if (fresh) {
        States.push_back(key);
        from.emplace_back();
      }
      return it->second;
    };
    add(Encode(Start, X, Y));
    for (size_t i = 0; i < States.size(); ++i) {
      const TBoard b = Decode(States[i], X, Y);
      for (int32_t c = 0; c < Colours; ++c) {
        TBoard n = b;
        if (FloodFromCorner(n, X, Y, c) == 0) continue;
        from[size_t(add(Encode(n, X, Y)))].push_back(int32_t(i));
      }
      if (States.size() > 400000) {
        ADD_FAILURE() << "board too rich for the reference";
        break;
      }
    }
    ToGo.assign(States.size(), -1);
    std::deque<int32_t> queue;
    for (size_t i = 0; i < States.size(); ++i)
      if (BoardFinished(Decode(States[i], X, Y), X, Y)) {
        ToGo[i] = 0;
        queue.push_back(int32_t(i));
      }
    while (!queue.empty()) {
      const int32_t t = queue.front();
      queue.pop_front();
      for (const int32_t p : from[size_t(t)])
        if (ToGo[size_t(p)] < 0) {
          ToGo[size_t(p)] = ToGo[size_t(t)] + 1;
          queue.push_back(p);
        }
    }
  }
};

// Solve, checking every report: valid solutions that never grow, a bound that
// never falls and never passes the true optimum (when known, else -1).
TSolverProgress CheckedSolve(const TBoard& B, int32_t X, int32_t Y, int32_t Colours, int32_t Optimum,
                             const std::atomic<bool>& Cancel, TSolverLimits Limits = {}) {
  std::vector<TSolverProgress> reports;
  const TSolverProgress last = Solve(B, X, Y, Colours, Cancel, [&](const TSolverProgress& p) {
    EXPECT_TRUE(SolutionValid(B, X, Y, p.Best));
    if (!reports.empty()) {
      EXPECT_LE(p.Best.size(), reports.back().Best.size());
      EXPECT_GE(p.LowerBound, reports.back().LowerBound);
      EXPECT_FALSE(reports.back().Optimal) << "report after the optimum was proven";
    }
    EXPECT_EQ(p.Optimal, int32_t(p.Best.size()) == p.LowerBound);
    EXPECT_LE(p.LowerBound, int32_t(p.Best.size()));
    if (Optimum >= 0) {
      EXPECT_LE(p.LowerBound, Optimum);
    }
    reports.push_back(p);
  }, Limits);
  EXPECT_FALSE(reports.empty());
  if (!reports.empty()) {
    EXPECT_EQ(last.Best, reports.back().Best);
    EXPECT_EQ(last.LowerBound, reports.back().LowerBound);
  }
  return last;
}

// The exact search alone, iteration after iteration, until it finds a solution.
TMoveList ExactOnly(const solver::TRegionGraph& Graph, size_t TableBytes, int32_t Optimum, size_t* Filled = nullptr) {
  const std::atomic<bool> cancel{false};
  solver::TTransposition table(Graph.Words(), TableBytes);
  solver::TExactSearch exact(Graph, table, size_t(1) << 20);
  int32_t bound = solver::StartLowerBound(Graph);
  EXPECT_TRUE(exact.Begin(bound));
  for (;;) {
    const auto step = exact.Step(100, cancel);
    if (step == solver::TExactSearch::TStep::Paused) continue;
    if (step == solver::TExactSearch::TStep::Found) break;
    EXPECT_GT(exact.NewBound(), bound);
    bound = exact.NewBound();
    if (Optimum >= 0) {
      EXPECT_LE(bound, Optimum);
    }
    if (!exact.Begin(bound)) return {};
  }
  if (Filled) *Filled = table.Capacity() - table.Used();
  return exact.Solution();
}

struct TShape {
  int32_t X, Y, Colours, Seeds;
};

}  // namespace

TEST(SolverBound, NeverAboveTheOptimumOfAnyReachablePosition) {
  // Every reachable position of the board, so mid-game positions of all
  // kinds are covered as well as the start.
  for (const TShape s : {TShape{3, 3, 3, 10}, {4, 4, 3, 10}, {4, 4, 4, 10}, {5, 5, 4, 8}, {6, 6, 3, 6}, {6, 6, 4, 3},
                         {7, 7, 3, 3}, {2, 7, 4, 6}, {8, 3, 4, 4}}) {
    for (int seed = 0; seed < s.Seeds; ++seed) {
      const TBoard start = RandomBoard(s.X, s.Y, s.Colours, uint64_t(seed));
      const TExhaustive ref(start, s.X, s.Y, s.Colours);
      for (size_t i = 0; i < ref.States.size(); i += 1 + ref.States.size() / 3000) {
        const TBoard b = Decode(ref.States[i], s.X, s.Y);
        ASSERT_LE(SolverLowerBound(b, s.X, s.Y, s.Colours), ref.ToGo[i]) << s.X << "x" << s.Y << " " << ref.States[i];
        if (ref.ToGo[i] == 0) {
          ASSERT_EQ(SolverLowerBound(b, s.X, s.Y, s.Colours), 0);
        }
      }
    }
  }
}

TEST(Solve, ProvesTheExhaustiveOptimum) {
  // Solve, and its engines apart from its schedule: the exact search alone
  // and beams, which can never beat the optimum.
  const std::atomic<bool> cancel{false};
  for (const TShape s : {TShape{3, 3, 4, 12}, {4, 4, 4, 12}, {5, 5, 3, 10}, {5, 5, 4, 10}, {6, 6, 3, 8}, {6, 6, 4, 5},
                         {7, 7, 3, 6}, {8, 8, 3, 5}, {1, 9, 4, 3}, {9, 1, 3, 3}, {3, 8, 4, 6}, {8, 4, 3, 4},
                         {2, 2, 2, 4}, {5, 5, 6, 3}, {8, 5, 4, 3}}) {
    for (int seed = 0; seed < s.Seeds; ++seed) {
      const TBoard b = RandomBoard(s.X, s.Y, s.Colours, uint64_t(1000 + seed));
      const TExhaustive ref(b, s.X, s.Y, s.Colours);
      const TSolverProgress p = CheckedSolve(b, s.X, s.Y, s.Colours, ref.ToGo[0], cancel);
      ASSERT_TRUE(p.Optimal) << s.X << "x" << s.Y << " seed " << seed;
      ASSERT_EQ(int32_t(p.Best.size()), ref.ToGo[0]) << s.X << "x" << s.Y << " seed " << seed;
      const solver::TRegionGraph graph(b, s.X, s.Y, s.Colours);
      const TMoveList exact = ExactOnly(graph, size_t(1) << 20, ref.ToGo[0]);
      EXPECT_EQ(int32_t(exact.size()), ref.ToGo[0]);
      EXPECT_TRUE(SolutionValid(b, s.X, s.Y, exact));
      solver::TBeamSearch beam(graph, size_t(1) << 20);
      for (const size_t width : {1, 20}) {
        const TMoveList moves = beam.Run(width, 1000, cancel);
        EXPECT_GE(int32_t(moves.size()), ref.ToGo[0]);
        EXPECT_TRUE(SolutionValid(b, s.X, s.Y, moves));
        EXPECT_TRUE(beam.Run(width, ref.ToGo[0], cancel).empty());
      }
    }
  }
}

TEST(Solve, ProvesTheOptimumFromMidGamePositions) {
  // Positions after a few random presses: a region that is already large and
  // of any colour, including colours no neighbour has.
  const std::atomic<bool> cancel{false};
  for (int seed = 0; seed < 12; ++seed) {
    TBoard b = RandomBoard(6, 5, 4, uint64_t(50 + seed));
    TGameRandom random(static_cast<uint64_t>(seed) * 0x2545F4914F6CDD1Dull + 7);
    for (int k = 0; k < 1 + seed % 4; ++k) FloodFromCorner(b, 6, 5, random.Below(4));
    const TExhaustive ref(b, 6, 5, 4);
    const TSolverProgress p = CheckedSolve(b, 6, 5, 4, ref.ToGo[0], cancel);
    ASSERT_TRUE(p.Optimal);
    ASSERT_EQ(int32_t(p.Best.size()), ref.ToGo[0]) << Encode(b, 6, 5);
  }
}

TEST(Engines, ATableThatKeepsEvictingProvesTheSameOptimum) {
  // Boards large enough for a real search; a table of a few buckets gives up
  // entries all the time, which may cost nodes but never the answer.
  for (int seed = 0; seed < 3; ++seed) {
    const TBoard b = RandomBoard(11, 11, 6, uint64_t(900 + seed));
    const solver::TRegionGraph graph(b, 11, 11, 6);
    size_t freeSlots = 1;
    const TMoveList roomy = ExactOnly(graph, size_t(8) << 20, -1);
    const TMoveList tiny = ExactOnly(graph, 1024, -1, &freeSlots);
    EXPECT_EQ(freeSlots, 0u);
    EXPECT_EQ(roomy.size(), tiny.size());
    EXPECT_TRUE(SolutionValid(b, 11, 11, roomy));
    EXPECT_TRUE(SolutionValid(b, 11, 11, tiny));
  }
}

TEST(Solve, UsesOnlyTheSizedPartOfALargerBoard) {
  const std::atomic<bool> cancel{false};
  TBoard big = RandomBoard(9, 9, 4, 77);
  TBoard part(5, std::vector<int32_t>(4));
  for (int x = 0; x < 5; ++x)
    for (int y = 0; y < 4; ++y) part[x][y] = big[x][y];
  const TExhaustive ref(part, 5, 4, 4);
  EXPECT_EQ(CheckedSolve(big, 5, 4, 4, ref.ToGo[0], cancel).Best.size(), size_t(ref.ToGo[0]));
  EXPECT_EQ(GreedySolve(big, 5, 4, 4), GreedySolve(part, 5, 4, 4));
}

TEST(Solve, SmallMemoryBudgetsStayCorrect) {
  const std::atomic<bool> cancel{false};
  const TBoard b = RandomBoard(7, 7, 3, 5);
  const TExhaustive ref(b, 7, 7, 3);
  // A few kilobytes: a tiny table and beam, still enough to prove the optimum.
  const TSolverProgress small = CheckedSolve(b, 7, 7, 3, ref.ToGo[0], cancel, TSolverLimits{16u << 10});
  EXPECT_TRUE(small.Optimal);
  EXPECT_EQ(int32_t(small.Best.size()), ref.ToGo[0]);
  // No memory at all: the greedy answer, and no claim beyond what is proven.
  const TSolverProgress none = CheckedSolve(b, 7, 7, 3, ref.ToGo[0], cancel, TSolverLimits{0});
  EXPECT_LE(none.Best.size(), GreedySolve(b, 7, 7, 3).size());
}

TEST(Greedy, TakesTheLargestRegionTiesToTheLowestColour) {
  // The reference counts the corner's region after each candidate press.
  auto regionAfter = [](TBoard b, int32_t X, int32_t Y, int32_t c) {
    FloodFromCorner(b, X, Y, c);
    std::vector<std::vector<bool>> seen(static_cast<size_t>(X), std::vector<bool>(static_cast<size_t>(Y)));
    std::deque<std::pair<int32_t, int32_t>> queue{{0, 0}};
    seen[0][0] = true;
    int32_t n = 0;
    while (!queue.empty()) {
      const auto [x, y] = queue.front();
      queue.pop_front();
      ++n;
      const int32_t around[4][2] = {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}};
      for (const auto& a : around)
        if (a[0] >= 0 && a[1] >= 0 && a[0] < X && a[1] < Y && !seen[a[0]][a[1]] && b[a[0]][a[1]] == c) {
          seen[a[0]][a[1]] = true;
          queue.push_back({a[0], a[1]});
        }
    }
    return n;
  };
  for (const TShape s : {TShape{6, 6, 3, 5}, {14, 14, 6, 5}, {40, 40, 8, 2}, {12, 5, 4, 3}}) {
    for (int seed = 0; seed < s.Seeds; ++seed) {
      TBoard b = RandomBoard(s.X, s.Y, s.Colours, uint64_t(300 + seed));
      const TBoard start = b;
      TMoveList expected;
      while (!BoardFinished(b, s.X, s.Y)) {
        int32_t best = -1, bestSize = -1;
        for (int32_t c = 0; c < s.Colours; ++c) {
          if (c == b[0][0]) continue;
          const int32_t size = regionAfter(b, s.X, s.Y, c);
          if (size > bestSize) best = c, bestSize = size;
        }
        FloodFromCorner(b, s.X, s.Y, best);
        expected.push_back(best);
      }
      const TMoveList greedy = GreedySolve(start, s.X, s.Y, s.Colours);
      EXPECT_EQ(greedy, expected);
      EXPECT_TRUE(SolutionValid(start, s.X, s.Y, greedy));
    }
  }
}

TEST(SolutionValid, AcceptsOnlyPlaysThatEndExactlyOnTheWin) {
  const TBoard b = {{0, 1}, {1, 2}};  // column 0: 0 1, column 1: 1 2
  EXPECT_TRUE(SolutionValid(b, 2, 2, {1, 2}));
  EXPECT_FALSE(SolutionValid(b, 2, 2, {1}));        // not finished
  EXPECT_FALSE(SolutionValid(b, 2, 2, {0, 1, 2}));  // the corner's colour first: no move
  EXPECT_FALSE(SolutionValid(b, 2, 2, {1, 2, 0}));  // a move after the win
  EXPECT_FALSE(SolutionValid(b, 2, 2, {-1, 1, 2}));
  EXPECT_TRUE(SolutionValid(b, 2, 2, {2, 1, 2}));   // wasteful but a real play
  EXPECT_FALSE(SolutionValid(b, 3, 2, {1, 2}));     // sizes larger than the board
  EXPECT_FALSE(SolutionValid(b, 2, -1, {}));
}

TEST(Degenerate, EmptyAndFinishedBoardsAreSolvedByNoMoves) {
  const std::atomic<bool> cancel{false};
  const TBoard oneCell = {{3}};
  const TBoard flat(5, std::vector<int32_t>(4, 2));
  const struct {
    TBoard B;
    int32_t X, Y;
  } cases[] = {{{}, 0, 0}, {{}, 0, 7}, {TBoard(4), 4, 0}, {oneCell, 1, 1}, {flat, 5, 4}};
  for (const auto& c : cases) {
    EXPECT_EQ(SolverLowerBound(c.B, c.X, c.Y, 4), 0);
    EXPECT_TRUE(GreedySolve(c.B, c.X, c.Y, 4).empty());
    EXPECT_TRUE(SolutionValid(c.B, c.X, c.Y, {}));
    EXPECT_FALSE(SolutionValid(c.B, c.X, c.Y, {1}));
    int reports = 0;
    const TSolverProgress p = Solve(c.B, c.X, c.Y, 4, cancel, [&](const TSolverProgress&) { ++reports; });
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(p.Optimal);
    EXPECT_EQ(p.LowerBound, 0);
    EXPECT_TRUE(p.Best.empty());
  }
  // No Report assigned is fine too.
  EXPECT_TRUE(Solve(oneCell, 1, 1, 4, cancel, nullptr).Optimal);
}

TEST(Degenerate, MalformedBoardsAreRefused) {
  const std::atomic<bool> cancel{false};
  const TBoard ok = RandomBoard(4, 4, 3, 1);
  TBoard shortColumn = ok;
  shortColumn[2].pop_back();
  TBoard badColour = ok, negative = ok;
  badColour[1][1] = 3;
  negative[3][0] = -1;
  const TBoard huge(300, std::vector<int32_t>(300, 0));
  const struct {
    const TBoard& B;
    int32_t X, Y, Colours;
  } cases[] = {{ok, 5, 4, 3},     {shortColumn, 4, 4, 3}, {badColour, 4, 4, 3}, {negative, 4, 4, 3},
               {ok, -1, 4, 3},    {ok, 4, 4, 0},          {ok, 4, 4, 65},       {huge, 300, 300, 3}};
  for (const auto& c : cases) {
    EXPECT_THROW(SolverLowerBound(c.B, c.X, c.Y, c.Colours), EInvalidBoard);
    EXPECT_THROW(GreedySolve(c.B, c.X, c.Y, c.Colours), EInvalidBoard);
    EXPECT_THROW(Solve(c.B, c.X, c.Y, c.Colours, cancel, nullptr), EInvalidBoard);
    EXPECT_THROW(TSolverWorker(c.B, c.X, c.Y, c.Colours, nullptr), EInvalidBoard);
  }
  EXPECT_FALSE(SolutionValid(shortColumn, 4, 4, {1, 2}));
}

TEST(Cancel, LargeBoardStopsWithAValidAnswer) {
  const TBoard b = RandomBoard(40, 40, 8, 9);
  std::atomic<bool> cancel{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cancel = true;
  });
  const TSolverProgress p = CheckedSolve(b, 40, 40, 8, -1, cancel);
  stopper.join();
  EXPECT_FALSE(p.Optimal);
  EXPECT_TRUE(SolutionValid(b, 40, 40, p.Best));
  EXPECT_LE(p.Best.size(), GreedySolve(b, 40, 40, 8).size());
}

TEST(Cancel, SetBeforeTheStartGivesTheGreedyAnswerOnce) {
  const TBoard b = RandomBoard(40, 40, 8, 10);
  const std::atomic<bool> cancel{true};
  int reports = 0;
  const TSolverProgress p = Solve(b, 40, 40, 8, cancel, [&](const TSolverProgress&) { ++reports; });
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(p.Best, GreedySolve(b, 40, 40, 8));
  EXPECT_EQ(p.LowerBound, SolverLowerBound(b, 40, 40, 8));
}

TEST(Worker, DestroyedAtOnceJoinsCleanly) {
  for (int i = 0; i < 5; ++i) TSolverWorker worker(RandomBoard(40, 40, 8, uint64_t(i)), 40, 40, 8, nullptr);
  // A report may or may not have run; none runs once the destructor returns.
  std::atomic<int> reports{0};
  { TSolverWorker worker(RandomBoard(40, 40, 8, 3), 40, 40, 8, [&](const TSolverProgress&) { ++reports; }); }
  const int seen = reports;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(reports, seen);
}

TEST(Worker, ReportsOnItsOwnThreadUntilTheOptimum) {
  const TBoard b = RandomBoard(6, 6, 4, 21);
  const TExhaustive ref(b, 6, 6, 4);
  std::mutex lock;
  std::vector<TSolverProgress> reports;
  bool otherThread = true;
  const auto caller = std::this_thread::get_id();
  TSolverWorker worker(b, 6, 6, 4, [&](const TSolverProgress& p) {
    std::lock_guard<std::mutex> hold(lock);
    otherThread = otherThread && std::this_thread::get_id() != caller;
    reports.push_back(p);
  });
  while (!worker.Finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::lock_guard<std::mutex> hold(lock);
  EXPECT_TRUE(otherThread);
  ASSERT_FALSE(reports.empty());
  EXPECT_TRUE(reports.back().Optimal);
  EXPECT_EQ(int32_t(reports.back().Best.size()), ref.ToGo[0]);
}

TEST(Worker, NoReportStartsAfterCancelReturns) {
  std::atomic<bool> cancelled{false};
  std::atomic<int> late{0}, count{0};
  std::mutex lock;
  std::condition_variable first;
  TSolverWorker worker(RandomBoard(40, 40, 8, 4), 40, 40, 8, [&](const TSolverProgress&) {
    if (cancelled) ++late;
    {
      std::lock_guard<std::mutex> hold(lock);
      ++count;
    }
    first.notify_all();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));  // widen the window of a running report
  });
  {
    std::unique_lock<std::mutex> hold(lock);
    first.wait(hold, [&] { return count > 0; });
  }
  worker.Cancel();
  cancelled = true;
  while (!worker.Finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(late, 0);
}

TEST(Worker, CancelFromInsideReportDoesNotDeadlock) {
  std::atomic<TSolverWorker*> self{nullptr};
  std::atomic<int> count{0};
  auto worker = std::make_unique<TSolverWorker>(RandomBoard(40, 40, 8, 5), 40, 40, 8, [&](const TSolverProgress&) {
    ++count;
    while (!self.load()) std::this_thread::yield();
    self.load()->Cancel();
  });
  self = worker.get();
  while (!worker->Finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(count, 1);  // cancelled in the first report: no other follows
  worker.reset();
}
