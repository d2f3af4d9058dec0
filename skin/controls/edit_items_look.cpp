#include "skin/controls/edit_items_look.h"

#include <algorithm>
#include <limits>

namespace {

int32_t Saturate(int64_t V) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool Contains(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

}  // namespace

// ---- TVelLocateObj -------------------------------------------------------------

void TVelLocateObj::Change() {
  if (OnChange) OnChange(this);
}

void TVelLocateObj::SetAlign(TVelAlign Value) {
  if (FAlign == Value) return;
  FAlign = Value;
  Change();
}

void TVelLocateObj::SetX(int32_t Value) {
  if (FX == Value) return;
  FX = Value;
  Change();
}

void TVelLocateObj::SetY(int32_t Value) {
  if (FY == Value) return;
  FY = Value;
  Change();
}

void TVelLocateObj::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TVelLocateObj*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  SetX(source->X());
  SetY(source->Y());
  SetAlign(source->Align());
}

// ---- TVelSpaceSize -------------------------------------------------------------

void TVelSpaceSize::Store(int32_t& Field, int32_t Value) {
  if (Field == Value) return;
  Field = Value;
  if (OnChange) OnChange(this);
}

void TVelSpaceSize::SetRight(int32_t Value) { Store(FRight, Value); }
void TVelSpaceSize::SetBottom(int32_t Value) { Store(FBottom, Value); }
void TVelSpaceSize::SetTop(int32_t Value) { Store(FTop, Value); }
void TVelSpaceSize::SetLeft(int32_t Value) { Store(FLeft, Value); }

void TVelSpaceSize::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (OnChange) OnChange(this);
}

void TVelSpaceSize::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TVelSpaceSize*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  SetLeft(source->Left());
  SetTop(source->Top());
  SetRight(source->Right());
  SetBottom(source->Bottom());
  SetActive(source->Active());
}

// ---- Geometry ------------------------------------------------------------------

TRect EditItemRect(TVelAlign Align, int32_t X, int32_t Y, int32_t EditWidth, bool HasContent, int32_t ContentWidth,
                   int32_t ContentHeight) {
  TRect r;
  r.Left = Align == agRight ? Saturate(int64_t(EditWidth) - X) : X;
  r.Top = Y;
  if (HasContent) {
    r.Right = Saturate(int64_t(r.Left) + std::max(ContentWidth, 0));
    r.Bottom = Saturate(int64_t(r.Top) + std::max(ContentHeight, 0));
  }
  return r;
}

TEditItemFace EditItemFace(TItemKind Kind, bool Hot, bool LeftButtonDown, bool HasHotImage, bool HasPressImage) {
  if (Kind != ikButton || !Hot) return ifNormal;
  if (LeftButtonDown && HasPressImage) return ifPressed;
  return HasHotImage ? ifHot : ifNormal;
}

TEditItemSpace EditItemsSpace(const std::vector<TEditItemGeometry>& Items, int32_t EditWidth) {
  TEditItemSpace space;
  for (const TEditItemGeometry& item : Items) {
    if (!item.Visible || !item.MakeSpace || IsEmptyItemRect(item.Rect)) continue;
    if (item.Align == agLeft)
      space.Left = std::max(space.Left, item.Rect.Right);
    else
      space.Right = std::max(space.Right, Saturate(int64_t(EditWidth) - item.Rect.Left));
  }
  return space;
}

int EditItemAt(const std::vector<TEditItemGeometry>& Items, TPoint P, bool ButtonsOnly) {
  for (size_t i = 0; i < Items.size(); ++i) {
    const TEditItemGeometry& item = Items[i];
    if (!item.Visible || !item.Enabled || (ButtonsOnly && item.Kind != ikButton)) continue;
    if (Contains(item.Rect, P)) return static_cast<int>(i);
  }
  return -1;
}
