// The portable look of skinned popup menus: item sizes, where the parts of an
// item go, what an item paints into the popup's bitmap, and the
// premultiplication for the layered window.
#include <gtest/gtest.h>

#include <cmath>

#include "gfx/blend.h"
#include "skin/frame/skin_menu_look.h"

namespace {

class MenuLook : public ::testing::Test {
protected:
  static void SetUpTestSuite() { GR32Initialize(); }
};

TMenuLookMetrics Metrics(double Scale = 1) {
  TMenuLookMetrics m;
  m.Scale = Scale;
  m.BorderOffset = m.S(6);
  m.GlyphBarWidth = m.S(31);
  return m;
}

std::unique_ptr<TVelSkinImage> Solid(int W, int H, TColor32 C) {
  auto b = std::make_unique<TVelSkinImage>();
  b->SetSize(W, H);
  b->Clear(C);
  return b;
}

// Three 20 x 20 frames, each a solid colour.
TVelSkinImages Frames(TColor32 Normal, TColor32 Selected, TColor32 Disabled, int W = 20, int H = 20) {
  TVelSkinImages f;
  for (TColor32 c : {Normal, Selected, Disabled}) f.push_back(Solid(W, H, c));
  return f;
}

int CountColour(const TBitmap32& B, TColor32 C, const TRect& R) {
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) n += B.Pixel(x, y) == C;
  return n;
}

constexpr TColor32 Bg = 0xFFF5F5F8, Hi = 0xFF337FD1;
constexpr TColor32 CheckN = 0xFF101010, CheckS = 0xFFFFFFFF, CheckD = 0xFF808080;
constexpr TColor32 RadioN = 0xFF200000, ArrowN = 0xFF002000, ArrowS = 0xFF00FF00, ArrowD = 0xFF004000;

struct TPopupFixture {
  TBitmap32 Window, Background;
  std::unique_ptr<TVelSkinImage> Hilight = Solid(22, 22, Hi);
  TVelSkinImages Check = Frames(CheckN, CheckS, CheckD);
  TVelSkinImages Radio = Frames(RadioN, RadioN, RadioN);
  TVelSkinImages Arrow = Frames(ArrowN, ArrowS, ArrowD, 7, 11);
  TPopupFixture(int W, int H) {
    Window.SetSize(W, H);
    Window.Clear(0);
    Background.SetSize(W, H);
    Background.Clear(Bg);
  }
  TMenuLookImages Images() const {
    TMenuLookImages i;
    i.Hilight = Hilight.get();
    i.Check = &Check;
    i.Radio = &Radio;
    i.Arrow = &Arrow;
    i.LineColor = 0xFFC4C4C4;
    return i;
  }
};

}  // namespace

TEST_F(MenuLook, TheOnlyItemIsTallerByTheBorderOffsetTheFirstAndLastByHalf) {
  const TMenuLookMetrics m = Metrics();
  auto measure = [&](bool first, bool last, bool separator = false, int hilight = 22) {
    int32_t w = 5, h = 17;
    MeasureMenuItem(m, separator, 50, hilight, TMenuItemPlace{first, last}, w, h);
    return std::pair{w, h};
  };
  EXPECT_EQ(measure(false, false), (std::pair{50 + 31 + 12, 22 + 3}));
  EXPECT_EQ(measure(true, false).second, 22 + 3 + 3);
  EXPECT_EQ(measure(false, true).second, 22 + 3 + 3);
  EXPECT_EQ(measure(true, true).second, 22 + 3 + 6);
  // Without a highlight image the system's height stays, the place still counts.
  EXPECT_EQ(measure(false, false, false, -1).second, 17);
  EXPECT_EQ(measure(true, true, false, -1).second, 17 + 6);
  // Separators: 3 pixels whatever their place; the width is the system's.
  EXPECT_EQ(measure(false, false, true), (std::pair{5, 3}));
  EXPECT_EQ(measure(true, true, true).second, 3);
  // An odd border offset: halves round down.
  TMenuLookMetrics odd = m;
  odd.BorderOffset = 7;
  int32_t w = 0, h = 0;
  MeasureMenuItem(odd, false, 0, 20, TMenuItemPlace{true, false}, w, h);
  EXPECT_EQ(h, 20 + 3 + 3);
}

