#include "toolkit/win/imaging.h"

#include "toolkit/win/com_ptr.h"

#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

void CheckGraphicSize(int64_t Width, int64_t Height) {
  if (Width <= 0 || Height <= 0 || Width > MaxGraphicSide || Height > MaxGraphicSide ||
      Width * Height * 4 > MaxGraphicBytes)
    throw EInvalidGraphic("Image size " + std::to_string(Width) + " x " + std::to_string(Height) +
                          " is empty or too large");
}

// ---- WIC -------------------------------------------------------------------------

namespace {

void CheckWIC(HRESULT Hr, const char* Call) {
  if (FAILED(Hr)) {
    char code[16];
    wsprintfA(code, "0x%08lX", static_cast<unsigned long>(Hr));
    throw EInvalidGraphic(std::string("Cannot decode the image: ") + Call + " failed (" + code + ")");
  }
}

// Initialises COM on this thread for the decoder's lifetime when nobody has yet.
class TComScope {
public:
  TComScope() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    FOwned = SUCCEEDED(hr);  // S_FALSE also needs the balancing call
  }
  ~TComScope() {
    if (FOwned) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

private:
  bool FOwned = false;
};

}  // namespace

void DecodeWICImage(const uint8_t* Data, size_t Size, TWICPixels& Out) {
  if (!Data || Size == 0) throw EInvalidGraphic("Cannot decode the image: the file is empty");
  if (Size > size_t(MaxGraphicFileBytes) || Size > 0xFFFFFFFFu)
    throw EInvalidGraphic("Cannot decode the image: the file is too large");
  TComScope com;
  TComPtr<IWICImagingFactory> factory;
  CheckWIC(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                            reinterpret_cast<void**>(factory.Put())),
           "CoCreateInstance(WICImagingFactory)");
  TComPtr<IWICStream> stream;
  CheckWIC(factory->CreateStream(stream.Put()), "IWICImagingFactory::CreateStream");
  CheckWIC(stream->InitializeFromMemory(const_cast<BYTE*>(Data), DWORD(Size)), "IWICStream::InitializeFromMemory");
  TComPtr<IWICBitmapDecoder> decoder;
  CheckWIC(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put()),
           "IWICImagingFactory::CreateDecoderFromStream");
  TComPtr<IWICBitmapFrameDecode> frame;
  CheckWIC(decoder->GetFrame(0, frame.Put()), "IWICBitmapDecoder::GetFrame");
  UINT w = 0, h = 0;
  CheckWIC(frame->GetSize(&w, &h), "IWICBitmapFrameDecode::GetSize");
  // The size is checked before any pixel memory is allocated.
  CheckGraphicSize(w, h);
  TComPtr<IWICFormatConverter> converter;
  CheckWIC(factory->CreateFormatConverter(converter.Put()), "IWICImagingFactory::CreateFormatConverter");
  CheckWIC(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                 WICBitmapPaletteTypeCustom),
           "IWICFormatConverter::Initialize");
  Out.Width = int32_t(w);
  Out.Height = int32_t(h);
  Out.Pixels.assign(size_t(w) * size_t(h), 0);
  CheckWIC(converter->CopyPixels(nullptr, w * 4, UINT(Out.Pixels.size() * 4), reinterpret_cast<BYTE*>(Out.Pixels.data())),
           "IWICBitmapSource::CopyPixels");
}

// ---- TGraphic --------------------------------------------------------------------

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed();
}

void TGraphic::LoadFromFile(const std::filesystem::path& FileName) {
  TFileStream stream(FileName, TFileMode::fmOpenRead);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::filesystem::path& FileName) const {
  TFileStream stream(FileName, TFileMode::fmCreate);
  SaveToStream(stream);
}

// ---- BMP headers -------------------------------------------------------------------

