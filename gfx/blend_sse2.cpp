// SSE2 implementations of the blend operations (compiled with -msse2 only).
// Pixels are widened to 16-bit lanes (blue, green, red, alpha; two pixels per
// register) and every formula is evaluated exactly as the plain code does.
// Merge takes eight pixels per step on channel planes and divides in integers
// (see DivRoundEven), so no result depends on the floating-point rounding mode.
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

// ---- Merge on channel planes ------------------------------------------------
// Merge works on eight pixels at once with each channel in its own register
// (pixel i in 16-bit lane i), so the per-pixel alphas, Ra and its reciprocal
// need no broadcasting and no lane is spent on the alpha channel's colour.

struct TPlanes {
  __m128i c[4];  // blue, green, red, alpha
};

// Pixels 0-3 in x and 4-7 in y. Three rounds of byte interleaving turn
// BGRA BGRA ... into B0-B7 G0-G7 | R0-R7 A0-A7.
inline TPlanes ToPlanes(__m128i x, __m128i y) {
  const __m128i a = _mm_unpacklo_epi8(x, y), b = _mm_unpackhi_epi8(x, y);
  const __m128i c = _mm_unpacklo_epi8(a, b), d = _mm_unpackhi_epi8(a, b);
  const __m128i bg = _mm_unpacklo_epi8(c, d), ra = _mm_unpackhi_epi8(c, d);
  return {{Lo16(bg), Hi16(bg), Lo16(ra), Hi16(ra)}};
}

inline void FromPlanes(const TPlanes& p, __m128i& x, __m128i& y) {
  const __m128i bg = _mm_packus_epi16(p.c[0], p.c[1]), ra = _mm_packus_epi16(p.c[2], p.c[3]);
  const __m128i br = _mm_unpacklo_epi8(bg, ra), ga = _mm_unpackhi_epi8(bg, ra);
  x = _mm_unpacklo_epi8(br, ga);
  y = _mm_unpackhi_epi8(br, ga);
}

// A divisor d (1-255 in every lane) prepared for DivRoundEven.
// m = floor(65535 / d) is computed in single precision: the quotient is below
// 2^16 and, unless it is a whole number (then it is exact), at least 1/255
// from one, while its error is below 2^-9 whatever the rounding mode, so
// truncation (which ignores the mode) gives the exact floor.
struct TDivisor {
  __m128i d, half, dMinus1, tieRem, m;
};

inline TDivisor MakeDivisor(__m128i d) {
  const __m128 k = _mm_set1_ps(65535.0f);
  const __m128i mlo = _mm_cvttps_epi32(_mm_div_ps(k, _mm_cvtepi32_ps(_mm_unpacklo_epi16(d, Zero()))));
  const __m128i mhi = _mm_cvttps_epi32(_mm_div_ps(k, _mm_cvtepi32_ps(_mm_unpackhi_epi16(d, Zero()))));
  // m <= 65535 packed to 16 bits: offset into the signed range, pack, undo the offset.
  const __m128i offset = _mm_set1_epi32(32768);
  const __m128i m = _mm_packs_epi32(_mm_sub_epi32(mlo, offset), _mm_sub_epi32(mhi, offset));
  TDivisor r;
  r.d = d;
  r.half = _mm_srli_epi16(d, 1);
  r.dMinus1 = _mm_sub_epi16(d, _mm_set1_epi16(1));
  // The remainder that marks a tie: 0 for an even d, an impossible 0x8000 for an odd one.
  r.tieRem = _mm_slli_epi16(d, 15);
  r.m = _mm_xor_si128(m, _mm_set1_epi16(short(0x8000)));
  return r;
}

// DivTable[d][v] = v * 255 / d rounded to nearest, ties to even, for v <= d.
// t = v * 255 + floor(d / 2) <= 65152; floor(t / d) rounds the quotient half
// up (an odd d has no ties). q = (t * m) >> 16 is floor(t / d) or one less,
// since t * m / 2^16 > t / d - t / 2^16 > t / d - 1; the remainder r = t - q * d
// (below 2d) corrects it. The quotient was a tie exactly when d is even and
// the corrected remainder is 0; then the odd q goes down to its even neighbour.
inline __m128i DivRoundEven(__m128i v, const TDivisor& D) {
  const __m128i t = _mm_add_epi16(_mm_mullo_epi16(v, _mm_set1_epi16(255)), D.half);
  __m128i q = _mm_mulhi_epu16(t, D.m);
  __m128i r = _mm_sub_epi16(t, _mm_mullo_epi16(q, D.d));
  const __m128i over = _mm_cmpgt_epi16(r, D.dMinus1);
  q = _mm_sub_epi16(q, over);
  r = _mm_sub_epi16(r, _mm_and_si128(over, D.d));
  const __m128i tie = _mm_cmpeq_epi16(r, D.tieRem);
  return _mm_andnot_si128(_mm_and_si128(tie, _mm_set1_epi16(1)), q);
}

