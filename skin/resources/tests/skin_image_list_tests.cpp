#include "skin/resources/component_stream.h"
#include "skin/resources/skin_image_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <functional>
#include <set>

namespace {

struct TExpectedImage {
  const char* ResID;
  int Width, Height;
};

// Stored order and sizes of the built-in images.
const TExpectedImage kImages[84] = {
    {"VelSkinCheckBox", 68, 17}, {"VelSkinButton", 340, 27}, {"VelSkinRadiobtn", 68, 17},
    {"VelSkinDropdownMenu", 60, 32}, {"VelSkinFlatBtn", 66, 22}, {"VelSkinMsgIcon_Error", 40, 40},
    {"VelSkinMsgIcon_Warn", 40, 40}, {"VelSkinMsgIcon_Info", 40, 40}, {"VelSkinMsgIcon_OK", 40, 40},
    {"VelSkinMsgIcon_Question", 40, 40}, {"VelSkinBorderHot", 35, 35}, {"VelSkinBorderNormal", 35, 35},
    {"VelSkinBtn_close", 117, 19}, {"VelSkinBtn_max", 84, 19}, {"VelSkinBtn_mini", 84, 19},
    {"VelSkinBtn_restore", 84, 19}, {"VelSkinTips_close", 54, 18}, {"VelSkinSlider_dragBackground", 12, 21},
    {"VelSkinPreview_bkg", 60, 134}, {"VelSkinSlider_Aio_light_bkg", 60, 134}, {"VelSkinPasswordchar", 6, 6},
    {"VelSkinKeyboard", 20, 20}, {"VelSkinDrop_arrow_hot", 23, 24}, {"VelSkinDrop_arrow_normal", 23, 24},
    {"VelSkinExpand_1", 17, 17}, {"VelSkinExpand_2", 17, 17}, {"VelSkinCancel_18_Normal", 18, 18},
    {"VelSkinCancel_18_Hot", 18, 18}, {"VelSkinMenu_bk", 182, 59}, {"VelSkinMenu_hilight", 22, 22},
    {"VelSkinMenu_sub_arrow", 21, 11}, {"VelSkinMenu_icon_check", 60, 20}, {"VelSkinMenu_icon_radio", 60, 20},
    {"VelSkinTabDown", 10, 35}, {"VelSkinTabHover", 10, 35}, {"VelSkinTab_button_normal", 10, 25},
    {"VelSkinTab_button_hot", 10, 25}, {"VelSkinTab_button_down", 10, 25}, {"VelSkinBar_base", 102, 13},
    {"VelSkinBar_cur", 102, 13}, {"VelSkinScrollbar_bar_down", 10, 42}, {"VelSkinScrollbar_bar_highlight", 10, 42},
    {"VelSkinScrollbar_bar_normal", 10, 42}, {"VelSkinScrollbar_bkg", 10, 62},
    {"VelSkinScrollbar_arrowdown_normal", 10, 9}, {"VelSkinScrollbar_arrowup_normal", 10, 9},
    {"VelSkinScrollbar_horz_bkg", 34, 10}, {"VelSkinScrollbar_horzbar_down", 34, 10},
    {"VelSkinScrollbar_horzbar_highlight", 34, 10}, {"VelSkinScrollbar_horzbar_normal", 34, 10},
    {"VelSkinScrollbar_arrowleft_normal", 9, 10}, {"VelSkinScrollbar_arrowright_normal", 9, 10},
    {"VelSkinScrollbar_arrowdown_down", 10, 9}, {"VelSkinScrollbar_arrowdown_highlight", 10, 9},
    {"VelSkinScrollbar_arrowleft_down", 9, 10}, {"VelSkinScrollbar_arrowleft_highlight", 9, 10},
    {"VelSkinScrollbar_arrowright_down", 9, 10}, {"VelSkinScrollbar_arrowright_highlight", 9, 10},
    {"VelSkinScrollbar_arrowup_down", 10, 9}, {"VelSkinScrollbar_arrowup_highlight", 10, 9},
    {"VelSkinDrag_flag", 8, 8}, {"VelSkinSwitch_on", 102, 17}, {"VelSkinSwitch_off", 102, 17},
    {"VelSkinMini_close_btn", 24, 12}, {"VelSkinColor_tabs", 360, 40}, {"VelSkinBrower_back", 120, 29},
    {"VelSkinBrower_front", 120, 29}, {"VelSkinBrower_up", 29, 120}, {"VelSkinBrower_down", 29, 120},
    {"VelSkinSearch_icon", 16, 14}, {"VelSkinCalendar_18_N", 25, 16}, {"VelSkinCalendar_18_H", 25, 16},
    {"VelSkinSpin_normal_up", 23, 12}, {"VelSkinSpin_highlight_up", 23, 12}, {"VelSkinSpin_pushed_up", 23, 12},
    {"VelSkinSpin_normal_down", 23, 12}, {"VelSkinSpin_highlight_down", 23, 12},
    {"VelSkinSpin_pushed_down", 23, 12}, {"VelSkinToolbtn", 87, 29}, {"VelSkinCheckedCheckbox_18", 15, 15},
    {"VelSkinCheckedCheckbox_h_18", 15, 15}, {"VelSkinUncheckedCheckbox_18", 15, 15},
    {"VelSkinUncheckedCheckbox_h_18", 15, 15}, {"VelSkinSlides", 160, 69},
};

std::vector<uint8_t> ReadFile(const char* Name) {
  TMemoryStream m;
  m.LoadFromFile(Name);
  return m.Bytes();
}

// The generated module, loaded once for all tests.
class BuiltinModule : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Bytes = new std::vector<uint8_t>(ReadFile(QUORREL_SKIN_MODULE_FILE));
    TReadOnlyMemoryStream stream(Bytes->data(), static_cast<int64_t>(Bytes->size()));
    Module = new TVelSkinResDM(nullptr, stream);
  }
  static void TearDownTestSuite() {
    delete Module;
    delete Bytes;
  }
  static const TBitmap32& Image(const char* ResID) {
    const TVelSkinBitmapCollection& b = *Module->VelSkinImageListMain()->Bitmaps();
    for (int i = 0; i < b.Count(); ++i)
      if (b.Items(i)->ResID() == Utf8ToWide(ResID)) return *b.Items(i)->Bitmap();
    throw std::runtime_error(std::string("no image ") + ResID);
  }
  static inline std::vector<uint8_t>* Bytes = nullptr;
  static inline TVelSkinResDM* Module = nullptr;
};

