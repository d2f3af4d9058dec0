#include "skin/frame/frame_paint.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "gfx/blend.h"
#include "gfx/resamplers.h"
#include "skin/resources/skin_draw.h"
#include "skin/resources/skin_res_manager.h"

int32_t HSB_H = 0, HSB_S = 0, HSB_B = 0;

bool SkinTintActive() { return HSB_H != 0 || HSB_S != 0 || HSB_B != 0; }

// ---- Tint -------------------------------------------------------------------------------------

namespace {

int32_t Clamp255(int32_t V) { return std::clamp(V, 0, 255); }

void Brightness(int32_t B, int32_t& R, int32_t& G, int32_t& Bl) {
  for (int32_t* c : {&R, &G, &Bl}) *c = Clamp255(B > 0 ? *c + B * (255 - *c) / 255 : *c + B * *c / 255);
}

void HueSat(int32_t S, int32_t H, int32_t& R, int32_t& G, int32_t& Bl) {
  int32_t x = R, y = G, z = Bl;
  if (x < y) std::swap(x, y);
  if (x < z) std::swap(x, z);
  if (y < z) std::swap(z, y);
  const int32_t diff = x - z;
  if (diff == 0) return;  // grey
  const int32_t sum = x + z;
  const int32_t L = sum / 2;
  const int32_t Sat = sum > 255 ? diff * 255 / (510 - sum) : diff * 255 / sum;
  if (H != 0) {
    int32_t hue;
    if (R == x)
      hue = (G - Bl) * 60 / diff;
    else if (G == x)
      hue = (Bl - R) * 60 / diff + 120;
    else
      hue = (R - G) * 60 / diff + 240;
    hue += H;
    if (hue < 0)
      hue += 360;
    else if (hue > 360)
      hue -= 360;
    const int32_t sector = hue / 60;
    int32_t f = hue % 60;
    if (sector % 2 == 1) f = 60 - f;
    int32_t e = (f * 255 + 30) / 60;
    e = e - (255 - Sat) * (e - 128) / 255;
    int32_t mid = e;
    const int32_t d = L - 128;
    if (d > 0)
      mid = (d * (255 - e) + 64) / 128 + e;
    else if (d < 0)
      mid = e * d / 128 + e;
    mid = Clamp255(mid);
    const int32_t hi = x, lo = z;
    switch (sector) {
      case 1: x = mid, y = hi, z = lo; break;
      case 2: x = lo, y = hi, z = mid; break;
      case 3: x = lo, y = mid, z = hi; break;
      case 4: x = mid, y = lo, z = hi; break;
      case 5: x = hi, y = lo, z = mid; break;
      default: x = hi, y = mid, z = lo; break;  // sectors 0 and 6
    }
  } else {
    x = R, y = G, z = Bl;
  }
  if (S != 0) {
    if (S > 0) {
      const int32_t d = S + Sat < 255 ? 255 - S : Sat;
      S = 65025 / d - 255;
    }
    for (int32_t* c : {&x, &y, &z}) *c = Clamp255(*c + S * (*c - L) / 255);
  }
  R = x, G = y, Bl = z;
}

}  // namespace

TColor HSBAdjust(TColor Color, int32_t H, int32_t S, int32_t B) {
  const int32_t s = S * 255 / 100, b = B * 255 / 100;
  int32_t r = Color & 0xFF, g = (Color >> 8) & 0xFF, bl = (Color >> 16) & 0xFF;
  if (s > 0 && b != 0) Brightness(b, r, g, bl);
  HueSat(s, H, r, g, bl);
  if (s <= 0 && b != 0) Brightness(b, r, g, bl);
  return static_cast<TColor>(r | (g << 8) | (bl << 16));
}

void TintPicture(TCustomBitmap32& Picture, int32_t H, int32_t S, int32_t B) {
  const size_t count = static_cast<size_t>(Picture.Width()) * static_cast<size_t>(Picture.Height());
  TColor32* bits = Picture.Bits();
  for (size_t i = 0; i < count; ++i) {
    const TColor32 p = bits[i];
    const uint8_t alpha = static_cast<uint8_t>(p >> 24);
    if (alpha == 0) continue;
    uint8_t hh, ss, ll;
    Color32ToHsl(p, hh, ss, ll);
    const int32_t hue = ((hh + H) % 256 + 256) % 256;
    const int32_t sat = Clamp255(S > 0 ? ss + S : ss + S * ss / 100);
    const int32_t lum = Clamp255(ll + B);
    bits[i] = HslToColor32(static_cast<uint8_t>(hue), static_cast<uint8_t>(sat), static_cast<uint8_t>(lum), alpha);
  }
  Picture.Changed();
}

// ---- Gradient ---------------------------------------------------------------------------------

uint32_t GradientStep(int32_t Lines) {
  const uint32_t n = static_cast<uint32_t>(std::max(Lines, 1));
  const uint32_t q = (1u << 24) / n, r = (1u << 24) % n;
  // Round to nearest; a remainder of exactly half goes to the even quotient.
  if (2 * r > n || (2 * r == n && (q & 1))) return q + 1;
  return q;
}