// The general merge case: Ra = Fa + Ba - MulTable[Ba][Fa];
// b = MulTable[Ba][B_c]; v = b +/- MulTable[Fa][|F_c - b|] (v <= Ra);
// channel = DivTable[Ra][v]. Writes the colour planes of R and returns Ra.
// Every lane must have Ra >= 1 (true unless Fa = Ba = 0).
// MulTable rounds to nearest and x / 255 is never halfway, so the rounding
// is symmetric and v = round((b * (255 - Fa) + F_c * Fa) / 255), whose
// numerator is at most 65025.
inline __m128i MergeGeneral(const TPlanes& F, const TPlanes& B, __m128i fa, __m128i ba, TPlanes& R) {
  const __m128i ra = _mm_sub_epi16(_mm_add_epi16(fa, ba), Div255(_mm_mullo_epi16(fa, ba)));
  const TDivisor D = MakeDivisor(ra);
  const __m128i ifa = _mm_sub_epi16(_mm_set1_epi16(255), fa);
  for (int c = 0; c < 3; ++c) {
    const __m128i bp = Div255(_mm_mullo_epi16(B.c[c], ba));
    const __m128i v = Div255(_mm_add_epi16(_mm_mullo_epi16(bp, ifa), _mm_mullo_epi16(F.c[c], fa)));
    R.c[c] = DivRoundEven(v, D);
  }
  return ra;
}

// MergePixel on eight pixels: F from f0 (pixels 0-3) and f1 (4-7), B in and
// out through b0 and b1. With Master, F's alpha is first replaced by
// MulTable[M][Fa] (mw holds M). Returns false when B stays as it is.
// Blocks with alphas of 0 or 255 go here; each computes only the cases it contains.
// Kept out of line so that the general case keeps its registers.
template <bool Master>
__attribute__((noinline)) bool MergeMixed8(__m128i f0, __m128i f1, __m128i& b0, __m128i& b1, __m128i mw) {
  TPlanes F = ToPlanes(f0, f1);
  const TPlanes B = ToPlanes(b0, b1);
  if constexpr (Master) F.c[3] = Div255(_mm_mullo_epi16(F.c[3], mw));
  const __m128i fa = F.c[3], ba = B.c[3];
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i fa0 = _mm_cmpeq_epi16(fa, Zero());
  const __m128i ba255 = _mm_cmpeq_epi16(ba, c255);
  const __m128i ba0 = _mm_cmpeq_epi16(ba, Zero());
  const __m128i takeF = _mm_or_si128(_mm_cmpeq_epi16(fa, c255), ba0);
  const int fa0Bits = _mm_movemask_epi8(fa0), ba255Bits = _mm_movemask_epi8(ba255);
  if (fa0Bits == 0xFFFF) return false;
  const bool allSpecial = _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(fa0, ba255), takeF)) == 0xFFFF;
  if (!Master && allSpecial && (fa0Bits | ba255Bits) == 0) {  // every pixel takes F as it is
    b0 = f0;
    b1 = f1;
    return true;
  }
  TPlanes R;
  if (!allSpecial) {
    // Some pixels take the general case. The others get their colour from it
    // too with altered alphas: Fa = 0 with Ba taken as 255 gives Ra = 255,
    // b = B_c and v = B_c, so B; Ba = 0 (Fa > 0) with Fa taken as 255 gives
    // Ra = 255, b = 0 and v = F_c, so F; Fa = 255 gives F as it is. Ra from
    // the true alphas is every pixel's result alpha: Ba for Fa = 0, Fa for
    // Ba = 0, 255 for Fa = 255 or Ba = 255. Ba = 255 is blended below.
    const __m128i baColour = _mm_or_si128(ba, _mm_and_si128(fa0, c255));
    const __m128i faColour = _mm_or_si128(fa, _mm_andnot_si128(fa0, _mm_and_si128(ba0, c255)));
    MergeGeneral(F, B, faColour, baColour, R);
    R.c[3] = _mm_sub_epi16(_mm_add_epi16(fa, ba), Div255(_mm_mullo_epi16(fa, ba)));
    if (ba255Bits != 0)  // BlendPixel (with alpha 255, already in R); for Fa = 0 it gives B.
      for (int c = 0; c < 3; ++c) R.c[c] = Select(ba255, Lerp16(F.c[c], B.c[c], fa), R.c[c]);
    FromPlanes(R, b0, b1);
    return true;
  }
  // No pixel takes the general case: F, blended where Ba = 255, B where Fa = 0.
  R = F;
  if (ba255Bits != 0) {
    for (int c = 0; c < 3; ++c) R.c[c] = Select(ba255, Lerp16(F.c[c], B.c[c], fa), R.c[c]);
    R.c[3] = _mm_or_si128(R.c[3], _mm_and_si128(ba255, c255));
  }
  if (fa0Bits != 0)
    for (int c = 0; c < 4; ++c) R.c[c] = Select(fa0, B.c[c], R.c[c]);
  FromPlanes(R, b0, b1);
  return true;
}

