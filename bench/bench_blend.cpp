// Pixel rates of the row operations under each binding, beside memcpy, memset
// and pixman's OVER on the same buffers in the same run.
//   build/native/bin/bench_blend [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gfx/blend.h"

namespace {

struct TBuffers {
  int Width = 0, Height = 0;
  std::vector<TColor32> Src, Dst, Pristine;
};

// Random colours and alphas; the same buffers serve every benchmark of a size.
TBuffers& Buffers(int side) {
  static std::map<int, std::unique_ptr<TBuffers>> cache;
  auto& slot = cache[side];
  if (!slot) {
    slot = std::make_unique<TBuffers>();
    slot->Width = slot->Height = side;
    const size_t n = size_t(side) * size_t(side);
    std::mt19937 rng{uint32_t(side)};
    slot->Src.resize(n);
    slot->Pristine.resize(n);
    for (auto& p : slot->Src) p = rng();
    for (auto& p : slot->Pristine) p = rng();
    slot->Dst = slot->Pristine;
  }
  return *slot;
}

void CountPixels(benchmark::State& state, const TBuffers& b) {
  state.counters["Mpix/s"] = benchmark::Counter(
      double(state.iterations()) * b.Width * b.Height / 1e6, benchmark::Counter::kIsRate);
}

template <class RowOp>
void RunRows(benchmark::State& state, TBlendBinding binding, int side, RowOp op) {
  if (!BlendBindingAvailable(binding)) {
    state.SkipWithError("instruction set not available");
    return;
  }
  BindBlendFunctions(binding);
  TBuffers& b = Buffers(side);
  for (auto _ : state) {
    for (int y = 0; y < b.Height; ++y) {
      const size_t row = size_t(y) * size_t(b.Width);
      op(b.Src.data() + row, b.Dst.data() + row, b.Width);
    }
    benchmark::ClobberMemory();
  }
  CountPixels(state, b);
  BindBlendFunctions(TBlendBinding::Default);
}

// MergeRow's cost depends on the destination alpha, which merging raises
// towards opaque; the destination is restored (untimed) before every pass.
void RunMergeRows(benchmark::State& state, TBlendBinding binding, int side) {
  if (!BlendBindingAvailable(binding)) {
    state.SkipWithError("instruction set not available");
    return;
  }
  BindBlendFunctions(binding);
  TBuffers& b = Buffers(side);
  for (auto _ : state) {
    state.PauseTiming();
    b.Dst = b.Pristine;
    state.ResumeTiming();
    for (int y = 0; y < b.Height; ++y) {
      const size_t row = size_t(y) * size_t(b.Width);
      MergeRow(b.Src.data() + row, b.Dst.data() + row, b.Width);
    }
    benchmark::ClobberMemory();
  }
  CountPixels(state, b);
  BindBlendFunctions(TBlendBinding::Default);
}

void RunPixmanOver(benchmark::State& state, int side, bool restore) {
  TBuffers& b = Buffers(side);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, b.Width, b.Height,
                                                 b.Src.data(), b.Width * 4);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, b.Width, b.Height,
                                                 b.Dst.data(), b.Width * 4);
  for (auto _ : state) {
    if (restore) {
      state.PauseTiming();
      std::memcpy(b.Dst.data(), b.Pristine.data(), b.Dst.size() * 4);
      state.ResumeTiming();
    }
    pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, b.Width, b.Height);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
  CountPixels(state, b);
}

void RunMemcpy(benchmark::State& state, int side) {
  TBuffers& b = Buffers(side);
  for (auto _ : state) {
    std::memcpy(b.Dst.data(), b.Src.data(), b.Dst.size() * 4);
    benchmark::ClobberMemory();
  }
  CountPixels(state, b);
}

void RunMemset(benchmark::State& state, int side) {
  TBuffers& b = Buffers(side);
  for (auto _ : state) {
    std::memset(b.Dst.data(), 0x5A, b.Dst.size() * 4);
    benchmark::ClobberMemory();
  }
  CountPixels(state, b);
}

const char* BindingName(TBlendBinding b) {
  switch (b) {
    case TBlendBinding::Plain: return "plain";
    case TBlendBinding::SSE2: return "sse2";
    case TBlendBinding::AVX2: return "avx2";
    default: return "bound";
  }
}

void RegisterAll() {
  const TBlendBinding bindings[] = {TBlendBinding::Default, TBlendBinding::Plain,
                                    TBlendBinding::SSE2, TBlendBinding::AVX2};
  for (int side : {64, 1024, 4096}) {
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    auto add = [&](const std::string& name, auto fn) {
      benchmark::RegisterBenchmark((name + "/" + size).c_str(), fn)->Unit(benchmark::kMicrosecond);
    };
    add("memcpy", [side](benchmark::State& s) { RunMemcpy(s, side); });
    add("memset", [side](benchmark::State& s) { RunMemset(s, side); });
    add("pixman_OVER", [side](benchmark::State& s) { RunPixmanOver(s, side, false); });
    add("pixman_OVER_restored", [side](benchmark::State& s) { RunPixmanOver(s, side, true); });
    for (TBlendBinding b : bindings) {
      const std::string bn = BindingName(b);
      add("BlendRow_" + bn, [=](benchmark::State& s) {
        RunRows(s, b, side, [](const TColor32* src, TColor32* dst, int n) { BlendRow(src, dst, n); });
      });
      add("MergeRow_" + bn, [=](benchmark::State& s) { RunMergeRows(s, b, side); });
      add("CombineRow_" + bn, [=](benchmark::State& s) {
        RunRows(s, b, side, [](const TColor32* src, TColor32* dst, int n) { CombineRow(src, dst, n, 100); });
      });
      add("BlendColorRun_" + bn, [=](benchmark::State& s) {
        RunRows(s, b, side, [](const TColor32*, TColor32* dst, int n) { BlendColorRun(0x80336699u, dst, n); });
      });
      // A value of four equal bytes, as memset writes, and one of four different bytes.
      for (TColor32 value : {0x5A5A5A5Au, 0x80336699u}) {
        const std::string name = value == 0x5A5A5A5Au ? "FillLongword_" : "FillLongwordMixed_";
        add(name + bn, [=](benchmark::State& s) {
          TBuffers& buf = Buffers(side);
          if (!BlendBindingAvailable(b)) {
            s.SkipWithError("instruction set not available");
            return;
          }
          BindBlendFunctions(b);
          for (auto _ : s) {
            FillLongword(buf.Dst.data(), int(buf.Dst.size()), value);
            benchmark::ClobberMemory();
          }
          CountPixels(s, buf);
          BindBlendFunctions(TBlendBinding::Default);
        });
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  GR32Initialize();
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
