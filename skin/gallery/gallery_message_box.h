// The gallery's message box demo: rows of small skinned buttons, each
// opening the skinned message box with one icon kind or one button set, and
// a label that shows the last box's result.
#pragma once

#include <cstdint>

#include "toolkit/win/controls.h"

// Adds the buttons to Parent from its top-left corner at (Left, Top), in
// rows at most Width wide, the result label after them; Parent owns what is
// added.
void AddMessageBoxDemo(TWinControl* Parent, int32_t Left, int32_t Top, int32_t Width);
