// Minimal PNG writer for review images: 8-bit RGBA, zlib stream of stored
// (uncompressed) deflate blocks, so it needs no compression library.
#pragma once

#include "gfx/bitmap32.h"

#include <filesystem>

void SavePng(const TBitmap32& Bitmap, const std::filesystem::path& FileName);
