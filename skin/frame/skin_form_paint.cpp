// The skin form's drawing: the window region, the background bitmaps of the
// two styles, the non-client area composed in a bitmap and copied in four
// strips, the client background, and the full refresh.
#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/frame/frame_paint.h"
#include "skin/frame/layer_border.h"
#include "skin/frame/main_menu.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "skin/frame/skin_res.h"
#include "toolkit/core/scope.h"

namespace {

// A toolkit colour as plain RGB (system colours resolved).
TColor PlainRGB(TColor Color) { return static_cast<TColor>(ColorToRGB(Color) & 0xFFFFFF); }

// Copies a strip onto the window DC unblended, at (X, Y) in window coordinates.
void CopyStrip(const TBitmap32& Strip, HDC DC, int32_t X, int32_t Y) {
  if (!Strip.Empty()) DrawTo(Strip, DC, X, Y);
}

// Copies Graphic placed at (X, Y) onto DC, only where DC can paint (its clip box).
void CopyVisible(const TBitmap32& Graphic, HDC DC, int32_t X, int32_t Y) {
  if (Graphic.Empty()) return;
  RECT box{};
  if (GetClipBox(DC, &box) == NULLREGION) return;
  TRect dst{box.left, box.top, box.right, box.bottom}, placed{X, Y, X + Graphic.Width(), Y + Graphic.Height()};
  if (!IntersectRect(dst, dst, placed)) return;
  BitBlt(DC, dst.Left, dst.Top, dst.Width(), dst.Height(), Handle(Graphic), dst.Left - X, dst.Top - Y, SRCCOPY);
}

}  // namespace

// ---- Region -------------------------------------------------------------------------------------

void TVelSkinForm::UpdateRegion() {
  if (Designing() || FRgnChanging || !FDestForm->HandleAllocated()) return;
  FRgnChanging = true;
  FDestForm->DisableAlign();
  TScopeExit done([this] {
    FDestForm->EnableAlign();
    FRgnChanging = false;
  });
  if (!FRgnChanged) return;
  FRgnChanged = false;
  const HWND window = FDestForm->Handle();
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  TGdiObject<HRGN> region;
  if (!FRoundWindow || Maximized()) {
    region.Reset(CreateRectRgn(0, 0, w + 1, h + 1));
  } else {
    region.Reset(CreateRoundRectRgn(0, 0, w + 1, h + 1, 4, 4));
    // A thin frame keeps its bottom corners square: only the top ones are rounded.
    if (FFramWidth <= 1 && !FFlatFrame && region) {
      TGdiObject<HRGN> bottom(CreateRectRgn(0, h - 10, w + 1, h + 1));
      if (bottom) CombineRgn(region.Get(), region.Get(), bottom.Get(), RGN_OR);
    }
  }
  // The system owns a region it accepted; one it refused is still ours to delete.
  if (region && SetWindowRgn(window, region.Get(), TRUE)) region.Release();

  LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  if (style & WS_BORDER) SetWindowLongPtrW(window, GWL_STYLE, style &= ~static_cast<LONG_PTR>(WS_BORDER));
  if (style & WS_DLGFRAME) SetWindowLongPtrW(window, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_DLGFRAME));

  const TColor brushColor = FStyle == ssColor ? FClientBkColor : static_cast<TColor>(FPictureBgColor);
  TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRef(brushColor)));
  const auto previous = reinterpret_cast<HBRUSH>(
      SetClassLongPtrW(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush.Get())));
  if (!FClassBrushSaved) {
    FOriginalClassBrush = previous;
    FClassBrushSaved = true;
  }
  FBgDefBrush = std::move(brush);
  const LONG_PTR classStyle = GetClassLongPtrW(window, GCL_STYLE);
  if (classStyle & (CS_VREDRAW | CS_HREDRAW))
    SetClassLongPtrW(window, GCL_STYLE, classStyle & ~static_cast<LONG_PTR>(CS_VREDRAW | CS_HREDRAW));
}

