// Panels, border panels and labels in real windows: the default look read
// back from the screen, the client area left to aligned children, the hot
// border, and the label's sizing, alignment and background.
#include "skin/controls/labels.h"
#include "skin/controls/panels.h"
#include "skin/controls/tests/controls_test_support.h"

#include "gfx/blend.h"

#include <string>

namespace {

uint32_t Lightened(uint32_t Rgb) { return BlendPixel(0xC0FFFFFF, 0xFF000000 | Rgb) & 0xFFFFFF; }

}  // namespace

TEST_F(ControlsWin, DefaultPanelOnAGreyFormOnScreen) {
  auto* panel = Add<TVelSkinPanel>(Form.get(), 10, 10, 120, 80);
  ShowForm();
  const TPoint o = panel->ClientToScreen(TPoint{0, 0});
  EXPECT_EQ(ScreenPixel(o.X, o.Y + 40), 0xBACBD9u);           // left frame
  EXPECT_EQ(ScreenPixel(o.X + 119, o.Y + 40), 0xBACBD9u);     // right frame
  EXPECT_EQ(ScreenPixel(o.X + 60, o.Y + 79), 0xBACBD9u);      // bottom frame
  EXPECT_EQ(ScreenPixel(o.X + 1, o.Y + 40), 0xFFFFFFu);       // inner line
  EXPECT_EQ(ScreenPixel(o.X + 60, o.Y + 1), 0xFFFFFFu);
  EXPECT_EQ(ScreenPixel(o.X + 60, o.Y + 40), Lightened(0x808080));  // white at 192 over grey
  // Aligned children share what the lines leave.
  TRect r = panel->ClientRect();
  panel->AdjustClientRect(r);
  EXPECT_EQ(r, (TRect{2, 2, 118, 78}));
  panel->SetBorderSides(0);
  r = panel->ClientRect();
  panel->AdjustClientRect(r);
  EXPECT_EQ(r, (TRect{0, 0, 120, 80}));
}

TEST_F(ControlsWin, PanelEdgeCases) {
  auto* clear = Add<TVelSkinPanel>(Form.get(), 10, 10, 40, 30);
  clear->SetAlpha(0);
  auto* thin = Add<TVelSkinPanel>(Form.get(), 60, 10, 1, 30);
  auto* flat = Add<TVelSkinPanel>(Form.get(), 70, 10, 30, 1);
  auto* opaque = Add<TVelSkinPanel>(Form.get(), 110, 10, 40, 30);
  opaque->SetAlpha(255);
  opaque->SetColor(0x00FF00);
  auto* image = Add<TVelSkinPanel>(Form.get(), 160, 10, 40, 30);
  image->SetBackgroundImage(L"NoSuchSkinImage");
  ShowForm();
  EXPECT_EQ(BufferRgb(clear, 20, 15), 0x808080u);  // no wash at alpha 0
  EXPECT_EQ(BufferRgb(clear, 0, 15), 0xBACBD9u);
  EXPECT_EQ(BufferRgb(thin, 0, 15), 0xBACBD9u);
  EXPECT_EQ(BufferRgb(flat, 15, 0), 0xBACBD9u);
  EXPECT_EQ(BufferRgb(opaque, 20, 15), 0x00FF00u);
  EXPECT_EQ(BufferRgb(image, 20, 15), Lightened(0x808080));  // a missing image is left out
}

TEST_F(ControlsWin, BorderPanelTurnsHotWithTheMouseAndBack) {
  auto* panel = Add<TVelSkinBorderPanel>(Form.get(), 10, 10, 80, 30);
  ShowForm();
  EXPECT_EQ(BufferRgb(panel, 0, 15), 0xC4C4C4u);
  EXPECT_EQ(BufferRgb(panel, 1, 15), 0xFFFFFFu);
  EXPECT_EQ(BufferRgb(panel, 40, 15), 0x808080u);  // alpha 0: the interior is the form
  panel->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(panel));
  PaintNow(Form.get());
  EXPECT_TRUE(panel->OverControl());
  EXPECT_EQ(BufferRgb(panel, 0, 15), 0x5699DAu);
  panel->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(panel));
  PaintNow(Form.get());
  EXPECT_EQ(BufferRgb(panel, 0, 15), 0xC4C4C4u);
  TRect r = panel->ClientRect();
  panel->AdjustClientRect(r);
  EXPECT_EQ(r, (TRect{2, 2, 78, 28}));
}

TEST_F(ControlsWin, LabelOnAPanelShowsThePanelsPixelsAroundItsText) {
  auto* panel = Add<TVelSkinPanel>(Form.get(), 10, 10, 200, 100);
  auto* label = Add<TVelSkinLabel>(panel, 20, 30, 10, 10);
  label->Font().SetColor(clBlack);
  label->SetCaption(L"Moves");
  ShowForm();
  int text = 0;
  for (int y = 0; y < label->Height(); ++y)
    for (int x = 0; x < label->Width(); ++x) {
      const uint32_t here = BufferRgb(label, x, y);
      if (here != BufferRgb(panel, 20 + x, 30 + y)) {
        ++text;
        EXPECT_LT(here & 0xFF, 0x80u) << x << "," << y;  // only dark text pixels differ
      }
    }
  EXPECT_GT(text, 10);
}

