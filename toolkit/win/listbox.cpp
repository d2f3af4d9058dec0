#include "toolkit/win/listbox.h"

#include "toolkit/win/native_strings.h"

#include <algorithm>
#include <cwctype>

TOwnerDrawState OwnerDrawStateOf(UINT ItemState) {
  TOwnerDrawState s = 0;
  if (ItemState & ODS_SELECTED) s |= odSelected;
  if (ItemState & ODS_GRAYED) s |= odGrayed;
  if (ItemState & ODS_DISABLED) s |= odDisabled;
  if (ItemState & ODS_CHECKED) s |= odChecked;
  if (ItemState & ODS_FOCUS) s |= odFocused;
  if (ItemState & ODS_DEFAULT) s |= odDefault;
  if (ItemState & ODS_HOTLIGHT) s |= odHotLight;
  if (ItemState & ODS_NOACCEL) s |= odNoAccel;
  if (ItemState & ODS_NOFOCUSRECT) s |= odNoFocusRect;
  if (ItemState & ODS_COMBOBOXEDIT) s |= odComboBoxEdit;
  return s;
}

namespace {

bool StartsWithNoCase(const std::wstring& Text, const std::wstring& Prefix) {
  if (Prefix.size() > Text.size()) return false;
  for (size_t i = 0; i < Prefix.size(); ++i)
    if (std::towlower(Text[i]) != std::towlower(Prefix[i])) return false;
  return true;
}

}  // namespace

// The native list's items; a change tells the list once no update is running.
class TListBox::TListBoxStrings : public TNativeListStrings {
public:
  explicit TListBoxStrings(TListBox& List) : TNativeListStrings(List.FHandle, ListBoxListMessages), FList(List) {}

  void Put(int Index, const std::wstring& S) override {
    if (!FList.FHandle) return Stored.Put(Index, S);
    // The native list has no replace: insert the new text, drop the old,
    // and keep the object and the selection.
    CheckIndex(Index, Count());
    TObject* object = Objects(Index);
    const int selected = FList.ItemIndex();
    Delete(Index);
    Insert(Index, S);
    PutObject(Index, object);
    if (selected == Index) FList.SetItemIndex(Index);
  }
  int IndexOf(const std::wstring& S) const override {
    if (!FList.FHandle) return Stored.IndexOf(S);
    const LRESULT r = SendMessageW(FList.FHandle, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(S.c_str()));
    return r == LB_ERR ? -1 : static_cast<int>(r);
  }

protected:
  // Many changes in a row are drawn once, at the end.
  void SetUpdateState(bool Updating) override {
    if (FList.FHandle) {
      SendMessageW(FList.FHandle, WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
      if (!Updating) InvalidateRect(FList.FHandle, nullptr, TRUE);
    }
    if (!Updating) FList.ItemsChanged();
  }

  void Changed() override {
    if (UpdateCount() == 0) FList.ItemsChanged();
  }

private:
  TListBox& FList;
};

TListBox::TListBox(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()), FItems(std::make_unique<TListBoxStrings>(*this)) {
  FControlStyle = csSetCaption | csDoubleClicks | csNativePaint;
  FTabStop = true;
  FColor = clWindow;
  FWidth = 121;
  FHeight = 97;
}

TListBox::~TListBox() {
  // The window goes while the item list still exists.
  DestroyHandle();
}

void TListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style &= ~WS_CLIPCHILDREN;
  Params.Style |= WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
  if (FStyle == lbOwnerDrawFixed) Params.Style |= LBS_OWNERDRAWFIXED;
  if (FMultiSelect) Params.Style |= LBS_EXTENDEDSEL;
  if (FColumns > 0) Params.Style |= LBS_MULTICOLUMN | WS_HSCROLL;
  Params.WinClassName = L"QuorrelListBox";
  Params.BaseClassName = L"LISTBOX";
}

void TListBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
  if (FStyle == lbOwnerDrawFixed) SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, FItemHeight);
  SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
  FItems->MoveStoredToWindow();
  SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
  UpdateColumnWidth();
  SetItemIndex(FItemIndex);
  SetTopIndex(FTopIndex);
}

