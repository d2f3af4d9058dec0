// Actions: a command with a caption, an enabled and a visible state, a hint
// and a checked state, shared by the controls that offer it (toolbar items).
// A client follows the action through an action link: the action pushes each
// change to every link, and the link hands it on to its client. An action
// freed while linked leaves its links empty; a client that also holds the
// action as a reference asks for a free notification, as for any component.
#pragma once

#include "toolkit/core/components.h"

#include <algorithm>
#include <string>
#include <vector>

class TBasicAction;

// A client's link to an action. Freeing the link unlinks it.
class TBasicActionLink : public TObject {
public:
  explicit TBasicActionLink(TObject* AClient) : FClient(AClient) {}
  ~TBasicActionLink() override;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;

  TObject* Client() const { return FClient; }
  TBasicAction* Action() const { return FAction; }
  // Links to Value (or to nothing), leaving the previous action.
  void SetAction(TBasicAction* Value);
  // Runs the action; false without one or when it did nothing.
  virtual bool Execute();
  // Lets the action bring its state up to date (its OnUpdate).
  virtual bool Update();

  // Called after the action changed in any way.
  TNotifyEvent OnChange;

protected:
  friend class TBasicAction;
  virtual void Change();

private:
  TObject* FClient;
  TBasicAction* FAction = nullptr;
};

class TBasicAction : public TComponent {
public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  ~TBasicAction() override;

  // OnExecute when assigned; true when it ran.
  virtual bool Execute();
  // OnUpdate when assigned; true when it ran.
  virtual bool Update();

  int ClientCount() const { return static_cast<int>(FClients.size()); }
  TBasicActionLink* Clients(int Index) const { return FClients.at(static_cast<size_t>(Index)); }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  TNotifyEvent OnChange;

protected:
  friend class TBasicActionLink;
  void RegisterChanges(TBasicActionLink* Link);
  void UnRegisterChanges(TBasicActionLink* Link);
  // Tells every link, then OnChange.
  void Change();
  // Calls Fn(link) for the links registered now, skipping any that a
  // handler unlinked meanwhile.
  template <class F> void ForEachClient(F&& Fn);
  std::string ClassName() const override { return "TBasicAction"; }

private:
  std::vector<TBasicActionLink*> FClients;
};

// The link of a client that shows an action's properties: each setter is
// called with the action's value when the link is made and whenever the
// value changes. The defaults ignore the value.
class TActionLink : public TBasicActionLink {
public:
  using TBasicActionLink::TBasicActionLink;
  virtual void SetCaption(const std::wstring& Value) {}
  virtual void SetEnabled(bool Value) {}
  virtual void SetVisible(bool Value) {}
  virtual void SetHint(const std::wstring& Value) {}
  virtual void SetChecked(bool Value) {}
  // Hands every property of the linked action to the client.
  void Refresh();
};

class TAction : public TBasicAction {
public:
  explicit TAction(TComponent* AOwner) : TBasicAction(AOwner) {}

  const std::wstring& Caption() const { return FCaption; }
  void SetCaption(const std::wstring& Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);

  // Brings the state up to date first; a disabled action does not run.
  bool Execute() override;

protected:
  std::string ClassName() const override { return "TAction"; }

private:
  template <class T, class F> void Store(T& Field, const T& Value, F Tell);
  std::wstring FCaption;
  bool FEnabled = true;
  bool FVisible = true;
  std::wstring FHint;
  bool FChecked = false;
};

template <class F> void TBasicAction::ForEachClient(F&& Fn) {
  const std::vector<TBasicActionLink*> links = FClients;
  for (TBasicActionLink* link : links)
    if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) Fn(link);
}
