#include "gfx/win/bitmap32_win.h"

#include "gfx/win/gdi_backend.h"

namespace {

constexpr TColor32 ColorChannels = 0x00FFFFFF;

// Sizes Dst to the graphic, fills it with FillColor and lets Paint draw on a
// canvas on the backend's DC (or on the backend's own canvas); then, if
// asked, makes every pixel opaque. An empty graphic leaves Dst empty.
template <class TPaint>
void DrawGraphicInto(TCustomBitmap32& Dst, int32_t Width, int32_t Height, TColor32 FillColor, bool ResetAlpha,
                     TPaint Paint) {
  Dst.SetSize(Width, Height);
  if (Dst.Empty()) return;
  Dst.Clear(FillColor);
  TCustomBackend* backend = Dst.Backend();
  if (auto* dc = dynamic_cast<IDeviceContextSupport*>(backend)) {
    TCanvas canvas;  // detaches from the DC when it goes
    canvas.SetHandle(dc->GetHandle());
    Paint(canvas);
  } else if (auto* canvasSupport = dynamic_cast<ICanvasSupport*>(backend)) {
    Paint(canvasSupport->GetCanvas());
  } else {
    throw EBitmapException("Inpropriate Backend");
  }
  // GDI may batch; the pixels are read directly from here on.
  GdiFlush();
  if (ResetAlpha) Dst.ResetAlpha();
}

// A toolkit bitmap: drawn over 0 without its transparency, so that every
// pixel keeps its colour; opaque unless it is 32-bit; pixels of the
// transparent colour then become fully transparent.
void AssignFromBitmap(TCustomBitmap32& Dst, TBitmap& Src) {
  const TRect bounds{0, 0, Src.Width(), Src.Height()};
  DrawGraphicInto(Dst, Src.Width(), Src.Height(), 0, Src.PixelFormat() != pf32bit,
                  [&](TCanvas& Canvas) { Src.DrawOpaque(Canvas.Handle(), bounds); });
  if (!Dst.Empty() && Src.Transparent()) {
    const TColor32 key = ToColor32(Src.TransparentColor()) & ColorChannels;
    TColor32* p = Dst.Bits();
    for (size_t i = 0, n = size_t(Dst.Width()) * size_t(Dst.Height()); i < n; ++i)
      if ((p[i] & ColorChannels) == key) p[i] &= ColorChannels;
  }
  if (auto* fonts = dynamic_cast<IFontSupport*>(Dst.Backend())) fonts->SetFont(Src.Canvas().Font());
}

bool AssignFromToolkit(TCustomBitmap32& Dst, TPersistent* Source) {
  if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    Source = picture->Graphic();
    if (!Source) {
      Dst.SetSize(0, 0);
      return true;
    }
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    AssignFromBitmap(Dst, *bitmap);
    return true;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    // Other pictures (PNG, JPEG ...) are laid over white and made opaque.
    const TRect bounds{0, 0, graphic->Width(), graphic->Height()};
    DrawGraphicInto(Dst, graphic->Width(), graphic->Height(), 0xFFFFFFFF, true,
                    [&](TCanvas& Canvas) { graphic->Draw(Canvas, bounds); });
    return true;
  }
  return false;
}

// Makes Dst a 32-bit copy of Src with Src's font; the pixels go through the
// backend's device context.
void FillToolkitBitmap(const TCustomBitmap32& Src, TBitmap& Dst) {
  Dst.SetPixelFormat(pf32bit);
  Dst.SetSize(Src.Width(), Src.Height());
  if (auto* fonts = dynamic_cast<IFontSupport*>(Src.Backend())) Dst.Canvas().SetFont(fonts->GetFont());
  if (Dst.Empty()) return;
  DrawTo(Src, Dst.Canvas().Handle(), 0, 0);
  GdiFlush();
}

bool AssignToToolkit(const TCustomBitmap32& Src, TPersistent* Dest) {
  if (auto* picture = dynamic_cast<TPicture*>(Dest)) {
    FillToolkitBitmap(Src, picture->Bitmap());
    return true;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
    FillToolkitBitmap(Src, *bitmap);
    return true;
  }
  // Anything else takes what it can from a toolkit bitmap.
  TBitmap temporary;
  FillToolkitBitmap(Src, temporary);
  Dest->Assign(&temporary);
  return true;
}

void LoadBitmapStream(TCustomBitmap32& Dst, TStream& Stream) {
  TBitmap loaded;
  loaded.LoadFromStream(Stream);
  Dst.Assign(&loaded);
}

void LoadPictureFile(TCustomBitmap32& Dst, const std::filesystem::path& FileName) {
  TPicture loaded;
  loaded.LoadFromFile(FileName);
  Dst.Assign(&loaded);
}

void CopyFont(const TCustomBitmap32& Src, TCustomBitmap32& Dst) {
  auto* from = dynamic_cast<IFontSupport*>(Src.Backend());
  auto* to = dynamic_cast<IFontSupport*>(Dst.Backend());
  if (from && to && from != to) to->SetFont(from->GetFont());
}

}  // namespace

void InstallBitmap32WinServices() {
  TBitmap32PlatformServices services;
  services.AssignFrom = AssignFromToolkit;
  services.AssignTo = AssignToToolkit;
  services.LoadBitmapStream = LoadBitmapStream;
  services.LoadPictureFile = LoadPictureFile;
  services.CopyProperties = CopyFont;
  SetBitmap32PlatformServices(services);
}

void LoadFromResourceName(TCustomBitmap32& Bitmap, HINSTANCE Instance, const std::wstring& ResName) {
  TBitmap loaded;
  loaded.LoadFromResourceName(Instance, ResName);
  Bitmap.Assign(&loaded);
  Bitmap.Changed();
}

void LoadFromResourceID(TCustomBitmap32& Bitmap, HINSTANCE Instance, uint32_t ResID) {
  TBitmap loaded;
  loaded.LoadFromResourceID(Instance, ResID);
  Bitmap.Assign(&loaded);
  Bitmap.Changed();
}
