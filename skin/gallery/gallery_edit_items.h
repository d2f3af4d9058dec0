// The gallery's edit with items: a search button at the right, an image at
// the left and a text before the button, and its balloon tip beside it.
#pragma once

class TComponent;
class TWinControl;
class TVelSkinEdit;

// Adds the edit to Parent at (Left, Top), owned by Owner. A click on the
// search button, and the edit itself once it is first shown, show the tip;
// typing hides it.
TVelSkinEdit* AddEditItemsDemo(TComponent* Owner, TWinControl* Parent, int Left, int Top);

// Shows the demo edit's balloon tip now.
void ShowEditItemsTip(TVelSkinEdit* Edit);
