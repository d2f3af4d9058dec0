// The toolbar's input: hot tracking and hints, presses and releases of
// items, drop-down parts and scroll buttons, the scroll repeat, the arrow
// keys, and the actions the items follow.
#include "skin/controls/toolbar.h"

#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/application.h"

namespace {

bool Inside(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

// How often items that follow actions ask them for their state.
constexpr uint32_t ActionUpdatePeriod = 250;

}  // namespace

// ---- Pressing and scrolling ---------------------------------------------------------------

void TVelSkinCustomToolbar::PressFocusedItem() {
  if (!Valid(FFocusItemIndex)) return;
  const std::shared_ptr<bool> alive = FAlive;
  const int32_t index = FFocusItemIndex;
  TVelSkinToolbarItem* item = FItems->Items(index);
  {
    TUpdateScope<TVelSkinToolbarItems> update(*FItems);
    item->FDown = true;
    for (int i = 0; i < FItems->Count(); ++i) {
      TVelSkinToolbarItem* other = FItems->Items(i);
      if (other != item && other->FGroupIndex == item->FGroupIndex) other->SetDown(false);
    }
  }
  if (OnItemDown) OnItemDown(item, index);
  if (!*alive) return;
  Invalidate();
  if (OnItemFocusChanged) OnItemFocusChanged(this);
}

bool TVelSkinCustomToolbar::ScrollBackStep() {
  int32_t& offset = FMultiLine ? FDispOffset.Y : FDispOffset.X;
  if (!ToolbarScrollBackStep(offset, FStopScroll, ScaleByDPI(this, FScrollSize))) return false;
  Invalidate();
  return true;
}

bool TVelSkinCustomToolbar::ScrollFrontStep() {
  int32_t& offset = FMultiLine ? FDispOffset.Y : FDispOffset.X;
  // The end moves with the offset, so that steps between two paints stop
  // where they should.
  int32_t& end = FMultiLine ? FDispY : FDispX;
  if (!ToolbarScrollFrontStep(offset, end, FStopScroll, ScaleByDPI(this, FScrollSize), ToolbarViewLength(Metrics())))
    return false;
  Invalidate();
  return true;
}

// A call from the program: the button it names is the hot one now, and
// whether it is blocked is decided for it rather than left from the last
// paint of another button.
void TVelSkinCustomToolbar::ScrollBack() {
  FHotItemIndex = -1;
  FHotOtherBtn = gbBack;
  FStopScroll = (FMultiLine ? FDispOffset.Y : FDispOffset.X) >= 0;
  if (!ScrollBackStep()) Invalidate();
}

void TVelSkinCustomToolbar::ScrollFront() {
  FHotItemIndex = -1;
  FHotOtherBtn = gbFront;
  FStopScroll = (FMultiLine ? FDispY : FDispX) <= ToolbarViewLength(Metrics());
  if (!ScrollFrontStep()) Invalidate();
}

void TVelSkinCustomToolbar::TimerTick() {
  if (!FScrollButtonVisible) return;
  if (FHotOtherBtn == gbBack)
    ScrollBackStep();
  else if (FHotOtherBtn == gbFront)
    ScrollFrontStep();
}

// ---- Mouse --------------------------------------------------------------------------------

bool TVelSkinCustomToolbar::TrackMouse(TPoint P) {
  const int32_t oldHot = FHotItemIndex;
  const TOtherButtonKind oldPart = FHotOtherBtn;
  const std::vector<TToolbarItemInfo> infos = ItemInfos();
  const TOtherButtonKind scroll = ToolbarPartAt(infos, -1, P, FEnabledScroll, FScrollButtonVisible, FScrollRects);
  if (scroll == gbBack || scroll == gbFront) {
    FHotItemIndex = -1;
    FHotOtherBtn = scroll;
  } else {
    FHotItemIndex = ToolbarItemAt(infos, P, true);
    FHotOtherBtn = FHotItemIndex >= 0 ? ToolbarPartAt(infos, FHotItemIndex, P, false, false, FScrollRects) : gbNone;
  }
  return FHotItemIndex != oldHot || FHotOtherBtn != oldPart;
}

void TVelSkinCustomToolbar::WMMouseMove(TWMMouse& Message) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomPanel::WMMouseMove(Message);
  if (!*alive || Designing()) return;
  const int32_t oldHot = FHotItemIndex;
  if (!TrackMouse(Message.Pos)) return;
  Invalidate();
  // Once a hint has shown, each item's own follows at once; before that the
  // hint waits its usual pause and then shows the item under the mouse.
  if (FHotItemIndex != oldHot && FHintShown && ShowHint() && Application) {
    Application->CancelHint();
    Application->ActivateHint(ClientToScreen(Message.Pos));
  }
}