TEST_F(ControlsWin, LabelSizesItselfToItsTextButNotToALaterFont) {
  auto* label = Add<TVelSkinLabel>(Form.get(), 10, 10, 5, 5);
  label->Font().SetName(L"Tahoma");
  label->Font().SetHeight(-16);
  label->SetCaption(L"00:00:00");
  const int w = label->Width(), h = label->Height();
  EXPECT_GT(w, 40);
  EXPECT_GE(h, 16);
  label->SetCaption(L"00:00:00:00");
  EXPECT_GT(label->Width(), w);
  label->SetCaption(L"two\nlines");
  EXPECT_GE(label->Height(), 2 * h - 2);

  label->SetCaption(L"00:00:00");
  ShowForm();
  const int draws = label->Width();
  label->Font().SetHeight(-30);  // run time: no refit
  PaintNow(Form.get());
  EXPECT_EQ(label->Width(), draws);

  // An ellipsis switches the fitting off.
  label->SetEllipsisPosition(epEndEllipsis);
  label->SetCaption(L"a much longer caption than before");
  EXPECT_EQ(label->Width(), draws);
  EXPECT_FALSE(label->AutoSize());
}

TEST_F(ControlsWin, LabelAlignsItsTextBothWays) {
  auto* label = Add<TVelSkinLabel>(Form.get(), 10, 10, 5, 5);
  label->SetAutoSize(false);
  label->Font().SetColor(clBlack);
  label->SetCaption(L"x");
  label->SetBounds(10, 10, 100, 60);
  label->SetAlignmentHorizontal(taRightJustify);
  label->SetAlignmentVertical(taAlignBottom);
  ShowForm();
  auto inked = [&](int X1, int Y1, int X2, int Y2) {
    for (int y = Y1; y < Y2; ++y)
      for (int x = X1; x < X2; ++x)
        if ((BufferRgb(label, x, y) & 0xFF) < 0x60) return true;
    return false;
  };
  EXPECT_TRUE(inked(80, 40, 100, 60));
  EXPECT_FALSE(inked(0, 0, 80, 40));
  label->SetAlignmentHorizontal(taCenter);
  label->SetAlignmentVertical(taVerticalCenter);
  PaintNow(Form.get());
  EXPECT_TRUE(inked(40, 20, 60, 40));
  EXPECT_FALSE(inked(80, 40, 100, 60));
  EXPECT_EQ(LabelTextFlags(taCenter, taVerticalCenter, epNone), 37u);
  EXPECT_EQ(LabelTextFlags(taRightJustify, taAlignBottom, epWordEllipsis), 42u | 0x40000u);
}

TEST_F(ControlsWin, RoundBackgroundRaisesAlphaAndKeepsItWhenSwitchedOff) {
  auto* label = Add<TVelSkinLabel>(Form.get(), 10, 10, 5, 5);
  label->SetCaption(L"Round");
  const int w = label->Width();
  label->SetRoundBackground(true);
  EXPECT_EQ(label->Alpha(), 255);
  label->SetBounds(10, 10, 80, 30);
  label->SetColor(0x0000FF);  // red
  ShowForm();
  EXPECT_EQ(BufferRgb(label, 40, 15), 0xFF0000u);
  EXPECT_EQ(BufferRgb(label, 0, 0), 0x808080u);  // outside the rounded corner
  label->SetRoundBackground(false);
  EXPECT_EQ(label->Alpha(), 255);
  EXPECT_EQ(label->Width(), w);  // fitted to its text again
}

TEST_F(ControlsWin, HugeAndEmptyCaptionsPaintWithoutTrouble) {
  auto* label = Add<TVelSkinLabel>(Form.get(), 10, 10, 5, 5);
  label->SetCaption(std::wstring(10000, L'W'));
  EXPECT_GT(label->Width(), 1000);
  auto* panel = Add<TVelSkinPanel>(Form.get(), 10, 50, 100, 40);
  panel->SetCaptionVisible(true);
  panel->SetCaption(std::wstring(10000, L'W'));
  ShowForm();
  label->SetCaption(L"");
  panel->SetCaption(L"");
  PaintNow(Form.get());
  EXPECT_GE(label->Buffer()->Width(), 1);
  const TLiveCounts before = LiveCounts();
  for (int i = 0; i < 50; ++i) {
    label->SetCaption(std::to_wstring(i));
    panel->Invalidate();
    PaintNow(Form.get());
  }
  EXPECT_EQ(LiveCounts(), before);
}
