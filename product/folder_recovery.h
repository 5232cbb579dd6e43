#pragma once

#include "support/journal/change_journal.h"

class IClientInfo;

// What every program of the product does first with its install folder: a journal an install or
// an update left there when it was killed is undone (or, when that run had committed, its
// leftovers removed), so that the program starts from the earlier version whole. Logged.
JournalRecovery RecoverInstallFolder(const IClientInfo& product, const char16_t* folder);

// Whether the program can go on after recovery: nothing was left, or it was dealt with.
inline bool IsRecovered(JournalRecovery recovery) {
  return recovery != JournalRecovery::kBusy && recovery != JournalRecovery::kFailed;
}
