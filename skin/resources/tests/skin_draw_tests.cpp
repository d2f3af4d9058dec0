#include <gtest/gtest.h>

#include "skin/resources/skin_draw.h"
#include "skin/resources/skin_res_manager.h"

namespace {

constexpr TColor32 kFrameColors[5] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF};

// A strip of five 2 x 3 frames, each a solid distinct colour.
std::unique_ptr<TVelSkinImage> FiveFrameStrip(TDrawMode Mode, bool Stacked = false) {
  auto strip = std::make_unique<TVelSkinImage>();
  strip->SetSize(Stacked ? 2 : 10, Stacked ? 15 : 3);
  strip->SetDrawMode(Mode);
  for (int y = 0; y < strip->Height(); ++y)
    for (int x = 0; x < strip->Width(); ++x) strip->SetPixel(x, y, kFrameColors[Stacked ? y / 3 : x / 2]);
  return strip;
}

bool AllPixels(const TCustomBitmap32& B, TColor32 C) {
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      if (B.Pixel(x, y) != C) return false;
  return true;
}

// 9 x 9 source: each 3 x 3 block is one colour, numbered row by row
// (corners 0, 2, 6, 8; edges 1, 3, 5, 7; centre 4).
TColor32 BlockColor(int Block) { return 0xFF000000u | TColor32(0x10 + Block * 0x11) << 16 | TColor32(Block); }
// Opaque drawing keeps the checks about geometry: blending rounds channels.
std::unique_ptr<TVelSkinImage> NineBlockSource(TDrawMode Mode = dmOpaque) {
  auto src = std::make_unique<TVelSkinImage>();
  src->SetSize(9, 9);
  src->SetDrawMode(Mode);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) src->SetPixel(x, y, BlockColor((y / 3) * 3 + x / 3));
  return src;
}

}  // namespace

TEST(FrameCutting, EachFrameOfAStripHasItsColourInBothDrawModes) {
  for (TDrawMode mode : {dmOpaque, dmBlend}) {
    auto strip = FiveFrameStrip(mode);
    for (int i = 0; i < 5; ++i) {
      TBitmap32 frame;
      ASSERT_TRUE(CutFrame(strip.get(), i, 5, false, &frame));
      EXPECT_EQ(frame.Width(), 2);
      EXPECT_EQ(frame.Height(), 3);
      EXPECT_EQ(frame.DrawMode(), mode);
      EXPECT_TRUE(AllPixels(frame, kFrameColors[i])) << "frame " << i;
    }
  }
  auto stacked = FiveFrameStrip(dmBlend, true);
  TBitmap32 frame;
  ASSERT_TRUE(CutFrame(stacked.get(), 3, 5, true, &frame));
  EXPECT_EQ(frame.Width(), 2);
  EXPECT_EQ(frame.Height(), 3);
  EXPECT_TRUE(AllPixels(frame, kFrameColors[3]));
}

TEST(FrameCutting, FailuresLeaveTheTargetAsItWas) {
  auto strip = FiveFrameStrip(dmBlend);
  TBitmap32 target;
  target.SetSize(4, 4);
  target.Clear(0xFF123456);
  EXPECT_FALSE(CutFrame(strip.get(), 5, 5, false, &target));
  EXPECT_FALSE(CutFrame(strip.get(), -1, 5, false, &target));
  EXPECT_FALSE(CutFrame(strip.get(), 0, 11, false, &target));  // frames 0 px wide
  EXPECT_FALSE(CutFrame(strip.get(), 0, 0, false, &target));
  EXPECT_FALSE(CutFrame(nullptr, 0, 5, false, &target));
  EXPECT_FALSE(CutFrame(strip.get(), 0, 5, false, nullptr));
  TVelSkinImage empty;
  EXPECT_FALSE(CutFrame(&empty, 0, 1, false, &target));
  TVelSkinImage tooWide;
  tooWide.SetSize(MaxStripSide + 1, 1);
  EXPECT_FALSE(CutFrame(&tooWide, 0, 2, false, &target));
  EXPECT_EQ(target.Width(), 4);
  EXPECT_TRUE(AllPixels(target, 0xFF123456));
}

TEST(PngPictures, NotificationsFollowTheSetterRules) {
  TPngPictures pictures;
  int calls = 0;
  pictures.SetPicturesChanged([&](TObject*) { ++calls; });
  EXPECT_EQ(calls, 1);  // assigning the handler notifies at once
  pictures.SetPressed(4);
  pictures.SetMultiLineMode(true);
  EXPECT_EQ(calls, 1);
  pictures.SetNormal(pictures.Normal());
  EXPECT_EQ(calls, 2);  // stored and notified even when equal
  pictures.Lock();
  pictures.SetHot(3);
  EXPECT_EQ(calls, 2);
  pictures.UnLock();
  pictures.SetCount(5);
  EXPECT_EQ(calls, 3);
}

