#include "gfx/resamplers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

// Nearest integer of a float coordinate, saturated to the 32-bit range (NaN gives 0).
int32_t SafeRound(double V) {
  if (!(V == V)) return 0;
  if (V >= 2147483647.0) return INT32_MAX;
  if (V <= -2147483648.0) return INT32_MIN;
  return int32_t(std::lround(V));
}

int32_t SafeFloor(double V) {
  if (!(V == V)) return 0;
  if (V >= 2147483647.0) return INT32_MAX;
  if (V <= -2147483648.0) return INT32_MIN;
  return int32_t(std::floor(V));
}

int32_t SafeCeil(double V) {
  if (!(V == V)) return 0;
  if (V >= 2147483647.0) return INT32_MAX;
  if (V <= -2147483648.0) return INT32_MIN;
  return int32_t(std::ceil(V));
}

// The clip rectangle's pixel at (X, Y) by access mode. Unsafe reads are the
// caller's responsibility; the others never leave the clip rectangle.
TColor32 ReadPixel(const TCustomBitmap32& B, TPixelAccessMode Mode, int32_t X, int32_t Y) {
  switch (Mode) {
    case pamUnsafe:
      return B.Pixel(X, Y);
    case pamSafe:
      return B.PixelS(X, Y);
    case pamWrap:
      return B.PixelW(X, Y);
    case pamTransparentEdge: {
      const TRect& c = B.ClipRect();
      if (IsRectEmpty(c)) return 0;
      const int32_t x = Clamp(X, c.Left, c.Right - 1), y = Clamp(Y, c.Top, c.Bottom - 1);
      const TColor32 p = B.Pixel(x, y);
      return (x != X || y != Y) ? (p & 0x00FFFFFFu) : p;
    }
  }
  return 0;
}

int64_t Width64(const TRect& R) { return int64_t(R.Right) - R.Left; }
int64_t Height64(const TRect& R) { return int64_t(R.Bottom) - R.Top; }

// Stores one resampled colour by draw mode.
struct TPixelSink {
  TDrawMode Mode;
  const TCustomBitmap32& Src;
  const TPixelCombineEvent& Callback;
  TBlendPixelWeightInPlaceFunc BlendMaster;

  TPixelSink(TDrawMode AMode, const TCustomBitmap32& ASrc, const TPixelCombineEvent& ACallback)
      : Mode(AMode), Src(ASrc), Callback(ACallback),
        BlendMaster(ASrc.CombineMode() == cmMerge ? MergePixelMasterInPlace : BlendPixelMasterInPlace) {
    if (Mode == dmCustom && !Callback) Mode = dmOpaque;
  }
  void operator()(TColor32 C, TColor32& D) const {
    switch (Mode) {
      case dmOpaque: D = C; break;
      case dmBlend: BlendMaster(C, D, Src.MasterAlpha()); break;
      case dmCustom: Callback(C, D, Src.MasterAlpha()); break;
      case dmTransparent:
        if (C != Src.OuterColor()) D = C;
        break;
    }
  }
};

}  // namespace

// ---- TCustomSampler --------------------------------------------------------

TColor32 TCustomSampler::GetSampleInt(int32_t X, int32_t Y) {
  return GetSampleFixed(Fixed(X), Fixed(Y));
}

TColor32 TCustomSampler::GetSampleFixed(TFixed X, TFixed Y) {
  return GetSampleFloat(FixedToFloat(X), FixedToFloat(Y));
}

TColor32 TCustomSampler::GetSampleFloat(TFloat X, TFloat Y) {
  return GetSampleFixed(Fixed(X), Fixed(Y));
}

TFloatRect TCustomSampler::GetSampleBounds() const {
  constexpr TFloat inf = std::numeric_limits<TFloat>::infinity();
  return {-inf, -inf, inf, inf};
}

// ---- TCustomResampler ------------------------------------------------------

void TCustomResampler::PrepareSampling() {
  if (FBitmap) FClipRect = FBitmap->ClipRect();
}

TFloatRect TCustomResampler::GetSampleBounds() const {
  TFloatRect r = FloatRect(FBitmap ? FBitmap->ClipRect() : TRect{});
  if (FPixelAccessMode == pamTransparentEdge) InflateRect(r, 1, 1);
  return r;
}

void TCustomResampler::Changed() {
  if (FBitmap) FBitmap->Changed();
}

void TCustomResampler::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TCustomResampler*>(Source)) {
    SetPixelAccessMode(src->FPixelAccessMode);
    return;
  }
  TCustomSampler::Assign(Source);
}

void TCustomResampler::SetPixelAccessMode(TPixelAccessMode Value) {
  if (FPixelAccessMode == Value) return;
  FPixelAccessMode = Value;
  Changed();
}

// ---- Registries ------------------------------------------------------------

namespace {
template <class R> std::unique_ptr<TCustomResampler> MakeResampler(TCustomBitmap32* B) {
  return std::make_unique<R>(B);
}
template <class K> std::unique_ptr<TCustomKernel> MakeKernel() { return std::make_unique<K>(); }
}  // namespace

const std::vector<TResamplerClassEntry>& ResamplerList() {
  static const std::vector<TResamplerClassEntry> list = {
      {"TNearestResampler", MakeResampler<TNearestResampler>},
      {"TLinearResampler", MakeResampler<TLinearResampler>},
      {"TDraftResampler", MakeResampler<TDraftResampler>},
      {"TKernelResampler", MakeResampler<TKernelResampler>},
  };
  return list;
}

