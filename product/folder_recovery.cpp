#include "product/folder_recovery.h"

#include <string>

#include "product/registration_steps.h"
#include "product/uninstall_list_file.h"
#include "support/journal/journal_target_windows.h"
#include "support/system/run_log.h"

JournalRecovery RecoverInstallFolder(const IClientInfo& product, const char16_t* folder) {
  CWindowsJournalTarget machine;
  const JournalRecovery recovery = RecoverJournal(machine, folder, kInstallJournalName,
                                                  RegistrationBounds(product, folder));
  const std::u16string where(folder);
  switch (recovery) {
    case JournalRecovery::kNone:
      break;
    case JournalRecovery::kRolledBack:
      LogLine(u"a run into " + where + u" was cut off: undone");
      break;
    case JournalRecovery::kCompleted:
      LogLine(u"a run into " + where + u" was cut off after it committed: finished");
      break;
    case JournalRecovery::kBusy:
      LogLine(u"another run into " + where + u" is still going");
      break;
    case JournalRecovery::kFailed:
      LogLine(u"what a run into " + where + u" left cannot be undone now");
      break;
  }
  return recovery;
}