uint8_t Alpha(TColor32 C) { return static_cast<uint8_t>(C >> 24); }

}  // namespace

TEST_F(BuiltinModule, HoldsTheImagesInStoredOrderWithTheirSizesAndModes) {
  EXPECT_EQ(Module->Name(), L"VelSkinResDM");
  TVelSkinImageList* list = Module->VelSkinImageListMain();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Name(), L"VelSkinImageListMain");
  ASSERT_EQ(list->Bitmaps()->Count(), 84);
  std::set<std::wstring> ids;
  for (int i = 0; i < 84; ++i) {
    const TVelSkinBitmapItem& item = *list->Bitmaps()->Items(i);
    SCOPED_TRACE(kImages[i].ResID);
    EXPECT_EQ(item.ResID(), Utf8ToWide(kImages[i].ResID));
    EXPECT_EQ(item.Bitmap()->Width(), kImages[i].Width);
    EXPECT_EQ(item.Bitmap()->Height(), kImages[i].Height);
    EXPECT_TRUE(item.Description().empty());
    EXPECT_EQ(item.Bitmap()->ResamplerClassName(), "TNearestResampler");
    const std::string id = kImages[i].ResID;
    const bool opaque = id == "VelSkinBorderHot" || id == "VelSkinBorderNormal" || id == "VelSkinTabDown";
    EXPECT_EQ(item.Bitmap()->DrawMode(), opaque ? dmOpaque : dmBlend);
    std::wstring key = item.ResID();
    for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
    EXPECT_TRUE(ids.insert(key).second) << "duplicate id";
    if (opaque) {
      for (int y = 0; y < item.Bitmap()->Height(); ++y)
        for (int x = 0; x < item.Bitmap()->Width(); ++x) ASSERT_EQ(Alpha(item.Bitmap()->Pixel(x, y)), 0xFF);
    }
  }
}

