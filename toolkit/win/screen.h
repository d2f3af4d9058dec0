// The screen: the cursors by id, the application-wide cursor override, and
// the display's size, work area, resolution and active form.
#pragma once

#include "toolkit/win/controls.h"

#include <map>

class TCustomForm;

class TScreen {
public:
  TScreen() = default;
  TScreen(const TScreen&) = delete;
  TScreen& operator=(const TScreen&) = delete;

  // The cursor of an id: a custom one set with SetCursors, else the system
  // cursor it names; crDefault and unknown ids give the arrow.
  HCURSOR Cursors(TCursor Id) const;
  // Sets a custom cursor for Id (also replacing a system one); null removes
  // it. The screen does not own the cursor: it must live while it is set.
  void SetCursors(TCursor Id, HCURSOR Value);

  // Overrides every toolkit window's cursor while not crDefault.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // Asks the window under the mouse again which cursor to show (after a
  // cursor property changed). Foreign windows are left alone.
  void RefreshCursor();

  int PixelsPerInch() const;
  int Width() const;
  int Height() const;
  // The primary monitor's area without the task bar.
  TRect WorkAreaRect() const;
  // The toolkit form that is the active window, or nullptr.
  TCustomForm* ActiveForm() const;

private:
  std::map<TCursor, HCURSOR> FCursors;
  TCursor FCursor = crDefault;
};

extern TScreen* Screen;
