#include "skin/resources/component_stream.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

namespace {

// A small module-shaped tree touching every value type the format accepts.
TStreamObject SampleObject() {
  TStreamObject root{"TVelSkinResDM", "VelSkinResDM", {}, {}};
  root.Properties = {{"OldCreateOrder", TStreamValue::FromBoolean(false)},
                     {"Height", TStreamValue::FromInteger(265)},
                     {"Width", TStreamValue::FromInteger(-70000)}};
  TStreamPropertyList item = {{"ResID", TStreamValue::FromString("VelSkinButton")},
                              {"Bitmap.DrawMode", TStreamValue::FromIdent("dmBlend")},
                              {"Bitmap.Data", TStreamValue::FromBinary({1, 0, 0, 0, 1, 0, 0, 0, 9, 8, 7, 6})}};
  TStreamPropertyList empty_item;
  TStreamObject child{"TVelSkinImageList", "VelSkinImageListMain", {}, {}};
  child.Properties = {{"Bitmaps", TStreamValue::FromCollection({item, empty_item})},
                      {"Tags", TStreamValue::FromList({TStreamValue::FromInteger(7), TStreamValue::FromBoolean(true)})},
                      {"Top", TStreamValue::FromInteger(88)}};
  root.Children.push_back(child);
  return root;
}

std::vector<uint8_t> Serialize(const TStreamObject& object) {
  TMemoryStream stream;
  WriteComponentStream(stream, object);
  return stream.Bytes();
}

TStreamObject Parse(const std::vector<uint8_t>& bytes) {
  TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
  return ReadComponentStream(stream);
}

}  // namespace

TEST(ComponentStream, WritesTheDocumentedByteLayout) {
  TStreamObject root{"TA", "B", {}, {}};
  root.Properties = {{"H", TStreamValue::FromInteger(265)},
                     {"T", TStreamValue::FromInteger(88)},
                     {"O", TStreamValue::FromBoolean(false)},
                     {"D", TStreamValue::FromBinary({0xAB})},
                     {"C", TStreamValue::FromCollection({{{"R", TStreamValue::FromString("x")}}})}};
  const std::vector<uint8_t> expected = {
      'T', 'P', 'F', '0', 2, 'T', 'A', 1, 'B',
      1, 'H', 0x03, 0x09, 0x01,              // 265 as 16-bit little-endian
      1, 'T', 0x02, 88,                      // 88 as 8-bit
      1, 'O', 0x08,                          // False
      1, 'D', 0x0A, 1, 0, 0, 0, 0xAB,        // binary: 32-bit count, bytes
      1, 'C', 0x0E, 0x01, 1, 'R', 0x06, 1, 'x', 0, 0,  // collection: one item
      0,                                     // end of properties
      0};                                    // end of children
  EXPECT_EQ(Serialize(root), expected);
}

TEST(ComponentStream, RoundTripsEveryValueType) {
  const TStreamObject original = SampleObject();
  const std::vector<uint8_t> bytes = Serialize(original);
  const TStreamObject back = Parse(bytes);
  EXPECT_EQ(back, original);
  // Integers come back at their smallest width.
  EXPECT_EQ(back.Properties[1].Value.Type, TValueType::vaInt16);
  EXPECT_EQ(back.Properties[2].Value.Type, TValueType::vaInt32);
  EXPECT_EQ(back.Properties[2].Value.Integer, -70000);
  EXPECT_EQ(FindStreamProperty(back.Children[0].Properties, "Top")->Value.Integer, 88);
  EXPECT_EQ(FindStreamProperty(back.Children[0].Properties, "Left"), nullptr);
}

TEST(ComponentStream, WriterRefusesWhatTheFormatCannotHold) {
  TMemoryStream stream;
  EXPECT_THROW(WriteComponentStream(stream, TStreamObject{"", "x", {}, {}}), EWriteError);
  EXPECT_THROW(WriteComponentStream(stream, TStreamObject{std::string(240, 'T'), "", {}, {}}), EWriteError);
  TStreamObject long_string{"TA", "", {{"S", TStreamValue::FromString(std::string(256, 's'))}}, {}};
  EXPECT_THROW(WriteComponentStream(stream, long_string), EWriteError);
  TStreamObject unnamed{"TA", "", {{"", TStreamValue::FromInteger(1)}}, {}};
  EXPECT_THROW(WriteComponentStream(stream, unnamed), EWriteError);
}

TEST(ComponentStream, EveryTruncationIsRejected) {
  const std::vector<uint8_t> bytes = Serialize(SampleObject());
  for (size_t n = 0; n < bytes.size(); ++n) {
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(Parse(cut), EReadError) << "cut at " << n;
  }
}

