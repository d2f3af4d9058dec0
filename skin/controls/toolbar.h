// The skinned toolbar: a skinned panel that lays out a collection of items
// (buttons and spacers) in a row, or in a column in multi-line mode. Each
// button shows a face from the flat-button strip, an optional image from an
// image list with a caption beside it, and an optional drop-down part that
// opens a menu; two scroll buttons appear when the items do not fit. Items
// may form toggle groups, carry hints, follow actions, and take the focus
// from the arrow keys. The layout and the look are in toolbar_look.h; this is
// their window. Without items the toolbar is a plain borderless panel.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "skin/controls/panels.h"
#include "skin/controls/toolbar_look.h"
#include "skin/frame/simple_timer.h"
#include "skin/resources/skin_image.h"
#include "toolkit/win/actions.h"
#include "toolkit/win/imagelist.h"
#include "toolkit/win/menus.h"

class TVelSkinCustomToolbar;
class TVelSkinToolbarItem;

// An item's link to an action: the caption goes to Text.Text, and enabled,
// visible and hint to the item's own; running the item runs the action.
class TToolbarItemActionLink : public TActionLink {
public:
  explicit TToolbarItemActionLink(TVelSkinToolbarItem* AClient);
  void SetCaption(const std::wstring& Value) override;
  void SetEnabled(bool Value) override;
  void SetVisible(bool Value) override;
  void SetHint(const std::wstring& Value) override;

private:
  TVelSkinToolbarItem* FItem;
};

class TVelSkinToolbarItem : public TCollectionItem {
public:
  explicit TVelSkinToolbarItem(TCollection* Collection);
  ~TVelSkinToolbarItem() override;

  TToolbarItemActionLink* ActionLink() const { return FActionLink.get(); }
  TBasicAction* Action() const { return FActionLink ? FActionLink->Action() : nullptr; }
  // Links the item to an action (nullptr unlinks) and takes its properties.
  void SetAction(TBasicAction* Value);
  TToolbarItemKind Kind() const { return FKind; }
  void SetKind(TToolbarItemKind Value) { Store(FKind, Value); }
  int32_t ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int32_t Value) { Store(FImageIndex, Value); }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { Store(FEnabled, Value); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { Store(FVisible, Value); }
  // Not owned; forgotten when the menu is freed.
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* Value);
  TVelTextObj& Text() { return *FText; }
  const TVelTextObj& Text() const { return *FText; }
  // Copies Value into the owned text.
  void SetText(const TVelTextObj& Value) { FText->Assign(const_cast<TVelTextObj*>(&Value)); }
  // The item's area and its drop-down part's from the last paint.
  const TRect& Rect() const { return FRect; }
  const TRect& MenuButtonRect() const { return FMenuButtonRect; }
  bool Down() const { return FDown; }
  // Going down focuses the item on the toolbar, which presses it: the other
  // items of its group go up and OnItemDown fires.
  void SetDown(bool Value);
  int32_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int32_t Value) { Store(FGroupIndex, Value); }
  TToolbarItemLayout TextLayout() const { return FTextLayout; }
  void SetTextLayout(TToolbarItemLayout Value) { Store(FTextLayout, Value); }
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t Value) { FTag = Value; }
  TColor LineColor() const { return FLineColor; }
  void SetLineColor(TColor Value) { Store(FLineColor, Value); }
  int32_t ImageHotIndex() const { return FImageHotIndex; }
  void SetImageHotIndex(int32_t Value) { Store(FImageHotIndex, Value); }
  int32_t ImageDownIndex() const { return FImageDownIndex; }
  void SetImageDownIndex(int32_t Value) { Store(FImageDownIndex, Value); }
  int32_t ImageDisableIndex() const { return FImageDisableIndex; }
  void SetImageDisableIndex(int32_t Value) { Store(FImageDisableIndex, Value); }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  // Shown as the toolbar's hint while the item is hot.
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& Value) { FHint = Value; }

  TNotifyEvent OnClick;

  TVelSkinCustomToolbar* Toolbar() const;
  // Focuses the item (the field only); then OnClick, or else the linked
  // action, or else the drop-down menu; then the toolbar's OnItemClick.
  virtual void Click();
  void Assign(TPersistent* Source) override;
  std::wstring DisplayName() const override;

protected:
  std::string ClassName() const override { return "TVelSkinToolbarItem"; }

