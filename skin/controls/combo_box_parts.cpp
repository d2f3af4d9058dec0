// The combo box's handling of its two parts: the popup's inner list, whose
// presses it takes over and whose rows follow the mouse (with the
// auto-scroll of a press dragged past the list), and the inner edit, whose
// keys, wheel, focus and completion it intercepts ahead of the edit.
#include "skin/controls/combo_box.h"
#include "skin/controls/scroll_bar.h"
#include "toolkit/core/scope.h"

namespace {

constexpr UINT_PTR AutoScrollTimer = 1;
constexpr UINT AutoScrollInterval = 25;

}  // namespace

// ---- The popup's auto-scroll ----------------------------------------------------------------

void TVelSkinCustomComboBox::StartAutoScroll(int32_t Mode) {
  if (Mode == TimerMode) return;
  TimerMode = Mode;
  if (HandleAllocated()) StartTimer(AutoScrollTimer, AutoScrollInterval);
}

void TVelSkinCustomComboBox::StopAutoScroll() {
  if (TimerMode == 0) return;
  StopTimer(AutoScrollTimer);
  TimerMode = 0;
}

void TVelSkinCustomComboBox::WMTimer(TWMTimer& Message) {
  TVelSkinBorderPanel::WMTimer(Message);
  if (Message.TimerID != AutoScrollTimer || TimerMode == 0) return;
  const int32_t index = FListBox->ItemIndex();
  const int32_t next = ComboAutoScrollStep(TimerMode, index, ItemCount());
  if (next != index) FListBox->SetItemIndex(next);
}

// While a press that opened the list is held, the list follows the mouse:
// over it the row under the cursor is highlighted, above or below it the
// list scrolls.
void TVelSkinCustomComboBox::TrackListMouse() {
  TVelListBox* list = FListBox->ListBox();
  if (!list->HandleAllocated()) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  const TPoint p = list->ScreenToClient(TPoint{cursor.x, cursor.y});
  const bool hasBar = FListBox->ScrollBar() != nullptr;
  if (p.Y < 0 || p.Y > list->Height() || p.X < 0 || p.X >= list->Width()) {
    const int32_t mode = ComboAutoScrollMode(p.Y, list->Height(), hasBar, WasInLB);
    if (mode != 0) StartAutoScroll(mode);
    return;
  }
  StopAutoScroll();
  list->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(p.X, p.Y));
  WasInLB = true;
}

// ---- The inner list and the edit, intercepted -----------------------------------------------

void TVelSkinCustomComboBox::ListMouseMove(TObject*, TShiftState, int X, int Y) {
  const int32_t index = FListBox->ItemAtPos(Point(X, Y), true);
  if (index >= 0 && index != FListBox->ItemIndex()) FListBox->SetItemIndex(index);
}

void TVelSkinCustomComboBox::ListWindowProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      FListBoxWindowProc.CallSaved(Message);
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The row under the press is the one chosen, even when no move over
      // it came first (the list opened under a still mouse).
      ListMouseMove(FListBox->ListBox(), 0, static_cast<short>(LOWORD(Message.LParam)),
                    static_cast<short>(HIWORD(Message.LParam)));
      FLBDown = true;
      WasInLB = true;
      if (HandleAllocated()) {
        SetCapture(Handle());
        FSetCapture = true;
      }
      return;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return;
    case WM_MOUSEMOVE:
      FListBoxWindowProc.CallSaved(Message);
      ListMouseMove(FListBox->ListBox(), 0, static_cast<short>(LOWORD(Message.LParam)),
                    static_cast<short>(HIWORD(Message.LParam)));
      return;
    default:
      FListBoxWindowProc.CallSaved(Message);
  }
}

// Up in the edit selects through ItemIndex (which reports the click); Down
// moves the list and reports it here. Either way the edit then shows the
// item's string, selected whole.
void TVelSkinCustomComboBox::SelectPrevious() {
  const int32_t index = FListBox->ItemIndex();
  if (index <= 0) return;
  SetItemIndex(index - 1);
  ShowInEdit(index - 1);
}

void TVelSkinCustomComboBox::SelectNext(bool MoveListOnly) {
  const int32_t index = FListBox->ItemIndex();
  if (index >= ItemCount() - 1) return;
  FListBox->SetItemIndex(index + 1);
  if (MoveListOnly) return;
  ShowInEdit(index + 1);
  if (OnClick && !OnChange) OnClick(this);
}

void TVelSkinCustomComboBox::ShowInEdit(int32_t Index) {
  if (!FEdit || Index < 0 || Index >= ItemCount()) return;
  FEdit->SetText(Items().Strings(Index));
  FEdit->SelectAll();
}

