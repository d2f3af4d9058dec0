#include "gfx/blend.h"

#include <cstring>
#include <algorithm>

#include "gfx/blend_avx2.h"
#include "gfx/blend_internal.h"

// ---- Tables ----------------------------------------------------------------

namespace {

// round(i * j / 255): i * j / 255 is never exactly halfway, so adding 127 and
// truncating rounds to nearest.
constexpr TByteTable BuildMulTable() {
  TByteTable t{};
  for (uint32_t j = 0; j < 256; ++j)
    for (uint32_t i = 0; i < 256; ++i) t[j][i] = uint8_t((i * j + 127) / 255);
  return t;
}

// i * 255 / j rounded to nearest, ties to even, low 8 bits.
constexpr TByteTable BuildDivTable() {
  TByteTable t{};
  for (uint32_t j = 1; j < 256; ++j)
    for (uint32_t i = 0; i < 256; ++i) {
      const uint32_t n = i * 255, q = n / j, r2 = 2 * (n % j);
      const uint32_t v = r2 > j ? q + 1 : r2 == j ? q + (q & 1) : q;
      t[j][i] = uint8_t(v);
    }
  return t;
}

}  // namespace

constinit const TByteTable MulTable = BuildMulTable();
constinit const TByteTable DivTable = BuildDivTable();

// ---- Plain implementations -------------------------------------------------

