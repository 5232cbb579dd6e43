#include "startup/product_config.h"

#include <windows.h>

#include <string>

#include "records/client_info.h"
#include "startup/homepage_opener.h"
#include "support/pe/resource_reader.h"
#include "support/system/user_question.h"

namespace {

constexpr char16_t kConfigType[] = u"app";
constexpr int kConfigId = 1;
constexpr char16_t kDamagedPackage[] =
    u"\u5ba2\u6237\u7aef\u5df2\u635f\u574f\uff01\u662f\u5426\u73b0\u5728\u5c31\u5230\u5b98\u7f51"
    u"\u4e0b\u8f7d\u6700\u65b0\u7248\u672c\uff1f";

constexpr char16_t kMissingPartBefore[] = u"找不到安装数据文件 ";
constexpr char16_t kDamagedPartBefore[] = u"安装数据文件 ";
constexpr char16_t kMissingPartAfter[] =
    u"！请把它和安装程序放在同一文件夹中。是否现在就到官网下载最新版本？";
constexpr char16_t kDamagedPartAfter[] = u" 已损坏！是否现在就到官网下载最新版本？";

// Asks whether to open the official site after text, as every damaged package is told.
void OfferHomepage(IClientInfo& product, const char16_t* text, bool silent) {
  // Nobody is there to answer a silent install.
  if (silent) return;
  // The question may come before any window exists: it has no owner. The caption is the
  // product's name, the built-in one when the configuration itself is damaged.
  int answer = AskUser(nullptr, text, product.GetName().Units(), MB_YESNO | MB_ICONERROR);
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
  OfferHomepage(product, kDamagedPackage, silent);
}

void ReportRefusedPart(IClientInfo& product, const char16_t* name, bool missing, bool silent) {
  std::u16string text = missing ? kMissingPartBefore : kDamagedPartBefore;
  text += name;
  text += missing ? kMissingPartAfter : kDamagedPartAfter;
  OfferHomepage(product, text.c_str(), silent);
}
