#include "tests/helpers/killing_target.h"

#include <windows.h>

bool KillingTarget::AppendJournal(const std::vector<uint8_t>& bytes) {
  // The commit's record names nothing, so it is the same bytes in every journal.
  JournalEntry committed;
  committed.kind = JournalEntry::kCommitted;
  const bool committing = bytes == EncodeJournalEntry(committed);
  if (committing) TerminateProcess(GetCurrentProcess(), kKilledExitCode);
  return CWindowsJournalTarget::AppendJournal(bytes);
}
