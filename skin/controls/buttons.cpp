#include "skin/controls/buttons.h"

#include "gfx/win/gdi_backend.h"
#include "skin/controls/panel_look.h"
#include "skin/resources/skin_draw.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/forms.h"

namespace {

// The height of the caption's lines, broken at explicit line breaks only.
int32_t CaptionHeight(TCustomBitmap32& Bitmap, const std::wstring& Text) {
  int32_t height = 0;
  size_t start = 0;
  while (true) {
    const size_t end = Text.find(L'\n', start);
    std::wstring line = Text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    // An empty line is as high as any other.
    height += TextExtentW(Bitmap, line.empty() ? std::wstring(L" ") : line).cy;
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  return height;
}

}  // namespace

// ---- TVelBtnItemOffset ------------------------------------------------------------------------

void TVelBtnItemOffset::SetX(int32_t Value) {
  if (Value == FX) return;
  FX = Value;
  if (FOwner) FOwner->Invalidate();
}

void TVelBtnItemOffset::SetY(int32_t Value) {
  if (Value == FY) return;
  FY = Value;
  if (FOwner) FOwner->Invalidate();
}

void TVelBtnItemOffset::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TVelBtnItemOffset*>(Source)) {
    SetX(src->FX);
    SetY(src->FY);
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TVelSkinCustomButton ---------------------------------------------------------------------

TVelSkinCustomButton::TVelSkinCustomButton(TComponent* AOwner)
    : TVelSkinCustomControl(AOwner),
      FHotFont(std::make_unique<TFont>()),
      FPictures(std::make_unique<TPngPictures>()),
      FDropdownMenuPictures(std::make_unique<TPngPictures>()),
      FImageOffset(std::make_unique<TVelBtnItemOffset>(this)),
      FCaptionOffset(std::make_unique<TVelBtnItemOffset>(this)),
      FDropdownMenuOffset(std::make_unique<TVelBtnItemOffset>(this)),
      FLayers(std::make_unique<TPngPictures>()),
      FLayersOffset(std::make_unique<TVelBtnItemOffset>(this)),
      FWork(std::make_unique<TBitmap32>()) {
  // No csClickEvents: the button decides itself when a release is a click.
  FControlStyle = csCaptureMouse | csSetCaption | csDoubleClicks | csOwnBuffer;
  FTabStop = true;
  SetAutoInvalidate(true);
  FWidth = 75;
  FHeight = 25;
  FDropdownMenuPictures->SetImage(L"VelSkinDropdownMenu");
  FDropdownMenuPictures->SetCount(4);
  FDropdownMenuOffset->SetX(-4);
  FDropdownMenuOffset->SetY(-4);
  const TNotifyEvent pictureChanged = [this](TObject*) {
    FPictureChanged = true;
    Invalidate();
  };
  FPictures->SetPicturesChanged(pictureChanged);
  FLayers->SetPicturesChanged(pictureChanged);
  FDropdownMenuPictures->SetPicturesChanged([this](TObject*) {
    UpdateDropdownMenuRect();
    Invalidate();
  });
  FTimer = std::make_unique<TSimpleTimer>(ButtonAutoRepeatPeriod, [this](TObject*) {
    if (FCycleDownClick && OnCycleDownClick) OnCycleDownClick(this);
  });
  // Fires once: the delay is over, the repeat ticks begin.
  FActiveCycleDown = std::make_unique<TSimpleTimer>(ButtonAutoRepeatDelay, [this](TObject*) { FTimer->SetEnabled(true); });
  FActiveCycleDown->SetAutoDisable(true);
}

TVelSkinCustomButton::~TVelSkinCustomButton() {
  *FAlive = false;
  if (FDropdownMenu) RemoveFreeNotification(FDropdownMenu);
}

void TVelSkinCustomButton::SetCaptionVisible(bool Value) {
  FCaptionVisible = Value;
  Invalidate();
}

void TVelSkinCustomButton::SetGroupIndex(int32_t Value) {
  FGroupIndex = Value;
  Invalidate();
}

void TVelSkinCustomButton::SetLayerMode(bool Value) {
  if (Value == FLayerMode) return;
  FLayerMode = Value;
  Invalidate();
}

void TVelSkinCustomButton::SetShowFocusFrame(bool Value) {
  if (Value == FShowFocusFrame) return;
  FShowFocusFrame = Value;
  Invalidate();
}

void TVelSkinCustomButton::SetDropdownMenu(TPopupMenu* Value) {
  if (Value == FDropdownMenu) return;
  if (FDropdownMenu) RemoveFreeNotification(FDropdownMenu);
  FDropdownMenu = Value;
  if (Value) FreeNotification(Value);
  UpdateDropdownMenuRect();
  Invalidate();
}

void TVelSkinCustomButton::SetDropdownMenuOffset(const TVelBtnItemOffset& Value) {
  FDropdownMenuOffset->SetX(Value.X());
  FDropdownMenuOffset->SetY(Value.Y());
}

void TVelSkinCustomButton::SetLayersOffset(const TVelBtnItemOffset& Value) {
  FLayersOffset->SetX(Value.X());
  FLayersOffset->SetY(Value.Y());
}

void TVelSkinCustomButton::SetDefault(bool Value) {
  FDefault = Value;
  if (!HandleAllocated() || !FCanFocused) return;
  // Every button of the form recomputes Active.
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TVelSkinCustomButton::SetDown(bool Value) {
  if (Value == FState.Down) return;
  FState.Down = Value;
  if (Value) ReleaseGroup();
  Invalidate();
  AccNotify(EVENT_OBJECT_STATECHANGE);
}

void TVelSkinCustomButton::ReleaseGroup() {
  if (!FParent) return;
  FParent->ForEachLiveChild([this](TControl* Child) {
    auto* button = dynamic_cast<TVelSkinCustomButton*>(Child);
    if (button && button != this && button->GroupIndex() == FGroupIndex) button->SetDown(false);
    return false;
  });
}

void TVelSkinCustomButton::Click() {
  FLastClick = GetTickCount64();
  if (FCanFocused)
    if (TCustomForm* form = GetParentForm(this); form && form->Modal()) form->SetModalResult(FModalResult);
  FState.SkipNextClick = false;
  TVelSkinCustomControl::Click();
}

void TVelSkinCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
  TVelSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropdownMenu) {
    FDropdownMenu = nullptr;
    UpdateDropdownMenuRect();
  }
}

