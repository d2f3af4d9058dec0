// The game window's own controls: the board, a paint box that a screen
// reader can read, and the colour buttons, panels that can carry their
// colour's glyph.
#pragma once

#include "toolkit/win/stdctrls.h"

#include <cstdint>
#include <functional>
#include <string>

class TGameBoard : public TPaintBox {
public:
  explicit TGameBoard(TComponent* AOwner) : TPaintBox(AOwner) {}
  // The texts a screen reader reads: the state of the game (the move count)
  // and the cell under the keyboard cursor.
  std::function<std::wstring()> OnDescription;
  std::function<std::wstring()> OnValue;
};

class TColorButton : public TPanel {
public:
  explicit TColorButton(TComponent* AOwner) : TPanel(AOwner) {}
  // The glyph of palette colour Index drawn over the face; -1 for none.
  int32_t Glyph() const { return FGlyph; }
  void SetGlyph(int32_t Index);

protected:
  void Paint() override;

private:
  int32_t FGlyph = -1;
};
