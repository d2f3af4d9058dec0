// The push button's look and mouse rules without a window: the frame of
// every state, the caption and drop-down rectangles, and press/release
// sequences of plain buttons, toggle groups and drop-down buttons.
#include <gtest/gtest.h>

#include <array>

#include "skin/controls/button_look.h"

namespace {

const TRect Client{0, 0, 75, 27};

// Every combination of the four state inputs against the rule written out
// as the state table: hot while the mouse is in and not down, else pressed
// when held or down (if enabled), else normal or disabled.
TEST(ButtonLook, FrameOfEveryState) {
  for (int bits = 0; bits < 16; ++bits) {
    const bool mouseIn = bits & 1, mouseDown = bits & 2, down = bits & 4, enabled = bits & 8;
    const TButtonLook look = ButtonLookOf(mouseIn, mouseDown, down, enabled, true, 1);
    TButtonFrame want;
    if (mouseIn && !down)
      want = bfHot;
    else if (enabled && (mouseDown || down))
      want = bfPressed;
    else
      want = enabled ? bfNormal : bfDisable;
    EXPECT_EQ(look.Frame, want) << "state bits " << bits;
    EXPECT_EQ(look.Shift, want == bfPressed ? 1 : 0) << "state bits " << bits;
    EXPECT_EQ(look.HotLook, mouseIn && !down);
    EXPECT_EQ(look.PressedLook, mouseDown || down);
  }
}

TEST(ButtonLook, HotWinsOverHeldOnlyWhenNotDown) {
  // Hovered and held with the button not down (AllowAllUp): hot.
  EXPECT_EQ(ButtonLookOf(true, true, false, true, true, 1).Frame, bfHot);
  // Hovered and down: pressed, shifted.
  const TButtonLook down = ButtonLookOf(true, false, true, true, true, 3);
  EXPECT_EQ(down.Frame, bfPressed);
  EXPECT_EQ(down.Shift, 3);
}

TEST(ButtonLook, NoStripNoFrameNoShift) {
  const TButtonLook look = ButtonLookOf(false, true, true, true, false, 1);
  EXPECT_EQ(look.Frame, bfNone);
  EXPECT_EQ(look.Shift, 0);
  EXPECT_TRUE(look.PressedLook);
}

TEST(ButtonLook, CaptionRectPlainPressedAndWithDropdown) {
  const TButtonLook normal = ButtonLookOf(false, false, false, true, true, 1);
  TCaptionLayout c = ButtonCaptionLayout(Client, normal, 0, false, 0);
  EXPECT_EQ(c.Rect, Client);
  EXPECT_EQ(c.Flags, 53u);

  const TButtonLook pressed = ButtonLookOf(false, true, true, true, true, 2);
  c = ButtonCaptionLayout(Client, pressed, 0, false, 0);
  EXPECT_EQ(c.Rect, (TRect{2, 2, 77, 29}));

  // A 17-px drop-down part takes the right end away from the caption.
  c = ButtonCaptionLayout(Client, pressed, 17, false, 0);
  EXPECT_EQ(c.Rect, (TRect{2, 2, 60, 29}));
}

TEST(ButtonLook, WordWrapCentresByMeasuredHeight) {
  const TButtonLook normal = ButtonLookOf(false, false, false, true, true, 1);
  TCaptionLayout c = ButtonCaptionLayout(Client, normal, 0, true, 13);
  EXPECT_EQ(c.Flags, 21u);
  EXPECT_EQ(c.Rect.Top, 7);  // (27 - 13) / 2
  EXPECT_EQ(c.Rect.Bottom, 27);
  // Taller than the button: the top goes above it, rounded toward zero.
  c = ButtonCaptionLayout(Client, normal, 0, true, 40);
  EXPECT_EQ(c.Rect.Top, -6);  // (27 - 40) / 2 = -6.5
}

TEST(ButtonLook, DropdownPartAndBand) {
  const TRect part = DropdownPartRect(Client, 15, 2);
  EXPECT_EQ(part, (TRect{58, 0, 75, 27}));
  EXPECT_EQ(DropdownBandHeight(27, 4), 23);
  EXPECT_EQ(DropdownBandPos(part, 27, 23), (TPoint{58, 2}));
  // A band that could not be cut keeps the frame's own height (a plain copy).
  EXPECT_EQ(DropdownBandPos(part, 27, 30).Y, -1);
  EXPECT_EQ(DropdownPartFrame(false, false), bfNormal);
  EXPECT_EQ(DropdownPartFrame(true, false), bfHot);
  EXPECT_EQ(DropdownPartFrame(true, true), bfPressed);
  EXPECT_TRUE(PointInRect(part, TPoint{58, 0}));
  EXPECT_FALSE(PointInRect(part, TPoint{75, 5}));
  EXPECT_FALSE(PointInRect(part, TPoint{60, 27}));
}

TEST(ButtonLook, BaseLayoutMovesCaptionAndFaceWhilePressed) {
  const TBaseButtonLayout up = BaseButtonLayout(Client, false, 1, TPoint{3, 4}, TPoint{-2, 1});
  EXPECT_EQ(up.ImagePos, (TPoint{3, 4}));
  EXPECT_EQ(up.CaptionRect, (TRect{-2, 1, 73, 28}));
  const TBaseButtonLayout down = BaseButtonLayout(Client, true, 1, TPoint{3, 4}, TPoint{-2, 1});
  EXPECT_EQ(down.ImagePos, (TPoint{4, 4}));
  EXPECT_EQ(down.CaptionRect, (TRect{0, 1, 73, 29}));
}

TEST(ButtonLook, LayerFollowsPressedShiftOnlyWhenEnabled) {
  const TButtonLook pressed = ButtonLookOf(false, true, true, true, true, 1);
  EXPECT_EQ(LayerPos(TPoint{5, 6}, pressed, true, 1), (TPoint{6, 7}));
  EXPECT_EQ(LayerPos(TPoint{5, 6}, pressed, false, 1), (TPoint{5, 6}));
}

// ---- Mouse sequences ------------------------------------------------------------------

// A button as a window would drive it: press (the control's MouseDown first,
// then the left-button-down handling), an optional menu, release.
struct TSimButton {
  TButtonMouseState S;
  TButtonConfig C;
  int Clicks = 0;
  int Menus = 0;
  bool ReleasedGroup = false;

