#include "skin/frame/nc_button_state.h"

bool TNCButtonStateMachine::SetDown(bool Value, bool& ReleaseGroup) {
  ReleaseGroup = false;
  if (Value == FDown) return false;
  FDown = Value;
  if (Value) {
    FState = bsPressed;
    ReleaseGroup = true;
  } else {
    FState = bsNormal;
  }
  return true;
}

bool TNCButtonStateMachine::SetEnabled(bool Value) {
  if (Value == FEnabled) return false;
  FEnabled = Value;
  return true;
}

void TNCButtonStateMachine::MouseEnter() {
  if (FVisible && FEnabled) FState = FDown ? bsPressed : bsHot;
}

void TNCButtonStateMachine::MouseLeave() {
  if (FVisible && FEnabled) FState = FDown ? bsPressed : bsNormal;
}

void TNCButtonStateMachine::MouseDown() {
  if (FEnabled) FState = bsPressed;
}

TNCButtonRelease TNCButtonStateMachine::MouseUp() {
  TNCButtonRelease result;
  if (!FEnabled || !FVisible) return result;
  if (FAllowAllUp) {
    SetDown(!FDown, result.ReleaseGroup);
  } else if (FGroupIndex <= 0) {
    FState = bsHot;
  } else {
    SetDown(true, result.ReleaseGroup);
    // A button that was already down is pressed again, not left hot.
    FState = bsPressed;
  }
  result.Click = true;
  return result;
}

int32_t TNCButtonStateMachine::FrameIndex(const TNCButtonFrames& Frames) const {
  if (!FEnabled) return Frames.Disable;
  switch (FState) {
    case bsHot: return Frames.Hot;
    case bsPressed: return Frames.Pressed;
    case bsNormal: break;
  }
  return Frames.Normal;
}
