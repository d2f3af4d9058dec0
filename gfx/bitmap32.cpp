#include "gfx/bitmap32.h"

#include <cassert>
#include <cstring>
#include <new>
#include <typeinfo>

#include "gfx/resamplers.h"

// ---- TPlainInterfacedPersistent --------------------------------------------

TPlainInterfacedPersistent::~TPlainInterfacedPersistent() {
  // A counted object is only ever destroyed by its last _Release; anything
  // else leaves dangling references ("Unmatched reference counting.").
  assert(!FRefCounted || FRefCount == 0);
}

int32_t TPlainInterfacedPersistent::_AddRef() {
  if (!FRefCounted) return -1;
  return ++FRefCount;
}

int32_t TPlainInterfacedPersistent::_Release() {
  if (!FRefCounted) return -1;
  const int32_t count = --FRefCount;
  if (count == 0) delete this;
  return count;
}

// ---- TNotifiablePersistent -------------------------------------------------

void TNotifiablePersistent::Changed() {
  if (FUpdateCount == 0 && FOnChange) FOnChange(this);
}

void TNotifiablePersistent::BeginUpdate() { ++FUpdateCount; }

void TNotifiablePersistent::EndUpdate() {
  if (FUpdateCount <= 0) throw EInvalidOperation("Unpaired TThreadPersistent.EndUpdate");
  --FUpdateCount;
}

// ---- TThreadPersistent -----------------------------------------------------

void TThreadPersistent::Lock() {
  ++FLockCount;
  FLock.lock();
}

void TThreadPersistent::Unlock() {
  FLock.unlock();
  --FLockCount;
}

// ---- TCustomMap ------------------------------------------------------------

void TCustomMap::SetHeight(int32_t NewHeight) { SetSize(FWidth, NewHeight); }
void TCustomMap::SetWidth(int32_t NewWidth) { SetSize(NewWidth, FHeight); }
void TCustomMap::Delete() { SetSize(0, 0); }
bool TCustomMap::Empty() const { return FWidth == 0 || FHeight == 0; }

void TCustomMap::Resized() {
  if (FOnResize) FOnResize(this);
}

void TCustomMap::ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight) {
  Width = NewWidth;
  Height = NewHeight;
}

bool TCustomMap::SetSize(int32_t NewWidth, int32_t NewHeight) {
  if (NewWidth < 0) NewWidth = 0;
  if (NewHeight < 0) NewHeight = 0;
  if (NewWidth == FWidth && NewHeight == FHeight) return false;
  ChangeSize(FWidth, FHeight, NewWidth, NewHeight);
  Changed();
  Resized();
  return true;
}

void TCustomMap::SetSizeFrom(TPersistent* Source) {
  if (!Source) {
    SetSize(0, 0);
  } else if (auto* map = dynamic_cast<TCustomMap*>(Source)) {
    SetSize(map->Width(), map->Height());
  } else {
    const auto* named = dynamic_cast<TPlainInterfacedPersistent*>(Source);
    throw EBitmapException("Can't set size from '" +
                           (named ? named->ClassName() : std::string(typeid(*Source).name())) + "'");
  }
}

// ---- Backends --------------------------------------------------------------

TCustomBackend::TCustomBackend(TCustomBitmap32* Owner) : FOwner(Owner) { FRefCounted = true; }

TCustomBackend::~TCustomBackend() = default;

void TCustomBackend::Changing() {
  if (FOnChanging) FOnChanging(this);
}

void TCustomBackend::PrepareSurface(int32_t, int32_t, bool) {}
void TCustomBackend::ReleaseSurface() {}

void TCustomBackend::Clear() {
  if (FOwner) ChangeSize(FOwner->FWidth, FOwner->FHeight, 0, 0, false);
}

bool TCustomBackend::Empty() const { return false; }

void TCustomBackend::ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight,
                                bool ClearBuffer) {
  try {
    Changing();
    ReleaseSurface();
    Width = 0;
    Height = 0;
    if (NewWidth > 0 && NewHeight > 0) PrepareSurface(NewWidth, NewHeight, ClearBuffer);
    Width = NewWidth;
    Height = NewHeight;
  } catch (...) {
    Changed();
    throw;
  }
  Changed();
}

void TCustomBackend::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomBackend*>(Source);
  if (!src) {
    TThreadPersistent::Assign(Source);
    return;
  }
  if (!FOwner) return;
  const int32_t w = src->FOwner ? src->FOwner->Width() : 0;
  const int32_t h = src->FOwner ? src->FOwner->Height() : 0;
  const PColor32Array srcBits = src->FBits;
  ChangeSize(FOwner->FWidth, FOwner->FHeight, w, h, false);
  if (!src->Empty() && srcBits && FBits)
    std::memcpy(FBits, srcBits, size_t(w) * size_t(h) * sizeof(TColor32));
}

