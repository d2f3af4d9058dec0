// The Windows backend of the 32-bit bitmap: pixels in a DIB section selected
// into a memory DC, so that GDI (text, toolkit canvases) draws into the same
// memory the raster library blends in, and copies to and from windows are one
// GDI call. Linking this library makes it the backend of every new TBitmap32.
//
// The backend's services are reached through the interfaces below, queried
// with dynamic_cast (SupportsInterface raises EIntfCastError for a backend
// that lacks one). The TBitmap32 operations that need them are free functions
// taking the bitmap first, so that the portable bitmap header stays free of
// Win32 types.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gfx/bitmap32.h"
#include "toolkit/win/graphics.h"
#include "toolkit/win/winapi.h"

// ---- Backend interfaces -----------------------------------------------------------

// Glyph outlines as closed polygons (flattened Bezier curves), in pixels.
struct TTextPath {
  std::vector<std::vector<TFloatPoint>> Contours;
};

class IPaintSupport {
public:
  virtual ~IPaintSupport() = default;
  virtual void ImageNeeded() = 0;
  virtual void CheckPixmap() = 0;
  // Copies ABuffer onto ACanvas: each invalid rectangle, or the paint box's
  // whole viewport rectangle when there are none, at the same position.
  virtual void DoPaint(TCustomBitmap32* ABuffer, const std::vector<TRect>& AInvalidRects,
                       const TRect& APaintBoxViewport, TCanvas& ACanvas) = 0;
};

class IBitmapContextSupport {
public:
  virtual ~IBitmapContextSupport() = default;
  virtual const BITMAPINFO& GetBitmapInfo() const = 0;
  virtual HBITMAP GetBitmapHandle() const = 0;
};

class IDeviceContextSupport {
public:
  virtual ~IDeviceContextSupport() = default;
  virtual HDC GetHandle() const = 0;
  // Stretches SrcRect of hSrc onto DstRect of the bitmap.
  virtual void Draw(const TRect& DstRect, const TRect& SrcRect, HDC hSrc) = 0;
  // The whole bitmap at (DstX, DstY), same size.
  virtual void DrawTo(HDC hDst, int32_t DstX, int32_t DstY) = 0;
  // SrcRect of the bitmap stretched onto DstRect of hDst.
  virtual void DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) = 0;
};

// Narrow texts are UTF-8.
class ITextSupport {
public:
  virtual ~ITextSupport() = default;
  virtual void Textout(int32_t X, int32_t Y, const std::string& Text) = 0;
  virtual void Textout(int32_t X, int32_t Y, const TRect& ClipRect, const std::string& Text) = 0;
  // Flags are DrawTextW format flags.
  virtual void Textout(TRect DstRect, uint32_t Flags, const std::string& Text) = 0;
  virtual SIZE TextExtent(const std::string& Text) = 0;
  virtual void TextoutW(int32_t X, int32_t Y, const std::wstring& Text) = 0;
  virtual void TextoutW(int32_t X, int32_t Y, const TRect& ClipRect, const std::wstring& Text) = 0;
  virtual void TextoutW(TRect DstRect, uint32_t Flags, const std::wstring& Text) = 0;
  virtual SIZE TextExtentW(const std::wstring& Text) = 0;
};

class IFontSupport {
public:
  virtual ~IFontSupport() = default;
  virtual const TNotifyEvent& GetOnFontChange() const = 0;
  virtual void SetOnFontChange(TNotifyEvent Handler) = 0;
  virtual TFont& GetFont() = 0;
  // Copies the properties of Font into the owned font.
  virtual void SetFont(const TFont& Font) = 0;
  // Selects the font into the DC and sets its colour and transparent background.
  virtual void UpdateFont() = 0;
};

class ITextToPathSupport {
public:
  virtual ~ITextToPathSupport() = default;
  virtual void TextToPath(TTextPath& Path, TFloat X, TFloat Y, const std::wstring& Text) = 0;
  virtual void TextToPath(TTextPath& Path, const TFloatRect& DstRect, const std::wstring& Text,
                          uint32_t Flags) = 0;
  // The rectangle DrawTextW would fill with Text laid out in DstRect.
  virtual TFloatRect MeasureText(const TFloatRect& DstRect, const std::wstring& Text, uint32_t Flags) = 0;
};

