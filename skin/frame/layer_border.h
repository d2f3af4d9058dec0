// The layered border: four per-pixel-alpha windows around a skinned form.
// The skin form holds a reference and calls these operations; the border
// windows themselves are not built yet, so every operation does nothing.
#pragma once

#include <cstdint>

#include "toolkit/win/forms.h"

class TVelSkinForm;

enum TVelStretchKind { skAuto, skTile };

struct TVelBorderSize {
  int32_t Left = 8, Top = 8, Right = 8, Bottom = 8;
};

class TVelFormLayerBorder : public TComponent {
public:
  explicit TVelFormLayerBorder(TComponent* AOwner) : TComponent(AOwner) {}

  bool Transparent() const { return FTransparent; }
  TVelStretchKind StretchKind() const { return FStretchKind; }
  const TVelBorderSize& Size() const { return FSize; }
  // The top border window, which forwarded frame repaints reach; none yet.
  HWND TopBorderHandle() const { return nullptr; }

  void InitFrame(TCustomForm*) {}
  void CheckFormAlpha(bool) {}
  void ShowWithForm(TList*) {}
  void Show() {}
  void Hide() {}
  void Minimizing() {}
  void Restoring() {}
  void SetBoundsWithForm() {}
  void ReAlign() {}
  void MoveWithForm(int32_t, int32_t) {}

protected:
  std::string ClassName() const override { return "TVelFormLayerBorder"; }

private:
  bool FTransparent = true;
  TVelStretchKind FStretchKind = skAuto;
  TVelBorderSize FSize;
};
