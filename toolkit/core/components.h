// Portable component machinery: owned components with names, tags, state and
// notifications; collections of items; pointer lists; string lists.
// No windows.h: skin resources and other portable code build on it natively.
#pragma once

#include "toolkit/core/classes.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class EComponentError : public Exception { using Exception::Exception; };

// Removes the first element equal to Value, if there is one.
template <class T> void EraseValue(std::vector<T>& List, const T& Value) {
  auto it = std::find(List.begin(), List.end(), Value);
  if (it != List.end()) List.erase(it);
}

// Equal ignoring case (per character, as towlower sees it).
bool SameText(const std::wstring& A, const std::wstring& B);

// ---- TList -----------------------------------------------------------------

// A list of untyped pointers. Index errors raise EListError "List index out of bounds (i)".
class TList : public TObject {
public:
  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  // Removes the first occurrence; returns its former index or -1.
  int Remove(void* Item);
  void* Extract(void* Item);
  void Clear() { FItems.clear(); }
  int IndexOf(const void* Item) const;
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  int Count() const { return static_cast<int>(FItems.size()); }
  void* Items(int Index) const;
  void* operator[](int Index) const { return Items(Index); }
  void SetItem(int Index, void* Item);
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }
  template <class T> T* Get(int Index) const { return static_cast<T*>(Items(Index)); }

private:
  void CheckIndex(int Index, int Limit) const;
  std::vector<void*> FItems;
};

// ---- TStrings / TStringList ------------------------------------------------

// Abstract string list with an object per line. Subclasses (the string list,
// a native combo box's or list box's items) supply storage.
class TStrings : public TPersistent {
public:
  virtual int Count() const = 0;
  virtual std::wstring Strings(int Index) const = 0;
  virtual void Put(int Index, const std::wstring& S);
  virtual TObject* Objects(int Index) const;
  virtual void PutObject(int Index, TObject* AObject);
  virtual void Insert(int Index, const std::wstring& S) = 0;
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;

  std::wstring operator[](int Index) const { return Strings(Index); }
  virtual int Add(const std::wstring& S);
  int AddObject(const std::wstring& S, TObject* AObject);
  void InsertObject(int Index, const std::wstring& S, TObject* AObject);
  void AddStrings(const TStrings& Source);
  void Move(int CurIndex, int NewIndex);
  void Exchange(int Index1, int Index2);
  // Case-insensitive, as combo boxes look items up.
  virtual int IndexOf(const std::wstring& S) const;
  int IndexOfObject(const TObject* AObject) const;

  // "Name=Value" lines.
  std::wstring Names(int Index) const;
  std::wstring ValueFromIndex(int Index) const;
  int IndexOfName(const std::wstring& Name) const;
  std::wstring Values(const std::wstring& Name) const;
  // Setting an empty value deletes the line.
  void SetValue(const std::wstring& Name, const std::wstring& Value);

  // All lines, each followed by CR LF; setting splits on CR LF, LF or CR.
  std::wstring Text() const;
  void SetText(const std::wstring& Value);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  void Assign(TPersistent* Source) override;

protected:
  // Called when the first BeginUpdate starts and the last EndUpdate ends.
  virtual void SetUpdateState(bool Updating) {}

private:
  int FUpdateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
public:
  TStringList() = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  int Count() const override { return static_cast<int>(FList.size()); }
  std::wstring Strings(int Index) const override;
  void Put(int Index, const std::wstring& S) override;
  TObject* Objects(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  void Insert(int Index, const std::wstring& S) override;
  void Delete(int Index) override;
  void Clear() override;
  int Add(const std::wstring& S) override;
  int IndexOf(const std::wstring& S) const override;

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  void Sort();
  // Binary search of a sorted list: true and the index when found, else the insert position.
  bool Find(const std::wstring& S, int& Index) const;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  void SetUpdateState(bool Updating) override;
  virtual void Changed();
  virtual void Changing();

private:
  struct TStringItem {
    std::wstring FString;
    TObject* FObject = nullptr;
  };
  int Compare(const std::wstring& A, const std::wstring& B) const;
  void CheckIndex(int Index, int Limit) const;
  void InsertItem(int Index, const std::wstring& S, TObject* AObject);

  std::vector<TStringItem> FList;
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = dupIgnore;
};

// ---- TComponent ------------------------------------------------------------

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csDestroying = 1u << 3,
  // Exists because controls test it; no designer ever sets it.
  csDesigning = 1u << 4,
  csFreeNotification = 1u << 8,
};

