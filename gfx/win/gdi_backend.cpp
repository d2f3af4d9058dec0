#include "gfx/win/gdi_backend.h"

#include "gfx/win/bitmap32_win.h"

#include <algorithm>
#include <cstdint>

namespace {

// Every TBitmap32 made after start-up keeps its pixels in a DIB section, and
// bitmaps exchange images with the toolkit's image classes.
[[maybe_unused]] const bool GDIBackendInstalled = [] {
  TBitmap32::SetPlatformBackendClass(NewBackend<TGDIBackend>);
  InstallBitmap32WinServices();
  return true;
}();

// GDI takes the image size as a signed 32-bit byte count.
constexpr int64_t MaxSurfaceBytes = INT32_MAX;

template <class I> I& BackendOf(const TCustomBitmap32& Bitmap) {
  return SupportsInterface<I>(Bitmap.Backend());
}

}  // namespace

// ---- TGDIBackend: surface ------------------------------------------------------

TGDIBackend::TGDIBackend(TCustomBitmap32* Owner) : TCustomBackend(Owner), FFont(std::make_unique<TFont>()) {
  FBitmapInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  FBitmapInfo.bmiHeader.biPlanes = 1;
  FBitmapInfo.bmiHeader.biBitCount = 32;
  FBitmapInfo.bmiHeader.biCompression = BI_RGB;
  FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
  // Font and canvas changes alter what the owning bitmap shows.
  FOnFontChange = [this](TObject*) {
    if (FOwner) FOwner->Changed();
  };
  FOnCanvasChange = [this](TObject*) {
    if (FOwner) FOwner->Changed();
  };
}

TGDIBackend::~TGDIBackend() {
  DeleteCanvas();
  ReleaseSurface();
}

void TGDIBackend::PrepareSurface(int32_t NewWidth, int32_t NewHeight, bool) {
  // A size whose byte count GDI cannot express would otherwise wrap around
  // into a smaller section than the bitmap believes it has.
  BITMAPINFOHEADER& header = FBitmapInfo.bmiHeader;
  auto fail = [&header](const char* Message) {
    header.biWidth = header.biHeight = 0;
    header.biSizeImage = 0;
    throw EBitmapException(Message);
  };
  if (int64_t(NewWidth) * NewHeight * 4 > MaxSurfaceBytes) fail("Can't allocate the DIB handle");
  header.biWidth = NewWidth;
  header.biHeight = -NewHeight;
  header.biSizeImage = DWORD(NewWidth) * DWORD(NewHeight) * 4;

  void* bits = nullptr;
  TGdiBitmap section(CreateDIBSection(nullptr, &FBitmapInfo, DIB_RGB_COLORS, &bits, FMapHandle, 0));
  if (!bits || !section) fail("Can't allocate the DIB handle");
  TOwnedDC dc(CreateCompatibleDC(nullptr));
  if (!dc) fail("Can't create compatible DC");
  if (!SelectObject(dc.Get(), section.Get())) fail("Can't select an object into DC");

  // Locals die in reverse order on failure: the DC before the section.
  FHDC.Reset(dc.Release());
  FBitmapHandle = std::move(section);
  FBits = static_cast<PColor32Array>(bits);
}

void TGDIBackend::ReleaseSurface() {
  // The DC goes first: a bitmap selected into a DC cannot be deleted.
  FHDC.Reset();
  FBitmapHandle.Reset();
  FBits = nullptr;
  FBitmapInfo.bmiHeader.biWidth = 0;
  FBitmapInfo.bmiHeader.biHeight = 0;
  FBitmapInfo.bmiHeader.biSizeImage = 0;
}

void TGDIBackend::Changing() {
  // The canvas is bound to the DC that is about to go.
  DeleteCanvas();
  TCustomBackend::Changing();
}

void TGDIBackend::Changed() {
  if (FCanvas) FCanvas->SetHandle(FHDC.Get());
  TCustomBackend::Changed();
}

