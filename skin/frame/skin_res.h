// The form skin settings: the look of a skinned window (style, colours,
// title and frame sizes, background picture). One process-wide set is filled
// by every skin form's defaults and read by windows that the skin builds in
// code; a skin resource component carries another set, read from and saved
// to a skin file. Reading and writing the file come with the skin file support.
#pragma once

#include <cstdint>

#include "skin/frame/skin_form.h"

class TVelFormSkinRes : public TPersistent {
public:
  const TVelResID& CustomPicture() const { return FCustomPicture; }
  void SetCustomPicture(const TVelResID& Value);
  int32_t HitTestWidth() const { return FHitTestWidth; }
  void SetHitTestWidth(int32_t Value);
  int32_t TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(int32_t Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TColor TitlerColor() const { return FTitlerColor; }
  void SetTitlerColor(TColor Value);
  TVelSkinStyle Style() const { return FStyle; }
  void SetStyle(TVelSkinStyle Value);
  int32_t FramWidth() const { return FFramWidth; }
  // Negative values are ignored.
  void SetFramWidth(int32_t Value);
  int32_t GradientHeight() const { return FGradientHeight; }
  void SetGradientHeight(int32_t Value);

  // One change notification for every change made in between.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  TNotifyEvent OnChanged;

protected:
  std::string ClassName() const override { return "TVelFormSkinRes"; }
  void Changed();

private:
  TVelResID FCustomPicture;
  int32_t FHitTestWidth = 5;
  int32_t FTitleHeight = 27;
  TColor FColor = 15920353;
  TColor FTitlerColor = 16761926;
  TVelSkinStyle FStyle = ssColor;
  int32_t FFramWidth = 2;
  int32_t FUpdateCount = 0;
  bool FChangedInUpdate = false;
  int32_t FGradientHeight = 168;
};

// The process-wide form skin settings.
TVelFormSkinRes& FormSkinRes();

// A skin resource definition: form settings from a skin file, pushed to every
// skinned form. The file support comes later; this holds the settings.
class TVelSkinRes : public TComponent {
public:
  explicit TVelSkinRes(TComponent* AOwner) : TComponent(AOwner) {}
  TVelFormSkinRes& Form() { return FForm; }

protected:
  std::string ClassName() const override { return "TVelSkinRes"; }

private:
  TVelFormSkinRes FForm;
};
