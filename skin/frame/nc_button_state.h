// The state machine of a title-bar button: hot, pressed and down states,
// groups of buttons that act like radio buttons, and which strip frame each
// state shows. Portable: the Windows button only feeds it mouse events and
// acts on what it answers.
#pragma once

#include <cstdint>

enum TNCButtonState { bsNormal, bsHot, bsPressed };

// Frame indices of a state strip.
struct TNCButtonFrames {
  int32_t Normal = 0;
  int32_t Hot = 1;
  int32_t Pressed = 2;
  int32_t Disable = 0;
};

// What a finished press means for the button's owner.
struct TNCButtonRelease {
  bool Click = false;         // fire the click
  bool ReleaseGroup = false;  // the other buttons of the group go up
};

class TNCButtonStateMachine {
public:
  TNCButtonState State() const { return FState; }
  void SetState(TNCButtonState Value) { FState = Value; }
  bool Down() const { return FDown; }
  // True when Down changed. Going down presses the button and asks for the
  // group to be released; going up returns it to normal.
  bool SetDown(bool Value, bool& ReleaseGroup);
  bool Enabled() const { return FEnabled; }
  // True when it changed; the state is kept (a disabled button paints the
  // Disable frame whatever its state).
  bool SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  int32_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int32_t Value) { FGroupIndex = Value; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }

  // Mouse events; an invisible or disabled button keeps its state.
  void MouseEnter();
  void MouseLeave();
  void MouseDown();
  TNCButtonRelease MouseUp();

  // The strip frame the current state shows.
  int32_t FrameIndex(const TNCButtonFrames& Frames) const;

private:
  TNCButtonState FState = bsNormal;
  bool FDown = false;
  bool FEnabled = true;
  bool FVisible = true;
  int32_t FGroupIndex = 0;
  bool FAllowAllUp = false;
};
