#include "tests/helpers/committed_registration.h"

#include "product/registration_steps.h"
#include "records/client_info.h"
#include "support/journal/journal_target_windows.h"

bool RegisterCommitted(const IClientInfo& product, const IUninstInfo& installed, bool autoStart) {
  CWindowsJournalTarget target;
  CChangeJournal journal(target);
  return journal.Begin(product.GetInstallFolder().Units(), u"registration.journal") &&
         RegisterThrough(journal, product, installed, autoStart, true) && journal.Commit();
}
