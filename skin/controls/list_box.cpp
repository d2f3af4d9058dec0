// The native list of a skinned list box, and the skinned list box that lays
// it out beside a scroll bar made on demand. The pop-up list is in
// popup_list_box.cpp.
#include "skin/controls/list_box.h"

#include <algorithm>
#include <utility>

#include "skin/controls/scroll_bar.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/imaging.h"

// ---- TVelListBox ----------------------------------------------------------------

TVelListBox::TVelListBox(TComponent* AOwner) : TListBox(AOwner) { SetStyle(lbOwnerDrawFixed); }

void TVelListBox::CreateParams(TCreateParams& Params) {
  TListBox::CreateParams(Params);
  // The skinned list box frames the list and scrolls it with its own bar.
  Params.Style &= ~(WS_BORDER | WS_VSCROLL | WS_HSCROLL);
  Params.ExStyle &= ~WS_EX_CLIENTEDGE;
  Params.ClassStyle = CS_DBLCLKS;
}

void TVelListBox::CreateWnd() {
  TListBox::CreateWnd();
  FLastWidth = Width();
  if (FSkinListBox) FSkinListBox->ListWindowCreated();
}

void TVelListBox::StoreColor(TColor& Field, TColor Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}

void TVelListBox::SetHorizontalExtentValue(int32_t Value) {
  Value = std::max(Value, 0);
  if (Value == FHorizontalExtentValue) return;
  FHorizontalExtentValue = Value;
  Invalidate();
}

TOwnerDrawState TVelListBox::RowState(int32_t Index) {
  TOwnerDrawState state = 0;
  if (Index == ItemIndex()) {
    state |= odSelected;
    if (Focused()) state |= odFocused;
  } else if (MultiSelect() && Selected(Index)) {
    state |= odSelected;
  }
  return state;
}

void TVelListBox::DrawRow(HDC DC, int32_t Index, const TRect& Rect, TOwnerDrawState State) {
  const int32_t w = Rect.Width(), h = Rect.Height();
  if (w <= 0 || h <= 0 || Index < 0 || Index >= Items().Count()) return;
  if (!FRow) FRow = std::make_unique<TBitmap>();
  TBitmap& row = *FRow;
  if (row.Width() != w || row.Height() != h) row.SetSize(w, h);
  TCanvas& canvas = row.Canvas();
  canvas.Brush().SetStyle(bsSolid);
  // The column a pop-up row leaves unfilled stays white.
  canvas.Brush().SetColor(clWhite);
  canvas.FillRect(TRect{0, 0, w, h});
  if (FSkinListBox) {
    const TFont& source = FSkinListBox->Font();
    canvas.Font().SetName(source.Name());
    canvas.Font().SetStyle(source.Style());
    canvas.Font().SetSize(source.Size());
    canvas.Font().SetCharset(source.Charset());
  } else {
    canvas.SetFont(Font());
  }
  const bool selected = (State & odSelected) != 0;
  canvas.Brush().SetColor(selected ? FItemSelectedColor : FItemBackgroundColor);
  canvas.Font().SetColor(selected ? FItemSelectedFontColor : FItemNormalFontColor);
  canvas.FillRect(RowFillRect(w, h, FPopupListBox));
  const TRect text = RowTextRect(w, h);
  if (FSkinListBox && FSkinListBox->OnDrawItem) {
    FSkinListBox->OnDrawItem(this, &canvas, Index, w, h, text, State);
  } else {
    const std::wstring s = Items().Strings(Index);
    canvas.Brush().SetStyle(bsClear);
    const TPoint at = RowTextOrigin(text, h, FHorizontalExtentValue, canvas.TextHeight(s), canvas.Font().Height());
    canvas.TextRect(text, at.X, at.Y, s);
  }
  BitBlt(DC, Rect.Left, Rect.Top, w, h, canvas.Handle(), 0, 0, SRCCOPY);
}

