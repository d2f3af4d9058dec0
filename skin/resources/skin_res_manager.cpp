#include "skin/resources/skin_res_manager.h"

#include "toolkit/core/scope.h"

#include <cmath>
#include <cstring>
#include <system_error>

#include "gfx/resamplers.h"
#include "gfx/transforms.h"
#include "skin/resources/component_text.h"
#include "skin/resources/png_chunks.h"

// ---- DPI -----------------------------------------------------------------------

bool DPIScalingEnabled = false;

namespace {

TPixelsPerInchFunc& PixelsPerInchProvider() {
  static TPixelsPerInchFunc provider;
  return provider;
}

int PixelsPerInch(TObject* Control, bool ScreenWhenNil) {
  const auto& provider = PixelsPerInchProvider();
  const int ppi = provider ? provider(Control, ScreenWhenNil) : 96;
  return ppi > 0 ? ppi : 96;
}

// Rounding multiply-divide: halves away from zero.
int32_t MulDivRound(int32_t N, int32_t Num, int32_t Den) {
  const int64_t p = int64_t(N) * Num;
  const int64_t q = p >= 0 ? (p + Den / 2) / Den : -((-p + Den / 2) / Den);
  return int32_t(q);
}

std::wstring DPISuffixOfLevel(int Level) {
  switch (Level) {
    case 1: return L"@DPI150";
    case 2: return L"@DPI200";
    case 3: return L"@DPI300";
    default: return {};
  }
}

int DPILevelOf(double Scale) {
  if (!(Scale > 1.0)) return 0;
  const double p = std::round(Scale * 100.0);
  if (p < 200) return 1;
  if (p < 300) return 2;
  return 3;
}

bool IsBlank(wchar_t C) { return C <= L' '; }

std::wstring NormalisedResID(const std::wstring& S) {
  size_t b = 0, e = S.size();
  while (b < e && IsBlank(S[b])) ++b;
  while (e > b && IsBlank(S[e - 1])) --e;
  std::wstring r = S.substr(b, e - b);
  for (auto& c : r)
    if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
  return r;
}

std::wstring UpperAscii(std::wstring S) {
  for (auto& c : S)
    if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
  return S;
}

std::wstring PathToWide(const std::filesystem::path& P) {
  const std::u8string u8 = P.u8string();
  return Utf8ToWide(std::string(u8.begin(), u8.end()));
}

bool FileExists(const std::filesystem::path& P) {
  std::error_code ec;
  return std::filesystem::is_regular_file(P, ec);
}

bool HasPngExtension(const std::filesystem::path& P) { return UpperAscii(PathToWide(P.extension())) == L".PNG"; }

int IndexInList(const TVelSkinImageList* List, const std::wstring& ResID) {
  if (!List) return -1;
  const std::wstring key = NormalisedResID(ResID);
  const auto* items = List->Bitmaps();
  for (int i = 0; i < items->Count(); ++i)
    if (NormalisedResID(items->Items(i)->ResID()) == key) return i;
  return -1;
}

// Appends an item holding a copy of Image; the item is removed again when copying fails.
int AppendItem(TVelSkinImageList* List, const TCustomBitmap32* Image, const std::wstring& ResID,
               const std::wstring& Description) {
  TVelSkinBitmapItem* item = List->Bitmaps()->Add();
  TScopeExit discard([item] { delete item; });
  item->SetResID(ResID);
  item->SetDescription(Description);
  if (Image) item->SetBitmap(Image);
  discard.Dismiss();
  return item->Index();
}

uint32_t LittleEndianAt(const std::vector<uint8_t>& Bytes, size_t Offset, int Count) {
  uint32_t v = 0;
  for (int i = Count - 1; i >= 0; --i) v = (v << 8) | Bytes[Offset + size_t(i)];
  return v;
}

[[noreturn]] void InvalidBmp(const char* Why) { throw EImageDecodeError(std::string("Invalid bitmap file: ") + Why); }

// Checks the size a BMP states before anything decodes it. The information
// header's first field (at byte 14) tells its kind: the 12-byte core header
// holds 16-bit unsigned sizes, the 40- to 124-byte ones 32-bit signed sizes,
// where a negative height means rows stored top-down.
void CheckBmpHeader(const std::vector<uint8_t>& Bytes) {
  constexpr size_t FileHeaderBytes = 14;
  if (Bytes.size() < FileHeaderBytes + 4) InvalidBmp("the information header is truncated");
  const uint32_t headerBytes = LittleEndianAt(Bytes, FileHeaderBytes, 4);
  const bool core = headerBytes == 12;
  if (!core && headerBytes != 40 && headerBytes != 52 && headerBytes != 56 && headerBytes != 108 &&
      headerBytes != 124)
    InvalidBmp("unknown information header");
  if (Bytes.size() < FileHeaderBytes + headerBytes) InvalidBmp("the information header is truncated");
  const size_t sizes = FileHeaderBytes + 4;
  if (core) {
    CheckImageSize(LittleEndianAt(Bytes, sizes, 2), LittleEndianAt(Bytes, sizes + 2, 2));
  } else {
    const int64_t w = int32_t(LittleEndianAt(Bytes, sizes, 4));
    const int64_t h = int32_t(LittleEndianAt(Bytes, sizes + 4, 4));
    CheckImageSize(w, h < 0 ? -h : h);
  }
}

// The fourth byte of a 32-bit BMP pixel is mostly reserved and left 0. An
// image whose alpha is 0 everywhere is therefore taken as opaque; as soon as
// one pixel has some alpha, the channel is kept as it is.
void OpaqueWhenAlphaUnused(TCustomBitmap32& Image) {
  if (Image.Empty()) return;
  const TColor32* p = Image.Bits();
  for (size_t i = 0, n = size_t(Image.Width()) * size_t(Image.Height()); i < n; ++i)
    if (AlphaOf(p[i]) != 0) return;
  Image.ResetAlpha();
}

// Copies pixels (and, for a PNG, the draw mode that says whether it is
// transparent) of a freshly loaded image into an existing bitmap.
void TakeLoadedImage(const TVelSkinImage& Loaded, bool IsPng, TCustomBitmap32& Target) {
  {
    TUpdateScope update(Target);
    Target.SetSize(Loaded.Width(), Loaded.Height());
    if (!Target.Empty())
      std::memcpy(Target.Bits(), Loaded.Bits(), size_t(Loaded.Width()) * size_t(Loaded.Height()) * 4);
    if (IsPng) Target.SetDrawMode(Loaded.DrawMode());
  }
  Target.Changed();
}

}  // namespace

