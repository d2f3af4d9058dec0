// The skinned drop-down combo box: a border panel that paints a text area and
// a drop button from two skin images, with its items in a popup list that
// never takes the activation. In csDropDown the text area is a skinned edit
// with prefix completion; in csDropDownList the combo box draws the chosen
// item itself and selects by type-ahead.
#pragma once

#include <memory>
#include <string>

#include "skin/controls/combo_box_look.h"
#include "skin/controls/edit.h"
#include "skin/controls/list_box.h"
#include "skin/controls/panels.h"
#include "toolkit/win/stdctrls.h"

// The two styles are the toolkit combo box's: csDropDown and csDropDownList.
using TVelSkinCustomComboBoxStyle = TComboBoxStyle;

struct TVelCBItem {
  TRect R;
  TOwnerDrawState State = 0;
};

struct TVelCBButtonX {
  TRect R;
  bool MouseIn = false;
  bool Down = false;
};

class TVelSkinCustomComboBox : public TVelSkinBorderPanel {
public:
  explicit TVelSkinCustomComboBox(TComponent* AOwner);
  ~TVelSkinCustomComboBox() override;

  // Opens the popup list below the combo box (above it near the bottom of
  // the work area). Does nothing without items.
  virtual void DropDown();
  // Closes the list, taking over the highlighted item only when Accept.
  void CloseUp(bool Accept);
  bool IsPopupVisible() const;
  // The list is open and the mouse is not over the combo box.
  bool CanCancelDropDown();

  int32_t ItemIndex();
  void SetItemIndex(int32_t Value);
  TStrings& Items();
  int32_t ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int32_t Value);
  int32_t DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int32_t Value) { FDropDownCount = Value < 1 ? 1 : Value; }
  TVelSkinCustomComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TVelSkinCustomComboBoxStyle Value);
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  int32_t ListBoxWidth() const { return FListBoxWidth; }
  void SetListBoxWidth(int32_t Value) { FListBoxWidth = Value; }
  const TVelResID& DropArrowHot() const { return Flogin_inputbtn_highlight; }
  void SetDropArrowHot(const TVelResID& Value);
  const TVelResID& DropArrowNormal() const { return Flogin_inputbtn_normal; }
  void SetDropArrowNormal(const TVelResID& Value);

  TColor MenuFrameColor() const { return FMenuColors.FrameColor; }
  void SetMenuFrameColor(TColor Value) { FMenuColors.FrameColor = Value; }
  TColor MenuItemSeletedColor() const { return FMenuColors.SelectedColor; }
  void SetMenuItemSeletedColor(TColor Value) { FMenuColors.SelectedColor = Value; }
  TColor MenuItemSeletedFontColor() const { return FMenuColors.SelectedFontColor; }
  void SetMenuItemSeletedFontColor(TColor Value) { FMenuColors.SelectedFontColor = Value; }
  TColor MenuItemBackgroudColor() const { return FMenuColors.BackgroundColor; }
  void SetMenuItemBackgroudColor(TColor Value) { FMenuColors.BackgroundColor = Value; }
  TColor MenuItemNormalFontColor() const { return FMenuColors.NormalFontColor; }
  void SetMenuItemNormalFontColor(TColor Value) { FMenuColors.NormalFontColor = Value; }

  // One optional value string per item, kept in step with Items by the
  // ...ItemValue operations.
  TStrings& Values() { return *FValues; }
  std::wstring Value();
  void SetValue(const std::wstring& Value);
  void AddItemValue(const std::wstring& Item, const std::wstring& Value);
  void InsertItemValue(int32_t Index, const std::wstring& Item, const std::wstring& Value);
  void DeleteItemValue(int32_t Index);
  void ClearItemsValues();

  int32_t SelStart();
  void SetSelStart(int32_t Value);
  int32_t SelLength();
  void SetSelLength(int32_t Value);

  // The inner edit (csDropDown) or null; the popup list.
  TVelSkinEdit* Edit() const { return FEdit; }
  TVelPopupListBox* ListBox() const { return FListBox; }
  // The face as last laid out.
  const TVelCBButtonX& DropButton() const { return Button; }
  const TVelCBItem& TextArea() const { return FCBItem; }

  TNotifyEvent OnChange;
  // After a selection is taken over, only when no OnChange is assigned.
  TNotifyEvent OnClick;
  // Before the list opens; after it closes (Sender null when cancelled).
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TVelDrawSkinItemEvent OnComboBoxDrawItem;
  // Passed on to the popup list's row drawing.
  void SetOnListBoxDrawItem(TVelDrawSkinItemEvent Value);

  // What accessibility clients read (accessible_controls.cpp).
  std::wstring AccName() override { return std::wstring(); }
  long AccRole() override;
  long AccState() override;
  std::wstring AccValue() override { return Text(); }
  std::wstring AccDefaultAction() override;
  bool AccDoDefaultAction() override;
  bool AccTextIsValue() const override { return true; }