void TVelListBox::PaintRowsTo(HDC DC) {
  const TRect client = ClientRect();
  if (client.Width() <= 0 || client.Height() <= 0) return;
  // One pixel larger each way: a partial last row is drawn whole.
  if (!FMemory) FMemory = std::make_unique<TBitmap>();
  TBitmap& memory = *FMemory;
  if (memory.Width() != client.Width() + 1 || memory.Height() != client.Height() + 1)
    memory.SetSize(client.Width() + 1, client.Height() + 1);
  TCanvas& canvas = memory.Canvas();
  canvas.Brush().SetColor(clWindow);
  canvas.FillRect(TRect{0, 0, memory.Width(), memory.Height()});
  if (!FStopDraw) {
    FStopDraw = true;
    TScopeExit done([this] { FStopDraw = false; });
    const TRowRange rows = VisibleRows(TopIndex(), Items().Count(), client.Height(), ItemHeight(), Columns());
    for (int32_t i = rows.First; i <= rows.Last; ++i) DrawRow(canvas.Handle(), i, ItemRect(i), RowState(i));
  }
  BitBlt(DC, 0, 0, client.Width(), client.Height(), canvas.Handle(), 0, 0, SRCCOPY);
}

void TVelListBox::WndProc(TMessage& Message) {
  if (FSkinListBox && !FSkinListBox->FilterListMessage(Message)) return;
  // A pop-up list never takes the focus (that would activate its window):
  // a press only chooses the row under it.
  if (FPopupListBox && (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK)) {
    const TPoint at = PointFromLParam(Message.LParam);
    const int32_t index = ItemAtPos(at, true);
    if (index >= 0 && index != ItemIndex()) {
      SetItemIndex(index);
      Click();
    }
    MouseDown(mbLeft, KeysToShiftState(static_cast<WORD>(Message.WParam)), at.X, at.Y);
    Message.Result = 0;
    return;
  }
  TListBox::WndProc(Message);
}

void TVelListBox::WMPaint(TWMPaint& Message) {
  if (Message.DC) {
    PaintRowsTo(Message.DC);
    return;
  }
  if (FSkinListBox) FSkinListBox->UpdateScrollBar();
  TPaintDC dc(FHandle);
  PaintRowsTo(dc.Get());
}

// The paint that follows draws everything: erasing the window first would
// only flicker. Another DC (a copy of the control) gets the rows.
void TVelListBox::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  Message.Result = 1;
  if (!Message.DC) return;
  if (FStopDraw) {
    TCanvasBinding binding(*FCanvas, Message.DC);
    binding.Canvas().Brush().SetColor(clWindow);
    binding.Canvas().FillRect(ClientRect());
    return;
  }
  if (WindowFromDC(Message.DC) != FHandle) PaintRowsTo(Message.DC);
}

void TVelListBox::WMSize(TWMSize& Message) {
  const int32_t oldWidth = FLastWidth;
  TListBox::WMSize(Message);
  FLastWidth = Width();
  if (oldWidth > 0) {
    const int32_t extent = ShrinkHorizontalExtent(FHorizontalExtentValue, oldWidth, FLastWidth);
    if (extent != FHorizontalExtentValue) SetHorizontalExtentValue(extent);
  }
}

bool TVelListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TListBox::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!FSkinListBox || !FSkinListBox->ScrollBar()) return false;
  // One row per notch, and the bar follows.
  SetTopIndex(TopIndex() + (WheelDelta <= 0 ? 1 : -1));
  FSkinListBox->UpdateScrollBar();
  return true;
}

// The native list draws a row by itself when the selection or the focus
// moves: drawn the same way as a paint draws it.
void TVelListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState) {
  DrawRow(Canvas().Handle(), Index, Rect, RowState(Index));
}

void TVelListBox::ItemsChanged() {
  if (FSkinListBox) FSkinListBox->UpdateScrollBar();
}

// ---- TVelSkinCustomListBox --------------------------------------------------------------

