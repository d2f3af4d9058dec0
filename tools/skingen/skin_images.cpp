#include "tools/skingen/skin_images.h"

#include "tools/skingen/painter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// ---- Palette -------------------------------------------------------------------
// Neutral greys and one blue carry the whole set; red and green only where a
// state means danger or success.

constexpr uint32_t kFrameGrey = 0xC4C4C4;     // resting outlines
constexpr uint32_t kFrameBlue = 0x5699DA;     // hot outlines
constexpr uint32_t kTickBlue = 0x3C8CD2;      // marks in the hot state
constexpr uint32_t kGlyphGrey = 0x7F888F;     // small icons
constexpr uint32_t kArrowGrey = 0x5A5A5A;     // drop-down arrows
constexpr uint32_t kMenuArrowGrey = 0x6E6E6E;
constexpr uint32_t kAlertRed = 0xE35850;
constexpr uint32_t kInfoBlue = 0x4EA9E9;
constexpr uint32_t kOkGreen = 0x5FB41B;
constexpr uint32_t kGlyphWhite = 0xFFFDF4;

// The light button face (normal) and its hot variant.
struct TFaceColors {
  uint32_t Top, Side, Bottom, Highlight, BodyTop, BodyBottom, Lower;
};
constexpr TFaceColors kFaceNormal{0xBCC9D0, 0xB4C3CB, 0xABBDC6, 0xF6F9FB, 0xE5EFF4, 0xD6E7EF, 0xDFECF3};
constexpr TFaceColors kFaceHot{0xA2CDE2, 0x98C4D9, 0x8EBBD1, 0xEAF6FC, 0xD6EDF9, 0xB7DCEF, 0xC4E3F1};

TColor32 ScaledAlpha(TColor32 C, uint32_t Factor) {
  return WithAlpha(C, static_cast<int>((AlphaOf(C) * Factor + 127) / 255));
}

// A 1-px outline of the rectangle (X1, Y1)-(X2, Y2) (inclusive) with corners of
// radius about 2: the corner pixel at CornerA of the edge colour, its two
// neighbours at NextA. Top/bottom colours run along rows Y1/Y2, Side along the
// columns. The inner corner pixels are left to the caller.
void RoundOutline(TSkinPainter& P, int X1, int Y1, int X2, int Y2, TColor32 Top, TColor32 Side, TColor32 Bottom,
                  uint32_t CornerA = 0x54, uint32_t NextA = 0xBD) {
  P.HLine(X1 + 2, X2 - 2, Y1, Top);
  P.HLine(X1 + 2, X2 - 2, Y2, Bottom);
  P.VLine(X1, Y1 + 2, Y2 - 2, Side);
  P.VLine(X2, Y1 + 2, Y2 - 2, Side);
  for (int x : {X1, X2}) {
    P.Put(x, Y1, ScaledAlpha(Top, CornerA));
    P.Put(x, Y2, ScaledAlpha(Bottom, CornerA));
    P.Put(x, Y1 + 1, ScaledAlpha(Side, NextA));
    P.Put(x, Y2 - 1, ScaledAlpha(Side, NextA));
  }
  P.Put(X1 + 1, Y1, ScaledAlpha(Top, NextA));
  P.Put(X2 - 1, Y1, ScaledAlpha(Top, NextA));
  P.Put(X1 + 1, Y2, ScaledAlpha(Bottom, NextA));
  P.Put(X2 - 1, Y2, ScaledAlpha(Bottom, NextA));
}

// Softens the four inner corner pixels of an outline drawn by RoundOutline
// towards the side colour, so the corner reads round from inside too.
void SoftenInnerCorners(TSkinPainter& P, int X1, int Y1, int X2, int Y2, TColor32 Side) {
  for (int x : {X1 + 1, X2 - 1})
    for (int y : {Y1 + 1, Y2 - 1}) P.Put(x, y, MixColor(P.Get(x, y), Side, 0.45));
}

// ---- Buttons ---------------------------------------------------------------------

// One 68x27 frame of the push button: the face spans columns 1..66 and rows 1..24,
// a soft shadow row 25 lies under it, row 26 and the outer columns stay clear.
void ButtonFace(TSkinPainter& P, const TFaceColors& C) {
  RoundOutline(P, 1, 1, 66, 24, Rgb(C.Top), Rgb(C.Side), Rgb(C.Bottom));
  P.HLine(2, 65, 2, Rgb(C.Highlight));
  P.VGradient(2, 65, 3, 22, Rgb(C.BodyTop), Rgb(C.BodyBottom));
  P.HLine(2, 65, 23, Rgb(C.Lower));
  SoftenInnerCorners(P, 1, 1, 66, 24, Rgb(C.Side));
  P.HLine(2, 65, 25, Argb(0x0A, 0x000000));
}

void ButtonPressedFace(TSkinPainter& P) {
  const TColor32 border = 0x7A5C6D77, bottom = 0x5D5D6E78;
  RoundOutline(P, 1, 1, 66, 24, border, border, bottom);
  P.HLine(2, 65, 2, 0x260B1921);
  for (int y = 3; y <= 23; ++y) {
    const int alpha = static_cast<int>(std::lround(0x13 + (0x08 - 0x13) * (y - 3) / 20.0));
    P.HLine(2, 65, y, Argb(static_cast<uint32_t>(alpha), 0x163444));
  }
  for (int x : {2, 65}) {
    P.Put(x, 2, MixColor(P.Get(x, 2), border, 0.5));
    P.Put(x, 23, MixColor(P.Get(x, 23), bottom, 0.5));
  }
  P.HLine(2, 65, 25, Argb(0x80, 0xFFFFFF));
}

void ButtonFocusFace(TSkinPainter& P) {
  RoundOutline(P, 1, 1, 66, 24, Rgb(0x2FAFEF), Rgb(0x29A9E9), Rgb(0x24A3E3));
  P.VGradient(2, 65, 2, 23, Rgb(kFaceNormal.BodyTop), Rgb(kFaceNormal.BodyBottom));
  for (int ring = 0; ring < 2; ++ring) {
    const TColor32 c = Rgb(ring == 0 ? 0xA4E2FC : 0xCCE9F5);
    const int x1 = 2 + ring, y1 = 2 + ring, x2 = 65 - ring, y2 = 23 - ring;
    P.HLine(x1, x2, y1, c);
    P.HLine(x1, x2, y2, c);
    P.VLine(x1, y1, y2, c);
    P.VLine(x2, y1, y2, c);
  }
  SoftenInnerCorners(P, 1, 1, 66, 24, Rgb(0x29A9E9));
  P.HLine(2, 65, 25, Argb(0x0A, 0x000000));
}

