#pragma once

#include <atomic>
#include <cstdint>

#include "support/core/handle_windows.h"

// A worker thread whose body is Run of a derived class. Start runs it at once; the thread
// detaches itself (OnExit) when Run returns; Stop waits a grace period and then ends it by force.
// Start, Stop and Wait belong to the thread that owns the object. A derived class whose Run uses
// its own members must stop the thread in its own destructor: by the time this destructor runs,
// those members are gone.
class XThread {
 public:
  XThread() = default;
  virtual ~XThread();
  XThread(const XThread&) = delete;
  XThread& operator=(const XThread&) = delete;

  // False when a thread is attached already, or none could be created.
  virtual bool Start();
  // Waits up to milliseconds (when not 0) for the thread to end; a body still running then is
  // terminated. Returns once the thread is gone, detached. Does nothing when no thread is
  // attached.
  virtual void Stop(uint32_t milliseconds);
  // Waits up to milliseconds for the thread to end, when one is attached.
  virtual void Wait(uint32_t milliseconds);

  bool IsAttached() const { return handle_.load() != nullptr; }
  // The id given at creation; kept when the thread ends by itself, 0 after Stop.
  uint32_t Id() const { return id_; }

 protected:
  // Runs on the thread after Run returns: closes the handle and detaches the thread.
  virtual void OnExit();
  virtual void Run() = 0;

 private:
  // Where the thread stands. Stop and the thread settle it by atomic exchanges, so a thread is
  // terminated only while inside Run: never while the system starts or ends it, when it may
  // hold the loader's lock and take it along.
  enum Phase { kStarting, kRunning, kFinished, kStopping };

  static DWORD WINAPI Entry(LPVOID self);
  // Takes the handle out of the object; whoever takes it (OnExit on the thread, or Stop on the
  // owner's) is the only one to close it.
  HANDLE TakeHandle() { return handle_.exchange(nullptr); }

  std::atomic<HANDLE> handle_{nullptr};
  std::atomic<int> phase_{kFinished};
  uint32_t id_ = 0;
  // The owner's own handle to the same thread, for Wait: the thread may close handle_ at any
  // moment, and a handle closed during a wait on it leaves the wait undefined.
  Handle waitable_;
};

// The common base of notification-style workers (the install worker among them).
class XNotifyThread : public XThread {};