TVelSkinCustomListBox::TVelSkinCustomListBox(TComponent* AOwner) : TVelSkinBorderPanel(AOwner) {
  Font().SetName(L"Tahoma");
  Font().SetColor(clWindowText);
  FListBox = new TVelListBox(this);
  FListBox->SetSkinListBox(this);
  FListBox->SetItemHeight(FDefaultItemHeight);
  FListBox->OnMouseDown = [this](TObject*, TMouseButton B, TShiftState S, int X, int Y) { ListMouseDown(B, S, X, Y); };
  FListBox->OnMouseMove = [this](TObject*, TShiftState S, int X, int Y) { ListMouseMove(S, X, Y); };
  FListBox->OnMouseUp = [this](TObject*, TMouseButton B, TShiftState S, int X, int Y) { ListMouseUp(B, S, X, Y); };
  FListBox->OnClick = [this](TObject*) { ListClick(); };
  FListBox->OnDblClick = [this](TObject*) { ListDblClick(); };
  FListBox->OnKeyDown = [this](TObject*, WORD& Key, TShiftState S) { ListKeyDown(Key, S); };
  FListBox->OnKeyUp = [this](TObject*, WORD& Key, TShiftState S) { ListKeyUp(Key, S); };
  FListBox->OnKeyPress = [this](TObject*, wchar_t& Key) { ListKeyPress(Key); };
  FListBox->OnEnter = [this](TObject*) { ListEnter(); };
  FListBox->OnExit = [this](TObject*) { ListExit(); };
  FListBox->OnMouseEnter = [this](TObject*) { ListMouseEnter(); };
  FListBox->OnMouseLeave = [this](TObject*) { ListMouseLeave(); };
  FListBox->SetParent(this);
  SetColor(clWhite);
  SetAlpha(255);
  SetTransparent(false);
  SetBounds(Left(), Top(), 120, 120);
  ArrangeControls();
}

TVelSkinCustomListBox::~TVelSkinCustomListBox() {
  // The inner list and the bar outlive this part of the object (the owner
  // frees them later): they must not call back into it.
  FListBox->SetSkinListBox(nullptr);
  if (FScrollBar) FScrollBar->OnChange = nullptr;
}

void TVelSkinCustomListBox::SetTopIndex(int32_t Value) {
  FListBox->SetTopIndex(Value);
  UpdateScrollBar();
}

void TVelSkinCustomListBox::SetItemHeight(int32_t Value) {
  FListBox->SetItemHeight(Value);
  UpdateScrollBar();
}

void TVelSkinCustomListBox::SetDefaultItemHeight(int32_t Value) {
  FDefaultItemHeight = std::clamp(Value, 1, 255);
  SetItemHeight(FDefaultItemHeight);
}

void TVelSkinCustomListBox::SetColumns(int32_t Value) {
  if (Value == FListBox->Columns()) return;
  // The bar changes direction with the columns.
  FreeScrollBar();
  FListBox->SetColumns(Value);
  ArrangeControls();
  UpdateScrollBar();
}

void TVelSkinCustomListBox::SetRowCount(int32_t Value) {
  FRowCount = std::max(Value, 0);
  if (FRowCount != 0) SetHeight(ListBoxHeightForRows(FRowCount, ItemHeight()));
  UpdateScrollBar();
}

void TVelSkinCustomListBox::ArrangeControls() {
  if (!FListBox || FResizeing) return;
  TListBarKind kind = lbkNone;
  if (FScrollBar && FScrollBar->Visible()) kind = Columns() > 0 ? lbkHorizontal : lbkVertical;
  const int32_t thickness = FScrollBar ? FScrollBar->GetRealSize() : 0;
  const TListBoxLayout layout = ArrangeListBox(Width(), Height(), NCSize(), thickness, kind);
  FListBox->SetBoundsRect(layout.List);
  if (kind != lbkNone) FScrollBar->SetBoundsRect(layout.Bar);
}

TListScrollState TVelSkinCustomListBox::ScrollState() {
  TListScrollState s;
  s.RowCount = FRowCount;
  s.ItemCount = Items().Count();
  s.Columns = Columns();
  s.ListHeight = FListBox->Height();
  s.RowHeight = ItemHeight();
  // The range the native list would give its own bar: one step per row,
  // or per column of rows in a multi-column list.
  const int32_t top = FListBox->TopIndex();
  if (s.Columns > 0) {
    const int32_t perColumn = std::max(s.RowHeight > 0 ? s.ListHeight / s.RowHeight : 0, 1);
    s.RangeMax = (s.ItemCount + perColumn - 1) / perColumn - 1;
    s.Position = top / perColumn;
  } else {
    s.RangeMax = s.ItemCount - 1;
    s.Position = top;
  }
  return s;
}