void SetPixelsPerInchProvider(TPixelsPerInchFunc Provider) { PixelsPerInchProvider() = std::move(Provider); }

double CurrentDPIScale(TObject* Control) {
  if (!DPIScalingEnabled) return 1.0;
  return PixelsPerInch(Control, false) / 96.0;
}

int32_t ScaleByDPI(TObject* Component, int32_t N) {
  if (!DPIScalingEnabled) return N;
  return MulDivRound(N, PixelsPerInch(Component, true), 96);
}

std::wstring DPISuffixOf(double Scale) { return DPISuffixOfLevel(DPILevelOf(Scale)); }

std::wstring BaseResID(const std::wstring& ResID) {
  const size_t p = ResID.find(L"@DPI");
  return p == std::wstring::npos ? ResID : ResID.substr(0, p);
}

bool SameResID(const std::wstring& A, const std::wstring& B) { return NormalisedResID(A) == NormalisedResID(B); }

void ScaleSkinImage(TCustomBitmap32* Src, TCustomBitmap32* Dst, double Scale) {
  if (!Src || !Dst) return;
  // The resampler is set on a private copy so that the shared source keeps its own.
  TVelSkinImage source;
  source.Assign(Src);
  CreateResampler<TLinearResampler>(source).SetPixelAccessMode(pamTransparentEdge);

  TAffineTransformation t;
  t.SetSrcRect(FloatRect(source.BoundsRect()));
  t.Scale(TFloat(Scale));
  const TRect bounds = MakeRect(t.GetTransformedBounds(), rrClosest);
  CheckImageSize(bounds.Width(), bounds.Height());
  {
    TUpdateScope update(*Dst);
    Dst->SetDrawMode(dmBlend);
    Dst->SetSize(bounds.Width(), bounds.Height());
    Dst->Clear(0);
    for (int pass = 0; pass < 8; ++pass) Transform(Dst, &source, &t);
  }
  Dst->Changed();
}

// ---- Files ---------------------------------------------------------------------

