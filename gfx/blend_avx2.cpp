// AVX2 implementations of the row operations (compiled with -mavx2 only).
// Eight pixels per step in 16-bit lanes; the arithmetic of blend and combine
// is that of the SSE2 file, whose comments give the exactness arguments.
// Merge takes sixteen pixels per step on channel planes and divides in
// integers (see DivRoundEven). Unpack and pack work within each 128-bit half,
// so pixel order survives the round trip.
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

// ---- Merge on channel planes ------------------------------------------------
// Merge works on sixteen pixels at once with each channel in its own register
// (16-bit lanes), so the per-pixel alphas, Ra and its reciprocal need no
// broadcasting. Within a plane the pixel order is 0-3, 8-11 | 4-7, 12-15; the
// conversion back undoes it.

struct TPlanes {
  __m256i c[4];  // blue, green, red, alpha
};

// Within each 128-bit half, four BGRA pixels to BBBB GGGG RRRR AAAA and back
// (a 4x4 byte transpose is its own inverse).
inline __m256i Transpose4x4(__m256i p) {
  const __m256i idx = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,  //
                                       0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  return _mm256_shuffle_epi8(p, idx);
}

// Pixels 0-7 in x and 8-15 in y.
inline TPlanes ToPlanes(__m256i x, __m256i y) {
  x = Transpose4x4(x);
  y = Transpose4x4(y);
  const __m256i bg = _mm256_unpacklo_epi32(x, y), ra = _mm256_unpackhi_epi32(x, y);
  return {{Lo16(bg), Hi16(bg), Lo16(ra), Hi16(ra)}};
}

inline void FromPlanes(const TPlanes& p, __m256i& x, __m256i& y) {
  const __m256i bg = _mm256_packus_epi16(p.c[0], p.c[1]), ra = _mm256_packus_epi16(p.c[2], p.c[3]);
  const __m256i lo = _mm256_unpacklo_epi32(bg, ra), hi = _mm256_unpackhi_epi32(bg, ra);
  x = Transpose4x4(_mm256_unpacklo_epi32(lo, hi));
  y = Transpose4x4(_mm256_unpackhi_epi32(lo, hi));
}

// A divisor d (1-255 in every lane) prepared for DivRoundEven.
// m = floor(65535 / d) is computed in single precision: the quotient is below
// 2^16 and, unless it is a whole number, at least 1/255 from one, while its
// rounding error is at most 2^-9, so truncation gives the exact floor.
struct TDivisor {
  __m256i d, half, dMinus1, tieRem, m;
};

inline TDivisor MakeDivisor(__m256i d) {
  const __m256i one = _mm256_set1_epi16(1);
  const __m256 k = _mm256_set1_ps(65535.0f);
  const __m256i mlo = _mm256_cvttps_epi32(_mm256_div_ps(k, _mm256_cvtepi32_ps(_mm256_unpacklo_epi16(d, Zero()))));
  const __m256i mhi = _mm256_cvttps_epi32(_mm256_div_ps(k, _mm256_cvtepi32_ps(_mm256_unpackhi_epi16(d, Zero()))));
  TDivisor r;
  r.d = d;
  r.half = _mm256_srli_epi16(d, 1);
  r.dMinus1 = _mm256_sub_epi16(d, one);
  // The remainder that marks a tie: 0 for an even d, an impossible 0x8000 for an odd one.
  r.tieRem = _mm256_slli_epi16(d, 15);
  r.m = _mm256_packus_epi32(mlo, mhi);
  return r;
}