TEST(PngPictures, LooksTheStripUpOnceAndCutsStateFrames) {
  TVelSkinResManager* manager = SkinResManager();
  auto strip = FiveFrameStrip(dmBlend);
  manager->AddRes(strip.get(), L"DrawTestStrip", L"");
  int lookups = 0;
  manager->SetOnGetImage([&](TObject*, const std::wstring&, TVelSkinImage*&) { ++lookups; });

  TPngPictures pictures;
  pictures.SetImage(L"DrawTestStrip");
  pictures.SetImage(L"DrawTestStrip");
  EXPECT_EQ(lookups, 1);
  ASSERT_NE(pictures.SourceImage(), nullptr);
  pictures.SetCount(5);
  pictures.SetHot(1);
  pictures.SetPressed(2);
  EXPECT_EQ(pictures.GetSingleWidth(), 2);
  EXPECT_EQ(pictures.GetSingleHeight(), 3);
  EXPECT_EQ(pictures.SourceSize(), Point(10, 3));
  TBitmap32 frame;
  ASSERT_TRUE(pictures.GetPressedImage(&frame));
  EXPECT_TRUE(AllPixels(frame, kFrameColors[2]));

  TPngPictures copy;
  copy.Assign(&pictures);
  EXPECT_EQ(copy.SourceImage(), pictures.SourceImage());
  EXPECT_EQ(copy.Count(), 5);
  EXPECT_EQ(copy.Pressed(), 2);
  TVelOffset offset;
  EXPECT_THROW(copy.Assign(&offset), EConvertError);

  TPngPictures none;
  EXPECT_EQ(none.GetSingleWidth(), 0);
  EXPECT_FALSE(none.GetNormalImage(&frame));
  manager->SetOnGetImage(nullptr);
  manager->Delete(L"DrawTestStrip");
}

// Frames are cut once and handed out again; a new strip, count or layout
// gives freshly cut frames, and each copy is the caller's own.
TEST(PngPictures, CutFramesAreKeptUntilTheStripOrItsLayoutChanges) {
  TVelSkinResManager* manager = SkinResManager();
  auto strip = FiveFrameStrip(dmOpaque);
  auto stacked = FiveFrameStrip(dmOpaque, true);
  manager->AddRes(strip.get(), L"CacheStrip", L"");
  manager->AddRes(stacked.get(), L"CacheStacked", L"");
  TPngPictures pictures;
  pictures.SetImage(L"CacheStrip");
  pictures.SetCount(5);
  TBitmap32 frame, again;
  ASSERT_TRUE(pictures.GetHotImage(&frame));
  frame.Clear(0xFF123456);  // the caller's copy, not the kept frame
  ASSERT_TRUE(pictures.GetHotImage(&again));
  EXPECT_TRUE(AllPixels(again, kFrameColors[1]));
  EXPECT_EQ(again.DrawMode(), dmOpaque);

  pictures.SetCount(2);  // two frames of 5 x 3: the first covers the red and green frames and half the blue
  ASSERT_TRUE(pictures.GetNormalImage(&frame));
  EXPECT_EQ(frame.Width(), 5);
  EXPECT_EQ(frame.Pixel(4, 0), kFrameColors[2]);
  EXPECT_FALSE(pictures.GetPressedImage(&frame));  // frame 2 of two does not exist
  EXPECT_EQ(frame.Width(), 5);

  pictures.SetImage(L"CacheStacked");
  pictures.SetCount(5);
  pictures.SetMultiLineMode(true);
  ASSERT_TRUE(pictures.GetHotImage(&frame));
  EXPECT_EQ(frame.Width(), 2);
  EXPECT_EQ(frame.Height(), 3);
  EXPECT_TRUE(AllPixels(frame, kFrameColors[1]));
  manager->Delete(L"CacheStrip");
  manager->Delete(L"CacheStacked");
}

TEST(TextObjects, ChangeEventsAndAssignment) {
  TVelTextObj text;
  int textCalls = 0, lightCalls = 0;
  text.SetOnChanged([&](TObject*) { ++textCalls; });
  text.Light().SetOnChanged([&](TObject*) { ++lightCalls; });
  text.SetText(L"a");
  text.SetText(L"a");
  text.Light().SetActive(true);
  EXPECT_EQ(textCalls, 1);  // light changes are not forwarded
  EXPECT_EQ(lightCalls, 1);

  TVelTextObj other;
  other.Light().SetBlurRadius(5);
  other.Assign(&text);
  EXPECT_TRUE(other.Light().Active());
  EXPECT_EQ(other.Light().BlurRadius(), 5);  // not copied
  EXPECT_EQ(other.Text(), L"a");
  EXPECT_EQ(other.Light().Color(), 0xFFFFFE);
}

