// The combo box's rules without a window: the face of the game's choosers,
// the popup's size and placement, the page keys, the prefix search behind
// completion and type-ahead, and the auto-scroll of a dragged press.
#include <gtest/gtest.h>

#include <random>

#include "skin/controls/combo_box_look.h"

namespace {

const std::vector<std::wstring> Sizes{L"小", L"中", L"大"};

TEST(ComboBoxLook, TheGamesChooserFace) {
  // The built-in drop arrows are 23 x 24.
  const TComboLayout layout = ComboLayout(140, 26, 23);
  EXPECT_EQ(layout.Button, MakeRect(116, 0, 140, 26));
  EXPECT_EQ(layout.TextArea, MakeRect(3, 3, 115, 25));
  EXPECT_EQ(layout.Edit, MakeRect(1, 2, 113, 24));
  EXPECT_EQ(CenteredImagePos(layout.Button, 23, 24), Point(116, 1));
  // Without the arrow image the button is one pixel wide.
  EXPECT_EQ(ComboLayout(140, 26, -1).Button, MakeRect(139, 0, 140, 26));
  // An image larger than the button overhangs; truncation is towards zero.
  EXPECT_EQ(CenteredImagePos(MakeRect(0, 0, 4, 4), 7, 7), Point(-1, -1));
}

TEST(ComboBoxLook, PopupSizeAndPlacement) {
  const TComboPopupSize three = ComboPopupSize(3, 8, 20, 140, 0);
  EXPECT_EQ(three.Rows, 3);
  EXPECT_EQ(three.Height, 65);
  EXPECT_EQ(three.Width, 139);
  EXPECT_EQ(ComboPopupSize(9, 8, 20, 140, 0).Rows, 8);
  EXPECT_EQ(ComboPopupSize(9, 8, 20, 140, 200).Width, 199);
  EXPECT_EQ(ComboPopupSize(0, 8, 20, 140, 0).Height, 5);
  // Nonsense sizes saturate instead of overflowing.
  EXPECT_EQ(ComboPopupSize(INT32_MAX, INT32_MAX, INT32_MAX, 140, 0).Height, INT32_MAX);

  // Below while it fits; flush with the work area's bottom still fits.
  EXPECT_EQ(ComboPopupTop(500, 26, 65, 1000), 500);
  EXPECT_EQ(ComboPopupTop(935, 26, 65, 1000), 935);
  // One pixel more opens it above: its bottom meets the combo box's top.
  EXPECT_EQ(ComboPopupTop(936, 26, 65, 1000), 936 - 26 - 65);
}

TEST(ComboBoxLook, PageKeys) {
  EXPECT_EQ(ComboPageUpIndex(20, 8), 11);
  EXPECT_EQ(ComboPageUpIndex(5, 8), 0);
  EXPECT_EQ(ComboPageDownIndex(0, 8, 100), 7);
  EXPECT_EQ(ComboPageDownIndex(95, 8, 100), 99);
  EXPECT_EQ(ComboPageDownIndex(-1, 8, 3), 2);
  EXPECT_EQ(ComboPageDownIndex(0, 8, 0), -1);
  EXPECT_EQ(ComboPageUpIndex(INT32_MIN, INT32_MAX), 0);
}

TEST(ComboBoxLook, PrefixSearch) {
  const std::vector<std::wstring> items{L"Apple", L"apricot", L"Banana", L"\u00c9clair", L""};
  EXPECT_EQ(FindItemPrefix(items, L"ap", -1), 0);
  EXPECT_EQ(FindItemPrefix(items, L"AP", 0), 1);
  EXPECT_EQ(FindItemPrefix(items, L"ap", 1), 0);  // wraps round
  EXPECT_EQ(FindItemPrefix(items, L"\u00e9", -1), 3);
  EXPECT_EQ(FindItemPrefix(items, L"", -1), -1);
  EXPECT_EQ(FindItemPrefix(items, L"Applesauce", -1), -1);
  EXPECT_EQ(FindItemPrefix({}, L"a", -1), -1);
  // A start past the end searches from the first item.
  EXPECT_EQ(FindItemPrefix(items, L"a", 99), 0);

  // One character steps on from the current item; more search from the top.
  EXPECT_EQ(FindTypedText(items, L"a", 0), 1);
  EXPECT_EQ(FindTypedText(items, L"ap", 1), 0);
  EXPECT_EQ(FindTypedText(Sizes, L"大", 1), 2);
}

TEST(ComboBoxLook, TypeAheadBuildsAPrefixWithinTheBreak) {
  TTypeAhead typeAhead;
  EXPECT_EQ(typeAhead.Add(L'b', 1000, true), L"b");
  EXPECT_EQ(typeAhead.Add(L'a', 1499, true), L"ba");
  EXPECT_EQ(typeAhead.Add(L'n', 1999, true), L"n");
  // Across the tick count's wrap.
  TTypeAhead wrapping;
  wrapping.Add(L'x', 0xFFFFFF00u, true);
  EXPECT_EQ(wrapping.Add(L'y', 0x10u, true), L"xy");
  EXPECT_EQ(typeAhead.Add(L'q', 2000, false), L"q");
}

TEST(ComboBoxLook, CompletionSelectsTheTail) {
  const std::vector<std::wstring> items{L"red", L"green", L"grey"};
  const TCompletion gr = CompleteTypedText(items, L"gr", 0);
  EXPECT_EQ(gr.Index, 1);
  EXPECT_EQ(gr.SelStart, 2);
  EXPECT_EQ(gr.SelLength, 3);
  EXPECT_EQ(CompleteTypedText(items, L"blue", 1).Index, -1);
  // The whole item typed: nothing left to select.
  const TCompletion whole = CompleteTypedText(Sizes, L"大", 1);
  EXPECT_EQ(whole.Index, 2);
  EXPECT_EQ(whole.SelLength, 0);
}

TEST(ComboBoxLook, AutoScrollOnlyOutsideWithABarAfterVisitingTheList) {
  EXPECT_EQ(ComboAutoScrollMode(-1, 160, true, true), 1);
  EXPECT_EQ(ComboAutoScrollMode(161, 160, true, true), 2);
  EXPECT_EQ(ComboAutoScrollMode(160, 160, true, true), 0);
  EXPECT_EQ(ComboAutoScrollMode(-1, 160, false, true), 0);
  EXPECT_EQ(ComboAutoScrollMode(-1, 160, true, false), 0);

  // Scrolling down stops at the last item, up at the first.
  int32_t index = 0;
  for (int i = 0; i < 20; ++i) index = ComboAutoScrollStep(2, index, 9);
  EXPECT_EQ(index, 8);
  for (int i = 0; i < 20; ++i) index = ComboAutoScrollStep(1, index, 9);
  EXPECT_EQ(index, 0);
}

// Random lists and typed texts: a hit always begins with the text, and no
// item before it in search order does.
TEST(ComboBoxLook, PrefixSearchAgreesWithAPlainScan) {
  std::mt19937 random(7);
  const std::wstring letters = L"aAbB\u00e0\u00c0\u5927";
  auto word = [&](size_t maxLength) {
    std::wstring s(random() % (maxLength + 1), L' ');
    for (wchar_t& c : s) c = letters[random() % letters.size()];
    return s;
  };
  auto fold = [](std::wstring s) {
    for (wchar_t& c : s)
      if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c = static_cast<wchar_t>(c + 32);
    return s;
  };
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::wstring> items(random() % 6);
    for (std::wstring& item : items) item = word(4);
    const std::wstring text = word(3);
    const int32_t after = static_cast<int32_t>(random() % (items.size() + 2)) - 1;
    int32_t want = -1;
    if (!text.empty() && !items.empty()) {
      const size_t start = after < 0 || after >= int32_t(items.size()) ? 0 : size_t(after) + 1;
      for (size_t n = 0; n < items.size() && want < 0; ++n) {
        const size_t i = (start + n) % items.size();
        if (fold(items[i]).rfind(fold(text), 0) == 0) want = static_cast<int32_t>(i);
      }
    }
    EXPECT_EQ(FindItemPrefix(items, text, after), want) << "round " << round;
  }
}

}  // namespace
