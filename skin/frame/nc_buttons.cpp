#include "skin/frame/nc_buttons.h"

#include "gfx/win/gdi_backend.h"
#include "skin/frame/skin_form.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/screen.h"

// ---- TVelSkinCustomNCButton -------------------------------------------------------

TVelSkinCustomNCButton::TVelSkinCustomNCButton(TComponent* AOwner) : TVelSkinNCCtrlBase(AOwner) {
  FFont = std::make_unique<TFont>();
  FFont->OnChange = [this](TObject*) { Invalidate(); };
  FHotFont = std::make_unique<TFont>();
  FHotFont->OnChange = [this](TObject*) { Invalidate(); };
  FPicture = std::make_unique<TPngPictures>();
  FPicture->SetActive(true);
  // Dispatched through the virtual PicturesChanged, so that a system button
  // created later takes its own action on every picture change.
  FPicture->SetPicturesChanged([this](TObject*) { PicturesChanged(); });
  FCaptionOffset = std::make_unique<TVelOffset>();
  FCaptionOffset->SetOnChanged([this](TObject*) { Invalidate(); });
}

TVelSkinCustomNCButton::~TVelSkinCustomNCButton() {
  // A cursor this button set must not outlive it.
  if (FMouseEnter && FCursor != crDefault) NCButtonCursorSet = false;
}

void TVelSkinCustomNCButton::SetPicture(TPngPictures& Value) {
  if (&Value != FPicture.get()) FPicture->Assign(&Value);
}

void TVelSkinCustomNCButton::SetDown(bool Value) {
  bool release = false;
  if (!FStates.SetDown(Value, release)) return;
  if (release) ReleaseGroup();
  Invalidate();
}

void TVelSkinCustomNCButton::SetEnabled(bool Value) {
  if (FStates.SetEnabled(Value)) Invalidate();
}

void TVelSkinCustomNCButton::SetCaption(const std::wstring& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Invalidate();
}

void TVelSkinCustomNCButton::PicturesChanged() {
  if (FPicture->SourceImage()) {
    FPos->SetWidth(FPicture->GetSingleWidth());
    FPos->SetHeight(FPicture->GetSingleHeight());
  } else {
    FPos->SetWidth(0);
    FPos->SetHeight(0);
  }
  Invalidate();
}

void TVelSkinCustomNCButton::ReleaseGroup() {
  if (!FParentObject) return;
  TList& list = FParentObject->NCCtrlList();
  for (int i = 0; i < list.Count(); ++i) {
    auto* other = dynamic_cast<TVelSkinCustomNCButton*>(list.Get<TVelSkinNCCtrlBase>(i));
    if (other && other != this && other->GroupIndex() == GroupIndex()) other->SetDown(false);
  }
}

void TVelSkinCustomNCButton::Click() {
  if (Enabled() && OnClick) OnClick(this);
}

void TVelSkinCustomNCButton::MouseEnter() {
  if (Visible()) {
    SyncVisible();
    FStates.MouseEnter();
    if (FCursor != crDefault) {
      ::SetCursor(Screen->Cursors(FCursor));
      NCButtonCursorSet = true;
    }
  }
  TVelSkinNCCtrlBase::MouseEnter();
}

void TVelSkinCustomNCButton::MouseLeave() {
  if (Visible()) {
    SyncVisible();
    FStates.MouseLeave();
    if (NCButtonCursorSet) {
      NCButtonCursorSet = false;
      ::SetCursor(Screen->Cursors(crDefault));
    }
  }
  TVelSkinNCCtrlBase::MouseLeave();
}

void TVelSkinCustomNCButton::MouseOver() {
  if (!Visible() || !Enabled() || FCursor == crDefault) return;
  const HCURSOR cursor = Screen->Cursors(FCursor);
  if (GetCursor() == cursor) return;
  NCButtonCursorSet = false;
  ::SetCursor(cursor);
  NCButtonCursorSet = true;
}

void TVelSkinCustomNCButton::LMouseDown() {
  FStates.MouseDown();
  TVelSkinNCCtrlBase::LMouseDown();
}

void TVelSkinCustomNCButton::LMouseUp() {
  SyncVisible();
  const TNCButtonRelease release = FStates.MouseUp();
  if (release.ReleaseGroup) ReleaseGroup();
  TVelSkinNCCtrlBase::LMouseUp();
  if (release.Click) Click();
}