uint8_t GradientChannel(uint8_t From, uint8_t To, uint32_t Step, int32_t Line) {
  const uint32_t product = Step * static_cast<uint32_t>(Line) * static_cast<uint32_t>(int32_t(To) - int32_t(From));
  return static_cast<uint8_t>(From + (product >> 24));
}

TColor32 GradientLine(TColor From, TColor To, uint32_t Step, int32_t Line) {
  const auto channel = [&](int Shift) {
    return static_cast<TColor32>(
        GradientChannel(static_cast<uint8_t>(From >> Shift), static_cast<uint8_t>(To >> Shift), Step, Line));
  };
  return (channel(0) << 16) | (channel(8) << 8) | channel(16);
}

void GradientFillBitmap(TCustomBitmap32& Dst, TColor From, TColor To, bool Horizontal, const TRect& Rect) {
  const uint32_t step = GradientStep(Horizontal ? Rect.Width() : Rect.Height());
  TRect clip;
  if (!IntersectRect(clip, Rect, Dst.BoundsRect())) return;
  TColor32* bits = Dst.Bits();
  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    TColor32* row = bits + static_cast<size_t>(y) * Dst.Width();
    if (!Horizontal) {
      std::fill(row + clip.Left, row + clip.Right, GradientLine(From, To, step, y - Rect.Top));
    } else {
      for (int32_t x = clip.Left; x < clip.Right; ++x) row[x] = GradientLine(From, To, step, x - Rect.Left);
    }
  }
  Dst.Changed();
}

void BuildGradientStrip(TBitmap32& Strip, int32_t Width, int32_t GradH, TColor NCBk, TColor ClientBk) {
  Strip.SetSize(std::max(Width, 0), std::max(GradH, 0));
  if (GradH <= 0 || Width <= 0) return;
  TBitmap32 line;
  line.SetSize(1, GradH);
  GradientFillBitmap(line, NCBk, ClientBk, false, line.BoundsRect());
  Strip.Draw(Strip.BoundsRect(), line.BoundsRect(), &line);
}

void BuildColorGraphic(TBitmap32& Graphic, int32_t W, int32_t H, TColor ClientBk, const TBitmap32* Strip,
                       int32_t StripX, int32_t StripY) {
  Graphic.SetSize(std::max(W, 0) + 10, std::max(H, 0) + 10);
  Graphic.Clear(ToColor32(ClientBk));
  if (Strip && !Strip->Empty()) Strip->DrawTo(&Graphic, StripX, StripY);
}

// ---- Fade to the average colour ---------------------------------------------------------------

namespace {

// 255 - [x * 2.55] for a band position x, [ ] rounding to nearest with ties to even.
uint32_t FadeAlpha(double X) { return 255u - static_cast<uint32_t>(std::nearbyint(X * 255.0 / 100.0)); }

}  // namespace

TColor FadeToAverage(TCustomBitmap32& Picture) {
  const int32_t W = Picture.Width(), H = Picture.Height();
  uint64_t sum[3] = {0, 0, 0};
  const size_t count = static_cast<size_t>(W) * static_cast<size_t>(H);
  const TColor32* src = Picture.Bits();
  for (size_t i = 0; i < count; ++i)
    for (int c = 0; c < 3; ++c) sum[c] += (src[i] >> (8 * c)) & 0xFF;
  const uint64_t n = count ? count : 1;
  const TColor32 average = 0xFF000000u | static_cast<TColor32>((sum[2] / n) << 16 | (sum[1] / n) << 8 | (sum[0] / n));
  const TColor averageRGB = static_cast<TColor>((sum[0] / n) << 16 | (sum[1] / n) << 8 | (sum[2] / n));
  if (count == 0) return averageRGB;

  // The bands are 100 pixels, or the whole side of a smaller picture.
  const int32_t bandX = std::min(W, 100), bandY = std::min(H, 100);
  const int32_t left = W - bandX, top = H - bandY;
  TColor32* bits = Picture.Bits();
  for (int32_t y = 0; y < H; ++y) {
    TColor32* row = bits + static_cast<size_t>(y) * W;
    for (int32_t x = 0; x < W; ++x) {
      const TColor32 p = row[x] | 0xFF000000u;
      const int32_t i = x - left, j = y - top;
      if (i < 0 && j < 0) {
        row[x] = p;
      } else if (j < 0) {
        row[x] = CombinePixel(p, average, FadeAlpha(i));
      } else if (i < 0) {
        row[x] = CombinePixel(p, average, FadeAlpha(j));
      } else {
        const double d = std::min(std::sqrt(static_cast<double>(i * i + j * j)), 99.0);
        row[x] = CombinePixel(p, average, FadeAlpha(d));
      }
    }
  }
  FinishBlending();
  Picture.Changed();
  return averageRGB;
}

// ---- Picture backgrounds ----------------------------------------------------------------------

