#pragma once
#include "support/xthread.h"

class CInstallFlow;

// The install worker: runs its owner's RunInstall. The owner asks the install to stop and waits
// for the worker to end before it destroys this, so the worker is never cut off where it stands.
class CInstallThread : public XNotifyThread {
 public:
  explicit CInstallThread(CInstallFlow* owner) : owner_(owner) {}
  ~CInstallThread() override { Stop(0); }  // nothing left to stop: the owner waited

 protected:
  void Run() override;

 private:
  CInstallFlow* owner_;  // not owned
};
