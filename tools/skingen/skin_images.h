// The 84 built-in skin images, drawn procedurally in their stored order.
#pragma once

#include "skin/resources/skin_image_list.h"

// Appends every built-in image to List (ResID, draw mode, nearest resampler, pixels).
void BuildSkinImages(TVelSkinImageList& List);
