// Title-bar controls: small components that live in the frame of a form
// skinned by TVelSkinForm. They are not windows: the skin form keeps them in
// its list, asks each to paint itself into the title-bar bitmap and routes
// non-client mouse moves and left-button presses to them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/bitmap32.h"
#include "skin/resources/skin_image.h"
#include "toolkit/win/forms.h"
#include "toolkit/win/hints.h"
#include "toolkit/win/timers.h"

class TVelSkinForm;

enum TNCCtrlAlign { caLeft, caRight };
enum TSideKind { skdTop, skdBottom, skdLeft, skdRight };

// Raised while a title-bar button has set its own cursor: the skin form then
// swallows WM_SETCURSOR for its window.
extern bool NCButtonCursorSet;

// The form's window exists and is maximized (title-bar controls move by a pixel then).
bool WindowMaximized(TCustomForm* Form);

// Where a title-bar control sits: offsets from the left or the right window edge.
class TNCCtrlPos : public TPersistent {
public:
  explicit TNCCtrlPos(TCustomForm* Form) : FForm(Form) {}

  virtual int32_t X() const;
  virtual int32_t Y() const;
  virtual int32_t Height() const { return FHeight; }
  virtual int32_t Width() const { return FWidth; }
  int32_t DisplayWidth() const;
  int32_t DisplayHeight() const;
  void SetWidth(int32_t Value) { FWidth = Value; }
  void SetHeight(int32_t Value) { FHeight = Value; }

  TNCCtrlAlign Align() const { return FAlign; }
  void SetAlign(TNCCtrlAlign Value);
  int32_t XValue() const { return FXValue; }
  void SetXValue(int32_t Value);
  int32_t YValue() const { return FYValue; }
  void SetYValue(int32_t Value);
  bool UseDefault() const { return FUseDefault; }
  void SetUseDefault(bool Value) { FUseDefault = Value; }
  TCustomForm* Form() const { return FForm; }
  void SetForm(TCustomForm* Value) { FForm = Value; }

  void Lock() { FLocked = true; }
  void UnLock() { FLocked = false; }
  bool Locked() const { return FLocked; }
  TNotifyEvent OnChanged;
  void Assign(TPersistent* Source) override;

protected:
  std::string ClassName() const override { return "TNCCtrlPos"; }
  // Fires OnChanged unless locked.
  virtual void Changed();

private:
  int32_t FWidth = 0;
  int32_t FYValue = 0;
  int32_t FHeight = 0;
  int32_t FXValue = 0;
  TNCCtrlAlign FAlign = caLeft;
  TCustomForm* FForm;
  bool FUseDefault = false;
  bool FLocked = false;
};

// The base of every title-bar control; its owner is the form it decorates.
class TVelSkinNCCtrlBase : public TComponent {
public:
  explicit TVelSkinNCCtrlBase(TComponent* AOwner);
  ~TVelSkinNCCtrlBase() override;

  // Called by the skin form.
  virtual void TimerTick();
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void MouseOver() {}
  virtual int32_t Width() const;
  virtual int32_t Height() const;
  // (X, Y, X + Width, Y + Height) in window coordinates, moved by ClientRectOffset.
  virtual TRect ClientRect() const;
  virtual void LMouseDown();
  virtual void LMouseUp();
  virtual void Paint(TBitmap32* Bitmap);
  virtual void NCMouseMove(TPoint P);
  virtual void DPIChanged();

  // Sends MM_NCINVALIDATE to the form: the whole non-client area repaints.
  void Invalidate();
  // Asks the skin form to free and unregister this control.
  void RemoveSelf();

  TSideKind PutSide() const { return FPutSide; }
  void SetPutSide(TSideKind Value) { FPutSide = Value; }
  TNCCtrlPos& Pos() { return *FPos; }
  const TNCCtrlPos& Pos() const { return *FPos; }
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& Value) { FHint = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool CursorEnter() const { return FMouseEnter; }
  TPoint ClientRectOffset() const { return FClientRectOffset; }
  void SetClientRectOffset(TPoint Value) { FClientRectOffset = Value; }
  bool Hooked() const { return FHooked; }
  void SetHooked(bool Value) { FHooked = Value; }
  TVelSkinForm* ParentObject() const { return FParentObject; }
  void SetParentObject(TVelSkinForm* Value) { FParentObject = Value; }
  int32_t Data() const { return FData; }
  void SetData(int32_t Value) { FData = Value; }
  TCustomForm* Form() const { return FForm; }
  void SetForm(TCustomForm* Value);
  TCustomForm* SourceForm() const { return FSourceForm; }
  void SetSourceForm(TCustomForm* Value) { FSourceForm = Value; }

  TNotifyEvent OnLMouseDown;
  TNotifyEvent OnLMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  std::function<void(TObject* Sender, int32_t NewPPI)> OnDPIChanged;

protected:
  std::string ClassName() const override { return "TVelSkinNCCtrlBase"; }
  // Forgets the skin form when it goes first.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  bool Destroying() const { return ComponentState().Contains(csDestroying); }
  // The cursor position relative to the form's window.
  TPoint CursorInForm() const;
  // Posts MM_ADDNCCTRL to the form's window (created if needed).
  void PostRegistration();

  std::unique_ptr<THintWindow> FHintWindow;
  std::unique_ptr<TNCCtrlPos> FPos;
  std::wstring FHint;
  TPoint FClientRectOffset{0, 0};
  bool FVisible = true;
  TVelSkinForm* FParentObject = nullptr;
  int32_t FData = 0;
  TPoint FOldPos{0, 0};
  TSideKind FPutSide = skdTop;
  std::unique_ptr<TTimer> FTimer;
  bool FHooked = false;
  bool FMouseEnter = false;
  TCustomForm* FForm = nullptr;
  TCustomForm* FSourceForm = nullptr;
};

// The title label: the caption text, measured, optionally cut with an
// ellipsis and lit by a glow; pressing it drags the window.
class TVelSkinNCLabel : public TVelSkinNCCtrlBase {
public:
  explicit TVelSkinNCLabel(TComponent* AOwner);
  ~TVelSkinNCLabel() override;

  int32_t Width() const override;
  int32_t Height() const override;
  void LMouseDown() override;
  void Paint(TBitmap32* Bitmap) override;
  void DPIChanged() override;

  TVelLightClass& Light() { return *FLight; }
  TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
  void SetEllipsisPosition(TEllipsisPosition Value);
  const std::wstring& Caption() const { return FCaption; }
  void SetCaption(const std::wstring& Value);
  TFont& Font() { return *FFont; }
  void SetFont(const TFont& Value);
  bool CaptureMouse() const { return FCaptureMouse; }
  void SetCaptureMouse(bool Value) { FCaptureMouse = Value; }
  bool RenderText() const { return FRenderText; }
  void SetRenderText(bool Value);
  int32_t MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int32_t Value);

protected:
  std::string ClassName() const override { return "TVelSkinNCLabel"; }

private:
  void Measure() const;
  void SizeStale();

  std::unique_ptr<TFont> FFont;
  std::wstring FCaption;
  bool FCaptureMouse = true;
  std::unique_ptr<TVelLightClass> FLight;
  mutable int32_t FWidth = 0;
  mutable int32_t FHeight = 0;
  bool FRenderText = false;
  int32_t FMaxWidth = 0;
  TEllipsisPosition FEllipsisPosition = epNone;
  mutable bool FResetSize = true;
};