TEST(ComponentStream, MalformedHeadersAndTypesAreRejectedWithAReason) {
  auto message_of = [](const std::vector<uint8_t>& bytes) -> std::string {
    try {
      Parse(bytes);
    } catch (const EReadError& e) {
      return e.what();
    }
    return "accepted";
  };
  EXPECT_NE(message_of({'T', 'P', 'F', '1', 2, 'T', 'A', 0, 0, 0}).find("signature"), std::string::npos);
  EXPECT_NE(message_of({'T', 'P', 'F', '0', 0, 0, 0, 0}).find("empty class name"), std::string::npos);
  EXPECT_NE(message_of({'T', 'P', 'F', '0', 0xF1, 2, 'T', 'A', 0, 0, 0}).find("flags"), std::string::npos);
  // Value types outside the accepted set: 0x05 (extended), 0x0B (set), 0x12 (wide string), 0xFF.
  for (uint8_t type : {0x05, 0x0B, 0x0C, 0x12, 0x14, 0xFF}) {
    const std::string m = message_of({'T', 'P', 'F', '0', 2, 'T', 'A', 0, 1, 'P', type, 0, 0, 0, 0, 0, 0});
    EXPECT_NE(m.find("unsupported value type"), std::string::npos) << int(type) << ": " << m;
  }
  // A collection item must start with 0x01.
  EXPECT_NE(message_of({'T', 'P', 'F', '0', 2, 'T', 'A', 0, 1, 'C', 0x0E, 0x02, 0, 0, 0, 0}).find("instead of 0x01"),
            std::string::npos);
}

TEST(ComponentStream, LyingBinaryLengthsAreRejectedBeforeAllocating) {
  // Claimed lengths: one byte too many, huge, negative.
  for (uint32_t count : {2u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    std::vector<uint8_t> bytes = {'T', 'P', 'F', '0', 2, 'T', 'A', 0, 1, 'D', 0x0A};
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(count >> (8 * i)));
    bytes.push_back(0x55);  // one byte of payload, then nothing
    try {
      Parse(bytes);
      ADD_FAILURE() << "accepted length " << count;
    } catch (const EReadError& e) {
      EXPECT_NE(std::string(e.what()).find("claims"), std::string::npos) << e.what();
    }
  }
  // A short-string length beyond the end.
  EXPECT_THROW(Parse({'T', 'P', 'F', '0', 200, 'T', 'A'}), EReadError);
}

TEST(ComponentStream, DeepNestingIsBoundedWithoutExhaustingTheStack) {
  // Objects nested one inside the other: the allowed depth reads, one more does not.
  auto nested_objects = [](int depth) {
    std::vector<uint8_t> bytes = {'T', 'P', 'F', '0'};
    for (int i = 0; i < depth; ++i) bytes.insert(bytes.end(), {1, 'T', 0, 0});  // class, name, no properties
    bytes.insert(bytes.end(), static_cast<size_t>(depth), 0);                    // ends of child lists
    return bytes;
  };
  EXPECT_NO_THROW(Parse(nested_objects(TComponentStreamReader::MaxNestingDepth)));
  EXPECT_THROW(Parse(nested_objects(TComponentStreamReader::MaxNestingDepth + 1)), EReadError);
  // Collections in collections and lists in lists, far beyond the bound.
  for (uint8_t opener : {0x0E, 0x01}) {
    std::vector<uint8_t> bytes = {'T', 'P', 'F', '0', 1, 'T', 0};
    for (int i = 0; i < 100000; ++i) {
      if (opener == 0x0E)
        bytes.insert(bytes.end(), {1, 'C', 0x0E, 0x01});
      else
        bytes.insert(bytes.end(), i == 0 ? std::initializer_list<uint8_t>{1, 'L', 0x01} : std::initializer_list<uint8_t>{0x01});
    }
    EXPECT_THROW(Parse(bytes), EReadError);
  }
}

// Deterministic mutation fuzzing: flipped, replaced, inserted and deleted bytes
// of a valid stream must either parse or raise EReadError (never crash or
// over-read; ASan watches the latter).
TEST(ComponentStream, MutatedStreamsParseOrRaiseReadError) {
  const std::vector<uint8_t> seed = Serialize(SampleObject());
  std::mt19937 rng(20240517);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::vector<uint8_t> bytes = seed;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !bytes.empty(); ++e) {
      const size_t at = rng() % bytes.size();
      switch (rng() % 5) {
        case 0: bytes[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 1: bytes[at] = static_cast<uint8_t>(rng()); break;
        case 2: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(rng())); break;
        case 3: bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at)); break;
        case 4: bytes[at] = static_cast<uint8_t>(std::array<uint8_t, 5>{0x00, 0x01, 0x0A, 0x0E, 0xFF}[rng() % 5]); break;
      }
    }
    try {
      Parse(bytes);
      ++accepted;
    } catch (const EReadError&) {
    }
  }
  EXPECT_GT(accepted, 0);  // some mutations (inside payloads) stay valid
}
