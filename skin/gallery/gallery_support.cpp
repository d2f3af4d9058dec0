#include "skin/gallery/gallery_support.h"

#include <cstdio>
#include <vector>

#include "skin/frame/nc_buttons.h"
#include "skin/frame/skin_form.h"
#include "toolkit/win/graphics.h"

void SetTahoma(TFont& Font, int Height, TColor Color) {
  Font.SetName(L"Tahoma");
  Font.SetHeight(Height);
  Font.SetColor(Color);
  Font.SetCharset(DEFAULT_CHARSET);
}

TVelSkinNCLabel* AddGalleryFrame(TForm* Form, const std::wstring& Caption, bool Minimize) {
  auto* skin = new TVelSkinForm(Form);
  skin->SetFlatFrame(true);
  skin->SetTitlerColor(16715740);
  if (Minimize) {
    auto* minimize = new TVelSkinSystemButton(Form);
    minimize->SetKind(bkMinimize);
    minimize->Pos().SetXValue(70);
    minimize->Pos().SetUseDefault(false);
  }
  new TVelSkinSystemButton(Form);
  auto* caption = new TVelSkinNCLabel(Form);
  caption->SetCaption(Caption);
  SetTahoma(caption->Font(), -11, clWhite);
  return caption;
}

bool SaveScreenRect(const RECT& R, const std::wstring& Path) {
  const int w = R.right - R.left, h = R.bottom - R.top;
  if (w <= 0 || h <= 0) return false;
  BITMAPINFOHEADER ih{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  {
    TWindowDC screen(nullptr);
    TMemoryDC memory(screen.Get());
    TGdiBitmap bitmap(CreateCompatibleBitmap(screen.Get(), w, h));
    if (!bitmap) return false;
    {
      TSelectObject select(memory.Get(), bitmap.Get());
      BitBlt(memory.Get(), 0, 0, w, h, screen.Get(), R.left, R.top, SRCCOPY);
    }
    BITMAPINFO bi{};
    bi.bmiHeader = ih;
    if (GetDIBits(memory.Get(), bitmap.Get(), 0, h, pixels.data(), &bi, DIB_RGB_COLORS) != h) return false;
  }
  for (uint32_t& p : pixels) p |= 0xFF000000u;
  FILE* f = _wfopen(Path.c_str(), L"wb");
  if (!f) return false;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
  const bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&ih, sizeof ih, 1, f) == 1 &&
                  std::fwrite(pixels.data(), 4, pixels.size(), f) == pixels.size();
  return std::fclose(f) == 0 && ok;
}
