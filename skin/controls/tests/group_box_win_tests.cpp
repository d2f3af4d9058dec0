// The skinned group box and check box in real windows: the check box that
// enables and disables the children, clicks in its rectangle, the separator
// and its glow read back from the buffer, the stand-alone check box's input,
// frames and caption colour, bad settings that must not crash, and the live
// objects after many paints.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "gdiplus/gdiplus_objects.h"
#include "gfx/win/gdi_backend.h"
#include "skin/controls/group_box.h"
#include "skin/frame/tests/frame_test_support.h"
#include "toolkit/win/live_counts.h"

namespace {

LPARAM At(int X, int Y) { return MAKELPARAM(X, Y); }

// Paints Control now and answers its buffer.
TBitmap32& Painted(TVelSkinCustomControl& Control) {
  Control.Invalidate();
  UpdateWindow(Control.Handle());
  return *Control.Buffer();
}

std::unique_ptr<TBitmap32> Copy(const TBitmap32& B) {
  auto out = std::make_unique<TBitmap32>();
  out->Assign(const_cast<TBitmap32*>(&B));
  return out;
}

uint32_t RgbAt(const TBitmap32& B, int X, int Y) { return B.Pixel(X, Y) & 0xFFFFFF; }

class GroupBoxWin : public FrameWin {
protected:
  void SetUp() override {
    FrameWin::SetUp();
    Box = new TVelSkinGroupBox(Form.get());
    Box->SetParent(Form.get());
    Box->SetBounds(10, 10, 300, 120);
    Form->Show();
    PumpFor(30);
  }
  TVelSkinGroupBox* Box = nullptr;
};

}  // namespace

TEST_F(GroupBoxWin, UncheckedVisibleCheckBoxDisablesEveryChildAlsoLaterOnes) {
  auto* first = new TVelSkinCheckBox(Form.get());
  first->SetParent(Box);
  Box->CheckBox().SetChecked(false);
  EXPECT_TRUE(first->Enabled());  // an invisible check box controls nothing
  Box->CheckBox().SetVisible(true);
  Box->CheckBox().SetChecked(true);
  Box->CheckBox().SetChecked(false);
  EXPECT_FALSE(first->Enabled());
  auto* later = new TVelSkinCheckBox(Form.get());
  later->SetParent(Box);
  EXPECT_FALSE(later->Enabled());
  Box->CheckBox().SetChecked(true);
  EXPECT_TRUE(first->Enabled());
  EXPECT_TRUE(later->Enabled());
}

TEST_F(GroupBoxWin, AClickInTheCheckBoxRectToggles_ButNotBeforeTheFirstPaint) {
  auto* fresh = new TVelSkinGroupBox(Form.get());
  fresh->CheckBox().SetVisible(true);
  fresh->SetBounds(10, 140, 200, 60);
  fresh->SetParent(Form.get());
  ValidateRect(fresh->Handle(), nullptr);  // no paint yet
  SendMessageW(fresh->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(8, 7));
  SendMessageW(fresh->Handle(), WM_LBUTTONUP, 0, At(8, 7));
  EXPECT_TRUE(fresh->CheckBox().Checked());
  EXPECT_TRUE(fresh->CheckBox().Rect().Width() <= 0);

  Painted(*fresh);
  const TRect r = fresh->CheckBox().Rect();
  ASSERT_GT(r.Width(), 0);
  SendMessageW(fresh->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(r.Right - 1, r.Bottom - 1));
  EXPECT_FALSE(fresh->CheckBox().Checked());
  SendMessageW(fresh->Handle(), WM_LBUTTONUP, 0, At(r.Right - 1, r.Bottom - 1));
  EXPECT_FALSE(fresh->CheckBox().Checked());
  // Outside the rectangle nothing happens.
  SendMessageW(fresh->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(r.Right + 2, 40));
  SendMessageW(fresh->Handle(), WM_LBUTTONUP, 0, At(r.Right + 2, 40));
  EXPECT_FALSE(fresh->CheckBox().Checked());
}

