// The toolkit's image classes: the abstract graphic, the device-independent
// bitmap (24 or 32 bits per pixel, with a canvas, loading every BMP kind GDI
// knows from streams, files and RT_BITMAP resources), the WIC-decoded image
// (PNG, JPEG, GIF, TIFF), and the picture that picks the right graphic for a
// file by its content. Also the shared WIC decoder with the size limits that
// every image read from outside the program respects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/classes.h"
#include "toolkit/core/streams.h"
#include "toolkit/win/graphics.h"

// An image that cannot be read: corrupt, truncated, of an unknown kind, or
// beyond the size limits.
class EInvalidGraphic : public EReadError {
  using EReadError::EReadError;
};

// Limits for images read from files, streams or resources: each side, the
// decoded pixel bytes, and the encoded bytes read into memory.
constexpr int64_t MaxGraphicSide = 16384;
constexpr int64_t MaxGraphicBytes = int64_t(256) << 20;
constexpr int64_t MaxGraphicFileBytes = int64_t(256) << 20;

// Raises EInvalidGraphic unless Width x Height is a non-empty image inside the limits.
void CheckGraphicSize(int64_t Width, int64_t Height);

// ---- WIC decoding ----------------------------------------------------------------

// Decoded pixels: rows top to bottom, 32-bit BGRA with straight alpha.
struct TWICPixels {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint32_t> Pixels;
};

// Decodes the first frame of an encoded image held in memory (any format WIC
// knows) into Out. The size is checked against the limits before any pixel
// memory is allocated. Raises EInvalidGraphic on failure; Out is then unspecified.
void DecodeWICImage(const uint8_t* Data, size_t Size, TWICPixels& Out);

// ---- Graphics --------------------------------------------------------------------

class TGraphic : public TPersistent {
public:
  ~TGraphic() override = default;

  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual bool Empty() const { return Width() == 0 || Height() == 0; }
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);

  // Draws the graphic onto Rect of the canvas's DC (stretched when sizes differ).
  virtual void Draw(TCanvas& ACanvas, const TRect& Rect) = 0;
  // A failed load raises EInvalidGraphic (or a stream error) and leaves the
  // graphic as it was.
  virtual void LoadFromStream(TStream& Stream) = 0;
  virtual void SaveToStream(TStream& Stream) const = 0;
  virtual void LoadFromFile(const std::filesystem::path& FileName);
  void SaveToFile(const std::filesystem::path& FileName) const;

  // A new graphic of the same kind holding the same image.
  virtual std::unique_ptr<TGraphic> Clone() const = 0;

  TNotifyEvent OnChange;

protected:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  bool FTransparent = false;
};

enum TPixelFormat { pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };

// A device-independent bitmap: a top-down DIB section of 24 or 32 bits per
// pixel, selected into its own memory DC on which Canvas draws.
class TBitmap : public TGraphic {
public:
  TBitmap();
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  std::string ClassName() const override { return "TBitmap"; }

  int32_t Width() const override { return FWidth; }
  int32_t Height() const override { return FHeight; }
  bool Empty() const override { return !FSection; }
  // Keeps the overlapping part of the image; new pixels are 0.
  void SetSize(int32_t NewWidth, int32_t NewHeight);
  void SetWidth(int32_t Value) { SetSize(Value, FHeight); }
  void SetHeight(int32_t Value) { SetSize(FWidth, Value); }
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // Converts the image; from 32 to 24 bits the alpha is dropped, from 24 to
  // 32 bits it becomes 0.
  void SetPixelFormat(TPixelFormat Value);

  // The DIB section (nullptr while empty).
  HBITMAP Handle() const { return FSection.Get(); }
  // Row Y of the pixels: 3 or 4 bytes per pixel, blue first. Y is not checked.
  uint8_t* ScanLine(int32_t Y) const;
  int32_t RowBytes() const { return RowBytesOf(FWidth, FPixelFormat); }
  // A canvas on the bitmap's memory DC. Drawing with GDI is batched: call
  // GdiFlush before reading ScanLine after canvas drawing.
  TCanvas& Canvas();

