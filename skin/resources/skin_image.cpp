#include "skin/resources/skin_image.h"

#include "toolkit/core/scope.h"

#include <algorithm>

#include "gfx/transforms.h"
#include "skin/resources/skin_res_manager.h"

// ---- Frame cutting -------------------------------------------------------------

void CutRect(TCustomBitmap32* Strip, const TRect& Rect, TCustomBitmap32* AImage, TColor32 Background) {
  if (!Strip || !AImage) return;
  {
    TUpdateScope update(*AImage);
    Strip->CopyPropertiesTo(AImage);
    AImage->SetSize(std::max(Rect.Width(), 0), std::max(Rect.Height(), 0));
    if (!AImage->Empty()) {
      AImage->Clear(Background);
      TAffineTransformation t;
      t.SetSrcRect(FloatRect(Rect));
      t.Translate(TFloat(-Rect.Left), TFloat(-Rect.Top));
      // Eight passes build translucent pixels up towards the strip's own
      // opacity when the strip is laid on by blending.
      for (int pass = 0; pass < 8; ++pass) Transform(AImage, Strip, &t);
    }
  }
  AImage->Changed();
}

bool CutFrame(TCustomBitmap32* Strip, int32_t Index, int32_t Count, bool MultiLine, TCustomBitmap32* AImage) {
  if (!Strip || !AImage || Index < 0 || Index >= Count) return false;
  const int32_t w = Strip->Width(), h = Strip->Height();
  if (w <= 0 || h <= 0 || w > MaxStripSide || h > MaxStripSide) return false;
  if (!MultiLine) {
    const int32_t fw = w / Count;
    if (fw == 0) return false;
    CutRect(Strip, MakeRect(Index * fw, 0, (Index + 1) * fw, h), AImage, 0x00000000);
  } else {
    const int32_t fh = h / Count;
    if (fh == 0) return false;
    CutRect(Strip, MakeRect(0, Index * fh, w, (Index + 1) * fh), AImage, 0x00F4FFFF);
  }
  return true;
}

// ---- TPngPictures --------------------------------------------------------------

void TPngPictures::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TPngPictures*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  SetActive(src->FActive);
  SetImage(src->FImage);
  SetCount(src->FCount);
  SetNormal(src->FNormal);
  SetHot(src->FHot);
  SetPressed(src->FPressed);
  SetDisable(src->FDisable);
  SetMultiLineMode(src->FMultiLineMode);
}

void TPngPictures::CheckDPIScale() {
  if (!DPIScalingEnabled) return;
  const double scale = CurrentDPIScale(nullptr);
  if (scale == FDPIScale) return;
  FDPIScale = scale;
  FSourceImage = SkinImageOrNone(FImage, true);
  DoChanged();
}

void TPngPictures::DoChanged() {
  if (!FLocked && FPicturesChanged) FPicturesChanged(this);
}

void TPngPictures::SetActive(bool Value) {
  FActive = Value;
  DoChanged();
}

void TPngPictures::SetImage(const TVelResID& Value) {
  if (Value == FImage) return;
  FImage = Value;
  FDPIScale = CurrentDPIScale(nullptr);
  FSourceImage = SkinImageOrNone(FImage, true);
  DoChanged();
}

void TPngPictures::SetNormal(int32_t Value) {
  FNormal = Value;
  DoChanged();
}

void TPngPictures::SetHot(int32_t Value) {
  FHot = Value;
  DoChanged();
}

void TPngPictures::SetDisable(int32_t Value) {
  FDisable = Value;
  DoChanged();
}

void TPngPictures::SetCount(int32_t Value) {
  FCount = Value;
  DoChanged();
}

void TPngPictures::SetPicturesChanged(TNotifyEvent Value) {
  FPicturesChanged = std::move(Value);
  DoChanged();
}

TPoint TPngPictures::SourceSize() {
  CheckDPIScale();
  if (!FSourceImage) return {};
  return {FSourceImage->Width(), FSourceImage->Height()};
}

bool TPngPictures::GetFrame(int32_t Index, TCustomBitmap32* AImage) {
  CheckDPIScale();
  if (!AImage) return false;
  TFrameCache& cache = FFrameCache;
  if (cache.Strip != FSourceImage || cache.Count != FCount || cache.MultiLine != FMultiLineMode) {
    cache.Frames.clear();
    cache.Strip = FSourceImage;
    cache.Count = FCount;
    cache.MultiLine = FMultiLineMode;
  }
  for (const auto& [index, frame] : cache.Frames)
    if (index == Index) {
      AImage->Assign(frame.get());
      return true;
    }
  auto frame = std::make_unique<TCustomBitmap32>();
  if (!CutFrame(FSourceImage, Index, FCount, FMultiLineMode, frame.get())) return false;
  AImage->Assign(frame.get());
  cache.Frames.emplace_back(Index, std::move(frame));
  return true;
}

bool TPngPictures::GetNormalImage(TCustomBitmap32* AImage) { return GetFrame(FNormal, AImage); }
bool TPngPictures::GetHotImage(TCustomBitmap32* AImage) { return GetFrame(FHot, AImage); }
bool TPngPictures::GetPressedImage(TCustomBitmap32* AImage) { return GetFrame(FPressed, AImage); }
bool TPngPictures::GetDisableImage(TCustomBitmap32* AImage) { return GetFrame(FDisable, AImage); }

int32_t TPngPictures::GetSingleWidth() {
  if (!FSourceImage || FSourceImage->Empty()) return 0;
  CheckDPIScale();
  if (!FSourceImage || FCount <= 0) return 0;
  return FMultiLineMode ? FSourceImage->Width() : FSourceImage->Width() / FCount;
}

int32_t TPngPictures::GetSingleHeight() {
  if (!FSourceImage || FSourceImage->Empty()) return 0;
  CheckDPIScale();
  if (!FSourceImage || FCount <= 0) return 0;
  return FMultiLineMode ? FSourceImage->Height() / FCount : FSourceImage->Height();
}

// ---- TVelOffset ----------------------------------------------------------------

void TVelOffset::SetX(int32_t Value) {
  if (Value == FX) return;
  FX = Value;
  DoChanged();
}

void TVelOffset::SetY(int32_t Value) {
  if (Value == FY) return;
  FY = Value;
  DoChanged();
}

void TVelOffset::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TVelOffset*>(Source)) {
    SetX(src->FX);
    SetY(src->FY);
    return;
  }
  TPersistent::Assign(Source);
}

void TVelOffset::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

// ---- TVelLightClass ------------------------------------------------------------

void TVelLightClass::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  DoChanged();
}

void TVelLightClass::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  DoChanged();
}

void TVelLightClass::SetBlurRadius(int32_t Value) {
  if (Value == FBlurRadius) return;
  FBlurRadius = Value;
  DoChanged();
}

void TVelLightClass::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TVelLightClass*>(Source)) {
    SetActive(src->FActive);
    SetColor(src->FColor);
    return;
  }
  TPersistent::Assign(Source);
}

void TVelLightClass::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

// ---- TVelTextObj ---------------------------------------------------------------

void TVelTextObj::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  DoChanged();
}

void TVelTextObj::SetText(const std::wstring& Value) {
  if (Value == FText) return;
  FText = Value;
  DoChanged();
}

void TVelTextObj::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TVelTextObj*>(Source)) {
    FLight.Assign(&src->FLight);
    SetText(src->FText);
    SetVisible(src->FVisible);
    return;
  }
  TPersistent::Assign(Source);
}

void TVelTextObj::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}