private:
  friend class TVelSkinCustomToolbar;
  friend class TToolbarItemActionLink;
  template <class T> void Store(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Changed(false);
  }

  std::unique_ptr<TToolbarItemActionLink> FActionLink;
  TToolbarItemKind FKind = tkButton;
  int32_t FImageIndex = -1;
  bool FEnabled = true;
  bool FVisible = true;
  TPopupMenu* FDropdownMenu = nullptr;
  std::unique_ptr<TVelTextObj> FText;
  TRect FRect{};
  bool FDown = false;
  int32_t FGroupIndex = 0;
  TToolbarItemLayout FTextLayout = ilBottom;
  TRect FMenuButtonRect{};
  int32_t FTag = 0;
  TColor FLineColor = 8684676;
  int32_t FImageHotIndex = -1;
  int32_t FImageDownIndex = -1;
  int32_t FImageDisableIndex = -1;
  bool FAllowAllUp = false;
  void* FData = nullptr;
  std::wstring FHint;
};

// The item as OnDrawItem names it.
using TVelSkinToolbarItemData = TVelSkinToolbarItem;

class TVelSkinToolbarItems : public TOwnedCollection {
public:
  explicit TVelSkinToolbarItems(TVelSkinCustomToolbar* AToolbar);
  TVelSkinCustomToolbar* Toolbar() const { return FToolbar; }
  TVelSkinToolbarItem* Add() { return static_cast<TVelSkinToolbarItem*>(TOwnedCollection::Add()); }
  TVelSkinToolbarItem* Insert(int Index) { return static_cast<TVelSkinToolbarItem*>(TOwnedCollection::Insert(Index)); }
  TVelSkinToolbarItem* Items(int Index) const { return Get<TVelSkinToolbarItem>(Index); }
  TVelSkinToolbarItem* operator[](int Index) const { return Items(Index); }

protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
  TVelSkinCustomToolbar* FToolbar;
};

using TToolbarClickEvent = std::function<void(TObject* Sender, int32_t ItemIndex)>;
using TVelToolbarItemDrawEnvent =
    std::function<void(TObject* Sender, TBitmap32* Bmp32, TVelSkinToolbarItemData* ItemData)>;
using TToolbarButtonWidthEvent = std::function<void(TObject* Sender, int32_t& Width)>;

class TVelSkinCustomToolbar : public TVelSkinCustomPanel {
public:
  explicit TVelSkinCustomToolbar(TComponent* AOwner);
  ~TVelSkinCustomToolbar() override;

