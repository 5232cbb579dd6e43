#include "startup/package_loading.h"

#include "records/client_info.h"

#include <windows.h>

#include <cstdint>

#include "startup/install_package.h"
#include "startup/list_key_loading.h"
#include "startup/product_config.h"
#include "support/core/wide_text.h"
#include "support/files/file_size.h"
#include "support/pe/resource_reader.h"
#include "support/text/path_text.h"

namespace {

constexpr int kExePathCapacity = 1024;

enum class PayloadSource { kOpened, kMissing, kDamaged };

// exePath with everything after its last "." replaced by "zip"; false for a path without one.
bool SiblingArchivePath(const char16_t* exePath, char16_t* sibling) {
  if (!ComposePath(sibling, kPathCapacity, {exePath})) return false;
  int dot = -1;
  for (int i = 0; sibling[i] != 0; ++i) {
    if (sibling[i] == u'.') dot = i;
  }
  if (dot < 0 || dot + 4 >= kPathCapacity) return false;
  sibling[dot + 1] = u'z';
  sibling[dot + 2] = u'i';
  sibling[dot + 3] = u'p';
  sibling[dot + 4] = 0;
  return true;
}

PayloadSource OpenTail(ModuleHandle module, CInstallPackage& package) {
  uint32_t size = 0;
  const uint8_t* bytes = ResourceBytes(module, u"tail", 1, &size);
  if (bytes == nullptr) return PayloadSource::kMissing;
  return package.OpenPayloadInPlace(bytes, size) ? PayloadSource::kOpened
                                                 : PayloadSource::kDamaged;
}

PayloadSource OpenPayload(ModuleHandle module, const char16_t* exePath, CInstallPackage& package) {
  const PayloadSource tail = OpenTail(module, package);
  if (tail != PayloadSource::kMissing) return tail;
  char16_t sibling[kPathCapacity];
  uint64_t size = 0;
  if (!SiblingArchivePath(exePath, sibling) || !GetFileSize(sibling, &size)) {
    return PayloadSource::kMissing;
  }
  return package.OpenPayloadFile(sibling) ? PayloadSource::kOpened : PayloadSource::kDamaged;
}

}  // namespace

bool LoadInstallPackage(ModuleHandle module, const char16_t* exePath, CInstallPackage& package) {
  const RecordLoad record = LoadProductRecord(module, package.Product());
  if (record == RecordLoad::kDamaged ||
      OpenPayload(module, exePath, package) == PayloadSource::kDamaged) {
    return false;
  }
  // The data files are found by the names the payload records, beside the executable under
  // whatever name it now has.
  const ClientPartsFound parts = package.FindClientParts(ParentFolderOf(exePath));
  if (parts != ClientPartsFound::kNone && parts != ClientPartsFound::kFound) return false;
  package.VendorKey() = LoadListKey(module);
  if (record == RecordLoad::kLoaded) return true;
  XData text;
  return package.ReadPayloadEntry(u"app.txt", &text) &&
         package.Product().ParseBytes(text.Data(), text.Length()) &&
         HasPlainNames(package.Product());
}

bool LoadSetupPackage(ModuleHandle instance, CInstallPackage& package, bool silent) {
  wchar_t exePath[kExePathCapacity] = {};
  const DWORD length =
      GetModuleFileNameW(static_cast<HMODULE>(instance), exePath, kExePathCapacity);
  if (length == 0 || length >= kExePathCapacity) return false;
  if (LoadInstallPackage(instance, AsUtf16(exePath), package)) return true;
  const ClientPartsFound parts = package.PartsFound();
  if (parts == ClientPartsFound::kMissing || parts == ClientPartsFound::kOtherSize) {
    ReportRefusedPart(package.Product(), package.RefusedPart().c_str(),
                      parts == ClientPartsFound::kMissing, silent);
  } else {
    ReportDamagedPackage(package.Product(), silent);
  }
  return false;
}
