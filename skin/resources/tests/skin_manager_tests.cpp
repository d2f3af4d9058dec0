#include <gtest/gtest.h>

#include <fstream>

#include "skin/resources/skin_res_manager.h"
#include "skin/resources/tests/bmp_test_writer.h"
#include "skin/resources/tests/png_test_writer.h"

namespace fs = std::filesystem;
using pngtest::Bytes;

namespace {

// Hands out a preset picture and counts its calls; the chunk scanner and the
// manager's own checks run on the real file bytes.
class TFakeDecoder : public TImageDecoder {
public:
  void Decode(const uint8_t*, size_t, TDecodedImage& Out) override {
    ++Calls;
    if (Fail) throw EImageDecodeError("fake codec refuses");
    Out = Next;
  }
  TDecodedImage Next;
  int Calls = 0;
  bool Fail = false;
};

void WriteFile(const fs::path& P, const Bytes& B) {
  std::ofstream(P, std::ios::binary).write(reinterpret_cast<const char*>(B.data()), std::streamsize(B.size()));
}

Bytes BmpBytes(const TBitmap32& B) {
  TMemoryStream s;
  B.SaveToStream(s);
  return s.Bytes();
}

std::unique_ptr<TVelSkinImage> Solid(int W, int H, TColor32 C) {
  auto b = std::make_unique<TVelSkinImage>();
  b->SetSize(W, H);
  b->Clear(C);
  return b;
}

class ManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    Old = fs::current_path();
    Dir = fs::temp_directory_path() / ("skin_manager_tests_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir / "work");
    fs::create_directories(Dir / "exe");
    fs::current_path(Dir / "work");
    auto decoder = std::make_unique<TFakeDecoder>();
    Decoder = decoder.get();
    Manager = std::make_unique<TVelSkinResManager>(&List, std::move(decoder));
    Manager->SetProgramFolder(Dir / "exe");
    Manager->AddRes(Solid(4, 2, 0xFF336699).get(), L"VelSkinButton", L"");
  }
  void TearDown() override {
    fs::current_path(Old);
    fs::remove_all(Dir);
  }
  int CachedCount() const { return Manager->RunTimeImageList()->Bitmaps()->Count(); }

  fs::path Old, Dir;
  TVelSkinImageList List{nullptr};
  TFakeDecoder* Decoder = nullptr;
  std::unique_ptr<TVelSkinResManager> Manager;
};

}  // namespace

TEST_F(ManagerTest, IdsCompareTrimmedAndCaseInsensitively) {
  TVelSkinImage* image = Manager->GetImageByName(L"VelSkinButton");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Manager->GetImageByName(L"velskinbutton"), image);
  EXPECT_EQ(Manager->GetImageByName(L"  VELSKINBUTTON\t"), image);
  EXPECT_EQ(Manager->GetImageByName(L"VelSkinButto"), nullptr);

  int hooks = 0;
  TVelSkinImage* replacement = Manager->GetImageByName(L"VelSkinButton");
  Manager->SetOnGetImage([&](TObject* Sender, const std::wstring& Id, TVelSkinImage*& Image) {
    ++hooks;
    EXPECT_EQ(Sender, Manager.get());
    if (Id == L"Unknown") Image = replacement;
  });
  EXPECT_EQ(Manager->GetImageByName(L""), nullptr);
  EXPECT_EQ(Manager->GetImageByName(L"   "), nullptr);
  EXPECT_EQ(hooks, 0);  // blank ids return at once
  EXPECT_EQ(Manager->GetImageByName(L"Unknown"), replacement);
  EXPECT_EQ(hooks, 1);
}

TEST_F(ManagerTest, FilesInTheWorkingFolderWinAndAreCachedOnce) {
  WriteFile("VelSkinButton", BmpBytes(*Solid(3, 3, 0xFF00FF00)));
  TVelSkinImage* image = Manager->GetImageByName(L"VelSkinButton");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), 3);
  EXPECT_EQ(image->Pixel(1, 1), 0xFF00FF00u);
  EXPECT_EQ(Manager->GetImageByName(L"VelSkinButton"), image);
  EXPECT_EQ(Manager->GetImageByFileName(L"VelSkinButton"), image);
  EXPECT_EQ(CachedCount(), 1);
  EXPECT_EQ(Manager->IndexOfFileName_RunTime(L"velskinbutton"), 0);
  // Changes on disk are not read again.
  WriteFile("VelSkinButton", BmpBytes(*Solid(5, 5, 0xFF0000FF)));
  EXPECT_EQ(Manager->GetImageByName(L"VelSkinButton")->Width(), 3);
}

