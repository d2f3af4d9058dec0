#include "skin/frame/skin_res.h"

namespace {
template <class T> bool Store(T& Field, const T& Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}
}  // namespace

void TVelFormSkinRes::SetCustomPicture(const TVelResID& Value) {
  if (Store(FCustomPicture, Value)) Changed();
}
void TVelFormSkinRes::SetHitTestWidth(int32_t Value) {
  if (Store(FHitTestWidth, Value)) Changed();
}
void TVelFormSkinRes::SetTitleHeight(int32_t Value) {
  if (Store(FTitleHeight, Value)) Changed();
}
void TVelFormSkinRes::SetColor(TColor Value) {
  if (Store(FColor, Value)) Changed();
}
void TVelFormSkinRes::SetTitlerColor(TColor Value) {
  if (Store(FTitlerColor, Value)) Changed();
}
void TVelFormSkinRes::SetStyle(TVelSkinStyle Value) {
  if (Store(FStyle, Value)) Changed();
}
void TVelFormSkinRes::SetFramWidth(int32_t Value) {
  if (Value >= 0 && Store(FFramWidth, Value)) Changed();
}
void TVelFormSkinRes::SetGradientHeight(int32_t Value) {
  if (Store(FGradientHeight, Value)) Changed();
}

void TVelFormSkinRes::Changed() {
  if (FUpdateCount > 0) {
    FChangedInUpdate = true;
    return;
  }
  if (OnChanged) OnChanged(this);
}

void TVelFormSkinRes::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedInUpdate) {
    FChangedInUpdate = false;
    Changed();
  }
}

TVelFormSkinRes& FormSkinRes() {
  static TVelFormSkinRes settings;
  return settings;
}
