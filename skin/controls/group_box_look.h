// The look of the skinned group box and check boxes apart from their windows:
// which frame of the 4-frame check box strip shows a state, where the group
// box puts its check box, caption, separator pieces and box lines, and the
// separator's opaque gradient. Portable: plain numbers in, rectangles out,
// and drawing into a TBitmap32.
#pragma once

#include <cstdint>

#include "gfx/bitmap32.h"
#include "skin/controls/panel_look.h"

enum TGroupBoxFrameStyle { fsLine, fsBox };

// The check box strips hold four frames: unchecked, unchecked hot, checked,
// checked hot.
constexpr int32_t CheckBoxFrameCount = 4;
int32_t CheckBoxFrameIndex(bool Checked, bool Pressed, bool MouseOver);

struct TGroupBoxLayoutInput {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t CaptionHeight = 0;  // already scaled for the pixel density
  int32_t TextWidth = 0;      // of the caption in the group box's font
  TAlignment Alignment = taLeftJustify;
  TGroupBoxFrameStyle FrameStyle = fsLine;
  bool CheckBoxShown = false;  // visible and its frame found
  int32_t FrameWidth = 0;
  int32_t FrameHeight = 0;
};

// A horizontal piece of the separator row, [Left, Right).
struct TSeparatorSegment {
  int32_t Left = 0;
  int32_t Right = 0;
  bool Empty() const { return Right <= Left; }
};

// A line drawn without its end point.
struct TBoxLine {
  TPoint From;
  TPoint To;
};

struct TGroupBoxLayout {
  // False when the group box has no width or no caption band: nothing but
  // the background is drawn and nothing else here is meaningful.
  bool Drawn = false;
  // The caption's indent after the check box took its place.
  int32_t Indent = 0;
  TPoint CheckBoxPos;
  // The clickable area of the check box (only when it is shown).
  TRect CheckBoxRect;
  TRect CaptionRect;
  // The row of the separator and of the box's top lines.
  int32_t Y0 = 0;
  // fsLine: one separator piece, two around a centred caption. A piece may be
  // empty; its gradient is then left out but its glow is still stroked.
  int32_t SegmentCount = 0;
  TSeparatorSegment Segments[2];
  // fsBox: the lines of the box in drawing order.
  int32_t BoxLineCount = 0;
  TBoxLine BoxLines[7];
};

// DrawText flags of the group box caption: left, vertically centred, single line.
constexpr uint32_t GroupBoxCaptionFlags = 36;

TGroupBoxLayout GroupBoxLayout(const TGroupBoxLayoutInput& In);

// The separator's colour at pixel I of a piece Width pixels wide: per
// channel Stop + (Start - Stop) * I / Width (rounded toward zero), so the
// left end is exactly Stop and each pixel steps 1/Width of the way to Start.
// Colours are 0x00RRGGBB; the result is opaque.
TColor32 SeparatorColor(uint32_t StopRGB, uint32_t StartRGB, int32_t I, int32_t Width);

// The 1-pixel-high opaque gradient of a piece at row Y, clipped to the bitmap.
void DrawSeparator(TCustomBitmap32& Bitmap, const TSeparatorSegment& Segment, int32_t Y, uint32_t StopRGB,
                   uint32_t StartRGB);

// The box lines of a fsBox layout in an opaque colour (0x00RRGGBB).
void DrawBoxLines(TCustomBitmap32& Bitmap, const TGroupBoxLayout& Layout, uint32_t RGB);
