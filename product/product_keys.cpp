#include "product/product_keys.h"

#include "product/product_key_paths.h"
#include "support/system/registry.h"

namespace {

bool IsValueName(const char16_t* name) { return name != nullptr && name[0] != 0; }

}  // namespace

bool ReadProductValue(const char16_t* company, const char16_t* app, const char16_t* valueName,
                      char16_t* buffer, int capacity) {
  char16_t path[kKeyPathCapacity];
  return FormatProductKeyPath(company, app, path, kKeyPathCapacity) &&
         RegistryReadString(path, valueName, buffer, capacity);
}

bool WriteProductValue(const char16_t* company, const char16_t* app, const char16_t* valueName,
                       const char16_t* text, int length) {
  char16_t path[kKeyPathCapacity];
  return FormatProductKeyPath(company, app, path, kKeyPathCapacity) &&
         RegistryWriteString(path, valueName, text, length);
}

bool DeleteProductKey(const char16_t* company, const char16_t* app) {
  char16_t path[kKeyPathCapacity];
  return FormatProductKeyPath(company, app, path, kKeyPathCapacity) && RegistryDeleteKey(path);
}

bool WriteUninstallValue(const char16_t* company, const char16_t* app, const char16_t* valueName,
                         const char16_t* text, int length) {
  char16_t path[kKeyPathCapacity];
  return FormatUninstallKeyPath(company, app, path, kKeyPathCapacity) &&
         RegistryWriteString(path, valueName, text, length);
}

bool DeleteUninstallKey(const char16_t* company, const char16_t* app) {
  char16_t path[kKeyPathCapacity];
  return FormatUninstallKeyPath(company, app, path, kKeyPathCapacity) && RegistryDeleteKey(path);
}

bool ReadRunValue(const char16_t* valueName, char16_t* buffer, int capacity) {
  return IsValueName(valueName) && RegistryReadString(kRunKeyPath, valueName, buffer, capacity);
}

bool WriteRunValue(const char16_t* valueName, const char16_t* text, int length) {
  return IsValueName(valueName) && RegistryWriteString(kRunKeyPath, valueName, text, length);
}

bool DeleteRunValue(const char16_t* valueName) {
  return IsValueName(valueName) && RegistryDeleteValue(kRunKeyPath, valueName);
}