TEST_F(BuiltinModule, StoredFormHasTheDocumentedRecordsAndPropertyOrder) {
  TReadOnlyMemoryStream stream(Bytes->data(), static_cast<int64_t>(Bytes->size()));
  const TStreamObject root = ReadComponentStream(stream);
  EXPECT_EQ(stream.Position(), static_cast<int64_t>(Bytes->size()));
  EXPECT_EQ(root.ClassName, "TVelSkinResDM");
  EXPECT_EQ(root.Name, "VelSkinResDM");
  ASSERT_EQ(root.Properties.size(), 3u);
  EXPECT_EQ(root.Properties[0].Name, "OldCreateOrder");
  EXPECT_EQ(root.Properties[0].Value.Type, TValueType::vaFalse);
  EXPECT_EQ(root.Properties[1].Value, TStreamValue::FromInteger(265));
  EXPECT_EQ(root.Properties[2].Value, TStreamValue::FromInteger(313));
  ASSERT_EQ(root.Children.size(), 1u);
  const TStreamObject& list = root.Children[0];
  EXPECT_EQ(list.ClassName, "TVelSkinImageList");
  EXPECT_EQ(list.Name, "VelSkinImageListMain");
  ASSERT_EQ(list.Properties.size(), 3u);
  EXPECT_EQ(list.Properties[1].Name, "Left");
  EXPECT_EQ(list.Properties[1].Value.Integer, 136);
  EXPECT_EQ(list.Properties[2].Value.Integer, 88);
  const auto& items = list.Properties[0].Value.Items;
  ASSERT_EQ(items.size(), 84u);
  for (size_t i = 0; i < items.size(); ++i) {
    const bool blend = items[i].size() == 4;
    ASSERT_EQ(items[i].size(), blend ? 4u : 3u);
    EXPECT_EQ(items[i][0].Name, "ResID");
    if (blend) {
      EXPECT_EQ(items[i][1].Value, TStreamValue::FromIdent("dmBlend"));
    }
    EXPECT_EQ(items[i][blend ? 2 : 1].Value, TStreamValue::FromString("TNearestResampler"));
    const TStreamProperty& data = items[i][blend ? 3 : 2];
    EXPECT_EQ(data.Name, "Bitmap.Data");
    EXPECT_EQ(data.Value.Bytes.size(), 8u + 4u * kImages[i].Width * kImages[i].Height);
  }
}

