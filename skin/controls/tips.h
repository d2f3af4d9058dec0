// Balloon tips: short-lived top-level windows that show a text (and
// optionally a title and a close button) next to a control, follow it when
// it moves and fade out after a pause without mouse movement over them.
// TVelSkinCustomTips holds the settings and the balloons it showed;
// TVelSkinTipsWindow is one balloon; the edit flavour places its balloon to
// the right of its edit, which hides it whenever the user types. The
// geometry is in tips_look.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/bitmap32.h"
#include "skin/controls/panel_look.h"
#include "skin/controls/tips_look.h"
#include "skin/frame/simple_timer.h"
#include "skin/resources/skin_image.h"
#include "toolkit/win/controls.h"

class TVelSkinCustomTips;

// The fade-out of a balloon, in milliseconds.
constexpr DWORD TipsFadeTime = 500;
// How often a balloon checks its pause and its control.
constexpr uint32_t TipsTimerInterval = 50;

class TVelSkinTipsWindow : public TCustomControl {
public:
  // A balloon of ATips, which frees it; no owner component.
  explicit TVelSkinTipsWindow(TVelSkinCustomTips* ATips);
  ~TVelSkinTipsWindow() override;

  // Lays the balloon out for its text (and title) beside ParentControl or at
  // R (screen coordinates), captures the screen under it and shows it there
  // without activating it.
  virtual void ActivateTips(const std::wstring& Title, const std::wstring& Tips, const std::optional<TRect>& R,
                            TControl* ParentControl);
  // Stops the timer, with Animate fades out, then closes the window.
  virtual void Hide(bool Animate);
  // Closes the window (WM_CLOSE); the object stays until its tips object frees it.
  virtual void Close();

  const std::wstring& Title() const { return FTitle; }
  const std::wstring& Tips() const { return FTips; }
  // The control the balloon belongs to; forgotten when that control is freed.
  TControl* ParentControl() const { return FParentControl; }
  TVelSkinCustomTips* TipsObj() const { return FTipsObj; }
  const TRect& CloseButtonRect() const { return FCloseButtonRect; }
  TMouseInTips MouseInTips() const { return FMouseInTips; }
  bool MousePressed() const { return FMousePressed; }
  // True once the window was closed (or destroyed with its owner window).
  bool Closed() const { return FClosed || (FShown && !HandleAllocated()); }
  // The drawing surface as last painted.
  TBitmap32* MemBmp() const { return FMemBmp.get(); }

  // What accessibility clients read (accessible_controls.cpp).
  std::wstring AccName() override;
  long AccRole() override;

protected:
  virtual void TimerHandler(TObject* Sender);

  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Resize() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
  void WMMouseActivate(TWMMouseActivate& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  std::string ClassName() const override { return "TVelSkinTipsWindow"; }

private:
  void DrawBalloon();
  void CopyToWindow();
  void SetParentControl(TControl* Value);
  TPoint ParentScreenPos() const;
  void FollowParent();
  void KeepAboveOwner();

  TVelSkinCustomTips* FVelTips;
  std::wstring FTips;
  std::wstring FTitle;
  std::unique_ptr<TPngPictures> FCloseButton;
  TRect FCloseButtonRect;
  TControl* FParentControl = nullptr;
  TMouseInTips FMouseInTips = itNone;
  bool FMousePressed = false;
  std::unique_ptr<TBitmap32> FMemBmp;
  std::unique_ptr<TSimpleTimer> FTimer;
  int64_t FT1 = 0;
  int64_t FT2 = 0;
  TPoint FOldParentControlPos;
  TVelSkinCustomTips* FTipsObj;
  TPoint FTipsSize;
  // The window above which the balloon stays: the root window of its control.
  HWND FOwnerWindow = nullptr;
  bool FShown = false;
  bool FClosed = false;
};

class TVelSkinCustomTips : public TComponent {
public:
  explicit TVelSkinCustomTips(TComponent* AOwner);
  ~TVelSkinCustomTips() override;

  // Shows a balloon for Control or at R and answers its window, or nullptr
  // (and no window) when both are missing. R is in the client coordinates of
  // Control's parent when Control is given, else in screen coordinates.
  HWND Show(const std::wstring& Title, const std::wstring& Tips, TTipsDirection Direction,
            const std::optional<TRect>& R, TControl* Control);
  HWND Show(const std::wstring& Title, const std::wstring& Tips, const std::optional<TRect>& R,
            TControl* ParentControl) {
    return Show(Title, Tips, hdTop, R, ParentControl);
  }

