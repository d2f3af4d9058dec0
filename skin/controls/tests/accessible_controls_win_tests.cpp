// The skinned controls as an accessibility client reads them: name, role,
// states and value of each family through AccessibleObjectFromWindow, their
// parts as child elements, and the events their changes raise.
#include <gtest/gtest.h>

#include "skin/controls/buttons.h"
#include "skin/controls/combo_box.h"
#include "skin/controls/edit.h"
#include "skin/controls/group_box.h"
#include "skin/controls/labels.h"
#include "skin/controls/list_box.h"
#include "skin/controls/message_box.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/tests/controls_test_support.h"
#include "skin/controls/toolbar.h"
#include "toolkit/win/tests/accessible_test_support.h"

namespace {

class AccessibleControlsWin : public RealInputWin {
protected:
  template <class T> T* Place(int X, int Y, int W, int H) {
    auto* c = new T(Form.get());
    c->SetBounds(X, Y, W, H);
    c->SetParent(Form.get());
    return c;
  }
  TVelSkinButton* AddButton(int X, const std::wstring& Caption) {
    auto* b = Place<TVelSkinButton>(X, 10, 90, 30);
    b->SetCaption(Caption);
    b->SetTabStop(true);
    return b;
  }
};

bool Has(long State, long Flag) { return (State & Flag) == Flag; }

}  // namespace

TEST_F(AccessibleControlsWin, AButtonIsNamedPressedWhileDownAndFocusedByTab) {
  TVelSkinButton* a = AddButton(10, L"&Start");
  TVelSkinButton* b = AddButton(110, L"Stop");
  TAccRef object = AccObjectOf(b->Handle());
  ASSERT_TRUE(object);
  EXPECT_EQ(AccNameOf(AccObjectOf(a->Handle()).get()), L"Start");
  EXPECT_EQ(AccRoleOf(object.get()), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_FALSE(Has(AccStateOf(object.get()), STATE_SYSTEM_PRESSED));

  TWinEventLog log;
  b->SetDown(true);
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_PRESSED));
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_STATECHANGE, b->Handle(), CHILDID_SELF));
  b->SetDown(false);
  EXPECT_FALSE(Has(AccStateOf(object.get()), STATE_SYSTEM_PRESSED));

  a->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return a->Focused(); }));
  log.Clear();
  TapKey(VK_TAB);
  ASSERT_TRUE(PumpUntil([&] { return b->Focused(); }));
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE));
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_FOCUS, b->Handle(), CHILDID_SELF));

  b->SetEnabled(false);
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_UNAVAILABLE));
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_STATECHANGE, b->Handle(), CHILDID_SELF));

  // With a drop-down menu it is a drop-down button that opens a popup.
  auto* menu = new TRecordingMenu(Form.get());
  a->SetDropdownMenu(menu);
  EXPECT_EQ(AccRoleOf(AccObjectOf(a->Handle()).get()), ROLE_SYSTEM_BUTTONDROPDOWN);
  EXPECT_TRUE(Has(AccStateOf(AccObjectOf(a->Handle()).get()), STATE_SYSTEM_HASPOPUP));
}

TEST_F(AccessibleControlsWin, AButtonPressedByTheMouseIsPressedUntilReleased) {
  TVelSkinButton* b = AddButton(10, L"Go");
  TAccRef object = AccObjectOf(b->Handle());
  const TPoint centre = b->ClientToScreen(TPoint{45, 15});
  ASSERT_TRUE(MoveCursor(centre.X, centre.Y));
  SendButtonAt(centre.X, centre.Y, MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return b->IsMouseDown(); }));
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_PRESSED | STATE_SYSTEM_HOTTRACKED));
  SendButtonAt(centre.X, centre.Y, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return !b->IsMouseDown(); }));
  EXPECT_FALSE(Has(AccStateOf(object.get()), STATE_SYSTEM_PRESSED));
}