TEST_F(ManagerTest, IdsUnknownEverywhereElseComeFromTheProgramFolder) {
  WriteFile(Dir / "exe" / "Extra.bmp", BmpBytes(*Solid(2, 2, 0xFFFF0000)));
  TVelSkinImage* image = Manager->GetImageByName(L"Extra.bmp");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(Manager->GetImageByName(L"Extra.bmp"), image);
  EXPECT_EQ(CachedCount(), 1);
  // A built-in id is not looked for beside the program.
  WriteFile(Dir / "exe" / "VelSkinButton", BmpBytes(*Solid(2, 2, 0xFFFF0000)));
  EXPECT_EQ(Manager->GetImageByName(L"VelSkinButton")->Width(), 4);
}

TEST_F(ManagerTest, PngTransparencyModes) {
  // Key colour (4, 5, 6) on an RGB image.
  WriteFile("key.png", pngtest::MakePng(2, 1, 8, 2, {1, 2, 3, 4, 5, 6}, 6, {{"tRNS", {0, 4, 0, 5, 0, 6}}}));
  Decoder->Next = {2, 1, {0xFF010203, 0xFF040506}};
  TVelSkinImage* keyed = Manager->GetImageByName(L"key.png");
  ASSERT_NE(keyed, nullptr);
  EXPECT_EQ(keyed->Pixel(0, 0), 0xFF010203u);
  EXPECT_EQ(keyed->Pixel(1, 0), 0x00040506u);
  EXPECT_EQ(keyed->DrawMode(), dmBlend);

  WriteFile("plain.png", pngtest::MakePng(2, 1, 8, 2, {1, 2, 3, 4, 5, 6}, 6));
  Decoder->Next = {2, 1, {0x80010203, 0x00040506}};  // alpha dropped without tRNS
  TVelSkinImage* plain = Manager->GetImageByName(L"plain.png");
  EXPECT_EQ(plain->Pixel(0, 0), 0xFF010203u);
  EXPECT_EQ(plain->Pixel(1, 0), 0xFF040506u);
  EXPECT_EQ(plain->DrawMode(), dmOpaque);

  WriteFile("alpha.PNG", pngtest::MakePng(2, 1, 8, 6, {1, 2, 3, 0x80, 4, 5, 6, 0}, 8));
  Decoder->Next = {2, 1, {0x80010203, 0x00040506}};
  TVelSkinImage* alpha = Manager->GetImageByName(L"alpha.PNG");
  EXPECT_EQ(alpha->Pixel(0, 0), 0x80010203u);
  EXPECT_EQ(alpha->DrawMode(), dmBlend);
}

TEST_F(ManagerTest, BadFilesRaiseAndCacheNothing) {
  const Bytes good = pngtest::MakePng(2, 1, 8, 2, {1, 2, 3, 4, 5, 6}, 6);
  Decoder->Next = {2, 1, {0xFF010203, 0xFF040506}};
  WriteFile("truncated.png", Bytes(good.begin(), good.begin() + 30));
  EXPECT_THROW(Manager->GetImageByName(L"truncated.png"), EReadError);
  WriteFile("mislabelled.png", BmpBytes(*Solid(2, 2, 0xFF000000)));
  EXPECT_THROW(Manager->GetImageByName(L"mislabelled.png"), EPngFormatError);
  WriteFile("huge.png", pngtest::MakePng(20000, 20000, 8, 2, {}, 0));
  EXPECT_THROW(Manager->GetImageByName(L"huge.png"), EImageDecodeError);
  WriteFile("toobig.png", pngtest::MakePng(16384, 16384, 8, 2, {}, 0));  // 1 GiB of pixels
  EXPECT_THROW(Manager->GetImageByName(L"toobig.png"), EImageDecodeError);
  EXPECT_EQ(Decoder->Calls, 0);  // rejected from the headers alone

  WriteFile("liar.png", good);
  Decoder->Next = {3, 1, {1, 2, 3}};  // decoded size disagrees with IHDR
  EXPECT_THROW(Manager->GetImageByName(L"liar.png"), EImageDecodeError);
  Decoder->Fail = true;
  EXPECT_THROW(Manager->GetImageByName(L"liar.png"), EImageDecodeError);
  Decoder->Fail = false;

  Bytes bmp = BmpBytes(*Solid(4, 4, 0xFF000000));
  WriteFile("short.bmp", Bytes(bmp.begin(), bmp.end() - 5));
  EXPECT_THROW(Manager->GetImageByName(L"short.bmp"), EReadError);
  Bytes wide = bmp;
  wide[18] = 0xFF, wide[19] = 0xFF, wide[20] = 0xFF, wide[21] = 0x7F;
  WriteFile("wide.bmp", wide);
  EXPECT_THROW(Manager->GetImageByName(L"wide.bmp"), EReadError);
  WriteFile("empty.jpg", {});
  Decoder->Fail = true;
  EXPECT_THROW(Manager->GetImageByName(L"empty.jpg"), EReadError);
  EXPECT_EQ(CachedCount(), 0);

  // A failed replacement leaves the item as it was.
  TVelSkinImage* button = Manager->GetImageByName(L"VelSkinButton");
  EXPECT_THROW(Manager->ReplaceRes(L"VelSkinButton", fs::path("truncated.png"), L"", L""), EReadError);
  EXPECT_EQ(button->Width(), 4);
  EXPECT_EQ(button->Pixel(0, 0), 0xFF336699u);
}

