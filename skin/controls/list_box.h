// The skinned list box: a border panel holding a native owner-drawn list
// that draws every row itself through a memory bitmap, with a skinned scroll
// bar only while the rows do not fit. The pop-up list turns it into a
// borderless top-most tool window that never takes the activation, framed in
// its owner's menu colours: the drop-down list of the combo box.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "skin/controls/list_box_look.h"
#include "skin/controls/panels.h"
#include "toolkit/win/imaging.h"
#include "toolkit/win/listbox.h"

class TVelSkinScrollBar;
class TVelSkinCustomListBox;

// Draws row Index (ItemWidth x ItemHeight) on Cnvs instead of the default
// text; TxtRect is where the text would go.
using TVelDrawSkinItemEvent = std::function<void(TObject* Sender, TCanvas* Cnvs, int32_t Index, int32_t ItemWidth,
                                                 int32_t ItemHeight, TRect TxtRect, TOwnerDrawState State)>;

// The native list inside a skinned list box.
class TVelListBox : public TListBox {
public:
  explicit TVelListBox(TComponent* AOwner);

  TColor ItemSelectedColor() const { return FItemSelectedColor; }
  void SetItemSelectedColor(TColor Value) { StoreColor(FItemSelectedColor, Value); }
  TColor ItemSelectedFontColor() const { return FItemSelectedFontColor; }
  void SetItemSelectedFontColor(TColor Value) { StoreColor(FItemSelectedFontColor, Value); }
  TColor ItemBackgroundColor() const { return FItemBackgroundColor; }
  void SetItemBackgroundColor(TColor Value) { StoreColor(FItemBackgroundColor, Value); }
  TColor ItemNormalFontColor() const { return FItemNormalFontColor; }
  void SetItemNormalFontColor(TColor Value) { StoreColor(FItemNormalFontColor, Value); }
  bool PopupListBox() const { return FPopupListBox; }
  void SetPopupListBox(bool Value) { FPopupListBox = Value; }
  // Shifts the rows' text left by this many pixels.
  int32_t HorizontalExtentValue() const { return FHorizontalExtentValue; }
  void SetHorizontalExtentValue(int32_t Value);
  TVelSkinCustomListBox* SkinListBox() const { return FSkinListBox; }
  void SetSkinListBox(TVelSkinCustomListBox* Value) { FSkinListBox = Value; }

  // The state a row is drawn in: the current item selected (and focused with
  // the focus), others selected only in a multi-select list.
  TOwnerDrawState RowState(int32_t Index);
  // Draws row Index into DC at Rect.
  void DrawRow(HDC DC, int32_t Index, const TRect& Rect, TOwnerDrawState State);
  // Paints the visible rows and the space below them into DC, through a
  // memory bitmap copied once.
  void PaintRowsTo(HDC DC);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void WMPaint(TWMPaint& Message) override;
  void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
  void WMSize(TWMSize& Message) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
  void ItemsChanged() override;
  std::string ClassName() const override { return "TVelListBox"; }

private:
  void StoreColor(TColor& Field, TColor Value);
  bool FStopDraw = false;
  bool FPopupListBox = false;
  TColor FItemSelectedFontColor = clHighlightText;
  TColor FItemBackgroundColor = clWindow;
  TColor FItemSelectedColor = clHighlight;
  TColor FItemNormalFontColor = 0;
  int32_t FHorizontalExtentValue = 0;
  int32_t FLastWidth = 0;
  TVelSkinCustomListBox* FSkinListBox = nullptr;
  // Kept from paint to paint (sized when the list or a row changes size):
  // a scroll step then draws its rows without making a bitmap or a font.
  std::unique_ptr<TBitmap> FRow;
  std::unique_ptr<TBitmap> FMemory;
};

class TVelSkinCustomListBox : public TVelSkinBorderPanel {
public:
  explicit TVelSkinCustomListBox(TComponent* AOwner);
  ~TVelSkinCustomListBox() override;

  TVelListBox* ListBox() const { return FListBox; }
  // The bar while the rows do not fit; null otherwise.
  TVelSkinScrollBar* ScrollBar() const { return FScrollBar; }
  // Never created: multi-column lists scroll with ScrollBar too.
  TVelSkinScrollBar* HScrollBar() const { return nullptr; }

  TStrings& Items() { return FListBox->Items(); }
  int32_t ItemIndex() { return FListBox->ItemIndex(); }
  void SetItemIndex(int32_t Value) { FListBox->SetItemIndex(Value); }
  int32_t TopIndex() { return FListBox->TopIndex(); }
  void SetTopIndex(int32_t Value);
  int32_t ItemHeight() { return FListBox->ItemHeight(); }
  void SetItemHeight(int32_t Value);
  int32_t DefaultItemHeight() const { return FDefaultItemHeight; }
  void SetDefaultItemHeight(int32_t Value);
  int32_t Columns() const { return FListBox->Columns(); }
  void SetColumns(int32_t Value);
  bool MultiSelect() const { return FListBox->MultiSelect(); }
  void SetMultiSelect(bool Value) { FListBox->SetMultiSelect(Value); }
  int32_t SelCount() { return FListBox->SelCount(); }
  // Rows to size for: the height becomes RowCount rows (0: free height).
  int32_t RowCount() const { return FRowCount; }
  void SetRowCount(int32_t Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }
  TFont& ListBoxFont() { return FListBox->Font(); }
  int ListBoxTabOrder() const { return FListBox->TabOrder(); }
  void SetListBoxTabOrder(int Value) { FListBox->SetTabOrder(Value); }
  bool ListBoxTabStop() const { return FListBox->TabStop(); }
  void SetListBoxTabStop(bool Value) { FListBox->SetTabStop(Value); }
  TPopupMenu* ListBoxPopupMenu() const { return FListBox->PopupMenu(); }
  void SetListBoxPopupMenu(TPopupMenu* Value) { FListBox->SetPopupMenu(Value); }

