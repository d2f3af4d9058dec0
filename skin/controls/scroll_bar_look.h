// The rules of the skinned scroll bar apart from its window: the range and
// its clamping, where the thumb and the two arrows lie, the part under a
// point, where a dragged thumb puts the position, and which image each part
// shows. Portable: plain data in, plain data out.
//
// Every function accepts any input: a maximum below the minimum, a negative
// page size or values near the ends of the 32-bit range give a position in
// [Min, top] (the top never below Min) and finite geometry, never a division
// by zero or an overflow.
#pragma once

#include <cstdint>

#include "gfx/bitmap32.h"
#include "skin/resources/skin_image.h"

enum TScrollBarKind { sbHorizontal, sbVertical };

// The parts of a bar, in hit-test order.
constexpr int32_t sbpNone = -1;
constexpr int32_t sbpThumb = 0;
constexpr int32_t sbpEndArrow = 1;    // bottom or right: steps towards Max
constexpr int32_t sbpStartArrow = 2;  // top or left: steps towards Min
constexpr int32_t ScrollBarPartCount = 3;

// The minimum thumb length before scaling for the pixel density.
constexpr int32_t ScrollMinThumbLength = 21;

// The range of a bar. PageSize 0 means a thumb of fixed length.
struct TScrollRange {
  int32_t Min = 0;
  int32_t Max = 100;
  int32_t PageSize = 0;
  int32_t Position = 0;
  friend bool operator==(const TScrollRange&, const TScrollRange&) = default;
};

// The highest position: Max - PageSize + 1 with a page size, Max without;
// never below Min.
int32_t ScrollTop(const TScrollRange& R);
// Value clamped to [Min, ScrollTop]. Takes 64 bits so that a step past either
// end of the 32-bit range clamps instead of wrapping.
int32_t ClampScrollPosition(const TScrollRange& R, int64_t Value);

// The property setters. Each returns true when the position changed (only
// the Position setter's change fires the change event).
bool SetScrollPosition(TScrollRange& R, int64_t Value);
// Stores Min; the position is brought back into range.
void SetScrollMin(TScrollRange& R, int32_t Value);
// Stores Max; the position is brought back into range (at most the new top).
void SetScrollMax(TScrollRange& R, int32_t Value);
// Stores the page size only when a page of that size fits after the
// position (Max - Min + 1 >= Value + Position - Min); false when refused.
// A negative page size counts as 0.
bool SetScrollPageSize(TScrollRange& R, int32_t Value);

// SetRange: stores Min, Max and the page size (negative counts as 0), then
// the position: one outside [AMin, top] goes through the Position setter to
// the nearer end (Changed tells whether it differs from the old position),
// one inside is stored directly without a change event.
struct TScrollSetRangeResult {
  bool ViaSetter = false;
  bool Changed = false;
};
TScrollSetRangeResult SetScrollRange(TScrollRange& R, int32_t AMin, int32_t AMax, int32_t APageSize,
                                     int32_t APosition);

// ---- Layout -------------------------------------------------------------------------

// What the layout needs to know about the bar.
struct TScrollLayoutInput {
  TScrollBarKind Kind = sbHorizontal;
  int32_t Width = 0;
  int32_t Height = 0;
  // The start arrow's image: its height for a vertical bar, its width and
  // height for a horizontal one. HaveArrow false: the image is missing and
  // the arrows and track keep their last rectangles.
  bool HaveArrow = false;
  int32_t ArrowWidth = 0;
  int32_t ArrowHeight = 0;
  TScrollRange Range;
  // The minimum thumb length (ScrollMinThumbLength scaled).
  int32_t MinThumb = ScrollMinThumbLength;
};

struct TScrollLayout {
  // Thumb, end arrow, start arrow (indexed by the sbp constants).
  TRect Parts[ScrollBarPartCount]{};
  TRect Track{};
  int32_t ThumbLength = 0;  // T; the thumb is drawn 2 x (T div 2) long
  int32_t Offset1 = 0;      // first possible position of the thumb's centre
  int32_t Offset2 = 0;      // last possible position of the thumb's centre
  int32_t BOffset = 0;      // the thumb centre's distance from Offset1
};

