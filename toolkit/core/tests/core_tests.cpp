#include "toolkit/core/classes.h"
#include "toolkit/core/scope.h"
#include "toolkit/core/streams.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Colors, SystemColoursResolveThroughTheInstalledResolver) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(0x12345678), 0x345678u);  // the top byte of an RGB value is ignored
  SetSysColorResolver([](int index) -> uint32_t { return index == 15 ? 0x112233 : 0; });
  EXPECT_EQ(ColorToRGB(clBtnFace), 0x112233u);
  SetSysColorResolver(nullptr);
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xF0F0F0u);
}

TEST(Text, Utf8AndWideRoundTrip) {
  const std::wstring text = L"提 示 Quorrel \u00e9";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
  EXPECT_EQ(Utf8ToWide("\xff\xfe"), std::wstring(L"\uFFFD\uFFFD"));  // invalid bytes are replaced
  EXPECT_EQ(Utf8ToWide("\xe4\xbd"), std::wstring(L"\uFFFD\uFFFD"));  // truncated sequence
}

TEST(Persistent, DefaultAssignRaisesConversionError) {
  TPersistent a, b;
  EXPECT_THROW(a.Assign(&b), EConvertError);
  EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

TEST(Streams, MemoryStreamReadsWritesAndRefusesShortReads) {
  TMemoryStream s;
  s.WriteValue<uint32_t>(0xDEADBEEF);
  s.WriteValue<uint16_t>(7);
  EXPECT_EQ(s.Size(), 6);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadValue<uint32_t>(), 0xDEADBEEFu);
  EXPECT_EQ(s.Remaining(), 2);
  EXPECT_THROW(s.ReadValue<uint32_t>(), EReadError);
  s.Seek(-100, TSeekOrigin::soCurrent);
  EXPECT_EQ(s.Position(), 0);  // seeking before the start stops at the start
}

TEST(Streams, FileStreamRoundTripAndOpenErrors) {
  const auto path = std::filesystem::temp_directory_path() / "quorrel_stream_test.bin";
  {
    TFileStream f(path, TFileMode::fmCreate);
    f.WriteValue<int32_t>(-5);
  }
  TMemoryStream m;
  m.LoadFromFile(path);
  ASSERT_EQ(m.Size(), 4);
  EXPECT_EQ(m.ReadValue<int32_t>(), -5);
  std::filesystem::remove(path);
  EXPECT_THROW(TFileStream(path, TFileMode::fmOpenRead), EFOpenError);
}

namespace {

// Counts its update brackets; EndUpdate can be told to fail.
struct TBracketed {
  int Depth = 0;
  int Ends = 0;
  bool FailEnd = false;
  void BeginUpdate() { ++Depth; }
  void EndUpdate() {
    --Depth;
    ++Ends;
    if (FailEnd) throw EInvalidOperation("end failed");
  }
};

}  // namespace

TEST(Scope, ExitRunsOnceUnlessDismissedAlsoWhenUnwinding) {
  int runs = 0;
  { TScopeExit exit([&] { ++runs; }); }
  EXPECT_EQ(runs, 1);
  {
    TScopeExit exit([&] { ++runs; });
    exit.Dismiss();
  }
  EXPECT_EQ(runs, 1);
  EXPECT_THROW(
      {
        TScopeExit exit([&] { ++runs; });
        throw EInvalidOperation("x");
      },
      EInvalidOperation);
  EXPECT_EQ(runs, 2);
}

TEST(Scope, UpdateBracketEndsOnEveryPathAndKeepsTheFirstError) {
  TBracketed b;
  { TUpdateScope update(b); EXPECT_EQ(b.Depth, 1); }
  EXPECT_EQ(b.Depth, 0);
  // A failing body still ends the bracket; the body's error is the one reported.
  b.FailEnd = true;
  try {
    TUpdateScope update(b);
    throw EReadError("body failed");
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "body failed");
  }
  EXPECT_EQ(b.Depth, 0);
  EXPECT_EQ(b.Ends, 2);
  // Without another error, a failing end is reported.
  EXPECT_THROW({ TUpdateScope update(b); }, EInvalidOperation);
  EXPECT_EQ(b.Depth, 0);
}
