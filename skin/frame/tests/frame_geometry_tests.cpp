// The frame's geometry: the hit-test table on normal, maximized and
// non-sizable windows, the client rectangle, and the maximize geometry with
// its track limits.
#include "skin/frame/frame_geometry.h"

#include <gtest/gtest.h>

namespace {

TFrameHitInfo GameWindow() {
  TFrameHitInfo info;
  info.Width = 654;
  info.Height = 550;
  info.Client = FrameClientRect(TRect{0, 0, 654, 550}, 2, 27);
  return info;
}

TEST(FrameGeometry, HitTestTableInItsOrder) {
  const TFrameHitInfo info = GameWindow();
  struct Case {
    TPoint P;
    int32_t Code;
  };
  const Case cases[] = {
      {{0, 0}, htTopLeft},        {{4, 4}, htTopLeft},         {{5, 0}, htTop},           {{648, 4}, htTop},
      {{649, 0}, htTopRight},     {{653, 4}, htTopRight},      {{649, 5}, htRight},       {{653, 544}, htRight},
      {{649, 545}, htBottomRight}, {{653, 549}, htBottomRight}, {{5, 545}, htBottom},      {{648, 549}, htBottom},
      {{0, 545}, htBottomLeft},   {{4, 549}, htBottomLeft},    {{0, 5}, htLeft},          {{3, 100}, htLeft},
      {{5, 5}, htCaption},        {{300, 26}, htCaption},      {{5, 27}, htClient},       {{300, 300}, htClient},
      {{654, 10}, htNowhere},     {{-1, 10}, htNowhere},
  };
  for (const Case& c : cases) EXPECT_EQ(FrameHitTest(info, c.P), c.Code) << c.P.X << "," << c.P.Y;
  EXPECT_TRUE(IsResizeHit(htLeft));
  EXPECT_TRUE(IsResizeHit(htBottomRight));
  EXPECT_FALSE(IsResizeHit(htCaption));
  EXPECT_FALSE(IsResizeHit(htClient));
}

TEST(FrameGeometry, MaximizedAndFixedWindowsHaveNoResizeBands) {
  TFrameHitInfo info = GameWindow();
  for (bool maximized : {true, false}) {
    // Maximized: frame width 0; not maximized but of fixed size: frame width 2.
    info.Maximized = maximized;
    info.Sizable = maximized;
    info.Client = FrameClientRect(TRect{0, 0, 654, 550}, maximized ? 0 : 2, 27);
    EXPECT_EQ(FrameHitTest(info, TPoint{0, 0}), htCaption);
    EXPECT_EQ(FrameHitTest(info, TPoint{300, 2}), htCaption);
    EXPECT_EQ(FrameHitTest(info, TPoint{maximized ? 0 : 2, 100}), htClient);
    EXPECT_EQ(FrameHitTest(info, TPoint{650, 549}), maximized ? htClient : htNowhere);
  }
  // A wider band reaches further in; a zero band none at all.
  info = GameWindow();
  info.HitTestWidth = 0;
  EXPECT_EQ(FrameHitTest(info, TPoint{0, 100}), htNowhere);
  EXPECT_EQ(FrameHitTest(info, TPoint{0, 0}), htCaption);
}

TEST(FrameGeometry, ClientRectangleInsideTheFrame) {
  EXPECT_EQ(FrameClientRect(TRect{100, 200, 754, 750}, 2, 27).Left, 102);
  const TRect r = FrameClientRect(TRect{100, 200, 754, 750}, 2, 27);
  EXPECT_EQ(r.Top, 227);
  EXPECT_EQ(r.Width(), 650);
  EXPECT_EQ(r.Height(), 521);
  // A window smaller than its frame keeps an empty client area, never a negative one.
  const TRect tiny = FrameClientRect(TRect{0, 0, 3, 20}, 2, 27);
  EXPECT_EQ(tiny.Width(), 0);
  EXPECT_EQ(tiny.Height(), 0);
}

TEST(FrameGeometry, MaximizeGeometryFillsTheWorkArea) {
  TMaxGeometryState state;
  TMaxGeometryInput in;
  in.WorkArea = TRect{0, 0, 1280, 994};
  TMinMaxPoints info{{1288, 1002}, {-4, -4}, {112, 27}, {1292, 1036}};
  ApplyMaxGeometry(state, in, info);
  EXPECT_EQ(info.MaxPosition, (TPoint{0, 0}));
  EXPECT_EQ(info.MaxSize, (TPoint{1280, 994}));
  EXPECT_EQ(info.MinTrackSize, (TPoint{120, 33}));
  EXPECT_EQ(info.MaxTrackSize, (TPoint{1292, 1036}));  // no constraints: the system's
  EXPECT_TRUE(state.FixedMinMaxInfo);
  EXPECT_EQ(state.OldPtMaxPosition, (TPoint{-4, -4}));

  // A form created maximized stays one pixel short of the work area's height.
  TMaxGeometryState created;
  in.CreatedMaximized = true;
  in.WorkArea = TRect{0, 30, 1280, 1024};
  ApplyMaxGeometry(created, in, info);
  EXPECT_EQ(info.MaxPosition, (TPoint{0, 30}));
  EXPECT_EQ(info.MaxSize, (TPoint{1280, 993}));
}

TEST(FrameGeometry, TrackLimitsComeFromTheConstraintsOrTheTitle) {
  TMaxGeometryState state;
  TMaxGeometryInput in;
  in.WorkArea = TRect{0, 0, 800, 600};
  TMinMaxPoints info{};
  in.FlatFrame = true;
  ApplyMaxGeometry(state, in, info);
  EXPECT_EQ(info.MinTrackSize, (TPoint{120, 57}));
  in.FlatFrame = false;
  ApplyMaxGeometry(state, in, info);
  EXPECT_EQ(info.MinTrackSize, (TPoint{120, 33}));
  in.MinWidth = 300;
  in.MinHeight = 200;
  in.MaxWidth = 700;
  in.MaxHeight = 500;
  ApplyMaxGeometry(state, in, info);
  EXPECT_EQ(info.MinTrackSize, (TPoint{300, 200}));
  EXPECT_EQ(info.MaxTrackSize, (TPoint{700, 500}));
}

TEST(FrameGeometry, AMonitorChangeTakesTheSystemsPositionAgain) {
  TMaxGeometryState state;
  TMaxGeometryInput in;
  in.WorkArea = TRect{0, 0, 1280, 1024};
  TMinMaxPoints info{{1288, 1032}, {-4, -4}, {}, {}};
  ApplyMaxGeometry(state, in, info);
  // On a secondary monitor the position is the saved one plus the offsets: (0, 0).
  in.MonitorIsPrimary = false;
  in.WorkArea = TRect{1280, 0, 2560, 1024};
  info.MaxPosition = TPoint{-8, -8};
  ApplyMaxGeometry(state, in, info);
  EXPECT_FALSE(state.FormOldMonitorIsPrimary);
  EXPECT_EQ(state.OldPtMaxPosition, (TPoint{-8, -8}));
  EXPECT_EQ(info.MaxPosition, (TPoint{0, 0}));
  EXPECT_EQ(info.MaxSize, (TPoint{1280, 1024}));
}

}  // namespace
