// Stored forms of TCustomBitmap32: the "Data" block and Windows BMP files.
// Both readers face untrusted bytes: every size is checked against the bytes
// the stream still holds before anything is allocated, and a failed read
// leaves the bitmap empty.
#include <cstring>
#include <typeinfo>
#include <vector>

#include "gfx/bitmap32.h"

namespace {

// Pixel bytes of a Width x Height image, or -1 when the size is negative or
// does not fit the 32-bit pixel indices of a bitmap.
int64_t PixelBytes(int64_t Width, int64_t Height) {
  if (Width < 0 || Height < 0) return -1;
  const int64_t pixels = Width * Height;  // both below 2^32: no overflow
  if (pixels > INT32_MAX) return -1;
  return pixels * 4;
}

// The pixels are stored little-endian (blue, green, red, alpha); in memory a
// TColor32 is the same bytes on the platforms this library runs on.
static_assert(sizeof(TColor32) == 4);

#pragma pack(push, 1)
struct TBitmapFileHeader {
  uint16_t bfType;
  uint32_t bfSize;
  uint16_t bfReserved1;
  uint16_t bfReserved2;
  uint32_t bfOffBits;
};
struct TBitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(TBitmapFileHeader) == 14 && sizeof(TBitmapInfoHeader) == 40);

constexpr uint16_t BmpSignature = 0x4D42;  // "BM"
constexpr uint32_t BI_RGB_ = 0;

[[noreturn]] void CorruptBmp(const char* Why) { throw EReadError(std::string("Invalid bitmap file: ") + Why); }

}  // namespace

// ---- "Data" ----------------------------------------------------------------

namespace {
// Runs a load inside an update bracket. A load that fails leaves the bitmap
// empty; either way the bracket closes and one change is reported.
template <class Load> void GuardedLoad(TCustomBitmap32& Bitmap, Load&& DoLoad) {
  Bitmap.BeginUpdate();
  try {
    DoLoad();
  } catch (...) {
    Bitmap.SetSize(0, 0);
    Bitmap.EndUpdate();
    Bitmap.Changed();
    throw;
  }
  Bitmap.EndUpdate();
  Bitmap.Changed();
}
}  // namespace

void TCustomBitmap32::ReadPixelData(TStream& Stream) {
  GuardedLoad(*this, [&] {
    const int32_t w = Stream.ReadValue<int32_t>();
    const int32_t h = Stream.ReadValue<int32_t>();
    const int64_t bytes = PixelBytes(w, h);
    if (bytes < 0) throw EReadError("Invalid bitmap data: bad size " + std::to_string(w) + " x " + std::to_string(h));
    if (bytes > Stream.Remaining()) throw EReadError("Invalid bitmap data: pixel data is truncated");
    SetSize(w, h);
    if (bytes > 0 && FBits) Stream.ReadBuffer(FBits, bytes);
  });
}

void TCustomBitmap32::WritePixelData(TStream& Stream) const {
  Stream.WriteValue<int32_t>(FWidth);
  Stream.WriteValue<int32_t>(FHeight);
  if (FBits && !Empty()) Stream.WriteBuffer(FBits, int64_t(FWidth) * FHeight * 4);
}

void TCustomBitmap32::ReadData(TStream& Stream) { ReadPixelData(Stream); }
void TCustomBitmap32::WriteData(TStream& Stream) const { WritePixelData(Stream); }

bool TCustomBitmap32::DataStored(const TPersistent* Ancestor) const {
  if (!Ancestor) return !Empty();
  const auto* other = dynamic_cast<const TCustomBitmap32*>(Ancestor);
  if (!other) return true;
  if (Empty() && other->Empty()) return false;
  if (typeid(*other) != typeid(*this)) return true;
  // Same class: identical BMP output means identical size and pixels.
  if (other->FWidth != FWidth || other->FHeight != FHeight) return true;
  return std::memcmp(FBits, other->FBits, size_t(FWidth) * size_t(FHeight) * 4) != 0;
}

// ---- BMP -------------------------------------------------------------------

void TCustomBitmap32::SaveToStream(TStream& Stream, bool SaveTopDown) const {
  const int64_t bytes = int64_t(FWidth) * FHeight * 4;
  TBitmapFileHeader fh{BmpSignature, uint32_t(54 + bytes), 0, 0, 54};
  TBitmapInfoHeader ih{};
  ih.biSize = 40;
  ih.biWidth = FWidth;
  ih.biHeight = SaveTopDown ? FHeight : -FHeight;
  ih.biPlanes = 1;
  ih.biBitCount = 32;
  ih.biCompression = BI_RGB_;
  ih.biSizeImage = uint32_t(bytes);
  Stream.WriteBuffer(&fh, sizeof fh);
  Stream.WriteBuffer(&ih, sizeof ih);
  if (Empty() || !FBits) return;
  if (SaveTopDown) {
    // A positive height means bottom-up rows: the last row first.
    for (int32_t y = FHeight - 1; y >= 0; --y) Stream.WriteBuffer(ScanLine(y), int64_t(FWidth) * 4);
  } else {
    Stream.WriteBuffer(FBits, bytes);
  }
}