namespace {

// All four channels: (X_c * W + Y_c * (256 - W) + 128) >> 8, W 0-255. Two
// channels per 32-bit word; every field stays <= 65408, so none carries over.
inline TColor32 Lerp(TColor32 X, TColor32 Y, uint32_t W) {
  const uint32_t iw = 256 - W;
  const uint32_t rb =
      (((X & 0x00FF00FFu) * W + (Y & 0x00FF00FFu) * iw + 0x00800080u) >> 8) & 0x00FF00FFu;
  const uint32_t ag =
      (((X >> 8) & 0x00FF00FFu) * W + ((Y >> 8) & 0x00FF00FFu) * iw + 0x00800080u) & 0xFF00FF00u;
  return rb | ag;
}

template <class Op>
inline TColor32 PerChannel(TColor32 A, TColor32 B, Op op) {
  TColor32 result = 0;
  for (unsigned shift = 0; shift < 32; shift += 8)
    result |= (uint32_t(op(int32_t((A >> shift) & 0xFF), int32_t((B >> shift) & 0xFF))) & 0xFF)
              << shift;
  return result;
}

void FinishBlending_Plain() {}

TColor32 BlendPixel_Plain(TColor32 F, TColor32 B) { return Lerp(F, B, F >> 24); }

void BlendPixelInPlace_Plain(TColor32 F, TColor32& B) {
  const uint32_t fa = F >> 24;
  if (fa == 0) return;
  B = fa == 255 ? F : Lerp(F, B, fa);
}

void BlendColorRun_Plain(TColor32 F, TColor32* Dst, int Count) {
  const uint32_t fa = F >> 24;
  if (Count <= 0 || fa == 0) return;
  if (fa == 255) {
    for (int i = 0; i < Count; ++i) Dst[i] = F;
    return;
  }
  for (int i = 0; i < Count; ++i) Dst[i] = Lerp(F, Dst[i], fa);
}

// Colour: ((F_c * Fa + 128) >> 8) + B_c - ((B_c * Fa + 128) >> 8);
// alpha: Fa + Ba - ((Ba * Fa + 128) >> 8); each clamped to 255.
inline TColor32 BlendRowPixel(TColor32 F, TColor32 B) {
  const uint32_t fa = F >> 24;
  TColor32 result = 0;
  for (unsigned shift = 0; shift < 24; shift += 8) {
    const uint32_t f = (F >> shift) & 0xFF, b = (B >> shift) & 0xFF;
    const uint32_t v = ((f * fa + 128) >> 8) + b - ((b * fa + 128) >> 8);
    result |= std::min(v, 255u) << shift;
  }
  const uint32_t ba = B >> 24;
  const uint32_t a = fa + ba - ((ba * fa + 128) >> 8);
  return result | (std::min(a, 255u) << 24);
}

void BlendRow_Plain(const TColor32* Src, TColor32* Dst, int Count) {
  for (int i = 0; i < Count; ++i) Dst[i] = BlendRowPixel(Src[i], Dst[i]);
}

// Master weight w = ((M + 1) * Fa) >> 8; w = 0 leaves B as the blend would.
inline uint32_t MasterWeight(TColor32 F, uint32_t M) { return ((M + 1) * (F >> 24)) >> 8; }

TColor32 BlendPixelMaster_Plain(TColor32 F, TColor32 B, uint32_t M) {
  const uint32_t w = MasterWeight(F, ClampWeight(M));
  return w == 0 ? B : Lerp(F, B, w);
}

void BlendPixelMasterInPlace_Plain(TColor32 F, TColor32& B, uint32_t M) {
  B = BlendPixelMaster_Plain(F, B, M);
}

void BlendRowMaster_Plain(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  M = ClampWeight(M);
  for (int i = 0; i < Count; ++i) {
    const uint32_t w = MasterWeight(Src[i], M);
    if (w != 0) Dst[i] = Lerp(Src[i], Dst[i], w);
  }
}

TColor32 CombinePixel_Plain(TColor32 X, TColor32 Y, uint32_t W) {
  return Lerp(X, Y, ClampWeight(W));
}

void CombinePixelInPlace_Plain(TColor32 X, TColor32& Y, uint32_t W) {
  W = ClampWeight(W);
  if (W == 0) return;
  Y = W == 255 ? X : Lerp(X, Y, W);
}

void CombineRow_Plain(const TColor32* Src, TColor32* Dst, int Count, uint32_t W) {
  W = ClampWeight(W);
  if (Count <= 0 || W == 0) return;
  if (W == 255) {
    std::memmove(Dst, Src, size_t(Count) * sizeof(TColor32));
    return;
  }
  for (int i = 0; i < Count; ++i) Dst[i] = Lerp(Src[i], Dst[i], W);
}

TColor32 MergePixel_Plain(TColor32 F, TColor32 B) {
  const uint32_t fa = F >> 24, ba = B >> 24;
  if (fa == 0) return B;
  if (ba == 255) return Lerp(F, B, fa) | 0xFF000000u;
  if (fa == 255 || ba == 0) return F;
  const uint32_t ra = fa + ba - MulTable[ba][fa];
  const auto& mulF = MulTable[fa];
  const auto& mulB = MulTable[ba];
  const auto& div = DivTable[ra];
  TColor32 result = ra << 24;
  for (unsigned shift = 0; shift < 24; shift += 8) {
    const uint32_t f = (F >> shift) & 0xFF;
    const uint32_t b = mulB[(B >> shift) & 0xFF];  // background premultiplied
    const uint32_t v = f >= b ? b + mulF[f - b] : b - mulF[b - f];
    result |= uint32_t(div[v]) << shift;
  }
  return result;
}

void MergePixelInPlace_Plain(TColor32 F, TColor32& B) { B = MergePixel_Plain(F, B); }

void MergeRow_Plain(const TColor32* Src, TColor32* Dst, int Count) {
  for (int i = 0; i < Count; ++i) Dst[i] = MergePixel_Plain(Src[i], Dst[i]);
}

inline TColor32 WithMasterAlpha(TColor32 F, uint32_t M) {
  return (F & 0x00FFFFFFu) | (uint32_t(MulTable[M][F >> 24]) << 24);
}

TColor32 MergePixelMaster_Plain(TColor32 F, TColor32 B, uint32_t M) {
  return MergePixel_Plain(WithMasterAlpha(F, ClampWeight(M)), B);
}

void MergePixelMasterInPlace_Plain(TColor32 F, TColor32& B, uint32_t M) {
  B = MergePixelMaster_Plain(F, B, M);
}

void MergeRowMaster_Plain(const TColor32* Src, TColor32* Dst, int Count, uint32_t M) {
  M = ClampWeight(M);
  for (int i = 0; i < Count; ++i) Dst[i] = MergePixel_Plain(WithMasterAlpha(Src[i], M), Dst[i]);
}

TColor32 MaxChannels_Plain(TColor32 A, TColor32 B) {
  return PerChannel(A, B, [](int32_t a, int32_t b) { return std::max(a, b); });
}
TColor32 MinChannels_Plain(TColor32 A, TColor32 B) {
  return PerChannel(A, B, [](int32_t a, int32_t b) { return std::min(a, b); });
}
TColor32 AverageChannels_Plain(TColor32 A, TColor32 B) {
  return PerChannel(A, B, [](int32_t a, int32_t b) { return (a + b) >> 1; });
}
TColor32 AddChannels_Plain(TColor32 A, TColor32 B) {
  return PerChannel(A, B, [](int32_t a, int32_t b) { return std::min(a + b, 255); });
}
TColor32 SubtractChannels_Plain(TColor32 A, TColor32 B) {
  return PerChannel(A, B, [](int32_t a, int32_t b) { return std::max(a - b, 0); });
}
TColor32 DivideChannels_Plain(TColor32 A, TColor32 B) {
  return PerChannel(A, B, [](int32_t a, int32_t b) { return a == 0 ? 255 : std::min(b * 256 / a, 255); });
}
TColor32 ModulateChannels_Plain(TColor32 A, TColor32 B) {
  return PerChannel(A, B, [](int32_t a, int32_t b) { return (a * b) >> 8; });
}
TColor32 DifferenceChannels_Plain(TColor32 A, TColor32 B) {
  return PerChannel(A, B, [](int32_t a, int32_t b) { return a > b ? a - b : b - a; });
}
TColor32 ExclusionChannels_Plain(TColor32 A, TColor32 B) {
  return PerChannel(A, B, [](int32_t a, int32_t b) { return a + b - ((a * b) >> 7); });
}

TColor32 ScaleChannels_Plain(TColor32 C, uint32_t W) {
  const int32_t w = int32_t(ClampWeight(W));
  return PerChannel(C, 0, [w](int32_t c, int32_t) { return (c * w) >> 8; });
}

TColor32 LightenChannels_Plain(TColor32 C, int Amount) {
  const int32_t amount = std::clamp(Amount, -255, 255);
  const TColor32 rgb =
      PerChannel(C & 0x00FFFFFFu, 0, [amount](int32_t c, int32_t) { return std::clamp(c + amount, 0, 255); });
  return (C & 0xFF000000u) | (rgb & 0x00FFFFFFu);
}

TColor32 BlendPerChannel_Plain(TColor32 F, TColor32 B, uint32_t W) {
  TColor32 result = 0;
  for (unsigned shift = 0; shift < 32; shift += 8) {
    const uint32_t w = (W >> shift) & 0xFF;
    const uint32_t f = (F >> shift) & 0xFF, b = (B >> shift) & 0xFF;
    result |= ((f * w + b * (256 - w) + 128) >> 8) << shift;
  }
  return result;
}

void BlendPerChannelInPlace_Plain(TColor32 F, TColor32& B, uint32_t W) {
  B = BlendPerChannel_Plain(F, B, W);
}

void FillLongword_Plain(void* Dst, int Count, uint32_t Value) {
  auto* p = static_cast<unsigned char*>(Dst);
  for (int i = 0; i < Count; ++i) std::memcpy(p + size_t(i) * 4, &Value, 4);
}

}  // namespace