TEST_F(BuiltinModule, ButtonFramesCarryTheirColours) {
  const TBitmap32& b = Image("VelSkinButton");
  for (int x = 0; x < 68; ++x) EXPECT_EQ(b.Pixel(x, 0), 0u);
  for (int y = 0; y < 27; ++y) EXPECT_EQ(b.Pixel(0, y), 0u);
  // Normal: border, highlight, body gradient ends, lower row, shadow, clear last row.
  EXPECT_EQ(Alpha(b.Pixel(1, 1)), 0x54);
  EXPECT_EQ(Alpha(b.Pixel(2, 1)), 0xBD);
  EXPECT_EQ(b.Pixel(30, 1), 0xFFBCC9D0u);
  EXPECT_EQ(b.Pixel(1, 12), 0xFFB4C3CBu);
  EXPECT_EQ(b.Pixel(66, 12), 0xFFB4C3CBu);
  EXPECT_EQ(b.Pixel(30, 24), 0xFFABBDC6u);
  EXPECT_EQ(b.Pixel(30, 2), 0xFFF6F9FBu);
  EXPECT_EQ(b.Pixel(30, 3), 0xFFE5EFF4u);
  EXPECT_EQ(b.Pixel(30, 22), 0xFFD6E7EFu);
  EXPECT_EQ(b.Pixel(30, 23), 0xFFDFECF3u);
  EXPECT_EQ(b.Pixel(30, 25), 0x0A000000u);
  EXPECT_EQ(b.Pixel(30, 26), 0u);
  // Hot.
  EXPECT_EQ(b.Pixel(68 + 30, 1), 0xFFA2CDE2u);
  EXPECT_EQ(b.Pixel(68 + 1, 12), 0xFF98C4D9u);
  EXPECT_EQ(b.Pixel(68 + 30, 24), 0xFF8EBBD1u);
  EXPECT_EQ(b.Pixel(68 + 30, 2), 0xFFEAF6FCu);
  EXPECT_EQ(b.Pixel(68 + 30, 3), 0xFFD6EDF9u);
  EXPECT_EQ(b.Pixel(68 + 30, 22), 0xFFB7DCEFu);
  EXPECT_EQ(b.Pixel(68 + 30, 23), 0xFFC4E3F1u);
  // Pressed.
  EXPECT_EQ(b.Pixel(136 + 30, 1), 0x7A5C6D77u);
  EXPECT_EQ(b.Pixel(136 + 30, 2), 0x260B1921u);
  EXPECT_EQ(b.Pixel(136 + 30, 3), 0x13163444u);
  EXPECT_EQ(b.Pixel(136 + 30, 23), 0x08163444u);
  EXPECT_EQ(b.Pixel(136 + 30, 24), 0x5D5D6E78u);
  EXPECT_EQ(b.Pixel(136 + 30, 25), 0x80FFFFFFu);
  // Disabled: the normal frame at alpha 0x66, one pixel up and left.
  for (int y = 1; y < 27; ++y)
    for (int x = 1; x < 68; ++x) {
      const TColor32 n = b.Pixel(x, y), d = b.Pixel(204 + x - 1, y - 1);
      EXPECT_EQ(Alpha(d), (Alpha(n) * 0x66 + 127) / 255);
      if (Alpha(n) == 0xFF) {
        EXPECT_EQ(d & 0xFFFFFF, n & 0xFFFFFF);
      }
    }
  EXPECT_EQ(b.Pixel(204 + 29, 0), 0x66BCC9D0u);
  // Fifth frame: blue border with a two-pixel inner glow.
  EXPECT_EQ(b.Pixel(272 + 30, 1), 0xFF2FAFEFu);
  EXPECT_EQ(b.Pixel(272 + 1, 12), 0xFF29A9E9u);
  EXPECT_EQ(b.Pixel(272 + 30, 24), 0xFF24A3E3u);
  EXPECT_EQ(b.Pixel(272 + 30, 2), 0xFFA4E2FCu);
  EXPECT_EQ(b.Pixel(272 + 30, 3), 0xFFCCE9F5u);
  EXPECT_EQ(b.Pixel(272 + 2, 12), 0xFFA4E2FCu);
  EXPECT_EQ(b.Pixel(272 + 3, 12), 0xFFCCE9F5u);
}

TEST_F(BuiltinModule, FlatButtonFramesCarryTheirAlphas) {
  const TBitmap32& b = Image("VelSkinFlatBtn");
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 22; ++x) EXPECT_EQ(b.Pixel(x, y), 0u);
  struct TCheck {
    int X, Y;
    TColor32 Hot, Pressed;
  };
  const TCheck checks[] = {
      {11, 0, 0x4E000000, 0x5A000000},  {0, 11, 0x5A000000, 0x6D000000},  {21, 11, 0x5A000000, 0x6D000000},
      {11, 21, 0x65000000, 0x7E000000}, {0, 0, 0x13000000, 0x13000000},   {1, 0, 0x3D000000, 0x3D000000},
      {11, 1, 0xCEFFFFFF, 0x80FFFFFF},  {11, 2, 0x8AFFFFFF, 0x03FFFFFF},  {11, 19, 0x05FFFFFF, 0x7FFFFFFF},
      {11, 20, 0x8DFFFFFF, 0xC5FFFFFF},
  };
  for (const TCheck& c : checks) {
    EXPECT_EQ(b.Pixel(22 + c.X, c.Y), c.Hot) << c.X << "," << c.Y;
    EXPECT_EQ(b.Pixel(44 + c.X, c.Y), c.Pressed) << c.X << "," << c.Y;
  }
  // The gloss: hot falls 0x8A..0x39 over rows 2..9, then 0x1A..0x05 over rows 10..19;
  // pressed rises 0x03..0x1A over rows 2..12, then 0x39..0x7F over rows 13..19.
  EXPECT_EQ(b.Pixel(22 + 11, 9), 0x39FFFFFFu);
  EXPECT_EQ(b.Pixel(22 + 11, 10), 0x1AFFFFFFu);
  EXPECT_EQ(b.Pixel(44 + 11, 12), 0x1AFFFFFFu);
  EXPECT_EQ(b.Pixel(44 + 11, 13), 0x39FFFFFFu);
}

