// The accessible objects of toolkit windows as a client sees them: through
// AccessibleObjectFromWindow, without the test initialising COM itself, with
// the change events heard by an out-of-context event hook.
#include "toolkit/win/accessible.h"
#include "toolkit/win/com_ptr.h"
#include "toolkit/win/listbox.h"
#include "toolkit/win/tests/accessible_test_support.h"
#include "toolkit/win/tests/pointer_test_support.h"

namespace {

// A paint box that describes itself, as a board or a picture would.
class TDescribedBox : public TPaintBox {
public:
  using TPaintBox::TPaintBox;
  std::wstring AccName() override { return L"Board"; }
  std::wstring AccValue() override { return L"3 moves"; }
  long AccRole() override { return ROLE_SYSTEM_DIAGRAM; }
};

class AccessibleWin : public ToolkitWin {
protected:
  void SetUp() override {
    ToolkitWin::SetUp();
    Form->SetBounds(120, 120, 320, 240);
    Form->Show();
    SetForegroundWindow(Form->Handle());
    PumpFor(20);
  }
  TButton* AddButton(const std::wstring& Caption, int Left) {
    auto* b = new TButton(Form.get());
    b->SetBounds(Left, 10, 80, 25);
    b->SetCaption(Caption);
    b->SetTabStop(true);
    b->SetParent(Form.get());
    return b;
  }
};

}  // namespace

TEST_F(AccessibleWin, AButtonTellsItsNameRoleShortcutAndStates) {
  TButton* ok = AddButton(L"&OK", 10);
  TButton* both = AddButton(L"Salt && &Pepper", 100);
  TAccRef object = AccObjectOf(ok->Handle());
  ASSERT_TRUE(object);
  EXPECT_EQ(AccNameOf(object.get()), L"OK");
  EXPECT_EQ(AccRoleOf(object.get()), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(AccShortcutOf(object.get()), L"Alt+O");
  EXPECT_EQ(AccNameOf(AccObjectOf(both->Handle()).get()), L"Salt & Pepper");
  EXPECT_EQ(AccShortcutOf(AccObjectOf(both->Handle()).get()), L"Alt+P");

  both->SetFocus();
  EXPECT_EQ(AccStateOf(object.get()) & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE), STATE_SYSTEM_FOCUSABLE);
  ok->SetFocus();
  EXPECT_TRUE(AccStateOf(object.get()) & STATE_SYSTEM_FOCUSED);
  ok->SetEnabled(false);
  EXPECT_TRUE(AccStateOf(object.get()) & STATE_SYSTEM_UNAVAILABLE);
  ok->Hide();
  EXPECT_TRUE(AccStateOf(object.get()) & STATE_SYSTEM_INVISIBLE);
  // The object is the control's own, the same on every request.
  EXPECT_EQ(AccObjectOf(ok->Handle()).get(), object.get());
}

TEST_F(AccessibleWin, TheObjectIdIsReadAsASignExtendedLongAndOtherIdsGetTheSystemsObjects) {
  TButton* ok = AddButton(L"OK", 10);
  const HWND w = ok->Handle();
  // Zero-extended or sign-extended, OBJID_CLIENT is the client object.
  for (LPARAM id : {static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT)), static_cast<LPARAM>(OBJID_CLIENT)}) {
    const LRESULT r = SendMessageW(w, WM_GETOBJECT, 0, id);
    ASSERT_GT(r, 0);
    TComPtr<IAccessible> object;
    ASSERT_EQ(ObjectFromLresult(r, __uuidof(IAccessible), 0, object.PutVoid()), S_OK);
    EXPECT_EQ(AccRoleOf(object.Get()), ROLE_SYSTEM_PUSHBUTTON);
  }
  EXPECT_EQ(SendMessageW(w, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_WINDOW)), 0);
  TComPtr<IAccessible> window;
  ASSERT_EQ(AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IAccessible), window.PutVoid()), S_OK);
  EXPECT_NE(window.Get(), AccObjectOf(w).get());
}

