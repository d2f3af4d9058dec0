// AVX2 implementations of the row operations (compiled with -mavx2 only).
// Eight pixels per step in 16-bit lanes; the arithmetic is that of the SSE2
// file, whose comments give the exactness arguments. Unpack and pack work
// within each 128-bit half, so pixel order survives the round trip.
#include "gfx/blend_avx2.h"

#include <immintrin.h>
#include <string.h>

namespace {

using TColor32 = uint32_t;

// Weights and master alphas above 255 count as 255.
inline uint32_t ClampWeight(uint32_t W) { return W > 255 ? 255 : W; }

inline __m256i Zero() { return _mm256_setzero_si256(); }
inline __m256i Lo16(__m256i p) { return _mm256_unpacklo_epi8(p, Zero()); }
inline __m256i Hi16(__m256i p) { return _mm256_unpackhi_epi8(p, Zero()); }
inline __m256i Select(__m256i mask, __m256i a, __m256i b) { return _mm256_blendv_epi8(b, a, mask); }
inline __m256i AlphaMask32() { return _mm256_set1_epi32(int(0xFF000000u)); }
// Lane 3 of every four 16-bit lanes is a pixel's alpha.
inline __m256i ColourLanes16() { return _mm256_set1_epi64x(0x0000FFFFFFFFFFFFll); }

inline __m256i AlphaLanes(__m256i p16) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(p16, 0xFF), 0xFF);
}

// mulhrs(a, b) = (a * b + 2^14) >> 15 (arithmetic), so with b = W << 7 it is
// (a * W + 128) >> 8 rounded down, exact for |a| <= 255 and W <= 255.
inline __m256i MulRound(__m256i a, __m256i w7) { return _mm256_mulhrs_epi16(a, w7); }

// (F_c * W + B_c * (256 - W) + 128) >> 8 = B_c + (((F_c - B_c) * W + 128) >> 8);
// the weight comes shifted left by 7.
inline __m256i Lerp16(__m256i f, __m256i b, __m256i w7) {
  return _mm256_add_epi16(b, MulRound(_mm256_sub_epi16(f, b), w7));
}

// round(x / 255) for x <= 65025, equal to MulTable: with t = x + 128 it is
// (t + (t >> 8)) >> 8, which equals (t * 257) >> 16, the high half of t * 257.
inline __m256i Div255(__m256i x) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(x, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

inline __m256i Blend8(__m256i f, __m256i b) {
  const __m256i flo = Lo16(f), fhi = Hi16(f);
  return _mm256_packus_epi16(Lerp16(flo, Lo16(b), _mm256_slli_epi16(AlphaLanes(flo), 7)),
                             Lerp16(fhi, Hi16(b), _mm256_slli_epi16(AlphaLanes(fhi), 7)));
}

// BlendRow's pixel rule: colour B_c - ((B_c * Fa + 128) >> 8) + ((F_c * Fa + 128) >> 8).
// The alpha lane multiplies F by 32767, which returns Fa itself
// ((Fa * 32767 + 2^14) >> 15 = Fa for Fa <= 255), giving Fa + Ba - ((Ba * Fa + 128) >> 8).
inline __m256i BlendRowHalf(__m256i f, __m256i b) {
  const __m256i fa7 = _mm256_slli_epi16(AlphaLanes(f), 7);
  const __m256i fmul = _mm256_max_epi16(fa7, _mm256_set1_epi64x(0x7FFF000000000000ll));
  return _mm256_add_epi16(_mm256_sub_epi16(b, MulRound(b, fa7)), MulRound(f, fmul));
}

inline __m256i BlendRow8(__m256i f, __m256i b) {
  return _mm256_packus_epi16(BlendRowHalf(Lo16(f), Lo16(b)), BlendRowHalf(Hi16(f), Hi16(b)));
}

inline __m256i BlendMaster8(__m256i f, __m256i b, __m256i m1) {
  const __m256i flo = Lo16(f), fhi = Hi16(f);
  // w = ((M + 1) * Fa) >> 8, then shifted left by 7 for Lerp16.
  const __m256i wlo = _mm256_slli_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(AlphaLanes(flo), m1), 8), 7);
  const __m256i whi = _mm256_slli_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(AlphaLanes(fhi), m1), 8), 7);
  return _mm256_packus_epi16(Lerp16(flo, Lo16(b), wlo), Lerp16(fhi, Hi16(b), whi));
}

