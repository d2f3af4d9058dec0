// GDI ownership types, fonts, pens, brushes and the canvas.
#pragma once

#include "toolkit/core/classes.h"
#include "toolkit/win/live_counts.h"
#include "toolkit/win/winapi.h"

#include <memory>
#include <mutex>
#include <string>
#include <utility>

// A Win32 failure, carrying the name of the failing call.
class EWin32Error : public Exception {
public:
  explicit EWin32Error(const char* Call);
  DWORD Code() const { return FCode; }

private:
  DWORD FCode;
};

// Raises EWin32Error(Call) when Ok is false.
inline void Win32Check(bool Ok, const char* Call) {
  if (!Ok) throw EWin32Error(Call);
}

// ---- Owning and borrowing GDI types -----------------------------------------

// Owns one handle and deletes it, counted while held. Traits give the
// deleting call and the live-count kind.
template <class H, class Traits> class TOwnedHandle {
public:
  TOwnedHandle() = default;
  explicit TOwnedHandle(H Handle) : FHandle(Handle) {
    if (FHandle) CountLive(Traits::Kind, 1);
  }
  ~TOwnedHandle() { Reset(); }
  TOwnedHandle(TOwnedHandle&& Other) noexcept : FHandle(std::exchange(Other.FHandle, nullptr)) {}
  TOwnedHandle& operator=(TOwnedHandle&& Other) noexcept {
    if (this != &Other) {
      Reset();
      FHandle = std::exchange(Other.FHandle, nullptr);
    }
    return *this;
  }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;

  H Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  // Gives the handle away: the caller deletes it.
  H Release() {
    if (FHandle) CountLive(Traits::Kind, -1);
    return std::exchange(FHandle, nullptr);
  }
  void Reset(H Handle = nullptr) {
    if (Handle == FHandle) return;
    if (FHandle) {
      Traits::Delete(FHandle);
      CountLive(Traits::Kind, -1);
    }
    FHandle = Handle;
    if (FHandle) CountLive(Traits::Kind, 1);
  }

private:
  H FHandle = nullptr;
};

struct TGdiObjectTraits {
  static constexpr TLiveKind Kind = lkGdiObject;
  static void Delete(HGDIOBJ Handle) { DeleteObject(Handle); }
};
struct TOwnedDCTraits {
  static constexpr TLiveKind Kind = lkDC;
  static void Delete(HDC Handle) { DeleteDC(Handle); }
};

// Owns one GDI object (pen, brush, font, bitmap, region) and deletes it.
template <class H> using TGdiObject = TOwnedHandle<H, TGdiObjectTraits>;

// Owns a DC the caller created (possibly none) and deletes it. Unlike
// TMemoryDC, creation is the caller's, so a failure can carry its own message.
using TOwnedDC = TOwnedHandle<HDC, TOwnedDCTraits>;

using TGdiPen = TGdiObject<HPEN>;
using TGdiBrush = TGdiObject<HBRUSH>;
using TGdiFont = TGdiObject<HFONT>;
using TGdiBitmap = TGdiObject<HBITMAP>;
using TGdiRegion = TGdiObject<HRGN>;

// A memory DC this object created (CreateCompatibleDC) and deletes.
class TMemoryDC {
public:
  explicit TMemoryDC(HDC Compatible);
  ~TMemoryDC() {
    DeleteDC(FDC);
    CountLive(lkDC, -1);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return FDC; }

private:
  HDC FDC;
};

// A window's DC borrowed with GetDC and given back with ReleaseDC.
class TWindowDC {
public:
  // The client area's DC, or with WholeWindow the whole window's (frame included).
  explicit TWindowDC(HWND Window, bool WholeWindow = false);
  ~TWindowDC() {
    ReleaseDC(FWindow, FDC);
    CountLive(lkDC, -1);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return FDC; }

private:
  HWND FWindow;
  HDC FDC;
};

// BeginPaint now, EndPaint at the end of the scope.
class TPaintDC {
public:
  explicit TPaintDC(HWND Window);
  ~TPaintDC() {
    EndPaint(FWindow, &FPaint);
    CountLive(lkDC, -1);
  }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  HDC Get() const { return FDC; }
  const PAINTSTRUCT& Info() const { return FPaint; }
  TRect PaintRect() const { return ToTRect(FPaint.rcPaint); }

private:
  HWND FWindow;
  PAINTSTRUCT FPaint{};
  HDC FDC;
};

