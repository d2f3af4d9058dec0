// The skinned frame's geometry, apart from any window: which part of the
// window a point hits, where the client area lies inside the title bar and
// frame, and the maximize geometry and track limits.
#pragma once

#include <cstdint>

#include "toolkit/core/geometry.h"

// Hit-test results, as the system numbers them.
constexpr int32_t htNowhere = 0, htClient = 1, htCaption = 2, htLeft = 10, htRight = 11, htTop = 12, htTopLeft = 13,
                  htTopRight = 14, htBottom = 15, htBottomLeft = 16, htBottomRight = 17;

struct TFrameHitInfo {
  int32_t Width = 0, Height = 0;  // the window's size
  int32_t HitTestWidth = 5;       // width of the resize bands
  int32_t TitleHeight = 27;
  bool Sizable = true;
  bool Maximized = false;
  TRect Client;  // in window coordinates
};

// The resize bands (sizable, not maximized windows only), then the title
// strip, then the client area; rectangles include their left and top edges.
int32_t FrameHitTest(const TFrameHitInfo& Info, TPoint P);
// One of the eight resize codes.
bool IsResizeHit(int32_t Code);
// The client rectangle inside Window: FramWidth off the sides and the bottom,
// TitleHeight off the top; the right and bottom edges never cross the left and top.
TRect FrameClientRect(const TRect& Window, int32_t FramWidth, int32_t TitleHeight);

// The points of the system's min/max information.
struct TMinMaxPoints {
  TPoint MaxSize, MaxPosition, MinTrackSize, MaxTrackSize;
};
// What the form remembers between requests.
struct TMaxGeometryState {
  bool FixedMinMaxInfo = false;
  bool FormOldMonitorIsPrimary = true;
  TPoint OldPtMaxPosition, OldPtMaxSize;
  int32_t OffsetX = 0, OffsetY = 0;
};
struct TMaxGeometryInput {
  TRect WorkArea;  // of the form's monitor
  bool MonitorIsPrimary = true;
  bool CreatedMaximized = false;
  int32_t TitleHeight = 27;
  bool FlatFrame = false;
  int32_t MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;  // the form's constraints, 0 = none
};
// A maximized window fills the work area (one pixel lower when the form was
// created maximized); the track limits come from the constraints, else from
// the title height.
void ApplyMaxGeometry(TMaxGeometryState& State, const TMaxGeometryInput& In, TMinMaxPoints& Info);
