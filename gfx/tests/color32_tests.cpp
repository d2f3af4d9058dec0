// Colour conversions, rectangles, gamma, processor features and the function registry.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gfx/blend.h"
#include "gfx/color32.h"
#include "gfx/cpu.h"
#include "gfx/registry.h"

namespace {

TEST(Color32, ConversionsAndComponents) {
  EXPECT_EQ(ToColor32(clRed), 0xFFFF0000u);
  EXPECT_EQ(ToColor32(0x00563412), 0xFF123456u);
  // A system colour resolves through the toolkit, alpha always 255.
  const uint32_t face = SysColor(15);
  EXPECT_EQ(ToColor32(clBtnFace),
            0xFF000000u | ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF));

  EXPECT_EQ(MakeColor32(0x12, 0x34, 0x56, 0x78), 0x78123456u);
  EXPECT_EQ(MakeGray32(0x40, 0x80), 0x80404040u);
  uint8_t r, g, b, a;
  SplitColor32(0x78123456u, r, g, b, a);
  EXPECT_EQ(MakeColor32(r, g, b, a), 0x78123456u);
  EXPECT_EQ(IntensityOf(0xFFFFFFFF), 255);
  EXPECT_EQ(IntensityOf(0xFF00FF00), 173);

  EXPECT_EQ(WithAlpha(0x12345678, 300), 0xFF345678u);
  EXPECT_EQ(WithAlpha(0x12345678, -1), 0x00345678u);
  EXPECT_EQ(WithAlpha(0x12345678, 0x9A), 0x9A345678u);
}

TEST(Color32, Hsl) {
  uint8_t h, s, l;
  Color32ToHsl(0xFF0000FF, h, s, l);
  EXPECT_EQ(h, 170);
  EXPECT_EQ(s, 255);
  EXPECT_EQ(l, 127);
  Color32ToHsl(0xFF808080, h, s, l);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(l, 128);
  EXPECT_EQ(HslToColor32(0, 255, 0), 0xFF000000u);  // no lightness: opaque black, A ignored
  EXPECT_EQ(HslToColor32(0, 0, 0, 0x10), 0xFF000000u);
  EXPECT_EQ(HslToColor32(0, 0, 200, 0x10), 0x10C8C8C8u);
  // The primaries survive a round trip up to the integer rounding of the hue.
  for (TColor32 c : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}) {
    Color32ToHsl(c, h, s, l);
    const TColor32 back = HslToColor32(h, s, l);
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(int((back >> (8 * i)) & 0xFF), int((c >> (8 * i)) & 0xFF), 8) << std::hex << c;
  }
}

TEST(Color32, Gamma) {
  EXPECT_EQ(GammaTable()[0], 0);
  EXPECT_EQ(GammaTable()[255], 255);
  EXPECT_EQ(GammaTable()[128], uint8_t(std::lround(255 * std::pow(128 / 255.0, 1.6))));
  SetGamma(1.0);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(GammaTable()[i], i);
  EXPECT_THROW(SetGamma(0), EConvertError);
  EXPECT_THROW(SetGamma(std::nan("")), EConvertError);
  SetGamma();
  EXPECT_EQ(GammaTable()[128], uint8_t(std::lround(255 * std::pow(128 / 255.0, 1.6))));
}

TEST(Geometry, RoundingModes) {
  const TFloatRect f = FloatRect(0.4f, 0.6f, 2.5f, 3.5f);
  EXPECT_EQ(MakeRect(f, rrClosest), MakeRect(0, 1, 2, 4));  // ties to even
  EXPECT_EQ(MakeRect(f, rrOutside), MakeRect(0, 0, 3, 4));
  EXPECT_EQ(MakeRect(f, rrInside), MakeRect(1, 1, 2, 3));
  // Inward rounding of a thin rectangle never inverts it.
  EXPECT_EQ(MakeRect(FloatRect(1.2f, 1.2f, 1.8f, 1.8f), rrInside), MakeRect(2, 2, 2, 2));

  const TFixedRect x{Fixed(0.25f), Fixed(-0.5f), Fixed(2.5f), Fixed(3.75f)};
  EXPECT_EQ(MakeRect(x, rrClosest), MakeRect(0, -1, 2, 4));
  EXPECT_EQ(MakeRect(x, rrOutside), MakeRect(0, -1, 3, 4));
  EXPECT_EQ(MakeRect(x, rrInside), MakeRect(1, 0, 2, 3));
  // Near the top of the range rounding up does not overflow.
  const TFixedRect big{0, 0, std::numeric_limits<TFixed>::max(), 0};
  EXPECT_EQ(MakeRect(big, rrOutside).Right, 32768);

  EXPECT_EQ(Fixed(1.5f), 0x18000);
  EXPECT_EQ(Fixed(1e10f), std::numeric_limits<TFixed>::max());
  EXPECT_EQ(Fixed(std::nanf("")), 0);
  EXPECT_EQ(FixedPoint(FloatPoint(-1.0f, 0.5f)), (TFixedPoint{-0x10000, 0x8000}));
  EXPECT_EQ(MakeRect(FloatRect(std::nanf(""), -1e20f, 1e20f, 0), rrClosest),
            MakeRect(0, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 0));
}

