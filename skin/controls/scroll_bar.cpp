#include "skin/controls/scroll_bar.h"

#include <algorithm>
#include <utility>

#include "skin/resources/skin_draw.h"
#include "skin/resources/skin_res_manager.h"

namespace {

bool IsArrow(int32_t Part) { return Part == sbpEndArrow || Part == sbpStartArrow; }

// A bar shows at most a track, a thumb and two arrows, each in a few looks.
constexpr size_t MaxStretched = 16;

}  // namespace

void TVelSkinScrollBar::DrawStretched(TVelSkinImage* Image, int32_t Length, TBitmap32* Bitmap, int32_t X, int32_t Y) {
  if (!Image || Image->Empty() || Length <= 0) return;
  auto it = std::find_if(FStretched.begin(), FStretched.end(), [&](const TStretched& S) {
    return S.Image == Image && S.Kind == FKind && S.Length == Length;
  });
  if (it == FStretched.end()) {
    const std::unique_ptr<TVelSkinImage> stretched =
        FKind == sbVertical ? StretchVert3(Image, Length) : StretchHorz3(Image, Length, 0);
    if (!stretched || stretched->Empty()) return;
    auto picture = std::make_unique<TCustomBitmap32>();
    picture->Assign(stretched.get());
    picture->SetDrawMode(dmBlend);
    if (FStretched.size() >= MaxStretched) FStretched.erase(FStretched.begin());
    FStretched.push_back({Image, FKind, Length, std::move(picture)});
    it = FStretched.end() - 1;
  }
  it->Picture->DrawTo(Bitmap, X, Y);
}

TVelSkinScrollBar::TVelSkinScrollBar(TComponent* AOwner) : TVelSkinCustomControl(AOwner) {
  FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOwnBuffer;
  FWidth = 200;
  FHeight = 19;
}

TVelSkinScrollBar::~TVelSkinScrollBar() { *FAlive = false; }

// ---- Properties -------------------------------------------------------------------------------

bool TVelSkinScrollBar::Fire(const TNotifyEvent& Event) {
  if (!Event) return true;
  const std::shared_ptr<bool> alive = FAlive;
  Event(this);
  return *alive;
}

bool TVelSkinScrollBar::Changed() {
  Invalidate();
  AccNotify(EVENT_OBJECT_VALUECHANGE);
  return Fire(OnChange);
}

void TVelSkinScrollBar::SetPosition(int32_t Value) {
  if (SetScrollPosition(FRange, Value)) Changed();
}

bool TVelSkinScrollBar::StepPosition(int64_t Delta) {
  if (!SetScrollPosition(FRange, int64_t{FRange.Position} + Delta)) return true;
  return Changed();
}

void TVelSkinScrollBar::SetMin(int32_t Value) {
  SetScrollMin(FRange, Value);
  Invalidate();
}

void TVelSkinScrollBar::SetMax(int32_t Value) {
  SetScrollMax(FRange, Value);
  Invalidate();
}

void TVelSkinScrollBar::SetPageSize(int32_t Value) {
  SetScrollPageSize(FRange, Value);
  Invalidate();
}

void TVelSkinScrollBar::SetSmallChange(int32_t Value) {
  FSmallChange = Value;
  Invalidate();
}

void TVelSkinScrollBar::SetLargeChange(int32_t Value) {
  FLargeChange = Value;
  Invalidate();
}

void TVelSkinScrollBar::SetKind(TScrollBarKind Value) {
  if (Value != FKind) {
    FKind = Value;
    Invalidate();
  }
  const bool across = FKind == sbHorizontal ? Width() < Height() : Height() < Width();
  if (across) SetBounds(Left(), Top(), Height(), Width());
}

void TVelSkinScrollBar::SetRange(int32_t AMin, int32_t AMax, int32_t APageSize, int32_t APosition) {
  if (Designing()) return;
  const TScrollSetRangeResult result = SetScrollRange(FRange, AMin, AMax, APageSize, APosition);
  if (result.Changed && !Changed()) return;
  if (FAutoHide) {
    const bool show = FRange.PageSize != 0;
    if (show != Visible()) {
      SetVisible(show);
      // An aligned bar that appears or goes away: a size change makes the
      // parent lay its children out again once the visibility has settled.
      if (Align() != alNone && FParent) StartTimer(ScrollRealignTimer, ScrollRealignMs);
    }
  }
  Invalidate();
}

