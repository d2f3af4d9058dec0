#include "skin/frame/frame_geometry.h"

#include <algorithm>

namespace {
bool Inside(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }
}  // namespace

int32_t FrameHitTest(const TFrameHitInfo& Info, TPoint P) {
  const int32_t w = Info.HitTestWidth, W = Info.Width, H = Info.Height;
  if (Info.Sizable && !Info.Maximized) {
    struct Band {
      TRect Rect;
      int32_t Code;
    };
    const Band bands[] = {
        {{0, 0, w, w}, htTopLeft},         {{w, 0, W - w, w}, htTop},           {{W - w, 0, W, w}, htTopRight},
        {{W - w, w, W, H - w}, htRight},   {{W - w, H - w, W, H}, htBottomRight}, {{w, H - w, W - w, H}, htBottom},
        {{0, H - w, w, H}, htBottomLeft},  {{0, w, w, H - w}, htLeft},
    };
    for (const Band& band : bands)
      if (Inside(band.Rect, P)) return band.Code;
  }
  if (Inside(TRect{0, 0, W, Info.TitleHeight}, P)) return htCaption;
  if (Inside(Info.Client, P)) return htClient;
  return htNowhere;
}

bool IsResizeHit(int32_t Code) { return Code >= htLeft && Code <= htBottomRight; }

TRect FrameClientRect(const TRect& Window, int32_t FramWidth, int32_t TitleHeight) {
  TRect r{Window.Left + FramWidth, Window.Top + TitleHeight, Window.Right - FramWidth, Window.Bottom - FramWidth};
  r.Right = std::max(r.Right, r.Left);
  r.Bottom = std::max(r.Bottom, r.Top);
  return r;
}

void ApplyMaxGeometry(TMaxGeometryState& State, const TMaxGeometryInput& In, TMinMaxPoints& Info) {
  if (In.MonitorIsPrimary != State.FormOldMonitorIsPrimary) {
    State.FormOldMonitorIsPrimary = In.MonitorIsPrimary;
    State.FixedMinMaxInfo = false;
  }
  if (!State.FixedMinMaxInfo) {
    State.FixedMinMaxInfo = true;
    State.OldPtMaxPosition = Info.MaxPosition;
    State.OldPtMaxSize = Info.MaxSize;
    State.OffsetX = -Info.MaxPosition.X;
    State.OffsetY = -Info.MaxPosition.Y;
  }
  const int32_t workW = In.WorkArea.Width(), workH = In.WorkArea.Height();
  if (In.CreatedMaximized) {
    Info.MaxPosition = TPoint{In.WorkArea.Left, In.WorkArea.Top};
    Info.MaxSize = TPoint{workW, workH - 1};
  } else {
    Info.MaxPosition = TPoint{State.OldPtMaxPosition.X + State.OffsetX, State.OldPtMaxPosition.Y + State.OffsetY};
    if (In.MonitorIsPrimary) Info.MaxPosition = TPoint{In.WorkArea.Left, In.WorkArea.Top};
    Info.MaxSize = TPoint{workW, workH};
  }
  Info.MinTrackSize.Y = In.MinHeight != 0 ? In.MinHeight : In.TitleHeight + (In.FlatFrame ? 30 : 6);
  Info.MinTrackSize.X = In.MinWidth != 0 ? In.MinWidth : 120;
  if (In.MaxWidth != 0) Info.MaxTrackSize.X = In.MaxWidth;
  if (In.MaxHeight != 0) Info.MaxTrackSize.Y = In.MaxHeight;
}
