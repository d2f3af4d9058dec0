#include "skin/controls/combo_box_look.h"

#include <algorithm>

TComboLayout ComboLayout(int32_t Width, int32_t Height, int32_t ArrowWidth) {
  const int32_t buttonWidth = ArrowWidth < 0 ? 1 : ArrowWidth + 1;
  TComboLayout layout;
  layout.Button = MakeRect(Width - buttonWidth, 0, Width, Height);
  layout.TextArea = MakeRect(3, 3, layout.Button.Left - 1, Height - 1);
  layout.Edit = MakeRect(layout.TextArea.Left - 2, 2, layout.TextArea.Left - 2 + layout.TextArea.Width(), Height - 2);
  return layout;
}

TPoint CenteredImagePos(const TRect& Button, int32_t ImageWidth, int32_t ImageHeight) {
  return Point(Button.Left + (Button.Width() - ImageWidth) / 2, Button.Top + (Button.Height() - ImageHeight) / 2);
}

TComboPopupSize ComboPopupSize(int32_t ItemCount, int32_t DropDownCount, int32_t RowHeight, int32_t ComboWidth,
                               int32_t ListBoxWidth) {
  TComboPopupSize size;
  size.Rows = std::max(0, ItemCount < DropDownCount ? ItemCount : DropDownCount);
  size.Width = (ListBoxWidth != 0 ? ListBoxWidth : ComboWidth) - 1;
  // 64-bit so that a huge DropDownCount or row height cannot overflow.
  const int64_t height = int64_t(size.Rows) * RowHeight + 5;
  size.Height = static_cast<int32_t>(std::clamp<int64_t>(height, 0, INT32_MAX));
  return size;
}

int32_t ComboPopupTop(int32_t BelowTop, int32_t ComboHeight, int32_t PopupHeight, int32_t WorkAreaBottom) {
  if (int64_t(BelowTop) + PopupHeight > WorkAreaBottom) return BelowTop - (ComboHeight + PopupHeight);
  return BelowTop;
}

int32_t ComboPageUpIndex(int32_t Index, int32_t DropDownCount) {
  return static_cast<int32_t>(std::max<int64_t>(0, int64_t(Index) - (int64_t(DropDownCount) + 1)));
}

int32_t ComboPageDownIndex(int32_t Index, int32_t DropDownCount, int32_t Count) {
  if (Count <= 0) return -1;
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t(Index) + DropDownCount - 1, 0, Count - 1));
}

namespace {

// Case folding for the prefix search: ASCII and the Latin-1 letters, which
// have their case pair 32 apart (except the multiplication and division signs).
wchar_t Fold(wchar_t C) {
  if (C >= L'A' && C <= L'Z') return static_cast<wchar_t>(C + 32);
  if (C >= 0xC0 && C <= 0xDE && C != 0xD7) return static_cast<wchar_t>(C + 32);
  return C;
}

bool BeginsWith(const std::wstring& Item, const std::wstring& Text) {
  if (Item.size() < Text.size()) return false;
  for (size_t i = 0; i < Text.size(); ++i)
    if (Fold(Item[i]) != Fold(Text[i])) return false;
  return true;
}

}  // namespace

int32_t FindItemPrefix(int32_t Count, const TItemText& Item, const std::wstring& Text, int32_t After) {
  if (Text.empty() || Count <= 0) return -1;
  const int64_t first = After < 0 || After >= Count ? 0 : int64_t(After) + 1;
  for (int64_t n = 0; n < Count; ++n) {
    const int32_t i = static_cast<int32_t>((first + n) % Count);
    if (BeginsWith(Item(i), Text)) return i;
  }
  return -1;
}

namespace {

TItemText ItemsOf(const std::vector<std::wstring>& Items) {
  return [&Items](int32_t Index) { return Items[static_cast<size_t>(Index)]; };
}

int32_t CountOf(const std::vector<std::wstring>& Items) {
  return static_cast<int32_t>(std::min<size_t>(Items.size(), INT32_MAX));
}

}  // namespace

int32_t FindItemPrefix(const std::vector<std::wstring>& Items, const std::wstring& Text, int32_t After) {
  return FindItemPrefix(CountOf(Items), ItemsOf(Items), Text, After);
}

int32_t FindTypedText(int32_t Count, const TItemText& Item, const std::wstring& Text, int32_t Current) {
  return FindItemPrefix(Count, Item, Text, Text.size() == 1 ? Current : -1);
}

int32_t FindTypedText(const std::vector<std::wstring>& Items, const std::wstring& Text, int32_t Current) {
  return FindTypedText(CountOf(Items), ItemsOf(Items), Text, Current);
}

std::wstring TTypeAhead::Add(wchar_t C, uint32_t Now, bool AutoComplete) {
  if (!AutoComplete) return std::wstring(1, C);
  // Unsigned subtraction keeps the pause right across the tick count's wrap.
  if (!FStarted || Now - FLastTime >= ResetPause) FFilter.clear();
  FStarted = true;
  FLastTime = Now;
  FFilter.push_back(C);
  return FFilter;
}

TCompletion CompleteTypedText(int32_t Count, const TItemText& Item, const std::wstring& Typed, int32_t Current) {
  TCompletion completion;
  completion.Index = FindTypedText(Count, Item, Typed, Current);
  if (completion.Index < 0) return completion;
  completion.SelStart = static_cast<int32_t>(Typed.size());
  completion.SelLength = static_cast<int32_t>(Item(completion.Index).size()) - completion.SelStart;
  return completion;
}

TCompletion CompleteTypedText(const std::vector<std::wstring>& Items, const std::wstring& Typed, int32_t Current) {
  return CompleteTypedText(CountOf(Items), ItemsOf(Items), Typed, Current);
}

int32_t ComboAutoScrollMode(int32_t Y, int32_t ListHeight, bool HasScrollBar, bool WasInList) {
  if (!HasScrollBar || !WasInList) return 0;
  if (Y < 0) return 1;
  if (Y > ListHeight) return 2;
  return 0;
}

int32_t ComboAutoScrollStep(int32_t Mode, int32_t Index, int32_t Count) {
  if (Mode == 1 && Index > 0) return Index - 1;
  if (Mode == 2 && Index < Count - 1) return Index + 1;
  return Index;
}