class ICanvasSupport {
public:
  virtual ~ICanvasSupport() = default;
  virtual const TNotifyEvent& GetCanvasChange() const = 0;
  virtual void SetCanvasChange(TNotifyEvent Handler) = 0;
  // Created on first use, on the backend's DC.
  virtual TCanvas& GetCanvas() = 0;
  virtual void DeleteCanvas() = 0;
  virtual bool CanvasAllocated() const = 0;
};

// ---- The backend ------------------------------------------------------------

class TGDIBackend : public TCustomBackend,
                    public IPaintSupport,
                    public IBitmapContextSupport,
                    public IDeviceContextSupport,
                    public ITextSupport,
                    public IFontSupport,
                    public ITextToPathSupport,
                    public ICanvasSupport {
public:
  explicit TGDIBackend(TCustomBitmap32* Owner = nullptr);
  ~TGDIBackend() override;

  std::string ClassName() const override { return "TGDIBackend"; }
  void Changed() override;
  void Changing() override;
  bool Empty() const override { return !FBitmapHandle; }

  // IPaintSupport
  void ImageNeeded() override {}
  void CheckPixmap() override {}
  void DoPaint(TCustomBitmap32* ABuffer, const std::vector<TRect>& AInvalidRects,
               const TRect& APaintBoxViewport, TCanvas& ACanvas) override;
  // IBitmapContextSupport
  const BITMAPINFO& GetBitmapInfo() const override { return FBitmapInfo; }
  HBITMAP GetBitmapHandle() const override { return FBitmapHandle.Get(); }
  // IDeviceContextSupport
  HDC GetHandle() const override { return FHDC.Get(); }
  void Draw(const TRect& DstRect, const TRect& SrcRect, HDC hSrc) override;
  void DrawTo(HDC hDst, int32_t DstX, int32_t DstY) override;
  void DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) override;
  // ITextSupport
  void Textout(int32_t X, int32_t Y, const std::string& Text) override;
  void Textout(int32_t X, int32_t Y, const TRect& ClipRect, const std::string& Text) override;
  void Textout(TRect DstRect, uint32_t Flags, const std::string& Text) override;
  SIZE TextExtent(const std::string& Text) override;
  void TextoutW(int32_t X, int32_t Y, const std::wstring& Text) override;
  void TextoutW(int32_t X, int32_t Y, const TRect& ClipRect, const std::wstring& Text) override;
  void TextoutW(TRect DstRect, uint32_t Flags, const std::wstring& Text) override;
  SIZE TextExtentW(const std::wstring& Text) override;
  // IFontSupport
  const TNotifyEvent& GetOnFontChange() const override { return FOnFontChange; }
  void SetOnFontChange(TNotifyEvent Handler) override { FOnFontChange = std::move(Handler); }
  TFont& GetFont() override { return *FFont; }
  void SetFont(const TFont& Font) override;
  void UpdateFont() override;
  // ITextToPathSupport
  void TextToPath(TTextPath& Path, TFloat X, TFloat Y, const std::wstring& Text) override;
  void TextToPath(TTextPath& Path, const TFloatRect& DstRect, const std::wstring& Text,
                  uint32_t Flags) override;
  TFloatRect MeasureText(const TFloatRect& DstRect, const std::wstring& Text, uint32_t Flags) override;
  // ICanvasSupport
  const TNotifyEvent& GetCanvasChange() const override { return FOnCanvasChange; }
  void SetCanvasChange(TNotifyEvent Handler) override { FOnCanvasChange = std::move(Handler); }
  TCanvas& GetCanvas() override;
  void DeleteCanvas() override;
  bool CanvasAllocated() const override { return FCanvas != nullptr; }

  // The font handle currently selected into the DC, or nullptr.
  HFONT FontHandle() const { return FFontHandle; }

protected:
  void PrepareSurface(int32_t NewWidth, int32_t NewHeight, bool ClearBuffer) override;
  void ReleaseSurface() override;

private:
  void FontChanged(TObject* Sender);
  // The owner's clip state and measuring mode, read for each text operation.
  bool OwnerMeasuring() const;
  void OwnerChanged(const TRect& Area);
  // Runs Paint on the DC (or, without one, on the stock measuring DC) inside a path bracket.
  void CollectPath(TTextPath& Path, const std::function<void(HDC)>& Paint);

  BITMAPINFO FBitmapInfo{};
  TGdiBitmap FBitmapHandle;
  TOwnedDC FHDC;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TCanvas> FCanvas;
  HFONT FFontHandle = nullptr;
  // Keeps FFontHandle alive while it is selected: the font drops its handle
  // on a change before it tells us, and a selected font must not be deleted.
  std::shared_ptr<TGdiFont> FSelectedFont;
  HANDLE FMapHandle = nullptr;
  TNotifyEvent FOnFontChange;
  TNotifyEvent FOnCanvasChange;
};

