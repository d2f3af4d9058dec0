#include "skin/resources/skin_res_manager.h"

// Without a registry there is no design-time folder: Refresh then uses the
// file name alone.
std::wstring ReadDesignTimeResFolder() { return {}; }