TEST_F(AccessibleControlsWin, CheckBoxesAloneAndInAGroupBoxAreCheckedAndSaySo) {
  auto* check = Place<TVelSkinCheckBox>(10, 10, 120, 20);
  check->SetCaption(L"&Sound");
  TAccRef object = AccObjectOf(check->Handle());
  EXPECT_EQ(AccNameOf(object.get()), L"Sound");
  EXPECT_EQ(AccRoleOf(object.get()), ROLE_SYSTEM_CHECKBUTTON);
  EXPECT_FALSE(Has(AccStateOf(object.get()), STATE_SYSTEM_CHECKED));
  TWinEventLog log;
  check->SetChecked(true);
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_CHECKED));
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_STATECHANGE, check->Handle(), CHILDID_SELF));
  // Its default action toggles it, after the call has returned.
  EXPECT_EQ(AccDefaultActionOf(object.get()), L"Uncheck");
  ASSERT_EQ(object->accDoDefaultAction(AccChild(CHILDID_SELF)), S_OK);
  EXPECT_TRUE(PumpUntil([&] { return !check->Checked(); }));

  auto* group = Place<TVelSkinGroupBox>(10, 40, 200, 120);
  group->SetCaption(L"Options");
  auto* inner = new TVelSkinCheckBox(Form.get());
  inner->SetBounds(10, 30, 100, 20);
  inner->SetParent(group);
  TAccRef box = AccObjectOf(group->Handle());
  EXPECT_EQ(AccNameOf(box.get()), L"Options");
  EXPECT_EQ(AccRoleOf(box.get()), ROLE_SYSTEM_GROUPING);
  long count = 0;
  box->get_accChildCount(&count);
  EXPECT_EQ(count, 1);  // the inner check box's object; the group's own is hidden
  group->CheckBox().SetVisible(true);
  PaintNow(Form.get());
  box->get_accChildCount(&count);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(AccRoleOf(box.get(), 1), ROLE_SYSTEM_CHECKBUTTON);
  EXPECT_EQ(AccNameOf(box.get(), 1), L"Options");
  EXPECT_TRUE(Has(AccStateOf(box.get(), 1), STATE_SYSTEM_CHECKED));
  group->CheckBox().SetChecked(false);
  EXPECT_FALSE(Has(AccStateOf(box.get(), 1), STATE_SYSTEM_CHECKED));
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_STATECHANGE, group->Handle(), 1));
  // Unchecking the group disabled what is inside it.
  EXPECT_TRUE(Has(AccStateOf(AccObjectOf(inner->Handle()).get()), STATE_SYSTEM_UNAVAILABLE));
  group->SetCaption(L"Sound options");
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_NAMECHANGE, group->Handle(), CHILDID_SELF));
}

TEST_F(AccessibleControlsWin, LabelsArePanelsAreAndAMessageBoxIsADialog) {
  auto* label = Place<TVelSkinLabel>(10, 10, 120, 20);
  label->SetCaption(L"Moves: 25");
  TAccRef text = AccObjectOf(label->Handle());
  EXPECT_EQ(AccNameOf(text.get()), L"Moves: 25");
  EXPECT_EQ(AccRoleOf(text.get()), ROLE_SYSTEM_STATICTEXT);
  EXPECT_TRUE(Has(AccStateOf(text.get()), STATE_SYSTEM_READONLY));
  EXPECT_FALSE(Has(AccStateOf(text.get()), STATE_SYSTEM_FOCUSABLE));

  auto* panel = Place<TVelSkinPanel>(10, 40, 120, 60);
  panel->SetCaption(L"Board");
  TAccRef pane = AccObjectOf(panel->Handle());
  EXPECT_EQ(AccRoleOf(pane.get()), ROLE_SYSTEM_PANE);
  EXPECT_EQ(AccNameOf(pane.get()), L"");
  panel->SetCaptionVisible(true);
  EXPECT_EQ(AccNameOf(pane.get()), L"Board");

  TVelSkinMessageForm box(nullptr, 100, 100);
  box.SetCaption(L"Quorrel");
  box.SetMessageText(L"You won");
  TAccRef dialog = AccObjectOf(box.Handle());
  EXPECT_EQ(AccRoleOf(dialog.get()), ROLE_SYSTEM_DIALOG);
  EXPECT_EQ(AccNameOf(dialog.get()), L"Quorrel");
  EXPECT_EQ(AccStringOf([&](BSTR* s) { return dialog->get_accDescription(AccChild(CHILDID_SELF), s); }),
            L"You won");
}

