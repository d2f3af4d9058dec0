// Items inside a skinned edit in a real window: rectangles (right-aligned,
// missing image, text), which setters signal a change, the copy, the
// collection's placing of items and the layout it triggers, the faces a
// button item paints, a real click, the hint and cursor over an item, and a
// thousand items with long texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gfx/win/gdi_backend.h"
#include "skin/controls/edit.h"
#include "skin/controls/tests/controls_test_support.h"
#include "skin/resources/skin_res_manager.h"

namespace {

const wchar_t* const Spin = L"VelSkinSpin_normal_up";           // 23 x 12
// Faces that differ from the normal one in their opaque pixels.
const wchar_t* const SpinHot = L"VelSkinCalendar_18_H";         // 25 x 16
const wchar_t* const SpinPressed = L"VelSkinCheckedCheckbox_18"; // 15 x 15
const wchar_t* const Search = L"VelSkinSearch_icon";            // 16 x 14

// The blend of an opaque pixel may round a channel by one.
bool Near(TColor32 A, TColor32 B) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(int((A >> shift) & 0xFF) - int((B >> shift) & 0xFF)) > 1) return false;
  return true;
}

class EditItemsWin : public RealInputWin {
protected:
  void SetUp() override {
    RealInputWin::SetUp();
    Edit = new TVelSkinEdit(Form.get());
    Edit->SetParent(Form.get());
    Edit->SetBounds(20, 20, 140, 26);
    PumpFor(20);
  }
  TVelEditItem* AddItem(TItemKind Kind, const wchar_t* Image, int X, int Y, TVelAlign Align = agLeft) {
    TVelEditItem* item = Edit->EdItems().Add();
    item->SetKind(Kind);
    if (Image) item->SetImage(Image);
    item->Pos().SetX(X);
    item->Pos().SetY(Y);
    item->Pos().SetAlign(Align);
    return item;
  }
  void Repaint() {
    Edit->Invalidate();
    UpdateWindow(Edit->Handle());
  }
  // True when the edit's buffer shows Image's opaque pixels at (X, Y).
  bool Shows(const wchar_t* Image, int X, int Y) {
    TVelSkinImage* image = SkinImageOrNone(Image);
    if (!image) return false;
    int compared = 0;
    for (int y = 0; y < image->Height(); ++y)
      for (int x = 0; x < image->Width(); ++x) {
        const TColor32 p = image->Pixel(x, y);
        if ((p >> 24) != 255) continue;
        ++compared;
        if (!Near(Edit->Buffer()->Pixel(X + x, Y + y), p)) return false;
      }
    return compared > 0;
  }
  TVelSkinEdit* Edit = nullptr;
};

TEST_F(EditItemsWin, RectanglesFromPositionImageAndText) {
  TVelEditItem* right = AddItem(ikButton, Spin, 20, 7, agRight);
  EXPECT_EQ(right->Rect(), MakeRect(120, 7, 143, 19));
  TVelEditItem* missing = AddItem(ikImage, L"NoSuchImage", 20, 4, agRight);
  EXPECT_EQ(missing->Rect(), MakeRect(120, 4, 0, 0));
  TVelEditItem* text = AddItem(ikText, nullptr, 30, 5);
  text->SetText(L"kg");
  TBitmap32 b;
  b.SetSize(1, 1);
  ::SetFont(b, text->Font());
  const SIZE size = TextExtentW(b, L"kg");
  EXPECT_EQ(text->Rect(), MakeRect(30, 5, 30 + size.cx, 5 + size.cy));
  // The right edge moves with the edit's width.
  Edit->SetWidth(200);
  EXPECT_EQ(right->Rect().Left, 180);
  // An item outside any edit is placed from the left edge of nothing.
  TVelEditItems loose(nullptr);
  TVelEditItem* alone = loose.Add();
  alone->SetImage(Search);
  alone->Pos().SetX(3);
  EXPECT_EQ(alone->Rect(), MakeRect(3, 0, 19, 14));
}

