#include "gdiplus/gdiplus_objects.h"

#include <atomic>
#include <mutex>
#include <string>

// The lean Windows headers leave out the COM types gdiplus.h needs.
#include <objidl.h>
#include <gdiplus.h>

namespace gp = Gdiplus::DllExports;

namespace {

std::once_flag StartOnce;
std::atomic<bool> Started{false};
std::atomic<long> LiveObjects{0};

void Check(Gdiplus::GpStatus Status, const char* Call) {
  if (Status != Gdiplus::Ok) throw EGdiPlusError(Call, static_cast<int>(Status));
}

}  // namespace

EGdiPlusError::EGdiPlusError(const char* Call, int Status)
    : Exception(std::string(Call) + " failed (GDI+ status " + std::to_string(Status) + ")"), FStatus(Status) {}

void StartGdiPlus() {
  std::call_once(StartOnce, [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Check(Gdiplus::GdiplusStartup(&token, &input, nullptr), "GdiplusStartup");
    Started = true;
  });
}

bool GdiPlusStarted() { return Started; }

long GdiPlusLiveObjects() { return LiveObjects; }

TGPPath::TGPPath() {
  StartGdiPlus();
  Check(gp::GdipCreatePath(Gdiplus::FillModeAlternate, &FPath), "GdipCreatePath");
  ++LiveObjects;
}

TGPPath::~TGPPath() {
  gp::GdipDeletePath(FPath);
  --LiveObjects;
}

void TGPPath::AddLine(float X1, float Y1, float X2, float Y2) {
  Check(gp::GdipAddPathLine(FPath, X1, Y1, X2, Y2), "GdipAddPathLine");
}

TGPPen::TGPPen(uint32_t Argb, float Width) {
  StartGdiPlus();
  Check(gp::GdipCreatePen1(Argb, Width, Gdiplus::UnitPixel, &FPen), "GdipCreatePen1");
  ++LiveObjects;
}

TGPPen::~TGPPen() {
  gp::GdipDeletePen(FPen);
  --LiveObjects;
}

void TGPPen::SetLineJoin(TGPLineJoin Join) {
  Check(gp::GdipSetPenLineJoin(FPen, static_cast<Gdiplus::LineJoin>(Join)), "GdipSetPenLineJoin");
}

TGPGraphics::TGPGraphics(HDC DC) {
  StartGdiPlus();
  Check(gp::GdipCreateFromHDC(DC, &FGraphics), "GdipCreateFromHDC");
  ++LiveObjects;
  const Gdiplus::GpStatus status = gp::GdipSetSmoothingMode(FGraphics, Gdiplus::SmoothingModeAntiAlias);
  if (status != Gdiplus::Ok) {
    gp::GdipDeleteGraphics(FGraphics);
    --LiveObjects;
    Check(status, "GdipSetSmoothingMode");
  }
}

TGPGraphics::~TGPGraphics() {
  gp::GdipDeleteGraphics(FGraphics);
  --LiveObjects;
}

void TGPGraphics::DrawPath(const TGPPen& Pen, const TGPPath& Path) {
  Check(gp::GdipDrawPath(FGraphics, Pen.Native(), Path.Native()), "GdipDrawPath");
}

void TGPGraphics::Flush() { Check(gp::GdipFlush(FGraphics, Gdiplus::FlushIntentionSync), "GdipFlush"); }