void DrawButton(TSkinPainter& P) {
  P.SetOrigin(0, 0);
  ButtonFace(P, kFaceNormal);
  P.SetOrigin(68, 0);
  ButtonFace(P, kFaceHot);
  P.SetOrigin(136, 0);
  ButtonPressedFace(P);
  // Disabled: the normal face at 40 % opacity, one pixel up and left.
  P.SetOrigin(0, 0);
  for (int y = 1; y < 27; ++y)
    for (int x = 1; x < 68; ++x) P.Put(204 + x - 1, y - 1, ScaledAlpha(P.Get(x, y), 0x66));
  P.SetOrigin(272, 0);
  ButtonFocusFace(P);
}

// Glass face of flat (toolbar) buttons, Size x Size; Pressed reverses the gloss.
void FlatGlass(TSkinPainter& P, int Size, bool Pressed) {
  const int last = Size - 1;
  const uint32_t top = Pressed ? 0x5A : 0x4E, side = Pressed ? 0x6D : 0x5A, bottom = Pressed ? 0x7E : 0x65;
  RoundOutline(P, 0, 0, last, last, Argb(top, 0), Argb(side, 0), Argb(bottom, 0));
  // The corners have fixed alphas, whatever the edge alpha.
  for (int x : {0, last})
    for (int y : {0, last}) P.Put(x, y, Argb(0x13, 0));
  for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {last - 1, 0}, {last, 1}, {0, last - 1}, {1, last}, {last, last - 1},
                      {last - 1, last}})
    P.Put(x, y, Argb(0x3D, 0));
  P.HLine(1, last - 1, 1, Argb(Pressed ? 0x80 : 0xCE, 0xFFFFFF));
  const int split = Size / 2 - 1;  // first row of the lower half (10 in a 22-px face)
  auto ramp = [](int y, int y1, int y2, double a1, double a2) {
    return static_cast<uint32_t>(std::lround(a1 + (a2 - a1) * (y - y1) / double(std::max(1, y2 - y1))));
  };
  for (int y = 2; y <= last - 2; ++y) {
    uint32_t a;
    if (!Pressed)
      a = y < split ? ramp(y, 2, split - 1, 0x8A, 0x39) : ramp(y, split, last - 2, 0x1A, 0x05);
    else
      a = y <= split + 2 ? ramp(y, 2, split + 2, 0x03, 0x1A) : ramp(y, split + 3, last - 2, 0x39, 0x7F);
    P.HLine(1, last - 1, y, Argb(a, 0xFFFFFF));
  }
  P.HLine(1, last - 1, last - 1, Argb(Pressed ? 0xC5 : 0x8D, 0xFFFFFF));
}

void DrawFlatButtons(TSkinPainter& P, int Size) {
  P.SetOrigin(Size, 0);
  FlatGlass(P, Size, false);
  P.SetOrigin(2 * Size, 0);
  FlatGlass(P, Size, true);
}

// ---- Check boxes and radio buttons ---------------------------------------------

// The 15x15 box with its top-left corner at (X, Y); Tick 0 none, else its colour.
void CheckBoxFrame(TSkinPainter& P, int X, int Y, uint32_t Border, uint32_t Tick) {
  P.Fill(X, Y, X + 15, Y + 15, Rgb(Border));
  P.Fill(X + 1, Y + 1, X + 14, Y + 14, Rgb(0xFFFFFF));
  if (Tick) {
    const double x = X - 1, y = Y - 1;  // tick coordinates are given for a box at (1, 1)
    P.Over(StrokeShape({{x + 3.5, y + 8.5}, {x + 6.5, y + 11.5}, {x + 12.5, y + 4.5}}, 2.1), Rgb(Tick));
  }
}

void DrawCheckBox(TSkinPainter& P) {
  CheckBoxFrame(P, 1, 1, kFrameGrey, 0);
  CheckBoxFrame(P, 18, 1, kFrameBlue, 0);
  CheckBoxFrame(P, 35, 1, kFrameGrey, 0xA4A4A4);
  CheckBoxFrame(P, 52, 1, kFrameBlue, kTickBlue);
}

void DrawRadio(TSkinPainter& P) {
  const uint32_t rings[4] = {kFrameGrey, kFrameGrey, kFrameBlue, kFrameBlue};
  const uint32_t dots[4] = {0, 0xAEAEAE, kFrameBlue, 0};
  for (int i = 0; i < 4; ++i) {
    const double cx = 17 * i + 8.5, cy = 8.5;
    P.Over(DiscShape(cx, cy, 7.5), Rgb(rings[i]));
    P.Over(DiscShape(cx, cy, 6.5), Rgb(0xFFFFFF));
    if (dots[i]) P.Over(DiscShape(cx, cy, 3.5), Rgb(dots[i]));
  }
}

// ---- Drop-down parts -------------------------------------------------------------

void DrawDropdownMenu(TSkinPainter& P) {
  const TColor32 colors[4] = {Argb(0xAD, 0x293A48), Rgb(0x189AD9), Rgb(0x1481B6), Argb(0x55, 0x515F6A)};
  for (int f = 0; f < 4; ++f) {
    P.SetOrigin(15 * f, 0);
    P.Fill(3, 0, 15, 32, Argb(0x1A, 0xFFFFFF));
    for (int y = 0; y < 32; ++y) {
      const double fade = std::min({1.0, (y + 1) / 8.0, (32 - y) / 8.0});
      P.Put(0, y, Argb(static_cast<uint32_t>(std::lround(0x1B * fade)), 0xFFFFFF));
      P.Put(1, y, Argb(static_cast<uint32_t>(std::lround(0x12 * fade)), 0x000000));
      P.Put(2, y, Argb(static_cast<uint32_t>(std::lround(0x32 * fade)), 0xFFFFFF));
    }
    const double dy = f == 2 ? 1 : 0;  // pressed: one row lower
    P.Source(PolygonShape({{5, 14 + dy}, {12, 14 + dy}, {8.5, 18.6 + dy}}), colors[f]);
  }
  P.SetOrigin(0, 0);
}

// Down-pointing triangle 9 px wide at row Top, tip four rows lower.
TShape DropTriangle(double CX, double Top) {
  return PolygonShape({{CX - 5.5, Top}, {CX + 5.5, Top}, {CX, Top + 5.5}});
}

