// The 32-bit ARGB bitmap: notification and locking bases, the pixel backends,
// and TCustomBitmap32 / TBitmap32 with pixel access, lines, rectangles, block
// transfers, geometric operations and the stored "Data" and BMP forms.
// Portable: never includes windows.h. The Windows backend plugs in through
// GetPlatformBackendClass.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gfx/blend.h"
#include "gfx/color32.h"
#include "toolkit/core/classes.h"
#include "toolkit/core/streams.h"

class TCustomBitmap32;
class TCustomResampler;

// Errors of bitmap operations ("Destination bitmap is nil", "Invalid SrcRect" ...).
class EBitmapException : public Exception {
  using Exception::Exception;
};

// ---- Notification bases ----------------------------------------------------

// A persistent object with optional reference counting. Counting is active
// only when FRefCounted is set; the owner of a counted object releases it
// with _Release, which deletes it when the count reaches 0.
class TPlainInterfacedPersistent : public TPersistent {
public:
  TPlainInterfacedPersistent() = default;
  ~TPlainInterfacedPersistent() override;
  TPlainInterfacedPersistent(const TPlainInterfacedPersistent&) = delete;
  TPlainInterfacedPersistent& operator=(const TPlainInterfacedPersistent&) = delete;

  int32_t _AddRef();
  int32_t _Release();
  bool RefCounted() const { return FRefCounted; }
  int32_t RefCount() const { return FRefCount; }

  // Interface query: the object if it implements I, else nullptr.
  template <class I> I* QueryInterface() { return dynamic_cast<I*>(this); }

  std::string ClassName() const override { return "TPlainInterfacedPersistent"; }

protected:
  bool FRefCounted = false;
  int32_t FRefCount = 0;
};

// The required form of an interface query: raises EIntfCastError when the
// object does not implement I.
template <class I, class T> I& SupportsInterface(T* Obj) {
  I* p = Obj ? dynamic_cast<I*>(Obj) : nullptr;
  if (!p) throw EIntfCastError();
  return *p;
}

class TNotifiablePersistent : public TPlainInterfacedPersistent {
public:
  virtual void Changed();
  virtual void BeginUpdate();
  virtual void EndUpdate();

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  int32_t UpdateCount() const { return FUpdateCount; }

  std::string ClassName() const override { return "TNotifiablePersistent"; }

protected:
  int32_t FUpdateCount = 0;
  TNotifyEvent FOnChange;
};

class TThreadPersistent : public TNotifiablePersistent {
public:
  void Lock();
  void Unlock();
  int32_t LockCount() const { return FLockCount.load(); }

  std::string ClassName() const override { return "TThreadPersistent"; }

protected:
  std::atomic<int32_t> FLockCount{0};
  std::recursive_mutex FLock;
};

class TCustomMap : public TThreadPersistent {
public:
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  virtual void SetHeight(int32_t NewHeight);
  virtual void SetWidth(int32_t NewWidth);
  virtual void Delete();
  virtual bool Empty() const;
  virtual void Resized();
  // True if the size changed; negative values become 0.
  virtual bool SetSize(int32_t NewWidth, int32_t NewHeight);
  // Size taken from another map; nullptr sets 0 x 0. Anything else raises
  // "Can't set size from '<class>'".
  void SetSizeFrom(TPersistent* Source);

  const TNotifyEvent& OnResize() const { return FOnResize; }
  void SetOnResize(TNotifyEvent Value) { FOnResize = std::move(Value); }

  std::string ClassName() const override { return "TCustomMap"; }

protected:
  virtual void ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight);

  int32_t FHeight = 0;
  int32_t FWidth = 0;
  TNotifyEvent FOnResize;
};

// ---- Backends --------------------------------------------------------------

// Owns the pixel memory of a bitmap. Reference counted: the bitmap holds one
// reference and releases it when it detaches the backend.
class TCustomBackend : public TThreadPersistent {
public:
  explicit TCustomBackend(TCustomBitmap32* Owner = nullptr);
  ~TCustomBackend() override;

  virtual void Changing();
  virtual void Clear();
  virtual bool Empty() const;
  virtual void ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight,
                          bool ClearBuffer = true);
  // From another backend: the owner takes the source's size and pixels.
  void Assign(TPersistent* Source) override;

  PColor32Array Bits() const { return FBits; }
  TCustomBitmap32* Owner() const { return FOwner; }
  void SetOwner(TCustomBitmap32* Owner) { FOwner = Owner; }
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(TNotifyEvent Value) { FOnChanging = std::move(Value); }

  std::string ClassName() const override { return "TCustomBackend"; }

