#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "gfx/bitmap32.h"
#include "gfx/resamplers.h"

namespace {

using PixelSet = std::set<std::pair<int, int>>;

// Pixels that differ from the background colour.
PixelSet Lit(const TCustomBitmap32& B, TColor32 Background = 0xFF000000u) {
  PixelSet s;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      if (B.Pixel(x, y) != Background) s.insert({x, y});
  return s;
}

struct ChangeLog {
  int changes = 0;
  std::vector<std::pair<TRect, uint32_t>> areas;
  void Attach(TCustomBitmap32& B) {
    B.SetOnChange([this](TObject*) { ++changes; });
    B.SetOnAreaChanged([this](TObject*, const TRect& R, uint32_t Info) { areas.push_back({R, Info}); });
  }
};

}  // namespace

TEST(Bitmap32, SizeChangesGiveFreshOpaqueBlackPixelsAndResetClip) {
  TBitmap32 b;
  int resized = 0;
  b.SetOnResize([&](TObject* s) {
    EXPECT_EQ(s, &b);
    ++resized;
  });
  EXPECT_TRUE(b.Empty());
  EXPECT_TRUE(b.SetSize(-5, 10));
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 10);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Bits(), nullptr);

  EXPECT_TRUE(b.SetSize(4, 3));
  EXPECT_FALSE(b.SetSize(4, 3));
  EXPECT_EQ(resized, 2);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(b.Bits()[i], 0xFF000000u);
  b.SetClipRect(MakeRect(1, 1, 2, 2));
  EXPECT_TRUE(b.Clipping());
  b.Clear(0x12345678);
  b.SetSize(5, 3);
  EXPECT_EQ(b.ClipRect(), MakeRect(0, 0, 5, 3));
  EXPECT_FALSE(b.Clipping());
  for (int i = 0; i < 15; ++i) EXPECT_EQ(b.Bits()[i], 0xFF000000u);
  b.Delete();
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32, UpdateBracketsAndPropertySettersNotifyOnlyWhenDue) {
  TBitmap32 b;
  b.SetSize(4, 4);
  ChangeLog log;
  log.Attach(b);

  b.BeginUpdate();
  b.FillRectS(0, 0, 2, 2, 0xFFFFFFFF);
  b.SetMasterAlpha(100);
  b.EndUpdate();
  EXPECT_EQ(log.changes, 0);  // EndUpdate does not notify by itself
  EXPECT_TRUE(log.areas.empty());
  EXPECT_THROW(b.EndUpdate(), EInvalidOperation);

  b.SetMasterAlpha(100);
  b.SetDrawMode(dmOpaque);
  b.SetCombineMode(cmBlend);
  EXPECT_EQ(log.changes, 0);
  b.SetDrawMode(dmBlend);
  b.SetCombineMode(cmMerge);
  b.SetWrapMode(wmMirror);
  EXPECT_EQ(log.changes, 3);
  ASSERT_EQ(log.areas.size(), 3u);
  EXPECT_EQ(log.areas[0].first, b.BoundsRect());
  EXPECT_EQ(log.areas[0].second, AREAINFO_RECT);

  log.areas.clear();
  b.Line(0, 0, 3, 1, 0xFFFFFFFF);
  ASSERT_EQ(log.areas.size(), 1u);
  EXPECT_EQ(log.areas[0].second, AREAINFO_LINE + 2);
}

TEST(Bitmap32, MeasuringReportsAreasWithoutWritingPixels) {
  TBitmap32 b;
  b.SetSize(8, 8);
  ChangeLog log;
  log.Attach(b);
  std::vector<TRect> measured;
  b.BeginMeasuring([&](TObject*, const TRect& R, uint32_t) { measured.push_back(R); });
  b.FillRectS(1, 1, 5, 5, 0xFFFFFFFF);
  b.LineTS(0, 0, 7, 3, 0xFFFFFFFF, true);
  b.HorzLineS(0, 2, 6, 0xFFFFFFFF);
  b.Clear(0xFFFF0000);
  b.EndMeasuring();
  EXPECT_TRUE(Lit(b).empty());
  EXPECT_EQ(log.changes, 0);
  ASSERT_GE(measured.size(), 4u);
  EXPECT_EQ(measured[0], MakeRect(1, 1, 5, 5));
  // The saved handler is back.
  b.FillRectS(0, 0, 1, 1, 0xFFFFFFFF);
  EXPECT_EQ(log.areas.size(), 1u);
}

