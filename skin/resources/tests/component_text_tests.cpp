#include "skin/resources/component_text.h"
#include "skin/resources/skin_res_manager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes ReadFile(const fs::path& Name) {
  TMemoryStream m;
  m.LoadFromFile(Name);
  return m.Bytes();
}

std::string ToText(const Bytes& Binary) {
  TReadOnlyMemoryStream in(Binary.data(), int64_t(Binary.size()));
  TMemoryStream out;
  ObjectBinaryToText(in, out);
  return std::string(out.Bytes().begin(), out.Bytes().end());
}

Bytes ToBinary(const std::string& Text) {
  TReadOnlyMemoryStream in(Text.data(), int64_t(Text.size()));
  TMemoryStream out;
  ObjectTextToBinary(in, out);
  return out.Bytes();
}

// Builds expected streams byte by byte.
struct TBin {
  Bytes B{'T', 'P', 'F', '0'};
  TBin& Raw(std::initializer_list<int> Values) {
    for (int v : Values) B.push_back(uint8_t(v));
    return *this;
  }
  TBin& Str(const std::string& S) {
    B.push_back(uint8_t(S.size()));
    B.insert(B.end(), S.begin(), S.end());
    return *this;
  }
  TBin& Le(uint64_t V, int N) {
    for (int i = 0; i < N; ++i) B.push_back(uint8_t(V >> (8 * i)));
    return *this;
  }
};

// ---- Built-in module ----------------------------------------------------------

