#include "install/install_hooks.h"

#include "install/install_report.h"

namespace {

// The report is best effort: whether the endpoint took it changes nothing in the install.
void SendReport(const IClientInfo& product, const char16_t* packageVersion) {
  ReportInstall(product, packageVersion);
}

}  // namespace

InstallHooks DefaultInstallHooks() {
  InstallHooks hooks;
  hooks.checkInstalledVersion = &CheckInstalledVersion;
  hooks.checkSecuritySoftware = &CheckAntivirus;
  hooks.checkRunningClient = &CheckRunningClient;
  hooks.reportInstall = &SendReport;
  return hooks;
}
