// The simple timer under Wine: one-shot ticks, interval and handler changes
// on a running timer, and the shared receiver window's lifetime.
#include "skin/frame/simple_timer.h"

#include "skin/frame/tests/frame_test_support.h"
#include "toolkit/win/live_counts.h"

namespace {

// Waits long enough for several 10 ms ticks.
constexpr int SettleMs = 150;

}  // namespace

TEST(SimpleTimer, OneShotFiresOnceAndIsDisabledInsideItsHandler) {
  int ticks = 0;
  bool enabledInHandler = true;
  TSimpleTimer timer(10, [&](TObject* Sender) {
    ++ticks;
    enabledInHandler = static_cast<TSimpleTimer*>(Sender)->Enabled();
  });
  timer.SetAutoDisable(true);
  const long timersBefore = LiveCounts().Timers;
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(LiveCounts().Timers, timersBefore + 1);
  ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }));
  PumpFor(SettleMs);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(enabledInHandler);
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(LiveCounts().Timers, timersBefore);
  EXPECT_EQ(timer.TimerId(), reinterpret_cast<uintptr_t>(&timer));
}

TEST(SimpleTimer, IntervalZeroPausesARunningTimerAndANewIntervalResumesIt) {
  int ticks = 0;
  TSimpleTimer timer(10, [&](TObject*) { ++ticks; });
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }));
  timer.SetInterval(0);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(TSimpleTimerHandler::Instance()->ActiveCount(), 0u);
  const int paused = ticks;
  PumpFor(SettleMs);
  EXPECT_EQ(ticks, paused);
  timer.SetInterval(10);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_TRUE(PumpUntil([&] { return ticks > paused; }));
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(TSimpleTimerHandler::Instance()->ActiveCount(), 0u);
}

TEST(SimpleTimer, EnablingWithIntervalZeroLeavesItDisabled) {
  int ticks = 0;
  TSimpleTimer timer(0, [&](TObject*) { ++ticks; });
  const long timersBefore = LiveCounts().Timers;
  timer.SetEnabled(true);
  EXPECT_FALSE(timer.Enabled());
  EXPECT_FALSE(timer.Start());
  EXPECT_EQ(LiveCounts().Timers, timersBefore);
  PumpFor(50);
  EXPECT_EQ(ticks, 0);
}

TEST(SimpleTimer, ClearedHandlerPausesAndANewHandlerResumes) {
  int ticks = 0;
  TSimpleTimer timer(10, [&](TObject*) { ++ticks; });
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }));
  timer.SetOnTimer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(TSimpleTimerHandler::Instance()->ActiveCount(), 0u);
  int later = 0;
  timer.SetOnTimer([&](TObject*) { ++later; });
  EXPECT_TRUE(PumpUntil([&] { return later > 0; }));
}

TEST(SimpleTimer, SharedWindowLivesWithTheTimersAndARestartDoesNotLeak) {
  ASSERT_EQ(TSimpleTimerHandler::Instance(), nullptr);
  const TLiveCounts before = LiveCounts();
  auto first = std::make_unique<TSimpleTimer>();
  ASSERT_NE(TSimpleTimerHandler::Instance(), nullptr);
  const HWND window = TSimpleTimerHandler::Instance()->WindowHandle();
  EXPECT_EQ(LiveCounts().Windows, before.Windows + 1);
  {
    TSimpleTimer second;
    EXPECT_EQ(TSimpleTimerHandler::Instance()->RefCount(), 2u);
    EXPECT_EQ(LiveCounts().Windows, before.Windows + 1);
    // Re-enabling a running timer restarts it: still one window timer.
    second.SetInterval(20);
    second.SetEnabled(true);
    second.SetEnabled(true);
    EXPECT_EQ(LiveCounts().Timers, before.Timers + 1);
    EXPECT_EQ(TSimpleTimerHandler::Instance()->ActiveCount(), 1u);
  }
  EXPECT_EQ(LiveCounts().Timers, before.Timers);
  EXPECT_EQ(TSimpleTimerHandler::Instance()->RefCount(), 1u);
  first.reset();
  EXPECT_EQ(TSimpleTimerHandler::Instance(), nullptr);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(LiveCounts(), before);
  TSimpleTimer third;
  ASSERT_NE(TSimpleTimerHandler::Instance(), nullptr);
  EXPECT_TRUE(IsWindow(TSimpleTimerHandler::Instance()->WindowHandle()));
  EXPECT_EQ(LiveCounts().Windows, before.Windows + 1);
}

TEST(SimpleTimer, LastTimerFreedInsideItsOwnTickTakesTheWindowWithIt) {
  ASSERT_EQ(TSimpleTimerHandler::Instance(), nullptr);
  const TLiveCounts before = LiveCounts();
  auto* timer = new TSimpleTimer();
  bool freed = false;
  timer->SetInterval(10);
  timer->SetOnTimer([&](TObject* Sender) {
    delete static_cast<TSimpleTimer*>(Sender);
    freed = true;
  });
  timer->SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return freed; }));
  PumpFor(50);
  EXPECT_EQ(TSimpleTimerHandler::Instance(), nullptr);
  EXPECT_EQ(LiveCounts(), before);
}
