// unins000.exe: removes the installed product it was installed with (its record is the "app"
// resource setupkit build stamps into it), from the folder it runs from. With "silent",
// /SILENT or /VERYSILENT it asks nothing.
#include <windows.h>

#include "records/client_info.h"
#include "startup/command_line.h"
#include "startup/product_config.h"
#include "startup/product_lock_windows.h"
#include "startup/run_language.h"
#include "startup/run_start.h"
#include "uninstaller/self_removal.h"
#include "uninstaller/uninstall_run.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // It runs elevated from a folder others may write to: libraries come from the system only.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  const std::vector<std::u16string> arguments = ProcessArguments();
  const RunSwitches switches = ReadSwitches(arguments, kUninstallSwitches);
  // Before any text is shown: a damaged package is told in the run's language too.
  const std::vector<std::u16string> languageLines = SpeakRunLanguage(instance, switches);
  CClientInfo product;
  if (!LoadProductConfig(instance, product, switches.Unattended())) return kExitNotRemoved;
  int exitCode = kExitNotRemoved;
  // The copy that removes the uninstaller's file runs once the uninstaller has ended, whose lock
  // is then gone: it takes none.
  if (RunRemovalCopy(product, arguments, &exitCode)) return exitCode;
  BeginRun(product, u"unins000", switches, languageLines);
  CProductLock lock;
  if (!ClearToRun(product, switches, kUninstallSwitches, lock, &exitCode)) return EndRun(exitCode);
  return EndRun(RunUninstall(product, switches.Unattended()));
}