// DivTable[Ra][v] = v * 255 / Ra rounded to nearest, ties to even, from
// N = v * 255 and R = the single-precision reciprocal of Ra. N * R lies within
// 3.1e-5 of the true quotient, and a quotient that is not a tie lies at least
// 1/510 from a half, so rounding N * R to nearest is exact except at ties;
// a product within 0.001 of a half is therefore a tie, whose even neighbour
// is floor + (floor & 1).
inline __m256i DivRoundEven(__m256 n, __m256 r) {
  const __m256 q = _mm256_mul_ps(n, r);
  const __m256 fl = _mm256_floor_ps(q);
  const __m256 dist = _mm256_and_ps(_mm256_sub_ps(_mm256_sub_ps(q, fl), _mm256_set1_ps(0.5f)),
                                    _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF)));
  const __m256i tie = _mm256_castps_si256(_mm256_cmp_ps(dist, _mm256_set1_ps(0.001f), _CMP_LT_OQ));
  const __m256i k = _mm256_cvtps_epi32(fl);
  const __m256i even = _mm256_add_epi32(k, _mm256_and_si256(k, _mm256_set1_epi32(1)));
  return Select(tie, even, _mm256_cvtps_epi32(q));
}

// The general merge case for two pixel pairs in 16-bit lanes: b = MulTable[Ba][B_c],
// v = b +/- MulTable[Fa][|F_c - b|], Ra = Fa + Ba - MulTable[Ba][Fa], and the
// channel is DivTable[Ra][v] (v <= Ra, so at most 255). R0 and R1 hold the
// reciprocals of Ra for the pixels of the low and high unpacked quarters.
inline __m256i MergeGeneralHalf(__m256i f, __m256i b, __m256 r0, __m256 r1) {
  const __m256i fa = AlphaLanes(f), ba = AlphaLanes(b);
  const __m256i bp = Div255(_mm256_mullo_epi16(b, ba));
  const __m256i diff = _mm256_sub_epi16(f, bp);
  const __m256i m = Div255(_mm256_mullo_epi16(_mm256_abs_epi16(diff), fa));
  const __m256i v = _mm256_add_epi16(bp, _mm256_sign_epi16(m, diff));  // b +/- m
  const __m256i ra =
      _mm256_sub_epi16(_mm256_add_epi16(fa, ba), Div255(_mm256_mullo_epi16(fa, ba)));
  const __m256i n = _mm256_mullo_epi16(v, _mm256_set1_epi16(255));  // v * 255 <= 65025
  const __m256i c0 = DivRoundEven(_mm256_cvtepi32_ps(_mm256_unpacklo_epi16(n, Zero())), r0);
  const __m256i c1 = DivRoundEven(_mm256_cvtepi32_ps(_mm256_unpackhi_epi16(n, Zero())), r1);
  return Select(ColourLanes16(), _mm256_packs_epi32(c0, c1), ra);
}