namespace {

[[noreturn]] void InvalidBitmap(const char* Why) {
  throw EInvalidGraphic(std::string("Invalid bitmap image: ") + Why);
}

#pragma pack(push, 1)
struct TFileHeader {
  uint16_t Type;
  uint32_t Size;
  uint16_t Reserved1;
  uint16_t Reserved2;
  uint32_t OffBits;
};
#pragma pack(pop)
static_assert(sizeof(TFileHeader) == 14);

constexpr uint16_t BmpSignature = 0x4D42;  // "BM"
constexpr uint32_t BiAlphaBitfields = 6;

// A checked DIB header, normalised to what SetDIBits takes: a 40-byte header,
// three colour masks for bit-field images, and a full colour table for
// palette images.
struct TDibInfo {
  BITMAPINFOHEADER Header{};
  uint32_t Masks[4]{};  // red, green, blue, alpha
  std::vector<RGBQUAD> Colors;
  // Bytes of an optional colour table of an image above 8 bits per pixel,
  // which a packed DIB holds before its bits.
  int64_t OptionalTableBytes = 0;
  // Bytes of the pixel data: exact for uncompressed images, 0 for run-length
  // images that do not state their size.
  int64_t BitsBytes = 0;
  bool Compressed() const { return Header.biCompression == BI_RLE8 || Header.biCompression == BI_RLE4; }
  bool BitFields() const { return Header.biCompression == BI_BITFIELDS; }
  int64_t Rows() const { return Header.biHeight < 0 ? -int64_t(Header.biHeight) : Header.biHeight; }
};

void ReadChecked(TStream& Stream, void* Buffer, int64_t Count, const char* What) {
  if (Stream.Remaining() < Count) InvalidBitmap(What);
  Stream.ReadBuffer(Buffer, Count);
}

// Reads the information header, the masks and (for palette images) the colour
// table from the stream's position, checking every field before anything is
// sized from it.
TDibInfo ReadDibInfo(TStream& Stream) {
  TDibInfo info;
  BITMAPINFOHEADER& h = info.Header;
  uint32_t headerSize = 0;
  ReadChecked(Stream, &headerSize, 4, "the information header is truncated");
  const bool core = headerSize == sizeof(BITMAPCOREHEADER);
  if (core) {
    BITMAPCOREHEADER c{};
    c.bcSize = headerSize;
    ReadChecked(Stream, reinterpret_cast<uint8_t*>(&c) + 4, sizeof c - 4, "the information header is truncated");
    h.biWidth = c.bcWidth;
    h.biHeight = c.bcHeight;
    h.biPlanes = c.bcPlanes;
    h.biBitCount = c.bcBitCount;
    h.biCompression = BI_RGB;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == sizeof(BITMAPV4HEADER) ||
             headerSize == sizeof(BITMAPV5HEADER)) {
    BITMAPV5HEADER v5{};
    ReadChecked(Stream, reinterpret_cast<uint8_t*>(&v5) + 4, headerSize - 4, "the information header is truncated");
    std::memcpy(&h, &v5, sizeof h);
    if (headerSize >= 52) {
      info.Masks[0] = v5.bV5RedMask;
      info.Masks[1] = v5.bV5GreenMask;
      info.Masks[2] = v5.bV5BlueMask;
    }
    if (headerSize >= 56) info.Masks[3] = v5.bV5AlphaMask;
  } else {
    InvalidBitmap("unknown information header");
  }
  h.biSize = sizeof(BITMAPINFOHEADER);

  if (h.biPlanes != 1) InvalidBitmap("plane count is not 1");
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) InvalidBitmap("bad size");
  const int bits = h.biBitCount;
  const bool known = bits == 1 || bits == 4 || bits == 8 || bits == 24 || (!core && (bits == 16 || bits == 32));
  if (!known) InvalidBitmap("unsupported number of bits per pixel");
  switch (h.biCompression) {
    case BI_RGB: break;
    case BI_RLE8:
      if (bits != 8 || h.biHeight < 0) InvalidBitmap("bad run-length image");
      break;
    case BI_RLE4:
      if (bits != 4 || h.biHeight < 0) InvalidBitmap("bad run-length image");
      break;
    case BI_BITFIELDS:
    case BiAlphaBitfields:
      if (bits != 16 && bits != 32) InvalidBitmap("bit fields need 16 or 32 bits per pixel");
      break;
    default: InvalidBitmap("unsupported compression");
  }
  // The size is checked before anything is allocated from it.
  CheckGraphicSize(h.biWidth, info.Rows());

  if (h.biCompression == BI_BITFIELDS || h.biCompression == BiAlphaBitfields) {
    // A 40-byte header is followed by the masks; larger headers hold them.
    if (headerSize == 40) {
      const int count = h.biCompression == BiAlphaBitfields ? 4 : 3;
      ReadChecked(Stream, info.Masks, 4 * count, "the colour masks are truncated");
    }
    if (!info.Masks[0] || !info.Masks[1] || !info.Masks[2]) InvalidBitmap("a colour mask is empty");
    if (bits == 16 && ((info.Masks[0] | info.Masks[1] | info.Masks[2] | info.Masks[3]) >> 16))
      InvalidBitmap("a colour mask is wider than the pixel");
    h.biCompression = BI_BITFIELDS;
  } else if (h.biCompression == BI_RGB) {
    info.Masks[3] = 0;  // an alpha mask means nothing without bit fields
  }