TMemoryBackend::~TMemoryBackend() { ReleaseSurface(); }

void TMemoryBackend::PrepareSurface(int32_t NewWidth, int32_t NewHeight, bool ClearBuffer) {
  // Pixel indices are 32-bit (X + Y * Width), so the pixel count must fit them.
  const int64_t count = int64_t(NewWidth) * NewHeight;
  if (count > INT32_MAX) throw EOutOfMemory();
  FMemory.reset(new (std::nothrow) TColor32[size_t(count)]);
  if (!FMemory) throw EOutOfMemory();
  FBits = FMemory.get();
  if (ClearBuffer) FillLongword(FBits, int(count), 0xFF000000u);
}

void TMemoryBackend::ReleaseSurface() {
  FMemory.reset();
  FBits = nullptr;
}

// ---- Wrap procedures -------------------------------------------------------

int32_t Clamp(int32_t Value, int32_t Min, int32_t Max) {
  return Value < Min ? Min : Value > Max ? Max : Value;
}

int32_t Wrap(int32_t Value, int32_t Min, int32_t Max) {
  const int64_t n = int64_t(Max) - Min + 1;
  if (n <= 0) return Min;
  if (Value >= Min) return int32_t(Min + (int64_t(Value) - Min) % n);
  return int32_t(Max + (int64_t(Value) - Max) % n);
}

int32_t Mirror(int32_t Value, int32_t Min, int32_t Max) {
  const int64_t n = int64_t(Max) - Min + 1;
  if (n <= 0) return Min;
  const int64_t base = Value < Min ? Max : Min;
  const int64_t q = (int64_t(Value) - base) / n;
  const int64_t v = (int64_t(Value) - base) % n + base;
  return int32_t((q & 1) ? int64_t(Min) + Max - v : v);
}

TWrapProc GetWrapProc(TWrapMode Mode) {
  switch (Mode) {
    case wmRepeat: return Wrap;
    case wmMirror: return Mirror;
    default: return Clamp;
  }
}

// ---- TCustomBitmap32: construction and backend ----------------------------

TCustomBitmap32::TCustomBitmap32() { Init(nullptr); }

TCustomBitmap32::TCustomBitmap32(TCustomBackendClass BackendClass) { Init(BackendClass); }

void TCustomBitmap32::Init(TCustomBackendClass BackendClass) {
  GR32Initialize();
  FBlendProc = BlendPixelInPlace;
  if (!BackendClass) BackendClass = TCustomBitmap32::GetPlatformBackendClass();
  SetBackend(BackendClass(this));
  FResampler = std::make_unique<TNearestResampler>(this);
}

TCustomBitmap32::~TCustomBitmap32() {
  BeginUpdate();
  Lock();
  SetSize(0, 0);
  FResampler.reset();
  DetachBackend();
  Unlock();
}

TCustomBackendClass TCustomBitmap32::GetPlatformBackendClass() const { return NewBackend<TMemoryBackend>; }

void TCustomBitmap32::SetBackend(TCustomBackend* Backend) {
  if (!Backend || Backend == FBackend) return;
  BeginUpdate();
  try {
    Backend->SetOwner(this);
    if (FBackend) {
      Backend->Assign(FBackend);
      DetachBackend();
    }
    AttachBackend(Backend);
  } catch (...) {
    if (FBackend != Backend && Backend->RefCount() == 0) delete Backend;
    EndUpdate();
    throw;
  }
  EndUpdate();
  FBackend->Changed();
  Changed();
}

void TCustomBitmap32::AttachBackend(TCustomBackend* Backend) {
  FBackend = Backend;
  FBackend->SetOwner(this);
  FBackend->_AddRef();
  FBackend->SetOnChange([this](TObject* Sender) { HandleBackendChanged(Sender); });
  FBackend->SetOnChanging([this](TObject* Sender) { HandleBackendChanging(Sender); });
  FBits = FBackend->Bits();
}

void TCustomBitmap32::DetachBackend() {
  if (!FBackend) return;
  TCustomBackend* old = FBackend;
  FBackend = nullptr;
  old->SetOwner(nullptr);
  old->SetOnChange(nullptr);
  old->SetOnChanging(nullptr);
  old->_Release();
}

void TCustomBitmap32::HandleBackendChanged(TObject*) {
  FBits = FBackend ? FBackend->Bits() : nullptr;
  ResetClipRect();
}

