#include "skin/controls/combo_box.h"

#include "gfx/win/gdi_backend.h"
#include "skin/controls/scroll_bar.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/forms.h"
#include "toolkit/win/monitors.h"

#include <algorithm>

namespace {

// The font colour of a disabled combo box.
constexpr TColor DisabledFontColor = 13421772;

}  // namespace

TVelSkinCustomComboBox::TVelSkinCustomComboBox(TComponent* AOwner) : TVelSkinBorderPanel(AOwner) {
  SetTabStop(true);
  SetColor(clWhite);
  SetBounds(Left(), Top(), 140, 26);
  SetOptions(Options() | pboWantArrowKeys);

  FListBox = new TVelPopupListBox(this);
  FListBox->SetMenuColors(&FMenuColors);
  FListBox->SetParent(this);
  TVelListBox* list = FListBox->ListBox();
  list->SetTabStop(false);
  FListBoxWindowProc.Hook(*list, [this](TMessage& Message) { ListWindowProc(Message); });
  FItemHeight = FListBox->DefaultItemHeight();

  RecreateEdit();
  FValues = std::make_unique<TStringList>();
  FValues->OnChange = [this](TObject*) { ApplyValue(true); };
  SetAlpha(255);
  SetTransparent(false);
  SetCMMouse(false);
}

TVelSkinCustomComboBox::~TVelSkinCustomComboBox() {
  // The hooks go first, while their targets and this object are whole.
  StopAutoScroll();
  FEditWindowProc.Unhook();
  FListBoxWindowProc.Unhook();
}

// ---- Items, index, text and values ----------------------------------------------------------

TStrings& TVelSkinCustomComboBox::Items() { return FListBox->Items(); }

int32_t TVelSkinCustomComboBox::ItemCount() { return FListBox->Items().Count(); }

TItemText TVelSkinCustomComboBox::ItemText() {
  TStrings& items = FListBox->Items();
  return [&items](int32_t Index) { return items.Strings(Index); };
}

int32_t TVelSkinCustomComboBox::ItemIndex() {
  FItemIndex = FListBox->ItemIndex();
  return FItemIndex;
}

void TVelSkinCustomComboBox::SetItemIndex(int32_t Value) {
  FItemIndex = Value;
  if (!Designing()) FListBox->SetItemIndex(Value);
  const int32_t index = FListBox->ItemIndex();
  SetText(ItemCount() == 0 || index < 0 ? std::wstring() : Items().Strings(index));
  FOldItemIndex = index;
  if (!FEdit) Invalidate();
  if (!Designing() && !ComponentState().Contains(csLoading)) SelectionTaken();
}

void TVelSkinCustomComboBox::SelectionTaken() {
  if (OnClick && !OnChange) OnClick(this);
  ItemSelected();
}

void TVelSkinCustomComboBox::SetItemHeight(int32_t Value) {
  if (Value < 1) Value = 1;
  FItemHeight = Value;
}

std::wstring TVelSkinCustomComboBox::Value() {
  const std::wstring text = Text();
  const int32_t index = FStyle == csDropDownList ? ItemIndex() : (text.empty() ? -1 : Items().IndexOf(text));
  if (index >= 0 && index < FValues->Count() && !FValues->Strings(index).empty()) {
    FValue = FValues->Strings(index);
    return FValue;
  }
  return text;
}

void TVelSkinCustomComboBox::SetValue(const std::wstring& Value) {
  if (Value == FValue && !FForceSetValue) return;
  int32_t found = -1;
  for (int32_t i = 0, n = ItemCount(); i < n && found < 0; ++i) {
    const std::wstring value = i < FValues->Count() && !FValues->Strings(i).empty() ? FValues->Strings(i)
                                                                                     : Items().Strings(i);
    if (value == Value) found = i;
  }
  SetItemIndex(found);
  FValue = Value;
}

void TVelSkinCustomComboBox::ApplyValue(bool Force) {
  FForceSetValue = Force;
  TScopeExit reset([this] { FForceSetValue = false; });
  SetValue(FValue);
}

// Values and Items grow and shrink together: a missing value is an empty line.
void TVelSkinCustomComboBox::AddItemValue(const std::wstring& Item, const std::wstring& Value) {
  InsertItemValue(ItemCount(), Item, Value);
}

void TVelSkinCustomComboBox::InsertItemValue(int32_t Index, const std::wstring& Item, const std::wstring& Value) {
  Index = std::clamp(Index, 0, ItemCount());
  Items().Insert(Index, Item);
  FValues->BeginUpdate();
  TScopeExit endUpdate([this] { FValues->EndUpdate(); });
  while (FValues->Count() < Index) FValues->Add(std::wstring());
  FValues->Insert(Index, Value);
}

