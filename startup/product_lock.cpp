#include "startup/product_lock.h"

std::u16string ProductLockName(const char16_t* company, const char16_t* app) {
  return u"Global\\" + std::u16string(company) + u"/" + app + u"/run";
}
