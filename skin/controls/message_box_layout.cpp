#include "skin/controls/message_box_layout.h"

#include <algorithm>
#include <vector>

namespace {

int32_t Scaled(const TMsgScale& Scale, int32_t N) { return Scale ? Scale(N) : N; }

bool IsHighSurrogate(wchar_t C) { return C >= 0xD800 && C <= 0xDBFF; }
bool IsLowSurrogate(wchar_t C) { return C >= 0xDC00 && C <= 0xDFFF; }

struct TLineSpan {
  size_t Begin;
  size_t End;
};

// The lines of Text without their breaks; a text ending in a break has an
// empty last line, as the label shows it.
std::vector<TLineSpan> SplitLines(const std::wstring& Text) {
  std::vector<TLineSpan> lines;
  size_t begin = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != L'\r' && Text[i] != L'\n') continue;
    lines.push_back({begin, i});
    if (Text[i] == L'\r' && i + 1 < Text.size() && Text[i + 1] == L'\n') ++i;
    begin = i + 1;
  }
  lines.push_back({begin, Text.size()});
  return lines;
}

// How many of the N characters at P fit into MaxWidth: at least one
// character (a whole surrogate pair), so that every line takes something.
// A character is taken to be at least a pixel wide, which bounds the
// search; widths grow with the length.
size_t FitCount(const wchar_t* P, size_t N, int32_t MaxWidth, const TMsgMeasure& Width) {
  size_t hi = std::min(N, static_cast<size_t>(std::max(MaxWidth, 1)) + 1);
  size_t lo = 0;
  if (Width(P, hi) <= MaxWidth) {
    lo = hi;
  } else {
    while (hi - lo > 1) {
      const size_t mid = lo + (hi - lo) / 2;
      if (Width(P, mid) <= MaxWidth)
        lo = mid;
      else
        hi = mid;
    }
  }
  if (lo > 0 && lo < N && IsHighSurrogate(P[lo - 1]) && IsLowSurrogate(P[lo])) --lo;
  if (lo == 0 && N > 0) lo = N >= 2 && IsHighSurrogate(P[0]) && IsLowSurrogate(P[1]) ? 2 : 1;
  return lo;
}

void DropLastCharacter(std::wstring& S) {
  if (S.empty()) return;
  const size_t n = S.size();
  S.resize(n >= 2 && IsLowSurrogate(S[n - 1]) && IsHighSurrogate(S[n - 2]) ? n - 2 : n - 1);
}

}  // namespace

int TVelMsgButtons::Count() const {
  int n = 0;
  for (int k = 0; k < MsgButtonKindCount; ++k) n += Contains(static_cast<TVelMsgButton>(k)) ? 1 : 0;
  return n;
}

const wchar_t* MsgButtonCaption(TVelMsgButton Kind) {
  static constexpr const wchar_t* captions[MsgButtonKindCount] = {L"确定", L"是", L"否", L"取消",
                                                                   L"中止", L"重试", L"忽略"};
  return captions[static_cast<int>(Kind) % MsgButtonKindCount];
}

int MsgButtonModalResult(TVelMsgButton Kind) {
  static constexpr int results[MsgButtonKindCount] = {1, 6, 7, 2, 3, 4, 5};
  return results[static_cast<int>(Kind) % MsgButtonKindCount];
}

const wchar_t* MsgCheckCaption() { return L"下次不再显示"; }

std::wstring MsgIconID(int Kind) {
  static constexpr const wchar_t* icons[] = {L"", L"VelSkinMsgIcon_Info", L"VelSkinMsgIcon_Error",
                                             L"VelSkinMsgIcon_OK", L"VelSkinMsgIcon_Question"};
  return Kind >= 0 && Kind <= 4 ? icons[Kind] : L"";
}

TMsgTextPlace MsgTextPlace(bool HasIcon, bool MultiLine, int32_t LabelTop, int32_t LabelHeight,
                           const TMsgScale& Scale) {
  TMsgTextPlace place;
  place.HasIcon = HasIcon;
  if (!HasIcon) {
    place.Text = TPoint{Scaled(Scale, 10), Scaled(Scale, 25)};
    return place;
  }
  // The icon is centred on the label's first place, but never above 15.
  const int32_t size = Scaled(Scale, 40);
  const int32_t top = std::max(LabelTop + LabelHeight / 2 - Scaled(Scale, 20), Scaled(Scale, 15));
  const int32_t left = Scaled(Scale, 10);
  place.Icon = TRect{left, top, left + size, top + size};
  place.Text = TPoint{Scaled(Scale, 65), MultiLine ? top : Scaled(Scale, 25)};
  return place;
}

