#pragma once
#include <functional>

#include "support/system/xthread.h"

// The install worker: runs the work it is given, with the system's timer at its finest, so that
// the short pauses that let the window paint stay short. Its owner waits for the work to end
// before it destroys this, so the worker is never cut off where it stands.
class CInstallThread : public XNotifyThread {
 public:
  explicit CInstallThread(std::function<void()> work) : work_(std::move(work)) {}
  ~CInstallThread() override { Stop(0); }  // nothing left to stop: the owner waited

 protected:
  void Run() override;

 private:
  std::function<void()> work_;
};
