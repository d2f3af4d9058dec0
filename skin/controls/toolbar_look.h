// The look of the skinned toolbar apart from its window: where every item
// goes in a row or a column (equal division, widths from captions, spacers,
// the image and caption placement of the four layouts with their text
// flags, the pressed shift, the drop-down part), which face, font and image
// each item shows, the two scroll buttons with their frames and the scroll
// steps, and which item or part lies under a point. Portable: the items and
// the toolbar's numbers come in as plain data, captions are measured and
// drawn through callbacks, and everything else is drawn into a TBitmap32.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "gfx/bitmap32.h"
#include "skin/controls/button_look.h"
#include "skin/resources/skin_image.h"

enum TToolbarItemKind { tkButton, tkSpacer };
// Where the caption goes: below, above, left of or right of the image.
enum TToolbarItemLayout { ilBottom, ilTop, ilLeft, ilRight };
// The special part the mouse is over.
enum TOtherButtonKind { gbNone, gbBack, gbFront, gbMenu };
// The caption font an item is drawn with.
enum TToolbarFont { tfNormal, tfHot, tfDown };

// DrawText flags of the captions: centred both ways (no image), centred
// below the image, centred and bottom-aligned above it, right-aligned left
// of it, left-aligned right of it; all single line.
constexpr uint32_t ToolbarCaptionCentred = 37;
constexpr uint32_t ToolbarCaptionBelow = 33;
constexpr uint32_t ToolbarCaptionAbove = 41;
constexpr uint32_t ToolbarCaptionLeft = 38;
constexpr uint32_t ToolbarCaptionRight = 36;
// The caption colour of a disabled item (0x00BBGGRR, a neutral grey).
constexpr uint32_t ToolbarDisabledCaptionColor = 0xD1D1D1;
// The design-time outline of an item without an image.
constexpr TColor32 ToolbarDesignFrameColor = 0xFFF3AB4B;
// What an automatic width adds around its content.
constexpr int32_t ToolbarAutoWidthPadding = 14;

// An item as the layout sees it. Rect and MenuButtonRect are the item's
// areas from the last layout; only the hit tests read them.
struct TToolbarItemInfo {
  TToolbarItemKind Kind = tkButton;
  bool Visible = true;
  bool Enabled = true;
  bool Down = false;
  bool HasMenu = false;
  bool TextVisible = true;
  TToolbarItemLayout TextLayout = ilBottom;
  int32_t ImageIndex = -1;
  int32_t ImageHotIndex = -1;
  int32_t ImageDownIndex = -1;
  int32_t ImageDisableIndex = -1;
  int32_t GroupIndex = 0;
  bool AllowAllUp = false;
  TColor32 LineColor = 0xFF848484;
  TRect Rect{};
  TRect MenuButtonRect{};
};

// The toolbar's numbers, already scaled for the pixel density. Negative
// sizes count as 0.
struct TToolbarMetrics {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t ButtonWidth = 48;  // 0: the length divided equally
  int32_t ButtonHeight = 48;
  int32_t SpaceSize = 3;
  int32_t MenuBtnWidth = 16;
  int32_t MarginSize = 20;
  int32_t MarginTextSize = 2;
  int32_t PressedOffset = 0;
  int32_t ExtraWidth = 0;
  TPoint DispOffset{0, 0};
  TPoint TextOffset{0, 0};
  bool MultiLine = false;
  bool AutoButtonWidth = false;
  // An image list is set, with images of this size.
  bool HasImages = false;
  int32_t ImageWidth = 0;
  int32_t ImageHeight = 0;
  int32_t HotItemIndex = -1;
  TOtherButtonKind HotOtherBtn = gbNone;
  bool DownOtherBtn = false;
};

// Caption sizes (width, height) of an item in a font, and the width hook of
// automatic widths (may change Width).
struct TToolbarMeasure {
  std::function<TPoint(int32_t Item, TToolbarFont Font)> Caption;
  std::function<void(int32_t Item, int32_t& Width)> ButtonWidth;
};

// Where an item goes and how it looks.
struct TToolbarItemPlace {
  bool Placed = false;  // visible, and laid out
  TRect Rect{};
  TRect MenuButtonRect{};  // empty without a drop-down menu
  // A spacer's line, both ends included.
  TPoint LineFrom{};
  TPoint LineTo{};
  TButtonFrame Face = bfNone;  // bfNone for spacers
  TToolbarFont Font = tfNormal;
  TButtonFrame MenuFrame = bfNone;  // of the drop-down part
  bool HasImage = false;
  TPoint ImagePos{};
  int32_t ImageIndex = -1;  // the state's image
  bool ImageEnabled = true;
  TRect TextRect{};
  uint32_t TextFlags = ToolbarCaptionCentred;
  bool Hot = false;
};

struct TToolbarLayout {
  std::vector<TToolbarItemPlace> Items;  // one per item, in order
  // The content's length along the bar (each item and its gap).
  int32_t Length = 0;
  // Where the content ends along the bar: the running position after the
  // last item (DispX in a row, DispY in a column).
  int32_t End = 0;
  // The content is longer than the toolbar.
  bool EnabledScroll = false;
};

