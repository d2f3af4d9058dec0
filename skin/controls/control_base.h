// The base of every skinned windowed control. TCustomPaintBox32_vel keeps a
// 32-bit back buffer the size of the window, rebuilds it when it is invalid
// and copies it to the window in one transfer on every paint.
// TVelSkinCustomControl fills that buffer with what lies behind the control
// (the form skin's picture, a skinned parent's finished buffer, or the parent
// painted into it) and then lets the concrete control draw on top, so that
// every control looks transparent over the skin without ever flickering.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "gfx/bitmap32.h"
#include "toolkit/win/controls.h"

enum TRepaintMode { rmFull, rmDirect, rmOptimizer };

enum TPaintBoxOption : uint8_t { pboWantArrowKeys = 1, pboAutoFocus = 2 };
using TPaintBoxOptions = uint8_t;

enum TVelAboutInfo { aiVelSkinComponent };

// The repaint optimizer of rmOptimizer. No skinned control uses that mode,
// so this is the interface alone: it never reports pending updates, and the
// paint box then always copies the whole buffer.
class TRepaintOptimizer {
public:
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  void Reset() {}
  void BeginPaint() {}
  void EndPaint() {}
  bool UpdatesAvailable() const { return false; }
  void PerformOptimization(std::vector<TRect>&) {}
  void BufferResized(int32_t, int32_t) {}
  void AreaUpdateHandler(TObject*, const TRect&, uint32_t) {}

private:
  bool FEnabled = false;
};

using TVelBackgroundEvent = std::function<void(TObject* Sender, TBitmap32* Background, bool& Handled)>;
using TVelCustomDrawEvent = std::function<void(TObject* Sender, TBitmap32* ACanvas)>;
using TVelDPIChangedEvent = std::function<void(TObject* Sender, int32_t NewPPI)>;

class TCustomPaintBox32_vel : public TCustomControl {
public:
  explicit TCustomPaintBox32_vel(TComponent* AOwner);
  ~TCustomPaintBox32_vel() override;

  TBitmap32* Buffer() const { return FBuffer.get(); }
  int32_t BufferOversize() const { return FBufferOversize; }
  void SetBufferOversize(int32_t Value) { FBufferOversize = Value < 0 ? 0 : Value; }
  bool BufferValid() const { return FBufferValid; }
  void SetBufferValid(bool Value) { FBufferValid = Value; }
  TRepaintMode RepaintMode() const { return FRepaintMode; }
  virtual void SetRepaintMode(TRepaintMode Value);
  const std::vector<TRect>& InvalidRects() const { return FInvalidRects; }
  bool ForceFullRepaint() const { return FForceFullRepaint; }
  TPaintBoxOptions Options() const { return FOptions; }
  void SetOptions(TPaintBoxOptions Value) { FOptions = Value; }
  bool MouseInControl() const { return FMouseInControl; }

  // Called after the buffer has been copied to the window.
  TNotifyEvent OnGDIOverlay;

  void Invalidate() override;
  virtual void ForceFullInvalidate();
  virtual TRect GetViewportRect();
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;
  void AssignTo(TPersistent* Dest) override;
  // Brings the buffer to the viewport's size by the oversize rule.
  void ResizeBuffer();

protected:
  virtual bool NeedsPartialRepaint();
  virtual bool PaintsDirectly() { return true; }
  virtual void PrepareInvalidRects();
  virtual void PaintBuffer();
  virtual void PaintOverlay();
  virtual void BufferResized(int32_t OldWidth, int32_t OldHeight);
  virtual void NotifyMouseEnter();
  virtual void NotifyMouseLeave();

  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WMPaint(TWMPaint& Message) override;
  void WMGetDlgCode(TWMGetDlgCode& Message) override;
  void WMWindowPosChanged(TWMWindowPos& Message) override;
  void CMInvalidate(TWMBase& Message) override;
  void CMMouseEnter(TCMMouse& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;

  bool Designing() const { return ComponentState().Contains(csDesigning); }
  bool Destroying() const { return ComponentState().Contains(csDestroying); }

  std::unique_ptr<TBitmap32> FBuffer;
  int32_t FBufferOversize = 40;
  bool FBufferValid = false;
  TRepaintMode FRepaintMode = rmFull;
  std::vector<TRect> FInvalidRects;
  bool FForceFullRepaint = true;
  std::unique_ptr<TRepaintOptimizer> FRepaintOptimizer;
  TPaintBoxOptions FOptions = 0;
  bool FMouseInControl = false;

private:
  void DirectAreaUpdateHandler(TObject* Sender, const TRect& Area, uint32_t Info);
};

// The timer of the delayed refresh while a control is being resized.
constexpr UINT_PTR DelayRefreshTimer = 10000;

class TVelSkinCustomControl : public TCustomPaintBox32_vel {
public:
  explicit TVelSkinCustomControl(TComponent* AOwner);
  ~TVelSkinCustomControl() override;