TEST_F(AccessibleWin, GraphicChildrenAreChildElementsAndWindowedChildrenObjects) {
  auto* label = new TLabel(Form.get());
  label->SetBounds(10, 50, 100, 20);
  label->SetCaption(L"&Name:");
  label->SetParent(Form.get());
  auto* board = new TDescribedBox(Form.get());
  board->SetBounds(10, 80, 120, 100);
  board->SetParent(Form.get());
  TButton* ok = AddButton(L"OK", 200);

  TAccRef form = AccObjectOf(Form->Handle());
  ASSERT_TRUE(form);
  EXPECT_EQ(AccRoleOf(form.get()), ROLE_SYSTEM_CLIENT);
  long count = 0;
  ASSERT_EQ(form->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(AccChildId(*label), 1);
  EXPECT_EQ(AccChildId(*board), 2);

  EXPECT_EQ(AccNameOf(form.get(), 1), L"Name:");
  EXPECT_EQ(AccRoleOf(form.get(), 1), ROLE_SYSTEM_STATICTEXT);
  EXPECT_TRUE(AccStateOf(form.get(), 1) & STATE_SYSTEM_READONLY);
  EXPECT_EQ(AccNameOf(form.get(), 2), L"Board");
  EXPECT_EQ(AccValueOf(form.get(), 2), L"3 moves");
  EXPECT_EQ(AccRoleOf(form.get(), 2), ROLE_SYSTEM_DIAGRAM);
  TComPtr<IDispatch> none;
  EXPECT_EQ(form->get_accChild(AccChild(2), none.Put()), S_FALSE);
  EXPECT_FALSE(none);
  EXPECT_EQ(form->get_accChild(AccChild(4), none.Put()), E_INVALIDARG);
  EXPECT_EQ(AccRoleOf(form.get(), 99), -1);

  // The board's place on the screen, and a hit on it.
  long x, y, w, h;
  ASSERT_EQ(form->accLocation(&x, &y, &w, &h, AccChild(2)), S_OK);
  const TPoint origin = Form->ClientToScreen(TPoint{10, 80});
  EXPECT_EQ(x, origin.X);
  EXPECT_EQ(y, origin.Y);
  EXPECT_EQ(w, 120);
  EXPECT_EQ(h, 100);
  VARIANT hit;
  ASSERT_EQ(form->accHitTest(origin.X + 5, origin.Y + 5, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, 2);

  // The button is an object of its own, whose parent is the form's object.
  TAccRef button = AccChildObject(form.get(), 3);
  ASSERT_TRUE(button);
  EXPECT_EQ(button.get(), AccObjectOf(ok->Handle()).get());
  TComPtr<IDispatch> parent;
  ASSERT_EQ(button->get_accParent(parent.Put()), S_OK);
  EXPECT_EQ(AsAccessible(parent.Get()).get(), form.get());
  // Navigation: first child, next sibling, and from the button back to the board.
  VARIANT to;
  ASSERT_EQ(form->accNavigate(NAVDIR_FIRSTCHILD, AccChild(CHILDID_SELF), &to), S_OK);
  EXPECT_EQ(to.lVal, 1);
  ASSERT_EQ(form->accNavigate(NAVDIR_NEXT, AccChild(2), &to), S_OK);
  ASSERT_EQ(to.vt, VT_DISPATCH);
  EXPECT_EQ(AsAccessible(to.pdispVal).get(), button.get());
  VariantClear(&to);
  ASSERT_EQ(button->accNavigate(NAVDIR_PREVIOUS, AccChild(CHILDID_SELF), &to), S_OK);
  EXPECT_EQ(to.vt, VT_I4);
  EXPECT_EQ(to.lVal, 2);
  EXPECT_EQ(form->accNavigate(NAVDIR_NEXT, AccChild(3), &to), S_FALSE);

  // The form is top-level: its parent is the system's object of its window.
  ASSERT_EQ(form->get_accParent(parent.Put()), S_OK);
  ASSERT_TRUE(parent);
  EXPECT_NE(AsAccessible(parent.Get()).get(), form.get());

  // Focus: on the button, the form's object names the button's.
  ok->SetFocus();
  VARIANT focus;
  ASSERT_EQ(form->get_accFocus(&focus), S_OK);
  ASSERT_EQ(focus.vt, VT_DISPATCH);
  EXPECT_EQ(AsAccessible(focus.pdispVal).get(), button.get());
  VariantClear(&focus);
}

TEST_F(AccessibleWin, TheDefaultActionRunsFromTheQueueAfterTheCallReturns) {
  TButton* ok = AddButton(L"OK", 10);
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  TAccRef object = AccObjectOf(ok->Handle());
  EXPECT_EQ(AccDefaultActionOf(object.get()), L"Press");
  ASSERT_EQ(object->accDoDefaultAction(AccChild(CHILDID_SELF)), S_OK);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
  // A disabled button does nothing.
  ok->SetEnabled(false);
  ASSERT_EQ(object->accDoDefaultAction(AccChild(CHILDID_SELF)), S_OK);
  PumpFor(20);
  EXPECT_EQ(clicks, 1);
  // A control without an action says so.
  auto* label = new TLabel(Form.get());
  label->SetParent(Form.get());
  EXPECT_EQ(AccObjectOf(Form->Handle())->accDoDefaultAction(AccChild(AccChildId(*label))), DISP_E_MEMBERNOTFOUND);
}

TEST_F(AccessibleWin, AnObjectHeldPastItsControlFailsCleanly) {
  const int before = LiveAccessibleObjects();
  TButton* ok = AddButton(L"OK", 10);
  TAccRef object = AccObjectOf(ok->Handle());
  ASSERT_TRUE(object);
  EXPECT_EQ(LiveAccessibleObjects(), before + 1);
  delete ok;
  BSTR name = nullptr;
  EXPECT_EQ(object->get_accName(AccChild(CHILDID_SELF), &name), RPC_E_DISCONNECTED);
  EXPECT_EQ(name, nullptr);
  VARIANT v;
  EXPECT_EQ(object->get_accRole(AccChild(CHILDID_SELF), &v), RPC_E_DISCONNECTED);
  EXPECT_EQ(object->get_accState(AccChild(CHILDID_SELF), &v), RPC_E_DISCONNECTED);
  long count = -1;
  EXPECT_EQ(object->get_accChildCount(&count), RPC_E_DISCONNECTED);
  TComPtr<IDispatch> parent;
  EXPECT_EQ(object->get_accParent(parent.Put()), RPC_E_DISCONNECTED);
  long x, y, w, h;
  EXPECT_EQ(object->accLocation(&x, &y, &w, &h, AccChild(CHILDID_SELF)), RPC_E_DISCONNECTED);
  EXPECT_EQ(object->accDoDefaultAction(AccChild(CHILDID_SELF)), RPC_E_DISCONNECTED);
  object.reset();
  Form.reset();
  EXPECT_EQ(LiveAccessibleObjects(), before);
}

TEST_F(AccessibleWin, AListsRowsAreItemsWithSelectionAndFocus) {
  auto* list = new TListBox(Form.get());
  list->SetBounds(10, 10, 150, 100);
  list->SetParent(Form.get());
  for (const wchar_t* s : {L"Red", L"Green", L"Blue"}) list->Items().Add(s);
  list->SetItemIndex(1);
  list->SetFocus();
  TAccRef object = AccObjectOf(list->Handle());
  ASSERT_TRUE(object);
  EXPECT_EQ(AccRoleOf(object.get()), ROLE_SYSTEM_LIST);
  EXPECT_EQ(AccValueOf(object.get()), L"Green");
  long count = 0;
  object->get_accChildCount(&count);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(AccNameOf(object.get(), 3), L"Blue");
  EXPECT_EQ(AccRoleOf(object.get(), 2), ROLE_SYSTEM_LISTITEM);
  EXPECT_EQ(AccStateOf(object.get(), 2) & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED),
            STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED);
  EXPECT_FALSE(AccStateOf(object.get(), 1) & STATE_SYSTEM_SELECTED);
  VARIANT v;
  ASSERT_EQ(object->get_accFocus(&v), S_OK);
  EXPECT_EQ(v.lVal, 2);
  ASSERT_EQ(object->get_accSelection(&v), S_OK);
  EXPECT_EQ(v.lVal, 2);
  long x, y, w, h;
  ASSERT_EQ(object->accLocation(&x, &y, &w, &h, AccChild(3)), S_OK);
  ASSERT_EQ(object->accHitTest(x + 2, y + 2, &v), S_OK);
  EXPECT_EQ(v.lVal, 3);
}

TEST_F(AccessibleWin, FocusNameStateAndSelectionChangesAreAnnounced) {
  TButton* a = AddButton(L"A", 10);
  TButton* b = AddButton(L"B", 100);
  a->SetFocus();
  TWinEventLog log;
  b->SetFocus();
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_FOCUS, b->Handle(), CHILDID_SELF));
  b->SetCaption(L"Bee");
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_NAMECHANGE, b->Handle(), CHILDID_SELF));
  a->SetEnabled(false);
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_STATECHANGE, a->Handle(), CHILDID_SELF));
  // A graphic control speaks through its parent's window as a child element.
  auto* label = new TLabel(Form.get());
  label->SetParent(Form.get());
  label->SetCaption(L"Score");
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_NAMECHANGE, Form->Handle(), AccChildId(*label)));

  auto* list = new TListBox(Form.get());
  list->SetParent(Form.get());
  list->Items().Add(L"One");
  list->Items().Add(L"Two");
  list->SetFocus();
  list->SetItemIndex(1);
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_SELECTION, list->Handle(), 2));
  EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_FOCUS, list->Handle(), 2));
}

