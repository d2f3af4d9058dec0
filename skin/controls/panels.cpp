#include "skin/controls/panels.h"

#include "gfx/win/gdi_backend.h"
#include "skin/resources/skin_draw.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"

// ---- TVelSkinCustomPanel ------------------------------------------------------------------

TVelSkinCustomPanel::TVelSkinCustomPanel(TComponent* AOwner) : TVelSkinCustomControl(AOwner) {
  FControlStyle = (FControlStyle & csOwnBuffer) | csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks;
  FWidth = 185;
  FHeight = 114;  // 185 x 0.618, rounded
}

void TVelSkinCustomPanel::SetBorderSides(TSides Value) { Store(FBorderSides, static_cast<TSides>(Value & AllSides)); }
void TVelSkinCustomPanel::SetAlpha(uint8_t Value) { Store(FAlpha, Value); }
void TVelSkinCustomPanel::SetBorderColor(TColor Value) { Store(FBorderColor, Value); }
void TVelSkinCustomPanel::SetDoubleBorder(bool Value) { Store(FDoubleBorder, Value); }
void TVelSkinCustomPanel::SetBackgroundImage(const TVelResID& Value) { Store(FBackgroundImage, Value); }
void TVelSkinCustomPanel::SetBorderAlpha(uint8_t Value) { Store(FBorderAlpha, Value); }
void TVelSkinCustomPanel::SetBackgroundFillType(TVelPngFillType Value) { Store(FBackgroundFillType, Value); }
void TVelSkinCustomPanel::SetCaptionVisible(bool Value) { Store(FCaptionVisible, Value); }
void TVelSkinCustomPanel::SetGradientSize(int32_t Value) { Store(FGradientSize, Value); }
void TVelSkinCustomPanel::SetGradientStartColor(TColor Value) { Store(FGradientStartColor, Value); }
void TVelSkinCustomPanel::SetGradientAlign(TGradientAlign Value) { Store(FGradientAlign, Value); }
void TVelSkinCustomPanel::SetGradientEndColor(TColor Value) { Store(FGradientEndColor, Value); }
void TVelSkinCustomPanel::SetGradientDirection(TGradientDirection Value) { Store(FGradientDirection, Value); }

void TVelSkinCustomPanel::AdjustClientRect(TRect& Rect) {
  TVelSkinCustomControl::AdjustClientRect(Rect);
  const int32_t inset = FDoubleBorder ? 2 : 1;
  if (FBorderSides & sdLeft) Rect.Left += inset;
  if (FBorderSides & sdTop) Rect.Top += inset;
  if (FBorderSides & sdRight) Rect.Right -= inset;
  if (FBorderSides & sdBottom) Rect.Bottom -= inset;
}

void TVelSkinCustomPanel::DrawControl(TBitmap32* Bitmap) {
  // At design time, or fully opaque, the wash replaces the background.
  const bool opaque = Designing() || FAlpha == 255;
  if (FBackgroundFillType == ftGradient) {
    TPanelGradient gradient;
    gradient.StartRGB = RGBOf(FGradientStartColor);
    gradient.EndRGB = RGBOf(FGradientEndColor);
    gradient.Alpha = FAlpha;
    gradient.Size = FGradientSize;
    gradient.Align = FGradientAlign;
    gradient.Direction = FGradientDirection;
    DrawPanelGradient(*Bitmap, gradient);
  } else {
    TVelSkinImage* image = FBackgroundImage.empty() ? nullptr : SkinImageOrNone(FBackgroundImage, true);
    if (FAlpha != 0) PanelWash(*Bitmap, RGBOf(Color()), opaque ? 255 : FAlpha);
    if (image) {
      if (FBackgroundFillType == ftNormal)
        image->DrawTo(Bitmap, ScaleByDPI(this, FBackgroundOffsetX), ScaleByDPI(this, FBackgroundOffsetY));
      else
        DrawPngFill(image, Bitmap, FBackgroundFillType);
    }
  }
  DrawPanelCaption(Bitmap);
  if (!opaque && OnCustomDraw) OnCustomDraw(this, Bitmap);
  DrawBorder(Bitmap);
}