  // A text measured on one line (lines break only at line breaks) in the
  // tips font, in a rectangle 900 pixels wide.
  TPoint GetTipsSize(const std::wstring& Text);
  int32_t GetTipsWidth(const std::wstring& Text) { return GetTipsSize(Text).X; }
  int32_t GetTipsHeight(const std::wstring& Text) { return GetTipsSize(Text).Y; }

  TTipsDirection TipsDirection() const { return FTipsDirection; }
  void SetTipsDirection(TTipsDirection Value) { FTipsDirection = Value; }
  TColor TipsColor() const { return FTipsColor; }
  void SetTipsColor(TColor Value) { FTipsColor = Value; }
  TFont& TipsFont() { return *FTipsFont; }
  void SetTipsFont(const TFont& Value) { FTipsFont->Assign(const_cast<TFont*>(&Value)); }
  TFont& TitleFont() { return *FTitleFont; }
  void SetTitleFont(const TFont& Value) { FTitleFont->Assign(const_cast<TFont*>(&Value)); }
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  // Milliseconds without mouse movement over a balloon before it fades out;
  // 0 or less: never.
  int32_t PauseTime() const { return FPauseTime; }
  void SetPauseTime(int32_t Value) { FPauseTime = Value; }
  bool CloseButtonVisible() const { return FCloseButtonVisible; }
  void SetCloseButtonVisible(bool Value) { FCloseButtonVisible = Value; }
  // Hides the balloons while their control's form is not active.
  bool HideOfParentDeactivate() const { return FHideOfParentDeactivate; }
  void SetHideOfParentDeactivate(bool Value) { FHideOfParentDeactivate = Value; }
  TVerticalAlignment AlignmentVertical() const { return FAlignmentVertical; }
  void SetAlignmentVertical(TVerticalAlignment Value) { FAlignmentVertical = Value; }
  TAlignment AlignmentHorizontal() const { return FAlignmentHorizontal; }
  void SetAlignmentHorizontal(TAlignment Value) { FAlignmentHorizontal = Value; }

  // The balloons shown and not yet freed (closed ones included).
  int WindowCount() const { return static_cast<int>(FList.size()); }
  TVelSkinTipsWindow* Windows(int Index) const { return FList.at(static_cast<size_t>(Index)).get(); }
  // The tips font and the title font scaled for the pixel density.
  void ScaledTipsFont(TFont& Font);
  void ScaledTitleFont(TFont& Font);

protected:
  // Closes every balloon without animation and frees them.
  void FreeWindows();

private:
  // Frees the balloons that are closed already.
  void FreeClosedWindows();

  TTipsDirection FTipsDirection = hdTop;
  TColor FTipsColor = 11596287;
  std::unique_ptr<TFont> FTipsFont;
  std::unique_ptr<TFont> FTitleFont;
  TColor FFrameColor = 700646;
  int32_t FPauseTime = 3500;
  std::vector<std::unique_ptr<TVelSkinTipsWindow>> FList;
  bool FCloseButtonVisible = true;
  bool FHideOfParentDeactivate = false;
  TVerticalAlignment FAlignmentVertical = taAlignTop;
  TAlignment FAlignmentHorizontal = taLeftJustify;
};

// The tips of a skinned edit: a balloon to the right of the edit, red with
// light text, no close button, hidden while the edit's form is not active.
class TVelSkinCustomEditTips : public TVelSkinCustomTips {
public:
  // AEdit is the edit the balloons belong to (not an owner component).
  explicit TVelSkinCustomEditTips(TControl* AEdit);

  using TVelSkinCustomTips::Show;
  // Closes the balloon shown before and shows Tips beside the edit.
  HWND Show(const std::wstring& Tips);
  // The same with the balloon's top-left corner at LeftTop, in the
  // coordinates of the edit's parent.
  HWND Show(TPoint LeftTop, const std::wstring& Tips);
  // Closes every balloon of this object.
  void Hide();
  TControl* Edit() const { return FOwner; }

private:
  TControl* FOwner;
};

class TVelSkinEditTips : public TVelSkinCustomEditTips {
public:
  explicit TVelSkinEditTips(TControl* AEdit) : TVelSkinCustomEditTips(AEdit) {}
};
