// Hints: the hint window, and the controller that shows it over controls
// with a hint after a pause and hides it again.
#pragma once

#include "toolkit/win/controls.h"
#include "toolkit/win/timers.h"

#include <functional>
#include <memory>
#include <string>

// What is about to be shown; CM_HINTSHOW and the application's OnShowHint may
// change it. Positions are in screen coordinates except CursorRect.
struct THintInfo {
  TControl* HintControl = nullptr;
  std::wstring HintStr;
  TPoint CursorPos{0, 0};
  // In HintControl's client coordinates: the hint belongs to this area and
  // hides when the mouse leaves it.
  TRect CursorRect{0, 0, 0, 0};
  // Top-left corner of the hint window.
  TPoint HintPos{0, 0};
  // Lines wrap at this width.
  int HintMaxWidth = 0;
  // Milliseconds the hint stays; 0 or less: until the mouse leaves CursorRect.
  int HideTimeout = 0;
  // When above 0: the hint comes back after this many milliseconds once it
  // has been hidden while the mouse stays in the control.
  int ReshowTimeout = 0;
};

using TShowHintEvent = std::function<void(std::wstring& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// A borderless, top-most tool window without owner that never takes the
// activation nor the mouse, drawn in the info colours with the form font.
class THintWindow : public TCustomControl {
public:
  explicit THintWindow(TComponent* AOwner);
  ~THintWindow() override;

  // The size Text needs as a rectangle at (0, 0); lines wrap at MaxWidth
  // (the screen's width when MaxWidth is 0 or less).
  virtual TRect CalcHintRect(int MaxWidth, const std::wstring& Text);
  // Shows Text at Rect (screen coordinates, moved onto the screen where it
  // sticks out) without activating it.
  virtual void ActivateHint(const TRect& Rect, const std::wstring& Text);
  // Hides the hint by destroying its window; the measuring DC goes too.
  void ReleaseHandle();

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WMNCHitTest(TWMNCHitTest& Message) override;
  void WMMouseActivate(TWMMouseActivate& Message) override;
};

class TApplication;

// Watches the mouse and keyboard messages of the message loop and shows the
// hint of the control under the mouse. Holds a timer and a hint window only
// while a hint is pending or shown.
class THintController : public TComponent {
public:
  explicit THintController(TApplication* App);
  ~THintController() override;

  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  int HintPause() const { return FHintPause; }
  void SetHintPause(int Value) { FHintPause = Value; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int Value) { FHintHidePause = Value; }

  // Called by the message loop for every message before it is dispatched.
  void MessageSeen(const MSG& Msg);
  // Hides the hint and forgets the control; the next mouse move starts over.
  void CancelHint();
  // Shows the hint of the control at CursorPos (screen) now, without pause.
  void ActivateHint(TPoint CursorPos);

  // The control the hint is pending or shown for, and the hint window while shown.
  TControl* HintControl() const { return FHintControl; }
  THintWindow* HintWindow() const { return FHintWindow.get(); }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  enum TTimerMode { tmNone, tmShow, tmHide };
  void MouseOver(TControl* Control, TPoint CursorPos);
  void SetHintControl(TControl* Control);
  bool CanHint(TControl* Control) const;
  void ShowHintNow();
  void HideHint();
  void StartTimer(int Interval, TTimerMode Mode);
  void StopTimer();
  void ReleaseIdleTimer();
  void TimerFired();

  TApplication* FApp;
  bool FShowHint = true;
  int FHintPause = 500;
  int FHintHidePause = 2500;
  TControl* FHintControl = nullptr;
  // The hint of FHintControl has been shown (or refused) for the area FCursorRect.
  bool FShown = false;
  TRect FCursorRect{0, 0, 0, 0};
  int FReshowTimeout = 0;
  TPoint FCursorPos{0, 0};
  std::unique_ptr<THintWindow> FHintWindow;
  std::unique_ptr<TTimer> FTimer;
  TTimerMode FTimerMode = tmNone;
  bool FInTimer = false;
};
