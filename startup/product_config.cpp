#include "startup/product_config.h"

#include <windows.h>

#include "install/payload_archive.h"
#include "startup/homepage_opener.h"
#include "startup/process_globals.h"
#include "records/client_info.h"
#include "support/user_question.h"
#include "support/xdata.h"
#include "support/xzip.h"

namespace {

constexpr char16_t kConfigType[] = u"app";
constexpr int kConfigId = 1;
constexpr char16_t kDamagedPackage[] =
    u"\u5ba2\u6237\u7aef\u5df2\u635f\u574f\uff01\u662f\u5426\u73b0\u5728\u5c31\u5230\u5b98\u7f51"
    u"\u4e0b\u8f7d\u6700\u65b0\u7248\u672c\uff1f";

// The payload is read whole here, once more than the install needs: a damaged one must be told
// before the window offers to install from it.
bool PayloadIntact(ModuleHandle instance) {
  XData bytes;
  XZip archive;
  return OpenTailArchive(instance, bytes, archive) != PayloadSource::kDamaged;
}

}  // namespace

bool LoadProductConfig(ModuleHandle instance, IClientInfo& product, bool silent) {
  if (product.LoadFromModule(instance, kConfigType, kConfigId) && PayloadIntact(instance)) {
    g_windowTitle.Assign(product.GetName().Units());
    return true;
  }
  ReportDamagedPackage(product, silent);
  return false;
}

void ReportDamagedPackage(IClientInfo& product, bool silent) {
  // Nobody is there to answer a silent install.
  if (silent) return;
  // The question may come before any window exists: it has no owner. The caption is the
  // product's name, the built-in one when the configuration itself is damaged.
  int answer = AskUser(nullptr, kDamagedPackage, product.GetName().Units(),
                       MB_YESNO | MB_ICONERROR);
  if (answer == IDYES) OpenHomepage(product.GetHomepage().Units());
}
