#pragma once

#include <cstdint>
#include <vector>

#include "support/journal/journal_target_windows.h"

// The real machine for a program that the tests end just before it records its commit, a point
// no watcher from outside can catch in time: every change of the run made, none of them kept yet.
// The process ends there at once with kKilledExitCode, as the task manager ends it.
class KillingTarget : public CWindowsJournalTarget {
 public:
  static constexpr uint32_t kKilledExitCode = 77;

  bool AppendJournal(const std::vector<uint8_t>& bytes) override;
};
