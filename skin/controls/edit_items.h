// Buttons, images and texts placed inside a skinned edit: the item with its
// images, kind, text, font, position, the room it takes, cursor, hint and
// click, and the collection that holds an edit's items with its hot item.
// The rules without a window (rectangles, faces, room, hit test) are in
// edit_items_look.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "skin/controls/edit_items_look.h"
#include "toolkit/core/components.h"
#include "toolkit/win/controls.h"

class TVelSkinPngEdit;
class TVelEditItems;

class TVelEditItem : public TCollectionItem {
public:
  explicit TVelEditItem(TCollection* Collection);
  ~TVelEditItem() override;

  // Image, ImageHot, ImagePress, Kind and Visible store a different value and
  // signal a change (the collection's item-changed notification, then
  // OnChanged); Text does so only for a text item.
  const std::wstring& Image() const { return FImage; }
  void SetImage(const std::wstring& Value);
  const std::wstring& ImageHot() const { return FImageHot; }
  void SetImageHot(const std::wstring& Value);
  const std::wstring& ImagePress() const { return FImagePress; }
  void SetImagePress(const std::wstring& Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TItemKind Kind() const { return FKind; }
  void SetKind(TItemKind Value);
  const std::wstring& Text() const { return FText; }
  void SetText(const std::wstring& Value);
  // A change of the owned position signals a change of the item.
  TVelLocateObj& Pos() { return *FPos; }
  const TVelLocateObj& Pos() const { return *FPos; }
  void SetPos(const TVelLocateObj& Value) { FPos->Assign(const_cast<TVelLocateObj*>(&Value)); }
  // Copied into the owned font without a change signal; the edit lays its
  // items out again.
  TFont& Font() { return *FFont; }
  const TFont& Font() const { return *FFont; }
  void SetFont(const TFont& Value);
  // The rest only store (MakeSpace also has the edit lay its items out again).
  TCursor Curosor() const { return FCurosor; }
  void SetCurosor(TCursor Value) { FCurosor = Value; }
  bool MakeSpace() const { return FMakeSpace; }
  void SetMakeSpace(bool Value);
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t Value) { FTag = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& Value) { FHint = Value; }

  // Where the item sits in the edit's client coordinates now, from its
  // position, the edit's width and its image (button and image items) or its
  // text (text items). A missing image gives an empty rectangle.
  TRect Rect() const;
  TVelEditItems* Owner() const;
  TVelSkinPngEdit* Edit() const;

  TNotifyEvent OnChanged;
  TNotifyEvent OnClick;

  // Fires OnClick with the item as sender.
  void Click();
  // From another item: Curosor, Font, Kind, Image, ImageHot, ImagePress,
  // Text, Pos, Visible, MakeSpace, Tag, in that order (not Enabled, Hint or
  // the events). Anything else raises EConvertError.
  void Assign(TPersistent* Source) override;

protected:
  std::string ClassName() const override { return "TVelEditItem"; }
  // The collection's item-changed notification, then OnChanged.
  void Change();

private:
  void Relayout() const;
  std::wstring FImage;
  bool FVisible = true;
  TItemKind FKind = ikButton;
  std::wstring FText;
  std::unique_ptr<TVelLocateObj> FPos;
  std::unique_ptr<TFont> FFont;
  std::wstring FImageHot;
  TCursor FCurosor = crDefault;
  bool FMakeSpace = true;
  std::wstring FImagePress;
  int32_t FTag = 0;
  bool FEnabled = true;
  std::wstring FHint;
};

// The items of an edit. A change of an item (outside an update bracket) and
// a removal have the edit lay its items out again and repaint.
class TVelEditItems : public TCollection {
public:
  // Items are of the class the edit names; without an edit, TVelEditItem.
  explicit TVelEditItems(TVelSkinPngEdit* AEdit);

  TVelSkinPngEdit* Edit() const { return FEdit; }
  // The item under the mouse, -1 for none.
  int32_t HotIndex() const { return FHotIndex; }
  void SetHotIndex(int32_t Value) { FHotIndex = Value; }
  TVelEditItem* Items(int Index) const { return Get<TVelEditItem>(Index); }

  // Appends a new item of the item class.
  TVelEditItem* Add() { return static_cast<TVelEditItem*>(TCollection::Add()); }
  // Puts Item (or, when null, a new item from the edit) at Index, the last
  // place when Index is negative or past the end, and answers it.
  TVelEditItem* AddItem(TVelEditItem* Item, int Index);
  TVelEditItem* Insert(int Index) { return AddItem(nullptr, Index); }
  TPersistent* Owner() const override;

protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
  TVelSkinPngEdit* FEdit;
  int32_t FHotIndex = -1;
};
