// The skinned push button: its face from a state strip stretched over the
// button, the caption in Font (HotFont while hovered), toggle groups, an
// optional drop-down menu part at the right end, a second picture layer,
// modal results and default/cancel keys for dialogs, and an auto-repeat
// event while it is held. The rules of the look and of the mouse are in
// button_look.h; this is their window.
#pragma once

#include <cstdint>
#include <memory>

#include "skin/controls/button_look.h"
#include "skin/controls/control_base.h"
#include "skin/frame/simple_timer.h"
#include "skin/resources/skin_image.h"
#include "toolkit/win/forms.h"
#include "toolkit/win/menus.h"

// An offset of a button part; a change repaints the owner.
class TVelBtnItemOffset : public TPersistent {
public:
  explicit TVelBtnItemOffset(TWinControl* AOwner) : FOwner(AOwner) {}
  TWinControl* Owner() const { return FOwner; }
  int32_t X() const { return FX; }
  void SetX(int32_t Value);
  int32_t Y() const { return FY; }
  void SetY(int32_t Value);
  TPoint Point() const { return TPoint{FX, FY}; }
  // Copies X and Y from another offset.
  void Assign(TPersistent* Source) override;

protected:
  std::string ClassName() const override { return "TVelBtnItemOffset"; }

private:
  TWinControl* FOwner;
  int32_t FX = 0;
  int32_t FY = 0;
};

using TCustomPaintEvent = std::function<void(TObject* Sender, TBitmap32* Bitmap32)>;

class TVelSkinCustomButton : public TVelSkinCustomControl {
public:
  explicit TVelSkinCustomButton(TComponent* AOwner);
  ~TVelSkinCustomButton() override;