// ---- Bound pointers (constant-initialised to the plain code) ---------------

constinit TFinishBlendingFunc FinishBlending = FinishBlending_Plain;
constinit TBlendPixelFunc MergePixel = MergePixel_Plain;
constinit TBlendPixelInPlaceFunc MergePixelInPlace = MergePixelInPlace_Plain;
constinit TBlendRowFunc MergeRow = MergeRow_Plain;
constinit TBlendPixelWeightFunc MergePixelMaster = MergePixelMaster_Plain;
constinit TBlendPixelWeightInPlaceFunc MergePixelMasterInPlace = MergePixelMasterInPlace_Plain;
constinit TBlendRowWeightFunc MergeRowMaster = MergeRowMaster_Plain;
constinit TBlendPixelWeightFunc CombinePixel = CombinePixel_Plain;
constinit TBlendPixelWeightInPlaceFunc CombinePixelInPlace = CombinePixelInPlace_Plain;
constinit TBlendRowWeightFunc CombineRow = CombineRow_Plain;
constinit TBlendPixelFunc BlendPixel = BlendPixel_Plain;
constinit TBlendPixelInPlaceFunc BlendPixelInPlace = BlendPixelInPlace_Plain;
constinit TBlendColorRunFunc BlendColorRun = BlendColorRun_Plain;
constinit TBlendRowFunc BlendRow = BlendRow_Plain;
constinit TBlendPixelWeightFunc BlendPixelMaster = BlendPixelMaster_Plain;
constinit TBlendPixelWeightInPlaceFunc BlendPixelMasterInPlace = BlendPixelMasterInPlace_Plain;
constinit TBlendRowWeightFunc BlendRowMaster = BlendRowMaster_Plain;
constinit TBlendPixelFunc MaxChannels = MaxChannels_Plain;
constinit TBlendPixelFunc MinChannels = MinChannels_Plain;
constinit TBlendPixelFunc AverageChannels = AverageChannels_Plain;
constinit TBlendPixelFunc AddChannels = AddChannels_Plain;
constinit TBlendPixelFunc SubtractChannels = SubtractChannels_Plain;
constinit TBlendPixelFunc DivideChannels = DivideChannels_Plain;
constinit TBlendPixelFunc ModulateChannels = ModulateChannels_Plain;
constinit TBlendPixelFunc DifferenceChannels = DifferenceChannels_Plain;
constinit TBlendPixelFunc ExclusionChannels = ExclusionChannels_Plain;
constinit TScaleChannelsFunc ScaleChannels = ScaleChannels_Plain;
constinit TLightenChannelsFunc LightenChannels = LightenChannels_Plain;
constinit TBlendPixelWeightFunc BlendPerChannel = BlendPerChannel_Plain;
constinit TBlendPixelWeightInPlaceFunc BlendPerChannelInPlace = BlendPerChannelInPlace_Plain;
constinit TFillLongwordFunc FillLongword = FillLongword_Plain;

