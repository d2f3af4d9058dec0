#include "skin/controls/control_base.h"

#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/frame/skin_form.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/forms.h"

namespace {

// Holds the bitmap's lock for a scope.
class TBitmapLock {
public:
  explicit TBitmapLock(TCustomBitmap32& Bitmap) : FBitmap(Bitmap) { FBitmap.Lock(); }
  ~TBitmapLock() { FBitmap.Unlock(); }
  TBitmapLock(const TBitmapLock&) = delete;
  TBitmapLock& operator=(const TBitmapLock&) = delete;

private:
  TCustomBitmap32& FBitmap;
};

// One axis of the buffer sizing rule: grow with slack, shrink only when the
// slack is exceeded, never below 1.
int32_t BufferSide(int32_t Current, int32_t Viewport, int32_t Oversize) {
  int32_t side = Current;
  if (Current < Viewport)
    side = Viewport + Oversize;
  else if (Viewport < Current - Oversize)
    side = Viewport;
  return std::max(side, 1);
}

}  // namespace

// ---- TCustomPaintBox32_vel ----------------------------------------------------------------

TCustomPaintBox32_vel::TCustomPaintBox32_vel(TComponent* AOwner)
    : TCustomControl(AOwner),
      FBuffer(std::make_unique<TBitmap32>()),
      FRepaintOptimizer(std::make_unique<TRepaintOptimizer>()) {
  FControlStyle |= csOwnBuffer;
  FWidth = 192;
  FHeight = 192;
}

TCustomPaintBox32_vel::~TCustomPaintBox32_vel() = default;

void TCustomPaintBox32_vel::SetRepaintMode(TRepaintMode Value) {
  FRepaintMode = Value;
  switch (Value) {
    case rmOptimizer:
      FBuffer->SetOnAreaChanged([this](TObject* Sender, const TRect& Area, uint32_t Info) {
        FRepaintOptimizer->AreaUpdateHandler(Sender, Area, Info);
      });
      break;
    case rmDirect:
      FBuffer->SetOnAreaChanged(
          [this](TObject* Sender, const TRect& Area, uint32_t Info) { DirectAreaUpdateHandler(Sender, Area, Info); });
      break;
    case rmFull:
      FBuffer->SetOnAreaChanged(nullptr);
      break;
  }
  FRepaintOptimizer->SetEnabled(Value == rmOptimizer);
  Invalidate();
}

void TCustomPaintBox32_vel::DirectAreaUpdateHandler(TObject*, const TRect& Area, uint32_t) {
  FInvalidRects.push_back(Area);
  if (!HasControlState(csLButtonDown)) Repaint();
}

void TCustomPaintBox32_vel::Invalidate() {
  FBufferValid = false;
  TCustomControl::Invalidate();
}

void TCustomPaintBox32_vel::ForceFullInvalidate() {
  if (FRepaintOptimizer->Enabled()) FRepaintOptimizer->Reset();
  FForceFullRepaint = true;
  Invalidate();
}

TRect TCustomPaintBox32_vel::GetViewportRect() { return TRect{0, 0, Width(), Height()}; }

void TCustomPaintBox32_vel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (Designing()) ResizeBuffer();
  FBufferValid = false;
}

void TCustomPaintBox32_vel::Loaded() {
  FBufferValid = false;
  TCustomControl::Loaded();
}

void TCustomPaintBox32_vel::AssignTo(TPersistent* Dest) {
  TCustomControl::AssignTo(Dest);
  auto* box = dynamic_cast<TCustomPaintBox32_vel*>(Dest);
  if (!box) return;
  box->FBuffer->Assign(FBuffer.get());
  box->FBufferOversize = FBufferOversize;
  box->FBufferValid = FBufferValid;
  box->FRepaintMode = FRepaintMode;
  box->FInvalidRects = FInvalidRects;
  box->FForceFullRepaint = FForceFullRepaint;
  box->FOptions = FOptions;
  box->OnGDIOverlay = OnGDIOverlay;
  box->OnMouseEnter = OnMouseEnter;
  box->OnMouseLeave = OnMouseLeave;
}

