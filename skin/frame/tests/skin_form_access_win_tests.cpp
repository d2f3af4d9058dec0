// The title-bar controls of a skinned form as an accessibility client reads
// them: child elements of the form's object, named by kind or caption, placed
// over the title bar, and pressed through the client.
#include <gtest/gtest.h>

#include "skin/frame/tests/skinned_form_test_support.h"
#include "toolkit/win/tests/accessible_test_support.h"

namespace {

// The child id of the part named Name, or 0.
long PartNamed(IAccessible* Form, const std::wstring& Name) {
  long count = 0;
  Form->get_accChildCount(&count);
  for (long id = 1; id <= count; ++id)
    if (AccNameOf(Form, id) == Name) return id;
  return 0;
}

}  // namespace

TEST(SkinFormAccessWin, TitleBarButtonsAndLabelAreChildElementsOfTheForm) {
  TSkinnedForm form(true);
  form.Show();
  ASSERT_TRUE(PumpUntil([&] { return form.Skin->NCCtrlList().Count() == 3; }));
  PumpFor(30);
  TAccRef object = AccObjectOf(form.Handle());
  ASSERT_TRUE(object);
  const long close = PartNamed(object.get(), L"Close");
  const long minimize = PartNamed(object.get(), L"Minimize");
  const long title = PartNamed(object.get(), L"Quorrel");
  ASSERT_GT(close, 0);
  ASSERT_GT(minimize, 0);
  ASSERT_GT(title, 0);
  EXPECT_EQ(AccRoleOf(object.get(), close), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(AccRoleOf(object.get(), title), ROLE_SYSTEM_STATICTEXT);
  EXPECT_FALSE(AccStateOf(object.get(), close) & (STATE_SYSTEM_PRESSED | STATE_SYSTEM_UNAVAILABLE));

  // The close button lies in the window above the client area, and a hit there finds it.
  long x, y, w, h;
  ASSERT_EQ(object->accLocation(&x, &y, &w, &h, AccChild(close)), S_OK);
  RECT window;
  GetWindowRect(form.Handle(), &window);
  const TPoint client = form.ClientToScreen(TPoint{0, 0});
  EXPECT_GT(w, 0);
  // Its middle is within the window's title band (the face may reach a pixel past the edge).
  EXPECT_GT(y + h / 2, window.top);
  EXPECT_LT(y + h / 2, client.Y);
  VARIANT hit;
  ASSERT_EQ(object->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, close);

  // Pressing Minimize through the client minimizes the window.
  EXPECT_EQ(AccDefaultActionOf(object.get(), minimize), L"Press");
  ASSERT_EQ(object->accDoDefaultAction(AccChild(minimize)), S_OK);
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(form.Handle()) != FALSE; }));
  ShowWindow(form.Handle(), SW_RESTORE);
  PumpFor(30);
  // A disabled button has no action to take.
  form.Close->SetEnabled(false);
  EXPECT_TRUE(AccStateOf(object.get(), close) & STATE_SYSTEM_UNAVAILABLE);
}

TEST(SkinFormAccessWin, TheFormForgetsItsPartsWhenTheSkinGoes) {
  TSkinnedForm form(true);
  form.Show();
  ASSERT_TRUE(PumpUntil([&] { return form.Skin->NCCtrlList().Count() == 3; }));
  TAccRef object = AccObjectOf(form.Handle());
  long before = 0, after = 0;
  object->get_accChildCount(&before);
  delete form.Skin;
  object->get_accChildCount(&after);
  EXPECT_EQ(after, before - 3);
  EXPECT_EQ(PartNamed(object.get(), L"Close"), 0);
}
