#include "gfx/transforms.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

TFixed FixedMul(TFixed A, TFixed B) { return TFixed((int64_t(A) * B) >> 16); }

// 16.16 sums wrap around in 32 bits, as the fixed-point arithmetic always has;
// adding through uint32_t keeps far-off positions (strong shrinking, large
// offsets) from signed overflow.
TFixed FixedAdd(TFixed A, TFixed B) { return TFixed(uint32_t(A) + uint32_t(B)); }
TFixed FixedAdd(TFixed A, TFixed B, TFixed C) { return FixedAdd(FixedAdd(A, B), C); }

// Float rectangle to integer, rounded outward and saturated to the 32-bit range.
TRect OutwardRect(const TFloatRect& R) {
  auto sat = [](double v) { return int32_t(std::clamp<double>(v, INT32_MIN, INT32_MAX)); };
  if (!(R.Left == R.Left) || !(R.Top == R.Top) || !(R.Right == R.Right) || !(R.Bottom == R.Bottom)) return {};
  return {sat(std::floor(R.Left)), sat(std::floor(R.Top)), sat(std::ceil(R.Right)), sat(std::ceil(R.Bottom))};
}

}  // namespace

// ---- TTransformation -------------------------------------------------------

void TTransformation::SetSrcRect(const TFloatRect& Value) {
  FSrcRect = Value;
  Changed();
}

TFloatRect TTransformation::GetTransformedBounds() const { return GetTransformedBounds(FSrcRect); }

TFloatRect TTransformation::GetTransformedBounds(const TFloatRect& R) const {
  const TFloatPoint p[4] = {Transform(TFloatPoint{R.Left, R.Top}), Transform(TFloatPoint{R.Right, R.Top}),
                            Transform(TFloatPoint{R.Right, R.Bottom}), Transform(TFloatPoint{R.Left, R.Bottom})};
  TFloatRect b{p[0].X, p[0].Y, p[0].X, p[0].Y};
  for (const auto& q : p) {
    b.Left = std::min(b.Left, q.X);
    b.Top = std::min(b.Top, q.Y);
    b.Right = std::max(b.Right, q.X);
    b.Bottom = std::max(b.Bottom, q.Y);
  }
  return b;
}

// ---- TAffineTransformation -------------------------------------------------

TAffineTransformation::TAffineTransformation() { Clear(); }

void TAffineTransformation::Clear() {
  std::memset(FMatrix, 0, sizeof FMatrix);
  FMatrix[0][0] = FMatrix[1][1] = FMatrix[2][2] = 1;
  FValid = false;
  Changed();
}

void TAffineTransformation::Apply(const TFloatMatrix& E) {
  // New = E after current: newM[c][r] = sum_k E[k][r] * M[c][k].
  float result[3][3];
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) {
      double s = 0;
      for (int k = 0; k < 3; ++k) s += double(E[k][r]) * FMatrix[c][k];
      result[c][r] = float(s);
    }
  std::memcpy(FMatrix, result, sizeof FMatrix);
  FValid = false;
  Changed();
}

void TAffineTransformation::Translate(TFloat Dx, TFloat Dy) {
  const TFloatMatrix e = {{1, 0, 0}, {0, 1, 0}, {Dx, Dy, 1}};
  Apply(e);
}

void TAffineTransformation::Scale(TFloat Sx, TFloat Sy) {
  const TFloatMatrix e = {{Sx, 0, 0}, {0, Sy, 0}, {0, 0, 1}};
  Apply(e);
}

void TAffineTransformation::Scale(TFloat Value) { Scale(Value, Value); }

void TAffineTransformation::Rotate(TFloat Alpha) {
  const double a = double(Alpha) * std::numbers::pi / 180.0;
  const float c = float(std::cos(a)), s = float(std::sin(a));
  const TFloatMatrix e = {{c, -s, 0}, {s, c, 0}, {0, 0, 1}};
  Apply(e);
}

