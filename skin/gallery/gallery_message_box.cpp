#include "skin/gallery/gallery_message_box.h"

#include <functional>
#include <string>

#include "skin/controls/buttons.h"
#include "skin/controls/labels.h"
#include "skin/controls/message_box.h"

namespace {

using B = TVelMsgButton;

const wchar_t* const WinText = L"你用 6 种颜色完成了中画面游戏\r\n移动: 25\r\n用时: 00:01:23";

}  // namespace

void AddMessageBoxDemo(TWinControl* Parent, int32_t Left, int32_t Top, int32_t Width) {
  auto* result = new TVelSkinLabel(Parent);
  struct TCase {
    const wchar_t* Name;
    int32_t Width;
    std::function<int()> Open;
  };
  const TCase cases[] = {
      {L"Info", 56, [] { return ShowSkinMessage(L"提 示", L"Information without buttons given.", 1, {}); }},
      {L"Error", 56, [] { return ShowSkinMessage(L"Error", L"Something went wrong.", 2, {B::OK}); }},
      {L"Win", 56, [] { return ShowSkinMessage(L"提 示", WinText, 3, {}); }},
      {L"Question", 64, [] { return ShowSkinMessage(L"Question", L"Start a new game?", 4, {B::Yes, B::No}); }},
      {L"No icon", 60, [] { return ShowSkinMessage(L"Plain", L"A box without an icon.", 0, {B::OK, B::Cancel}); }},
      {L"Yes/No/Cancel", 96,
       [] { return ShowSkinMessage(L"Save", L"Save the board\r\nbefore leaving?", 4, {B::Yes, B::No, B::Cancel}); }},
      {L"Abort/Retry/Ignore", 120,
       [] { return ShowSkinMessage(L"Disk", L"The drive is not ready.", 2, {B::Abort, B::Retry, B::Ignore}); }},
      {L"Check box", 72,
       [] {
         // Kept between openings: the box shows the state it was left in.
         static bool dontShowAgain = false;
         return ShowSkinMessageEx(L"Tip", L"Colours spread from the top-left cell.", 1, {}, true, dontShowAgain,
                                  -100000, -100000);
       }},
  };
  int32_t x = Left, y = Top;
  for (const TCase& c : cases) {
    if (x > Left && x + c.Width > Left + Width) {
      x = Left;
      y += 30;
    }
    auto* button = new TVelSkinButton(Parent);
    button->SetBounds(x, y, c.Width, 24);
    button->SetParent(Parent);
    button->SetCaption(c.Name);
    const std::function<int()> open = c.Open;
    button->OnClick = [result, open](TObject*) { result->SetCaption(L"Result: " + std::to_wstring(open())); };
    x += c.Width + 6;
  }
  result->SetBounds(x + 4, y + 5, 10, 10);
  result->SetParent(Parent);
  result->SetCaption(L"Result: -");
}
