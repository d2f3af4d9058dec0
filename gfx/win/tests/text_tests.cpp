// GDI text on bitmaps: clipping, measuring, font handles, and the alpha of RenderText.
#include <gtest/gtest.h>

#include <set>

#include "gfx/win/gdi_backend.h"

namespace {

constexpr TColor32 RGBMask = 0x00FFFFFF;

void UseTahoma(TCustomBitmap32& B, int Height, TColor Color = clWhite, TFontStyles Style = 0) {
  TFont& f = Font(B);
  f.SetName(L"Tahoma");
  f.SetHeight(Height);
  f.SetColor(Color);
  f.SetStyle(Style);
}

BYTE QualityOf(TFont& F) {
  LOGFONTW lf{};
  GetObjectW(F.Handle(), sizeof lf, &lf);
  return lf.lfQuality;
}

TEST(Text, TextoutLandsInsideTheClipRectangleOnlyAndReportsItsBox) {
  TBitmap32 b;
  b.SetSize(120, 40);
  UseTahoma(b, -20);
  b.SetClipRect({20, 0, 50, 40});
  std::vector<TRect> areas;
  b.SetOnAreaChanged([&](TObject*, const TRect& Area, uint32_t) { areas.push_back(Area); });
  Textout(b, 2, 5, "WWWWWWWWWW");

  int inside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      if (x < 20 || x >= 50) {
        ASSERT_EQ(b.Pixel(x, y), 0u) << x << "," << y;
      } else if (b.Pixel(x, y) & RGBMask) {
        ++inside;
      }
    }
  EXPECT_GT(inside, 20);
  const SIZE e = TextExtent(b, "WWWWWWWWWW");
  ASSERT_FALSE(areas.empty());
  EXPECT_EQ(areas.back(), (TRect{2, 5, 2 + e.cx + 1, 5 + e.cy + 1}));

  // The explicit clip rectangle wins over the bitmap's.
  b.ResetClipRect();
  b.Clear(0);
  TextoutW(b, 2, 5, TRect{60, 0, 70, 40}, L"WWWWWWWWWWWW");
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      if (x < 60 || x >= 70) {
        ASSERT_EQ(b.Pixel(x, y), 0u) << x << "," << y;
      }
    }
}

TEST(Text, TextoutInARectangleFollowsTheFormatFlags) {
  TBitmap32 b;
  b.SetSize(100, 30);
  UseTahoma(b, -14);
  Textout(b, TRect{0, 0, 100, 30}, DT_RIGHT | DT_SINGLELINE, "ii");
  int minX = 100;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x)
      if (b.Pixel(x, y) & RGBMask) minX = std::min(minX, x);
  EXPECT_GT(minX, 80);
}

TEST(Text, TahomaExtentsArePlausibleAndMatchGDI) {
  TBitmap32 b;
  UseTahoma(b, -16);
  // Without a DC the shared measuring bitmap answers.
  const SIZE noDC = TextExtentW(b, L"Hello, world");
  b.SetSize(4, 4);
  const SIZE withDC = TextExtentW(b, L"Hello, world");

  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE gdi{};
  GetTextExtentPoint32W(dc, L"Hello, world", 12, &gdi);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);

  EXPECT_EQ(withDC.cx, gdi.cx);
  EXPECT_EQ(withDC.cy, gdi.cy);
  EXPECT_EQ(noDC.cx, gdi.cx);
  EXPECT_EQ(noDC.cy, gdi.cy);
  EXPECT_GT(gdi.cx, 60);
  EXPECT_LT(gdi.cx, 120);
  EXPECT_GE(gdi.cy, 16);
  EXPECT_LE(gdi.cy, 24);
  EXPECT_EQ(TextWidth(b, "Hello, world"), gdi.cx);
  EXPECT_EQ(TextHeightW(b, L"Hello, world"), gdi.cy);
}

