// The title-bar button's state machine: clicks, groups, all-up, disabled
// buttons and what each state paints.
#include "skin/frame/nc_button_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A full click as the frame delivers it: enter, press, release.
TNCButtonRelease Click(TNCButtonStateMachine& B) {
  B.MouseEnter();
  B.MouseDown();
  return B.MouseUp();
}

// Releases every other button of the same group, as the button does through its form.
void ClickInGroup(std::vector<TNCButtonStateMachine>& Group, size_t Index) {
  const TNCButtonRelease r = Click(Group[Index]);
  if (!r.ReleaseGroup) return;
  for (size_t i = 0; i < Group.size(); ++i) {
    if (i == Index || Group[i].GroupIndex() != Group[Index].GroupIndex()) continue;
    bool again = false;
    Group[i].SetDown(false, again);
    EXPECT_FALSE(again);
  }
}

const TNCButtonFrames Frames{10, 11, 12, 13};

}  // namespace

TEST(NCButtonState, UngroupedButtonIsHotAfterAClickAndNeverStaysDown) {
  TNCButtonStateMachine b;
  EXPECT_EQ(b.FrameIndex(Frames), 10);
  b.MouseEnter();
  EXPECT_EQ(b.State(), bsHot);
  EXPECT_EQ(b.FrameIndex(Frames), 11);
  b.MouseDown();
  EXPECT_EQ(b.State(), bsPressed);
  EXPECT_EQ(b.FrameIndex(Frames), 12);
  const TNCButtonRelease r = b.MouseUp();
  EXPECT_TRUE(r.Click);
  EXPECT_FALSE(r.ReleaseGroup);
  EXPECT_EQ(b.State(), bsHot);
  EXPECT_FALSE(b.Down());
  b.MouseLeave();
  EXPECT_EQ(b.State(), bsNormal);
  // A negative group behaves like no group.
  b.SetGroupIndex(-1);
  Click(b);
  EXPECT_EQ(b.State(), bsHot);
  EXPECT_FALSE(b.Down());
}

TEST(NCButtonState, ButtonsOfOnePositiveGroupActLikeRadioButtons) {
  std::vector<TNCButtonStateMachine> group(3);
  group[0].SetGroupIndex(1);
  group[1].SetGroupIndex(1);
  group[2].SetGroupIndex(2);  // another group: untouched
  ClickInGroup(group, 2);
  ClickInGroup(group, 0);
  EXPECT_TRUE(group[0].Down());
  EXPECT_EQ(group[0].State(), bsPressed);
  ClickInGroup(group, 1);
  EXPECT_FALSE(group[0].Down());
  EXPECT_EQ(group[0].State(), bsNormal);
  EXPECT_TRUE(group[1].Down());
  EXPECT_TRUE(group[2].Down());
  // Clicking the down button again keeps it down, pressed, and still clicks.
  const TNCButtonRelease r = Click(group[1]);
  EXPECT_TRUE(r.Click);
  EXPECT_FALSE(r.ReleaseGroup);
  EXPECT_TRUE(group[1].Down());
  EXPECT_EQ(group[1].State(), bsPressed);
  // Leaving a down button keeps it pressed; entering too.
  group[1].MouseLeave();
  EXPECT_EQ(group[1].State(), bsPressed);
  group[1].MouseEnter();
  EXPECT_EQ(group[1].State(), bsPressed);
}

TEST(NCButtonState, AllowAllUpReleasesOnTheSecondClick) {
  TNCButtonStateMachine b;
  b.SetGroupIndex(1);
  b.SetAllowAllUp(true);
  TNCButtonRelease r = Click(b);
  EXPECT_TRUE(r.ReleaseGroup);
  EXPECT_TRUE(b.Down());
  EXPECT_EQ(b.State(), bsPressed);
  r = Click(b);
  EXPECT_TRUE(r.Click);
  EXPECT_FALSE(r.ReleaseGroup);
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(b.State(), bsNormal);
}

TEST(NCButtonState, DisabledButtonKeepsItsStatePaintsDisableAndDoesNotClick) {
  TNCButtonStateMachine b;
  b.MouseEnter();
  EXPECT_TRUE(b.SetEnabled(false));
  EXPECT_FALSE(b.SetEnabled(false));
  EXPECT_EQ(b.State(), bsHot);
  EXPECT_EQ(b.FrameIndex(Frames), 13);
  b.MouseLeave();
  b.MouseDown();
  const TNCButtonRelease r = b.MouseUp();
  EXPECT_FALSE(r.Click);
  EXPECT_FALSE(r.ReleaseGroup);
  EXPECT_EQ(b.State(), bsHot);
  EXPECT_TRUE(b.SetEnabled(true));
  EXPECT_EQ(b.FrameIndex(Frames), 11);
}

TEST(NCButtonState, InvisibleButtonIgnoresHoverAndRelease) {
  TNCButtonStateMachine b;
  b.SetVisible(false);
  b.MouseEnter();
  EXPECT_EQ(b.State(), bsNormal);
  EXPECT_FALSE(b.MouseUp().Click);
}

TEST(NCButtonState, DownSetterPressesReleasesAndIgnoresEqualValues) {
  TNCButtonStateMachine b;
  bool release = true;
  EXPECT_FALSE(b.SetDown(false, release));
  EXPECT_FALSE(release);
  EXPECT_TRUE(b.SetDown(true, release));
  EXPECT_TRUE(release);
  EXPECT_EQ(b.State(), bsPressed);
  // A down button that the mouse leaves stays pressed.
  b.MouseLeave();
  EXPECT_EQ(b.State(), bsPressed);
  EXPECT_EQ(b.FrameIndex(Frames), 12);
  EXPECT_TRUE(b.SetDown(false, release));
  EXPECT_FALSE(release);
  EXPECT_EQ(b.State(), bsNormal);
}