void TVelSkinCustomListBox::UpdateScrollBar() {
  if (FUpdatingBar || !FListBox || Destroying()) return;
  FUpdatingBar = true;
  TScopeExit done([this] { FUpdatingBar = false; });
  TListScrollBarRange range = ListScrollBarRange(ScrollState());
  if (!range.Needed) {
    if (FScrollBar) {
      FreeScrollBar();
      ArrangeControls();
    }
    return;
  }
  if (!FScrollBar) {
    CreateScrollBar();
    ArrangeControls();
    // A horizontal bar takes height from the list: fewer rows fit now.
    range = ListScrollBarRange(ScrollState());
    if (!range.Needed) return;
  }
  FScrollBar->SetRange(range.Min, range.Max, range.PageSize, range.Position);
  FScrollBar->SetLargeChange(range.LargeChange);
}

void TVelSkinCustomListBox::CreateScrollBar() {
  auto* bar = new TVelSkinScrollBar(this);
  bar->SetKind(Columns() > 0 ? sbHorizontal : sbVertical);
  bar->SetBounds(0, 0, 20, 100);
  bar->SetPageSize(0);
  bar->SetTransparent(false);
  bar->SetMin(0);
  bar->SetPosition(0);
  bar->SetColor(Color());
  bar->OnChange = [this](TObject*) { ScrollBarChanged(); };
  if (OnUpButtonClick)
    bar->OnUpButtonClick = [this](TObject*) {
      if (OnUpButtonClick) OnUpButtonClick(this);
    };
  if (OnDownButtonClick)
    bar->OnDownButtonClick = [this](TObject*) {
      if (OnDownButtonClick) OnDownButtonClick(this);
    };
  bar->SetParent(this);
  FScrollBar = bar;
}

void TVelSkinCustomListBox::FreeScrollBar() { delete std::exchange(FScrollBar, nullptr); }

// The bar moved: the list follows. The top index is set directly; a
// scroll message would carry the position in 16 bits only.
void TVelSkinCustomListBox::ScrollBarChanged() {
  if (!FScrollBar) return;
  const int32_t position = FScrollBar->Position();
  if (Columns() > 0) {
    const int32_t perColumn = std::max(ItemHeight() > 0 ? FListBox->Height() / ItemHeight() : 0, 1);
    FListBox->SetTopIndex(position * perColumn);
  } else {
    FListBox->SetTopIndex(position);
  }
}

bool TVelSkinCustomListBox::FilterListMessage(TMessage&) { return true; }

void TVelSkinCustomListBox::Resize() {
  TVelSkinBorderPanel::Resize();
  ArrangeControls();
  UpdateScrollBar();
}

void TVelSkinCustomListBox::ScaleControlsForDpi(int32_t NewPPI) {
  {
    FResizeing = true;
    TScopeExit done([this] { FResizeing = false; });
    TVelSkinBorderPanel::ScaleControlsForDpi(NewPPI);
  }
  ArrangeControls();
}

void TVelSkinCustomListBox::ListMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseDown) OnListBoxMouseDown(this, Button, Shift, X, Y);
}
void TVelSkinCustomListBox::ListMouseMove(TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseMove) OnListBoxMouseMove(this, Shift, X, Y);
}
void TVelSkinCustomListBox::ListMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseUp) OnListBoxMouseUp(this, Button, Shift, X, Y);
}
void TVelSkinCustomListBox::ListClick() {
  if (OnListBoxClick) OnListBoxClick(this);
}
void TVelSkinCustomListBox::ListDblClick() {
  if (OnListBoxDblClick) OnListBoxDblClick(this);
}
void TVelSkinCustomListBox::ListKeyDown(WORD& Key, TShiftState Shift) {
  if (OnListBoxKeyDown) OnListBoxKeyDown(this, Key, Shift);
}
void TVelSkinCustomListBox::ListKeyUp(WORD& Key, TShiftState Shift) {
  if (OnListBoxKeyUp) OnListBoxKeyUp(this, Key, Shift);
}
void TVelSkinCustomListBox::ListKeyPress(wchar_t& Key) {
  if (OnListBoxKeyPress) OnListBoxKeyPress(this, Key);
}
void TVelSkinCustomListBox::ListEnter() { UpdateFrame(false, true); }
void TVelSkinCustomListBox::ListExit() { UpdateFrame(false, false); }
void TVelSkinCustomListBox::ListMouseEnter() { UpdateFrame(true, true); }
void TVelSkinCustomListBox::ListMouseLeave() { UpdateFrame(true, false); }