TCustomResamplerClass FindResamplerClass(const std::string& Name) {
  for (const auto& e : ResamplerList())
    if (e.Name == Name) return e.Create;
  return nullptr;
}

const std::vector<TKernelClassEntry>& KernelList() {
  static const std::vector<TKernelClassEntry> list = {
      {"TBoxKernel", MakeKernel<TBoxKernel>},           {"TLinearKernel", MakeKernel<TLinearKernel>},
      {"TCosineKernel", MakeKernel<TCosineKernel>},     {"TSplineKernel", MakeKernel<TSplineKernel>},
      {"TCubicKernel", MakeKernel<TCubicKernel>},       {"TMitchellKernel", MakeKernel<TMitchellKernel>},
      {"TAlbrechtKernel", MakeKernel<TAlbrechtKernel>}, {"TLanczosKernel", MakeKernel<TLanczosKernel>},
      {"TGaussianKernel", MakeKernel<TGaussianKernel>}, {"TBlackmanKernel", MakeKernel<TBlackmanKernel>},
      {"THannKernel", MakeKernel<THannKernel>},         {"THammingKernel", MakeKernel<THammingKernel>},
      {"TSinshKernel", MakeKernel<TSinshKernel>},       {"THermiteKernel", MakeKernel<THermiteKernel>},
  };
  return list;
}

TCustomKernelClass FindKernelClass(const std::string& Name) {
  for (const auto& e : KernelList())
    if (e.Name == Name) return e.Create;
  return nullptr;
}

// ---- TNearestResampler -----------------------------------------------------

TColor32 TNearestResampler::GetSampleInt(int32_t X, int32_t Y) {
  return ReadPixel(*FBitmap, FPixelAccessMode, X, Y);
}

TColor32 TNearestResampler::GetSampleFixed(TFixed X, TFixed Y) {
  return GetSampleInt(int32_t((int64_t(X) + 0x7FFF) >> 16), int32_t((int64_t(Y) + 0x7FFF) >> 16));
}

TColor32 TNearestResampler::GetSampleFloat(TFloat X, TFloat Y) { return GetSampleInt(SafeRound(X), SafeRound(Y)); }

void TNearestResampler::Resample(TCustomBitmap32* Dst, const TRect& DstRect, TRect DstClip,
                                 const TCustomBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                                 const TPixelCombineEvent& CombineCallBack) {
  IntersectRect(DstClip, DstClip, Dst->BoundsRect());
  IntersectRect(DstClip, DstClip, DstRect);
  if (IsRectEmpty(DstClip)) return;
  if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > Src->Width() || SrcRect.Bottom > Src->Height() ||
      IsRectEmpty(SrcRect))
    throw EBitmapException("Invalid SrcRect");
  if (CombineOp == dmCustom && !CombineCallBack) CombineOp = dmOpaque;

  const int64_t dstW = Width64(DstRect), dstH = Height64(DstRect);
  if (dstW == SrcRect.Width() && dstH == SrcRect.Height()) {
    TRect s = SrcRect;
    OffsetRect(s, DstClip.Left - DstRect.Left, DstClip.Top - DstRect.Top);
    BlockTransfer(Dst, DstClip.Left, DstClip.Top, DstClip, Src, s, CombineOp, CombineCallBack);
    return;
  }

  // Column map: the source column that holds each destination column's left
  // edge. The scale is held as a 32-bit float on purpose: its rounding decides
  // which column a boundary lands in (14 -> 20 maps column 10 to 6), and stored
  // skins depend on that. Entries are kept inside SrcRect against rounding at
  // extreme scales.
  const int32_t clipW = DstClip.Width();
  std::vector<int32_t> map(static_cast<size_t>(clipW));
  if (dstW < 2) {
    std::fill(map.begin(), map.end(), int32_t((int64_t(SrcRect.Left) + SrcRect.Right - 1) / 2));
  } else {
    const float s = float(SrcRect.Width()) / float(dstW);
    for (int32_t i = 0; i < clipW; ++i) {
      const double v = double(SrcRect.Left) + double(int64_t(i) + DstClip.Left - DstRect.Left) * double(s);
      map[size_t(i)] = std::clamp<int32_t>(int32_t(std::trunc(v)), SrcRect.Left, SrcRect.Right - 1);
    }
  }
  const float sy = dstH < 2 ? 0.0f : float(SrcRect.Height()) / float(dstH);
  auto srcRowOf = [&](int32_t y) {
    if (dstH < 2) return int32_t((int64_t(SrcRect.Top) + SrcRect.Bottom - 1) / 2);
    const double v = double(SrcRect.Top) + double(int64_t(y) - DstRect.Top) * double(sy);
    return std::clamp<int32_t>(int32_t(std::trunc(v)), SrcRect.Top, SrcRect.Bottom - 1);
  };

  std::vector<TColor32> buffer(CombineOp == dmOpaque ? 0 : size_t(clipW));
  int32_t prevRow = -1;
  TColor32* prevDst = nullptr;
  for (int32_t y = DstClip.Top; y < DstClip.Bottom; ++y) {
    const int32_t srcY = srcRowOf(y);
    const TColor32* srcLine = Src->ScanLine(srcY);
    TColor32* dstLine = Dst->PixelPtr(DstClip.Left, y);
    if (CombineOp == dmOpaque) {
      if (srcY == prevRow && prevDst)
        std::memcpy(dstLine, prevDst, size_t(clipW) * sizeof(TColor32));
      else
        for (int32_t i = 0; i < clipW; ++i) dstLine[i] = srcLine[map[size_t(i)]];
      prevDst = dstLine;
    } else {
      if (srcY != prevRow)
        for (int32_t i = 0; i < clipW; ++i) buffer[size_t(i)] = srcLine[map[size_t(i)]];
      TransferRowByMode(buffer.data(), dstLine, clipW, *Src, CombineOp, CombineCallBack);
    }
    prevRow = srcY;
  }
  FinishBlending();
}

