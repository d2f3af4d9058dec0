#include "skin/controls/toolbar.h"

#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/resources/skin_draw_win.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"

namespace {

void SetUpPictures(TPngPictures& P, const wchar_t* Image, int32_t Count, int32_t Normal, int32_t Hot, int32_t Pressed,
                   int32_t Disable, bool MultiLine) {
  P.Lock();
  P.SetImage(Image);
  P.SetCount(Count);
  P.SetNormal(Normal);
  P.SetHot(Hot);
  P.SetPressed(Pressed);
  P.SetDisable(Disable);
  P.SetMultiLineMode(MultiLine);
  P.UnLock();
}

TPoint FrameSize(TPngPictures& P) { return TPoint{P.GetSingleWidth(), P.GetSingleHeight()}; }

}  // namespace

// ---- TToolbarItemActionLink ---------------------------------------------------------------

TToolbarItemActionLink::TToolbarItemActionLink(TVelSkinToolbarItem* AClient) : TActionLink(AClient), FItem(AClient) {}

void TToolbarItemActionLink::SetCaption(const std::wstring& Value) { FItem->Text().SetText(Value); }
void TToolbarItemActionLink::SetEnabled(bool Value) { FItem->SetEnabled(Value); }
void TToolbarItemActionLink::SetVisible(bool Value) { FItem->SetVisible(Value); }
void TToolbarItemActionLink::SetHint(const std::wstring& Value) { FItem->SetHint(Value); }

// ---- TVelSkinToolbarItem ------------------------------------------------------------------

TVelSkinToolbarItem::TVelSkinToolbarItem(TCollection* Collection)
    : TCollectionItem(Collection), FText(std::make_unique<TVelTextObj>()) {
  FText->SetText(L"Text");
  FText->SetOnChanged([this](TObject*) { Changed(false); });
  FText->Light().SetOnChanged([this](TObject*) { Changed(false); });
}

// The toolbar may be going too: nothing here reaches it.
TVelSkinToolbarItem::~TVelSkinToolbarItem() = default;

TVelSkinCustomToolbar* TVelSkinToolbarItem::Toolbar() const {
  auto* items = dynamic_cast<TVelSkinToolbarItems*>(Collection());
  return items ? items->Toolbar() : nullptr;
}

void TVelSkinToolbarItem::SetAction(TBasicAction* Value) {
  TBasicAction* old = Action();
  if (Value == old) return;
  if (!Value) {
    FActionLink.reset();
  } else {
    if (!FActionLink) FActionLink = std::make_unique<TToolbarItemActionLink>(this);
    FActionLink->SetAction(Value);
    FActionLink->Refresh();
  }
  if (TVelSkinCustomToolbar* toolbar = Toolbar()) {
    toolbar->ReferenceChanged(old, Value);
    toolbar->ActionsChanged();
  }
}

void TVelSkinToolbarItem::SetDropdownMenu(TPopupMenu* Value) {
  TPopupMenu* old = FDropdownMenu;
  if (Value == old) return;
  FDropdownMenu = Value;
  if (TVelSkinCustomToolbar* toolbar = Toolbar()) toolbar->ReferenceChanged(old, Value);
  Changed(false);
}

void TVelSkinToolbarItem::SetDown(bool Value) {
  if (Value == FDown) return;
  FDown = Value;
  Changed(false);
  if (TVelSkinCustomToolbar* toolbar = Toolbar()) toolbar->AccNotify(EVENT_OBJECT_STATECHANGE, Index());
  if (!Value) return;
  if (TVelSkinCustomToolbar* toolbar = Toolbar()) toolbar->SetFocusItemIndex(Index());
}

void TVelSkinToolbarItem::Click() {
  TVelSkinCustomToolbar* toolbar = Toolbar();
  const int32_t index = Index();
  std::shared_ptr<bool> alive = toolbar ? toolbar->FAlive : nullptr;
  if (toolbar) toolbar->FFocusItemIndex = index;
  // The handlers may free the item, and the toolbar with it.
  if (OnClick)
    OnClick(this);
  else if (FActionLink && FActionLink->Action())
    FActionLink->Execute();
  else if (FDropdownMenu && toolbar)
    toolbar->PopupItemMenu(index);
  if (toolbar && *alive) toolbar->ItemClickEvent(index);
}

