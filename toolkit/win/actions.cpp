#include "toolkit/win/actions.h"

// ---- TBasicActionLink ---------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute() { return FAction && FAction->Execute(); }

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(this);
}

// ---- TBasicAction -------------------------------------------------------------------------

TBasicAction::~TBasicAction() {
  for (TBasicActionLink* link : FClients) link->FAction = nullptr;
  FClients.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Link) {
  if (!Link || Link->FAction == this) return;
  FClients.push_back(Link);
  Link->FAction = this;
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Link) {
  auto it = std::find(FClients.begin(), FClients.end(), Link);
  if (it == FClients.end()) return;
  FClients.erase(it);
  Link->FAction = nullptr;
}

void TBasicAction::Change() {
  ForEachClient([](TBasicActionLink* Link) { Link->Change(); });
  if (OnChange) OnChange(this);
}

// ---- TActionLink --------------------------------------------------------------------------

void TActionLink::Refresh() {
  auto* action = dynamic_cast<TAction*>(Action());
  if (!action) return;
  SetCaption(action->Caption());
  SetEnabled(action->Enabled());
  SetVisible(action->Visible());
  SetHint(action->Hint());
  SetChecked(action->Checked());
}

// ---- TAction ------------------------------------------------------------------------------

// Stores Value and hands it to every action link, then Change.
template <class T, class F> void TAction::Store(T& Field, const T& Value, F Tell) {
  if (Field == Value) return;
  Field = Value;
  ForEachClient([&](TBasicActionLink* Link) {
    if (auto* link = dynamic_cast<TActionLink*>(Link)) Tell(*link);
  });
  Change();
}

void TAction::SetCaption(const std::wstring& Value) {
  Store(FCaption, Value, [this](TActionLink& L) { L.SetCaption(FCaption); });
}

void TAction::SetEnabled(bool Value) {
  Store(FEnabled, Value, [this](TActionLink& L) { L.SetEnabled(FEnabled); });
}

void TAction::SetVisible(bool Value) {
  Store(FVisible, Value, [this](TActionLink& L) { L.SetVisible(FVisible); });
}

void TAction::SetHint(const std::wstring& Value) {
  Store(FHint, Value, [this](TActionLink& L) { L.SetHint(FHint); });
}

void TAction::SetChecked(bool Value) {
  Store(FChecked, Value, [this](TActionLink& L) { L.SetChecked(FChecked); });
}

bool TAction::Execute() {
  Update();
  return FEnabled && TBasicAction::Execute();
}
