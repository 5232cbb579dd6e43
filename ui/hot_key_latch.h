#pragma once

#include <cstdint>

// The hot key an element holds down (0: none). The system repeats a held hot key; an element
// sees one press per hold, and a press of another key first ends the hold of the one before.
class HotKeyLatch {
 public:
  // What a press of key asks of the element: nothing (a repeat of the held key), or to release
  // releaseFirst (when not 0) and then handle the press.
  struct Press {
    bool repeat;
    int32_t releaseFirst;
  };

  Press OnPress(int32_t key);
  void OnRelease() { held_ = 0; }
  int32_t Held() const { return held_; }

 private:
  int32_t held_ = 0;
};