// The close cross is a 9 x 9 glyph (columns 15..23, rows 7..15 of each 39-px frame);
// outside that box every frame is its plain tile, whose rows are uniform away from the
// rounded edges, and the normal frame stays within the faint body's alpha.
TEST_F(BuiltinModule, CloseGlyphStaysInItsBox) {
  const TBitmap32& b = Image("VelSkinBtn_close");
  for (int f = 0; f < 3; ++f) {
    const int ox = 39 * f;
    for (int y = 0; y < 19; ++y)
      for (int x = 2; x <= 36; ++x) {
        if (x >= 15 && x <= 23 && y >= 7 && y <= 15) continue;
        EXPECT_EQ(b.Pixel(ox + x, y), b.Pixel(ox + 5, y)) << f << ": " << x << "," << y;
      }
    EXPECT_EQ(b.Pixel(ox + 19, 11), 0xFFFFFFFFu) << f;
    // The cross reaches every row and every column of its box.
    bool row[9] = {}, col[9] = {};
    for (int y = 7; y <= 15; ++y)
      for (int x = 15; x <= 23; ++x)
        if (b.Pixel(ox + x, y) != b.Pixel(ox + 5, y)) row[y - 7] = col[x - 15] = true;
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(row[i] && col[i]) << f << ": " << i;
  }
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 39; ++x) {
      if (x >= 15 && x <= 23 && y >= 7 && y <= 15) continue;
      EXPECT_LE(Alpha(b.Pixel(x, y)), 0x50) << x << "," << y;
    }
  // In the normal frame every row of the box carries the cross well above the
  // body, with an opaque core in each row but the anti-aliased ends.
  for (int y = 7; y <= 15; ++y) {
    uint8_t rowMax = 0;
    for (int x = 15; x <= 23; ++x) rowMax = std::max(rowMax, Alpha(b.Pixel(x, y)));
    EXPECT_GE(rowMax, y == 7 || y == 15 ? 0xC0 : 0xFF) << "row " << y;
  }
}

TEST_F(BuiltinModule, CheckBoxFramesHaveBoxAndTick) {
  const TBitmap32& b = Image("VelSkinCheckBox");
  const TColor32 borders[4] = {0xFFC4C4C4, 0xFF5699DA, 0xFFC4C4C4, 0xFF5699DA};
  for (int f = 0; f < 4; ++f) {
    const int ox = 17 * f;
    for (int i = 0; i < 17; ++i) {
      EXPECT_EQ(b.Pixel(ox + i, 0), 0u);
      EXPECT_EQ(b.Pixel(ox + i, 16), 0u);
      EXPECT_EQ(b.Pixel(ox + 0, i), 0u);
      EXPECT_EQ(b.Pixel(ox + 16, i), 0u);
    }
    for (int i = 1; i <= 15; ++i) {
      EXPECT_EQ(b.Pixel(ox + i, 1), borders[f]);
      EXPECT_EQ(b.Pixel(ox + 1, i), borders[f]);
      EXPECT_EQ(b.Pixel(ox + i, 15), borders[f]);
      EXPECT_EQ(b.Pixel(ox + 15, i), borders[f]);
    }
    // Interior: white, or the tick; the darkest tick pixel has the tick's colour.
    TColor32 darkest = 0xFFFFFFFF;
    for (int y = 2; y <= 14; ++y)
      for (int x = 2; x <= 14; ++x) {
        const TColor32 c = b.Pixel(ox + x, y);
        EXPECT_EQ(Alpha(c), 0xFF);
        if (f == 2) {
          EXPECT_TRUE(((c >> 16) & 0xFF) == (c & 0xFF) && ((c >> 8) & 0xFF) == (c & 0xFF));
        }
        if ((c & 0xFF) < (darkest & 0xFF)) darkest = c;
      }
    const TColor32 expected[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFA4A4A4, 0xFF3C8CD2};
    EXPECT_EQ(darkest, expected[f]);
    if (f >= 2) {
      // The tick runs through (3,8), (6,11) and (12,4).
      EXPECT_EQ(b.Pixel(ox + 6, 11), expected[f]);
      EXPECT_NE(b.Pixel(ox + 3, 8), 0xFFFFFFFFu);
      EXPECT_NE(b.Pixel(ox + 12, 4), 0xFFFFFFFFu);
      EXPECT_EQ(b.Pixel(ox + 12, 12), 0xFFFFFFFFu);
    }
  }
}

