#include "toolkit/win/stdctrls.h"

#include "toolkit/win/native_strings.h"

#include <algorithm>

namespace {

// Moves every edge Amount pixels inward.
void Inset(TRect& R, int Amount) {
  R.Left += Amount;
  R.Top += Amount;
  R.Right -= Amount;
  R.Bottom -= Amount;
}

}  // namespace

// ---- TPaintBox ------------------------------------------------------------------------

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 105;
  FHeight = 105;
}

void TPaintBox::Paint() {
  if (OnPaint) OnPaint(this);
}

// ---- TPanel -----------------------------------------------------------------------------

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks;
  FColor = clBtnFace;
  FWidth = 185;
  FHeight = 41;
}

void TPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WinClassName = L"QuorrelPanel";
}

void TPanel::SetBevelOuter(TBevelCut Value) {
  if (Value == FBevelOuter) return;
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int Value) {
  if (Value < 0 || Value == FBevelWidth) return;
  FBevelWidth = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBorderWidth(int Value) {
  if (Value < 0 || Value == FBorderWidth) return;
  FBorderWidth = Value;
  Realign();
  Invalidate();
}

void TPanel::AdjustClientRect(TRect& Rect) {
  Inset(Rect, FBorderWidth + (FBevelOuter != bvNone ? FBevelWidth : 0));
}

void TPanel::Paint() {
  TRect r = ClientRect();
  Canvas().Brush().SetColor(FColor);
  Canvas().FillRect(r);
  if (FBevelOuter == bvNone) return;
  // A bevel of BevelWidth lines: shadow top-left and light bottom-right when lowered.
  const TColor topLeft = FBevelOuter == bvLowered ? clBtnShadow : clBtnHighlight;
  const TColor bottomRight = FBevelOuter == bvLowered ? clBtnHighlight : clBtnShadow;
  for (int i = 0; i < FBevelWidth; ++i) {
    Canvas().Pen().SetColor(topLeft);
    Canvas().MoveTo(r.Left, r.Bottom - 1);
    Canvas().LineTo(r.Left, r.Top);
    Canvas().LineTo(r.Right - 1, r.Top);
    Canvas().Pen().SetColor(bottomRight);
    Canvas().LineTo(r.Right - 1, r.Bottom - 1);
    Canvas().LineTo(r.Left - 1, r.Bottom - 1);
    Inset(r, 1);
  }
}

// ---- TGroupBox -----------------------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  FColor = clBtnFace;
  FWidth = 185;
  FHeight = 105;
}

void TGroupBox::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WinClassName = L"QuorrelGroupBox";
}

void TGroupBox::AdjustClientRect(TRect& Rect) {
  TWindowDC screen(nullptr);
  const int h = TCanvasBinding(Canvas(), screen.Get(), FFont.get()).Canvas().TextHeight(L"0");
  Rect.Left += 2;
  Rect.Top += h + 2;
  Rect.Right -= 2;
  Rect.Bottom -= 2;
}

void TGroupBox::Paint() {
  const TRect r = ClientRect();
  Canvas().Brush().SetColor(FColor);
  Canvas().FillRect(r);
  const std::wstring caption = Text();
  const int h = Canvas().TextHeight(L"0");
  // An etched frame whose top line runs through the middle of the caption.
  const int top = h / 2;
  Canvas().Brush().SetStyle(bsClear);
  Canvas().Pen().SetColor(clBtnShadow);
  Canvas().Rectangle(r.Left, top, r.Right - 1, r.Bottom - 1);
  Canvas().Pen().SetColor(clBtnHighlight);
  Canvas().Rectangle(r.Left + 1, top + 1, r.Right, r.Bottom);
  if (!caption.empty()) {
    Canvas().Brush().SetColor(FColor);
    const SIZE extent = Canvas().TextExtent(caption);
    const TRect textRect{8, 0, 8 + extent.cx + 4, extent.cy};
    Canvas().Font().SetColor(FFont->Color());
    Canvas().TextRect(textRect, 10, 0, caption);
  }
}

// ---- TLabel -------------------------------------------------------------------------------

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle |= csOpaque;
  FWidth = 65;
  FHeight = 17;
}

void TLabel::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  AdjustBounds();
}

// A transparent label lets its parent show through: it is opaque only when it fills its area.
void TLabel::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  if (Value)
    FControlStyle &= ~csOpaque;
  else
    FControlStyle |= csOpaque;
  Invalidate();
}

void TLabel::CMTextChanged(TWMBase& Message) {
  TGraphicControl::CMTextChanged(Message);
  AdjustBounds();
}

void TLabel::CMFontChanged(TWMBase& Message) {
  TGraphicControl::CMFontChanged(Message);
  AdjustBounds();
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || ComponentState().Contains(csLoading)) return;
  TWindowDC screen(nullptr);
  const SIZE extent = TCanvasBinding(Canvas(), screen.Get(), FFont.get()).Canvas().TextExtent(FText.empty() ? std::wstring(L" ") : FText);
  SetBounds(FLeft, FTop, FText.empty() ? FWidth : extent.cx, extent.cy);
}

void TLabel::Paint() {
  const TRect r = ClientRect();
  if (FTransparent) {
    Canvas().Brush().SetStyle(bsClear);
  } else {
    Canvas().Brush().SetColor(FColor);
    Canvas().FillRect(r);
    Canvas().Brush().SetStyle(bsClear);
  }
  Canvas().Font().SetColor(FEnabled ? FFont->Color() : clGrayText);
  Canvas().TextRect(r, 0, 0, FText);
}

