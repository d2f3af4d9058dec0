// SSE2 implementations of the blend operations (compiled with -msse2 only).
// Pixels are widened to 16-bit lanes (blue, green, red, alpha; two pixels per
// register) and every formula is evaluated exactly as the plain code does.
#include <emmintrin.h>

#include <cstring>

#include "gfx/blend_internal.h"

namespace {

inline __m128i Zero() { return _mm_setzero_si128(); }
inline __m128i Lo16(__m128i p) { return _mm_unpacklo_epi8(p, Zero()); }
inline __m128i Hi16(__m128i p) { return _mm_unpackhi_epi8(p, Zero()); }
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
inline __m128i AlphaMask32() { return _mm_set1_epi32(int(0xFF000000u)); }
// 16-bit lanes 3 and 7 hold the alphas of the two pixels.
inline __m128i ColourLanes16() { return _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1); }

// Each pixel's alpha copied to its four 16-bit lanes.
inline __m128i AlphaLanes(__m128i p16) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(p16, 0xFF), 0xFF);
}

// (F_c * W + B_c * (256 - W) + 128) >> 8 exactly, F, B, W 0-255: computed as
// (F_c - B_c) * W + B_c * 256 + 128, whose true value lies in 0-65408, so the
// wrapping 16-bit arithmetic yields it exactly.
inline __m128i Lerp16(__m128i f, __m128i b, __m128i w) {
  __m128i t = _mm_mullo_epi16(_mm_sub_epi16(f, b), w);
  t = _mm_add_epi16(t, _mm_slli_epi16(b, 8));
  t = _mm_add_epi16(t, _mm_set1_epi16(128));
  return _mm_srli_epi16(t, 8);
}

// round(x / 255) for x <= 65025, equal to MulTable: with t = x + 128 it is
// (t + (t >> 8)) >> 8, which equals (t * 257) >> 16, the high half of t * 257.
inline __m128i Div255(__m128i x) {
  return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(128)), _mm_set1_epi16(257));
}

// BlendPixel of four pixels: every channel weighted by the foreground alpha.
inline __m128i Blend4(__m128i f, __m128i b) {
  const __m128i flo = Lo16(f), fhi = Hi16(f);
  const __m128i lo = Lerp16(flo, Lo16(b), AlphaLanes(flo));
  const __m128i hi = Lerp16(fhi, Hi16(b), AlphaLanes(fhi));
  return _mm_packus_epi16(lo, hi);
}

// CombinePixel of four pixels with one weight in every lane.
inline __m128i Combine4(__m128i x, __m128i y, __m128i w16) {
  return _mm_packus_epi16(Lerp16(Lo16(x), Lo16(y), w16), Lerp16(Hi16(x), Hi16(y), w16));
}

// BlendRow's pixel rule for two pixels in 16-bit lanes: colour
// ((F_c * Fa + 128) >> 8) + B_c - ((B_c * Fa + 128) >> 8), alpha
// Fa + Ba - ((Ba * Fa + 128) >> 8). The alpha lane multiplies F by 256, so
// its first term is Fa itself. The result (at most 256) is clamped by the pack.
inline __m128i BlendRowHalf(__m128i f, __m128i b) {
  const __m128i fa = AlphaLanes(f);
  // max(Fa, 256) = 256 in the alpha lanes, max(Fa, 0) = Fa elsewhere.
  const __m128i fmul = _mm_max_epi16(fa, _mm_set_epi16(256, 0, 0, 0, 256, 0, 0, 0));
  const __m128i bias = _mm_set1_epi16(128);
  const __m128i x = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(f, fmul), bias), 8);
  const __m128i y = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(b, fa), bias), 8);
  return _mm_add_epi16(_mm_sub_epi16(b, y), x);
}

inline __m128i BlendRow4(__m128i f, __m128i b) {
  return _mm_packus_epi16(BlendRowHalf(Lo16(f), Lo16(b)), BlendRowHalf(Hi16(f), Hi16(b)));
}