void TVelSkinCustomComboBox::DeleteItemValue(int32_t Index) {
  if (Index < 0 || Index >= ItemCount()) return;
  Items().Delete(Index);
  if (Index < FValues->Count()) FValues->Delete(Index);
}

void TVelSkinCustomComboBox::ClearItemsValues() {
  Items().Clear();
  FValues->Clear();
}

int32_t TVelSkinCustomComboBox::SelStart() { return FEdit ? FEdit->SelStart() : 0; }
void TVelSkinCustomComboBox::SetSelStart(int32_t Value) {
  if (FEdit) FEdit->SetSelStart(Value);
}
int32_t TVelSkinCustomComboBox::SelLength() { return FEdit ? FEdit->SelLength() : 0; }
void TVelSkinCustomComboBox::SetSelLength(int32_t Value) {
  if (FEdit) FEdit->SetSelLength(Value);
}

void TVelSkinCustomComboBox::SetDropArrowHot(const TVelResID& Value) {
  Store(Flogin_inputbtn_highlight, Value);
}

void TVelSkinCustomComboBox::SetDropArrowNormal(const TVelResID& Value) {
  if (Value == Flogin_inputbtn_normal) return;
  Flogin_inputbtn_normal = Value;
  CalcLayout();
  Invalidate();
}

void TVelSkinCustomComboBox::SetOnListBoxDrawItem(TVelDrawSkinItemEvent Value) {
  FListBox->OnDrawItem = std::move(Value);
}

// ---- Style, edit and layout -----------------------------------------------------------------

void TVelSkinCustomComboBox::SetStyle(TVelSkinCustomComboBoxStyle Value) {
  if (Value == FStyle && Designing()) return;
  FStyle = Value;
  if (FStyle == csDropDown) {
    const bool hadFocus = HandleAllocated() && Focused();
    RecreateEdit();
    FEdit->SetText(Text());
    if (hadFocus) FEdit->SetFocus();
  } else if (FEdit) {
    FEditWindowProc.Unhook();
    TVelSkinEdit* edit = FEdit;
    FEdit = nullptr;
    edit->SetVisible(false);
    delete edit;
    if (!Designing()) SetTabStop(true);
  }
  CalcLayout();
  if (HandleAllocated()) RecreateWnd();
  Invalidate();
}

void TVelSkinCustomComboBox::RecreateEdit() {
  bool tabStop = TabStop();
  if (FEdit) {
    tabStop = FEdit->TabStop() || tabStop;
    FEditWindowProc.Unhook();
    delete FEdit;
    FEdit = nullptr;
  }
  FEdit = new TVelSkinEdit(this);
  FEdit->SetParent(this);
  FEdit->SetBorderVisible(false);
  FEdit->SetColor(Color());
  FEdit->Space().SetActive(false);
  FEdit->OnChange = [this](TObject* Sender) { EditChanged(Sender); };
  FEditWindowProc.Hook(*FEdit, [this](TMessage& Message) { EditWindowProc(Message); });
  // Keys and double clicks in the edit are the combo box's own to the program.
  FEdit->OnDblClick = [this](TObject*) {
    if (OnDblClick) OnDblClick(this);
  };
  FEdit->OnKeyDown = [this](TObject*, WORD& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
  };
  FEdit->OnKeyPress = [this](TObject*, wchar_t& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
  };
  FEdit->OnKeyUp = [this](TObject*, WORD& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
  };
  FEdit->Font().Assign(&Font());
  // The tab stop moves to the edit, which takes the keys.
  if (!Designing() && tabStop) {
    SetTabStop(false);
    FEdit->SetTabStop(true);
  } else {
    FEdit->SetTabStop(tabStop);
  }
  CalcLayout();
}

void TVelSkinCustomComboBox::CalcLayout() {
  TVelSkinImage* arrow = SkinImageOrNone(Flogin_inputbtn_normal, true);
  const TComboLayout layout = ComboLayout(Width(), Height(), arrow ? arrow->Width() : -1);
  Button.R = layout.Button;
  FCBItem.R = layout.TextArea;
  if (FEdit) PlaceEdit();
}

void TVelSkinCustomComboBox::PlaceEdit() {
  const TComboLayout layout = ComboLayout(Width(), Height(), Button.R.Width() - 1);
  FEdit->SetBounds(layout.Edit.Left, layout.Edit.Top, layout.Edit.Width(), layout.Edit.Height());
  TVelSpaceSize& space = FEdit->Space();
  space.SetLeft(2);
  space.SetTop(4);
  space.SetBottom(4);
}

