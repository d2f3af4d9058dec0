// SSE2 implementations of the blend operations (compiled with -msse2 only).
#include <emmintrin.h>

#include "gfx/blend_internal.h"

void RegisterBlendSSE2(TFunctionRegistry& Blend, TFunctionRegistry& LowLevel) {}
