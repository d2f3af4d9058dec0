// The layered border: four borderless per-pixel-alpha windows (left, top,
// right, bottom) cut from one skin image around a skinned form, for a soft
// shadow or a decorative frame that reaches beyond the form's rectangle. The
// skin form drives it through its ImageBorder: shown with the form, moved in
// the same step as the form, rebuilt on resize, hidden while the form is
// minimized, maximized or hidden. Transparent (the default) leaves the form
// its own frame; opaque replaces it, and the title-bar controls whose side
// matches move onto the border windows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/bitmap32.h"
#include "skin/frame/layer_border_geometry.h"
#include "skin/resources/skin_image.h"
#include "toolkit/win/forms.h"

class TVelSkinForm;
class TVelSkinNCCtrlBase;
class TVelFormLayerBorder;

// One border window: a borderless form that never takes the focus and shows
// its strip through UpdateLayeredWindow.
class TvelFormLayerWindow : public TForm {
public:
  TvelFormLayerWindow(TVelFormLayerBorder* Border, bool Transparent, TCustomForm* Form);
  ~TvelFormLayerWindow() override;

  TvelFormLayerBorderType BorderType() const { return FBorderType; }
  void SetBorderType(TvelFormLayerBorderType Value) { FBorderType = Value; }
  bool Drag() const { return FDrag; }
  void SetDrag(bool Value) { FDrag = Value; }
  bool Transparent() const { return FTransparent; }
  bool Hided() const { return FHided; }

  // Shows the strip of the window's side, fully transparent when Hiding; at
  // Pos when given (moving and resizing in one step), else where it is.
  void DrawSelf(bool Hiding, const TPoint* Pos = nullptr);
  // Gives the title-bar controls moved onto this window back to their forms.
  void ReleaseControls();

protected:
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  std::string ClassName() const override { return "TvelFormLayerWindow"; }

  void WMMouseActivate(TWMMouseActivate& Message) override;
  void WMNCHitTest(TWMNCHitTest& Message) override;
  void WMNCMouseMove(TWMNCMouse& Message) override;
  void WMNCLButtonDown(TWMNCMouse& Message) override;
  void WMNCLButtonUp(TWMNCMouse& Message) override;
  void WMSysCommand(TWMSysCommand& Message) override;
  void WMTimer(TWMTimer& Message) override;

private:
  struct TAdopted {
    TVelSkinNCCtrlBase* Control;
    TCustomForm* OldSourceForm;
    int32_t XShift;  // taken off a right-aligned control's XValue
  };
  // Moves the matching controls of the border's list onto this window (once
  // each) and paints the visible ones onto Bitmap.
  void PaintControls(TBitmap32& Bitmap);
  // The first control on this window with the cursor inside it, or nullptr.
  TVelSkinNCCtrlBase* ControlUnderCursor() const;
  bool OnThisWindow(const TVelSkinNCCtrlBase* Control) const;

  bool FTransparent;
  TvelFormLayerBorderType FBorderType = mpflLeft;
  bool FDrag = false;
  bool FHided = false;
  TCustomForm* FForm;
  TVelFormLayerBorder* FLayerBorder;
  std::vector<TAdopted> FControls;
  TBitmap32 FScratch;
};

class TVelFormLayerBorder : public TComponent {
public:
  explicit TVelFormLayerBorder(TComponent* AOwner);
  ~TVelFormLayerBorder() override;

  // ---- Published settings ----
  bool DragEnabled() const { return FDragEnabled; }
  void SetDragEnabled(bool Value) { FDragEnabled = Value; }
  TVelStretchKind StretchKind() const { return FStretchKind; }
  void SetStretchKind(TVelStretchKind Value) { FStretchKind = Value; }
  const TVelResID& Image() const { return FImage; }
  void SetImage(const TVelResID& Value) { FImage = Value; }
  // How far the border reaches outside the form on each side.
  TVelBorderSize& Size() { return *FSize; }
  const TVelBorderSize& Size() const { return *FSize; }
  void SetSize(const TVelBorderSize& Value) { FSize->Assign(const_cast<TVelBorderSize*>(&Value)); }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // How far each strip reaches under the form (magnitudes only).
  TVelBorderSize& InflateSize() { return *FInflateSize; }
  const TVelBorderSize& InflateSize() const { return *FInflateSize; }
  void SetInflateSize(const TVelBorderSize& Value) { FInflateSize->Assign(const_cast<TVelBorderSize*>(&Value)); }