void TVelSkinCustomButton::UpdateDropdownMenuRect() {
  // Without a menu there is no part, and the caption gets the whole width back.
  if (!FDropdownMenu) {
    FDropdownMenuRect = TRect{};
    return;
  }
  FDropdownMenuRect = DropdownPartRect(TRect{0, 0, Width(), Height()}, FDropdownMenuPictures->GetSingleWidth(),
                                       ScaleByDPI(this, 2));
}

TButtonConfig TVelSkinCustomButton::Config() const {
  return TButtonConfig{FGroupIndex, FAllowAllUp, FDropdownMenu != nullptr, static_cast<bool>(OnClick)};
}

TButtonLook TVelSkinCustomButton::CurrentLook() {
  return ButtonLookOf(FState.MouseIn, FState.MouseDown, FState.Down, Enabled(), FPictures->Active(), FPressedOffset);
}

void TVelSkinCustomButton::Apply(const TButtonMouseState& Before, const TButtonAction& Action) {
  if (Action.ReleaseGroup) ReleaseGroup();
  if (Action.StopRepeat) {
    FActiveCycleDown->SetEnabled(false);
    FTimer->SetEnabled(false);
  }
  if (Action.StartRepeat) FActiveCycleDown->SetEnabled(true);
  if (!(Before == FState)) Invalidate();
  if (Before.Down != FState.Down || Before.MouseDown != FState.MouseDown) AccNotify(EVENT_OBJECT_STATECHANGE);
}

// ---- Drawing ----------------------------------------------------------------------------------

void TVelSkinCustomButton::DrawControl(TBitmap32* Bitmap) { DrawButton(Bitmap, false); }

void TVelSkinCustomButton::DrawButton(TBitmap32* Bitmap, bool Scaled) {
  const int32_t w = Width(), h = Height();
  if (!Bitmap || w <= 0 || h <= 0) return;
  TBitmap32& work = *FWork;
  {
    TUpdateScope<TBitmap32> update(work);
    if (work.Width() != w || work.Height() != h) work.SetSize(w, h);
    work.SetDrawMode(dmOpaque);
    Bitmap->DrawTo(&work, 0, 0);
    const TRect client{0, 0, w, h};
    const TButtonLook look = CurrentLook();
    TCustomBitmap32 frame;  // memory only: a frame never needs a device context
    const bool haveFrame = CutStateFrame(*FPictures, look.Frame, &frame);
    TRect captionRect = client;
    uint32_t flags = ButtonCaptionFlags;
    if (Scaled) {
      if (haveFrame) DrawAutoStretch(&frame, &work, false);
    } else {
      const TBaseButtonLayout base =
          BaseButtonLayout(client, look.Frame == bfPressed, FPressedOffset, FImageOffset->Point(),
                           FCaptionOffset->Point());
      if (haveFrame) {
        if (FStreach)
          work.Draw(client, TRect{0, 0, frame.Width(), frame.Height()}, &frame);
        else
          frame.DrawTo(&work, base.ImagePos.X, base.ImagePos.Y);
      }
      captionRect = base.CaptionRect;
    }
    if (FLayerMode) DrawLayers(&work);
    DrawDropdownPart(&work);
    if (FCaptionVisible) {
      const std::wstring caption = Caption();
      if (Scaled) {
        TFont& font = look.HotLook ? *FHotFont : Font();
        ::SetFont(work, font);
        const int32_t textHeight = FWordWrap && !caption.empty() ? CaptionHeight(work, caption) : 0;
        const TCaptionLayout layout =
            ButtonCaptionLayout(client, look, FDropdownMenuRect.Width(), FWordWrap, textHeight);
        captionRect = layout.Rect;
        flags = layout.Flags;
      } else {
        captionRect.Right -= FDropdownMenuRect.Width();
      }
      DrawCaption(&work, captionRect, flags, look.HotLook);
    }
    if (Designing()) DrawDesignBorder(work, AllSides);
    DrawExtra(&work);
    if (OnCustomPaint) OnCustomPaint(this, &work);
  }
  work.DrawTo(Bitmap, 0, 0);
}