  TChangeLink& ImagesChangeLink() { return FImagesChangeLink; }
  TVelSkinToolbarItems& Items() { return *FItems; }
  // Copies the items of Value.
  void SetItems(TVelSkinToolbarItems& Value) { FItems->Assign(&Value); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TPngPictures& ButtonImage() { return *FButtonImage; }
  void SetButtonImage(TPngPictures& Value) { FButtonImage->Assign(&Value); }
  TPngPictures& GoBackBtnPng() { return *FGoBackBtnPng; }
  TPngPictures& GoFrontBtnPng() { return *FGoFrontBtnPng; }
  TPngPictures& GoUpBtnPng() { return *FGoUpBtnPng; }
  TPngPictures& GoDownBtnPng() { return *FGoDownBtnPng; }
  TPngPictures& DropdownMenuPictures() { return *FDropdownMenuPictures; }
  int32_t ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int32_t Value) { Store(FButtonHeight, Value); }
  int32_t ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int32_t Value);
  int32_t SpaceSize() const { return FSpaceSize; }
  void SetSpaceSize(int32_t Value) { Store(FSpaceSize, Value); }
  int32_t HotItemIndex() const { return FHotItemIndex; }
  // Makes an item look hot as if the mouse were over it, until the mouse
  // says otherwise (-1: none).
  void SetHotItemIndex(int32_t Value);
  int32_t FocusItemIndex() const { return FFocusItemIndex; }
  // Stores the index and presses that item.
  void SetFocusItemIndex(int32_t Value);
  TOtherButtonKind HotOtherBtn() const { return FHotOtherBtn; }
  // The cached faces at the current item size (nullptr before the first paint).
  const TCustomBitmap32* HotImage() const { return FFaces.Face(bfHot); }
  const TCustomBitmap32* DownImage() const { return FFaces.Face(bfPressed); }
  const TCustomBitmap32* NormalImage() const { return FFaces.Face(bfNormal); }
  TPoint DispOffset() const { return FDispOffset; }
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  const TRect& GoBackBtnRect() const { return FScrollRects.Back; }
  const TRect& GoFrontBtnRect() const { return FScrollRects.Front; }
  bool DownOtherBtn() const { return FDownOtherBtn; }
  TSimpleTimer& Timer() { return *FTimer; }
  bool StopScroll() const { return FStopScroll; }
  bool EnabledScroll() const { return FEnabledScroll; }
  bool RezieButtonImage() const { return FRezieButtonImage; }
  int32_t ScrollSize() const { return FScrollSize; }
  void SetScrollSize(int32_t Value) { Store(FScrollSize, Value); }
  TVelOffset& DropdownMenuOffset() { return *FDropdownMenuOffset; }
  void SetDropdownMenuOffset(TVelOffset& Value) { FDropdownMenuOffset->Assign(&Value); }
  int32_t MenuBtnWidth() const { return FMenuBtnWidth; }
  void SetMenuBtnWidth(int32_t Value) { Store(FMenuBtnWidth, Value); }
  // The last finished picture.
  TBitmap32* BodyBuffer() const { return FBodyBuffer.get(); }
  int32_t MarginSize() const { return FMarginSize; }
  void SetMarginSize(int32_t Value) { Store(FMarginSize, Value); }
  TFont& FontDown() { return *FFontDown; }
  void SetFontDown(const TFont& Value) { FFontDown->Assign(const_cast<TFont*>(&Value)); }
  TFont& FontHot() { return *FFontHot; }
  void SetFontHot(const TFont& Value) { FFontHot->Assign(const_cast<TFont*>(&Value)); }
  // The caption colour of the item drawn last.
  TColor FontColor() const { return FFontColor; }
  int32_t MarginTextSize() const { return FMarginTextSize; }
  void SetMarginTextSize(int32_t Value) { Store(FMarginTextSize, Value); }
  TVelOffset& TextOffset() { return *FTextOffset; }
  void SetTextOffset(TVelOffset& Value) { FTextOffset->Assign(&Value); }
  // The running layout position after the last item of the last paint.
  int32_t DispX() const { return FDispX; }
  int32_t DispY() const { return FDispY; }
  bool ScrollButtonVisible() const { return FScrollButtonVisible; }
  void SetScrollButtonVisible(bool Value) { Store(FScrollButtonVisible, Value); }
  bool AutoButtonWidth() const { return FAutoButtonWidth; }
  void SetAutoButtonWidth(bool Value) { Store(FAutoButtonWidth, Value); }
  bool AllowArrowKeys() const { return FAllowArrowKeys; }
  // Also makes the toolbar a tab stop that asks for the arrow keys.
  void SetAllowArrowKeys(bool Value);
  int32_t PressedOffset() const { return FPressedOffset; }
  void SetPressedOffset(int32_t Value) { Store(FPressedOffset, Value); }

  TToolbarClickEvent OnItemDown;
  TToolbarClickEvent OnItemClick;
  TVelToolbarItemDrawEnvent OnDrawItem;
  TNotifyEvent OnItemFocusChanged;
  TToolbarButtonWidthEvent OnButtonWidthChanged;

  // One step back or forward as if that scroll button were held.
  void ScrollBack();
  void ScrollFront();
  // Lets every item's action bring its state up to date. The toolbar calls
  // it when the mouse enters, before it handles a press or a key, and every
  // quarter second while any item follows an action.
  virtual void InitiateAction();

  // What accessibility clients read (accessible_controls.cpp).
  // Its items are its child elements; spacers are separators.
  long AccRole() override;
  int AccItemCount() override;
  TAccItem AccItem(int Index) override;
  int AccItemAt(TPoint Pos) override;
  int AccFocusedItem() override;
  bool AccItemDoDefaultAction(int Index) override;