void TVelSkinCustomNCButton::Paint(TBitmap32* Bitmap) {
  TVelSkinNCCtrlBase::Paint(Bitmap);
  if (!Bitmap || Destroying() || !FForm) return;
  const int32_t x = FPos->X();
  const int32_t y = FPos->Y();
  if (FPicture->Active()) {
    TBitmap32 frame;
    bool got = false;
    if (!Enabled()) {
      got = FPicture->GetDisableImage(&frame);
    } else {
      switch (State()) {
        case bsNormal: got = FPicture->GetNormalImage(&frame); break;
        case bsHot: got = FPicture->GetHotImage(&frame); break;
        case bsPressed: got = FPicture->GetPressedImage(&frame); break;
      }
    }
    if (got) frame.DrawTo(Bitmap, x, y);
  }
  if (FCaption.empty()) return;
  ::SetFont(*Bitmap, State() == bsNormal ? *FFont : *FHotFont);
  const SIZE size = TextExtentW(*Bitmap, FCaption);
  if (FPos->Width() < size.cx) FPos->SetWidth(size.cx);
  if (FPos->Height() < size.cy) FPos->SetHeight(size.cy);
  TextoutW(*Bitmap, x + FCaptionOffset->X(), y + FCaptionOffset->Y(), FCaption);
}

// ---- TVelSkinSystemButton ---------------------------------------------------------

TVelSkinSystemButton::TVelSkinSystemButton(TComponent* AOwner) : TVelSkinCustomNCButton(AOwner) {
  FPos->SetAlign(caRight);
  FPos->SetXValue(40);
  FPos->SetYValue(-1);
  FPos->SetUseDefault(true);
  FPicture->SetImage(FCloseImage);
}

void TVelSkinSystemButton::SetKind(TSystemButtonKind Value) {
  if (Value == FKind) return;
  FKind = Value;
  UpdateKind();
}

void TVelSkinSystemButton::SetStripId(TVelResID& Field, const TVelResID& Value) {
  if (Value == Field) return;
  Field = Value;
  PicturesChanged();
}

void TVelSkinSystemButton::SetCloseImage(const TVelResID& Value) { SetStripId(FCloseImage, Value); }
void TVelSkinSystemButton::SetMinimizeImage(const TVelResID& Value) { SetStripId(FMinimizeImage, Value); }
void TVelSkinSystemButton::SetMaximizeImage(const TVelResID& Value) { SetStripId(FMaximizeImage, Value); }
void TVelSkinSystemButton::SetRestoresizeImage(const TVelResID& Value) { SetStripId(FRestoresizeImage, Value); }

void TVelSkinSystemButton::PicturesChanged() {
  TVelSkinCustomNCButton::PicturesChanged();
  UpdateKind();
}

void TVelSkinSystemButton::UpdateKind() {
  struct TKindPlace {
    const TVelResID* Strip;
    int32_t XValue;
  };
  const TKindPlace place = FKind == bkClose      ? TKindPlace{&FCloseImage, 40}
                           : FKind == bkMinimize ? TKindPlace{&FMinimizeImage, 96}
                                                 : TKindPlace{&FMaximizeImage, 68};
  FPicture->SetImage(*place.Strip);
  if (FPos->UseDefault()) {
    FPos->SetXValue(place.XValue);
    FPos->SetYValue(-1);
  }
}

UINT TVelSkinSystemButton::Command() const {
  switch (FKind) {
    case bkClose: return SC_CLOSE;
    case bkMinimize: return SC_MINIMIZE;
    case bkMaximize: break;
  }
  return WindowMaximized(TargetForm()) ? SC_RESTORE : SC_MAXIMIZE;
}

void TVelSkinSystemButton::LMouseUp() {
  TVelSkinCustomNCButton::LMouseUp();
  if (!Enabled()) return;
  TCustomForm* target = TargetForm();
  if (target) SendMessageW(target->Handle(), WM_SYSCOMMAND, Command(), 0);
}

void TVelSkinSystemButton::Paint(TBitmap32* Bitmap) {
  if (FKind == bkMaximize && FForm) {
    // Same size for both strips: no re-measuring, so no change notification.
    FPicture->Lock();
    TScopeExit unlock([this] { FPicture->UnLock(); });
    FPicture->SetImage(WindowMaximized(FForm) ? FRestoresizeImage : FMaximizeImage);
  }
  TVelSkinCustomNCButton::Paint(Bitmap);
}