// ---- Registration ----------------------------------------------------------

void RegisterBlendPlain(TFunctionRegistry& Blend, TFunctionRegistry& LowLevel) {
  Blend.Add(FID_FINISHBLENDING, FinishBlending_Plain);
  Blend.Add(FID_MERGEPIXEL, MergePixel_Plain);
  Blend.Add(FID_MERGEPIXELINPLACE, MergePixelInPlace_Plain);
  Blend.Add(FID_MERGEROW, MergeRow_Plain);
  Blend.Add(FID_MERGEPIXELMASTER, MergePixelMaster_Plain);
  Blend.Add(FID_MERGEPIXELMASTERINPLACE, MergePixelMasterInPlace_Plain);
  Blend.Add(FID_MERGEROWMASTER, MergeRowMaster_Plain);
  Blend.Add(FID_COMBINEPIXEL, CombinePixel_Plain);
  Blend.Add(FID_COMBINEPIXELINPLACE, CombinePixelInPlace_Plain);
  Blend.Add(FID_COMBINEROW, CombineRow_Plain);
  Blend.Add(FID_BLENDPIXEL, BlendPixel_Plain);
  Blend.Add(FID_BLENDPIXELINPLACE, BlendPixelInPlace_Plain);
  Blend.Add(FID_BLENDCOLORRUN, BlendColorRun_Plain);
  Blend.Add(FID_BLENDROW, BlendRow_Plain);
  Blend.Add(FID_BLENDPIXELMASTER, BlendPixelMaster_Plain);
  Blend.Add(FID_BLENDPIXELMASTERINPLACE, BlendPixelMasterInPlace_Plain);
  Blend.Add(FID_BLENDROWMASTER, BlendRowMaster_Plain);
  Blend.Add(FID_MAXCHANNELS, MaxChannels_Plain);
  Blend.Add(FID_MINCHANNELS, MinChannels_Plain);
  Blend.Add(FID_AVERAGECHANNELS, AverageChannels_Plain);
  Blend.Add(FID_ADDCHANNELS, AddChannels_Plain);
  Blend.Add(FID_SUBTRACTCHANNELS, SubtractChannels_Plain);
  Blend.Add(FID_DIVIDECHANNELS, DivideChannels_Plain);
  Blend.Add(FID_MODULATECHANNELS, ModulateChannels_Plain);
  Blend.Add(FID_DIFFERENCECHANNELS, DifferenceChannels_Plain);
  Blend.Add(FID_EXCLUSIONCHANNELS, ExclusionChannels_Plain);
  Blend.Add(FID_SCALECHANNELS, ScaleChannels_Plain);
  Blend.Add(FID_LIGHTENCHANNELS, LightenChannels_Plain);
  Blend.Add(FID_BLENDPERCHANNEL, BlendPerChannel_Plain);
  Blend.Add(FID_BLENDPERCHANNELINPLACE, BlendPerChannelInPlace_Plain);
  LowLevel.Add(FID_FILLLONGWORD, FillLongword_Plain);
}

