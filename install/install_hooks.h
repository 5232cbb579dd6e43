#pragma once

#include "install/install_checks.h"

class IClientInfo;

// The steps of the install that other parts of the program supply: the checks before the
// install and the install report, each given the product being installed. Each entry may be
// null, which passes (a check) or does nothing (the report), so the flow runs whole without them.
struct InstallHooks {
  // Decides, before anything is installed, what to do about a version already installed.
  InstalledVersionCheck (*checkInstalledVersion)(void* owner, const IClientInfo& product) = nullptr;
  // Each returns false to stop the install before it starts; owner owns the questions asked.
  bool (*checkSecuritySoftware)(void* owner, const IClientInfo& product) = nullptr;
  bool (*checkRunningClient)(void* owner, const IClientInfo& product,
                             const char16_t* installFolder) = nullptr;
  // Sends the install report once packageVersion, the version of what was installed, is in
  // place; runs on the install worker.
  void (*reportInstall)(const IClientInfo& product, const char16_t* packageVersion) = nullptr;
};

// The hooks of the real installer: the version, security-software and running-client checks
// and the install report.
InstallHooks DefaultInstallHooks();