// ---- Shared helpers ---------------------------------------------------------------

// The shared 8 x 8 measuring bitmap's canvas, used to measure text where a
// bitmap has no DC. Lock it around each use.
TCanvas& StockBitmapCanvas();

// The size of the first N characters of Text in Font as DrawTextW with
// DT_CALCRECT and Flags measures them (from a rectangle of no width), on the
// stock canvas.
SIZE MeasureTextRect(TFont& Font, const wchar_t* Text, size_t N, uint32_t Flags);

// Recreates Font's handle with the given LOGFONT quality (DEFAULT_QUALITY 0,
// NONANTIALIASED_QUALITY 3, ANTIALIASED_QUALITY 4, ...). A font named
// "Default" is created with the face "MS Sans Serif".
void SetFontQuality(TFont& Font, uint8_t Quality);

// ---- TBitmap32 operations on its backend -----------------------------------------

TCanvas& Canvas(TCustomBitmap32& Bitmap);
bool CanvasAllocated(const TCustomBitmap32& Bitmap);
void DeleteCanvas(TCustomBitmap32& Bitmap);
TFont& Font(TCustomBitmap32& Bitmap);
void SetFont(TCustomBitmap32& Bitmap, const TFont& Value);
void UpdateFont(TCustomBitmap32& Bitmap);

HDC Handle(const TCustomBitmap32& Bitmap);
HBITMAP BitmapHandle(const TCustomBitmap32& Bitmap);
const BITMAPINFO& BitmapInfo(const TCustomBitmap32& Bitmap);
void Draw(TCustomBitmap32& Bitmap, const TRect& DstRect, const TRect& SrcRect, HDC hSrc);
void DrawTo(const TCustomBitmap32& Bitmap, HDC hDst, int32_t DstX, int32_t DstY);
void DrawTo(const TCustomBitmap32& Bitmap, HDC hDst, const TRect& DstRect, const TRect& SrcRect);
// SrcRect of the bitmap stretched onto DstRect of hDst through the bitmap's
// resampler and draw mode, in tiles of at most 1024 x 1024 pixels.
void TileTo(const TCustomBitmap32& Bitmap, HDC hDst, const TRect& DstRect, const TRect& SrcRect);

void Textout(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const std::string& Text);
void Textout(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const TRect& ClipRect, const std::string& Text);
void Textout(TCustomBitmap32& Bitmap, const TRect& DstRect, uint32_t Flags, const std::string& Text);
void TextoutW(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const std::wstring& Text);
void TextoutW(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const TRect& ClipRect, const std::wstring& Text);
void TextoutW(TCustomBitmap32& Bitmap, const TRect& DstRect, uint32_t Flags, const std::wstring& Text);
SIZE TextExtent(TCustomBitmap32& Bitmap, const std::string& Text);
SIZE TextExtentW(TCustomBitmap32& Bitmap, const std::wstring& Text);
int32_t TextWidth(TCustomBitmap32& Bitmap, const std::string& Text);
int32_t TextHeight(TCustomBitmap32& Bitmap, const std::string& Text);
int32_t TextWidthW(TCustomBitmap32& Bitmap, const std::wstring& Text);
int32_t TextHeightW(TCustomBitmap32& Bitmap, const std::wstring& Text);

// Alpha-blended text in a TColor32 colour, laid on with the bitmap's combine
// mode and the colour's alpha as master alpha. AALevel -1 uses the font's
// anti-aliasing, 0 none, 1 to 4 supersampling by 2^AALevel (clamped to -1..4).
void RenderText(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const std::string& Text, int32_t AALevel,
                TColor32 Color);
void RenderTextW(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const std::wstring& Text, int32_t AALevel,
                 TColor32 Color);
// Text laid out in DstRect with DrawTextW flags, non-anti-aliased; the font
// stays at that quality afterwards.
void RenderText(TCustomBitmap32& Bitmap, const TRect& DstRect, uint32_t Flags, const std::wstring& Text,
                TColor32 Color);
// The same with AALevel taken as the font quality (a LOGFONT quality value),
// which is set back to the default afterwards.
void RenderText(TCustomBitmap32& Bitmap, const TRect& DstRect, uint32_t Flags, const std::wstring& Text,
                int32_t AALevel, TColor32 Color);
