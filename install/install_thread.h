#pragma once
#include "support/xthread.h"

class CInstallFlow;

// The install worker: runs its owner's RunInstall. Destroying it ends the worker at once,
// wherever it stands.
class CInstallThread : public XNotifyThread {
 public:
  explicit CInstallThread(CInstallFlow* owner) : owner_(owner) {}
  ~CInstallThread() override { Stop(0); }

 protected:
  void Run() override;

 private:
  CInstallFlow* owner_;  // not owned
};
