#include <gtest/gtest.h>

#include <vector>

#include "gfx/bitmap32.h"
#include "gfx/resamplers.h"
#include "gfx/transforms.h"

namespace {

// A one-row source whose pixel i is 0xFF000000 + i, so that every destination
// pixel tells which source column it came from.
void ColumnIndexed(TBitmap32& B, int Width, int Height = 1) {
  B.SetSize(Width, Height);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) B.SetPixel(x, y, 0xFF000000u + TColor32(y << 8 | x));
}

std::vector<int> Columns(const TBitmap32& B, int Y = 0) {
  std::vector<int> v;
  for (int x = 0; x < B.Width(); ++x) v.push_back(int(B.Pixel(x, Y) & 0xFF));
  return v;
}

}  // namespace

TEST(Resamplers, ClassNamesAreLookedUpCaseSensitively) {
  TBitmap32 b;
  EXPECT_EQ(b.ResamplerClassName(), "TNearestResampler");
  b.SetResamplerClassName("tkernelresampler");
  EXPECT_EQ(b.ResamplerClassName(), "TNearestResampler");
  b.SetResamplerClassName("TNoSuchResampler");
  EXPECT_EQ(b.ResamplerClassName(), "TNearestResampler");
  int changes = 0;
  b.SetOnChange([&](TObject*) { ++changes; });
  b.SetResamplerClassName("TKernelResampler");
  EXPECT_EQ(b.ResamplerClassName(), "TKernelResampler");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.Resampler()->Bitmap(), &b);
  std::vector<std::string> names;
  for (const auto& e : ResamplerList()) names.push_back(e.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"TNearestResampler", "TLinearResampler", "TDraftResampler",
                                             "TKernelResampler"}));
  auto& k = CreateResampler<TKernelResampler>(b);
  k.SetKernelClassName("tlanczoskernel");
  EXPECT_EQ(k.KernelClassName(), "TBoxKernel");
  k.SetKernelClassName("TLanczosKernel");
  EXPECT_EQ(k.KernelClassName(), "TLanczosKernel");
  k.SetTableSize(1);
  EXPECT_EQ(k.TableSize(), 2);
}

TEST(Resamplers, NearestStretchColumnMapping) {
  TBitmap32 src, dst;
  ColumnIndexed(src, 3);
  dst.SetSize(9, 1);
  src.DrawTo(&dst, MakeRect(0, 0, 9, 1));
  EXPECT_EQ(Columns(dst), (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2}));

  // 14 to 20: the scale 0.7 is held as the single 0.699999988, so column 10
  // lands just below source column 7.
  ColumnIndexed(src, 14);
  dst.SetSize(20, 1);
  src.DrawTo(&dst, MakeRect(0, 0, 20, 1));
  const auto cols = Columns(dst);
  EXPECT_EQ(cols[10], 6);
  EXPECT_EQ(cols[0], 0);
  EXPECT_EQ(cols[19], 13);

  // A one-pixel-wide destination samples the middle column.
  dst.Clear();
  src.DrawTo(&dst, MakeRect(5, 0, 6, 1), MakeRect(2, 0, 9, 1));
  EXPECT_EQ(dst.Pixel(5, 0), 0xFF000005u);

  // Shrinking 2:1 vertically picks rows 0 and 2.
  ColumnIndexed(src, 2, 4);
  dst.SetSize(2, 2);
  src.DrawTo(&dst, MakeRect(0, 0, 2, 2));
  EXPECT_EQ(dst.Pixel(1, 1), 0xFF000201u);
}