// BlendPixelMaster of four pixels: w = ((M + 1) * Fa) >> 8 per pixel.
inline __m128i BlendMaster4(__m128i f, __m128i b, __m128i m1) {
  const __m128i flo = Lo16(f), fhi = Hi16(f);
  const __m128i wlo = _mm_srli_epi16(_mm_mullo_epi16(AlphaLanes(flo), m1), 8);
  const __m128i whi = _mm_srli_epi16(_mm_mullo_epi16(AlphaLanes(fhi), m1), 8);
  return _mm_packus_epi16(Lerp16(flo, Lo16(b), wlo), Lerp16(fhi, Hi16(b), whi));
}

// The general merge case for two pixels in 16-bit lanes. b = MulTable[Ba][B_c],
// v = b +/- MulTable[Fa][|F_c - b|], Ra = Fa + Ba - MulTable[Ba][Fa], and the
// channel is DivTable[Ra][v] = v * 255 / Ra rounded to nearest, ties to even.
// v <= Ra, so the quotient is at most 255; in single precision v * 255 and Ra
// are exact, the quotient is correctly rounded, a tie (k + 0.5) is exact and
// any other quotient lies at least 1/510 from one, so converting with the
// default round-to-nearest-even mode gives exactly the table's value.
inline __m128i MergeGeneralHalf(__m128i f, __m128i b) {
  const __m128i fa = AlphaLanes(f), ba = AlphaLanes(b);
  const __m128i bp = Div255(_mm_mullo_epi16(b, ba));
  const __m128i d = _mm_sub_epi16(_mm_max_epi16(f, bp), _mm_min_epi16(f, bp));
  const __m128i m = Div255(_mm_mullo_epi16(d, fa));
  const __m128i neg = _mm_cmpgt_epi16(bp, f);
  const __m128i v = _mm_add_epi16(bp, _mm_sub_epi16(_mm_xor_si128(m, neg), neg));
  __m128i ra = _mm_sub_epi16(_mm_add_epi16(fa, ba), Div255(_mm_mullo_epi16(fa, ba)));
  const __m128i raDiv = _mm_max_epi16(ra, _mm_set1_epi16(1));  // lanes of non-general pixels

  const __m128i n = _mm_mullo_epi16(v, _mm_set1_epi16(255));  // v * 255 <= 65025
  const __m128 q0 = _mm_div_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(n, Zero())),
                               _mm_cvtepi32_ps(_mm_unpacklo_epi16(raDiv, Zero())));
  const __m128 q1 = _mm_div_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(n, Zero())),
                               _mm_cvtepi32_ps(_mm_unpackhi_epi16(raDiv, Zero())));
  const __m128i c = _mm_packs_epi32(_mm_cvtps_epi32(q0), _mm_cvtps_epi32(q1));
  return Select(ColourLanes16(), c, ra);
}

// MergePixel of four pixels.
inline __m128i Merge4(__m128i f, __m128i b) {
  const __m128i fa = _mm_srli_epi32(f, 24), ba = _mm_srli_epi32(b, 24);
  const __m128i fa0 = _mm_cmpeq_epi32(fa, Zero());
  const __m128i ba255 = _mm_cmpeq_epi32(ba, _mm_set1_epi32(255));
  const __m128i takeF = _mm_or_si128(_mm_cmpeq_epi32(fa, _mm_set1_epi32(255)),
                                     _mm_cmpeq_epi32(ba, Zero()));
  const __m128i special = _mm_or_si128(_mm_or_si128(fa0, ba255), takeF);
  if (_mm_movemask_epi8(fa0) == 0xFFFF) return b;
  __m128i result = f;
  if (_mm_movemask_epi8(special) != 0xFFFF)
    result = Select(takeF, f,
                    _mm_packus_epi16(MergeGeneralHalf(Lo16(f), Lo16(b)),
                                     MergeGeneralHalf(Hi16(f), Hi16(b))));
  if (_mm_movemask_epi8(ba255) != 0)
    result = Select(ba255, _mm_or_si128(Blend4(f, b), AlphaMask32()), result);
  return Select(fa0, b, result);
}