void TVelSkinCustomComboBox::Resize() {
  TVelSkinBorderPanel::Resize();
  CalcLayout();
}

// ---- Dropping down and closing --------------------------------------------------------------

bool TVelSkinCustomComboBox::IsPopupVisible() const { return FListBox->Visible(); }

bool TVelSkinCustomComboBox::CanCancelDropDown() { return IsPopupVisible() && !FMouseIn; }

void TVelSkinCustomComboBox::DropDown() {
  const int32_t count = ItemCount();
  if (count == 0) return;
  const int32_t rowHeight = ScaleByDPI(this, FItemHeight);
  WasInLB = false;
  StopAutoScroll();
  if (OnDropDown) OnDropDown(this);

  const TComboPopupSize size = ComboPopupSize(count, FDropDownCount, rowHeight, Width(), FListBoxWidth);
  FListBox->SetItemHeight(rowHeight);
  FListBox->SetWidth(size.Width);
  // Sized anew only when the rows changed: the row count's own height is
  // 4 pixels of frame, the popup's 5, and each resize of a pop-up window
  // costs a round trip to the window system.
  if (FListBox->RowCount() != size.Rows || FListBox->Height() != size.Height) {
    FListBox->SetRowCount(size.Rows);
    FListBox->SetHeight(size.Height);
  } else {
    FListBox->UpdateScrollBar();
  }

  TPoint origin = Parent() ? Parent()->ClientToScreen(Point(Left() + 1, Top() + Height())) : ClientToScreen(Point(1, Height()));
  origin.Y = ComboPopupTop(origin.Y, Height(), size.Height, TMonitor::FromWindow(Handle()).WorkareaRect().Bottom);

  if (FEdit && FEdit->CanFocus()) FEdit->SetFocus();
  FListBox->ListBox()->Font().Assign(&Font());
  FListBox->Font().Assign(&Font());

  FOldItemIndex = FListBox->ItemIndex();
  FOldText = Text();
  if (FOldItemIndex == 0 && count > 1) {
    FListBox->SetItemIndex(1);
    FListBox->SetItemIndex(0);
  }
  if (FOldItemIndex >= 0) FListBox->SetTopIndex(FOldItemIndex);
  FListBox->Show(origin);
  AccNotify(EVENT_OBJECT_STATECHANGE);
}

void TVelSkinCustomComboBox::CloseUp(bool Accept) {
  StopAutoScroll();
  if (IsPopupVisible()) {
    FListBox->Hide();
    AccNotify(EVENT_OBJECT_STATECHANGE);
    const int32_t index = FListBox->ItemIndex();
    if (index == -1) {
      FListBox->SetItemIndex(FOldItemIndex);
    } else if (index < ItemCount() && Accept) {
      const std::wstring item = Items().Strings(index);
      if (FEdit) {
        FEdit->SetText(item);
        FEdit->SelectAll();
      } else {
        SetText(item);
        Invalidate();
      }
      SelectionTaken();
    } else {
      // The arrows and the wheel show the highlighted item in the edit as
      // they move; a cancelled list takes that back with the index.
      if (FEdit && Text() != FOldText) FEdit->SetText(FOldText);
      FListBox->SetItemIndex(FOldItemIndex);
    }
  }
  Invalidate();
  if (OnCloseUp) OnCloseUp(Accept ? this : nullptr);
}

bool TVelSkinCustomComboBox::IsOwnPart(TControl* Control) const {
  return Control == this || Control == FListBox || Control == FListBox->ListBox() ||
         (Control && Control == static_cast<TControl*>(FListBox->ScrollBar()));
}

// ---- Mouse ----------------------------------------------------------------------------------

void TVelSkinCustomComboBox::MouseDown(TMouseButton MouseButton, TShiftState Shift, int X, int Y) {
  TVelSkinBorderPanel::MouseDown(MouseButton, Shift, X, Y);
  if (!FEdit && !Focused() && CanFocus()) SetFocus();
  if (MouseButton != mbLeft) return;
  if (PtInRect(Button.R, Point(X, Y)) || (!FEdit && PtInRect(FCBItem.R, Point(X, Y)))) {
    Button.Down = true;
    Invalidate();
    if (!IsPopupVisible()) {
      WasInLB = false;
      FLBDown = true;
      DropDown();
    } else {
      CloseUp(false);
    }
  } else if (IsPopupVisible()) {
    CloseUp(false);
  }
}