void TVelSkinCustomPanel::DrawPanelCaption(TBitmap32* Bitmap) {
  if (!FCaptionVisible) return;
  TFont font;
  font.Assign(&Font());
  ScaleFontByDPI(this, font);
  ::SetFont(*Bitmap, font);
  const std::wstring caption = Caption();
  const SIZE extent = TextExtentW(*Bitmap, caption);
  TextoutW(*Bitmap, (Width() - extent.cx) / 2, (Height() - extent.cy) / 2, caption);
}

void TVelSkinCustomPanel::DrawBorder(TBitmap32* Bitmap) {
  TUpdateScope<TBitmap32> update(*Bitmap);
  if (Designing())
    DrawDesignBorder(*Bitmap, FBorderSides);
  else
    DrawPanelBorder(*Bitmap, FBorderSides, RGBOf(FBorderColor), FBorderAlpha, FDoubleBorder);
}

// ---- TVelSkinBorderPanel ------------------------------------------------------------------

TVelSkinBorderPanel::TVelSkinBorderPanel(TComponent* AOwner) : TVelSkinPanel(AOwner) {
  SetAlpha(0);
  SetBorderSides(AllSides);
}

bool TVelSkinBorderPanel::HotFrame() {
  return (FInControl || FOverControl || (HandleAllocated() && Focused())) && FActiveHotFrame;
}

void TVelSkinBorderPanel::UpdateFrame(bool ViaMouse, bool InFocus) {
  if (Designing()) return;
  if (ViaMouse)
    FOverControl = InFocus;
  else
    FInControl = InFocus;
  Invalidate();
}

void TVelSkinBorderPanel::AdjustClientRect(TRect& Rect) {
  TVelSkinCustomControl::AdjustClientRect(Rect);
  Rect.Left += FNCSize;
  Rect.Top += FNCSize;
  Rect.Right -= FNCSize;
  Rect.Bottom -= FNCSize;
}

void TVelSkinBorderPanel::DrawControl(TBitmap32* Bitmap) {
  if (Designing()) {
    TVelSkinPanel::DrawControl(Bitmap);
    return;
  }
  const int32_t w = Width(), h = Height();
  if (!Transparent()) {
    CopyParentBackground(this, Bitmap, TRect{Left(), Top(), Left() + w, Top() + h});
    if (Alpha() != 0)
      Bitmap->FillRectTS(2, 2, w - 2, h - 2, (static_cast<TColor32>(Alpha()) << 24) | RGBOf(Color()));
  }
  if (!BackgroundImage().empty()) TVelSkinPanel::DrawControl(Bitmap);
  // The border effect is laid over a copy; only its 2-pixel edge bands go
  // back, so the interior keeps what was drawn before.
  TVelSkinImage* effect = SkinImageOrNone(HotFrame() ? FBorderEffectHot : FBorderEffectNormal, true);
  if (!effect) return;
  TCustomBitmap32 work;  // memory only: no device context is drawn on
  work.Assign(Bitmap);
  DrawAutoStretch(effect, &work, false);
  CopyEdgeBands(work, *Bitmap, 2);
}

void TVelSkinBorderPanel::CMMouseEnter(TCMMouse& Message) {
  TVelSkinPanel::CMMouseEnter(Message);
  if (Message.Control && Message.Control != this) return;
  if (FCMMouse || !FInControl) UpdateFrame(true, true);
}

void TVelSkinBorderPanel::CMMouseLeave(TCMMouse& Message) {
  TVelSkinPanel::CMMouseLeave(Message);
  if (Message.Control && Message.Control != this) return;
  if (FCMMouse) UpdateFrame(true, false);
}
