// Samplers and resamplers of TCustomBitmap32: point sampling by access mode,
// the nearest, linear, draft and kernel resamplers with their kernels, the
// class registries behind ResamplerClassName / KernelClassName, and the
// stretched transfer between bitmaps.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gfx/bitmap32.h"

enum TPixelAccessMode { pamUnsafe, pamSafe, pamWrap, pamTransparentEdge };
enum TKernelMode { kmDynamic, kmTableNearest, kmTableLinear };

// ---- Samplers --------------------------------------------------------------

// A source of colour samples at integer, 16.16 fixed or float positions. Each
// default form forwards to another, so a subclass overrides at least one of
// GetSampleFixed and GetSampleFloat.
class TCustomSampler : public TNotifiablePersistent {
public:
  virtual TColor32 GetSampleInt(int32_t X, int32_t Y);
  virtual TColor32 GetSampleFixed(TFixed X, TFixed Y);
  virtual TColor32 GetSampleFloat(TFloat X, TFloat Y);
  virtual void PrepareSampling() {}
  virtual void FinalizeSampling() {}
  virtual bool HasBounds() const { return false; }
  virtual TFloatRect GetSampleBounds() const;
  std::string ClassName() const override { return "TCustomSampler"; }
};

class TCustomResampler : public TCustomSampler {
public:
  explicit TCustomResampler(TCustomBitmap32* ABitmap = nullptr) : FBitmap(ABitmap) {}

  // Stretches SrcRect of Src onto DstRect of Dst, limited to DstClip.
  virtual void Resample(TCustomBitmap32* Dst, const TRect& DstRect, TRect DstClip,
                        const TCustomBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                        const TPixelCombineEvent& CombineCallBack) = 0;
  virtual TFloat GetWidth() const { return 0; }

  void PrepareSampling() override;
  bool HasBounds() const override { return FPixelAccessMode != pamWrap; }
  TFloatRect GetSampleBounds() const override;
  // Forwards to the owning bitmap.
  void Changed() override;
  // Copies the published properties of another resampler.
  void Assign(TPersistent* Source) override;

  TCustomBitmap32* Bitmap() const { return FBitmap; }
  void SetBitmap(TCustomBitmap32* Value) { FBitmap = Value; }
  TPixelAccessMode PixelAccessMode() const { return FPixelAccessMode; }
  void SetPixelAccessMode(TPixelAccessMode Value);

  std::string ClassName() const override { return "TCustomResampler"; }

protected:
  TCustomBitmap32* FBitmap = nullptr;
  TRect FClipRect;
  TPixelAccessMode FPixelAccessMode = pamSafe;
};

// Creates a resampler of one class for a bitmap.
using TCustomResamplerClass = std::unique_ptr<TCustomResampler> (*)(TCustomBitmap32* ABitmap);
struct TResamplerClassEntry {
  std::string Name;
  TCustomResamplerClass Create;
};
// In registration order: TNearestResampler, TLinearResampler, TDraftResampler, TKernelResampler.
const std::vector<TResamplerClassEntry>& ResamplerList();
// Exact, case-sensitive lookup; nullptr when unknown.
TCustomResamplerClass FindResamplerClass(const std::string& Name);

// Makes a resampler of class R the bitmap's resampler (freeing the previous
// one) and returns it; the bitmap owns it.
template <class R> R& CreateResampler(TCustomBitmap32& Bitmap) {
  auto owned = std::make_unique<R>(&Bitmap);
  R& r = *owned;
  Bitmap.SetResampler(std::move(owned));
  return r;
}

class TNearestResampler : public TCustomResampler {
public:
  using TCustomResampler::TCustomResampler;
  TColor32 GetSampleInt(int32_t X, int32_t Y) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;
  TColor32 GetSampleFloat(TFloat X, TFloat Y) override;
  void Resample(TCustomBitmap32* Dst, const TRect& DstRect, TRect DstClip, const TCustomBitmap32* Src,
                const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) override;
  TFloat GetWidth() const override { return 1; }
  std::string ClassName() const override { return "TNearestResampler"; }
};

// ---- Kernels ---------------------------------------------------------------

class TCustomKernel : public TPersistent {
public:
  virtual TFloat Filter(TFloat Value) const = 0;
  virtual TFloat GetWidth() const = 0;
  // Whether resampled sums must be clamped (kernels with negative lobes).
  virtual bool NeedsClamp() const { return false; }
  virtual std::string ClassName() const override = 0;
  // Copies the parameters of a kernel of the same class.
  void Assign(TPersistent* Source) override;

  TNotifiablePersistent* Observer() const { return FObserver; }
  void SetObserver(TNotifiablePersistent* Value) { FObserver = Value; }

protected:
  virtual void AssignParams(const TCustomKernel&) {}
  void Changed() {
    if (FObserver) FObserver->Changed();
  }
  TNotifiablePersistent* FObserver = nullptr;
};