TEST_F(ManagerTest, AddReplaceAndDelete) {
  WriteFile("Extra.bmp", BmpBytes(*Solid(2, 3, 0xFF010101)));
  const int index = Manager->AddRes(fs::path("Extra.bmp"), L"", L"from file");
  EXPECT_EQ(Manager->IndexOfRes(L"EXTRA"), index);
  EXPECT_EQ(List.Bitmaps()->Items(index)->Description(), L"from file");

  TVelSkinImage* button = Manager->GetImageByName(L"VelSkinButton");
  EXPECT_EQ(Manager->ReplaceRes(L"NoSuchImage", Solid(1, 1, 0xFF000000).get()), 0);
  EXPECT_EQ(button->Width(), 4);
  EXPECT_EQ(Manager->ReplaceRes(L"velskinbutton", Solid(6, 1, 0xFFABCDEF).get()), 0);
  EXPECT_EQ(button->Width(), 6);  // replaced in place: holders see the change
  EXPECT_EQ(Manager->ReplaceRes(L"VelSkinButton", fs::path("Extra.bmp"), L"", L""), 0);
  EXPECT_EQ(button->Height(), 3);

  Manager->Delete(L"extra");
  EXPECT_EQ(Manager->IndexOfRes(L"Extra"), -1);
  WriteFile("cached.bmp", BmpBytes(*Solid(1, 1, 0xFF000000)));
  Manager->GetImageByName(L"cached.bmp");
  EXPECT_EQ(CachedCount(), 1);
  Manager->Delete(L"CACHED.BMP");
  EXPECT_EQ(CachedCount(), 0);
}

TEST_F(ManagerTest, BackupRestoreAndGrey) {
  TVelSkinImage* button = Manager->GetImageByName(L"VelSkinButton");
  button->SetPixel(0, 0, 0x80FF0000);
  TVelSkinImage* grey = Manager->MakeGrayscaleImageByID(L"VelSkinButton");
  ASSERT_EQ(grey, button);
  const TColor32 once = grey->Pixel(0, 0);
  EXPECT_EQ(once, MakeGray32(IntensityOf(0x80FF0000), 0x80));
  EXPECT_EQ(grey->Pixel(1, 1), MakeGray32(IntensityOf(0xFF336699)));
  Manager->MakeGrayscaleImageByID(L"VelSkinButton");
  EXPECT_EQ(grey->Pixel(0, 0), once);
  EXPECT_GE(Manager->IndexOfRes(L"VelSkinButton_$Bak$"), 0);

  Manager->RestoreImageByID(L"VelSkinButton");
  EXPECT_EQ(button->Pixel(0, 0), 0x80FF0000u);
  EXPECT_EQ(button->Pixel(1, 1), 0xFF336699u);
  EXPECT_EQ(Manager->MakeGrayscaleImageByID(L"NoSuchImage"), nullptr);
}

