// The skinned scroll bar: a track, a thumb and two arrow buttons drawn from
// skin images, each in a normal, hot and pressed look, horizontal or
// vertical. It keeps its own range, page size and position, repeats arrow
// and page steps on a window timer while the button is held, drags the
// thumb, and may take the keyboard focus. Its thickness is that of its
// track image. The rules of range, layout and look are in scroll_bar_look.h;
// this is their window.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "skin/controls/control_base.h"
#include "skin/controls/scroll_bar_look.h"

// The repeat timer of a held arrow or page press, and the one-shot timer that
// makes an aligned parent re-align after AutoHide showed or hid the bar.
constexpr UINT_PTR ScrollRepeatTimer = 1;
constexpr UINT_PTR ScrollRealignTimer = 2000;
constexpr UINT ScrollFirstRepeatMs = 11;
constexpr UINT ScrollRepeatMs = 50;
constexpr UINT ScrollRealignMs = 50;

// What the repeat timer does.
enum TScrollTimerMode { stmNone = 0, stmStepBack = 1, stmStepForward = 2, stmPageBack = 3, stmPageForward = 4 };

class TVelSkinScrollBar : public TVelSkinCustomControl {
public:
  explicit TVelSkinScrollBar(TComponent* AOwner);
  ~TVelSkinScrollBar() override;

  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  int32_t Min() const { return FRange.Min; }
  void SetMin(int32_t Value);
  int32_t Max() const { return FRange.Max; }
  void SetMax(int32_t Value);
  int32_t PageSize() const { return FRange.PageSize; }
  void SetPageSize(int32_t Value);
  int32_t Position() const { return FRange.Position; }
  void SetPosition(int32_t Value);
  int32_t SmallChange() const { return FSmallChange; }
  void SetSmallChange(int32_t Value);
  int32_t LargeChange() const { return FLargeChange; }
  void SetLargeChange(int32_t Value);
  // All four at once; a position inside the range is stored without OnChange.
  void SetRange(int32_t AMin, int32_t AMax, int32_t APageSize, int32_t APosition);
  // The thickness: the horizontal track image's height, or the vertical
  // one's width; 0 when the image is missing.
  int32_t GetRealSize();

  // Shows the bar only while a page size is set.
  bool AutoHide() const { return FAutoHide; }
  void SetAutoHide(bool Value);
  // The bar takes the keyboard focus (arrow keys and the wheel step it).
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);
  TWinControl* BindingWinControl() const { return FBindingWinControl; }
  void SetBindingWinControl(TWinControl* Value) { FBindingWinControl = Value; }

  // The image ids; a different id (compared case-sensitively) repaints.
  const TScrollBarImages& Images() const { return FImages; }
  void SetImage(TVelResID TScrollBarImages::*Which, const TVelResID& Value);

  // What the mouse is doing, for those who watch the bar.
  int32_t ActiveButton() const { return FActiveButton; }
  int32_t CaptureButton() const { return FCaptureButton; }
  bool ThumbDragging() const { return FDown; }
  TScrollTimerMode TimerMode() const { return static_cast<TScrollTimerMode>(FTimerMode); }
  const TScrollLayout& Layout() const { return FLayout; }

  // After every change of Position through its setter.
  TNotifyEvent OnChange;
  // A press or repeat on the end arrow; replaces the default step.
  TNotifyEvent OnUpButtonClick;
  // A press or repeat on the start arrow; replaces the default step.
  TNotifyEvent OnDownButtonClick;
  // A thumb drag ended with the left button.
  TNotifyEvent OnLastChange;
  // After each page step back / forward.
  TNotifyEvent OnPageUp;
  TNotifyEvent OnPageDown;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // What accessibility clients read (accessible_controls.cpp).
  std::wstring AccName() override { return std::wstring(); }
  long AccRole() override;
  std::wstring AccValue() override;

protected:
  void DrawControl(TBitmap32* Bitmap) override;
  void Resize() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void WMLButtonDown(TWMMouse& Message) override;
  void WMLButtonDblClk(TWMMouse& Message) override;
  void WMTimer(TWMTimer& Message) override;
  void WMSetFocus(TWMFocus& Message) override;
  void WMKillFocus(TWMFocus& Message) override;
  void WMCommand(TWMCommand& Message) override;
  void CMMouseEnter(TCMMouse& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;

  // Lays the bar out from its size, range and arrow image.
  void UpdateLayout();
  // Steps the position by Delta (clamped, no overflow); false when the
  // change handler freed the bar.
  bool StepPosition(int64_t Delta);
  void StartRepeat(TScrollTimerMode Mode);
  void StopRepeat();
  // Ends a press whose release this bar will never see (another window took
  // the mouse): nothing stays held, dragged or repeating.
  void CancelPress();
  // A focusable bar that does not hold the focus takes it first; false
  // when it still does not hold it (the press is then dropped).
  bool TakeFocusOnPress();
  // Moves the hot mark to Part (sbpNone: no part).
  void SetActiveButton(int32_t Part);
  // A focusable bar holding the focus shows every part pressed.
  bool BarFocused();
  // Draws Image stretched along the bar to Length pixels at (X, Y), blended.
  // The stretched pictures are kept: a scroll step moves the thumb without
  // stretching anything again, and a new length or image makes a new one.
  void DrawStretched(TVelSkinImage* Image, int32_t Length, TBitmap32* Bitmap, int32_t X, int32_t Y);
  struct TStretched {
    const TVelSkinImage* Image;
    TScrollBarKind Kind;
    int32_t Length;
    std::unique_ptr<TCustomBitmap32> Picture;  // in memory: the bar keeps no GDI object
  };
  std::vector<TStretched> FStretched;

  int32_t FOffset1 = 0;
  int32_t FOffset2 = 0;
  int32_t FBOffset = 0;
  TRect FNewTrackArea{};
  bool FDown = false;
  bool FMouseInClientRect = false;
  int32_t FOMPos = 0;
  int32_t FOldBOffset = 0;
  int32_t FMX = 0;
  int32_t FMY = 0;
  bool FMouseD = false;
  TScrollBarImages FImages;
  bool FAutoHide = false;
  TWinControl* FBindingWinControl = nullptr;
  bool FWaitMode = false;
  bool FClicksDisabled = false;
  bool FCanFocused = false;
  int32_t FTimerMode = stmNone;
  int32_t FActiveButton = sbpNone;
  int32_t FOldActiveButton = sbpNone;
  int32_t FCaptureButton = sbpNone;
  struct TPartState {
    bool Hot = false;
    bool Down = false;
  };
  TPartState FButtons[ScrollBarPartCount]{};
  TScrollRange FRange;
  int32_t FSmallChange = 1;
  int32_t FLargeChange = 1;
  TScrollBarKind FKind = sbHorizontal;
  TScrollLayout FLayout;

private:
  // Cleared when the bar is freed; a handler that freed it is noticed.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  // Repaints and fires OnChange; false when the handler freed the bar.
  bool Changed();
  // Fires an event; false when the handler freed the bar.
  bool Fire(const TNotifyEvent& Event);
};