TEST_F(GroupBoxWin, SeparatorRunsFromTheStopColourToTheStartColour) {
  Box->SetCaption(L"Colours");
  TBitmap32& b = Painted(*Box);
  const int y0 = (15 - 1) / 2;
  const int left = TextWidthW(b, L"Colours") + 5;
  EXPECT_EQ(RgbAt(b, left, y0), 0xF6FBFEu);
  EXPECT_NE(RgbAt(b, left - 1, y0), 0xF6FBFEu);
  const int width = 300 - left;
  EXPECT_EQ(b.Pixel(299, y0), SeparatorColor(0xF6FBFE, 0x53A7CF, width - 1, width));
  // Within one step of the far colour per channel.
  const uint32_t end = RgbAt(b, 299, y0);
  EXPECT_LE(std::abs(int((end >> 16) & 0xFF) - 0x53), 2);
  EXPECT_LE(std::abs(int((end >> 8) & 0xFF) - 0xA7), 2);
  EXPECT_LE(std::abs(int(end & 0xFF) - 0xCF), 2);
}

TEST_F(GroupBoxWin, GlowChangesPixelsAlongTheSeparatorOnly) {
  Box->SetCaption(L"Glow");
  const auto plain = Copy(Painted(*Box));
  Box->SetLight(true);
  const TBitmap32& lit = Painted(*Box);
  const int y0 = 7;
  const int left = TextWidthW(*plain, L"Glow") + 5;
  int alongCount = 0;
  for (int y = 0; y < lit.Height(); ++y)
    for (int x = 0; x < lit.Width(); ++x) {
      const bool differs = lit.Pixel(x, y) != plain->Pixel(x, y);
      const bool along = y >= y0 - 5 && y <= y0 + 6 && x >= left - 5;
      if (!along) {
        ASSERT_FALSE(differs) << x << "," << y;
      }
      alongCount += differs;
    }
  EXPECT_GT(alongCount, 300);
  // The glow is white: it brightens the row above the line.
  EXPECT_GT(RgbAt(lit, 150, y0 - 2) & 0xFF, RgbAt(*plain, 150, y0 - 2) & 0xFF);
}

TEST_F(GroupBoxWin, BadSettingsPaintWithoutHarm) {
  Box->SetLight(true);
  Box->CaptionLight().SetActive(true);
  Box->CheckBox().SetVisible(true);
  Box->CheckBox().SetPictures(L"NoSuchStrip");
  Painted(*Box);
  EXPECT_TRUE(Box->CheckBox().Rect().Width() <= 0);  // no strip, nothing to click

  const char* corrupt = "corrupt_check_strip.png";
  {
    std::ofstream f(corrupt, std::ios::binary);
    f << "\x89PNG\r\n\x1a\nthis is not an image";
  }
  Box->CheckBox().SetPictures(L"corrupt_check_strip.png");
  Painted(*Box);
  EXPECT_TRUE(Box->CheckBox().Rect().Width() <= 0);
  std::remove(corrupt);

  Box->CheckBox().SetPictures(L"VelSkinCheckBox");
  for (TAlignment a : {taLeftJustify, taRightJustify, taCenter})
    for (TGroupBoxFrameStyle style : {fsLine, fsBox}) {
      Box->SetCaptionAlignment(a);
      Box->SetFrameStyle(style);
      Box->SetCaption(std::wstring(10000, L'W'));
      Painted(*Box);
      Box->SetCaption(L"");
      Painted(*Box);
      Box->SetWidth(0);
      Painted(*Box);
      Box->SetWidth(300);
    }
  SUCCEED();
}

TEST_F(GroupBoxWin, ZeroCaptionHeightDrawsOnlyTheBackground) {
  Box->SetLight(true);
  Box->CheckBox().SetVisible(true);
  Box->SetCaptionHeight(0);
  const TBitmap32& b = Painted(*Box);
  const uint32_t background = RgbAt(b, 150, 100);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) ASSERT_EQ(RgbAt(b, x, y), background) << x << "," << y;
  EXPECT_EQ(Box->ClientRect().Height(), 120);
}

TEST_F(GroupBoxWin, ManyPaintsWithGlowGiveEverythingBack) {
  Box->SetLight(true);
  Box->CaptionLight().SetActive(true);
  Box->CheckBox().SetVisible(true);
  Box->SetCaptionAlignment(taCenter);
  Painted(*Box);
  const TLiveCounts before = LiveCounts();
  for (int i = 0; i < 100; ++i) Painted(*Box);
  EXPECT_EQ(LiveCounts(), before);
  EXPECT_EQ(GdiPlusLiveObjects(), 0);
}

