// Per-pixel arithmetic of the raster library: blend, combine, merge and the
// per-channel operations, called through global function pointers bound once
// to the best implementation this processor runs (plain, SSE2, AVX2).
//
// Start-up: every pointer is constant-initialised to its plain implementation,
// so it is valid and computes the exact results even before any dynamic
// initialiser runs. GR32Initialize() (idempotent, thread-safe) then rebinds
// them to the SIMD implementations; a static initialiser in blend.cpp calls it,
// and TCustomBitmap32's constructor should call it too, so that the choice is
// made before the first bitmap exists whatever the static initialisation order.
//
// Weights and master alphas are 0-255; larger values are treated as 255.
// A row Count <= 0 does nothing. Source and destination rows are distinct.
#pragma once

#include <array>
#include <cstdint>

#include "gfx/color32.h"
#include "gfx/registry.h"

using TFinishBlendingFunc = void (*)();
// (F, B) -> colour
using TBlendPixelFunc = TColor32 (*)(TColor32 F, TColor32 B);
// (F, var B)
using TBlendPixelInPlaceFunc = void (*)(TColor32 F, TColor32& B);
// (Src, Dst, Count)
using TBlendRowFunc = void (*)(const TColor32* Src, TColor32* Dst, int Count);
// (F, B, W) -> colour, W a master alpha or a weight
using TBlendPixelWeightFunc = TColor32 (*)(TColor32 F, TColor32 B, uint32_t W);
// (F, var B, W)
using TBlendPixelWeightInPlaceFunc = void (*)(TColor32 F, TColor32& B, uint32_t W);
// (Src, Dst, Count, W)
using TBlendRowWeightFunc = void (*)(const TColor32* Src, TColor32* Dst, int Count, uint32_t W);
// (F, Dst, Count): one colour over a run
using TBlendColorRunFunc = void (*)(TColor32 F, TColor32* Dst, int Count);
using TScaleChannelsFunc = TColor32 (*)(TColor32 C, uint32_t W);
using TLightenChannelsFunc = TColor32 (*)(TColor32 C, int Amount);
using TFillLongwordFunc = void (*)(void* Dst, int Count, uint32_t Value);

// FunctionIDs in the blend registry.
enum TBlendFunctionID : int32_t {
  FID_FINISHBLENDING = 0,
  FID_MERGEPIXEL = 1,
  FID_MERGEPIXELINPLACE = 2,
  FID_MERGEROW = 3,
  FID_MERGEPIXELMASTER = 4,
  FID_MERGEPIXELMASTERINPLACE = 5,
  FID_MERGEROWMASTER = 6,
  FID_COMBINEPIXEL = 7,
  FID_COMBINEPIXELINPLACE = 8,
  FID_COMBINEROW = 9,
  FID_BLENDPIXEL = 10,
  FID_BLENDPIXELINPLACE = 11,
  FID_BLENDCOLORRUN = 12,
  FID_BLENDROW = 13,
  FID_BLENDPIXELMASTER = 14,
  FID_BLENDPIXELMASTERINPLACE = 15,
  FID_BLENDROWMASTER = 16,
  FID_MAXCHANNELS = 17,
  FID_MINCHANNELS = 18,
  FID_AVERAGECHANNELS = 19,
  FID_ADDCHANNELS = 20,
  FID_SUBTRACTCHANNELS = 21,
  FID_DIVIDECHANNELS = 22,
  FID_MODULATECHANNELS = 23,
  FID_DIFFERENCECHANNELS = 24,
  FID_EXCLUSIONCHANNELS = 25,
  FID_SCALECHANNELS = 26,
  FID_LIGHTENCHANNELS = 27,
  FID_BLENDPERCHANNEL = 28,
  FID_BLENDPERCHANNELINPLACE = 29,
};
constexpr int32_t BlendFunctionCount = 30;
// FunctionID in the low-level registry.
constexpr int32_t FID_FILLLONGWORD = 0;

// Must be called after a sequence of blend calls before floating-point work
// (a no-op for every implementation this library has).
extern TFinishBlendingFunc FinishBlending;

extern TBlendPixelFunc MergePixel;
extern TBlendPixelInPlaceFunc MergePixelInPlace;
extern TBlendRowFunc MergeRow;
extern TBlendPixelWeightFunc MergePixelMaster;
extern TBlendPixelWeightInPlaceFunc MergePixelMasterInPlace;
extern TBlendRowWeightFunc MergeRowMaster;

extern TBlendPixelWeightFunc CombinePixel;
extern TBlendPixelWeightInPlaceFunc CombinePixelInPlace;
extern TBlendRowWeightFunc CombineRow;

extern TBlendPixelFunc BlendPixel;
extern TBlendPixelInPlaceFunc BlendPixelInPlace;
extern TBlendColorRunFunc BlendColorRun;
extern TBlendRowFunc BlendRow;
extern TBlendPixelWeightFunc BlendPixelMaster;
extern TBlendPixelWeightInPlaceFunc BlendPixelMasterInPlace;
extern TBlendRowWeightFunc BlendRowMaster;

extern TBlendPixelFunc MaxChannels;
extern TBlendPixelFunc MinChannels;
extern TBlendPixelFunc AverageChannels;
extern TBlendPixelFunc AddChannels;
extern TBlendPixelFunc SubtractChannels;
extern TBlendPixelFunc DivideChannels;
extern TBlendPixelFunc ModulateChannels;
extern TBlendPixelFunc DifferenceChannels;
extern TBlendPixelFunc ExclusionChannels;
extern TScaleChannelsFunc ScaleChannels;
extern TLightenChannelsFunc LightenChannels;
// W holds one weight per channel, in the channel's own byte (alpha weight in
// bits 24-31, red 16-23, green 8-15, blue 0-7).
extern TBlendPixelWeightFunc BlendPerChannel;
extern TBlendPixelWeightInPlaceFunc BlendPerChannelInPlace;

// Writes Value to Count consecutive 32-bit words (Dst need not be aligned).
extern TFillLongwordFunc FillLongword;

// MulTable[j][i] = i * j / 255 rounded to nearest.
// DivTable[j][i] = i * 255 / j rounded to nearest, ties to even, low 8 bits
// (row 0 all zero; only meaningful for i <= j).
using TByteTable = std::array<std::array<uint8_t, 256>, 256>;
extern const TByteTable MulTable;
extern const TByteTable DivTable;

// Binds every pointer to the preferred runnable implementation (once; later
// calls do nothing). See the note at the top of this file.
void GR32Initialize();

TFunctionRegistry& BlendRegistry();
TFunctionRegistry& LowLevelRegistry();

// Which implementations to bind: the default choice (the last added runnable
// one, i.e. the widest instruction set), or a preference for one instruction
// set with the plain code for operations that have no such implementation.
enum class TBlendBinding { Default, Plain, SSE2, AVX2 };
// False if this processor cannot run the binding's instruction set.
bool BlendBindingAvailable(TBlendBinding Binding);
// Rebinds the blend and low-level registries. For tests and benchmarks that
// compare implementations; not thread-safe against concurrent blending.
void BindBlendFunctions(TBlendBinding Binding);
// The priority callback behind BindBlendFunctions.
TFunctionPriority BlendBindingPriority(TBlendBinding Binding);
