#include "skin/resources/skin_res_manager.h"

#include <windows.h>

#include <cwchar>
#include <vector>

// The design-time folder lives under HKEY_CURRENT_USER\Software\VelSkin in the
// value "Path34" (the name is "Path%.0f" formatted with the version number).
std::wstring ReadDesignTimeResFolder() {
  wchar_t valueName[32];
  std::swprintf(valueName, sizeof valueName / sizeof valueName[0], L"Path%.0f", 34.0);
  constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ;
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\VelSkin", valueName, kFlags, nullptr, nullptr, &size) !=
      ERROR_SUCCESS)
    return {};
  // A folder name is short; anything larger is not one.
  constexpr DWORD kMaxBytes = 32768 * sizeof(wchar_t);
  if (size == 0 || size > kMaxBytes) return {};
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = DWORD(buffer.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\VelSkin", valueName, kFlags, nullptr, buffer.data(), &got) !=
      ERROR_SUCCESS)
    return {};
  buffer.back() = L'\0';
  return std::wstring(buffer.data());
}
