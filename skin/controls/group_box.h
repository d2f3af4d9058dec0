// The skinned group box and the skinned check box. The group box frames its
// children under a caption line: caption text with an optional glow, a
// separator fading from near-white into blue with an optional soft white glow
// (or, in box style, a full rectangle), and an optional check box in front of
// the caption whose state enables or disables every child. The stand-alone
// check box shows a frame of its state strip followed by its caption. Both
// take their frames from a 4-frame strip (group_box_look.h picks the frame).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "skin/controls/control_base.h"
#include "skin/controls/group_box_look.h"
#include "skin/resources/skin_image.h"

class TVelSkinCustomGroupBox;

// The group box's check box. Every change repaints the group box.
class TGroupBoxCheckBox : public TPersistent {
public:
  explicit TGroupBoxCheckBox(TVelSkinCustomGroupBox* AGroupBox) : FGroupBox(AGroupBox) {}
  TGroupBoxCheckBox(const TGroupBoxCheckBox&) = delete;
  TGroupBoxCheckBox& operator=(const TGroupBoxCheckBox&) = delete;

  TVelSkinCustomGroupBox* GroupBox() const { return FGroupBox; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Checked() const { return FChecked; }
  // While visible, the group box's children follow the new state.
  void SetChecked(bool Value);
  const TVelResID& Pictures() const { return FPictures; }
  void SetPictures(const TVelResID& Value);
  // Set by the application to show the pressed frame.
  bool Pressed() const { return FPressed; }
  void SetPressed(bool Value) { FPressed = Value; }
  bool MouseInControl() const { return FMouseInControl; }
  void SetMouseInControl(bool Value) { FMouseInControl = Value; }
  // The clickable area, as laid out by the last paint (empty before it).
  const TRect& Rect() const { return FRect; }
  void SetRect(const TRect& Value) { FRect = Value; }

  // Copies Visible, Checked and Pictures from another group box check box.
  void Assign(TPersistent* Source) override;

protected:
  std::string ClassName() const override { return "TGroupBoxCheckBox"; }

private:
  void Repaint();

  TVelSkinCustomGroupBox* FGroupBox;
  bool FVisible = false;
  bool FChecked = true;
  TVelResID FPictures = L"VelSkinCheckBox";
  bool FPressed = false;
  bool FMouseInControl = false;
  TRect FRect;
};

class TVelSkinCustomGroupBox : public TVelSkinCustomControl {
public:
  explicit TVelSkinCustomGroupBox(TComponent* AOwner);
  ~TVelSkinCustomGroupBox() override;

  // The group's title, kept apart from the window text.
  const std::wstring& Caption() const { return FCaption; }
  void SetCaption(const std::wstring& Value);
  TColor LineStopColor() const { return FLineStopColor; }
  void SetLineStopColor(TColor Value);
  TColor LineStartColor() const { return FLineStartColor; }
  void SetLineStartColor(TColor Value);
  bool Light() const { return FLight; }
  void SetLight(bool Value);
  int32_t CaptionHeight() const { return FCaptionHeight; }
  void SetCaptionHeight(int32_t Value);
  TVelLightClass& CaptionLight() { return *FCaptionLight; }
  void SetCaptionLight(const TVelLightClass& Value) { FCaptionLight->Assign(const_cast<TVelLightClass*>(&Value)); }
  TGroupBoxFrameStyle FrameStyle() const { return FFrameStyle; }
  // A new style re-creates the window (the client area changes).
  void SetFrameStyle(TGroupBoxFrameStyle Value);
  TGroupBoxCheckBox& CheckBox() { return *FCheckBox; }
  void SetCheckBox(const TGroupBoxCheckBox& Value) { FCheckBox->Assign(const_cast<TGroupBoxCheckBox*>(&Value)); }
  TAlignment CaptionAlignment() const { return FCaptionAlignment; }
  void SetCaptionAlignment(TAlignment Value);

  // Sets Enabled of every child control.
  virtual void EnableChildren(bool Value);

  void AdjustClientRect(TRect& Rect) override;

  // What accessibility clients read (accessible_controls.cpp).
  // The check box, while shown, is the group's one child element.
  std::wstring AccName() override;
  long AccRole() override;
  int AccItemCount() override;
  TAccItem AccItem(int Index) override;
  int AccItemAt(TPoint Pos) override;
  bool AccItemDoDefaultAction(int Index) override;

protected:
  void DrawControl(TBitmap32* Bitmap) override;
  void CMControlChange(TCMControlChange& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;
  void WMMouseMove(TWMMouse& Message) override;
  void WMLButtonDown(TWMMouse& Message) override;
  void WMMove(TWMMove& Message) override;

private:
  void DrawGlowLine(TBitmap32* Bitmap, const TSeparatorSegment& Segment, int32_t Y0);

  std::wstring FCaption = L"Caption";
  TColor FLineStopColor = 16710646;
  TColor FLineStartColor = 13608787;
  bool FLight = false;
  int32_t FCaptionHeight = 15;
  std::unique_ptr<TVelLightClass> FCaptionLight;
  TGroupBoxFrameStyle FFrameStyle = fsLine;
  std::unique_ptr<TGroupBoxCheckBox> FCheckBox;
  TAlignment FCaptionAlignment = taLeftJustify;
};

class TVelSkinGroupBox : public TVelSkinCustomGroupBox {
public:
  using TVelSkinCustomGroupBox::TVelSkinCustomGroupBox;
};

// Reading order of a control's text.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// The caption colour of a disabled check box.
constexpr TColor CheckBoxDisabledTextColor = 13750737;

class TVelSkinCheckBox : public TVelSkinCustomControl {
public:
  explicit TVelSkinCheckBox(TComponent* AOwner);
  ~TVelSkinCheckBox() override;

  bool Checked() const { return FChecked; }
  // A change repaints and calls OnChanged.
  void SetChecked(bool Value);
  const TVelResID& Pictures() const { return FPictures; }
  void SetPictures(const TVelResID& Value);
  bool Pressed() const { return FPressed; }
  void SetPressed(bool Value);
  bool IsFocused() const { return FFocused; }
  TVelLightClass& Light() { return *FLight; }
  void SetLight(const TVelLightClass& Value) { FLight->Assign(const_cast<TVelLightClass*>(&Value)); }
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }

  TNotifyEvent OnChanged;

  // What accessibility clients read (accessible_controls.cpp).
  long AccRole() override;
  long AccState() override;
  std::wstring AccDefaultAction() override;
  bool AccDoDefaultAction() override;

protected:
  // Calls OnChanged.
  virtual void Changed();

  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void DrawControl(TBitmap32* Bitmap) override;
  void WMLButtonDown(TWMMouse& Message) override;
  void WMKeyDown(TWMKey& Message) override;
  void WMMouseMove(TWMMouse& Message) override;
  void WMSetFocus(TWMFocus& Message) override;
  void WMKillFocus(TWMFocus& Message) override;
  void CMMouseEnter(TCMMouse& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;
  void CMDialogChar(TWMKey& Message) override;

private:
  bool FChecked = false;
  TVelResID FPictures = L"VelSkinCheckBox";
  bool FPressed = false;
  bool FFocused = false;
  std::unique_ptr<TVelLightClass> FLight;
  TBiDiMode FBiDiMode = bdLeftToRight;
};

// The frame of a check box state cut from the strip named Pictures into
// Frame; false (Frame untouched) when the strip is missing, unreadable or
// too small to hold four frames.
bool CheckBoxFrame(const TVelResID& Pictures, int32_t Index, TCustomBitmap32& Frame);
