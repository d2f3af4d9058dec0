// Buttons, images and texts placed inside a skinned edit: the items as the
// edit reads them (images, kind, text, font, position, room they take, hint,
// click) and the collection that holds them with its hot item.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/core/components.h"
#include "toolkit/win/controls.h"

enum TItemKind { ikButton, ikImage, ikText };
enum TVelAlign { agLeft, agRight };

class TVelEditItems;

// Where an item sits: X from the left (agLeft) or from the right edge
// (agRight), Y from the top. A change repaints the owner.
class TVelLocateObj : public TPersistent {
public:
  explicit TVelLocateObj(TCollectionItem* AOwner) : FOwner(AOwner) {}
  int32_t X() const { return FX; }
  void SetX(int32_t Value);
  int32_t Y() const { return FY; }
  void SetY(int32_t Value);
  TVelAlign Align() const { return FAlign; }
  void SetAlign(TVelAlign Value);
  void Assign(TPersistent* Source) override;

protected:
  std::string ClassName() const override { return "TVelLocateObj"; }

private:
  void Changed();
  TCollectionItem* FOwner;
  int32_t FX = 0;
  int32_t FY = 0;
  TVelAlign FAlign = agLeft;
};

class TVelEditItem : public TCollectionItem {
public:
  explicit TVelEditItem(TCollection* Collection);
  ~TVelEditItem() override;

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
  TFont& Font() { return *FFont; }
  void SetFont(const TFont& Value);
  TVelLocateObj& Pos() { return *FPos; }
  TCursor Curosor() const { return FCursor; }
  void SetCurosor(TCursor Value) { FCursor = Value; }
  bool MakeSpace() const { return FMakeSpace; }
  void SetMakeSpace(bool Value);
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t Value) { FTag = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& Value) { FHint = Value; }
  // Where the item was drawn last, in the edit's client coordinates.
  const TRect& Rect() const { return FRect; }
  void SetRect(const TRect& Value) { FRect = Value; }

  TNotifyEvent OnClick;
  TNotifyEvent OnChanged;

  // Fires OnClick with the item as sender.
  void Click();
  void Assign(TPersistent* Source) override;
  // Called by the location object when the position changed.
  void PositionChanged() { Changed(false); }

private:
  void Change();
  std::wstring FImage, FImageHot, FImagePress;
  bool FVisible = true;
  TItemKind FKind = ikButton;
  std::wstring FText;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TVelLocateObj> FPos;
  TCursor FCursor = crDefault;
  bool FMakeSpace = true;
  int32_t FTag = 0;
  bool FEnabled = true;
  std::wstring FHint;
  TRect FRect{};
};

// The items of an edit; a change to any of them repaints the edit.
class TVelEditItems : public TCollection {
public:
  explicit TVelEditItems(TControl* AOwner);
  TVelEditItem* Add() { return static_cast<TVelEditItem*>(TCollection::Add()); }
  TVelEditItem* Items(int Index) const { return Get<TVelEditItem>(Index); }
  // The item under the mouse, -1 for none.
  int32_t HotIndex() const { return FHotIndex; }
  void SetHotIndex(int32_t Value) { FHotIndex = Value; }
  TPersistent* Owner() const override { return FOwner; }

protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
  TControl* FOwner;
  int32_t FHotIndex = -1;
};
