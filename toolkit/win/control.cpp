// TControl: bounds, visibility, colour, font and text, the mouse and the
// toolkit's change messages shared by windowed and graphic controls.
#include "toolkit/win/controls.h"

#include "toolkit/win/forms.h"
#include "toolkit/win/menus.h"
#include "toolkit/win/screen.h"

#include <algorithm>

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  WindowProc = [this](TMessage& Message) { WndProc(Message); };
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  MouseControlGone(this, true);
  if (FParent) FParent->RemoveControl(this);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message{Msg, WParam, LParam, 0};
  if (WindowProc)
    WindowProc(message);
  else
    WndProc(message);
  return message.Result;
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  const bool resized = AWidth != FWidth || AHeight != FHeight;
  if (FParent && FVisible) Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FParent && FVisible) Invalidate();
  RequestAlign();
  if (resized) Resize();
}

TRect TControl::ClientRect() { return TRect{0, 0, FWidth, FHeight}; }

void TControl::SetClientSize(int AWidth, int AHeight) {
  const TRect client = ClientRect();
  SetBounds(FLeft, FTop, FWidth - client.Right + AWidth, FHeight - client.Bottom + AHeight);
}

TPoint TControl::ClientOrigin() {
  if (!FParent) return TPoint{FLeft, FTop};
  const TPoint parent = FParent->ClientOrigin();
  return TPoint{parent.X + FLeft, parent.Y + FTop};
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
  if (!Value) MouseControlGone(this);
  RequestAlign();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
  AccNotify(EVENT_OBJECT_STATECHANGE);
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor && !FParentColor) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  if (Value && FParent) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  if (Value && FParent) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontChanged() {
  FParentFont = false;
  Perform(CM_FONTCHANGED);
}

std::wstring TControl::Text() { return GetTextBuf(); }

void TControl::SetText(const std::wstring& Value) {
  if (GetTextBuf() == Value) return;
  SetTextBuf(Value);
  Perform(CM_TEXTCHANGED);
  AccNotify(AccTextIsValue() ? EVENT_OBJECT_VALUECHANGE : EVENT_OBJECT_NAMECHANGE);
}

void TControl::SetTextBuf(const std::wstring& Value) { FText = Value; }
std::wstring TControl::GetTextBuf() { return FText; }

bool TControl::MouseCapture() {
  auto* window = dynamic_cast<TWinControl*>(this);
  HWND target = window ? window->FHandle : (FParent ? FParent->FHandle : nullptr);
  return target && GetCapture() == target;
}

void TControl::SetMouseCapture(bool Value) {
  auto* window = dynamic_cast<TWinControl*>(this);
  HWND target = window ? window->Handle() : (FParent ? FParent->Handle() : nullptr);
  if (Value && target)
    SetCapture(target);
  else if (!Value && target && GetCapture() == target)
    ReleaseCapture();
}

void TControl::Invalidate() { Perform(CM_INVALIDATE); }

