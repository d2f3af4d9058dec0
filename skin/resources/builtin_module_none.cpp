// Builds without an embedded skin module (the native ones) have no built-in form.
#include "skin/resources/skin_image_list.h"

std::unique_ptr<TStream> OpenBuiltinSkinModule() { return nullptr; }