  // Inner-list coordinates.
  int32_t ItemAtPos(TPoint Pos, bool Existing) { return FListBox->ItemAtPos(Pos, Existing); }
  TRect ItemRect(int32_t Index) { return FListBox->ItemRect(Index); }

  // Places the inner list and the bar.
  virtual void ArrangeControls();
  // Creates, sets or frees the bar as the rows now need.
  void UpdateScrollBar();
  // Whether the inner list handles Message at all (default: yes).
  virtual bool FilterListMessage(TMessage& Message);

  TVelDrawSkinItemEvent OnDrawItem;
  TMouseMoveEvent OnListBoxMouseMove;
  TMouseEvent OnListBoxMouseDown;
  TMouseEvent OnListBoxMouseUp;
  TNotifyEvent OnListBoxClick;
  TNotifyEvent OnListBoxDblClick;
  TKeyEvent OnListBoxKeyDown;
  TKeyEvent OnListBoxKeyUp;
  TKeyPressEvent OnListBoxKeyPress;
  TNotifyEvent OnCheckButtonClick;
  // Given to the bar's arrows when it is created (they then replace its steps).
  TNotifyEvent OnUpButtonClick;
  TNotifyEvent OnDownButtonClick;

  // What accessibility clients read (accessible_controls.cpp).
  // The rows of the inner list, as this control's child elements.
  std::wstring AccName() override { return std::wstring(); }
  long AccRole() override;
  long AccState() override;
  std::wstring AccValue() override;
  int AccItemCount() override;
  TAccItem AccItem(int Index) override;
  int AccItemAt(TPoint Pos) override;
  int AccFocusedItem() override;

protected:
  friend class TVelListBox;
  virtual void ListMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void ListMouseMove(TShiftState Shift, int X, int Y);
  virtual void ListMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void ListClick();
  virtual void ListDblClick();
  virtual void ListKeyDown(WORD& Key, TShiftState Shift);
  virtual void ListKeyUp(WORD& Key, TShiftState Shift);
  virtual void ListKeyPress(wchar_t& Key);
  virtual void ListEnter();
  virtual void ListExit();
  virtual void ListMouseEnter();
  virtual void ListMouseLeave();
  virtual void ListWindowCreated() {}
  void Resize() override;
  void ScaleControlsForDpi(int32_t NewPPI) override;
  std::string ClassName() const override { return "TVelSkinCustomListBox"; }

  int32_t FRowCount = 0;
  int32_t FDefaultItemHeight = 20;
  TAlignment FAlignment = taLeftJustify;
  bool FResizeing = false;

private:
  TListScrollState ScrollState();
  void CreateScrollBar();
  void FreeScrollBar();
  void ScrollBarChanged();
  TVelListBox* FListBox = nullptr;
  TVelSkinScrollBar* FScrollBar = nullptr;
  bool FUpdatingBar = false;
};

class TVelSkinListBox : public TVelSkinCustomListBox {
public:
  explicit TVelSkinListBox(TComponent* AOwner) : TVelSkinCustomListBox(AOwner) {}

protected:
  std::string ClassName() const override { return "TVelSkinListBox"; }
};

// The pop-up's colours, owned by its combo box.
struct TVelPopupColors {
  TColor FrameColor = 16365879;
  TColor SelectedColor = clHighlight;
  TColor SelectedFontColor = clHighlightText;
  TColor BackgroundColor = clWindow;
  TColor NormalFontColor = 0;
};

class TVelPopupListBox : public TVelSkinListBox {
public:
  explicit TVelPopupListBox(TComponent* AOwner);

  // Borrowed; null gives the default colours.
  void SetMenuColors(const TVelPopupColors* Colors);
  const TVelPopupColors& MenuColors() const { return FColors ? *FColors : FDefaultColors; }
  TComponent* CustomComboBox() const { return FCustomComboBox; }
  void SetCustomComboBox(TComponent* Value) { FCustomComboBox = Value; }

  // Shows the pop-up at Origin (screen coordinates) without activating it.
  void Show(TPoint Origin);
  void Hide();

protected:
  void CreateParams(TCreateParams& Params) override;
  void DrawControl(TBitmap32* Bitmap) override;
  void PaintBuffer() override;
  void WMMouseActivate(TWMMouseActivate& Message) override;
  std::string ClassName() const override { return "TVelPopupListBox"; }

private:
  TComponent* FCustomComboBox = nullptr;
  const TVelPopupColors* FColors = nullptr;
  TVelPopupColors FDefaultColors;
};
