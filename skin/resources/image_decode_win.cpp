// The Windows codec: WIC decodes PNG, BMP, JPEG and GIF files from memory into
// 32-bit BGRA with straight alpha.
#include "skin/resources/image_decode.h"

#include <windows.h>
#include <wincodec.h>

#include <string>

namespace {

// Owns one COM interface pointer.
template <class I> class TComPtr {
public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  I* operator->() const { return FPtr; }
  I* Get() const { return FPtr; }
  I** Put() {
    Reset();
    return &FPtr;
  }
  void Reset() {
    if (FPtr) FPtr->Release();
    FPtr = nullptr;
  }

private:
  I* FPtr = nullptr;
};

void Check(HRESULT Hr, const char* Call) {
  if (FAILED(Hr)) {
    char code[16];
    wsprintfA(code, "0x%08lX", static_cast<unsigned long>(Hr));
    throw EImageDecodeError(std::string("Cannot decode the image: ") + Call + " failed (" + code + ")");
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

class TWicImageDecoder : public TImageDecoder {
public:
  void Decode(const uint8_t* Data, size_t Size, TDecodedImage& Out) override {
    if (!Data || Size == 0) throw EImageDecodeError("Cannot decode the image: the file is empty");
    if (Size > size_t(MaxImageFileBytes) || Size > 0xFFFFFFFFu)
      throw EImageDecodeError("Cannot decode the image: the file is too large");
    TComScope com;
    TComPtr<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(factory.Put())),
          "CoCreateInstance(WICImagingFactory)");
    TComPtr<IWICStream> stream;
    Check(factory->CreateStream(stream.Put()), "IWICImagingFactory::CreateStream");
    Check(stream->InitializeFromMemory(const_cast<BYTE*>(Data), DWORD(Size)), "IWICStream::InitializeFromMemory");
    TComPtr<IWICBitmapDecoder> decoder;
    Check(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put()),
          "IWICImagingFactory::CreateDecoderFromStream");
    TComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.Put()), "IWICBitmapDecoder::GetFrame");
    UINT w = 0, h = 0;
    Check(frame->GetSize(&w, &h), "IWICBitmapFrameDecode::GetSize");
    // The size is checked before any pixel memory is allocated.
    CheckImageSize(w, h);
    TComPtr<IWICFormatConverter> converter;
    Check(factory->CreateFormatConverter(converter.Put()), "IWICImagingFactory::CreateFormatConverter");
    Check(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom),
          "IWICFormatConverter::Initialize");
    Out.Width = int32_t(w);
    Out.Height = int32_t(h);
    Out.Pixels.assign(size_t(w) * size_t(h), 0);
    const UINT stride = w * 4;
    Check(converter->CopyPixels(nullptr, stride, UINT(Out.Pixels.size() * 4), reinterpret_cast<BYTE*>(Out.Pixels.data())),
          "IWICBitmapSource::CopyPixels");
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