void TVelSkinCustomComboBox::CompletionStep(TMessage& Message) {
  FEdit->SetSelLength(0);
  FEditWindowProc.CallSaved(Message);
  if (!FAutoComplete || !FEdit) return;
  const uint32_t now = GetTickCount();
  if (now - FLastTime < 200) return;
  FLastTime = now;
  const std::wstring typed = FEdit->Text();
  const TCompletion completion = CompleteTypedText(ItemCount(), ItemText(), typed, FListBox->ItemIndex());
  if (completion.Index < 0) return;
  SetItemIndex(completion.Index);
  if (!FEdit) return;
  FEdit->SetSelStart(completion.SelStart);
  FEdit->SetSelLength(completion.SelLength);
}

void TVelSkinCustomComboBox::EditWindowProc(TMessage& Message) {
  const bool open = IsPopupVisible();
  switch (Message.Msg) {
    case WM_SETFOCUS:
      UpdateFrame(true, true);
      FMouseInEdit = true;
      break;
    case CM_MOUSEENTER:
      if (Message.LParam == 0 || reinterpret_cast<TControl*>(Message.LParam) == FEdit) {
        UpdateFrame(true, true);
        FMouseInEdit = true;
      }
      break;
    case CM_MOUSELEAVE:
      if (Message.LParam == 0 || reinterpret_cast<TControl*>(Message.LParam) == FEdit) FMouseInEdit = false;
      break;
    case WM_KILLFOCUS:
      UpdateFrame(true, false);
      if (open) CloseUp(false);
      break;
    case CM_WANTSPECIALKEY:
      // While the list is open, Enter and Esc belong to it, not to the form's
      // default and cancel buttons.
      if (open && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_KEYDOWN: {
      const int32_t index = FListBox->ItemIndex();
      const int32_t count = ItemCount();
      switch (Message.WParam) {
        case VK_RETURN:
        case VK_ESCAPE:
          ListKey(static_cast<WORD>(Message.WParam));
          break;
        case VK_PRIOR:
          if (open) FListBox->SetItemIndex(ComboPageUpIndex(index, FDropDownCount));
          break;
        case VK_NEXT:
          if (open) FListBox->SetItemIndex(ComboPageDownIndex(index, FDropDownCount, count));
          break;
        case VK_F4:
          ListKey(VK_F4);
          return;
        case VK_UP:
          SelectPrevious();
          return;
        case VK_DOWN:
          SelectNext(false);
          return;
      }
      break;
    }
    case WM_SYSKEYDOWN:
      // Alt+Down opens the list and Alt+Up closes it, as in any drop-down.
      if (Message.WParam == VK_DOWN) {
        if (!open) DropDown();
        return;
      }
      if (Message.WParam == VK_UP) {
        if (open) CloseUp(false);
        return;
      }
      break;
    case WM_KEYUP: {
      const WORD key = static_cast<WORD>(Message.WParam);
      const BYTE charset = Font().Charset();
      const bool eastAsian = charset == SHIFTJIS_CHARSET || charset == GB2312_CHARSET || charset == CHINESEBIG5_CHARSET;
      const bool skip = eastAsian ? (key == VK_DELETE || key == VK_BACK) : key < 48;
      if (!skip) {
        CompletionStep(Message);
        return;
      }
      break;
    }
    case WM_SYSKEYUP: {
      const BYTE charset = Font().Charset();
      if (charset == SHIFTJIS_CHARSET || charset == GB2312_CHARSET || charset == CHINESEBIG5_CHARSET) {
        const WORD key = static_cast<WORD>(Message.WParam);
        if (key != VK_DELETE && key != VK_BACK) {
          CompletionStep(Message);
          return;
        }
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (open) CloseUp(false);
      break;
    case WM_MOUSEWHEEL: {
      if (static_cast<short>(HIWORD(Message.WParam)) <= 0)
        SelectNext(open);
      else
        SelectPrevious();
      break;
    }
    case CM_CANCELMODE:
      if (open && !IsOwnPart(reinterpret_cast<TControl*>(Message.LParam))) CloseUp(false);
      break;
  }
  FEditWindowProc.CallSaved(Message);
}

void TVelSkinCustomComboBox::EditChanged(TObject*) {
  FromEdit = true;
  TScopeExit done([this] { FromEdit = false; });
  const std::wstring text = FEdit->Text();
  if (!text.empty()) {
    const int32_t found = FindItemPrefix(ItemCount(), ItemText(), text, -1);
    if (found >= 0) {
      if (FAutoComplete)
        FListBox->SetItemIndex(found);
      else
        FListBox->SetTopIndex(found);
    }
  }
  SetText(text);
}

void TVelSkinCustomComboBox::CMTextChanged(TWMBase& Message) {
  TVelSkinBorderPanel::CMTextChanged(Message);
  if (FEdit && !FromEdit) FEdit->SetText(Text());
  if (OnChange) OnChange(this);
  if (FromEdit) ItemSelected();
}