// F's alpha replaced by MulTable[M][Fa] (products fit the low 16 bits of each lane).
inline __m128i MasterAlpha4(__m128i f, __m128i m) {
  __m128i a = _mm_mullo_epi16(_mm_srli_epi32(f, 24), m);
  a = _mm_add_epi32(a, _mm_set1_epi32(128));
  a = _mm_srli_epi32(_mm_add_epi32(a, _mm_srli_epi32(a, 8)), 8);
  return _mm_or_si128(_mm_andnot_si128(AlphaMask32(), f), _mm_slli_epi32(a, 24));
}

void FillLongword_SSE2(void* Dst, int Count, uint32_t Value);

inline __m128i Load1(TColor32 c) { return _mm_cvtsi32_si128(int(c)); }
inline TColor32 Store1(__m128i v) { return TColor32(_mm_cvtsi128_si32(v)); }

// Runs Op over Src/Dst four pixels at a time; the last 1-3 pixels go through
// a small buffer so that nothing outside the rows is read or written.
template <class Op>
inline void ForEachBlock(const TColor32* Src, TColor32* Dst, int Count, Op op) {
  int i = 0;
  for (; i + 4 <= Count; i += 4) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Dst + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Dst + i), op(f, b));
  }
  if (i < Count) {
    const size_t bytes = size_t(Count - i) * sizeof(TColor32);
    alignas(16) TColor32 fs[4] = {}, bs[4] = {};
    std::memcpy(fs, Src + i, bytes);
    std::memcpy(bs, Dst + i, bytes);
    _mm_store_si128(reinterpret_cast<__m128i*>(bs),
                    op(_mm_load_si128(reinterpret_cast<const __m128i*>(fs)),
                       _mm_load_si128(reinterpret_cast<const __m128i*>(bs))));
    std::memcpy(Dst + i, bs, bytes);
  }
}

// ---- Blend -----------------------------------------------------------------

TColor32 BlendPixel_SSE2(TColor32 F, TColor32 B) { return Store1(Blend4(Load1(F), Load1(B))); }

void BlendPixelInPlace_SSE2(TColor32 F, TColor32& B) {
  const uint32_t fa = F >> 24;
  if (fa == 0) return;
  B = fa == 255 ? F : BlendPixel_SSE2(F, B);
}

void BlendColorRun_SSE2(TColor32 F, TColor32* Dst, int Count) {
  const uint32_t fa = F >> 24;
  if (Count <= 0 || fa == 0) return;
  if (fa == 255) {
    FillLongword_SSE2(Dst, Count, F);
    return;
  }
  // F_c * Fa + 128 is the same for every pixel; B_c * (256 - Fa) is added.
  const __m128i f16 = Lo16(_mm_set1_epi32(int(F)));
  const __m128i k = _mm_add_epi16(_mm_mullo_epi16(f16, _mm_set1_epi16(short(fa))), _mm_set1_epi16(128));
  const __m128i iw = _mm_set1_epi16(short(256 - fa));
  auto op = [&](__m128i, __m128i b) {
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(Lo16(b), iw), k), 8);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(Hi16(b), iw), k), 8);
    return _mm_packus_epi16(lo, hi);
  };
  ForEachBlock(Dst, Dst, Count, op);
}

void BlendRow_SSE2(const TColor32* Src, TColor32* Dst, int Count) {
  ForEachBlock(Src, Dst, Count, [](__m128i f, __m128i b) { return BlendRow4(f, b); });
}

TColor32 BlendPixelMaster_SSE2(TColor32 F, TColor32 B, uint32_t M) {
  const uint32_t w = ((ClampWeight(M) + 1) * (F >> 24)) >> 8;
  if (w == 0) return B;
  const __m128i r = Lerp16(Lo16(Load1(F)), Lo16(Load1(B)), _mm_set1_epi16(short(w)));
  return Store1(_mm_packus_epi16(r, r));
}

void BlendPixelMasterInPlace_SSE2(TColor32 F, TColor32& B, uint32_t M) {
  B = BlendPixelMaster_SSE2(F, B, M);
}

void BlendRowMaster_SSE2(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  const __m128i m1 = _mm_set1_epi16(short(ClampWeight(M) + 1));
  ForEachBlock(Src, Dst, Count, [m1](__m128i f, __m128i b) { return BlendMaster4(f, b, m1); });
}

// ---- Combine ---------------------------------------------------------------

