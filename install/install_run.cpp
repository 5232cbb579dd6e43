#include "install/install_run.h"

#include "install/install_outcome.h"
#include "records/uninst_info.h"

void InstallRun::Report(uint32_t total, uint32_t done, const char16_t* name) const {
  if (progress != nullptr) progress(total, done, name, context);
}

void InstallRun::Installed(const char16_t* name) const {
  if (installed != nullptr) installed->Add(name, -1);
}

void InstallRun::Failed(const char16_t* name, const char16_t* why) const {
  if (outcome != nullptr) outcome->Fail(name, why);
}
