#pragma once
#include <cstdint>
#include <string>

#include "support/core/fixed_wstring.h"

// The figures of the progress page, taken from each progress report: the percentage, the speed
// measured over whole seconds, the remaining time and whether the network counts as slow.
class ProgressFigures {
 public:
  // Below this many bytes per second (and above 0) the network counts as slow.
  static constexpr int64_t kSlowBytesPerSecond = 102400;

  // One report, taken in the given whole second of the machine's uptime. The speed is the
  // change of done since the last second seen; within one second the previous figures stay.
  void Take(uint64_t total, uint64_t done, int64_t second);

  // done * 100 / total without overflow, done held at total; 100 when there is nothing to
  // install.
  uint32_t Percent() const;
  // Total and done (held at total) for a bar that counts in 32 bits: both halved alike as often
  // as the total needs to fit.
  uint32_t BarRange() const;
  uint32_t BarPosition() const;
  bool Slow() const { return speed_ > 0 && speed_ < kSlowBytesPerSecond; }
  int64_t Speed() const { return speed_; }
  // Held at the largest 32-bit value.
  uint32_t RemainingSeconds() const { return remaining_; }

  // "%d%%" of the percentage.
  void FormatPercent(FixedWString<32>* text) const;
  // Total and done in MB, the speed in KB/s and the remaining time, in the run's language.
  void FormatDetail(FixedWString<256>* text) const;

 private:
  int BarShift() const;

  uint64_t total_ = 0;
  uint64_t done_ = 0;
  int64_t speed_ = 0;
  uint32_t remaining_ = 0;
  int64_t lastSecond_ = 0;
  uint64_t lastDone_ = 0;
};

// A duration in the run's language: days, hours and minutes only when not 0, seconds always
// ("1天5秒").
std::u16string DurationText(uint32_t seconds);