// Puts the class brush back when it is still this form's, before the brush goes.
void TVelSkinForm::ReleaseClassBrush() {
  if (!FBgDefBrush || !FDestForm || !FDestForm->HandleAllocated()) return;
  const HWND window = FDestForm->Handle();
  if (reinterpret_cast<HBRUSH>(GetClassLongPtrW(window, GCLP_HBRBACKGROUND)) == FBgDefBrush.Get())
    SetClassLongPtrW(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(FOriginalClassBrush));
}

// ---- Full refresh -------------------------------------------------------------------------------

void TVelSkinForm::DoChanged() {
  if (Designing() || FChangeCount > 0 || FDoChanging) return;
  FDoChanging = true;
  {
    TScopeExit guard([this] { FDoChanging = false; });
    PaintNC();
    if (FDestForm->HandleAllocated()) RedrawWindow(FDestForm->Handle(), nullptr, nullptr, RDW_INVALIDATE);
    if (Tag() != 99999) PublishDefaults();
    TList& controls = TVelWinControlHelper::Instance().Items;
    for (int i = 0; i < controls.Count(); ++i) {
      auto* control = controls.Get<TWinControl>(i);
      if (control->HandleAllocated())
        RedrawWindow(control->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
      control->Invalidate();
    }
  }
  if (Changed) Changed(this);
}

void TVelSkinForm::ApplySkinRes() {
  if (!FSkinRes || Designing()) return;
  TVelFormSkinRes& settings = FSkinRes->Form();
  FColor = settings.Color();
  FCustomPicture = settings.CustomPicture();
  FGradientHeight = settings.GradientHeight();
  FStyle = settings.Style();
  SetTitlerColor(settings.TitlerColor());
  BuildBackground();
  PublishDefaults();
  TMainMenu* menu = FMainMenu->MainMenu();
  FMainMenu->SetMainMenu(nullptr);
  TScopeExit reattach([&] { FMainMenu->SetMainMenu(menu); });
  DoChanged();
}

// ---- Background bitmaps -------------------------------------------------------------------------

void TVelSkinForm::BuildBackground() {
  if (FStyle == ssColor)
    BuildColorBackground();
  else
    BuildPictureBackground();
}

void TVelSkinForm::BuildColorBackground() {
  if (Designing() || !FDestForm) return;
  FColorBkGraphic->BeginUpdate();
  TScopeExit endUpdate([this] { FColorBkGraphic->EndUpdate(); });
  if (SkinTintActive()) {
    FNCBkColor = HSBAdjust(PlainRGB(FTitlerColor), HSB_H, HSB_S, HSB_B);
    FClientBkColor = HSBAdjust(PlainRGB(FColor), HSB_H, HSB_S, HSB_B);
  } else {
    FNCBkColor = FTitlerColor;
    FClientBkColor = FColor;
  }
  const int32_t w = FDestForm->Width(), h = FDestForm->Height();
  if (FActiveGradient)
    BuildGradientStrip(*FColorBgBitmap, std::max(MonitorWidth(), w) + 10, ScaledGradientHeight(),
                       PlainRGB(FNCBkColor), PlainRGB(FClientBkColor));
  BuildColorGraphic(*FColorBkGraphic, w, h, PlainRGB(FClientBkColor), FActiveGradient ? FColorBgBitmap.get() : nullptr,
                    0, -ScaledTitleHeight());
}

void TVelSkinForm::BuildPictureBackground() {
  if (Designing() || !FDestForm || FCustomPicture.empty()) return;
  int32_t ox = 0, oy = 0;
  if (FImageBorder && FImageBorder->StretchKind() == skTile) {
    ox = FFramWidth - FImageBorder->Size().Left();
    oy = ScaledTitleHeight() - FImageBorder->Size().Top();
  }
  TColor bgColor = static_cast<TColor>(FPictureBgColor);
  if (::BuildPictureBackground(FCustomPicture, FFillStyle, FDestForm->Width(), FDestForm->Height(), ox, oy,
                               *FPictureBgBitmap, *FPictureBkGraphic, bgColor))
    FPictureBgColor = static_cast<uint32_t>(bgColor);
}

TBitmap32* TVelSkinForm::BackgroundPicture() {
  if (FStyle == ssColor) return FColorBkGraphic.get();
  return FPictureBkGraphic.get();
}

// ---- Non-client area ----------------------------------------------------------------------------

TFrameEdgeStyle TVelSkinForm::EdgeStyle() const {
  TFrameEdgeStyle style;
  style.FlatFrame = FFlatFrame;
  style.Maximized = Maximized();
  style.FramWidth = FFramWidth;
  style.DoubleFrame = FDoubleFrame;
  style.RoundWindow = FRoundWindow;
  style.Outer = OuterFrameColor(FKeepFrameColor, FFrameColor);
  return style;
}

void TVelSkinForm::PaintNCControls(TBitmap32& Strip) {
  for (int i = 0; i < FNCCtrlList.Count(); ++i) {
    auto* control = FNCCtrlList.Get<TVelSkinNCCtrlBase>(i);
    // A control moved onto an opaque layered border paints there, not here.
    if (control->Visible() && control->Form() == FDestForm) control->Paint(&Strip);
  }
}

void TVelSkinForm::PaintNC() {
  if (!FDestForm || BorderNone() || !FDestForm->Visible() || !FDestForm->HandleAllocated()) return;
  TBitmap32 strip;
  TWindowDC dc(FDestForm->Handle(), true);
  TSaveDC saved(dc.Get());
  FMainMenu->BuildItems();
  if (FStyle == ssColor)
    PaintNCColor(strip, dc.Get());
  else if (!FPictureBkGraphic->Empty())
    PaintNCPicture(strip, dc.Get());
}

void TVelSkinForm::PaintNCColor(TBitmap32& Strip, HDC DC) {
  RECT r{};
  GetWindowRect(FDestForm->Handle(), &r);
  const int32_t w = r.right - r.left, h = r.bottom - r.top;
  const int32_t titleH = ScaledTitleHeight(), fw = FFramWidth;
  const TFrameEdgeStyle edge = EdgeStyle();

  Strip.SetSize(w, titleH);
  if (FActiveGradient && titleH > 0) {
    Strip.Clear(ToColor32(FClientBkColor));
    GradientFillBitmap(Strip, PlainRGB(FNCBkColor), PlainRGB(FClientBkColor), false,
                       TRect{0, 0, w, ScaledGradientHeight()});
  } else {
    Strip.Clear(ToColor32(FNCBkColor));
  }
  PaintNCControls(Strip);
  if (!FKeepTitlerColor) DrawFrameEdge(Strip, feTop, edge);
  CopyStrip(Strip, DC, 0, 0);

  Strip.SetSize(fw, h - fw);
  FColorBkGraphic->DrawTo(&Strip, 0, 0);
  DrawFrameEdge(Strip, feLeft, edge);
  CopyStrip(Strip, DC, 0, titleH);

  FColorBkGraphic->DrawTo(&Strip, fw - FColorBkGraphic->Width(), 0);
  DrawFrameEdge(Strip, feRight, edge);
  CopyStrip(Strip, DC, w - fw, titleH);

  Strip.SetSize(w, fw);
  FColorBkGraphic->DrawTo(&Strip, 0, titleH + fw - h);
  DrawFrameEdge(Strip, feBottom, edge);
  CopyStrip(Strip, DC, 0, h - fw);
}

void TVelSkinForm::PaintNCPicture(TBitmap32& Strip, HDC DC) {
  RECT r{};
  GetWindowRect(FDestForm->Handle(), &r);
  const int32_t w = r.right - r.left, h = r.bottom - r.top;
  int32_t titleH = ScaledTitleHeight();
  const bool ownBorder = FImageBorder && !FImageBorder->Transparent();
  // An opaque layered border replaces the window's own frame and title.
  if (ownBorder) {
    FFlatFrame = true;
    FHitTestWidth = 0;
    SetFramWidth(0);
    FRoundWindow = false;
    titleH = 0;
  }
  const int32_t fw = FFramWidth;
  const TFrameEdgeStyle edge = EdgeStyle();

  Strip.SetSize(w, titleH);
  if (FKeepTitlerColor)
    Strip.Clear(ToColor32(FTitlerColor));
  else
    FPictureBkGraphic->DrawTo(&Strip, 0, 0);
  if (!ownBorder) PaintNCControls(Strip);
  DrawFrameEdge(Strip, feTop, edge);
  CopyStrip(Strip, DC, 0, 0);

  Strip.SetSize(fw, h - fw);
  FPictureBkGraphic->DrawTo(&Strip, 0, -titleH);
  DrawFrameEdge(Strip, feLeft, edge);
  CopyStrip(Strip, DC, 0, titleH);

  FPictureBkGraphic->DrawTo(&Strip, fw - w, -titleH);
  DrawFrameEdge(Strip, feRight, edge);
  CopyStrip(Strip, DC, w - fw, titleH);

  Strip.SetSize(w, fw);
  FPictureBkGraphic->DrawTo(&Strip, 0, fw - h);
  DrawFrameEdge(Strip, feBottom, edge);
  CopyStrip(Strip, DC, 0, h - fw);
}

void TVelSkinForm::WMNCPaint(TWMNCPaint& Message) {
  if (FActive) {
    UpdateRegion();
    PaintNC();
  }
  Message.Result = 1;
}

void TVelSkinForm::MMNCInvalidate(TWMBase& Message) {
  if (!Minimized()) {
    UpdateRegion();
    PaintNC();
  }
  if (FImageBorder && !FImageBorder->Transparent() && FImageBorder->TopBorderHandle())
    SendMessageW(FImageBorder->TopBorderHandle(), MM_NCINVALIDATE, Message.Raw.WParam, Message.Raw.LParam);
}

void TVelSkinForm::MMRefreshSkin(TWMBase&) {
  BuildBackground();
  DoChanged();
}

void TVelSkinForm::MMSkinResChanged(TWMBase&) {
  FMM_SKINRESCHANGED = true;
  TScopeExit clear([this] { FMM_SKINRESCHANGED = false; });
  ApplySkinRes();
}

// ---- Client background --------------------------------------------------------------------------

void TVelSkinForm::PaintClientBackground(HDC DC) {
  const int32_t w = FDestForm->Width(), h = FDestForm->Height();
  const int32_t titleH = ScaledTitleHeight(), fw = FFramWidth;
  if (FStyle == ssPicture) {
    if (FPictureBkGraphic->Empty()) return;
    if (FPictureBkGraphic->Width() < w || FPictureBkGraphic->Height() < h || FFillStyle == mfsStretch ||
        FFillStyle == mfs9Block) {
      TColor bgColor = static_cast<TColor>(FPictureBgColor);
      FillPictureGraphic(*FPictureBkGraphic, *FPictureBgBitmap, FFillStyle, w, h, 0, 0, bgColor);
      FPictureBgColor = static_cast<uint32_t>(bgColor);
    }
    CopyVisible(*FPictureBkGraphic, DC, -fw, -titleH);
    return;
  }
  if (FColorBgBitmap->Width() < MonitorWidth()) BuildColorBackground();
  if (FColorBkGraphic->Width() < w || FColorBkGraphic->Height() < h)
    BuildColorGraphic(*FColorBkGraphic, w, h, PlainRGB(FClientBkColor),
                      FActiveGradient ? FColorBgBitmap.get() : nullptr, -fw, -titleH);
  CopyVisible(*FColorBkGraphic, DC, 0, 0);
}

void TVelSkinForm::WMPaint(TWMPaint& Message) {
  if (Message.DC) {
    PaintClientBackground(Message.DC);
  } else {
    TPaintDC dc(FDestForm->Handle());
    PaintClientBackground(dc.Get());
  }
  Message.Result = 1;
}

void TVelSkinForm::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  Message.Result = 1;
  if (!FEraseBackGround || !Message.DC) return;
  if (FStyle == ssColor) {
    if (!FColorBkGraphic->Empty()) DrawTo(*FColorBkGraphic, Message.DC, 0, 0);
  } else if (!FPictureBkGraphic->Empty()) {
    DrawTo(*FPictureBkGraphic, Message.DC, -FFramWidth, -ScaledTitleHeight());
  }
}
