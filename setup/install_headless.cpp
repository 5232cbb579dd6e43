// install_headless SETUP.exe FOLDER: runs the install flow of the given installer without a
// window, into FOLDER, and waits for it to end (see headless_install.h). Exit code: as setup.exe
// silent's (install/exit_codes.h).
#include <windows.h>

#include <cstdio>

#include "install/exit_codes.h"
#include "install/windows_install_edge.h"
#include "setup/headless_install.h"
#include "support/core/wide_text.h"

int wmain(int argc, wchar_t** argv) {
  wchar_t setupPath[MAX_PATH];
  wchar_t folder[MAX_PATH];
  if (argc != 3 || GetFullPathNameW(argv[1], MAX_PATH, setupPath, nullptr) == 0 ||
      GetFullPathNameW(argv[2], MAX_PATH, folder, nullptr) == 0) {
    std::fputs("usage: install_headless SETUP.exe FOLDER\n", stderr);
    return kExitNotStarted;
  }
  CWindowsInstallEdge edge;
  return RunHeadlessInstall(AsUtf16(setupPath), AsUtf16(folder), edge);
}