void TListBox::DestroyWnd() {
  if (!FHandle) return;
  FItemIndex = ItemIndex();
  FTopIndex = TopIndex();
  TStringList saved;
  FItems->SnapshotWindow(saved);
  TWinControl::DestroyWnd();
  FItems->Stored.Assign(&saved);
}

TStrings& TListBox::Items() { return *FItems; }

int TListBox::ItemIndex() {
  if (!FHandle) return FItemIndex;
  const LRESULT r = SendMessageW(FHandle, FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
  if (r == LB_ERR) return -1;
  // A multi-select list has a caret even when nothing is selected at all.
  if (FMultiSelect && SelCount() == 0) return -1;
  return static_cast<int>(r);
}

void TListBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  FItemIndex = Value;
  if (!FHandle) return;
  if (FMultiSelect) {
    SendMessageW(FHandle, LB_SETSEL, FALSE, -1);
    if (Value >= 0) {
      SendMessageW(FHandle, LB_SETSEL, TRUE, Value);
      SendMessageW(FHandle, LB_SETCARETINDEX, Value, FALSE);
    }
  } else {
    SendMessageW(FHandle, LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
  }
  AccSelectionChanged();
}

int TListBox::TopIndex() {
  if (!FHandle) return FTopIndex;
  return static_cast<int>(SendMessageW(FHandle, LB_GETTOPINDEX, 0, 0));
}

void TListBox::SetTopIndex(int Value) {
  FTopIndex = std::clamp(Value, 0, std::max(FItems->Count() - 1, 0));
  if (FHandle) SendMessageW(FHandle, LB_SETTOPINDEX, FTopIndex, 0);
}

int TListBox::ItemHeight() {
  if (FHandle && FStyle == lbStandard) {
    const LRESULT r = SendMessageW(FHandle, LB_GETITEMHEIGHT, 0, 0);
    if (r != LB_ERR) return static_cast<int>(r);
  }
  return FItemHeight;
}

void TListBox::SetItemHeight(int Value) {
  Value = std::clamp(Value, 1, 255);
  if (Value == FItemHeight) return;
  FItemHeight = Value;
  if (FHandle && FStyle == lbOwnerDrawFixed) {
    SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, Value);
    InvalidateRect(FHandle, nullptr, TRUE);
  }
}

void TListBox::SetStyle(TListBoxStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  RecreateWnd();
}

void TListBox::SetMultiSelect(bool Value) {
  if (Value == FMultiSelect) return;
  FMultiSelect = Value;
  RecreateWnd();
}

void TListBox::SetColumns(int Value) {
  Value = std::max(Value, 0);
  if (Value == FColumns) return;
  const bool restyle = (Value > 0) != (FColumns > 0);
  FColumns = Value;
  if (restyle)
    RecreateWnd();
  else
    UpdateColumnWidth();
}

void TListBox::UpdateColumnWidth() {
  if (!FHandle || FColumns <= 0) return;
  const int width = std::max(ClientWidth() / FColumns, 1);
  SendMessageW(FHandle, LB_SETCOLUMNWIDTH, width, 0);
}

bool TListBox::Selected(int Index) {
  TNativeListStrings::CheckIndex(Index, FItems->Count());
  if (!FHandle) return Index == FItemIndex;
  return SendMessageW(FHandle, LB_GETSEL, Index, 0) > 0;
}

void TListBox::SetSelected(int Index, bool Value) {
  TNativeListStrings::CheckIndex(Index, FItems->Count());
  if (!FHandle || !FMultiSelect) {
    if (Value)
      SetItemIndex(Index);
    else if (ItemIndex() == Index)
      SetItemIndex(-1);
    return;
  }
  SendMessageW(FHandle, LB_SETSEL, Value ? TRUE : FALSE, Index);
}