void TVelSkinScrollBar::SetAutoHide(bool Value) {
  FAutoHide = Value;
  if (Value) SetVisible(false);
}

void TVelSkinScrollBar::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
  SetOptions(Value ? (FOptions | pboWantArrowKeys) : (FOptions & ~pboWantArrowKeys));
}

void TVelSkinScrollBar::SetImage(TVelResID TScrollBarImages::*Which, const TVelResID& Value) {
  if (!Which || FImages.*Which == Value) return;
  FImages.*Which = Value;
  Invalidate();
}

void TVelSkinScrollBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TVelSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  Invalidate();
}

int32_t TVelSkinScrollBar::GetRealSize() {
  if (FKind == sbHorizontal) {
    TVelSkinImage* image = SkinImageOrNone(FImages.HorzBkg);
    return image ? image->Height() : 0;
  }
  TVelSkinImage* image = SkinImageOrNone(FImages.Bkg);
  return image ? image->Width() : 0;
}

void TVelSkinScrollBar::Resize() {
  TVelSkinCustomControl::Resize();
  const int32_t thickness = GetRealSize();
  if (FKind == sbHorizontal) {
    if (Height() != thickness) SetHeight(thickness);
  } else if (Width() != thickness) {
    SetWidth(thickness);
  }
}

// ---- Layout and painting ----------------------------------------------------------------------

void TVelSkinScrollBar::UpdateLayout() {
  TScrollLayoutInput in;
  in.Kind = FKind;
  in.Width = Width();
  in.Height = Height();
  if (TVelSkinImage* arrow = SkinImageOrNone(FKind == sbVertical ? FImages.ArrowUpNormal : FImages.ArrowLeftNormal)) {
    in.HaveArrow = true;
    in.ArrowWidth = arrow->Width();
    in.ArrowHeight = arrow->Height();
  }
  in.Range = FRange;
  in.MinThumb = ScaleByDPI(this, ScrollMinThumbLength);
  FLayout = ScrollLayout(in, FLayout);
  FOffset1 = FLayout.Offset1;
  FOffset2 = FLayout.Offset2;
  FBOffset = FLayout.BOffset;
  FNewTrackArea = FLayout.Track;
}

bool TVelSkinScrollBar::BarFocused() { return FCanFocused && HandleAllocated() && Focused(); }

void TVelSkinScrollBar::DrawControl(TBitmap32* Bitmap) {
  if (!Bitmap || Width() <= 0 || Height() <= 0) return;
  TVelSkinImage* leftHighlight = SkinImageOrNone(FImages.ArrowLeftHighlight);
  TVelSkinImage* upHighlight = SkinImageOrNone(FImages.ArrowUpHighlight);
  TVelSkinImage* horzBkg = SkinImageOrNone(FImages.HorzBkg);
  TVelSkinImage* bkg = SkinImageOrNone(FImages.Bkg);
  if (!leftHighlight || !upHighlight || !horzBkg || !bkg) return;
  UpdateLayout();
  if (FKind == sbVertical) {
    const int32_t length = Height() - 2 * upHighlight->Height();
    if (length > 0) DrawStretched(bkg, std::max(length, bkg->Height()), Bitmap, 0, upHighlight->Height());
  } else {
    const int32_t length = Width() - 2 * leftHighlight->Width();
    if (length > 0)
      DrawStretched(horzBkg, std::max(length, horzBkg->Width()), Bitmap, leftHighlight->Width(), 0);
  }
  const bool focused = BarFocused();
  for (int32_t part = Enabled() ? sbpThumb : sbpEndArrow; part < ScrollBarPartCount; ++part) {
    const TScrollImageState state =
        ScrollPartState(part, FButtons[part].Down, FButtons[part].Hot, focused, FMouseInClientRect);
    const TVelResID* id = ScrollPartImage(FImages, FKind, part, state);
    if (!id) continue;
    const TRect& r = FLayout.Parts[part];
    DrawStretched(SkinImageOrNone(*id), FKind == sbVertical ? r.Height() : r.Width(), Bitmap, r.Left, r.Top);
  }
}

// ---- Mouse ------------------------------------------------------------------------------------

void TVelSkinScrollBar::StartRepeat(TScrollTimerMode Mode) {
  FTimerMode = Mode;
  StartTimer(ScrollRepeatTimer, ScrollFirstRepeatMs);
}

