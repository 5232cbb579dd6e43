#include "installer/install_hooks.h"

#include "installer/install_report.h"

namespace {

// The report is best effort: whether the endpoint took it changes nothing in the install.
void SendReport(const char16_t* version) { ReportInstall(version); }

}  // namespace

InstallHooks DefaultInstallHooks() {
  InstallHooks hooks;
  hooks.checkInstalledVersion = &CheckInstalledVersion;
  hooks.checkSecuritySoftware = &CheckAntivirus;
  hooks.checkRunningClient = &CheckRunningClient;
  hooks.reportInstall = &SendReport;
  return hooks;
}
