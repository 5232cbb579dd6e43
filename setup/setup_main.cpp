#include <windows.h>

#include "setup/application.h"
#include "startup/command_line.h"
#include "install/install_flow.h"
#include "startup/product_config.h"
#include "records/client_info.h"
#include "support/wide_text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // An installer runs from wherever it was downloaded to, often beside other downloads: the
  // libraries it loads by name (the composition library among them) come from the system folder
  // only, never from the installer's own folder.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  const bool silent = IsSilentCommandLine(AsUtf16(GetCommandLineW()));
  // The program's one product record: loaded here, then handed to the window and its flow.
  CClientInfo product;
  // A silent install that cannot start ends with its status rather than a question.
  if (!LoadProductConfig(instance, product, silent)) return silent ? kExitNotStarted : 0;
  return RunApplication(instance, product, silent);
}