TToolbarLayout ToolbarLayout(const TToolbarMetrics& M, const std::vector<TToolbarItemInfo>& Items,
                             const TToolbarMeasure& Measure);

// The toolbar's length along the bar.
inline int32_t ToolbarViewLength(const TToolbarMetrics& M) { return M.MultiLine ? M.Height : M.Width; }

// ---- Button faces ---------------------------------------------------------------------------

// The normal, hot and pressed faces stretched to an item's size, kept until
// an item of another size asks or Reset is called.
class TToolbarFaces {
public:
  using TCutFrame = std::function<bool(TButtonFrame Frame, TCustomBitmap32* Image)>;
  // Re-makes the three faces at W x H when the size changed or after Reset.
  void Prepare(int32_t W, int32_t H, const TCutFrame& Cut);
  // The face of a frame (bfNormal, bfHot, bfPressed), nullptr when none.
  const TCustomBitmap32* Face(TButtonFrame Frame) const;
  void Reset() { FValid = false; }
  // How often the faces were re-made.
  int32_t Remakes() const { return FRemakes; }

private:
  std::unique_ptr<TVelSkinImage> FNormal, FHot, FPressed;
  int32_t FWidth = 0, FHeight = 0;
  bool FValid = false;
  int32_t FRemakes = 0;
};

// ---- Drawing --------------------------------------------------------------------------------

struct TToolbarPaint {
  // Faces from the button strip; nullptr draws none.
  TToolbarFaces* Faces = nullptr;
  TToolbarFaces::TCutFrame CutFace;
  // The drop-down part's frame; it is cut to a centred band.
  std::function<bool(TButtonFrame Frame, TCustomBitmap32* Image)> CutMenuFrame;
  // An image's pixels (ImageWidth x ImageHeight, straight alpha), nullptr or
  // empty when there is none.
  std::function<const std::vector<uint32_t>*(int32_t Index, bool Enabled)> Image;
  int32_t ImageWidth = 0;
  int32_t ImageHeight = 0;
  std::function<void(int32_t Item, const TToolbarItemPlace& Place)> Caption;
  // After each item, spacers included.
  std::function<void(int32_t Item)> ItemDrawn;
  bool Designing = false;
};

void DrawToolbarItems(TCustomBitmap32& Bitmap, const TToolbarLayout& Layout,
                      const std::vector<TToolbarItemInfo>& Items, const TToolbarPaint& Paint);

// Blends an image of W x H straight-alpha pixels onto Bitmap at (X, Y).
void BlendImage(TCustomBitmap32& Bitmap, const std::vector<uint32_t>& Pixels, int32_t W, int32_t H, int32_t X,
                int32_t Y);

// ---- Scrolling ------------------------------------------------------------------------------

struct TToolbarScrollRects {
  TRect Back{};
  TRect Front{};
};
// Front at the far end (the right in a row, the bottom in a column), back
// just before it; sizes are the frames' (width, height).
TToolbarScrollRects ToolbarScrollRects(int32_t Width, int32_t Height, bool MultiLine, TPoint BackFrame,
                                       TPoint FrontFrame);

struct TToolbarScrollLook {
  TButtonFrame Back = bfNone;
  TButtonFrame Front = bfNone;
  // Scrolling is blocked: the hot button is at its end.
  bool StopScroll = false;
};
// The frames of the two buttons: disabled at their end, pressed while held
// and hot, hot, or normal. StopScroll comes in as it was and is set while
// the hot button is disabled, cleared while it is enabled.
TToolbarScrollLook ToolbarScrollLook(const TToolbarMetrics& M, const TToolbarLayout& Layout, bool StopScroll);

// One step toward the start: refused (false) while StopScroll; a negative
// offset grows by Size, never past 0.
bool ToolbarScrollBackStep(int32_t& Offset, bool StopScroll, int32_t Size);
// One step toward the end: refused while StopScroll; while the content end
// lies beyond the toolbar's length the offset and the end shrink by Size.
bool ToolbarScrollFrontStep(int32_t& Offset, int32_t& End, bool StopScroll, int32_t Size, int32_t Length);

// ---- Hit tests ------------------------------------------------------------------------------

// The first visible button (enabled too when EnabledOnly) whose last
// rectangle holds P, or -1.
int32_t ToolbarItemAt(const std::vector<TToolbarItemInfo>& Items, TPoint P, bool EnabledOnly);
// The special part under P: a scroll button while scrolling is on and the
// buttons show, else the drop-down part of Item, else gbNone.
TOtherButtonKind ToolbarPartAt(const std::vector<TToolbarItemInfo>& Items, int32_t Item, TPoint P,
                               bool EnabledScroll, bool ScrollButtonVisible, const TToolbarScrollRects& Scroll);
// The visible, enabled button after (Step 1) or before (Step -1) Current,
// or Current when there is none.
int32_t ToolbarNextFocus(const std::vector<TToolbarItemInfo>& Items, int32_t Current, int32_t Step);
