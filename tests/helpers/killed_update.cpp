// killed_update UPDATE.exe: update.exe's silent update (the record stamped into UPDATE.exe),
// killed just before it commits (see killing_target.h).
#include <windows.h>

#include <cstdio>

#include "records/client_info.h"
#include "support/core/wide_text.h"
#include "tests/helpers/killing_target.h"
#include "updater/update_edge_windows.h"
#include "updater/update_run.h"

int wmain(int argc, wchar_t** argv) {
  CClientInfo product;
  if (argc != 2 || !product.LoadFromModuleFile(AsUtf16(argv[1]), u"APP", 1)) {
    std::fputs("usage: killed_update UPDATE.exe\n", stderr);
    return 1;
  }
  KillingTarget target;
  CWindowsUpdateEdge edge(ListKey(), target);
  return RunUpdate(product, true, edge);
}
