// Solver figures on fixed seeds:
//   (1) time to the proven optimum on 20 boards of 14 x 14 with 6 colours;
//   (2) best found and proven bound after 1 s (and 10 s) on 20 x 20, 6 colours;
//   (3) the same on 40 x 40 with 8 colours, beside the plain greedy player;
//   (4) how fast a search stops when cancelled.
//   build/native/bin/bench_solver [--long] [--optimal-only] [--boards N]
// --long adds the 10 s snapshots (one 10 s run per board gives both).
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game/solver.h"

namespace {

using TClock = std::chrono::steady_clock;

// The same boards on every run, from the seed.
TBoard Board(int32_t Side, int32_t Colours, uint64_t Seed) {
  TGameRandom random(Seed * 0x2545F4914F6CDD1Dull + 1);
  return GenerateBoard(Side, Side, Colours, [&](int32_t n) { return random.Below(n); });
}

double Since(TClock::time_point Start) { return std::chrono::duration<double>(TClock::now() - Start).count(); }

struct TSnapshot {
  int32_t Best = 0, Bound = 0;
  bool Optimal = false;
};

// Runs Solve for Seconds, cancelling from a timer thread, and keeps the last
// progress reported before each of the given times.
std::vector<TSnapshot> Snapshots(const TBoard& B, int32_t Side, int32_t Colours, const std::vector<double>& Times) {
  std::atomic<bool> cancel{false};
  std::vector<TSnapshot> shots(Times.size());
  const auto start = TClock::now();
  std::mutex lock;
  std::condition_variable done;
  bool finished = false;
  std::thread timer([&] {
    std::unique_lock<std::mutex> hold(lock);
    done.wait_for(hold, std::chrono::duration<double>(Times.back()), [&] { return finished; });
    cancel = true;
  });
  Solve(B, Side, Side, Colours, cancel, [&](const TSolverProgress& p) {
    const double t = Since(start);
    for (size_t i = 0; i < Times.size(); ++i)
      if (t <= Times[i]) shots[i] = {int32_t(p.Best.size()), p.LowerBound, p.Optimal};
  });
  malloc_trim(0);  // so that the peak resident set shows one run, not the heap kept from earlier ones
  {
    std::lock_guard<std::mutex> hold(lock);
    finished = true;
  }
  done.notify_all();
  timer.join();
  return shots;
}

void Optimal14(int Boards) {
  std::printf("(1) 14 x 14, 6 colours: time to the proven optimum (cap 60 s)\n");
  std::printf("  seed  greedy  start-bound  optimum  seconds\n");
  std::vector<double> times;
  for (int seed = 1; seed <= Boards; ++seed) {
    const TBoard b = Board(14, 6, uint64_t(seed));
    std::atomic<bool> cancel{false};
    int32_t startBound = -1;
    const auto start = TClock::now();
    std::thread timer;
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    timer = std::thread([&] {
      std::unique_lock<std::mutex> hold(lock);
      done.wait_for(hold, std::chrono::seconds(60), [&] { return finished; });
      cancel = true;
    });
    const TSolverProgress p = Solve(b, 14, 14, 6, cancel, [&](const TSolverProgress& q) {
      if (startBound < 0) startBound = q.LowerBound;
    });
    const double t = Since(start);
    {
      std::lock_guard<std::mutex> hold(lock);
      finished = true;
    }
    done.notify_all();
    timer.join();
    malloc_trim(0);
    times.push_back(p.Optimal ? t : 1e9);
    std::printf("  %4d  %6zu  %11d  %7s  %7.3f\n", seed, GreedySolve(b, 14, 14, 6).size(), startBound,
                p.Optimal ? std::to_string(p.Best.size()).c_str() : "?", t);
    std::fflush(stdout);
  }
  std::sort(times.begin(), times.end());
  const double median = (times[(times.size() - 1) / 2] + times[times.size() / 2]) / 2;
  std::printf("  median %.3f s, worst %s\n\n", median,
              times.back() >= 1e9 ? "not proven within 60 s" : (std::to_string(times.back()) + " s").c_str());
}

void Snapshot(int32_t Side, int32_t Colours, int Boards, bool Long) {
  std::vector<double> at{1.0};
  if (Long) at.push_back(10.0);
  std::printf("(%c) %d x %d, %d colours: best found / proven bound (gap)%s\n", Side == 20 ? '2' : '3', Side, Side,
              Colours, Long ? " after 1 s and 10 s" : " after 1 s");
  std::printf("  seed  greedy  after 1 s%s\n", Long ? "          after 10 s" : "");
  double gap1 = 0, gap10 = 0, gain1 = 0, gain10 = 0;
  for (int seed = 1; seed <= Boards; ++seed) {
    const TBoard b = Board(Side, Colours, uint64_t(100 + seed));
    const auto greedy = int32_t(GreedySolve(b, Side, Side, Colours).size());
    const auto shots = Snapshots(b, Side, Colours, at);
    std::printf("  %4d  %6d", seed, greedy);
    for (const auto& s : shots) std::printf("  %3d / %3d (%2d)%s", s.Best, s.Bound, s.Best - s.Bound, s.Optimal ? "*" : " ");
    std::printf("\n");
    std::fflush(stdout);
    gap1 += shots[0].Best - shots[0].Bound;
    gain1 += greedy - shots[0].Best;
    if (Long) {
      gap10 += shots[1].Best - shots[1].Bound;
      gain10 += greedy - shots[1].Best;
    }
  }
  std::printf("  mean gap %.2f after 1 s", gap1 / Boards);
  if (Long) std::printf(", %.2f after 10 s", gap10 / Boards);
  std::printf("; mean moves saved over greedy %.2f after 1 s", gain1 / Boards);
  if (Long) std::printf(", %.2f after 10 s", gain10 / Boards);
  std::printf("  (* proven optimal)\n\n");
}

// How long Solve takes to return once Cancel is set, and how long a worker's
// Cancel() and destructor take, on 40 x 40 boards with 8 colours.
void CancelLatency(int Boards) {
  double worstSolve = 0, worstWorker = 0;
  for (int seed = 1; seed <= Boards; ++seed) {
    const TBoard b = Board(40, 8, uint64_t(200 + seed));
    std::atomic<bool> cancel{false};
    TClock::time_point set;
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300 + 100 * seed));
      set = TClock::now();
      cancel = true;
    });
    Solve(b, 40, 40, 8, cancel, nullptr);
    const double latency = Since(set);
    stopper.join();
    worstSolve = std::max(worstSolve, latency);
    malloc_trim(0);

    auto worker = std::make_unique<TSolverWorker>(b, 40, 40, 8, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(300 + 100 * seed));
    const auto start = TClock::now();
    worker->Cancel();
    worker.reset();
    worstWorker = std::max(worstWorker, Since(start));
    malloc_trim(0);
  }
  std::printf("(4) cancel on 40 x 40, 8 colours: Solve returns within %.2f ms of the flag, a worker's Cancel() and "
              "destructor take %.2f ms (worst of %d)\n\n",
              worstSolve * 1e3, worstWorker * 1e3, Boards);
}

}  // namespace

int main(int argc, char** argv) {
  bool longRuns = false, optimalOnly = false;
  int boards = 20;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--long")) longRuns = true;
    else if (!std::strcmp(argv[i], "--optimal-only")) optimalOnly = true;
    else if (!std::strcmp(argv[i], "--boards") && i + 1 < argc) boards = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr, "usage: %s [--long] [--optimal-only] [--boards N]\n", argv[0]);
      return 2;
    }
  }
  std::printf("memory budget %zu MiB\n\n", TSolverLimits{}.MemoryBytes >> 20);
  Optimal14(boards);
  if (!optimalOnly) {
    Snapshot(20, 6, std::min(boards, 10), longRuns);
    Snapshot(40, 8, std::min(boards, 5), longRuns);
    CancelLatency(5);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident set of the process (one search at a time) %.1f MiB\n", double(usage.ru_maxrss) / 1024.0);
  return 0;
}
