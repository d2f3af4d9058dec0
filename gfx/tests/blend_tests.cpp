// Blend operations against formulas written out independently here, and every
// SIMD binding bit-exact against the plain one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <vector>
#include <xmmintrin.h>

#include "gfx/blend.h"

namespace {

uint32_t Ch(TColor32 c, int i) { return (c >> (8 * i)) & 0xFF; }

TColor32 Pack(const uint32_t (&c)[4]) {
  return c[0] | (c[1] << 8) | (c[2] << 16) | (c[3] << 24);
}

// Independent references.
int RefMul(int i, int j) { return int(std::lround(i * j / 255.0)); }
int RefDiv(int i, int j) { return j == 0 ? 0 : int(std::nearbyint(i * 255.0 / j)) & 0xFF; }

TColor32 RefLerp(TColor32 F, TColor32 B, uint32_t W) {
  uint32_t c[4];
  for (int i = 0; i < 4; ++i) c[i] = (Ch(F, i) * W + Ch(B, i) * (256 - W) + 128) >> 8;
  return Pack(c);
}

TColor32 RefMerge(TColor32 F, TColor32 B) {
  const int fa = int(F >> 24), ba = int(B >> 24);
  if (fa == 0) return B;
  if (ba == 255) return RefLerp(F, B, uint32_t(fa)) | 0xFF000000u;
  if (fa == 255 || ba == 0) return F;
  const int ra = fa + ba - RefMul(ba, fa);
  uint32_t c[4];
  for (int i = 0; i < 3; ++i) {
    const int f = int(Ch(F, i)), b = RefMul(ba, int(Ch(B, i)));
    const int v = f >= b ? b + RefMul(fa, f - b) : b - RefMul(fa, b - f);
    c[i] = uint32_t(RefDiv(v, ra));
  }
  c[3] = uint32_t(ra);
  return Pack(c);
}

TColor32 RefBlendMaster(TColor32 F, TColor32 B, uint32_t M) {
  const uint32_t w = ((M + 1) * (F >> 24)) >> 8;
  return w == 0 ? B : RefLerp(F, B, w);
}

TColor32 RefMergeMaster(TColor32 F, TColor32 B, uint32_t M) {
  return RefMerge((F & 0xFFFFFF) | (uint32_t(RefMul(int(M), int(F >> 24))) << 24), B);
}

std::vector<TColor32> RandomPixels(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<TColor32> v(n);
  for (auto& p : v) {
    p = rng();
    // Plenty of the alphas that take special paths.
    switch (rng() % 6) {
      case 0: p &= 0x00FFFFFF; break;
      case 1: p |= 0xFF000000; break;
      default: break;
    }
  }
  return v;
}

class BindingGuard {
public:
  explicit BindingGuard(TBlendBinding b) { BindBlendFunctions(b); }
  ~BindingGuard() { BindBlendFunctions(TBlendBinding::Default); }
};

// ---- Tables and the exact integer forms the SIMD code uses -----------------

TEST(BlendTables, MatchTheirDefinitions) {
  for (int j = 0; j < 256; ++j)
    for (int i = 0; i < 256; ++i) {
      ASSERT_EQ(MulTable[j][i], RefMul(i, j)) << i << " " << j;
      ASSERT_EQ(DivTable[j][i], RefDiv(i, j)) << i << " " << j;
    }
}

TEST(BlendTables, ExactIntegerFormsEqualTheTables) {
  // round(x / 255) as (t + (t >> 8)) >> 8 with t = x + 128.
  for (uint32_t j = 0; j < 256; ++j)
    for (uint32_t i = 0; i < 256; ++i) {
      const uint32_t t = i * j + 128;
      ASSERT_EQ((t + (t >> 8)) >> 8, MulTable[j][i]);
      ASSERT_EQ((t * 257) >> 16, MulTable[j][i]);
      ASSERT_LE(t + (t >> 8), 0xFFFFu);
    }
  // The merge's b +/- MulTable[Fa][|F_c - b|] as one rounded quotient.
  for (int fa = 0; fa < 256; ++fa)
    for (int b = 0; b < 256; ++b)
      for (int f = 0; f < 256; ++f) {
        const int v = f >= b ? b + MulTable[fa][f - b] : b - MulTable[fa][b - f];
        const uint32_t t = uint32_t(b * (255 - fa) + f * fa + 128);
        if (int((t * 257) >> 16) != v) FAIL() << fa << " " << b << " " << f;
      }
  // DivTable[Ra][v] for v <= Ra as a correctly rounded single-precision
  // quotient converted with round-to-nearest-even.
  for (int ra = 1; ra < 256; ++ra)
    for (int v = 0; v <= ra; ++v) {
      const float q = float(v * 255) / float(ra);
      ASSERT_EQ(int(std::nearbyint(q)), DivTable[ra][v]) << v << "/" << ra;
    }
  // The same quotient in 16-bit integer lanes: m = floor(65535 / Ra) from a
  // truncated single-precision quotient, q = ((v * 255 + Ra / 2) * m) >> 16,
  // one correction step by the remainder, and a remainder of 0 for an even Ra
  // marks a tie, which goes to the even neighbour.
  for (uint32_t ra = 1; ra < 256; ++ra) {
    const uint32_t m = uint32_t(65535.0f / float(ra));
    ASSERT_EQ(m, 65535 / ra) << ra;
    for (uint32_t v = 0; v <= ra; ++v) {
      const uint32_t t = v * 255 + ra / 2;
      uint32_t q = (t * m) >> 16, r = t - q * ra;
      ASSERT_LT(r, 2 * ra);
      if (r >= ra) ++q, r -= ra;
      if (r == 0 && ra % 2 == 0) q &= ~1u;
      ASSERT_EQ(q, DivTable[ra][v]) << v << "/" << ra;
    }
  }
}

TEST(BlendTables, MergeNeverReadsDivTableAboveTheDiagonal) {
  for (int fa = 1; fa < 255; ++fa)
    for (int ba = 1; ba < 255; ++ba) {
      const int ra = fa + ba - MulTable[ba][fa];
      // For each premultiplied background b, v is largest for F_c = 255.
      for (int bc = 0; bc < 256; ++bc) {
        const int b = MulTable[ba][bc];
        ASSERT_LE(b + MulTable[fa][255 - b], ra) << fa << " " << ba << " " << bc;
      }
    }
}

// ---- Every binding against the formulas ------------------------------------

class BlendBindings : public ::testing::TestWithParam<TBlendBinding> {
protected:
  void SetUp() override {
    if (!BlendBindingAvailable(GetParam())) GTEST_SKIP() << "instruction set not available";
    BindBlendFunctions(GetParam());
  }
  void TearDown() override { BindBlendFunctions(TBlendBinding::Default); }
};

TEST_P(BlendBindings, BlendPixelAndCombineExhaustive) {
  if (GetParam() == TBlendBinding::AVX2) GTEST_SKIP() << "the AVX2 binding adds only row forms";
  // Every (foreground value, weight, background value); the alpha channel
  // carries the weight itself.
  for (uint32_t w = 0; w < 256; ++w)
    for (uint32_t f = 0; f < 256; ++f)
      for (uint32_t b = 0; b < 256; ++b) {
        const TColor32 F = (w << 24) | (f * 0x010101u), B = b * 0x01010101u;
        const TColor32 X = f * 0x01010101u;
        const uint32_t c = (f * w + b * (256 - w) + 128) >> 8;
        const uint32_t a = (w * w + b * (256 - w) + 128) >> 8;
        if (BlendPixel(F, B) != (c * 0x010101u | a << 24)) FAIL() << std::hex << F << " " << B;
        if (CombinePixel(X, B, w) != c * 0x01010101u) FAIL() << std::hex << X << " " << B << " " << w;
      }
}

TEST_P(BlendBindings, BlendRowAndColorRunExhaustive) {
  std::vector<TColor32> src(65536), dst(65536), out(65536), run(256);
  for (uint32_t fa = 0; fa < 256; ++fa) {
    // Blue and red see every (F_c, B_c); the alpha every (Fa, Ba).
    for (uint32_t i = 0; i < 65536; ++i) {
      const uint32_t f = i & 0xFF, b = i >> 8;
      src[i] = (fa << 24) | (f << 16) | (b << 8) | f;
      dst[i] = (b << 24) | (b << 16) | (f << 8) | b;
    }
    out = dst;
    BlendRow(src.data(), out.data(), 65536);
    for (uint32_t i = 0; i < 65536; ++i) {
      const uint32_t f = i & 0xFF, b = i >> 8;
      const uint32_t c = ((f * fa + 128) >> 8) + b - ((b * fa + 128) >> 8);
      const uint32_t g = ((b * fa + 128) >> 8) + f - ((f * fa + 128) >> 8);
      const uint32_t a = std::min(fa + b - ((b * fa + 128) >> 8), 255u);
      if (out[i] != ((a << 24) | (c << 16) | (g << 8) | c))
        FAIL() << std::hex << src[i] << " over " << dst[i] << " gave " << out[i];
    }

    const TColor32 F = (fa << 24) | 0x40C0FF;
    for (uint32_t b = 0; b < 256; ++b) run[b] = b * 0x01010101u;
    BlendColorRun(F, run.data(), 256);
    for (uint32_t b = 0; b < 256; ++b) {
      const TColor32 B = b * 0x01010101u;
      const TColor32 expected = fa == 0 ? B : fa == 255 ? F : RefLerp(F, B, fa);
      ASSERT_EQ(run[b], expected) << std::hex << F << " " << B;
    }
  }
}

TEST_P(BlendBindings, MergeEveryAlphaPair) {
  // All 65536 alpha pairs, each with several colour combinations; neighbouring
  // pixels have unrelated pairs, so SIMD blocks mix every kind of pixel.
  constexpr int perPair = 16;
  const std::vector<TColor32> colours = RandomPixels(65536 * perPair * 2, 7);
  std::vector<TColor32> src(65536 * perPair), dst(65536 * perPair);
  for (size_t i = 0; i < src.size(); ++i) {
    const uint32_t pair = uint32_t(i * 40503u) & 0xFFFF;  // i mod 65536, permuted
    src[i] = (colours[2 * i] & 0xFFFFFF) | ((pair & 0xFF) << 24);
    dst[i] = (colours[2 * i + 1] & 0xFFFFFF) | ((pair >> 8) << 24);
  }
  std::vector<TColor32> out = dst;
  MergeRow(src.data(), out.data(), int(out.size()));
  for (size_t i = 0; i < src.size(); ++i) {
    const TColor32 expected = RefMerge(src[i], dst[i]);
    if (out[i] != expected) FAIL() << std::hex << src[i] << " over " << dst[i];
    if (i % 61 == 0) {
      ASSERT_EQ(MergePixel(src[i], dst[i]), expected);
      TColor32 b = dst[i];
      MergePixelInPlace(src[i], b);
      ASSERT_EQ(b, expected);
    }
  }
}

// Pixels whose channels reach DivTable[Ra][v] for every Ra and every v the
// merge can produce with it: for each Ra the alpha pair with that Ra whose
// reachable v (always 0..vmax) reaches furthest, and a colour pair for every
// such v. More than 30000 quotients, three per pixel.
void ReachableQuotientPixels(std::vector<TColor32>& src, std::vector<TColor32>& dst) {
  struct TWitness {
    int fa = 0, ba = 0, vmax = -1;
  };
  std::vector<TWitness> best(256);
  for (int fa = 1; fa < 255; ++fa)
    for (int ba = 1; ba < 255; ++ba) {
      const int ra = fa + ba - MulTable[ba][fa];
      int vmax = 0;
      for (int b = 0; b <= ba; ++b) vmax = std::max(vmax, b + MulTable[fa][255 - b]);
      if (vmax > best[size_t(ra)].vmax) best[size_t(ra)] = {fa, ba, vmax};
    }
  std::vector<uint32_t> fcs, bcs, alphas;  // one entry per channel to test
  for (int ra = 0; ra < 256; ++ra) {
    const TWitness& w = best[size_t(ra)];
    if (w.vmax < 0) continue;
    std::vector<int> fOf(256, -1), bOf(256, -1);
    for (int bc = 0; bc < 256; ++bc)
      for (int fc = 0; fc < 256; ++fc) {
        const int b = MulTable[w.ba][bc];
        const int v = fc >= b ? b + MulTable[w.fa][fc - b] : b - MulTable[w.fa][b - fc];
        if (fOf[size_t(v)] < 0) fOf[size_t(v)] = fc, bOf[size_t(v)] = bc;
      }
    for (int v = 0; v <= w.vmax; ++v) {
      ASSERT_GE(fOf[size_t(v)], 0) << "v " << v << " not reachable for Ra " << ra;
      fcs.push_back(uint32_t(fOf[size_t(v)]));
      bcs.push_back(uint32_t(bOf[size_t(v)]));
      alphas.push_back(uint32_t(w.fa) | uint32_t(w.ba) << 8);
    }
    while (fcs.size() % 3 != 0) {  // a pixel never mixes two alpha pairs
      fcs.push_back(0);
      bcs.push_back(0);
      alphas.push_back(alphas.back());
    }
  }
  for (size_t i = 0; i < fcs.size(); i += 3) {
    src.push_back(fcs[i] | fcs[i + 1] << 8 | fcs[i + 2] << 16 | (alphas[i] & 0xFF) << 24);
    dst.push_back(bcs[i] | bcs[i + 1] << 8 | bcs[i + 2] << 16 | (alphas[i] >> 8) << 24);
  }
}

TEST_P(BlendBindings, MergeDividesExactlyForEveryReachableQuotient) {
  std::vector<TColor32> src, dst;
  ASSERT_NO_FATAL_FAILURE(ReachableQuotientPixels(src, dst));
  EXPECT_GT(src.size(), 10000u);
  std::vector<TColor32> out = dst;
  MergeRow(src.data(), out.data(), int(out.size()));
  for (size_t i = 0; i < src.size(); ++i)
    if (out[i] != RefMerge(src[i], dst[i])) FAIL() << std::hex << src[i] << " over " << dst[i] << " gave " << out[i];
}

TEST_P(BlendBindings, MasterForms) {
  const std::vector<TColor32> src = RandomPixels(4096, 11), dst = RandomPixels(4096, 12);
  for (uint32_t m : {0u, 1u, 77u, 128u, 254u, 255u, 256u, 1000u}) {
    const uint32_t mc = std::min(m, 255u);
    std::vector<TColor32> blend = dst, merge = dst;
    BlendRowMaster(src.data(), blend.data(), int(src.size()), m);
    MergeRowMaster(src.data(), merge.data(), int(src.size()), m);
    for (size_t i = 0; i < src.size(); ++i) {
      ASSERT_EQ(blend[i], RefBlendMaster(src[i], dst[i], mc)) << m << " " << std::hex << src[i];
      ASSERT_EQ(BlendPixelMaster(src[i], dst[i], m), blend[i]);
      ASSERT_EQ(merge[i], RefMergeMaster(src[i], dst[i], mc)) << m << " " << std::hex << src[i];
      ASSERT_EQ(MergePixelMaster(src[i], dst[i], m), merge[i]);
      TColor32 b1 = dst[i], b2 = dst[i];
      BlendPixelMasterInPlace(src[i], b1, m);
      MergePixelMasterInPlace(src[i], b2, m);
      ASSERT_EQ(b1, blend[i]);
      ASSERT_EQ(b2, merge[i]);
    }
  }
}

TEST_P(BlendBindings, InPlaceAndRowShortcuts) {
  const std::vector<TColor32> src = RandomPixels(2048, 21), dst = RandomPixels(2048, 22);
  for (size_t i = 0; i < src.size(); ++i) {
    const TColor32 F = src[i];
    TColor32 b = dst[i];
    BlendPixelInPlace(F, b);
    const uint32_t fa = F >> 24;
    ASSERT_EQ(b, fa == 0 ? dst[i] : fa == 255 ? F : RefLerp(F, dst[i], fa));
    for (uint32_t w : {0u, 1u, 128u, 255u}) {
      TColor32 y = dst[i];
      CombinePixelInPlace(F, y, w);
      ASSERT_EQ(y, w == 0 ? dst[i] : w == 255 ? F : RefLerp(F, dst[i], w));
    }
  }
  for (uint32_t w : {0u, 1u, 100u, 255u, 999u}) {
    std::vector<TColor32> out = dst;
    CombineRow(src.data(), out.data(), int(out.size()), w);
    const uint32_t wc = std::min(w, 255u);
    for (size_t i = 0; i < src.size(); ++i)
      ASSERT_EQ(out[i], wc == 0 ? dst[i] : wc == 255 ? src[i] : RefLerp(src[i], dst[i], wc));
  }
}

TEST_P(BlendBindings, ChannelOperations) {
  const std::vector<TColor32> a = RandomPixels(20000, 31), b = RandomPixels(20000, 32);
  for (size_t k = 0; k < a.size(); ++k) {
    uint32_t mx[4], mn[4], av[4], ad[4], sb[4], dv[4], md[4], df[4], ex[4], sc[4], bp[4];
    const uint32_t w = b[k] & 0xFF;
    for (int i = 0; i < 4; ++i) {
      const int x = int(Ch(a[k], i)), y = int(Ch(b[k], i));
      mx[i] = uint32_t(std::max(x, y));
      mn[i] = uint32_t(std::min(x, y));
      av[i] = uint32_t((x + y) / 2);
      ad[i] = uint32_t(std::min(x + y, 255));
      sb[i] = uint32_t(std::max(x - y, 0));
      dv[i] = x == 0 ? 255u : uint32_t(std::min(y * 256 / x, 255));
      md[i] = uint32_t(x * y / 256);
      df[i] = uint32_t(std::abs(x - y));
      ex[i] = uint32_t(x + y - x * y / 128);
      sc[i] = uint32_t(x * int(w) / 256);
      bp[i] = (Ch(a[k], i) * Ch(b[k], i) + Ch(a[(k + 1) % a.size()], i) * (256 - Ch(b[k], i)) + 128) >> 8;
    }
    ASSERT_EQ(MaxChannels(a[k], b[k]), Pack(mx));
    ASSERT_EQ(MinChannels(a[k], b[k]), Pack(mn));
    ASSERT_EQ(AverageChannels(a[k], b[k]), Pack(av));
    ASSERT_EQ(AddChannels(a[k], b[k]), Pack(ad));
    ASSERT_EQ(SubtractChannels(a[k], b[k]), Pack(sb));
    ASSERT_EQ(DivideChannels(a[k], b[k]), Pack(dv));
    ASSERT_EQ(ModulateChannels(a[k], b[k]), Pack(md));
    ASSERT_EQ(DifferenceChannels(a[k], b[k]), Pack(df));
    ASSERT_EQ(ExclusionChannels(a[k], b[k]), Pack(ex));
    ASSERT_EQ(ScaleChannels(a[k], w), Pack(sc));
    ASSERT_EQ(BlendPerChannel(a[k], a[(k + 1) % a.size()], b[k]), Pack(bp));
    const int amount = int(b[k] % 700) - 350;
    uint32_t lt[4];
    for (int i = 0; i < 3; ++i) lt[i] = uint32_t(std::clamp(int(Ch(a[k], i)) + amount, 0, 255));
    lt[3] = Ch(a[k], 3);
    ASSERT_EQ(LightenChannels(a[k], amount), Pack(lt));
  }
  FinishBlending();
}

INSTANTIATE_TEST_SUITE_P(All, BlendBindings,
                         ::testing::Values(TBlendBinding::Plain, TBlendBinding::SSE2,
                                           TBlendBinding::AVX2),
                         [](const auto& info) {
                           switch (info.param) {
                             case TBlendBinding::Plain: return std::string("Plain");
                             case TBlendBinding::SSE2: return std::string("SSE2");
                             default: return std::string("AVX2");
                           }
                         });

// ---- Rows: lengths, alignment and bounds, SIMD against plain ---------------

using TRowRunner = std::function<void(const TColor32* Src, TColor32* Dst, int Count)>;

// Rows made of runs of 5-40 pixels that share one alpha case (source alpha
// 0 or 255, destination alpha 0 or 255, or anything), so that whole SIMD
// blocks take each shortcut and blocks that mix cases occur at every offset.
void RunPixels(size_t n, uint32_t seed, std::vector<TColor32>& src, std::vector<TColor32>& dst) {
  std::mt19937 rng(seed);
  src.resize(n);
  dst.resize(n);
  for (size_t i = 0; i < n;) {
    const uint32_t kind = rng() % 5;
    for (size_t end = std::min(n, i + 5 + rng() % 36); i < end; ++i) {
      src[i] = rng();
      dst[i] = rng();
      switch (kind) {
        case 0: src[i] &= 0x00FFFFFF; break;
        case 1: src[i] |= 0xFF000000; break;
        case 2: dst[i] &= 0x00FFFFFF; break;
        case 3: dst[i] |= 0xFF000000; break;
        default: break;
      }
    }
  }
}

// Runs one row operation under the plain binding and under Binding on the same
// inputs, for many lengths and misalignments, with guard words around the row.
void CompareRows(TBlendBinding Binding, const TRowRunner& Run) {
  constexpr TColor32 guard = 0xDEADBEEF;
  std::vector<TColor32> runSrc, runDst;
  RunPixels(2100, 43, runSrc, runDst);
  const std::vector<TColor32> randomSrc = RandomPixels(2100, 41), randomDst = RandomPixels(2100, 42);
  for (int data = 0; data < 2; ++data) {
    const std::vector<TColor32>& src = data == 0 ? randomSrc : runSrc;
    const std::vector<TColor32>& dst = data == 0 ? randomDst : runDst;
    // Long rows reach the prefetching loops.
    for (int count : {0, 1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 63, 65, 1000, 2071}) {
      for (int offset = 0; offset < 4; ++offset) {
        std::vector<TColor32> expected(dst.begin() + offset, dst.begin() + offset + count);
        {
          BindingGuard g(TBlendBinding::Plain);
          Run(src.data() + offset, expected.data(), count);
        }
        std::vector<TColor32> buffer(size_t(count) + 2, guard);
        TColor32* row = buffer.data() + 1;
        std::memcpy(row, dst.data() + offset, size_t(count) * 4);
        {
          BindingGuard g(Binding);
          Run(src.data() + offset, row, count);
        }
        ASSERT_EQ(buffer.front(), guard) << count;
        ASSERT_EQ(buffer.back(), guard) << count;
        for (int i = 0; i < count; ++i)
          ASSERT_EQ(row[i], expected[size_t(i)])
              << "data " << data << " count " << count << " offset " << offset << " i " << i;
      }
    }
  }
}

class RowBindings : public ::testing::TestWithParam<TBlendBinding> {
protected:
  void SetUp() override {
    if (!BlendBindingAvailable(GetParam())) GTEST_SKIP() << "instruction set not available";
  }
};

TEST_P(RowBindings, EveryRowOperationMatchesPlain) {
  const TBlendBinding b = GetParam();
  CompareRows(b, [](auto s, auto d, int n) { BlendRow(s, d, n); });
  CompareRows(b, [](auto s, auto d, int n) { MergeRow(s, d, n); });
  for (uint32_t m : {0u, 90u, 255u}) {
    CompareRows(b, [m](auto s, auto d, int n) { BlendRowMaster(s, d, n, m); });
    CompareRows(b, [m](auto s, auto d, int n) { MergeRowMaster(s, d, n, m); });
    CompareRows(b, [m](auto s, auto d, int n) { CombineRow(s, d, n, m); });
  }
  for (TColor32 c : {0x00123456u, 0x80FF8040u, 0xFFABCDEFu, 0x01FFFFFFu})
    CompareRows(b, [c](auto, auto d, int n) { BlendColorRun(c, d, n); });
  CompareRows(b, [](auto, auto d, int n) { FillLongword(d, n, 0x11223344u); });
}

TEST_P(RowBindings, FillLongwordOnAnyAddress) {
  BindingGuard g(GetParam());
  // Four different bytes, and four equal ones (which may take a byte fill).
  for (uint32_t value : {0x01020304u, 0xA5A5A5A5u}) {
    std::vector<unsigned char> raw(4 * 300 + 16, 0xAA);
    for (int shift = 0; shift < 4; ++shift)
      for (int count : {0, 1, 3, 4, 5, 17, 70, 255}) {
        std::fill(raw.begin(), raw.end(), 0xAA);
        FillLongword(raw.data() + 4 + shift, count, value);
        for (size_t i = 0; i < raw.size(); ++i) {
          const bool inside = i >= size_t(4 + shift) && i < size_t(4 + shift + 4 * count);
          const unsigned char expected = inside ? uint8_t(value >> (8 * ((i - 4 - shift) % 4))) : 0xAA;
          ASSERT_EQ(raw[i], expected) << std::hex << value << std::dec << " " << shift << " " << count << " " << i;
        }
      }
  }
  // Large enough for the fill that grows by copying, at a misaligned address
  // and with a length that is not a whole number of blocks.
  std::vector<unsigned char> big((3 << 22) + 64, 0);
  const int count = (3 << 20) - 7;
  FillLongword(big.data() + 3, count, 0xCAFEF00Du);
  for (size_t i = 0; i < big.size(); ++i) {
    const bool inside = i >= 3 && i < 3 + size_t(count) * 4;
    const unsigned char expected = inside ? uint8_t(0xCAFEF00Du >> (8 * ((i - 3) % 4))) : 0;
    if (big[i] != expected) FAIL() << i;
  }
}

INSTANTIATE_TEST_SUITE_P(All, RowBindings,
                         ::testing::Values(TBlendBinding::Default, TBlendBinding::SSE2,
                                           TBlendBinding::AVX2),
                         [](const auto& info) {
                           switch (info.param) {
                             case TBlendBinding::Default: return std::string("Default");
                             case TBlendBinding::SSE2: return std::string("SSE2");
                             default: return std::string("AVX2");
                           }
                         });

// ---- Merge under every floating-point rounding mode ------------------------

// Sets the SSE rounding mode while it lives and restores the whole control
// and status word afterwards.
class RoundingModeGuard {
public:
  explicit RoundingModeGuard(unsigned Mode) : FSaved(_mm_getcsr()) {
    _mm_setcsr((FSaved & ~unsigned(_MM_ROUND_MASK)) | Mode);
  }
  ~RoundingModeGuard() { _mm_setcsr(FSaved); }
  RoundingModeGuard(const RoundingModeGuard&) = delete;
  RoundingModeGuard& operator=(const RoundingModeGuard&) = delete;

private:
  unsigned FSaved;
};

TEST(BlendRoundingMode, EveryMergeBindingGivesThePlainResultsInEveryMode) {
  // Every alpha pair with two colour pairs, then every reachable quotient.
  std::vector<TColor32> src, dst;
  const std::vector<TColor32> colours = RandomPixels(65536 * 4, 51);
  for (size_t i = 0; i < 65536 * 2; ++i) {
    const uint32_t pair = uint32_t(i * 40503u) & 0xFFFF;
    src.push_back((colours[2 * i] & 0xFFFFFF) | ((pair & 0xFF) << 24));
    dst.push_back((colours[2 * i + 1] & 0xFFFFFF) | ((pair >> 8) << 24));
  }
  ASSERT_NO_FATAL_FAILURE(ReachableQuotientPixels(src, dst));
  const int count = int(src.size());
  constexpr uint32_t master = 200;

  // The plain results, in the default mode (the tables hold no floating point).
  std::vector<TColor32> merged = dst, mastered = dst;
  {
    BindingGuard g(TBlendBinding::Plain);
    MergeRow(src.data(), merged.data(), count);
    MergeRowMaster(src.data(), mastered.data(), count, master);
  }
  const struct {
    TBlendBinding Binding;
    const char* Name;
  } bindings[] = {{TBlendBinding::Plain, "plain"}, {TBlendBinding::SSE2, "SSE2"}, {TBlendBinding::AVX2, "AVX2"}};
  const struct {
    unsigned Mode;
    const char* Name;
  } modes[] = {{_MM_ROUND_DOWN, "down"}, {_MM_ROUND_UP, "up"}, {_MM_ROUND_TOWARD_ZERO, "toward zero"}};
  for (const auto& binding : bindings) {
    if (!BlendBindingAvailable(binding.Binding)) continue;
    for (const auto& mode : modes) {
      SCOPED_TRACE(::testing::Message() << binding.Name << " binding, rounding " << mode.Name);
      std::vector<TColor32> row = dst, masterRow = dst;
      std::vector<TColor32> pixel(src.size()), inPlace = dst, masterPixel(src.size()), masterInPlace = dst;
      {
        BindingGuard g(binding.Binding);
        RoundingModeGuard r(mode.Mode);
        MergeRow(src.data(), row.data(), count);
        MergeRowMaster(src.data(), masterRow.data(), count, master);
        for (size_t i = 0; i < src.size(); ++i) {
          pixel[i] = MergePixel(src[i], dst[i]);
          MergePixelInPlace(src[i], inPlace[i]);
          masterPixel[i] = MergePixelMaster(src[i], dst[i], master);
          MergePixelMasterInPlace(src[i], masterInPlace[i], master);
        }
      }
      for (size_t i = 0; i < src.size(); ++i) {
        if (row[i] != merged[i] || pixel[i] != merged[i] || inPlace[i] != merged[i])
          FAIL() << std::hex << src[i] << " over " << dst[i] << ": row " << row[i] << ", pixel "
                 << pixel[i] << ", in place " << inPlace[i] << ", plain " << merged[i];
        if (masterRow[i] != mastered[i] || masterPixel[i] != mastered[i] || masterInPlace[i] != mastered[i])
          FAIL() << std::hex << src[i] << " over " << dst[i] << " with master: row " << masterRow[i]
                 << ", pixel " << masterPixel[i] << ", in place " << masterInPlace[i] << ", plain "
                 << mastered[i];
      }
    }
  }
}

// ---- Cases worth knowing by heart ------------------------------------------

TEST(BlendEdgeCases, OpaqueOverTransparentAndOverBlack) {
  EXPECT_EQ(BlendPixel(0xFF000000, 0x00FFFFFF), 0xFE010101u);
  TColor32 b = 0x00FFFFFF;
  BlendPixelInPlace(0xFF000000, b);
  EXPECT_EQ(b, 0xFF000000u);

  TColor32 row[2] = {0xFF000000, 0xFFFFFFFF};
  const TColor32 white[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  BlendRow(white, row, 2);
  EXPECT_EQ(row[0], 0xFFFEFEFEu);
  EXPECT_EQ(row[1], 0xFFFFFFFFu);
  const TColor32 clear[1] = {0x00FFFFFF};
  TColor32 keep[1] = {0x12345678};
  BlendRow(clear, keep, 1);
  EXPECT_EQ(keep[0], 0x12345678u);
}

TEST(BlendEdgeCases, MasterAndMerge) {
  EXPECT_EQ(BlendPixelMaster(0xFF123456, 0x80ABCDEF, 0), 0x80ABCDEFu);
  EXPECT_EQ(BlendPixelMaster(0xFF000000, 0x00FFFFFF, 255), 0xFE010101u);  // w = 255
  EXPECT_EQ(MergePixel(0x80FFFFFF, 0x80FFFFFF), 0xC0FFFFFFu);
  EXPECT_EQ(MergePixel(0x00123456, 0x80ABCDEF), 0x80ABCDEFu);
  EXPECT_EQ(MergePixel(0x80123456, 0x00ABCDEF), 0x80123456u);
}

TEST(BlendEdgeCases, NegativeCountsDoNothing) {
  TColor32 d[1] = {0x11223344};
  const TColor32 s[1] = {0xFFFFFFFF};
  BlendRow(s, d, -5);
  MergeRow(s, d, -1);
  CombineRow(s, d, -1, 128);
  BlendColorRun(0xFFFFFFFF, d, -1);
  FillLongword(d, -1, 0);
  EXPECT_EQ(d[0], 0x11223344u);
}

TEST(BlendStartup, DefaultBindingPrefersTheWidestInstructionSet) {
  GR32Initialize();
  const TFunctionRegistry& r = BlendRegistry();
  EXPECT_EQ(reinterpret_cast<TFunctionProc>(BlendRow), r.FindFunction(FID_BLENDROW));
  if (HasInstructionSet(ciAVX2)) {
    EXPECT_EQ(r.FindFunction(FID_BLENDROW),
              r.FindFunction(FID_BLENDROW, BlendBindingPriority(TBlendBinding::AVX2)));
  }
  // The table merge is bound for single pixels on every processor.
  EXPECT_EQ(r.FindFunction(FID_MERGEPIXEL),
            r.FindFunction(FID_MERGEPIXEL, BlendBindingPriority(TBlendBinding::Plain)));
  EXPECT_EQ(LowLevelRegistry().Name(), "LowLevel Registry");
}

}  // namespace