void TVelSkinCustomComboBox::MouseMove(TShiftState Shift, int X, int Y) {
  TVelSkinBorderPanel::MouseMove(Shift, X, Y);
  if (FLBDown) {
    TrackListMouse();
    return;
  }
  const bool in = PtInRect(Button.R, Point(X, Y));
  if (in == Button.MouseIn) return;
  Button.MouseIn = in;
  Invalidate();
}

void TVelSkinCustomComboBox::MouseUp(TMouseButton MouseButton, TShiftState Shift, int X, int Y) {
  if (FLBDown && WasInLB) {
    if (FSetCapture || GetCapture() == Handle()) ReleaseCapture();
    FSetCapture = false;
    FLBDown = false;
    // Taken when released over the inner list (the point of the release
    // itself, not where the cursor has moved on to since).
    const TPoint at = ClientToScreen(Point(X, Y));
    TVelListBox* list = FListBox->ListBox();
    CloseUp(list->HandleAllocated() && WindowFromPoint(POINT{at.X, at.Y}) == list->Handle());
  } else {
    FLBDown = false;
  }
  TVelSkinBorderPanel::MouseUp(MouseButton, Shift, X, Y);
  if (Button.Down) {
    Button.Down = false;
    Invalidate();
  }
}

void TVelSkinCustomComboBox::CMMouseEnter(TCMMouse& Message) {
  TVelSkinBorderPanel::CMMouseEnter(Message);
  if (Message.Control && Message.Control != this) return;
  FMouseIn = true;
}

void TVelSkinCustomComboBox::CMMouseLeave(TCMMouse& Message) {
  TVelSkinBorderPanel::CMMouseLeave(Message);
  if (Message.Control && Message.Control != this) return;
  FMouseIn = false;
  if (Button.MouseIn) {
    Button.MouseIn = false;
    Invalidate();
  }
  const bool selfFocused = !FEdit && HandleAllocated() && Focused();
  const bool editFocused = FEdit && FEdit->HandleAllocated() && FEdit->Focused();
  if (!selfFocused && !editFocused && !FMouseInEdit) UpdateFrame(true, false);
}

bool TVelSkinCustomComboBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (FEdit) return TVelSkinBorderPanel::DoMouseWheel(Shift, WheelDelta, MousePos);
  TVelSkinBorderPanel::DoMouseWheel(Shift, WheelDelta, MousePos);
  const int32_t index = FListBox->ItemIndex();
  const int32_t next = WheelDelta <= 0 ? index + 1 : index - 1;
  if (next < 0 || next >= ItemCount()) return true;
  if (IsPopupVisible())
    FListBox->SetItemIndex(next);
  else
    SetItemIndex(next);
  return true;
}

// ---- Keys and focus -------------------------------------------------------------------------

void TVelSkinCustomComboBox::CMWantSpecialKey(TWMKey& Message) {
  if (IsPopupVisible() && (Message.CharCode == VK_RETURN || Message.CharCode == VK_ESCAPE)) {
    Message.Result = 1;
    return;
  }
  TVelSkinBorderPanel::CMWantSpecialKey(Message);
}

void TVelSkinCustomComboBox::ListKey(WORD Key) {
  const bool open = IsPopupVisible();
  if (Key == VK_F4 && !open)
    DropDown();
  else if (open)
    CloseUp(Key != VK_ESCAPE);
}

void TVelSkinCustomComboBox::KeyDown(WORD& Key, TShiftState Shift) {
  TVelSkinBorderPanel::KeyDown(Key, Shift);
  const bool open = IsPopupVisible();
  const int32_t count = ItemCount();
  const int32_t index = ItemIndex();
  const bool alt = (Shift & ssAlt) != 0;
  switch (Key) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_F4:
      ListKey(Key);
      break;
    case VK_PRIOR:
      if (count > 0) SetItemIndex(ComboPageUpIndex(index, FDropDownCount));
      break;
    case VK_NEXT:
      if (count > 0) SetItemIndex(ComboPageDownIndex(index, FDropDownCount, count));
      break;
    case VK_HOME:
      if (count > 0 && index != 0) SetItemIndex(0);
      break;
    case VK_END:
      if (count > 0 && index != count - 1) SetItemIndex(count - 1);
      break;
    case VK_LEFT:
    case VK_UP:
      if (alt) {
        if (open) CloseUp(false);
      } else if (index > 0) {
        SetItemIndex(index - 1);
      }
      break;
    case VK_RIGHT:
    case VK_DOWN:
      if (alt) {
        if (!open) DropDown();
      } else if (index < count - 1) {
        SetItemIndex(index + 1);
      }
      break;
  }
}

