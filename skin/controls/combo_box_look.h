// The combo box's rules apart from its window: where the drop button, the
// text area and the inner edit go, where the popup list opens, which index a
// key or the wheel selects, and the prefix search behind completion and
// type-ahead. Portable: plain data in, plain data out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/core/geometry.h"

// The face of a combo box of a given size. ArrowWidth is the width of the
// normal drop-arrow image, or a negative value when that image is missing.
struct TComboLayout {
  TRect Button;    // the drop button at the right end, full height
  TRect TextArea;  // inset 3 pixels, one pixel clear of the button
  TRect Edit;      // the inner edit's bounds (csDropDown)
};
TComboLayout ComboLayout(int32_t Width, int32_t Height, int32_t ArrowWidth);

// The top-left corner of an image centred in Button (division truncating
// towards zero, so an image larger than the button overhangs to the left).
TPoint CenteredImagePos(const TRect& Button, int32_t ImageWidth, int32_t ImageHeight);

// The popup list of a drop-down: as many rows as there are items, at most
// DropDownCount; 5 pixels of frame and margin; one pixel narrower than the
// combo box (or than ListBoxWidth when that is set).
struct TComboPopupSize {
  int32_t Rows;
  int32_t Width;
  int32_t Height;
};
TComboPopupSize ComboPopupSize(int32_t ItemCount, int32_t DropDownCount, int32_t RowHeight, int32_t ComboWidth,
                               int32_t ListBoxWidth);

// The popup's top in screen coordinates: BelowTop is the screen y of the
// combo box's bottom edge; when the popup would pass WorkAreaBottom it opens
// above the combo box instead.
int32_t ComboPopupTop(int32_t BelowTop, int32_t ComboHeight, int32_t PopupHeight, int32_t WorkAreaBottom);

// Page Up and Page Down move by one more and one less than a popup's rows,
// clamped to the items. Count 0 answers -1.
int32_t ComboPageUpIndex(int32_t Index, int32_t DropDownCount);
int32_t ComboPageDownIndex(int32_t Index, int32_t DropDownCount, int32_t Count);

// The first item that begins with Text (case-insensitive over ASCII and
// Latin-1 letters), searched from the item after After and wrapping round;
// After -1 searches from the first item. An empty text finds nothing (-1).
int32_t FindItemPrefix(const std::vector<std::wstring>& Items, const std::wstring& Text, int32_t After);
// The same over Count items read through Item (a list box's strings).
using TItemText = std::function<std::wstring(int32_t Index)>;
int32_t FindItemPrefix(int32_t Count, const TItemText& Item, const std::wstring& Text, int32_t After);

// The search of a typed text: a single character continues from the item
// after Current (so repeated presses of one letter step through the items
// that begin with it), a longer text searches from the start.
int32_t FindTypedText(const std::vector<std::wstring>& Items, const std::wstring& Text, int32_t Current);
int32_t FindTypedText(int32_t Count, const TItemText& Item, const std::wstring& Text, int32_t Current);

// Type-ahead in a combo box without an edit: key presses within 500 ms of
// each other build one prefix; a longer pause starts a new one. Without
// AutoComplete each character is searched on its own.
class TTypeAhead {
public:
  static constexpr uint32_t ResetPause = 500;
  // The text to search for after the character C arrives at tick Now.
  std::wstring Add(wchar_t C, uint32_t Now, bool AutoComplete);

private:
  std::wstring FFilter;
  uint32_t FLastTime = 0;
  bool FStarted = false;
};

// The completion of a text typed into the edit: the item it selects, and the
// completed tail that is left selected (SelStart = the typed length, SelLength
// = the rest of the item's string). Index -1: no item begins with the text.
struct TCompletion {
  int32_t Index = -1;
  int32_t SelStart = 0;
  int32_t SelLength = 0;
};
TCompletion CompleteTypedText(int32_t Count, const TItemText& Item, const std::wstring& Typed, int32_t Current);
TCompletion CompleteTypedText(const std::vector<std::wstring>& Items, const std::wstring& Typed, int32_t Current);

// The auto-scroll while a press that opened the list is dragged outside it:
// Y in the inner list's coordinates. 0 none, 1 up (above), 2 down (below);
// only with a scroll bar and once the mouse has been inside the list.
int32_t ComboAutoScrollMode(int32_t Y, int32_t ListHeight, bool HasScrollBar, bool WasInList);
// One tick of an auto-scroll: the next index (unchanged at either end).
int32_t ComboAutoScrollStep(int32_t Mode, int32_t Index, int32_t Count);