// The integer nearest to X, a half going to the even neighbour; clamped to
// +-2^24 so that any input stays far from overflow.
int32_t ScrollNearest(double X);

// Lays the bar out. Last holds the previous layout, kept for the arrows and
// track when the arrow image is missing.
TScrollLayout ScrollLayout(const TScrollLayoutInput& In, const TScrollLayout& Last = TScrollLayout{});

// The part under P, parts tested in the order thumb, end arrow, start arrow;
// sbpNone when none.
int32_t ScrollPartAt(const TScrollLayout& L, TPoint P);
// P's coordinate along the bar (y vertical, x horizontal).
int32_t AlongBar(TScrollBarKind Kind, TPoint P);
// Whether a coordinate along the bar lies before the thumb's start or at or
// after its end: where a press in the track pages to.
bool BeforeThumb(const TScrollLayout& L, TScrollBarKind Kind, int32_t Along);
bool AfterThumb(const TScrollLayout& L, TScrollBarKind Kind, int32_t Along);

// The position a thumb drag of D pixels asks for (before the Position
// setter clamps it). With a page size D is the mouse's travel and the span
// comes from the current thumb length; without, D is the thumb centre's
// distance from Offset1 and the span is that of the last layout.
// OldBOffset is BOffset when the drag began.
int64_t ScrollDragPosition(const TScrollRange& R, const TScrollLayout& L, TScrollBarKind Kind, int32_t D,
                           int32_t OldBOffset);

// ---- Images -------------------------------------------------------------------------

enum TScrollImageState { sisNone, sisNormal, sisHighlight, sisDown };

// The look of one part: down while it is pressed or the bar is focused, the
// highlight while hot; otherwise the thumb shows normal, and an arrow shows
// normal only while the mouse is over the bar and nothing at all elsewhere.
TScrollImageState ScrollPartState(int32_t Part, bool Down, bool Hot, bool BarFocused, bool MouseInBar);

// The twenty image ids of a bar (the defaults are the built-in images).
struct TScrollBarImages {
  TVelResID Bkg = L"VelSkinScrollbar_bkg";
  TVelResID HorzBkg = L"VelSkinScrollbar_horz_bkg";
  TVelResID BarNormal = L"VelSkinScrollbar_bar_normal";
  TVelResID BarHighlight = L"VelSkinScrollbar_bar_highlight";
  TVelResID BarDown = L"VelSkinScrollbar_bar_down";
  TVelResID HorzBarNormal = L"VelSkinScrollbar_horzbar_normal";
  TVelResID HorzBarHighlight = L"VelSkinScrollbar_horzbar_highlight";
  TVelResID HorzBarDown = L"VelSkinScrollbar_horzbar_down";
  TVelResID ArrowUpNormal = L"VelSkinScrollbar_arrowup_normal";
  TVelResID ArrowUpHighlight = L"VelSkinScrollbar_arrowup_highlight";
  TVelResID ArrowUpDown = L"VelSkinScrollbar_arrowup_down";
  TVelResID ArrowDownNormal = L"VelSkinScrollbar_arrowdown_normal";
  TVelResID ArrowDownHighlight = L"VelSkinScrollbar_arrowdown_highlight";
  TVelResID ArrowDownDown = L"VelSkinScrollbar_arrowdown_down";
  TVelResID ArrowLeftNormal = L"VelSkinScrollbar_arrowleft_normal";
  TVelResID ArrowLeftHighlight = L"VelSkinScrollbar_arrowleft_highlight";
  TVelResID ArrowLeftDown = L"VelSkinScrollbar_arrowleft_down";
  TVelResID ArrowRightNormal = L"VelSkinScrollbar_arrowright_normal";
  TVelResID ArrowRightHighlight = L"VelSkinScrollbar_arrowright_highlight";
  TVelResID ArrowRightDown = L"VelSkinScrollbar_arrowright_down";
};

// The id a part shows in a state; nullptr for sisNone or a bad part.
const TVelResID* ScrollPartImage(const TScrollBarImages& Images, TScrollBarKind Kind, int32_t Part,
                                 TScrollImageState State);
