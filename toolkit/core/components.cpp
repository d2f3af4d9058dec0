#include "toolkit/core/components.h"

#include "toolkit/core/scope.h"

#include <algorithm>
#include <cwctype>
#include <typeinfo>

namespace {

[[noreturn]] void ListIndexError(int Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

}  // namespace

// ---- TList -----------------------------------------------------------------

void TList::CheckIndex(int Index, int Limit) const {
  if (Index < 0 || Index >= Limit) ListIndexError(Index);
}

int TList::Add(void* Item) {
  FItems.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  CheckIndex(Index, Count() + 1);
  FItems.insert(FItems.begin() + Index, Item);
}

void TList::Delete(int Index) {
  CheckIndex(Index, Count());
  FItems.erase(FItems.begin() + Index);
}

int TList::Remove(void* Item) {
  const int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* Item) {
  return Remove(Item) >= 0 ? Item : nullptr;
}

int TList::IndexOf(const void* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1, Count());
  CheckIndex(Index2, Count());
  std::swap(FItems[Index1], FItems[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex, Count());
  CheckIndex(NewIndex, Count());
  void* item = FItems[CurIndex];
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, item);
}

void* TList::Items(int Index) const {
  CheckIndex(Index, Count());
  return FItems[Index];
}

void TList::SetItem(int Index, void* Item) {
  CheckIndex(Index, Count());
  FItems[Index] = Item;
}

// ---- TStrings --------------------------------------------------------------

bool SameText(const std::wstring& A, const std::wstring& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i)
    if (std::towlower(A[i]) != std::towlower(B[i])) return false;
  return true;
}

void TStrings::Put(int Index, const std::wstring& S) {
  TObject* object = Objects(Index);
  TUpdateScope update(*this);
  Delete(Index);
  InsertObject(Index, S, object);
}

TObject* TStrings::Objects(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return nullptr;
}

void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const std::wstring& S) {
  const int index = Count();
  Insert(index, S);
  return index;
}

int TStrings::AddObject(const std::wstring& S, TObject* AObject) {
  const int index = Add(S);
  PutObject(index, AObject);
  return index;
}

void TStrings::InsertObject(int Index, const std::wstring& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::AddStrings(const TStrings& Source) {
  TUpdateScope update(*this);
  for (int i = 0; i < Source.Count(); ++i) AddObject(Source.Strings(i), Source.Objects(i));
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  const std::wstring s = Strings(CurIndex);
  TObject* object = Objects(CurIndex);
  if (NewIndex < 0 || NewIndex >= Count()) ListIndexError(NewIndex);
  TUpdateScope update(*this);
  Delete(CurIndex);
  InsertObject(NewIndex, s, object);
}

void TStrings::Exchange(int Index1, int Index2) {
  const std::wstring s1 = Strings(Index1), s2 = Strings(Index2);
  TObject* o1 = Objects(Index1);
  TObject* o2 = Objects(Index2);
  BeginUpdate();
  Put(Index1, s2);
  PutObject(Index1, o2);
  Put(Index2, s1);
  PutObject(Index2, o1);
  EndUpdate();
}

int TStrings::IndexOf(const std::wstring& S) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Strings(i), S)) return i;
  return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
  for (int i = 0; i < Count(); ++i)
    if (Objects(i) == AObject) return i;
  return -1;
}

std::wstring TStrings::Names(int Index) const {
  const std::wstring s = Strings(Index);
  const size_t eq = s.find(L'=');
  return eq == std::wstring::npos ? std::wstring() : s.substr(0, eq);
}

std::wstring TStrings::ValueFromIndex(int Index) const {
  const std::wstring s = Strings(Index);
  const size_t eq = s.find(L'=');
  return eq == std::wstring::npos ? std::wstring() : s.substr(eq + 1);
}

int TStrings::IndexOfName(const std::wstring& Name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::wstring s = Strings(i);
    const size_t eq = s.find(L'=');
    if (eq != std::wstring::npos && SameText(s.substr(0, eq), Name)) return i;
  }
  return -1;
}

std::wstring TStrings::Values(const std::wstring& Name) const {
  const int i = IndexOfName(Name);
  return i < 0 ? std::wstring() : ValueFromIndex(i);
}