TMsgBoxLayout MsgBoxLayout(const TMsgBoxLayoutInput& In, const TMsgScale& Scale) {
  TMsgBoxLayout out;
  out.Buttons = In.Buttons.Empty() ? TVelMsgButtons{TVelMsgButton::OK} : In.Buttons;
  const int32_t bw = Scaled(Scale, 70), bh = Scaled(Scale, 27), gap = Scaled(Scale, 10);
  const int32_t n = out.Buttons.Count();
  out.RowWidth = n > 0 ? bw * n + (n - 1) * gap : 0;
  const int32_t textRight = In.TextPos.X + In.TextWidth;
  out.ClientHeight = Scaled(Scale, 60) + bh + In.TextHeight;
  out.ClientWidth = Scaled(Scale, 60) + std::max(textRight, out.RowWidth);

  // The first of three kinds that the set has; none when it has none of them.
  auto firstOf = [&](TVelMsgButton A, TVelMsgButton B, TVelMsgButton C) -> std::optional<TVelMsgButton> {
    for (TVelMsgButton k : {A, B, C})
      if (out.Buttons.Contains(k)) return k;
    return std::nullopt;
  };
  out.Default = firstOf(TVelMsgButton::OK, TVelMsgButton::Yes, TVelMsgButton::Retry);
  out.Cancel = firstOf(TVelMsgButton::Cancel, TVelMsgButton::No, TVelMsgButton::OK);

  int32_t left = 0;
  if (In.ShowCheck) {
    const int32_t checkWidth = In.CheckTextWidth + Scaled(Scale, 30);
    const int32_t checkTop = (In.StripHeight - In.CheckHeight) / 2;
    const int32_t checkLeft = Scaled(Scale, 5);
    out.Check = TRect{checkLeft, checkTop, checkLeft + checkWidth, checkTop + In.CheckHeight};
    if (out.ClientWidth < checkWidth) out.ClientWidth = checkWidth + Scaled(Scale, 30);
    if (out.ClientWidth - out.RowWidth - Scaled(Scale, 40) < out.Check.Right)
      out.ClientWidth = Scaled(Scale, 40) + checkWidth + out.RowWidth;
    // Beside the check box the buttons keep to the right.
    left = out.ClientWidth - out.RowWidth - Scaled(Scale, 8);
  } else {
    left = (out.ClientWidth - out.RowWidth) / 2;
  }
  const int32_t top = (In.StripHeight - bh) / 2 + Scaled(Scale, 1);
  for (int k = 0; k < MsgButtonKindCount; ++k) {
    if (!out.Buttons.Contains(static_cast<TVelMsgButton>(k))) continue;
    out.ButtonRects[k] = TRect{left, top, left + bw, top + bh};
    left += bw + gap;
  }
  return out;
}

TMsgTextLimit MsgTextLimit(int32_t MaxClientWidth, int32_t MaxClientHeight, int32_t TextLeft,
                           const TMsgScale& Scale) {
  TMsgTextLimit limit;
  limit.Width = std::max(MaxClientWidth - Scaled(Scale, 60) - TextLeft, 1);
  limit.Height = std::max(MaxClientHeight - Scaled(Scale, 60) - Scaled(Scale, 27), 1);
  return limit;
}

std::wstring MsgLabelCaption(const std::wstring& Text) {
  std::wstring caption;
  caption.reserve(Text.size());
  for (wchar_t c : Text) {
    caption += c;
    if (c == L'&') caption += L'&';
  }
  return caption;
}

bool MsgTextMultiLine(const std::wstring& Text) { return Text.find_first_of(L"\r\n") != std::wstring::npos; }

std::wstring FitMsgText(const std::wstring& Text, int32_t MaxWidth, int32_t MaxLines, const TMsgMeasure& Width) {
  MaxLines = std::max(MaxLines, 1);
  const std::vector<TLineSpan> lines = SplitLines(Text);
  const wchar_t* text = Text.data();
  if (static_cast<int64_t>(lines.size()) <= MaxLines &&
      std::all_of(lines.begin(), lines.end(),
                  [&](const TLineSpan& L) { return Width(text + L.Begin, L.End - L.Begin) <= MaxWidth; }))
    return Text;

  std::vector<std::wstring> out;
  bool cut = false;
  for (const TLineSpan& line : lines) {
    size_t pos = line.Begin;
    do {
      if (static_cast<int64_t>(out.size()) == MaxLines) {
        cut = true;
        break;
      }
      const size_t n = line.End - pos;
      const size_t fit = FitCount(text + pos, n, MaxWidth, Width);
      if (fit >= n) {
        out.emplace_back(text + pos, n);
        pos = line.End;
        break;
      }
      // The break goes after the last space that fits, else where the width ends.
      size_t brk = fit;
      while (brk > 0 && text[pos + brk] != L' ') --brk;
      if (brk == 0) {
        out.emplace_back(text + pos, fit);
        pos += fit;
        continue;
      }
      size_t end = brk;
      while (end > 0 && text[pos + end - 1] == L' ') --end;
      out.emplace_back(text + pos, end);
      pos += brk;
      while (pos < line.End && text[pos] == L' ') ++pos;
    } while (pos < line.End);
    if (cut) break;
  }

  if (cut) {
    std::wstring& last = out.back();
    static const std::wstring ellipsis = L"\u2026";
    while (!last.empty() && Width((last + ellipsis).c_str(), last.size() + ellipsis.size()) > MaxWidth)
      DropLastCharacter(last);
    last += ellipsis;
  }
  std::wstring result;
  for (size_t i = 0; i < out.size(); ++i) {
    if (i > 0) result += L"\r\n";
    result += out[i];
  }
  return result;
}