void TVelSkinCustomToolbar::CMMouseEnter(TCMMouse& Message) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomPanel::CMMouseEnter(Message);
  if (!*alive || (Message.Control && Message.Control != this)) return;
  InitiateAction();
}

void TVelSkinCustomToolbar::CMMouseLeave(TCMMouse& Message) {
  TVelSkinCustomPanel::CMMouseLeave(Message);
  if (Message.Control && Message.Control != this) return;
  FHintShown = false;
  if (FHotItemIndex == -1 && FHotOtherBtn == gbNone) return;
  FHotItemIndex = -1;
  FHotOtherBtn = gbNone;
  Invalidate();
}

void TVelSkinCustomToolbar::WMLButtonDown(TWMMouse& Message) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomPanel::WMLButtonDown(Message);
  if (!*alive || Designing()) return;
  InitiateAction();
  if (*alive) Press(Message.Pos);
}

// A second press in quick succession is a press like the first.
void TVelSkinCustomToolbar::WMLButtonDblClk(TWMMouse& Message) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomPanel::WMLButtonDblClk(Message);
  if (!*alive || Designing()) return;
  Press(Message.Pos);
}

void TVelSkinCustomToolbar::Press(TPoint P) {
  // The press is where the mouse is, whether or not a move said so first.
  if (TrackMouse(P)) Invalidate();
  if (FHotOtherBtn == gbBack || FHotOtherBtn == gbFront) {
    FDownOtherBtn = true;
    FTimer->SetEnabled(true);
    Invalidate();
    return;
  }
  const int32_t index = ToolbarItemAt(ItemInfos(), P, false);
  if (index < 0) return;
  FFocusItemIndex = index;
  TVelSkinToolbarItem* item = FItems->Items(index);
  if (!item->FEnabled) return;
  if (item->FDropdownMenu && Inside(item->FMenuButtonRect, P)) {
    FDownOtherBtn = true;
    Invalidate();
    return;
  }
  if (item->FAllowAllUp)
    item->SetDown(!item->FDown);
  else
    PressFocusedItem();
}

void TVelSkinCustomToolbar::WMLButtonUp(TWMMouse& Message) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomPanel::WMLButtonUp(Message);
  if (!*alive || Designing()) return;
  const bool held = FDownOtherBtn;
  FDownOtherBtn = false;
  FTimer->SetEnabled(false);
  if (Valid(FFocusItemIndex) && (!held || FHotOtherBtn == gbMenu)) {
    const int32_t index = FFocusItemIndex;
    TVelSkinToolbarItem* item = FItems->Items(index);
    if (item->FDropdownMenu && item->FEnabled && Inside(item->FMenuButtonRect, Message.Pos)) {
      PopupItemMenu(index);
      return;
    }
    if (item->FGroupIndex == 0 && !item->FAllowAllUp && item->FDown) item->SetDown(false);
    if (FHotItemIndex == index && item->FEnabled && item->FKind == tkButton) {
      item->Click();
      if (!*alive) return;
    }
  }
  Invalidate();
}

