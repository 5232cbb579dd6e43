#include "support/system/xthread.h"

XThread::~XThread() { Stop(0); }

bool XThread::Start() {
  if (IsAttached()) return false;
  DWORD id = 0;
  // Created suspended and resumed once the handle is stored: a body that ends at once must
  // find its handle in place, or it would stay attached after the thread is gone.
  HANDLE thread = CreateThread(nullptr, 0, &XThread::Entry, this, CREATE_SUSPENDED, &id);
  if (thread == nullptr) return false;
  HANDLE waitable = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &waitable, SYNCHRONIZE,
                       FALSE, 0)) {
    TerminateThread(thread, 0);  // never resumed: it holds nothing
    CloseHandle(thread);
    return false;
  }
  waitable_.Reset(waitable);
  id_ = id;
  phase_.store(kStarting);
  handle_.store(thread);
  ResumeThread(thread);
  return true;
}

void XThread::Stop(uint32_t milliseconds) {
  HANDLE thread = TakeHandle();
  if (thread == nullptr) return;
  if (milliseconds != 0) WaitForSingleObject(thread, milliseconds);
  // Not yet in Run, the thread sees kStopping and ends; past it, it ends by itself.
  if (phase_.exchange(kStopping) == kRunning) TerminateThread(thread, 0);
  // Terminating only starts the thread's end; it is gone when the handle signals.
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  waitable_.Reset(nullptr);
  id_ = 0;
}

void XThread::Wait(uint32_t milliseconds) {
  if (IsAttached()) WaitForSingleObject(waitable_.Get(), milliseconds);
}

void XThread::OnExit() {
  HANDLE thread = TakeHandle();
  if (thread != nullptr) CloseHandle(thread);
}

DWORD WINAPI XThread::Entry(LPVOID self) {
  auto* thread = static_cast<XThread*>(self);
  int phase = kStarting;
  if (!thread->phase_.compare_exchange_strong(phase, kRunning)) return 0;  // stopped first
  thread->Run();
  phase = kRunning;
  if (!thread->phase_.compare_exchange_strong(phase, kFinished)) {
    // Stop has decided to terminate this thread: wait for it here, inside the body.
    Sleep(INFINITE);
  }
  // The owner may destroy the object as soon as the thread is detached: nothing touches it after.
  thread->OnExit();
  return 0;
}