// DivTable[d][v] = v * 255 / d rounded to nearest, ties to even, for v <= d.
// t = v * 255 + floor(d / 2) <= 65152; floor(t / d) rounds the quotient half
// up (an odd d has no ties). q = (t * m) >> 16 is floor(t / d) or one less,
// since t * m / 2^16 > t / d - t / 2^16 > t / d - 1; the remainder r = t - q * d
// (below 2d) corrects it. The quotient was a tie exactly when d is even and
// the corrected remainder is 0; then the odd q goes down to its even neighbour.
// Checked against DivTable for every d and every v <= d.
inline __m256i DivRoundEven(__m256i v, const TDivisor& D) {
  const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(v, _mm256_set1_epi16(255)), D.half);
  __m256i q = _mm256_mulhi_epu16(t, D.m);
  __m256i r = _mm256_sub_epi16(t, _mm256_mullo_epi16(q, D.d));
  const __m256i over = _mm256_cmpgt_epi16(r, D.dMinus1);
  q = _mm256_sub_epi16(q, over);
  r = _mm256_sub_epi16(r, _mm256_and_si256(over, D.d));
  const __m256i tie = _mm256_cmpeq_epi16(r, D.tieRem);
  return _mm256_andnot_si256(_mm256_and_si256(tie, _mm256_set1_epi16(1)), q);
}

// The general merge case: Ra = Fa + Ba - MulTable[Ba][Fa];
// b = MulTable[Ba][B_c]; v = b +/- MulTable[Fa][|F_c - b|] (v <= Ra);
// channel = DivTable[Ra][v]. Writes the colour planes of R and returns Ra.
// Every lane must have Ra >= 1 (true unless Fa = Ba = 0).
// MulTable rounds to nearest and x / 255 is never halfway, so the rounding
// is symmetric and v = round((b * (255 - Fa) + F_c * Fa) / 255), whose
// numerator is at most 65025.
inline __m256i MergeGeneral(const TPlanes& F, const TPlanes& B, __m256i fa, __m256i ba, TPlanes& R) {
  const __m256i ra = _mm256_sub_epi16(_mm256_add_epi16(fa, ba), Div255(_mm256_mullo_epi16(fa, ba)));
  const TDivisor D = MakeDivisor(ra);
  const __m256i ifa = _mm256_sub_epi16(_mm256_set1_epi16(255), fa);
  for (int c = 0; c < 3; ++c) {
    const __m256i bp = Div255(_mm256_mullo_epi16(B.c[c], ba));
    const __m256i v = Div255(_mm256_add_epi16(_mm256_mullo_epi16(bp, ifa), _mm256_mullo_epi16(F.c[c], fa)));
    R.c[c] = DivRoundEven(v, D);
  }
  return ra;
}

// MergePixel on sixteen pixels: F from f0 (pixels 0-7) and f1 (8-15), B in and
// out through b0 and b1. With Master, F's alpha is first replaced by
// MulTable[M][Fa] (mw holds M). Returns false when B stays as it is.
// Blocks with alphas of 0 or 255 go here; each computes only the cases it contains.
// Kept out of line so that the general case keeps its registers.
template <bool Master>
__attribute__((noinline)) bool MergeMixed16(__m256i f0, __m256i f1, __m256i& b0, __m256i& b1, __m256i mw) {
  TPlanes F = ToPlanes(f0, f1);
  const TPlanes B = ToPlanes(b0, b1);
  if constexpr (Master) F.c[3] = Div255(_mm256_mullo_epi16(F.c[3], mw));
  const __m256i fa = F.c[3], ba = B.c[3];
  const __m256i c255 = _mm256_set1_epi16(255);
  const __m256i fa0 = _mm256_cmpeq_epi16(fa, Zero());
  const __m256i ba255 = _mm256_cmpeq_epi16(ba, c255);
  const __m256i ba0 = _mm256_cmpeq_epi16(ba, Zero());
  const __m256i takeF = _mm256_or_si256(_mm256_cmpeq_epi16(fa, c255), ba0);
  const int fa0Bits = _mm256_movemask_epi8(fa0), ba255Bits = _mm256_movemask_epi8(ba255);
  if (fa0Bits == -1) return false;
  const bool allSpecial = _mm256_movemask_epi8(_mm256_or_si256(_mm256_or_si256(fa0, ba255), takeF)) == -1;
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
    const __m256i baColour = _mm256_or_si256(ba, _mm256_and_si256(fa0, c255));
    const __m256i faColour = _mm256_or_si256(fa, _mm256_andnot_si256(fa0, _mm256_and_si256(ba0, c255)));
    MergeGeneral(F, B, faColour, baColour, R);
    R.c[3] = _mm256_sub_epi16(_mm256_add_epi16(fa, ba), Div255(_mm256_mullo_epi16(fa, ba)));
    if (ba255Bits != 0) {
      // BlendPixel (with alpha 255, already in R); for Fa = 0 it gives B.
      const __m256i fa7 = _mm256_slli_epi16(fa, 7);
      for (int c = 0; c < 3; ++c) R.c[c] = Select(ba255, Lerp16(F.c[c], B.c[c], fa7), R.c[c]);
    }
    FromPlanes(R, b0, b1);
    return true;
  }
  // No pixel takes the general case: F, blended where Ba = 255, B where Fa = 0.
  R = F;
  if (ba255Bits != 0) {
    const __m256i fa7 = _mm256_slli_epi16(fa, 7);
    for (int c = 0; c < 3; ++c) R.c[c] = Select(ba255, Lerp16(F.c[c], B.c[c], fa7), R.c[c]);
    R.c[3] = _mm256_or_si256(R.c[3], _mm256_and_si256(ba255, c255));
  }
  if (fa0Bits != 0)
    for (int c = 0; c < 4; ++c) R.c[c] = Select(fa0, B.c[c], R.c[c]);
  FromPlanes(R, b0, b1);
  return true;
}

