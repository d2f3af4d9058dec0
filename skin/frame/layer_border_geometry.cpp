#include "skin/frame/layer_border_geometry.h"

#include <algorithm>
#include <cstdlib>

#include "skin/resources/skin_draw.h"

void TVelBorderSize::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TVelBorderSize*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FLeft = source->FLeft;
  FTop = source->FTop;
  FRight = source->FRight;
  FBottom = source->FBottom;
}

namespace {
int32_t Clamp(int32_t Value, int32_t High) { return std::clamp(Value, 0, std::max(High, 0)); }
}  // namespace

TLayerBorderLayout LayerBorderLayout(int32_t FormWidth, int32_t FormHeight, const TVelBorderSize& Size,
                                     const TVelBorderSize& Inflate, bool Transparent) {
  TLayerBorderLayout layout;
  const int32_t a = std::max(0, FormWidth + Size.Width());
  const int32_t b = std::max(0, FormHeight + Size.Height());
  layout.SourceWidth = a;
  layout.SourceHeight = b;
  const int32_t inflateRight = std::abs(Inflate.Right()), inflateBottom = std::abs(Inflate.Bottom());
  const int32_t topH = Clamp(std::abs(Inflate.Top()) + Size.Top(), b);
  const int32_t bottomH = Clamp(inflateBottom + Size.Bottom(), b);
  const int32_t leftW = Clamp(std::abs(Inflate.Left()) + Size.Left(), a);
  const int32_t rightW = Clamp(inflateRight + Size.Right(), a);

  layout.Strips[mpflTop] = {TRect{0, 0, a, topH}, TPoint{-Size.Left(), -Size.Top()}};
  layout.Strips[mpflBottom] = {TRect{0, b - bottomH, a, b},
                               TPoint{-Size.Left(), FormHeight - inflateBottom}};
  // The side strips are cut from the rows they are shown at, so that the
  // image runs on across the joints with the top and bottom strips.
  const int32_t sideTop = Transparent ? topH : 0;
  const int32_t sideBottom = Transparent ? std::max(sideTop, b - bottomH) : b;
  const int32_t sideY = -Size.Top() + sideTop;
  layout.Strips[mpflLeft] = {TRect{0, sideTop, leftW, sideBottom}, TPoint{-Size.Left(), sideY}};
  layout.Strips[mpflRight] = {TRect{a - rightW, sideTop, a, sideBottom}, TPoint{FormWidth - inflateRight, sideY}};
  return layout;
}

void BuildLayerBorderStrips(const TCustomBitmap32* Image, TVelStretchKind Kind, const TLayerBorderLayout& Layout,
                            std::array<TBitmap32, 4>& Strips) {
  const bool hasImage = Image && !Image->Empty() && Layout.SourceWidth > 0 && Layout.SourceHeight > 0;
  if (!hasImage) {
    for (TBitmap32& strip : Strips) strip.SetSize(0, 0);
    return;
  }
  TBitmap32 source;
  source.SetSize(Layout.SourceWidth, Layout.SourceHeight);
  source.Clear(0);
  if (Kind == skTile)
    TileImage(Image, &source, 0, 0);
  else
    DrawAutoStretch(Image, &source, false);
  for (int side = mpflLeft; side <= mpflBottom; ++side) {
    const TLayerStrip& cut = Layout.Strips[side];
    TBitmap32& strip = Strips[side];
    if (cut.Empty()) {
      strip.SetSize(0, 0);
      continue;
    }
    strip.SetSize(cut.Width(), cut.Height());
    source.DrawTo(&strip, 0, 0, cut.Source);
  }
}

void PremultiplyPixels(TColor32* Pixels, int32_t Count) {
  // (x + 128) * 257 >> 16 is x / 255 rounded to nearest for x up to 255 * 255.
  auto scale = [](uint32_t c, uint32_t a) { return ((c * a + 128) * 257) >> 16; };
  for (int32_t i = 0; i < Count; ++i) {
    const TColor32 p = Pixels[i];
    const uint32_t a = p >> 24;
    if (a == 255) continue;
    Pixels[i] = (a << 24) | (scale((p >> 16) & 0xFF, a) << 16) | (scale((p >> 8) & 0xFF, a) << 8) |
                scale(p & 0xFF, a);
  }
}
