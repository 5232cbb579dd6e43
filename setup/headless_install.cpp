#include "setup/headless_install.h"

#include <windows.h>

#include <chrono>
#include <cstdio>

#include "install/command_queue_observer.h"
#include "install/exit_codes.h"
#include "install/install_flow.h"
#include "install/windows_install_edge.h"
#include "startup/install_package.h"
#include "startup/package_loading.h"
#include "support/core/com_scope_windows.h"
#include "support/core/wide_text.h"
#include "support/pe/module_library.h"
#include "support/system/user_question.h"

namespace {

void Print(const char16_t* text) {
  // The console shows UTF-8 text best under Wine and in redirected output alike.
  char bytes[4096];
  int length = WideCharToMultiByte(CP_UTF8, 0, AsWide(text), -1, bytes, sizeof bytes, nullptr,
                                   nullptr);
  std::fputs(length > 0 ? bytes : "?", stdout);
}

int AnswerYes(void*, const char16_t* text, const char16_t*, unsigned flags) {
  std::fputs("question: ", stdout);
  Print(text);
  const unsigned buttons = flags & MB_TYPEMASK;
  const bool yesNo = buttons == MB_YESNO || buttons == MB_YESNOCANCEL;
  std::printf("\n  answered: %s\n", yesNo ? "Yes" : "OK");
  return yesNo ? IDYES : IDOK;
}

int Fail(const char* text) {
  std::fprintf(stderr, "install_headless: %s\n", text);
  return kExitNotStarted;
}

}  // namespace

int RunHeadlessInstall(const char16_t* setup, const char16_t* folder, CWindowsInstallEdge& edge) {
  // As setup.exe's whole run does: the shortcuts are made in it, not each in a COM of its own.
  ComApartment apartment;
  // Read as the installer reads its own at start-up, where it lies: the installer stays loaded
  // while its payload is read.
  ModuleLibrary setupModule(setup);
  if (setupModule.Handle() == nullptr) return Fail("not an installer");
  CInstallPackage package;
  if (!LoadInstallPackage(setupModule.Handle(), setup, package)) {
    return Fail("the installer's package is damaged");
  }
  if (package.Payload() == nullptr) return Fail("no payload in the installer");
  edge.SetListKey(package.VendorKey());
  ReplaceQuestionFunction(&AnswerYes);

  CommandQueueObserver observer;
  CInstallFlow flow(&observer, edge, package.Product(), package.Payload(), false,
                    package.ClientParts());
  if (!flow.Prepare()) return Fail("no folder to propose");
  flow.CheckVersion();
  if (!observer.Closes().empty()) return observer.Closes().front();
  if (flow.GetState() == CInstallFlow::kFinished) {
    std::puts("kept the newer version already installed");
    return kExitNewerVersionKept;
  }
  flow.SetFolderText(folder);
  if (!flow.StartInstall()) return Fail("a check stopped the install");
  for (;;) {
    const int id = observer.NextCommand(std::chrono::hours(24));
    if (id == CommandQueueObserver::kClosed) return observer.Closes().front();
    flow.OnCommand(id);
    // A failed install is undone, and closes the window it would have.
    if (!observer.Closes().empty()) return observer.Closes().front();
    if (id == CInstallFlow::kNotStartedCommand) return Fail("the install could not start");
    if (flow.GetState() == CInstallFlow::kFinished) break;
  }
  std::fputs("installed into ", stdout);
  Print(flow.GetInstallFolder().Units());
  std::printf(": %d entries\n", flow.UninstallList().Count());
  return kExitInstalled;
}