void TVelSkinToolbarItem::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TVelSkinToolbarItem*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  auto copy = [&] {
    SetAction(src->Action());
    FKind = src->FKind;
    FImageIndex = src->FImageIndex;
    FEnabled = src->FEnabled;
    FVisible = src->FVisible;
    SetDropdownMenu(src->FDropdownMenu);
    FText->Assign(src->FText.get());
    FDown = src->FDown;
    FGroupIndex = src->FGroupIndex;
    FTextLayout = src->FTextLayout;
    FTag = src->FTag;
    FLineColor = src->FLineColor;
    FImageHotIndex = src->FImageHotIndex;
    FImageDownIndex = src->FImageDownIndex;
    FImageDisableIndex = src->FImageDisableIndex;
    FAllowAllUp = src->FAllowAllUp;
    FHint = src->FHint;
    OnClick = src->OnClick;
  };
  // One repaint for the whole copy.
  if (TCollection* collection = Collection()) {
    TUpdateScope<TCollection> update(*collection);
    copy();
  } else {
    copy();
  }
}

std::wstring TVelSkinToolbarItem::DisplayName() const {
  if (FKind == tkSpacer) return L"Spacer";
  return FText->Text().empty() ? TCollectionItem::DisplayName() : FText->Text();
}

// ---- TVelSkinToolbarItems -----------------------------------------------------------------

TVelSkinToolbarItems::TVelSkinToolbarItems(TVelSkinCustomToolbar* AToolbar)
    : TOwnedCollection(AToolbar, CollectionItemClassOf<TVelSkinToolbarItem>()), FToolbar(AToolbar) {}

void TVelSkinToolbarItems::Update(TCollectionItem*) {
  if (FToolbar) FToolbar->ItemsUpdated();
}

// Only the index is read here: while an item is extracted in its destructor
// its toolbar part is already gone.
void TVelSkinToolbarItems::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  if (FToolbar && Action == cnExtracting) FToolbar->ItemRemoving(Item->Index());
}

// ---- TVelSkinCustomToolbar: properties ----------------------------------------------------

TVelSkinCustomToolbar::TVelSkinCustomToolbar(TComponent* AOwner)
    : TVelSkinCustomPanel(AOwner),
      FItems(std::make_unique<TVelSkinToolbarItems>(this)),
      FButtonImage(std::make_unique<TPngPictures>()),
      FGoBackBtnPng(std::make_unique<TPngPictures>()),
      FGoFrontBtnPng(std::make_unique<TPngPictures>()),
      FGoUpBtnPng(std::make_unique<TPngPictures>()),
      FGoDownBtnPng(std::make_unique<TPngPictures>()),
      FDropdownMenuPictures(std::make_unique<TPngPictures>()),
      FDropdownMenuOffset(std::make_unique<TVelOffset>()),
      FBodyBuffer(std::make_unique<TBitmap32>()),
      FFontDown(std::make_unique<TFont>()),
      FFontHot(std::make_unique<TFont>()),
      FTextOffset(std::make_unique<TVelOffset>()) {
  FImagesChangeLink.OnChange = [this](TObject*) { Invalidate(); };
  SetUpPictures(*FButtonImage, L"VelSkinFlatBtn", 3, 0, 1, 2, 0, false);
  FButtonImage->SetActive(true);
  SetUpPictures(*FGoBackBtnPng, L"VelSkinBrower_back", 4, 0, 1, 2, 3, false);
  SetUpPictures(*FGoFrontBtnPng, L"VelSkinBrower_front", 4, 3, 2, 1, 0, false);
  SetUpPictures(*FGoUpBtnPng, L"VelSkinBrower_up", 4, 0, 1, 2, 3, true);
  SetUpPictures(*FGoDownBtnPng, L"VelSkinBrower_down", 4, 3, 2, 1, 0, true);
  SetUpPictures(*FDropdownMenuPictures, L"VelSkinDropdownMenu", 4, 0, 1, 2, 0, false);
  FButtonImage->SetPicturesChanged([this](TObject*) {
    FFaces.Reset();
    Invalidate();
  });
  const TNotifyEvent scrollChanged = [this](TObject*) {
    UpdateScrollRects();
    Invalidate();
  };
  for (TPngPictures* p : {FGoBackBtnPng.get(), FGoFrontBtnPng.get(), FGoUpBtnPng.get(), FGoDownBtnPng.get()})
    p->SetPicturesChanged(scrollChanged);
  FDropdownMenuPictures->SetPicturesChanged([this](TObject*) { Invalidate(); });
  const TNotifyEvent repaint = [this](TObject*) { Invalidate(); };
  FFontDown->OnChange = repaint;
  FFontHot->OnChange = repaint;
  FTextOffset->SetOnChanged(repaint);
  FDropdownMenuOffset->SetX(-4);
  FDropdownMenuOffset->SetY(-4);
  FTimer = std::make_unique<TSimpleTimer>(10, [this](TObject*) { TimerTick(); });
  FBodyBuffer->SetDrawMode(dmOpaque);
  SetDelayRefresh(true);
  SetBorderSides(0);
  SetAlign(alTop);
  FHeight = 52;
  UpdateScrollRects();
}