TEST(Bitmap32, ClippedPixelAccessAndWrapProcedures) {
  TBitmap32 b;
  b.SetSize(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) b.SetPixel(x, y, 0xFF000000u | (y << 4 | x));
  b.SetOuterColor(0x11223344);
  b.SetClipRect(MakeRect(1, 1, 10, 3));
  EXPECT_EQ(b.ClipRect(), MakeRect(1, 1, 4, 3));
  EXPECT_EQ(b.PixelS(0, 1), 0x11223344u);
  EXPECT_EQ(b.PixelS(1, 1), 0xFF000011u);
  b.SetPixelS(0, 0, 0xFFFFFFFF);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF000000u);
  b.SetPixelTS(1, 2, 0x00FFFFFF);  // transparent: unchanged
  EXPECT_EQ(b.Pixel(1, 2), 0xFF000021u);

  // Clamp, repeat and mirror over the clip range [1, 3] x [1, 2].
  EXPECT_EQ(b.PixelW(-5, 0), b.Pixel(1, 1));
  b.SetWrapMode(wmRepeat);
  EXPECT_EQ(b.PixelW(4, 3), b.Pixel(1, 1));
  EXPECT_EQ(b.PixelW(0, 0), b.Pixel(3, 2));
  b.SetWrapMode(wmMirror);
  EXPECT_EQ(b.PixelW(4, 3), b.Pixel(3, 2));
  EXPECT_EQ(b.PixelW(0, 0), b.Pixel(1, 1));
  EXPECT_EQ(Wrap(-1, 0, 3), 3);
  EXPECT_EQ(Wrap(9, 0, 3), 1);
  EXPECT_EQ(Mirror(-1, 0, 3), 0);
  EXPECT_EQ(Mirror(-2, 0, 3), 1);
  EXPECT_EQ(Mirror(4, 0, 3), 3);
  EXPECT_EQ(Mirror(9, 0, 3), 1);
  EXPECT_EQ(Mirror(6, 0, 3), 1);

  b.SetClipRect(MakeRect(8, 8, 9, 9));  // misses the bitmap: empty clip
  EXPECT_TRUE(IsRectEmpty(b.ClipRect()));
  EXPECT_EQ(b.PixelW(2, 2), 0x11223344u);
}

TEST(Bitmap32, BresenhamPixelSets) {
  TBitmap32 b;
  b.SetSize(8, 8);
  b.Line(0, 0, 4, 2, 0xFFFFFFFF);
  EXPECT_EQ(Lit(b), (PixelSet{{0, 0}, {1, 1}, {2, 1}, {3, 2}}));
  b.Line(0, 0, 4, 2, 0xFFFFFFFF, true);
  EXPECT_TRUE(Lit(b).count({4, 2}));

  // LineTS: mirrored into the first octant, steep lines swap axes.
  b.Clear();
  b.LineTS(0, 0, 4, 2, 0xFFFFFFFF);
  EXPECT_EQ(Lit(b), (PixelSet{{0, 0}, {1, 1}, {2, 1}, {3, 2}}));
  b.Clear();
  b.LineTS(4, 2, 0, 0, 0xFFFFFFFF);
  EXPECT_EQ(Lit(b), (PixelSet{{4, 2}, {3, 1}, {2, 1}, {1, 0}}));
  b.Clear();
  b.LineTS(1, 6, 3, 1, 0xFFFFFFFF, true);  // steep, going up
  EXPECT_EQ(Lit(b), (PixelSet{{1, 6}, {1, 5}, {2, 4}, {2, 3}, {3, 2}, {3, 1}}));
  b.Clear();
  b.LineTS(5, 0, 5, 3, 0xFFFFFFFF);  // vertical: end point left out
  EXPECT_EQ(Lit(b), (PixelSet{{5, 0}, {5, 1}, {5, 2}}));
  b.Clear();
  b.LineTS(2, 2, 2, 2, 0xFFFFFFFF);
  EXPECT_TRUE(Lit(b).empty());
  b.LineTS(2, 2, 2, 2, 0xFFFFFFFF, true);
  EXPECT_EQ(Lit(b), (PixelSet{{2, 2}}));
}