void RegisterBlendAVX2(TFunctionRegistry& Blend, TFunctionRegistry& LowLevel) {
  const TCPUFeatures avx2{ciAVX2};
  const TBlendAVX2Functions f = BlendAVX2Functions();
  Blend.Add(FID_MERGEROW, f.MergeRow, avx2);
  Blend.Add(FID_MERGEROWMASTER, f.MergeRowMaster, avx2);
  Blend.Add(FID_COMBINEROW, f.CombineRow, avx2);
  Blend.Add(FID_BLENDCOLORRUN, f.BlendColorRun, avx2);
  Blend.Add(FID_BLENDROW, f.BlendRow, avx2);
  Blend.Add(FID_BLENDROWMASTER, f.BlendRowMaster, avx2);
  LowLevel.Add(FID_FILLLONGWORD, f.FillLongword, avx2);
}

namespace {

void RegisterBindings(TFunctionRegistry& Blend, TFunctionRegistry& LowLevel) {
  Blend.RegisterBinding(FID_FINISHBLENDING, &FinishBlending);
  Blend.RegisterBinding(FID_MERGEPIXEL, &MergePixel);
  Blend.RegisterBinding(FID_MERGEPIXELINPLACE, &MergePixelInPlace);
  Blend.RegisterBinding(FID_MERGEROW, &MergeRow);
  Blend.RegisterBinding(FID_MERGEPIXELMASTER, &MergePixelMaster);
  Blend.RegisterBinding(FID_MERGEPIXELMASTERINPLACE, &MergePixelMasterInPlace);
  Blend.RegisterBinding(FID_MERGEROWMASTER, &MergeRowMaster);
  Blend.RegisterBinding(FID_COMBINEPIXEL, &CombinePixel);
  Blend.RegisterBinding(FID_COMBINEPIXELINPLACE, &CombinePixelInPlace);
  Blend.RegisterBinding(FID_COMBINEROW, &CombineRow);
  Blend.RegisterBinding(FID_BLENDPIXEL, &BlendPixel);
  Blend.RegisterBinding(FID_BLENDPIXELINPLACE, &BlendPixelInPlace);
  Blend.RegisterBinding(FID_BLENDCOLORRUN, &BlendColorRun);
  Blend.RegisterBinding(FID_BLENDROW, &BlendRow);
  Blend.RegisterBinding(FID_BLENDPIXELMASTER, &BlendPixelMaster);
  Blend.RegisterBinding(FID_BLENDPIXELMASTERINPLACE, &BlendPixelMasterInPlace);
  Blend.RegisterBinding(FID_BLENDROWMASTER, &BlendRowMaster);
  Blend.RegisterBinding(FID_MAXCHANNELS, &MaxChannels);
  Blend.RegisterBinding(FID_MINCHANNELS, &MinChannels);
  Blend.RegisterBinding(FID_AVERAGECHANNELS, &AverageChannels);
  Blend.RegisterBinding(FID_ADDCHANNELS, &AddChannels);
  Blend.RegisterBinding(FID_SUBTRACTCHANNELS, &SubtractChannels);
  Blend.RegisterBinding(FID_DIVIDECHANNELS, &DivideChannels);
  Blend.RegisterBinding(FID_MODULATECHANNELS, &ModulateChannels);
  Blend.RegisterBinding(FID_DIFFERENCECHANNELS, &DifferenceChannels);
  Blend.RegisterBinding(FID_EXCLUSIONCHANNELS, &ExclusionChannels);
  Blend.RegisterBinding(FID_SCALECHANNELS, &ScaleChannels);
  Blend.RegisterBinding(FID_LIGHTENCHANNELS, &LightenChannels);
  Blend.RegisterBinding(FID_BLENDPERCHANNEL, &BlendPerChannel);
  Blend.RegisterBinding(FID_BLENDPERCHANNELINPLACE, &BlendPerChannelInPlace);
  LowLevel.RegisterBinding(FID_FILLLONGWORD, &FillLongword);
}

struct TBlendSetup {
  TFunctionRegistry* Blend;
  TFunctionRegistry* LowLevel;
};

TBlendSetup& Setup() {
  static TBlendSetup setup = [] {
    TFunctionRegistry& lowLevel = NewRegistry("LowLevel Registry");
    TFunctionRegistry& blend = NewRegistry("GR32 Blend Registry");
    RegisterBindings(blend, lowLevel);
    RegisterBlendPlain(blend, lowLevel);
    RegisterBlendSSE2(blend, lowLevel);
    RegisterBlendAVX2(blend, lowLevel);
    // The table-exact plain merge is added last, so it is the single-pixel
    // merge on every processor (the SIMD forms only pay off on rows).
    blend.Add(FID_MERGEPIXEL, MergePixel_Plain);
    lowLevel.RebindAll();
    blend.RebindAll();
    return TBlendSetup{&blend, &lowLevel};
  }();
  return setup;
}

// Binds the best implementations while the program starts, before main.
[[maybe_unused]] const bool StaticInitialization = (GR32Initialize(), true);

}  // namespace

