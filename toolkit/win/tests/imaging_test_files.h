// Image files the imaging tests write themselves: BMPs of every kind byte by
// byte, and PNGs through WIC's encoder.
#pragma once

#include "toolkit/win/winapi.h"

#include <wincodec.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/core/streams.h"

namespace imaging_test {

inline void Put16(std::vector<uint8_t>& B, uint32_t V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}
inline void Put32(std::vector<uint8_t>& B, uint32_t V) {
  Put16(B, V & 0xFFFF);
  Put16(B, V >> 16);
}

// A BMP: file header, a 40-byte (or larger) information header, optional
// masks and colour table, then Bits as given (rows already padded).
struct TBmpSpec {
  int32_t Width = 1;
  int32_t Height = 1;
  uint16_t BitCount = 24;
  uint32_t Compression = 0;
  uint32_t ClrUsed = 0;
  uint32_t HeaderSize = 40;
  std::vector<uint32_t> Masks;    // written after a 40-byte header, or inside a larger one
  std::vector<uint32_t> Palette;  // 0x00RRGGBB entries
  std::vector<uint8_t> Bits;
  int64_t OffBitsDelta = 0;  // added to the true pixel offset, to make lying files
};

inline std::vector<uint8_t> MakeBmp(const TBmpSpec& S) {
  std::vector<uint8_t> info;
  Put32(info, S.HeaderSize);
  Put32(info, uint32_t(S.Width));
  Put32(info, uint32_t(S.Height));
  Put16(info, 1);
  Put16(info, S.BitCount);
  Put32(info, S.Compression);
  Put32(info, uint32_t(S.Bits.size()));
  Put32(info, 2835);
  Put32(info, 2835);
  Put32(info, S.ClrUsed);
  Put32(info, 0);
  if (S.HeaderSize > 40) {
    for (size_t i = 0; i < 4; ++i) Put32(info, i < S.Masks.size() ? S.Masks[i] : 0);
    info.resize(S.HeaderSize, 0);
    if (S.HeaderSize >= 108) std::memcpy(info.data() + 56, "BGRs", 4);  // LCS_sRGB
  } else {
    for (uint32_t m : S.Masks) Put32(info, m);
  }
  for (uint32_t c : S.Palette) Put32(info, c);
  std::vector<uint8_t> file{'B', 'M'};
  Put32(file, uint32_t(14 + info.size() + S.Bits.size()));
  Put32(file, 0);
  Put32(file, uint32_t(int64_t(14 + info.size()) + S.OffBitsDelta));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), S.Bits.begin(), S.Bits.end());
  return file;
}

inline void SaveBytes(const std::filesystem::path& Name, const std::vector<uint8_t>& Bytes) {
  TFileStream f(Name, TFileMode::fmCreate);
  if (!Bytes.empty()) f.WriteBuffer(Bytes.data(), int64_t(Bytes.size()));
}

// The bytes of a PNG of Width x Height straight-alpha BGRA pixels, encoded by WIC.
inline std::vector<uint8_t> MakePng(int Width, int Height, const std::vector<uint32_t>& Pixels) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::vector<uint8_t> out;
  IWICImagingFactory* factory = nullptr;
  IStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  auto check = [](HRESULT Hr, const char* What) {
    if (FAILED(Hr)) throw std::runtime_error(std::string("PNG encoding failed at ") + What);
  };
  try {
    check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(&factory)),
          "factory");
    check(CreateStreamOnHGlobal(nullptr, TRUE, &stream), "stream");
    check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder), "encoder");
    check(encoder->Initialize(stream, WICBitmapEncoderNoCache), "Initialize");
    check(encoder->CreateNewFrame(&frame, nullptr), "CreateNewFrame");
    check(frame->Initialize(nullptr), "frame Initialize");
    check(frame->SetSize(UINT(Width), UINT(Height)), "SetSize");
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    check(frame->SetPixelFormat(&format), "SetPixelFormat");
    check(frame->WritePixels(UINT(Height), UINT(Width) * 4, UINT(Pixels.size() * 4),
                             reinterpret_cast<BYTE*>(const_cast<uint32_t*>(Pixels.data()))),
          "WritePixels");
    check(frame->Commit(), "frame Commit");
    check(encoder->Commit(), "Commit");
    STATSTG stat{};
    check(stream->Stat(&stat, STATFLAG_NONAME), "Stat");
    out.resize(size_t(stat.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    check(stream->Seek(zero, STREAM_SEEK_SET, nullptr), "Seek");
    ULONG read = 0;
    check(stream->Read(out.data(), ULONG(out.size()), &read), "Read");
    out.resize(read);
  } catch (...) {
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    throw;
  }
  frame->Release();
  encoder->Release();
  stream->Release();
  factory->Release();
  if (SUCCEEDED(init)) CoUninitialize();
  return out;
}

// A fresh scratch file name in the temporary folder.
inline std::filesystem::path ScratchFile(const std::string& Name) {
  return std::filesystem::temp_directory_path() / ("quorrel_imaging_" + std::to_string(GetCurrentProcessId()) + "_" + Name);
}

}  // namespace imaging_test
