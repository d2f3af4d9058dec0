// The image list: strips split into images, the disabled look, drawing onto a
// device context with premultiplication, and change links that survive either
// side being freed first.
#include "toolkit/win/imagelist.h"

#include <gtest/gtest.h>

#include "toolkit/win/graphics.h"

#include <memory>

namespace {

TEST(ToolkitImageList, StripsSplitIntoWholeImagesAndBadInputAddsNothing) {
  TImageList list(nullptr, 2, 2);
  // A 5-wide strip holds two whole 2 x 2 images; the fifth column is dropped.
  std::vector<uint32_t> strip(5 * 2);
  for (size_t i = 0; i < strip.size(); ++i) strip[i] = 0xFF000000u | static_cast<uint32_t>(i);
  EXPECT_EQ(list.AddStrip(strip.data(), 5), 0);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Pixels(1), (std::vector<uint32_t>{0xFF000002u, 0xFF000003u, 0xFF000007u, 0xFF000008u}));
  EXPECT_EQ(list.AddStrip(strip.data(), 1), -1);
  EXPECT_EQ(list.Add(nullptr, 2), -1);
  EXPECT_TRUE(list.Pixels(2).empty());
  EXPECT_TRUE(list.Pixels(-1, false).empty());
  list.SetSize(0, -3);  // sizes are at least 1, and a new size clears the list
  EXPECT_EQ(list.Width(), 1);
  EXPECT_EQ(list.Count(), 0);
}

TEST(ToolkitImageList, DisabledLookIsGreyAtHalfOpacity) {
  TImageList list(nullptr, 1, 1);
  const uint32_t red = 0xFFFF0000u;
  list.Add(&red, 1);
  const uint32_t grey = list.Pixels(0, false)[0];
  EXPECT_EQ(grey >> 24, 0x7Fu);
  EXPECT_EQ((grey >> 16) & 0xFF, grey & 0xFF);
  EXPECT_EQ((grey >> 8) & 0xFF, grey & 0xFF);
  EXPECT_EQ(grey & 0xFF, 61u * 255 >> 8);
}

TEST(ToolkitImageList, DrawBlendsOverTheDeviceContext) {
  TImageList list(nullptr, 2, 1);
  const uint32_t px[2] = {0xFFFF0000u, 0x800000FFu};  // opaque red, half blue
  list.Add(px, 2);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  TWindowDC screen(nullptr);
  TGdiBitmap dib(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_TRUE(bits);
  auto* out = static_cast<uint32_t*>(bits);
  for (int i = 0; i < 3; ++i) out[i] = 0xFFFFFFFFu;
  {
    TMemoryDC dc(screen.Get());
    TSelectObject select(dc.Get(), dib.Get());
    list.Draw(dc.Get(), 1, 0, 0);
    list.Draw(dc.Get(), 0, 0, 5);  // no such image: nothing drawn
    GdiFlush();
  }
  EXPECT_EQ(out[0] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(out[1] & 0xFFFFFF, 0xFF0000u);
  // White under half blue: red and green fall to about half.
  EXPECT_NEAR(static_cast<int>((out[2] >> 16) & 0xFF), 127, 2);
  EXPECT_EQ(out[2] & 0xFF, 0xFFu);
}

TEST(ToolkitImageList, ChangeLinksAreToldAndOutliveEitherSide) {
  auto list = std::make_unique<TImageList>(nullptr, 1, 1);
  int changes = 0;
  TChangeLink link;
  link.OnChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, list.get());
    ++changes;
  };
  list->RegisterChanges(&link);
  const uint32_t p = 0xFF00FF00u;
  list->Add(&p, 1);
  list->Delete(0);
  list->Clear();  // already empty: no change
  EXPECT_EQ(changes, 2);
  {
    TChangeLink early;
    list->RegisterChanges(&early);
  }  // unregisters itself
  list->Add(&p, 1);
  EXPECT_EQ(changes, 3);
  list.reset();
  EXPECT_EQ(link.Sender(), nullptr);  // and its destructor has nothing to do
}

}  // namespace