// ---- The stand-alone check box ------------------------------------------------------------

namespace {

class CheckBoxWin : public FrameWin {
protected:
  void SetUp() override {
    FrameWin::SetUp();
    Box = new TVelSkinCheckBox(Form.get());
    Box->SetTransparent(false);  // on white: frames compare exactly
    Box->SetCaption(L"IIII");
    Box->SetParent(Form.get());
    Box->SetBounds(10, 10, 113, 17);
    Box->OnChanged = [this](TObject*) { ++Changes; };
    Form->Show();
    PumpFor(30);
  }
  // The frame of the strip blended onto white, compared with the buffer at X.
  int FrameMismatches(int Index, int X) {
    TBitmap32 frame;
    EXPECT_TRUE(CheckBoxFrame(L"VelSkinCheckBox", Index, frame));
    TBitmap32 expected;
    expected.SetSize(frame.Width(), frame.Height());
    expected.Clear(0xFFFFFFFF);
    frame.SetDrawMode(dmBlend);
    expected.Draw(0, 0, &frame);
    const TBitmap32& b = Painted(*Box);
    int n = 0;
    for (int y = 0; y < frame.Height(); ++y)
      for (int x = 0; x < frame.Width(); ++x) n += RgbAt(b, X + x, y) != RgbAt(expected, x, y);
    return n;
  }
  TVelSkinCheckBox* Box = nullptr;
  int Changes = 0;
};

}  // namespace

TEST_F(CheckBoxWin, TogglesOnMouseDownNotUpAndOnSpace) {
  SendMessageW(Box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  EXPECT_TRUE(Box->Checked());
  EXPECT_EQ(Changes, 1);
  SendMessageW(Box->Handle(), WM_LBUTTONUP, 0, At(5, 5));
  EXPECT_TRUE(Box->Checked());
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(GetFocus(), Box->Handle());  // the press takes the focus
  SendMessageW(Box->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_FALSE(Box->Checked());
  SendMessageW(Box->Handle(), WM_KEYDOWN, 'A', 0);
  EXPECT_FALSE(Box->Checked());
  EXPECT_EQ(Changes, 2);
  // BM_SETCHECK answers the state and does not change it.
  EXPECT_EQ(SendMessageW(Box->Handle(), BM_SETCHECK, BST_CHECKED, 0), 0);
  EXPECT_FALSE(Box->Checked());
}

TEST_F(CheckBoxWin, AcceleratorFocusesWithoutToggling) {
  Box->SetCaption(L"&Sound");
  SetFocus(Form->Handle());
  EXPECT_EQ(Box->Perform(CM_DIALOGCHAR, 's', 0), 1);
  EXPECT_EQ(GetFocus(), Box->Handle());
  EXPECT_FALSE(Box->Checked());
  EXPECT_EQ(Box->Perform(CM_DIALOGCHAR, 'x', 0), 0);
}

TEST_F(CheckBoxWin, DrawsTheStripsFrameForItsState) {
  EXPECT_EQ(FrameMismatches(0, 0), 0);
  Box->SetChecked(true);
  EXPECT_EQ(FrameMismatches(2, 0), 0);
  Box->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(FrameMismatches(2, 113 - 17), 0);
  EXPECT_GT(FrameMismatches(0, 113 - 17), 0);
}

TEST_F(CheckBoxWin, DisabledCaptionIsLightGrey) {
  auto darkest = [this] {
    const TBitmap32& b = Painted(*Box);
    uint32_t low = 0xFF;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 20; x < b.Width(); ++x) low = std::min(low, RgbAt(b, x, y) & 0xFF);
    return low;
  };
  EXPECT_LT(darkest(), 0x80u);
  Box->SetEnabled(false);
  EXPECT_EQ(darkest(), 0xD1u);
}

TEST_F(CheckBoxWin, MissingStripShowsOnlyTheCaption) {
  Box->SetPictures(L"NoSuchStrip");
  const TBitmap32& b = Painted(*Box);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(RgbAt(b, x, y), 0xFFFFFFu);
  SendMessageW(Box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  EXPECT_TRUE(Box->Checked());
}
