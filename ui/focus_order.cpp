#include "ui/focus_order.h"

int32_t NextFocusKey(const std::vector<FocusStop>& stops, int32_t current, bool backwards) {
  const int count = static_cast<int>(stops.size());
  int at = -1;
  for (int i = 0; i < count; ++i) {
    if (stops[i].key == current) at = i;
  }
  // Outside the order, the first step lands on the first (or the last) stop.
  if (at == -1) at = backwards ? count : -1;
  const int step = backwards ? -1 : 1;
  for (int moved = 1; moved <= count; ++moved) {
    const int next = ((at + step * moved) % count + count) % count;
    if (stops[next].available) return stops[next].key;
  }
  return -1;
}