TEST_F(AccessibleControlsWin, AComboBoxHasItsTextAsValueAndIsExpandedWhileOpen) {
  auto* combo = Place<TVelSkinComboBox>(10, 10, 150, 24);
  for (const wchar_t* s : {L"Small", L"Medium", L"Large"}) combo->Items().Add(s);
  combo->SetItemIndex(1);
  TAccRef object = AccObjectOf(combo->Handle());
  ASSERT_TRUE(object);
  EXPECT_EQ(AccRoleOf(object.get()), ROLE_SYSTEM_COMBOBOX);
  EXPECT_EQ(AccValueOf(object.get()), L"Medium");
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_COLLAPSED));

  TWinEventLog log;
  combo->DropDown();
  ASSERT_TRUE(combo->IsPopupVisible());
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_EXPANDED));
  EXPECT_FALSE(Has(AccStateOf(object.get()), STATE_SYSTEM_COLLAPSED));
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_STATECHANGE, combo->Handle(), CHILDID_SELF));
  // The edit inside has the focus now: the combo box counts as focused.
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_FOCUSED));
  log.Clear();
  combo->CloseUp(false);
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_COLLAPSED));
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_STATECHANGE, combo->Handle(), CHILDID_SELF));

  combo->SetItemIndex(2);
  EXPECT_EQ(AccValueOf(object.get()), L"Large");
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_VALUECHANGE, combo->Handle(), CHILDID_SELF));
  EXPECT_FALSE(log.Has(EVENT_OBJECT_NAMECHANGE, combo->Handle(), CHILDID_SELF));
}

TEST_F(AccessibleControlsWin, AnEditTellsItsTextButNeverAPassword) {
  auto* edit = Place<TVelSkinEdit>(10, 10, 150, 24);
  edit->SetTextHint(L"Player name");
  edit->SetText(L"Ada");
  TAccRef object = AccObjectOf(edit->Handle());
  EXPECT_EQ(AccRoleOf(object.get()), ROLE_SYSTEM_TEXT);
  EXPECT_EQ(AccNameOf(object.get()), L"Player name");
  EXPECT_EQ(AccValueOf(object.get()), L"Ada");
  TWinEventLog log;
  edit->SetText(L"Grace");
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_VALUECHANGE, edit->Handle(), CHILDID_SELF));
  EXPECT_EQ(AccValueOf(object.get()), L"Grace");
  edit->SetReadOnly(true);
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_READONLY));
  edit->SetPasswordChar(L'*');
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_PROTECTED));
  EXPECT_EQ(AccValueOf(object.get()), L"");
}

TEST_F(AccessibleControlsWin, AListBoxsRowsAndAScrollBarsPosition) {
  auto* list = Place<TVelSkinListBox>(10, 10, 150, 100);
  for (const wchar_t* s : {L"Easy", L"Normal", L"Hard"}) list->Items().Add(s);
  list->SetItemIndex(2);
  TAccRef object = AccObjectOf(list->Handle());
  EXPECT_EQ(AccRoleOf(object.get()), ROLE_SYSTEM_LIST);
  EXPECT_EQ(AccValueOf(object.get()), L"Hard");
  EXPECT_EQ(AccNameOf(object.get(), 1), L"Easy");
  EXPECT_EQ(AccRoleOf(object.get(), 3), ROLE_SYSTEM_LISTITEM);
  EXPECT_TRUE(Has(AccStateOf(object.get(), 3), STATE_SYSTEM_SELECTED));
  EXPECT_FALSE(Has(AccStateOf(object.get(), 1), STATE_SYSTEM_SELECTED));
  list->ListBox()->SetFocus();
  EXPECT_TRUE(Has(AccStateOf(object.get()), STATE_SYSTEM_FOCUSED));
  EXPECT_TRUE(Has(AccStateOf(object.get(), 3), STATE_SYSTEM_FOCUSED));
  // A row's place is within the list on the screen. A hit there lands in
  // the inner list's window, whose object names the row.
  long x, y, w, h;
  ASSERT_EQ(object->accLocation(&x, &y, &w, &h, AccChild(2)), S_OK);
  VARIANT hit;
  ASSERT_EQ(object->accHitTest(x + 3, y + 3, &hit), S_OK);
  ASSERT_EQ(hit.vt, VT_DISPATCH);
  TAccRef inner = AsAccessible(hit.pdispVal);
  VariantClear(&hit);
  EXPECT_EQ(inner.get(), AccObjectOf(list->ListBox()->Handle()).get());
  ASSERT_EQ(inner->accHitTest(x + 3, y + 3, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, 2);

  auto* bar = Place<TVelSkinScrollBar>(10, 120, 150, 16);
  bar->SetRange(0, 100, 10, 20);
  TAccRef scroll = AccObjectOf(bar->Handle());
  EXPECT_EQ(AccRoleOf(scroll.get()), ROLE_SYSTEM_SCROLLBAR);
  EXPECT_EQ(AccValueOf(scroll.get()), L"20");
  TWinEventLog log;
  bar->SetPosition(40);
  EXPECT_EQ(AccValueOf(scroll.get()), L"40");
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_VALUECHANGE, bar->Handle(), CHILDID_SELF));
}

