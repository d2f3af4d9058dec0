// The gallery's menu demo: a skinned button that opens a second skinned
// window with a title-bar main menu and skinned popup menus (check marks,
// radio items, separators, a disabled item, nested sub-menus, shortcuts).
#pragma once

#include "toolkit/win/controls.h"

// Adds the button "Window with a menu" to Parent at (Left, Top). When the
// program runs with "--menu-screenshot FILE", it also opens the window a
// moment after start, opens one of its popups with a sub-menu, saves a
// picture of the window and its popups as a BMP file and ends the program
// (exit code 2 when the picture could not be saved).
void AddMenuDemo(TWinControl* Parent, int Left, int Top);
