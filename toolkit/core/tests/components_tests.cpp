#include "toolkit/core/components.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Records the notifications it receives and counts its deletions.
class TProbe : public TComponent {
public:
  TProbe(TComponent* AOwner, int* Deleted = nullptr) : TComponent(AOwner), FDeleted(Deleted) {}
  ~TProbe() override {
    if (FDeleted) ++*FDeleted;
  }
  std::vector<std::pair<TComponent*, TOperation>> Heard;
  int LoadedCalls = 0;
  bool WasLoadingWhenLoaded = false;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    Heard.emplace_back(AComponent, Operation);
  }
  void Loaded() override {
    WasLoadingWhenLoaded = ComponentState().Contains(csLoading);
    TComponent::Loaded();
    ++LoadedCalls;
  }

private:
  int* FDeleted;
};

// Identity of a component taken before it is freed, to match notifications
// about it afterwards without touching the freed pointer.
uintptr_t Id(const TComponent* C) { return reinterpret_cast<uintptr_t>(C); }
std::pair<uintptr_t, TOperation> Last(const TProbe& P) { return {Id(P.Heard.back().first), P.Heard.back().second}; }

}  // namespace

TEST(Component, OwnerFreesItsComponentsAndAnEarlyFreeLeavesTheOwner) {
  int deleted = 0;
  auto owner = std::make_unique<TProbe>(nullptr);
  auto* a = new TProbe(owner.get(), &deleted);
  auto* b = new TProbe(owner.get(), &deleted);
  auto* c = new TProbe(owner.get(), &deleted);
  ASSERT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(b->ComponentIndex(), 1);
  // The sibling hears about the insertion after it.
  EXPECT_EQ(a->Heard.back(), std::make_pair(static_cast<TComponent*>(c), opInsert));

  const uintptr_t bId = Id(b);
  delete b;
  EXPECT_EQ(deleted, 1);
  ASSERT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components(1), c);
  EXPECT_EQ(Last(*owner), std::make_pair(bId, opRemove));
  EXPECT_EQ(Last(*a), std::make_pair(bId, opRemove));

  owner.reset();
  EXPECT_EQ(deleted, 3);
}

TEST(Component, FreeNotificationReachesSubscribersOutsideTheOwner) {
  TProbe left(nullptr), right(nullptr);
  int deleted = 0;
  auto* watched = new TProbe(&right, &deleted);
  left.FreeNotification(watched);
  EXPECT_TRUE(watched->ComponentState().Contains(csFreeNotification));
  const uintptr_t watchedId = Id(watched);
  delete watched;
  EXPECT_EQ(Last(left), std::make_pair(watchedId, opRemove));
  // Unsubscribing ends the link both ways: nothing is heard any more, nothing dangles.
  auto* other = new TProbe(nullptr);
  left.FreeNotification(other);
  left.RemoveFreeNotification(other);
  const size_t heard = left.Heard.size();
  delete other;
  EXPECT_EQ(left.Heard.size(), heard);
}

TEST(Component, NamesAreUniqueWithinTheOwnerAndFound) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName(L"VelSkinResDM");
  EXPECT_EQ(owner.FindComponent(L"velskinresdm"), a);
  EXPECT_THROW(b->SetName(L"VelSkinResDM"), EComponentError);
  EXPECT_EQ(b->Name(), L"");
  a->SetTag(99999);
  EXPECT_EQ(a->Tag(), 99999);
  EXPECT_FALSE(a->ComponentState().Contains(csDesigning));
}

TEST(Component, LoadingProtocolRunsLoadedForEveryComponentThenTheOwner) {
  TProbe owner(nullptr);
  owner.BeginLoading();
  auto* a = new TProbe(&owner);
  auto* b = new TProbe(&owner);
  EXPECT_TRUE(a->ComponentState().Contains(csLoading));
  owner.EndLoading();
  EXPECT_EQ(a->LoadedCalls, 1);
  EXPECT_EQ(b->LoadedCalls, 1);
  EXPECT_EQ(owner.LoadedCalls, 1);
  EXPECT_TRUE(a->WasLoadingWhenLoaded);
  EXPECT_FALSE(owner.ComponentState().Contains(csLoading));
  EXPECT_FALSE(b->ComponentState().Contains(csReading));
}

TEST(Component, LoadingEndsForComponentsOwnedByOwnedComponents) {
  TProbe owner(nullptr);
  owner.BeginLoading();
  auto* child = new TProbe(&owner);
  auto* grandchild = new TProbe(child);
  ASSERT_TRUE(grandchild->ComponentState().Contains(csLoading));
  owner.EndLoading();
  EXPECT_EQ(grandchild->LoadedCalls, 1);
  EXPECT_EQ(child->LoadedCalls, 1);
  EXPECT_FALSE(grandchild->ComponentState().Contains(csLoading));
  EXPECT_FALSE(grandchild->ComponentState().Contains(csReading));
}