std::filesystem::path ResPath(const std::wstring& Name) {
  const std::string u8 = WideToUtf8(Name);
  return std::filesystem::path(std::u8string(u8.begin(), u8.end()));
}

std::vector<uint8_t> ReadImageFileBytes(const std::filesystem::path& FileName) {
  TFileStream stream(FileName, TFileMode::fmOpenRead);
  const int64_t size = stream.Size();
  if (size < 0 || size > MaxImageFileBytes)
    throw EImageDecodeError("Image file is too large: " + WideToUtf8(PathToWide(FileName)));
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (size > 0) stream.ReadBuffer(bytes.data(), size);
  return bytes;
}

// ---- TVelSkinResManager --------------------------------------------------------

TVelSkinResManager::TVelSkinResManager(TVelSkinImageList* MainList, std::unique_ptr<TImageDecoder> Decoder)
    : FImageList(MainList),
      FRunTimeImageList(std::make_unique<TVelSkinImageList>(nullptr)),
      FDecoder(Decoder ? std::move(Decoder) : CreatePlatformImageDecoder()),
      FProgramFolder(PlatformProgramFolder()) {
  if (!FImageList) {
    FOwnedMainList = std::make_unique<TVelSkinImageList>(nullptr);
    FImageList = FOwnedMainList.get();
  }
}

TVelSkinResManager::~TVelSkinResManager() = default;

TVelSkinImage* TVelSkinResManager::MainImage(int Index) const {
  return dynamic_cast<TVelSkinImage*>(FImageList->Bitmap(Index));
}

TVelSkinImage* TVelSkinResManager::CachedImage(int Index) const {
  return dynamic_cast<TVelSkinImage*>(FRunTimeImageList->Bitmap(Index));
}

int TVelSkinResManager::IndexOfRes(const std::wstring& ResID) const { return IndexInList(FImageList, ResID); }

int TVelSkinResManager::IndexOfFileName_RunTime(const std::wstring& FileName) const {
  return IndexInList(FRunTimeImageList.get(), FileName);
}

TVelSkinImage* TVelSkinResManager::GetImageByName(const std::wstring& ResID, bool UseDPIImage) {
  if (NormalisedResID(ResID).empty()) return nullptr;
  TVelSkinImage* result = nullptr;
  if (FileExists(ResPath(ResID))) {
    result = GetImageByFileName(ResID);
  } else {
    int index;
    if (DPIScalingEnabled && UseDPIImage) {
      index = GetResIDByDPIScale(ResID);
      if (index == -1) index = IndexOfRes(ResID);
    } else {
      index = IndexOfRes(ResID);
    }
    if (index >= 0) {
      result = MainImage(index);
    } else if (!FProgramFolder.empty()) {
      const std::filesystem::path beside = FProgramFolder / ResPath(ResID);
      if (FileExists(beside)) result = GetImageByFileName(PathToWide(beside));
    }
  }
  if (FOnGetImage) FOnGetImage(this, ResID, result);
  return result;
}

TVelSkinImage* TVelSkinResManager::GetImageByFileName(const std::wstring& FileName) {
  const double scale = CurrentDPIScale(nullptr);
  const bool scaled = DPIScalingEnabled && scale > 1.0;
  const std::wstring key = DPIScalingEnabled ? BaseResID(FileName) + DPISuffixOf(scale) : FileName;
  int index = IndexOfFileName_RunTime(key);
  if (index < 0) {
    TVelSkinImage loaded;
    LoadImageFile(ResPath(FileName), loaded);
    if (scaled) {
      TVelSkinImage resized;
      ScaleSkinImage(&loaded, &resized, scale);
      index = AppendItem(FRunTimeImageList.get(), &resized, key, L"");
    } else {
      index = AppendItem(FRunTimeImageList.get(), &loaded, FileName, L"");
    }
  }
  TVelSkinImage* result = CachedImage(index);
  if (FOnGetImage) FOnGetImage(this, FRunTimeImageList->Bitmaps()->Items(index)->ResID(), result);
  return result;
}

