// The edit's text model: editing keys at the edges, the length limit, the
// kind filters, clusters (surrogate pairs, combining marks, unpaired halves),
// scrolling and hit testing, and a fixed-seed fuzz run checking the
// invariants after every step.
#include <gtest/gtest.h>

#include <random>

#include "skin/controls/edit_model.h"

namespace {

// One character, two units (spelt as units: wchar_t is 32 bits on Linux).
const std::wstring Pair{wchar_t(0xD83D), wchar_t(0xDE00)};
const std::wstring Accented = L"e\u0301";       // e + combining acute
const wchar_t LoneHigh = 0xD83D, LoneLow = 0xDE00;

TEditModel WithText(const std::wstring& Text) {
  TEditModel m;
  m.SetText(Text);
  return m;
}

// Every cluster is 7 px wide; Calls counts the measurements.
struct TFixedWidth {
  int* Calls;
  int32_t operator()(const wchar_t*, size_t) const {
    ++*Calls;
    return 7;
  }
};

bool IsValidUtf16(const std::wstring& S) {
  for (size_t i = 0; i < S.size(); ++i) {
    const wchar_t c = S[i];
    if (c == L'\0') return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= S.size() || S[i + 1] < 0xDC00 || S[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

bool IsBoundary(const std::wstring& S, int32_t P) {
  return P >= 0 && P <= static_cast<int32_t>(S.size()) && ClusterBoundaryAtOrAfter(S, static_cast<size_t>(P)) == static_cast<size_t>(P);
}

void ExpectInvariants(const TEditModel& M, const std::string& Where) {
  SCOPED_TRACE(Where);
  const std::wstring& t = M.Text();
  ASSERT_TRUE(IsValidUtf16(t));
  ASSERT_TRUE(IsBoundary(t, M.CursorPos()));
  ASSERT_TRUE(IsBoundary(t, M.SelPoint1()));
  ASSERT_TRUE(IsBoundary(t, M.SelPoint2()));
  ASSERT_TRUE(M.CursorPos() == M.SelPoint1() || M.CursorPos() == M.SelPoint2());
  ASSERT_EQ(M.SelText(), t.substr(M.SelStart(), M.SelLength()));
  if (M.MaxLength() > 0) {
    ASSERT_LE(M.Length(), M.MaxLength());
  }
  if (t.empty()) {
    ASSERT_EQ(M.FirstDisplay(), 0);
  } else {
    ASSERT_LT(M.FirstDisplay(), M.Length());
    ASSERT_TRUE(IsBoundary(t, M.FirstDisplay()));
  }
}

}  // namespace

// ---- Editing keys at the edges ------------------------------------------------------

TEST(EditModel, KeysAtTheEdgesDoNothing) {
  TEditModel m = WithText(L"abc");
  EXPECT_FALSE(m.Backspace());  // caret 0
  m.End(false);
  EXPECT_FALSE(m.Delete());
  EXPECT_EQ(m.Text(), L"abc");
  EXPECT_EQ(m.CursorPos(), 3);
  TEditModel empty;
  EXPECT_FALSE(empty.Backspace());
  EXPECT_FALSE(empty.Delete());
  empty.Left(true, true);
  empty.Right(true, true);
  ExpectInvariants(empty, "empty");
}

TEST(EditModel, CtrlArrowsStopAfterASpace) {
  TEditModel m = WithText(L"ab cd");
  m.End(false);
  m.Left(true, false);
  EXPECT_EQ(m.CursorPos(), 3);
  m.Left(true, false);
  EXPECT_EQ(m.CursorPos(), 0);
  m.Right(true, false);
  EXPECT_EQ(m.CursorPos(), 3);
  m.Right(true, true);
  EXPECT_EQ(m.CursorPos(), 5);
  EXPECT_EQ(m.SelText(), L"cd");
}

TEST(EditModel, ShiftExtendsFromTheCaretAndCollapsesWithout) {
  TEditModel m = WithText(L"hello");
  m.SetCursorPos(1, false);
  m.Right(false, true);
  m.Right(false, true);
  EXPECT_EQ(m.SelText(), L"el");
  m.Left(false, true);
  EXPECT_EQ(m.SelText(), L"e");
  m.Home(true);  // the moving end crosses the anchor
  EXPECT_EQ(m.SelStart(), 0);
  EXPECT_EQ(m.SelLength(), 1);
  m.Right(false, false);
  EXPECT_EQ(m.SelLength(), 0);
  EXPECT_EQ(m.CursorPos(), 1);
}

TEST(EditModel, TypingReplacesTheSelectionAndTheCaretFollows) {
  TEditModel m = WithText(L"hello");
  m.SetSelStart(1);
  m.SetSelLength(3);
  EXPECT_EQ(m.CursorPos(), 4);
  EXPECT_TRUE(m.SetSelText(L"EY"));
  EXPECT_EQ(m.Text(), L"hEYo");
  EXPECT_EQ(m.CursorPos(), 3);
  EXPECT_EQ(m.SelLength(), 0);
  EXPECT_TRUE(m.Backspace());
  EXPECT_EQ(m.Text(), L"hEo");
  m.SetSelLength(50);  // fitted to the text
  EXPECT_EQ(m.SelText(), L"o");
}

TEST(EditModel, TextSetterPutsTheCaretAtZeroAndReportsOnlyAChange) {
  TEditModel m = WithText(L"abc");
  m.End(false);
  EXPECT_TRUE(m.SetText(L"xyz"));
  EXPECT_EQ(m.CursorPos(), 0);
  EXPECT_EQ(m.SelLength(), 0);
  EXPECT_FALSE(m.SetText(L"xyz"));
}

TEST(EditModel, ReadOnlyRefusesEditsButMovesTheCaret) {
  TEditModel m = WithText(L"abc");
  m.SetReadOnly(true);
  EXPECT_FALSE(m.SetSelText(L"x"));
  m.End(false);
  EXPECT_FALSE(m.Backspace());
  EXPECT_EQ(m.Text(), L"abc");
  EXPECT_EQ(m.CursorPos(), 3);
}

TEST(EditModel, PasteKeepsTheFirstLine) {
  EXPECT_EQ(FirstLine(L"one\r\ntwo"), L"one");
  EXPECT_EQ(FirstLine(L"one\ntwo\rthree"), L"one");
  EXPECT_EQ(FirstLine(L"\r\nrest"), L"");
  EXPECT_EQ(FirstLine(L"single"), L"single");
}

// ---- Length limit ---------------------------------------------------------------------

TEST(EditModel, AFullEditTakesNothingUnlessSomethingIsSelected) {
  TEditModel m;
  m.SetMaxLength(3);
  m.SetText(L"abc");
  m.End(false);
  EXPECT_FALSE(m.SetSelText(L"d"));
  EXPECT_EQ(m.Text(), L"abc");
  m.SetSelStart(1);
  m.SetSelLength(1);
  EXPECT_TRUE(m.SetSelText(L"X"));
  EXPECT_EQ(m.Text(), L"aXc");
}

TEST(EditModel, APasteLongerThanTheRoomInsertsWhatFitsAndKeepsTheText) {
  TEditModel m;
  m.SetMaxLength(5);
  m.SetText(L"abc");
  EXPECT_TRUE(m.SetSelText(L"123456"));  // at 0
  EXPECT_EQ(m.Text(), L"12abc");
  EXPECT_EQ(m.CursorPos(), 2);
}

TEST(EditModel, TheLimitNeverSplitsACluster) {
  TEditModel m;
  m.SetMaxLength(3);
  m.SetText(L"a" + Pair + L"b");  // 4 units: the pair fits
  EXPECT_EQ(m.Text(), L"a" + Pair);
  m.SetText(L"ab" + Pair);  // the pair does not fit whole
  EXPECT_EQ(m.Text(), L"ab");
  EXPECT_FALSE(m.SetSelText(Pair));  // one unit of room is not enough for two
  m.SetText(L"xyz");
  m.SetMaxLength(2);
  EXPECT_EQ(m.Text(), L"xy");
  ExpectInvariants(m, "limit lowered");
}

// ---- Kind filters and case -------------------------------------------------------------

TEST(EditModel, IntegerKind) {
  TEditModel m;
  m.SetTextKind(tkNumInt);
  EXPECT_FALSE(m.SetSelText(L"12a"));  // not an integer: nothing at all
  EXPECT_TRUE(m.SetSelText(L"12"));
  m.SetCursorPos(1, false);
  EXPECT_FALSE(m.SetSelText(L"-"));  // a minus inside the number
  m.Home(false);
  EXPECT_TRUE(m.SetSelText(L"-"));
  EXPECT_EQ(m.Text(), L"-12");
  m.Home(false);
  EXPECT_FALSE(m.SetSelText(L"-"));  // a second minus
  EXPECT_EQ(m.Text(), L"-12");
  // Five-character pieces that read as integers one by one still get no
  // minus sign after the start.
  TEditModel n;
  n.SetTextKind(tkNumInt);
  n.SetSelText(L"12345-6789");
  EXPECT_EQ(n.Text(), L"12345");
  n.SetText(L"");
  n.SetSelText(L"1234567890123");  // long digit runs are fine
  EXPECT_EQ(n.Text(), L"1234567890123");
}

TEST(EditModel, RealKindWithTheLocalesSeparator) {
  TEditModel m;
  m.SetTextKind(tkNumReal);
  EXPECT_TRUE(m.SetSelText(L"1.5"));
  EXPECT_FALSE(m.SetSelText(L"."));  // the text holds one already
  EXPECT_FALSE(m.SetSelText(L"1e5"));  // no exponents
  EXPECT_EQ(m.Text(), L"1.5");
  TEditModel c;
  c.SetTextKind(tkNumReal);
  c.SetDecimalSeparator(L',');
  EXPECT_FALSE(c.SetSelText(L"1.5"));
  EXPECT_TRUE(c.SetSelText(L"-1,5"));
  EXPECT_EQ(c.Text(), L"-1,5");
  TEditModel d;
  d.SetTextKind(tkNumReal);
  EXPECT_TRUE(d.SetSelText(L"."));
}

TEST(EditModel, LetterKindsSkipWhatTheyDoNotKeep) {
  TEditModel en;
  en.SetTextKind(tkEN);
  en.SetSelText(L"a1-b.\u4E2DC");
  EXPECT_EQ(en.Text(), L"abC");
  TEditModel both;
  both.SetTextKind(tkENandNum);
  both.SetSelText(L"a1-b. c" + Pair);
  EXPECT_EQ(both.Text(), L"a1-b.c");
}

TEST(EditModel, CaseAndKindChangesRefilterTheWholeText) {
  TEditModel m = WithText(L"ab12Cd");
  m.SetCharCase(ecUpperCase);
  EXPECT_TRUE(m.Refilter());
  EXPECT_EQ(m.Text(), L"AB12CD");
  m.SetTextKind(tkEN);
  m.End(false);
  EXPECT_TRUE(m.Refilter());
  EXPECT_EQ(m.Text(), L"ABCD");
  ExpectInvariants(m, "refiltered");
  m.SetCharCase(ecLowerCase);
  m.SetSelText(L"XY");
  EXPECT_EQ(m.Text(), L"ABCDxy");
}

// ---- Clusters ---------------------------------------------------------------------------

TEST(EditModel, SurrogatePairsAreOneStep) {
  TEditModel m = WithText(L"a" + Pair + L"b");
  m.SetCursorPos(1, false);
  m.Right(false, false);
  EXPECT_EQ(m.CursorPos(), 3);
  m.Left(false, true);
  EXPECT_EQ(m.SelText(), Pair);
  m.SetCursorPos(2, false);  // inside the pair, moving right: past it
  EXPECT_EQ(m.CursorPos(), 3);
  m.SetCursorPos(2, false);  // moving left: before it
  EXPECT_EQ(m.CursorPos(), 1);
  m.SetCursorPos(3, false);
  EXPECT_TRUE(m.Backspace());
  EXPECT_EQ(m.Text(), L"ab");
  m.SetText(Pair + L"x");
  EXPECT_TRUE(m.Delete());
  EXPECT_EQ(m.Text(), L"x");
}

TEST(EditModel, CombiningMarksStayWithTheirBase) {
  TEditModel m = WithText(L"a" + Accented + L"b");
  m.SetCursorPos(1, false);
  m.Right(false, false);
  EXPECT_EQ(m.CursorPos(), 3);
  m.SetSelStart(2);  // inside the cluster
  EXPECT_EQ(m.CursorPos(), 3);
  m.SetSelStart(1);
  m.SetSelLength(1);  // half a cluster widens to the whole
  EXPECT_EQ(m.SelText(), Accented);
  EXPECT_TRUE(m.Delete());
  EXPECT_EQ(m.Text(), L"ab");
  // A mark typed after a base joins it; the caret goes after the cluster.
  m.SetCursorPos(1, false);
  m.SetSelText(L"\u0301");
  EXPECT_EQ(m.Text(), L"a\u0301b");
  EXPECT_EQ(m.CursorPos(), 2);
  // A base typed before a leading mark takes the mark: the caret goes past it.
  TEditModel lead = WithText(L"\u0301z");
  lead.SetSelText(L"o");
  EXPECT_EQ(lead.CursorPos(), 2);
  ExpectInvariants(lead, "leading mark");
}

TEST(EditModel, UnpairedHalvesAndNulsAreMadeSafe) {
  TEditModel m;
  m.SetSelText(std::wstring(1, LoneHigh) + L"x" + std::wstring(1, LoneLow));
  EXPECT_EQ(m.Text(), L"\uFFFDx\uFFFD");
  // Halves that arrive apart never pair up with what is there.
  TEditModel h = WithText(std::wstring(1, LoneLow));
  h.SetSelText(std::wstring(1, LoneHigh));
  EXPECT_EQ(h.Text(), L"\uFFFD\uFFFD");
  std::wstring withNul = L"ab";
  withNul += L'\0';
  withNul += L"cd";
  TEditModel n;
  n.SetSelText(withNul);
  EXPECT_EQ(n.Text(), L"ab");
  n.SetText(withNul);
  EXPECT_EQ(n.Text(), L"ab");
  EXPECT_EQ(SafeEditText(Pair), Pair);
}

// ---- Scrolling and hit testing -----------------------------------------------------------

TEST(EditModel, ScrollKeepsTheCaretInsideTheAvailableWidth) {
  int calls = 0;
  TFixedWidth width{&calls};
  TEditModel m = WithText(std::wstring(40, L'x'));
  m.End(false);
  m.ScrollToCaret(width, 70);  // nine 7-px characters fit before the caret, ten do not
  EXPECT_EQ(m.FirstDisplay(), 31);
  m.SetCursorPos(31, false);  // at the first drawn character: one more shows
  m.ScrollToCaret(width, 70);
  EXPECT_EQ(m.FirstDisplay(), 30);
  m.Home(false);
  m.ScrollToCaret(width, 70);
  EXPECT_EQ(m.FirstDisplay(), 0);
  m.End(false);
  m.ScrollToCaret(width, 0);  // no room at all
  EXPECT_EQ(m.FirstDisplay(), 0);
}

TEST(EditModel, ScrollingALongTextMeasuresOnlyTheVisiblePart) {
  int calls = 0;
  TFixedWidth width{&calls};
  TEditModel m = WithText(std::wstring(1 << 20, L'x'));
  m.End(false);
  m.ScrollToCaret(width, 700);
  EXPECT_LE(calls, 101);
  EXPECT_EQ(m.FirstDisplay(), (1 << 20) - 99);
  calls = 0;
  EXPECT_EQ(m.PosAtX(30, width, 4, 700), (1 << 20) - 99 + 4);
  EXPECT_LE(calls, 101);
}

TEST(EditModel, PosAtXPicksTheCharacterWhoseEdgeReachesTheClick) {
  int calls = 0;
  TFixedWidth width{&calls};
  TEditModel m = WithText(L"abcdef");
  // Characters from x = 4: a 4..11, b 11..18 ...
  EXPECT_EQ(m.PosAtX(0, width, 4, 100), 0);
  EXPECT_EQ(m.PosAtX(7, width, 4, 100), 0);  // 11 >= 7 + 4
  EXPECT_EQ(m.PosAtX(8, width, 4, 100), 1);
  EXPECT_EQ(m.PosAtX(95, width, 4, 100), 6);  // past the text
  EXPECT_EQ(m.PosAtX(30, width, 4, 20), 6);   // past the right edge
  EXPECT_EQ(TEditModel().PosAtX(10, width, 4, 100), 0);
  TEditModel p = WithText(Pair + Pair);
  EXPECT_EQ(p.PosAtX(8, width, 4, 100), 2);  // never between the halves
}

// ---- Fuzz --------------------------------------------------------------------------------

TEST(EditModel, RandomEditingKeepsTheInvariants) {
  std::mt19937 rng(20261209);
  const std::vector<std::wstring> pieces = {
      L"a", L" ", L"-", L"1", L".", L",", L"Z", L"\u4E2D", Pair, L"\u0301", L"\uFE0F", std::wstring(1, LoneHigh),
      std::wstring(1, LoneLow), std::wstring(1, L'\0'), L"\r\n", L"9"};
  auto randomText = [&](int MaxPieces) {
    std::wstring s;
    const int n = std::uniform_int_distribution<int>(0, MaxPieces)(rng);
    for (int i = 0; i < n; ++i) s += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(rng)];
    return s;
  };
  auto pick = [&](int N) { return std::uniform_int_distribution<int>(0, N - 1)(rng); };
  int calls = 0;
  TFixedWidth width{&calls};
  TEditModel m;
  for (int step = 0; step < 6000; ++step) {
    const int op = pick(16);
    const int len = m.Length();
    switch (op) {
      case 0: case 1: m.SetSelText(randomText(1)); break;
      case 2: m.SetSelText(FirstLine(randomText(8))); break;
      case 3: m.Backspace(); break;
      case 4: m.Delete(); break;
      case 5: m.Left(pick(2), pick(2)); break;
      case 6: m.Right(pick(2), pick(2)); break;
      case 7: pick(2) ? m.Home(pick(2)) : m.End(pick(2)); break;
      case 8: m.SetSelStart(pick(len + 3) - 1); break;
      case 9: m.SetSelLength(pick(len + 3) - 1); break;
      case 10: m.SetCursorPos(pick(len + 3) - 1, pick(2)); break;
      case 11: m.SelectAll(); break;
      case 12: if (pick(8) == 0) m.SetText(randomText(10)); break;
      case 13: if (pick(10) == 0) m.SetMaxLength(pick(3) ? 0 : pick(20)); break;
      case 14:
        if (pick(10) == 0) {
          m.SetTextKind(static_cast<TVelTextKind>(pick(5)));
          m.SetCharCase(static_cast<TEditCharCase>(pick(3)));
          m.Refilter();
        }
        break;
      case 15:
        m.ScrollToCaret(width, pick(60));
        m.SetCursorPos(m.PosAtX(pick(80), width, 4, 60), pick(2));
        break;
    }
    ExpectInvariants(m, "step " + std::to_string(step) + " op " + std::to_string(op));
    if (HasFatalFailure()) return;
  }
}
