// killed_install SETUP.exe FOLDER: install_headless's install, killed just before it commits (see
// killing_target.h).
#include <windows.h>

#include <cstdio>

#include "install/windows_install_edge.h"
#include "setup/headless_install.h"
#include "support/core/wide_text.h"
#include "tests/helpers/killing_target.h"

namespace {

class KillingEdge : public CWindowsInstallEdge {
 public:
  IJournalTarget& JournalTarget() override { return target_; }

 private:
  KillingTarget target_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t setup[MAX_PATH];
  wchar_t folder[MAX_PATH];
  if (argc != 3 || GetFullPathNameW(argv[1], MAX_PATH, setup, nullptr) == 0 ||
      GetFullPathNameW(argv[2], MAX_PATH, folder, nullptr) == 0) {
    std::fputs("usage: killed_install SETUP.exe FOLDER\n", stderr);
    return 1;
  }
  KillingEdge edge;
  return RunHeadlessInstall(AsUtf16(setup), AsUtf16(folder), edge);
}