TEST_F(EditItemsWin, WhichSettersSignalAChange) {
  TVelEditItem* item = AddItem(ikImage, Search, 4, 6);
  int changes = 0;
  item->OnChanged = [&](TObject* Sender) {
    EXPECT_EQ(Sender, item);
    ++changes;
  };
  item->SetText(L"stored");  // an image item: no change
  EXPECT_EQ(item->Text(), L"stored");
  EXPECT_EQ(changes, 0);
  item->SetCurosor(crHandPoint);
  item->SetEnabled(false);
  item->SetHint(L"hint");
  item->SetTag(7);
  item->SetMakeSpace(false);
  TFont font;
  font.SetSize(14);
  item->SetFont(font);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(item->Font().Size(), 14);
  item->SetImage(Search);  // the same value
  EXPECT_EQ(changes, 0);
  item->SetImage(Spin);
  item->SetImageHot(SpinHot);
  item->SetImagePress(SpinPressed);
  item->SetVisible(false);
  item->Pos().SetX(9);
  item->SetKind(ikText);
  EXPECT_EQ(changes, 6);
  item->SetText(L"now a text");
  EXPECT_EQ(changes, 7);
  // Inside an update bracket the collection hears nothing, OnChanged still fires.
  Edit->EdItems().BeginUpdate();
  item->SetVisible(true);
  Edit->EdItems().EndUpdate();
  EXPECT_EQ(changes, 8);
}

TEST_F(EditItemsWin, AssignCopiesTheLookButNotEnablingHintOrEvents) {
  TVelEditItem* source = AddItem(ikText, Spin, 12, 3, agRight);
  source->SetImageHot(SpinHot);
  source->SetImagePress(SpinPressed);
  source->SetText(L"text");
  source->SetCurosor(crHandPoint);
  source->Font().SetColor(0x0000FF);
  source->SetVisible(false);
  source->SetMakeSpace(false);
  source->SetTag(42);
  source->SetEnabled(false);
  source->SetHint(L"not copied");
  int clicks = 0;
  source->OnClick = [&](TObject*) { ++clicks; };
  TVelEditItem* copy = Edit->EdItems().Add();
  copy->Assign(source);
  EXPECT_EQ(copy->Kind(), ikText);
  EXPECT_EQ(copy->Image(), Spin);
  EXPECT_EQ(copy->ImageHot(), SpinHot);
  EXPECT_EQ(copy->ImagePress(), SpinPressed);
  EXPECT_EQ(copy->Text(), L"text");
  EXPECT_EQ(copy->Curosor(), crHandPoint);
  EXPECT_EQ(copy->Font().Color(), 0x0000FF);
  EXPECT_EQ(copy->Pos().X(), 12);
  EXPECT_EQ(copy->Pos().Y(), 3);
  EXPECT_EQ(copy->Pos().Align(), agRight);
  EXPECT_FALSE(copy->Visible());
  EXPECT_FALSE(copy->MakeSpace());
  EXPECT_EQ(copy->Tag(), 42);
  EXPECT_TRUE(copy->Enabled());
  EXPECT_TRUE(copy->Hint().empty());
  copy->Click();
  EXPECT_EQ(clicks, 0);
  TFont font;
  EXPECT_THROW(copy->Assign(&font), EConvertError);
}