void TStrings::SetValue(const std::wstring& Name, const std::wstring& Value) {
  const int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i >= 0) {
    Put(i, Name + L"=" + Value);
  } else {
    Add(Name + L"=" + Value);
  }
}

std::wstring TStrings::Text() const {
  std::wstring out;
  for (int i = 0; i < Count(); ++i) {
    out += Strings(i);
    out += L"\r\n";
  }
  return out;
}

void TStrings::SetText(const std::wstring& Value) {
  TUpdateScope update(*this);
  Clear();
  size_t start = 0;
  while (start < Value.size()) {
    size_t end = Value.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = Value.size();
    Add(Value.substr(start, end - start));
    if (end < Value.size() && Value[end] == L'\r' && end + 1 < Value.size() && Value[end + 1] == L'\n') ++end;
    start = end + 1;
  }
}

void TStrings::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TStrings*>(Source)) {
    if (source == this) return;
    {
      TUpdateScope update(*this);
      Clear();
      AddStrings(*source);
    }
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TStringList -----------------------------------------------------------

void TStringList::CheckIndex(int Index, int Limit) const {
  if (Index < 0 || Index >= Limit) ListIndexError(Index);
}

int TStringList::Compare(const std::wstring& A, const std::wstring& B) const {
  const size_t n = std::min(A.size(), B.size());
  for (size_t i = 0; i < n; ++i) {
    wint_t a = A[i], b = B[i];
    if (!FCaseSensitive) {
      a = std::towlower(a);
      b = std::towlower(b);
    }
    if (a != b) return a < b ? -1 : 1;
  }
  return A.size() == B.size() ? 0 : (A.size() < B.size() ? -1 : 1);
}

std::wstring TStringList::Strings(int Index) const {
  CheckIndex(Index, Count());
  return FList[Index].FString;
}

TObject* TStringList::Objects(int Index) const {
  CheckIndex(Index, Count());
  return FList[Index].FObject;
}

void TStringList::Put(int Index, const std::wstring& S) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  CheckIndex(Index, Count());
  Changing();
  FList[Index].FString = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index, Count());
  Changing();
  FList[Index].FObject = AObject;
  Changed();
}

void TStringList::InsertItem(int Index, const std::wstring& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Insert(int Index, const std::wstring& S) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  CheckIndex(Index, Count() + 1);
  InsertItem(Index, S, nullptr);
}

int TStringList::Add(const std::wstring& S) {
  if (!FSorted) {
    InsertItem(Count(), S, nullptr);
    return Count() - 1;
  }
  int index;
  if (Find(S, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EListError("String list does not allow duplicates");
  }
  InsertItem(index, S, nullptr);
  return index;
}

void TStringList::Delete(int Index) {
  CheckIndex(Index, Count());
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  Changed();
}

int TStringList::IndexOf(const std::wstring& S) const {
  if (FSorted) {
    int index;
    return Find(S, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (Compare(FList[i].FString, S) == 0) return i;
  return -1;
}

bool TStringList::Find(const std::wstring& S, int& Index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = Compare(FList[mid].FString, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) lo = mid;
      }
    }
  }
  Index = lo;
  return found;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(FList.begin(), FList.end(),
                   [this](const TStringItem& a, const TStringItem& b) { return Compare(a.FString, b.FString) < 0; });
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

// ---- TComponent ------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Partners that asked to hear about this component's end forget it now.
  while (!FFreeNotifies.empty()) {
    TComponent* partner = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    EraseValue(partner->FFreeNotifies, static_cast<TComponent*>(this));
    partner->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) ListIndexError(Index);
  return FComponents[Index];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const std::wstring& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  if (FComponentState.Contains(csLoading)) {
    AComponent->FComponentState.Include(csLoading);
    AComponent->FComponentState.Include(csReading);
  }
}

