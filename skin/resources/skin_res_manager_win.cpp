// The resource manager's Windows-only part: skin images from bitmap resources.
#include "skin/resources/skin_res_manager.h"

#include "gfx/win/bitmap32_win.h"

int TVelSkinResManager::AddRes(void* Instance, const std::wstring& ResourceName, const std::wstring& Description,
                               const std::wstring& ResID) {
  TVelSkinImage loaded;
  LoadFromResourceName(loaded, static_cast<HINSTANCE>(Instance), ResourceName);
  return AddRes(&loaded, ResID, Description);
}