TEST_F(EditItemsWin, TheCollectionPlacesItemsAndTheirRoomFollows) {
  TVelEditItems& items = Edit->EdItems();
  TVelEditItem* a = items.Add();
  TVelEditItem* b = items.Insert(0);
  EXPECT_EQ(items.Items(0), b);
  TVelEditItem* c = items.AddItem(nullptr, -1);
  EXPECT_EQ(items.Items(2), c);
  TVelEditItem* d = items.AddItem(nullptr, 99);  // past the end: the last place
  EXPECT_EQ(items.Items(3), d);
  auto* given = new TVelEditItem(nullptr);
  EXPECT_EQ(items.AddItem(given, 1), given);
  EXPECT_EQ(items.Items(1), given);
  EXPECT_EQ(items.Count(), 5);
  EXPECT_EQ(items.Items(2), a);
  items.Clear();

  // Room: the widest left item and the widest right one; deleting or hiding
  // an item gives its room back.
  TVelEditItem* left = AddItem(ikButton, Spin, 2, 7);
  AddItem(ikImage, Search, 27, 6);
  TVelEditItem* right = AddItem(ikButton, Spin, 25, 7, agRight);
  AddItem(ikImage, L"NoSuchImage", 60, 7, agRight);
  EXPECT_EQ(Edit->LeftOffset(), 27 + 16);
  EXPECT_EQ(Edit->RightOffset(), 25);
  items.Delete(1);
  EXPECT_EQ(Edit->LeftOffset(), 2 + 23);
  left->SetVisible(false);
  EXPECT_EQ(Edit->LeftOffset(), 0);
  right->SetMakeSpace(false);
  EXPECT_EQ(Edit->RightOffset(), 0);
  right->Pos().SetX(30);
  right->SetMakeSpace(true);
  EXPECT_EQ(Edit->RightOffset(), 30);

  // The text starts after the room on the left.
  left->SetVisible(true);
  Edit->SetText(L"abc");
  Repaint();
  Edit->SetFocus();
  PumpFor(20);
  Edit->SetCursorPos(0);
  Repaint();
  EXPECT_EQ(Edit->CursorXPos(), Edit->Space().Left() + 25);
}

TEST_F(EditItemsWin, AButtonItemPaintsItsNormalHotAndPressedFaces) {
  TVelEditItem* button = AddItem(ikButton, Spin, 5, 7);
  button->SetImageHot(SpinHot);
  button->SetImagePress(SpinPressed);
  TVelEditItem* image = AddItem(ikImage, Search, 30, 6);
  image->SetImageHot(SpinHot);  // an image item has no hot face
  Repaint();
  EXPECT_TRUE(Shows(Spin, 5, 7));
  EXPECT_TRUE(Shows(Search, 30, 6));
  Edit->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(10, 12));
  EXPECT_EQ(Edit->EdItems().HotIndex(), 0);
  Repaint();
  EXPECT_TRUE(Shows(SpinHot, 5, 7));
  EXPECT_FALSE(Shows(Spin, 5, 7));
  Edit->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(35, 12));
  EXPECT_EQ(Edit->EdItems().HotIndex(), -1);  // only buttons become hot
  Repaint();
  EXPECT_TRUE(Shows(Spin, 5, 7));
  EXPECT_TRUE(Shows(Search, 30, 6));
  // Pressed while hot, hot again once let go.
  Edit->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(10, 12));
  Edit->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 12));
  Repaint();
  EXPECT_TRUE(Shows(SpinPressed, 5, 7));
  EXPECT_FALSE(Shows(SpinHot, 5, 7));
  Edit->Perform(WM_LBUTTONUP, 0, MAKELPARAM(10, 12));
  Repaint();
  EXPECT_TRUE(Shows(SpinHot, 5, 7));
  // Without a hot image the hot button shows its normal face.
  button->SetImageHot(L"NoSuchImage");
  Repaint();
  EXPECT_TRUE(Shows(Spin, 5, 7));
  // An invisible item is not drawn.
  button->SetVisible(false);
  Repaint();
  EXPECT_FALSE(Shows(Spin, 5, 7));
}