  const uint32_t entrySize = core ? 3 : 4;
  if (bits <= 8) {
    const uint32_t full = 1u << bits;
    const uint32_t stored = h.biClrUsed == 0 ? full : h.biClrUsed;
    if (stored > full) InvalidBitmap("the colour table is larger than the pixel depth allows");
    std::vector<uint8_t> table(size_t(stored) * entrySize);
    ReadChecked(Stream, table.data(), int64_t(table.size()), "the colour table is truncated");
    // Indexes beyond a short table draw black.
    info.Colors.assign(full, RGBQUAD{0, 0, 0, 0});
    for (uint32_t i = 0; i < stored; ++i) {
      info.Colors[i].rgbBlue = table[i * entrySize];
      info.Colors[i].rgbGreen = table[i * entrySize + 1];
      info.Colors[i].rgbRed = table[i * entrySize + 2];
    }
    h.biClrUsed = full;
  } else {
    info.OptionalTableBytes = int64_t(h.biClrUsed) * entrySize;
    h.biClrUsed = 0;
  }
  h.biClrImportant = 0;

  const int64_t stride = ((int64_t(h.biWidth) * bits + 31) / 32) * 4;
  if (info.Compressed()) {
    info.BitsBytes = h.biSizeImage;
  } else {
    info.BitsBytes = stride * info.Rows();
    h.biSizeImage = 0;
  }
  return info;
}

// Channel value of Pixel under Mask, scaled to 8 bits.
uint8_t MaskedChannel(uint32_t Pixel, uint32_t Mask) {
  if (!Mask) return 0;
  int shift = 0;
  while (!((Mask >> shift) & 1)) ++shift;
  const uint32_t max = Mask >> shift;
  const uint32_t v = (Pixel & Mask) >> shift;
  return uint8_t((uint64_t(v) * 255 + max / 2) / max);
}

}  // namespace

// ---- TBitmap -----------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  FCanvas.reset();
  FreeDC();
}

int32_t TBitmap::RowBytesOf(int32_t Width, TPixelFormat Format) {
  return Format == pf32bit ? Width * 4 : (Width * 3 + 3) & ~3;
}

TGdiBitmap TBitmap::NewSection(int32_t Width, int32_t Height, TPixelFormat Format, uint8_t*& Bits) {
  // GDI takes the image size as a signed 32-bit byte count.
  if (int64_t(RowBytesOf(1, Format)) * Width * Height > INT32_MAX || Width > INT32_MAX / 4)
    throw EInvalidOperation("Bitmap size " + std::to_string(Width) + " x " + std::to_string(Height) + " is too large");
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = Width;
  bi.bmiHeader.biHeight = -Height;  // rows top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = Format == pf32bit ? 32 : 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TGdiBitmap section(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  Win32Check(section && bits, "CreateDIBSection");
  Bits = static_cast<uint8_t*>(bits);
  return section;
}

void TBitmap::FreeDC() {
  if (FCanvas) FCanvas->SetHandle(nullptr);
  if (FDC) {
    SelectObject(FDC, FOldBitmap);
    DeleteDC(FDC);
  }
  FDC = nullptr;
  FOldBitmap = nullptr;
}

HDC TBitmap::DC() {
  if (!FDC) {
    HDC dc = CreateCompatibleDC(nullptr);
    Win32Check(dc != nullptr, "CreateCompatibleDC");
    FOldBitmap = FSection ? SelectObject(dc, FSection.Get()) : nullptr;
    FDC = dc;
  }
  return FDC;
}

void TBitmap::Adopt(TGdiBitmap Section, uint8_t* Bits, int32_t Width, int32_t Height, TPixelFormat Format) {
  const bool canvasAttached = FCanvas && FCanvas->HandleAllocated();
  FreeDC();
  FSection = std::move(Section);
  FBits = FSection ? Bits : nullptr;
  FWidth = FSection ? Width : 0;
  FHeight = FSection ? Height : 0;
  FPixelFormat = Format;
  if (canvasAttached) FCanvas->SetHandle(DC());
  Changed();
}

