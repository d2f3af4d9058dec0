#include "skin/controls/panel_look.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gfx/gradient.h"
#include "gfx/polygons.h"
#include "toolkit/core/scope.h"

void PanelWash(TCustomBitmap32& Bitmap, uint32_t RGB, uint8_t Alpha) {
  if (Alpha == 0 || Bitmap.Empty()) return;
  const TColor32 color = (static_cast<TColor32>(Alpha) << 24) | (RGB & 0xFFFFFF);
  if (Alpha == 255)
    Bitmap.FillRectS(0, 0, Bitmap.Width(), Bitmap.Height(), color);
  else
    Bitmap.FillRectTS(0, 0, Bitmap.Width(), Bitmap.Height(), color);
}

void DrawPanelBorder(TCustomBitmap32& Bitmap, TSides Sides, uint32_t OuterRGB, uint8_t BorderAlpha,
                     bool DoubleBorder) {
  const int32_t w = Bitmap.Width(), h = Bitmap.Height();
  if (w <= 0 || h <= 0) return;
  TUpdateScope<TCustomBitmap32> update(Bitmap);
  const TColor32 outer = (static_cast<TColor32>(BorderAlpha) << 24) | (OuterRGB & 0xFFFFFF);
  const TColor32 inner = (static_cast<TColor32>(BorderAlpha) << 24) | 0xFFFFFF;
  if (Sides & sdLeft) {
    Bitmap.LineAS(0, 0, 0, h, outer);
    if (DoubleBorder) Bitmap.LineAS(1, 1, 1, h, inner);
  }
  if (Sides & sdTop) {
    Bitmap.LineAS(0, 0, w, 0, outer);
    if (DoubleBorder) Bitmap.LineAS(1, 1, w, 1, inner);
  }
  if ((Sides & sdRight) && w > 1) {
    Bitmap.LineAS(w - 1, 0, w - 1, h, outer);
    if (DoubleBorder && w > 2 && h > 1) Bitmap.LineAS(w - 2, 1, w - 2, h - 1, inner);
  }
  if (Sides & sdBottom) {
    if (w > 1 && h > 1) Bitmap.LineAS(0, h - 1, w, h - 1, outer);
    if (DoubleBorder && w > 2 && h > 2) Bitmap.LineAS(1, h - 2, w - 1, h - 2, inner);
  }
}

void DrawDesignBorder(TCustomBitmap32& Bitmap, TSides Sides) {
  const int32_t w = Bitmap.Width(), h = Bitmap.Height();
  if (w <= 0 || h <= 0) return;
  if (Sides & sdLeft) Bitmap.LineAS(0, 0, 0, h, DesignFrameColor);
  if (Sides & sdTop) Bitmap.LineAS(0, 0, w, 0, DesignFrameColor);
  if (Sides & sdRight) Bitmap.LineAS(w - 1, 0, w - 1, h, DesignFrameColor);
  if (Sides & sdBottom) Bitmap.LineAS(0, h - 1, w, h - 1, DesignFrameColor);
}

int32_t GradientPieces(const TPanelGradient& Gradient, int32_t Width, int32_t Height, TGradientPiece Pieces[2]) {
  // The extent across the ramp is the side less one, at least one, plus one.
  const int32_t across =
      (Gradient.Direction == gdHorizontal ? std::max(Height - 1, 1) : std::max(Width - 1, 1)) + 1;
  const int32_t along = Gradient.Direction == gdHorizontal ? Width : Height;
  const int32_t s = static_cast<int32_t>(std::lrint(Gradient.Size / 100.0 * along));
  if (Gradient.Direction == gdHorizontal) {
    switch (Gradient.Align) {
      case gaCenter: {
        const int32_t m = Width / 2;
        Pieces[0] = {TRect{m - s, 0, m, across}, 180};
        Pieces[1] = {TRect{m, 0, m + s, across}, 0};
        return 2;
      }
      case gaLeft:
        Pieces[0] = {TRect{0, 0, s, across}, 0};
        return 1;
      case gaRight:
        Pieces[0] = {TRect{Width - s, 0, Width, across}, 180};
        return 1;
    }
  }
  switch (Gradient.Align) {
    case gaCenter: {
      const int32_t m = Height / 2;
      Pieces[0] = {TRect{0, m - s, across, m}, 90};
      // The lower part always reaches the bottom.
      Pieces[1] = {TRect{0, m, across, Height}, 270};
      return 2;
    }
    case gaLeft:
      Pieces[0] = {TRect{0, 0, across, s}, 270};
      return 1;
    case gaRight:
      Pieces[0] = {TRect{0, Height - s, across, Height}, 90};
      return 1;
  }
  return 0;
}