TColor32 CombinePixel_SSE2(TColor32 X, TColor32 Y, uint32_t W) {
  const __m128i r = Lerp16(Lo16(Load1(X)), Lo16(Load1(Y)), _mm_set1_epi16(short(ClampWeight(W))));
  return Store1(_mm_packus_epi16(r, r));
}

void CombinePixelInPlace_SSE2(TColor32 X, TColor32& Y, uint32_t W) {
  W = ClampWeight(W);
  if (W == 0) return;
  Y = W == 255 ? X : CombinePixel_SSE2(X, Y, W);
}

void CombineRow_SSE2(const TColor32* Src, TColor32* Dst, int Count, uint32_t W) {
  W = ClampWeight(W);
  if (Count <= 0 || W == 0) return;
  if (W == 255) {
    std::memmove(Dst, Src, size_t(Count) * sizeof(TColor32));
    return;
  }
  const __m128i w16 = _mm_set1_epi16(short(W));
  ForEachBlock(Src, Dst, Count, [w16](__m128i x, __m128i y) { return Combine4(x, y, w16); });
}

// ---- Merge -----------------------------------------------------------------

TColor32 MergePixel_SSE2(TColor32 F, TColor32 B) { return Store1(Merge4(Load1(F), Load1(B))); }

void MergePixelInPlace_SSE2(TColor32 F, TColor32& B) { B = MergePixel_SSE2(F, B); }

void MergeRow_SSE2(const TColor32* Src, TColor32* Dst, int Count) {
  ForEachBlock(Src, Dst, Count, [](__m128i f, __m128i b) { return Merge4(f, b); });
}

TColor32 MergePixelMaster_SSE2(TColor32 F, TColor32 B, uint32_t M) {
  const __m128i m = _mm_set1_epi32(int(ClampWeight(M)));
  return Store1(Merge4(MasterAlpha4(Load1(F), m), Load1(B)));
}

void MergePixelMasterInPlace_SSE2(TColor32 F, TColor32& B, uint32_t M) {
  B = MergePixelMaster_SSE2(F, B, M);
}

void MergeRowMaster_SSE2(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  const __m128i m = _mm_set1_epi32(int(ClampWeight(M)));
  ForEachBlock(Src, Dst, Count, [m](__m128i f, __m128i b) { return Merge4(MasterAlpha4(f, m), b); });
}

// ---- Per-channel operations ------------------------------------------------

TColor32 MaxChannels_SSE2(TColor32 A, TColor32 B) { return Store1(_mm_max_epu8(Load1(A), Load1(B))); }
TColor32 MinChannels_SSE2(TColor32 A, TColor32 B) { return Store1(_mm_min_epu8(Load1(A), Load1(B))); }
TColor32 AddChannels_SSE2(TColor32 A, TColor32 B) { return Store1(_mm_adds_epu8(Load1(A), Load1(B))); }
TColor32 SubtractChannels_SSE2(TColor32 A, TColor32 B) {
  return Store1(_mm_subs_epu8(Load1(A), Load1(B)));
}
// (A + B) >> 1: the rounding-up average minus the bit it rounded up.
TColor32 AverageChannels_SSE2(TColor32 A, TColor32 B) {
  const __m128i a = Load1(A), b = Load1(B);
  const __m128i odd = _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1));
  return Store1(_mm_sub_epi8(_mm_avg_epu8(a, b), odd));
}
TColor32 DifferenceChannels_SSE2(TColor32 A, TColor32 B) {
  const __m128i a = Load1(A), b = Load1(B);
  return Store1(_mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a)));
}
// (A_c * B_c) >> 8.
TColor32 ModulateChannels_SSE2(TColor32 A, TColor32 B) {
  const __m128i r = _mm_srli_epi16(_mm_mullo_epi16(Lo16(Load1(A)), Lo16(Load1(B))), 8);
  return Store1(_mm_packus_epi16(r, r));
}
// (C_c * W) >> 8.
TColor32 ScaleChannels_SSE2(TColor32 C, uint32_t W) {
  const __m128i r =
      _mm_srli_epi16(_mm_mullo_epi16(Lo16(Load1(C)), _mm_set1_epi16(short(ClampWeight(W)))), 8);
  return Store1(_mm_packus_epi16(r, r));
}