TEST(ComponentText, BuiltinModuleRoundTripsByteForByte) {
  Bytes module = ReadFile(QUORREL_SKIN_MODULE_FILE);
  const size_t recordSize = module.size();
  module.push_back(0xAB);  // a byte after the record stays unread
  TReadOnlyMemoryStream in(module.data(), int64_t(module.size()));
  TMemoryStream out;
  ObjectBinaryToText(in, out);
  EXPECT_EQ(in.Position(), int64_t(recordSize));
  const std::string text(out.Bytes().begin(), out.Bytes().end());

  EXPECT_EQ(text.rfind("object VelSkinResDM: TVelSkinResDM\r\n  OldCreateOrder = False\r\n  Height = 265\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\n  object VelSkinImageListMain: TVelSkinImageList\r\n    Bitmaps = <\r\n      item\r\n"
                      "        ResID = 'VelSkinCheckBox'\r\n        Bitmap.DrawMode = dmBlend\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("        Bitmap.Data = {\r\n          44000000"), std::string::npos);  // width 68
  EXPECT_NE(text.find("      end>\r\n    Left = 136\r\n    Top = 88\r\n  end\r\nend\r\n"), std::string::npos);
  // Full hex lines hold 64 upper-case digits.
  std::istringstream lines(text);
  std::string line;
  int hexLines = 0;
  while (std::getline(lines, line)) {
    if (line.size() != 10 + 64 + 1 || line.compare(0, 10, std::string(10, ' ')) != 0) continue;
    ++hexLines;
    EXPECT_EQ(line.find_first_not_of("0123456789ABCDEF", 10), 74u) << line;
  }
  EXPECT_GT(hexLines, 1000);

  module.pop_back();
  EXPECT_EQ(ToBinary(text), module);
}

// ---- Every value type -----------------------------------------------------------

const char* const kAllTypes =
    "object Form1: TForm\r\n"
    "  I8 = -5\r\n"
    "  I16 = 300\r\n"
    "  I32 = -100000\r\n"
    "  I64 = 5000000000\r\n"
    "  Ext = 1.5\r\n"
    "  Sgl = 0.5s\r\n"
    "  Cur = -12.34c\r\n"
    "  Dt = 2.25d\r\n"
    "  Str = 'it''s'#13#10'x'\r\n"
    "  Wide = 'a'#08364\r\n"
    "  Id = Font.dmBlend\r\n"
    "  T = True\r\n"
    "  F = False\r\n"
    "  N = nil\r\n"
    "  Bin = {\r\n    0A0BFF}\r\n"
    "  St = [akLeft, akTop]\r\n"
    "  Es = []\r\n"
    "  L = (\r\n    1\r\n    ''\r\n    ())\r\n"
    "  C = <\r\n    item\r\n      X = 1\r\n    end\r\n    item\r\n    end>\r\n"
    "  object Child: TChild\r\n"
    "  end\r\n"
    "  object TAnon\r\n"
    "  end\r\n"
    "end\r\n";

Bytes AllTypesBinary() {
  TBin b;
  b.Str("TForm").Str("Form1");
  b.Str("I8").Raw({0x02, 0xFB});
  b.Str("I16").Raw({0x03}).Le(300, 2);
  b.Str("I32").Raw({0x04}).Le(uint32_t(-100000), 4);
  b.Str("I64").Raw({0x13}).Le(5000000000ull, 8);
  b.Str("Ext").Raw({0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F});
  b.Str("Sgl").Raw({0x0F, 0, 0, 0, 0x3F});
  b.Str("Cur").Raw({0x10}).Le(uint64_t(-123400), 8);
  b.Str("Dt").Raw({0x11}).Le(0x4002000000000000ull, 8);
  b.Str("Str").Raw({0x06}).Str("it's\r\nx");
  b.Str("Wide").Raw({0x12}).Le(2, 4).Le('a', 2).Le(8364, 2);
  b.Str("Id").Raw({0x07}).Str("Font.dmBlend");
  b.Str("T").Raw({0x09});
  b.Str("F").Raw({0x08});
  b.Str("N").Raw({0x0D});
  b.Str("Bin").Raw({0x0A}).Le(3, 4).Raw({0x0A, 0x0B, 0xFF});
  b.Str("St").Raw({0x0B}).Str("akLeft").Str("akTop").Raw({0});
  b.Str("Es").Raw({0x0B, 0});
  b.Str("L").Raw({0x01, 0x02, 0x01, 0x06, 0x00, 0x01, 0x00, 0x00});
  b.Str("C").Raw({0x0E, 0x01}).Str("X").Raw({0x02, 0x01, 0x00, 0x01, 0x00, 0x00});
  b.Raw({0});                                      // end of properties
  b.Str("TChild").Str("Child").Raw({0, 0});        // child with no properties, no children
  b.Str("TAnon").Str("").Raw({0, 0});
  b.Raw({0});                                      // end of children
  return b.B;
}

TEST(ComponentText, EveryValueTypeParsesToItsBinaryAndBack) {
  EXPECT_EQ(ToBinary(kAllTypes), AllTypesBinary());
  EXPECT_EQ(ToText(AllTypesBinary()), kAllTypes);
}

TEST(ComponentText, TextVariantsParseToTheSameValues) {
  const auto value = [](const std::string& V) {
    const Bytes b = ToBinary("object A: TA\n P = " + V + "\nend");
    return Bytes(b.begin() + 4 + 3 + 2 + 2, b.end() - 2);  // type byte and value
  };
  // Case of keywords and hex, line feeds only, '+' joins, lower-case suffixes.
  EXPECT_EQ(value("TRUE"), value("true"));
  EXPECT_EQ(value("{ab cd}"), value("{ABCD}"));
  EXPECT_EQ(value("'ab' +\n  'cd'"), value("'abcd'"));
  EXPECT_EQ(value("#65#66"), value("'AB'"));
  EXPECT_EQ(value("1.5E0"), value("1.5"));
  EXPECT_EQ(value("2.5S"), value("2.5s"));
  EXPECT_EQ(value("7c"), value("7.0000c"));
  // Integers take the smallest type; a string longer than 255 becomes a long string.
  EXPECT_EQ(value("127"), (Bytes{0x02, 0x7F}));
  EXPECT_EQ(value("-129"), (Bytes{0x03, 0x7F, 0xFF}));
  EXPECT_EQ(value("-9223372036854775808"), (Bytes{0x13, 0, 0, 0, 0, 0, 0, 0, 0x80}));
  const Bytes longString = value("'" + std::string(300, 'x') + "'");
  EXPECT_EQ(longString[0], 0x0C);
  EXPECT_EQ(longString.size(), 1u + 4 + 300);
  // Extended keeps its full precision down to the smallest denormal.
  EXPECT_EQ(value("0.1"), (Bytes{0x05, 0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));
  EXPECT_EQ(value("4E-4951"), (Bytes{0x05, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // An escape of four or more digits makes a wide string even below 256.
  EXPECT_EQ(value("#0065"), (Bytes{0x12, 1, 0, 0, 0, 65, 0}));
}

TEST(ComponentText, BinaryOnlyTypesConvertWithoutLoss) {
  TBin b;
  b.Str("TA").Str("A");
  b.Str("W").Raw({0x12}).Le(3, 4).Le('a', 2).Le('b', 2).Le(0xE4, 2);  // wide with a unit below 256
  b.Str("V").Raw({0x12}).Le(2, 4).Le('a', 2).Le('b', 2);              // wide, printable only
  b.Str("D").Raw({0x15}).Le(0x3FB999999999999Aull, 8);                // double 0.1
  b.Str("M").Raw({0x10}).Le(uint64_t(INT64_MIN), 8);
  b.Str("X").Raw({0x05}).Le(0xCCCCCCCCCCCCCCCDull, 8).Le(0x3FFB, 2);  // extended 0.1
  b.Str("Z").Raw({0x05}).Le(0, 8).Le(0x8000, 2);                      // extended -0
  b.Raw({0, 0});
  const std::string text = ToText(b.B);
  EXPECT_NE(text.find("W = 'ab'#00228"), std::string::npos) << text;
  EXPECT_NE(text.find("V = 'a'#00098"), std::string::npos) << text;
  EXPECT_NE(text.find("M = -922337203685477.5808c"), std::string::npos) << text;
  EXPECT_NE(text.find("Z = -0.0\r\n"), std::string::npos) << text;
  // A double comes back as the extended of the same value; everything else byte for byte.
  const Bytes back = ToBinary(text);
  EXPECT_EQ(ToText(back), text);
  const size_t d = 4 + 3 + 2 + (2 + 1 + 4 + 6) + (2 + 1 + 4 + 4);
  ASSERT_EQ(b.B[d + 2], 0x15);
  EXPECT_EQ(Bytes(back.begin(), back.begin() + long(d) + 2), Bytes(b.B.begin(), b.B.begin() + long(d) + 2));
  ASSERT_EQ(back[d + 2], 0x05);
  long double extended = 0;
  std::memcpy(&extended, &back[d + 3], 10);
  EXPECT_EQ(extended, static_cast<long double>(0.1));
  EXPECT_EQ(Bytes(back.begin() + long(d) + 13, back.end()), Bytes(b.B.begin() + long(d) + 11, b.B.end()));
}

TEST(ComponentText, BinaryThatTextCannotHoldIsRefused) {
  const auto prop = [](std::initializer_list<int> Value, const std::string& Name = "P") {
    TBin b;
    b.Str("TA").Str("A").Str(Name).Raw(Value).Raw({0, 0});
    return b.B;
  };
  const std::vector<Bytes> bad = {
      prop({0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F}),  // extended NaN
      prop({0x0F, 0, 0, 0x80, 0x7F}),                       // single infinity
      prop({0x07, 9, 'T', 'R', 'U'}),                       // truncated identifier
      prop({0x07, 4, 'T', 'r', 'u', 'e'}),                  // identifier that reads as a Boolean
      prop({0x07, 2, '1', 'x'}),                            // not an identifier
      prop({0x02, 1}, "end"),                               // property name that reads as structure
      prop({0x02, 1}, "a b"),
      prop({0x0A, 0xFF, 0xFF, 0xFF, 0x7F}),                 // binary claims 2 GB
      prop({0x12, 0xFF, 0xFF, 0xFF, 0x3F}),                 // wide string claims 2 GB
      prop({0x0C, 0xFF, 0xFF, 0xFF, 0xFF}),                 // negative length
      prop({0x16}),                                         // unknown type
      prop({0x0E, 0x02}),                                   // collection item without 0x01
      prop({0x01, 0x02}),                                   // list without its end
      Bytes{'T', 'P', 'F', '1'},
      Bytes{'T', 'P', 'F', '0', 0xF1, 'T', 'A', 0, 0, 0},   // object flags
  };
  for (size_t i = 0; i < bad.size(); ++i) EXPECT_THROW(ToText(bad[i]), EReadError) << "case " << i;

  // Nesting at the reader's bound converts; one level more is refused.
  const auto nested = [](int Levels) {
    TBin b;
    b.Str("TA").Str("A").Str("P");
    for (int i = 0; i < Levels; ++i) b.Raw({0x01});
    for (int i = 0; i < Levels; ++i) b.Raw({0x00});
    b.Raw({0, 0});
    return b.B;
  };
  EXPECT_NO_THROW(ToText(nested(MaxComponentTextNesting - 1)));
  EXPECT_THROW(ToText(nested(MaxComponentTextNesting)), EReadError);
}

// ---- Malformed text ----------------------------------------------------------------

TEST(ComponentText, MalformedTextNamesTheLine) {
  struct TCase {
    std::string Text;
    int Line;
  };
  std::string deepObjects, deepLists = "object A: TA\n P = ";
  for (int i = 0; i < MaxComponentTextNesting + 1; ++i) deepObjects += "object A: TA\n";
  for (int i = 0; i < 1000; ++i) deepLists += "(";
  const TCase cases[] = {
      {"object A: TA\n  S = 'abc\nend\n", 2},               // unterminated string
      {"object A: TA\n  S = 'abc", 2},
      {"object A: TA\n  S = 'a\tb'\nend", 2},               // raw control character
      {"object A: TA\n  S = #\nend", 2},
      {"object A: TA\n  S = #123456\nend", 2},
      {"object A: TA\n  S = #65536\nend", 2},
      {"object A: TA\n  S = 'a' +\nend", 3},
      {"object A: TA\n  B = {0G}\nend", 2},                 // bad hex
      {"object A: TA\n  B = {ABC}\nend", 2},                // odd digit count
      {"object A: TA\n  B = {AB\n\n", 4},                   // unterminated binary
      {"object A: TA\n  X = 1\n", 3},                       // missing end
      {"object A: TA\nend\nend\n", 3},                      // one end too many
      {"object A: TA\n  object B: TB\n  X = 1\nend\n", 5},  // unbalanced
      {"object A: TA\n  object B: TB\n  end\n  X = 1\nend\n", 4},  // property after a child
      {"object A: TA\n  C = <\n    item\n    end\n", 5},
      {"object A: TA\n  C = <\n    X = 1\n  >\nend", 3},
      {"object A: TA\n  L = (1 2\nend", 3},
      {"object A: TA\n  S = [a, b\nend", 3},
      {"object A: TA\n  S = [a,, b]\nend", 2},
      {deepObjects, MaxComponentTextNesting + 1},           // deep nesting
      {deepLists, 2},
      {"object A: TA\n\n  X = 99999999999999999999\nend", 3},  // huge numbers
      {"object A: TA\n  X = 1E99999\nend", 2},
      {"object A: TA\n  X = 1E39s\nend", 2},
      {"object A: TA\n  X = 1.00001c\nend", 2},
      {"object A: TA\n  X = 922337203685477.5808c\nend", 2},
      {"object A: TA\n  X = 1" + std::string(80, '0') + ".0\nend", 2},
      {"object A: TA\n  X = 12abc\nend", 2},
      {"object A: TA\n  X = 1.\nend", 2},
      {"object A: TA\n  X = -\nend", 2},
      {"object A: TA\n  X 1\nend", 2},                      // missing '='
      {"object A: TA\n  X = @\nend", 2},
      {"object A: TA\n  X = \n", 3},
      {"object A: TA\n  X. = 1\nend", 2},
      {"object A: TA\n  " + std::string(256, 'P') + " = 1\nend", 2},
      {"object A: " + std::string(240, 'T') + "\nend", 1},
      {"inherited A: TA\nend", 1},
      {"object\n", 2},
      {"", 1},
      {"\n\n  ", 3},
  };
  for (const TCase& c : cases) {
    try {
      ToBinary(c.Text);
      ADD_FAILURE() << "accepted: " << c.Text.substr(0, 80);
    } catch (const EParserError& e) {
      const std::string expected = " on line " + std::to_string(c.Line);
      const std::string message = e.what();
      EXPECT_EQ(message.substr(message.size() - std::min(message.size(), expected.size())), expected)
          << message << " for: " << c.Text.substr(0, 80);
    }
  }
}

// Mutated texts either convert or raise the parser's error; whatever converts
// is a stream the text form reproduces.
TEST(ComponentText, MutationFuzzOfTheParser) {
  const Bytes module = ReadFile(QUORREL_SKIN_MODULE_FILE);
  const std::string moduleText = ToText(module);
  // The module's first item keeps the fuzz fast under the sanitizers.
  const size_t cut = moduleText.find("      item", moduleText.find("VelSkinCheckBox"));
  const std::string seeds[] = {kAllTypes, moduleText.substr(0, cut) + "    >\r\n  end\r\nend\r\n"};
  ASSERT_NO_THROW(ToBinary(seeds[1]));
  const std::string alphabet = "'#{}()<>[],=+-.:0123456789AEFcdsx \r\n\tendobjectitemTrue\x01\xFF";
  std::mt19937 rng(20240611);
  int converted = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string text = seeds[round % 2];
    const int edits = 1 + int(rng() % 4);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const size_t at = rng() % text.size();
      switch (rng() % 4) {
        case 0: text[at] = alphabet[rng() % alphabet.size()]; break;
        case 1: text.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
        case 2: text.erase(at, 1 + rng() % 16); break;
        case 3: text.insert(at, text.substr(rng() % text.size(), 1 + rng() % 24)); break;
      }
    }
    Bytes binary;
    try {
      binary = ToBinary(text);
    } catch (const EParserError&) {
      continue;
    }
    ++converted;
    std::string again;
    ASSERT_NO_THROW(again = ToText(binary)) << text;
    ASSERT_EQ(ToBinary(again), binary) << text;
  }
  EXPECT_GT(converted, 50);
}

TEST(ComponentText, OversizedInputIsRefusedBeforeReading) {
  class THugeStream : public TStream {
  public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
    int64_t Size() override { return int64_t(1) << 40; }
  } huge;
  TMemoryStream out;
  EXPECT_THROW(ObjectTextToBinary(huge, out), EReadError);
  EXPECT_THROW(ObjectBinaryToText(huge, out), EReadError);
  EXPECT_EQ(out.Size(), 0);
}

// ---- Design-time refresh ------------------------------------------------------------

class RefreshTest : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() /
          ("component_text_tests_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    TFileStream in(QUORREL_SKIN_MODULE_FILE, TFileMode::fmOpenRead);
    Module = std::make_unique<TVelSkinResDM>(nullptr, in);
    Manager = std::make_unique<TVelSkinResManager>(Module->VelSkinImageListMain());
  }
  void TearDown() override {
    Manager.reset();
    Module.reset();
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  std::string ReadText(const fs::path& P) {
    const Bytes b = ReadFile(P);
    return std::string(b.begin(), b.end());
  }
  void WriteText(const fs::path& P, const std::string& S) { std::ofstream(P, std::ios::binary) << S; }
  std::wstring WideName(const fs::path& P) { return Utf8ToWide(P.string()); }

  fs::path Dir;
  std::unique_ptr<TVelSkinResDM> Module;
  std::unique_ptr<TVelSkinResManager> Manager;
};

TEST_F(RefreshTest, CreatesTheTextFileAndReloadsItsEdits) {
  const fs::path file = Dir / "res.tmp";
  TVelSkinImage* button = Manager->GetImageByName(L"VelSkinButton");
  ASSERT_NE(button, nullptr);
  TMemoryStream before;
  WriteSkinResModule(before, *Manager->ImageList());

  Manager->Refresh(WideName(file));
  const std::string text = ReadText(file);
  EXPECT_EQ(text.rfind("object VelSkinResDM: TVelSkinResDM\r\n", 0), 0u);
  TMemoryStream after;
  WriteSkinResModule(after, *Manager->ImageList());
  EXPECT_EQ(after.Bytes(), before.Bytes());
  // Items are updated in place: an image handed out before stays valid.
  EXPECT_EQ(Manager->GetImageByName(L"VelSkinButton"), button);

  // Edit the file: rename an item and make another opaque; the next refresh
  // reads the file as it is now and does not overwrite it.
  std::string edited = text;
  const std::string from = "ResID = 'VelSkinButton'";
  ASSERT_NE(edited.find(from), std::string::npos);
  edited.replace(edited.find(from), from.size(), "ResID = 'VelSkinKnopf'");
  const size_t radio = edited.find("ResID = 'VelSkinRadiobtn'\r\n");
  const std::string blend = "Bitmap.DrawMode = dmBlend";
  edited.replace(edited.find(blend, radio), blend.size(), "Bitmap.DrawMode = dmTransparent");
  WriteText(file, edited);
  int changes = 0;
  class TCounting : public TVelSkinResManager {
  public:
    TCounting(TVelSkinImageList* L, int& N) : TVelSkinResManager(L), FN(N) {}
    void Changed() override { ++FN; }
    int& FN;
  } counting(Module->VelSkinImageListMain(), changes);
  counting.Refresh(WideName(file));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ReadText(file), edited);
  EXPECT_EQ(Manager->IndexOfRes(L"VelSkinKnopf"), 1);
  EXPECT_EQ(Manager->IndexOfRes(L"VelSkinButton"), -1);
  EXPECT_EQ(Manager->GetImageByName(L"VelSkinKnopf"), button);
  EXPECT_EQ(Manager->ImageList()->Bitmap(2)->DrawMode(), dmTransparent);
  EXPECT_EQ(Manager->ImageList()->Bitmaps()->Count(), 84);
}

TEST_F(RefreshTest, ShorterFileDropsTrailingItems) {
  const fs::path file = Dir / "res.tmp";
  Manager->Refresh(WideName(file));
  std::string text = ReadText(file);
  // Keep the first two items only.
  const size_t third = text.find("\r\n      item\r\n        ResID = 'VelSkinRadiobtn'");
  const size_t secondEnd = text.rfind("      end\r\n", third);
  const size_t listEnd = text.find("      end>\r\n");
  ASSERT_NE(third, std::string::npos);
  text.erase(secondEnd, listEnd - secondEnd);
  WriteText(file, text);
  Manager->Refresh(WideName(file));
  ASSERT_EQ(Manager->ImageList()->Bitmaps()->Count(), 2);
  EXPECT_EQ(Manager->ImageList()->Bitmaps()->Items(1)->ResID(), L"VelSkinButton");
}

TEST_F(RefreshTest, MalformedFileLeavesTheListAlone) {
  const fs::path file = Dir / "res.tmp";
  Manager->Refresh(WideName(file));
  std::string text = ReadText(file);
  TMemoryStream before;
  WriteSkinResModule(before, *Manager->ImageList());

  WriteText(file, text.substr(0, text.size() / 2));
  EXPECT_THROW(Manager->Refresh(WideName(file)), EParserError);
  // Well-formed text that is not a module: the reader of the module refuses it.
  WriteText(file, "object VelSkinResDM: TVelSkinResDM\r\n  Colour = 1\r\nend\r\n");
  EXPECT_THROW(Manager->Refresh(WideName(file)), EReadError);
  TMemoryStream after;
  WriteSkinResModule(after, *Manager->ImageList());
  EXPECT_EQ(after.Bytes(), before.Bytes());
}

TEST_F(RefreshTest, DefaultNameAndUnwritableFile) {
  // Without a registry folder the default name is used alone, in the current folder.
  const fs::path old = fs::current_path();
  fs::current_path(Dir);
  Manager->Refresh(L"");
  fs::current_path(old);
  EXPECT_TRUE(fs::is_regular_file(Dir / "VelSkinDesignTimeRes.tmp"));
  EXPECT_EQ(ReadDesignTimeResFolder(), L"");

  try {
    Manager->Refresh(WideName(Dir / "missing" / "res.tmp"));
    ADD_FAILURE() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_STREQ(e.what(), "Not found VelSkinDesignTimeRes.tmp file!");
  }
  EXPECT_EQ(Manager->ImageList()->Bitmaps()->Count(), 84);
}

}  // namespace
