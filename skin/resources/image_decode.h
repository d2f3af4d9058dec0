// Platform services for loading skin images from disk: an image codec behind a
// small interface (WIC on Windows; tests install their own), the size limits
// that every decoded image must respect, and the program's own folder.
// Portable: never includes windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "gfx/color32.h"
#include "toolkit/core/classes.h"

// An image file that cannot be decoded, or whose size is beyond the limits.
class EImageDecodeError : public EReadError {
  using EReadError::EReadError;
};

// Limits for images read from files: each side, and the decoded pixel bytes.
constexpr int64_t MaxImageSide = 16384;
constexpr int64_t MaxImageBytes = int64_t(256) << 20;
// Largest image file read into memory.
constexpr int64_t MaxImageFileBytes = int64_t(256) << 20;

// Raises EImageDecodeError unless Width x Height is a non-empty image inside the limits.
void CheckImageSize(int64_t Width, int64_t Height);

// Decoded pixels: rows top to bottom, straight (non-premultiplied) alpha.
struct TDecodedImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<TColor32> Pixels;
};

class TImageDecoder {
public:
  virtual ~TImageDecoder() = default;
  // Decodes a whole file held in memory (any format the codec knows) into Out.
  // Raises EImageDecodeError when the data cannot be decoded or is too large;
  // Out is then unspecified.
  virtual void Decode(const uint8_t* Data, size_t Size, TDecodedImage& Out) = 0;
};

// The platform's codec: WIC on Windows. Where there is none, a decoder that
// refuses every image.
std::unique_ptr<TImageDecoder> CreatePlatformImageDecoder();

// The folder of the running executable (empty where it cannot be told).
std::filesystem::path PlatformProgramFolder();