// The clipped line draws exactly the unclipped line's pixels that lie inside
// the clip rectangle, in every octant, for lines that start or end far outside.
TEST(Bitmap32, ClippedLinesMatchUnclippedLinesInsideTheClip) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(-12, 44);
  TBitmap32 big, clipped;
  big.SetSize(96, 96);
  clipped.SetSize(32, 32);
  for (int n = 0; n < 400; ++n) {
    const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
    const bool last = n & 1;
    TRect clip = MakeRect(coord(rng) & 15, coord(rng) & 15, 16 + (coord(rng) & 15), 16 + (coord(rng) & 15));
    big.Clear();
    big.LineTS(x1 + 32, y1 + 32, x2 + 32, y2 + 32, 0xFFFFFFFF, last);
    clipped.ResetClipRect();
    clipped.Clear();
    clipped.SetClipRect(clip);
    clipped.LineTS(x1, y1, x2, y2, 0xFFFFFFFF, last);
    PixelSet expected;
    for (auto [x, y] : Lit(big))
      if (PtInRect(clip, Point(x - 32, y - 32))) expected.insert({x - 32, y - 32});
    ASSERT_EQ(Lit(clipped), expected) << x1 << "," << y1 << " -> " << x2 << "," << y2 << " L=" << last;

    // The anti-aliased line obeys the same rule.
    big.Clear();
    big.LineAS(x1 + 32, y1 + 32, x2 + 32, y2 + 32, 0xFFFFFFFF, last);
    clipped.Clear();
    clipped.LineAS(x1, y1, x2, y2, 0xFFFFFFFF, last);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const TColor32 want = PtInRect(clip, Point(x, y)) ? big.Pixel(x + 32, y + 32) : 0xFF000000u;
        ASSERT_EQ(clipped.Pixel(x, y), want) << x << "," << y;
      }
  }
}

TEST(Bitmap32, FarAwayLinesAreClippedWithoutWalkingThem) {
  TBitmap32 b;
  b.SetSize(16, 16);
  b.LineTS(-2000000000, -1999999990, 2000000000, 2000000000, 0xFFFFFFFF, true);
  b.LineAS(-2000000000, -1999999990, 2000000000, 2000000000, 0xFFFFFFFF, true);
  b.LineS(INT32_MIN, 5, INT32_MAX, 6, 0xFFFFFFFF);
  b.LineXS(Fixed(-30000), Fixed(-29990), Fixed(30000), Fixed(30000), 0xFFFFFFFF);
  // Ends at the very top of the 16.16 range: the reported area must not overflow.
  b.LineXS(0, 0, INT32_MAX, INT32_MAX, 0xFFFFFFFF);
  const PixelSet lit = Lit(b);
  EXPECT_FALSE(lit.empty());
  for (auto [x, y] : lit) EXPECT_TRUE(x >= 0 && x < 16 && y >= 0 && y < 16);
}

TEST(Bitmap32, AntiAliasedLineCoverage) {
  TBitmap32 b;
  b.SetSize(12, 6);
  b.Clear(0xFF000000);
  b.LineAS(0, 0, 10, 3, 0xFFFFFFFF);
  EXPECT_EQ(b.Pixel(0, 0), 0xFFFFFFFFu);  // first point at full weight
  // Every column 1..9 is lit in the one or two rows around the ideal line only.
  for (int x = 1; x < 10; ++x) {
    const double ideal = x * 0.3;
    int total = 0;
    for (int y = 0; y < 6; ++y) {
      const int v = b.Pixel(x, y) & 0xFF;
      if (v) {
        EXPECT_LT(std::abs(y - ideal), 1.0) << x << "," << y;
      }
      total += v;
    }
    EXPECT_GT(total, 100) << x;
    EXPECT_LE(total, 2 * 255) << x;
  }
  EXPECT_EQ(b.Pixel(10, 3), 0xFF000000u);  // no end point without L
}