TVelSkinCustomToolbar::~TVelSkinCustomToolbar() {
  *FAlive = false;
  FTimer.reset();
  FActionTimer.reset();
  if (FImages) FImages->UnRegisterChanges(&FImagesChangeLink);
}

void TVelSkinCustomToolbar::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  TCustomImageList* old = FImages;
  if (old) old->UnRegisterChanges(&FImagesChangeLink);
  FImages = Value;
  if (Value) Value->RegisterChanges(&FImagesChangeLink);
  ReferenceChanged(old, Value);
  Invalidate();
}

void TVelSkinCustomToolbar::SetButtonWidth(int32_t Value) {
  if (Value == FButtonWidth) return;
  FButtonWidth = Value;
  FRezieButtonImage = true;
  FFaces.Reset();
  Invalidate();
}

void TVelSkinCustomToolbar::SetFocusItemIndex(int32_t Value) {
  FFocusItemIndex = Value;
  PressFocusedItem();
}

void TVelSkinCustomToolbar::SetHotItemIndex(int32_t Value) {
  if (!Valid(Value)) Value = -1;
  if (Value == FHotItemIndex) return;
  FHotItemIndex = Value;
  FHotOtherBtn = gbNone;
  Invalidate();
}

void TVelSkinCustomToolbar::SetMultiLine(bool Value) {
  if (Value == FMultiLine) return;
  FMultiLine = Value;
  FDispOffset = TPoint{0, 0};
  UpdateScrollRects();
  Invalidate();
}

void TVelSkinCustomToolbar::SetAllowArrowKeys(bool Value) {
  if (Value == FAllowArrowKeys) return;
  FAllowArrowKeys = Value;
  SetTabStop(Value);
  SetOptions(static_cast<TPaintBoxOptions>(Value ? (Options() | pboWantArrowKeys) : (Options() & ~pboWantArrowKeys)));
}

// Menus, actions and the image list are held by reference: the toolbar asks
// to hear when one is freed, and stops asking once nothing refers to it.
void TVelSkinCustomToolbar::ReferenceChanged(TComponent* Old, TComponent* New) {
  if (New) FreeNotification(New);
  if (!Old || Old == FImages || Old == FPopupMenu) return;
  for (int i = 0; i < FItems->Count(); ++i) {
    TVelSkinToolbarItem* item = FItems->Items(i);
    if (item->FDropdownMenu == Old || item->Action() == Old) return;
  }
  RemoveFreeNotification(Old);
}

void TVelSkinCustomToolbar::Notification(TComponent* AComponent, TOperation Operation) {
  TVelSkinCustomPanel::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) {
    FImages = nullptr;
    Invalidate();
  }
  bool changed = false;
  for (int i = 0; i < FItems->Count(); ++i) {
    TVelSkinToolbarItem* item = FItems->Items(i);
    if (item->FDropdownMenu == AComponent) {
      item->FDropdownMenu = nullptr;
      changed = true;
    }
    if (item->FActionLink && (item->Action() == AComponent || !item->Action())) {
      item->FActionLink.reset();
      changed = true;
    }
  }
  if (changed) {
    ActionsChanged();
    Invalidate();
  }
}