// ---- Kernels ---------------------------------------------------------------

void TCustomKernel::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomKernel*>(Source);
  if (src && src->ClassName() == ClassName()) {
    AssignParams(*src);
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

namespace {
double Sinc(double X) {
  if (X == 0) return 1;
  const double a = X * Pi;
  return std::sin(a) / a;
}
}  // namespace

TFloat TBoxKernel::Filter(TFloat Value) const { return Value >= -0.5f && Value <= 0.5f ? 1.0f : 0.0f; }

TFloat TLinearKernel::Filter(TFloat Value) const {
  const TFloat a = std::fabs(Value);
  return a < 1 ? 1 - a : 0;
}

TFloat TCosineKernel::Filter(TFloat Value) const {
  return std::fabs(Value) < 1 ? TFloat((std::cos(Value * Pi) + 1) * 0.5) : 0;
}

TFloat TSplineKernel::Filter(TFloat Value) const {
  const double a = std::fabs(Value);
  if (a < 1) return TFloat(a * a * a / 2 - a * a + 2.0 / 3.0);
  if (a < 2) return TFloat((2 - a) * (2 - a) * (2 - a) / 6);
  return 0;
}

TFloat TMitchellKernel::Filter(TFloat Value) const {
  const double a = std::fabs(Value);
  if (a < 1) return TFloat((21 * a * a * a - 36 * a * a + 16) / 18);
  if (a < 2) return TFloat((-7 * a * a * a + 36 * a * a - 60 * a + 32) / 18);
  return 0;
}

TFloat TCubicKernel::Filter(TFloat Value) const {
  const double a = std::fabs(Value), c = FCoeff;
  if (a < 1) return TFloat((c + 2) * a * a * a - (c + 3) * a * a + 1);
  if (a < 2) return TFloat(c * (a * a * a - 5 * a * a + 8 * a - 4));
  return 0;
}

void TCubicKernel::SetCoeff(TFloat Value) {
  if (FCoeff == Value) return;
  FCoeff = Value;
  Changed();
}

void TCubicKernel::AssignParams(const TCustomKernel& Source) {
  FCoeff = static_cast<const TCubicKernel&>(Source).FCoeff;
}

TFloat THermiteKernel::Filter(TFloat Value) const {
  const double k = std::floor(Value);
  const double t = std::fabs(k - Value), t2 = t * t, t3 = t2 * t;
  const double h00 = 1 - (3 * t2 - 2 * t3), h01 = 3 * t2 - 2 * t3;
  const double h10 = t - 2 * t2 + t3, h11 = t3 - t2;
  const double m0 = (1 - FTension) / 2 * (1 + FBias), m1 = (1 - FTension) / 2 * (1 - FBias);
  if (k == 0) return TFloat(h10 * (m0 - m1) + h00 - h11 * m0);
  if (k == 1) return TFloat(-h10 * m0);
  if (k == -2) return TFloat(m1 * h11);
  if (k == -1) return TFloat(h01 + m1 * h10 + h11 * (m0 - m1));
  return 0;
}

void THermiteKernel::SetBias(TFloat Value) {
  if (FBias == Value) return;
  FBias = Value;
  Changed();
}

void THermiteKernel::SetTension(TFloat Value) {
  if (FTension == Value) return;
  FTension = Value;
  Changed();
}

void THermiteKernel::AssignParams(const TCustomKernel& Source) {
  const auto& s = static_cast<const THermiteKernel&>(Source);
  FBias = s.FBias;
  FTension = s.FTension;
}

TFloat TWindowedSincKernel::Filter(TFloat Value) const {
  if (std::fabs(Value) >= FWidth) return 0;
  return TFloat(Sinc(Value) * Window(Value));
}

void TWindowedSincKernel::SetWidth(TFloat Value) {
  // A width must be positive for the window arithmetic.
  if (!(Value > 0)) return;
  Value = std::min(Value, 16.0f);
  if (FWidth == Value) return;
  FWidth = Value;
  Changed();
}

void TWindowedSincKernel::AssignParams(const TCustomKernel& Source) {
  FWidth = static_cast<const TWindowedSincKernel&>(Source).FWidth;
}

TFloat TLanczosKernel::Window(TFloat Value) const { return TFloat(Sinc(Value / FWidth)); }

TFloat TBlackmanKernel::Window(TFloat Value) const {
  const double c = std::cos(Pi * Value / FWidth);
  return TFloat(0.34 + 0.5 * c + 0.16 * c * c);
}

TFloat THannKernel::Window(TFloat Value) const { return TFloat(0.5 + 0.5 * std::cos(Pi * Value / FWidth)); }

TFloat THammingKernel::Window(TFloat Value) const { return TFloat(0.54 + 0.46 * std::cos(Pi * Value / FWidth)); }

TFloat TGaussianKernel::Window(TFloat Value) const { return TFloat(std::exp2(-double(Value) * Value / FSigma)); }

void TGaussianKernel::SetSigma(TFloat Value) {
  // A non-positive sigma would divide by zero; it is not taken.
  if (FSigma == Value || FSigma == 0 || !(Value > 0)) return;
  FSigma = Value;
  Changed();
}

void TGaussianKernel::AssignParams(const TCustomKernel& Source) {
  TWindowedSincKernel::AssignParams(Source);
  FSigma = static_cast<const TGaussianKernel&>(Source).FSigma;
}

namespace {
// Row n (n = 2..11 coefficients) is the polynomial ((1 + c) / 2)^(n - 1):
// 1 at the centre (c = 1), 0 at the window edge (c = -1), smoother as the
// number of terms grows.
struct TAlbrechtRows {
  double Row[10][11] = {};
  constexpr TAlbrechtRows() {
    for (int r = 0; r < 10; ++r) {
      const int n = r + 1;  // power
      double binom = 1;
      double scale = 1;
      for (int i = 0; i < n; ++i) scale *= 0.5;
      for (int k = 0; k <= n; ++k) {
        Row[r][k] = binom * scale;
        binom = binom * (n - k) / (k + 1);
      }
    }
  }
};
constexpr TAlbrechtRows AlbrechtRows;
}  // namespace

TFloat TAlbrechtKernel::Window(TFloat Value) const {
  const double c = std::cos(Pi * Value / FWidth);
  const double* row = AlbrechtRows.Row[FTerms - 2];
  double r = row[FTerms - 1];
  for (int k = FTerms - 2; k >= 0; --k) r = r * c + row[k];
  return TFloat(r);
}

void TAlbrechtKernel::SetTerms(int32_t Value) {
  Value = std::clamp(Value, 2, 11);
  if (FTerms == Value) return;
  FTerms = Value;
  Changed();
}

void TAlbrechtKernel::AssignParams(const TCustomKernel& Source) {
  TWindowedSincKernel::AssignParams(Source);
  FTerms = static_cast<const TAlbrechtKernel&>(Source).FTerms;
}

TFloat TSinshKernel::Filter(TFloat Value) const {
  if (Value == 0) return 1;
  const double a = FCoeff * Pi * Value;
  const double s = std::sinh(a);
  if (!std::isfinite(s)) return 0;
  return TFloat(FCoeff * std::sin(Pi * Value) / s);
}

void TSinshKernel::SetWidth(TFloat Value) {
  if (!(Value > 0) || FWidth == Value) return;
  FWidth = std::min(Value, 16.0f);
  Changed();
}

void TSinshKernel::SetCoeff(TFloat Value) {
  // A zero coefficient would make the filter 0 / 0; it is not taken.
  if (FCoeff == Value || FCoeff == 0 || Value == 0 || !std::isfinite(Value)) return;
  FCoeff = Value;
  Changed();
}

void TSinshKernel::AssignParams(const TCustomKernel& Source) {
  const auto& s = static_cast<const TSinshKernel&>(Source);
  FWidth = s.FWidth;
  FCoeff = s.FCoeff;
}

// ---- Mapping tables and kernel resampling ----------------------------------

TMappingTable BuildMappingTable(int32_t DstLo, int32_t DstHi, int32_t ClipLo, int32_t ClipHi, int32_t SrcLo,
                                int32_t SrcHi, const TCustomKernel& Kernel) {
  TMappingTable table;
  const int64_t srcN = int64_t(SrcHi) - SrcLo, dstN = int64_t(DstHi) - DstLo;
  const int64_t count = int64_t(ClipHi) - ClipLo;
  if (srcN <= 0 || count <= 0 || dstN <= 0) return table;
  table.resize(size_t(count));
  if (srcN == 1) {
    for (auto& c : table) c = {{SrcLo, 256}};
    return table;
  }
  const float scale = float(dstN) / float(srcN);
  if (scale == 0) {
    for (auto& c : table) c = {{int32_t((int64_t(SrcLo) + SrcHi) / 2), 256}};
    return table;
  }
  const double inv = 1.0 / double(scale);
  const double W = Kernel.GetWidth();
  const bool enlarge = scale >= 1;
  const double reach = enlarge ? W : W * inv;
  for (int64_t i = 0; i < count; ++i) {
    TCluster& cluster = table[size_t(i)];
    const double c = SrcLo - 0.5 + (double(i + ClipLo - DstLo) + 0.5) * inv;
    const int64_t jlo = SafeFloor(c - reach), jhi = SafeCeil(c + reach);
    for (int64_t j = jlo; j <= jhi; ++j) {
      const double f = enlarge ? Kernel.Filter(TFloat(c - j)) : scale * Kernel.Filter(TFloat((c - j) * scale));
      const int32_t w = SafeRound(f * 256);
      if (w == 0) continue;
      cluster.push_back({int32_t(std::clamp<int64_t>(j, SrcLo, SrcHi - 1)), w});
    }
    if (cluster.empty()) {
      cluster.push_back({std::clamp<int32_t>(SafeFloor(c), SrcLo, SrcHi - 1), 256});
      continue;
    }
    int32_t sum = 0;
    for (const auto& p : cluster) sum += p.Weight;
    if (sum != 256) cluster[(cluster.size() - 1) / 2].Weight -= sum - 256;
  }
  return table;
}

namespace {

struct TBufferEntry {
  int32_t B, G, R, A;
};

// The channel sums (scaled by 65536) to a colour.
TColor32 SumsToColor(int64_t B, int64_t G, int64_t R, int64_t A, bool Clamp) {
  auto ch = [Clamp](int64_t v) -> uint32_t {
    if (Clamp) v = std::clamp<int64_t>(v, 0, int64_t(255) << 16);
    return uint32_t((v >> 16) & 0xFF);
  };
  return (ch(A) << 24) | (ch(R) << 16) | (ch(G) << 8) | ch(B);
}

}  // namespace

void KernelResample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClipIn, const TCustomBitmap32* Src,
                    const TRect& SrcRect, const TCustomKernel& Kernel, TDrawMode CombineOp,
                    const TPixelCombineEvent& CombineCallBack) {
  if (CombineOp == dmBlend && Src->MasterAlpha() == 0) return;
  TRect clip;
  IntersectRect(clip, DstClipIn, Dst->BoundsRect());
  IntersectRect(clip, clip, DstRect);
  if (IsRectEmpty(clip)) return;
  TRect src;
  IntersectRect(src, SrcRect, Src->BoundsRect());
  if (IsRectEmpty(src)) return;

  const TMappingTable cols =
      BuildMappingTable(DstRect.Left, DstRect.Right, clip.Left, clip.Right, src.Left, src.Right, Kernel);
  const TMappingTable rows =
      BuildMappingTable(DstRect.Top, DstRect.Bottom, clip.Top, clip.Bottom, src.Top, src.Bottom, Kernel);
  if (cols.empty() || rows.empty()) return;
  int32_t colMin = INT32_MAX, colMax = INT32_MIN;
  for (const auto& c : cols)
    for (const auto& p : c) {
      colMin = std::min(colMin, p.Pos);
      colMax = std::max(colMax, p.Pos);
    }
  const bool clamp = Kernel.NeedsClamp();
  const TPixelSink sink(CombineOp, *Src, CombineCallBack);
  std::vector<TBufferEntry> buffer(size_t(colMax - colMin + 1));

  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    std::fill(buffer.begin(), buffer.end(), TBufferEntry{0, 0, 0, 0});
    for (const auto& p : rows[size_t(y - clip.Top)]) {
      const TColor32* line = Src->ScanLine(p.Pos);
      for (int32_t x = colMin; x <= colMax; ++x) {
        const TColor32 c = line[x];
        TBufferEntry& e = buffer[size_t(x - colMin)];
        e.B += p.Weight * int32_t(c & 0xFF);
        e.G += p.Weight * int32_t((c >> 8) & 0xFF);
        e.R += p.Weight * int32_t((c >> 16) & 0xFF);
        e.A += p.Weight * int32_t(c >> 24);
      }
    }
    TColor32* d = Dst->PixelPtr(clip.Left, y);
    for (int32_t x = clip.Left; x < clip.Right; ++x, ++d) {
      int64_t b = 0, g = 0, r = 0, a = 0;
      for (const auto& p : cols[size_t(x - clip.Left)]) {
        const TBufferEntry& e = buffer[size_t(p.Pos - colMin)];
        b += int64_t(p.Weight) * e.B;
        g += int64_t(p.Weight) * e.G;
        r += int64_t(p.Weight) * e.R;
        a += int64_t(p.Weight) * e.A;
      }
      sink(SumsToColor(b, g, r, a, clamp), *d);
    }
  }
  FinishBlending();
}

