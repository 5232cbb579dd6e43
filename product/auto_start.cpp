#include "product/auto_start.h"

#include "product/product_keys.h"
#include "records/client_info.h"

bool IsAutoStart(const IClientInfo& product) {
  char16_t value[kPathUnits];
  return ReadRunValue(product.GetName().Units(), value, kPathUnits);
}

bool SetAutoStart(const IClientInfo& product, bool on) {
  const char16_t* name = product.GetName().Units();
  if (!on) return DeleteRunValue(name);
  char16_t main[kPathUnits];
  if (!ReadProductValue(product.GetCompany().Units(), product.GetApp().Units(), u"main", main,
                        kPathUnits)) {
    return false;
  }
  return WriteRunValue(name, main, -1);
}
