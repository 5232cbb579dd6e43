#include "installer/product_config.h"

#include <windows.h>

#include "installer/homepage_opener.h"
#include "installer/process_globals.h"
#include "records/client_info.h"
#include "support/user_question.h"

namespace {

constexpr char16_t kConfigType[] = u"app";
constexpr int kConfigId = 1;
constexpr char16_t kDamagedPackage[] =
    u"\u5ba2\u6237\u7aef\u5df2\u635f\u574f\uff01\u662f\u5426\u73b0\u5728\u5c31\u5230\u5b98\u7f51"
    u"\u4e0b\u8f7d\u6700\u65b0\u7248\u672c\uff1f";

}  // namespace

bool LoadProductConfig(ModuleHandle instance, IClientInfo& product, bool silent) {
  if (product.LoadFromModule(instance, kConfigType, kConfigId)) {
    g_windowTitle.Assign(product.GetName().Units());
    return true;
  }
  // Nobody is there to answer a silent install.
  if (silent) return false;
  // No window exists yet: the question has no owner, and the caption is the built-in name.
  int answer = AskUser(nullptr, kDamagedPackage, product.GetName().Units(),
                       MB_YESNO | MB_ICONERROR);
  if (answer == IDYES) OpenHomepage(product.GetHomepage().Units());
  return false;
}