inline __m256i Merge8(__m256i f, __m256i b) {
  const __m256i fa = _mm256_srli_epi32(f, 24), ba = _mm256_srli_epi32(b, 24);
  const __m256i fa0 = _mm256_cmpeq_epi32(fa, Zero());
  const __m256i ba255 = _mm256_cmpeq_epi32(ba, _mm256_set1_epi32(255));
  const __m256i takeF = _mm256_or_si256(_mm256_cmpeq_epi32(fa, _mm256_set1_epi32(255)),
                                        _mm256_cmpeq_epi32(ba, Zero()));
  const __m256i special = _mm256_or_si256(_mm256_or_si256(fa0, ba255), takeF);
  if (_mm256_movemask_epi8(fa0) == -1) return b;
  __m256i result = f;
  if (_mm256_movemask_epi8(special) != -1) {
    // 1 / Ra per pixel (Ra in 32-bit lanes, where the 16-bit Div255 also holds;
    // lanes of pixels that are not merged here get Ra >= 1 so stay finite).
    const __m256i ra = _mm256_sub_epi32(_mm256_add_epi32(fa, ba), Div255(_mm256_mullo_epi16(fa, ba)));
    const __m256 r = _mm256_div_ps(_mm256_set1_ps(1.0f),
                                   _mm256_cvtepi32_ps(_mm256_max_epi32(ra, _mm256_set1_epi32(1))));
    // Unpacking turns pixels 0-3 | 4-7 into quarters 0|4, 1|5 (low pair) and 2|6, 3|7 (high pair).
    const __m256i lo = MergeGeneralHalf(Lo16(f), Lo16(b), _mm256_permute_ps(r, 0x00),
                                        _mm256_permute_ps(r, 0x55));
    const __m256i hi = MergeGeneralHalf(Hi16(f), Hi16(b), _mm256_permute_ps(r, 0xAA),
                                        _mm256_permute_ps(r, 0xFF));
    result = Select(takeF, f, _mm256_packus_epi16(lo, hi));
  }
  if (_mm256_movemask_epi8(ba255) != 0)
    result = Select(ba255, _mm256_or_si256(Blend8(f, b), AlphaMask32()), result);
  return Select(fa0, b, result);
}

inline __m256i MasterAlpha8(__m256i f, __m256i m) {
  __m256i a = _mm256_mullo_epi16(_mm256_srli_epi32(f, 24), m);
  a = _mm256_add_epi32(a, _mm256_set1_epi32(128));
  a = _mm256_srli_epi32(_mm256_add_epi32(a, _mm256_srli_epi32(a, 8)), 8);
  return _mm256_or_si256(_mm256_andnot_si256(AlphaMask32(), f), _mm256_slli_epi32(a, 24));
}

// Runs Op eight pixels at a time; the last 1-7 pixels go through a buffer.
template <class Op>
inline void ForEachBlock(const TColor32* Src, TColor32* Dst, int Count, Op op) {
  int i = 0;
  // Two independent blocks per step keep both multipliers busy.
  for (; i + 16 <= Count; i += 16) {
    const __m256i f0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + i));
    const __m256i f1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + i + 8));
    const __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Dst + i));
    const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Dst + i + 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i), op(f0, b0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i + 8), op(f1, b1));
  }
  for (; i + 8 <= Count; i += 8) {
    const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Dst + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i), op(f, b));
  }
  if (i < Count) {
    const size_t bytes = size_t(Count - i) * sizeof(TColor32);
    alignas(32) TColor32 fs[8] = {}, bs[8] = {};
    memcpy(fs, Src + i, bytes);
    memcpy(bs, Dst + i, bytes);
    _mm256_store_si256(reinterpret_cast<__m256i*>(bs),
                       op(_mm256_load_si256(reinterpret_cast<const __m256i*>(fs)),
                          _mm256_load_si256(reinterpret_cast<const __m256i*>(bs))));
    memcpy(Dst + i, bs, bytes);
  }
}

// Above this size the fill bypasses the caches.
constexpr size_t StreamingFillBytes = size_t(4) << 20;