// ---- Another process ---------------------------------------------------------------------

// Exit code of a child that read the parent's object as expected: a skipped
// or crashed child cannot give it by chance.
constexpr int ChildReadIt = 77;

// The child half: reads the object of the window named in the environment
// and exits with what it found.
TEST(AccessibleChild, ReadsTheParentsWindow) {
  char text[32] = {};
  if (!GetEnvironmentVariableA("QUORREL_ACC_CHILD", text, sizeof text)) GTEST_SKIP() << "run by the cross-process test";
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const HWND w = reinterpret_cast<HWND>(static_cast<intptr_t>(std::strtoll(text, nullptr, 16)));
  int code = ChildReadIt;
  {
    TComPtr<IAccessible> object;
    if (AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), object.PutVoid()) != S_OK)
      code = 10;
    else if (AccNameOf(object.Get()) != L"Remote")
      code = 11;
    else if (AccRoleOf(object.Get()) != ROLE_SYSTEM_PUSHBUTTON)
      code = 12;
    else if (!(AccStateOf(object.Get()) & STATE_SYSTEM_FOCUSED))
      code = 13;
  }
  CoUninitialize();
  std::_Exit(code);
}

TEST_F(AccessibleWin, AClientInAnotherProcessReadsTheObject) {
  TButton* remote = AddButton(L"Remote", 10);
  remote->SetFocus();
  char text[32];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(remote->Handle())));
  const DWORD code = RunSelfAsChild("AccessibleChild.ReadsTheParentsWindow", "QUORREL_ACC_CHILD", text);
  EXPECT_EQ(code, static_cast<DWORD>(ChildReadIt));
}
