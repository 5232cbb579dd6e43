// unins000.exe: removes the installed product it was installed with (its record is the "app"
// resource setupkit build stamps into it), from the folder it runs from. With "silent" it asks
// nothing.
#include <windows.h>

#include "records/client_info.h"
#include "startup/command_line.h"
#include "startup/product_config.h"
#include "startup/run_start.h"
#include "support/core/wide_text.h"
#include "uninstaller/self_removal.h"
#include "uninstaller/uninstall_run.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // It runs elevated from a folder others may write to: libraries come from the system only.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  const char16_t* commandLine = AsUtf16(GetCommandLineW());
  const bool silent = IsSilentCommandLine(commandLine);
  CClientInfo product;
  if (!LoadProductConfig(instance, product, silent)) return kExitNotRemoved;
  int exitCode = kExitNotRemoved;
  if (RunRemovalCopy(product, commandLine, &exitCode)) return exitCode;
  BeginRun(product, u"unins000", silent);
  return EndRun(RunUninstall(product, silent));
}