void TVelSkinCustomToolbar::ItemRemoving(int32_t Index) {
  if (Index < 0) return;
  FItemDeleted = true;
  if (FHotItemIndex >= Index) {
    FHotItemIndex = -1;
    if (FHotOtherBtn == gbMenu) FHotOtherBtn = gbNone;
  }
  if (FFocusItemIndex == Index)
    FFocusItemIndex = -1;
  else if (FFocusItemIndex > Index)
    --FFocusItemIndex;
}

void TVelSkinCustomToolbar::ItemsUpdated() {
  if (Valid(FHotItemIndex)) {
    const TVelSkinToolbarItem* hot = FItems->Items(FHotItemIndex);
    if (!hot->Visible() || !hot->Enabled() || hot->Kind() != tkButton) {
      FHotItemIndex = -1;
      if (FHotOtherBtn == gbMenu) FHotOtherBtn = gbNone;
    }
  }
  if (FItemDeleted) {
    FItemDeleted = false;
    // Scrolled, and the rest fits: back to the start.
    if (FDispOffset.X != 0 || FDispOffset.Y != 0) {
      TToolbarMetrics m = Metrics();
      m.DispOffset = TPoint{0, 0};
      if (!LayoutNow(*FBuffer, m).EnabledScroll) FDispOffset = TPoint{0, 0};
    }
  }
  ActionsChanged();
  ItemsChanged();
  Invalidate();
}

void TVelSkinCustomToolbar::ItemsChanged() {
  if (FButtonWidth == 0) FFaces.Reset();
}

void TVelSkinCustomToolbar::DrawItemEvent(TBitmap32* Bitmap, TVelSkinToolbarItemData* Item) {
  if (OnDrawItem) OnDrawItem(this, Bitmap, Item);
}

void TVelSkinCustomToolbar::ItemClickEvent(int32_t Index) {
  if (OnItemClick) OnItemClick(this, Index);
}

void TVelSkinCustomToolbar::ButtonWidthEvent(TVelSkinToolbarItem* Item, int32_t& Width) {
  if (OnButtonWidthChanged) OnButtonWidthChanged(Item, Width);
}

// ---- Layout and drawing -------------------------------------------------------------------

TToolbarMetrics TVelSkinCustomToolbar::Metrics() {
  TToolbarMetrics m;
  m.Width = Width();
  m.Height = Height();
  m.ButtonWidth = ScaleByDPI(this, FButtonWidth);
  m.ButtonHeight = ScaleByDPI(this, FButtonHeight);
  m.SpaceSize = ScaleByDPI(this, FSpaceSize);
  m.MenuBtnWidth = ScaleByDPI(this, FMenuBtnWidth);
  m.MarginSize = ScaleByDPI(this, FMarginSize);
  m.MarginTextSize = ScaleByDPI(this, FMarginTextSize);
  m.PressedOffset = FPressedOffset;
  m.ExtraWidth = ExtraWidth();
  m.DispOffset = FDispOffset;
  m.TextOffset = TPoint{FTextOffset->X(), FTextOffset->Y()};
  m.MultiLine = FMultiLine;
  m.AutoButtonWidth = FAutoButtonWidth;
  m.HasImages = FImages != nullptr;
  m.ImageWidth = FImages ? FImages->Width() : 0;
  m.ImageHeight = FImages ? FImages->Height() : 0;
  m.HotItemIndex = FHotItemIndex;
  m.HotOtherBtn = FHotOtherBtn;
  m.DownOtherBtn = FDownOtherBtn;
  return m;
}