bool TGDIBackend::OwnerMeasuring() const { return FOwner && FOwner->MeasuringMode(); }

void TGDIBackend::OwnerChanged(const TRect& Area) {
  if (FOwner) FOwner->Changed(Area, AREAINFO_RECT);
}

// ---- Canvas and font -----------------------------------------------------------

TCanvas& TGDIBackend::GetCanvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TCanvas>();
    FCanvas->SetHandle(FHDC.Get());
    FCanvas->OnChange = [this](TObject*) {
      // Canvas drawing is batched by GDI; the pixels must be in memory before
      // anyone reads them.
      GdiFlush();
      if (FOnCanvasChange) FOnCanvasChange(this);
    };
  }
  return *FCanvas;
}

void TGDIBackend::DeleteCanvas() {
  if (!FCanvas) return;
  FCanvas->SetHandle(nullptr);
  FCanvas.reset();
}

void TGDIBackend::SetFont(const TFont& Font) {
  FFont->Assign(const_cast<TFont*>(&Font));
  if (FOnFontChange) FOnFontChange(this);
}

void TGDIBackend::FontChanged(TObject*) {
  if (FFontHandle) {
    if (FHDC) SelectObject(FHDC.Get(), GetStockObject(SYSTEM_FONT));
    FFontHandle = nullptr;
    FSelectedFont.reset();
  }
  if (FOnFontChange) FOnFontChange(this);
}

void TGDIBackend::UpdateFont() {
  if (FFontHandle || !FHDC) {
    if (FHDC) SelectObject(FHDC.Get(), FFontHandle);
  } else {
    FSelectedFont = FFont->Resource();
    FFontHandle = FSelectedFont->Get();
    SelectObject(FHDC.Get(), FFontHandle);
  }
  if (FHDC) {
    SetTextColor(FHDC.Get(), ColorToRef(FFont->Color()));
    SetBkMode(FHDC.Get(), TRANSPARENT);
  }
}

// ---- Device-context copies --------------------------------------------------------

void TGDIBackend::DrawTo(HDC hDst, int32_t DstX, int32_t DstY) {
  if (Empty()) return;
  const int32_t w = FBitmapInfo.bmiHeader.biWidth, h = -FBitmapInfo.bmiHeader.biHeight;
  StretchDIBits(hDst, DstX, DstY, w, h, 0, 0, w, h, FBits, &FBitmapInfo, DIB_RGB_COLORS, SRCCOPY);
}

void TGDIBackend::DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) {
  if (Empty()) return;
  StretchBlt(hDst, DstRect.Left, DstRect.Top, DstRect.Width(), DstRect.Height(), FHDC.Get(), SrcRect.Left,
             SrcRect.Top, SrcRect.Width(), SrcRect.Height(), SRCCOPY);
}

void TGDIBackend::Draw(const TRect& DstRect, const TRect& SrcRect, HDC hSrc) {
  if (Empty()) return;
  if (!OwnerMeasuring()) {
    StretchBlt(FHDC.Get(), DstRect.Left, DstRect.Top, DstRect.Width(), DstRect.Height(), hSrc, SrcRect.Left,
               SrcRect.Top, SrcRect.Width(), SrcRect.Height(), SRCCOPY);
    GdiFlush();
  }
  OwnerChanged(DstRect);
}

void TGDIBackend::DoPaint(TCustomBitmap32* ABuffer, const std::vector<TRect>& AInvalidRects,
                          const TRect& APaintBoxViewport, TCanvas& ACanvas) {
  if (!ABuffer) return;
  HDC src = BackendOf<IDeviceContextSupport>(*ABuffer).GetHandle();
  HDC dst = ACanvas.Handle();
  auto copy = [&](const TRect& R) {
    BitBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, R.Left, R.Top, SRCCOPY);
  };
  if (AInvalidRects.empty()) {
    copy(APaintBoxViewport);
  } else {
    for (const TRect& r : AInvalidRects) copy(r);
  }
}