void FillLongword_AVX2(void* Dst, int Count, uint32_t Value) {
  if (Count <= 0) return;
  auto* p = static_cast<unsigned char*>(Dst);
  size_t n = size_t(Count);
  const __m256i v = _mm256_set1_epi32(int(Value));
  if ((reinterpret_cast<uintptr_t>(p) & 3) == 0) {
    while (n > 0 && (reinterpret_cast<uintptr_t>(p) & 31) != 0) {
      memcpy(p, &Value, 4);
      p += 4;
      --n;
    }
    if (n * 4 >= StreamingFillBytes) {
      for (; n >= 32; n -= 32, p += 128) {
        _mm256_stream_si256(reinterpret_cast<__m256i*>(p), v);
        _mm256_stream_si256(reinterpret_cast<__m256i*>(p + 32), v);
        _mm256_stream_si256(reinterpret_cast<__m256i*>(p + 64), v);
        _mm256_stream_si256(reinterpret_cast<__m256i*>(p + 96), v);
      }
      _mm_sfence();
    }
  }
  for (; n >= 32; n -= 32, p += 128) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 64), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 96), v);
  }
  for (; n >= 8; n -= 8, p += 32) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
  for (; n > 0; --n, p += 4) memcpy(p, &Value, 4);
}

void BlendColorRun_AVX2(TColor32 F, TColor32* Dst, int Count) {
  const uint32_t fa = F >> 24;
  if (Count <= 0 || fa == 0) return;
  if (fa == 255) {
    FillLongword_AVX2(Dst, Count, F);
    return;
  }
  // F_c * Fa + 128 is the same for every pixel; B_c * (256 - Fa) is added.
  const __m256i f16 = Lo16(_mm256_set1_epi32(int(F)));
  const __m256i k =
      _mm256_add_epi16(_mm256_mullo_epi16(f16, _mm256_set1_epi16(short(fa))), _mm256_set1_epi16(128));
  const __m256i iw = _mm256_set1_epi16(short(256 - fa));
  ForEachBlock(Dst, Dst, Count, [&](__m256i, __m256i b) {
    const __m256i lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(Lo16(b), iw), k), 8);
    const __m256i hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(Hi16(b), iw), k), 8);
    return _mm256_packus_epi16(lo, hi);
  });
}

void BlendRow_AVX2(const TColor32* Src, TColor32* Dst, int Count) {
  ForEachBlock(Src, Dst, Count, [](__m256i f, __m256i b) { return BlendRow8(f, b); });
}

void BlendRowMaster_AVX2(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  const __m256i m1 = _mm256_set1_epi16(short(ClampWeight(M) + 1));
  ForEachBlock(Src, Dst, Count, [m1](__m256i f, __m256i b) { return BlendMaster8(f, b, m1); });
}

void CombineRow_AVX2(const TColor32* Src, TColor32* Dst, int Count, uint32_t W) {
  W = ClampWeight(W);
  if (Count <= 0 || W == 0) return;
  if (W == 255) {
    memmove(Dst, Src, size_t(Count) * sizeof(TColor32));
    return;
  }
  const __m256i w7 = _mm256_set1_epi16(short(W << 7));
  ForEachBlock(Src, Dst, Count, [w7](__m256i x, __m256i y) {
    return _mm256_packus_epi16(Lerp16(Lo16(x), Lo16(y), w7), Lerp16(Hi16(x), Hi16(y), w7));
  });
}

void MergeRow_AVX2(const TColor32* Src, TColor32* Dst, int Count) {
  ForEachBlock(Src, Dst, Count, [](__m256i f, __m256i b) { return Merge8(f, b); });
}

void MergeRowMaster_AVX2(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  const __m256i m = _mm256_set1_epi32(int(ClampWeight(M)));
  ForEachBlock(Src, Dst, Count, [m](__m256i f, __m256i b) { return Merge8(MasterAlpha8(f, m), b); });
}

}  // namespace

TBlendAVX2Functions BlendAVX2Functions() {
  return {MergeRow_AVX2, MergeRowMaster_AVX2, CombineRow_AVX2, BlendColorRun_AVX2,
          BlendRow_AVX2,  BlendRowMaster_AVX2, FillLongword_AVX2};
}