// A rounded light box filling W x H with the hot face colours; the corner pixels
// at alpha 0x54 and their neighbours at 0x96.
void HotBox(TSkinPainter& P, int W, int H, uint32_t Border, uint32_t Highlight, uint32_t BodyTop,
            uint32_t BodyBottom, uint32_t Lower) {
  RoundOutline(P, 0, 0, W - 1, H - 1, Rgb(Border), Rgb(Border), Rgb(Border), 0x54, 0x96);
  P.HLine(1, W - 2, 1, Rgb(Highlight));
  P.VGradient(1, W - 2, 2, H - 3, Rgb(BodyTop), Rgb(BodyBottom));
  P.HLine(1, W - 2, H - 2, Rgb(Lower));
  SoftenInnerCorners(P, 0, 0, W - 1, H - 1, Rgb(Border));
}

void DrawDropArrow(TSkinPainter& P, bool Hot) {
  if (Hot) HotBox(P, 23, 24, 0x37B9F9, 0xEAF6FC, 0xD6EDF9, 0xB7DCEF, 0xC4E3F1);
  P.Over(DropTriangle(11.5, 10), Rgb(kArrowGrey));
}

// ---- Window frame and title buttons ----------------------------------------------

void DrawBorder(TSkinPainter& P, uint32_t Color) {
  P.Fill(0, 0, 35, 35, Rgb(Color));
  P.Fill(1, 1, 34, 34, Rgb(0xFFFFFF));
}

struct TTileColors {
  uint32_t Body;        // 0: the faint white normal body
  uint32_t BodyBottom;  // bottom colour of a pressed gradient
  uint32_t Highlight;   // line under the top edge, 0 for none
};

// A title-bar tile W x 19 hanging from the window's top edge: dark hairline on the
// sides and bottom with rounded bottom corners, a glossy body.
void TitleTile(TSkinPainter& P, int W, int State, const TTileColors& C) {
  const TColor32 hair = Argb(0x1E, 0x000000);
  P.VLine(0, 0, 16, hair);
  P.VLine(W - 1, 0, 16, hair);
  P.HLine(2, W - 3, 18, hair);
  for (auto [x, y] : {std::pair{0, 17}, {1, 18}, {W - 1, 17}, {W - 2, 18}}) P.Put(x, y, Argb(0x0F, 0x000000));
  for (int y = 0; y <= 17; ++y) {
    const int x1 = 1, x2 = W - 2;
    TColor32 c;
    if (State == 0) {
      const double a = y < 9 ? 0x50 - (0x50 - 0x30) * y / 8.0 : 0x10 - (0x10 - 0x02) * (y - 9) / 8.0;
      c = Argb(static_cast<uint32_t>(std::lround(a)), 0xFFFFFF);
    } else if (State == 1) {
      const double a = y < 9 ? 0xCA : 0xA0 + (0xB4 - 0xA0) * (y - 9) / 8.0;
      c = Argb(static_cast<uint32_t>(std::lround(a)), C.Body);
    } else {
      c = WithAlpha(MixColor(Rgb(C.Body), Rgb(C.BodyBottom), y / 17.0), 0xE6);
    }
    P.HLine(x1, x2, y, c);
    if (y == 17) {
      P.Put(x1, y, ScaledAlpha(c, 0x80));
      P.Put(x2, y, ScaledAlpha(c, 0x80));
    }
  }
  if (State != 0 && C.Highlight) P.HLine(1, W - 2, 0, Argb(State == 1 ? 0xE0 : 0xC0, C.Highlight));
}

void DrawCloseButton(TSkinPainter& P) {
  const TTileColors normal{0, 0, 0}, hot{0xF4370B, 0xF4370B, 0xFF8A6E}, pressed{0xB12500, 0xB32500, 0xD9572F};
  const TTileColors* tiles[3] = {&normal, &hot, &pressed};
  for (int f = 0; f < 3; ++f) {
    P.SetOrigin(39 * f, 0);
    TitleTile(P, 39, f, *tiles[f]);
    // Round-capped strokes: the ends sit half a stroke width inside the 9 x 9 box
    // (columns 15..23, rows 7..15) so that no coverage spills onto the body around it.
    const TShape cross = UnionShape(StrokeShape({{15.85, 7.85}, {23.15, 15.15}}, 1.7),
                                    StrokeShape({{23.15, 7.85}, {15.85, 15.15}}, 1.7));
    P.Over(cross, Rgb(0xFFFFFF));
  }
  P.SetOrigin(0, 0);
}

enum class TTitleGlyph { Maximize, Minimize, Restore };

void WindowOutline(TSkinPainter& P, int X1, int Y1, int X2, int Y2, TColor32 C) {
  P.Fill(X1, Y1, X2 + 1, Y1 + 2, C);  // 2-px top bar
  P.HLine(X1, X2, Y2, C);
  P.VLine(X1, Y1, Y2, C);
  P.VLine(X2, Y1, Y2, C);
}

void DrawTitleButton(TSkinPainter& P, TTitleGlyph Glyph) {
  const TTileColors normal{0, 0, 0}, hot{0x0AB2F0, 0x0AB2F0, 0x6FD7FF}, pressed{0x0089BD, 0x0089BD, 0x1DB2EB};
  const TTileColors* tiles[3] = {&normal, &hot, &pressed};
  const TColor32 white = Rgb(0xFFFFFF);
  for (int f = 0; f < 3; ++f) {
    P.SetOrigin(28 * f, 0);
    TitleTile(P, 28, f, *tiles[f]);
    switch (Glyph) {
      case TTitleGlyph::Maximize:
        WindowOutline(P, 10, 8, 20, 13, white);
        break;
      case TTitleGlyph::Minimize:
        P.Fill(9, 13, 20, 15, white);
        break;
      case TTitleGlyph::Restore:
      {
        // The back window, then the front one hiding what lies behind it.
        TColor32 saved[6][10];
        for (int y = 0; y < 6; ++y)
          for (int x = 0; x < 10; ++x) saved[y][x] = P.Get(9 + x, 9 + y);
        WindowOutline(P, 12, 7, 21, 12, white);
        for (int y = 0; y < 6; ++y)
          for (int x = 0; x < 10; ++x) P.Put(9 + x, 9 + y, saved[y][x]);
        WindowOutline(P, 9, 9, 18, 14, white);
      }
        break;
    }
  }
  P.SetOrigin(0, 0);
}

