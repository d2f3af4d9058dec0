// Shared by the per-instruction-set blend sources: how each of them adds its
// implementations to the registries. Not part of the library's interface.
#pragma once

#include "gfx/blend.h"

// Each adds the implementations of its file with the features they need.
void RegisterBlendPlain(TFunctionRegistry& Blend, TFunctionRegistry& LowLevel);
void RegisterBlendSSE2(TFunctionRegistry& Blend, TFunctionRegistry& LowLevel);
void RegisterBlendAVX2(TFunctionRegistry& Blend, TFunctionRegistry& LowLevel);

// Weights and master alphas above 255 count as 255.
inline uint32_t ClampWeight(uint32_t W) { return W > 255 ? 255 : W; }