namespace {

// Whether the BMP at the stream's position is one this bitmap reads itself:
// uncompressed 24 or 32 bits per pixel with a full information header. The
// position is left where it was.
bool IsPlainBmp(TStream& Stream) {
  const int64_t start = Stream.Position();
  if (Stream.Remaining() < 54) return false;
  const auto fh = Stream.ReadValue<TBitmapFileHeader>();
  const auto ih = Stream.ReadValue<TBitmapInfoHeader>();
  Stream.SetPosition(start);
  return fh.bfType == BmpSignature && ih.biSize >= 40 && ih.biPlanes == 1 && ih.biCompression == BI_RGB_ &&
         (ih.biBitCount == 32 || ih.biBitCount == 24);
}

}  // namespace

void TCustomBitmap32::LoadFromStream(TStream& Stream) {
  GuardedLoad(*this, [&] {
    const int64_t start = Stream.Position();
    // Palette, 16-bit, bit-field and run-length images go to the platform's
    // bitmap loader when there is one.
    if (const auto load = Bitmap32PlatformServices().LoadBitmapStream; load && !IsPlainBmp(Stream)) {
      load(*this, Stream);
      return;
    }
    if (Stream.Remaining() < 54) CorruptBmp("the headers are truncated");
    const auto fh = Stream.ReadValue<TBitmapFileHeader>();
    const auto ih = Stream.ReadValue<TBitmapInfoHeader>();
    if (fh.bfType != BmpSignature) CorruptBmp("no \"BM\" signature");
    if (ih.biSize < 40) CorruptBmp("unknown information header");
    if (ih.biPlanes != 1) CorruptBmp("plane count is not 1");
    if (ih.biCompression != BI_RGB_) CorruptBmp("compressed or bit-field images are not supported");
    if (ih.biBitCount != 32 && ih.biBitCount != 24) CorruptBmp("only 24 and 32 bits per pixel are supported");
    if (ih.biWidth < 0 || ih.biHeight == INT32_MIN) CorruptBmp("bad size");
    const int64_t w = ih.biWidth;
    const int64_t h = ih.biHeight < 0 ? -int64_t(ih.biHeight) : int64_t(ih.biHeight);
    if (PixelBytes(w, h) < 0) CorruptBmp("bad size");
    // Pixels start at bfOffBits, which larger headers (and colour masks) push
    // beyond 54; an offset inside the headers is corrupt.
    if (fh.bfOffBits < 54) CorruptBmp("pixel offset inside the headers");
    const int64_t srcStride = ih.biBitCount == 32 ? w * 4 : (w * 3 + 3) & ~int64_t(3);
    const int64_t avail = Stream.Size() - start - int64_t(fh.bfOffBits);
    if (avail < 0 || srcStride * h > avail) CorruptBmp("pixel data is truncated");
    Stream.SetPosition(start + fh.bfOffBits);

    SetSize(int32_t(w), int32_t(h));
    if (!Empty()) {
      const bool bottomUp = ih.biHeight > 0;
      std::vector<uint8_t> row(static_cast<size_t>(srcStride));
      for (int64_t i = 0; i < h; ++i) {
        TColor32* dst = ScanLine(int32_t(bottomUp ? h - 1 - i : i));
        if (ih.biBitCount == 32) {
          Stream.ReadBuffer(dst, w * 4);
        } else {
          Stream.ReadBuffer(row.data(), srcStride);
          for (int64_t x = 0; x < w; ++x)
            dst[x] = 0xFF000000u | TColor32(row[x * 3]) | (TColor32(row[x * 3 + 1]) << 8) |
                     (TColor32(row[x * 3 + 2]) << 16);
        }
      }
    }
  });
}

void TCustomBitmap32::SaveToFile(const std::filesystem::path& FileName, bool SaveTopDown) const {
  TFileStream stream(FileName, TFileMode::fmCreate);
  SaveToStream(stream, SaveTopDown);
}

void TCustomBitmap32::LoadFromFile(const std::filesystem::path& FileName) {
  TFileStream stream(FileName, TFileMode::fmOpenRead);
  uint8_t signature[2] = {0, 0};
  const bool bmp = stream.Read(signature, 2) == 2 && signature[0] == 'B' && signature[1] == 'M';
  stream.SetPosition(0);
  const auto loadPicture = Bitmap32PlatformServices().LoadPictureFile;
  if (bmp || !loadPicture) {
    LoadFromStream(stream);
    return;
  }
  // Other pictures (PNG, JPEG ...) through the platform's picture loader; a
  // file it cannot read leaves the bitmap empty, as a bad BMP does.
  GuardedLoad(*this, [&] { loadPicture(*this, FileName); });
}