TEST_F(BuiltinModule, BordersDropArrowAndMenuHighlight) {
  for (const char* id : {"VelSkinBorderNormal", "VelSkinBorderHot"}) {
    const TBitmap32& b = Image(id);
    const TColor32 frame = std::string(id) == "VelSkinBorderHot" ? 0xFF5699DA : 0xFFC4C4C4;
    for (int y = 0; y < 35; ++y)
      for (int x = 0; x < 35; ++x) {
        const bool edge = x == 0 || y == 0 || x == 34 || y == 34;
        ASSERT_EQ(b.Pixel(x, y), edge ? frame : 0xFFFFFFFFu) << id << " " << x << "," << y;
      }
  }

  const TBitmap32& a = Image("VelSkinDrop_arrow_normal");
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 23; ++x) {
      const TColor32 c = a.Pixel(x, y);
      const int k = y - 10;  // rows 10..14 solid, narrowing one pixel per side per row
      const bool solid = k >= 0 && k <= 4 && x >= 7 + k && x <= 15 - k;
      const bool fringe = k >= 0 && k <= 4 && (x == 6 + k || x == 16 - k);
      if (solid) {
        EXPECT_EQ(c, 0xFF5A5A5Au) << x << "," << y;
      } else if (fringe) {
        EXPECT_TRUE(Alpha(c) > 0 && Alpha(c) < 0xFF && (c & 0xFFFFFF) == 0x5A5A5A) << x << "," << y;
      } else if (y == 15 && x == 11) {
        EXPECT_TRUE(Alpha(c) > 0 && Alpha(c) < 0xFF);  // the anti-aliased tip
      } else {
        EXPECT_EQ(Alpha(c), 0) << x << "," << y;
      }
    }

  const TBitmap32& m = Image("VelSkinMenu_hilight");
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 22; ++x) ASSERT_EQ(m.Pixel(x, y), 0xFF337FD1u);
}

// The menu check mark: a tick in each of the three 20 x 20 frames, spanning
// rows 3 to 15, grey when normal, white when selected, faint when disabled.
TEST_F(BuiltinModule, MenuCheckTickSpansRowsThreeToFifteen) {
  const TBitmap32& b = Image("VelSkinMenu_icon_check");
  for (int f = 0; f < 3; ++f) {
    int top = 20, bottom = -1, left = 20, right = -1;
    uint8_t strongest = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        const TColor32 c = b.Pixel(20 * f + x, y);
        if (Alpha(c) == 0) continue;
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
        strongest = std::max(strongest, Alpha(c));
      }
    EXPECT_EQ(top, 3) << f;
    EXPECT_EQ(bottom, 15) << f;
    EXPECT_GE(left, 3) << f;
    EXPECT_LE(right, 16) << f;
    EXPECT_EQ(strongest, f == 2 ? 0x66 : 0xFF) << f;
  }
  EXPECT_EQ(b.Pixel(20 + 9, 14) & 0xFFFFFF, 0xFFFFFFu);  // the selected frame is white
}

