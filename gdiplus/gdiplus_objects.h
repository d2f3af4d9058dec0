// Owned GDI+ objects over the flat interface: the process-wide start-up, a
// graphics object on a device context, a path, a pen, and stroking a path.
// GDI+ is started once and never shut down: its background thread and caches
// live as long as the process, and no object may outlive a shut-down.
#pragma once

#include <cstdint>

#include "toolkit/core/classes.h"
#include "toolkit/win/winapi.h"

namespace Gdiplus {
class GpGraphics;
class GpPath;
class GpPen;
}  // namespace Gdiplus

// A GDI+ call that answered a status other than Ok.
class EGdiPlusError : public Exception {
public:
  EGdiPlusError(const char* Call, int Status);
  int Status() const { return FStatus; }

private:
  int FStatus;
};

// Starts GDI+ for the process; later calls (from any thread) do nothing. A
// failed start raises and leaves the next call to try again.
void StartGdiPlus();
bool GdiPlusStarted();

// Graphics objects, paths and pens alive now (for leak checks).
long GdiPlusLiveObjects();

enum TGPLineJoin { ljMiter = 0, ljBevel = 1, ljRound = 2 };

// A path of straight lines, in float pixel coordinates.
class TGPPath {
public:
  TGPPath();
  ~TGPPath();
  TGPPath(const TGPPath&) = delete;
  TGPPath& operator=(const TGPPath&) = delete;

  void AddLine(float X1, float Y1, float X2, float Y2);
  Gdiplus::GpPath* Native() const { return FPath; }

private:
  Gdiplus::GpPath* FPath = nullptr;
};

// A solid pen: colour 0xAARRGGBB and width in pixels.
class TGPPen {
public:
  TGPPen(uint32_t Argb, float Width);
  ~TGPPen();
  TGPPen(const TGPPen&) = delete;
  TGPPen& operator=(const TGPPen&) = delete;

  void SetLineJoin(TGPLineJoin Join);
  Gdiplus::GpPen* Native() const { return FPen; }

private:
  Gdiplus::GpPen* FPen = nullptr;
};

// Draws on a device context with anti-aliasing. Starts GDI+ when nobody has
// yet. The device context must outlive the object.
class TGPGraphics {
public:
  explicit TGPGraphics(HDC DC);
  ~TGPGraphics();
  TGPGraphics(const TGPGraphics&) = delete;
  TGPGraphics& operator=(const TGPGraphics&) = delete;

  void DrawPath(const TGPPen& Pen, const TGPPath& Path);
  // Waits until the drawing has reached the device context.
  void Flush();
  Gdiplus::GpGraphics* Native() const { return FGraphics; }

private:
  Gdiplus::GpGraphics* FGraphics = nullptr;
};