// ---- TLinearResampler ------------------------------------------------------

TLinearResampler::TLinearResampler(TCustomBitmap32* ABitmap)
    : TCustomResampler(ABitmap), FLinearKernel(std::make_unique<TLinearKernel>()) {}

TColor32 TLinearResampler::GetSampleFixed(TFixed X, TFixed Y) {
  switch (FPixelAccessMode) {
    case pamUnsafe: return FBitmap->PixelX(X, Y);
    case pamSafe: return FBitmap->PixelXS(X, Y);
    case pamWrap: return FBitmap->PixelXW(X, Y);
    case pamTransparentEdge: return TransparentEdgeSample(X, Y);
  }
  return 0;
}

TColor32 TLinearResampler::GetSampleFloat(TFloat X, TFloat Y) { return GetSampleFixed(Fixed(X), Fixed(Y)); }

// Bilinear sample that fades to transparent across the one-pixel band around
// the clip rectangle.
TColor32 TLinearResampler::TransparentEdgeSample(TFixed X, TFixed Y) const {
  const TRect& c = FBitmap->ClipRect();
  if (IsRectEmpty(c)) return 0;
  const int32_t hx = X >> 16, hy = Y >> 16;
  const auto& gamma = GammaTable();
  if (hx >= c.Left && hx < c.Right - 1 && hy >= c.Top && hy < c.Bottom - 1) {
    const int32_t x8 = X >> 8, y8 = Y >> 8;
    const int32_t x = x8 >> 8, y = y8 >> 8;
    const uint32_t wx = gamma[255 - (x8 & 255)], wy = gamma[255 - (y8 & 255)];
    auto p = [&](int32_t px, int32_t py) { return FBitmap->Pixel(px, py); };
    TColor32 r = 0;
    const TColor32 C00 = p(x, y), C10 = p(x + 1, y), C01 = p(x, y + 1), C11 = p(x + 1, y + 1);
    for (int shift = 0; shift < 32; shift += 8) {
      const uint32_t c00 = (C00 >> shift) & 0xFF, c10 = (C10 >> shift) & 0xFF;
      const uint32_t c01 = (C01 >> shift) & 0xFF, c11 = (C11 >> shift) & 0xFF;
      const uint32_t upper = (c00 * wx + c10 * (256 - wx)) >> 8;
      const uint32_t lower = (c01 * wx + c11 * (256 - wx)) >> 8;
      r |= (((upper * wy + lower * (256 - wy)) >> 8) & 0xFF) << shift;
    }
    FinishBlending();
    return r;
  }
  if (hx < c.Left - 1 || hy < c.Top - 1 || hx > c.Right - 1 || hy > c.Bottom - 1) return 0;
  const int32_t sgnX = X > 0 ? 1 : X < 0 ? -1 : 0, sgnY = Y > 0 ? 1 : Y < 0 ? -1 : 0;
  // Kept inside the clip rectangle so that the band never reads outside it.
  const int32_t x0 = Clamp(hx, c.Left, c.Right - 1), x1 = Clamp(hx + sgnX, c.Left, c.Right - 1);
  const int32_t y0 = Clamp(hy, c.Top, c.Bottom - 1), y1 = Clamp(hy + sgnY, c.Top, c.Bottom - 1);
  TColor32 C00 = FBitmap->Pixel(x0, y0), C10 = FBitmap->Pixel(x1, y0);
  TColor32 C01 = FBitmap->Pixel(x0, y1), C11 = FBitmap->Pixel(x1, y1);
  constexpr TColor32 rgb = 0x00FFFFFF;
  if (int64_t(X) <= int64_t(c.Left) * 65536) {
    C00 &= rgb;
    C01 &= rgb;
  } else if (hx == c.Right - 1) {
    C10 &= rgb;
    C11 &= rgb;
  }
  if (int64_t(Y) <= int64_t(c.Top) * 65536) {
    C00 &= rgb;
    C10 &= rgb;
  } else if (hy == c.Bottom - 1) {
    C01 &= rgb;
    C11 &= rgb;
  }
  const uint32_t wx = gamma[255 - ((X >> 8) & 255)], wy = gamma[255 - ((Y >> 8) & 255)];
  const TColor32 upper = CombinePixel(C00, C10, wx);
  const TColor32 lower = CombinePixel(C01, C11, wx);
  const TColor32 r = CombinePixel(upper, lower, wy);
  FinishBlending();
  return r;
}

