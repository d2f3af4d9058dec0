// The text model of the skinned single-line edit, apart from its window:
// the UTF-16 text, the caret, the two selection ends, horizontal scrolling,
// the length limit, the character case and the kind filter. Portable.
//
// Positions count UTF-16 code units, 0..length. A position never falls
// inside a cluster: a surrogate pair, or a base character with the combining
// marks and variation selectors that follow it, is one step for the caret,
// Backspace, Delete and selection. The caret is always at one of the two
// selection ends, so with nothing selected the next character goes where the
// caret is.
//
// Inserted text is made safe first: a NUL ends it (what follows is not
// inserted, as a NUL-terminated copy would end there), and a surrogate half
// without its partner becomes U+FFFD, so the text is always valid UTF-16.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum TVelTextKind { tkAll, tkEN, tkNumInt, tkNumReal, tkENandNum };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
// How FilterText treats the current text: insert filters against the text
// around the insertion; replace and keep filter a whole new text (keep also
// leaves the caret and the selection where they are).
enum TEditFilterMode { fmInsert, fmReplace, fmKeep };

// The width in pixels of one cluster (one or more code units).
using TEditWidthFn = std::function<int32_t(const wchar_t* Chars, size_t Count)>;

// Cluster rules over a UTF-16 string.
bool IsEditCombining(const std::wstring& Text, size_t Pos);
// The position after the cluster that starts at Pos (Pos < length).
size_t NextClusterPos(const std::wstring& Text, size_t Pos);
// The start of the cluster that ends at Pos (Pos > 0).
size_t PrevClusterPos(const std::wstring& Text, size_t Pos);
// Pos itself when it is a cluster boundary, else the end of its cluster.
size_t ClusterBoundaryAtOrAfter(const std::wstring& Text, size_t Pos);
// Cuts Text at its first NUL and replaces unpaired surrogate halves by U+FFFD.
std::wstring SafeEditText(const std::wstring& Text);
// The text up to the first line break (CR or LF).
std::wstring FirstLine(const std::wstring& Text);

class TEditModel {
public:
  const std::wstring& Text() const { return FText; }
  int32_t Length() const { return static_cast<int32_t>(FText.size()); }
  int32_t CursorPos() const { return FCursorPos; }
  int32_t SelPoint1() const { return FSelPoint1; }
  int32_t SelPoint2() const { return FSelPoint2; }
  int32_t SelStart() const { return FSelPoint1 < FSelPoint2 ? FSelPoint1 : FSelPoint2; }
  int32_t SelLength() const { return FSelPoint1 < FSelPoint2 ? FSelPoint2 - FSelPoint1 : FSelPoint1 - FSelPoint2; }
  std::wstring SelText() const { return FText.substr(SelStart(), SelLength()); }
  // 0-based index of the first character drawn.
  int32_t FirstDisplay() const { return FFirstDisplay; }

  int32_t MaxLength() const { return FMaxLength; }
  // A positive limit shorter than the text cuts the text (at a cluster boundary).
  bool SetMaxLength(int32_t Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value) { FCharCase = Value; }
  TVelTextKind TextKind() const { return FTextKind; }
  void SetTextKind(TVelTextKind Value) { FTextKind = Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  // The locale's decimal separator, used by tkNumReal.
  wchar_t DecimalSeparator() const { return FDecimalSeparator; }
  void SetDecimalSeparator(wchar_t Value) { FDecimalSeparator = Value ? Value : L'.'; }

  // Stores the text (made safe, cut to MaxLength, filtered as a whole), caret
  // and selection to 0. False when the text equals the current one.
  bool SetText(const std::wstring& Value);
  // Replaces the selection, or inserts at the caret, with the filtered text;
  // the caret goes after it. Only what fits under MaxLength is inserted, so
  // the text already there is never cut. True when the text changed.
  bool SetSelText(const std::wstring& Value);
  // Collapses caret and selection at Value (clamped, moved to a cluster boundary).
  void SetSelStart(int32_t Value);
  // Moves the right end so that the length is Value (fitted to the text); the
  // caret goes there. Nothing when ReadOnly.
  void SetSelLength(int32_t Value);
  void SelectAll();
  // Moves the caret to Value (clamped; inside a cluster it steps out in the
  // direction it moved). Extend moves the selection end that was at the
  // caret; otherwise the selection collapses at the caret.
  void SetCursorPos(int32_t Value, bool Extend);

  // The editing keys. Backspace and Delete answer whether the text changed.
  bool Backspace();
  bool Delete();
  void Home(bool Shift) { SetCursorPos(0, Shift); }
  void End(bool Shift) { SetCursorPos(Length(), Shift); }
  // One cluster; with Ctrl on until the character before the caret is a space.
  void Left(bool Ctrl, bool Shift);
  void Right(bool Ctrl, bool Shift);

  // Case and kind filter of an inserted (fmInsert) or whole (fmReplace,
  // fmKeep) text; the context of the numeric rules is the text without its
  // selection and the insertion point SelStart.
  std::wstring FilterText(const std::wstring& Value, TEditFilterMode Mode) const;
  // Filters the current text again as a whole (after CharCase or TextKind
  // changed), keeping caret and selection within it. True when it changed.
  bool Refilter();

  // Scrolls so that the caret is visible: the characters from the first one
  // drawn to the caret must be narrower than Available.
  void ScrollToCaret(const TEditWidthFn& Width, int32_t Available);
  // The position a click at X selects: characters are laid out from Left;
  // the first whose right edge reaches X + 4 answers its own start; the walk
  // stops at Right; without a hit, the length.
  int32_t PosAtX(int32_t X, const TEditWidthFn& Width, int32_t Left, int32_t Right) const;
  void SetFirstDisplay(int32_t Value);

private:
  void Collapse(int32_t Pos);
  void FitPositions();
  // Cuts Value to what fits in Room code units, at a cluster boundary.
  static std::wstring CutToRoom(const std::wstring& Value, size_t Room);

  std::wstring FText;
  int32_t FCursorPos = 0;
  int32_t FSelPoint1 = 0;
  int32_t FSelPoint2 = 0;
  int32_t FFirstDisplay = 0;
  int32_t FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  TVelTextKind FTextKind = tkAll;
  bool FReadOnly = false;
  wchar_t FDecimalSeparator = L'.';
};