using TCustomKernelClass = std::unique_ptr<TCustomKernel> (*)();
struct TKernelClassEntry {
  std::string Name;
  TCustomKernelClass Create;
};
const std::vector<TKernelClassEntry>& KernelList();
TCustomKernelClass FindKernelClass(const std::string& Name);

class TBoxKernel : public TCustomKernel {
public:
  TFloat Filter(TFloat Value) const override;
  TFloat GetWidth() const override { return 1; }
  std::string ClassName() const override { return "TBoxKernel"; }
};

class TLinearKernel : public TCustomKernel {
public:
  TFloat Filter(TFloat Value) const override;
  TFloat GetWidth() const override { return 1; }
  std::string ClassName() const override { return "TLinearKernel"; }
};

class TCosineKernel : public TCustomKernel {
public:
  TFloat Filter(TFloat Value) const override;
  TFloat GetWidth() const override { return 1; }
  std::string ClassName() const override { return "TCosineKernel"; }
};

class TSplineKernel : public TCustomKernel {
public:
  TFloat Filter(TFloat Value) const override;
  TFloat GetWidth() const override { return 2; }
  bool NeedsClamp() const override { return true; }
  std::string ClassName() const override { return "TSplineKernel"; }
};

class TMitchellKernel : public TCustomKernel {
public:
  TFloat Filter(TFloat Value) const override;
  TFloat GetWidth() const override { return 2; }
  bool NeedsClamp() const override { return true; }
  std::string ClassName() const override { return "TMitchellKernel"; }
};

class TCubicKernel : public TCustomKernel {
public:
  TFloat Filter(TFloat Value) const override;
  TFloat GetWidth() const override { return 2; }
  bool NeedsClamp() const override { return true; }
  std::string ClassName() const override { return "TCubicKernel"; }
  TFloat Coeff() const { return FCoeff; }
  void SetCoeff(TFloat Value);

protected:
  void AssignParams(const TCustomKernel& Source) override;
  TFloat FCoeff = -0.5f;
};

class THermiteKernel : public TCustomKernel {
public:
  TFloat Filter(TFloat Value) const override;
  TFloat GetWidth() const override { return 2; }
  bool NeedsClamp() const override { return true; }
  std::string ClassName() const override { return "THermiteKernel"; }
  TFloat Bias() const { return FBias; }
  void SetBias(TFloat Value);
  TFloat Tension() const { return FTension; }
  void SetTension(TFloat Value);

protected:
  void AssignParams(const TCustomKernel& Source) override;
  TFloat FBias = 0;
  TFloat FTension = 0;
};

// sinc(x) * Window(x) inside |x| < Width.
class TWindowedSincKernel : public TCustomKernel {
public:
  TFloat Filter(TFloat Value) const override;
  TFloat GetWidth() const override { return FWidth; }
  bool NeedsClamp() const override { return true; }
  // Values above 16 are capped at 16.
  void SetWidth(TFloat Value);

protected:
  virtual TFloat Window(TFloat Value) const = 0;
  void AssignParams(const TCustomKernel& Source) override;
  TFloat FWidth = 3;
};

class TLanczosKernel : public TWindowedSincKernel {
public:
  std::string ClassName() const override { return "TLanczosKernel"; }

protected:
  TFloat Window(TFloat Value) const override;
};

class TBlackmanKernel : public TWindowedSincKernel {
public:
  std::string ClassName() const override { return "TBlackmanKernel"; }

protected:
  TFloat Window(TFloat Value) const override;
};

class THannKernel : public TWindowedSincKernel {
public:
  std::string ClassName() const override { return "THannKernel"; }

protected:
  TFloat Window(TFloat Value) const override;
};

class THammingKernel : public TWindowedSincKernel {
public:
  std::string ClassName() const override { return "THammingKernel"; }

protected:
  TFloat Window(TFloat Value) const override;
};

class TGaussianKernel : public TWindowedSincKernel {
public:
  std::string ClassName() const override { return "TGaussianKernel"; }
  TFloat Sigma() const { return FSigma; }
  void SetSigma(TFloat Value);

protected:
  TFloat Window(TFloat Value) const override;
  void AssignParams(const TCustomKernel& Source) override;
  TFloat FSigma = 1.33f;
};

class TAlbrechtKernel : public TWindowedSincKernel {
public:
  std::string ClassName() const override { return "TAlbrechtKernel"; }
  int32_t Terms() const { return FTerms; }
  // Clamped to 2-11.
  void SetTerms(int32_t Value);

protected:
  TFloat Window(TFloat Value) const override;
  void AssignParams(const TCustomKernel& Source) override;
  int32_t FTerms = 7;
};

