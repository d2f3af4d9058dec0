// The skinned panel: a translucent wash over what lies behind it, an optional
// background image or linear gradient, an optional centred caption and thin
// border lines on chosen sides; and the border panel, which instead frames
// itself with a 2-pixel border effect cut from a skin image that turns hot
// while the mouse is over it or it has the focus.
#pragma once

#include "skin/controls/control_base.h"
#include "skin/controls/panel_look.h"
#include "skin/resources/skin_image.h"

class TVelSkinCustomPanel : public TVelSkinCustomControl {
public:
  explicit TVelSkinCustomPanel(TComponent* AOwner);

  TSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TSides Value);
  uint8_t Alpha() const { return FAlpha; }
  void SetAlpha(uint8_t Value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value);
  bool DoubleBorder() const { return FDoubleBorder; }
  void SetDoubleBorder(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }
  bool ActiveHitTest() const { return FActiveHitTest; }
  void SetActiveHitTest(bool Value) { FActiveHitTest = Value; }
  const TVelResID& BackgroundImage() const { return FBackgroundImage; }
  void SetBackgroundImage(const TVelResID& Value);
  int32_t BackgroundOffsetX() const { return FBackgroundOffsetX; }
  void SetBackgroundOffsetX(int32_t Value) { FBackgroundOffsetX = Value; }
  int32_t BackgroundOffsetY() const { return FBackgroundOffsetY; }
  void SetBackgroundOffsetY(int32_t Value) { FBackgroundOffsetY = Value; }
  uint8_t BorderAlpha() const { return FBorderAlpha; }
  void SetBorderAlpha(uint8_t Value);
  TVelPngFillType BackgroundFillType() const { return FBackgroundFillType; }
  void SetBackgroundFillType(TVelPngFillType Value);
  bool CaptionVisible() const { return FCaptionVisible; }
  void SetCaptionVisible(bool Value);
  int32_t GradientSize() const { return FGradientSize; }
  void SetGradientSize(int32_t Value);
  TColor GradientStartColor() const { return FGradientStartColor; }
  void SetGradientStartColor(TColor Value);
  TGradientAlign GradientAlign() const { return FGradientAlign; }
  void SetGradientAlign(TGradientAlign Value);
  TColor GradientEndColor() const { return FGradientEndColor; }
  void SetGradientEndColor(TColor Value);
  TGradientDirection GradientDirection() const { return FGradientDirection; }
  void SetGradientDirection(TGradientDirection Value);

  // After the background and caption, before the border (translucent panels only).
  TVelCustomDrawEvent OnCustomDraw;

  // The area aligned children share: each bordered side moves in by 1, or 2
  // with the inner line.
  void AdjustClientRect(TRect& Rect) override;

  // What accessibility clients read (accessible_controls.cpp).
  // Named by its caption while the caption shows.
  std::wstring AccName() override;
  long AccRole() override;

protected:
  void DrawControl(TBitmap32* Bitmap) override;
  virtual void DrawBorder(TBitmap32* Bitmap);
  void DrawPanelCaption(TBitmap32* Bitmap);
  std::string ClassName() const override { return "TVelSkinCustomPanel"; }

  template <class T> void Store(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }

private:
  TSides FBorderSides = AllSides;
  uint8_t FAlpha = 192;
  TColor FBorderColor = 14273466;
  bool FDoubleBorder = true;
  TAlignment FAlignment = taLeftJustify;
  bool FActiveHitTest = false;
  TVelResID FBackgroundImage;
  int32_t FBackgroundOffsetX = 0;
  int32_t FBackgroundOffsetY = 0;
  uint8_t FBorderAlpha = 255;
  TVelPngFillType FBackgroundFillType = ftNormal;
  bool FCaptionVisible = false;
  int32_t FGradientSize = 60;
  TColor FGradientStartColor = 16761926;
  TGradientAlign FGradientAlign = gaCenter;
  TColor FGradientEndColor = 16644339;
  TGradientDirection FGradientDirection = gdVertical;
};

class TVelSkinPanel : public TVelSkinCustomPanel {
public:
  explicit TVelSkinPanel(TComponent* AOwner) : TVelSkinCustomPanel(AOwner) {}

protected:
  std::string ClassName() const override { return "TVelSkinPanel"; }
};

class TVelSkinBorderPanel : public TVelSkinPanel {
public:
  explicit TVelSkinBorderPanel(TComponent* AOwner);

  bool InControl() const { return FInControl; }
  void SetInControl(bool Value) { Store(FInControl, Value); }
  bool OverControl() const { return FOverControl; }
  void SetOverControl(bool Value) { Store(FOverControl, Value); }
  bool CMMouse() const { return FCMMouse; }
  void SetCMMouse(bool Value) { FCMMouse = Value; }
  const TVelResID& BorderEffectHot() const { return FBorderEffectHot; }
  void SetBorderEffectHot(const TVelResID& Value) { Store(FBorderEffectHot, Value); }
  const TVelResID& BorderEffectNormal() const { return FBorderEffectNormal; }
  void SetBorderEffectNormal(const TVelResID& Value) { Store(FBorderEffectNormal, Value); }
  bool ActiveHotFrame() const { return FActiveHotFrame; }
  void SetActiveHotFrame(bool Value) { Store(FActiveHotFrame, Value); }
  int32_t NCSize() const { return FNCSize; }
  void SetNCSize(int32_t Value) { FNCSize = Value; }

  // Whether the hot border shows now.
  bool HotFrame();
  // Through the mouse (ViaMouse) or the focus: the panel is hot or not.
  virtual void UpdateFrame(bool ViaMouse, bool InFocus);
  void AdjustClientRect(TRect& Rect) override;

protected:
  void DrawControl(TBitmap32* Bitmap) override;
  void CMMouseEnter(TCMMouse& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;
  std::string ClassName() const override { return "TVelSkinBorderPanel"; }

private:
  bool FInControl = false;
  bool FOverControl = false;
  bool FCMMouse = true;
  TVelResID FBorderEffectHot = L"VelSkinBorderHot";
  TVelResID FBorderEffectNormal = L"VelSkinBorderNormal";
  bool FActiveHotFrame = true;
  int32_t FNCSize = 2;
};