void TVelSkinCustomButton::DrawCaption(TBitmap32* Work, const TRect& Rect, uint32_t Flags, bool HotLook) {
  const std::wstring caption = Caption();
  if (caption.empty()) return;
  SyncHotFont(Font(), *FHotFont);
  TFont font;
  font.Assign(HotLook ? FHotFont.get() : &Font());
  if (!Enabled()) font.SetColor(static_cast<TColor>(DisabledCaptionColor));
  ::SetFont(*Work, font);
  TextoutW(*Work, Rect, Flags, caption);
}

void TVelSkinCustomButton::DrawDropdownPart(TBitmap32* Bitmap) {
  if (!FDropdownMenu) return;
  TCustomBitmap32 frame;
  const TButtonFrame which = DropdownPartFrame(FState.MouseInDropdownMenuRect, FState.PressedInDropdownMenuRect);
  if (!CutStateFrame(*FDropdownMenuPictures, which, &frame)) return;
  const auto band = CropCentreBand(&frame, DropdownBandHeight(Height(), ScaleByDPI(this, 4)), frame.Width());
  if (!band || band->Empty()) return;
  const TPoint pos = DropdownBandPos(FDropdownMenuRect, Height(), band->Height());
  band->DrawTo(Bitmap, pos.X, pos.Y);
}

void TVelSkinCustomButton::DrawLayers(TBitmap32* Bitmap) {
  const TButtonLook look =
      ButtonLookOf(FState.MouseIn, FState.MouseDown, FState.Down, Enabled(), FLayers->Active(), FPressedOffset);
  TCustomBitmap32 frame;
  if (!CutStateFrame(*FLayers, look.Frame, &frame)) return;
  const TPoint offset{ScaleByDPI(this, FLayersOffset->X()), ScaleByDPI(this, FLayersOffset->Y())};
  const TPoint pos = LayerPos(offset, look, Enabled(), FPressedOffset);
  frame.DrawTo(Bitmap, pos.X, pos.Y);
}

// ---- Window -----------------------------------------------------------------------------------

void TVelSkinCustomButton::CreateWnd() {
  TVelSkinCustomControl::CreateWnd();
  FActive = FDefault;
  UpdateDropdownMenuRect();
}

void TVelSkinCustomButton::ScaleControlsForDpi(int32_t NewPPI) {
  TVelSkinCustomControl::ScaleControlsForDpi(NewPPI);
  UpdateDropdownMenuRect();
}

void TVelSkinCustomButton::WMSize(TWMSize& Message) {
  TVelSkinCustomControl::WMSize(Message);
  UpdateDropdownMenuRect();
}

void TVelSkinCustomButton::CMMouseEnter(TCMMouse& Message) {
  TVelSkinCustomControl::CMMouseEnter(Message);
  if (FIgnoreMouse || Designing() || (Message.Control && Message.Control != this)) return;
  FState.MouseIn = true;
  Invalidate();
}

void TVelSkinCustomButton::CMMouseLeave(TCMMouse& Message) {
  TVelSkinCustomControl::CMMouseLeave(Message);
  if (FIgnoreMouse || Designing() || (Message.Control && Message.Control != this)) return;
  ButtonMouseLeave(FState);
  Invalidate();
}

void TVelSkinCustomButton::WMMouseMove(TWMMouse& Message) {
  TVelSkinCustomControl::WMMouseMove(Message);
  if (!FDropdownMenu || FIgnoreMouse) return;
  const bool inPart = PointInRect(FDropdownMenuRect, Message.Pos);
  if (inPart == FState.MouseInDropdownMenuRect) return;
  FState.MouseInDropdownMenuRect = inPart;
  Invalidate();
}

void TVelSkinCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TVelSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (FIgnoreMouse || Button != mbLeft) return;
  const TButtonMouseState before = FState;
  Apply(before, ButtonMouseDown(FState, Config()));
}