int TVelSkinResManager::GetResIDByDPIScale(const std::wstring& SourceResID) {
  const double scale = CurrentDPIScale(nullptr);
  if (!(scale > 1.0)) return -1;
  const std::wstring target = BaseResID(SourceResID) + DPISuffixOf(scale);
  int index = IndexOfRes(target);
  if (index >= 0) return index;
  for (int level = DPILevelOf(scale); level >= 0; --level) {
    index = IndexOfRes(SourceResID + DPISuffixOfLevel(level));
    if (index < 0) continue;
    TVelSkinImage resized;
    ScaleSkinImage(FImageList->Bitmap(index), &resized, scale);
    return AddRes(&resized, target, L"AutoAdd");
  }
  return -1;
}

void TVelSkinResManager::LoadImageFile(const std::filesystem::path& FileName, TVelSkinImage& Image) {
  const std::vector<uint8_t> bytes = ReadImageFileBytes(FileName);
  if (HasPngExtension(FileName))
    LoadPng(bytes, Image);
  else
    LoadGeneric(bytes, Image);
}

void TVelSkinResManager::LoadPng(const std::vector<uint8_t>& Bytes, TVelSkinImage& Image) {
  // The chunk headers are checked (and the size capped) before the codec runs.
  const TPngChunkInfo info = ScanPngChunks(Bytes.data(), Bytes.size());
  CheckImageSize(info.Width, info.Height);
  TDecodedImage decoded;
  FDecoder->Decode(Bytes.data(), Bytes.size(), decoded);
  if (decoded.Width != int64_t(info.Width) || decoded.Height != int64_t(info.Height) ||
      decoded.Pixels.size() != size_t(info.Width) * info.Height)
    throw EImageDecodeError("Invalid PNG file: decoded size does not match its header");

  const TPngTransparency mode = PngTransparencyOf(info);
  const uint32_t key = mode == ptSingleColor ? PngTransparentColor(info) : 0;
  {
    TUpdateScope update(Image);
    Image.SetSize(decoded.Width, decoded.Height);
    TColor32* dst = Image.Bits();
    const size_t n = decoded.Pixels.size();
    for (size_t i = 0; i < n; ++i) {
      const TColor32 p = decoded.Pixels[i];
      const TColor32 opaque = p | 0xFF000000u;
      switch (mode) {
        case ptNone: dst[i] = opaque; break;
        // A codec that applies the key itself leaves alpha 0 on those pixels.
        case ptSingleColor: dst[i] = (opaque == key || AlphaOf(p) == 0) ? (p & 0x00FFFFFFu) : opaque; break;
        case ptAlphaChannel:
        case ptPaletteAlpha: dst[i] = p; break;
      }
    }
    Image.SetDrawMode(mode == ptNone ? dmOpaque : dmBlend);
  }
  Image.Changed();
}

void TVelSkinResManager::LoadGeneric(const std::vector<uint8_t>& Bytes, TVelSkinImage& Image) {
  if (Bytes.size() >= 2 && Bytes[0] == 'B' && Bytes[1] == 'M') {
    CheckBmpHeader(Bytes);
    TReadOnlyMemoryStream stream(Bytes.data(), int64_t(Bytes.size()));
    Image.LoadFromStream(stream);
    OpaqueWhenAlphaUnused(Image);
    return;
  }
  TDecodedImage decoded;
  FDecoder->Decode(Bytes.data(), Bytes.size(), decoded);
  CheckImageSize(decoded.Width, decoded.Height);
  if (decoded.Pixels.size() != size_t(decoded.Width) * size_t(decoded.Height))
    throw EImageDecodeError("Cannot decode the image: the codec returned a wrong pixel count");
  {
    TUpdateScope update(Image);
    Image.SetSize(decoded.Width, decoded.Height);
    TColor32* dst = Image.Bits();
    // Any other picture is laid over white and made opaque.
    for (size_t i = 0; i < decoded.Pixels.size(); ++i) {
      dst[i] = BlendPixel(decoded.Pixels[i], 0xFFFFFFFFu) | 0xFF000000u;
    }
    FinishBlending();
  }
  Image.Changed();
}

int TVelSkinResManager::AddRes(const TCustomBitmap32* Image, const std::wstring& ResID,
                               const std::wstring& Description) {
  const int index = AppendItem(FImageList, Image, ResID, Description);
  Changed();
  return index;
}

