// The skinned label: a caption on a transparent window that takes its
// background from whatever lies behind it. It sizes itself to its text,
// aligns the text both ways, can wrap words and cut the text with an
// ellipsis, can paint a rounded translucent background, and can draw a glow
// behind the text.
#pragma once

#include <memory>

#include "skin/controls/panels.h"

// The text output flags of a caption: horizontal alignment, the vertical
// alignment (single line for bottom and centre) and the ellipsis.
uint32_t LabelTextFlags(TAlignment Horizontal, TVerticalAlignment Vertical, TEllipsisPosition Ellipsis);

class TVelSkinCustomLabel : public TVelSkinCustomPanel {
public:
  explicit TVelSkinCustomLabel(TComponent* AOwner);

  TVelLightClass& Light() { return *FLight; }
  void SetLight(TVelLightClass* Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TVerticalAlignment AlignmentVertical() const { return FAlignmentVertical; }
  void SetAlignmentVertical(TVerticalAlignment Value);
  TAlignment AlignmentHorizontal() const { return FAlignmentHorizontal; }
  void SetAlignmentHorizontal(TAlignment Value);
  bool WordWap() const { return FWordWap; }
  void SetWordWap(bool Value) { FWordWap = Value; }
  TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
  void SetEllipsisPosition(TEllipsisPosition Value);
  int32_t RoundSize() const { return FRoundSize; }
  void SetRoundSize(int32_t Value) { FRoundSize = Value; }
  bool RoundBackground() const { return FRoundBackground; }
  void SetRoundBackground(bool Value);

  // Makes the control exactly as large as its caption in Font (explicit line
  // breaks only), unless AutoSize is off, the form is being read, or the
  // rounded background is on.
  virtual void FitToText();
  void Loaded() override;

  // What accessibility clients read (accessible_controls.cpp).
  std::wstring AccName() override;
  long AccRole() override;
  long AccState() override;

protected:
  void DrawControl(TBitmap32* Bitmap) override;
  virtual void DrawCaption(TBitmap32* Bitmap);
  void CreateParams(TCreateParams& Params) override;
  void CMTextChanged(TWMBase& Message) override;
  void CMFontChanged(TWMBase& Message) override;
  std::string ClassName() const override { return "TVelSkinCustomLabel"; }

private:
  std::unique_ptr<TVelLightClass> FLight;
  bool FAutoSize = true;
  TVerticalAlignment FAlignmentVertical = taAlignTop;
  TAlignment FAlignmentHorizontal = taLeftJustify;
  bool FWordWap = false;
  TEllipsisPosition FEllipsisPosition = epNone;
  int32_t FRoundSize = 5;
  bool FRoundBackground = false;
};

class TVelSkinLabel : public TVelSkinCustomLabel {
public:
  explicit TVelSkinLabel(TComponent* AOwner) : TVelSkinCustomLabel(AOwner) {}

protected:
  std::string ClassName() const override { return "TVelSkinLabel"; }
};