void TVelSkinScrollBar::StopRepeat() {
  StopTimer(ScrollRepeatTimer);
  FTimerMode = stmNone;
}

void TVelSkinScrollBar::SetActiveButton(int32_t Part) {
  FOldActiveButton = FActiveButton;
  if (Part == FActiveButton) return;
  FActiveButton = Part;
  const int32_t old = FOldActiveButton;
  if (old != sbpNone) {
    FButtons[old].Hot = false;
    // A held arrow pauses while the mouse is off it.
    if (IsArrow(old) && FButtons[old].Down) StopTimer(ScrollRepeatTimer);
  }
  if (Part != sbpNone) {
    FButtons[Part].Hot = true;
    if (IsArrow(Part) && FButtons[Part].Down && FTimerMode != stmNone) StartTimer(ScrollRepeatTimer, ScrollRepeatMs);
  }
  Invalidate();
}

bool TVelSkinScrollBar::TakeFocusOnPress() {
  if (!FCanFocused || Designing() || !HandleAllocated() || Focused()) return true;
  FClicksDisabled = true;
  if (CanFocus()) SetFocus();
  FClicksDisabled = false;
  return Focused();
}

void TVelSkinScrollBar::WMLButtonDown(TWMMouse& Message) {
  if (!TakeFocusOnPress()) return;
  TVelSkinCustomControl::WMLButtonDown(Message);
}

void TVelSkinScrollBar::WMLButtonDblClk(TWMMouse& Message) {
  if (!TakeFocusOnPress()) return;
  TVelSkinCustomControl::WMLButtonDblClk(Message);
}

void TVelSkinScrollBar::WMCommand(TWMCommand& Message) {
  if (FClicksDisabled) return;
  TVelSkinCustomControl::WMCommand(Message);
}

void TVelSkinScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (!*alive || Button != mbLeft) return;
  FMouseD = true;
  UpdateLayout();
  FTimerMode = stmNone;
  FWaitMode = true;
  const TPoint at{X, Y};
  const int32_t part = ScrollPartAt(FLayout, at);
  if (part != sbpNone) {
    FCaptureButton = part;
    FButtons[part].Down = true;
    Invalidate();
    switch (part) {
      case sbpEndArrow:
        if (OnUpButtonClick ? !Fire(OnUpButtonClick) : !StepPosition(FSmallChange)) return;
        StartRepeat(stmStepForward);
        break;
      case sbpStartArrow:
        if (OnDownButtonClick ? !Fire(OnDownButtonClick) : !StepPosition(-int64_t{FSmallChange})) return;
        StartRepeat(stmStepBack);
        break;
      default:
        FOMPos = AlongBar(FKind, at);
        FOldBOffset = FBOffset;
        FDown = true;
        Invalidate();
        break;
    }
    return;
  }
  if (BeforeThumb(FLayout, FKind, AlongBar(FKind, at))) {
    if (!StepPosition(-int64_t{FLargeChange})) return;
    StartRepeat(stmPageBack);
    Fire(OnPageUp);
  } else {
    if (!StepPosition(FLargeChange)) return;
    StartRepeat(stmPageForward);
    Fire(OnPageDown);
  }
}

void TVelSkinScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomControl::MouseMove(Shift, X, Y);
  if (!*alive) return;
  FMX = X;
  FMY = Y;
  int32_t part = ScrollPartAt(FLayout, TPoint{X, Y});
  if (FCaptureButton != sbpNone && part != FCaptureButton) part = sbpNone;
  SetActiveButton(part);
  if (!FDown) return;
  if (!MouseCapture()) {
    CancelPress();
    return;
  }
  const int32_t along = AlongBar(FKind, TPoint{X, Y});
  const int32_t d = FRange.PageSize > 0 ? along - FOMPos : along + FOldBOffset - FOMPos;
  SetPosition(ClampScrollPosition(FRange, ScrollDragPosition(FRange, FLayout, FKind, d, FOldBOffset)));
}

void TVelSkinScrollBar::CancelPress() {
  StopRepeat();
  FMouseD = false;
  FDown = false;
  if (FCaptureButton != sbpNone) FButtons[FCaptureButton].Down = false;
  FCaptureButton = sbpNone;
  Invalidate();
}

void TVelSkinScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (!*alive) return;
  FMouseD = false;
  if (FTimerMode == stmPageBack || FTimerMode == stmPageForward) StopRepeat();
  const int32_t captured = FCaptureButton;
  FCaptureButton = sbpNone;
  if (captured == sbpNone) return;
  FButtons[captured].Down = false;
  if (ScrollPartAt(FLayout, TPoint{X, Y}) != captured) {
    FButtons[captured].Hot = false;
    if (FActiveButton == captured) FActiveButton = sbpNone;
  }
  Invalidate();
  if (captured == sbpThumb)
    FDown = false;
  else
    StopRepeat();
  if (Button == mbLeft && captured == sbpThumb) Fire(OnLastChange);
}

void TVelSkinScrollBar::CMMouseEnter(TCMMouse& Message) {
  TVelSkinCustomControl::CMMouseEnter(Message);
  if (Message.Control && Message.Control != this) return;
  FMouseInClientRect = true;
  Invalidate();
}

void TVelSkinScrollBar::CMMouseLeave(TCMMouse& Message) {
  TVelSkinCustomControl::CMMouseLeave(Message);
  if (Message.Control && Message.Control != this) return;
  FMouseInClientRect = false;
  if (FActiveButton != sbpNone && FCaptureButton == sbpNone && !FDown) {
    FButtons[FActiveButton].Hot = false;
    FActiveButton = sbpNone;
  }
  if (FMouseD && (FTimerMode == stmPageBack || FTimerMode == stmPageForward)) StopRepeat();
  Invalidate();
}

void TVelSkinScrollBar::WMTimer(TWMTimer& Message) {
  TVelSkinCustomControl::WMTimer(Message);
  if (Message.TimerID == ScrollRealignTimer) {
    StopTimer(ScrollRealignTimer);
    const int h = Height();
    SetHeight(h - 1);
    SetHeight(h);
    return;
  }
  if (Message.TimerID != ScrollRepeatTimer) return;
  // The release went elsewhere: the repeat must not run on by itself.
  if (!MouseCapture()) {
    CancelPress();
    return;
  }
  if (FWaitMode) {
    FWaitMode = false;
    StartTimer(ScrollRepeatTimer, ScrollRepeatMs);
    return;
  }
  switch (FTimerMode) {
    case stmStepBack:
      if (OnDownButtonClick)
        Fire(OnDownButtonClick);
      else
        StepPosition(-int64_t{FSmallChange});
      break;
    case stmStepForward:
      if (OnUpButtonClick)
        Fire(OnUpButtonClick);
      else
        StepPosition(FSmallChange);
      break;
    case stmPageBack:
    case stmPageForward: {
      UpdateLayout();
      const int32_t along = AlongBar(FKind, TPoint{FMX, FMY});
      const bool back = FTimerMode == stmPageBack;
      if (back ? !BeforeThumb(FLayout, FKind, along) : !AfterThumb(FLayout, FKind, along)) {
        StopRepeat();
        break;
      }
      if (!StepPosition(back ? -int64_t{FLargeChange} : int64_t{FLargeChange})) return;
      Fire(back ? OnPageUp : OnPageDown);
      break;
    }
    default:
      StopRepeat();
      break;
  }
}

// ---- Keyboard and focus -----------------------------------------------------------------------

void TVelSkinScrollBar::KeyDown(WORD& Key, TShiftState Shift) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomControl::KeyDown(Key, Shift);
  if (!*alive || !FCanFocused) return;
  switch (Key) {
    case VK_LEFT:
    case VK_UP: StepPosition(-int64_t{FSmallChange}); break;
    case VK_RIGHT:
    case VK_DOWN: StepPosition(FSmallChange); break;
    default: break;
  }
}

bool TVelSkinScrollBar::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TVelSkinCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!BarFocused()) return false;
  StepPosition(WheelDelta <= 0 ? int64_t{FSmallChange} : -int64_t{FSmallChange});
  return true;
}

void TVelSkinScrollBar::WMSetFocus(TWMFocus& Message) {
  TVelSkinCustomControl::WMSetFocus(Message);
  if (FCanFocused) Invalidate();
}

void TVelSkinScrollBar::WMKillFocus(TWMFocus& Message) {
  TVelSkinCustomControl::WMKillFocus(Message);
  if (FCanFocused) Invalidate();
}