// ---- Message icons ---------------------------------------------------------------

enum class TMsgGlyph { Cross, Exclamation, Info, Tick, Question };

void DrawMsgIcon(TSkinPainter& P, uint32_t Disc, TMsgGlyph Glyph) {
  P.Over(DiscShape(20, 20, 18), Rgb(Disc));
  const TColor32 g = Rgb(kGlyphWhite);
  switch (Glyph) {
    case TMsgGlyph::Cross:
      P.Over(UnionShape(StrokeShape({{13.5, 13.5}, {26.5, 26.5}}, 3.6), StrokeShape({{26.5, 13.5}, {13.5, 26.5}}, 3.6)),
             g);
      break;
    case TMsgGlyph::Exclamation:
      P.Over(StrokeShape({{20, 10.5}, {20, 22.5}}, 4.0), g);
      P.Over(DiscShape(20, 28.5, 2.4), g);
      break;
    case TMsgGlyph::Info:
      P.Over(DiscShape(20, 11.5, 2.4), g);
      P.Over(StrokeShape({{20, 17.5}, {20, 29}}, 4.0), g);
      break;
    case TMsgGlyph::Tick:
      P.Over(StrokeShape({{11.5, 20.5}, {17.5, 26.5}, {28.5, 14.5}}, 3.8), g);
      break;
    case TMsgGlyph::Question: {
      std::vector<TPointD> pts;
      const double cx = 20, cy = 15.5, r = 5.5;
      for (int i = 0; i <= 24; ++i) {  // from the left, over the top, down the right side
        const double a = std::numbers::pi * (1.0 + 1.3 * i / 24.0);
        pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
      }
      pts.push_back({20, 21.5});
      pts.push_back({20, 23.5});
      P.Over(StrokeShape(std::move(pts), 3.6), g);
      P.Over(DiscShape(20, 29, 2.3), g);
      break;
    }
  }
}

// ---- Menus -----------------------------------------------------------------------

void DrawMenuBackground(TSkinPainter& P) {
  const TColor32 border = Rgb(0x7E7E7E);
  RoundOutline(P, 3, 3, 178, 55, border, border, border);
  P.Fill(4, 4, 178, 55, Rgb(0xF5F5F8));
  P.HLine(5, 176, 4, Rgb(0xF6F6F9));
  for (int x : {4, 177})
    for (int y : {4, 54}) P.Put(x, y, Rgb(0xD6D6D8));
}

// Three frames: normal, selected (white), disabled.
const TColor32 kMenuGlyphColors[3] = {Rgb(kGlyphGrey), Rgb(0xFFFFFF), Argb(0x66, kGlyphGrey)};

// A tick spanning rows 3 to 15 of each frame.
void DrawMenuCheck(TSkinPainter& P) {
  for (int f = 0; f < 3; ++f) {
    P.SetOrigin(20 * f, 0);
    P.Source(StrokeShape({{5, 11}, {8.5, 14.5}, {15, 4.5}}, 2.0), kMenuGlyphColors[f]);
  }
  P.SetOrigin(0, 0);
}

void DrawMenuRadio(TSkinPainter& P) {
  for (int f = 0; f < 3; ++f) {
    P.SetOrigin(20 * f, 0);
    P.Source(DiscShape(10, 10, 2.8), kMenuGlyphColors[f]);
  }
  P.SetOrigin(0, 0);
}

void DrawMenuSubArrow(TSkinPainter& P) {
  const TColor32 colors[3] = {Rgb(kMenuArrowGrey), Rgb(0xFFFFFF), Argb(0x66, kMenuArrowGrey)};
  for (int f = 0; f < 3; ++f)
    for (int y = 2; y <= 8; ++y) {
      const int len = 4 - std::abs(y - 5);  // 1, 2, 3, 4, 3, 2, 1
      P.HLine(7 * f + 2, 7 * f + 1 + len, y, colors[f]);
    }
}

// ---- Tips, shadows, panels ---------------------------------------------------------

void DrawTipsClose(TSkinPainter& P) {
  for (int f = 0; f < 3; ++f) {
    P.SetOrigin(18 * f, 0);
    const double d = f == 2 ? 1 : 0;
    if (f > 0) P.Over(DiscShape(9 + d, 9 + d, 8), Argb(f == 1 ? 0x26 : 0x3A, 0xFFFFFF));
    const TShape cross = UnionShape(StrokeShape({{4.6 + d, 4.6 + d}, {12.4 + d, 12.4 + d}}, 1.9),
                                    StrokeShape({{12.4 + d, 4.6 + d}, {4.6 + d, 12.4 + d}}, 1.9));
    // Whole pixels near-white; the anti-aliased rim slightly darker.
    P.ForEachCovered(cross, [&](int x, int y, uint32_t cov) {
      const TColor32 c = cov >= 255 ? Rgb(0xF6F6F6) : Rgb(0xE4E4E4 + 0x010101 * (cov * 3 / 255));
      P.Put(x, y, MergePixelMaster(c, P.Get(x, y), cov));
    });
  }
  P.SetOrigin(0, 0);
}

// Alpha of a soft shadow D pixels in from the outer edge (0..9), rising to 0x2E.
uint32_t ShadowRamp(double D) {
  if (D <= 0) return 0;
  return static_cast<uint32_t>(std::lround(0x2E * std::pow(std::min(D, 9.0) / 9.0, 1.6)));
}

// The soft window shadow of the layered border: a 10-px outer fade with rounded
// corners, a darker line just inside it, and a faint interior.
void DrawShadow(TSkinPainter& P, int W, int H, bool Panel) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const int dx = std::min(x, W - 1 - x), dy = std::min(y, H - 1 - y);
      if (dx < 10 || dy < 10) {
        double d;
        if (dx < 10 && dy < 10)  // round the corner
          d = 10 - std::hypot(10.0 - dx, 10.0 - dy);
        else
          d = std::min(dx, dy);
        P.Put(x, y, Argb(ShadowRamp(d), 0x000000));
      } else if (dx == 10 || dy == 10) {
        const bool dark = x == W - 11 || y == H - 11;
        P.Put(x, y, dark ? Argb(0x59, 0x151515) : Argb(0x50, 0x484848));
      } else {
        P.Put(x, y, Panel ? Rgb(0xFFFFFF) : Argb(0x0B, 0x000000));
      }
    }
  if (Panel) {
    // A card: light grey outline instead of the dark line.
    const TColor32 line = Rgb(0xD6D6D8);
    P.HLine(10, W - 11, 10, line);
    P.HLine(10, W - 11, H - 11, line);
    P.VLine(10, 10, H - 11, line);
    P.VLine(W - 11, 10, H - 11, line);
  }
}

