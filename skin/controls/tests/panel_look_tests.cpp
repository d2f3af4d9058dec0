// The panel's look drawn into bitmaps: the wash, the border lines on every
// combination of sides and small sizes, the gradient's rectangles and ramp,
// and the border panel's edge bands.
#include "skin/controls/panel_look.h"

#include <gtest/gtest.h>

#include "gfx/blend.h"

namespace {

constexpr TColor32 Grey = 0xFF808080;
constexpr uint32_t Frame = 0xBACBD9;

void Fill(TBitmap32& B, int32_t W, int32_t H, TColor32 C = Grey) {
  B.SetSize(W, H);
  B.Clear(C);
}

// 'O' outer line, 'I' inner line, '.' untouched, as the border should leave it.
void ExpectPattern(const TBitmap32& B, const std::vector<std::string>& Rows) {
  ASSERT_EQ(B.Height(), static_cast<int32_t>(Rows.size()));
  for (int32_t y = 0; y < B.Height(); ++y)
    for (int32_t x = 0; x < B.Width(); ++x) {
      const TColor32 want = Rows[y][x] == 'O' ? (0xFF000000 | Frame) : Rows[y][x] == 'I' ? 0xFFFFFFFF : Grey;
      EXPECT_EQ(B.Pixel(x, y), want) << x << "," << y;
    }
}

}  // namespace

TEST(PanelLook, WashBlendsTheColourAtItsAlphaAndLeavesAlphaZeroAlone) {
  TBitmap32 b;
  Fill(b, 3, 2);
  PanelWash(b, 0xFFFFFF, 0);
  EXPECT_EQ(b.Pixel(1, 1), Grey);
  PanelWash(b, 0xFFFFFF, 192);
  EXPECT_EQ(b.Pixel(1, 1), BlendPixel(0xC0FFFFFF, Grey));
  PanelWash(b, 0x123456, 255);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF123456u);
}

TEST(PanelLook, BorderOnAllSidesHasTheOuterFrameAndTheWhiteInnerLine) {
  TBitmap32 b;
  Fill(b, 6, 5);
  DrawPanelBorder(b, AllSides, Frame, 255, true);
  ExpectPattern(b, {"OOOOOO",  //
                    "OIIIIO",  //
                    "OI..IO",  //
                    "OIIIIO",  //
                    "OOOOOO"});
  TBitmap32 single;
  Fill(single, 4, 3);
  DrawPanelBorder(single, AllSides, Frame, 255, false);
  ExpectPattern(single, {"OOOO", "O..O", "OOOO"});
}

TEST(PanelLook, BorderSidesAreIndependentAndTinySizesKeepOnlyWhatFits) {
  TBitmap32 none;
  Fill(none, 4, 4);
  DrawPanelBorder(none, 0, Frame, 255, true);
  ExpectPattern(none, {"....", "....", "....", "...."});

  TBitmap32 leftTop;
  Fill(leftTop, 4, 3);
  DrawPanelBorder(leftTop, sdLeft | sdTop, Frame, 255, true);
  ExpectPattern(leftTop, {"OOOO", "OIII", "OI.."});

  TBitmap32 bottom;
  Fill(bottom, 4, 3);
  DrawPanelBorder(bottom, sdBottom, Frame, 255, true);
  ExpectPattern(bottom, {"....", ".II.", "OOOO"});

  // One pixel wide: the left line covers the column; no right line.
  TBitmap32 narrow;
  Fill(narrow, 1, 3);
  DrawPanelBorder(narrow, AllSides, Frame, 255, true);
  ExpectPattern(narrow, {"O", "O", "O"});
  // One pixel high: no bottom line; the top line covers the row.
  TBitmap32 flat;
  Fill(flat, 3, 1);
  DrawPanelBorder(flat, AllSides, Frame, 255, true);
  ExpectPattern(flat, {"OOO"});
}

TEST(PanelLook, BorderAlphaBlendsBothLines) {
  TBitmap32 b;
  Fill(b, 4, 4);
  DrawPanelBorder(b, sdLeft, Frame, 0, true);
  EXPECT_EQ(b.Pixel(0, 2), Grey);
  DrawPanelBorder(b, sdLeft, Frame, 128, true);
  EXPECT_EQ(b.Pixel(0, 2), BlendPixel(0x80000000 | Frame, Grey));
  EXPECT_EQ(b.Pixel(1, 2), BlendPixel(0x80FFFFFF, Grey));
}

