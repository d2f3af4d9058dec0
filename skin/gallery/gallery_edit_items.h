// The gallery's edit with items: an image at the left, a text and a search
// button at the right, and its balloon tip beside it.
#pragma once

class TComponent;
class TWinControl;
class TVelSkinEdit;

// Adds the edit to Parent at (Left, Top), owned by Owner. A click on the
// search button shows the tip; typing hides it.
TVelSkinEdit* AddEditItemsDemo(TComponent* Owner, TWinControl* Parent, int Left, int Top);

// Shows the tip of the edit made last (nothing once it is freed); the
// gallery calls it in screenshot mode once everything else is painted.
void ShowEditItemsTip();