TEST(Bitmap32, RectanglesAndTheirNotifications) {
  TBitmap32 b;
  b.SetSize(6, 6);
  ChangeLog log;
  log.Attach(b);
  b.FillRectTS(0, 0, 6, 6, 0x00FFFFFF);
  EXPECT_TRUE(Lit(b).empty());
  EXPECT_EQ(log.changes, 0);
  b.FillRectTS(MakeRect(-3, -3, 2, 2), 0xFF123456);
  EXPECT_EQ(Lit(b).size(), 4u);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF123456u);
  // Partly transparent: CombinePixelInPlace with the colour's alpha.
  b.FillRectT(3, 3, 4, 4, 0x80FFFFFF);
  TColor32 expect = 0xFF000000;
  CombinePixelInPlace(0x80FFFFFF, expect, 0x80);
  EXPECT_EQ(b.Pixel(3, 3), expect);

  b.Clear();
  b.FrameRectS(1, 1, 2, 2, 0xFFFFFFFF);
  EXPECT_EQ(Lit(b), (PixelSet{{1, 1}}));
  b.Clear();
  b.FrameRectS(MakeRect(1, 1, 3, 3), 0xFFFFFFFF);
  EXPECT_EQ(Lit(b).size(), 4u);
  b.Clear();
  b.FrameRectS(0, 0, 6, 5, 0xFFFFFFFF);
  EXPECT_EQ(Lit(b).size(), 18u);
  EXPECT_FALSE(Lit(b).count({1, 1}));

  b.Clear(0xFF808080);
  b.RaiseRectTS(0, 0, 4, 4, 50);
  EXPECT_GT(b.Pixel(0, 0) & 0xFF, 0x80u);  // light top-left
  EXPECT_LT(b.Pixel(3, 3) & 0xFF, 0x80u);  // dark bottom-right
  EXPECT_EQ(b.Pixel(1, 1), 0xFF808080u);
}

TEST(Bitmap32, StippleColours) {
  TBitmap32 b;
  EXPECT_EQ(b.GetStippleColor(), 0xFF000000u);
  b.SetStipple({0xFFFFFFFF, 0xFF000000});
  EXPECT_EQ(b.GetStippleColor(), 0xFFFFFFFFu);
  EXPECT_EQ(b.GetStippleColor(), 0xFF000000u);
  EXPECT_EQ(b.GetStippleColor(), 0xFFFFFFFFu);
  b.SetStippleStep(0.5f);
  b.SetStippleCounter(0.5f);
  const TColor32 mid = b.GetStippleColor();
  EXPECT_GT(mid & 0xFF, 0x60u);
  EXPECT_LT(mid & 0xFF, 0xA0u);
  b.SetSize(6, 1);
  b.SetStipple({0xFFFFFFFF, 0xFF000000});
  b.SetStippleStep(1);
  b.HorzLineTSP(0, 0, 5);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(b.Pixel(x, 0), x % 2 ? 0xFF000000u : 0xFFFFFFFFu);
  // Without a pattern every stipple colour is opaque black, on spans as on lines.
  TBitmap32 plain;
  plain.SetSize(3, 3);
  plain.Clear(0xFFFFFFFF);
  plain.HorzLineTSP(0, 0, 2);
  plain.VertLineTSP(2, 1, 2);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(plain.Pixel(x, 0), 0xFF000000u) << x;
  EXPECT_EQ(plain.Pixel(2, 2), 0xFF000000u);
  EXPECT_EQ(plain.Pixel(1, 1), 0xFFFFFFFFu);
}

