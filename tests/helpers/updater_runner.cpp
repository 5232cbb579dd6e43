// A helper program for the tests: runs RunUpdater for the app named by its first
// argument and exits with 0 when it reported success, 1 when not, 2 without an argument. Run
// from a folder of the test's making, it lets a test decide whether an "update.exe" stands
// beside the running executable.
#include "product/program_launch.h"
#include "records/client_info.h"
#include "support/core/wide_text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  CClientInfo client;
  client.SetApp(AsUtf16(argv[1]));
  return RunUpdater(client) ? 0 : 1;
}
