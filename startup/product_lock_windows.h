#pragma once

#include "support/core/handle_windows.h"

class IClientInfo;

// The product's lock (product_lock.h), held from Take until the object goes.
class CProductLock {
 public:
  // Takes the lock of product; false, without waiting, when another run holds it.
  bool Take(const IClientInfo& product);

 private:
  Handle mutex_;
};
