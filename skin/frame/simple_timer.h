// A light timer object (not a component) for hover animation and repeat
// actions of skinned controls. All simple timers share one hidden receiver
// window, which exists while at least one timer does; a timer's id is its
// own address.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_set>

#include "toolkit/core/classes.h"
#include "toolkit/win/utilwindow.h"

class TSimpleTimer;

// The shared receiver: a hidden utility window that hands WM_TIMER to the
// timer whose address is the timer id.
class TSimpleTimerHandler {
public:
  TSimpleTimerHandler();
  ~TSimpleTimerHandler();
  TSimpleTimerHandler(const TSimpleTimerHandler&) = delete;
  TSimpleTimerHandler& operator=(const TSimpleTimerHandler&) = delete;

  // The process's handler, or nullptr while no timer exists.
  static TSimpleTimerHandler* Instance();
  HWND WindowHandle() const { return FWindow->Handle(); }
  uint32_t RefCount() const { return static_cast<uint32_t>(FTimers.size()); }
  uint32_t ActiveCount() const { return ActiveCounter; }

private:
  friend class TSimpleTimer;
  static TSimpleTimerHandler& Acquire(TSimpleTimer* Timer);
  static void Release(TSimpleTimer* Timer);
  void WndProc(TMessage& Message);

  // The live timers: a WM_TIMER whose id names none of them (a tick queued
  // before its timer went) is dropped.
  std::unordered_set<TSimpleTimer*> FTimers;
  uint32_t ActiveCounter = 0;
  std::unique_ptr<TUtilWindow> FWindow;
};

class TSimpleTimer : public TObject {
public:
  // Interval 1000 ms, no handler, disabled.
  TSimpleTimer();
  TSimpleTimer(uint32_t AInterval, TNotifyEvent AOnTimer);
  ~TSimpleTimer() override;
  TSimpleTimer(const TSimpleTimer&) = delete;
  TSimpleTimer& operator=(const TSimpleTimer&) = delete;

  bool Enabled() const { return FEnabled; }
  // True starts (restarts a running timer), false stops and disables.
  void SetEnabled(bool Value);
  uint32_t Interval() const { return FInterval; }
  // On an enabled timer a new non-zero interval restarts it; 0 stops the
  // ticks while Enabled stays true.
  void SetInterval(uint32_t Value);
  // A one-shot timer disables itself before its first tick is handled.
  bool AutoDisable() const { return FAutoDisable; }
  void SetAutoDisable(bool Value) { FAutoDisable = Value; }
  uintptr_t TimerId() const { return FId; }
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  // Clearing the handler of an enabled timer stops the ticks while Enabled
  // stays true; giving it a handler again resumes them.
  void SetOnTimer(TNotifyEvent Value);
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t Value) { FTag = Value; }

  // Arms the window timer; false (and nothing changed) for Interval 0 or
  // when the system refuses.
  bool Start();
  // Kills the window timer; Disable also clears Enabled.
  void Stop(bool Disable);

private:
  friend class TSimpleTimerHandler;
  void Tick();

  uintptr_t FId;
  bool FEnabled = false;
  uint32_t FInterval = 1000;
  bool FAutoDisable = false;
  TNotifyEvent FOnTimer;
  int32_t FTag = 0;
  // The window timer exists (Enabled can be true without it: Interval 0 or no handler).
  bool FArmed = false;
  TSimpleTimerHandler& FHandler;
};
