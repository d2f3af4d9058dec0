// The message box's arithmetic: where the icon and the text go, the client
// size around the text and the buttons, the button row with its default and
// cancel buttons, the check box beside it, and the wrapping of a text too
// large for the screen.
#include "skin/controls/message_box_layout.h"

#include <gtest/gtest.h>

namespace {

using B = TVelMsgButton;

// Every character 7 pixels wide; counts the calls and the characters measured.
struct TFixedWidth {
  int Calls = 0;
  size_t Measured = 0;
  TMsgMeasure Fn() {
    return [this](const wchar_t*, size_t N) {
      ++Calls;
      Measured += N;
      return static_cast<int32_t>(N * 7);
    };
  }
};

std::vector<std::wstring> Lines(const std::wstring& Text) {
  std::vector<std::wstring> lines;
  size_t begin = 0;
  for (size_t at; (at = Text.find(L"\r\n", begin)) != std::wstring::npos; begin = at + 2)
    lines.push_back(Text.substr(begin, at - begin));
  lines.push_back(Text.substr(begin));
  return lines;
}

TMsgBoxLayout Layout(TVelMsgButtons Buttons, int32_t TextWidth = 50, int32_t TextHeight = 14) {
  TMsgBoxLayoutInput in;
  in.Buttons = Buttons;
  in.TextPos = TPoint{10, 25};
  in.TextWidth = TextWidth;
  in.TextHeight = TextHeight;
  return MsgBoxLayout(in);
}

}  // namespace

TEST(MessageBoxLayout, TextStandsAt25OrLevelWithTheIconWhenItHasSeveralLines) {
  const TMsgTextPlace plain = MsgTextPlace(false, true, 0, 17);
  EXPECT_FALSE(plain.HasIcon);
  EXPECT_EQ(plain.Text, (TPoint{10, 25}));

  const TMsgTextPlace one = MsgTextPlace(true, false, 0, 17);
  EXPECT_EQ(one.Icon, (TRect{10, 15, 50, 55}));
  EXPECT_EQ(one.Text, (TPoint{65, 25}));
  const TMsgTextPlace several = MsgTextPlace(true, true, 0, 17);
  EXPECT_EQ(several.Text, (TPoint{65, 15}));

  // The icon follows the label's first place below 15.
  const TMsgTextPlace lower = MsgTextPlace(true, true, 30, 20);
  EXPECT_EQ(lower.Icon, (TRect{10, 20, 50, 60}));
  EXPECT_EQ(lower.Text, (TPoint{65, 20}));

  EXPECT_EQ(MsgLabelCaption(L"Tom & Jerry && co&"), L"Tom && Jerry &&&& co&&");
  EXPECT_TRUE(MsgTextMultiLine(L"a\r\nb"));
  EXPECT_TRUE(MsgTextMultiLine(L"a\nb"));
  EXPECT_FALSE(MsgTextMultiLine(L"a b"));
}

TEST(MessageBoxLayout, ClientIs60Plus27TallerThanTheTextAndAtLeast60WiderThanTextOrRow) {
  // Text right edge 10 + 300 beats a row of one button.
  TMsgBoxLayout wide = Layout({B::OK}, 300, 42);
  EXPECT_EQ(wide.ClientHeight, 60 + 27 + 42);
  EXPECT_EQ(wide.ClientWidth, 60 + 310);
  // Three buttons, 3 x 70 + 2 x 10, beat a short text.
  TMsgBoxLayout row = Layout({B::Abort, B::Retry, B::Ignore}, 20);
  EXPECT_EQ(row.RowWidth, 230);
  EXPECT_EQ(row.ClientWidth, 60 + 230);
  EXPECT_GE(row.ClientWidth, 60 + 30);
}

TEST(MessageBoxLayout, AnEmptySetIsOneCentredOKButtonThatIsDefaultAndCancel) {
  for (TVelMsgButtons none : {TVelMsgButtons{}, TVelMsgButtons::FromBits(0x80)}) {
    const TMsgBoxLayout l = Layout(none);
    EXPECT_EQ(l.Buttons, (TVelMsgButtons{B::OK}));
    EXPECT_EQ(l.Buttons.Count(), 1);
    EXPECT_EQ(l.Default, B::OK);
    EXPECT_EQ(l.Cancel, B::OK);
    // Client width 60 + 70; the button centred, 5 below the strip's top.
    EXPECT_EQ(l.ButtonRects[0], (TRect{30, 5, 100, 32}));
  }
  EXPECT_EQ(MsgButtonCaption(B::OK), std::wstring(L"确定"));
  EXPECT_EQ(MsgButtonModalResult(B::OK), 1);
}