  void Press(bool InDropdownPart = false) {
    ReleasedGroup = ButtonMouseDown(S, C).ReleaseGroup;
    const TButtonAction a = ButtonLButtonDown(S, C, InDropdownPart);
    ReleasedGroup |= a.ReleaseGroup;
    if (a.ShowMenu) {
      ++Menus;
      ButtonMenuClosed(S);
    }
  }
  void Release(bool Over) {
    const TButtonAction a = ButtonLButtonUp(S, C, Over);
    ReleasedGroup |= a.ReleaseGroup;
    Clicks += a.Click;
    EXPECT_TRUE(a.StopRepeat);
  }
};

// The window's ReleaseGroup: every other button of the group goes up.
void Click(std::array<TSimButton, 3>& Group, int I) {
  Group[I].S.MouseIn = true;
  Group[I].Press();
  if (Group[I].ReleasedGroup)
    for (int j = 0; j < 3; ++j)
      if (j != I) Group[j].S.Down = false;
  Group[I].Release(true);
  Group[I].S.MouseIn = false;
}

TEST(ButtonMouse, PlainPressHoldsDownAndClicksOnRelease) {
  TSimButton b;
  b.S.MouseIn = true;
  b.Press();
  EXPECT_TRUE(b.S.Down);
  EXPECT_TRUE(b.S.MouseDown);
  b.Release(true);
  EXPECT_FALSE(b.S.Down);
  EXPECT_FALSE(b.S.MouseDown);
  EXPECT_EQ(b.Clicks, 1);
}

TEST(ButtonMouse, ReleaseOutsideClearsDownWithoutClick) {
  TSimButton b;
  b.S.MouseIn = true;
  b.Press();
  b.Release(false);
  EXPECT_FALSE(b.S.Down);
  EXPECT_FALSE(b.S.MouseIn);
  EXPECT_EQ(b.Clicks, 0);
}

TEST(ButtonMouse, PressStartsRepeatReleaseStopsIt) {
  TButtonMouseState s;
  TButtonConfig c;
  EXPECT_TRUE(ButtonLButtonDown(s, c, false).StartRepeat);
  EXPECT_TRUE(ButtonLButtonUp(s, c, true).StopRepeat);
}

TEST(ButtonMouse, GroupOfThreeWithoutAllUp) {
  std::array<TSimButton, 3> g;
  for (auto& b : g) b.C.GroupIndex = 1;
  Click(g, 0);
  EXPECT_TRUE(g[0].S.Down);
  EXPECT_EQ(g[0].Clicks, 1);
  // Clicking the down button again keeps it down and clicks.
  Click(g, 0);
  EXPECT_TRUE(g[0].S.Down);
  EXPECT_EQ(g[0].Clicks, 2);
  // Clicking another one moves Down to it.
  Click(g, 2);
  EXPECT_FALSE(g[0].S.Down);
  EXPECT_FALSE(g[1].S.Down);
  EXPECT_TRUE(g[2].S.Down);
  EXPECT_EQ(g[2].Clicks, 1);
}

TEST(ButtonMouse, ToggleGoesDownAtPressAndStaysDownReleasedOutside) {
  TSimButton b;
  b.C.GroupIndex = 2;
  b.S.MouseIn = true;
  b.Press();
  EXPECT_TRUE(b.S.Down);
  EXPECT_TRUE(b.ReleasedGroup);
  b.Release(false);
  EXPECT_TRUE(b.S.Down);
  EXPECT_EQ(b.Clicks, 0);
}

TEST(ButtonMouse, AllowAllUpReleasesOnSecondClick) {
  std::array<TSimButton, 3> g;
  for (auto& b : g) {
    b.C.GroupIndex = 1;
    b.C.AllowAllUp = true;
  }
  Click(g, 1);
  EXPECT_TRUE(g[1].S.Down);
  Click(g, 1);
  EXPECT_FALSE(g[1].S.Down);
  EXPECT_EQ(g[1].Clicks, 2);
  EXPECT_FALSE(g[0].S.Down || g[2].S.Down);
}

TEST(ButtonMouse, DropdownWithoutOnClickOpensFromTheFace) {
  TSimButton b;
  b.C.HasDropdownMenu = true;
  b.S.MouseIn = true;
  b.Press();
  EXPECT_EQ(b.Menus, 1);
  // The menu took the release: nothing stays held or pressed.
  EXPECT_FALSE(b.S.Down);
  EXPECT_FALSE(b.S.MouseDown);
  EXPECT_FALSE(b.S.PressedInDropdownMenuRect);
  // A release that still arrives does not click (the button is not down).
  b.Release(true);
  EXPECT_EQ(b.Clicks, 0);
}

TEST(ButtonMouse, DropdownWithOnClickOpensOnlyFromThePart) {
  TSimButton b;
  b.C.HasDropdownMenu = true;
  b.C.HasOnClick = true;
  b.S.MouseIn = true;
  b.Press();
  EXPECT_EQ(b.Menus, 0);
  b.Release(true);
  EXPECT_EQ(b.Clicks, 1);

  b.S.MouseInDropdownMenuRect = true;
  b.Press(true);
  EXPECT_EQ(b.Menus, 1);
  b.Release(true);
  EXPECT_EQ(b.Clicks, 1);
}

TEST(ButtonMouse, PressInPartBeforeAnyMoveDoesNothing) {
  // No mouse move has marked the part yet: the press neither opens the menu
  // nor holds the button.
  TButtonMouseState s;
  TButtonConfig c;
  c.HasDropdownMenu = true;
  const TButtonAction a = ButtonLButtonDown(s, c, true);
  EXPECT_FALSE(a.ShowMenu);
  EXPECT_FALSE(s.Down);
  EXPECT_FALSE(s.MouseDown);
}

TEST(ButtonMouse, LeaveClearsEverything) {
  TButtonMouseState s{true, true, true, true, true, false};
  ButtonMouseLeave(s);
  EXPECT_FALSE(s.MouseIn || s.MouseDown || s.MouseInDropdownMenuRect || s.PressedInDropdownMenuRect);
  // Down is the toggle state; leaving does not change it.
  EXPECT_TRUE(s.Down);
}

}  // namespace
