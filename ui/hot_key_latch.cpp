#include "ui/hot_key_latch.h"

HotKeyLatch::Press HotKeyLatch::OnPress(int32_t key) {
  if (key == held_) return Press{true, 0};
  int32_t previous = held_;
  held_ = key;
  return Press{false, previous};
}
