#include "installer/install_thread.h"

#include "installer/install_flow.h"

void CInstallThread::Run() {
  if (owner_ != nullptr) owner_->RunInstall();
}