TEST(Bitmap32, ClippedStippledSpansKeepThePatternContinuous) {
  // A span cut by the clip rectangle shows the same pattern phase inside the
  // clip as the uncut span, in both directions and on both axes.
  const TArrayOfColor32 pattern = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (bool vertical : {false, true})
    for (bool backwards : {false, true}) {
      TBitmap32 whole, cut;
      for (TBitmap32* b : {&whole, &cut}) {
        b->SetSize(12, 12);
        b->Clear(0);
        b->SetStipple(pattern);
      }
      cut.SetClipRect(MakeRect(3, 3, 8, 8));
      const int32_t from = backwards ? 10 : 1, to = backwards ? 1 : 10;
      for (TBitmap32* b : {&whole, &cut}) {
        if (vertical)
          b->VertLineTSP(5, from, to);
        else
          b->HorzLineTSP(from, 5, to);
      }
      for (int i = 0; i < 12; ++i) {
        const int x = vertical ? 5 : i, y = vertical ? i : 5;
        const bool inside = i >= 3 && i < 8;
        EXPECT_EQ(cut.Pixel(x, y), inside ? whole.Pixel(x, y) : 0u) << vertical << backwards << i;
      }
      // Both leave the counter at the same place for the next span.
      EXPECT_EQ(cut.GetStippleColor(), whole.GetStippleColor());
    }
}

TEST(Bitmap32, BlockTransferDrawModes) {
  TBitmap32 src, dst;
  src.SetSize(3, 1);
  src.SetPixel(0, 0, 0x00FF00FF);  // the key, alpha included
  src.SetPixel(1, 0, 0xFFFF00FF);  // same colour, other alpha: copied
  src.SetPixel(2, 0, 0x80102030);
  dst.SetSize(4, 2);
  dst.Clear(0xFF0000FF);

  src.SetDrawMode(dmTransparent);
  src.SetOuterColor(0x00FF00FF);
  src.DrawTo(&dst, 1, 1);
  EXPECT_EQ(dst.Pixel(1, 1), 0xFF0000FFu);
  EXPECT_EQ(dst.Pixel(2, 1), 0xFFFF00FFu);
  EXPECT_EQ(dst.Pixel(3, 1), 0x80102030u);

  // dmBlend: master alpha 0 does nothing and does not notify.
  ChangeLog log;
  log.Attach(dst);
  src.SetDrawMode(dmBlend);
  src.SetMasterAlpha(0);
  dst.Clear(0xFF0000FF);
  log.changes = 0;
  src.DrawTo(&dst);
  EXPECT_EQ(log.changes, 0);
  EXPECT_TRUE(Lit(dst, 0xFF0000FF).empty());

  // Master alpha and both combine modes go through the bound row operations.
  for (TCombineMode mode : {cmBlend, cmMerge}) {
    for (uint32_t master : {255u, 100u}) {
      src.SetCombineMode(mode);
      src.SetMasterAlpha(master);
      dst.Clear(0x80FFFF00);
      src.DrawTo(&dst, 0, 0);
      TColor32 expect[3];
      for (int i = 0; i < 3; ++i) expect[i] = 0x80FFFF00;
      if (master == 255)
        (mode == cmMerge ? MergeRow : BlendRow)(src.Bits(), expect, 3);
      else
        (mode == cmMerge ? MergeRowMaster : BlendRowMaster)(src.Bits(), expect, 3, master);
      for (int i = 0; i < 3; ++i) EXPECT_EQ(dst.Pixel(i, 0), expect[i]) << mode << " " << master << " " << i;
      EXPECT_EQ(dst.Pixel(3, 0), 0x80FFFF00u);
    }
  }

  // dmCustom gets (F, B, MasterAlpha); without a handler it copies.
  src.SetDrawMode(dmCustom);
  src.SetMasterAlpha(7);
  dst.Clear(0xFF000000);
  src.DrawTo(&dst);
  EXPECT_EQ(dst.Pixel(0, 0), 0x00FF00FFu);
  src.SetOnPixelCombine([](TColor32 F, TColor32& B, TColor32 M) { B = F ^ M; });
  src.DrawTo(&dst, 0, 1);
  EXPECT_EQ(dst.Pixel(2, 1), 0x80102030u ^ 7u);
}

