// A few blend results and the start-up binding, run on Windows.
#include <gtest/gtest.h>

#include "gfx/blend.h"

namespace {

TEST(GfxSmoke, BindingAndResults) {
  GR32Initialize();
  EXPECT_TRUE(HasInstructionSet(ciSSE2));
  EXPECT_EQ(reinterpret_cast<TFunctionProc>(BlendRow), BlendRegistry().FindFunction(FID_BLENDROW));
  for (TBlendBinding b : {TBlendBinding::Plain, TBlendBinding::SSE2, TBlendBinding::AVX2}) {
    if (!BlendBindingAvailable(b)) continue;
    BindBlendFunctions(b);
    EXPECT_EQ(BlendPixel(0xFF000000, 0x00FFFFFF), 0xFE010101u);
    EXPECT_EQ(MergePixel(0x80FFFFFF, 0x80FFFFFF), 0xC0FFFFFFu);
    TColor32 row[9] = {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000,
                       0xFF000000, 0xFF000000, 0xFF000000, 0x12345678};
    const TColor32 white[9] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                               0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x00FFFFFF};
    BlendRow(white, row, 9);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(row[i], 0xFFFEFEFEu);
    EXPECT_EQ(row[8], 0x12345678u);
    MergeRow(white, row, 3);
    EXPECT_EQ(row[0], 0xFFFFFFFFu);
    FillLongword(row, 9, 0xAABBCCDD);
    EXPECT_EQ(row[8], 0xAABBCCDDu);
  }
  BindBlendFunctions(TBlendBinding::Default);
  EXPECT_EQ(ToColor32(clRed), 0xFFFF0000u);
}

}  // namespace