  bool CaptionVisible() const { return FCaptionVisible; }
  void SetCaptionVisible(bool Value);
  TFont& HotFont() { return *FHotFont; }
  void SetHotFont(const TFont& Value) { FHotFont->Assign(const_cast<TFont*>(&Value)); }
  TPngPictures& Pictures() { return *FPictures; }
  void SetPictures(TPngPictures& Value) { FPictures->Assign(&Value); }
  TPngPictures& DropdownMenuPictures() { return *FDropdownMenuPictures; }
  int32_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int32_t Value);
  bool LayerMode() const { return FLayerMode; }
  void SetLayerMode(bool Value);
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* Value);
  const TRect& DropdownMenuRect() const { return FDropdownMenuRect; }
  bool MouseInDropdownMenuRect() const { return FState.MouseInDropdownMenuRect; }
  bool PressedInDropdownMenuRect() const { return FState.PressedInDropdownMenuRect; }
  bool StopDraw() const { return FStopDraw; }
  void SetStopDraw(bool Value) { FStopDraw = Value; }
  TVelBtnItemOffset& ImageOffset() { return *FImageOffset; }
  TVelBtnItemOffset& CaptionOffset() { return *FCaptionOffset; }
  int32_t PressedOffset() const { return FPressedOffset; }
  void SetPressedOffset(int32_t Value) { FPressedOffset = Value; }
  TVelAboutInfo About() const { return aiVelSkinComponent; }
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int Value) { FModalResult = Value; }
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value) { FCanFocused = Value; }
  // The button Enter would click: the focused button, or the default one.
  bool Active() const { return FActive; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { FWordWrap = Value; }
  TVelBtnItemOffset& DropdownMenuOffset() { return *FDropdownMenuOffset; }
  void SetDropdownMenuOffset(const TVelBtnItemOffset& Value);
  TSimpleTimer& Timer() { return *FTimer; }
  TSimpleTimer& ActiveCycleDown() { return *FActiveCycleDown; }
  bool CycleDownClick() const { return FCycleDownClick; }
  void SetCycleDownClick(bool Value) { FCycleDownClick = Value; }
  bool IgnoreMouse() const { return FIgnoreMouse; }
  void SetIgnoreMouse(bool Value) { FIgnoreMouse = Value; }
  TPngPictures& Layers() { return *FLayers; }
  void SetLayers(TPngPictures& Value) { FLayers->Assign(&Value); }
  TVelBtnItemOffset& LayersOffset() { return *FLayersOffset; }
  void SetLayersOffset(const TVelBtnItemOffset& Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  bool Streach() const { return FStreach; }
  void SetStreach(bool Value) { FStreach = Value; }
  bool ShowFocusFrame() const { return FShowFocusFrame; }
  void SetShowFocusFrame(bool Value);
  bool Down() const { return FState.Down; }
  void SetDown(bool Value);
  bool MouseIn() const { return FState.MouseIn; }
  bool IsMouseDown() const { return FState.MouseDown; }
  bool PictureChanged() const { return FPictureChanged; }

  TNotifyEvent OnCycleDownClick;
  TCustomPaintEvent OnCustomPaint;

  void Click() override;

  // What accessibility clients read (accessible_controls.cpp).
  long AccRole() override;
  long AccState() override;
  std::wstring AccDefaultAction() override;
  bool AccDoDefaultAction() override;

protected:
  // Sets Down false on every other skinned button of the same parent with
  // the same GroupIndex.
  virtual void ReleaseGroup();
  virtual void DrawDropdownPart(TBitmap32* Bitmap);
  virtual void DrawLayers(TBitmap32* Bitmap);
  // A hook for descendants, drawn after the caption.
  virtual void DrawExtra(TBitmap32* Bitmap) {}

  void DrawControl(TBitmap32* Bitmap) override;
  // The face strip's frame, the layers, the drop-down part, the caption and
  // the custom paint, onto Work (the client's size, holding the background).
  // Scaled draws the face by auto-stretch; otherwise the base's unscaled face.
  void DrawButton(TBitmap32* Work, bool Scaled);
  void DrawCaption(TBitmap32* Work, const TRect& Rect, uint32_t Flags, bool HotLook);
  TButtonLook CurrentLook();
  TButtonConfig Config() const;
  // Brings the look in line with a state change made by the mouse machine.
  void Apply(const TButtonMouseState& Before, const TButtonAction& Action);
  void UpdateDropdownMenuRect();
  void ShowDropdownMenu();

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CreateWnd() override;
  void ScaleControlsForDpi(int32_t NewPPI) override;
  void WndProc(TMessage& Message) override;
  void WMLButtonDown(TWMMouse& Message) override;
  void WMLButtonUp(TWMMouse& Message) override;
  void WMMouseMove(TWMMouse& Message) override;
  void WMSize(TWMSize& Message) override;
  void CMMouseEnter(TCMMouse& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;
  void CMDialogKey(TWMKey& Message) override;
  void CMDialogChar(TWMKey& Message) override;
  void CMFocusChanged(TCMFocusChanged& Message) override;

  bool FCaptionVisible = false;
  std::unique_ptr<TFont> FHotFont;
  std::unique_ptr<TPngPictures> FPictures;
  std::unique_ptr<TPngPictures> FDropdownMenuPictures;
  int32_t FGroupIndex = 0;
  bool FLayerMode = false;
  TPopupMenu* FDropdownMenu = nullptr;
  TRect FDropdownMenuRect{};
  bool FStopDraw = false;
  std::unique_ptr<TVelBtnItemOffset> FImageOffset;
  std::unique_ptr<TVelBtnItemOffset> FCaptionOffset;
  int32_t FPressedOffset = 1;
  int FModalResult = mrNone;
  bool FCancel = false;
  bool FDefault = false;
  bool FCanFocused = true;
  bool FActive = false;
  bool FWordWrap = false;
  std::unique_ptr<TVelBtnItemOffset> FDropdownMenuOffset;
  std::unique_ptr<TSimpleTimer> FTimer;
  std::unique_ptr<TSimpleTimer> FActiveCycleDown;
  bool FCycleDownClick = false;
  bool FIgnoreMouse = false;
  std::unique_ptr<TPngPictures> FLayers;
  std::unique_ptr<TVelBtnItemOffset> FLayersOffset;
  bool FAllowAllUp = false;
  bool FStreach = false;
  bool FShowFocusFrame = false;
  uint64_t FLastClick = 0;
  // Hot, held, down and the drop-down part's marks (SkipNextClick included).
  TButtonMouseState FState;
  bool FClicksDisabled = false;
  bool FIsFocused = false;
  bool FFromWMPaint = false;
  bool FPictureChanged = false;

private:
  // Cleared when the button is freed; a menu or handler that outlives it checks it.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  // The picture the button draws on; kept between paints.
  std::unique_ptr<TBitmap32> FWork;
};

class TVelSkinButton : public TVelSkinCustomButton {
public:
  explicit TVelSkinButton(TComponent* AOwner);

protected:
  void DrawControl(TBitmap32* Bitmap) override;
};

constexpr int32_t ButtonAutoRepeatDelay = 300;
constexpr int32_t ButtonAutoRepeatPeriod = 10;
// An accelerator within this many milliseconds of the last click does not click again.
constexpr uint64_t ButtonAccelGuardMs = 100;