TEST(Bitmap32, BlockTransferClipsToDestinationAndSourceBounds) {
  TBitmap32 src, dst;
  src.SetSize(4, 4);
  src.Clear(0xFFFFFFFF);
  dst.SetSize(8, 8);
  dst.SetClipRect(MakeRect(2, 2, 6, 6));
  ChangeLog log;
  log.Attach(dst);
  src.DrawTo(&dst, 4, 4, MakeRect(-2, -2, 3, 3));
  // Source rect cut to (0, 0, 3, 3) at (6, 6)... then cut to the clip: nothing.
  EXPECT_TRUE(Lit(dst).empty());
  src.DrawTo(&dst, 0, 0, MakeRect(0, 0, 4, 4));
  EXPECT_EQ(Lit(dst), (PixelSet{{2, 2}, {3, 2}, {2, 3}, {3, 3}}));
  ASSERT_FALSE(log.areas.empty());
  EXPECT_EQ(log.areas.back().first, MakeRect(2, 2, 4, 4));
  EXPECT_THROW(src.DrawTo(nullptr), EBitmapException);
  dst.Draw(0, 0, nullptr);  // a missing source does nothing
  // Copying within one bitmap works on overlapping areas.
  TBitmap32 b;
  b.SetSize(4, 1);
  for (int i = 0; i < 4; ++i) b.SetPixel(i, 0, 0xFF000000u + i);
  b.DrawTo(&b, 1, 0);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF000000u);
  EXPECT_EQ(b.Pixel(3, 0), 0xFF000002u);
}

TEST(Bitmap32, AssignCopiesPixelsAndProperties) {
  TBitmap32 a, b;
  a.SetSize(2, 2);
  a.Clear(0xFF112233);
  a.SetDrawMode(dmBlend);
  a.SetCombineMode(cmMerge);
  a.SetMasterAlpha(90);
  a.SetOuterColor(0x01020304);
  a.SetResamplerClassName("TKernelResampler");
  static_cast<TKernelResampler*>(a.Resampler())->SetKernelClassName("TLanczosKernel");
  b.Assign(&a);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF112233u);
  EXPECT_EQ(b.DrawMode(), dmBlend);
  EXPECT_EQ(b.CombineMode(), cmMerge);
  EXPECT_EQ(b.MasterAlpha(), 90u);
  EXPECT_EQ(b.OuterColor(), 0x01020304u);
  EXPECT_EQ(b.ResamplerClassName(), "TKernelResampler");
  EXPECT_EQ(static_cast<TKernelResampler*>(b.Resampler())->KernelClassName(), "TLanczosKernel");
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
  TNotifiablePersistent other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
  EXPECT_THROW(b.SetSizeFrom(&other), EBitmapException);
}

TEST(Bitmap32, GeometricOperations) {
  TBitmap32 b, d;
  b.SetSize(3, 2);
  for (int i = 0; i < 6; ++i) b.Bits()[i] = TColor32(i);  // rows: 0 1 2 / 3 4 5
  b.FlipHorz(&d);
  EXPECT_EQ(std::vector<TColor32>(d.Bits(), d.Bits() + 6), (std::vector<TColor32>{2, 1, 0, 5, 4, 3}));
  b.FlipVert(&d);
  EXPECT_EQ(std::vector<TColor32>(d.Bits(), d.Bits() + 6), (std::vector<TColor32>{3, 4, 5, 0, 1, 2}));
  b.Rotate180(&d);
  EXPECT_EQ(std::vector<TColor32>(d.Bits(), d.Bits() + 6), (std::vector<TColor32>{5, 4, 3, 2, 1, 0}));
  b.Rotate90(&d);  // clockwise: 3 0 / 4 1 / 5 2
  EXPECT_EQ(d.Width(), 2);
  EXPECT_EQ(std::vector<TColor32>(d.Bits(), d.Bits() + 6), (std::vector<TColor32>{3, 0, 4, 1, 5, 2}));
  b.Rotate270(&d);  // counter-clockwise: 2 5 / 1 4 / 0 3
  EXPECT_EQ(std::vector<TColor32>(d.Bits(), d.Bits() + 6), (std::vector<TColor32>{2, 5, 1, 4, 0, 3}));
  b.Rotate90();  // in place
  b.Rotate270();
  EXPECT_EQ(std::vector<TColor32>(b.Bits(), b.Bits() + 6), (std::vector<TColor32>{0, 1, 2, 3, 4, 5}));

  b.Roll(1, 0, true, 9);
  EXPECT_EQ(std::vector<TColor32>(b.Bits(), b.Bits() + 6), (std::vector<TColor32>{9, 0, 1, 9, 3, 4}));
  b.Roll(0, -1, true, 7);
  EXPECT_EQ(std::vector<TColor32>(b.Bits(), b.Bits() + 6), (std::vector<TColor32>{9, 3, 4, 7, 7, 7}));
  b.Roll(5, 0, true, 1);
  EXPECT_EQ(std::vector<TColor32>(b.Bits(), b.Bits() + 6), (std::vector<TColor32>{1, 1, 1, 1, 1, 1}));
}

