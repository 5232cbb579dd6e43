#pragma once

#include <cstdint>

// Gives the window's thread room to paint while the install worker reports entry after entry.
// A real one-millisecond pause after every entry costs more than writing a small file does, so
// the worker yields its time slice after each entry and pauses for real only when 15 ms have
// passed since its last pause: often enough for the progress to repaint smoothly.
class PaintPause {
 public:
  void AfterEntry();

 private:
  uint64_t lastPause_ = 0;  // tick count of the last real pause
};