TEST(MessageBoxLayout, DefaultAndCancelFollowTheirOrderOfPreference) {
  struct TCase {
    TVelMsgButtons Set;
    std::optional<B> Default, Cancel;
  };
  const TCase cases[] = {
      {{B::Yes, B::No}, B::Yes, B::No},
      {{B::Abort, B::Retry, B::Ignore}, B::Retry, std::nullopt},
      {{B::Yes, B::No, B::Cancel}, B::Yes, B::Cancel},
      {{B::OK, B::Cancel}, B::OK, B::Cancel},
      {{B::Retry, B::Cancel}, B::Retry, B::Cancel},
      {{B::Abort, B::Ignore}, std::nullopt, std::nullopt},
  };
  for (const TCase& c : cases) {
    const TMsgBoxLayout l = Layout(c.Set);
    EXPECT_EQ(l.Default, c.Default) << int(c.Set.Bits());
    EXPECT_EQ(l.Cancel, c.Cancel) << int(c.Set.Bits());
  }
}

TEST(MessageBoxLayout, ButtonsStandInKindOrderWithTheirCaptionsAndResults) {
  const TMsgBoxLayout all = Layout(TVelMsgButtons::FromBits(0xFF), 600);
  EXPECT_EQ(all.Buttons.Count(), 7);
  EXPECT_EQ(all.RowWidth, 7 * 70 + 6 * 10);
  const int left = (all.ClientWidth - all.RowWidth) / 2;
  for (int k = 0; k < MsgButtonKindCount; ++k)
    EXPECT_EQ(all.ButtonRects[k], (TRect{left + 80 * k, 5, left + 80 * k + 70, 32})) << k;

  const wchar_t* captions[] = {L"确定", L"是", L"否", L"取消", L"中止", L"重试", L"忽略"};
  const int results[] = {1, 6, 7, 2, 3, 4, 5};
  for (int k = 0; k < MsgButtonKindCount; ++k) {
    EXPECT_EQ(MsgButtonCaption(static_cast<B>(k)), std::wstring(captions[k]));
    EXPECT_EQ(MsgButtonModalResult(static_cast<B>(k)), results[k]);
  }
  // {No, Yes}: Yes stands left of No whatever order the set was written in.
  const TMsgBoxLayout yesNo = Layout({B::No, B::Yes});
  EXPECT_LT(yesNo.ButtonRects[int(B::Yes)].Left, yesNo.ButtonRects[int(B::No)].Left);
}

TEST(MessageBoxLayout, TheCheckBoxWidensTheBoxAndPushesTheButtonsRight) {
  TMsgBoxLayoutInput in;
  in.Buttons = {B::OK};
  in.TextPos = TPoint{10, 25};
  in.TextWidth = 50;
  in.TextHeight = 14;
  in.ShowCheck = true;
  in.CheckTextWidth = 72;
  in.CheckHeight = 17;
  const TMsgBoxLayout l = MsgBoxLayout(in);
  EXPECT_EQ(l.Check, (TRect{5, 9, 5 + 102, 26}));
  // 130 - 70 - 40 leaves less than the check box's right edge: 40 + 102 + 70.
  EXPECT_EQ(l.ClientWidth, 212);
  EXPECT_EQ(l.ButtonRects[0], (TRect{212 - 70 - 8, 5, 212 - 8, 32}));

  // A text wide enough leaves the width alone; the buttons still keep right.
  in.TextWidth = 400;
  const TMsgBoxLayout wide = MsgBoxLayout(in);
  EXPECT_EQ(wide.ClientWidth, 470);
  EXPECT_EQ(wide.ButtonRects[0].Right, 470 - 8);
}