TEST(PanelLook, GradientRectanglesFollowDirectionAndAlign) {
  TGradientPiece p[2];
  TPanelGradient g;
  g.Size = 50;
  g.Direction = gdHorizontal;
  g.Align = gaCenter;
  ASSERT_EQ(GradientPieces(g, 100, 20, p), 2);
  EXPECT_EQ(p[0].Rect, (TRect{0, 0, 50, 20}));
  EXPECT_EQ(p[0].Angle, 180);
  EXPECT_EQ(p[1].Rect, (TRect{50, 0, 100, 20}));
  EXPECT_EQ(p[1].Angle, 0);
  g.Align = gaRight;
  ASSERT_EQ(GradientPieces(g, 100, 1, p), 1);
  EXPECT_EQ(p[0].Rect, (TRect{50, 0, 100, 2}));  // one row high still covers two
  EXPECT_EQ(p[0].Angle, 180);

  g.Direction = gdVertical;
  g.Size = 60;
  g.Align = gaCenter;
  ASSERT_EQ(GradientPieces(g, 30, 100, p), 2);
  EXPECT_EQ(p[0].Rect, (TRect{0, -10, 30, 50}));
  EXPECT_EQ(p[0].Angle, 90);
  EXPECT_EQ(p[1].Rect, (TRect{0, 50, 30, 100}));  // always down to the bottom
  EXPECT_EQ(p[1].Angle, 270);
  g.Align = gaLeft;
  ASSERT_EQ(GradientPieces(g, 30, 100, p), 1);
  EXPECT_EQ(p[0].Rect, (TRect{0, 0, 30, 60}));
  EXPECT_EQ(p[0].Angle, 270);
  g.Align = gaRight;
  g.Size = 25;
  ASSERT_EQ(GradientPieces(g, 30, 10, p), 1);
  EXPECT_EQ(p[0].Rect, (TRect{0, 8, 30, 10}));  // 2.5 rounds to even
  EXPECT_EQ(p[0].Angle, 90);
}

TEST(PanelLook, FullWidthLeftGradientRunsFromStartToEnd) {
  TBitmap32 b;
  Fill(b, 64, 4, 0xFF000000);
  TPanelGradient g;
  g.StartRGB = 0x0000FF;
  g.EndRGB = 0xFF0000;
  g.Alpha = 255;
  g.Size = 100;
  g.Align = gaLeft;
  g.Direction = gdHorizontal;
  DrawPanelGradient(b, g);
  const TColor32 first = b.Pixel(0, 1), last = b.Pixel(63, 1);
  EXPECT_GE(first & 0xFF, 0xF0u);
  EXPECT_LE((first >> 16) & 0xFF, 0x0Fu);
  EXPECT_GE((last >> 16) & 0xFF, 0xF0u);
  EXPECT_LE(last & 0xFF, 0x0Fu);
  for (int32_t x = 1; x < 64; ++x) EXPECT_GE((b.Pixel(x, 1) >> 16) & 0xFF, (b.Pixel(x - 1, 1) >> 16) & 0xFF) << x;
  // Every row carries the same ramp.
  for (int32_t x = 0; x < 64; ++x) EXPECT_EQ(b.Pixel(x, 0), b.Pixel(x, 3)) << x;
}

TEST(PanelLook, GradientLeavesWhatLiesOutsideItsRectangle) {
  TBitmap32 b;
  Fill(b, 20, 10);
  TPanelGradient g;
  g.Size = 30;  // 3 rows from the top
  g.Align = gaLeft;
  g.Direction = gdVertical;
  DrawPanelGradient(b, g);
  EXPECT_NE(b.Pixel(5, 0), Grey);
  for (int32_t y = 4; y < 10; ++y) EXPECT_EQ(b.Pixel(5, y), Grey) << y;
  TBitmap32 empty;
  DrawPanelGradient(empty, g);  // nothing to draw into
}

TEST(PanelLook, EdgeBandsCopyOnlyTheFrame) {
  TBitmap32 src;
  Fill(src, 6, 6, 0xFFFF0000);
  TBitmap32 dst;
  Fill(dst, 6, 6);
  CopyEdgeBands(src, dst, 2);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 6; ++x) {
      const bool band = x < 2 || y < 2 || x >= 4 || y >= 4;
      EXPECT_EQ(dst.Pixel(x, y), band ? 0xFFFF0000 : Grey) << x << "," << y;
    }
  TBitmap32 tiny;
  Fill(tiny, 1, 1);
  CopyEdgeBands(src, tiny, 2);
  EXPECT_EQ(tiny.Pixel(0, 0), 0xFFFF0000u);
}

TEST(PanelLook, RoundRectFillsTheMiddleAndSparesTheCorners) {
  TBitmap32 b;
  Fill(b, 40, 20);
  FillRoundRect(b, 6, 0xFFFF0000);
  EXPECT_EQ(b.Pixel(20, 10), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(20, 0), 0xFFFF0000u);  // straight edges reach the border
  EXPECT_EQ(b.Pixel(0, 10), 0xFFFF0000u);
  for (const TPoint corner : {TPoint{0, 0}, TPoint{39, 0}, TPoint{0, 19}, TPoint{39, 19}})
    EXPECT_EQ(b.Pixel(corner.X, corner.Y), Grey) << corner.X << "," << corner.Y;
  // The arc is anti-aliased: some pixel near a corner is neither colour.
  bool blended = false;
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 6; ++x)
      blended |= b.Pixel(x, y) != Grey && b.Pixel(x, y) != 0xFFFF0000u;
  EXPECT_TRUE(blended);

  // Radius 0 is a plain rectangle; a radius beyond half the side is capped.
  Fill(b, 10, 6);
  FillRoundRect(b, 0, 0xFF00FF00);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF00FF00u);
  Fill(b, 10, 6);
  FillRoundRect(b, 1000, 0x8000FF00);
  EXPECT_EQ(b.Pixel(5, 3), BlendPixel(0x8000FF00, Grey));
  // Capped at 3: the ends are half circles, and the corner pixels keep
  // little more than a sliver of the fill.
  EXPECT_LE((b.Pixel(0, 0) >> 8) & 0xFF, 0x88u);
  EXPECT_GE((b.Pixel(0, 2) >> 8) & 0xFF, 0xA0u);
  TBitmap32 empty;
  FillRoundRect(empty, 5, 0xFFFFFFFF);
}