std::vector<TToolbarItemInfo> TVelSkinCustomToolbar::ItemInfos() const {
  std::vector<TToolbarItemInfo> infos(static_cast<size_t>(FItems->Count()));
  for (int i = 0; i < FItems->Count(); ++i) {
    const TVelSkinToolbarItem* item = FItems->Items(i);
    TToolbarItemInfo& info = infos[i];
    info.Kind = item->FKind;
    info.Visible = item->FVisible;
    info.Enabled = item->FEnabled;
    info.Down = item->FDown;
    info.HasMenu = item->FDropdownMenu != nullptr;
    info.TextVisible = item->FText->Visible();
    info.TextLayout = item->FTextLayout;
    info.ImageIndex = item->FImageIndex;
    info.ImageHotIndex = item->FImageHotIndex;
    info.ImageDownIndex = item->FImageDownIndex;
    info.ImageDisableIndex = item->FImageDisableIndex;
    info.GroupIndex = item->FGroupIndex;
    info.AllowAllUp = item->FAllowAllUp;
    info.LineColor = ToColor32(item->FLineColor);
    info.Rect = item->FRect;
    info.MenuButtonRect = item->FMenuButtonRect;
  }
  return infos;
}

TFont& TVelSkinCustomToolbar::FontOf(TToolbarFont Font) {
  switch (Font) {
    case tfHot: return *FFontHot;
    case tfDown: return *FFontDown;
    case tfNormal: break;
  }
  return this->Font();
}

TToolbarMeasure TVelSkinCustomToolbar::Measure(TCustomBitmap32& Bitmap) {
  TToolbarMeasure measure;
  measure.Caption = [this, &Bitmap](int32_t Index, TToolbarFont Font) {
    TFont font;
    font.Assign(&FontOf(Font));
    ScaleFontByDPI(this, font);
    ::SetFont(Bitmap, font);
    const SIZE size = TextExtentW(Bitmap, FItems->Items(Index)->FText->Text());
    return TPoint{size.cx, size.cy};
  };
  measure.ButtonWidth = [this](int32_t Index, int32_t& Width) { ButtonWidthEvent(FItems->Items(Index), Width); };
  return measure;
}

TToolbarLayout TVelSkinCustomToolbar::LayoutNow(TCustomBitmap32& Bitmap, const TToolbarMetrics& M) {
  return ToolbarLayout(M, ItemInfos(), Measure(Bitmap));
}

void TVelSkinCustomToolbar::PaintBuffer() {
  // While a resize is settling only the background is brought up to date and
  // the last finished picture stands in for the content; the first picture
  // has none to stand in, and is drawn whole.
  const bool stopped = FStopDrawBody;
  if (FBodyBuffer->Empty()) FStopDrawBody = false;
  TScopeExit restore([&] { FStopDrawBody = stopped; });
  TVelSkinCustomPanel::PaintBuffer();
  if (FStopDrawBody && !Designing()) FBodyBuffer->DrawTo(FBuffer.get(), 0, 0);
}

// The picture the children take as their background has changed once the
// delayed refresh is done.
void TVelSkinCustomToolbar::WMTimer(TWMTimer& Message) {
  const bool delayed = Message.TimerID == DelayRefreshTimer;
  TVelSkinCustomPanel::WMTimer(Message);
  if (delayed) RefreshSubControl(false);
}