TEST_F(MenuLook, LayoutPlacesContentGlyphBarTextHighlightAndLine) {
  const TMenuLookMetrics m = Metrics();
  // A middle item, client area 3 pixels into the window.
  const TMenuItemLayout mid = LayoutMenuItem(m, TRect{0, 28, 150, 53}, TPoint{3, 3}, TMenuItemPlace{});
  EXPECT_EQ(mid.Item, (TRect{3, 31, 153, 56}));
  EXPECT_EQ(mid.Content, mid.Item);
  EXPECT_EQ(mid.GlyphBar, (TRect{3, 31, 34, 56}));
  EXPECT_EQ(mid.Text, (TRect{35, 31, 141, 56}));
  EXPECT_EQ(mid.ShortCut, (TRect{35, 31, 137, 56}));
  EXPECT_EQ(mid.Hilight, (TRect{3 + 3 + 1, 32, 153 - 3 - 1, 55}));
  EXPECT_EQ(mid.Line, (TRect{7, 32, 148, 33}));
  // The first item keeps its extra rows above the content, the last below.
  const TMenuItemLayout first = LayoutMenuItem(m, TRect{0, 0, 150, 28}, TPoint{0, 0}, TMenuItemPlace{true, false});
  EXPECT_EQ(first.Content, (TRect{0, 3, 150, 28}));
  const TMenuItemLayout only = LayoutMenuItem(m, TRect{0, 0, 150, 31}, TPoint{0, 0}, TMenuItemPlace{true, true});
  EXPECT_EQ(only.Content, (TRect{0, 3, 150, 28}));
  EXPECT_EQ(only.GlyphBar.Bottom, 28);
  // Too short for both halves: never upside down.
  const TMenuItemLayout tiny = LayoutMenuItem(m, TRect{0, 0, 150, 4}, TPoint{0, 0}, TMenuItemPlace{true, true});
  EXPECT_GE(tiny.Content.Bottom, tiny.Content.Top);

  // The arrow at the right (its width, 4 pixels and the border offset in),
  // vertically centred; check marks centred in the glyph bar and moved by one.
  EXPECT_EQ(MenuArrowPos(m, mid, 7, 11), (TPoint{153 - 7 - 4 - 6, 38}));
  EXPECT_EQ(MenuCheckPos(m, mid, 20, 20), (TPoint{3 + 5 + 1, 31 + 2 + 1}));
  EXPECT_EQ(MenuGlyphPos(mid, 16, 16), (TPoint{3 + 7, 31 + 4}));

  // At twice the scale every logical pixel doubles.
  const TMenuLookMetrics m2 = Metrics(2);
  const TMenuItemLayout big = LayoutMenuItem(m2, TRect{0, 0, 300, 50}, TPoint{0, 0}, TMenuItemPlace{});
  EXPECT_EQ(big.GlyphBar.Right, 62);
  EXPECT_EQ(big.Text, (TRect{64, 0, 300 - 24, 50}));
  EXPECT_EQ(big.Hilight, (TRect{6 + 2, 2, 300 - 6 - 2, 48}));
  int32_t w = 0, h = 0;
  MeasureMenuItem(m2, true, 0, 22, TMenuItemPlace{}, w, h);
  EXPECT_EQ(h, 6);
}

TEST_F(MenuLook, ThreeFrameStripsShowSelectedOnlyWhenEnabled) {
  EXPECT_EQ(MenuFrameIndex(false, true), 0);
  EXPECT_EQ(MenuFrameIndex(true, true), 1);
  EXPECT_EQ(MenuFrameIndex(false, false), 2);
  EXPECT_EQ(MenuFrameIndex(true, false), 2);
}

TEST_F(MenuLook, AnItemPaintsBackgroundHighlightCheckArrowAndLine) {
  const TMenuLookMetrics m = Metrics();
  TPopupFixture f(160, 120);
  const TMenuItemLayout l = LayoutMenuItem(m, TRect{0, 28, 150, 53}, TPoint{3, 3}, TMenuItemPlace{});
  TMenuItemLook look;
  look.Checked = true;

  // Normal: background in the item only, the normal check frame, no highlight.
  PaintMenuItem(m, f.Window, f.Background, l, look, f.Images());
  const TPoint c = MenuCheckPos(m, l, 20, 20);
  EXPECT_EQ(f.Window.Pixel(c.X + 10, c.Y + 10), CheckN);
  EXPECT_EQ(CountColour(f.Window, Hi, l.Item), 0);
  EXPECT_EQ(f.Window.Pixel(l.Item.Right - 2, l.Item.Top), Bg);
  EXPECT_EQ(f.Window.Pixel(1, 1), 0u);  // outside every item: untouched
  EXPECT_EQ(f.Window.Pixel(5, l.Item.Top - 1), 0u);

  // Selected: the highlight fills its rectangle; the selected check frame lies on it.
  look.Selected = true;
  PaintMenuItem(m, f.Window, f.Background, l, look, f.Images());
  EXPECT_EQ(f.Window.Pixel(l.Hilight.Right - 1, l.Hilight.Bottom - 1), Hi);
  EXPECT_EQ(f.Window.Pixel(l.Hilight.Right, l.Hilight.Bottom), Bg);
  EXPECT_EQ(f.Window.Pixel(c.X + 10, c.Y + 10), CheckS);

  // Deselected again: the highlight is gone (the background is laid anew).
  look.Selected = false;
  PaintMenuItem(m, f.Window, f.Background, l, look, f.Images());
  EXPECT_EQ(CountColour(f.Window, Hi, l.Item), 0);

  // Disabled and selected: no highlight, the disabled frame.
  look.Selected = true;
  look.Enabled = false;
  PaintMenuItem(m, f.Window, f.Background, l, look, f.Images());
  EXPECT_EQ(CountColour(f.Window, Hi, l.Item), 0);
  EXPECT_EQ(f.Window.Pixel(c.X + 10, c.Y + 10), CheckD);

  // A radio item takes the radio strip; an unchecked item shows neither.
  look = TMenuItemLook{};
  look.Checked = look.Radio = true;
  PaintMenuItem(m, f.Window, f.Background, l, look, f.Images());
  EXPECT_EQ(f.Window.Pixel(c.X + 10, c.Y + 10), RadioN);
  look.Checked = false;
  PaintMenuItem(m, f.Window, f.Background, l, look, f.Images());
  EXPECT_EQ(CountColour(f.Window, RadioN, l.Item) + CountColour(f.Window, CheckN, l.Item), 0);

  // An item with sub-items shows the arrow (selected frame when selected) and no check.
  look = TMenuItemLook{};
  look.HasSubItems = look.Checked = true;
  PaintMenuItem(m, f.Window, f.Background, l, look, f.Images());
  const TPoint a = MenuArrowPos(m, l, 7, 11);
  EXPECT_EQ(f.Window.Pixel(a.X + 3, a.Y + 5), ArrowN);
  EXPECT_EQ(CountColour(f.Window, CheckN, l.Item), 0);
  look.Selected = true;
  PaintMenuItem(m, f.Window, f.Background, l, look, f.Images());
  EXPECT_EQ(f.Window.Pixel(a.X + 3, a.Y + 5), ArrowS);

  // The item's own glyph replaces the check mark, centred in the glyph bar.
  look = TMenuItemLook{};
  look.Checked = true;
  auto glyph = Solid(16, 16, 0xFF0000FF);
  TMenuLookImages withGlyph = f.Images();
  withGlyph.Glyph = glyph.get();
  PaintMenuItem(m, f.Window, f.Background, l, look, withGlyph);
  EXPECT_EQ(CountColour(f.Window, 0xFF0000FF, l.GlyphBar), 256);
  EXPECT_EQ(CountColour(f.Window, CheckN, l.Item), 0);
}