void TCustomPaintBox32_vel::ResizeBuffer() {
  const TRect viewport = GetViewportRect();
  const int32_t vw = std::max(0, viewport.Width()), vh = std::max(0, viewport.Height());
  const int32_t oldWidth = FBuffer->Width(), oldHeight = FBuffer->Height();
  const int32_t w = BufferSide(oldWidth, vw, FBufferOversize), h = BufferSide(oldHeight, vh, FBufferOversize);
  if (w == oldWidth && h == oldHeight) return;
  {
    TBitmapLock lock(*FBuffer);
    FBuffer->SetSize(w, h);
  }
  BufferResized(oldWidth, oldHeight);
  ForceFullInvalidate();
}

bool TCustomPaintBox32_vel::NeedsPartialRepaint() {
  return FRepaintOptimizer->Enabled() && !FForceFullRepaint && FRepaintOptimizer->UpdatesAvailable();
}

void TCustomPaintBox32_vel::PrepareInvalidRects() {
  if (FRepaintOptimizer->Enabled()) FRepaintOptimizer->PerformOptimization(FInvalidRects);
}

void TCustomPaintBox32_vel::PaintBuffer() {
  if (FForceFullRepaint) {
    FForceFullRepaint = false;
    FInvalidRects.clear();
  } else {
    PrepareInvalidRects();
  }
  FBufferValid = true;
}

void TCustomPaintBox32_vel::PaintOverlay() {
  if (OnGDIOverlay) OnGDIOverlay(this);
}

void TCustomPaintBox32_vel::BufferResized(int32_t OldWidth, int32_t OldHeight) {
  if (FRepaintOptimizer->Enabled()) FRepaintOptimizer->BufferResized(OldWidth, OldHeight);
}

void TCustomPaintBox32_vel::NotifyMouseEnter() { FMouseInControl = true; }
void TCustomPaintBox32_vel::NotifyMouseLeave() { FMouseInControl = false; }

// The toolkit binds the canvas to the paint DC; the whole picture goes onto
// it in one copy of the finished buffer.
void TCustomPaintBox32_vel::Paint() {
  if (!FParent) return;
  const HDC dc = Canvas().Handle();
  if (!dc) return;
  const bool optimizing = FRepaintOptimizer->Enabled();
  if (optimizing) FRepaintOptimizer->BeginPaint();
  TScopeExit endPaint([&] {
    if (optimizing) FRepaintOptimizer->EndPaint();
    FInvalidRects.clear();
    FForceFullRepaint = false;
  });
  if (!FBufferValid) {
    if (FBuffer->Empty()) ResizeBuffer();
    PaintBuffer();
  }
  {
    TBitmapLock lock(*FBuffer);
    const bool partial = NeedsPartialRepaint() && !FInvalidRects.empty();
    if (!partial) {
      DrawTo(*FBuffer, dc, 0, 0);
    } else {
      for (const TRect& r : FInvalidRects) DrawTo(*FBuffer, dc, r, r);
    }
  }
  PaintOverlay();
}

void TCustomPaintBox32_vel::Resize() {
  ResizeBuffer();
  FBufferValid = false;
  TCustomControl::Resize();
}

void TCustomPaintBox32_vel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if ((FOptions & pboAutoFocus) && CanFocus()) SetFocus();
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomPaintBox32_vel::WMPaint(TWMPaint& Message) {
  if (NeedsPartialRepaint()) {
    if (!PaintsDirectly() && FHandle) InvalidateRect(FHandle, nullptr, FALSE);
  }
  TCustomControl::WMPaint(Message);
}

void TCustomPaintBox32_vel::WMGetDlgCode(TWMGetDlgCode& Message) {
  TCustomControl::WMGetDlgCode(Message);
  if (FOptions & pboWantArrowKeys)
    Message.Result |= DLGC_WANTARROWS;
  else
    Message.Result &= ~static_cast<LRESULT>(DLGC_WANTARROWS);
}

