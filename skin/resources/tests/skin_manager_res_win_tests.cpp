// Under Wine: skin images added from the executable's bitmap resources.
#include <gtest/gtest.h>

#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/imaging.h"

namespace {

TEST(SkinManagerResources, AddResLoadsAModuleBitmapUnderItsId) {
  TVelSkinResManager manager(nullptr);
  HINSTANCE self = GetModuleHandleW(nullptr);
  const int index = manager.AddRes(self, L"ASSIGNTEST", L"from a resource", L"ResImage");
  EXPECT_EQ(manager.IndexOfRes(L" resimage "), index);
  TVelSkinImage* image = manager.GetImageByName(L"ResImage");
  ASSERT_NE(image, nullptr);
  // 8-bit palette image: top row white, red, lime; bottom row red, lime, blue; opaque.
  ASSERT_EQ(image->Width(), 3);
  ASSERT_EQ(image->Height(), 2);
  EXPECT_EQ(image->Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(image->Pixel(1, 0), 0xFFFF0000u);
  EXPECT_EQ(image->Pixel(2, 1), 0xFF0000FFu);

  // A missing resource adds nothing.
  const int count = manager.ImageList()->Bitmaps()->Count();
  EXPECT_THROW(manager.AddRes(self, L"NOSUCHBITMAP", L"", L"Missing"), EResNotFound);
  EXPECT_EQ(manager.ImageList()->Bitmaps()->Count(), count);
}

}  // namespace