TEST(Text, AFontChangeDropsTheSelectedHandleAndTheNextTextSelectsTheNewOne) {
  TBitmap32 b;
  b.SetSize(60, 30);
  UseTahoma(b, -12);
  auto& backend = dynamic_cast<TGDIBackend&>(*b.Backend());
  const int small = TextWidth(b, "Text");
  HFONT first = backend.FontHandle();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetCurrentObject(Handle(b), OBJ_FONT), first);

  int changed = 0;
  b.SetOnChange([&](TObject*) { ++changed; });
  Font(b).SetHeight(-24);
  EXPECT_EQ(backend.FontHandle(), nullptr);
  EXPECT_NE(GetCurrentObject(Handle(b), OBJ_FONT), first);
  EXPECT_EQ(changed, 1);

  EXPECT_GT(TextWidth(b, "Text"), small * 3 / 2);
  EXPECT_NE(backend.FontHandle(), nullptr);
  EXPECT_EQ(GetCurrentObject(Handle(b), OBJ_FONT), backend.FontHandle());

  // A resize keeps the font: the new DC gets the same handle on the next text.
  HFONT second = backend.FontHandle();
  b.SetSize(80, 30);
  Textout(b, 0, 0, "x");
  EXPECT_EQ(GetCurrentObject(Handle(b), OBJ_FONT), second);

  // SetFont copies; the given font stays the caller's.
  TFont other;
  other.SetName(L"Tahoma");
  other.SetHeight(-9);
  SetFont(b, other);
  EXPECT_EQ(Font(b).Height(), -9);
  EXPECT_NE(&Font(b), &other);
}

// Collects what RenderText produced on a transparent bitmap laid on by merging.
struct TCoverage {
  std::set<uint32_t> Alphas;
  bool ColourMatches = true;
  int Inked = 0;
};

TCoverage RenderCoverage(TBitmap32& B, const char* Text, int AALevel, TColor32 Color) {
  B.Clear(0);
  RenderText(B, 4, 4, Text, AALevel, Color);
  TCoverage c;
  for (int i = 0; i < B.Width() * B.Height(); ++i) {
    const TColor32 p = B.Bits()[i];
    c.Alphas.insert(p >> 24);
    if (p >> 24) {
      ++c.Inked;
      if ((p & RGBMask) != (Color & RGBMask)) c.ColourMatches = false;
    }
  }
  return c;
}

TEST(Text, RenderTextGivesCoverageAlphaInTheTextColour) {
  TBitmap32 b;
  b.SetSize(160, 60);
  b.SetCombineMode(cmMerge);
  UseTahoma(b, -32, clBlack, fsBold);
  const TColor32 colour = 0xFF3366CC;

  for (int level : {0, 1, 2, 3, 4}) {
    SCOPED_TRACE(level);
    const TCoverage c = RenderCoverage(b, "IAV", level, colour);
    EXPECT_TRUE(c.ColourMatches);
    EXPECT_TRUE(c.Alphas.count(0));
    EXPECT_TRUE(c.Alphas.count(255));  // inside the bold strokes
    EXPECT_GT(c.Inked, 100);
    if (level == 0) {
      EXPECT_EQ(c.Alphas.size(), 2u);  // no anti-aliasing: ink or nothing
    } else {
      EXPECT_GT(c.Alphas.size(), 4u);  // edges of the diagonals are partial
    }
    // Nothing lands above or left of the text origin.
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 4; ++x) ASSERT_EQ(b.Pixel(x, y) >> 24, 0u);
  }

  // Out-of-range levels behave as the nearest valid one.
  b.Clear(0);
  RenderText(b, 4, 4, "IAV", 4, colour);
  std::vector<TColor32> four(b.Bits(), b.Bits() + 160 * 60);
  b.Clear(0);
  RenderText(b, 4, 4, "IAV", 7, colour);
  EXPECT_TRUE(std::equal(four.begin(), four.end(), b.Bits()));
  b.Clear(0);
  RenderText(b, 4, 4, "IAV", -1, colour);
  std::vector<TColor32> minusOne(b.Bits(), b.Bits() + 160 * 60);
  b.Clear(0);
  RenderText(b, 4, 4, "IAV", -5, colour);
  EXPECT_TRUE(std::equal(minusOne.begin(), minusOne.end(), b.Bits()));
  EXPECT_GT(std::count_if(minusOne.begin(), minusOne.end(), [](TColor32 p) { return p != 0; }), 100);
}

TEST(Text, RenderTextWithTransparentColourChangesNoPixel) {
  TBitmap32 b;
  b.SetSize(80, 30);
  b.Clear(0xFF808080);
  UseTahoma(b, -20);
  RenderText(b, 2, 2, "Hidden", 2, 0x00FFFFFF);
  RenderTextW(b, 2, 2, L"Hidden", -1, 0x00FFFFFF);
  RenderText(b, TRect{0, 0, 80, 30}, DT_LEFT, L"Hidden", 0x00FFFFFF);
  for (int i = 0; i < 80 * 30; ++i) ASSERT_EQ(b.Bits()[i], 0xFF808080u);
}

