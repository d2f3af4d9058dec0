// Live counts of what the toolkit creates and must give back: owned GDI
// objects, DCs, toolkit windows and window timers. A leak test reads them
// before and after a run (the system's own GDI counters answer 0 under Wine).
#pragma once

enum TLiveKind { lkGdiObject, lkDC, lkWindow, lkTimer, lkKindCount };

struct TLiveCounts {
  long GdiObjects = 0;
  long DCs = 0;
  long Windows = 0;
  long Timers = 0;
  friend bool operator==(const TLiveCounts&, const TLiveCounts&) = default;
};

// Thread-safe: a worker thread may own GDI objects too.
void CountLive(TLiveKind Kind, int Delta) noexcept;
TLiveCounts LiveCounts() noexcept;