// Selects an object into a DC for the lifetime of this object.
class TSelectObject {
public:
  TSelectObject(HDC DC, HGDIOBJ Object) : FDC(DC), FOld(SelectObject(DC, Object)) {}
  ~TSelectObject() { SelectObject(FDC, FOld); }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// SaveDC now, RestoreDC at the end of the scope.
class TSaveDC {
public:
  explicit TSaveDC(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {}
  ~TSaveDC() { RestoreDC(FDC, FSaved); }
  TSaveDC(const TSaveDC&) = delete;
  TSaveDC& operator=(const TSaveDC&) = delete;

private:
  HDC FDC;
  int FSaved;
};

// ---- Graphics objects --------------------------------------------------------

// Base of font, pen and brush: an OnChange event and a lazily created handle
// that is dropped on every change. The handle is shared so that a canvas can
// keep the one it selected alive until it has selected the new one.
template <class H> class TGraphicsObject : public TPersistent {
public:
  TNotifyEvent OnChange;

protected:
  void Changed() {
    FResource.reset();
    if (OnChange) OnChange(this);
  }
  std::shared_ptr<TGdiObject<H>> FResource;
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject<HFONT> {
public:
  TFont();
  const std::wstring& Name() const { return FName; }
  void SetName(const std::wstring& Value);
  // Character height in pixels; negative: the em height, as LOGFONT.
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  // Points at PixelsPerInch.
  int Size() const;
  void SetSize(int Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  uint8_t Charset() const { return FCharset; }
  void SetCharset(uint8_t Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

  // Created on first use from the properties. Setting a handle adopts it (the
  // font deletes it later) and reads the properties back from it.
  HFONT Handle();
  void SetHandle(HFONT Value);
  std::shared_ptr<TGdiFont> Resource();

  void Assign(TPersistent* Source) override;
  bool SameAs(const TFont& Other) const;

private:
  std::wstring FName = L"Tahoma";
  int FHeight = -11;
  TColor FColor = clWindowText;
  uint8_t FCharset = DEFAULT_CHARSET;
  TFontStyles FStyle = 0;
  TFontPitch FPitch = fpDefault;
  int FPixelsPerInch = 96;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen : public TGraphicsObject<HPEN> {
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  HPEN Handle();
  std::shared_ptr<TGdiPen> Resource();
  void Assign(TPersistent* Source) override;

private:
  TColor FColor = clBlack;
  TPenStyle FStyle = psSolid;
  int FWidth = 1;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TGraphicsObject<HBRUSH> {
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  HBRUSH Handle();
  std::shared_ptr<TGdiBrush> Resource();
  void Assign(TPersistent* Source) override;

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

class TGraphic;

// ---- Canvas ------------------------------------------------------------------

// Draws on a DC it borrows: Handle attaches to any DC and detaches again
// (SetHandle(nullptr)), restoring the DC's original objects. Pen, brush and font
// are selected lazily before each drawing call.
class TCanvas : public TPersistent {
public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The attached DC; a subclass may create one on demand (CreateHandle).
  HDC Handle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  void Lock() { FLock.lock(); ++FLockCount; }
  void Unlock() { --FLockCount; FLock.unlock(); }
  int LockCount() const { return FLockCount; }

  TFont& Font() { return FFont; }
  TPen& Pen() { return FPen; }
  TBrush& Brush() { return FBrush; }
  void SetFont(const TFont& Value) { FFont.Assign(const_cast<TFont*>(&Value)); }

  TPoint PenPos() const { return FPenPos; }
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  // Right and bottom edges exclusive.
  void FillRect(const TRect& Rect);
  void FrameRect(const TRect& Rect);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void TextOut(int X, int Y, const std::wstring& Text);
  // Text clipped to Rect, drawn at (X, Y).
  void TextRect(const TRect& Rect, int X, int Y, const std::wstring& Text);
  SIZE TextExtent(const std::wstring& Text);
  int TextWidth(const std::wstring& Text) { return TextExtent(Text).cx; }
  // A graphic at its own size with its top-left corner at (X, Y), or
  // stretched onto Rect (both defined with the graphics, toolkit/win/imaging.cpp).
  void Draw(int X, int Y, TGraphic& Graphic);
  void StretchDraw(const TRect& Rect, TGraphic& Graphic);
  int TextHeight(const std::wstring& Text) { return TextExtent(Text).cy; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  virtual void CreateHandle() {}
  void Changing();
  void Changed();

private:
  enum TCanvasState : uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
  void RequiredState(uint8_t Required);
  void DeselectHandles();

  HDC FHandle = nullptr;
  uint8_t FState = 0;
  TFont FFont;
  TPen FPen;
  TBrush FBrush;
  // What is selected now, kept alive until replaced.
  std::shared_ptr<TGdiFont> FSelectedFont;
  std::shared_ptr<TGdiPen> FSelectedPen;
  std::shared_ptr<TGdiBrush> FSelectedBrush;
  HGDIOBJ FOldFont = nullptr, FOldPen = nullptr, FOldBrush = nullptr;
  TPoint FPenPos{0, 0};
  std::recursive_mutex FLock;
  int FLockCount = 0;
};

// Binds a canvas to a DC for the lifetime of this object: locks the canvas,
// attaches the DC and takes the given font; detaches and unlocks at the end.
class TCanvasBinding {
public:
  TCanvasBinding(TCanvas& Canvas, HDC DC, const TFont* Font = nullptr);
  ~TCanvasBinding();
  TCanvasBinding(const TCanvasBinding&) = delete;
  TCanvasBinding& operator=(const TCanvasBinding&) = delete;
  TCanvas& Canvas() const { return FCanvas; }

private:
  TCanvas& FCanvas;
  HDC FOld;
};

// The system colour resolver for ColorToRGB in the Windows build.
uint32_t Win32SysColor(int Index);
inline COLORREF ColorToRef(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)); }
