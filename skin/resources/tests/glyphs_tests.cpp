#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "skin/resources/glyphs.h"

namespace {

constexpr TColor32 kBack = 0xFF000000;
constexpr TColor32 kInk = 0xFFFFFFFF;

// The palette as the game shows it (TColor32: 0xAARRGGBB).
constexpr TColor32 kPalette[GlyphCount] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                           0xFF00FFFF, 0xFFFF00FF, 0xFFFF7F50, 0xFF8A2AE2};

// The pixels of glyph Index drawn in white over a whole black W x H cell.
struct TGlyphImage {
  int W, H;
  std::vector<TColor32> Pixels;
  TGlyphImage(int AW, int AH, int Index) : W(AW), H(AH) {
    TBitmap32 b;
    b.SetSize(W, H);
    b.Clear(kBack);
    DrawColorGlyph(&b, {0, 0, W, H}, Index, kInk);
    Pixels.assign(b.Bits(), b.Bits() + W * H);
  }
  TColor32 Pixel(int X, int Y) const { return Pixels[size_t(Y * W + X)]; }
  // Coverage is read back from the green channel of white over black.
  int Coverage(int X, int Y) const { return GreenOf(Pixel(X, Y)); }
  bool Inked(int X, int Y) const { return Coverage(X, Y) >= 128; }
};

int DifferingPixels(const TGlyphImage& A, const TGlyphImage& B) {
  int n = 0;
  for (int y = 0; y < A.H; ++y)
    for (int x = 0; x < A.W; ++x) n += A.Inked(x, y) != B.Inked(x, y);
  return n;
}

bool Unchanged(const TBitmap32& B, TColor32 C, const TRect& Except) {
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      if (!PtInRect(Except, Point(x, y)) && B.Pixel(x, y) != C) return false;
  return true;
}

// Relative luminance and contrast ratio, from the sRGB definition.
double Luminance(TColor32 C) {
  auto lin = [](int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(RedOf(C)) + 0.7152 * lin(GreenOf(C)) + 0.0722 * lin(BlueOf(C));
}
double Contrast(TColor32 A, TColor32 B) {
  const double a = Luminance(A) + 0.05, b = Luminance(B) + 0.05;
  return a > b ? a / b : b / a;
}

struct TCellSize {
  int W, H;
};
// The board's cells (small, medium and large boards) and a colour button.
constexpr TCellSize kCells[] = {{11, 11}, {22, 22}, {44, 45}, {50, 50}};

}  // namespace

TEST(ColorGlyphs, BoxIsAboutHalfTheCellAndCentred) {
  EXPECT_EQ(GlyphBox({0, 0, 11, 11}), (TRect{2, 2, 8, 8}));
  EXPECT_EQ(GlyphBox({0, 0, 22, 22}), (TRect{5, 5, 16, 16}));
  EXPECT_EQ(GlyphBox({100, 200, 144, 245}), (TRect{112, 212, 132, 232}));  // capped at 20
  EXPECT_EQ(GlyphBox({0, 0, 5, 30}), (TRect{0, 12, 5, 17}));                 // never below 5
  for (int m = MinGlyphCell; m <= 120; ++m) {
    const TRect box = GlyphBox({3, 7, 3 + m, 7 + m + 1});
    const int side = box.Width();
    EXPECT_EQ(box.Height(), side);
    EXPECT_GE(side, MinGlyphSide);
    EXPECT_LE(side, std::min(m, MaxGlyphSide));
    if (side > MinGlyphSide && side < MaxGlyphSide) {
      EXPECT_GE(side, 0.45 * m) << m;
      EXPECT_LE(side, 0.55 * m + 0.5) << m;
    }
    EXPECT_LE(std::abs((box.Left + box.Right) - (3 + 3 + m)), 1) << m;
    EXPECT_LE(std::abs((box.Top + box.Bottom) - (7 + 7 + m + 1)), 1) << m;
  }
  // Tiny, empty, inverted and extreme cells.
  for (const TRect& cell : {TRect{0, 0, 4, 40}, TRect{0, 0, 40, 4}, TRect{0, 0, 0, 0}, TRect{10, 10, 0, 40},
                            TRect{INT_MAX, INT_MIN, INT_MIN, INT_MAX}})
    EXPECT_EQ(GlyphBox(cell), TRect{}) << cell.Left << "," << cell.Top;
  EXPECT_EQ(GlyphBox({INT_MIN, INT_MIN, INT_MAX, INT_MAX}).Width(), MaxGlyphSide);
}

