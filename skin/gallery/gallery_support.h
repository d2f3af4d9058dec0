// Shared by the gallery's windows: the Tahoma font they use, the skinned
// frame of a demo window, and screen pixels saved as BMP files.
#pragma once

#include "skin/frame/nc_controls.h"
#include "toolkit/win/forms.h"
#include "toolkit/win/winapi.h"

#include <string>

void SetTahoma(TFont& Font, int Height, TColor Color);

// Skins Form as the game's window is skinned (flat frame, the game's title
// colour, close button, with a minimize button when asked) and answers its
// title label, in white Tahoma at the left.
TVelSkinNCLabel* AddGalleryFrame(TForm* Form, const std::wstring& Caption, bool Minimize);

// The screen's pixels in R as a top-down 32-bit BMP file (opaque); false
// when R is empty or the file cannot be written.
bool SaveScreenRect(const RECT& R, const std::wstring& Path);
