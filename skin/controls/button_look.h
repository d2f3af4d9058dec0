// The look and the mouse rules of the skinned push button apart from its
// window: which frame of the strip a state shows, where the caption and the
// drop-down part go, and what a press or a release does to the button's
// state. Portable: plain data in, plain data out.
#pragma once

#include <cstdint>

#include "gfx/bitmap32.h"
#include "skin/resources/skin_image.h"

// The frame of a state strip a button shows; bfNone when it draws no face.
enum TButtonFrame { bfNone, bfNormal, bfHot, bfPressed, bfDisable };

// DrawText flags of the caption (DT_CENTER | DT_VCENTER | DT_WORDBREAK, with
// or without DT_SINGLELINE).
constexpr uint32_t ButtonCaptionFlags = 53;
constexpr uint32_t ButtonWrappedCaptionFlags = 21;
// The caption colour of a disabled button (0x00BBGGRR).
constexpr uint32_t DisabledCaptionColor = 0xB2B2B2;

struct TButtonLook {
  bool HotLook = false;      // the mouse is over a button that is not down
  bool PressedLook = false;  // held or down
  TButtonFrame Frame = bfNone;
  // How far the face content moves right and down (PressedOffset while the
  // pressed frame shows, else 0).
  int32_t Shift = 0;
};

// The look of a state. Hot wins over pressed only while the button is not
// down (a held push button is down, so it shows pressed). Without an active
// face strip no frame is chosen and nothing shifts.
TButtonLook ButtonLookOf(bool MouseIn, bool MouseDown, bool Down, bool Enabled, bool PicturesActive,
                         int32_t PressedOffset);

// The caption's rectangle and DrawText flags. Client is the button's client
// rectangle, DropdownWidth the width of the drop-down part (0 without one).
// With WordWrap the caption may break into lines, and it is centred
// vertically by its measured height: the top becomes (height - TextHeight) / 2.
struct TCaptionLayout {
  TRect Rect;
  uint32_t Flags;
};
TCaptionLayout ButtonCaptionLayout(const TRect& Client, const TButtonLook& Look, int32_t DropdownWidth, bool WordWrap,
                                   int32_t TextHeight);

// The base button's own drawing: the face unscaled at ImageOffset, the caption
// in the client rectangle moved by CaptionOffset; while pressed the caption's
// left moves by PressedOffset + 1 and its bottom by PressedOffset, the face's
// left by PressedOffset.
struct TBaseButtonLayout {
  TPoint ImagePos;
  TRect CaptionRect;
};
TBaseButtonLayout BaseButtonLayout(const TRect& Client, bool Pressed, int32_t PressedOffset, TPoint ImageOffset,
                                   TPoint CaptionOffset);

// The drop-down part: the client rectangle's right end, one frame wide plus
// Gap (2 pixels, scaled).
TRect DropdownPartRect(const TRect& Client, int32_t FrameWidth, int32_t Gap);
// The frame the drop-down part shows: pressed while its menu is open, hot
// while the mouse is over it, else normal.
TButtonFrame DropdownPartFrame(bool MouseInPart, bool PressedInPart);
// The height of the band cut out of the drop-down frame: the button's height
// less Margin (4 pixels, scaled).
int32_t DropdownBandHeight(int32_t ButtonHeight, int32_t Margin);
// Where a band of BandHeight rows is drawn: at the part's left, centred vertically.
TPoint DropdownBandPos(const TRect& Part, int32_t ButtonHeight, int32_t BandHeight);
// Whether P lies in R (left and top edges inside, right and bottom outside).
bool PointInRect(const TRect& R, TPoint P);

// The layer picture's position: its offset, moved by PressedOffset on both
// axes while the button shows pressed and is enabled.
TPoint LayerPos(TPoint Offset, const TButtonLook& Look, bool Enabled, int32_t PressedOffset);

// ---- Mouse state machine ----------------------------------------------------------

// The state a button keeps between mouse messages.
struct TButtonMouseState {
  bool MouseIn = false;
  bool MouseDown = false;
  bool Down = false;
  bool MouseInDropdownMenuRect = false;
  bool PressedInDropdownMenuRect = false;
  bool SkipNextClick = false;
  friend bool operator==(const TButtonMouseState&, const TButtonMouseState&) = default;
};

// What the button is set up as.
struct TButtonConfig {
  int32_t GroupIndex = 0;
  bool AllowAllUp = false;
  bool HasDropdownMenu = false;
  bool HasOnClick = false;
};

// What the window must do after a step.
struct TButtonAction {
  bool Click = false;
  bool ShowMenu = false;
  // Down became true: every other button of the group is released.
  bool ReleaseGroup = false;
  bool StartRepeat = false;
  bool StopRepeat = false;
};

// The press seen by the control before the left-button-down handling: a
// toggle button that is not down goes down at once.
TButtonAction ButtonMouseDown(TButtonMouseState& S, const TButtonConfig& C);
// The left button went down at a point that is (InDropdownPart) or is not in
// the drop-down part. With ShowMenu the part is marked pressed; the window
// shows the menu and then calls ButtonMenuClosed.
TButtonAction ButtonLButtonDown(TButtonMouseState& S, const TButtonConfig& C, bool InDropdownPart);
// The menu shown by a press has closed. It took the release of that press,
// so the press ends here: nothing stays held or pressed.
TButtonAction ButtonMenuClosed(TButtonMouseState& S);
// The left button went up; CursorOverButton tells whether the window under the
// cursor is this button.
TButtonAction ButtonLButtonUp(TButtonMouseState& S, const TButtonConfig& C, bool CursorOverButton);
// The mouse left the button: nothing stays hot, held or pressed.
void ButtonMouseLeave(TButtonMouseState& S);

// Cuts the frame of a state out of a strip; false for bfNone or a frame that
// cannot be cut (no strip, a corrupt one, an index out of range).
bool CutStateFrame(TPngPictures& Pictures, TButtonFrame Frame, TCustomBitmap32* Image);