TEST(NineBlock, SameSizeReproducesTheSource) {
  for (bool opaque : {false, true}) {
    auto src = NineBlockSource();
    TBitmap32 dst;
    dst.SetSize(9, 9);
    dst.Clear(0);
    DrawAutoStretch(src.get(), &dst, opaque);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 9; ++x) ASSERT_EQ(dst.Pixel(x, y), src->Pixel(x, y)) << x << "," << y;
  }
}

// A side as long as the source's is not divided; when both sides are, the
// equal height decides and the horizontal thirds stay.
TEST(NineBlock, AutoStretchCentreForEqualSides) {
  EXPECT_EQ(AutoStretchCentre(68, 27, 100, 40), MakeRect(22, 9, 44, 18));
  EXPECT_EQ(AutoStretchCentre(68, 27, 68, 40), MakeRect(0, 9, 0, 18));
  EXPECT_EQ(AutoStretchCentre(68, 27, 100, 27), MakeRect(22, 0, 44, 0));
  EXPECT_EQ(AutoStretchCentre(68, 27, 68, 27), MakeRect(22, 0, 44, 0));
  EXPECT_EQ(AutoStretchCentre(2, 2, 5, 5), MakeRect(1, 1, 2, 2));
}

TEST(NineBlock, LargerDestinationKeepsCornersAndStretchesTheRest) {
  for (bool opaque : {false, true}) {
    auto src = NineBlockSource();
    TBitmap32 dst;
    dst.SetSize(20, 14);
    dst.Clear(0);
    DrawAutoStretch(src.get(), &dst, opaque);
    auto blockAt = [&](int x, int y) {
      const int bx = x < 3 ? 0 : x >= 17 ? 2 : 1;
      const int by = y < 3 ? 0 : y >= 11 ? 2 : 1;
      return by * 3 + bx;
    };
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 20; ++x)
        ASSERT_EQ(dst.Pixel(x, y), BlockColor(blockAt(x, y))) << "opaque " << opaque << " at " << x << "," << y;
  }
}

TEST(NineBlock, DestinationsSmallerThanTheCornersDrawSafely) {
  auto src = NineBlockSource();
  for (int size : {1, 2, 4, 5}) {
    for (bool opaque : {false, true}) {
      TBitmap32 dst;
      dst.SetSize(size, size + 1);
      dst.Clear(0);
      DrawAutoStretch(src.get(), &dst, opaque);
      EXPECT_EQ(dst.Pixel(0, 0) >> 24, 0xFFu) << size;
    }
  }
  TBitmap32 dst;
  dst.SetSize(4, 4);
  dst.Clear(0);
  Draw9Block(src.get(), &dst, MakeRect(3, 3, 6, 6), false);
  EXPECT_EQ(dst.Pixel(0, 0), BlockColor(0));
  EXPECT_EQ(dst.Pixel(3, 3), BlockColor(8));  // the bottom-right corner drawn last
}

TEST(NineBlock, OpaqueDrawingReplacesAlpha) {
  auto src = NineBlockSource();
  src->FillRect(0, 0, 9, 9, 0x40102030);
  TBitmap32 dst;
  dst.SetSize(12, 12);
  dst.Clear(0xFFFFFFFF);
  DrawAutoStretch(src.get(), &dst, true);
  EXPECT_TRUE(AllPixels(dst, 0x40102030));
}

TEST(Tiling, BandIsRepeatedAndTheLastCopyCut) {
  TVelSkinImage src;
  src.SetSize(10, 1);
  for (int x = 0; x < 10; ++x) src.SetPixel(x, 0, 0xFF000000u | TColor32(x));
  TBitmap32 dst;
  dst.SetSize(30, 1);
  dst.Clear(0xFFFFFFFF);
  TileBand(&src, src.BoundsRect(), &dst, MakeRect(0, 0, 25, 1));
  for (int x = 0; x < 25; ++x) EXPECT_EQ(dst.Pixel(x, 0), 0xFF000000u | TColor32(x % 10)) << x;
  EXPECT_EQ(dst.Pixel(25, 0), 0xFFFFFFFFu);

  TBitmap32 column;
  column.SetSize(10, 7);
  column.Clear(0xFFFFFFFF);
  TileBand(&src, MakeRect(2, 0, 5, 1), &column, MakeRect(0, 0, 4, 7));  // neither side matches
  EXPECT_TRUE(AllPixels(column, 0xFFFFFFFF));
  TileBand(&src, MakeRect(2, 0, 5, 1), &column, MakeRect(1, 0, 4, 7));  // same width: stacked
  for (int y = 0; y < 7; ++y) EXPECT_EQ(column.Pixel(2, y), 0xFF000003u);
}

