#pragma once

#include <cstdint>

// The order in which a window's element tree (an ordered map from key to element) is hit: from
// the largest key to the smallest, so the element drawn last, on top, wins. The first entry for
// which hits (the element) is true gives its key; -1 when none. Entries without an element are
// skipped.
template <typename Tree, typename Hits>
int32_t TopmostKey(const Tree& tree, Hits hits) {
  for (auto entry = tree.rbegin(); entry != tree.rend(); ++entry) {
    if (entry->second && hits(*entry->second)) return entry->first;
  }
  return -1;
}