// ---- Toolbar scroll buttons ---------------------------------------------------------

// One 30x29 frame of the "back" button (arrow pointing left): 0 normal, 1 hot,
// 2 pressed, 3 disabled.
void BrowserFrame(TSkinPainter& P, int State) {
  const TShape box = RoundRectShape(2, 2, 28, 27, 3);
  const TShape inner = RoundRectShape(3, 3, 27, 26, 2);
  if (State == 1) {
    P.Over(DifferenceShape(box, inner), Argb(0x33, 0x000000));
    P.Over(inner, Argb(0x60, 0xFFFFFF));
  } else if (State == 2) {
    P.Over(DifferenceShape(box, inner), Argb(0x4D, 0x000000));
    P.Over(inner, Argb(0x14, 0x000000));
  }
  const uint32_t alpha = State == 3 ? 0x62 : 0xEC;
  const double d = State == 2 ? 1 : 0;
  P.Over(StrokeShape({{17.5 + d, 8.5 + d}, {11.5 + d, 14.5 + d}, {17.5 + d, 20.5 + d}}, 2.6), Argb(alpha, 0xEAECED));
}

void DrawBrowser(TSkinPainter& P, bool Front, bool Vertical) {
  // Draw the four back frames into a scratch bitmap, then place each one
  // mirrored (front) or transposed (vertical) in the strip; the front strips
  // hold the frames in reverse order.
  TBitmap32 scratch;
  scratch.SetSize(30, 29);
  scratch.Clear(0);
  TSkinPainter s(scratch);
  for (int f = 0; f < 4; ++f) {
    scratch.Clear(0);
    BrowserFrame(s, f);
    const int slot = Front ? 3 - f : f;
    for (int y = 0; y < 29; ++y)
      for (int x = 0; x < 30; ++x) {
        const int sx = Front ? 29 - x : x;
        const TColor32 c = s.Get(sx, y);
        if (Vertical)
          P.Put(y, slot * 30 + x, c);
        else
          P.Put(slot * 30 + x, y, c);
      }
  }
}

// ---- Scroll bars ---------------------------------------------------------------------

// Thumb of W x H: a rounded bar 6 px thick along the long axis, interior at
// BodyA and a 1-px rim at EdgeA (both black).
void DrawThumb(TSkinPainter& P, int W, int H, uint32_t BodyA, uint32_t EdgeA) {
  const bool vertical = H > W;
  const TShape outer = vertical ? RoundRectShape(2, 1, 8, H - 1, 3) : RoundRectShape(1, 2, W - 1, 8, 3);
  const TShape inner = vertical ? RoundRectShape(3, 2, 7, H - 2, 2) : RoundRectShape(2, 3, W - 2, 7, 2);
  P.Source(outer, Argb(EdgeA, 0x000000));
  P.ForEachCovered(inner, [&](int x, int y, uint32_t cov) {
    if (cov >= 255) P.Put(x, y, Argb(BodyA, 0x000000));
  });
}

enum class TDir { Up, Down, Left, Right };

// Arrow of a scroll bar end: a 6x3 black triangle at alpha 0x66 pointing its
// way. The normal and pressed states are the bare triangle; the hot state adds
// a faint rounded backing.
void DrawScrollArrow(TSkinPainter& P, TDir Dir, int State) {
  const int w = P.Width(), h = P.Height();
  if (State == 1) P.Over(RoundRectShape(0, 0, w, h, 2), Argb(0x1A, 0x000000));
  const TColor32 c = Argb(0x66, 0x000000);
  for (int i = 0; i < 3; ++i) {
    const int half = i + 1;  // 2, 4, 6 px wide
    switch (Dir) {
      case TDir::Up: P.HLine(5 - half, 4 + half, 3 + i, c); break;
      case TDir::Down: P.HLine(5 - half, 4 + half, 5 - i, c); break;
      case TDir::Left: P.VLine(3 + i, 5 - half, 4 + half, c); break;
      case TDir::Right: P.VLine(5 - i, 5 - half, 4 + half, c); break;
    }
  }
}

// ---- Small icons and pieces ----------------------------------------------------------

void DrawSliderKnob(TSkinPainter& P) {
  P.Over(RoundRectShape(0, 0, 12, 21, 3), Rgb(0xB4C3CB));
  P.Source(RoundRectShape(1, 1, 11, 20, 2),
           [](int, int y) { return MixColor(Rgb(0xF6F9FB), Rgb(0xD6E7EF), y / 20.0); });
  for (int y : {8, 10, 12}) P.HLine(4, 7, y, Rgb(0xA9B8C0));  // grip lines
}

void DrawKeyboard(TSkinPainter& P) {
  const TColor32 c = Rgb(kGlyphGrey);
  P.Over(DifferenceShape(RoundRectShape(1, 5, 19, 16, 2), RoundRectShape(2.3, 6.3, 17.7, 14.7, 1)), c);
  for (int x = 4; x <= 14; x += 3) {
    P.Fill(x, 8, x + 2, 9, c);
    P.Fill(x, 10, x + 2, 11, c);
  }
  P.Fill(6, 12, 14, 13, c);
}

void DrawChevron(TSkinPainter& P, bool Down) {
  const TColor32 c = Rgb(kMenuArrowGrey);
  if (Down)
    P.Over(StrokeShape({{4.5, 6.5}, {8.5, 10.5}, {12.5, 6.5}}, 1.7), c);
  else
    P.Over(StrokeShape({{6.5, 4.5}, {10.5, 8.5}, {6.5, 12.5}}, 1.7), c);
}

void DrawCancel(TSkinPainter& P, uint32_t Disc) {
  P.Over(DiscShape(9, 9, 7.5), Rgb(Disc));
  P.Over(UnionShape(StrokeShape({{6.3, 6.3}, {11.7, 11.7}}, 1.6), StrokeShape({{11.7, 6.3}, {6.3, 11.7}}, 1.6)),
         Rgb(0xFFFFFF));
}

