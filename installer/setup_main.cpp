#include <windows.h>

#include "installer/application.h"
#include "installer/command_line.h"
#include "installer/install_flow.h"
#include "installer/product_config.h"
#include "support/wide_text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const bool silent = IsSilentCommandLine(AsUtf16(GetCommandLineW()));
  // A silent install that cannot start ends with its status rather than a question.
  if (!LoadProductConfig(instance, silent)) return silent ? CInstallFlow::kExitNotStarted : 0;
  RunApplication(instance);
  return 0;
}