void TCustomPaintBox32_vel::WMWindowPosChanged(TWMWindowPos& Message) {
  if (!Designing() && !Destroying()) ResizeBuffer();
  FBufferValid = false;
  TCustomControl::WMWindowPosChanged(Message);
}

void TCustomPaintBox32_vel::CMInvalidate(TWMBase& Message) {
  if (NeedsPartialRepaint() && FHandle) {
    PostMessageW(FHandle, WM_PAINT, 0, 0);
    return;
  }
  TCustomControl::CMInvalidate(Message);
}

// The toolkit fires OnMouseEnter and OnMouseLeave itself; the paint box only
// keeps MouseInControl in step, set after the enter and cleared before the leave.
void TCustomPaintBox32_vel::CMMouseEnter(TCMMouse& Message) {
  TCustomControl::CMMouseEnter(Message);
  if (!Message.Control || Message.Control == this) NotifyMouseEnter();
}

void TCustomPaintBox32_vel::CMMouseLeave(TCMMouse& Message) {
  if (!Message.Control || Message.Control == this) NotifyMouseLeave();
  TCustomControl::CMMouseLeave(Message);
}

// ---- TVelSkinCustomControl ----------------------------------------------------------------

TVelSkinCustomControl::TVelSkinCustomControl(TComponent* AOwner) : TCustomPaintBox32_vel(AOwner) {
  FBufferOversize = 0;
  FColor = 16777215;
  FParentColor = false;
  if (!Designing()) TVelWinControlHelper::Instance().Add(this);
}

TVelSkinCustomControl::~TVelSkinCustomControl() {
  if (!Designing()) TVelWinControlHelper::Instance().Remove(this);
}

void TVelSkinCustomControl::InvalidateNC() {
  if (!FHandle) return;
  const TRect client = ClientRect();
  if (client.Width() < Width() || client.Height() < Height()) SendMessageW(FHandle, WM_NCPAINT, 1, 0);
}

void TVelSkinCustomControl::RefreshSubControl(bool All) {
  if (Designing() || All) return;
  for (TControl* child : FControls)
    if (auto* window = dynamic_cast<TWinControl*>(child); window && window->HandleAllocated())
      PostMessageW(window->Handle(), MM_CONTROLREFRESH, 0, 0);
}

void TVelSkinCustomControl::BackgroundChanging(TBitmap32* Bitmap, bool& Handled) {
  if (OnBackgroundChanging) OnBackgroundChanging(this, Bitmap, Handled);
}

void TVelSkinCustomControl::BackgroundChanged(TBitmap32* Bitmap) {
  if (OnBackgroundChanged) OnBackgroundChanged(this, Bitmap);
}

void TVelSkinCustomControl::VisibleChanged() {
  if (!Designing() && OnVisibleChanged) OnVisibleChanged(this);
}

void TVelSkinCustomControl::ScaleControlsForDpi(int32_t NewPPI) {
  if (OnDPIChanged) OnDPIChanged(this, NewPPI);
}

void TVelSkinCustomControl::PaintBuffer() {
  {
    TUpdateScope<TBitmap32> update(*FBuffer);
    bool handled = false;
    BackgroundChanging(FBuffer.get(), handled);
    if (!handled) {
      if (FTransparent)
        CopyParentBackground(this, FBuffer.get(),
                             TRect{Left() + FXOffset, Top() + FYOffset, Left() + Width() + FXOffset,
                                   Top() + Height() + FYOffset});
      else
        FBuffer->Clear(ToColor32(FColor));
    }
    BackgroundChanged(FBuffer.get());
    // While a delayed refresh is pending only the background is brought up to date.
    if (!FStopDrawBody) DrawControl(FBuffer.get());
  }
  // A control sticking out of its parent has a background that changes
  // with what the parent clips; it is rebuilt on every paint.
  FBufferValid = FParent && FParent->ClientWidth() >= Left() + Width() && FParent->ClientHeight() >= Top() + Height();
}