protected:
  virtual bool ScrollBackStep();
  virtual bool ScrollFrontStep();
  virtual void PressFocusedItem();
  virtual void DrawItemEvent(TBitmap32* Bitmap, TVelSkinToolbarItemData* Item);
  virtual void ItemClickEvent(int32_t Index);
  virtual int32_t ExtraWidth() { return 0; }
  virtual void ItemsChanged();
  virtual void ButtonWidthEvent(TVelSkinToolbarItem* Item, int32_t& Width);
  TBitmap32* GetSecondBackground() override { return FBodyBuffer.get(); }

  void PaintBuffer() override;
  void DrawControl(TBitmap32* Bitmap) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WMSize(TWMSize& Message) override;
  void WMTimer(TWMTimer& Message) override;
  void WMMouseMove(TWMMouse& Message) override;
  void WMLButtonDown(TWMMouse& Message) override;
  void WMLButtonDblClk(TWMMouse& Message) override;
  void WMLButtonUp(TWMMouse& Message) override;
  void CMMouseEnter(TCMMouse& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;
  void CMHintShow(TCMHintShow& Message) override;
  // The items' hints count as the toolbar's own.
  bool HasHint() const override;
  std::string ClassName() const override { return "TVelSkinCustomToolbar"; }

  template <class T> void Store(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }

private:
  friend class TVelSkinToolbarItem;
  friend class TVelSkinToolbarItems;

  TToolbarMetrics Metrics();
  std::vector<TToolbarItemInfo> ItemInfos() const;
  TToolbarMeasure Measure(TCustomBitmap32& Bitmap);
  TToolbarLayout LayoutNow(TCustomBitmap32& Bitmap, const TToolbarMetrics& M);
  void DrawCaption(TCustomBitmap32& Bitmap, int32_t Index, const TToolbarItemPlace& Place);
  void DrawScrollButtons(TCustomBitmap32& Bitmap, const TToolbarMetrics& M, const TToolbarLayout& Layout);
  TFont& FontOf(TToolbarFont Font);
  void UpdateScrollRects();
  void TimerTick();
  void Press(TPoint P);
  // Makes the item and part under P hot; true when anything changed.
  bool TrackMouse(TPoint P);
  // The item's menu at the point DropdownMenuOffset names below the item.
  void PopupItemMenu(int32_t Index);
  // Follows changes of the items: indices kept valid, the view scrolled home
  // when the rest fits after a deletion, a repaint.
  void ItemsUpdated();
  void ItemRemoving(int32_t Index);
  void ReferenceChanged(TComponent* Old, TComponent* New);
  void ActionsChanged();
  bool Valid(int32_t Index) const { return Index >= 0 && Index < FItems->Count(); }

  TChangeLink FImagesChangeLink;
  std::unique_ptr<TVelSkinToolbarItems> FItems;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TPngPictures> FButtonImage;
  std::unique_ptr<TPngPictures> FGoBackBtnPng;
  std::unique_ptr<TPngPictures> FGoFrontBtnPng;
  std::unique_ptr<TPngPictures> FGoUpBtnPng;
  std::unique_ptr<TPngPictures> FGoDownBtnPng;
  std::unique_ptr<TPngPictures> FDropdownMenuPictures;
  int32_t FButtonHeight = 48;
  int32_t FButtonWidth = 48;
  int32_t FSpaceSize = 3;
  int32_t FHotItemIndex = -1;
  int32_t FFocusItemIndex = -1;
  TOtherButtonKind FHotOtherBtn = gbNone;
  TToolbarFaces FFaces;
  TPoint FDispOffset{0, 0};
  bool FMultiLine = false;
  TToolbarScrollRects FScrollRects;
  bool FDownOtherBtn = false;
  std::unique_ptr<TSimpleTimer> FTimer;
  bool FStopScroll = false;
  bool FEnabledScroll = false;
  bool FRezieButtonImage = true;
  int32_t FScrollSize = 15;
  std::unique_ptr<TVelOffset> FDropdownMenuOffset;
  int32_t FMenuBtnWidth = 16;
  std::unique_ptr<TBitmap32> FBodyBuffer;
  int32_t FMarginSize = 20;
  std::unique_ptr<TFont> FFontDown;
  std::unique_ptr<TFont> FFontHot;
  TColor FFontColor = clWindowText;
  int32_t FMarginTextSize = 2;
  std::unique_ptr<TVelOffset> FTextOffset;
  int32_t FDispX = 0;
  int32_t FDispY = 0;
  bool FScrollButtonVisible = true;
  bool FAutoButtonWidth = false;
  bool FAllowArrowKeys = false;
  int32_t FPressedOffset = 0;

  // A hint was shown since the mouse came: the next item's shows at once.
  bool FHintShown = false;
  bool FItemDeleted = false;
  std::unique_ptr<TSimpleTimer> FActionTimer;
  // Cleared when the toolbar is freed; code after an event handler checks it.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TVelSkinToolbar : public TVelSkinCustomToolbar {
public:
  explicit TVelSkinToolbar(TComponent* AOwner) : TVelSkinCustomToolbar(AOwner) {}

protected:
  std::string ClassName() const override { return "TVelSkinToolbar"; }
};
