#include "skin/resources/skin_res_manager.h"

#include <windows.h>

#include <cwchar>
#include <vector>

// The design-time folder lives under HKEY_CURRENT_USER\Software\VelSkin in the
// value "Path34" (the name is "Path%.0f" formatted with the version number).
std::wstring ReadDesignTimeResFolder() {
  wchar_t valueName[32];
  std::swprintf(valueName, sizeof valueName / sizeof valueName[0], L"Path%.0f", 34.0);
  // RRF_RT_REG_SZ also accepts REG_EXPAND_SZ values and expands them.
  constexpr DWORD kFlags = RRF_RT_REG_SZ;
  // A folder name is short; anything larger is not one.
  constexpr DWORD kMaxBytes = 32768 * sizeof(wchar_t);
  DWORD size = 0;
  LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, L"Software\\VelSkin", valueName, kFlags, nullptr, nullptr, &size);
  // An expanded value may turn out longer than the first answer: ask again once.
  for (int attempt = 0; attempt < 2 && status == ERROR_SUCCESS; ++attempt) {
    if (size == 0 || size > kMaxBytes) return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = DWORD(buffer.size() * sizeof(wchar_t));
    status = RegGetValueW(HKEY_CURRENT_USER, L"Software\\VelSkin", valueName, kFlags, nullptr, buffer.data(), &size);
    if (status == ERROR_SUCCESS) {
      buffer.back() = L'\0';
      return std::wstring(buffer.data());
    }
    if (status == ERROR_MORE_DATA) status = ERROR_SUCCESS;  // size now holds the bytes needed
  }
  return {};
}