void TCustomBitmap32::HandleBackendChanging(TObject*) {}

void TCustomBitmap32::ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight) {
  FBackend->ChangeSize(Width, Height, NewWidth, NewHeight, true);
}

bool TCustomBitmap32::SetSize(int32_t NewWidth, int32_t NewHeight) {
  return TCustomMap::SetSize(NewWidth, NewHeight);
}

bool TCustomBitmap32::Empty() const { return TCustomMap::Empty(); }

// ---- Notification ----------------------------------------------------------

void TCustomBitmap32::Changed() { Changed(BoundsRect(), AREAINFO_RECT); }

void TCustomBitmap32::Changed(const TRect& Area, uint32_t Info) {
  if ((FUpdateCount == 0 || FMeasuringMode) && FOnAreaChanged) FOnAreaChanged(this, Area, Info);
  if (!FMeasuringMode) TNotifiablePersistent::Changed();
}

void TCustomBitmap32::PropertyChanged() { Changed(); }

void TCustomBitmap32::BeginMeasuring(TAreaChangedEvent Callback) {
  FMeasuringMode = true;
  FOldOnAreaChanged = std::move(FOnAreaChanged);
  FOnAreaChanged = std::move(Callback);
}

void TCustomBitmap32::EndMeasuring() {
  FMeasuringMode = false;
  FOnAreaChanged = std::move(FOldOnAreaChanged);
  FOldOnAreaChanged = nullptr;
}

// ---- Properties ------------------------------------------------------------

void TCustomBitmap32::SetClipRect(const TRect& Value) {
  IntersectRect(FClipRect, Value, BoundsRect());
  FFixedClipRect = {Fixed(FClipRect.Left), Fixed(FClipRect.Top), Fixed(FClipRect.Right),
                    Fixed(FClipRect.Bottom)};
  F256ClipRect = {int32_t(uint32_t(FClipRect.Left) << 8), int32_t(uint32_t(FClipRect.Top) << 8),
                  int32_t(uint32_t(FClipRect.Right) << 8), int32_t(uint32_t(FClipRect.Bottom) << 8)};
  FClipping = !EqualRect(FClipRect, BoundsRect());
  // The wrap procedures read the clip range on every call, so there is
  // nothing to rebuild here beyond the mode binding.
  FWrapProcHorz = GetWrapProc(FWrapMode);
  FWrapProcVert = GetWrapProc(FWrapMode);
}

void TCustomBitmap32::ResetClipRect() { SetClipRect(BoundsRect()); }

void TCustomBitmap32::SetDrawMode(TDrawMode Value) {
  if (FDrawMode == Value) return;
  FDrawMode = Value;
  PropertyChanged();
}

void TCustomBitmap32::SetCombineMode(TCombineMode Value) {
  if (FCombineMode == Value) return;
  FCombineMode = Value;
  FBlendProc = Value == cmMerge ? MergePixelInPlace : BlendPixelInPlace;
  PropertyChanged();
}

void TCustomBitmap32::SetWrapMode(TWrapMode Value) {
  if (FWrapMode == Value) return;
  FWrapMode = Value;
  FWrapProcHorz = GetWrapProc(Value);
  FWrapProcVert = GetWrapProc(Value);
  PropertyChanged();
}

void TCustomBitmap32::SetMasterAlpha(uint32_t Value) {
  if (FMasterAlpha == Value) return;
  FMasterAlpha = Value;
  PropertyChanged();
}

void TCustomBitmap32::SetResampler(std::unique_ptr<TCustomResampler> Value) {
  if (!Value || Value.get() == FResampler.get()) return;
  FResampler = std::move(Value);
  FResampler->SetBitmap(this);
  PropertyChanged();
}

std::string TCustomBitmap32::ResamplerClassName() const {
  return FResampler ? FResampler->ClassName() : std::string();
}

void TCustomBitmap32::SetResamplerClassName(const std::string& Value) {
  if (Value.empty() || Value == ResamplerClassName()) return;
  if (TCustomResamplerClass cls = FindResamplerClass(Value)) SetResampler(cls(this));
}

// ---- Clear, alpha, assignment ----------------------------------------------

void TCustomBitmap32::Clear() { Clear(0xFF000000u); }

void TCustomBitmap32::Clear(TColor32 FillColor) {
  if (Empty()) return;
  if (!FMeasuringMode) {
    if (FClipping)
      FillRect(FClipRect.Left, FClipRect.Top, FClipRect.Right, FClipRect.Bottom, FillColor);
    else
      FillLongword(FBits, FWidth * FHeight, FillColor);
  }
  Changed();
}

