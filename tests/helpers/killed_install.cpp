// killed_install SETUP.exe FOLDER POINT: install_headless's install, killed at POINT (see
// killing_target.h): a number of changes to the machine, "rename:N", "registration", or "count"
// to make the whole install and end with the number of changes it made as its exit status.
#include <windows.h>

#include <cstdio>
#include <string>

#include "install/windows_install_edge.h"
#include "setup/headless_install.h"
#include "support/core/wide_text.h"
#include "tests/helpers/killing_target.h"

namespace {

class KillingEdge : public CWindowsInstallEdge {
 public:
  explicit KillingEdge(KillingTarget& target) : target_(target) {}
  IJournalTarget& JournalTarget() override { return target_; }

 private:
  KillingTarget& target_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t setup[MAX_PATH];
  wchar_t folder[MAX_PATH];
  if (argc != 4 || GetFullPathNameW(argv[1], MAX_PATH, setup, nullptr) == 0 ||
      GetFullPathNameW(argv[2], MAX_PATH, folder, nullptr) == 0) {
    std::fputs("usage: killed_install SETUP.exe FOLDER CHANGES|rename:N|registration|count\n",
               stderr);
    return 1;
  }
  KillingTarget target(KillingTarget::Parse(argv[3]));
  KillingEdge edge(target);
  const int status = RunHeadlessInstall(AsUtf16(setup), AsUtf16(folder), edge);
  return std::wstring(argv[3]) == L"count" ? target.Changes() : status;
}