// As MergeMixed8; blocks in which no alpha is 0 or 255 take the general case
// for every pixel here.
template <bool Master>
inline bool Merge8(__m128i f0, __m128i f1, __m128i& b0, __m128i& b1, __m128i mw) {
  const __m128i fAlphas = _mm_and_si128(_mm_or_si128(f0, f1), AlphaMask32());
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(fAlphas, Zero())) == 0xFFFF) return false;  // every Fa = 0
  TPlanes F = ToPlanes(f0, f1);
  const TPlanes B = ToPlanes(b0, b1);
  if constexpr (Master) F.c[3] = Div255(_mm_mullo_epi16(F.c[3], mw));
  // Both alphas of all eight pixels as bytes.
  const __m128i alphas = _mm_packus_epi16(F.c[3], B.c[3]);
  const __m128i extreme = _mm_or_si128(_mm_cmpeq_epi8(alphas, Zero()),
                                       _mm_cmpeq_epi8(alphas, _mm_set1_epi8(-1)));
  if (_mm_movemask_epi8(extreme) != 0) return MergeMixed8<Master>(f0, f1, b0, b1, mw);
  TPlanes R;
  R.c[3] = MergeGeneral(F, B, F.c[3], B.c[3], R);
  FromPlanes(R, b0, b1);
  return true;
}

template <bool Master>
void MergeRows(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  const __m128i mw = _mm_set1_epi16(short(ClampWeight(M)));
  int i = 0;
  for (; i + 8 <= Count; i += 8) {
    const __m128i f0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + i));
    const __m128i f1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + i + 4));
    __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Dst + i));
    __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Dst + i + 4));
    if (Merge8<Master>(f0, f1, b0, b1, mw)) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(Dst + i), b0);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(Dst + i + 4), b1);
    }
  }
  if (i < Count) {
    // The last 1-7 pixels through a buffer; the padding has Fa = 0.
    const size_t bytes = size_t(Count - i) * sizeof(TColor32);
    alignas(16) TColor32 fs[8] = {}, bs[8] = {};
    std::memcpy(fs, Src + i, bytes);
    std::memcpy(bs, Dst + i, bytes);
    __m128i b0 = _mm_load_si128(reinterpret_cast<const __m128i*>(bs));
    __m128i b1 = _mm_load_si128(reinterpret_cast<const __m128i*>(bs + 4));
    if (Merge8<Master>(_mm_load_si128(reinterpret_cast<const __m128i*>(fs)),
                       _mm_load_si128(reinterpret_cast<const __m128i*>(fs + 4)), b0, b1, mw)) {
      _mm_store_si128(reinterpret_cast<__m128i*>(bs), b0);
      _mm_store_si128(reinterpret_cast<__m128i*>(bs + 4), b1);
      std::memcpy(Dst + i, bs, bytes);
    }
  }
}

// One pixel through the eight-pixel merge; the other lanes have Fa = 0.
template <bool Master>
inline TColor32 MergeOne(TColor32 F, TColor32 B, uint32_t M) {
  __m128i b0 = _mm_cvtsi32_si128(int(B)), b1 = Zero();
  if (!Merge8<Master>(_mm_cvtsi32_si128(int(F)), Zero(), b0, b1, _mm_set1_epi16(short(ClampWeight(M)))))
    return B;
  return TColor32(_mm_cvtsi128_si32(b0));
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

TColor32 MergePixel_SSE2(TColor32 F, TColor32 B) { return MergeOne<false>(F, B, 0); }

void MergePixelInPlace_SSE2(TColor32 F, TColor32& B) { B = MergeOne<false>(F, B, 0); }

void MergeRow_SSE2(const TColor32* Src, TColor32* Dst, int Count) { MergeRows<false>(Src, Dst, Count, 0); }

TColor32 MergePixelMaster_SSE2(TColor32 F, TColor32 B, uint32_t M) { return MergeOne<true>(F, B, M); }

void MergePixelMasterInPlace_SSE2(TColor32 F, TColor32& B, uint32_t M) { B = MergeOne<true>(F, B, M); }

void MergeRowMaster_SSE2(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  MergeRows<true>(Src, Dst, Count, M);
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
