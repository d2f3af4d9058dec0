// The layered border's geometry: window sizes and places around a form in
// both modes, strips that show the stretched or tiled image exactly where it
// lies around the form, forms smaller than the border, a missing image, the
// border sizes' copy, and the premultiplied pixels.
#include "skin/frame/layer_border_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "gfx/blend.h"
#include "skin/resources/skin_draw.h"

namespace {

const TVelBorderSize DefaultSize;                // 8 on every side
const TVelBorderSize DefaultInflate(5, 5, -5, -5);

class LayerBorderGeometry : public ::testing::Test {
protected:
  static void SetUpTestSuite() { GR32Initialize(); }
};

struct Expected {
  TvelFormLayerBorderType Side;
  int32_t X, Y, W, H;  // relative to the form's top-left
};

void ExpectLayout(const TLayerBorderLayout& L, std::initializer_list<Expected> Cases) {
  for (const Expected& e : Cases) {
    const TLayerStrip& s = L[e.Side];
    EXPECT_EQ(s.Offset.X, e.X) << "side " << e.Side;
    EXPECT_EQ(s.Offset.Y, e.Y) << "side " << e.Side;
    EXPECT_EQ(s.Width(), e.W) << "side " << e.Side;
    EXPECT_EQ(s.Height(), e.H) << "side " << e.Side;
  }
}

TEST_F(LayerBorderGeometry, WindowsAroundA400By300Form) {
  const TLayerBorderLayout t = LayerBorderLayout(400, 300, DefaultSize, DefaultInflate, true);
  EXPECT_EQ(t.SourceWidth, 416);
  EXPECT_EQ(t.SourceHeight, 316);
  // Each strip reaches 5 pixels under the form and 8 beyond it.
  ExpectLayout(t, {{mpflTop, -8, -8, 416, 13},
                   {mpflBottom, -8, 295, 416, 13},
                   {mpflLeft, -8, 5, 13, 290},
                   {mpflRight, 395, 5, 13, 290}});
  // Opaque: the side windows run the whole height and overlap the corners.
  const TLayerBorderLayout o = LayerBorderLayout(400, 300, DefaultSize, DefaultInflate, false);
  ExpectLayout(o, {{mpflTop, -8, -8, 416, 13},
                   {mpflBottom, -8, 295, 416, 13},
                   {mpflLeft, -8, -8, 13, 316},
                   {mpflRight, 395, -8, 13, 316}});
  // Unequal sizes: each side uses its own extent, and only the inflate's magnitude counts.
  const TLayerBorderLayout u =
      LayerBorderLayout(200, 100, TVelBorderSize(3, 20, 10, 6), TVelBorderSize(-2, 4, 1, -7), true);
  ExpectLayout(u, {{mpflTop, -3, -20, 213, 24},
                   {mpflBottom, -3, 93, 213, 13},
                   {mpflLeft, -3, 4, 5, 89},
                   {mpflRight, 199, 4, 11, 89}});
}

// A test image whose every pixel differs, with partly transparent corners.
std::unique_ptr<TBitmap32> Pattern(int32_t W, int32_t H) {
  auto out = std::make_unique<TBitmap32>();
  TBitmap32& image = *out;
  image.SetSize(W, H);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) {
      const uint32_t alpha = (x < 4 && y < 4) ? 0x40 + 16 * (x + y) : 0xFF;
      image.SetPixel(x, y, (alpha << 24) | (uint32_t(x * 7) << 16) | (uint32_t(y * 5) << 8) | uint32_t(x ^ y));
    }
  return out;
}

// Every strip pixel equals the pixel of the image laid around the form at the
// same place: strips join without seams in either mode and either fill.
TEST_F(LayerBorderGeometry, StripsShowTheImageWhereItLiesAroundTheForm) {
  const auto pattern = Pattern(30, 45);
  const TBitmap32& image = *pattern;
  for (TVelStretchKind kind : {skAuto, skTile}) {
    for (bool transparent : {true, false}) {
      const TLayerBorderLayout layout = LayerBorderLayout(120, 90, DefaultSize, DefaultInflate, transparent);
      TBitmap32 reference;
      reference.SetSize(layout.SourceWidth, layout.SourceHeight);
      reference.Clear(0);
      if (kind == skTile)
        TileImage(&image, &reference, 0, 0);
      else
        DrawAutoStretch(&image, &reference, false);
      std::array<TBitmap32, 4> strips;
      BuildLayerBorderStrips(&image, kind, layout, strips);
      int mismatches = 0;
      for (int side = mpflLeft; side <= mpflBottom; ++side) {
        const TLayerStrip& s = layout.Strips[side];
        ASSERT_EQ(strips[side].Width(), s.Width());
        ASSERT_EQ(strips[side].Height(), s.Height());
        for (int32_t y = 0; y < s.Height(); ++y)
          for (int32_t x = 0; x < s.Width(); ++x) {
            const int32_t rx = x + s.Offset.X + DefaultSize.Left(), ry = y + s.Offset.Y + DefaultSize.Top();
            if (strips[side].Pixel(x, y) != reference.Pixel(rx, ry)) ++mismatches;
          }
      }
      EXPECT_EQ(mismatches, 0) << "kind " << kind << " transparent " << transparent;
      // The corners keep the image's own pixels, alpha included.
      EXPECT_EQ(strips[mpflTop].Pixel(0, 0), image.Pixel(0, 0));
      EXPECT_EQ(strips[mpflTop].Pixel(3, 2), image.Pixel(3, 2));
    }
  }
}