void TVelSkinCustomComboBox::KeyPress(wchar_t& Key) {
  TVelSkinBorderPanel::KeyPress(Key);
  // Control characters (Enter, Esc, Backspace) are no part of a typed prefix.
  if (FEdit || Key < 32) return;
  const std::wstring text = FFilter.Add(Key, GetTickCount(), FAutoComplete);
  const int32_t found = FindTypedText(ItemCount(), ItemText(), text, ItemIndex());
  if (found >= 0) SetItemIndex(found);
}

void TVelSkinCustomComboBox::WMSetFocus(TWMFocus& Message) {
  TVelSkinBorderPanel::WMSetFocus(Message);
  if (FEdit && FEdit->CanFocus())
    FEdit->SetFocus();
  else
    Invalidate();
}

void TVelSkinCustomComboBox::WMKillFocus(TWMFocus& Message) {
  TVelSkinBorderPanel::WMKillFocus(Message);
  if (!FEdit && IsPopupVisible()) CloseUp(false);
  Invalidate();
  UpdateFrame(true, false);
}

void TVelSkinCustomComboBox::CMCancelMode(TCMCancelMode& Message) {
  TVelSkinBorderPanel::CMCancelMode(Message);
  if (IsPopupVisible() && !IsOwnPart(Message.Sender)) CloseUp(false);
}

void TVelSkinCustomComboBox::CMEnabledChanged(TWMBase& Message) {
  TVelSkinBorderPanel::CMEnabledChanged(Message);
  if (!Enabled()) {
    FOldFontColor = Font().Color() == DisabledFontColor ? 0 : Font().Color();
    Font().SetColor(DisabledFontColor);
  } else {
    Font().SetColor(FOldFontColor);
  }
  if (FEdit) FEdit->Font().SetColor(Font().Color());
}

void TVelSkinCustomComboBox::CMFontChanged(TWMBase& Message) {
  TVelSkinBorderPanel::CMFontChanged(Message);
  if (FEdit) {
    FEdit->Font().Assign(&Font());
    FEdit->SetText(Text());
    PlaceEdit();
  }
}

// ---- Painting -------------------------------------------------------------------------------

void TVelSkinCustomComboBox::DrawControl(TBitmap32* Bitmap) {
  TVelSkinBorderPanel::DrawControl(Bitmap);
  if (TVelSkinImage* arrow = SkinImageOrNone(Button.MouseIn ? Flogin_inputbtn_highlight : Flogin_inputbtn_normal, true)) {
    const TPoint pos = CenteredImagePos(Button.R, arrow->Width(), arrow->Height());
    arrow->DrawTo(Bitmap, pos.X, pos.Y);
  }
  if (FEdit) return;

  const int32_t w = FCBItem.R.Width(), h = FCBItem.R.Height() - 2;
  if (w <= 0 || h <= 0) return;
  const bool focused = HandleAllocated() && Focused();
  const bool highlight = focused && Alpha() != 0;
  TBitmap32 item;
  item.SetSize(w, h);
  if (Alpha() != 0)
    item.Clear(ToColor32(highlight ? FMenuColors.SelectedColor : Color()) | 0xFF000000u);
  else
    item.Draw(0, 0, TRect{FCBItem.R.Left, FCBItem.R.Top, FCBItem.R.Left + w, FCBItem.R.Top + h}, Bitmap);
  TFont font;
  font.Assign(&Font());
  if (highlight) font.SetColor(FMenuColors.SelectedFontColor);
  ::SetFont(item, font);
  ::Canvas(item).Font().Assign(&font);

  const int32_t index = IsPopupVisible() ? FOldItemIndex : FListBox->ItemIndex();
  if (index >= 0 && index < ItemCount()) {
    const TRect textRect{0, 0, w, h};
    if (OnComboBoxDrawItem) {
      const TOwnerDrawState state = focused ? TOwnerDrawState(odFocused) : 0;
      OnComboBoxDrawItem(this, &::Canvas(item), index, w, h, textRect, state);
    } else {
      const std::wstring text = Items().Strings(index);
      const int32_t th = TextHeightW(item, text.empty() ? L" " : text);
      TextoutW(item, 2, (h - th) / 2, textRect, text);
    }
  }
  item.SetDrawMode(dmOpaque);
  item.DrawTo(Bitmap, FCBItem.R.Left, FCBItem.R.Top);
}
