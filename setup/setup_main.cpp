#include <windows.h>

#include "install/exit_codes.h"
#include "setup/application.h"
#include "startup/command_line.h"
#include "startup/install_package.h"
#include "startup/package_loading.h"
#include "startup/product_lock_windows.h"
#include "startup/run_language.h"
#include "startup/run_start.h"
#include "support/core/wide_text.h"
#include "support/system/run_log.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // An installer runs from wherever it was downloaded to, often beside other downloads: the
  // libraries it loads by name (the composition library among them) come from the system folder
  // only, never from the installer's own folder.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  const RunSwitches switches = ReadSwitches(ProcessArguments(), kSetupSwitches);
  // Before any text is shown: a damaged package is told in the run's language too.
  const std::vector<std::u16string> languageLines = SpeakRunLanguage(instance, switches);
  const bool silent = switches.Unattended();
  // The program's record and payload, read and checked once here, then handed to the window and
  // its flow.
  CInstallPackage package;
  // A package that cannot start installs nothing, asked about or not (a silent install ends
  // without a question).
  if (!LoadSetupPackage(instance, package, silent)) {
    // A data file beside the installer is the one damage a deployer can mend: the log names it.
    if (package.RefusedPart().empty()) return kExitNotStarted;
    BeginRun(package.Product(), u"setup", switches, languageLines);
    LogLine(u"the data file " + package.RefusedPart() + u" beside the installer is missing or "
            u"not the one it was packed with: nothing installed");
    return EndRun(kExitNotStarted);
  }
  BeginRun(package.Product(), u"setup", switches, languageLines);
  CProductLock lock;
  int exitCode = kExitNotStarted;
  if (!ClearToRun(package.Product(), switches, kSetupSwitches, lock, &exitCode)) {
    return EndRun(exitCode);
  }
  return EndRun(RunApplication(instance, package, switches, lock));
}