// ---- Memory ----------------------------------------------------------------

// Above this size the fill bypasses the caches (it would only evict them).
constexpr size_t StreamingFillBytes = size_t(4) << 20;

void FillLongword_SSE2(void* Dst, int Count, uint32_t Value) {
  if (Count <= 0) return;
  auto* p = static_cast<unsigned char*>(Dst);
  size_t n = size_t(Count);
  const __m128i v = _mm_set1_epi32(int(Value));
  if ((reinterpret_cast<uintptr_t>(p) & 3) == 0) {
    while (n > 0 && (reinterpret_cast<uintptr_t>(p) & 15) != 0) {
      std::memcpy(p, &Value, 4);
      p += 4;
      --n;
    }
    if (n * 4 >= StreamingFillBytes) {
      for (; n >= 16; n -= 16, p += 64) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(p), v);
        _mm_stream_si128(reinterpret_cast<__m128i*>(p + 16), v);
        _mm_stream_si128(reinterpret_cast<__m128i*>(p + 32), v);
        _mm_stream_si128(reinterpret_cast<__m128i*>(p + 48), v);
      }
      _mm_sfence();
    }
  }
  for (; n >= 16; n -= 16, p += 64) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 48), v);
  }
  for (; n >= 4; n -= 4, p += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
  for (; n > 0; --n, p += 4) std::memcpy(p, &Value, 4);
}

}  // namespace

void RegisterBlendSSE2(TFunctionRegistry& Blend, TFunctionRegistry& LowLevel) {
  const TCPUFeatures sse2{ciSSE2};
  Blend.Add(FID_MERGEPIXEL, MergePixel_SSE2, sse2);
  Blend.Add(FID_MERGEPIXELINPLACE, MergePixelInPlace_SSE2, sse2);
  Blend.Add(FID_MERGEROW, MergeRow_SSE2, sse2);
  Blend.Add(FID_MERGEPIXELMASTER, MergePixelMaster_SSE2, sse2);
  Blend.Add(FID_MERGEPIXELMASTERINPLACE, MergePixelMasterInPlace_SSE2, sse2);
  Blend.Add(FID_MERGEROWMASTER, MergeRowMaster_SSE2, sse2);
  Blend.Add(FID_COMBINEPIXEL, CombinePixel_SSE2, sse2);
  Blend.Add(FID_COMBINEPIXELINPLACE, CombinePixelInPlace_SSE2, sse2);
  Blend.Add(FID_COMBINEROW, CombineRow_SSE2, sse2);
  Blend.Add(FID_BLENDPIXEL, BlendPixel_SSE2, sse2);
  Blend.Add(FID_BLENDPIXELINPLACE, BlendPixelInPlace_SSE2, sse2);
  Blend.Add(FID_BLENDCOLORRUN, BlendColorRun_SSE2, sse2);
  Blend.Add(FID_BLENDROW, BlendRow_SSE2, sse2);
  Blend.Add(FID_BLENDPIXELMASTER, BlendPixelMaster_SSE2, sse2);
  Blend.Add(FID_BLENDPIXELMASTERINPLACE, BlendPixelMasterInPlace_SSE2, sse2);
  Blend.Add(FID_BLENDROWMASTER, BlendRowMaster_SSE2, sse2);
  Blend.Add(FID_MAXCHANNELS, MaxChannels_SSE2, sse2);
  Blend.Add(FID_MINCHANNELS, MinChannels_SSE2, sse2);
  Blend.Add(FID_AVERAGECHANNELS, AverageChannels_SSE2, sse2);
  Blend.Add(FID_ADDCHANNELS, AddChannels_SSE2, sse2);
  Blend.Add(FID_SUBTRACTCHANNELS, SubtractChannels_SSE2, sse2);
  Blend.Add(FID_MODULATECHANNELS, ModulateChannels_SSE2, sse2);
  Blend.Add(FID_DIFFERENCECHANNELS, DifferenceChannels_SSE2, sse2);
  Blend.Add(FID_SCALECHANNELS, ScaleChannels_SSE2, sse2);
  LowLevel.Add(FID_FILLLONGWORD, FillLongword_SSE2, sse2);
}
