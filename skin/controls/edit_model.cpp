#include "skin/controls/edit_model.h"

#include <algorithm>
#include <cwctype>

namespace {

bool IsHigh(wchar_t C) { return C >= 0xD800 && C <= 0xDBFF; }
bool IsLow(wchar_t C) { return C >= 0xDC00 && C <= 0xDFFF; }

// The code point at Pos and the number of units it takes (a lone half is itself).
char32_t CodePointAt(const std::wstring& Text, size_t Pos, size_t* Units) {
  const wchar_t c = Text[Pos];
  if (IsHigh(c) && Pos + 1 < Text.size() && IsLow(Text[Pos + 1])) {
    *Units = 2;
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (static_cast<char32_t>(Text[Pos + 1]) - 0xDC00);
  }
  *Units = 1;
  return static_cast<char32_t>(c);
}

// Combining marks and modifiers that belong to the character before them.
bool IsCombiningCodePoint(char32_t C) {
  struct TRange {
    char32_t First, Last;
  };
  static constexpr TRange Ranges[] = {
      {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
      {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A}, {0x064B, 0x065F}, {0x0670, 0x0670},
      {0x06D6, 0x06DC}, {0x06DF, 0x06E4}, {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x0900, 0x0903},
      {0x093A, 0x094F}, {0x0951, 0x0957}, {0x0962, 0x0963}, {0x0E31, 0x0E31}, {0x0E34, 0x0E3A},
      {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x20D0, 0x20FF}, {0x3099, 0x309A},
      {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0x1F3FB, 0x1F3FF}, {0xE0100, 0xE01EF},
  };
  for (const TRange& r : Ranges)
    if (C >= r.First && C <= r.Last) return true;
  return false;
}

bool IsBoundary(const std::wstring& Text, size_t Pos) {
  if (Pos == 0 || Pos >= Text.size()) return true;
  if (IsLow(Text[Pos]) && IsHigh(Text[Pos - 1])) return false;
  return !IsEditCombining(Text, Pos);
}

size_t BoundaryAtOrBefore(const std::wstring& Text, size_t Pos) {
  Pos = std::min(Pos, Text.size());
  while (!IsBoundary(Text, Pos)) --Pos;
  return Pos;
}

bool IsDigit(wchar_t C) { return C >= L'0' && C <= L'9'; }
bool IsLatinLetter(wchar_t C) { return (C >= L'A' && C <= L'Z') || (C >= L'a' && C <= L'z'); }

// A sign followed by one or more digits.
bool ReadsAsInteger(const std::wstring& S) {
  size_t i = (!S.empty() && (S[0] == L'-' || S[0] == L'+')) ? 1 : 0;
  if (i == S.size()) return false;
  for (; i < S.size(); ++i)
    if (!IsDigit(S[i])) return false;
  return true;
}

// Integers are read in pieces of five characters, so that long digit runs
// never overflow a reader.
bool ReadsAsIntegerPieces(const std::wstring& S) {
  if (S.empty()) return false;
  for (size_t i = 0; i < S.size(); i += 5)
    if (!ReadsAsInteger(S.substr(i, 5))) return false;
  return true;
}

// A sign, digits, and at most one decimal separator with digits around it
// (at least one digit in all). No exponent: its letter would be filtered out
// and silently change the number.
bool ReadsAsFloat(const std::wstring& S, wchar_t Separator) {
  size_t i = (!S.empty() && (S[0] == L'-' || S[0] == L'+')) ? 1 : 0;
  bool digit = false, separator = false;
  for (; i < S.size(); ++i) {
    if (IsDigit(S[i]))
      digit = true;
    else if (S[i] == Separator && !separator)
      separator = true;
    else
      return false;
  }
  return digit;
}

}  // namespace

bool IsEditCombining(const std::wstring& Text, size_t Pos) {
  if (Pos >= Text.size()) return false;
  size_t units;
  return IsCombiningCodePoint(CodePointAt(Text, Pos, &units));
}

size_t NextClusterPos(const std::wstring& Text, size_t Pos) {
  if (Pos >= Text.size()) return Text.size();
  size_t units;
  CodePointAt(Text, Pos, &units);
  Pos += units;
  while (Pos < Text.size() && IsEditCombining(Text, Pos)) {
    CodePointAt(Text, Pos, &units);
    Pos += units;
  }
  return Pos;
}

size_t PrevClusterPos(const std::wstring& Text, size_t Pos) {
  Pos = std::min(Pos, Text.size());
  if (Pos == 0) return 0;
  do {
    Pos -= (Pos >= 2 && IsLow(Text[Pos - 1]) && IsHigh(Text[Pos - 2])) ? 2 : 1;
  } while (Pos > 0 && IsEditCombining(Text, Pos));
  return Pos;
}

size_t ClusterBoundaryAtOrAfter(const std::wstring& Text, size_t Pos) {
  Pos = std::min(Pos, Text.size());
  while (!IsBoundary(Text, Pos)) ++Pos;
  return Pos;
}

std::wstring SafeEditText(const std::wstring& Text) {
  std::wstring s = Text.substr(0, Text.find(L'\0'));
  for (size_t i = 0; i < s.size(); ++i) {
    if (IsHigh(s[i]) && i + 1 < s.size() && IsLow(s[i + 1]))
      ++i;
    else if (IsHigh(s[i]) || IsLow(s[i]))
      s[i] = 0xFFFD;
  }
  return s;
}

std::wstring FirstLine(const std::wstring& Text) { return Text.substr(0, Text.find_first_of(L"\r\n")); }

// ---- TEditModel ---------------------------------------------------------------

std::wstring TEditModel::CutToRoom(const std::wstring& Value, size_t Room) {
  if (Value.size() <= Room) return Value;
  return Value.substr(0, BoundaryAtOrBefore(Value, Room));
}

void TEditModel::Collapse(int32_t Pos) { FCursorPos = FSelPoint1 = FSelPoint2 = Pos; }

void TEditModel::FitPositions() {
  auto fit = [this](int32_t P) {
    return static_cast<int32_t>(ClusterBoundaryAtOrAfter(FText, static_cast<size_t>(std::clamp(P, 0, Length()))));
  };
  FCursorPos = fit(FCursorPos);
  FSelPoint1 = fit(FSelPoint1);
  FSelPoint2 = fit(FSelPoint2);
  SetFirstDisplay(FFirstDisplay);
}

void TEditModel::SetFirstDisplay(int32_t Value) {
  if (FText.empty()) {
    FFirstDisplay = 0;
    return;
  }
  const size_t p = static_cast<size_t>(std::clamp(Value, 0, Length() - 1));
  FFirstDisplay = static_cast<int32_t>(BoundaryAtOrBefore(FText, p));
}

bool TEditModel::SetMaxLength(int32_t Value) {
  FMaxLength = std::max(Value, 0);
  if (FMaxLength == 0 || Length() <= FMaxLength) return false;
  FText = CutToRoom(FText, static_cast<size_t>(FMaxLength));
  FitPositions();
  return true;
}

std::wstring TEditModel::FilterText(const std::wstring& Value, TEditFilterMode Mode) const {
  std::wstring s = SafeEditText(Value);
  if (FCharCase != ecNormal)
    for (wchar_t& c : s)
      if (!IsHigh(c) && !IsLow(c))
        c = static_cast<wchar_t>(FCharCase == ecUpperCase ? std::towupper(c) : std::towlower(c));
  if (FTextKind == tkAll) return s;

  // The text around the insertion, and where the insertion goes.
  std::wstring context;
  size_t at = 0;
  if (Mode == fmInsert) {
    context = FText;
    context.erase(SelStart(), SelLength());
    at = SelStart();
  }
  const wchar_t separator = FDecimalSeparator;
  if (FTextKind == tkNumInt && s != L"-" && !ReadsAsIntegerPieces(s)) return {};
  if (FTextKind == tkNumReal && s != L"-" && s != std::wstring(1, separator) && !ReadsAsFloat(s, separator))
    return {};

  std::wstring kept;
  for (wchar_t c : s) {
    const bool numeric = FTextKind == tkNumInt || FTextKind == tkNumReal;
    if (numeric && c == L'-') {
      // A minus sign only ever leads the whole number.
      if (at > 0 || !kept.empty() || context.find(L'-') != std::wstring::npos) break;
      kept += c;
    } else if (FTextKind == tkNumReal && c == separator) {
      if (kept.find(separator) != std::wstring::npos || context.find(separator) != std::wstring::npos) break;
      kept += c;
    } else if (IsDigit(c)) {
      if (FTextKind != tkEN) kept += c;
    } else if (IsLatinLetter(c)) {
      if (FTextKind == tkEN || FTextKind == tkENandNum) kept += c;
    } else if (FTextKind == tkENandNum && (c == L'-' || c == L'.')) {
      kept += c;
    }
  }
  return kept;
}

bool TEditModel::SetText(const std::wstring& Value) {
  if (Value == FText) return false;
  std::wstring s = SafeEditText(Value);
  if (FMaxLength > 0) s = CutToRoom(s, static_cast<size_t>(FMaxLength));
  FText = FilterText(s, fmReplace);
  Collapse(0);
  FFirstDisplay = 0;
  return true;
}

bool TEditModel::SetSelText(const std::wstring& Value) {
  if (FReadOnly) return false;
  std::wstring insert = FilterText(Value, fmInsert);
  const int32_t start = SelStart(), length = SelLength();
  if (FMaxLength > 0) {
    const int32_t room = std::max(FMaxLength - (Length() - length), 0);
    insert = CutToRoom(insert, static_cast<size_t>(room));
  }
  if (insert.empty() && length == 0) return false;
  FText.replace(static_cast<size_t>(start), static_cast<size_t>(length), insert);
  Collapse(start + static_cast<int32_t>(insert.size()));
  FitPositions();
  return true;
}

void TEditModel::SetSelStart(int32_t Value) {
  Collapse(std::clamp(Value, 0, Length()));
  FitPositions();
}

void TEditModel::SetSelLength(int32_t Value) {
  if (FReadOnly) return;
  const int32_t start = SelStart();
  const int32_t end = static_cast<int32_t>(ClusterBoundaryAtOrAfter(
      FText, static_cast<size_t>(start + std::clamp(Value, 0, Length() - start))));
  FSelPoint1 = start;
  FSelPoint2 = FCursorPos = end;
}

void TEditModel::SelectAll() {
  FSelPoint1 = 0;
  FSelPoint2 = FCursorPos = Length();
}

void TEditModel::SetCursorPos(int32_t Value, bool Extend) {
  const int32_t old = FCursorPos;
  size_t p = static_cast<size_t>(std::clamp(Value, 0, Length()));
  p = Value < old ? BoundaryAtOrBefore(FText, p) : ClusterBoundaryAtOrAfter(FText, p);
  const int32_t pos = static_cast<int32_t>(p);
  if (!Extend) {
    Collapse(pos);
    return;
  }
  if (FSelPoint2 == old)
    FSelPoint2 = pos;
  else if (FSelPoint1 == old)
    FSelPoint1 = pos;
  else {
    FSelPoint1 = old;
    FSelPoint2 = pos;
  }
  FCursorPos = pos;
}

bool TEditModel::Backspace() {
  if (FReadOnly) return false;
  if (SelLength() > 0) return SetSelText(std::wstring());
  if (FCursorPos == 0) return false;
  const size_t from = PrevClusterPos(FText, static_cast<size_t>(FCursorPos));
  FText.erase(from, static_cast<size_t>(FCursorPos) - from);
  Collapse(static_cast<int32_t>(from));
  FitPositions();
  return true;
}

bool TEditModel::Delete() {
  if (FReadOnly) return false;
  if (SelLength() > 0) return SetSelText(std::wstring());
  if (FCursorPos >= Length()) return false;
  const size_t to = NextClusterPos(FText, static_cast<size_t>(FCursorPos));
  FText.erase(static_cast<size_t>(FCursorPos), to - static_cast<size_t>(FCursorPos));
  FitPositions();
  return true;
}

void TEditModel::Left(bool Ctrl, bool Shift) {
  size_t p = static_cast<size_t>(FCursorPos);
  do {
    p = PrevClusterPos(FText, p);
  } while (Ctrl && p > 0 && FText[p - 1] != L' ');
  SetCursorPos(static_cast<int32_t>(p), Shift);
}

void TEditModel::Right(bool Ctrl, bool Shift) {
  size_t p = static_cast<size_t>(FCursorPos);
  do {
    p = NextClusterPos(FText, p);
  } while (Ctrl && p < FText.size() && FText[p - 1] != L' ');
  SetCursorPos(static_cast<int32_t>(p), Shift);
}

bool TEditModel::Refilter() {
  std::wstring s = FilterText(FText, fmKeep);
  if (s == FText) return false;
  FText = std::move(s);
  FitPositions();
  return true;
}

void TEditModel::ScrollToCaret(const TEditWidthFn& Width, int32_t Available) {
  if (Available <= 0 || FText.empty()) {
    FFirstDisplay = 0;
    return;
  }
  const size_t caret = static_cast<size_t>(FCursorPos);
  size_t first = static_cast<size_t>(FFirstDisplay);
  // A caret at or before the first character drawn shows the one before it.
  if (caret <= first) first = PrevClusterPos(FText, caret);
  // Walking back from the caret finds the first character from which the
  // text up to the caret fits; only the visible characters are measured.
  size_t f = caret;
  int64_t w = 0;
  while (f > first) {
    const size_t q = PrevClusterPos(FText, f);
    const int32_t cw = Width(FText.data() + q, f - q);
    if (w + cw >= Available) break;
    w += cw;
    f = q;
  }
  SetFirstDisplay(static_cast<int32_t>(f));
}

int32_t TEditModel::PosAtX(int32_t X, const TEditWidthFn& Width, int32_t Left, int32_t Right) const {
  if (FText.empty()) return 0;
  int64_t x = Left;
  size_t p = static_cast<size_t>(FFirstDisplay);
  while (p < FText.size() && x < Right) {
    const size_t q = NextClusterPos(FText, p);
    x += Width(FText.data() + p, q - p);
    if (x >= static_cast<int64_t>(X) + 4) return static_cast<int32_t>(p);
    p = q;
  }
  return Length();
}
