// Title-bar buttons of a skinned form: a button painted from a state strip
// with an optional caption and speed-button logic (down, groups, all-up),
// and the system buttons (close, minimize, maximize) that send their
// system command when clicked.
#pragma once

#include <memory>
#include <string>

#include "skin/frame/nc_button_state.h"
#include "skin/frame/nc_controls.h"

class TVelSkinCustomNCButton : public TVelSkinNCCtrlBase {
public:
  explicit TVelSkinCustomNCButton(TComponent* AOwner);
  ~TVelSkinCustomNCButton() override;

  void MouseEnter() override;
  void MouseLeave() override;
  void MouseOver() override;
  void LMouseDown() override;
  void LMouseUp() override;
  void Paint(TBitmap32* Bitmap) override;

  // The picture's change callback: the button takes the size of one frame.
  virtual void PicturesChanged();
  // Every other button of the parent skin form with the same GroupIndex goes up.
  virtual void ReleaseGroup();
  // Fires OnClick when enabled.
  virtual void Click();

  TNCButtonState State() const { return FStates.State(); }
  bool AllowAllUp() const { return FStates.AllowAllUp(); }
  void SetAllowAllUp(bool Value) { FStates.SetAllowAllUp(Value); }
  TPngPictures& Picture() { return *FPicture; }
  // Copies Value's settings (nothing for the button's own picture).
  void SetPicture(TPngPictures& Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }
  bool Down() const { return FStates.Down(); }
  void SetDown(bool Value);
  int32_t GroupIndex() const { return FStates.GroupIndex(); }
  void SetGroupIndex(int32_t Value) { FStates.SetGroupIndex(Value); }
  bool Enabled() const { return FStates.Enabled(); }
  void SetEnabled(bool Value);
  TNotifyEvent OnClick;

  const std::wstring& Caption() const { return FCaption; }
  void SetCaption(const std::wstring& Value);
  TVelOffset& CaptionOffset() { return *FCaptionOffset; }
  TFont& Font() { return *FFont; }
  void SetFont(const TFont& Value) { FFont->Assign(const_cast<TFont*>(&Value)); }
  TFont& HotFont() { return *FHotFont; }
  void SetHotFont(const TFont& Value) { FHotFont->Assign(const_cast<TFont*>(&Value)); }

protected:
  std::string ClassName() const override { return "TVelSkinCustomNCButton"; }
  // Keeps the state machine's visibility in step with the control's.
  void SyncVisible() { FStates.SetVisible(Visible()); }

  std::unique_ptr<TPngPictures> FPicture;
  TNCButtonStateMachine FStates;
  TCursor FCursor = crDefault;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TFont> FHotFont;
  std::wstring FCaption;
  std::unique_ptr<TVelOffset> FCaptionOffset;
};

// A title-bar button with a caption.
class TVelSkinNCButton : public TVelSkinCustomNCButton {
public:
  using TVelSkinCustomNCButton::TVelSkinCustomNCButton;

protected:
  std::string ClassName() const override { return "TVelSkinNCButton"; }
};

enum TSystemButtonKind { bkClose, bkMinimize, bkMaximize };

class TVelSkinSystemButton : public TVelSkinCustomNCButton {
public:
  explicit TVelSkinSystemButton(TComponent* AOwner);

  void PicturesChanged() override;
  void LMouseUp() override;
  void Paint(TBitmap32* Bitmap) override;
  // Takes the strip of the kind, and its default place when Pos.UseDefault is set.
  virtual void UpdateKind();

  TSystemButtonKind Kind() const { return FKind; }
  void SetKind(TSystemButtonKind Value);
  const TVelResID& CloseImage() const { return FCloseImage; }
  void SetCloseImage(const TVelResID& Value);
  const TVelResID& MinimizeImage() const { return FMinimizeImage; }
  void SetMinimizeImage(const TVelResID& Value);
  const TVelResID& MaximizeImage() const { return FMaximizeImage; }
  void SetMaximizeImage(const TVelResID& Value);
  const TVelResID& RestoresizeImage() const { return FRestoresizeImage; }
  void SetRestoresizeImage(const TVelResID& Value);

  // The system command a click sends now (the maximize button's depends on
  // the target window's state).
  UINT Command() const;

protected:
  std::string ClassName() const override { return "TVelSkinSystemButton"; }

private:
  // SourceForm when set, else the owner form.
  TCustomForm* TargetForm() const { return FSourceForm ? FSourceForm : FForm; }
  void SetStripId(TVelResID& Field, const TVelResID& Value);

  TSystemButtonKind FKind = bkClose;
  TVelResID FMaximizeImage = L"VelSkinBtn_max";
  TVelResID FMinimizeImage = L"VelSkinBtn_mini";
  TVelResID FCloseImage = L"VelSkinBtn_close";
  TVelResID FRestoresizeImage = L"VelSkinBtn_restore";
};