// A set of TComponentStateFlag.
class TComponentState {
public:
  constexpr TComponentState() = default;
  constexpr TComponentState(uint32_t Bits) : FBits(Bits) {}
  constexpr bool Contains(TComponentStateFlag Flag) const { return (FBits & Flag) != 0; }
  constexpr void Include(TComponentStateFlag Flag) { FBits |= Flag; }
  constexpr void Exclude(TComponentStateFlag Flag) { FBits &= ~static_cast<uint32_t>(Flag); }
  constexpr uint32_t Bits() const { return FBits; }

private:
  uint32_t FBits = 0;
};

// A component is owned by at most one other component, which deletes it.
// Deleting a component early takes it out of its owner's list and tells the
// owner's components and its free-notification subscribers (opRemove).
class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;
  // Position in the owner's list, -1 without owner.
  int ComponentIndex() const;
  TComponent* FindComponent(const std::wstring& AName) const;

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Deletes every owned component, last first.
  void DestroyComponents();
  // Marks the component as being destroyed (csDestroying), and its owned components.
  void Destroying();

  const std::wstring& Name() const { return FName; }
  // Names are unique among the owner's components (case-insensitive); empty names are allowed.
  virtual void SetName(const std::wstring& NewName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t Value) { FTag = Value; }
  TComponentState ComponentState() const { return FComponentState; }

  // Asks to be told (opRemove) when AComponent is deleted; the link goes both ways.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Starts the loading protocol: csLoading | csReading on this component and on
  // every component created while it is set (components inherit it from their owner).
  void BeginLoading();
  // Ends it: Loaded() for every owned component still loading (and for the
  // components those own, first), then for this one.
  void EndLoading();

protected:
  // Told about components inserted into or removed from the owner, and about
  // deleted free-notification partners. The default passes it to owned components.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Runs after all properties are set; clears csLoading/csReading.
  virtual void Loaded();
  void SetComponentStateFlag(TComponentStateFlag Flag, bool On);
  std::string ClassName() const override;

private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::wstring FName;
  intptr_t FTag = 0;
  TComponentState FComponentState;
};

// ---- TCollection / TCollectionItem -----------------------------------------

class TCollection;

class TCollectionItem : public TPersistent {
public:
  // Creating an item with a collection adds it there; the collection owns it.
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* Collection() const { return FCollection; }
  // Moves the item to another collection (or none, leaving it unowned).
  void SetCollection(TCollection* Value);
  int Index() const;
  void SetIndex(int Value);
  int ID() const { return FID; }
  virtual std::wstring DisplayName() const;

protected:
  // Tells the collection the item changed (AllItems: every item may be affected).
  void Changed(bool AllItems);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

// Creates one item inside the given collection (the collection's item class).
using TCollectionItemClass = std::function<TCollectionItem*(TCollection*)>;

template <class T> TCollectionItemClass CollectionItemClassOf() {
  return [](TCollection* Collection) -> TCollectionItem* { return new T(Collection); };
}

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection : public TPersistent {
public:
  explicit TCollection(TCollectionItemClass ItemClass);
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const;
  template <class T> T* Get(int Index) const { return static_cast<T*>(Items(Index)); }
  TCollectionItem* FindItemID(int ID) const;
  const TCollectionItemClass& ItemClass() const { return FItemClass; }

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // The persistent object that owns the collection (a component), or nullptr.
  virtual TPersistent* Owner() const { return nullptr; }
  // Copies the items of another collection: same count, each item Assign'ed.
  void Assign(TPersistent* Source) override;

protected:
  // Item is nullptr when several items changed. Not called during BeginUpdate/EndUpdate;
  // EndUpdate then calls it once with nullptr.
  virtual void Update(TCollectionItem* Item) {}
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void CheckIndex(int Index) const;

  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
};

// A collection owned by a persistent object (usually the component that publishes it).
class TOwnedCollection : public TCollection {
public:
  TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
      : TCollection(std::move(ItemClass)), FOwner(AOwner) {}
  TPersistent* Owner() const override { return FOwner; }

private:
  TPersistent* FOwner;
};