protected:
  virtual void RecreateEdit();
  // Called after a selection was taken over.
  virtual void ItemSelected() {}

  void DrawControl(TBitmap32* Bitmap) override;
  void Resize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void WMTimer(TWMTimer& Message) override;
  void WMSetFocus(TWMFocus& Message) override;
  void WMKillFocus(TWMFocus& Message) override;
  void CMMouseEnter(TCMMouse& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;
  void CMTextChanged(TWMBase& Message) override;
  void CMEnabledChanged(TWMBase& Message) override;
  void CMFontChanged(TWMBase& Message) override;
  void CMCancelMode(TCMCancelMode& Message) override;
  void CMWantSpecialKey(TWMKey& Message) override;
  std::string ClassName() const override { return "TVelSkinCustomComboBox"; }

private:
  void CalcLayout();
  void PlaceEdit();
  void EditChanged(TObject* Sender);
  void EditWindowProc(TMessage& Message);
  void ListWindowProc(TMessage& Message);
  void ListMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void TrackListMouse();
  void StartAutoScroll(int32_t Mode);
  void StopAutoScroll();
  void CompletionStep(TMessage& Message);
  // Enter and Esc close an open list, accepting or cancelling; F4 opens a
  // closed one and closes an open one, accepting.
  void ListKey(WORD Key);
  // The edit's Up and Down keys and its wheel.
  void SelectPrevious();
  void SelectNext(bool MoveListOnly);
  void ShowInEdit(int32_t Index);
  void SelectionTaken();
  // The control that belongs to this combo box's drop-down (itself, the
  // popup, its inner list or its scroll bar).
  bool IsOwnPart(TControl* Control) const;
  int32_t ItemCount();
  TItemText ItemText();
  void ApplyValue(bool Force);

  bool WasInLB = false;
  int32_t TimerMode = 0;
  int32_t FListBoxWidth = 0;
  uint32_t FLastTime = 0;
  TTypeAhead FFilter;
  bool FAutoComplete = true;
  TVelSkinCustomComboBoxStyle FStyle = csDropDown;
  int32_t FOldItemIndex = -1;
  // The text before the list was dropped down (restored on cancel).
  std::wstring FOldText;
  int32_t FDropDownCount = 8;
  bool FLBDown = false;
  TWindowProcHook FListBoxWindowProc;
  TWindowProcHook FEditWindowProc;
  TVelPopupListBox* FListBox = nullptr;
  TVelCBItem FCBItem;
  TVelCBButtonX Button;
  TVelSkinEdit* FEdit = nullptr;
  bool FMouseIn = false;
  bool FromEdit = false;
  bool FMouseInEdit = false;
  TVelResID Flogin_inputbtn_highlight = L"VelSkinDrop_arrow_hot";
  TVelResID Flogin_inputbtn_normal = L"VelSkinDrop_arrow_normal";
  int32_t FItemIndex = -1;
  int32_t FItemHeight = 20;
  std::unique_ptr<TStringList> FValues;
  std::wstring FValue;
  bool FForceSetValue = false;
  bool FSetCapture = false;
  TColor FOldFontColor = 0;
  TVelPopupColors FMenuColors;
};

class TVelSkinComboBox : public TVelSkinCustomComboBox {
public:
  explicit TVelSkinComboBox(TComponent* AOwner) : TVelSkinCustomComboBox(AOwner) {}

protected:
  std::string ClassName() const override { return "TVelSkinComboBox"; }
};
