// An image list: images of one size, kept as 32-bit pixels with straight
// (not premultiplied) alpha, 0xAARRGGBB. Owners of a list (toolbars, menus)
// either draw an image onto a device context, or take its pixels and blend
// them with their own arithmetic. A disabled look is derived from each image.
#pragma once

#include "toolkit/core/components.h"
#include "toolkit/win/winapi.h"

#include <cstdint>
#include <vector>

class TCustomImageList;

// A registration for the list's change notification. The list clears Sender
// when it is freed first, so a link never points at a dead list.
class TChangeLink {
public:
  TChangeLink() = default;
  ~TChangeLink();
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;
  TCustomImageList* Sender() const { return FSender; }
  TNotifyEvent OnChange;

private:
  friend class TCustomImageList;
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
public:
  explicit TCustomImageList(TComponent* AOwner, int Width = 16, int Height = 16);
  ~TCustomImageList() override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Changing the size clears the list. Sizes are at least 1.
  void SetSize(int Width, int Height);
  int Count() const { return static_cast<int>(FImages.size()); }
  bool Valid(int Index) const { return Index >= 0 && Index < Count(); }

  // Adds one image from Width x Height pixels laid out in rows of Stride
  // pixels; returns its index.
  int Add(const uint32_t* Pixels, int Stride);
  // Adds every whole image of a horizontal strip (StripWidth x Height pixels):
  // StripWidth div Width images. Returns the index of the first, or -1 for none.
  int AddStrip(const uint32_t* Pixels, int StripWidth);
  void Delete(int Index);
  void Clear();

  // The pixels of an image, Width x Height, straight alpha (empty when Index is
  // not valid). The disabled look is grey at half opacity.
  const std::vector<uint32_t>& Pixels(int Index, bool Enabled = true) const;
  // Draws an image blended onto DC at (X, Y); an invalid index draws nothing.
  void Draw(HDC DC, int X, int Y, int Index, bool Enabled = true) const;

  void RegisterChanges(TChangeLink* Link);
  void UnRegisterChanges(TChangeLink* Link);
  TNotifyEvent OnChange;

protected:
  std::string ClassName() const override { return "TCustomImageList"; }
  void Change();

private:
  struct TImage {
    std::vector<uint32_t> Normal, Disabled;
  };
  int FWidth, FHeight;
  std::vector<TImage> FImages;
  std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
public:
  using TCustomImageList::TCustomImageList;

protected:
  std::string ClassName() const override { return "TImageList"; }
};