void DrawTabDown(TSkinPainter& P) {
  P.Fill(0, 0, 10, 35, Rgb(0xFFFFFF));
  P.VLine(0, 0, 34, Rgb(kFrameGrey));
  P.VLine(9, 0, 34, Rgb(kFrameGrey));
  P.Fill(0, 0, 10, 2, Rgb(kFrameBlue));
}

void DrawTabHover(TSkinPainter& P) {
  P.Fill(0, 0, 10, 35, Argb(0x80, 0xFFFFFF));
  P.VLine(0, 0, 34, Argb(0x80, kFrameGrey));
  P.VLine(9, 0, 34, Argb(0x80, kFrameGrey));
  P.HLine(0, 9, 0, Argb(0xA0, kFrameBlue));
}

// Tab buttons, 10x25: rounded top, open bottom (they stand on the page).
void DrawTabButton(TSkinPainter& P, int State) {
  const TFaceColors& c = State == 1 ? kFaceHot : kFaceNormal;
  if (State == 2) {
    P.Over(RoundRectShape(0, 0, 10, 27, 2), Rgb(kFrameGrey));
    P.Source(RoundRectShape(1, 1, 9, 27, 1), Rgb(0xFFFFFF));
    P.HLine(1, 8, 0, Rgb(kFrameBlue));
    P.HLine(1, 8, 1, Rgb(kFrameBlue));
    return;
  }
  P.Over(RoundRectShape(0, 0, 10, 27, 2), Rgb(c.Side));
  P.HLine(2, 7, 0, Rgb(c.Top));
  P.Source(RoundRectShape(1, 1, 9, 27, 1), [&](int, int y) {
    return y <= 1 ? Rgb(c.Highlight) : MixColor(Rgb(c.BodyTop), Rgb(c.BodyBottom), (y - 2) / 22.0);
  });
}

void DrawBar(TSkinPainter& P, bool Current) {
  if (!Current) {
    P.Over(RoundRectShape(0, 1, 102, 12, 5.5), Rgb(kFrameGrey));
    P.Source(RoundRectShape(1, 2, 101, 11, 4.5), Rgb(0xF2F2F4));
  } else {
    P.Over(RoundRectShape(0, 1, 102, 12, 5.5), Rgb(0x2F7FC4));
    P.Source(RoundRectShape(1, 2, 101, 11, 4.5),
             [](int, int y) { return MixColor(Rgb(0x74C2F4), Rgb(0x3C8CD2), (y - 2) / 8.0); });
    P.Over(RectShape(5, 2, 97, 3), Argb(0x60, 0xFFFFFF));
  }
}

void DrawDragFlag(TSkinPainter& P) {
  for (auto [x, y] : {std::pair{6, 0}, {3, 3}, {6, 3}, {0, 6}, {3, 6}, {6, 6}}) {
    P.Fill(x, y, x + 2, y + 2, Argb(0xB0, 0x9AA3A9));
    P.Put(x + 1, y + 1, Argb(0xE0, 0x7F888F));
  }
}

// Switch: three 34x17 frames (normal, hot, disabled).
void DrawSwitch(TSkinPainter& P, bool On) {
  for (int f = 0; f < 3; ++f) {
    P.SetOrigin(34 * f, 0);
    const TShape pill = RoundRectShape(0, 0, 34, 17, 8.5);
    const TShape inner = RoundRectShape(1, 1, 33, 16, 7.5);
    if (On) {
      P.Over(pill, Rgb(f == 1 ? 0x3C8CD2 : 0x4A8ACB));
      P.Source(inner, Rgb(f == 1 ? 0x6AA9E6 : kFrameBlue));
      P.Over(DiscShape(25.5, 8.5, 6), Rgb(0xFFFFFF));
    } else {
      P.Over(pill, Rgb(f == 1 ? kFrameBlue : kFrameGrey));
      P.Source(inner, Rgb(0xFFFFFF));
      P.Over(DiscShape(8.5, 8.5, 6), Rgb(f == 1 ? kFrameBlue : kFrameGrey));
    }
    if (f == 2) P.ScaleAlpha(0, 0, 34, 17, 0x66);
  }
  P.SetOrigin(0, 0);
}

void DrawMiniClose(TSkinPainter& P) {
  const TShape cross = UnionShape(StrokeShape({{3.6, 3.6}, {8.4, 8.4}}, 1.5), StrokeShape({{8.4, 3.6}, {3.6, 8.4}}, 1.5));
  P.Over(cross, Rgb(kGlyphGrey));
  P.SetOrigin(12, 0);
  P.Over(DiscShape(6, 6, 6), Rgb(kAlertRed));
  P.Over(cross, Rgb(0xFFFFFF));
  P.SetOrigin(0, 0);
}

void DrawColorTabs(TSkinPainter& P) {
  const uint32_t colors[9] = {0xE35850, 0xF0A030, 0xF2D54B, 0x5FB41B, 0x3CC6C0,
                              0x4EA9E9, 0x337FD1, 0x9A6FD8, 0x7F888F};
  for (int f = 0; f < 9; ++f) {
    P.SetOrigin(40 * f, 0);
    const TColor32 c = Rgb(colors[f]);
    P.Over(RoundRectShape(3, 3, 37, 37, 4), MixColor(c, Rgb(0x000000), 0.18));
    P.Source(RoundRectShape(4, 4, 36, 36, 3), c);
    P.Over(RectShape(6, 4, 34, 5), Argb(0x50, 0xFFFFFF));
  }
  P.SetOrigin(0, 0);
}

void DrawSearch(TSkinPainter& P) {
  const TColor32 c = Rgb(kGlyphGrey);
  P.Over(DifferenceShape(DiscShape(6.5, 6, 5), DiscShape(6.5, 6, 3.4)), c);
  P.Over(StrokeShape({{10, 9.5}, {13.8, 12.8}}, 2.2), c);
}

void DrawCalendar(TSkinPainter& P, uint32_t Color) {
  const TColor32 c = Rgb(Color);
  P.HLine(6, 18, 3, c);
  P.HLine(6, 18, 4, c);
  P.HLine(6, 18, 14, c);
  P.VLine(6, 3, 14, c);
  P.VLine(18, 3, 14, c);
  P.VLine(9, 1, 2, c);
  P.VLine(15, 1, 2, c);
  for (int y : {7, 10})
    for (int x : {9, 12, 15}) P.Fill(x - 1, y, x + 1, y + 2, c);
}