void TBitmap::SetSize(int32_t NewWidth, int32_t NewHeight) {
  NewWidth = std::max(NewWidth, 0);
  NewHeight = std::max(NewHeight, 0);
  if (NewWidth == FWidth && NewHeight == FHeight) return;
  if (NewWidth == 0 || NewHeight == 0) {
    Adopt(TGdiBitmap(), nullptr, 0, 0, FPixelFormat);
    return;
  }
  uint8_t* bits = nullptr;
  TGdiBitmap section = NewSection(NewWidth, NewHeight, FPixelFormat, bits);
  if (FSection) {
    GdiFlush();
    const int32_t rows = std::min(FHeight, NewHeight);
    const size_t bytes = size_t(std::min(FWidth, NewWidth)) * (FPixelFormat == pf32bit ? 4 : 3);
    const int32_t dstStride = RowBytesOf(NewWidth, FPixelFormat);
    for (int32_t y = 0; y < rows; ++y) std::memcpy(bits + size_t(y) * dstStride, ScanLine(y), bytes);
  }
  Adopt(std::move(section), bits, NewWidth, NewHeight, FPixelFormat);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == FPixelFormat) return;
  if (!FSection) {
    FPixelFormat = Value;
    Changed();
    return;
  }
  uint8_t* bits = nullptr;
  TGdiBitmap section = NewSection(FWidth, FHeight, Value, bits);
  GdiFlush();
  const int32_t dstStride = RowBytesOf(FWidth, Value);
  for (int32_t y = 0; y < FHeight; ++y) {
    const uint8_t* s = ScanLine(y);
    uint8_t* d = bits + size_t(y) * dstStride;
    for (int32_t x = 0; x < FWidth; ++x) {
      if (Value == pf32bit) {
        std::memcpy(d + x * 4, s + x * 3, 3);
        d[x * 4 + 3] = 0;
      } else {
        std::memcpy(d + x * 3, s + x * 4, 3);
      }
    }
  }
  Adopt(std::move(section), bits, FWidth, FHeight, Value);
}

uint8_t* TBitmap::ScanLine(int32_t Y) const { return FBits + size_t(Y) * size_t(RowBytes()); }

TCanvas& TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>();
  if (!FCanvas->HandleAllocated()) FCanvas->SetHandle(DC());
  return *FCanvas;
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == tmFixed || !FSection) return FTransparentColor;
  GdiFlush();
  const uint8_t* p = ScanLine(FHeight - 1);
  return TColor(p[2] | (p[1] << 8) | (p[0] << 16));
}

void TBitmap::SetTransparentColor(TColor Value) {
  FTransparentColor = Value;
  FTransparentMode = tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  FTransparentMode = Value;
  Changed();
}

void TBitmap::Draw(TCanvas& ACanvas, const TRect& Rect) {
  if (Empty()) return;
  HDC dst = ACanvas.Handle();
  if (!dst) throw EInvalidOperation("Canvas does not allow drawing");
  if (!Transparent()) {
    DrawOpaque(dst, Rect);
    return;
  }
  GdiFlush();
  Win32Check(TransparentBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), DC(), 0, 0,
                            FWidth, FHeight, ColorToRef(TransparentColor())),
             "TransparentBlt");
}

void TBitmap::DrawOpaque(HDC DC, const TRect& Rect) const {
  if (Empty()) return;
  GdiFlush();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = FWidth;
  bi.bmiHeader.biHeight = -FHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = FPixelFormat == pf32bit ? 32 : 24;
  bi.bmiHeader.biCompression = BI_RGB;
  const int w = Rect.Width(), h = Rect.Height();
  const bool stretched = w != FWidth || h != FHeight;
  const int oldMode = stretched ? SetStretchBltMode(DC, COLORONCOLOR) : 0;
  StretchDIBits(DC, Rect.Left, Rect.Top, w, h, 0, 0, FWidth, FHeight, FBits, &bi, DIB_RGB_COLORS, SRCCOPY);
  if (stretched && oldMode) SetStretchBltMode(DC, oldMode);
}