// As MergeMixed16; blocks in which no alpha is 0 or 255 take the general case
// for every pixel here.
template <bool Master>
inline bool Merge16(__m256i f0, __m256i f1, __m256i& b0, __m256i& b1, __m256i mw) {
  if (_mm256_testz_si256(_mm256_or_si256(f0, f1), AlphaMask32())) return false;  // every Fa = 0
  TPlanes F = ToPlanes(f0, f1);
  const TPlanes B = ToPlanes(b0, b1);
  if constexpr (Master) F.c[3] = Div255(_mm256_mullo_epi16(F.c[3], mw));
  // Both alphas of all sixteen pixels as bytes.
  const __m256i alphas = _mm256_packus_epi16(F.c[3], B.c[3]);
  const __m256i extreme = _mm256_or_si256(_mm256_cmpeq_epi8(alphas, Zero()),
                                          _mm256_cmpeq_epi8(alphas, _mm256_set1_epi8(-1)));
  if (_mm256_movemask_epi8(extreme) != 0) return MergeMixed16<Master>(f0, f1, b0, b1, mw);
  TPlanes R;
  R.c[3] = MergeGeneral(F, B, F.c[3], B.c[3], R);
  FromPlanes(R, b0, b1);
  return true;
}

template <bool Master>
void MergeRows(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  const __m256i mw = _mm256_set1_epi16(short(ClampWeight(M)));
  int i = 0;
  for (; i + 16 <= Count; i += 16) {
    const __m256i f0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + i));
    const __m256i f1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + i + 8));
    __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Dst + i));
    __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Dst + i + 8));
    if (Merge16<Master>(f0, f1, b0, b1, mw)) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i), b0);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i + 8), b1);
    }
  }
  if (i < Count) {
    // The last 1-15 pixels through a buffer; the padding has Fa = 0.
    const size_t bytes = size_t(Count - i) * sizeof(TColor32);
    alignas(32) TColor32 fs[16] = {}, bs[16] = {};
    memcpy(fs, Src + i, bytes);
    memcpy(bs, Dst + i, bytes);
    __m256i b0 = _mm256_load_si256(reinterpret_cast<const __m256i*>(bs));
    __m256i b1 = _mm256_load_si256(reinterpret_cast<const __m256i*>(bs + 8));
    if (Merge16<Master>(_mm256_load_si256(reinterpret_cast<const __m256i*>(fs)),
                        _mm256_load_si256(reinterpret_cast<const __m256i*>(fs + 8)), b0, b1, mw)) {
      _mm256_store_si256(reinterpret_cast<__m256i*>(bs), b0);
      _mm256_store_si256(reinterpret_cast<__m256i*>(bs + 8), b1);
      memcpy(Dst + i, bs, bytes);
    }
  }
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

