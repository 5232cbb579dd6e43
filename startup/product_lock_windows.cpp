#include "startup/product_lock_windows.h"

#include <string>

#include "records/client_info.h"
#include "startup/product_lock.h"
#include "support/core/wide_text.h"

bool CProductLock::Take(const IClientInfo& product) {
  const std::u16string name =
      ProductLockName(product.GetCompany().Units(), product.GetApp().Units());
  // A mutex another process made is not owned by this one, whatever was asked: its maker still
  // runs, or the mutex would be gone with its last handle.
  mutex_.Reset(CreateMutexW(nullptr, TRUE, AsWide(name.c_str())));
  if (mutex_.Valid() && GetLastError() != ERROR_ALREADY_EXISTS) return true;
  mutex_.Reset(nullptr);
  return false;
}
