#include "startup/product_config.h"

#include <windows.h>

#include <string>

#include "records/client_info.h"
#include "records/current_language.h"
#include "startup/homepage_opener.h"
#include "support/pe/resource_reader.h"
#include "support/system/user_question.h"

namespace {

constexpr char16_t kConfigType[] = u"app";
constexpr int kConfigId = 1;

// Asks whether to open the official site after text, as every damaged package is told.
void OfferHomepage(IClientInfo& product, const std::u16string& text, bool silent) {
  // Nobody is there to answer a silent install.
  if (silent) return;
  // The question may come before any window exists: it has no owner. The caption is the
  // product's name, the built-in one when the configuration itself is damaged.
  int answer = AskUser(nullptr, text.c_str(), product.GetName().Units(), MB_YESNO | MB_ICONERROR);
  if (answer == IDYES) OpenHomepage(product.GetHomepage().Units());
}

}  // namespace

RecordLoad LoadProductRecord(ModuleHandle module, IClientInfo& product) {
  // A company or app that is no plain name would lead the install folder or the product's keys
  // elsewhere: such a record is as damaged as one that fails its check.
  if (product.LoadFromModule(module, kConfigType, kConfigId)) {
    return HasPlainNames(product) ? RecordLoad::kLoaded : RecordLoad::kDamaged;
  }
  return ReadResource(nullptr, 0, module, kConfigType, kConfigId) != 0 ? RecordLoad::kDamaged
                                                                         : RecordLoad::kMissing;
}

bool LoadProductConfig(ModuleHandle instance, IClientInfo& product, bool silent) {
  if (LoadProductRecord(instance, product) == RecordLoad::kLoaded) return true;
  ReportDamagedPackage(product, silent);
  return false;
}

void ReportDamagedPackage(IClientInfo& product, bool silent) {
  OfferHomepage(product, Text(TextKey::kPackageDamaged), silent);
}

void ReportRefusedPart(IClientInfo& product, const char16_t* name, bool missing, bool silent) {
  OfferHomepage(product,
                Text(missing ? TextKey::kPackagePartMissing : TextKey::kPackagePartDamaged,
                     {{u"file", name}}),
                silent);
}