// Spin button halves, 23x12: 0 normal, 1 highlight, 2 pushed.
void DrawSpin(TSkinPainter& P, bool Up, int State) {
  if (State == 1) HotBox(P, 23, 12, 0x37B9F9, 0xEAF6FC, 0xD6EDF9, 0xB7DCEF, 0xC4E3F1);
  if (State == 2) HotBox(P, 23, 12, 0x2FAFEF, 0xC4E3F1, 0xB7DCEF, 0xA4D4EC, 0xB0DAEE);
  const TColor32 c = Rgb(State == 2 ? 0x404040 : kArrowGrey);
  if (Up)
    P.Over(PolygonShape({{7.5, 8}, {15.5, 8}, {11.5, 4}}), c);
  else
    P.Over(PolygonShape({{7.5, 4}, {15.5, 4}, {11.5, 8}}), c);
}

void DrawSlides(TSkinPainter& P) {
  P.Over(RoundRectShape(0, 0, 160, 69, 4), Rgb(kFrameGrey));
  P.Source(RoundRectShape(1, 1, 159, 68, 3), Rgb(0xFFFFFF));
  for (int i = 0; i < 3; ++i) P.Over(DiscShape(72 + 8 * i, 61, 2.5), Rgb(i == 0 ? kFrameBlue : kFrameGrey));
}

// ---- The list ------------------------------------------------------------------------

struct TImageDef {
  const char* ResID;
  int Width, Height;
  bool Blend;
  std::function<void(TSkinPainter&)> Draw;
};

