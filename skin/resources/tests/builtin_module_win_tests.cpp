// Under Wine: the built-in module read from this executable's own RCDATA resource.
#include "skin/resources/skin_image_list.h"

#include <gtest/gtest.h>

TEST(BuiltinSkinModule, LoadsFromTheExecutablesResource) {
  TVelSkinResDM dm(nullptr);
  EXPECT_EQ(dm.Name(), L"VelSkinResDM");
  const TVelSkinBitmapCollection& b = *dm.VelSkinImageListMain()->Bitmaps();
  ASSERT_EQ(b.Count(), 84);
  struct TCheck {
    int Index;
    const wchar_t* ResID;
    int Width, Height;
    TDrawMode Mode;
  };
  const TCheck checks[] = {
      {0, L"VelSkinCheckBox", 68, 17, dmBlend},       {1, L"VelSkinButton", 340, 27, dmBlend},
      {11, L"VelSkinBorderNormal", 35, 35, dmOpaque}, {19, L"VelSkinSlider_Aio_light_bkg", 60, 134, dmBlend},
      {33, L"VelSkinTabDown", 10, 35, dmOpaque},      {64, L"VelSkinColor_tabs", 360, 40, dmBlend},
      {83, L"VelSkinSlides", 160, 69, dmBlend},
  };
  for (const TCheck& c : checks) {
    const TVelSkinBitmapItem& item = *b.Items(c.Index);
    EXPECT_EQ(item.ResID(), c.ResID);
    EXPECT_EQ(item.Bitmap()->Width(), c.Width);
    EXPECT_EQ(item.Bitmap()->Height(), c.Height);
    EXPECT_EQ(item.Bitmap()->DrawMode(), c.Mode);
  }
  int pixels = 0;
  for (int i = 0; i < b.Count(); ++i) {
    EXPECT_FALSE(b.Items(i)->Bitmap()->Empty()) << i;
    pixels += b.Items(i)->Bitmap()->Width() * b.Items(i)->Bitmap()->Height();
  }
  EXPECT_GT(pixels, 100000);
  EXPECT_EQ(b.Items(29)->Bitmap()->Pixel(5, 5), 0xFF337FD1u);  // VelSkinMenu_hilight
}
