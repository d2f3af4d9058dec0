#include "skin/controls/edit_items.h"

#include "gfx/win/gdi_backend.h"
#include "skin/controls/edit.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"

namespace {

template <class T> bool Store(T& Field, const T& Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}

// An item made by an item class, or a plain item when the class made none
// or made something that is not an edit item.
TVelEditItem* EditItemOrPlain(TCollectionItem* Made, TCollection* Collection) {
  if (auto* item = dynamic_cast<TVelEditItem*>(Made)) return item;
  delete Made;
  return new TVelEditItem(Collection);
}

}  // namespace

// ---- TVelEditItem ---------------------------------------------------------------

TVelEditItem::TVelEditItem(TCollection* Collection)
    : TCollectionItem(Collection), FPos(std::make_unique<TVelLocateObj>()), FFont(std::make_unique<TFont>()) {
  FPos->OnChange = [this](TObject*) { Change(); };
}

TVelEditItem::~TVelEditItem() = default;

TVelEditItems* TVelEditItem::Owner() const { return dynamic_cast<TVelEditItems*>(Collection()); }

TVelSkinPngEdit* TVelEditItem::Edit() const {
  TVelEditItems* owner = Owner();
  return owner ? owner->Edit() : nullptr;
}

void TVelEditItem::Change() {
  Changed(false);
  if (OnChanged) OnChanged(this);
}

void TVelEditItem::Relayout() const {
  if (TVelSkinPngEdit* edit = Edit()) edit->ItemsChanged();
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
  if (Store(FText, Value) && FKind == ikText) Change();
}

void TVelEditItem::SetFont(const TFont& Value) {
  FFont->Assign(const_cast<TFont*>(&Value));
  if (FKind == ikText) Relayout();
}

void TVelEditItem::SetMakeSpace(bool Value) {
  if (Store(FMakeSpace, Value)) Relayout();
}

TRect TVelEditItem::Rect() const {
  TVelSkinPngEdit* edit = Edit();
  const int32_t x = ScaleByDPI(edit, FPos->X());
  const int32_t y = ScaleByDPI(edit, FPos->Y());
  const int32_t width = edit ? edit->Width() : 0;
  if (FKind == ikText) {
    SIZE size{0, 0};
    if (edit) {
      size = edit->ItemTextExtent(*FFont, FText);
    } else {
      TBitmap32 scratch;
      scratch.SetSize(1, 1);
      ::SetFont(scratch, *FFont);
      size = TextExtentW(scratch, FText);
    }
    return EditItemRect(FPos->Align(), x, y, width, true, size.cx, size.cy);
  }
  TVelSkinImage* image = SkinImageOrNone(FImage, true);
  return EditItemRect(FPos->Align(), x, y, width, image != nullptr, image ? image->Width() : 0,
                      image ? image->Height() : 0);
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
  SetCurosor(source->Curosor());
  SetFont(source->Font());
  SetKind(source->Kind());
  SetImage(source->Image());
  SetImageHot(source->ImageHot());
  SetImagePress(source->ImagePress());
  SetText(source->Text());
  SetPos(source->Pos());
  SetVisible(source->Visible());
  SetMakeSpace(source->MakeSpace());
  SetTag(source->Tag());
}

// ---- TVelEditItems --------------------------------------------------------------

TVelEditItems::TVelEditItems(TVelSkinPngEdit* AEdit)
    : TCollection(AEdit ? TCollectionItemClass([AEdit](TCollection* Collection) -> TCollectionItem* {
        return EditItemOrPlain(AEdit->GetItemClass()(Collection), Collection);
      })
                        : CollectionItemClassOf<TVelEditItem>()),
      FEdit(AEdit) {}

TPersistent* TVelEditItems::Owner() const { return FEdit; }

TVelEditItem* TVelEditItems::AddItem(TVelEditItem* Item, int Index) {
  if (!Item) Item = FEdit ? FEdit->CreateNewItem() : new TVelEditItem(nullptr);
  {
    TUpdateScope update(*this);
    if (Item->Collection() != this) Item->SetCollection(this);
    if (Index >= 0 && Index < Count()) Item->SetIndex(Index);
  }
  return Item;
}

void TVelEditItems::Update(TCollectionItem* Item) {
  // A reorder moves every index: no item stays hot.
  if (!Item) FHotIndex = -1;
  if (UpdateCount() == 0 && Count() > 0 && FEdit) FEdit->ItemsChanged();
}

void TVelEditItems::Notify(TCollectionItem*, TCollectionNotification Action) {
  if (Action == cnAdded) return;
  // Removing an item moves the others: no item stays hot.
  FHotIndex = -1;
  if (FEdit) FEdit->ItemsChanged();
}