void TCustomBitmap32::ResetAlpha() { ResetAlpha(0xFF); }

void TCustomBitmap32::ResetAlpha(uint8_t AlphaValue) {
  if (!FMeasuringMode && FBits) {
    const int32_t n = FWidth * FHeight;
    const TColor32 a = TColor32(AlphaValue) << 24;
    for (int32_t i = 0; i < n; ++i) FBits[i] = (FBits[i] & 0x00FFFFFFu) | a;
  }
  Changed();
}

void TCustomBitmap32::CopyPixelsTo(TCustomBitmap32* Dst) const {
  Dst->SetSize(FWidth, FHeight);
  if (!Empty() && Dst->FBits && FBits)
    std::memcpy(Dst->FBits, FBits, size_t(FWidth) * size_t(FHeight) * sizeof(TColor32));
}

void TCustomBitmap32::CopyPropertiesTo(TCustomBitmap32* Dst) const {
  Dst->SetDrawMode(FDrawMode);
  Dst->SetCombineMode(FCombineMode);
  Dst->SetWrapMode(FWrapMode);
  Dst->SetMasterAlpha(FMasterAlpha);
  Dst->SetOuterColor(FOuterColor);
  Dst->SetResamplerClassName(ResamplerClassName());
  if (Dst->Resampler() && FResampler) Dst->Resampler()->Assign(FResampler.get());
}

void TCustomBitmap32::Assign(TPersistent* Source) {
  BeginUpdate();
  try {
    if (!Source) {
      SetSize(0, 0);
    } else if (auto* src = dynamic_cast<TCustomBitmap32*>(Source)) {
      if (src != this) {
        src->CopyPixelsTo(this);
        src->CopyPropertiesTo(this);
      }
    } else if (const auto assign = Bitmap32PlatformServices().AssignFrom; !assign || !assign(*this, Source)) {
      TCustomMap::Assign(Source);
    }
  } catch (...) {
    EndUpdate();
    Changed();
    throw;
  }
  EndUpdate();
  Changed();
}

void TCustomBitmap32::AssignTo(TPersistent* Dest) {
  if (const auto assign = Bitmap32PlatformServices().AssignTo; assign && Dest && assign(*this, Dest)) return;
  TCustomMap::AssignTo(Dest);
}

// ---- Pixel access ----------------------------------------------------------

TColor32 TCustomBitmap32::PixelS(int32_t X, int32_t Y) const {
  if (X >= FClipRect.Left && X < FClipRect.Right && Y >= FClipRect.Top && Y < FClipRect.Bottom)
    return Pixel(X, Y);
  return FOuterColor;
}

void TCustomBitmap32::SetPixelS(int32_t X, int32_t Y, TColor32 Value) {
  if (X >= FClipRect.Left && X < FClipRect.Right && Y >= FClipRect.Top && Y < FClipRect.Bottom)
    SetPixel(X, Y, Value);
}

void TCustomBitmap32::SetPixelT(int32_t X, int32_t Y, TColor32 Value) {
  FBlendProc(Value, FBits[X + Y * FWidth]);
  FinishBlending();
}

void TCustomBitmap32::SetPixelT(PColor32& Ptr, TColor32 Value) {
  FBlendProc(Value, *Ptr);
  ++Ptr;
  FinishBlending();
}

void TCustomBitmap32::SetPixelTS(int32_t X, int32_t Y, TColor32 Value) {
  if (X >= FClipRect.Left && X < FClipRect.Right && Y >= FClipRect.Top && Y < FClipRect.Bottom)
    SetPixelT(X, Y, Value);
}

TColor32 TCustomBitmap32::WrappedPixel(int32_t X, int32_t Y) const {
  if (IsRectEmpty(FClipRect)) return FOuterColor;
  X = FWrapProcHorz(X, FClipRect.Left, FClipRect.Right - 1);
  Y = FWrapProcVert(Y, FClipRect.Top, FClipRect.Bottom - 1);
  return Pixel(X, Y);
}

TColor32 TCustomBitmap32::PixelW(int32_t X, int32_t Y) const { return WrappedPixel(X, Y); }

void TCustomBitmap32::SetPixelW(int32_t X, int32_t Y, TColor32 Value) {
  if (IsRectEmpty(FClipRect)) return;
  X = FWrapProcHorz(X, FClipRect.Left, FClipRect.Right - 1);
  Y = FWrapProcVert(Y, FClipRect.Top, FClipRect.Bottom - 1);
  SetPixel(X, Y, Value);
}

