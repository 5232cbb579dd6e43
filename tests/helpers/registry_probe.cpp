#include "tests/helpers/registry_probe.h"

#include <windows.h>

#include "support/core/wide_text.h"

const std::u16string kUninstallBase =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

StoredValue ReadStored(const std::u16string& subKey, const char16_t* name) {
  StoredValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(subKey.c_str()), 0, KEY_READ, &key) != 0) {
    return value;
  }
  char16_t data[600] = {};
  DWORD bytes = sizeof data;
  if (RegQueryValueExW(key, AsWide(name), nullptr, &value.type, reinterpret_cast<BYTE*>(data),
                       &bytes) == ERROR_SUCCESS) {
    value.units.assign(data, bytes / 2);
  } else {
    value.type = REG_NONE;
  }
  RegCloseKey(key);
  return value;
}

bool KeyExists(const std::u16string& subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(subKey.c_str()), 0, KEY_READ, &key) != 0) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

std::u16string UniqueName(const char16_t* stem) {
  std::string number = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
  return stem + std::u16string(number.begin(), number.end());
}

void CompanyKeyTest::TearDown() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, AsWide(CompanyKey().c_str()));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, AsWide((kUninstallBase + company_ + app_).c_str()));
}
