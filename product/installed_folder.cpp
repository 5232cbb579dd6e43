#include "product/installed_folder.h"

#include "product/product_keys.h"
#include "records/client_info.h"
#include "support/text/path_text.h"

bool ReadInstalledFolder(const IClientInfo& product, char16_t* out) {
  char16_t recorded[kPathCapacity];
  return ReadProductValue(product.GetCompany().Units(), product.GetApp().Units(), u"path",
                          recorded, kPathCapacity) &&
         recorded[0] != 0 && ComposePath(out, kPathCapacity, {recorded, SeparatorAfter(recorded)});
}