std::vector<TImageDef> ImageDefs() {
  using P = TSkinPainter;
  auto nothing = [](P&) {};
  return {
      {"VelSkinCheckBox", 68, 17, true, DrawCheckBox},
      {"VelSkinButton", 340, 27, true, DrawButton},
      {"VelSkinRadiobtn", 68, 17, true, DrawRadio},
      {"VelSkinDropdownMenu", 60, 32, true, DrawDropdownMenu},
      {"VelSkinFlatBtn", 66, 22, true, [](P& p) { DrawFlatButtons(p, 22); }},
      {"VelSkinMsgIcon_Error", 40, 40, true, [](P& p) { DrawMsgIcon(p, kAlertRed, TMsgGlyph::Cross); }},
      {"VelSkinMsgIcon_Warn", 40, 40, true, [](P& p) { DrawMsgIcon(p, kAlertRed, TMsgGlyph::Exclamation); }},
      {"VelSkinMsgIcon_Info", 40, 40, true, [](P& p) { DrawMsgIcon(p, kInfoBlue, TMsgGlyph::Info); }},
      {"VelSkinMsgIcon_OK", 40, 40, true, [](P& p) { DrawMsgIcon(p, kOkGreen, TMsgGlyph::Tick); }},
      {"VelSkinMsgIcon_Question", 40, 40, true, [](P& p) { DrawMsgIcon(p, kInfoBlue, TMsgGlyph::Question); }},
      {"VelSkinBorderHot", 35, 35, false, [](P& p) { DrawBorder(p, kFrameBlue); }},
      {"VelSkinBorderNormal", 35, 35, false, [](P& p) { DrawBorder(p, kFrameGrey); }},
      {"VelSkinBtn_close", 117, 19, true, DrawCloseButton},
      {"VelSkinBtn_max", 84, 19, true, [](P& p) { DrawTitleButton(p, TTitleGlyph::Maximize); }},
      {"VelSkinBtn_mini", 84, 19, true, [](P& p) { DrawTitleButton(p, TTitleGlyph::Minimize); }},
      {"VelSkinBtn_restore", 84, 19, true, [](P& p) { DrawTitleButton(p, TTitleGlyph::Restore); }},
      {"VelSkinTips_close", 54, 18, true, DrawTipsClose},
      {"VelSkinSlider_dragBackground", 12, 21, true, DrawSliderKnob},
      {"VelSkinPreview_bkg", 60, 134, true, [](P& p) { DrawShadow(p, 60, 134, true); }},
      {"VelSkinSlider_Aio_light_bkg", 60, 134, true, [](P& p) { DrawShadow(p, 60, 134, false); }},
      {"VelSkinPasswordchar", 6, 6, true, [](P& p) { p.Over(DiscShape(3, 3, 2.7), Rgb(0x333333)); }},
      {"VelSkinKeyboard", 20, 20, true, DrawKeyboard},
      {"VelSkinDrop_arrow_hot", 23, 24, true, [](P& p) { DrawDropArrow(p, true); }},
      {"VelSkinDrop_arrow_normal", 23, 24, true, [](P& p) { DrawDropArrow(p, false); }},
      {"VelSkinExpand_1", 17, 17, true, [](P& p) { DrawChevron(p, false); }},
      {"VelSkinExpand_2", 17, 17, true, [](P& p) { DrawChevron(p, true); }},
      {"VelSkinCancel_18_Normal", 18, 18, true, [](P& p) { DrawCancel(p, 0xB4B4B4); }},
      {"VelSkinCancel_18_Hot", 18, 18, true, [](P& p) { DrawCancel(p, kAlertRed); }},
      {"VelSkinMenu_bk", 182, 59, true, DrawMenuBackground},
      {"VelSkinMenu_hilight", 22, 22, true, [](P& p) { p.Fill(0, 0, 22, 22, Rgb(0x337FD1)); }},
      {"VelSkinMenu_sub_arrow", 21, 11, true, DrawMenuSubArrow},
      {"VelSkinMenu_icon_check", 60, 20, true, DrawMenuCheck},
      {"VelSkinMenu_icon_radio", 60, 20, true, DrawMenuRadio},
      {"VelSkinTabDown", 10, 35, false, DrawTabDown},
      {"VelSkinTabHover", 10, 35, true, DrawTabHover},
      {"VelSkinTab_button_normal", 10, 25, true, [](P& p) { DrawTabButton(p, 0); }},
      {"VelSkinTab_button_hot", 10, 25, true, [](P& p) { DrawTabButton(p, 1); }},
      {"VelSkinTab_button_down", 10, 25, true, [](P& p) { DrawTabButton(p, 2); }},
      {"VelSkinBar_base", 102, 13, true, [](P& p) { DrawBar(p, false); }},
      {"VelSkinBar_cur", 102, 13, true, [](P& p) { DrawBar(p, true); }},
      {"VelSkinScrollbar_bar_down", 10, 42, true, [](P& p) { DrawThumb(p, 10, 42, 0x80, 0x8C); }},
      {"VelSkinScrollbar_bar_highlight", 10, 42, true, [](P& p) { DrawThumb(p, 10, 42, 0x80, 0x8C); }},
      {"VelSkinScrollbar_bar_normal", 10, 42, true, [](P& p) { DrawThumb(p, 10, 42, 0x33, 0x40); }},
      {"VelSkinScrollbar_bkg", 10, 62, true, nothing},
      {"VelSkinScrollbar_arrowdown_normal", 10, 9, true, [](P& p) { DrawScrollArrow(p, TDir::Down, 0); }},
      {"VelSkinScrollbar_arrowup_normal", 10, 9, true, [](P& p) { DrawScrollArrow(p, TDir::Up, 0); }},
      {"VelSkinScrollbar_horz_bkg", 34, 10, true, nothing},
      {"VelSkinScrollbar_horzbar_down", 34, 10, true, [](P& p) { DrawThumb(p, 34, 10, 0x80, 0x8C); }},
      {"VelSkinScrollbar_horzbar_highlight", 34, 10, true, [](P& p) { DrawThumb(p, 34, 10, 0x80, 0x8C); }},
      {"VelSkinScrollbar_horzbar_normal", 34, 10, true, [](P& p) { DrawThumb(p, 34, 10, 0x33, 0x40); }},
      {"VelSkinScrollbar_arrowleft_normal", 9, 10, true, [](P& p) { DrawScrollArrow(p, TDir::Left, 0); }},
      {"VelSkinScrollbar_arrowright_normal", 9, 10, true, [](P& p) { DrawScrollArrow(p, TDir::Right, 0); }},
      {"VelSkinScrollbar_arrowdown_down", 10, 9, true, [](P& p) { DrawScrollArrow(p, TDir::Down, 2); }},
      {"VelSkinScrollbar_arrowdown_highlight", 10, 9, true, [](P& p) { DrawScrollArrow(p, TDir::Down, 1); }},
      {"VelSkinScrollbar_arrowleft_down", 9, 10, true, [](P& p) { DrawScrollArrow(p, TDir::Left, 2); }},
      {"VelSkinScrollbar_arrowleft_highlight", 9, 10, true, [](P& p) { DrawScrollArrow(p, TDir::Left, 1); }},
      {"VelSkinScrollbar_arrowright_down", 9, 10, true, [](P& p) { DrawScrollArrow(p, TDir::Right, 2); }},
      {"VelSkinScrollbar_arrowright_highlight", 9, 10, true, [](P& p) { DrawScrollArrow(p, TDir::Right, 1); }},
      {"VelSkinScrollbar_arrowup_down", 10, 9, true, [](P& p) { DrawScrollArrow(p, TDir::Up, 2); }},
      {"VelSkinScrollbar_arrowup_highlight", 10, 9, true, [](P& p) { DrawScrollArrow(p, TDir::Up, 1); }},
      {"VelSkinDrag_flag", 8, 8, true, DrawDragFlag},
      {"VelSkinSwitch_on", 102, 17, true, [](P& p) { DrawSwitch(p, true); }},
      {"VelSkinSwitch_off", 102, 17, true, [](P& p) { DrawSwitch(p, false); }},
      {"VelSkinMini_close_btn", 24, 12, true, DrawMiniClose},
      {"VelSkinColor_tabs", 360, 40, true, DrawColorTabs},
      {"VelSkinBrower_back", 120, 29, true, [](P& p) { DrawBrowser(p, false, false); }},
      {"VelSkinBrower_front", 120, 29, true, [](P& p) { DrawBrowser(p, true, false); }},
      {"VelSkinBrower_up", 29, 120, true, [](P& p) { DrawBrowser(p, false, true); }},
      {"VelSkinBrower_down", 29, 120, true, [](P& p) { DrawBrowser(p, true, true); }},
      {"VelSkinSearch_icon", 16, 14, true, DrawSearch},
      {"VelSkinCalendar_18_N", 25, 16, true, [](P& p) { DrawCalendar(p, kGlyphGrey); }},
      {"VelSkinCalendar_18_H", 25, 16, true, [](P& p) { DrawCalendar(p, kTickBlue); }},
      {"VelSkinSpin_normal_up", 23, 12, true, [](P& p) { DrawSpin(p, true, 0); }},
      {"VelSkinSpin_highlight_up", 23, 12, true, [](P& p) { DrawSpin(p, true, 1); }},
      {"VelSkinSpin_pushed_up", 23, 12, true, [](P& p) { DrawSpin(p, true, 2); }},
      {"VelSkinSpin_normal_down", 23, 12, true, [](P& p) { DrawSpin(p, false, 0); }},
      {"VelSkinSpin_highlight_down", 23, 12, true, [](P& p) { DrawSpin(p, false, 1); }},
      {"VelSkinSpin_pushed_down", 23, 12, true, [](P& p) { DrawSpin(p, false, 2); }},
      {"VelSkinToolbtn", 87, 29, true, [](P& p) { DrawFlatButtons(p, 29); }},
      {"VelSkinCheckedCheckbox_18", 15, 15, true, [](P& p) { CheckBoxFrame(p, 0, 0, kFrameGrey, 0xA4A4A4); }},
      {"VelSkinCheckedCheckbox_h_18", 15, 15, true, [](P& p) { CheckBoxFrame(p, 0, 0, kFrameBlue, kTickBlue); }},
      {"VelSkinUncheckedCheckbox_18", 15, 15, true, [](P& p) { CheckBoxFrame(p, 0, 0, kFrameGrey, 0); }},
      {"VelSkinUncheckedCheckbox_h_18", 15, 15, true, [](P& p) { CheckBoxFrame(p, 0, 0, kFrameBlue, 0); }},
      {"VelSkinSlides", 160, 69, true, DrawSlides},
  };
}

}  // namespace

void BuildSkinImages(TVelSkinImageList& List) {
  for (const TImageDef& def : ImageDefs()) {
    TBitmap32 bitmap;
    bitmap.SetSize(def.Width, def.Height);
    bitmap.Clear(0);
    TSkinPainter painter(bitmap);
    def.Draw(painter);
    bitmap.SetDrawMode(def.Blend ? dmBlend : dmOpaque);
    bitmap.SetResamplerClassName("TNearestResampler");
    TVelSkinBitmapItem* item = List.Bitmaps()->Add();
    item->SetResID(Utf8ToWide(def.ResID));
    item->SetBitmap(&bitmap);
  }
}