void TComponent::Remove(TComponent* AComponent) {
  AComponent->FOwner = nullptr;
  EraseValue(FComponents, AComponent);
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
    throw EComponentError("A component named " + WideToUtf8(AComponent->FName) + " already exists");
  Insert(AComponent);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::DestroyComponents() {
  // Each is unlinked before it is deleted, so its destructor does not look
  // for this owner again and the list stays consistent if it re-enters.
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    Remove(instance);
    delete instance;
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::SetName(const std::wstring& NewName) {
  if (NewName == FName) return;
  if (FOwner && !NewName.empty()) {
    TComponent* other = FOwner->FindComponent(NewName);
    if (other && other != this)
      throw EComponentError("A component named " + WideToUtf8(NewName) + " already exists");
  }
  FName = NewName;
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  // Owner and owned components hear about each other anyway.
  if (AComponent == FOwner || AComponent->FOwner == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(AComponent);
    FComponentState.Include(csFreeNotification);
  }
  if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
      AComponent->FFreeNotifies.end()) {
    AComponent->FFreeNotifies.push_back(this);
    AComponent->FComponentState.Include(csFreeNotification);
  }
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  EraseValue(FFreeNotifies, AComponent);
  if (FFreeNotifies.empty()) FComponentState.Exclude(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Walk a copy: a handler may free or add components.
  const std::vector<TComponent*> components = FComponents;
  for (auto it = components.rbegin(); it != components.rend(); ++it) {
    TComponent* c = *it;
    if (std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end()) c->Notification(AComponent, Operation);
  }
}

void TComponent::BeginLoading() {
  FComponentState.Include(csLoading);
  FComponentState.Include(csReading);
}

void TComponent::EndLoading() {
  const std::vector<TComponent*> components = FComponents;
  for (TComponent* c : components) {
    if (std::find(FComponents.begin(), FComponents.end(), c) == FComponents.end()) continue;
    // Components created by an owned component while it loaded inherited the
    // flag too: they end their loading before it does.
    c->EndLoading();
  }
  if (FComponentState.Contains(csLoading)) Loaded();
}

void TComponent::Loaded() {
  FComponentState.Exclude(csLoading);
  FComponentState.Exclude(csReading);
}

void TComponent::SetComponentStateFlag(TComponentStateFlag Flag, bool On) {
  if (On)
    FComponentState.Include(Flag);
  else
    FComponentState.Exclude(Flag);
}

std::string TComponent::ClassName() const { return typeid(*this).name(); }

// ---- TCollectionItem -------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  const int current = Index();
  if (current < 0 || Value == current) return;
  auto& items = FCollection->FItems;
  if (Value < 0 || Value >= static_cast<int>(items.size())) ListIndexError(Value);
  items.erase(items.begin() + current);
  items.insert(items.begin() + Value, this);
  Changed(true);
}

std::wstring TCollectionItem::DisplayName() const { return Utf8ToWide(typeid(*this).name()); }

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection -----------------------------------------------------------

TCollection::TCollection(TCollectionItemClass ItemClass) : FItemClass(std::move(ItemClass)) {
  if (!FItemClass) FItemClass = CollectionItemClassOf<TCollectionItem>();
}

TCollection::~TCollection() {
  // No Notify/Update calls from here: the subclass part is already gone.
  FUpdateCount = 1;
  while (!FItems.empty()) {
    TCollectionItem* item = FItems.back();
    FItems.pop_back();
    item->FCollection = nullptr;
    delete item;
  }
}

void TCollection::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = FItemClass(this);
  if (!item) throw EListError("Collection item class created no item");
  if (item->FCollection != this) item->SetCollection(this);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int Index) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  TUpdateScope update(*this);
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(int Index) {
  CheckIndex(Index);
  TCollectionItem* item = FItems[Index];
  Notify(item, cnDeleting);
  delete item;  // removes itself and reports the change
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  TUpdateScope update(*this);
  while (!FItems.empty()) {
    TCollectionItem* item = FItems.back();
    Notify(item, cnDeleting);
    delete item;
  }
}

TCollectionItem* TCollection::Items(int Index) const {
  CheckIndex(Index);
  return FItems[Index];
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  Notify(Item, cnAdded);
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  EraseValue(FItems, Item);
  Item->FCollection = nullptr;
  Changed();
}

void TCollection::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TCollection*>(Source)) {
    if (source == this) return;
    {
      TUpdateScope update(*this);
      Clear();
      for (int i = 0; i < source->Count(); ++i) Add()->Assign(source->Items(i));
    }
    return;
  }
  TPersistent::Assign(Source);
}
