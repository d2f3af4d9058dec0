// The message-based timer component.
#pragma once

#include "toolkit/core/components.h"
#include "toolkit/win/utilwindow.h"

#include <memory>

// Fires OnTimer every Interval milliseconds while Enabled, through WM_TIMER on
// its own utility window.
class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);
  void SetOnTimer(TNotifyEvent Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }

protected:
  virtual void Timer();

private:
  void UpdateTimer();
  void WndProc(TMessage& Message);
  std::unique_ptr<TUtilWindow> FWindow;
  bool FEnabled = true;
  bool FArmed = false;
  unsigned FInterval = 1000;
  TNotifyEvent FOnTimer;
};