// Enlarging and shrinking both go through separable resampling with the
// linear kernel; enlarged, that is bilinear interpolation between source
// pixel centres.
void TLinearResampler::Resample(TCustomBitmap32* Dst, const TRect& DstRect, TRect DstClip,
                                const TCustomBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                                const TPixelCombineEvent& CombineCallBack) {
  KernelResample(Dst, DstRect, DstClip, Src, SrcRect, *FLinearKernel, CombineOp, CombineCallBack);
}

// ---- TDraftResampler -------------------------------------------------------

void TDraftResampler::Resample(TCustomBitmap32* Dst, const TRect& DstRect, TRect DstClip,
                               const TCustomBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                               const TPixelCombineEvent& CombineCallBack) {
  const int64_t dstW = Width64(DstRect), dstH = Height64(DstRect);
  if (dstW > SrcRect.Width() || dstH > SrcRect.Height()) {
    TLinearResampler::Resample(Dst, DstRect, DstClip, Src, SrcRect, CombineOp, CombineCallBack);
    return;
  }
  if (CombineOp == dmBlend && Src->MasterAlpha() == 0) return;
  IntersectRect(DstClip, DstClip, Dst->BoundsRect());
  IntersectRect(DstClip, DstClip, DstRect);
  TRect src;
  IntersectRect(src, SrcRect, Src->BoundsRect());
  if (IsRectEmpty(DstClip) || IsRectEmpty(src) || dstW <= 0 || dstH <= 0) return;

  // Block averaging: block k covers source positions [k * step, (k + 1) * step)
  // in 16.16 fixed point, at least one pixel.
  const int64_t stepX = int64_t(double(src.Width()) / double(dstW) * 65536.0);
  const int64_t stepY = int64_t(double(src.Height()) / double(dstH) * 65536.0);
  auto span = [](int64_t k, int64_t step, int32_t lo, int32_t hi, int32_t& a, int32_t& b) {
    a = int32_t(std::clamp<int64_t>(lo + ((k * step) >> 16), lo, hi - 1));
    b = int32_t(std::clamp<int64_t>(lo + (((k + 1) * step) >> 16), a + 1, hi));
  };
  const TPixelSink sink(CombineOp, *Src, CombineCallBack);
  for (int32_t y = DstClip.Top; y < DstClip.Bottom; ++y) {
    int32_t y0, y1;
    span(int64_t(y) - DstRect.Top, stepY, src.Top, src.Bottom, y0, y1);
    TColor32* d = Dst->PixelPtr(DstClip.Left, y);
    for (int32_t x = DstClip.Left; x < DstClip.Right; ++x, ++d) {
      int32_t x0, x1;
      span(int64_t(x) - DstRect.Left, stepX, src.Left, src.Right, x0, x1);
      uint64_t b = 0, g = 0, r = 0, a = 0;
      for (int32_t sy = y0; sy < y1; ++sy) {
        const TColor32* line = Src->ScanLine(sy);
        for (int32_t sx = x0; sx < x1; ++sx) {
          const TColor32 c = line[sx];
          b += c & 0xFF;
          g += (c >> 8) & 0xFF;
          r += (c >> 16) & 0xFF;
          a += c >> 24;
        }
      }
      const uint64_t n = uint64_t(x1 - x0) * uint64_t(y1 - y0);
      const uint64_t h = n / 2;
      sink(TColor32(((a + h) / n) << 24 | ((r + h) / n) << 16 | ((g + h) / n) << 8 | ((b + h) / n)), *d);
    }
  }
  FinishBlending();
}