// ---- Stored forms ----------------------------------------------------------

TEST(Bitmap32Stream, DataBlockRoundTripAndAncestorRule) {
  const uint8_t block[] = {2, 0, 0, 0, 1, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
  TReadOnlyMemoryStream in(block, sizeof block);
  TBitmap32 b;
  b.ReadData(in);
  ASSERT_EQ(b.Width(), 2);
  ASSERT_EQ(b.Height(), 1);
  EXPECT_EQ(b.Pixel(0, 0), 0x40302010u);
  EXPECT_EQ(b.Pixel(1, 0), 0x80706050u);
  TMemoryStream out;
  b.WriteData(out);
  ASSERT_EQ(out.Bytes().size(), sizeof block);
  EXPECT_EQ(std::memcmp(out.Bytes().data(), block, sizeof block), 0);

  TBitmap32 same, empty1, empty2;
  same.Assign(&b);
  EXPECT_TRUE(b.DataStored(nullptr));
  EXPECT_FALSE(empty1.DataStored(nullptr));
  EXPECT_FALSE(b.DataStored(&same));
  EXPECT_FALSE(empty1.DataStored(&empty2));
  EXPECT_TRUE(empty1.DataStored(&b));
  same.SetPixel(1, 0, 0);
  EXPECT_TRUE(b.DataStored(&same));
  TCustomBitmap32 otherClass;
  otherClass.Assign(&b);
  EXPECT_TRUE(b.DataStored(&otherClass));
}

TEST(Bitmap32Stream, CorruptDataBlocksRaiseAndLeaveTheBitmapEmpty) {
  auto block = [](int32_t w, int32_t h, size_t pixelBytes) {
    std::vector<uint8_t> v(8 + pixelBytes, 0xAB);
    std::memcpy(v.data(), &w, 4);
    std::memcpy(v.data() + 4, &h, 4);
    return v;
  };
  const std::vector<std::vector<uint8_t>> bad = {
      block(2, 2, 15), block(-1, 4, 16), block(4, -1, 16), block(0x10000, 0x10000, 64),
      block(INT32_MAX, INT32_MAX, 0), std::vector<uint8_t>{1, 0, 0}};
  for (const auto& v : bad) {
    TBitmap32 b;
    b.SetSize(3, 3);
    TReadOnlyMemoryStream in(v.data(), int64_t(v.size()));
    EXPECT_THROW(b.ReadData(in), EReadError);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
  }
}

TEST(Bitmap32Stream, BmpRoundTripsInBothRowOrders) {
  TBitmap32 b;
  b.SetSize(3, 2);
  for (int i = 0; i < 6; ++i) b.Bits()[i] = 0x01020304u * (i + 1);
  for (bool topDown : {false, true}) {
    TMemoryStream s;
    b.SaveToStream(s, topDown);
    ASSERT_EQ(s.Bytes().size(), 54u + 24u);
    int32_t height;
    std::memcpy(&height, s.Bytes().data() + 22, 4);
    EXPECT_EQ(height, topDown ? 2 : -2);
    s.SetPosition(0);
    TBitmap32 c;
    c.LoadFromStream(s);
    ASSERT_EQ(c.Width(), 3);
    ASSERT_EQ(c.Height(), 2);
    EXPECT_EQ(std::memcmp(c.Bits(), b.Bits(), 24), 0) << topDown;
  }
}

TEST(Bitmap32Stream, Loads24BitBmpWithPaddedRows) {
  // 2 x 2, 24 bits, bottom-up then top-down; rows padded to 8 bytes.
  for (int32_t height : {2, -2}) {
    std::vector<uint8_t> f(54 + 16, 0);
    f[0] = 'B';
    f[1] = 'M';
    const uint32_t off = 54, hdr = 40, size = uint32_t(f.size());
    const int32_t width = 2;
    const uint16_t planes = 1, bits = 24;
    std::memcpy(&f[2], &size, 4);
    std::memcpy(&f[10], &off, 4);
    std::memcpy(&f[14], &hdr, 4);
    std::memcpy(&f[18], &width, 4);
    std::memcpy(&f[22], &height, 4);
    std::memcpy(&f[26], &planes, 2);
    std::memcpy(&f[28], &bits, 2);
    const uint8_t rows[2][6] = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};  // file order
    std::memcpy(&f[54], rows[0], 6);
    std::memcpy(&f[62], rows[1], 6);
    TReadOnlyMemoryStream in(f.data(), int64_t(f.size()));
    TBitmap32 b;
    b.LoadFromStream(in);
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 2);
    const int firstFileRowAt = height > 0 ? 1 : 0;
    EXPECT_EQ(b.Pixel(0, firstFileRowAt), 0xFF030201u);
    EXPECT_EQ(b.Pixel(1, firstFileRowAt), 0xFF060504u);
    EXPECT_EQ(b.Pixel(0, 1 - firstFileRowAt), 0xFF090807u);
  }
}