TEST(ColorGlyphs, ShapesDifferPairwiseAtEverySize) {
  for (const TCellSize& cell : kCells) {
    std::vector<TGlyphImage> glyphs;
    for (int i = 0; i < GlyphCount; ++i) glyphs.emplace_back(cell.W, cell.H, i);
    const int side = GlyphBox({0, 0, cell.W, cell.H}).Width();
    // At least a ninth of the box apart: 4 pixels on the smallest board.
    const int minimum = std::max(4, side * side / 9);
    for (int a = 0; a < GlyphCount; ++a)
      for (int b = a + 1; b < GlyphCount; ++b)
        EXPECT_GE(DifferingPixels(glyphs[size_t(a)], glyphs[size_t(b)]), minimum)
            << "glyphs " << a << " and " << b << " on " << cell.W << "x" << cell.H;
  }
}

TEST(ColorGlyphs, EachGlyphFillsPartOfItsBoxAndStaysCentred) {
  for (const TCellSize& cell : kCells) {
    const TRect box = GlyphBox({0, 0, cell.W, cell.H});
    const int area = box.Width() * box.Height();
    for (int i = 0; i < GlyphCount; ++i) {
      const TGlyphImage g(cell.W, cell.H, i);
      TRect inked{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
      int count = 0;
      for (int y = 0; y < cell.H; ++y)
        for (int x = 0; x < cell.W; ++x) {
          if (g.Coverage(x, y) == 0) continue;
          EXPECT_TRUE(PtInRect(box, Point(x, y))) << "glyph " << i << " at " << x << "," << y;
          inked = {std::min(inked.Left, x), std::min(inked.Top, y), std::max(inked.Right, x + 1),
                   std::max(inked.Bottom, y + 1)};
          count += g.Inked(x, y);
        }
      const std::string what = "glyph " + std::to_string(i) + " on " + std::to_string(cell.W);
      EXPECT_GE(count, area / 5) << what;
      EXPECT_LT(count, area) << what;
      // What is inked is centred on the box (the triangles span its height),
      // and the box lies within half a pixel of the cell's centre.
      EXPECT_LE(std::abs(inked.Left + inked.Right - cell.W), 1) << what;
      EXPECT_LE(std::abs(inked.Top + inked.Bottom - cell.H), 1) << what;
    }
  }
}

TEST(ColorGlyphs, NothingOutsideTheCellTheClipOrTheBitmap) {
  TBitmap32 b;
  b.SetSize(60, 60);
  b.Clear(kBack);
  const TRect cell{10, 10, 32, 32};
  for (int i = 0; i < GlyphCount; ++i) DrawColorGlyph(&b, cell, i, kInk);
  EXPECT_TRUE(Unchanged(b, kBack, cell));

  // Cells hanging over every edge of the bitmap: only the visible part is
  // drawn, and it is the same as that part of a whole glyph.
  const TGlyphImage whole(22, 22, 3);
  for (const TPoint& at : {Point(-9, -9), Point(47, -9), Point(-9, 47), Point(47, 47)}) {
    b.Clear(kBack);
    DrawColorGlyph(&b, {at.X, at.Y, at.X + 22, at.Y + 22}, 3, kInk);
    for (int y = 0; y < 22; ++y)
      for (int x = 0; x < 22; ++x)
        if (PtInRect(b.BoundsRect(), Point(at.X + x, at.Y + y))) {
          EXPECT_EQ(b.Pixel(at.X + x, at.Y + y), whole.Pixel(x, y)) << at.X << "," << at.Y;
        }
  }

  // The bitmap's clip rectangle is honoured and left as it was.
  b.Clear(kBack);
  const TRect clip{0, 0, 21, 60};
  b.SetClipRect(clip);
  DrawColorGlyph(&b, cell, 0, kInk);
  EXPECT_EQ(b.ClipRect(), clip);
  EXPECT_TRUE(Unchanged(b, kBack, clip));
  EXPECT_FALSE(Unchanged(b, kBack, TRect{}));
}

TEST(ColorGlyphs, BadIndicesCellsAndTargetsDrawNothing) {
  TBitmap32 b;
  b.SetSize(30, 30);
  b.Clear(kBack);
  for (int index : {-1, GlyphCount, INT_MIN, INT_MAX}) DrawColorGlyph(&b, {0, 0, 30, 30}, index, kInk);
  for (const TRect& cell : {TRect{0, 0, 4, 4}, TRect{0, 0, 30, 4}, TRect{5, 5, 5, 5}, TRect{30, 30, 0, 0},
                            TRect{INT_MAX, INT_MAX, INT_MIN, INT_MIN}, TRect{100, 100, 140, 140},
                            TRect{-50, -50, -10, -10}})
    DrawColorGlyph(&b, cell, 0, kInk);
  // Boxes too large, too small or not square.
  for (const TRect& box : {TRect{0, 0, 21, 21}, TRect{0, 0, 4, 4}, TRect{0, 0, 10, 11}, TRect{INT_MAX, 0, INT_MIN, 20}})
    DrawColorGlyphInBox(&b, box, 0, kInk);
  EXPECT_TRUE(Unchanged(b, kBack, TRect{}));
  DrawColorGlyph(nullptr, {0, 0, 30, 30}, 0, kInk);
  TBitmap32 empty;
  DrawColorGlyph(&empty, {0, 0, 30, 30}, 0, kInk);
  // A cell as large as the coordinate range gets a small glyph at its centre, near the origin.
  const TRect huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  DrawColorGlyph(&b, huge, 0, kInk);
  EXPECT_TRUE(Unchanged(b, kBack, GlyphBox(huge)));
  EXPECT_FALSE(Unchanged(b, kBack, TRect{}));
}

TEST(ColorGlyphs, SamePixelsWhereverTheCellIsAndBlendedByTheInk) {
  const TGlyphImage ref(22, 22, 4);
  TBitmap32 b;
  b.SetSize(100, 60);
  b.Clear(kBack);
  DrawColorGlyph(&b, {57, 31, 79, 53}, 4, kInk);
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 22; ++x) ASSERT_EQ(b.Pixel(57 + x, 31 + y), ref.Pixel(x, y));

  // Over a palette colour, a half-covered pixel lies between the colour and the ink.
  TBitmap32 c;
  c.SetSize(11, 11);
  c.Clear(kPalette[2]);
  DrawColorGlyph(&c, {0, 0, 11, 11}, 0, GlyphInk(kPalette[2]));
  bool partial = false;
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) {
      const TColor32 p = c.Pixel(x, y);
      EXPECT_EQ(AlphaOf(p), 255);
      if (p != kPalette[2] && p != clWhite32) partial = true;
    }
  EXPECT_TRUE(partial);
}

TEST(ColorGlyphs, InkContrastsOnEveryPaletteColour) {
  const TColor32 expected[GlyphCount] = {clBlack32, clBlack32, clWhite32, clBlack32,
                                         clBlack32, clBlack32, clBlack32, clWhite32};
  for (int i = 0; i < GlyphCount; ++i) {
    const TColor32 ink = GlyphInk(kPalette[i]);
    const TColor32 other = ink == clBlack32 ? clWhite32 : clBlack32;
    EXPECT_EQ(ink, expected[i]) << i;
    EXPECT_GE(Contrast(ink, kPalette[i]), 4.5) << i;
    EXPECT_GE(Contrast(ink, kPalette[i]), Contrast(other, kPalette[i])) << i;
  }
  EXPECT_EQ(GlyphInk(clBlack32), clWhite32);
  EXPECT_EQ(GlyphInk(clWhite32), clBlack32);
  EXPECT_EQ(GlyphInk(0x00FFFFFF), clBlack32);  // alpha plays no part
}