void TVelSkinCustomControl::Resize() {
  TUpdateScope<TBitmap32> update(*FBuffer);
  TCustomPaintBox32_vel::Resize();
  FBuffer->Clear(ToColor32(FColor));
}

void TVelSkinCustomControl::CreateParams(TCreateParams& Params) {
  TCustomPaintBox32_vel::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

void TVelSkinCustomControl::WndProc(TMessage& Message) {
  if (Message.Msg == MM_CONTROLREFRESH) {
    if (!Designing()) {
      Invalidate();
      InvalidateNC();
    }
    return;
  }
  TCustomPaintBox32_vel::WndProc(Message);
}

void TVelSkinCustomControl::WMSize(TWMSize& Message) {
  if (FDelayRefresh && !Designing()) {
    FStopDrawBody = true;
    StartTimer(DelayRefreshTimer, 10);
  }
  TCustomPaintBox32_vel::WMSize(Message);
}

void TVelSkinCustomControl::WMMove(TWMMove& Message) {
  TCustomPaintBox32_vel::WMMove(Message);
  if (FAutoInvalidate) {
    Invalidate();
    RefreshSubControl(false);
  }
}

void TVelSkinCustomControl::WMTimer(TWMTimer& Message) {
  if (Message.TimerID != DelayRefreshTimer) {
    TCustomPaintBox32_vel::WMTimer(Message);
    return;
  }
  StopTimer(DelayRefreshTimer);
  FStopDrawBody = false;
  Invalidate();
}

void TVelSkinCustomControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  if (FEraseBackground && Message.DC && Message.Param == 1) DrawTo(*FBuffer, Message.DC, 0, 0);
  Message.Result = 1;
}

void TVelSkinCustomControl::CMVisibleChanged(TCMVisibleChanged& Message) {
  TCustomPaintBox32_vel::CMVisibleChanged(Message);
  VisibleChanged();
}

void TVelSkinCustomControl::AdjustClientRect(TRect& Rect) {
  TCustomPaintBox32_vel::AdjustClientRect(Rect);
  if (!Designing()) Invalidate();
}

// ---- Background -----------------------------------------------------------------------------

void CopyParentBackground(TControl* Control, TBitmap32* Buffer, const TRect& R) {
  TWinControl* parent = Control->Parent();
  if (!parent) {
    Buffer->Clear(0xFFFFFFFF);
    return;
  }
  TBitmap32* picture = nullptr;
  TRect source = R;
  if (auto* form = dynamic_cast<TCustomForm*>(parent)) {
    if (TVelSkinForm* skin = TVelFormSkinHelper::Instance().Get(form)) {
      picture = skin->BackgroundPicture();
      int32_t fw = ScaleByDPI(skin, skin->FramWidth()), th = ScaleByDPI(skin, skin->TitleHeight());
      if (form->BorderStyle() == bsNone) fw = th = 0;
      source.Left += fw;
      source.Right += fw;
      if (skin->Style() == ssPicture) {
        source.Top += th;
        source.Bottom += th;
      }
    }
  } else if (auto* skinned = dynamic_cast<TVelSkinCustomControl*>(parent)) {
    // A child may be painted before its parent: the parent's pending paint
    // comes first, so that the child never copies a stale picture.
    if (!skinned->BufferValid() && skinned->HandleAllocated()) UpdateWindow(skinned->Handle());
    picture = skinned->BackgroundPicture();
  }
  const bool designing = Control->ComponentState().Contains(csDesigning);
  if (picture && !picture->Empty() && !designing && source.Width() > 0 && source.Height() > 0) {
    Buffer->Draw(TRect{0, 0, Buffer->Width(), Buffer->Height()}, source, picture);
    return;
  }
  PaintControlBackground(*Control, Handle(*Buffer));
  GdiFlush();
}