TEST_F(AccessibleControlsWin, AToolbarsItemsAreButtonsAndSeparators) {
  auto* bar = Place<TVelSkinToolbar>(10, 10, 300, 60);
  TVelSkinToolbarItem* open = bar->Items().Add();
  open->Text().SetText(L"&Open");
  TVelSkinToolbarItem* gap = bar->Items().Add();
  gap->SetKind(tkSpacer);
  TVelSkinToolbarItem* grid = bar->Items().Add();
  grid->Text().SetText(L"Grid");
  grid->SetGroupIndex(1);
  grid->SetEnabled(false);
  PaintNow(Form.get());
  TAccRef object = AccObjectOf(bar->Handle());
  EXPECT_EQ(AccRoleOf(object.get()), ROLE_SYSTEM_TOOLBAR);
  long count = 0;
  object->get_accChildCount(&count);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(AccNameOf(object.get(), 1), L"Open");
  EXPECT_EQ(AccRoleOf(object.get(), 1), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(AccRoleOf(object.get(), 2), ROLE_SYSTEM_SEPARATOR);
  EXPECT_TRUE(Has(AccStateOf(object.get(), 3), STATE_SYSTEM_UNAVAILABLE));
  TWinEventLog log;
  open->SetDown(true);
  EXPECT_TRUE(Has(AccStateOf(object.get(), 1), STATE_SYSTEM_PRESSED));
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_STATECHANGE, bar->Handle(), 1));
  grid->SetDown(true);
  EXPECT_TRUE(Has(AccStateOf(object.get(), 3), STATE_SYSTEM_CHECKED));

  // Pressing an item through the client clicks it; a disabled one does nothing.
  int clicks = 0;
  open->OnClick = [&](TObject*) { ++clicks; };
  ASSERT_EQ(object->accDoDefaultAction(AccChild(1)), S_OK);
  EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
  EXPECT_EQ(object->accDoDefaultAction(AccChild(2)), DISP_E_MEMBERNOTFOUND);
  // The first item's place holds a hit on it.
  long x, y, w, h;
  ASSERT_EQ(object->accLocation(&x, &y, &w, &h, AccChild(1)), S_OK);
  ASSERT_GT(w, 0);
  VARIANT hit;
  ASSERT_EQ(object->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
  EXPECT_EQ(hit.lVal, 1);
}

TEST_F(AccessibleControlsWin, AControlFreedWhileAClientHoldsItsObjectFailsItsCalls) {
  auto* combo = Place<TVelSkinComboBox>(10, 10, 150, 24);
  combo->Items().Add(L"One");
  TAccRef object = AccObjectOf(combo->Handle());
  TAccRef edit = AccObjectOf(combo->Edit()->Handle());
  ASSERT_TRUE(object && edit);
  delete combo;
  EXPECT_EQ(AccRoleOf(object.get()), -1);
  EXPECT_EQ(AccRoleOf(edit.get()), -1);
  VARIANT v;
  EXPECT_EQ(object->get_accState(AccChild(CHILDID_SELF), &v), RPC_E_DISCONNECTED);
  EXPECT_EQ(edit->get_accValue(AccChild(CHILDID_SELF), nullptr), E_POINTER);
  BSTR value = nullptr;
  EXPECT_EQ(edit->get_accValue(AccChild(CHILDID_SELF), &value), RPC_E_DISCONNECTED);
}
