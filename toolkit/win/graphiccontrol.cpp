// TGraphicControl, painted by its parent, and TCustomControl, a window with a
// canvas: both bind their canvas to the paint DC for Paint.
#include "toolkit/win/controls.h"

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {
  FParentColor = true;
}

void TGraphicControl::WMPaint(TWMPaint& Message) {
  if (!Message.DC) return;
  TCanvasBinding binding(*FCanvas, Message.DC, FFont.get());
  Paint();
}

// A window-less control asks its parent to repaint its area; an opaque one
// covers it all, so nothing beneath needs erasing.
void TGraphicControl::CMInvalidate(TWMBase&) {
  if (FParent && FParent->HandleAllocated()) {
    const RECT r = ToRECT(BoundsRect());
    const bool opaque = (FControlStyle & csOpaque) != 0;
    InvalidateRect(FParent->Handle(), &r, opaque ? FALSE : TRUE);
  }
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

void TCustomControl::PaintWindow(HDC DC) {
  TCanvasBinding binding(*FCanvas, DC, FFont.get());
  Paint();
}