TEST(Text, RenderTextBlendsWithTheColourAlphaAsMasterAlpha) {
  TBitmap32 b;
  b.SetSize(80, 40);
  b.Clear(0xFF000000);
  UseTahoma(b, -32, clBlack, fsBold);
  RenderTextW(b, 0, 0, L"I", 0, 0x80FFFFFF);
  std::set<uint32_t> reds;
  for (int i = 0; i < 80 * 40; ++i) reds.insert((b.Bits()[i] >> 16) & 0xFF);
  // Black and half-way white only.
  EXPECT_EQ(reds.size(), 2u);
  EXPECT_NEAR(int(*reds.rbegin()), 128, 2);
}

TEST(Text, RenderTextInARectangleStaysInsideItAndLeavesTheQualityAsSpecified) {
  TBitmap32 b;
  b.SetSize(100, 40);
  b.SetCombineMode(cmMerge);
  b.Clear(0);
  UseTahoma(b, -16);
  const TRect box{20, 10, 80, 30};
  RenderText(b, box, DT_CENTER | DT_VCENTER | DT_SINGLELINE, L"WWWWWWWWWWWW", 0xFFFF0000);
  int inked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool in = x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom;
      if (!in) {
        ASSERT_EQ(b.Pixel(x, y), 0u) << x << "," << y;
      } else if (b.Pixel(x, y)) {
        ++inked;
        ASSERT_EQ(b.Pixel(x, y), 0xFFFF0000u);  // not anti-aliased: full ink only
      }
    }
  EXPECT_GT(inked, 50);
  EXPECT_EQ(QualityOf(Font(b)), NONANTIALIASED_QUALITY);

  RenderText(b, box, DT_LEFT, L"x", ANTIALIASED_QUALITY, 0xFFFF0000);
  EXPECT_EQ(QualityOf(Font(b)), DEFAULT_QUALITY);
  RenderText(b, 0, 0, "x", 2, 0xFFFF0000);
  EXPECT_EQ(QualityOf(Font(b)), DEFAULT_QUALITY);
  RenderTextW(b, 0, 0, L"x", -1, 0xFFFF0000);
  EXPECT_EQ(QualityOf(Font(b)), DEFAULT_QUALITY);
}

TEST(Text, RenderTextCutsWhatLiesOutsideTheBitmap) {
  // The same text partly off the left and top edges shows exactly the part
  // that a larger bitmap shows at the same offset.
  TBitmap32 big, small;
  big.SetSize(200, 60);
  small.SetSize(100, 30);
  for (TBitmap32* b : {&big, &small}) {
    b->SetCombineMode(cmMerge);
    b->Clear(0);
    UseTahoma(*b, -28, clBlack, fsBold);
  }
  RenderTextW(big, 10, 10, L"WAVE", 2, 0xFF00FF00);
  RenderTextW(small, -40, -10, L"WAVE", 2, 0xFF00FF00);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(small.Pixel(x, y), big.Pixel(x + 50, y + 20)) << x << "," << y;
  // A string far wider than the bitmap costs no more than the bitmap.
  RenderText(small, 0, 0, std::string(20000, 'W'), 4, 0xFF00FF00);
}

TEST(Text, DefaultFontIsCreatedAsMSSansSerif) {
  TFont f;
  f.SetName(L"Default");
  SetFontQuality(f, DEFAULT_QUALITY);
  LOGFONTW lf{};
  GetObjectW(f.Handle(), sizeof lf, &lf);
  EXPECT_STREQ(lf.lfFaceName, L"MS Sans Serif");
}

TEST(Text, TextToPathGivesGlyphOutlinesInsideTheMeasuredBox) {
  TBitmap32 b;
  b.SetSize(100, 40);
  UseTahoma(b, -24);
  auto& path = SupportsInterface<ITextToPathSupport>(b.Backend());
  TTextPath outline;
  path.TextToPath(outline, 10, 5, L"O");
  ASSERT_GE(outline.Contours.size(), 2u);  // outer and inner ring
  const SIZE e = TextExtentW(b, L"O");
  for (const auto& contour : outline.Contours)
    for (const TFloatPoint& p : contour) {
      EXPECT_GE(p.X, 10);
      EXPECT_LE(p.X, 10 + e.cx);
      EXPECT_GE(p.Y, 5);
      EXPECT_LE(p.Y, 5 + e.cy);
    }
  const TFloatRect r = path.MeasureText({0, 0, 100, 40}, L"O", DT_SINGLELINE);
  EXPECT_EQ(r.Right - r.Left, TFloat(e.cx));
}

}  // namespace
