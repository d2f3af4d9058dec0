// Shared by the Windows-side benchmarks: a millisecond clock, the median of
// repeated timings, and pumping messages for a while.
#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include "toolkit/win/application.h"

inline double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

inline double Median(std::vector<double> Times) {
  std::sort(Times.begin(), Times.end());
  return Times[Times.size() / 2];
}

// The median of Rounds timings of Body run Reps times, in ms per run.
inline double Measure(int Rounds, int Reps, const std::function<void()>& Body) {
  std::vector<double> times;
  for (int r = 0; r < Rounds; ++r) {
    const double start = Now();
    for (int i = 0; i < Reps; ++i) Body();
    GdiFlush();
    times.push_back((Now() - start) / Reps);
  }
  return Median(times);
}

// Timings of single runs of Body: the median, and the best run (the cost
// when the shared machine did not interrupt it).
struct TTimings {
  double Median;
  double Best;
};
inline TTimings MeasureEach(int Runs, const std::function<void()>& Body) {
  std::vector<double> times;
  for (int r = 0; r < Runs; ++r) {
    const double start = Now();
    Body();
    GdiFlush();
    times.push_back(Now() - start);
  }
  return {Median(times), *std::min_element(times.begin(), times.end())};
}

inline void Pump(int Ms) {
  const double end = Now() + Ms;
  while (Now() < end) {
    Application->ProcessMessages();
    Sleep(1);
  }
}