TEST_F(ManagerTest, DpiPathsAreInactiveByDefault) {
  EXPECT_EQ(CurrentDPIScale(), 1.0);
  EXPECT_EQ(ScaleByDPI(nullptr, 17), 17);
  EXPECT_EQ(Manager->GetResIDByDPIScale(L"VelSkinButton"), -1);
  EXPECT_EQ(Manager->GetImageByName(L"VelSkinButton", true), Manager->GetImageByName(L"VelSkinButton", false));
  EXPECT_EQ(DPISuffixOf(1.0), L"");
  EXPECT_EQ(DPISuffixOf(1.5), L"@DPI150");
  EXPECT_EQ(DPISuffixOf(2.99), L"@DPI200");
  EXPECT_EQ(DPISuffixOf(3.0), L"@DPI300");
  EXPECT_EQ(BaseResID(L"Btn@DPI150@DPI200"), L"Btn");
}

TEST_F(ManagerTest, DpiVariantsAreDerivedOnceWhenEnabled) {
  DPIScalingEnabled = true;
  SetPixelsPerInchProvider([](TObject*, bool) { return 144; });
  const int index = Manager->GetResIDByDPIScale(L"VelSkinButton");
  EXPECT_EQ(ScaleByDPI(nullptr, 10), 15);
  DPIScalingEnabled = false;
  SetPixelsPerInchProvider(nullptr);
  ASSERT_GE(index, 0);
  const TVelSkinBitmapItem* item = List.Bitmaps()->Items(index);
  EXPECT_EQ(item->ResID(), L"VelSkinButton@DPI150");
  EXPECT_EQ(item->Description(), L"AutoAdd");
  EXPECT_EQ(item->Bitmap()->Width(), 6);
  EXPECT_EQ(item->Bitmap()->Height(), 3);
  EXPECT_EQ(item->Bitmap()->DrawMode(), dmBlend);
  // The shared source keeps its own resampler.
  EXPECT_EQ(Manager->GetImageByName(L"VelSkinButton")->ResamplerClassName(), "TNearestResampler");
}

TEST_F(ManagerTest, BmpSizesAreReadByTheirHeaderKind) {
  using bmptest::MakeBmp;
  // The message of the decode error the file raises, "loaded" or the other error.
  const auto refusal = [&](const std::wstring& Name, const Bytes& File) -> std::string {
    WriteFile(ResPath(Name), File);
    try {
      Manager->GetImageByName(Name);
    } catch (const EImageDecodeError& E) {
      return E.what();
    } catch (const std::exception& E) {
      return std::string("not refused by the check: ") + E.what();
    }
    return "loaded";
  };
  const auto says = [](const std::string& Message, const char* Part) {
    return Message.find(Part) != std::string::npos;
  };

  // Headers cut short: before the header size, inside a core header, inside an information header.
  const Bytes core = MakeBmp(12, 1, 1, 24, {1, 2, 3, 0});
  EXPECT_PRED2(says, refusal(L"short1.bmp", Bytes(core.begin(), core.begin() + 17)), "truncated");
  EXPECT_PRED2(says, refusal(L"short2.bmp", Bytes(core.begin(), core.begin() + 25)), "truncated");
  const Bytes v5 = MakeBmp(124, 1, 1, 32, {1, 2, 3, 4});
  EXPECT_PRED2(says, refusal(L"short3.bmp", Bytes(v5.begin(), v5.begin() + 137)), "truncated");
  for (uint32_t size : {0u, 11u, 16u, 41u, 64u, 0xFFFFFFFFu}) {
    Bytes odd = MakeBmp(40, 1, 1, 32, {1, 2, 3, 4});
    for (int i = 0; i < 4; ++i) odd[14 + i] = uint8_t(size >> (8 * i));
    EXPECT_PRED2(says, refusal(L"odd.bmp", odd), "unknown information header") << size;
  }

  // Core sizes are 16-bit unsigned: empty and beyond the limit are refused.
  const char* const tooLarge = "empty or too large";
  EXPECT_PRED2(says, refusal(L"core0.bmp", MakeBmp(12, 0, 1, 24, {})), tooLarge);
  EXPECT_PRED2(says, refusal(L"core1.bmp", MakeBmp(12, 16385, 1, 24, {})),
               tooLarge);
  EXPECT_PRED2(says, refusal(L"core2.bmp", MakeBmp(12, 0xFFFF, 0xFFFF, 24, {})),
               tooLarge);
  // Information sizes are 32-bit signed, a negative height counting by its magnitude.
  EXPECT_PRED2(says, refusal(L"info0.bmp", MakeBmp(40, -1, 1, 32, {})), tooLarge);
  EXPECT_PRED2(says, refusal(L"info1.bmp", MakeBmp(40, 1, -16385, 32, {})), tooLarge);
  EXPECT_PRED2(says, refusal(L"info2.bmp", MakeBmp(40, 1, INT32_MIN, 32, {})), tooLarge);
  EXPECT_PRED2(says, refusal(L"info3.bmp", MakeBmp(40, 1, 0, 32, {})), tooLarge);
  EXPECT_EQ(CachedCount(), 0);
  EXPECT_EQ(Decoder->Calls, 0);

  // Larger information headers push the pixels back and are read as the 40-byte one.
  for (uint32_t size : {52u, 56u, 108u, 124u}) {
    const std::wstring name = L"large" + std::to_wstring(size) + L".bmp";
    WriteFile(ResPath(name), MakeBmp(size, 2, -1, 32, {1, 2, 3, 0xFF, 4, 5, 6, 0xFF}));
    TVelSkinImage* image = Manager->GetImageByName(name);
    ASSERT_NE(image, nullptr) << size;
    EXPECT_EQ(image->Width(), 2);
    EXPECT_EQ(image->Height(), 1);
    EXPECT_EQ(image->Pixel(1, 0), 0xFF060504u);
  }
}

