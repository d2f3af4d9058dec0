#include "skin/controls/group_box_look.h"

#include <algorithm>

#include "toolkit/core/scope.h"

int32_t CheckBoxFrameIndex(bool Checked, bool Pressed, bool MouseOver) {
  if (Checked) return Pressed || MouseOver ? 3 : 2;
  if (Pressed) return 3;
  return MouseOver ? 1 : 0;
}

namespace {

void LayoutCheckBox(const TGroupBoxLayoutInput& In, TGroupBoxLayout& L) {
  const int32_t fw = In.FrameWidth, tw = In.TextWidth;
  const int32_t y = In.CaptionHeight / 2 - In.FrameHeight / 2;
  int32_t x = 0;
  switch (In.Alignment) {
    case taLeftJustify:
      x = L.Indent + 3;
      L.Indent += 3 + fw + 3;
      break;
    case taRightJustify:
      x = In.Width - (L.Indent + 3) - fw - tw;
      break;
    case taCenter:
      x = (In.Width - fw - tw) / 2;
      break;
  }
  L.CheckBoxPos = TPoint{x, y};
  L.CheckBoxRect = TRect{x, y, x + L.Indent + fw, y + In.FrameHeight};
}

TRect CaptionRect(const TGroupBoxLayoutInput& In, int32_t Indent, int32_t FW) {
  const int32_t tw = In.TextWidth, ch = In.CaptionHeight;
  switch (In.Alignment) {
    case taRightJustify:
      return TRect{In.Width - tw - Indent, 0, In.Width - Indent, ch};
    case taCenter: {
      const int32_t c = (In.Width - FW - tw) / 2;
      return TRect{c + FW, 0, c + tw + FW, ch};
    }
    case taLeftJustify:
    default:
      return TRect{Indent, 0, tw + Indent, ch};
  }
}

void LayoutSeparator(const TGroupBoxLayoutInput& In, int32_t FW, TGroupBoxLayout& L) {
  const TRect& r = L.CaptionRect;
  switch (In.Alignment) {
    case taLeftJustify:
      L.Segments[L.SegmentCount++] = {r.Right + 5, In.Width};
      break;
    case taRightJustify:
      L.Segments[L.SegmentCount++] = {0, r.Left - FW - 5};
      break;
    case taCenter: {
      const int32_t c = (In.Width - In.TextWidth - FW) / 2;
      L.Segments[L.SegmentCount++] = {0, c - 5};
      L.Segments[L.SegmentCount++] = {c + In.TextWidth + FW + 5, In.Width};
      break;
    }
  }
}

void LayoutBox(const TGroupBoxLayoutInput& In, int32_t FW, TGroupBoxLayout& L) {
  const int32_t w = In.Width, h = In.Height, ch = In.CaptionHeight, y0 = L.Y0;
  const TRect& r = L.CaptionRect;
  const int32_t e = In.CheckBoxShown ? r.Left - FW - 5 : r.Left - 5;
  const TBoxLine lines[7] = {
      {{r.Right + 5, y0}, {w, y0}},  {{w - 1, y0}, {w - 1, ch}},    {{0, y0}, {e, y0}},
      {{0, y0}, {0, ch}},            {{0, ch}, {0, h - 1}},          {{w - 1, ch}, {w - 1, h - 1}},
      {{0, h - 1}, {w, h - 1}},
  };
  for (const TBoxLine& line : lines) L.BoxLines[L.BoxLineCount++] = line;
}

}  // namespace

TGroupBoxLayout GroupBoxLayout(const TGroupBoxLayoutInput& In) {
  TGroupBoxLayout L;
  if (In.Width <= 0 || In.CaptionHeight <= 0) return L;
  L.Drawn = true;
  L.Indent = In.FrameStyle == fsBox ? 20 : 0;
  int32_t fw = 0;
  if (In.CheckBoxShown) {
    fw = In.FrameWidth;
    LayoutCheckBox(In, L);
  }
  L.CaptionRect = CaptionRect(In, L.Indent, fw);
  L.Y0 = (In.CaptionHeight - 1) / 2;
  if (In.FrameStyle == fsLine)
    LayoutSeparator(In, fw, L);
  else
    LayoutBox(In, fw, L);
  return L;
}

TColor32 SeparatorColor(uint32_t StopRGB, uint32_t StartRGB, int32_t I, int32_t Width) {
  TColor32 result = 0xFF000000;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int64_t stop = (StopRGB >> shift) & 0xFF, start = (StartRGB >> shift) & 0xFF;
    const int64_t c = Width > 0 ? stop + (start - stop) * I / Width : stop;
    result |= static_cast<TColor32>(c & 0xFF) << shift;
  }
  return result;
}

void DrawSeparator(TCustomBitmap32& Bitmap, const TSeparatorSegment& Segment, int32_t Y, uint32_t StopRGB,
                   uint32_t StartRGB) {
  if (Segment.Empty() || Y < 0 || Y >= Bitmap.Height()) return;
  const int32_t width = Segment.Right - Segment.Left;
  const int32_t from = std::max(Segment.Left, 0), to = std::min(Segment.Right, Bitmap.Width());
  TColor32* row = Bitmap.ScanLine(Y);
  for (int32_t x = from; x < to; ++x) row[x] = SeparatorColor(StopRGB, StartRGB, x - Segment.Left, width);
  if (from < to) Bitmap.Changed(TRect{from, Y, to, Y + 1});
}

void DrawBoxLines(TCustomBitmap32& Bitmap, const TGroupBoxLayout& Layout, uint32_t RGB) {
  if (Bitmap.Empty()) return;
  TUpdateScope<TCustomBitmap32> update(Bitmap);
  const TColor32 color = 0xFF000000 | (RGB & 0xFFFFFF);
  for (int32_t i = 0; i < Layout.BoxLineCount; ++i) {
    const TBoxLine& line = Layout.BoxLines[i];
    Bitmap.LineTS(line.From.X, line.From.Y, line.To.X, line.To.Y, color);
  }
}
