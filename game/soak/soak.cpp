// Memory soak of the game window: plays many rounds in one process (press the
// start button, click colour buttons until the board is won or 45 clicks,
// close the win message) and prints the process's figures every 50 rounds.
// The window and its messages are real; only the player is a program.
//
//   quorrel_soak [rounds] [report-every] [--real-input]
//
// Defaults: 400 rounds, a report every 50. Clicks are sent to the buttons'
// windows as mouse messages; with --real-input they are injected as mouse input
// at the buttons' screen positions (hit testing, activation, mouse tracking and
// the win message's own OK button take part), which is slower.
#include "game/mainwin.h"
#include "gfx/blend.h"
#include "skin/controls/message_box.h"
#include "skin/resources/skin_res_manager.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The window keeps its board private; the test probe's name gives this
// program the same read access the window tests have.
class TmainwinTestProbe {
public:
  explicit TmainwinTestProbe(Tmainwin* W) : Win(W) {}
  Tmainwin* Win;
  int32_t XSize() const { return Win->XSize; }
  int32_t YSize() const { return Win->YSize; }
  int32_t NumColors() const { return Win->NumColors; }
  const TBoard& Board() const { return Win->platform; }
  const std::vector<TPanel*>& ColorBtn() const { return Win->ColorBtn; }
};

namespace {

constexpr int MaxClicks = 45;

bool GRealInput = false;
int GBoxesClosed = 0;

// Dispatches what arrives during the next Ms milliseconds.
void Pump(DWORD Ms) {
  const DWORD start = GetTickCount();
  do {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    Application->ProcessMessages();
  } while (GetTickCount() - start < Ms);
}

// A left click at a screen point, as input from the mouse.
void InjectClick(TPoint At) {
  const int w = std::max(GetSystemMetrics(SM_CXSCREEN) - 1, 1), h = std::max(GetSystemMetrics(SM_CYSCREEN) - 1, 1);
  INPUT input[3] = {};
  const DWORD flags[3] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 3; ++i) {
    input[i].type = INPUT_MOUSE;
    input[i].mi.dx = MulDiv(At.X, 65535, w);
    input[i].mi.dy = MulDiv(At.Y, 65535, h);
    input[i].mi.dwFlags = flags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(3, input, sizeof(INPUT));
}

// The open skinned message box (the win message), if any.
TVelSkinMessageForm* OpenBox() {
  const std::vector<TVelSkinMessageForm*> boxes = OpenSkinMessages();
  return boxes.empty() ? nullptr : boxes.front();
}

void PressBoxOk(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  TVelSkinMessageForm* box = OpenBox();
  if (!box) return;
  TWinControl* ok = nullptr;
  for (int i = 0; i < box->FBottomPanel->ControlCount() && !ok; ++i)
    ok = dynamic_cast<TWinControl*>(box->FBottomPanel->Controls(i));
  if (GRealInput && ok)
    InjectClick(ok->ClientToScreen(TPoint{ok->Width() / 2, ok->Height() / 2}));
  else
    box->SetModalResult(mrOk);
}

// Every message box this thread activates is the win message. It is answered
// with OK from inside its own message loop: at once, or with real input a
// moment later, once it is drawn, by a click on its button.
LRESULT CALLBACK CloseBoxes(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HCBT_ACTIVATE && dynamic_cast<TVelSkinMessageForm*>(TWinControl::FindControl(reinterpret_cast<HWND>(WParam)))) {
    ++GBoxesClosed;
    SetTimer(nullptr, 0, GRealInput ? 150 : 1, PressBoxOk);
  }
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

// A click in the control at a point of its client area; returns once the
// click has been handled.
void Press(TWinControl* Control, TPoint At) {
  if (GRealInput) {
    InjectClick(Control->ClientToScreen(At));
    Pump(30);
    return;
  }
  HWND window = Control->Handle();
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(At.X, At.Y));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(At.X, At.Y));
  Application->ProcessMessages();
}