// ---- TBitmap32 operations ---------------------------------------------------------

TCanvas& Canvas(TCustomBitmap32& Bitmap) { return BackendOf<ICanvasSupport>(Bitmap).GetCanvas(); }
bool CanvasAllocated(const TCustomBitmap32& Bitmap) { return BackendOf<ICanvasSupport>(Bitmap).CanvasAllocated(); }
void DeleteCanvas(TCustomBitmap32& Bitmap) { BackendOf<ICanvasSupport>(Bitmap).DeleteCanvas(); }
TFont& Font(TCustomBitmap32& Bitmap) { return BackendOf<IFontSupport>(Bitmap).GetFont(); }
void SetFont(TCustomBitmap32& Bitmap, const TFont& Value) { BackendOf<IFontSupport>(Bitmap).SetFont(Value); }
void UpdateFont(TCustomBitmap32& Bitmap) { BackendOf<IFontSupport>(Bitmap).UpdateFont(); }

HDC Handle(const TCustomBitmap32& Bitmap) { return BackendOf<IDeviceContextSupport>(Bitmap).GetHandle(); }
HBITMAP BitmapHandle(const TCustomBitmap32& Bitmap) {
  return BackendOf<IBitmapContextSupport>(Bitmap).GetBitmapHandle();
}
const BITMAPINFO& BitmapInfo(const TCustomBitmap32& Bitmap) {
  return BackendOf<IBitmapContextSupport>(Bitmap).GetBitmapInfo();
}

void Draw(TCustomBitmap32& Bitmap, const TRect& DstRect, const TRect& SrcRect, HDC hSrc) {
  BackendOf<IDeviceContextSupport>(Bitmap).Draw(DstRect, SrcRect, hSrc);
}

void DrawTo(const TCustomBitmap32& Bitmap, HDC hDst, int32_t DstX, int32_t DstY) {
  BackendOf<IDeviceContextSupport>(Bitmap).DrawTo(hDst, DstX, DstY);
}

void DrawTo(const TCustomBitmap32& Bitmap, HDC hDst, const TRect& DstRect, const TRect& SrcRect) {
  BackendOf<IDeviceContextSupport>(Bitmap).DrawTo(hDst, DstRect, SrcRect);
}

void TileTo(const TCustomBitmap32& Bitmap, HDC hDst, const TRect& DstRect, const TRect& SrcRect) {
  constexpr int32_t TileSize = 1024;
  if (Bitmap.Empty() || DstRect.Width() <= 0 || DstRect.Height() <= 0) return;
  // Tiles outside the DC's clip box would be drawn for nothing; leaving them
  // out keeps a huge destination rectangle from costing time and memory.
  // The stretch is computed against the whole DstRect, so the result is the same.
  TRect area = DstRect;
  RECT box;
  const int kind = GetClipBox(hDst, &box);
  if (kind == NULLREGION) return;
  if (kind != ERROR && !IntersectRect(area, area, ToTRect(box))) return;

  for (int64_t ty = area.Top; ty < area.Bottom; ty += TileSize) {
    for (int64_t tx = area.Left; tx < area.Right; tx += TileSize) {
      const TRect tile{int32_t(tx), int32_t(ty), int32_t(std::min<int64_t>(tx + TileSize, area.Right)),
                       int32_t(std::min<int64_t>(ty + TileSize, area.Bottom))};
      TBitmap32 buffer(NewBackend<TGDIBackend>);
      buffer.SetSize(tile.Width(), tile.Height());
      TRect dst = DstRect;
      OffsetRect(dst, -tile.Left, -tile.Top);
      Bitmap.DrawTo(&buffer, dst, SrcRect);
      DrawTo(buffer, hDst, tile, buffer.BoundsRect());
    }
  }
}
