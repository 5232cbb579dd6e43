#include "product/product_registration.h"

#include "product/auto_start.h"
#include "product/product_keys.h"
#include "product/shortcut_placements.h"
#include "records/client_info.h"

bool Unregister(const IClientInfo& product) {
  const char16_t* name = product.GetName().Units();
  DeleteProductKey(product.GetCompany().Units(), product.GetApp().Units());
  DeleteUninstallKey(product.GetCompany().Units(), product.GetApp().Units());
  DeleteDesktopShortcut(name);
  DeleteStartMenuShortcut(name);
  DeleteQuickLaunchShortcut(name);
  DeleteProgramGroup(name);
  SetAutoStart(product, false);
  return true;
}
