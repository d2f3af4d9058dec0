// The AVX2 row implementations. blend_avx2.cpp is compiled with -mavx2, so it
// includes nothing but this header and intrinsics: any inline function or
// template it instantiated could be chosen by the linker for the whole program
// and then run with AVX2 instructions on a processor without them.
#pragma once

#include <cstdint>

struct TBlendAVX2Functions {
  void (*MergeRow)(const uint32_t* Src, uint32_t* Dst, int Count);
  void (*MergeRowMaster)(const uint32_t* Src, uint32_t* Dst, int Count, uint32_t M);
  void (*CombineRow)(const uint32_t* Src, uint32_t* Dst, int Count, uint32_t W);
  void (*BlendColorRun)(uint32_t F, uint32_t* Dst, int Count);
  void (*BlendRow)(const uint32_t* Src, uint32_t* Dst, int Count);
  void (*BlendRowMaster)(const uint32_t* Src, uint32_t* Dst, int Count, uint32_t M);
  void (*FillLongword)(void* Dst, int Count, uint32_t Value);
};

TBlendAVX2Functions BlendAVX2Functions();
