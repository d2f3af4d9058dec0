// The native list box, plain or owner-drawn with a fixed row height. Items,
// ItemIndex, TopIndex and ItemHeight work before the window exists and
// survive recreating it; owner-drawn rows arrive as CN_DRAWITEM reflected by
// the parent window.
#pragma once

#include "toolkit/win/controls.h"

#include <memory>

// The state of an owner-drawn row or item.
enum TOwnerDrawStateFlag : uint32_t {
  odSelected = 1u << 0,
  odGrayed = 1u << 1,
  odDisabled = 1u << 2,
  odChecked = 1u << 3,
  odFocused = 1u << 4,
  odDefault = 1u << 5,
  odHotLight = 1u << 6,
  odNoAccel = 1u << 7,
  odNoFocusRect = 1u << 8,
  odComboBoxEdit = 1u << 9,
};
using TOwnerDrawState = uint32_t;

// The state flags of a DRAWITEMSTRUCT's itemState.
TOwnerDrawState OwnerDrawStateOf(UINT ItemState);

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };

class TListBox;
// Draws row Index into Rect of the list's Canvas.
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;

class TListBox : public TWinControl {
public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;

  TStrings& Items();
  // The current item (the caret item of a multi-select list); -1 none.
  int ItemIndex();
  // Out-of-range values select nothing.
  void SetItemIndex(int Value);
  int TopIndex();
  void SetTopIndex(int Value);
  int ItemHeight();
  // Values below 1 are taken as 1; the native list stores at most 255.
  void SetItemHeight(int Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  // 0: one column with a vertical scroll bar; more: that many columns side
  // by side, scrolling horizontally.
  int Columns() const { return FColumns; }
  void SetColumns(int Value);
  bool Selected(int Index);
  void SetSelected(int Index, bool Value);
  int SelCount();

  // The row under Pos (client coordinates). Off the items: -1 when Existing,
  // else the item count (the place after the last item).
  int ItemAtPos(TPoint Pos, bool Existing);
  // The row's rectangle in client coordinates (empty for an invalid index).
  TRect ItemRect(int Index);
  // The first item after StartAfter (wrapping; -1 searches from the start)
  // whose text begins with Prefix, ignoring case; -1 when none.
  int FindPrefix(const std::wstring& Prefix, int StartAfter = -1);

  // A list whose rows are its child elements.
  long AccRole() override;
  std::wstring AccValue() override;
  int AccItemCount() override;
  TAccItem AccItem(int Index) override;
  int AccItemAt(TPoint Pos) override { return ItemAtPos(Pos, true); }
  int AccFocusedItem() override { return ItemIndex(); }
  // Tells clients that the current row changed (selection, and focus when focused).
  void AccSelectionChanged();

  // The canvas of the row being drawn (bound only during DrawItem).
  TCanvas& Canvas() { return *FCanvas; }

  TDrawItemEvent OnDrawItem;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void CNCommand(TWMCommand& Message) override;
  void CNDrawItem(TWMDrawItem& Message) override;
  void CNMeasureItem(TWMMeasureItem& Message) override;
  void WMSize(TWMSize& Message) override;
  // Draws one row on Canvas: OnDrawItem when assigned, else the selection
  // colours and the item's text.
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
  // Called after items were added, inserted, deleted or cleared (once at
  // the end of an update).
  virtual void ItemsChanged() {}
  std::string ClassName() const override { return "TListBox"; }

  std::unique_ptr<TCanvas> FCanvas;

private:
  class TListBoxStrings;
  friend class TListBoxStrings;
  void UpdateColumnWidth();
  std::unique_ptr<TListBoxStrings> FItems;
  TListBoxStyle FStyle = lbStandard;
  bool FMultiSelect = false;
  int FColumns = 0;
  int FItemHeight = 16;
  int FItemIndex = -1;
  int FTopIndex = 0;
};