namespace {

// Turns checked DIB bits into a new section of the bitmap's kind: 32-bit
// images are copied (or unpacked from their masks) here so that no alpha is
// lost; every other kind is converted by GDI.
TGdiBitmap SectionFromDib(const TDibInfo& Info, const uint8_t* Bits, size_t Size, TPixelFormat& Format,
                          uint8_t*& Dst, TGdiBitmap (*NewSection)(int32_t, int32_t, TPixelFormat, uint8_t*&)) {
  const BITMAPINFOHEADER& h = Info.Header;
  const int32_t w = h.biWidth;
  const int32_t rows = int32_t(Info.Rows());
  Format = h.biBitCount == 32 ? pf32bit : pf24bit;
  TGdiBitmap section = NewSection(w, rows, Format, Dst);
  if (Format == pf32bit) {
    const bool bottomUp = h.biHeight > 0;
    const uint32_t* masks = Info.Masks;
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* s = Bits + size_t(bottomUp ? rows - 1 - y : y) * size_t(w) * 4;
      uint8_t* d = Dst + size_t(y) * size_t(w) * 4;
      if (!Info.BitFields()) {
        std::memcpy(d, s, size_t(w) * 4);
        continue;
      }
      for (int32_t x = 0; x < w; ++x) {
        uint32_t p;
        std::memcpy(&p, s + x * 4, 4);
        d[x * 4] = MaskedChannel(p, masks[2]);
        d[x * 4 + 1] = MaskedChannel(p, masks[1]);
        d[x * 4 + 2] = MaskedChannel(p, masks[0]);
        d[x * 4 + 3] = masks[3] ? MaskedChannel(p, masks[3]) : 255;
      }
    }
    return section;
  }
  // The header, then three masks or the colour table, as SetDIBits reads them.
  std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  BITMAPINFOHEADER bh = h;
  if (Info.Compressed()) bh.biSizeImage = DWORD(Size);
  std::memcpy(header.data(), &bh, sizeof bh);
  if (Info.BitFields())
    std::memcpy(header.data() + sizeof bh, Info.Masks, 12);
  else if (!Info.Colors.empty())
    std::memcpy(header.data() + sizeof bh, Info.Colors.data(), Info.Colors.size() * sizeof(RGBQUAD));
  TMemoryDC dc(nullptr);
  const int lines = SetDIBits(dc.Get(), section.Get(), 0, UINT(rows), Bits,
                              reinterpret_cast<const BITMAPINFO*>(header.data()), DIB_RGB_COLORS);
  // Run-length images may legitimately end before the last row.
  if (lines <= 0 || (!Info.Compressed() && lines != rows)) InvalidBitmap("GDI cannot read the pixel data");
  return section;
}

}  // namespace

void TBitmap::LoadFromStream(TStream& Stream) {
  const int64_t start = Stream.Position();
  TFileHeader fh{};
  ReadChecked(Stream, &fh, sizeof fh, "the file header is truncated");
  if (fh.Type != BmpSignature) InvalidBitmap("no \"BM\" signature");
  const TDibInfo info = ReadDibInfo(Stream);
  const int64_t headersEnd = Stream.Position() - start;
  // Some writers leave the offset 0: the bits then follow the headers.
  const int64_t offset = fh.OffBits == 0 ? headersEnd : int64_t(fh.OffBits);
  if (offset < headersEnd) InvalidBitmap("pixel offset inside the headers");
  const int64_t available = Stream.Size() - start - offset;
  if (available <= 0) InvalidBitmap("the pixel data is missing");
  int64_t need = info.BitsBytes;
  if (info.Compressed() && need == 0) need = std::min(available, MaxGraphicFileBytes);
  if (need > available) InvalidBitmap("the pixel data is truncated");
  if (need > MaxGraphicFileBytes) InvalidBitmap("the pixel data is too large");
  std::vector<uint8_t> bits(static_cast<size_t>(need));
  Stream.SetPosition(start + offset);
  Stream.ReadBuffer(bits.data(), need);

  TPixelFormat format;
  uint8_t* dst = nullptr;
  TGdiBitmap section = SectionFromDib(info, bits.data(), bits.size(), format, dst, &TBitmap::NewSection);
  Adopt(std::move(section), dst, info.Header.biWidth, int32_t(info.Rows()), format);
}