  // The colour drawn transparently when Transparent is set: with tmAuto the
  // colour of the bottom-left pixel, with tmFixed the one set.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  // Honours Transparent (TransparentBlt of the transparent colour).
  void Draw(TCanvas& ACanvas, const TRect& Rect) override;
  // Copies the pixels onto Rect of DC without transparency.
  void DrawOpaque(HDC DC, const TRect& Rect) const;

  // Any BMP GDI understands: 1, 4, 8, 16, 24 or 32 bits per pixel,
  // run-length encoded or with bit fields, Windows or OS/2 headers. 32-bit
  // images give pf32bit (alpha kept; bit-field images take alpha from their
  // alpha mask, or 255 without one), all others pf24bit.
  void LoadFromStream(TStream& Stream) override;
  // A bottom-up BMP of the pixel format's depth.
  void SaveToStream(TStream& Stream) const override;
  // A packed DIB in memory (information header, masks, colour table, bits),
  // as held by RT_BITMAP resources and the clipboard.
  void LoadFromDIB(const void* Data, size_t Size);
  void LoadFromResourceName(HINSTANCE Instance, const std::wstring& ResName);
  void LoadFromResourceID(HINSTANCE Instance, uint32_t ResID);

  void Assign(TPersistent* Source) override;
  std::unique_ptr<TGraphic> Clone() const override;

private:
  static int32_t RowBytesOf(int32_t Width, TPixelFormat Format);
  // A new zeroed section; raises on failure.
  static TGdiBitmap NewSection(int32_t Width, int32_t Height, TPixelFormat Format, uint8_t*& Bits);
  // Takes over a section as the bitmap's image.
  void Adopt(TGdiBitmap Section, uint8_t* Bits, int32_t Width, int32_t Height, TPixelFormat Format);
  void FreeDC();
  HDC DC();

  TGdiBitmap FSection;
  uint8_t* FBits = nullptr;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  TPixelFormat FPixelFormat = pf24bit;
  HDC FDC = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  std::unique_ptr<TCanvas> FCanvas;
  TColor FTransparentColor = clBlack;
  TTransparentMode FTransparentMode = tmAuto;
};

// An image decoded by WIC into straight-alpha BGRA pixels. Draws alpha-blended.
// Keeps the encoded bytes, which SaveToStream writes back unchanged.
class TWICImage : public TGraphic {
public:
  std::string ClassName() const override { return "TWICImage"; }
  int32_t Width() const override { return FImage.Width; }
  int32_t Height() const override { return FImage.Height; }
  const TWICPixels& Pixels() const { return FImage; }

  void Draw(TCanvas& ACanvas, const TRect& Rect) override;
  // Reads the rest of the stream (at most MaxGraphicFileBytes) and decodes it.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;
  void Assign(TPersistent* Source) override;
  std::unique_ptr<TGraphic> Clone() const override;

private:
  std::vector<uint8_t> FData;
  TWICPixels FImage;
};

// Holds one graphic of any kind and loads files by their content.
class TPicture : public TPersistent {
public:
  TPicture() = default;
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  std::string ClassName() const override { return "TPicture"; }

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Stores a copy of Value (nullptr: no graphic).
  void SetGraphic(const TGraphic* Value);
  // The graphic as a bitmap; any other graphic is replaced by an empty bitmap.
  TBitmap& Bitmap();
  int32_t Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int32_t Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // "BM" files become a TBitmap; PNG, JPEG, GIF and TIFF files a TWICImage;
  // anything else raises EInvalidGraphic. A failed load keeps the old graphic.
  void LoadFromFile(const std::filesystem::path& FileName);
  void LoadFromStream(TStream& Stream);
  void SaveToFile(const std::filesystem::path& FileName) const;

  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

private:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  std::unique_ptr<TGraphic> FGraphic;
};