TEST(Bitmap32Stream, FileRoundTrip) {
  const auto path = std::filesystem::temp_directory_path() / "quorrel_bitmap32_test.bmp";
  TBitmap32 b;
  b.SetSize(5, 4);
  b.Clear(0x80402010);
  b.SaveToFile(path);
  TBitmap32 c;
  c.LoadFromFile(path);
  std::filesystem::remove(path);
  EXPECT_EQ(c.Width(), 5);
  EXPECT_EQ(c.Pixel(4, 3), 0x80402010u);
}

namespace {
// A second memory backend class, to see the pixels move across a switch.
class TCountingBackend : public TMemoryBackend {
public:
  using TMemoryBackend::TMemoryBackend;
  static inline int Prepared = 0;

protected:
  void PrepareSurface(int32_t W, int32_t H, bool ClearBuffer) override {
    ++Prepared;
    TMemoryBackend::PrepareSurface(W, H, ClearBuffer);
  }
};
}  // namespace

TEST(Bitmap32, BackendSwitchKeepsPixelsAndHandleEventsFollowSizeChanges) {
  TBitmap32 b;
  int handles = 0;
  b.SetOnHandleChanged([&](TObject*) { ++handles; });
  b.SetSize(3, 2);
  EXPECT_EQ(handles, 1);
  b.Clear(0xFF445566);
  b.SetClipRect(MakeRect(0, 0, 1, 1));
  TCustomBackend* old = b.Backend();
  b.SetBackend(NewBackend<TCountingBackend>(nullptr));
  EXPECT_NE(b.Backend(), old);
  EXPECT_EQ(b.Backend()->Owner(), &b);
  EXPECT_EQ(b.Backend()->RefCount(), 1);
  EXPECT_EQ(TCountingBackend::Prepared, 1);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Pixel(2, 1), 0xFF445566u);
  EXPECT_EQ(b.ClipRect(), b.BoundsRect());
  b.SetSize(1, 1);
  EXPECT_EQ(TCountingBackend::Prepared, 2);
  EXPECT_GE(handles, 2);
  b.Lock();
  EXPECT_EQ(b.LockCount(), 1);
  b.Unlock();
  EXPECT_EQ(b.LockCount(), 0);
}