void FillPictureGraphic(TBitmap32& Graphic, const TCustomBitmap32& Picture, TVelFillStyle FillStyle, int32_t W,
                        int32_t H, int32_t OX, int32_t OY, TColor& PictureBgColor) {
  W = std::max(W, 0);
  H = std::max(H, 0);
  if (FillStyle == mfs9Block)
    Graphic.SetSize(W, H);
  else
    Graphic.SetSize(W + 10, H + 10);
  if (FillStyle != mfsBlur) PictureBgColor = 0xFFFFFF;
  switch (FillStyle) {
    case mfsBlur:
      Graphic.Clear(ToColor32(PictureBgColor));
      if (!Picture.Empty()) Picture.DrawTo(&Graphic, OX, OY);
      break;
    case mfsTile:
      if (!Picture.Empty()) TileImage(&Picture, &Graphic, OX, OY);
      break;
    case mfsStretch: {
      if (Picture.Empty() || Graphic.Empty()) break;
      const double f = std::max(static_cast<double>(Graphic.Width()) / Picture.Width(),
                                static_cast<double>(Graphic.Height()) / Picture.Height());
      const int32_t sw = static_cast<int32_t>(std::lround(Picture.Width() * f));
      const int32_t sh = static_cast<int32_t>(std::lround(Picture.Height() * f));
      TBitmap32 scaled;
      scaled.SetSize(sw, sh);
      auto resampler = std::make_unique<TLinearResampler>();
      resampler->SetPixelAccessMode(pamTransparentEdge);
      TBitmap32 source;
      source.Assign(const_cast<TCustomBitmap32*>(&Picture));
      source.SetDrawMode(dmOpaque);
      source.SetResampler(std::move(resampler));
      source.DrawTo(&scaled, scaled.BoundsRect(), source.BoundsRect());
      scaled.SetDrawMode(Picture.DrawMode());
      scaled.DrawTo(&Graphic, (Graphic.Width() - sw) / 2, (Graphic.Height() - sh) / 2);
      break;
    }
    case mfs9Block:
      if (!Picture.Empty()) DrawAutoStretch(&Picture, &Graphic, false);
      break;
  }
}

bool BuildPictureBackground(const std::wstring& CustomPicture, TVelFillStyle FillStyle, int32_t W, int32_t H,
                            int32_t OX, int32_t OY, TBitmap32& Picture, TBitmap32& Graphic, TColor& PictureBgColor) {
  TVelSkinImage* image = SkinImageOrNone(CustomPicture);
  if (!image || image->Empty()) return false;
  Picture.SetSize(image->Width(), image->Height());
  std::copy_n(image->Bits(), static_cast<size_t>(image->Width()) * image->Height(), Picture.Bits());
  Picture.Changed();
  if (SkinTintActive()) TintPicture(Picture, HSB_H, HSB_S, HSB_B);
  if (FillStyle == mfsBlur) PictureBgColor = FadeToAverage(Picture);
  FillPictureGraphic(Graphic, Picture, FillStyle, W, H, OX, OY, PictureBgColor);
  return true;
}

// ---- Frame lines ------------------------------------------------------------------------------

TColor32 OuterFrameColor(bool KeepFrameColor, TColor FrameColor) {
  return KeepFrameColor ? ToColor32(FrameColor) : 0x80000000u;
}

void DrawFrameEdge(TCustomBitmap32& Strip, TFrameEdgeSide Side, const TFrameEdgeStyle& Style) {
  if (Style.FlatFrame || Style.Maximized || Style.FramWidth <= 0) return;
  const int32_t w = Strip.Width(), h = Strip.Height();
  const TColor32 O = Style.Outer, I = Style.Inner;
  const bool inner = Style.DoubleFrame;
  switch (Side) {
    case feTop:
      Strip.LineAS(0, 0, w - 1, 0, O);
      Strip.LineAS(0, 0, 0, h, O);
      Strip.LineAS(w - 1, 0, w - 1, h, O);
      if (inner) {
        Strip.LineAS(1, 1, w - 2, 1, I);
        Strip.LineAS(1, 1, 1, h, I);
        Strip.LineAS(w - 2, 1, w - 2, h, I);
      }
      if (Style.RoundWindow) {
        const bool innerCorner = Style.FramWidth > 1 && inner;
        Strip.SetPixelTS(1, 1, O);
        if (innerCorner) Strip.SetPixelTS(2, 2, I);
        Strip.SetPixelTS(w - 2, 1, O);
        if (innerCorner) Strip.SetPixelTS(w - 3, 2, I);
      }
      break;
    case feLeft:
      Strip.LineAS(0, 0, 0, h - 1, O);
      if (inner) Strip.LineAS(1, 0, 1, h - 1, I);
      break;
    case feRight:
      Strip.LineAS(w - 1, 0, w - 1, h - 1, O);
      if (inner) Strip.LineAS(w - 2, 0, w - 2, h - 1, I);
      break;
    case feBottom:
      Strip.LineAS(0, h - 1, w - 1, h - 1, O);
      Strip.LineAS(0, h - 2, 0, 2, O);
      Strip.LineAS(w - 1, h - 2, w - 1, 2, O);
      if (inner) Strip.LineAS(1, h - 2, w - 2, h - 2, I);
      if (Style.RoundWindow) {
        Strip.SetPixelTS(1, h - 2, O);
        Strip.SetPixelTS(w - 2, h - 2, O);
      }
      break;
  }
}
