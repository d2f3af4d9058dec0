// The frame's painting arithmetic against references written from the rules:
// the skin tint, the gradient's line values, the background bitmaps, the fade
// into the average colour and the frame lines.
#include "skin/frame/frame_paint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "gfx/blend.h"

namespace {

TColor Rgb(int R, int G, int B) { return static_cast<TColor>(R | (G << 8) | (B << 16)); }

class FramePaint : public ::testing::Test {
protected:
  static void SetUpTestSuite() { GR32Initialize(); }
};

// ---- HSBAdjust --------------------------------------------------------------------------------

TEST_F(FramePaint, GreyKeepsItsHueAndSaturationAndOnlyBrightnessMovesIt) {
  for (int v : {0, 1, 64, 128, 200, 255}) {
    const TColor grey = Rgb(v, v, v);
    for (int h : {-180, -30, 0, 45, 120, 359})
      for (int s : {-100, -50, 0, 40, 100}) EXPECT_EQ(HSBAdjust(grey, h, s, 0), grey) << v << " " << h << " " << s;
    // Brightness up: c + b(255 - c)/255; down: c + b c/255 (b = B * 255 / 100, truncated).
    const int up = v + 127 * (255 - v) / 255, down = v + (-127) * v / 255;
    EXPECT_EQ(HSBAdjust(grey, 90, 30, 50), Rgb(up, up, up));
    EXPECT_EQ(HSBAdjust(grey, 0, 0, -50), Rgb(down, down, down));
  }
  EXPECT_EQ(HSBAdjust(Rgb(10, 20, 30), 0, 0, 100), Rgb(255, 255, 255));
  EXPECT_EQ(HSBAdjust(Rgb(10, 20, 30), 0, 0, -100), Rgb(0, 0, 0));
}

TEST_F(FramePaint, NoTintLeavesEveryColourAsItIs) {
  for (TColor c : {Rgb(70, 196, 255), Rgb(220, 15, 255), Rgb(1, 2, 3), Rgb(255, 0, 0)}) EXPECT_EQ(HSBAdjust(c, 0, 0, 0), c);
}

TEST_F(FramePaint, HueShiftsWalkThroughEverySector) {
  // Pure red (lightness 127, one below the middle): the middle value follows
  // the ramp e = (f * 255 + 30) / 60 of the sector's position f, less e / 128.
  const TColor red = Rgb(255, 0, 0);
  EXPECT_EQ(HSBAdjust(red, 30, 0, 0), Rgb(255, 127, 0));   // sector 0
  EXPECT_EQ(HSBAdjust(red, 90, 0, 0), Rgb(127, 255, 0));   // sector 1: f = 60 - 30
  EXPECT_EQ(HSBAdjust(red, 120, 0, 0), Rgb(0, 255, 0));    // sector 2, f = 0
  EXPECT_EQ(HSBAdjust(red, 150, 0, 0), Rgb(0, 255, 127));  // sector 2
  EXPECT_EQ(HSBAdjust(red, 210, 0, 0), Rgb(0, 127, 255));  // sector 3
  EXPECT_EQ(HSBAdjust(red, 270, 0, 0), Rgb(127, 0, 255));  // sector 4
  EXPECT_EQ(HSBAdjust(red, 330, 0, 0), Rgb(255, 0, 127));  // sector 5
  EXPECT_EQ(HSBAdjust(red, 360, 0, 0), red);               // sector 6
  EXPECT_EQ(HSBAdjust(red, -90, 0, 0), Rgb(127, 0, 255));  // wraps below 0
  // Lightness above the middle lifts the middle value toward white.
  const TColor light = Rgb(255, 128, 128);  // L = 191, Sat = 255
  const int d = 191 - 128, e = (0 * 255 + 30) / 60;
  const int mid = (d * (255 - e) + 64) / 128 + e;
  EXPECT_EQ(HSBAdjust(light, 120, 0, 0), Rgb(128, 255, mid));
}

TEST_F(FramePaint, SaturationPullsChannelsAwayFromOrTowardTheLightness) {
  const TColor c = Rgb(200, 100, 50);  // L = 125, Sat = 150 * 255 / 250 = 153
  // Down: s = -127, each channel c + s (c - L) / 255.
  auto down = [](int v) { return std::clamp(v + (-127) * (v - 125) / 255, 0, 255); };
  EXPECT_EQ(HSBAdjust(c, 0, -50, 0), Rgb(down(200), down(100), down(50)));
  // Up: s = 127, s + Sat >= 255 so d = Sat and s = 65025 / 153 - 255.
  const int s = 65025 / 153 - 255;
  auto up = [s](int v) { return std::clamp(v + s * (v - 125) / 255, 0, 255); };
  EXPECT_EQ(HSBAdjust(c, 0, 50, 0), Rgb(up(200), up(100), up(50)));
}

// ---- Gradient ---------------------------------------------------------------------------------

// The rule, written out separately: channel = (from + ((step * i * (to - from)) mod 2^32) >> 24) mod 256.
uint8_t ReferenceChannel(int From, int To, int Lines, int Line) {
  const int n = Lines < 1 ? 1 : Lines;
  const double exact = 16777216.0 / n;
  uint32_t step = static_cast<uint32_t>(std::nearbyint(exact));  // ties to even
  const uint64_t product = static_cast<uint64_t>(step) * static_cast<uint64_t>(Line) *
                           static_cast<uint64_t>(static_cast<uint32_t>(To - From));
  return static_cast<uint8_t>((From + ((product & 0xFFFFFFFFu) >> 24)) & 0xFF);
}

TEST_F(FramePaint, GradientStepRoundsToNearestWithTiesToEven) {
  for (int n : {1, 2, 3, 7, 27, 168, 255, 1000, 4096, 65535, 1 << 20})
    EXPECT_EQ(GradientStep(n), static_cast<uint32_t>(std::nearbyint(16777216.0 / n))) << n;
  EXPECT_EQ(GradientStep(0), 1u << 24);
  EXPECT_EQ(GradientStep(-5), 1u << 24);
  // 2^24 / 2^25 is exactly one half: it goes to the even 0.
  EXPECT_EQ(GradientStep(1 << 25), 0u);
  EXPECT_EQ(GradientStep(3 << 23), 1u);  // 2/3 rounds up
}

TEST_F(FramePaint, GradientChannelsMatchTheRuleForEveryPair) {
  for (int lines : {1, 5, 27, 168}) {
    const uint32_t step = GradientStep(lines);
    for (int from = 0; from < 256; from += 3)
      for (int to = 0; to < 256; to += 5)
        for (int line = 0; line < lines; line += std::max(1, lines / 9))
          ASSERT_EQ(GradientChannel(from, to, step, line), ReferenceChannel(from, to, lines, line))
              << lines << " " << from << " " << to << " " << line;
  }
}

TEST_F(FramePaint, TheLastLineEndsOneStepShortAndTheTitleShowsTheTopRows) {
  const TColor from = Rgb(70, 196, 255), to = Rgb(225, 236, 242);
  const uint32_t step = GradientStep(168);
  EXPECT_EQ(GradientLine(from, to, step, 0), 0x0046C4FFu);
  const TColor32 last = GradientLine(from, to, step, 167);
  EXPECT_EQ((last >> 16) & 0xFF, ReferenceChannel(70, 225, 168, 167));
  EXPECT_LT((last >> 16) & 0xFF, 225u);
  EXPECT_GT((last >> 8) & 0xFF, 236u - 2);

  // A 654 x 27 title strip holds rows 0..26 of the 168-row gradient.
  TBitmap32 title;
  title.SetSize(654, 27);
  title.Clear(0xFFFFFFFF);
  const TColor game = Rgb(220, 15, 255);
  GradientFillBitmap(title, game, to, false, TRect{0, 0, 654, 168});
  for (int y = 0; y < 27; ++y) {
    const TColor32 expected = GradientLine(game, to, step, y);
    EXPECT_EQ(title.Pixel(0, y), expected);
    EXPECT_EQ(title.Pixel(653, y), expected);
    EXPECT_EQ(expected >> 24, 0u);  // the copied DIB has no alpha
  }
}

TEST_F(FramePaint, GradientFillIsClippedToTheBitmapAndAZeroHighRectUsesOneLine) {
  TBitmap32 b;
  b.SetSize(10, 10);
  b.Clear(0xFF123456);
  GradientFillBitmap(b, Rgb(0, 0, 0), Rgb(255, 255, 255), true, TRect{-5, 2, 15, 4});
  const uint32_t step = GradientStep(20);
  EXPECT_EQ(b.Pixel(0, 2), GradientLine(Rgb(0, 0, 0), Rgb(255, 255, 255), step, 5));
  EXPECT_EQ(b.Pixel(9, 3), GradientLine(Rgb(0, 0, 0), Rgb(255, 255, 255), step, 14));
  EXPECT_EQ(b.Pixel(0, 1), 0xFF123456u);
  EXPECT_EQ(b.Pixel(0, 4), 0xFF123456u);
  // Zero lines count as one, and a zero-high rectangle draws nothing.
  EXPECT_EQ(GradientStep(0), GradientStep(1));
  GradientFillBitmap(b, Rgb(0, 0, 0), Rgb(255, 255, 255), false, TRect{0, 6, 10, 6});
  EXPECT_EQ(b.Pixel(5, 6), 0xFF123456u);
}

TEST_F(FramePaint, TheClientGraphicContinuesTheStripBelowTheTitle) {
  const TColor nc = Rgb(220, 15, 255), client = Rgb(225, 236, 242);
  TBitmap32 strip, graphic;
  BuildGradientStrip(strip, 1290, 168, nc, client);
  ASSERT_EQ(strip.Width(), 1290);
  ASSERT_EQ(strip.Height(), 168);
  BuildColorGraphic(graphic, 654, 550, client, &strip, 0, -27);
  EXPECT_EQ(graphic.Width(), 664);
  EXPECT_EQ(graphic.Height(), 560);
  const uint32_t step = GradientStep(168);
  for (int y : {0, 10, 140})
    for (int x : {0, 300, 663}) EXPECT_EQ(graphic.Pixel(x, y), GradientLine(nc, client, step, y + 27)) << x << "," << y;
  EXPECT_EQ(graphic.Pixel(300, 141), ToColor32(client));
  EXPECT_EQ(graphic.Pixel(300, 559), ToColor32(client));
  BuildColorGraphic(graphic, 100, 50, client, nullptr, 0, 0);
  EXPECT_EQ(graphic.Pixel(5, 5), ToColor32(client));
  BuildGradientStrip(strip, 100, 0, nc, client);
  EXPECT_TRUE(strip.Empty());
}

// ---- Fade to the average colour ---------------------------------------------------------------

TEST_F(FramePaint, FadeToAverageBlendsTheRightAndBottomBandsIntoTheAverage) {
  TBitmap32 p;
  p.SetSize(300, 200);
  // Left half black, right half white: the average is mid grey.
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) p.SetPixel(x, y, x < 150 ? 0xFF000000 : 0xFFFFFFFF);
  const TColor average = FadeToAverage(p);
  EXPECT_EQ(average, Rgb(127, 127, 127));
  const TColor32 avg = 0xFF7F7F7F;
  // Untouched above and left of the bands.
  EXPECT_EQ(p.Pixel(10, 10), 0xFF000000u);
  EXPECT_EQ(p.Pixel(199, 99), 0xFFFFFFFFu);
  // Column k of the right band: alpha 255 - [k * 2.55], ties to even (k = 10 -> 25.5 -> 26).
  auto alpha = [](int k) { return 255u - static_cast<uint32_t>(std::nearbyint(k * 255.0 / 100.0)); };
  for (int k : {0, 10, 30, 50, 99}) {
    EXPECT_EQ(p.Pixel(200 + k, 50), CombinePixel(0xFFFFFFFF, avg, alpha(k))) << k;
    EXPECT_EQ(p.Pixel(100, 100 + k), CombinePixel(0xFF000000, avg, alpha(k))) << k;
  }
  EXPECT_EQ(alpha(10), 229u);
  // The corner fades by the distance from its inner corner, capped at 99.
  EXPECT_EQ(p.Pixel(200 + 6, 100 + 8), CombinePixel(0xFFFFFFFF, avg, alpha(10)));
  EXPECT_EQ(p.Pixel(299, 199), CombinePixel(0xFFFFFFFF, avg, alpha(99)));
  for (int y = 0; y < 200; y += 7)
    for (int x = 0; x < 300; x += 7) ASSERT_EQ(p.Pixel(x, y) >> 24, 0xFFu);
}