TEST(List, AddDeleteIndexOfAndBounds) {
  TList list;
  int x = 1, y = 2, z = 3;
  list.Add(&x);
  list.Add(&y);
  list.Insert(0, &z);
  EXPECT_EQ(list.IndexOf(&x), 1);
  EXPECT_EQ(list.Get<int>(0), &z);
  list.Move(0, 2);
  EXPECT_EQ(list.Last(), &z);
  EXPECT_EQ(list.Remove(&x), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_THROW(list.Items(2), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.Insert(3, &x), EListError);
}

TEST(StringList, ItemsValuesTextAndChangeEvents) {
  TStringList s;
  int changes = 0;
  s.OnChange = [&](TObject*) { ++changes; };
  s.Add(L"小");
  s.Add(L"中");
  s.Add(L"大");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(s.IndexOf(L"中"), 1);
  s.BeginUpdate();
  s.Delete(0);
  s.Insert(0, L"Tiny");
  s.EndUpdate();
  EXPECT_EQ(changes, 4);  // one change for the whole update
  EXPECT_EQ(s.IndexOf(L"TINY"), 0);
  EXPECT_EQ(s.Text(), L"Tiny\r\n中\r\n大\r\n");
  EXPECT_THROW(s.Strings(3), EListError);

  TStringList v;
  v.SetText(L"a=1\r\nb=2\nc\r");
  EXPECT_EQ(v.Count(), 3);
  EXPECT_EQ(v.Values(L"B"), L"2");
  v.SetValue(L"a", L"x");
  v.SetValue(L"d", L"4");
  v.SetValue(L"b", L"");
  EXPECT_EQ(v.Text(), L"a=x\r\nc\r\nd=4\r\n");

  TStringList copy;
  copy.Assign(&v);
  EXPECT_EQ(copy.Text(), v.Text());
}

TEST(StringList, SortedListKeepsOrderAndHandlesDuplicates) {
  TStringList s;
  s.SetSorted(true);
  s.Add(L"pear");
  s.Add(L"Apple");
  s.Add(L"fig");
  EXPECT_EQ(s.Add(L"apple"), 0);  // dupIgnore returns the existing line
  EXPECT_EQ(s.Count(), 3);
  EXPECT_EQ(s.Strings(0), L"Apple");
  EXPECT_EQ(s.IndexOf(L"PEAR"), 2);
  EXPECT_THROW(s.Insert(0, L"x"), EListError);
  s.SetDuplicates(dupError);
  EXPECT_THROW(s.Add(L"fig"), EListError);
}

namespace {

class TNamedItem : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  std::wstring Text;
  void Assign(TPersistent* Source) override {
    if (auto* other = dynamic_cast<TNamedItem*>(Source)) {
      Text = other->Text;
      return;
    }
    TCollectionItem::Assign(Source);
  }
};

class TCountingCollection : public TOwnedCollection {
public:
  using TOwnedCollection::TOwnedCollection;
  int Updates = 0;
  int Deletions = 0;

protected:
  void Update(TCollectionItem*) override { ++Updates; }
  void Notify(TCollectionItem*, TCollectionNotification Action) override {
    if (Action == cnDeleting) ++Deletions;
  }
};

}  // namespace

TEST(Collection, AddInsertDeleteIndexAndUpdates) {
  TComponent owner(nullptr);
  TCountingCollection items(&owner, CollectionItemClassOf<TNamedItem>());
  EXPECT_EQ(items.Owner(), &owner);
  auto* first = static_cast<TNamedItem*>(items.Add());
  first->Text = L"first";
  auto* second = static_cast<TNamedItem*>(items.Insert(0));
  second->Text = L"second";
  EXPECT_EQ(items.Count(), 2);
  EXPECT_EQ(second->Index(), 0);
  EXPECT_EQ(items.FindItemID(first->ID()), first);

  items.BeginUpdate();
  const int before = items.Updates;
  first->SetIndex(0);
  items.Add();
  EXPECT_EQ(items.Updates, before);  // nothing reported during the update
  items.EndUpdate();
  EXPECT_EQ(items.Updates, before + 1);

  items.Delete(2);
  EXPECT_EQ(items.Deletions, 1);
  EXPECT_EQ(items.Count(), 2);
  EXPECT_THROW(items.Items(2), EListError);
  EXPECT_THROW(items.Insert(5), EListError);

  // An item deleted directly leaves its collection.
  delete items.Items(0);
  EXPECT_EQ(items.Count(), 1);
  EXPECT_EQ(items.Get<TNamedItem>(0)->Text, L"second");

  TCountingCollection copy(nullptr, CollectionItemClassOf<TNamedItem>());
  copy.Assign(&items);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.Get<TNamedItem>(0)->Text, L"second");
  items.Clear();
  EXPECT_EQ(items.Count(), 0);
}