protected:
  virtual void PrepareSurface(int32_t NewWidth, int32_t NewHeight, bool ClearBuffer);
  virtual void ReleaseSurface();

  PColor32Array FBits = nullptr;
  TCustomBitmap32* FOwner = nullptr;
  TNotifyEvent FOnChanging;
};

// Pixels on the heap; a new surface is filled with opaque black.
class TMemoryBackend : public TCustomBackend {
public:
  explicit TMemoryBackend(TCustomBitmap32* Owner = nullptr) : TCustomBackend(Owner) {}
  ~TMemoryBackend() override;
  bool Empty() const override { return FBits == nullptr; }
  std::string ClassName() const override { return "TMemoryBackend"; }

protected:
  void PrepareSurface(int32_t NewWidth, int32_t NewHeight, bool ClearBuffer) override;
  void ReleaseSurface() override;

private:
  std::unique_ptr<TColor32[]> FMemory;
};

// A backend class: makes a backend for an owner.
using TCustomBackendClass = TCustomBackend* (*)(TCustomBitmap32* Owner);
template <class B> TCustomBackend* NewBackend(TCustomBitmap32* Owner) { return new B(Owner); }

// ---- Bitmap ----------------------------------------------------------------

enum TDrawMode { dmOpaque, dmBlend, dmCustom, dmTransparent };
enum TCombineMode { cmBlend, cmMerge };
enum TWrapMode { wmClamp, wmRepeat, wmMirror };

// Area information of OnAreaChanged.
constexpr uint32_t AREAINFO_RECT = 0x80000000u;
constexpr uint32_t AREAINFO_LINE = 0x40000000u;
constexpr uint32_t AREAINFO_MASK = 0xFF000000u;

using TPixelCombineEvent = std::function<void(TColor32 F, TColor32& B, TColor32 M)>;
using TAreaChangedEvent = std::function<void(TObject* Sender, const TRect& Area, uint32_t Info)>;
// Maps a coordinate into [Min, Max] for wrapped access.
using TWrapProc = int32_t (*)(int32_t Value, int32_t Min, int32_t Max);

TWrapProc GetWrapProc(TWrapMode Mode);
int32_t Clamp(int32_t Value, int32_t Min, int32_t Max);
int32_t Wrap(int32_t Value, int32_t Min, int32_t Max);
int32_t Mirror(int32_t Value, int32_t Min, int32_t Max);

class TCustomBitmap32 : public TCustomMap {
public:
  TCustomBitmap32();
  explicit TCustomBitmap32(TCustomBackendClass BackendClass);
  ~TCustomBitmap32() override;

  std::string ClassName() const override { return "TCustomBitmap32"; }

  // ---- Backend, notification, size
  TCustomBackend* Backend() const { return FBackend; }
  void SetBackend(TCustomBackend* Backend);
  virtual TCustomBackendClass GetPlatformBackendClass() const;
  void Changed() override;
  virtual void Changed(const TRect& Area, uint32_t Info = AREAINFO_RECT);
  bool SetSize(int32_t NewWidth, int32_t NewHeight) override;
  bool Empty() const override;
  TRect BoundsRect() const { return {0, 0, FWidth, FHeight}; }

  void Clear();
  void Clear(TColor32 FillColor);
  void ResetAlpha();
  void ResetAlpha(uint8_t AlphaValue);
  void Assign(TPersistent* Source) override;
  virtual void CopyPropertiesTo(TCustomBitmap32* Dst) const;