TEST(Tiling, WholeImageAndPanelFills) {
  TVelSkinImage src;
  src.SetSize(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) src.SetPixel(x, y, 0xFF000000u | TColor32(y * 3 + x));
  TBitmap32 dst;
  dst.SetSize(7, 5);
  DrawPngFill(&src, &dst, ftTile);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(dst.Pixel(x, y), 0xFF000000u | TColor32((y % 2) * 3 + x % 3));

  dst.Clear(0);
  DrawPngFill(&src, &dst, ftGradient);
  EXPECT_TRUE(AllPixels(dst, 0));
  DrawPngFill(&src, &dst, ftCenter);  // at (2, 1)
  EXPECT_EQ(dst.Pixel(2, 1), 0xFF000000u);
  EXPECT_EQ(dst.Pixel(4, 2), 0xFF000005u);
  EXPECT_EQ(dst.Pixel(1, 1), 0u);
  DrawPngFill(&src, &dst, ftStretch);
  EXPECT_EQ(dst.Pixel(6, 4), 0xFF000005u);
}

TEST(Slicing, CropSplitAndThreeSliceStretch) {
  auto src = NineBlockSource();
  auto band = CropCentreBand(src.get(), 3, 5);
  ASSERT_EQ(band->Width(), 5);
  ASSERT_EQ(band->Height(), 3);
  EXPECT_EQ(band->Pixel(0, 0), BlockColor(3));
  EXPECT_EQ(band->Pixel(4, 2), BlockColor(4));
  auto whole = CropCentreBand(src.get(), 10, 5);  // does not fit: a plain copy
  EXPECT_EQ(whole->Width(), 9);

  TVelSkinImages frames;
  SplitEdges(src.get(), 2, frames);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0]->Width(), 2);
  EXPECT_EQ(frames[1]->Width(), 5);
  EXPECT_EQ(frames[2]->Pixel(1, 0), BlockColor(2));
  SplitEdges(src.get(), 3, frames);  // not below width / 3: thirds
  EXPECT_EQ(frames[1]->Width(), 3);
  TVelSkinImage empty;
  SplitColumns(&empty, 3, frames);
  EXPECT_TRUE(frames.empty());

  auto wide = StretchHorz3(src.get(), 20);
  ASSERT_EQ(wide->Width(), 20);
  EXPECT_EQ(wide->Pixel(0, 0), BlockColor(0));
  EXPECT_EQ(wide->Pixel(10, 0), BlockColor(1));
  EXPECT_EQ(wide->Pixel(19, 8), BlockColor(8));
  auto narrow = StretchHorz3(src.get(), 2);  // first column stretched over all
  EXPECT_EQ(narrow->Pixel(1, 0), BlockColor(0));
  auto tall = StretchVert3(src.get(), 16);
  ASSERT_EQ(tall->Height(), 16);
  EXPECT_EQ(tall->Pixel(0, 8), BlockColor(3));
  EXPECT_EQ(tall->Pixel(8, 15), BlockColor(8));
  auto low = StretchVert3(src.get(), 3);
  EXPECT_EQ(low->Pixel(0, 2), BlockColor(0));
}

TEST(GlowArithmetic, BlurAndPull) {
  std::vector<TColor32> mask(49, 0xFFFFFFFF);
  mask[24] = 0xFF000000;  // one black text pixel in the middle of a 7 x 7 mask
  BoxBlurChannels(mask.data(), 7, 7, 1);
  BoxBlurChannels(mask.data(), 7, 7, 1);
  EXPECT_LT(RedOf(mask[24]), 255);
  EXPECT_LT(RedOf(mask[23]), 255);  // the halo spreads two pixels out
  EXPECT_LT(RedOf(mask[8]), 255);
  EXPECT_EQ(RedOf(mask[0]), 255);
  EXPECT_GT(RedOf(mask[23]), RedOf(mask[24]));

  std::vector<TColor32> work(49, 0xFF000000);
  PullTowardColor(work.data(), mask.data(), 49, 0xFFFF0000, 2);
  EXPECT_GT(RedOf(work[24]), RedOf(work[23]));
  EXPECT_LE(RedOf(work[0]), 2);  // a white mask pulls only by 1/256 per pass
  std::vector<TColor32> black(1, 0xFF000000), full(1, 0x80102030);
  PullTowardColor(full.data(), black.data(), 1, 0xFFFFFFFF, 1);
  EXPECT_EQ(full[0], 0x80FFFFFFu);
}
