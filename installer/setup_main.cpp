#include <windows.h>

#include "installer/application.h"
#include "installer/command_line.h"
#include "install/install_flow.h"
#include "installer/product_config.h"
#include "records/client_info.h"
#include "support/wide_text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const bool silent = IsSilentCommandLine(AsUtf16(GetCommandLineW()));
  // The program's one product record: loaded here, then handed to the window and its flow.
  CClientInfo product;
  // A silent install that cannot start ends with its status rather than a question.
  if (!LoadProductConfig(instance, product, silent)) return silent ? CInstallFlow::kExitNotStarted : 0;
  RunApplication(instance, product);
  return 0;
}
