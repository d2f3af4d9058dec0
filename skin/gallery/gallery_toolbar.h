// The gallery's toolbars: a row with items of every kind and state that
// overflows into its scroll buttons, a row whose items take their widths
// from their captions, and a narrow column. About 800 x 130 pixels.
#pragma once

#include "toolkit/win/controls.h"

// Adds the toolbars to Parent at (Left, Top); Parent owns them.
void AddToolbarGallery(TWinControl* Parent, int Left, int Top);
