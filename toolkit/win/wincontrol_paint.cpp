// Painting of windowed controls: WM_PAINT into the window or into a DC
// handed in, the background, double buffering, the graphic children, and
// painting a control or what lies behind one into a foreign DC.
#include "toolkit/win/controls.h"

#include "toolkit/core/scope.h"

#include <optional>

namespace {

bool IsOpaqueGraphic(const TControl* Control) {
  return !dynamic_cast<const TWinControl*>(Control) && Control->Visible() && (Control->ControlStyle() & csOpaque) &&
         Control->Width() > 0 && Control->Height() > 0;
}

}  // namespace

bool TWinControl::IsDoubleBuffered() const {
  return FDoubleBuffered && !(FControlStyle & (csNativePaint | csOwnBuffer));
}

void TWinControl::PaintWindow(HDC DC) {
  if (FControlStyle & csNativePaint) {
    TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
    DefaultHandler(message);
  }
}

void TWinControl::PaintHandler(HDC DC) {
  std::optional<TPaintDC> paint;
  if (!DC) {
    paint.emplace(FHandle);
    DC = paint->Get();
  }
  {
    // Opaque graphic children cover their part: the window paints nothing beneath them.
    TSaveDC saved(DC);
    for (const TControl* child : FControls)
      if (IsOpaqueGraphic(child))
        ExcludeClipRect(DC, child->FLeft, child->FTop, child->FLeft + child->FWidth, child->FTop + child->FHeight);
    PaintWindow(DC);
  }
  PaintControls(DC, nullptr);
}

// Erases and paints into a memory bitmap, then copies the painted part once.
// The painting is called directly, not sent again as WM_PAINT: the control's
// paint handler runs once per paint.
void TWinControl::PaintBuffered() {
  TPaintDC paint(FHandle);
  const TRect client = ClientRect();
  if (client.Right <= 0 || client.Bottom <= 0) return;
  TMemoryDC memory(paint.Get());
  TGdiBitmap bitmap(CreateCompatibleBitmap(paint.Get(), client.Right, client.Bottom));
  Win32Check(static_cast<bool>(bitmap), "CreateCompatibleBitmap");
  TSelectObject select(memory.Get(), bitmap.Get());
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), reinterpret_cast<LPARAM>(memory.Get()));
  PaintHandler(memory.Get());
  const TRect r = paint.PaintRect();
  BitBlt(paint.Get(), r.Left, r.Top, r.Width(), r.Height(), memory.Get(), r.Left, r.Top, SRCCOPY);
}

void TWinControl::WMPaint(TWMPaint& Message) {
  if ((FControlStyle & csNativePaint) && !Message.DC) {
    DefaultHandler(Message.Raw);
    return;
  }
  if (Message.DC || !IsDoubleBuffered()) {
    PaintHandler(Message.DC);
    return;
  }
  PaintBuffered();
}

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  if (FControlStyle & csNativePaint) {
    DefaultHandler(Message.Raw);
    return;
  }
  if (!Message.DC) return;
  // A buffered control erases inside its buffer, not on screen; any other DC
  // handed in (a buffer, a print DC) gets the background.
  if (IsDoubleBuffered() && Message.Param != reinterpret_cast<LPARAM>(Message.DC) && FHandle &&
      WindowFromDC(Message.DC) == FHandle) {
    Message.Result = 1;
    return;
  }
  const RECT r = ToRECT(ClientRect());
  TGdiBrush brush(CreateSolidBrush(ColorToRef(FColor)));
  ::FillRect(Message.DC, &r, brush.Get());
  Message.Result = 1;
}

void TWinControl::WMPrintClient(TWMPrintClient& Message) {
  if (!Message.DC) return;
  if (Message.Flags & PRF_ERASEBKGND)
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Message.DC), reinterpret_cast<LPARAM>(Message.DC));
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(Message.DC), 0);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  ForEachLiveChild(
      [DC](TControl* child) {
        if (dynamic_cast<TWinControl*>(child) || !child->FVisible) return false;
        if (child->FWidth <= 0 || child->FHeight <= 0) return false;
        TSaveDC saved(DC);
        if (IntersectClipRect(DC, child->FLeft, child->FTop, child->FLeft + child->FWidth,
                              child->FTop + child->FHeight) == NULLREGION)
          return false;
        OffsetViewportOrgEx(DC, child->FLeft, child->FTop, nullptr);
        child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        return false;
      },
      First);
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  TSaveDC saved(DC);
  OffsetViewportOrgEx(DC, X, Y, nullptr);
  const TRect r = ClientRect();
  IntersectClipRect(DC, 0, 0, r.Right, r.Bottom);
  if ((FControlStyle & csNativePaint) && FHandle) {
    // Native controls print themselves, frame and inner windows included.
    Perform(WM_PRINT, reinterpret_cast<WPARAM>(DC), PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    return;
  }
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  ForEachLiveChild([DC](TControl* child) {
    if (auto* window = dynamic_cast<TWinControl*>(child); window && window->FVisible)
      window->PaintTo(DC, window->FLeft, window->FTop);
    return false;
  });
}

void PaintControlBackground(TControl& Control, HDC DC) {
  TWinControl* parent = Control.FParent;
  if (!parent) return;
  parent->FControlState |= csPaintCopy;
  TScopeExit unmarkParent([parent] { parent->FControlState &= ~csPaintCopy; });
  {
    TSaveDC saved(DC);
    OffsetViewportOrgEx(DC, -Control.FLeft, -Control.FTop, nullptr);
    const TRect client = parent->ClientRect();
    IntersectClipRect(DC, 0, 0, client.Right, client.Bottom);
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
    parent->PaintWindow(DC);
  }
  const TRect bounds = Control.BoundsRect();
  parent->ForEachLiveChild([&](TControl* sibling) {
    if (sibling == &Control) return true;
    if (dynamic_cast<TWinControl*>(sibling) || !sibling->FVisible) return false;
    const TRect b = sibling->BoundsRect();
    if (b.Left >= bounds.Right || b.Right <= bounds.Left || b.Top >= bounds.Bottom || b.Bottom <= bounds.Top)
      return false;
    sibling->FControlState |= csPaintCopy;
    TScopeExit unmark([sibling] { sibling->FControlState &= ~csPaintCopy; });
    TSaveDC saved(DC);
    OffsetViewportOrgEx(DC, b.Left - bounds.Left, b.Top - bounds.Top, nullptr);
    IntersectClipRect(DC, 0, 0, b.Width(), b.Height());
    sibling->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    return false;
  });
}