void TAffineTransformation::Rotate(TFloat Cx, TFloat Cy, TFloat Alpha) {
  const bool shift = Cx != 0 || Cy != 0;
  if (shift) Translate(-Cx, -Cy);
  Rotate(Alpha);
  if (shift) Translate(Cx, Cy);
}

void TAffineTransformation::Skew(TFloat Fx, TFloat Fy) {
  const TFloatMatrix e = {{1, Fy, 0}, {Fx, 1, 0}, {0, 0, 1}};
  Apply(e);
}

void TAffineTransformation::Prepare() const {
  if (FValid) return;
  const double a = FMatrix[0][0], b = FMatrix[1][0], tx = FMatrix[2][0];
  const double c = FMatrix[0][1], d = FMatrix[1][1], ty = FMatrix[2][1];
  const double det = a * d - b * c;
  std::memset(FInverse, 0, sizeof FInverse);
  if (det != 0 && std::isfinite(det)) {
    const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    FInverse[0][0] = float(ia);
    FInverse[1][0] = float(ib);
    FInverse[2][0] = float(-(ia * tx + ib * ty));
    FInverse[0][1] = float(ic);
    FInverse[1][1] = float(id);
    FInverse[2][1] = float(-(ic * tx + id * ty));
  }
  // A singular matrix has no inverse: every reverse mapping lands on the
  // origin, which the rasterizer's bounds then reduce to (at most) one point.
  FInverse[2][2] = 1;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      FFixedMatrix[i][j] = Fixed(FMatrix[i][j]);
      FFixedInverse[i][j] = Fixed(FInverse[i][j]);
    }
  FValid = true;
}

TFloatPoint TAffineTransformation::Transform(const TFloatPoint& P) const {
  return {FMatrix[0][0] * P.X + FMatrix[1][0] * P.Y + FMatrix[2][0],
          FMatrix[0][1] * P.X + FMatrix[1][1] * P.Y + FMatrix[2][1]};
}

TFixedPoint TAffineTransformation::Transform(const TFixedPoint& P) const {
  Prepare();
  const auto& m = FFixedMatrix;
  return {FixedAdd(FixedMul(m[0][0], P.X), FixedMul(m[1][0], P.Y), m[2][0]),
          FixedAdd(FixedMul(m[0][1], P.X), FixedMul(m[1][1], P.Y), m[2][1])};
}

TPoint TAffineTransformation::ReverseTransform(const TPoint& P) const {
  const TFixedPoint r = ReverseTransform(TFixedPoint{Fixed(P.X), Fixed(P.Y)});
  return {int32_t((int64_t(r.X) + 0x7FFF) >> 16), int32_t((int64_t(r.Y) + 0x7FFF) >> 16)};
}

TFixedPoint TAffineTransformation::ReverseTransform(const TFixedPoint& P) const {
  Prepare();
  const auto& m = FFixedInverse;
  return {FixedAdd(FixedMul(m[0][0], P.X), FixedMul(m[1][0], P.Y), m[2][0]),
          FixedAdd(FixedMul(m[0][1], P.X), FixedMul(m[1][1], P.Y), m[2][1])};
}

TFloatPoint TAffineTransformation::ReverseTransform(const TFloatPoint& P) const {
  Prepare();
  const auto& m = FInverse;
  return {m[0][0] * P.X + m[1][0] * P.Y + m[2][0], m[0][1] * P.X + m[1][1] * P.Y + m[2][1]};
}

// ---- Nested samplers -------------------------------------------------------

void TNestedSampler::PrepareSampling() {
  if (FSampler) FSampler->PrepareSampling();
}

void TNestedSampler::FinalizeSampling() {
  if (FSampler) FSampler->FinalizeSampling();
}

bool TNestedSampler::HasBounds() const { return FSampler && FSampler->HasBounds(); }

TFloatRect TNestedSampler::GetSampleBounds() const {
  return FSampler ? FSampler->GetSampleBounds() : TCustomSampler::GetSampleBounds();
}

