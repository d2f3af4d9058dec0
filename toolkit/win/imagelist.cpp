#include "toolkit/win/imagelist.h"

#include "toolkit/win/graphics.h"

#include <algorithm>

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

TCustomImageList::TCustomImageList(TComponent* AOwner, int Width, int Height)
    : TComponent(AOwner), FWidth(std::max(1, Width)), FHeight(std::max(1, Height)) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : FLinks) link->FSender = nullptr;
}

void TCustomImageList::SetSize(int Width, int Height) {
  Width = std::max(1, Width);
  Height = std::max(1, Height);
  if (Width == FWidth && Height == FHeight) return;
  FWidth = Width;
  FHeight = Height;
  FImages.clear();
  Change();
}

namespace {

// Grey of the image's own intensity at half its opacity.
uint32_t DisabledPixel(uint32_t P) {
  const uint32_t r = (P >> 16) & 0xFF, g = (P >> 8) & 0xFF, b = P & 0xFF, a = P >> 24;
  const uint32_t y = (r * 61 + g * 174 + b * 21) >> 8;
  return ((a / 2) << 24) | (y << 16) | (y << 8) | y;
}

}  // namespace

int TCustomImageList::Add(const uint32_t* Pixels, int Stride) {
  if (!Pixels || Stride < FWidth) return -1;
  TImage image;
  image.Normal.resize(static_cast<size_t>(FWidth) * FHeight);
  for (int y = 0; y < FHeight; ++y)
    std::copy_n(Pixels + static_cast<size_t>(y) * Stride, FWidth, image.Normal.begin() + static_cast<size_t>(y) * FWidth);
  image.Disabled.resize(image.Normal.size());
  std::transform(image.Normal.begin(), image.Normal.end(), image.Disabled.begin(), DisabledPixel);
  FImages.push_back(std::move(image));
  Change();
  return Count() - 1;
}

int TCustomImageList::AddStrip(const uint32_t* Pixels, int StripWidth) {
  if (!Pixels || StripWidth < FWidth) return -1;
  const int first = Count();
  for (int x = 0; x + FWidth <= StripWidth; x += FWidth) Add(Pixels + x, StripWidth);
  return first;
}

void TCustomImageList::Delete(int Index) {
  if (!Valid(Index)) return;
  FImages.erase(FImages.begin() + Index);
  Change();
}

void TCustomImageList::Clear() {
  if (FImages.empty()) return;
  FImages.clear();
  Change();
}

const std::vector<uint32_t>& TCustomImageList::Pixels(int Index, bool Enabled) const {
  static const std::vector<uint32_t> none;
  if (!Valid(Index)) return none;
  return Enabled ? FImages[Index].Normal : FImages[Index].Disabled;
}

void TCustomImageList::Draw(HDC DC, int X, int Y, int Index, bool Enabled) const {
  if (!DC || !Valid(Index)) return;
  const std::vector<uint32_t>& source = Pixels(Index, Enabled);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), FWidth, -FHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  TGdiBitmap dib(CreateDIBSection(DC, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return;
  // AlphaBlend takes premultiplied pixels.
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < source.size(); ++i) {
    const uint32_t p = source[i], a = p >> 24;
    const auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
    out[i] = (a << 24) | (mul((p >> 16) & 0xFF) << 16) | (mul((p >> 8) & 0xFF) << 8) | mul(p & 0xFF);
  }
  TMemoryDC memory(DC);
  TSelectObject select(memory.Get(), dib.Get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(DC, X, Y, FWidth, FHeight, memory.Get(), 0, 0, FWidth, FHeight, blend);
}

void TCustomImageList::RegisterChanges(TChangeLink* Link) {
  if (!Link || Link->FSender == this) return;
  if (Link->FSender) Link->FSender->UnRegisterChanges(Link);
  Link->FSender = this;
  FLinks.push_back(Link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Link) {
  auto it = std::find(FLinks.begin(), FLinks.end(), Link);
  if (it == FLinks.end()) return;
  FLinks.erase(it);
  Link->FSender = nullptr;
}

void TCustomImageList::Change() {
  // A handler may unregister or free links: call only those still registered.
  const std::vector<TChangeLink*> links = FLinks;
  for (TChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end() && link->OnChange) link->OnChange(this);
  if (OnChange) OnChange(this);
}
