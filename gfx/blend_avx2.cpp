// AVX2 implementations of the row operations (compiled with -mavx2 only).
#include <immintrin.h>

#include "gfx/blend_internal.h"

void RegisterBlendAVX2(TFunctionRegistry& Blend, TFunctionRegistry& LowLevel) {}