void TVelSkinCustomToolbar::PopupItemMenu(int32_t Index) {
  if (!Valid(Index)) return;
  TVelSkinToolbarItem* item = FItems->Items(Index);
  TPopupMenu* menu = item->FDropdownMenu;
  if (!menu) return;
  const std::shared_ptr<bool> alive = FAlive;
  // The menu takes the mouse over until it closes.
  if (MouseCapture()) SetMouseCapture(false);
  if (HandleAllocated()) UpdateWindow(Handle());
  const TPoint at = ClientToScreen(TPoint{item->FRect.Left + ScaleByDPI(this, FDropdownMenuOffset->X()),
                                          item->FRect.Bottom + ScaleByDPI(this, FDropdownMenuOffset->Y())});
  menu->SetPopupComponent(this);
  menu->Popup(at.X, at.Y);
  // The menu's handlers may have freed the toolbar or changed the items.
  if (!*alive) return;
  FDownOtherBtn = false;
  POINT cursor{};
  if (HandleAllocated() && GetCursorPos(&cursor)) {
    POINT client = cursor;
    ::ScreenToClient(Handle(), &client);
    if (WindowFromPoint(cursor) == Handle()) {
      TrackMouse(TPoint{client.x, client.y});
    } else {
      FHotItemIndex = -1;
      FHotOtherBtn = gbNone;
    }
  }
  Invalidate();
}

// ---- Keys and hints -----------------------------------------------------------------------

void TVelSkinCustomToolbar::KeyDown(WORD& Key, TShiftState Shift) {
  const std::shared_ptr<bool> alive = FAlive;
  TVelSkinCustomPanel::KeyDown(Key, Shift);
  if (!*alive || !FAllowArrowKeys || Key == 0) return;
  SetOptions(static_cast<TPaintBoxOptions>(Options() | pboWantArrowKeys));
  InitiateAction();
  if (!*alive) return;
  const WORD back = FMultiLine ? VK_UP : VK_LEFT, forward = FMultiLine ? VK_DOWN : VK_RIGHT;
  if (Key == back || Key == forward) {
    const int32_t next = ToolbarNextFocus(ItemInfos(), FFocusItemIndex, Key == back ? -1 : 1);
    Key = 0;
    if (next != FFocusItemIndex) SetFocusItemIndex(next);
  } else if ((Key == VK_SPACE || Key == VK_RETURN) && Valid(FFocusItemIndex)) {
    TVelSkinToolbarItem* item = FItems->Items(FFocusItemIndex);
    Key = 0;
    if (item->FEnabled && item->FVisible && item->FKind == tkButton) item->Click();
  }
}

void TVelSkinCustomToolbar::CMHintShow(TCMHintShow& Message) {
  TVelSkinCustomPanel::CMHintShow(Message);
  FHintShown = true;
  if (!Message.HintInfo || !Valid(FHotItemIndex)) return;
  const TVelSkinToolbarItem* item = FItems->Items(FHotItemIndex);
  Message.HintInfo->HintStr = item->FHint;
  // The hint belongs to the item: leaving it hides the hint.
  Message.HintInfo->CursorRect = item->FRect;
}

bool TVelSkinCustomToolbar::HasHint() const {
  if (TVelSkinCustomPanel::HasHint()) return true;
  for (int i = 0; i < FItems->Count(); ++i)
    if (!FItems->Items(i)->FHint.empty()) return true;
  return false;
}

// ---- Actions ------------------------------------------------------------------------------

void TVelSkinCustomToolbar::InitiateAction() {
  const std::shared_ptr<bool> alive = FAlive;
  for (int i = 0; *alive && i < FItems->Count(); ++i)
    if (TToolbarItemActionLink* link = FItems->Items(i)->ActionLink()) link->Update();
}

void TVelSkinCustomToolbar::ActionsChanged() {
  bool any = false;
  for (int i = 0; i < FItems->Count() && !any; ++i) any = FItems->Items(i)->Action() != nullptr;
  if (!any) {
    if (FActionTimer) FActionTimer->SetEnabled(false);
    return;
  }
  if (!FActionTimer)
    FActionTimer = std::make_unique<TSimpleTimer>(ActionUpdatePeriod, [this](TObject*) {
      if (Showing()) InitiateAction();
    });
  if (!FActionTimer->Enabled()) FActionTimer->SetEnabled(true);
}
