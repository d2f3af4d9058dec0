// The 32-bit bitmap and the toolkit's own image classes: assigning toolkit
// pictures and graphics into a bitmap and a bitmap into toolkit bitmaps,
// loading the BMP kinds and picture files the portable bitmap does not read
// itself, and loading from bitmap resources. The portable bitmap reaches this
// through its platform services, installed at start-up with the GDI backend.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/bitmap32.h"
#include "toolkit/win/imaging.h"

// Installs the services (idempotent). The GDI backend calls it at start-up.
void InstallBitmap32WinServices();

// Loads the module's RT_BITMAP resource of that name or number through a
// toolkit bitmap and assigns it (transparency, alpha and font rules of
// toolkit bitmaps). A missing resource raises EResNotFound and leaves the
// bitmap as it was.
void LoadFromResourceName(TCustomBitmap32& Bitmap, HINSTANCE Instance, const std::wstring& ResName);
void LoadFromResourceID(TCustomBitmap32& Bitmap, HINSTANCE Instance, uint32_t ResID);
