// What accessibility clients read about the skinned controls: each family's
// name, role, states and value, and the parts that are child elements (the
// group box's check box, the list rows, the toolbar items). The toolkit's
// accessible object reads these; the controls announce their changes where
// they make them.
#include "skin/controls/buttons.h"
#include "skin/controls/combo_box.h"
#include "skin/controls/edit.h"
#include "skin/controls/group_box.h"
#include "skin/controls/labels.h"
#include "skin/controls/list_box.h"
#include "skin/controls/message_box.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/tips.h"
#include "skin/controls/toolbar.h"
#include "toolkit/win/accessible.h"

namespace {

bool Within(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

}  // namespace

// ---- Buttons and check boxes -----------------------------------------------------------------

long TVelSkinCustomButton::AccRole() { return FDropdownMenu ? ROLE_SYSTEM_BUTTONDROPDOWN : ROLE_SYSTEM_PUSHBUTTON; }

long TVelSkinCustomButton::AccState() {
  long state = TVelSkinCustomControl::AccState();
  if (!FCanFocused) state &= ~STATE_SYSTEM_FOCUSABLE;
  if (FState.Down || FState.MouseDown) state |= STATE_SYSTEM_PRESSED;
  if (FState.MouseIn) state |= STATE_SYSTEM_HOTTRACKED;
  if (FDefault) state |= STATE_SYSTEM_DEFAULT;
  if (FDropdownMenu) state |= STATE_SYSTEM_HASPOPUP;
  return state;
}

std::wstring TVelSkinCustomButton::AccDefaultAction() { return L"Press"; }

bool TVelSkinCustomButton::AccDoDefaultAction() {
  if (!FEnabled || !Showing()) return false;
  Click();
  return true;
}

long TVelSkinCheckBox::AccRole() { return ROLE_SYSTEM_CHECKBUTTON; }

long TVelSkinCheckBox::AccState() {
  long state = TVelSkinCustomControl::AccState();
  if (FChecked) state |= STATE_SYSTEM_CHECKED;
  if (FPressed) state |= STATE_SYSTEM_PRESSED;
  if (FMouseInControl) state |= STATE_SYSTEM_HOTTRACKED;
  return state;
}

std::wstring TVelSkinCheckBox::AccDefaultAction() { return FChecked ? L"Uncheck" : L"Check"; }

bool TVelSkinCheckBox::AccDoDefaultAction() {
  if (!FEnabled || !Showing()) return false;
  SetChecked(!FChecked);
  return true;
}

// ---- Group box ---------------------------------------------------------------------------------

std::wstring TVelSkinCustomGroupBox::AccName() { return WithoutMnemonics(FCaption); }

long TVelSkinCustomGroupBox::AccRole() { return ROLE_SYSTEM_GROUPING; }

int TVelSkinCustomGroupBox::AccItemCount() { return FCheckBox->Visible() ? 1 : 0; }

TAccItem TVelSkinCustomGroupBox::AccItem(int) {
  TAccItem item;
  item.Name = AccName();
  item.Role = ROLE_SYSTEM_CHECKBUTTON;
  if (FCheckBox->Checked()) item.State |= STATE_SYSTEM_CHECKED;
  if (FCheckBox->Pressed()) item.State |= STATE_SYSTEM_PRESSED;
  if (FCheckBox->MouseInControl()) item.State |= STATE_SYSTEM_HOTTRACKED;
  if (!FEnabled) item.State |= STATE_SYSTEM_UNAVAILABLE;
  item.DefaultAction = FCheckBox->Checked() ? L"Uncheck" : L"Check";
  item.Bounds = FCheckBox->Rect();
  return item;
}

int TVelSkinCustomGroupBox::AccItemAt(TPoint Pos) {
  return FCheckBox->Visible() && Within(FCheckBox->Rect(), Pos) ? 0 : -1;
}

bool TVelSkinCustomGroupBox::AccItemDoDefaultAction(int) {
  if (!FCheckBox->Visible() || !FEnabled) return false;
  FCheckBox->SetChecked(!FCheckBox->Checked());
  return true;
}

// ---- Panels and labels ---------------------------------------------------------------------------

std::wstring TVelSkinCustomPanel::AccName() {
  return FCaptionVisible ? TVelSkinCustomControl::AccName() : std::wstring();
}

long TVelSkinCustomPanel::AccRole() { return ROLE_SYSTEM_PANE; }

std::wstring TVelSkinCustomLabel::AccName() { return TVelSkinCustomControl::AccName(); }

long TVelSkinCustomLabel::AccRole() { return ROLE_SYSTEM_STATICTEXT; }

// A label takes no focus of its own, whatever its window could.
long TVelSkinCustomLabel::AccState() {
  return (TVelSkinCustomPanel::AccState() & ~(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED)) | STATE_SYSTEM_READONLY;
}

// ---- Scroll bar ------------------------------------------------------------------------------------

long TVelSkinScrollBar::AccRole() { return ROLE_SYSTEM_SCROLLBAR; }

std::wstring TVelSkinScrollBar::AccValue() { return std::to_wstring(Position()); }

// ---- Edit ------------------------------------------------------------------------------------------

// An edit has no caption of its own; its hint text says what goes in.
std::wstring TVelSkinPngEdit::AccName() { return FTextHint; }

long TVelSkinPngEdit::AccRole() { return ROLE_SYSTEM_TEXT; }

long TVelSkinPngEdit::AccState() {
  long state = TVelSkinCustomControl::AccState();
  if (FPasswordChar) state |= STATE_SYSTEM_PROTECTED;
  if (ReadOnly()) state |= STATE_SYSTEM_READONLY;
  return state;
}

std::wstring TVelSkinPngEdit::AccValue() { return FPasswordChar ? std::wstring() : Text(); }

// ---- List box --------------------------------------------------------------------------------------

long TVelSkinCustomListBox::AccRole() { return ROLE_SYSTEM_LIST; }

// Focused while its inner list is.
long TVelSkinCustomListBox::AccState() {
  long state = TVelSkinBorderPanel::AccState();
  if (FListBox->Focused()) state |= STATE_SYSTEM_FOCUSED;
  if (FListBox->TabStop() && FListBox->CanFocus()) state |= STATE_SYSTEM_FOCUSABLE;
  return state;
}

std::wstring TVelSkinCustomListBox::AccValue() { return FListBox->AccValue(); }

int TVelSkinCustomListBox::AccItemCount() { return FListBox->AccItemCount(); }

// The inner list's row, moved into this control's client coordinates.
TAccItem TVelSkinCustomListBox::AccItem(int Index) {
  TAccItem item = FListBox->AccItem(Index);
  const int dx = FListBox->Left(), dy = FListBox->Top();
  item.Bounds = TRect{item.Bounds.Left + dx, item.Bounds.Top + dy, item.Bounds.Right + dx, item.Bounds.Bottom + dy};
  return item;
}

int TVelSkinCustomListBox::AccItemAt(TPoint Pos) {
  return FListBox->AccItemAt(TPoint{Pos.X - FListBox->Left(), Pos.Y - FListBox->Top()});
}

int TVelSkinCustomListBox::AccFocusedItem() { return FListBox->AccFocusedItem(); }

// ---- Combo box ------------------------------------------------------------------------------------

long TVelSkinCustomComboBox::AccRole() { return ROLE_SYSTEM_COMBOBOX; }

// Focused also while its edit is; expanded while its list is open.
long TVelSkinCustomComboBox::AccState() {
  long state = TVelSkinBorderPanel::AccState();
  if (FEdit && FEdit->Focused()) state |= STATE_SYSTEM_FOCUSED;
  if (FEdit && FEdit->TabStop() && FEdit->CanFocus()) state |= STATE_SYSTEM_FOCUSABLE;
  state |= IsPopupVisible() ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
  state |= STATE_SYSTEM_HASPOPUP;
  return state;
}

std::wstring TVelSkinCustomComboBox::AccDefaultAction() { return IsPopupVisible() ? L"Close" : L"Open"; }

bool TVelSkinCustomComboBox::AccDoDefaultAction() {
  if (!FEnabled || !Showing()) return false;
  if (IsPopupVisible())
    CloseUp(false);
  else
    DropDown();
  return true;
}

// ---- Toolbar ---------------------------------------------------------------------------------------

long TVelSkinCustomToolbar::AccRole() { return ROLE_SYSTEM_TOOLBAR; }

int TVelSkinCustomToolbar::AccItemCount() { return FItems->Count(); }

TAccItem TVelSkinCustomToolbar::AccItem(int Index) {
  TVelSkinToolbarItem* source = FItems->Items(Index);
  TAccItem item;
  item.Bounds = source->Rect();
  if (!source->Visible()) item.State |= STATE_SYSTEM_INVISIBLE;
  if (source->Kind() == tkSpacer) {
    item.Role = ROLE_SYSTEM_SEPARATOR;
    return item;
  }
  item.Name = WithoutMnemonics(source->Text().Text());
  item.Description = source->Hint();
  item.Role = source->DropdownMenu() ? ROLE_SYSTEM_BUTTONDROPDOWN : ROLE_SYSTEM_PUSHBUTTON;
  if (source->DropdownMenu()) item.State |= STATE_SYSTEM_HASPOPUP;
  // A button of a group stays down: it is checked rather than pressed.
  if (source->Down()) item.State |= source->GroupIndex() != 0 ? STATE_SYSTEM_CHECKED : STATE_SYSTEM_PRESSED;
  if (!source->Enabled() || !FEnabled) item.State |= STATE_SYSTEM_UNAVAILABLE;
  if (Index == FHotItemIndex) item.State |= STATE_SYSTEM_HOTTRACKED;
  if (Index == FFocusItemIndex && Focused()) item.State |= STATE_SYSTEM_FOCUSED;
  item.DefaultAction = L"Press";
  return item;
}

int TVelSkinCustomToolbar::AccItemAt(TPoint Pos) {
  for (int i = 0; i < FItems->Count(); ++i) {
    TVelSkinToolbarItem* item = FItems->Items(i);
    if (item->Visible() && Within(item->Rect(), Pos)) return i;
  }
  return -1;
}

int TVelSkinCustomToolbar::AccFocusedItem() { return FFocusItemIndex; }

bool TVelSkinCustomToolbar::AccItemDoDefaultAction(int Index) {
  if (Index < 0 || Index >= FItems->Count()) return false;
  TVelSkinToolbarItem* item = FItems->Items(Index);
  if (item->Kind() == tkSpacer || !item->Enabled() || !item->Visible() || !FEnabled) return false;
  item->Click();
  return true;
}

// ---- Tips and message boxes ---------------------------------------------------------------------

std::wstring TVelSkinTipsWindow::AccName() { return FTitle.empty() ? FTips : FTitle + L": " + FTips; }

long TVelSkinTipsWindow::AccRole() { return ROLE_SYSTEM_TOOLTIP; }

long TVelSkinMessageForm::AccRole() { return ROLE_SYSTEM_DIALOG; }
