// Under Wine: the colour glyphs drawn on a device context match the portable
// glyphs pixel for pixel, from the cache as on first use.
#include <gtest/gtest.h>

#include <climits>

#include "skin/resources/glyphs.h"
#include "skin/resources/skin_draw_win.h"
#include "toolkit/win/live_counts.h"

namespace {

constexpr TColor kPalette[GlyphCount] = {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia, 0x507FFF, 0xE22A8A};

// A W x H surface with its pixels readable, filled with GDI brushes.
struct TSurface {
  TSurface(int AW, int AH) : W(AW), H(AH), Dib(nullptr, AW, AH) {}
  void Fill(const TRect& R, TColor C) {
    TGdiBrush brush(CreateSolidBrush(ColorToRGB(C)));
    const RECT r = ToRECT(R);
    FillRect(Dib.DC(), &r, brush.Get());
  }
  TColor32 Pixel(int X, int Y) const {
    GdiFlush();
    return Dib.Bits()[Y * W + X] & 0xFFFFFFu;
  }
  HDC DC() const { return Dib.DC(); }
  int W, H;
  TDibSurface Dib;
};

// Fills Cell with Background on a grey surface, draws the glyph through the
// DC, and compares every pixel with the portable glyph over the same colour.
void ExpectSameAsPortable(TSurface& S, const TRect& Cell, int Index, TColor Background) {
  S.Fill({0, 0, S.W, S.H}, clGray);
  S.Fill(Cell, Background);
  DrawColorGlyph(S.DC(), Cell, Index, Background);

  TBitmap32 ref;
  ref.SetSize(S.W, S.H);
  ref.Clear(ToColor32(clGray));
  ref.FillRectS(Cell, ToColor32(Background));
  DrawColorGlyph(&ref, Cell, Index, GlyphInk(ToColor32(Background)));
  int differing = 0;
  for (int y = 0; y < S.H; ++y)
    for (int x = 0; x < S.W; ++x) differing += S.Pixel(x, y) != (ref.Pixel(x, y) & 0xFFFFFFu);
  EXPECT_EQ(differing, 0) << "glyph " << Index << " in " << Cell.Width() << "x" << Cell.Height() << " at "
                          << Cell.Left << "," << Cell.Top << " on " << std::hex << Background;
}

}  // namespace

TEST(ColorGlyphsWin, SamePixelsAsThePortableGlyphOnEveryPaletteColour) {
  TSurface s(70, 70);
  const TRect cells[] = {{3, 4, 14, 15}, {10, 10, 32, 32}, {7, 9, 51, 54}, {1, 2, 51, 52}};
  // Twice: rendered the first time, from the cache the second.
  for (int round = 0; round < 2; ++round)
    for (const TRect& cell : cells)
      for (int i = 0; i < GlyphCount; ++i) ExpectSameAsPortable(s, cell, i, kPalette[i]);
  // The same index and side on other colours are other entries, and a cell
  // hanging over the surface's edge shows its visible part.
  ExpectSameAsPortable(s, {10, 10, 32, 32}, 0, kPalette[3]);
  ExpectSameAsPortable(s, {10, 10, 32, 32}, 0, clBtnFace);
  ExpectSameAsPortable(s, {-8, 55, 14, 77}, 5, kPalette[5]);
}

TEST(ColorGlyphsWin, ManyGlyphsReuseTheCacheWithoutNewGdiObjects) {
  TSurface s(24, 24);
  DrawColorGlyph(s.DC(), {0, 0, 24, 24}, 0, clRed);
  const TLiveCounts before = LiveCounts();
  // Every side and index on two colours: twice as many glyphs as the cache
  // keeps, so it starts over and later glyphs overwrite earlier slots.
  for (TColor back : {clNavy, clSilver})
    for (int m = MinGlyphCell; m <= 2 * MaxGlyphSide; m += 3)
      for (int i = 0; i < GlyphCount; ++i) DrawColorGlyph(s.DC(), {0, 0, m, m}, i, back);
  EXPECT_EQ(LiveCounts(), before);
  ExpectSameAsPortable(s, {0, 0, 11, 11}, 6, clNavy);
  ExpectSameAsPortable(s, {0, 0, 24, 24}, 7, clSilver);
}

TEST(ColorGlyphsWin, BadArgumentsDrawNothing) {
  TSurface s(30, 30);
  s.Fill({0, 0, 30, 30}, clBlack);
  for (int index : {-1, GlyphCount, INT_MAX}) DrawColorGlyph(s.DC(), {0, 0, 30, 30}, index, clBlack);
  for (const TRect& cell : {TRect{0, 0, 4, 4}, TRect{20, 20, 0, 0}, TRect{INT_MAX - 40, 0, INT_MAX, 40},
                            TRect{0, INT_MIN, 40, INT_MIN + 40}})
    DrawColorGlyph(s.DC(), cell, 0, clBlack);
  DrawColorGlyph(nullptr, {0, 0, 30, 30}, 0, clBlack);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(s.Pixel(x, y), 0u) << x << "," << y;
}
