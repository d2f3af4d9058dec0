// Polygon and gradient fills on a 1024 x 768 target: a panel-sized gradient
// rectangle on the axis and general paths, an anti-aliased star under both
// fill rules, and a polygon mostly outside the target (clipping cost).
// Counters report target pixels touched per second (the fill's bounds).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "gfx/gradient.h"

namespace {

constexpr int Width = 1024, Height = 768;

TFixedPoint FP(double X, double Y) { return {TFixed(std::lround(X * 65536)), TFixed(std::lround(Y * 65536))}; }

TArrayOfFixedPoint Rect(double L, double T, double R, double B) {
  return {FP(L, T), FP(R, T), FP(R, B), FP(L, B)};
}

void Report(benchmark::State& State, double PixelsPerIteration) {
  State.counters["MPix/s"] =
      benchmark::Counter(PixelsPerIteration * double(State.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_GradientRect(benchmark::State& State) {
  TBitmap32 bmp;
  bmp.SetSize(Width, Height);
  const TArrayOfColor32 stops{0xFF203040, 0xFFC0D0E0, 0xFF406080};
  const TArrayOfFixedPoint rect = Rect(12, 20, 812, 620);
  for (auto _ : State) {
    GradientFillPolygon(&bmp, rect, int32_t(State.range(0)), stops, 0);
    benchmark::DoNotOptimize(bmp.Bits());
  }
  Report(State, 800.0 * 600.0);
}
BENCHMARK(BM_GradientRect)->Arg(0)->Arg(90)->Arg(30);

void BM_StarFill(benchmark::State& State) {
  TBitmap32 bmp;
  bmp.SetSize(Width, Height);
  TPolygon32Ex star;
  star.SetAntialiased(true);
  star.SetFillMode(State.range(0) ? pfWinding : pfAlternate);
  for (int k = 0; k < 5; ++k) {
    const double a = -std::numbers::pi / 2 + k * 4 * std::numbers::pi / 5;
    star.Add(FP(512.3 + 370.7 * std::cos(a), 384.6 + 370.7 * std::sin(a)));
  }
  for (auto _ : State) {
    star.DrawFill(&bmp, 0xC0FF8040);
    benchmark::DoNotOptimize(bmp.Bits());
  }
  Report(State, 741.4 * 741.4);
}
BENCHMARK(BM_StarFill)->Arg(0)->Arg(1);

void BM_MostlyOutside(benchmark::State& State) {
  TBitmap32 bmp;
  bmp.SetSize(Width, Height);
  TPolygon32Ex poly;
  poly.SetAntialiased(true);
  poly.AddPoints({FP(-30000, -20000.5), FP(30000.25, -19000), FP(1000.5, 30000), FP(-25000, 400.75)});
  for (auto _ : State) {
    poly.DrawFill(&bmp, 0xFF00FF00);
    benchmark::DoNotOptimize(bmp.Bits());
  }
  Report(State, double(Width) * Height);
}
BENCHMARK(BM_MostlyOutside);

}  // namespace

BENCHMARK_MAIN();
