// The gallery's message box demo: a row of small skinned buttons, each
// opening the skinned message box with one icon kind or one button set, and
// a label that shows the last box's result.
#pragma once

#include <cstdint>

#include "toolkit/win/controls.h"

// Adds the row to Parent with its top-left corner at (Left, Top); Parent
// owns what is added.
void AddMessageBoxDemo(TWinControl* Parent, int32_t Left, int32_t Top);
