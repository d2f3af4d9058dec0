// The built-in skin module of a Windows executable: its RCDATA resource
// "TVELSKINRESDM", read in place from the loaded image.
#include "skin/resources/skin_image_list.h"

#include <windows.h>

std::unique_ptr<TStream> OpenBuiltinSkinModule() {
  HRSRC info = FindResourceW(nullptr, L"TVELSKINRESDM", MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!info) return nullptr;
  HGLOBAL handle = LoadResource(nullptr, info);
  const DWORD size = SizeofResource(nullptr, info);
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data) return nullptr;
  // Resource memory lives as long as the module; nothing to free.
  return std::make_unique<TReadOnlyMemoryStream>(data, static_cast<int64_t>(size));
}