  // ---- Properties
  PColor32Array Bits() const { return FBits; }
  const TRect& ClipRect() const { return FClipRect; }
  void SetClipRect(const TRect& Value);
  void ResetClipRect();
  bool Clipping() const { return FClipping; }
  TDrawMode DrawMode() const { return FDrawMode; }
  void SetDrawMode(TDrawMode Value);
  TCombineMode CombineMode() const { return FCombineMode; }
  void SetCombineMode(TCombineMode Value);
  TWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TWrapMode Value);
  uint32_t MasterAlpha() const { return FMasterAlpha; }
  void SetMasterAlpha(uint32_t Value);
  TColor32 OuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor32 Value) { FOuterColor = Value; }
  TColor32 PenColor() const { return FPenColor; }
  void SetPenColor(TColor32 Value) { FPenColor = Value; }
  float StippleCounter() const { return FStippleCounter; }
  void SetStippleCounter(float Value) { FStippleCounter = Value; }
  float StippleStep() const { return FStippleStep; }
  void SetStippleStep(float Value) { FStippleStep = Value; }
  bool MeasuringMode() const { return FMeasuringMode; }
  TCustomResampler* Resampler() const { return FResampler.get(); }
  // Takes ownership; the previous resampler is freed. nullptr is ignored.
  void SetResampler(std::unique_ptr<TCustomResampler> Value);
  std::string ResamplerClassName() const;
  void SetResamplerClassName(const std::string& Value);

  const TPixelCombineEvent& OnPixelCombine() const { return FOnPixelCombine; }
  void SetOnPixelCombine(TPixelCombineEvent Value) { FOnPixelCombine = std::move(Value); }
  const TAreaChangedEvent& OnAreaChanged() const { return FOnAreaChanged; }
  void SetOnAreaChanged(TAreaChangedEvent Value) { FOnAreaChanged = std::move(Value); }

  void BeginMeasuring(TAreaChangedEvent Callback);
  void EndMeasuring();

  // ---- Pixel access (plain forms are unchecked)
  TColor32 Pixel(int32_t X, int32_t Y) const { return FBits[X + Y * FWidth]; }
  void SetPixel(int32_t X, int32_t Y, TColor32 Value) { FBits[X + Y * FWidth] = Value; }
  TColor32 PixelS(int32_t X, int32_t Y) const;
  void SetPixelS(int32_t X, int32_t Y, TColor32 Value);
  void SetPixelT(int32_t X, int32_t Y, TColor32 Value);
  void SetPixelT(PColor32& Ptr, TColor32 Value);
  void SetPixelTS(int32_t X, int32_t Y, TColor32 Value);
  TColor32 PixelW(int32_t X, int32_t Y) const;
  void SetPixelW(int32_t X, int32_t Y, TColor32 Value);
  TColor32 PixelX(TFixed X, TFixed Y) const;
  TColor32 PixelXS(TFixed X, TFixed Y) const;
  TColor32 PixelXW(TFixed X, TFixed Y) const;
  TColor32 PixelF(float X, float Y) const;
  TColor32 PixelFS(float X, float Y) const;
  TColor32 PixelFW(float X, float Y) const;
  TColor32 PixelFR(float X, float Y) const;
  TColor32 PixelXR(TFixed X, TFixed Y) const;
  PColor32 PixelPtr(int32_t X, int32_t Y) const { return FBits + X + Y * FWidth; }
  PColor32Array ScanLine(int32_t Y) const { return FBits + Y * FWidth; }
  TWrapProc WrapProcHorz() const { return FWrapProcHorz; }
  TWrapProc WrapProcVert() const { return FWrapProcVert; }

  // ---- Spans and lines (inclusive ends)
  void HorzLine(int32_t X1, int32_t Y, int32_t X2, TColor32 Value);
  void HorzLineS(int32_t X1, int32_t Y, int32_t X2, TColor32 Value);
  void HorzLineT(int32_t X1, int32_t Y, int32_t X2, TColor32 Value);
  void HorzLineTS(int32_t X1, int32_t Y, int32_t X2, TColor32 Value);
  void HorzLineTSP(int32_t X1, int32_t Y, int32_t X2);
  void HorzLineX(TFixed X1, TFixed Y, TFixed X2, TColor32 Value);
  void HorzLineXS(TFixed X1, TFixed Y, TFixed X2, TColor32 Value);
  void VertLine(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value);
  void VertLineS(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value);
  void VertLineT(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value);
  void VertLineTS(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value);
  void VertLineTSP(int32_t X, int32_t Y1, int32_t Y2);
  void VertLineX(TFixed X, TFixed Y1, TFixed Y2, TColor32 Value);
  void VertLineXS(TFixed X, TFixed Y1, TFixed Y2, TColor32 Value);

  void Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
  void LineS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
  void LineT(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
  void LineTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
  void LineA(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
  void LineAS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
  void LineX(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L = false);
  void LineXS(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L = false);
  void LineXP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L = false);
  void LineXSP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L = false);
  void LineF(float X1, float Y1, float X2, float Y2, TColor32 Value, bool L = false);
  void LineFS(float X1, float Y1, float X2, float Y2, TColor32 Value, bool L = false);
  void LineFP(float X1, float Y1, float X2, float Y2, bool L = false);
  void LineFSP(float X1, float Y1, float X2, float Y2, bool L = false);

  void MoveTo(int32_t X, int32_t Y);
  void LineToS(int32_t X, int32_t Y);
  void LineToTS(int32_t X, int32_t Y);
  void LineToAS(int32_t X, int32_t Y);
  void MoveToX(TFixed X, TFixed Y);
  void MoveToF(float X, float Y);
  void LineToXS(TFixed X, TFixed Y);
  void LineToFS(float X, float Y);
  void LineToXSP(TFixed X, TFixed Y);
  void LineToFSP(float X, float Y);

  // ---- Rectangles (right and bottom exclusive)
  void FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
  void FillRectS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
  void FillRectS(const TRect& ARect, TColor32 Value);
  void FillRectT(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
  void FillRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
  void FillRectTS(const TRect& ARect, TColor32 Value);
  void FrameRectS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
  void FrameRectS(const TRect& ARect, TColor32 Value);
  void FrameRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
  void FrameRectTS(const TRect& ARect, TColor32 Value);
  void FrameRectTSP(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void RaiseRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Contrast);
  void RaiseRectTS(const TRect& ARect, int32_t Contrast);

  // ---- Stipple
  void SetStipple(const TArrayOfColor32& NewStipple);
  void AdvanceStippleCounter(float LengthPixels);
  TColor32 GetStippleColor();

  // ---- Geometric operations (Dst nullptr: in place)
  void Roll(int32_t Dx, int32_t Dy, bool FillBack, TColor32 FillColor);
  void FlipHorz(TCustomBitmap32* Dst = nullptr);
  void FlipVert(TCustomBitmap32* Dst = nullptr);
  void Rotate90(TCustomBitmap32* Dst = nullptr);
  void Rotate180(TCustomBitmap32* Dst = nullptr);
  void Rotate270(TCustomBitmap32* Dst = nullptr);

  // ---- Transfers (this bitmap is the source)
  void DrawTo(TCustomBitmap32* Dst) const;
  void DrawTo(TCustomBitmap32* Dst, int32_t DstX, int32_t DstY) const;
  void DrawTo(TCustomBitmap32* Dst, int32_t DstX, int32_t DstY, const TRect& SrcRect) const;
  void DrawTo(TCustomBitmap32* Dst, const TRect& DstRect) const;
  void DrawTo(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& SrcRect) const;
  // The same seen from the destination; a missing Src does nothing.
  void Draw(int32_t DstX, int32_t DstY, const TCustomBitmap32* Src);
  void Draw(int32_t DstX, int32_t DstY, const TRect& SrcRect, const TCustomBitmap32* Src);
  void Draw(const TRect& DstRect, const TRect& SrcRect, const TCustomBitmap32* Src);

  // ---- Stored forms
  // "Data": width, height (signed 32-bit LE) and the pixels top to bottom.
  // Reading takes the stream as the whole block; corrupt blocks raise
  // EReadError and leave the bitmap empty.
  void ReadData(TStream& Stream);
  void WriteData(TStream& Stream) const;
  // Whether "Data" is written when streaming against Ancestor (nullptr: none).
  bool DataStored(const TPersistent* Ancestor) const;
  // Windows BMP, 32 bits per pixel. SaveTopDown set writes rows last to first
  // with a positive height; otherwise memory order with a negative height.
  virtual void SaveToStream(TStream& Stream, bool SaveTopDown = false) const;
  virtual void LoadFromStream(TStream& Stream);
  virtual void SaveToFile(const std::filesystem::path& FileName, bool SaveTopDown = false) const;
  virtual void LoadFromFile(const std::filesystem::path& FileName);

  // Pen positions of the line-to operations.
  int32_t RasterX = 0, RasterY = 0;
  TFixed RasterXF = 0, RasterYF = 0;

protected:
  virtual void HandleBackendChanged(TObject* Sender);
  virtual void HandleBackendChanging(TObject* Sender);
  virtual void CopyPixelsTo(TCustomBitmap32* Dst) const;
  virtual void ReadPixelData(TStream& Stream);
  virtual void WritePixelData(TStream& Stream) const;
  virtual void AttachBackend(TCustomBackend* Backend);
  virtual void DetachBackend();
  virtual void PropertyChanged();
  void ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight) override;
  // Into the platform toolkit's image objects, through the platform services.
  void AssignTo(TPersistent* Dest) override;

  // Blends Value into one pixel through the combine mode's in-place operation.
  void BlendInto(TColor32 Value, TColor32& Dst) const { FBlendProc(Value, Dst); }
  // Pixel of a wrapped or clamped read; OuterColor when the clip rectangle is empty.
  TColor32 WrappedPixel(int32_t X, int32_t Y) const;
  void LineAInternal(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L,
                     bool Clip);
  void LineXInternal(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L, bool Clip,
                     bool Stipple);
  // Blends the stipple pattern along a span; Step is +1 or -1.
  void StippleSpan(int32_t X, int32_t Y, int32_t DxStep, int32_t DyStep, int32_t Count);

  TCustomBackend* FBackend = nullptr;
  PColor32Array FBits = nullptr;
  TRect FClipRect;
  TFixedRect FFixedClipRect;
  TRect F256ClipRect;
  bool FClipping = false;
  TDrawMode FDrawMode = dmOpaque;
  TCombineMode FCombineMode = cmBlend;
  TWrapMode FWrapMode = wmClamp;
  uint32_t FMasterAlpha = 255;
  TColor32 FOuterColor = 0;
  TColor32 FPenColor = 0xFFFFFFFF;
  float FStippleCounter = 0;
  TArrayOfColor32 FStipplePattern;
  float FStippleStep = 1.0f;
  TPixelCombineEvent FOnPixelCombine;
  TAreaChangedEvent FOnAreaChanged;
  TAreaChangedEvent FOldOnAreaChanged;
  bool FMeasuringMode = false;
  std::unique_ptr<TCustomResampler> FResampler;
  TWrapProc FWrapProcHorz = Clamp;
  TWrapProc FWrapProcVert = Clamp;
  TBlendPixelInPlaceFunc FBlendProc = nullptr;

