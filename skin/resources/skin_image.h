// Skin images and the small persistent objects through which skinned controls
// describe their look: the state-strip picture reference (TPngPictures), an
// offset, a text glow and a text with a glow. Also how one state frame is cut
// out of a strip.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gfx/bitmap32.h"
#include "toolkit/core/classes.h"

// The id of a skin image; ids compare trimmed and case-insensitively.
using TVelResID = std::wstring;

// The class of every skin image the resource manager hands out.
class TVelSkinImage : public TBitmap32 {
public:
  TVelSkinImage() = default;
  std::string ClassName() const override { return "TVelSkinImage"; }
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t Value) { FTag = Value; }

private:
  int32_t FTag = 0;
};

// How a window's background picture fills it.
enum TVelFillStyle { mfsBlur, mfsTile, mfsStretch, mfs9Block };
// How a panel's background image fills the panel.
enum TVelPngFillType { ftNormal, ftTile, ftAutoStretch, ftCenter, ftStretch, ftGradient };

// Where a caption too long for its place is cut with an ellipsis.
enum TEllipsisPosition { epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis };

// Frame strips are refused above this width or height.
constexpr int32_t MaxStripSide = 10000;

// Cuts frame Index of Count out of Strip into AImage: frames side by side, or
// stacked when MultiLine. AImage takes the strip's properties and the frame's
// size and receives the frame through eight transformed passes, each laid on
// by the strip's draw and combine modes. False, with AImage untouched, when
// there is no strip or target, the index is outside 0..Count-1, the strip is
// empty or wider or higher than MaxStripSide, or a frame would be 0 pixels.
bool CutFrame(TCustomBitmap32* Strip, int32_t Index, int32_t Count, bool MultiLine, TCustomBitmap32* AImage);

// Cuts Rect of Strip into AImage: AImage takes the strip's properties and
// Rect's size, is cleared to Background and receives the rectangle through
// eight transformed passes. An empty Rect leaves AImage empty.
void CutRect(TCustomBitmap32* Strip, const TRect& Rect, TCustomBitmap32* AImage, TColor32 Background);

// A reference to a strip of state frames and which frame shows which state.
class TPngPictures : public TPersistent {
public:
  TPngPictures() = default;
  TPngPictures(const TPngPictures&) = delete;
  TPngPictures& operator=(const TPngPictures&) = delete;

  // From another TPngPictures through the setters (Active, Image, Count,
  // Normal, Hot, Pressed, Disable, MultiLineMode); anything else raises
  // EConvertError.
  void Assign(TPersistent* Source) override;
  // Looks the strip up again when DPI scaling is on and the scale changed.
  virtual void CheckDPIScale();

  void Lock() { FLocked = true; }
  void UnLock() { FLocked = false; }
  bool Locked() const { return FLocked; }

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool MultiLineMode() const { return FMultiLineMode; }
  void SetMultiLineMode(bool Value) { FMultiLineMode = Value; }
  const TVelResID& Image() const { return FImage; }
  // A new id (compared case-sensitively) is looked up through the resource manager.
  void SetImage(const TVelResID& Value);
  int32_t Normal() const { return FNormal; }
  void SetNormal(int32_t Value);
  int32_t Hot() const { return FHot; }
  void SetHot(int32_t Value);
  int32_t Disable() const { return FDisable; }
  void SetDisable(int32_t Value);
  int32_t Count() const { return FCount; }
  void SetCount(int32_t Value);
  int32_t Pressed() const { return FPressed; }
  void SetPressed(int32_t Value) { FPressed = Value; }
  double DPIScale() const { return FDPIScale; }
  TVelSkinImage* SourceImage() const { return FSourceImage; }
  // The strip's width and height; 0 x 0 without a strip.
  TPoint SourceSize();

  const TNotifyEvent& PicturesChanged() const { return FPicturesChanged; }
  // Stores the handler and notifies at once.
  void SetPicturesChanged(TNotifyEvent Value);

  // Cut the frame of a state into AImage; true on success.
  bool GetNormalImage(TCustomBitmap32* AImage);
  bool GetHotImage(TCustomBitmap32* AImage);
  bool GetPressedImage(TCustomBitmap32* AImage);
  bool GetDisableImage(TCustomBitmap32* AImage);
  // Size of one frame; 0 without a strip or with an empty one.
  int32_t GetSingleWidth();
  int32_t GetSingleHeight();

protected:
  std::string ClassName() const override { return "TPngPictures"; }
  void DoChanged();
  bool GetFrame(int32_t Index, TCustomBitmap32* AImage);

private:
  int32_t FHot = 1;
  TVelSkinImage* FSourceImage = nullptr;  // owned by the resource manager
  int32_t FPressed = 2;
  int32_t FNormal = 0;
  bool FActive = false;
  int32_t FCount = 3;
  TNotifyEvent FPicturesChanged;
  int32_t FDisable = 0;
  bool FMultiLineMode = false;
  TVelResID FImage;
  double FDPIScale = 1.0;
  bool FLocked = false;
  // Frames already cut from the strip, by index: cutting is costly and every
  // paint of a control asks for one. Dropped when the strip, the count or the
  // layout changes.
  struct TFrameCache {
    const TCustomBitmap32* Strip = nullptr;
    int32_t Count = 0;
    bool MultiLine = false;
    std::vector<std::pair<int32_t, std::unique_ptr<TCustomBitmap32>>> Frames;
  } FFrameCache;
};

// An offset with a change event.
class TVelOffset : public TPersistent {
public:
  int32_t X() const { return FX; }
  void SetX(int32_t Value);
  int32_t Y() const { return FY; }
  void SetY(int32_t Value);
  void Assign(TPersistent* Source) override;
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(TNotifyEvent Value) { FOnChanged = std::move(Value); }

protected:
  std::string ClassName() const override { return "TVelOffset"; }
  void DoChanged();

private:
  int32_t FX = 0;
  int32_t FY = 0;
  TNotifyEvent FOnChanged;
};

// A glow behind text.
class TVelLightClass : public TPersistent {
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  int32_t BlurRadius() const { return FBlurRadius; }
  void SetBlurRadius(int32_t Value);
  // Copies Active and Color (not BlurRadius).
  void Assign(TPersistent* Source) override;
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(TNotifyEvent Value) { FOnChanged = std::move(Value); }

protected:
  std::string ClassName() const override { return "TVelLightClass"; }
  void DoChanged();

private:
  TColor FColor = 16777214;
  bool FActive = false;
  TNotifyEvent FOnChanged;
  int32_t FBlurRadius = 1;
};

// A text with an optional glow.
class TVelTextObj : public TPersistent {
public:
  TVelTextObj() = default;
  TVelTextObj(const TVelTextObj&) = delete;
  TVelTextObj& operator=(const TVelTextObj&) = delete;

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TVelLightClass& Light() { return FLight; }
  const TVelLightClass& Light() const { return FLight; }
  // Copies Value into the owned glow.
  void SetLight(const TVelLightClass& Value) { FLight.Assign(const_cast<TVelLightClass*>(&Value)); }
  const std::wstring& Text() const { return FText; }
  void SetText(const std::wstring& Value);
  // Assigns Light, then sets Text and Visible.
  void Assign(TPersistent* Source) override;
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(TNotifyEvent Value) { FOnChanged = std::move(Value); }

protected:
  std::string ClassName() const override { return "TVelTextObj"; }
  void DoChanged();

private:
  bool FVisible = true;
  TVelLightClass FLight;
  std::wstring FText;
  TNotifyEvent FOnChanged;
};
