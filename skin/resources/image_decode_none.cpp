// Builds without a platform codec: every image file other than a BMP is refused.
#include "skin/resources/image_decode.h"

namespace {

class TNoImageDecoder : public TImageDecoder {
public:
  void Decode(const uint8_t*, size_t, TDecodedImage&) override {
    throw EImageDecodeError("No image codec is available on this platform");
  }
};

}  // namespace

std::unique_ptr<TImageDecoder> CreatePlatformImageDecoder() { return std::make_unique<TNoImageDecoder>(); }

std::filesystem::path PlatformProgramFolder() { return {}; }
