#include "install/install_run.h"

#include "records/uninst_info.h"

void InstallRun::Report(uint64_t total, uint64_t done, const char16_t* name) const {
  if (progress != nullptr) progress(total, done, name, context);
}

void InstallRun::Installed(const char16_t* name) const {
  if (installed != nullptr) installed->Add(name, -1);
}
