// Drawing a bitmap through a geometric transformation: the affine
// transformation, the transformer sampler that reverse-maps destination pixels
// into the source's resampler, and the regular rasterizer that visits every
// destination pixel.
#pragma once

#include <memory>

#include "gfx/bitmap32.h"
#include "gfx/resamplers.h"

class TTransformation : public TNotifiablePersistent {
public:
  // The source area the transformation applies to.
  const TFloatRect& SrcRect() const { return FSrcRect; }
  void SetSrcRect(const TFloatRect& Value);
  // Bounding box of the transformed corners of SrcRect.
  virtual TFloatRect GetTransformedBounds() const;
  TFloatRect GetTransformedBounds(const TFloatRect& ASrcRect) const;

  virtual TFloatPoint Transform(const TFloatPoint& P) const = 0;
  virtual TFixedPoint Transform(const TFixedPoint& P) const = 0;
  virtual TPoint ReverseTransform(const TPoint& P) const = 0;
  virtual TFixedPoint ReverseTransform(const TFixedPoint& P) const = 0;
  virtual TFloatPoint ReverseTransform(const TFloatPoint& P) const = 0;

  std::string ClassName() const override { return "TTransformation"; }

protected:
  TFloatRect FSrcRect;
};

// 3 x 3 matrix of singles stored column by column: x' = M[0][0] x + M[1][0] y + M[2][0],
// y' = M[0][1] x + M[1][1] y + M[2][1]. Operations apply after the current ones.
using TFloatMatrix = float[3][3];

class TAffineTransformation : public TTransformation {
public:
  TAffineTransformation();

  void Clear();
  void Rotate(TFloat Alpha);
  void Rotate(TFloat Cx, TFloat Cy, TFloat Alpha);
  void Scale(TFloat Sx, TFloat Sy);
  void Scale(TFloat Value);
  void Skew(TFloat Fx, TFloat Fy);
  void Translate(TFloat Dx, TFloat Dy);

  TFloatPoint Transform(const TFloatPoint& P) const override;
  TFixedPoint Transform(const TFixedPoint& P) const override;
  TPoint ReverseTransform(const TPoint& P) const override;
  TFixedPoint ReverseTransform(const TFixedPoint& P) const override;
  TFloatPoint ReverseTransform(const TFloatPoint& P) const override;

  const TFloatMatrix& Matrix() const { return FMatrix; }
  std::string ClassName() const override { return "TAffineTransformation"; }

private:
  void Apply(const TFloatMatrix& M);
  void Prepare() const;

  TFloatMatrix FMatrix;
  // Derived on demand: the inverse and 16.16 copies of both.
  mutable bool FValid = false;
  mutable float FInverse[3][3];
  mutable TFixed FFixedMatrix[3][3];
  mutable TFixed FFixedInverse[3][3];
};

class TNestedSampler : public TCustomSampler {
public:
  explicit TNestedSampler(TCustomSampler* ASampler = nullptr) : FSampler(ASampler) {}
  TCustomSampler* Sampler() const { return FSampler; }
  void SetSampler(TCustomSampler* Value) { FSampler = Value; }
  void PrepareSampling() override;
  void FinalizeSampling() override;
  bool HasBounds() const override;
  TFloatRect GetSampleBounds() const override;
  std::string ClassName() const override { return "TNestedSampler"; }

protected:
  TCustomSampler* FSampler;
};

// Samples the nested sampler at the reverse-transformed position.
class TTransformer : public TNestedSampler {
public:
  TTransformer(TCustomSampler* ASampler, TTransformation* ATransformation)
      : TNestedSampler(ASampler), FTransformation(ATransformation) {}
  TColor32 GetSampleInt(int32_t X, int32_t Y) override;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override;
  TColor32 GetSampleFloat(TFloat X, TFloat Y) override;
  TFloatRect GetSampleBounds() const override;
  TTransformation* Transformation() const { return FTransformation; }
  std::string ClassName() const override { return "TTransformer"; }

protected:
  TTransformation* FTransformation;
};

// Writes samples into a destination by the source's assignment rule.
class TRasterizer : public TPersistent {
public:
  virtual ~TRasterizer() = default;
  TCustomSampler* Sampler() const { return FSampler; }
  void SetSampler(TCustomSampler* Value) { FSampler = Value; }
  // Takes the assignment rule (draw mode, combine mode, master alpha, outer
  // colour, combine event) from Src.
  void Rasterize(TCustomBitmap32* Dst, const TRect& DstRect, const TCustomBitmap32* Src);

protected:
  virtual void DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) = 0;
  // Lays one sampled colour onto a destination pixel by the source's rule.
  void AssignPixel(TColor32 C, TColor32& D) const;

  TCustomSampler* FSampler = nullptr;
  const TCustomBitmap32* FSrc = nullptr;
};

// Every pixel of the area, row by row.
class TRegularRasterizer : public TRasterizer {
protected:
  void DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) override;
};

// Draws Src into Dst through Transformation (inside Dst's clip rectangle).
void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation);
