#include "skin/resources/image_decode.h"

#include <string>

void CheckImageSize(int64_t Width, int64_t Height) {
  if (Width <= 0 || Height <= 0 || Width > MaxImageSide || Height > MaxImageSide ||
      Width * Height * 4 > MaxImageBytes)
    throw EImageDecodeError("Image size " + std::to_string(Width) + " x " + std::to_string(Height) +
                            " is empty or too large");
}
