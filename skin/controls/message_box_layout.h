// The skinned message box apart from its window: the button kinds with their
// captions and modal results, the icon of each kind, where the icon, the
// text, the check box and the buttons go and how large the client area is,
// which buttons Enter and Esc press, and the wrapping that keeps an outsized
// text inside the screen.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

#include "toolkit/core/geometry.h"

// The buttons a box can show, in the order they stand from left to right.
enum class TVelMsgButton : uint8_t { OK, Yes, No, Cancel, Abort, Retry, Ignore };
constexpr int MsgButtonKindCount = 7;

// A set of button kinds, one bit each (bit 7 means nothing).
class TVelMsgButtons {
public:
  constexpr TVelMsgButtons() = default;
  constexpr TVelMsgButtons(std::initializer_list<TVelMsgButton> Kinds) {
    for (TVelMsgButton k : Kinds) FBits |= Bit(k);
  }
  static constexpr TVelMsgButtons FromBits(uint8_t Bits) {
    TVelMsgButtons set;
    set.FBits = Bits;
    return set;
  }
  constexpr uint8_t Bits() const { return FBits; }
  constexpr bool Contains(TVelMsgButton Kind) const { return (FBits & Bit(Kind)) != 0; }
  // No kind 0 to 6 in the set.
  constexpr bool Empty() const { return (FBits & 0x7F) == 0; }
  int Count() const;
  friend constexpr bool operator==(TVelMsgButtons, TVelMsgButtons) = default;

private:
  static constexpr uint8_t Bit(TVelMsgButton Kind) { return static_cast<uint8_t>(1u << static_cast<unsigned>(Kind)); }
  uint8_t FBits = 0;
};

// The built-in caption of a button kind ("确定", "是", ...).
const wchar_t* MsgButtonCaption(TVelMsgButton Kind);
// The modal result a button kind ends the box with: OK 1, Cancel 2, Abort 3,
// Retry 4, Ignore 5, Yes 6, No 7.
int MsgButtonModalResult(TVelMsgButton Kind);
// The built-in caption of the check box ("do not show again").
const wchar_t* MsgCheckCaption();
// The skin image of an icon kind: 1 information, 2 error, 3 success, 4
// question; empty for 0 and for any kind above 4.
std::wstring MsgIconID(int Kind);

// Lengths of the layout at 96 pixels per inch pass through this (the window's
// DPI scaling); an empty one leaves them as they are.
using TMsgScale = std::function<int32_t(int32_t)>;

// Where the icon and the top-left corner of the text go. The icon's top
// follows the text label's bounds before the text is set (LabelTop,
// LabelHeight); a text of several lines starts level with the icon's top.
struct TMsgTextPlace {
  bool HasIcon = false;
  TRect Icon;
  TPoint Text;
};
TMsgTextPlace MsgTextPlace(bool HasIcon, bool MultiLine, int32_t LabelTop, int32_t LabelHeight,
                           const TMsgScale& Scale = {});

struct TMsgBoxLayoutInput {
  TVelMsgButtons Buttons;
  // The text label's place and its size after fitting to the text.
  TPoint TextPos;
  int32_t TextWidth = 0;
  int32_t TextHeight = 0;
  bool ShowCheck = false;
  // The check box caption's width in the box's font, and the check box's height.
  int32_t CheckTextWidth = 0;
  int32_t CheckHeight = 17;
  // The height of the bottom strip that holds the buttons and the check box.
  int32_t StripHeight = 35;
};

struct TMsgBoxLayout {
  // The set shown: an empty set becomes {OK}.
  TVelMsgButtons Buttons;
  int32_t ClientWidth = 0;
  int32_t ClientHeight = 0;
  // In the bottom strip's coordinates; a button's rectangle is set only for
  // the kinds in Buttons.
  TRect Check;
  std::array<TRect, MsgButtonKindCount> ButtonRects{};
  int32_t RowWidth = 0;
  // The button Enter presses and the one Esc presses, where the set has it.
  std::optional<TVelMsgButton> Default;
  std::optional<TVelMsgButton> Cancel;
};
TMsgBoxLayout MsgBoxLayout(const TMsgBoxLayoutInput& In, const TMsgScale& Scale = {});

// The largest text that fits a box whose client area may be at most
// MaxClientWidth x MaxClientHeight, with the text's left edge at TextLeft.
struct TMsgTextLimit {
  int32_t Width = 0;
  int32_t Height = 0;
};
TMsgTextLimit MsgTextLimit(int32_t MaxClientWidth, int32_t MaxClientHeight, int32_t TextLeft,
                           const TMsgScale& Scale = {});

// The pixel width of N characters of a text in the box's font.
using TMsgMeasure = std::function<int32_t(const wchar_t* Text, size_t N)>;

// Text as it is when no line is wider than MaxWidth and it has at most
// MaxLines lines (line breaks: CR LF, CR or LF). Otherwise each line too wide
// is broken after its last space that fits, or between two characters when
// no space fits (never inside a surrogate pair), the lines are joined with CR
// LF, and a text longer than MaxLines lines keeps its first MaxLines lines,
// the last one ending in an ellipsis.
std::wstring FitMsgText(const std::wstring& Text, int32_t MaxWidth, int32_t MaxLines, const TMsgMeasure& Width);
// The caption that makes a label, which takes '&' for the mark of an
// underlined accelerator, show Text as it is: each '&' doubled.
std::wstring MsgLabelCaption(const std::wstring& Text);
// True when Text has a line break (CR or LF).
bool MsgTextMultiLine(const std::wstring& Text);