int TVelSkinResManager::AddRes(const std::filesystem::path& ImageFileName, const std::wstring& ResID,
                               const std::wstring& Description) {
  TVelSkinImage loaded;
  LoadImageFile(ImageFileName, loaded);
  std::wstring id = ResID;
  if (id.empty()) {
    id = PathToWide(ImageFileName.filename());
    const std::wstring ext = PathToWide(ImageFileName.extension());
    if (!ext.empty()) {
      const size_t p = id.find(ext);
      if (p != std::wstring::npos) id.erase(p, ext.size());
    }
  }
  return AddRes(&loaded, id, Description);
}

int TVelSkinResManager::ReplaceRes(const std::wstring& DestResID, const TCustomBitmap32* Image) {
  const int index = IndexOfRes(DestResID);
  if (index >= 0) {
    FImageList->SetBitmap(index, Image);
    Changed();
  }
  return 0;
}

int TVelSkinResManager::ReplaceRes(const std::wstring& DestResID, const std::filesystem::path& ImageFileName,
                                   const std::wstring& NewDescription, const std::wstring& NewResID) {
  const int index = IndexOfRes(DestResID);
  if (index < 0) return -1;
  // Loaded aside first, so that a bad file leaves the item as it was.
  TVelSkinImage loaded;
  LoadImageFile(ImageFileName, loaded);
  TakeLoadedImage(loaded, HasPngExtension(ImageFileName), *FImageList->Bitmap(index));
  Changed();
  return index;
}

void TVelSkinResManager::Delete(const std::wstring& ResID) {
  int index = IndexOfRes(ResID);
  if (index >= 0) {
    FImageList->Bitmaps()->Delete(index);
    Changed();
    return;
  }
  index = IndexOfFileName_RunTime(ResID);
  if (index >= 0) FRunTimeImageList->Bitmaps()->Delete(index);
}

void TVelSkinResManager::BackupImageByID(const std::wstring& ResID) {
  TVelSkinImage* image = GetImageByName(ResID, false);
  if (!image) return;
  const std::wstring key = ResID + L"_$Bak$";
  if (IndexOfRes(key) < 0)
    AddRes(image, key, L"");
  else
    ReplaceRes(key, image);
}

void TVelSkinResManager::RestoreImageByID(const std::wstring& ResID, bool UseDPIImage) {
  TVelSkinImage* image = GetImageByName(ResID, UseDPIImage);
  const std::wstring key = ResID + L"_$Bak$";
  if (!image || IndexOfRes(key) < 0) return;
  TVelSkinImage* backup = GetImageByName(key, UseDPIImage);
  if (!backup) return;
  ReplaceRes(ResID, backup);
  if (image != backup) image->Assign(backup);
}

TVelSkinImage* TVelSkinResManager::MakeGrayscaleImageByID(const std::wstring& ResID, bool UseDPIImage) {
  TVelSkinImage* image = GetImageByName(ResID, UseDPIImage);
  if (!image) return nullptr;
  const std::wstring key = ResID + L"_$Bak$";
  const int backupIndex = IndexOfRes(key);
  if (backupIndex < 0) {
    BackupImageByID(ResID);
  } else {
    // Start again from the unaltered colours, also when the image is not the
    // main-list item (a file image or a DPI variant).
    TVelSkinImage* backup = MainImage(backupIndex);
    ReplaceRes(ResID, backup);
    if (backup && image != backup && image->Width() == backup->Width() && image->Height() == backup->Height())
      std::memcpy(image->Bits(), backup->Bits(), size_t(image->Width()) * size_t(image->Height()) * 4);
  }
  const size_t n = size_t(image->Width()) * size_t(image->Height());
  TColor32* p = image->Bits();
  for (size_t i = 0; i < n; ++i) p[i] = MakeGray32(IntensityOf(p[i]), AlphaOf(p[i]));
  image->Changed();
  return image;
}

void TVelSkinResManager::BeginUpdate() { FImageList->Bitmaps()->BeginUpdate(); }
void TVelSkinResManager::EndUpdate() { FImageList->Bitmaps()->EndUpdate(); }

void TVelSkinResManager::SetImageList(TVelSkinImageList* Value) {
  if (Value && Value != FImageList) FImageList->SetBitmaps(Value->Bitmaps());
}

void TVelSkinResManager::AttachImageList(TVelSkinImageList* List) {
  if (List) {
    FImageList = List;
    FOwnedMainList.reset();
  } else if (!FOwnedMainList) {
    FOwnedMainList = std::make_unique<TVelSkinImageList>(nullptr);
    FImageList = FOwnedMainList.get();
  }
}