// ---- TKernelResampler ------------------------------------------------------

TKernelResampler::TKernelResampler(TCustomBitmap32* ABitmap)
    : TCustomResampler(ABitmap), FKernel(std::make_unique<TBoxKernel>()) {
  FKernel->SetObserver(this);
}

TKernelResampler::~TKernelResampler() = default;

void TKernelResampler::SetKernel(std::unique_ptr<TCustomKernel> Value) {
  if (!Value || Value.get() == FKernel.get()) return;
  FKernel = std::move(Value);
  FKernel->SetObserver(this);
  Changed();
}

void TKernelResampler::SetKernelClassName(const std::string& Value) {
  if (Value.empty() || Value == KernelClassName()) return;
  if (TCustomKernelClass cls = FindKernelClass(Value)) SetKernel(cls());
}

void TKernelResampler::SetKernelMode(TKernelMode Value) {
  if (FKernelMode == Value) return;
  FKernelMode = Value;
  Changed();
}

void TKernelResampler::SetTableSize(int32_t Value) {
  Value = std::max(Value, 2);
  if (FTableSize == Value) return;
  FTableSize = Value;
  Changed();
}

void TKernelResampler::Assign(TPersistent* Source) {
  TCustomResampler::Assign(Source);
  if (auto* src = dynamic_cast<TKernelResampler*>(Source)) {
    SetKernelMode(src->FKernelMode);
    SetTableSize(src->FTableSize);
    SetKernelClassName(src->KernelClassName());
    FKernel->Assign(src->FKernel.get());
  }
}

