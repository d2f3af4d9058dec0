// The rules of the items inside a skinned edit apart from any window: the
// position and margin objects, where an item sits, which of its images it
// shows, the room the items take from the text area and which item lies
// under the mouse. Portable: plain data in, plain data out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/classes.h"
#include "toolkit/core/geometry.h"

enum TItemKind { ikButton, ikImage, ikText };
enum TVelAlign { agLeft, agRight };

// Where an item sits: X from the left edge (agLeft) or from the right edge
// (agRight), Y from the top. Each setter stores a different value and then
// fires OnChange.
class TVelLocateObj : public TPersistent {
public:
  TVelAlign Align() const { return FAlign; }
  void SetAlign(TVelAlign Value);
  int32_t X() const { return FX; }
  void SetX(int32_t Value);
  int32_t Y() const { return FY; }
  void SetY(int32_t Value);
  // From another locate object through the setters; anything else raises EConvertError.
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

protected:
  std::string ClassName() const override { return "TVelLocateObj"; }

private:
  void Change();
  TVelAlign FAlign = agLeft;
  int32_t FX = 0;
  int32_t FY = 0;
};

// Inner margins: all 0 and active when created (the edit puts in its own).
// Each setter stores a different value and then fires OnChange.
class TVelSpaceSize : public TPersistent {
public:
  int32_t Right() const { return FRight; }
  void SetRight(int32_t Value);
  int32_t Bottom() const { return FBottom; }
  void SetBottom(int32_t Value);
  int32_t Top() const { return FTop; }
  void SetTop(int32_t Value);
  int32_t Left() const { return FLeft; }
  void SetLeft(int32_t Value);
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // From another space object through the setters; anything else raises EConvertError.
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

protected:
  std::string ClassName() const override { return "TVelSpaceSize"; }

private:
  void Store(int32_t& Field, int32_t Value);
  int32_t FRight = 0;
  int32_t FBottom = 0;
  int32_t FTop = 0;
  int32_t FLeft = 0;
  bool FActive = true;
};

// The rectangle of an item in the edit's client coordinates. X and Y are the
// (DPI-scaled) position; Left is X for agLeft and EditWidth - X for agRight.
// HasContent tells whether the image was found (button and image items) or
// the text measured (text items); ContentWidth and ContentHeight are its size.
// Without content Right and Bottom are 0: an empty rectangle. Coordinates
// that would leave the 32-bit range saturate.
TRect EditItemRect(TVelAlign Align, int32_t X, int32_t Y, int32_t EditWidth, bool HasContent, int32_t ContentWidth,
                   int32_t ContentHeight);

// True for a rectangle that covers no pixel (an item that shows nothing).
inline bool IsEmptyItemRect(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }

// Which image an item draws: a button item shows its pressed image while it is
// hot and the left button is held, else its hot image while hot, each only
// when that image exists; everything else shows Image.
enum TEditItemFace { ifNormal, ifHot, ifPressed };
TEditItemFace EditItemFace(TItemKind Kind, bool Hot, bool LeftButtonDown, bool HasHotImage, bool HasPressImage);

// What the layout, the hit test and the painting need of one item.
struct TEditItemGeometry {
  TRect Rect;
  TItemKind Kind = ikButton;
  TVelAlign Align = agLeft;
  bool Visible = true;
  bool Enabled = true;
  bool MakeSpace = true;
};

// Room the items take at the left and the right of the text area.
struct TEditItemSpace {
  int32_t Left = 0;
  int32_t Right = 0;
  friend bool operator==(const TEditItemSpace&, const TEditItemSpace&) = default;
};

// The room of the visible items that make space, worked out from all of them
// at once: at the left the rightmost right edge of the agLeft items, at the
// right EditWidth less the leftmost left edge of the agRight items, never
// below 0. Items that show nothing (an empty rectangle), hidden items and
// items that do not make space take none, so that hiding, moving or deleting
// an item gives its room back.
TEditItemSpace EditItemsSpace(const std::vector<TEditItemGeometry>& Items, int32_t EditWidth);

// The index of the first visible, enabled item whose rectangle holds P (only
// button items with ButtonsOnly), or -1.
int EditItemAt(const std::vector<TEditItemGeometry>& Items, TPoint P, bool ButtonsOnly);
