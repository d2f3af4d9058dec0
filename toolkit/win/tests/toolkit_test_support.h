// Shared by the toolkit's Windows tests: a DIB to paint into and read back,
// and a fixture with a fresh 300 x 200 form.
#pragma once

#include "toolkit/win/stdctrls.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

// A 32-bit top-down DIB with its own DC, for painting tests.
class TTestDib {
public:
  TTestDib(int Width, int Height) : FWidth(Width), FDC(nullptr) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = Width;
    bi.bmiHeader.biHeight = -Height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    FBitmap.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0));
    FDC = CreateCompatibleDC(nullptr);
    FOld = SelectObject(FDC, FBitmap.Get());
  }
  ~TTestDib() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  HDC DC() const { return FDC; }
  // 0x00RRGGBB as COLORREF order (0x00BBGGRR) for comparison with TColor.
  uint32_t Pixel(int X, int Y) const {
    GdiFlush();
    const uint32_t p = FBits[Y * FWidth + X];
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
  }

private:
  int FWidth;
  HDC FDC;
  HGDIOBJ FOld = nullptr;
  TGdiBitmap FBitmap;
  uint32_t* FBits = nullptr;
};

class ToolkitWin : public ::testing::Test {
protected:
  static void SetUpTestSuite() { Application->Initialize(); }
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetClientSize(300, 200);
    Form->AfterConstruction();
  }
  void TearDown() override {
    Form.reset();
    Application->OnException = nullptr;
  }
  std::unique_ptr<TForm> Form;
};

