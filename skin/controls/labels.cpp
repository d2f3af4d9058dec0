#include "skin/controls/labels.h"

#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/resources/skin_draw_win.h"
#include "skin/resources/skin_res_manager.h"

namespace {

// The caption's size in Font with explicit line breaks only.
SIZE MeasureCaption(TFont& Font, const std::wstring& Text) { return MeasureTextRect(Font, Text.c_str(), Text.size(), 0); }

}  // namespace

uint32_t LabelTextFlags(TAlignment Horizontal, TVerticalAlignment Vertical, TEllipsisPosition Ellipsis) {
  static constexpr uint32_t horizontal[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  static constexpr uint32_t vertical[] = {DT_TOP, DT_BOTTOM | DT_SINGLELINE, DT_VCENTER | DT_SINGLELINE};
  static constexpr uint32_t ellipsis[] = {0, DT_PATH_ELLIPSIS, DT_END_ELLIPSIS, DT_WORD_ELLIPSIS};
  return horizontal[Horizontal] | vertical[Vertical] | ellipsis[Ellipsis];
}

TVelSkinCustomLabel::TVelSkinCustomLabel(TComponent* AOwner)
    : TVelSkinCustomPanel(AOwner), FLight(std::make_unique<TVelLightClass>()) {
  FControlStyle = (FControlStyle & csOwnBuffer) | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  SetBorderSides(0);
  SetAlpha(0);
  SetAutoInvalidate(true);
  FWidth = 60;
  FHeight = 17;
  FLight->SetOnChanged([this](TObject*) { Invalidate(); });
}

void TVelSkinCustomLabel::SetLight(TVelLightClass* Value) {
  if (Value) FLight->Assign(Value);
}

void TVelSkinCustomLabel::SetAutoSize(bool Value) {
  FAutoSize = Value;
  if (Value) FitToText();
}

void TVelSkinCustomLabel::SetAlignmentVertical(TVerticalAlignment Value) {
  if (Value == FAlignmentVertical) return;
  FAlignmentVertical = Value;
  RecreateWnd();
  Invalidate();
}

void TVelSkinCustomLabel::SetAlignmentHorizontal(TAlignment Value) {
  if (Value == FAlignmentHorizontal) return;
  FAlignmentHorizontal = Value;
  RecreateWnd();
  Invalidate();
}

void TVelSkinCustomLabel::SetEllipsisPosition(TEllipsisPosition Value) {
  if (Value == FEllipsisPosition) return;
  FEllipsisPosition = Value;
  FAutoSize = false;
  Invalidate();
}

void TVelSkinCustomLabel::SetRoundBackground(bool Value) {
  if (Value == FRoundBackground) return;
  FRoundBackground = Value;
  if (!Value) {
    FitToText();
    return;
  }
  if (Alpha() == 0) SetAlpha(255);
  Invalidate();
}

void TVelSkinCustomLabel::FitToText() {
  if (ComponentState().Contains(csLoading) || !FAutoSize || FRoundBackground) return;
  const SIZE size = MeasureCaption(Font(), Caption());
  SetBounds(Left(), Top(), size.cx, size.cy);
}

void TVelSkinCustomLabel::Loaded() {
  TVelSkinCustomPanel::Loaded();
  FitToText();
}

void TVelSkinCustomLabel::CreateParams(TCreateParams& Params) {
  TVelSkinCustomPanel::CreateParams(Params);
  Params.ClassStyle &= ~static_cast<UINT>(CS_VREDRAW);
}

void TVelSkinCustomLabel::CMTextChanged(TWMBase& Message) {
  TVelSkinCustomPanel::CMTextChanged(Message);
  FitToText();
}

// A font set at run time changes neither the size nor the picture, unless
// the pixel density may have changed with it.
void TVelSkinCustomLabel::CMFontChanged(TWMBase& Message) {
  if (Designing() || DPIScalingEnabled) {
    FitToText();
    Invalidate();
  }
  DefaultHandler(Message.Raw);
}

void TVelSkinCustomLabel::DrawControl(TBitmap32* Bitmap) {
  if (FRoundBackground)
    FillRoundRect(*Bitmap, FRoundSize, (static_cast<TColor32>(Alpha()) << 24) | RGBOf(Color()));
  else
    TVelSkinCustomPanel::DrawControl(Bitmap);
  DrawCaption(Bitmap);
}

void TVelSkinCustomLabel::DrawCaption(TBitmap32* Bitmap) {
  TRect r{0, 0, Width(), Height()};
  uint32_t flags = LabelTextFlags(FAlignmentHorizontal, FAlignmentVertical, FEllipsisPosition);
  ::SetFont(*Bitmap, Font());
  ::Canvas(*Bitmap).Font().Assign(&Font());
  if (Designing() && Font().Color() == Color()) Bitmap->Clear(ToColor32(13223619));
  const std::wstring caption = Caption();
  if (FWordWap) {
    const int32_t h = MeasureCaption(Font(), caption).cy;
    if (FAlignmentVertical == taVerticalCenter) {
      flags &= ~static_cast<uint32_t>(DT_SINGLELINE);
      r.Top = (Height() - h) / 2;
      r.Bottom = r.Top + h;
    } else if (FAlignmentVertical == taAlignBottom) {
      flags &= ~static_cast<uint32_t>(DT_SINGLELINE);
      r.Top = Height() - h;
    }
    flags |= DT_WORDBREAK;
  }
  if (FLight->Active()) DrawGlowText(::Canvas(*Bitmap), r, caption, FLight->BlurRadius(), FLight->Color(), flags);
  TextoutW(*Bitmap, r, flags, caption);
}