TEST_F(EditItemsWin, ARealClickOnAButtonItemClicksItOnce) {
  TVelEditItem* button = AddItem(ikButton, Spin, 20, 7, agRight);
  TVelEditItem* disabled = AddItem(ikButton, Spin, 50, 7, agRight);
  disabled->SetEnabled(false);
  int clicks = 0, disabledClicks = 0;
  button->OnClick = [&](TObject* Sender) {
    EXPECT_EQ(Sender, button);
    ++clicks;
  };
  disabled->OnClick = [&](TObject*) { ++disabledClicks; };
  PaintNow(Form.get());
  auto click = [&](TVelEditItem* Item) {
    const TRect r = Item->Rect();
    const TPoint at = Edit->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    ASSERT_TRUE(MoveCursor(at.X, at.Y));
    SendButtonAt(at.X, at.Y, MOUSEEVENTF_LEFTDOWN);
    SendButtonAt(at.X, at.Y, MOUSEEVENTF_LEFTUP);
    PumpFor(60);
  };
  click(button);
  EXPECT_EQ(clicks, 1);
  click(disabled);
  EXPECT_EQ(disabledClicks, 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(EditItemsWin, AnItemsHintAndCursorFollowTheMouse) {
  TVelEditItem* button = AddItem(ikButton, Spin, 5, 7);
  button->SetHint(L"Spin it");
  button->SetCurosor(crHandPoint);
  TVelEditItem* plain = AddItem(ikButton, Spin, 30, 7);
  PaintNow(Form.get());
  auto hintShown = [] {
    HWND w = FindWindowW(nullptr, L"Spin it");
    return w && IsWindowVisible(w);
  };
  Edit->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(10, 12));
  EXPECT_EQ(Edit->Cursor(), crHandPoint);
  EXPECT_TRUE(PumpUntil(hintShown, 500));
  // Straight onto another item without a hint: the first hint goes.
  Edit->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(35, 12));
  EXPECT_EQ(Edit->EdItems().HotIndex(), 1);
  EXPECT_EQ(Edit->Cursor(), plain->Curosor());
  EXPECT_FALSE(hintShown());
  Edit->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(10, 12));
  EXPECT_TRUE(PumpUntil(hintShown, 500));
  Edit->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(100, 12));
  EXPECT_EQ(Edit->Cursor(), crIBeam);
  EXPECT_EQ(Edit->EdItems().HotIndex(), -1);
  EXPECT_FALSE(hintShown());
}

TEST_F(EditItemsWin, AThousandItemsAndLongTexts) {
  TVelEditItems& items = Edit->EdItems();
  items.BeginUpdate();
  const std::wstring longText(5000, L'x');
  for (int i = 0; i < 1000; ++i) {
    TVelEditItem* item = items.Add();
    item->SetKind(i % 3 == 0 ? ikText : i % 3 == 1 ? ikButton : ikImage);
    item->SetImage(i % 2 ? Spin : L"NoSuchImage");
    item->SetText(i % 10 == 0 ? longText : L"t");
    item->Pos().SetX(i % 200);
    item->Pos().SetAlign(i % 4 == 0 ? agRight : agLeft);
    item->Pos().SetY(i % 30);
  }
  items.EndUpdate();
  Edit->SetText(std::wstring(2000, L'y'));
  Repaint();
  EXPECT_GE(Edit->LeftOffset(), 0);
  EXPECT_GE(Edit->RightOffset(), 0);
  Edit->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(30, 12));
  Edit->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 12));
  Edit->Perform(WM_LBUTTONUP, 0, MAKELPARAM(30, 12));
  while (items.Count() > 0) items.Delete(items.Count() - 1);
  Repaint();
  EXPECT_EQ(Edit->LeftOffset(), 0);
  EXPECT_EQ(Edit->RightOffset(), 0);
}

TEST_F(EditItemsWin, AnItemThatFreesTheEditFromItsClickIsSafe) {
  TVelEditItem* button = AddItem(ikButton, Spin, 5, 7);
  button->OnClick = [this](TObject*) {
    delete Edit;
    Edit = nullptr;
  };
  PaintNow(Form.get());
  Edit->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 12));
  EXPECT_EQ(Edit, nullptr);
  PumpFor(20);
}

}  // namespace
