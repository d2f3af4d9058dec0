// The layered border's geometry and pixels, apart from any window: how far
// the border reaches around and under the form, the four strips cut from one
// image stretched or tiled around the form, where each border window sits
// relative to the form, and the premultiplied pixels a per-pixel-alpha
// window is updated from.
#pragma once

#include <array>
#include <cstdint>

#include "gfx/bitmap32.h"
#include "toolkit/core/classes.h"
#include "toolkit/core/geometry.h"

enum TVelStretchKind { skAuto, skTile };
enum TvelFormLayerBorderType { mpflLeft, mpflTop, mpflRight, mpflBottom };

// Four extents, one per side of the form.
class TVelBorderSize : public TPersistent {
public:
  TVelBorderSize() = default;
  TVelBorderSize(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom)
      : FRight(Right), FBottom(Bottom), FTop(Top), FLeft(Left) {}

  int32_t Left() const { return FLeft; }
  void SetLeft(int32_t Value) { FLeft = Value; }
  int32_t Top() const { return FTop; }
  void SetTop(int32_t Value) { FTop = Value; }
  int32_t Right() const { return FRight; }
  void SetRight(int32_t Value) { FRight = Value; }
  int32_t Bottom() const { return FBottom; }
  void SetBottom(int32_t Value) { FBottom = Value; }
  int32_t Width() const { return FLeft + FRight; }
  int32_t Height() const { return FTop + FBottom; }
  // Copies the four values of another TVelBorderSize.
  void Assign(TPersistent* Source) override;

protected:
  std::string ClassName() const override { return "TVelBorderSize"; }

private:
  int32_t FRight = 8;
  int32_t FBottom = 8;
  int32_t FTop = 8;
  int32_t FLeft = 8;
};

// One border window: the part of the source bitmap it shows and its top-left
// relative to the form's top-left.
struct TLayerStrip {
  TRect Source;
  TPoint Offset;
  int32_t Width() const { return Source.Width(); }
  int32_t Height() const { return Source.Height(); }
  bool Empty() const { return Source.Width() <= 0 || Source.Height() <= 0; }
};

// The source bitmap is the image laid over the form's size plus Size on every
// side; the top and bottom strips span its width, the side strips fill the
// height between them (transparent) or the whole height (opaque). Each strip
// reaches |Inflate| pixels under the form. Extents that come out negative (a
// form smaller than the border) are 0.
struct TLayerBorderLayout {
  int32_t SourceWidth = 0, SourceHeight = 0;
  std::array<TLayerStrip, 4> Strips;  // by TvelFormLayerBorderType
  const TLayerStrip& operator[](TvelFormLayerBorderType Side) const { return Strips[Side]; }
};

TLayerBorderLayout LayerBorderLayout(int32_t FormWidth, int32_t FormHeight, const TVelBorderSize& Size,
                                     const TVelBorderSize& Inflate, bool Transparent);

// Cuts the four strips of Layout out of Image laid over the source bitmap
// (nine-block stretched for skAuto, tiled for skTile). Strips are indexed by
// TvelFormLayerBorderType. Without an image every strip is left empty.
void BuildLayerBorderStrips(const TCustomBitmap32* Image, TVelStretchKind Kind, const TLayerBorderLayout& Layout,
                            std::array<TBitmap32, 4>& Strips);

// Premultiplies Count pixels in place, as a per-pixel-alpha window wants
// them: each colour channel becomes c * a / 255 rounded to nearest.
void PremultiplyPixels(TColor32* Pixels, int32_t Count);
