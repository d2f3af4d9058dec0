#include "skin/frame/simple_timer.h"

#include "toolkit/win/live_counts.h"

namespace {

// Freed with the last timer, and at exit if a timer outlives the program's windows.
std::unique_ptr<TSimpleTimerHandler> GHandler;

}  // namespace

// ---- TSimpleTimerHandler ----------------------------------------------------------

TSimpleTimerHandler::TSimpleTimerHandler()
    : FWindow(std::make_unique<TUtilWindow>([this](TMessage& Message) { WndProc(Message); })) {}

TSimpleTimerHandler::~TSimpleTimerHandler() = default;

TSimpleTimerHandler* TSimpleTimerHandler::Instance() { return GHandler.get(); }

TSimpleTimerHandler& TSimpleTimerHandler::Acquire(TSimpleTimer* Timer) {
  if (!GHandler) GHandler = std::make_unique<TSimpleTimerHandler>();
  GHandler->FTimers.insert(Timer);
  return *GHandler;
}

void TSimpleTimerHandler::Release(TSimpleTimer* Timer) {
  if (!GHandler) return;
  GHandler->FTimers.erase(Timer);
  // The last timer may go inside its own tick: the window is destroyed from
  // its own procedure, which Win32 allows, and nothing of the handler is used
  // after the tick returns.
  if (GHandler->FTimers.empty()) GHandler.reset();
}

void TSimpleTimerHandler::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    auto* timer = reinterpret_cast<TSimpleTimer*>(Message.WParam);
    if (FTimers.count(timer) != 0 && timer->FArmed) timer->Tick();
    return;
  }
  Message.Result = DefWindowProcW(FWindow->Handle(), Message.Msg, Message.WParam, Message.LParam);
}

// ---- TSimpleTimer -------------------------------------------------------------------

TSimpleTimer::TSimpleTimer() : FId(reinterpret_cast<uintptr_t>(this)), FHandler(TSimpleTimerHandler::Acquire(this)) {}

TSimpleTimer::TSimpleTimer(uint32_t AInterval, TNotifyEvent AOnTimer) : TSimpleTimer() {
  FInterval = AInterval;
  FOnTimer = std::move(AOnTimer);
}

TSimpleTimer::~TSimpleTimer() {
  Stop(true);
  TSimpleTimerHandler::Release(this);
}

void TSimpleTimer::SetEnabled(bool Value) {
  if (Value)
    Start();
  else
    Stop(true);
}

void TSimpleTimer::SetInterval(uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  if (!FEnabled) return;
  if (Value != 0)
    Start();
  else
    Stop(false);
}

void TSimpleTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = std::move(Value);
  if (!FEnabled) return;
  if (!FOnTimer)
    Stop(false);
  else if (!FArmed)
    Start();
}

bool TSimpleTimer::Start() {
  if (FInterval == 0) return false;
  if (FEnabled) Stop(true);
  if (SetTimer(FHandler.WindowHandle(), FId, FInterval, nullptr) == 0) return false;
  FArmed = true;
  FEnabled = true;
  ++FHandler.ActiveCounter;
  CountLive(lkTimer, 1);
  return true;
}

void TSimpleTimer::Stop(bool Disable) {
  if (Disable) FEnabled = false;
  if (!FArmed) return;
  KillTimer(FHandler.WindowHandle(), FId);
  FArmed = false;
  if (FHandler.ActiveCounter > 0) --FHandler.ActiveCounter;
  CountLive(lkTimer, -1);
}

void TSimpleTimer::Tick() {
  if (FAutoDisable) Stop(true);
  // The handler may free this timer: it runs from a copy, and nothing of the
  // timer is touched afterwards.
  if (!FOnTimer) return;
  const TNotifyEvent handler = FOnTimer;
  handler(this);
}
