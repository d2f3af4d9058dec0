#include "toolkit/win/live_counts.h"

#include <atomic>

namespace {

std::atomic<long> Counts[lkKindCount];

}  // namespace

void CountLive(TLiveKind Kind, int Delta) noexcept { Counts[Kind].fetch_add(Delta, std::memory_order_relaxed); }

TLiveCounts LiveCounts() noexcept {
  TLiveCounts c;
  c.GdiObjects = Counts[lkGdiObject].load(std::memory_order_relaxed);
  c.DCs = Counts[lkDC].load(std::memory_order_relaxed);
  c.Windows = Counts[lkWindow].load(std::memory_order_relaxed);
  c.Timers = Counts[lkTimer].load(std::memory_order_relaxed);
  return c;
}