class TSinshKernel : public TCustomKernel {
public:
  TFloat Filter(TFloat Value) const override;
  TFloat GetWidth() const override { return FWidth; }
  bool NeedsClamp() const override { return true; }
  std::string ClassName() const override { return "TSinshKernel"; }
  void SetWidth(TFloat Value);
  TFloat Coeff() const { return FCoeff; }
  void SetCoeff(TFloat Value);

protected:
  void AssignParams(const TCustomKernel& Source) override;
  TFloat FWidth = 3;
  TFloat FCoeff = 0.5f;
};

// ---- Kernel-based resamplers -----------------------------------------------

// Source index and weight (256 = 1.0) of one tap.
struct TPointRec {
  int32_t Pos = 0;
  int32_t Weight = 0;
};
using TCluster = std::vector<TPointRec>;
using TMappingTable = std::vector<TCluster>;

// One cluster per destination index of [ClipLo, ClipHi) for a destination span
// [DstLo, DstHi) mapped from the source span [SrcLo, SrcHi). Every non-empty
// cluster's weights sum to 256.
TMappingTable BuildMappingTable(int32_t DstLo, int32_t DstHi, int32_t ClipLo, int32_t ClipHi,
                                int32_t SrcLo, int32_t SrcHi, const TCustomKernel& Kernel);

// Separable kernel resampling of SrcRect onto DstRect inside DstClip.
void KernelResample(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& DstClip,
                    const TCustomBitmap32* Src, const TRect& SrcRect, const TCustomKernel& Kernel,
                    TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack);

class TLinearResampler : public TCustomResampler {
public:
  explicit TLinearResampler(TCustomBitmap32* ABitmap = nullptr);
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;
  TColor32 GetSampleFloat(TFloat X, TFloat Y) override;
  void Resample(TCustomBitmap32* Dst, const TRect& DstRect, TRect DstClip, const TCustomBitmap32* Src,
                const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) override;
  TFloat GetWidth() const override { return 1; }
  std::string ClassName() const override { return "TLinearResampler"; }

protected:
  TColor32 TransparentEdgeSample(TFixed X, TFixed Y) const;
  std::unique_ptr<TLinearKernel> FLinearKernel;
};

class TDraftResampler : public TLinearResampler {
public:
  using TLinearResampler::TLinearResampler;
  void Resample(TCustomBitmap32* Dst, const TRect& DstRect, TRect DstClip, const TCustomBitmap32* Src,
                const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) override;
  std::string ClassName() const override { return "TDraftResampler"; }
};

class TKernelResampler : public TCustomResampler {
public:
  explicit TKernelResampler(TCustomBitmap32* ABitmap = nullptr);
  ~TKernelResampler() override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;
  TColor32 GetSampleFloat(TFloat X, TFloat Y) override;
  void PrepareSampling() override;
  void FinalizeSampling() override;
  void Resample(TCustomBitmap32* Dst, const TRect& DstRect, TRect DstClip, const TCustomBitmap32* Src,
                const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) override;
  TFloat GetWidth() const override { return FKernel->GetWidth(); }
  void Assign(TPersistent* Source) override;
  std::string ClassName() const override { return "TKernelResampler"; }

  TCustomKernel* Kernel() const { return FKernel.get(); }
  // Takes ownership; nullptr is ignored.
  void SetKernel(std::unique_ptr<TCustomKernel> Value);
  std::string KernelClassName() const { return FKernel->ClassName(); }
  void SetKernelClassName(const std::string& Value);
  TKernelMode KernelMode() const { return FKernelMode; }
  void SetKernelMode(TKernelMode Value);
  int32_t TableSize() const { return FTableSize; }
  // Never below 2.
  void SetTableSize(int32_t Value);

protected:
  // Weights of the taps around a position with fraction Frac (0 <= Frac < 1):
  // Weights[k] belongs to the pixel floor(position) + k - Radius.
  void TapWeights(TFloat Frac, std::vector<int32_t>& Weights) const;

  std::unique_ptr<TCustomKernel> FKernel;
  TKernelMode FKernelMode = kmDynamic;
  // (2 * Radius + 1) columns by (TableSize + 1) rows, only between
  // PrepareSampling and FinalizeSampling in the table modes.
  std::vector<int32_t> FWeightTable;
  int32_t FTableSize = 32;
  TColor32 FOuterColor = 0;
};

// ---- Stretched transfer ----------------------------------------------------

// DrawTo with rectangles: clips SrcRect to the source (moving DstRect's edges
// to match), then copies or resamples into Dst within DstClip, and reports
// DstRect as changed.
void StretchTransfer(TCustomBitmap32* Dst, TRect DstRect, TRect DstClip, const TCustomBitmap32* Src,
                     TRect SrcRect, TCustomResampler* Resampler, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineCallBack);
