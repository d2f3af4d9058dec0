// The gallery's skin file demonstration: a button that reads "Skin\Config.xml"
// beside the gallery and pushes its look to every open skinned window.
#pragma once

#include "toolkit/win/forms.h"

// Adds to Parent, at (Left, Top), a skinned button "Reload skin file" and a
// label that tells how the last reading went. The skin resource definition
// it reads through is owned by Owner. A file that reads gives every open
// skinned form its colours at once; one that does not leaves them all.
void AddSkinFileReload(TForm* Owner, TWinControl* Parent, int Left, int Top);
