#pragma once

#include "support/core/handle_windows.h"

class IClientInfo;

// The product's lock (product_lock.h), held from Take until the object goes.
class CProductLock {
 public:
  // Takes the lock of product; false, without waiting, when another run holds it.
  bool Take(const IClientInfo& product);
  // Lets the lock go before the object goes: for what a run still does once it has let the
  // product's own programs start (the client's first act may be to start its updater).
  void Release() { mutex_.Reset(nullptr); }

 private:
  Handle mutex_;
};
