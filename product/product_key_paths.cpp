#include "product/product_key_paths.h"

#include <string>

const char16_t kRunKeyPath[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

constexpr char16_t kProductKeyBase[] = u"Software\\";
constexpr char16_t kUninstallKeyBase[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool IsKeyName(const char16_t* name) {
  if (name == nullptr || name[0] == 0) return false;
  for (; *name != 0; ++name) {
    if (*name == u'\\') return false;
  }
  return true;
}

bool WriteWhole(const std::u16string& path, char16_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return false;
  if (path.size() >= static_cast<size_t>(capacity)) {
    out[0] = 0;
    return false;
  }
  path.copy(out, path.size());
  out[path.size()] = 0;
  return true;
}

}  // namespace

bool FormatProductKeyPath(const char16_t* company, const char16_t* app, char16_t* out,
                          int capacity) {
  if (!IsKeyName(company) || !IsKeyName(app)) return false;
  return WriteWhole(std::u16string(kProductKeyBase) + company + u'\\' + app, out, capacity);
}

bool FormatUninstallKeyPath(const char16_t* company, const char16_t* app, char16_t* out,
                            int capacity) {
  if (!IsKeyName(company) || !IsKeyName(app)) return false;
  return WriteWhole(std::u16string(kUninstallKeyBase) + company + app, out, capacity);
}