void TKernelResampler::PrepareSampling() {
  TCustomResampler::PrepareSampling();
  FOuterColor = FBitmap ? FBitmap->OuterColor() : 0;
  FWeightTable.clear();
  if (FKernelMode == kmDynamic) return;
  const int32_t radius = SafeCeil(FKernel->GetWidth());
  const int32_t cols = 2 * radius + 1;
  FWeightTable.assign(size_t(cols) * size_t(FTableSize + 1), 0);
  for (int32_t i = 0; i <= FTableSize; ++i) {
    int32_t* row = &FWeightTable[size_t(i) * cols];
    int32_t sum = 0;
    for (int32_t j = -radius; j <= radius; ++j) {
      row[j + radius] = SafeRound(FKernel->Filter(TFloat(j + double(i) / (FTableSize - 1))) * 256);
      sum += row[j + radius];
    }
    row[radius] -= sum - 256;
  }
}

void TKernelResampler::FinalizeSampling() { FWeightTable.clear(); }

void TKernelResampler::TapWeights(TFloat Frac, std::vector<int32_t>& Weights) const {
  const int32_t radius = SafeCeil(FKernel->GetWidth());
  const int32_t cols = 2 * radius + 1;
  Weights.assign(size_t(cols), 0);
  // Weights[k] belongs to pixel floor + k - radius, at distance Frac - (k - radius);
  // table row entries are stored by j = -(k - radius).
  if (FKernelMode == kmDynamic || FWeightTable.empty()) {
    for (int32_t k = 0; k < cols; ++k) Weights[size_t(k)] = SafeRound(FKernel->Filter(Frac - TFloat(k - radius)) * 256);
    return;
  }
  const double pos = double(Frac) * (FTableSize - 1);
  const int32_t r0 = std::clamp(SafeFloor(pos), 0, FTableSize);
  const int32_t r1 = std::min(r0 + 1, FTableSize);
  const double t = pos - r0;
  for (int32_t k = 0; k < cols; ++k) {
    const int32_t j = radius - k + radius;  // column of offset -(k - radius)
    const int32_t w0 = FWeightTable[size_t(r0) * cols + j];
    if (FKernelMode == kmTableNearest) {
      Weights[size_t(k)] = t < 0.5 ? w0 : FWeightTable[size_t(r1) * cols + j];
    } else {
      const int32_t w1 = FWeightTable[size_t(r1) * cols + j];
      Weights[size_t(k)] = SafeRound(w0 + (w1 - w0) * t);
    }
  }
}

TColor32 TKernelResampler::GetSampleFixed(TFixed X, TFixed Y) {
  return GetSampleFloat(FixedToFloat(X), FixedToFloat(Y));
}