void TVelSkinCustomButton::WMLButtonDown(TWMMouse& Message) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomControl::WMLButtonDown(Message);
  if (!*alive || FIgnoreMouse) return;
  const TButtonMouseState before = FState;
  const TButtonAction action = ButtonLButtonDown(FState, Config(), PointInRect(FDropdownMenuRect, Message.Pos));
  Apply(before, action);
  if (action.ShowMenu) ShowDropdownMenu();
}

void TVelSkinCustomButton::ShowDropdownMenu() {
  if (!FDropdownMenu) return;
  const std::shared_ptr<bool> alive = FAlive;
  // The menu takes the mouse over until it closes.
  if (MouseCapture()) SetMouseCapture(false);
  if (HandleAllocated()) UpdateWindow(Handle());
  TPoint at{Left() + FDropdownMenuOffset->X(), Top() + Height() + FDropdownMenuOffset->Y()};
  if (FParent) at = FParent->ClientToScreen(at);
  FDropdownMenu->SetPopupComponent(this);
  FDropdownMenu->Popup(at.X, at.Y);
  // The menu's handlers may have freed the button.
  if (!*alive) return;
  SetControlState(ControlState() & ~(csLButtonDown | csClicked));
  const TButtonMouseState before = FState;
  Apply(before, ButtonMenuClosed(FState));
}

void TVelSkinCustomButton::WMLButtonUp(TWMMouse& Message) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomControl::WMLButtonUp(Message);
  if (!*alive || FIgnoreMouse) return;
  // The window under the point of the release (the cursor may have moved on
  // since the message was queued).
  const TPoint at = ClientToScreen(Message.Pos);
  const bool over = HandleAllocated() && WindowFromPoint(POINT{at.X, at.Y}) == Handle();
  const TButtonMouseState before = FState;
  const TButtonAction action = ButtonLButtonUp(FState, Config(), over);
  Apply(before, action);
  // The state is settled first: a click handler may free the button.
  if (action.Click) Click();
}

void TVelSkinCustomButton::WndProc(TMessage& Message) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomControl::WndProc(Message);
  if (!*alive || !FCanFocused) return;
  switch (Message.Msg) {
    case WM_KEYDOWN:
      if (Message.WParam == VK_SPACE)
        SetDown(true);
      else if (Message.WParam == VK_RETURN)
        Click();
      break;
    case WM_KEYUP:
      if (Message.WParam == VK_SPACE) {
        SetDown(false);
        Click();
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!FIgnoreMouse && !Designing() && HandleAllocated() && !Focused()) {
        FClicksDisabled = true;
        if (CanFocus()) SetFocus();
        FClicksDisabled = false;
      }
      break;
    default: break;
  }
}

void TVelSkinCustomButton::CMDialogKey(TWMKey& Message) {
  const bool enter = Message.CharCode == VK_RETURN && FActive && Enabled();
  const bool escape = Message.CharCode == VK_ESCAPE && FCancel && !(KeyboardStateToShiftState() & ssShift) && CanFocus();
  if (FCanFocused && (enter || escape)) {
    Message.Result = 1;
    Click();
    return;
  }
  TVelSkinCustomControl::CMDialogKey(Message);
}

void TVelSkinCustomButton::CMDialogChar(TWMKey& Message) {
  if (FCanFocused && IsAccel(Message.CharCode, Caption()) && CanFocus()) {
    Message.Result = 1;
    if (GetTickCount64() - FLastClick > ButtonAccelGuardMs || FCycleDownClick) Click();
    return;
  }
  TVelSkinCustomControl::CMDialogChar(Message);
}

void TVelSkinCustomButton::CMFocusChanged(TCMFocusChanged& Message) {
  if (FCanFocused) {
    auto* button = dynamic_cast<TVelSkinCustomButton*>(Message.Sender);
    FActive = button ? button == this : FDefault;
    if (FDefault && CanFocus()) {
      if (button && button != this && FState.MouseIn) {
        FState.MouseIn = false;
        Invalidate();
      } else if (!button && !FState.MouseIn) {
        Invalidate();
      }
    }
  }
  TVelSkinCustomControl::CMFocusChanged(Message);
}

// ---- TVelSkinButton ---------------------------------------------------------------------------

TVelSkinButton::TVelSkinButton(TComponent* AOwner) : TVelSkinCustomButton(AOwner) {
  FCaptionVisible = true;
  FPictures->Lock();
  FPictures->SetImage(L"VelSkinButton");
  FPictures->SetCount(5);
  FPictures->SetNormal(0);
  FPictures->SetHot(1);
  FPictures->SetPressed(2);
  FPictures->SetDisable(3);
  FPictures->SetActive(true);
  FPictures->UnLock();
  FWidth = 75;
  FHeight = 27;
}

void TVelSkinButton::DrawControl(TBitmap32* Bitmap) { DrawButton(Bitmap, true); }