TEST(Geometry, RectFunctions) {
  TRect r = MakeRect(0, 0, 10, 10);
  OffsetRect(r, 5, -2);
  EXPECT_EQ(r, MakeRect(5, -2, 15, 8));
  InflateRect(r, 1, 2);
  EXPECT_EQ(r, MakeRect(4, -4, 16, 10));

  TRect d = MakeRect(1, 1, 1, 1);
  EXPECT_TRUE(IntersectRect(d, MakeRect(0, 0, 10, 10), MakeRect(5, 5, 20, 20)));
  EXPECT_EQ(d, MakeRect(5, 5, 10, 10));
  EXPECT_FALSE(IntersectRect(d, MakeRect(0, 0, 10, 10), MakeRect(11, 0, 20, 10)));
  EXPECT_EQ(d, TRect{});
  // Touching edges intersect in an empty rectangle that still counts as found.
  EXPECT_TRUE(IntersectRect(d, MakeRect(0, 0, 10, 10), MakeRect(10, 0, 20, 10)));
  EXPECT_TRUE(IsRectEmpty(d));

  EXPECT_TRUE(PtInRect(MakeRect(0, 0, 2, 2), Point(0, 0)));
  EXPECT_FALSE(PtInRect(MakeRect(0, 0, 2, 2), Point(2, 1)));
  EXPECT_FALSE(PtInRect(MakeRect(0, 0, 2, 2), Point(1, 2)));
  EXPECT_TRUE(IsRectEmpty(MakeRect(3, 0, 2, 5)));
  EXPECT_FALSE(IsRectEmpty(MakeRect(0, 0, 1, 1)));
  EXPECT_TRUE(EqualRect(MakeRect(1, 2, 3, 4), MakeRect(1, 2, 3, 4)));
  EXPECT_FALSE(EqualRect(MakeRect(1, 2, 3, 4), MakeRect(1, 2, 3, 5)));

  TFloatRect fr = FloatRect(MakeRect(0, 0, 4, 4));
  InflateRect(fr, 0.5f, 0.5f);
  EXPECT_EQ(fr, FloatRect(-0.5f, -0.5f, 4.5f, 4.5f));
}

// ---- Processor features ----------------------------------------------------

struct TFakeCPU {
  uint32_t MaxLeaf = 7, Family = 6, Leaf1ECX = 0, Leaf1EDX = 0, Leaf7EBX = 0;
  uint32_t MaxExtLeaf = 0x80000001u, ExtEDX = 0;
  uint64_t XCR0 = 0;
};
TFakeCPU g_fake;

bool FakeQuery(uint32_t leaf, uint32_t, TCPUIDRegs& r) {
  r = {};
  if (leaf == 0) r.EAX = g_fake.MaxLeaf;
  else if (leaf == 1) {
    r.EAX = g_fake.Family << 8;
    r.ECX = g_fake.Leaf1ECX;
    r.EDX = g_fake.Leaf1EDX;
  } else if (leaf == 7) r.EBX = g_fake.Leaf7EBX;
  else if (leaf == 0x80000000u) r.EAX = g_fake.MaxExtLeaf;
  else if (leaf == 0x80000001u) r.EDX = g_fake.ExtEDX;
  else return false;
  return true;
}
uint64_t FakeXGetBV() { return g_fake.XCR0; }