// Separable filtering around (X, Y); taps outside the bitmap follow the pixel
// access mode (the unsafe mode reads like the safe one, since the kernel
// reaches beyond the sampled pixel). Sums are normalised by the weight total.
TColor32 TKernelResampler::GetSampleFloat(TFloat X, TFloat Y) {
  if (!FBitmap || !std::isfinite(X) || !std::isfinite(Y)) return FOuterColor;
  const int32_t ix = SafeFloor(X), iy = SafeFloor(Y);
  std::vector<int32_t> wx, wy;
  TapWeights(X - TFloat(ix), wx);
  TapWeights(Y - TFloat(iy), wy);
  const int32_t radius = int32_t(wx.size() / 2);
  const TPixelAccessMode mode = FPixelAccessMode == pamUnsafe ? pamSafe : FPixelAccessMode;
  int64_t b = 0, g = 0, r = 0, a = 0, total = 0;
  for (size_t ky = 0; ky < wy.size(); ++ky) {
    if (wy[ky] == 0) continue;
    for (size_t kx = 0; kx < wx.size(); ++kx) {
      const int64_t w = int64_t(wx[kx]) * wy[ky];
      if (w == 0) continue;
      const TColor32 c = ReadPixel(*FBitmap, mode, int32_t(int64_t(ix) + int64_t(kx) - radius),
                                   int32_t(int64_t(iy) + int64_t(ky) - radius));
      b += w * int64_t(c & 0xFF);
      g += w * int64_t((c >> 8) & 0xFF);
      r += w * int64_t((c >> 16) & 0xFF);
      a += w * int64_t(c >> 24);
      total += w;
    }
  }
  if (total <= 0) return FOuterColor;
  auto ch = [total](int64_t v) { return uint32_t(std::clamp<int64_t>((v + total / 2) / total, 0, 255)); };
  return (ch(a) << 24) | (ch(r) << 16) | (ch(g) << 8) | ch(b);
}

void TKernelResampler::Resample(TCustomBitmap32* Dst, const TRect& DstRect, TRect DstClip,
                                const TCustomBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                                const TPixelCombineEvent& CombineCallBack) {
  KernelResample(Dst, DstRect, DstClip, Src, SrcRect, *FKernel, CombineOp, CombineCallBack);
}

// ---- Stretched transfer ----------------------------------------------------

void StretchTransfer(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, const TCustomBitmap32* Src,
                     TRect SrcRect, TCustomResampler* Resampler, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineCallBack) {
  if (!Dst) throw EBitmapException("Destination bitmap is nil");
  if (!Src) throw EBitmapException("Source bitmap is nil");

  // A source rectangle reaching outside the source is cut, and the
  // destination edges move by the matching (scaled) amount.
  if (SrcRect.Right != SrcRect.Left && SrcRect.Bottom != SrcRect.Top) {
    const float sx = float(Width64(DstRect)) / float(Width64(SrcRect));
    const float sy = float(Height64(DstRect)) / float(Height64(SrcRect));
    auto moved = [](int32_t Edge, double Delta) {
      return int32_t(std::clamp<double>(double(Edge) + Delta, INT32_MIN, INT32_MAX));
    };
    if (SrcRect.Left < 0) {
      DstRect.Left = moved(DstRect.Left, std::ceil(-double(SrcRect.Left) * sx));
      SrcRect.Left = 0;
    }
    if (SrcRect.Top < 0) {
      DstRect.Top = moved(DstRect.Top, std::ceil(-double(SrcRect.Top) * sy));
      SrcRect.Top = 0;
    }
    if (SrcRect.Right > Src->Width()) {
      DstRect.Right = moved(DstRect.Right, -std::floor((double(SrcRect.Right) - Src->Width()) * sx));
      SrcRect.Right = Src->Width();
    }
    if (SrcRect.Bottom > Src->Height()) {
      DstRect.Bottom = moved(DstRect.Bottom, -std::floor((double(SrcRect.Bottom) - Src->Height()) * sy));
      SrcRect.Bottom = Src->Height();
    }
  }

  if (Src->Empty() || Dst->Empty() || (Src->DrawMode() == dmBlend && Src->MasterAlpha() == 0) ||
      IsRectEmpty(SrcRect))
    return;

  if (!Dst->MeasuringMode()) {
    IntersectRect(DstClip, DstClip, Dst->BoundsRect());
    IntersectRect(DstClip, DstClip, DstRect);
    if (IsRectEmpty(DstClip)) return;
    if (CombineOp == dmCustom && !CombineCallBack) CombineOp = dmOpaque;
    if (Width64(DstRect) == SrcRect.Width() && Height64(DstRect) == SrcRect.Height()) {
      TRect s = SrcRect;
      OffsetRect(s, DstClip.Left - DstRect.Left, DstClip.Top - DstRect.Top);
      // The block copy reports its own (clipped) area while updates are held.
      Dst->BeginUpdate();
      try {
        BlockTransfer(Dst, DstClip.Left, DstClip.Top, DstClip, Src, s, CombineOp, CombineCallBack);
      } catch (...) {
        Dst->EndUpdate();
        throw;
      }
      Dst->EndUpdate();
    } else {
      if (!Resampler) Resampler = Src->Resampler();
      if (Resampler) Resampler->Resample(Dst, DstRect, DstClip, Src, SrcRect, CombineOp, CombineCallBack);
    }
    FinishBlending();
  }
  Dst->Changed(DstRect, AREAINFO_RECT);
}
