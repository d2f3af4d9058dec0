// The only header that includes <windows.h>. NOMINMAX and WIN32_LEAN_AND_MEAN
// come from the build. The A/W selector macros whose names the toolkit uses as
// member names are removed, so Win32 code calls the explicit W functions.
#pragma once

#include <windows.h>
#include <commctrl.h>

#undef CreateFont
#undef CreateWindow
#undef DrawText
#undef GetClassName
#undef GetMessage
#undef GetObject
#undef GetTextExtentPoint32
#undef LoadBitmap
#undef LoadCursor
#undef LoadIcon
#undef LoadImage
#undef MessageBox
#undef PostMessage
#undef SendMessage
#undef SetWindowText
#undef GetWindowText
#undef TextOut
#undef FindWindow
#undef CreateDialog
#undef DrawState
#undef RegisterClass
#undef FindResource
#undef LoadResource
#undef Rectangle
