#include "skin/controls/edit_items.h"

// ---- TVelLocateObj ------------------------------------------------------------

void TVelLocateObj::Changed() {
  if (auto* item = dynamic_cast<TVelEditItem*>(FOwner)) item->PositionChanged();
}

void TVelLocateObj::SetX(int32_t Value) {
  if (FX == Value) return;
  FX = Value;
  Changed();
}

void TVelLocateObj::SetY(int32_t Value) {
  if (FY == Value) return;
  FY = Value;
  Changed();
}

void TVelLocateObj::SetAlign(TVelAlign Value) {
  if (FAlign == Value) return;
  FAlign = Value;
  Changed();
}

void TVelLocateObj::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TVelLocateObj*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FX = source->FX;
  FY = source->FY;
  FAlign = source->FAlign;
  Changed();
}

// ---- TVelEditItem ---------------------------------------------------------------

TVelEditItem::TVelEditItem(TCollection* Collection)
    : TCollectionItem(Collection), FFont(std::make_unique<TFont>()), FPos(std::make_unique<TVelLocateObj>(this)) {}

TVelEditItem::~TVelEditItem() = default;

void TVelEditItem::Change() {
  Changed(false);
  if (OnChanged) OnChanged(this);
}

template <class T> static bool Store(T& Field, const T& Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}

void TVelEditItem::SetImage(const std::wstring& Value) {
  if (Store(FImage, Value)) Change();
}
void TVelEditItem::SetImageHot(const std::wstring& Value) {
  if (Store(FImageHot, Value)) Change();
}
void TVelEditItem::SetImagePress(const std::wstring& Value) {
  if (Store(FImagePress, Value)) Change();
}
void TVelEditItem::SetVisible(bool Value) {
  if (Store(FVisible, Value)) Change();
}
void TVelEditItem::SetKind(TItemKind Value) {
  if (Store(FKind, Value)) Change();
}
void TVelEditItem::SetText(const std::wstring& Value) {
  if (Store(FText, Value)) Change();
}
void TVelEditItem::SetMakeSpace(bool Value) {
  if (Store(FMakeSpace, Value)) Change();
}
void TVelEditItem::SetEnabled(bool Value) {
  if (Store(FEnabled, Value)) Change();
}
void TVelEditItem::SetFont(const TFont& Value) {
  FFont->Assign(const_cast<TFont*>(&Value));
  Change();
}

void TVelEditItem::Click() {
  if (OnClick) OnClick(this);
}

void TVelEditItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TVelEditItem*>(Source);
  if (!source) {
    TCollectionItem::Assign(Source);
    return;
  }
  FImage = source->FImage;
  FImageHot = source->FImageHot;
  FImagePress = source->FImagePress;
  FVisible = source->FVisible;
  FKind = source->FKind;
  FText = source->FText;
  FFont->Assign(source->FFont.get());
  FPos->Assign(source->FPos.get());
  FCursor = source->FCursor;
  FMakeSpace = source->FMakeSpace;
  FTag = source->FTag;
  FEnabled = source->FEnabled;
  FHint = source->FHint;
  Change();
}

// ---- TVelEditItems --------------------------------------------------------------

TVelEditItems::TVelEditItems(TControl* AOwner) : TCollection(CollectionItemClassOf<TVelEditItem>()), FOwner(AOwner) {}

void TVelEditItems::Update(TCollectionItem*) {
  if (FOwner) FOwner->Invalidate();
}

void TVelEditItems::Notify(TCollectionItem*, TCollectionNotification Action) {
  // Removing an item moves the others: no item stays hot.
  if (Action != cnAdded) FHotIndex = -1;
}