TEST_F(LayerBorderGeometry, FormsSmallerThanTheBorderGiveNoNegativeExtents) {
  const auto pattern = Pattern(30, 45);
  const TBitmap32& image = *pattern;
  struct Case {
    int32_t W, H;
    TVelBorderSize Size;
  };
  const Case cases[] = {
      {4, 3, DefaultSize},  {0, 0, DefaultSize}, {-50, -40, DefaultSize}, {10, 10, TVelBorderSize(-9, -9, -9, -9)},
      {1, 1, TVelBorderSize(0, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    for (bool transparent : {true, false}) {
      const TLayerBorderLayout layout = LayerBorderLayout(c.W, c.H, c.Size, DefaultInflate, transparent);
      EXPECT_GE(layout.SourceWidth, 0);
      EXPECT_GE(layout.SourceHeight, 0);
      for (const TLayerStrip& s : layout.Strips) {
        EXPECT_GE(s.Width(), 0);
        EXPECT_GE(s.Height(), 0);
        EXPECT_GE(s.Source.Left, 0);
        EXPECT_GE(s.Source.Top, 0);
        EXPECT_LE(s.Source.Right, layout.SourceWidth);
        EXPECT_LE(s.Source.Bottom, layout.SourceHeight);
      }
      std::array<TBitmap32, 4> strips;
      BuildLayerBorderStrips(&image, skAuto, layout, strips);
      for (int side = mpflLeft; side <= mpflBottom; ++side) {
        EXPECT_EQ(strips[side].Width(), layout.Strips[side].Empty() ? 0 : layout.Strips[side].Width());
      }
    }
  }
  // A 4 x 3 form: the side strips of the transparent border have no rows left.
  const TLayerBorderLayout small = LayerBorderLayout(4, 3, DefaultSize, DefaultInflate, true);
  EXPECT_EQ(small.SourceHeight, 19);
  EXPECT_EQ(small[mpflLeft].Height(), 0);
  EXPECT_TRUE(small[mpflRight].Empty());
  EXPECT_EQ(small[mpflTop].Height(), 13);
}

TEST_F(LayerBorderGeometry, NoImageLeavesEveryStripEmpty) {
  const TLayerBorderLayout layout = LayerBorderLayout(400, 300, DefaultSize, DefaultInflate, true);
  std::array<TBitmap32, 4> strips;
  const auto pattern = Pattern(30, 45);
  const TBitmap32& image = *pattern;
  BuildLayerBorderStrips(&image, skAuto, layout, strips);
  ASSERT_FALSE(strips[mpflTop].Empty());
  BuildLayerBorderStrips(nullptr, skAuto, layout, strips);
  for (const TBitmap32& s : strips) EXPECT_TRUE(s.Empty());
  const TBitmap32 empty;
  BuildLayerBorderStrips(&empty, skTile, layout, strips);
  for (const TBitmap32& s : strips) EXPECT_TRUE(s.Empty());
}

TEST_F(LayerBorderGeometry, BorderSizeCopiesItsFourValues) {
  TVelBorderSize a(1, 2, 3, 4), b;
  EXPECT_EQ(b.Left() + b.Top() + b.Right() + b.Bottom(), 32);
  b.Assign(&a);
  EXPECT_EQ(b.Left(), 1);
  EXPECT_EQ(b.Top(), 2);
  EXPECT_EQ(b.Right(), 3);
  EXPECT_EQ(b.Bottom(), 4);
  EXPECT_EQ(b.Width(), 4);
  EXPECT_EQ(b.Height(), 6);
  TPersistent other;
  EXPECT_ANY_THROW(b.Assign(&other));
  EXPECT_EQ(b.Left(), 1);
}

TEST_F(LayerBorderGeometry, PremultipliesEveryChannelRoundedToNearest) {
  std::vector<TColor32> pixels;
  for (uint32_t a = 0; a < 256; ++a)
    for (uint32_t c = 0; c < 256; ++c) pixels.push_back((a << 24) | (c << 16) | ((255 - c) << 8) | (c / 2));
  PremultiplyPixels(pixels.data(), static_cast<int32_t>(pixels.size()));
  int wrong = 0;
  auto near = [](uint32_t got, uint32_t c, uint32_t a) { return std::fabs(got - c * a / 255.0) <= 0.5; };
  for (uint32_t a = 0; a < 256; ++a)
    for (uint32_t c = 0; c < 256; ++c) {
      const TColor32 p = pixels[a * 256 + c];
      if (p >> 24 != a || !near((p >> 16) & 0xFF, c, a) || !near((p >> 8) & 0xFF, 255 - c, a) ||
          !near(p & 0xFF, c / 2, a))
        ++wrong;
    }
  EXPECT_EQ(wrong, 0);
  TColor32 opaque = 0xFF123456, clear = 0x00FFFFFF;
  PremultiplyPixels(&opaque, 1);
  PremultiplyPixels(&clear, 1);
  EXPECT_EQ(opaque, 0xFF123456u);
  EXPECT_EQ(clear, 0u);
}

}  // namespace
