// Actions and their links: property changes reach every linked client, a
// disabled action does not run, and links survive either side being freed
// first.
#include "toolkit/win/actions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Records what the action handed on.
class TRecordingLink : public TActionLink {
public:
  using TActionLink::TActionLink;
  void SetCaption(const std::wstring& Value) override { Caption = Value, ++Calls; }
  void SetEnabled(bool Value) override { Enabled = Value, ++Calls; }
  void SetVisible(bool Value) override { Visible = Value, ++Calls; }
  void SetHint(const std::wstring& Value) override { Hint = Value, ++Calls; }
  void SetChecked(bool Value) override { Checked = Value, ++Calls; }
  std::wstring Caption, Hint;
  bool Enabled = false, Visible = false, Checked = true;
  int Calls = 0;
};

TEST(ToolkitActions, ChangesReachEveryLinkOnceAndOnlyWhenTheyChange) {
  TAction action(nullptr);
  action.SetCaption(L"Open");
  action.SetHint(L"Opens a file");
  TRecordingLink a(nullptr), b(nullptr);
  a.SetAction(&action);
  b.SetAction(&action);
  a.Refresh();
  EXPECT_EQ(a.Caption, L"Open");
  EXPECT_EQ(a.Hint, L"Opens a file");
  EXPECT_TRUE(a.Enabled);
  EXPECT_TRUE(a.Visible);
  EXPECT_FALSE(a.Checked);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  const int before = b.Calls;
  action.SetEnabled(false);
  action.SetEnabled(false);
  action.SetCaption(L"Open…");
  EXPECT_FALSE(b.Enabled);
  EXPECT_EQ(b.Caption, L"Open…");
  EXPECT_EQ(b.Calls, before + 2);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(action.ClientCount(), 2);
  b.SetAction(nullptr);
  EXPECT_EQ(action.ClientCount(), 1);
}

TEST(ToolkitActions, ExecuteUpdatesFirstAndADisabledActionDoesNotRun) {
  TAction action(nullptr);
  int runs = 0, updates = 0;
  bool allow = true;
  action.OnExecute = [&](TObject*) { ++runs; };
  action.OnUpdate = [&](TObject* Sender) {
    ++updates;
    static_cast<TAction*>(Sender)->SetEnabled(allow);
  };
  TRecordingLink link(nullptr);
  EXPECT_FALSE(link.Execute());  // no action
  link.SetAction(&action);
  EXPECT_TRUE(link.Execute());
  allow = false;
  EXPECT_FALSE(link.Execute());
  EXPECT_FALSE(link.Enabled);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(updates, 2);
  EXPECT_TRUE(link.Update());
  TBasicAction plain(nullptr);
  EXPECT_FALSE(plain.Execute());  // nothing to run
}

TEST(ToolkitActions, EitherSideMayGoFirst) {
  auto action = std::make_unique<TAction>(nullptr);
  auto link = std::make_unique<TRecordingLink>(nullptr);
  link->SetAction(action.get());
  action.reset();
  EXPECT_EQ(link->Action(), nullptr);
  EXPECT_FALSE(link->Execute());
  action = std::make_unique<TAction>(nullptr);
  link->SetAction(action.get());
  link.reset();
  EXPECT_EQ(action->ClientCount(), 0);
  action->SetCaption(L"still fine");
  // A link that unlinks another while it is told of a change.
  TRecordingLink first(nullptr), second(nullptr);
  first.SetAction(action.get());
  second.SetAction(action.get());
  int secondChanges = 0;
  first.OnChange = [&](TObject*) { second.SetAction(nullptr); };
  second.OnChange = [&](TObject*) { ++secondChanges; };
  action->SetVisible(false);
  EXPECT_EQ(secondChanges, 0);
  EXPECT_EQ(action->ClientCount(), 1);
}

}  // namespace
