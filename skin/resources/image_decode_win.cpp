// The Windows codec: the toolkit's WIC decoder turns PNG, BMP, JPEG and GIF
// files in memory into 32-bit BGRA with straight alpha.
#include "skin/resources/image_decode.h"

#include "toolkit/win/imaging.h"

#include <string>
#include <utility>

// The skin's limits are the toolkit's: a file either side accepts, the other does too.
static_assert(MaxImageSide == MaxGraphicSide && MaxImageBytes == MaxGraphicBytes &&
              MaxImageFileBytes == MaxGraphicFileBytes);

namespace {

class TWicImageDecoder : public TImageDecoder {
public:
  void Decode(const uint8_t* Data, size_t Size, TDecodedImage& Out) override {
    TWICPixels decoded;
    try {
      DecodeWICImage(Data, Size, decoded);
    } catch (const EInvalidGraphic& E) {
      throw EImageDecodeError(E.what());
    }
    Out.Width = decoded.Width;
    Out.Height = decoded.Height;
    Out.Pixels = std::move(decoded.Pixels);
  }
};

}  // namespace

std::unique_ptr<TImageDecoder> CreatePlatformImageDecoder() { return std::make_unique<TWicImageDecoder>(); }

std::filesystem::path PlatformProgramFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
  return std::filesystem::path(buffer).parent_path();
}