// The scroll bar's arrows: a black triangle at alpha 0x66, rows (or columns)
// 2, 4 and 6 pixels long, centred, the short one at the tip. Normal and
// pressed show the triangle alone; hot shows it over a faint backing.
TEST_F(BuiltinModule, ScrollBarArrowsAreTrianglesPointingTheirWay) {
  struct TArrow {
    const char* Name;
    bool Vertical;   // up and down arrows: rows across a 10 x 9 image
    bool TipFirst;   // the tip is at the low coordinate (up, left)
  };
  const TArrow arrows[] = {{"up", true, true}, {"down", true, false}, {"left", false, true}, {"right", false, false}};
  for (const TArrow& a : arrows) {
    // Whether (x, y) is a triangle pixel: band k (0 at the tip) is 2k + 2 long.
    const auto inTriangle = [&](int x, int y) {
      const int along = a.Vertical ? y : x, across = a.Vertical ? x : y;
      const int k = a.TipFirst ? along - 3 : 5 - along;
      return k >= 0 && k <= 2 && across >= 4 - k && across <= 5 + k;
    };
    for (const char* state : {"normal", "down"}) {
      const std::string id = std::string("VelSkinScrollbar_arrow") + a.Name + "_" + state;
      const TBitmap32& b = Image(id.c_str());
      ASSERT_EQ(b.Width(), a.Vertical ? 10 : 9) << id;
      ASSERT_EQ(b.Height(), a.Vertical ? 9 : 10) << id;
      for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
          ASSERT_EQ(b.Pixel(x, y), inTriangle(x, y) ? 0x66000000u : 0u) << id << " " << x << "," << y;
    }
    const std::string id = std::string("VelSkinScrollbar_arrow") + a.Name + "_highlight";
    const TBitmap32& hot = Image(id.c_str());
    const uint8_t backing = Alpha(hot.Pixel(hot.Width() / 2, 0));
    for (int y = 0; y < hot.Height(); ++y)
      for (int x = 0; x < hot.Width(); ++x) {
        const TColor32 c = hot.Pixel(x, y);
        if (Alpha(c)) {
          EXPECT_EQ(c & 0xFFFFFF, 0u) << id << " " << x << "," << y;
        }
        if (inTriangle(x, y)) {
          EXPECT_GT(Alpha(c), backing) << id << " " << x << "," << y;
        }
      }
  }
}

// ---- Items, list and module on small data ------------------------------------------

