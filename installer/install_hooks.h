#pragma once

#include "installer/install_checks.h"

// The steps of the install that other parts of the installer supply: the checks before the
// install and the install report. Each entry may be null, which passes (a check) or does
// nothing (the report), so the flow runs whole before those parts are plugged in.
struct InstallHooks {
  // Decides, before anything is installed, what to do about a version already installed.
  InstalledVersionCheck (*checkInstalledVersion)(void* owner,
                                                 const char16_t* packageVersion) = nullptr;
  // Each returns false to stop the install before it starts; owner owns the questions asked.
  bool (*checkSecuritySoftware)(void* owner) = nullptr;
  bool (*checkRunningClient)(void* owner, const char16_t* installFolder) = nullptr;
  // Sends the install report for the installed version; runs on the install worker.
  void (*reportInstall)(const char16_t* version) = nullptr;
};

// The hooks of the real installer: the version, security-software and running-client checks
// and the install report.
InstallHooks DefaultInstallHooks();