  TVelAboutInfo About() const { return aiVelSkinComponent; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }
  bool AutoInvalidate() const { return FAutoInvalidate; }
  void SetAutoInvalidate(bool Value) { FAutoInvalidate = Value; }
  bool RgnChanging() const { return FRgnChanging; }
  void SetRgnChanging(bool Value) { FRgnChanging = Value; }
  bool EraseBackground() const { return FEraseBackground; }
  void SetEraseBackground(bool Value) { FEraseBackground = Value; }
  bool DelayRefresh() const { return FDelayRefresh; }
  void SetDelayRefresh(bool Value) { FDelayRefresh = Value; }
  bool StopDrawBody() const { return FStopDrawBody; }

  // The control's finished buffer, which its children use as their background.
  TBitmap32* BackgroundPicture() { return GetBackgroundPicture(); }

  TVelBackgroundEvent OnBackgroundChanging;
  TVelCustomDrawEvent OnBackgroundChanged;
  TNotifyEvent OnVisibleChanged;
  TVelDPIChangedEvent OnDPIChanged;

  // Repaints the non-client area when the client area is smaller than the control.
  void InvalidateNC();
  // Unless All, posts MM_CONTROLREFRESH to every direct windowed child.
  void RefreshSubControl(bool All);

protected:
  virtual TBitmap32* GetBackgroundPicture() { return FBuffer.get(); }
  // The concrete control's content, drawn over the background.
  virtual void DrawControl(TBitmap32* Bitmap) {}
  virtual TBitmap32* GetSecondBackground() { return nullptr; }
  virtual void BackgroundChanging(TBitmap32* Bitmap, bool& Handled);
  virtual void BackgroundChanged(TBitmap32* Bitmap);
  virtual void VisibleChanged();
  // Called after the control was rescaled for a new pixel density.
  virtual void ScaleControlsForDpi(int32_t NewPPI);

  void PaintBuffer() override;
  void Resize() override;
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void WMSize(TWMSize& Message) override;
  void WMMove(TWMMove& Message) override;
  void WMTimer(TWMTimer& Message) override;
  void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
  // Colour, enabling, text and font changes need no handler here: the
  // toolkit's own call Invalidate, which marks the buffer invalid.
  void CMVisibleChanged(TCMVisibleChanged& Message) override;
  // The skinned base answers AdjustClientRect by repainting; aligned children
  // moving about need a new background.
  void AdjustClientRect(TRect& Rect) override;

  int32_t FXOffset = 0;
  int32_t FYOffset = 0;
  bool FStopDrawBody = false;

private:
  bool FTransparent = true;
  bool FAutoInvalidate = false;
  bool FRgnChanging = false;
  bool FEraseBackground = false;
  bool FDelayRefresh = false;
};

// Fills Buffer with what lies behind Control in the rectangle R of its
// parent's client area: the form skin's background picture (shifted past the
// frame), a skinned parent's finished buffer, or else the parent and the
// graphic siblings below Control painted into the buffer's device context.
// Without a parent the buffer becomes opaque white.
void CopyParentBackground(TControl* Control, TBitmap32* Buffer, const TRect& R);

// The colour as 0x00RRGGBB, system colours resolved.
inline uint32_t RGBOf(TColor Color) { return ToColor32(Color) & 0xFFFFFF; }