TEST(CPUFeatures, DecodesTheLeaves) {
  g_fake = {};
  g_fake.Leaf1EDX = (1u << 23) | (1u << 25) | (1u << 26);
  g_fake.ExtEDX = (1u << 31);
  EXPECT_EQ(DecodeCPUFeatures(FakeQuery, FakeXGetBV),
            (TCPUFeatures{ciMMX, ciEMMX, ciSSE, ciSSE2, ci3DNow}));

  g_fake.Family = 4;  // too old: nothing counts
  EXPECT_TRUE(DecodeCPUFeatures(FakeQuery, FakeXGetBV).Empty());

  // AVX2 needs the instruction bit, OSXSAVE and the OS saving XMM and YMM.
  g_fake = {};
  g_fake.Leaf7EBX = 1u << 5;
  EXPECT_FALSE(DecodeCPUFeatures(FakeQuery, FakeXGetBV).Contains(ciAVX2));
  g_fake.Leaf1ECX = 1u << 27;
  g_fake.XCR0 = 0x2;
  EXPECT_FALSE(DecodeCPUFeatures(FakeQuery, FakeXGetBV).Contains(ciAVX2));
  g_fake.XCR0 = 0x7;
  EXPECT_TRUE(DecodeCPUFeatures(FakeQuery, FakeXGetBV).Contains(ciAVX2));
  g_fake.MaxLeaf = 6;
  EXPECT_FALSE(DecodeCPUFeatures(FakeQuery, FakeXGetBV).Contains(ciAVX2));
}

TEST(CPUFeatures, ThisProcessorHasSSE2) {
  EXPECT_TRUE(HasInstructionSet(ciSSE2));  // every x86-64 processor
  EXPECT_EQ(CPUFeatures(), CPUFeatures());
}

// ---- Registry --------------------------------------------------------------

int One() { return 1; }
int Two() { return 2; }
int Three() { return 3; }
using TIntFunc = int (*)();

TEST(FunctionRegistry, LastAddedRunnableWinsAndNothingRunnableBindsNull) {
  TFunctionRegistry r("Test");
  TIntFunc bound = One, other = One;
  r.RegisterBinding(5, &bound);
  r.RegisterBinding(6, &other);
  r.Add(5, One);
  r.Add(5, Two);
  const TCPUFeatures impossible{ci3DNowExt, ciAVX2, ciMMX};
  r.Add(5, Three, HasInstructionSet(ci3DNowExt) ? TCPUFeatures{} : impossible);
  r.Add(6, Three, impossible);
  r.RebindAll();
  EXPECT_EQ(bound(), HasInstructionSet(ci3DNowExt) ? 3 : 2);
  if (!HasInstructionSet(ci3DNowExt)) {
    EXPECT_EQ(other, nullptr);
  }

  // A callback ranks; among equal priorities the later item stays chosen.
  r.Rebind(5, [](const TFunctionInfo& info) {
    return reinterpret_cast<TIntFunc>(info.Proc) == One ? 0 : 1;
  });
  EXPECT_EQ(bound(), 1);
  r.Rebind(5, [](const TFunctionInfo&) { return 3; });
  EXPECT_EQ(bound(), 3);
  r.Rebind(5, [](const TFunctionInfo&) { return InvalidPriority; });
  EXPECT_EQ(bound, nullptr);

  EXPECT_EQ(r.Count(), 4);
  EXPECT_EQ(r.Items(3).FunctionID, 6);
  TFunctionInfo info = r.Items(0);
  info.FunctionID = 7;
  r.SetItems(0, info);
  EXPECT_EQ(r.FindFunctionAs<TIntFunc>(7)(), 1);
  EXPECT_THROW(r.Items(4), EListError);
  EXPECT_THROW(r.SetItems(-1, info), EListError);
  EXPECT_EQ(r.Name(), "Test");
  r.Clear();
  EXPECT_EQ(r.Count(), 0);
  EXPECT_EQ(r.FindFunction(5), nullptr);
}

TEST(FunctionRegistry, GlobalListHoldsTheLibraryRegistries) {
  GR32Initialize();
  bool blend = false, low = false;
  for (const auto& r : Registries()) {
    blend |= r.get() == &BlendRegistry();
    low |= r.get() == &LowLevelRegistry();
  }
  EXPECT_TRUE(blend);
  EXPECT_TRUE(low);
  EXPECT_EQ(BlendRegistry().BindingCount(), BlendFunctionCount);
}

}  // namespace