private:
  void Init(TCustomBackendClass BackendClass);
  friend class TCustomBackend;
};

// The bitmap of the platform: on Windows its backend will be the GDI one.
class TBitmap32 : public TCustomBitmap32 {
public:
  TBitmap32() : TCustomBitmap32(PlatformBackendClass()) {}
  explicit TBitmap32(TCustomBackendClass BackendClass) : TCustomBitmap32(BackendClass) {}
  std::string ClassName() const override { return "TBitmap32"; }
  TCustomBackendClass GetPlatformBackendClass() const override { return PlatformBackendClass(); }

  // The backend class of platform bitmaps: the memory backend unless the
  // platform layer installs its own at start-up (before the first bitmap).
  static TCustomBackendClass PlatformBackendClass();
  static void SetPlatformBackendClass(TCustomBackendClass BackendClass);

  // Also copies the platform font when Dst is a TBitmap32 (platform services).
  void CopyPropertiesTo(TCustomBitmap32* Dst) const override;

  const TNotifyEvent& OnHandleChanged() const { return FOnHandleChanged; }
  void SetOnHandleChanged(TNotifyEvent Value) { FOnHandleChanged = std::move(Value); }

protected:
  void HandleBackendChanged(TObject* Sender) override;
  virtual void HandleChanged();
  TNotifyEvent FOnHandleChanged;
};