namespace {

// Bilinear interpolation of four pixels, every channel including alpha, with
// weights wx, wy (0-255, the weight of the left / upper pixel) and no rounding term.
TColor32 Bilinear(TColor32 C00, TColor32 C10, TColor32 C01, TColor32 C11, uint32_t wx, uint32_t wy) {
  TColor32 result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t c00 = (C00 >> shift) & 0xFF, c10 = (C10 >> shift) & 0xFF;
    const uint32_t c01 = (C01 >> shift) & 0xFF, c11 = (C11 >> shift) & 0xFF;
    const uint32_t upper = (c00 * wx + c10 * (256 - wx)) >> 8;
    const uint32_t lower = (c01 * wx + c11 * (256 - wx)) >> 8;
    result |= (((upper * wy + lower * (256 - wy)) >> 8) & 0xFF) << shift;
  }
  return result;
}

template <class Reader> TColor32 SampleBilinear(TFixed X, TFixed Y, Reader&& read) {
  // Round to 24.8, then split into integer pixel and fraction byte.
  const int64_t x8 = (int64_t(X) + 127) >> 8;
  const int64_t y8 = (int64_t(Y) + 127) >> 8;
  const int32_t x = int32_t(x8 >> 8), y = int32_t(y8 >> 8);
  const auto& gamma = GammaTable();
  const uint32_t wx = gamma[255 - (x8 & 255)];
  const uint32_t wy = gamma[255 - (y8 & 255)];
  const TColor32 r = Bilinear(read(x, y), read(x + 1, y), read(x, y + 1), read(x + 1, y + 1), wx, wy);
  FinishBlending();
  return r;
}

}  // namespace

TColor32 TCustomBitmap32::PixelX(TFixed X, TFixed Y) const {
  return SampleBilinear(X, Y, [this](int32_t x, int32_t y) { return Pixel(x, y); });
}

TColor32 TCustomBitmap32::PixelXS(TFixed X, TFixed Y) const {
  return SampleBilinear(X, Y, [this](int32_t x, int32_t y) { return PixelS(x, y); });
}

TColor32 TCustomBitmap32::PixelXW(TFixed X, TFixed Y) const {
  return SampleBilinear(X, Y, [this](int32_t x, int32_t y) { return WrappedPixel(x, y); });
}

TColor32 TCustomBitmap32::PixelF(float X, float Y) const { return PixelX(Fixed(X), Fixed(Y)); }
TColor32 TCustomBitmap32::PixelFS(float X, float Y) const { return PixelXS(Fixed(X), Fixed(Y)); }
TColor32 TCustomBitmap32::PixelFW(float X, float Y) const { return PixelXW(Fixed(X), Fixed(Y)); }

TColor32 TCustomBitmap32::PixelFR(float X, float Y) const {
  FResampler->PrepareSampling();
  const TColor32 c = FResampler->GetSampleFloat(X, Y);
  FResampler->FinalizeSampling();
  return c;
}

TColor32 TCustomBitmap32::PixelXR(TFixed X, TFixed Y) const {
  FResampler->PrepareSampling();
  const TColor32 c = FResampler->GetSampleFixed(X, Y);
  FResampler->FinalizeSampling();
  return c;
}

// ---- TBitmap32 -------------------------------------------------------------

namespace {
TCustomBackendClass g_platformBackendClass = NewBackend<TMemoryBackend>;

TBitmap32PlatformServices g_platformServices;
}  // namespace

const TBitmap32PlatformServices& Bitmap32PlatformServices() { return g_platformServices; }
void SetBitmap32PlatformServices(const TBitmap32PlatformServices& Services) { g_platformServices = Services; }

TCustomBackendClass TBitmap32::PlatformBackendClass() { return g_platformBackendClass; }

void TBitmap32::SetPlatformBackendClass(TCustomBackendClass BackendClass) {
  g_platformBackendClass = BackendClass ? BackendClass : NewBackend<TMemoryBackend>;
}

void TBitmap32::CopyPropertiesTo(TCustomBitmap32* Dst) const {
  TCustomBitmap32::CopyPropertiesTo(Dst);
  if (const auto copy = Bitmap32PlatformServices().CopyProperties; copy && dynamic_cast<TBitmap32*>(Dst))
    copy(*this, *Dst);
}

void TBitmap32::HandleBackendChanged(TObject* Sender) {
  TCustomBitmap32::HandleBackendChanged(Sender);
  HandleChanged();
}

void TBitmap32::HandleChanged() {
  if (FOnHandleChanged) FOnHandleChanged(this);
}
