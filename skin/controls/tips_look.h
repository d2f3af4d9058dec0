// The balloon tips' rules apart from their windows: where a balloon goes and
// how large it is, where its close button and its text sit, and when its
// pause has run out. Portable: plain data in, plain data out.
#pragma once

#include <cstdint>

#include "toolkit/core/geometry.h"

enum TTipsDirection { hdTop, hdBottom, hdCustom };
enum TMouseInTips { itNone, itCloseButton };

// Texts are measured in a rectangle this wide; a balloon beside an edit is at
// most this much wider than its frame and wraps a longer text.
constexpr int32_t TipsMeasureWidth = 900;

// The top-left corner of an edit's balloon in the coordinates of the edit's
// parent: 5 pixels right of the edit, and 5 pixels above where a line of
// TextHeight would be centred on it (the division truncates toward zero).
TPoint EditTipsLeftTop(const TRect& EditBounds, int32_t TextHeight);

// The rectangle an edit's balloon asks for at LeftTop: 10 pixels wider than
// the text (at most TipsMeasureWidth of it), one line high.
TRect EditTipsRect(TPoint LeftTop, int32_t TextWidth, int32_t TextHeight);

// A rectangle given in a control's coordinates moved to ScreenTopLeft; its
// height becomes 10 when it is below 11 or not below the screen's height.
TRect TipsScreenRect(const TRect& R, TPoint ScreenTopLeft, int32_t ScreenHeight);

// The width the text of a balloon may take: the rectangle's width when one is
// given, else the parent's client width, less 4 and less the close button.
int32_t TipsTextWidth(int32_t ParentClientWidth, const TRect* R, bool CloseButtonVisible, int32_t CloseWidth);

struct TTipsPlacement {
  TTipsDirection Direction = hdTop;
  // The balloon belongs to a control; ParentClient is its client area in
  // screen coordinates.
  bool HasParent = false;
  TRect ParentClient;
  // The rectangle asked for, in screen coordinates, when there is one.
  const TRect* R = nullptr;
  // The height of the text laid out in TipsTextWidth.
  int32_t MeasuredHeight = 0;
  // The title's line height ("Ww" in the title font), 0 without a title.
  int32_t TitleHeight = 0;
  // The balloon is never larger than this (the screen's size); 0: no limit.
  int32_t MaxWidth = 0;
  int32_t MaxHeight = 0;
};

// The balloon's window rectangle in screen coordinates. With a parent the
// text's height (at least R's) plus 10 is the height, placed at the parent's
// client top (hdTop), flush with its client bottom (hdBottom) or at R
// (hdCustom), as wide as the client area or as R; without a parent it is R.
// A title adds its line height and 6.
TRect TipsBalloonRect(const TTipsPlacement& P);

// The close button's rectangle in a balloon of Width: 4 pixels in from the
// right and 5 from the top; empty when it is not shown.
TRect TipsCloseButtonRect(int32_t Width, bool Visible, int32_t FrameWidth, int32_t FrameHeight);

// Where the title and the text go: the client area inset by 4, kept 2 pixels
// (and the close button's width) clear of the right edge.
TRect TipsTextRect(int32_t Width, int32_t Height, bool CloseButtonVisible, int32_t CloseWidth);

// True once PauseTime milliseconds (when positive) have passed since T1.
inline bool TipsPauseElapsed(int32_t PauseTime, int64_t Now, int64_t T1) {
  return PauseTime > 0 && Now - T1 >= PauseTime;
}
