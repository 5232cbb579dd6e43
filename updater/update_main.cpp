// update.exe: brings the installed product it was installed with (its record is the "app"
// resource setupkit build stamps into it) to the published update list. The client starts it
// through a copy in the temporary folder, with "silent", which asks and tells nothing.
#include <windows.h>

#include "records/client_info.h"
#include "startup/command_line.h"
#include "startup/list_key_loading.h"
#include "startup/product_config.h"
#include "startup/product_lock_windows.h"
#include "startup/run_language.h"
#include "startup/run_start.h"
#include "support/journal/journal_target_windows.h"
#include "updater/update_edge_windows.h"
#include "updater/update_run.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // It runs elevated, also from a folder others may write to: libraries come from the system
  // only.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  const RunSwitches switches = ReadSwitches(ProcessArguments(), kUpdateSwitches);
  // Before any text is shown: a damaged package is told in the run's language too.
  const std::vector<std::u16string> languageLines = SpeakRunLanguage(instance, switches);
  const bool silent = switches.Unattended();
  CClientInfo product;
  if (!LoadProductConfig(instance, product, silent)) return kExitNotUpdated;
  BeginRun(product, u"update", switches, languageLines);
  CProductLock lock;
  int exitCode = kExitNotUpdated;
  if (!ClearToRun(product, switches, kUpdateSwitches, lock, &exitCode)) return EndRun(exitCode);
  CWindowsJournalTarget machine;
  CWindowsUpdateEdge edge(LoadListKey(instance), machine);
  return EndRun(RunUpdate(product, silent, edge));
}
