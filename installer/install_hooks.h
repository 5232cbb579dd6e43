#pragma once

// The steps of the install that other parts of the installer supply: the checks before the
// install and the install report. Each entry may be null, which passes (a check) or does
// nothing (the report), so the flow runs whole before those parts are plugged in.
struct InstallHooks {
  // Each returns false to stop the install before it starts; owner owns the questions asked.
  bool (*checkSecuritySoftware)(void* owner) = nullptr;
  bool (*checkRunningClient)(void* owner) = nullptr;
  // Sends the install report for the installed version; runs on the install worker.
  void (*reportInstall)(const char16_t* version) = nullptr;
};