namespace {

std::unique_ptr<TBitmap32> MakeBitmap(int W, int H, TColor32 Seed) {
  auto b = std::make_unique<TBitmap32>();
  b->SetSize(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) b->SetPixel(x, y, Seed + static_cast<TColor32>(x * 7 + y * 131));
  return b;
}

// A two-image module, as bytes.
std::vector<uint8_t> SmallModule() {
  TVelSkinImageList list(nullptr);
  auto a = MakeBitmap(3, 2, 0x80102030);
  a->SetDrawMode(dmBlend);
  TVelSkinBitmapItem* first = list.Bitmaps()->Add();
  first->SetResID(L"First");
  first->SetBitmap(a.get());
  TVelSkinBitmapItem* second = list.Bitmaps()->Add();
  second->SetResID(L"Second");
  second->SetDescription(L"AutoAdd");
  auto b = MakeBitmap(1, 1, 0xFF00FF00);
  second->SetBitmap(b.get());
  TMemoryStream stream;
  WriteSkinResModule(stream, list);
  return stream.Bytes();
}

TVelSkinResDM* LoadModule(const std::vector<uint8_t>& Bytes) {
  TReadOnlyMemoryStream stream(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  return new TVelSkinResDM(nullptr, stream);
}

std::vector<uint8_t> Serialize(const TStreamObject& Root) {
  TMemoryStream stream;
  WriteComponentStream(stream, Root);
  return stream.Bytes();
}

}  // namespace

TEST(SkinImageList, ItemsCopyBitmapsAndAssignFromItemsOnly) {
  TVelSkinImageList list(nullptr);
  auto source = MakeBitmap(4, 3, 0xFF000000);
  source->SetDrawMode(dmBlend);
  TVelSkinBitmapItem* item = list.Bitmaps()->Add();
  list.SetBitmap(0, source.get());
  source->SetPixel(0, 0, 0x12345678);  // the item holds a copy
  source->SetSize(1, 1);
  EXPECT_EQ(list.Bitmap(0)->Width(), 4);
  EXPECT_EQ(list.Bitmap(0)->Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(list.Bitmap(0)->DrawMode(), dmBlend);

  item->SetResID(L"Id");
  item->SetDescription(L"Text");
  TVelSkinBitmapItem* other = list.Bitmaps()->Add();
  other->Assign(item);
  EXPECT_EQ(other->ResID(), L"Id");
  EXPECT_EQ(other->Description(), L"Text");
  EXPECT_EQ(other->Bitmap()->Width(), 4);
  EXPECT_NE(other->Bitmap(), item->Bitmap());
  TPersistent stranger;
  EXPECT_THROW(other->Assign(&stranger), EConvertError);

  // Assigning a collection copies its items; the list keeps its own collection.
  TVelSkinImageList copy(nullptr);
  TVelSkinBitmapCollection* own = copy.Bitmaps();
  copy.SetBitmaps(list.Bitmaps());
  EXPECT_EQ(copy.Bitmaps(), own);
  ASSERT_EQ(copy.Bitmaps()->Count(), 2);
  EXPECT_EQ(copy.Bitmaps()->Items(1)->ResID(), L"Id");
}

TEST(SkinImageList, ModuleRoundTripsItemsAndBitmapProperties) {
  std::unique_ptr<TVelSkinResDM> dm(LoadModule(SmallModule()));
  const TVelSkinBitmapCollection& b = *dm->VelSkinImageListMain()->Bitmaps();
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(b.Items(0)->ResID(), L"First");
  EXPECT_EQ(b.Items(0)->Bitmap()->DrawMode(), dmBlend);
  EXPECT_EQ(b.Items(1)->Bitmap()->DrawMode(), dmOpaque);
  EXPECT_EQ(b.Items(1)->Description(), L"AutoAdd");
  auto expected = MakeBitmap(3, 2, 0x80102030);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(b.Items(0)->Bitmap()->Pixel(x, y), expected->Pixel(x, y));
  // Saving again gives the same bytes.
  TMemoryStream again;
  dm->SaveToStream(again);
  EXPECT_EQ(again.Bytes(), SmallModule());
}

TEST(SkinImageList, MalformedModulesAreRejected) {
  const std::vector<uint8_t> good = SmallModule();
  for (size_t n = 0; n < good.size(); ++n) {
    const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(delete LoadModule(cut), EReadError) << "cut at " << n;
  }

  TReadOnlyMemoryStream parse(good.data(), static_cast<int64_t>(good.size()));
  const TStreamObject root = ReadComponentStream(parse);
  auto rejects = [](const TStreamObject& r, const char* what) {
    try {
      delete LoadModule(Serialize(r));
      ADD_FAILURE() << "accepted: " << what;
    } catch (const EReadError& e) {
      EXPECT_NE(std::string(e.what()).find(what), std::string::npos) << e.what();
    }
  };
  auto with_item = [&](const std::function<void(TStreamPropertyList&)>& change) {
    TStreamObject r = root;
    change(r.Children[0].Properties[0].Value.Items[0]);
    return r;
  };
  {
    TStreamObject r = root;
    r.ClassName = "TForm";
    rejects(r, "TForm");
  }
  {
    TStreamObject r = root;
    r.Children[0].ClassName = "TImageList";
    rejects(r, "TImageList not found");
  }
  {
    TStreamObject r = root;
    r.Children.clear();
    rejects(r, "missing");
  }
  {
    TStreamObject r = root;
    r.Children.push_back(r.Children[0]);
    rejects(r, "unexpected component");
  }
  rejects(with_item([](TStreamPropertyList& i) { i.push_back({"Bitmap.Width", TStreamValue::FromInteger(3)}); }),
          "does not exist");
  rejects(with_item([](TStreamPropertyList& i) { i[1].Value = TStreamValue::FromIdent("dmFancy"); }),
          "Invalid property value");
  rejects(with_item([](TStreamPropertyList& i) { i[0].Value = TStreamValue::FromInteger(5); }),
          "Invalid property value");
  // "Data" blocks whose announced size disagrees with their length, or is negative.
  for (auto patch : std::vector<std::vector<uint8_t>>{{4, 0, 0, 0, 2, 0, 0, 0},
                                                      {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F},
                                                      {0xFF, 0xFF, 0xFF, 0xFF, 0xFA, 0xFF, 0xFF, 0xFF}}) {
    rejects(with_item([&](TStreamPropertyList& i) { std::copy(patch.begin(), patch.end(), i[3].Value.Bytes.begin()); }),
            "bitmap");
  }
  rejects(with_item([](TStreamPropertyList& i) { i[3].Value.Bytes.resize(5); }), "shorter than its header");
}

TEST(SkinImageList, BuiltinFormIsAbsentFromNativePrograms) {
  EXPECT_THROW(TVelSkinResDM dm(nullptr), EResNotFound);
}