void GR32Initialize() { (void)Setup(); }

TFunctionRegistry& BlendRegistry() { return *Setup().Blend; }
TFunctionRegistry& LowLevelRegistry() { return *Setup().LowLevel; }

bool BlendBindingAvailable(TBlendBinding Binding) {
  switch (Binding) {
    case TBlendBinding::SSE2: return HasInstructionSet(ciSSE2);
    case TBlendBinding::AVX2: return HasInstructionSet(ciAVX2);
    default: return true;
  }
}

TFunctionPriority BlendBindingPriority(TBlendBinding Binding) {
  if (Binding == TBlendBinding::Default) return DefaultPriority;
  // Rank: 0 for the preferred instruction set, then narrower ones, plain last.
  return [Binding](const TFunctionInfo& Info) -> int32_t {
    if (!CPUFeatures().ContainsAll(Info.CPUFeatures)) return InvalidPriority;
    if (Info.CPUFeatures.Empty()) return 10;
    if (Info.CPUFeatures == TCPUFeatures{ciAVX2})
      return Binding == TBlendBinding::AVX2 ? 0 : InvalidPriority;
    if (Info.CPUFeatures == TCPUFeatures{ciSSE2})
      return Binding == TBlendBinding::AVX2 ? 1 : Binding == TBlendBinding::SSE2 ? 0 : InvalidPriority;
    return InvalidPriority;
  };
}

void BindBlendFunctions(TBlendBinding Binding) {
  const TFunctionPriority priority = BlendBindingPriority(Binding);
  BlendRegistry().RebindAll(priority);
  LowLevelRegistry().RebindAll(priority);
}
