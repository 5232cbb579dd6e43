#include "install/install_thread.h"

#include "install/install_flow.h"

void CInstallThread::Run() {
  if (owner_ != nullptr) owner_->RunInstall();
}