// Fills of at least this size grow by copying (see FillLongword_AVX2).
constexpr size_t LargeFillBytes = size_t(4) << 20;
constexpr size_t FillBlockBytes = size_t(32) << 10;

void FillLongword_AVX2(void* Dst, int Count, uint32_t Value) {
  if (Count <= 0) return;
  auto* p = static_cast<unsigned char*>(Dst);
  size_t n = size_t(Count);
  // A value of four equal bytes (0, opaque white...) is a byte fill, which the
  // C library does fastest.
  if (Value == (Value & 0xFF) * 0x01010101u) {
    memset(p, int(Value & 0xFF), n * 4);
    return;
  }
  if (n * 4 >= LargeFillBytes) {
    // Fill the first block, then copy it over the rest: the copy streams to
    // memory faster than vector stores or non-temporal stores do here, and the
    // block stays in the first-level cache. Copies start at multiples of 4
    // bytes from Dst, so they repeat the value in the same byte order.
    FillLongword_AVX2(p, int(FillBlockBytes / 4), Value);
    const size_t bytes = n * 4;
    for (size_t offset = FillBlockBytes; offset < bytes; offset += FillBlockBytes)
      memcpy(p + offset, p, bytes - offset < FillBlockBytes ? bytes - offset : FillBlockBytes);
    return;
  }
  // Whole 32-byte stores from a 32-byte boundary (when Dst is 4-byte aligned,
  // as pixel rows are): stores that straddle cache lines cost up to three times as much.
  if ((reinterpret_cast<uintptr_t>(p) & 3) == 0)
    for (; n > 0 && (reinterpret_cast<uintptr_t>(p) & 31) != 0; --n, p += 4) memcpy(p, &Value, 4);
  const __m256i v = _mm256_set1_epi32(int(Value));
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

// How far ahead BlendRow prefetches both rows, in pixels (4 KiB; measured
// best among 128 to 2048 on rows that come from memory).
constexpr int BlendRowPrefetch = 1024;

// Sixteen pixels at Src + i over Dst + i; a block whose source alphas are
// all 0 leaves the destination as it is and is not stored.
inline void BlendRow16(const TColor32* Src, TColor32* Dst, int i) {
  const __m256i f0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + i));
  const __m256i f1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + i + 8));
  if (_mm256_testz_si256(_mm256_or_si256(f0, f1), AlphaMask32())) return;
  const __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Dst + i));
  const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Dst + i + 8));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i), BlendRow8(f0, b0));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i + 8), BlendRow8(f1, b1));
}

void BlendRow_AVX2(const TColor32* Src, TColor32* Dst, int Count) {
  int i = 0;
  // One cache line of each row per step, fetched ahead while they stay inside the rows.
  for (; i + BlendRowPrefetch + 16 <= Count; i += 16) {
    _mm_prefetch(reinterpret_cast<const char*>(Src + i + BlendRowPrefetch), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(Dst + i + BlendRowPrefetch), _MM_HINT_T0);
    BlendRow16(Src, Dst, i);
  }
  for (; i + 16 <= Count; i += 16) BlendRow16(Src, Dst, i);
  if (i < Count)
    ForEachBlock(Src + i, Dst + i, Count - i, [](__m256i f, __m256i b) { return BlendRow8(f, b); });
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
  MergeRows<false>(Src, Dst, Count, 0);
}

void MergeRowMaster_AVX2(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  MergeRows<true>(Src, Dst, Count, M);
}

}  // namespace

TBlendAVX2Functions BlendAVX2Functions() {
  return {MergeRow_AVX2, MergeRowMaster_AVX2, CombineRow_AVX2, BlendColorRun_AVX2,
          BlendRow_AVX2,  BlendRowMaster_AVX2, FillLongword_AVX2};
}