void TBitmap::LoadFromDIB(const void* Data, size_t Size) {
  if (!Data) InvalidBitmap("no data");
  TReadOnlyMemoryStream stream(Data, int64_t(Size));
  const TDibInfo info = ReadDibInfo(stream);
  const int64_t offset = stream.Position() + info.OptionalTableBytes;
  const int64_t available = int64_t(Size) - offset;
  if (available <= 0) InvalidBitmap("the pixel data is missing");
  const int64_t need = info.Compressed() && info.BitsBytes == 0 ? available : info.BitsBytes;
  if (need > available) InvalidBitmap("the pixel data is truncated");
  TPixelFormat format;
  uint8_t* dst = nullptr;
  TGdiBitmap section = SectionFromDib(info, static_cast<const uint8_t*>(Data) + offset, size_t(need), format, dst,
                                      &TBitmap::NewSection);
  Adopt(std::move(section), dst, info.Header.biWidth, int32_t(info.Rows()), format);
}

void TBitmap::SaveToStream(TStream& Stream) const {
  const int64_t stride = RowBytes();
  const int64_t bytes = stride * FHeight;
  TFileHeader fh{BmpSignature, uint32_t(14 + 40 + bytes), 0, 0, 14 + 40};
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = FWidth;
  ih.biHeight = FHeight;  // bottom-up, the most widely read form
  ih.biPlanes = 1;
  ih.biBitCount = FPixelFormat == pf32bit ? 32 : 24;
  ih.biCompression = BI_RGB;
  ih.biSizeImage = uint32_t(bytes);
  Stream.WriteBuffer(&fh, sizeof fh);
  Stream.WriteBuffer(&ih, sizeof ih);
  if (Empty()) return;
  GdiFlush();
  for (int32_t y = FHeight - 1; y >= 0; --y) Stream.WriteBuffer(ScanLine(y), stride);
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const std::wstring& ResName) {
  HRSRC res = FindResourceW(Instance, ResName.c_str(), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  if (!res) throw EResNotFound("Resource " + WideToUtf8(ResName) + " not found");
  HGLOBAL data = LoadResource(Instance, res);
  const void* p = data ? LockResource(data) : nullptr;
  Win32Check(p != nullptr, "LoadResource");
  LoadFromDIB(p, SizeofResource(Instance, res));
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, uint32_t ResID) {
  if (ResID == 0 || ResID > 0xFFFF) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  HRSRC res = FindResourceW(Instance, MAKEINTRESOURCEW(ResID), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  if (!res) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  HGLOBAL data = LoadResource(Instance, res);
  const void* p = data ? LockResource(data) : nullptr;
  Win32Check(p != nullptr, "LoadResource");
  LoadFromDIB(p, SizeofResource(Instance, res));
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    Adopt(TGdiBitmap(), nullptr, 0, 0, FPixelFormat);
    return;
  }
  const auto* src = dynamic_cast<const TBitmap*>(Source);
  if (!src) {
    TGraphic::Assign(Source);
    return;
  }
  if (src == this) return;
  FTransparent = src->FTransparent;
  FTransparentColor = src->FTransparentColor;
  FTransparentMode = src->FTransparentMode;
  if (src->Empty()) {
    Adopt(TGdiBitmap(), nullptr, 0, 0, src->FPixelFormat);
    return;
  }
  uint8_t* bits = nullptr;
  TGdiBitmap section = NewSection(src->FWidth, src->FHeight, src->FPixelFormat, bits);
  GdiFlush();
  std::memcpy(bits, src->FBits, size_t(src->RowBytes()) * size_t(src->FHeight));
  Adopt(std::move(section), bits, src->FWidth, src->FHeight, src->FPixelFormat);
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(const_cast<TBitmap*>(this));
  return copy;
}

// ---- TWICImage ---------------------------------------------------------------------

void TWICImage::Draw(TCanvas& ACanvas, const TRect& Rect) {
  if (Empty()) return;
  HDC dst = ACanvas.Handle();
  if (!dst) throw EInvalidOperation("Canvas does not allow drawing");
  // AlphaBlend takes premultiplied pixels.
  TBitmap premultiplied;
  premultiplied.SetPixelFormat(pf32bit);
  premultiplied.SetSize(FImage.Width, FImage.Height);
  const uint32_t* s = FImage.Pixels.data();
  for (int32_t y = 0; y < FImage.Height; ++y) {
    uint8_t* d = premultiplied.ScanLine(y);
    for (int32_t x = 0; x < FImage.Width; ++x, ++s, d += 4) {
      const uint32_t a = *s >> 24;
      d[0] = uint8_t(((*s & 0xFF) * a + 127) / 255);
      d[1] = uint8_t((((*s >> 8) & 0xFF) * a + 127) / 255);
      d[2] = uint8_t((((*s >> 16) & 0xFF) * a + 127) / 255);
      d[3] = uint8_t(a);
    }
  }
  TMemoryDC src(dst);
  TSelectObject select(src.Get(), premultiplied.Handle());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  Win32Check(AlphaBlend(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src.Get(), 0, 0,
                        FImage.Width, FImage.Height, blend),
             "AlphaBlend");
}

void TWICImage::LoadFromStream(TStream& Stream) {
  const int64_t size = Stream.Remaining();
  if (size <= 0) throw EInvalidGraphic("Cannot decode the image: the file is empty");
  if (size > MaxGraphicFileBytes) throw EInvalidGraphic("Cannot decode the image: the file is too large");
  std::vector<uint8_t> data(static_cast<size_t>(size));
  Stream.ReadBuffer(data.data(), size);
  TWICPixels image;
  DecodeWICImage(data.data(), data.size(), image);
  if (image.Pixels.size() != size_t(image.Width) * size_t(image.Height))
    throw EInvalidGraphic("Cannot decode the image: the codec returned a wrong pixel count");
  FData = std::move(data);
  FImage = std::move(image);
  Changed();
}

void TWICImage::SaveToStream(TStream& Stream) const {
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), int64_t(FData.size()));
}