int TListBox::SelCount() {
  if (!FHandle || !FMultiSelect) return ItemIndex() >= 0 ? 1 : 0;
  const LRESULT r = SendMessageW(FHandle, LB_GETSELCOUNT, 0, 0);
  return r == LB_ERR ? 0 : static_cast<int>(r);
}

int TListBox::ItemAtPos(TPoint Pos, bool Existing) {
  const int count = FItems->Count();
  const TRect client = ClientRect();
  const int rowHeight = std::max(ItemHeight(), 1);
  const bool inside = Pos.X >= client.Left && Pos.X < client.Right && Pos.Y >= client.Top && Pos.Y < client.Bottom;
  if (inside) {
    // Computed rather than asked: the native hit test answers 16-bit indexes.
    long long index = TopIndex() + Pos.Y / rowHeight;
    if (FColumns > 0) {
      const int rowsPerColumn = std::max(client.Height() / rowHeight, 1);
      const int columnWidth = std::max(client.Width() / FColumns, 1);
      index = TopIndex() + static_cast<long long>(Pos.X / columnWidth) * rowsPerColumn + Pos.Y / rowHeight;
    }
    if (index < count) return static_cast<int>(index);
  }
  return Existing ? -1 : count;
}

TRect TListBox::ItemRect(int Index) {
  if (Index < 0 || Index >= FItems->Count()) return TRect{};
  if (!FHandle) {
    const int h = ItemHeight();
    const int top = (Index - FTopIndex) * h;
    return TRect{0, top, FWidth, top + h};
  }
  RECT r{};
  if (SendMessageW(FHandle, LB_GETITEMRECT, Index, reinterpret_cast<LPARAM>(&r)) == LB_ERR) return TRect{};
  return ToTRect(r);
}

int TListBox::FindPrefix(const std::wstring& Prefix, int StartAfter) {
  const int count = FItems->Count();
  if (Prefix.empty() || count == 0) return -1;
  if (StartAfter < -1 || StartAfter >= count) StartAfter = -1;
  if (FHandle) {
    const LRESULT r = SendMessageW(FHandle, LB_FINDSTRING, static_cast<WPARAM>(StartAfter),
                                   reinterpret_cast<LPARAM>(Prefix.c_str()));
    return r == LB_ERR ? -1 : static_cast<int>(r);
  }
  for (int step = 1; step <= count; ++step) {
    const int i = (StartAfter + step) % count;
    if (StartsWithNoCase(FItems->Stored.Strings(i), Prefix)) return i;
  }
  return -1;
}

void TListBox::CNCommand(TWMCommand& Message) {
  if (Message.NotifyCode != LBN_SELCHANGE) return;
  AccSelectionChanged();
  Click();
}

void TListBox::CNMeasureItem(TWMMeasureItem& Message) {
  Message.MeasureItemStruct->itemHeight = static_cast<UINT>(FItemHeight);
  Message.Result = TRUE;
}

void TListBox::CNDrawItem(TWMDrawItem& Message) {
  const DRAWITEMSTRUCT& d = *Message.DrawItemStruct;
  Message.Result = TRUE;
  // An empty list asks for its focus rectangle with no item.
  if (static_cast<int>(d.itemID) < 0) return;
  TOwnerDrawState state = OwnerDrawStateOf(d.itemState);
  TCanvasBinding binding(*FCanvas, d.hDC, FFont.get());
  DrawItem(static_cast<int>(d.itemID), ToTRect(d.rcItem), state);
}

void TListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  const bool selected = (State & odSelected) != 0;
  FCanvas->Brush().SetColor(selected ? clHighlight : FColor);
  FCanvas->FillRect(Rect);
  FCanvas->Font().SetColor(selected ? clHighlightText : FFont->Color());
  FCanvas->Brush().SetStyle(bsClear);
  FCanvas->TextRect(Rect, Rect.Left + 2, Rect.Top, FItems->Strings(Index));
  FCanvas->Brush().SetStyle(bsSolid);
}

void TListBox::WMSize(TWMSize& Message) {
  TWinControl::WMSize(Message);
  UpdateColumnWidth();
}