// The colour whose move leaves the largest region at the corner (a greedy
// player: wins the medium board with six colours in well under 45 moves).
int32_t BestColour(const TmainwinTestProbe& P) {
  const TBoard& board = P.Board();
  const int32_t corner = board[0][0];
  int32_t best = corner == 0 ? 1 : 0, bestSize = -1;
  for (int32_t c = 0; c < P.NumColors(); ++c) {
    if (c == corner) continue;
    TBoard trial = board;
    ::FloodFromCorner(trial, P.XSize(), P.YSize(), c);
    // A second flood to another colour counts the cells of the grown region.
    const int32_t size = ::FloodFromCorner(trial, P.XSize(), P.YSize(), (c + 1) % P.NumColors());
    if (size > bestSize) {
      best = c;
      bestSize = size;
    }
  }
  return best;
}

struct TFigures {
  double WorkingSetKiB = 0;
  double HeapKiB = 0;  // bytes in use in the process's heaps
  int GdiObjects = 0;
};

int CountGdiObjects() {
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
  // Wine answers 0 above; it takes a bare handle-table index as a handle, so
  // the live entries can be counted instead.
  int n = 0;
  for (uintptr_t index = 1; index < 0x10000; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++n;
  return n;
}

TFigures Measure() {
  TFigures f;
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    f.WorkingSetKiB = static_cast<double>(counters.WorkingSetSize) / 1024.0;
  HANDLE heaps[64];
  const DWORD count = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
  size_t busy = 0;
  for (DWORD i = 0; i < count; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
    HeapUnlock(heaps[i]);
  }
  f.HeapKiB = static_cast<double>(busy) / 1024.0;
  f.GdiObjects = CountGdiObjects();
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  int numbers[2] = {400, 50}, given = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--real-input") == 0)
      GRealInput = true;
    else if (given < 2)
      numbers[given++] = std::max(1, std::atoi(argv[i]));
  }
  const int rounds = numbers[0], every = numbers[1];
  try {
    GR32Initialize();
    SkinResManager();
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
    Application->SetTitle(L"Quorrel");
    Tmainwin* mainwin = nullptr;
    Application->CreateForm(mainwin);
    mainwin->Show();
    Pump(200);
    HHOOK hook = SetWindowsHookExW(WH_CBT, CloseBoxes, nullptr, GetCurrentThreadId());
    if (!hook) {
      std::fprintf(stderr, "SetWindowsHookExW failed (error %lu)\n", GetLastError());
      return 1;
    }

    TmainwinTestProbe probe(mainwin);
    int wins = 0;
    long clicks = 0;
    TFigures first, settled;
    std::printf("%s input, %d rounds\n", GRealInput ? "injected mouse" : "window-message", rounds);
    std::printf("%8s %14s %12s %12s %12s %6s\n", "round", "working set", "since first", "heap in use", "GDI objects",
                "wins");
    for (int round = 0; round <= rounds; ++round) {
      if (round % every == 0) {
        const TFigures now = Measure();
        if (round == 0) first = now;
        if (round == every) settled = now;
        std::printf("%8d %10.0f KiB %+8.0f KiB %8.0f KiB %12d %6d\n", round, now.WorkingSetKiB,
                    now.WorkingSetKiB - first.WorkingSetKiB, now.HeapKiB, now.GdiObjects, wins);
        std::fflush(stdout);
      }
      if (round == rounds) break;
      Press(mainwin->StartGame, TPoint{84, 20});
      const int boxesBefore = GBoxesClosed;
      for (int i = 0; i < MaxClicks && probe.XSize() > 0; ++i, ++clicks)
        Press(probe.ColorBtn()[BestColour(probe)], TPoint{25, 25});
      if (GRealInput) Pump(300);  // the win message, drawn and closed by its button
      if (GBoxesClosed > boxesBefore) ++wins;
    }
    const TFigures last = Measure();
    std::printf("%d rounds, %d won, %ld colour clicks\n", rounds, wins, clicks);
    // The first rounds also fill caches (fonts, heaps); the rate after them is a leak's.
    if (rounds > every)
      std::printf("after round %d: working set %+.2f KiB, heap %+.2f KiB per round; GDI objects %+d\n", every,
                  (last.WorkingSetKiB - settled.WorkingSetKiB) / (rounds - every),
                  (last.HeapKiB - settled.HeapKiB) / (rounds - every), last.GdiObjects - settled.GdiObjects);
    UnhookWindowsHookEx(hook);
    Application->DestroyComponents();
  } catch (...) {
    Application->HandleException(Application);
    return 1;
  }
  return 0;
}