TEST(Resamplers, StretchClipsTheSourceRectAndTheDestination) {
  TBitmap32 src, dst;
  ColumnIndexed(src, 4);
  dst.SetSize(16, 1);
  dst.Clear(0);
  // SrcRect from x = -2 at scale 2 moves DstRect.Left by 4 and starts at column 0.
  std::vector<TRect> areas;
  dst.SetOnAreaChanged([&](TObject*, const TRect& R, uint32_t) { areas.push_back(R); });
  src.DrawTo(&dst, MakeRect(0, 0, 12, 1), MakeRect(-2, 0, 4, 1));
  EXPECT_EQ(Columns(dst), (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 0, 0, 0, 0}));
  EXPECT_EQ(dst.Pixel(3, 0), 0u);
  EXPECT_EQ(dst.Pixel(4, 0), 0xFF000000u);
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0], MakeRect(4, 0, 12, 1));

  // The destination clip limits the result.
  dst.Clear(0);
  dst.SetClipRect(MakeRect(2, 0, 5, 1));
  src.DrawTo(&dst, MakeRect(0, 0, 8, 1));
  EXPECT_EQ(Columns(dst), (std::vector<int>{0, 0, 1, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(dst.Pixel(1, 0), 0u);

  // Equal sizes copy like a block transfer, the source shifted by the clip offset.
  dst.Clear(0);
  src.DrawTo(&dst, MakeRect(1, 0, 5, 1));
  EXPECT_EQ(dst.Pixel(2, 0), 0xFF000001u);
  EXPECT_EQ(dst.Pixel(4, 0), 0xFF000003u);
  EXPECT_EQ(dst.Pixel(5, 0), 0u);

  EXPECT_THROW(src.DrawTo(nullptr, MakeRect(0, 0, 2, 2)), EBitmapException);
  TNearestResampler nearest(&src);
  EXPECT_THROW(nearest.Resample(&dst, MakeRect(0, 0, 8, 1), dst.BoundsRect(), &src, MakeRect(0, 0, 5, 1),
                                dmOpaque, nullptr),
               EBitmapException);
}

TEST(Resamplers, NearestStretchDrawModes) {
  TBitmap32 src, dst;
  src.SetSize(2, 1);
  src.SetPixel(0, 0, 0x00FFFFFF);
  src.SetPixel(1, 0, 0x80FF0000);
  dst.SetSize(4, 2);
  for (TDrawMode mode : {dmBlend, dmTransparent}) {
    src.SetDrawMode(mode);
    src.SetOuterColor(0x00FFFFFF);
    dst.Clear(0xFF0000FF);
    src.DrawTo(&dst, MakeRect(0, 0, 4, 2));
    EXPECT_EQ(dst.Pixel(1, 1), 0xFF0000FFu) << mode;  // transparent or the key
    TColor32 expect = 0xFF0000FF;
    if (mode == dmBlend)
      BlendRow(&src.Bits()[1], &expect, 1);
    else
      expect = 0x80FF0000;
    EXPECT_EQ(dst.Pixel(3, 1), expect) << mode;
  }
}

TEST(Resamplers, MappingTablesSumTo256ForEveryKernel) {
  for (const auto& entry : KernelList()) {
    const auto kernel = entry.Create();
    for (auto [srcN, dstN] : {std::pair{10, 37}, std::pair{37, 10}, std::pair{5, 5}, std::pair{64, 3}}) {
      const TMappingTable t = BuildMappingTable(0, dstN, 0, dstN, 0, srcN, *kernel);
      ASSERT_EQ(t.size(), size_t(dstN));
      for (const auto& cluster : t) {
        int sum = 0;
        for (const auto& p : cluster) {
          sum += p.Weight;
          EXPECT_GE(p.Pos, 0);
          EXPECT_LT(p.Pos, srcN);
        }
        EXPECT_EQ(sum, 256) << entry.Name << " " << srcN << "->" << dstN;
      }
    }
  }
  // One-pixel sources and clipped spans.
  TLinearKernel lin;
  const TMappingTable one = BuildMappingTable(0, 8, 2, 5, 3, 4, lin);
  ASSERT_EQ(one.size(), 3u);
  EXPECT_EQ(one[0].size(), 1u);
  EXPECT_EQ(one[0][0].Pos, 3);
  EXPECT_EQ(one[0][0].Weight, 256);
  EXPECT_TRUE(BuildMappingTable(0, 8, 0, 8, 3, 3, lin).empty());
}

TEST(Resamplers, KernelResamplingKeepsUniformColoursAndRespectsModes) {
  TBitmap32 src, dst;
  src.SetSize(7, 5);
  src.Clear(0xC0408020);
  for (const std::string name : {"TKernelResampler", "TLinearResampler", "TDraftResampler"}) {
    src.SetResamplerClassName(name);
    for (const auto& entry : KernelList()) {
      if (auto* k = dynamic_cast<TKernelResampler*>(src.Resampler())) k->SetKernelClassName(entry.Name);
      for (auto [w, h] : {std::pair{17, 11}, std::pair{3, 2}}) {
        dst.SetSize(w, h);
        dst.Clear(0);
        src.DrawTo(&dst, dst.BoundsRect());
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            ASSERT_EQ(dst.Pixel(x, y), 0xC0408020u) << name << " " << entry.Name << " " << w << "x" << h;
      }
      if (name != "TKernelResampler") break;
    }
  }
  // dmBlend with master alpha: the resampled colour laid on with BlendPixelMasterInPlace.
  src.SetDrawMode(dmBlend);
  src.SetMasterAlpha(128);
  dst.SetSize(14, 10);
  dst.Clear(0xFF000000);
  src.DrawTo(&dst, dst.BoundsRect());
  TColor32 expect = 0xFF000000;
  BlendPixelMasterInPlace(0xC0408020, expect, 128);
  EXPECT_EQ(dst.Pixel(5, 5), expect);
}

TEST(Resamplers, LinearAndKernelPointSampling) {
  TBitmap32 b;
  b.SetSize(4, 4);
  b.Clear(0xFF808080);
  b.SetOuterColor(0);
  auto& lin = CreateResampler<TLinearResampler>(b);
  lin.PrepareSampling();
  EXPECT_EQ(lin.GetSampleFixed(Fixed(1), Fixed(1)) >> 24, 0xFFu);
  // Safe reads fade toward the outer colour beyond the edge.
  EXPECT_LT(lin.GetSampleFixed(Fixed(3) + 0x8000, Fixed(1)) >> 24, 0xFFu);
  lin.SetPixelAccessMode(pamTransparentEdge);
  EXPECT_EQ(lin.GetSampleFixed(Fixed(-5), Fixed(1)), 0u);
  EXPECT_LT(lin.GetSampleFixed(Fixed(-1) + 0x8000, Fixed(1)) >> 24, 0xFFu);
  lin.FinalizeSampling();

  // Kernel point samples well inside a uniform bitmap keep its colour in every mode.
  TBitmap32 c;
  c.SetSize(9, 9);
  c.Clear(0xFF808080);
  auto& k = CreateResampler<TKernelResampler>(c);
  for (TKernelMode mode : {kmDynamic, kmTableNearest, kmTableLinear}) {
    k.SetKernelMode(mode);
    k.SetKernelClassName("TCubicKernel");
    k.PrepareSampling();
    EXPECT_EQ(k.GetSampleFloat(4.3f, 3.6f), 0xFF808080u) << mode;
    k.FinalizeSampling();
  }
  EXPECT_EQ(c.PixelFR(4, 4), 0xFF808080u);
}

TEST(Transforms, IdentityTranslationAndScale) {
  TBitmap32 src, dst;
  ColumnIndexed(src, 4, 3);
  dst.SetSize(10, 8);
  TAffineTransformation t;
  t.SetSrcRect(FloatRect(src.BoundsRect()));

  dst.Clear(0);
  Transform(&dst, &src, &t);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(dst.Pixel(x, y), x < 4 && y < 3 ? src.Pixel(x, y) : 0u) << x << "," << y;

  dst.Clear(0);
  t.Translate(3, 2);
  Transform(&dst, &src, &t);
  EXPECT_EQ(dst.Pixel(3, 2), src.Pixel(0, 0));
  EXPECT_EQ(dst.Pixel(6, 4), src.Pixel(3, 2));
  EXPECT_EQ(dst.Pixel(7, 4), 0u);
  EXPECT_EQ(dst.Pixel(2, 2), 0u);

  dst.Clear(0);
  t.Clear();
  t.Scale(2);
  Transform(&dst, &src, &t);
  EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(0, 0));
  EXPECT_EQ(dst.Pixel(1, 1), src.Pixel(0, 0));
  EXPECT_EQ(dst.Pixel(2, 0), src.Pixel(1, 0));
  EXPECT_EQ(dst.Pixel(7, 5), src.Pixel(3, 2));
  EXPECT_EQ(dst.Pixel(8, 5), 0u);
  const TFloatRect bounds = t.GetTransformedBounds();
  EXPECT_EQ(bounds, FloatRect(0, 0, 8, 6));

  // Rotation about a centre keeps the centre and turns the axes.
  t.Clear();
  t.Rotate(5, 5, 90);
  const TFloatPoint p = t.Transform(TFloatPoint{6, 5});
  EXPECT_NEAR(p.X, 5, 1e-5);
  EXPECT_NEAR(p.Y, 4, 1e-5);

  // The destination clip limits the area.
  dst.Clear(0);
  dst.SetClipRect(MakeRect(1, 1, 2, 2));
  t.Clear();
  Transform(&dst, &src, &t);
  EXPECT_EQ(dst.Pixel(1, 1), src.Pixel(1, 1));
  EXPECT_EQ(dst.Pixel(0, 0), 0u);
}

TEST(Transforms, FarOffReversePositionsWrapInsteadOfOverflowing) {
  // A wrapped source has no sample bounds, so every destination pixel is
  // reverse-mapped; strong shrinking and far offsets put those positions far
  // outside the 16.16 range, where the sums wrap around.
  TBitmap32 src, dst;
  src.SetSize(8, 8);
  src.Clear(0xFF336699u);
  src.Resampler()->SetPixelAccessMode(pamWrap);
  dst.SetSize(16, 16);
  for (float offset : {-40000.0f, 40000.0f}) {
    TAffineTransformation t;
    t.SetSrcRect(FloatRect(src.BoundsRect()));
    t.Scale(0.5f);
    t.Translate(offset, offset);
    dst.Clear(0);
    Transform(&dst, &src, &t);
    EXPECT_EQ(dst.Pixel(15, 15), 0xFF336699u) << offset;
  }
  TAffineTransformation shrink;
  shrink.Scale(0.0001f);
  dst.Clear(0);
  Transform(&dst, &src, &shrink);
  EXPECT_EQ(dst.Pixel(15, 15), 0xFF336699u);
}
