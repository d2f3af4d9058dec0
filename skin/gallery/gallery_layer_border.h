// The gallery's layered border demo: a button that opens a second skinned
// form surrounded by a soft layered border.
#pragma once

class TVelSkinButton;
class TWinControl;

// Adds to Parent, at (Left, Top), a skinned button "Layered border window"
// that opens (or brings back) a 400 x 300 skinned form with a title label, a
// close button and a transparent layered border. Both belong to Parent's form.
TVelSkinButton* AddLayerBorderDemo(TWinControl* Parent, int Left, int Top);