// ---- TButton ------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  // The native button produces the click; the toolkit adds no click of its own.
  FControlStyle = csSetCaption | csDoubleClicks | csNativePaint;
  FTabStop = true;
  FWidth = 75;
  FHeight = 25;
}

void TButton::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style &= ~WS_CLIPCHILDREN;
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  Params.WinClassName = L"QuorrelButton";
  Params.BaseClassName = L"BUTTON";
}

void TButton::CNCommand(TWMCommand& Message) {
  if (Message.NotifyCode == BN_CLICKED) Click();
}

// Enter presses the default button, Esc the cancel button.
void TButton::CMDialogKey(TWMKey& Message) {
  if ((Message.CharCode == VK_RETURN && FDefault) || (Message.CharCode == VK_ESCAPE && FCancel)) {
    if (FEnabled && Showing()) {
      Click();
      Message.Result = 1;
    }
    return;
  }
  TWinControl::CMDialogKey(Message);
}

void TButton::Click() {
  if (FModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TWinControl::Click();
}

// ---- TComboBox ----------------------------------------------------------------------------

// The native list's items; clearing them keeps what the edit shows.
class TComboBox::TComboBoxStrings : public TNativeListStrings {
public:
  explicit TComboBoxStrings(TComboBox& Combo) : TNativeListStrings(Combo.FHandle, ComboBoxListMessages), FCombo(Combo) {}
  void Clear() override {
    if (!FCombo.FHandle) return Stored.Clear();
    const std::wstring text = FCombo.GetTextBuf();
    SendMessageW(FCombo.FHandle, CB_RESETCONTENT, 0, 0);
    SetWindowTextW(FCombo.FHandle, text.c_str());
  }

private:
  TComboBox& FCombo;
};

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TComboBoxStrings>(*this)) {
  FControlStyle = csSetCaption | csDoubleClicks | csNativePaint;
  FTabStop = true;
  FColor = clWindow;
  FWidth = 145;
  FHeight = 21;
}

TComboBox::~TComboBox() {
  // The window goes while the item list still exists.
  DestroyHandle();
}

void TComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style &= ~WS_CLIPCHILDREN;
  Params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL | (FStyle == csDropDown ? CBS_DROPDOWN : CBS_DROPDOWNLIST);
  // The window's height includes the dropped-down list.
  Params.Height = FHeight + FDropDownCount * std::max(FHeight - 6, 16) + 2;
  Params.WinClassName = L"QuorrelComboBox";
  Params.BaseClassName = L"COMBOBOX";
}

void TComboBox::CreateWnd() {
  const std::wstring text = FText;
  TWinControl::CreateWnd();
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
  // The edit field's height follows the font; make the control the height it was given.
  if (FStyle == csDropDown || FStyle == csDropDownList) {
    const LRESULT editHeight = SendMessageW(FHandle, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    const int wanted = FHeight - 6;
    if (editHeight != CB_ERR && wanted > 0 && wanted != editHeight)
      SendMessageW(FHandle, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), wanted);
  }
  FItems->MoveStoredToWindow();
  if (FItemIndex >= 0)
    SendMessageW(FHandle, CB_SETCURSEL, FItemIndex, 0);
  else
    SetWindowTextW(FHandle, text.c_str());
  UpdateBounds();
}

void TComboBox::DestroyWnd() {
  if (!FHandle) return;
  FItemIndex = static_cast<int>(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
  TStringList saved;
  FItems->SnapshotWindow(saved);
  TWinControl::DestroyWnd();
  FItems->Stored.Assign(&saved);
}

TStrings& TComboBox::Items() { return *FItems; }

int TComboBox::ItemIndex() {
  if (!FHandle) return FItemIndex;
  return static_cast<int>(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  FItemIndex = Value;
  if (FHandle) {
    SendMessageW(FHandle, CB_SETCURSEL, Value, 0);
  } else {
    FText = Value >= 0 ? FItems->Stored.Strings(Value) : std::wstring();
  }
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  RecreateWnd();
}

bool TComboBox::DroppedDown() { return FHandle && SendMessageW(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0; }

// The text selects the item it names exactly, or none.
void TComboBox::SetTextBuf(const std::wstring& Value) {
  FText = Value;
  if (!FHandle) {
    FItemIndex = FItems->Stored.IndexOf(Value);
    if (FItemIndex >= 0 && FItems->Stored.Strings(FItemIndex) != Value) FItemIndex = -1;
    return;
  }
  const LRESULT found = SendMessageW(FHandle, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(Value.c_str()));
  SendMessageW(FHandle, CB_SETCURSEL, found == CB_ERR ? static_cast<WPARAM>(-1) : found, 0);
  SetWindowTextW(FHandle, Value.c_str());
}

void TComboBox::CNCommand(TWMCommand& Message) {
  switch (Message.NotifyCode) {
    case CBN_SELCHANGE:
      // The edit shows the new item only after this notification: put it there first.
      if (const int i = ItemIndex(); i >= 0) SetWindowTextW(FHandle, FItems->Strings(i).c_str());
      if (OnSelect) OnSelect(this);
      if (OnChange) OnChange(this);
      Perform(CM_TEXTCHANGED);
      break;
    case CBN_EDITCHANGE:
      if (OnChange) OnChange(this);
      Perform(CM_TEXTCHANGED);
      break;
    default:
      break;
  }
}