  // ---- Public ----
  TList* NCCtrlList() const { return FNCCtrlList; }
  void SetNCCtrlList(TList* Value) { FNCCtrlList = Value; }
  TVelSkinForm* VelSkinForm() const { return FVelSkinForm; }
  void SetVelSkinForm(TVelSkinForm* Value) { FVelSkinForm = Value; }
  TCustomForm* Form() const { return FForm; }
  bool Visible() const { return FVisible; }
  bool Hidden() const { return FHide; }
  bool Minimized() const { return FMinimized; }
  bool FormClosed() const { return FFormClosed; }
  int32_t BorderEmbedOffset() const { return FBorderEmbedOffset; }
  // The window of a side (nullptr before the first show and after FreeLayerWindow).
  TvelFormLayerWindow* BorderWindow(TvelFormLayerBorderType Side) const { return FBorders[Side].get(); }
  // The top border window, which the skin form forwards frame repaints to.
  HWND TopBorderHandle() const;
  // The strip a side's window shows (empty when there is no image).
  const TBitmap32& StripImage(TvelFormLayerBorderType Side) const { return FStrips[Side]; }

  // ---- Operations the skin form calls ----
  // Remembers the form (once) and chains its OnClose and OnShow.
  void InitFrame(TCustomForm* Form);
  // Builds the strips for a W x H form at (X, Y) and shows the four windows.
  void Show(int32_t X, int32_t Y, int32_t H, int32_t W);
  // Shows the windows again after Hide.
  void Show();
  void ShowWithForm(TList* List);
  // Rebuilds the strips for the form's new size and places the windows.
  void SetBounds(int32_t X, int32_t Y, int32_t H, int32_t W);
  void SetBoundsWithForm();
  // Moves the windows along with the form at (Left, Top).
  void MoveWithForm(int32_t Left, int32_t Top);
  void Hide();
  void Minimizing();
  void Restoring();
  void ReAlign();
  void CheckFormAlpha(bool Update);
  // Frees the four windows; the next Show creates them again.
  void FreeLayerWindow();
  // Puts the windows in their places around the form where it is now.
  void Replace();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  std::string ClassName() const override { return "TVelFormLayerBorder"; }

private:
  bool FormUsable() const;
  bool FormMinimized() const;
  bool FormMaximized() const;
  bool FormWindowVisible() const;
  // The form's window rectangle in screen coordinates.
  TRect FormRect() const;
  bool WindowsExist() const;
  void BuildStrips();
  // Creates the windows unless the ones there still fit; true when it did.
  bool CreateWindows();
  // Draws every window hidden or shown where it is.
  void DrawAll(bool Hiding);
  // Draws every window at its place around a form at (X, Y) and puts it there.
  void DrawAllAt(bool Hiding, int32_t X, int32_t Y);
  // Moves the windows to their places around the form at (X, Y) in one
  // deferred step, right below the form in the z-order.
  void Place(int32_t X, int32_t Y);
  TPoint WindowPos(TvelFormLayerBorderType Side, int32_t X, int32_t Y) const;
  void ForgetForm();

  TVelStretchKind FStretchKind = skAuto;
  bool FTransparent = true;
  bool FMinimized = false;
  bool FDragEnabled = true;
  bool FHide = false;
  bool FFormClosed = false;
  TList* FNCCtrlList = nullptr;
  int32_t FBorderEmbedOffset = 2;
  TVelSkinForm* FVelSkinForm = nullptr;
  std::unique_ptr<TVelBorderSize> FInflateSize;
  bool FNeedReCreateLayerWindow = true;
  bool FInited = false;
  TCloseEvent FOldCloseEvent;
  TNotifyEvent FOldShowEvent;
  TCustomForm* FForm = nullptr;
  int32_t FWidth = 0, FHeight = 0;
  std::array<TBitmap32, 4> FStrips;  // by TvelFormLayerBorderType
  TVelResID FImage = L"VelSkinSlider_Aio_light_bkg";
  std::unique_ptr<TVelBorderSize> FSize;
  std::array<std::unique_ptr<TvelFormLayerWindow>, 4> FBorders;
  TLayerBorderLayout FLayout;
  bool FVisible = false;
};