void TVelSkinCustomToolbar::DrawControl(TBitmap32* Bitmap) {
  {
    // The panel's own custom-draw call is held back: OnCustomDraw comes once,
    // after the items.
    TVelCustomDrawEvent customDraw = std::move(OnCustomDraw);
    OnCustomDraw = nullptr;
    TScopeExit restore([&] { OnCustomDraw = std::move(customDraw); });
    TVelSkinCustomPanel::DrawControl(Bitmap);
  }
  const TToolbarMetrics m = Metrics();
  const std::vector<TToolbarItemInfo> infos = ItemInfos();
  const TToolbarLayout layout = ToolbarLayout(m, infos, Measure(*Bitmap));
  for (size_t i = 0; i < layout.Items.size(); ++i) {
    TVelSkinToolbarItem* item = FItems->Items(static_cast<int>(i));
    item->FRect = layout.Items[i].Rect;
    item->FMenuButtonRect = layout.Items[i].MenuButtonRect;
  }
  if (FMultiLine)
    FDispY = layout.End;
  else
    FDispX = layout.End;
  FEnabledScroll = layout.EnabledScroll;

  TToolbarPaint paint;
  if (FButtonImage->Active()) {
    paint.Faces = &FFaces;
    paint.CutFace = [this](TButtonFrame Frame, TCustomBitmap32* Image) {
      return CutStateFrame(*FButtonImage, Frame, Image);
    };
  }
  paint.CutMenuFrame = [this](TButtonFrame Frame, TCustomBitmap32* Image) {
    return CutStateFrame(*FDropdownMenuPictures, Frame, Image);
  };
  if (FImages) {
    paint.Image = [this](int32_t Index, bool Enabled) { return &FImages->Pixels(Index, Enabled); };
    paint.ImageWidth = FImages->Width();
    paint.ImageHeight = FImages->Height();
  }
  paint.Caption = [this, Bitmap](int32_t Index, const TToolbarItemPlace& Place) { DrawCaption(*Bitmap, Index, Place); };
  paint.ItemDrawn = [this, Bitmap](int32_t Index) { DrawItemEvent(Bitmap, FItems->Items(Index)); };
  paint.Designing = Designing();
  DrawToolbarItems(*Bitmap, layout, infos, paint);
  FRezieButtonImage = false;
  DrawScrollButtons(*Bitmap, m, layout);
  if (OnCustomDraw) OnCustomDraw(this, Bitmap);
  // The copy keeps its storage from paint to paint: only the pixels move.
  FBodyBuffer->SetSize(Bitmap->Width(), Bitmap->Height());
  std::copy_n(Bitmap->Bits(), static_cast<size_t>(Bitmap->Width()) * Bitmap->Height(), FBodyBuffer->Bits());
}

void TVelSkinCustomToolbar::DrawCaption(TCustomBitmap32& Bitmap, int32_t Index, const TToolbarItemPlace& Place) {
  const TVelSkinToolbarItem* item = FItems->Items(Index);
  const std::wstring& text = item->FText->Text();
  TFont font;
  font.Assign(&FontOf(Place.Font));
  ScaleFontByDPI(this, font);
  FFontColor = item->FEnabled ? font.Color() : static_cast<TColor>(ToolbarDisabledCaptionColor);
  font.SetColor(FFontColor);
  ::SetFont(Bitmap, font);
  const TVelLightClass& light = item->FText->Light();
  if (light.Active() && !Designing()) {
    ::Canvas(Bitmap).Font().Assign(&font);
    DrawGlowText(::Canvas(Bitmap), Place.TextRect, text, light.BlurRadius(), light.Color(), Place.TextFlags);
  }
  TextoutW(Bitmap, Place.TextRect, Place.TextFlags, text);
}

void TVelSkinCustomToolbar::DrawScrollButtons(TCustomBitmap32& Bitmap, const TToolbarMetrics& M,
                                              const TToolbarLayout& Layout) {
  if (!Layout.EnabledScroll || !FScrollButtonVisible) return;
  const TToolbarScrollLook look = ToolbarScrollLook(M, Layout, FStopScroll);
  FStopScroll = look.StopScroll;
  TPngPictures& back = FMultiLine ? *FGoUpBtnPng : *FGoBackBtnPng;
  TPngPictures& front = FMultiLine ? *FGoDownBtnPng : *FGoFrontBtnPng;
  TCustomBitmap32 frame;
  if (CutStateFrame(back, look.Back, &frame)) frame.DrawTo(&Bitmap, FScrollRects.Back.Left, FScrollRects.Back.Top);
  if (CutStateFrame(front, look.Front, &frame))
    frame.DrawTo(&Bitmap, FScrollRects.Front.Left, FScrollRects.Front.Top);
}

void TVelSkinCustomToolbar::UpdateScrollRects() {
  TPngPictures& back = FMultiLine ? *FGoUpBtnPng : *FGoBackBtnPng;
  TPngPictures& front = FMultiLine ? *FGoDownBtnPng : *FGoFrontBtnPng;
  FScrollRects = ToolbarScrollRects(Width(), Height(), FMultiLine, FrameSize(back), FrameSize(front));
}

void TVelSkinCustomToolbar::WMSize(TWMSize& Message) {
  if (FButtonWidth == 0) {
    FRezieButtonImage = true;
    FFaces.Reset();
  }
  TVelSkinCustomPanel::WMSize(Message);
  FDispOffset = TPoint{0, 0};
  UpdateScrollRects();
}