TColor32 TTransformer::GetSampleInt(int32_t X, int32_t Y) {
  // Reverse-map the pixel centre, then ask for the sample at the matching
  // pixel position of the source.
  const TFixedPoint centre{TFixed(int32_t(uint32_t(X) << 16) + 0x7FFF), TFixed(int32_t(uint32_t(Y) << 16) + 0x7FFF)};
  const TFixedPoint p = FTransformation->ReverseTransform(centre);
  return FSampler->GetSampleFixed(FixedAdd(p.X, -0x7FFF), FixedAdd(p.Y, -0x7FFF));
}

TColor32 TTransformer::GetSampleFixed(TFixed X, TFixed Y) {
  const TFixedPoint p = FTransformation->ReverseTransform(TFixedPoint{X, Y});
  return FSampler->GetSampleFixed(p.X, p.Y);
}

TColor32 TTransformer::GetSampleFloat(TFloat X, TFloat Y) {
  const TFloatPoint p = FTransformation->ReverseTransform(TFloatPoint{X, Y});
  return FSampler->GetSampleFloat(p.X, p.Y);
}

TFloatRect TTransformer::GetSampleBounds() const {
  TFloatRect r;
  IntersectRect(r, TNestedSampler::GetSampleBounds(), FTransformation->SrcRect());
  return FTransformation->GetTransformedBounds(r);
}

// ---- Rasterizers -----------------------------------------------------------

void TRasterizer::AssignPixel(TColor32 C, TColor32& D) const {
  switch (FSrc->DrawMode()) {
    case dmOpaque:
      D = C;
      break;
    case dmTransparent:
      if (C != FSrc->OuterColor()) D = C;
      break;
    case dmCustom:
      if (FSrc->OnPixelCombine()) {
        FSrc->OnPixelCombine()(C, D, FSrc->MasterAlpha());
        break;
      }
      [[fallthrough]];
    case dmBlend:
      (FSrc->CombineMode() == cmMerge ? MergePixelMasterInPlace : BlendPixelMasterInPlace)(C, D,
                                                                                           FSrc->MasterAlpha());
      break;
  }
}

void TRasterizer::Rasterize(TCustomBitmap32* Dst, const TRect& DstRect, const TCustomBitmap32* Src) {
  if (!FSampler || !Dst || !Src) return;
  FSrc = Src;
  TRect area = DstRect;
  FSampler->PrepareSampling();
  try {
    if (FSampler->HasBounds()) IntersectRect(area, area, OutwardRect(FSampler->GetSampleBounds()));
    if (!IsRectEmpty(area)) DoRasterize(Dst, area);
  } catch (...) {
    FSampler->FinalizeSampling();
    throw;
  }
  FSampler->FinalizeSampling();
  FinishBlending();
}

void TRegularRasterizer::DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) {
  for (int32_t y = DstRect.Top; y < DstRect.Bottom; ++y) {
    TColor32* d = Dst->PixelPtr(DstRect.Left, y);
    for (int32_t x = DstRect.Left; x < DstRect.Right; ++x, ++d) AssignPixel(FSampler->GetSampleInt(x, y), *d);
  }
}

// ---- Transform -------------------------------------------------------------

void Transform(TCustomBitmap32* Dst, TCustomBitmap32* Src, TTransformation* Transformation) {
  if (!Dst) throw EBitmapException("Destination bitmap is nil");
  if (!Src) throw EBitmapException("Source bitmap is nil");
  if (!Transformation) return;
  TRect area;
  IntersectRect(area, Dst->BoundsRect(), Dst->ClipRect());
  if (area.Right < area.Left || area.Bottom < area.Top) return;
  if (!Dst->MeasuringMode() && !Src->Empty() && !IsRectEmpty(area)) {
    TTransformer transformer(Src->Resampler(), Transformation);
    TRegularRasterizer rasterizer;
    rasterizer.SetSampler(&transformer);
    rasterizer.Rasterize(Dst, area, Src);
  }
  Dst->Changed(area, AREAINFO_RECT);
}
