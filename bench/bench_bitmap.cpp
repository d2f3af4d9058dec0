// Bitmap transfers: a dmBlend DrawTo of 1024 x 1024 pixels and nearest
// stretches (2x up, 0.5x down), through each binding of the blend operations.
// Counters report destination megapixels per second.
#include <benchmark/benchmark.h>

#include "gfx/bitmap32.h"
#include "gfx/blend.h"

namespace {

constexpr int Size = 1024;

void Fill(TBitmap32& B, int W, int H) {
  B.SetSize(W, H);
  uint32_t x = 0x12345678;
  for (int i = 0; i < W * H; ++i) {
    x = x * 1664525u + 1013904223u;
    B.Bits()[i] = x;  // mixed alphas, so no early exit dominates
  }
}

bool Bind(benchmark::State& State, TBlendBinding Binding) {
  if (!BlendBindingAvailable(Binding)) {
    State.SkipWithError("instruction set not available");
    return false;
  }
  BindBlendFunctions(Binding);
  return true;
}

void Report(benchmark::State& State, int64_t PixelsPerIteration) {
  State.counters["MPix/s"] = benchmark::Counter(double(PixelsPerIteration) * double(State.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
  BindBlendFunctions(TBlendBinding::Default);
}

void BM_DrawToBlend(benchmark::State& State, TBlendBinding Binding) {
  if (!Bind(State, Binding)) return;
  TBitmap32 src, dst;
  Fill(src, Size, Size);
  Fill(dst, Size, Size);
  src.SetDrawMode(dmBlend);
  for (auto _ : State) {
    src.DrawTo(&dst);
    benchmark::ClobberMemory();
  }
  Report(State, int64_t(Size) * Size);
}

void BM_DrawToBlendMaster(benchmark::State& State, TBlendBinding Binding) {
  if (!Bind(State, Binding)) return;
  TBitmap32 src, dst;
  Fill(src, Size, Size);
  Fill(dst, Size, Size);
  src.SetDrawMode(dmBlend);
  src.SetMasterAlpha(160);
  for (auto _ : State) {
    src.DrawTo(&dst);
    benchmark::ClobberMemory();
  }
  Report(State, int64_t(Size) * Size);
}

// Nearest stretch by a factor: 2 enlarges 512 -> 1024, 0.5 shrinks 2048 -> 1024.
void BM_NearestStretch(benchmark::State& State, TBlendBinding Binding, int SrcSize, TDrawMode Mode) {
  if (!Bind(State, Binding)) return;
  TBitmap32 src, dst;
  Fill(src, SrcSize, SrcSize);
  Fill(dst, Size, Size);
  src.SetDrawMode(Mode);
  const TRect r = dst.BoundsRect();
  for (auto _ : State) {
    src.DrawTo(&dst, r);
    benchmark::ClobberMemory();
  }
  Report(State, int64_t(Size) * Size);
}

#define BINDINGS(fn, ...)                                                              \
  BENCHMARK_CAPTURE(fn, plain, TBlendBinding::Plain __VA_OPT__(, ) __VA_ARGS__);       \
  BENCHMARK_CAPTURE(fn, sse2, TBlendBinding::SSE2 __VA_OPT__(, ) __VA_ARGS__);         \
  BENCHMARK_CAPTURE(fn, avx2, TBlendBinding::AVX2 __VA_OPT__(, ) __VA_ARGS__)

BINDINGS(BM_DrawToBlend);
BINDINGS(BM_DrawToBlendMaster);
BENCHMARK_CAPTURE(BM_NearestStretch, up2x_opaque, TBlendBinding::Default, Size / 2, dmOpaque);
BENCHMARK_CAPTURE(BM_NearestStretch, down2x_opaque, TBlendBinding::Default, Size * 2, dmOpaque);
BENCHMARK_CAPTURE(BM_NearestStretch, up2x_blend_plain, TBlendBinding::Plain, Size / 2, dmBlend);
BENCHMARK_CAPTURE(BM_NearestStretch, up2x_blend_sse2, TBlendBinding::SSE2, Size / 2, dmBlend);
BENCHMARK_CAPTURE(BM_NearestStretch, up2x_blend_avx2, TBlendBinding::AVX2, Size / 2, dmBlend);
BENCHMARK_CAPTURE(BM_NearestStretch, down2x_blend_plain, TBlendBinding::Plain, Size * 2, dmBlend);
BENCHMARK_CAPTURE(BM_NearestStretch, down2x_blend_sse2, TBlendBinding::SSE2, Size * 2, dmBlend);
BENCHMARK_CAPTURE(BM_NearestStretch, down2x_blend_avx2, TBlendBinding::AVX2, Size * 2, dmBlend);

}  // namespace

BENCHMARK_MAIN();