// ---- Platform services -------------------------------------------------------

// What the portable bitmap cannot do alone: assigning from and to the platform
// toolkit's own image objects, reading the BMP kinds it does not decode itself,
// loading other picture files, and copying the platform font. The platform
// layer installs them at start-up, before the first bitmap is used; any member
// may stay empty, and then the portable behaviour applies.
struct TBitmap32PlatformServices {
  // Assigns Source into Dst; false when Source is of no kind it knows.
  bool (*AssignFrom)(TCustomBitmap32& Dst, TPersistent* Source) = nullptr;
  // Assigns Src into Dest; false when Dest is of no kind it knows.
  bool (*AssignTo)(const TCustomBitmap32& Src, TPersistent* Dest) = nullptr;
  // Reads a BMP that is not plain 24- or 32-bit, Stream positioned at its start.
  void (*LoadBitmapStream)(TCustomBitmap32& Dst, TStream& Stream) = nullptr;
  // Loads an image file that does not begin with "BM".
  void (*LoadPictureFile)(TCustomBitmap32& Dst, const std::filesystem::path& FileName) = nullptr;
  // Copies the platform's own properties (the font) from one TBitmap32 to another.
  void (*CopyProperties)(const TCustomBitmap32& Src, TCustomBitmap32& Dst) = nullptr;
};

const TBitmap32PlatformServices& Bitmap32PlatformServices();
void SetBitmap32PlatformServices(const TBitmap32PlatformServices& Services);

// Lays Count source pixels onto a destination row with the given draw mode
// and Src's combine mode, master alpha and outer colour.
void TransferRowByMode(const TColor32* S, TColor32* D, int32_t Count, const TCustomBitmap32& Src,
                       TDrawMode Mode, const TPixelCombineEvent& Callback);

// Block transfer of SrcRect of Src to (DstX, DstY) of Dst, clipped to Dst's
// clip rectangle, with Src's draw mode, combine mode and master alpha.
void BlockTransfer(TCustomBitmap32* Dst, int32_t DstX, int32_t DstY, const TRect& DstClip,
                   const TCustomBitmap32* Src, TRect SrcRect, TDrawMode CombineOp,
                   const TPixelCombineEvent& CombineCallBack);
