#include "toolkit/win/timers.h"

#include "toolkit/win/graphics.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindow = std::make_unique<TUtilWindow>([this](TMessage& Message) { WndProc(Message); });
}

TTimer::~TTimer() {
  FEnabled = false;
  UpdateTimer();
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = std::move(Value);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FArmed) {
    KillTimer(FWindow->Handle(), 1);
    FArmed = false;
    CountLive(lkTimer, -1);
  }
  if (FEnabled && FInterval != 0 && FOnTimer) {
    Win32Check(SetTimer(FWindow->Handle(), 1, FInterval, nullptr) != 0, "SetTimer");
    FArmed = true;
    CountLive(lkTimer, 1);
  }
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    Timer();
    return;
  }
  Message.Result = DefWindowProcW(FWindow->Handle(), Message.Msg, Message.WParam, Message.LParam);
}