void DrawPanelGradient(TCustomBitmap32& Bitmap, const TPanelGradient& Gradient) {
  const int32_t w = Bitmap.Width(), h = Bitmap.Height();
  if (w <= 0 || h <= 0) return;
  TCustomBitmap32 work;
  work.SetSize(w, h);
  work.Clear(0);
  work.SetDrawMode(dmBlend);
  const TColor32 stops[2] = {(static_cast<TColor32>(Gradient.Alpha) << 24) | (Gradient.StartRGB & 0xFFFFFF),
                             (static_cast<TColor32>(Gradient.Alpha) << 24) | (Gradient.EndRGB & 0xFFFFFF)};
  TGradientPiece pieces[2];
  const int32_t n = GradientPieces(Gradient, w, h, pieces);
  for (int32_t i = 0; i < n; ++i) {
    const TRect& r = pieces[i].Rect;
    if (r.Width() <= 0 || r.Height() <= 0) continue;
    const TFixedPoint corners[4] = {FixedPoint(TPoint{r.Left, r.Top}), FixedPoint(TPoint{r.Right, r.Top}),
                                    FixedPoint(TPoint{r.Right, r.Bottom}), FixedPoint(TPoint{r.Left, r.Bottom})};
    GradientFillPolygon(&work, corners, 3, pieces[i].Angle, 1, stops, 0);
  }
  work.DrawTo(&Bitmap, 0, 0);
}

void FillRoundRect(TCustomBitmap32& Bitmap, int32_t Radius, TColor32 Color) {
  const float w = static_cast<float>(Bitmap.Width()), h = static_cast<float>(Bitmap.Height());
  if (w <= 0 || h <= 0) return;
  const float r = std::clamp(static_cast<float>(Radius), 0.0f, std::min(w, h) / 2);
  // Each corner is a quarter circle of eight segments around its centre.
  const TFloatPoint centres[4] = {{w - r, r}, {w - r, h - r}, {r, h - r}, {r, r}};
  TArrayOfFixedPoint points;
  constexpr int segments = 8;
  for (int corner = 0; corner < 4; ++corner) {
    for (int i = 0; i <= segments; ++i) {
      const double angle = (corner - 1 + static_cast<double>(i) / segments) * std::numbers::pi / 2;
      points.push_back(FixedPoint(TFloatPoint{static_cast<float>(centres[corner].X + r * std::cos(angle)),
                                              static_cast<float>(centres[corner].Y + r * std::sin(angle))}));
    }
  }
  TPolygon32Ex polygon;
  polygon.SetAntialiased(true);
  polygon.AddPoints(points);
  polygon.DrawFill(&Bitmap, Color);
}

void CopyEdgeBands(const TCustomBitmap32& Src, TCustomBitmap32& Dst, int32_t Band) {
  const int32_t w = std::min(Src.Width(), Dst.Width()), h = std::min(Src.Height(), Dst.Height());
  if (w <= 0 || h <= 0 || Band <= 0) return;
  auto copy = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, w);
    y2 = std::min(y2, h);
    for (int32_t y = y1; y < y2; ++y)
      for (int32_t x = x1; x < x2; ++x) Dst.SetPixel(x, y, Src.Pixel(x, y));
  };
  copy(0, 0, w, Band);
  copy(0, h - Band, w, h);
  copy(0, 0, Band, h);
  copy(w - Band, 0, w, h);
  Dst.Changed();
}