TEST_F(ManagerTest, ThirtyTwoBitBmpAlphaIsUsedOnlyWhenAnyPixelHasSome) {
  using bmptest::MakeBmp;
  // Bottom-up rows, alpha byte 0 everywhere: opaque, colours as stored.
  WriteFile("reserved.bmp",
            MakeBmp(40, 2, 2, 32, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0}));
  TVelSkinImage* opaque = Manager->GetImageByName(L"reserved.bmp");
  ASSERT_NE(opaque, nullptr);
  EXPECT_EQ(opaque->Pixel(0, 1), 0xFF030201u);
  EXPECT_EQ(opaque->Pixel(1, 1), 0xFF060504u);
  EXPECT_EQ(opaque->Pixel(0, 0), 0xFF090807u);
  EXPECT_EQ(opaque->Pixel(1, 0), 0xFF0C0B0Au);

  // One pixel with alpha: the channel is real, zeros included.
  WriteFile("alpha.bmp", MakeBmp(40, 2, 1, 32, {1, 2, 3, 0, 4, 5, 6, 1}));
  TVelSkinImage* alpha = Manager->GetImageByName(L"alpha.bmp");
  ASSERT_NE(alpha, nullptr);
  EXPECT_EQ(alpha->Pixel(0, 0), 0x00030201u);
  EXPECT_EQ(alpha->Pixel(1, 0), 0x01060504u);

  // Added and replaced items are loaded the same way.
  const int index = Manager->AddRes(fs::path("reserved.bmp"), L"Added", L"");
  EXPECT_EQ(List.Bitmap(index)->Pixel(1, 0), 0xFF0C0B0Au);
  Manager->ReplaceRes(L"Added", fs::path("alpha.bmp"), L"", L"");
  EXPECT_EQ(List.Bitmap(index)->Pixel(0, 0), 0x00030201u);
}

TEST_F(ManagerTest, ReplaceResCopiesAnyBitmapAsAddResDoes) {
  TCustomBitmap32 plain;  // not a TBitmap32
  plain.SetSize(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) plain.SetPixel(x, y, 0x80102030u + TColor32(x * 16 + y));
  plain.SetDrawMode(dmBlend);

  TVelSkinImage* button = Manager->GetImageByName(L"VelSkinButton");
  EXPECT_EQ(Manager->ReplaceRes(L"VelSkinButton", &plain), 0);
  const int added = Manager->AddRes(&plain, L"Added", L"");
  plain.Clear(0);  // both hold copies
  for (const TBitmap32* copy : {static_cast<TBitmap32*>(button), List.Bitmap(added)}) {
    ASSERT_EQ(copy->Width(), 3);
    ASSERT_EQ(copy->Height(), 2);
    EXPECT_EQ(copy->Pixel(0, 0), 0x80102030u);
    EXPECT_EQ(copy->Pixel(2, 1), 0x80102051u);
    EXPECT_EQ(copy->DrawMode(), dmBlend);
  }
  EXPECT_EQ(Manager->GetImageByName(L"VelSkinButton"), button);  // replaced in place

  // No image at all still empties the item.
  Manager->ReplaceRes(L"VelSkinButton", nullptr);
  EXPECT_TRUE(button->Empty());
}