namespace {

// Writes List's stored form to FileName in the text form. The text is built
// in memory first; a file that could not be written whole is removed, so that
// a later Refresh does not read a truncated one.
void WriteDesignTimeRes(const std::filesystem::path& FileName, const TVelSkinImageList& List) {
  TMemoryStream binary;
  WriteSkinResModule(binary, List);
  binary.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(binary, text);
  try {
    TFileStream out(FileName, TFileMode::fmCreate);
    out.WriteBuffer(text.Bytes().data(), int64_t(text.Bytes().size()));
  } catch (const EStreamError&) {
    std::error_code ec;
    std::filesystem::remove(FileName, ec);
  }
}

// Makes Target hold Source's items. Items at the same position are assigned in
// place (their bitmap objects survive), so images that controls already hold
// stay valid; only surplus items at the end are freed.
void UpdateItemsInPlace(TVelSkinBitmapCollection& Target, const TVelSkinBitmapCollection& Source) {
  {
    TUpdateScope update(Target);
    for (int i = 0; i < Source.Count(); ++i) {
      TVelSkinBitmapItem* item = i < Target.Count() ? Target.Items(i) : Target.Add();
      item->Assign(Source.Items(i));
    }
    while (Target.Count() > Source.Count()) Target.Delete(Target.Count() - 1);
  }
}

}  // namespace

void TVelSkinResManager::Refresh(const std::wstring& RunTimeResFileName) {
  std::filesystem::path file;
  if (!RunTimeResFileName.empty()) {
    file = ResPath(RunTimeResFileName);
  } else {
    // Joining adds the path delimiter the folder may lack; without a folder
    // the name is used alone.
    const std::wstring folder = ReadDesignTimeResFolder();
    const std::filesystem::path name = ResPath(L"VelSkinDesignTimeRes.tmp");
    file = folder.empty() ? name : ResPath(folder) / name;
  }
  if (!FileExists(file)) WriteDesignTimeRes(file, *FImageList);
  if (!FileExists(file)) throw EFOpenError("Not found VelSkinDesignTimeRes.tmp file!");

  // The whole file is converted and read into a module of its own before the
  // main list is touched, so that a malformed file leaves the list as it was.
  TMemoryStream binary;
  {
    TFileStream in(file, TFileMode::fmOpenRead);
    ObjectTextToBinary(in, binary);
  }
  binary.SetPosition(0);
  TVelSkinResDM module(nullptr, binary);
  UpdateItemsInPlace(*FImageList->Bitmaps(), *module.VelSkinImageListMain()->Bitmaps());
  Changed();
}

// ---- Process-wide instances ----------------------------------------------------

namespace {

struct TGlobals {
  std::unique_ptr<TVelSkinResDM> Module;
  bool ModuleTried = false;
  // Declared after the module so that it is freed first.
  std::unique_ptr<TVelSkinResManager> Manager;
};

TGlobals& Globals() {
  static TGlobals globals;
  return globals;
}

std::unique_ptr<TVelSkinResDM> CreateModule() {
  try {
    auto module = std::make_unique<TVelSkinResDM>(nullptr);
    module->SetName(L"VelSkinResDM");
    return module;
  } catch (const EResNotFound&) {
    return nullptr;  // a program without built-in images
  }
}

}  // namespace

TVelSkinResDM* SkinResModule() {
  auto& g = Globals();
  if (!g.ModuleTried) {
    g.ModuleTried = true;
    g.Module = CreateModule();
  }
  return g.Module.get();
}

TVelSkinResManager* SkinResManager() {
  auto& g = Globals();
  if (!g.Manager) {
    TVelSkinResDM* module = SkinResModule();
    g.Manager = std::make_unique<TVelSkinResManager>(module ? module->VelSkinImageListMain() : nullptr);
  }
  return g.Manager.get();
}

void TVelSkinResManager::Reload() {
  auto& g = Globals();
  auto fresh = CreateModule();
  AttachImageList(fresh ? fresh->VelSkinImageListMain() : nullptr);
  g.Module = std::move(fresh);
  g.ModuleTried = true;
}

TVelSkinImage* SkinImageOrNone(const std::wstring& ResID, bool UseDPIImage) {
  try {
    return SkinResManager()->GetImageByName(ResID, UseDPIImage);
  } catch (const EReadError&) {
    return nullptr;
  }
}