void TWICImage::Assign(TPersistent* Source) {
  if (const auto* src = dynamic_cast<const TWICImage*>(Source)) {
    if (src == this) return;
    FData = src->FData;
    FImage = src->FImage;
    FTransparent = src->FTransparent;
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

std::unique_ptr<TGraphic> TWICImage::Clone() const {
  auto copy = std::make_unique<TWICImage>();
  copy->Assign(const_cast<TWICImage*>(this));
  return copy;
}

// ---- TPicture ----------------------------------------------------------------------

TPicture::~TPicture() = default;

void TPicture::SetGraphic(const TGraphic* Value) {
  FGraphic = Value ? Value->Clone() : nullptr;
  Changed();
}

TBitmap& TPicture::Bitmap() {
  auto* bitmap = dynamic_cast<TBitmap*>(FGraphic.get());
  if (!bitmap) {
    auto fresh = std::make_unique<TBitmap>();
    bitmap = fresh.get();
    FGraphic = std::move(fresh);
    Changed();
  }
  return *bitmap;
}

void TPicture::LoadFromFile(const std::filesystem::path& FileName) {
  TFileStream stream(FileName, TFileMode::fmOpenRead);
  LoadFromStream(stream);
}

void TPicture::LoadFromStream(TStream& Stream) {
  const int64_t start = Stream.Position();
  uint8_t sig[8] = {};
  const int64_t got = Stream.Read(sig, sizeof sig);
  Stream.SetPosition(start);
  auto is = [&](const char* Text, int64_t Count) { return got >= Count && std::memcmp(sig, Text, Count) == 0; };
  std::unique_ptr<TGraphic> graphic;
  if (is("BM", 2))
    graphic = std::make_unique<TBitmap>();
  else if (is("\x89PNG\r\n\x1A\n", 8) || is("\xFF\xD8\xFF", 3) || is("GIF87a", 6) || is("GIF89a", 6) ||
           is("II*\0", 4) || is("MM\0*", 4))
    graphic = std::make_unique<TWICImage>();
  else
    throw EInvalidGraphic("Unknown picture format");
  graphic->LoadFromStream(Stream);
  FGraphic = std::move(graphic);
  Changed();
}

void TPicture::SaveToFile(const std::filesystem::path& FileName) const {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    FGraphic.reset();
    Changed();
  } else if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    if (picture != this) SetGraphic(picture->Graphic());
  } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    if (graphic != FGraphic.get()) SetGraphic(graphic);
  } else {
    TPersistent::Assign(Source);
  }
}

// ---- TCanvas drawing of graphics ---------------------------------------------------

void TCanvas::Draw(int X, int Y, TGraphic& Graphic) {
  if (Graphic.Empty()) return;
  StretchDraw(TRect{X, Y, X + Graphic.Width(), Y + Graphic.Height()}, Graphic);
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic& Graphic) {
  if (Graphic.Empty()) return;
  Changing();
  RequiredState(0);
  Graphic.Draw(*this, Rect);
  Changed();
}
