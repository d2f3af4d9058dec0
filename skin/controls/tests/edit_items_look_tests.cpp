// The edit items' rules without a window: the position and margin objects'
// change signals and copies, an item's rectangle, the face a button shows,
// the room the items take and the hit test.
#include <gtest/gtest.h>

#include <climits>

#include "skin/controls/edit_items_look.h"

namespace {

TEST(EditItemsLook, LocateObjSignalsOnlyRealChangesAndCopiesThroughItsSetters) {
  TVelLocateObj pos;
  int changes = 0;
  pos.OnChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &pos);
    ++changes;
  };
  pos.SetX(0);
  pos.SetAlign(agLeft);
  EXPECT_EQ(changes, 0);
  pos.SetX(20);
  pos.SetY(3);
  pos.SetAlign(agRight);
  EXPECT_EQ(changes, 3);

  TVelLocateObj copy;
  int copyChanges = 0;
  copy.OnChange = [&](TObject*) { ++copyChanges; };
  copy.SetY(3);
  copyChanges = 0;
  copy.Assign(&pos);
  EXPECT_EQ(copy.X(), 20);
  EXPECT_EQ(copy.Y(), 3);
  EXPECT_EQ(copy.Align(), agRight);
  EXPECT_EQ(copyChanges, 2);  // Y was the same already

  TVelSpaceSize other;
  EXPECT_THROW(copy.Assign(&other), EConvertError);
}

TEST(EditItemsLook, SpaceSizeStartsEmptyAndActive) {
  TVelSpaceSize space;
  EXPECT_TRUE(space.Active());
  EXPECT_EQ(space.Left() + space.Top() + space.Right() + space.Bottom(), 0);
  int changes = 0;
  space.OnChange = [&](TObject*) { ++changes; };
  space.SetLeft(4);
  space.SetLeft(4);
  space.SetActive(false);
  EXPECT_EQ(changes, 2);
  TVelSpaceSize copy;
  copy.Assign(&space);
  EXPECT_EQ(copy.Left(), 4);
  EXPECT_FALSE(copy.Active());
}

TEST(EditItemsLook, RectangleFromAlignmentAndContent) {
  // X 20 from the right of an edit 140 wide starts at 120.
  EXPECT_EQ(EditItemRect(agRight, 20, 4, 140, true, 16, 16), MakeRect(120, 4, 136, 20));
  EXPECT_EQ(EditItemRect(agLeft, 5, 6, 140, true, 18, 18), MakeRect(5, 6, 23, 24));
  // A missing image: right and bottom 0, an empty rectangle.
  const TRect missing = EditItemRect(agRight, 20, 4, 140, false, 0, 0);
  EXPECT_EQ(missing, MakeRect(120, 4, 0, 0));
  EXPECT_TRUE(IsEmptyItemRect(missing));
  EXPECT_TRUE(IsEmptyItemRect(EditItemRect(agLeft, 0, 0, 140, true, 0, 14)));  // empty text
  // Positions far out of range saturate instead of wrapping round.
  EXPECT_EQ(EditItemRect(agRight, INT32_MIN, 0, 140, true, 10, 10).Left, INT32_MAX);
  EXPECT_EQ(EditItemRect(agLeft, INT32_MAX - 5, INT32_MAX, 140, true, 10, 10).Right, INT32_MAX);
  EXPECT_EQ(EditItemRect(agLeft, 0, 0, 140, true, -5, 10).Right, 0);
}

TEST(EditItemsLook, ButtonFaces) {
  struct TCase {
    TItemKind Kind;
    bool Hot, Down, HasHot, HasPress;
    TEditItemFace Face;
  };
  const TCase cases[] = {
      {ikButton, false, true, true, true, ifNormal},  {ikButton, true, false, true, true, ifHot},
      {ikButton, true, true, true, true, ifPressed},  {ikButton, true, true, true, false, ifHot},
      {ikButton, true, true, false, false, ifNormal}, {ikButton, true, false, false, true, ifNormal},
      {ikImage, true, true, true, true, ifNormal},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(EditItemFace(c.Kind, c.Hot, c.Down, c.HasHot, c.HasPress), c.Face)
        << c.Kind << c.Hot << c.Down << c.HasHot << c.HasPress;
}

TEditItemGeometry Item(TRect R, TVelAlign Align = agLeft, TItemKind Kind = ikButton) {
  TEditItemGeometry g;
  g.Rect = R;
  g.Align = Align;
  g.Kind = Kind;
  return g;
}

TEST(EditItemsLook, RoomIsWorkedOutFromAllItemsAtOnce) {
  std::vector<TEditItemGeometry> items{Item(MakeRect(5, 6, 23, 24)), Item(MakeRect(25, 6, 41, 22)),
                                       Item(MakeRect(120, 4, 136, 20), agRight),
                                       Item(MakeRect(100, 4, 110, 20), agRight)};
  EXPECT_EQ(EditItemsSpace(items, 140), (TEditItemSpace{41, 40}));
  // Hidden, not making space, or showing nothing (missing image): no room.
  items[1].Visible = false;
  items[3].MakeSpace = false;
  EXPECT_EQ(EditItemsSpace(items, 140), (TEditItemSpace{23, 20}));
  items[2].Rect = MakeRect(120, 4, 0, 0);
  EXPECT_EQ(EditItemsSpace(items, 140), (TEditItemSpace{23, 0}));
  // Items off to the left or beyond the right edge never give negative room.
  EXPECT_EQ(EditItemsSpace({Item(MakeRect(-30, 0, -10, 10)), Item(MakeRect(150, 0, 160, 10), agRight)}, 140),
            (TEditItemSpace{0, 0}));
  EXPECT_EQ(EditItemsSpace({}, 140), (TEditItemSpace{0, 0}));
}

TEST(EditItemsLook, HitTestTakesTheFirstLiveItemUnderThePoint) {
  std::vector<TEditItemGeometry> items{Item(MakeRect(0, 0, 10, 10), agLeft, ikImage), Item(MakeRect(0, 0, 10, 10)),
                                       Item(MakeRect(5, 0, 15, 10))};
  EXPECT_EQ(EditItemAt(items, Point(6, 5), false), 0);
  EXPECT_EQ(EditItemAt(items, Point(6, 5), true), 1);
  items[1].Enabled = false;
  EXPECT_EQ(EditItemAt(items, Point(6, 5), true), 2);
  items[2].Visible = false;
  EXPECT_EQ(EditItemAt(items, Point(6, 5), true), -1);
  // Right and bottom edges are outside.
  EXPECT_EQ(EditItemAt(items, Point(10, 5), false), -1);
  EXPECT_EQ(EditItemAt(items, Point(5, 10), false), -1);
  // An empty rectangle is never hit.
  EXPECT_EQ(EditItemAt({Item(MakeRect(120, 4, 0, 0))}, Point(120, 4), false), -1);
}

TEST(EditItemsLook, AThousandItems) {
  std::vector<TEditItemGeometry> items;
  for (int i = 0; i < 1000; ++i) items.push_back(Item(MakeRect(i, 0, i + 8, 8), i % 2 ? agRight : agLeft));
  const TEditItemSpace space = EditItemsSpace(items, 140);
  EXPECT_EQ(space.Left, 998 + 8);
  EXPECT_EQ(space.Right, 140 - 1);
  EXPECT_EQ(EditItemAt(items, Point(999, 3), false), 992);
}

}  // namespace