void TControl::Update() {
  if (auto* window = dynamic_cast<TWinControl*>(this); window && window->HandleAllocated())
    UpdateWindow(window->FHandle);
  else if (FParent)
    FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() { MoveInZOrder(true); }
void TControl::SendToBack() { MoveInZOrder(false); }

// The siblings' list and the window z-order both: the list's end is the top.
void TControl::MoveInZOrder(bool ToFront) {
  if (!FParent) return;
  auto& list = FParent->FControls;
  EraseValue(list, this);
  list.insert(ToFront ? list.end() : list.begin(), this);
  if (auto* window = dynamic_cast<TWinControl*>(this); window && window->HandleAllocated())
    SetWindowPos(window->FHandle, ToFront ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::Changed() { Perform(CM_INVALIDATE); }

bool TControl::ShowHint() const {
  if (FParentShowHint && FParent) return FParent->ShowHint();
  return FShowHint;
}

void TControl::SetShowHint(bool Value) {
  FShowHint = Value;
  FParentShowHint = false;
}

void TControl::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED);
  // The cursor changes at once when the mouse is over the control.
  Screen->RefreshCursor();
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
  FPopupMenu = Value;
  if (Value) FreeNotification(Value);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && FPopupMenu && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::DoMouseDown(const TWMMouse& Message, TMouseButton Button, TShiftState Extra) {
  MouseDown(Button, Message.Shift() | Extra, Message.Pos.X, Message.Pos.Y);
}

void TControl::DoMouseUp(const TWMMouse& Message, TMouseButton Button) {
  MouseUp(Button, Message.Shift(), Message.Pos.X, Message.Pos.Y);
}

// A press captures the mouse; the release over the control is the click. The
// second press of a double click is handled like a first one, so a quick
// double click on a button counts as two clicks. A press first ends the
// focused control's mode (its open drop-down list closes).
void TControl::WMLButtonDown(TWMMouse& Message) {
  if (TCustomForm* form = GetParentForm(this)) form->SendCancelMode(this);
  DefaultHandler(Message.Raw);
  if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
  if (FControlStyle & csClickEvents) FControlState |= csClicked;
  FControlState |= csLButtonDown;
  DoMouseDown(Message, mbLeft, 0);
}

void TControl::WMLButtonDblClk(TWMMouse& Message) {
  if (TCustomForm* form = GetParentForm(this)) form->SendCancelMode(this);
  DefaultHandler(Message.Raw);
  if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
  if (FControlStyle & csClickEvents) FControlState |= csClicked;
  FControlState |= csLButtonDown;
  DblClick();
  DoMouseDown(Message, mbLeft, ssDouble);
}

void TControl::WMLButtonUp(TWMMouse& Message) {
  DefaultHandler(Message.Raw);
  if (FControlStyle & csCaptureMouse) SetMouseCapture(false);
  const bool clicked = (FControlState & csClicked) != 0;
  FControlState &= ~(csClicked | csLButtonDown);
  if (clicked) {
    const TRect r = ClientRect();
    if (Message.Pos.X >= r.Left && Message.Pos.X < r.Right && Message.Pos.Y >= r.Top && Message.Pos.Y < r.Bottom)
      Click();
  }
  DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonDown(TWMMouse& Message) {
  DefaultHandler(Message.Raw);
  DoMouseDown(Message, mbRight, 0);
}

void TControl::WMRButtonUp(TWMMouse& Message) {
  DefaultHandler(Message.Raw);
  DoMouseUp(Message, mbRight);
}

void TControl::WMMouseMove(TWMMouse& Message) {
  DefaultHandler(Message.Raw);
  MouseMove(Message.Shift(), Message.Pos.X, Message.Pos.Y);
}

void TControl::CMVisibleChanged(TCMVisibleChanged& Message) {
  if (FParent) FParent->Invalidate();
  DefaultHandler(Message.Raw);
}

void TControl::CMEnabledChanged(TWMBase& Message) {
  Invalidate();
  DefaultHandler(Message.Raw);
}

void TControl::CMFontChanged(TWMBase& Message) {
  Invalidate();
  DefaultHandler(Message.Raw);
}

void TControl::CMColorChanged(TWMBase& Message) {
  Invalidate();
  DefaultHandler(Message.Raw);
}

void TControl::CMTextChanged(TWMBase& Message) {
  Invalidate();
  DefaultHandler(Message.Raw);
}

void TControl::CMParentFontChanged(TWMBase&) {
  if (FParentFont && FParent) {
    // Copying the parent's font must not switch ParentFont off.
    auto handler = std::move(FFont->OnChange);
    FFont->Assign(&FParent->Font());
    FFont->OnChange = std::move(handler);
    Perform(CM_FONTCHANGED);
  }
}

void TControl::CMParentColorChanged(TWMBase&) {
  if (FParentColor && FParent) {
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED);
  }
}

void TControl::CMInvalidate(TWMBase& Message) { DefaultHandler(Message.Raw); }

// ---- TWindowProcHook -------------------------------------------------------------------

void TWindowProcHook::Hook(TControl& Control, TWndMethod Method) {
  Unhook();
  FSaved = Control.WindowProc;
  Control.WindowProc = std::move(Method);
  FControl = &Control;
}

void TWindowProcHook::Unhook() {
  if (!FControl) return;
  FControl->WindowProc = std::move(FSaved);
  FSaved = nullptr;
  FControl = nullptr;
}