TEST_F(MenuLook, SeparatorsShowOneLineInLineColourAndNothingElse) {
  const TMenuLookMetrics m = Metrics();
  TPopupFixture f(160, 40);
  const TMenuItemLayout l = LayoutMenuItem(m, TRect{0, 10, 150, 13}, TPoint{3, 3}, TMenuItemPlace{});
  TMenuItemLook look;
  look.Separator = true;
  look.Selected = look.Checked = true;
  PaintMenuItem(m, f.Window, f.Background, l, look, f.Images());
  EXPECT_EQ(CountColour(f.Window, 0xFFC4C4C4, TRect{0, 0, 160, 40}), l.Line.Right - l.Line.Left);
  for (int x = l.Line.Left; x < l.Line.Right; ++x) EXPECT_EQ(f.Window.Pixel(x, 14), 0xFFC4C4C4u) << x;
  EXPECT_EQ(f.Window.Pixel(l.Line.Right, 14), Bg);
  EXPECT_EQ(CountColour(f.Window, Hi, l.Item), 0);
}

TEST_F(MenuLook, ItemsOutsideTheWindowAreClippedAway) {
  // A long popup that the system scrolls: items far below the window, or
  // half inside it, never write outside the bitmap.
  const TMenuLookMetrics m = Metrics();
  TPopupFixture f(100, 50);
  TMenuItemLook look;
  look.Selected = look.Checked = true;
  for (const TRect& r : {TRect{0, 40, 150, 65}, TRect{0, 25000, 150, 25025}, TRect{-300, -80, -10, -55},
                         TRect{0, 0, 100000, 25}}) {
    PaintMenuItem(m, f.Window, f.Background, LayoutMenuItem(m, r, TPoint{3, 3}, TMenuItemPlace{}), look, f.Images());
  }
  EXPECT_EQ(f.Window.Pixel(50, 49), Hi);
  // An empty popup bitmap takes nothing.
  TBitmap32 none;
  PaintMenuItem(m, none, f.Background, LayoutMenuItem(m, TRect{0, 0, 10, 10}, TPoint{}, TMenuItemPlace{}), look,
                f.Images());
}

TEST_F(MenuLook, PremultiplicationRoundsEachChannelTimesAlpha) {
  std::vector<TColor32> src;
  for (uint32_t a = 0; a < 256; ++a)
    for (uint32_t v = 0; v < 256; ++v) src.push_back((a << 24) | (v << 16) | ((255 - v) << 8) | (v / 2));
  std::vector<uint32_t> dst(src.size());
  PremultiplyPixels(src.data(), dst.data(), src.size());
  for (size_t i = 0; i < src.size(); ++i) {
    const uint32_t a = src[i] >> 24;
    auto ref = [a](uint32_t c) { return static_cast<uint32_t>(std::floor(c * a / 255.0 + 0.5)); };
    const uint32_t want = (a << 24) | (ref((src[i] >> 16) & 0xFF) << 16) | (ref((src[i] >> 8) & 0xFF) << 8) |
                          ref(src[i] & 0xFF);
    ASSERT_EQ(dst[i], want) << std::hex << src[i];
  }
}