TEST(MessageBoxLayout, LengthsPassThroughTheScale) {
  const TMsgScale twice = [](int32_t N) { return N * 2; };
  const TMsgTextPlace place = MsgTextPlace(true, false, 0, 17, twice);
  EXPECT_EQ(place.Icon, (TRect{20, 30, 100, 110}));
  EXPECT_EQ(place.Text, (TPoint{130, 50}));
  TMsgBoxLayoutInput in;
  in.TextPos = place.Text;
  in.TextWidth = 10;
  in.TextHeight = 28;
  in.StripHeight = 70;
  const TMsgBoxLayout l = MsgBoxLayout(in, twice);
  EXPECT_EQ(l.ClientHeight, 120 + 54 + 28);
  EXPECT_EQ(l.ClientWidth, 120 + 140);
  EXPECT_EQ(l.ButtonRects[0], (TRect{60, 10, 200, 64}));
  const TMsgTextLimit limit = MsgTextLimit(1000, 800, 130, twice);
  EXPECT_EQ(limit.Width, 1000 - 120 - 130);
  EXPECT_EQ(limit.Height, 800 - 120 - 54);
}

TEST(MessageBoxLayout, IconsByKindAndNoneAboveFour) {
  EXPECT_EQ(MsgIconID(0), L"");
  EXPECT_EQ(MsgIconID(1), L"VelSkinMsgIcon_Info");
  EXPECT_EQ(MsgIconID(2), L"VelSkinMsgIcon_Error");
  EXPECT_EQ(MsgIconID(3), L"VelSkinMsgIcon_OK");
  EXPECT_EQ(MsgIconID(4), L"VelSkinMsgIcon_Question");
  for (int kind : {5, 200, 255, -1}) EXPECT_EQ(MsgIconID(kind), L"") << kind;
}

TEST(MessageBoxText, ATextThatFitsIsLeftExactlyAsItIs) {
  TFixedWidth w;
  for (const std::wstring& text :
       {std::wstring(), std::wstring(L"你用 6 种颜色完成了中画面游戏\r\n移动: 25\r\n用时: 00:01:23"),
        std::wstring(L"a\nb\rc")})
    EXPECT_EQ(FitMsgText(text, 1000, 10, w.Fn()), text);
}

TEST(MessageBoxText, WideLinesBreakAfterASpaceOrBetweenCharacters) {
  TFixedWidth w;
  EXPECT_EQ(FitMsgText(L"aaa bbb ccc", 49, 10, w.Fn()), L"aaa bbb\r\nccc");
  EXPECT_EQ(FitMsgText(L"aaa    bbb", 28, 10, w.Fn()), L"aaa\r\nbbb");
  EXPECT_EQ(FitMsgText(L"abcdefghij", 21, 10, w.Fn()), L"abc\r\ndef\r\nghi\r\nj");
  // Lines that fit keep their place; breaks become CR LF.
  EXPECT_EQ(FitMsgText(L"ab\nabcdef", 21, 10, w.Fn()), L"ab\r\nabc\r\ndef");
  // A surrogate pair stays whole (written as two units: wchar_t is wider off Windows).
  const std::wstring smile{wchar_t(0xD83D), wchar_t(0xDE00)};
  EXPECT_EQ(FitMsgText(L"ab" + smile + L"cd", 21, 10, w.Fn()), L"ab\r\n" + smile + L"c\r\nd");
  // Too narrow for a single character: one per line, and no endless loop.
  EXPECT_EQ(FitMsgText(L"xyz", 0, 10, w.Fn()), L"x\r\ny\r\nz");
}

TEST(MessageBoxText, AHugeTextKeepsItsFirstLinesEndingInAnEllipsis) {
  for (wchar_t filler : {L'x', L' '}) {
    std::wstring text(100000, L'x');
    if (filler == L' ')
      for (size_t i = 5; i < text.size(); i += 9) text[i] = L' ';
    TFixedWidth w;
    const std::wstring fitted = FitMsgText(text, 700, 5, w.Fn());
    const std::vector<std::wstring> lines = Lines(fitted);
    ASSERT_EQ(lines.size(), 5u);
    for (const std::wstring& line : lines) EXPECT_LE(line.size() * 7, 700u);
    EXPECT_EQ(lines.back().back(), L'\u2026');
    // Measuring stays near the part kept, not the whole text for every line.
    EXPECT_LT(w.Measured, 3 * text.size());
  }
  // Many short lines: only the first ones stay.
  std::wstring many;
  for (int i = 0; i < 1000; ++i) many += L"line\r\n";
  TFixedWidth w;
  const std::vector<std::wstring> lines = Lines(FitMsgText(many, 700, 3, w.Fn()));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], L"line");
  EXPECT_EQ(lines[2], L"line\u2026");
}