TEST_F(FramePaint, FadeToAverageOfSmallAndEmptyPicturesIsSafe) {
  TBitmap32 small;
  small.SetSize(30, 20);
  small.Clear(0xFF204060);
  EXPECT_EQ(FadeToAverage(small), Rgb(0x20, 0x40, 0x60));
  EXPECT_EQ(small.Pixel(29, 19), 0xFF204060u);  // a uniform picture fades into itself
  TBitmap32 empty;
  EXPECT_EQ(FadeToAverage(empty), Rgb(0, 0, 0));
}

// ---- Picture backgrounds ----------------------------------------------------------------------

TEST_F(FramePaint, EachFillStyleSizesTheGraphicAndPlacesThePicture) {
  TBitmap32 picture;
  picture.SetSize(40, 20);
  picture.Clear(0xFF0000FF);
  TBitmap32 graphic;
  TColor bg = Rgb(1, 2, 3);

  FillPictureGraphic(graphic, picture, mfsBlur, 100, 50, 5, 6, bg);
  EXPECT_EQ(graphic.Width(), 110);
  EXPECT_EQ(graphic.Height(), 60);
  EXPECT_EQ(bg, Rgb(1, 2, 3));
  EXPECT_EQ(graphic.Pixel(4, 6), ToColor32(Rgb(1, 2, 3)));
  EXPECT_EQ(graphic.Pixel(5, 6), 0xFF0000FFu);
  EXPECT_EQ(graphic.Pixel(44, 25), 0xFF0000FFu);
  EXPECT_EQ(graphic.Pixel(45, 25), ToColor32(Rgb(1, 2, 3)));

  FillPictureGraphic(graphic, picture, mfsTile, 100, 50, 0, 0, bg);
  EXPECT_EQ(bg, 0xFFFFFF);
  EXPECT_EQ(graphic.Width(), 110);
  EXPECT_EQ(graphic.Pixel(105, 55), 0xFF0000FFu);

  // Stretch covers the graphic: 110 x 60 from 40 x 20 scales by 3 (120 x 60), centred.
  picture.SetPixel(0, 10, 0xFFFF0000);
  FillPictureGraphic(graphic, picture, mfsStretch, 100, 50, 0, 0, bg);
  EXPECT_EQ(graphic.Width(), 110);
  EXPECT_EQ(graphic.Height(), 60);
  EXPECT_EQ(graphic.Pixel(55, 30) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(graphic.Pixel(0, 0) >> 24, 0xFFu);  // covered to the corners

  FillPictureGraphic(graphic, picture, mfs9Block, 100, 50, 0, 0, bg);
  EXPECT_EQ(graphic.Width(), 100);
  EXPECT_EQ(graphic.Height(), 50);

  // An empty picture gives a sized graphic and no failure.
  TBitmap32 none;
  FillPictureGraphic(graphic, none, mfsStretch, 30, 30, 0, 0, bg);
  EXPECT_EQ(graphic.Width(), 40);
}

// ---- Frame lines ------------------------------------------------------------------------------

TEST_F(FramePaint, FrameEdgesDrawTheirLinesAndCorners) {
  const TColor32 base = 0xFF808080;
  TFrameEdgeStyle style;
  TBitmap32 top;
  top.SetSize(50, 27);
  top.Clear(base);
  DrawFrameEdge(top, feTop, style);
  const TColor32 outer = BlendPixel(style.Outer, base), inner = BlendPixel(style.Inner, base);
  EXPECT_EQ(top.Pixel(10, 0), outer);
  EXPECT_EQ(top.Pixel(0, 20), outer);
  EXPECT_EQ(top.Pixel(49, 26), outer);
  EXPECT_EQ(top.Pixel(10, 1), inner);
  EXPECT_EQ(top.Pixel(1, 20), inner);
  EXPECT_EQ(top.Pixel(48, 20), inner);
  // Rounded corners: (1, 1) darkened over the inner line, (2, 2) lightened.
  EXPECT_EQ(top.Pixel(1, 1), BlendPixel(style.Outer, BlendPixel(style.Inner, BlendPixel(style.Inner, base))));
  EXPECT_EQ(top.Pixel(2, 2), inner);
  EXPECT_EQ(top.Pixel(47, 2), inner);
  EXPECT_EQ(top.Pixel(10, 10), base);

  TBitmap32 bottom;
  bottom.SetSize(50, 2);
  bottom.Clear(base);
  DrawFrameEdge(bottom, feBottom, style);
  EXPECT_EQ(bottom.Pixel(10, 1), outer);
  EXPECT_EQ(bottom.Pixel(10, 0), inner);
  EXPECT_EQ(bottom.Pixel(0, 0), outer);
  // The rounded corner (1, h - 2) is darkened over the inner line.
  EXPECT_EQ(bottom.Pixel(1, 0), BlendPixel(style.Outer, inner));

  TBitmap32 side;
  side.SetSize(2, 30);
  side.Clear(base);
  DrawFrameEdge(side, feLeft, style);
  EXPECT_EQ(side.Pixel(0, 10), outer);
  EXPECT_EQ(side.Pixel(1, 10), inner);
  EXPECT_EQ(side.Pixel(0, 29), base);  // lines leave out their end point

  // Without the inner line only the outer one shows; flat, maximized or frameless windows get none.
  style.DoubleFrame = false;
  side.Clear(base);
  DrawFrameEdge(side, feRight, style);
  EXPECT_EQ(side.Pixel(1, 10), outer);
  EXPECT_EQ(side.Pixel(0, 10), base);
  for (auto change : {+[](TFrameEdgeStyle& s) { s.FlatFrame = true; }, +[](TFrameEdgeStyle& s) { s.Maximized = true; },
                      +[](TFrameEdgeStyle& s) { s.FramWidth = 0; }}) {
    TFrameEdgeStyle none;
    change(none);
    top.Clear(base);
    DrawFrameEdge(top, feTop, none);
    EXPECT_EQ(top.Pixel(10, 0), base);
    EXPECT_EQ(top.Pixel(1, 1), base);
  }
  EXPECT_EQ(OuterFrameColor(false, Rgb(1, 2, 3)), 0x80000000u);
  EXPECT_EQ(OuterFrameColor(true, Rgb(1, 2, 3)), 0xFF010203u);
}

}  // namespace
