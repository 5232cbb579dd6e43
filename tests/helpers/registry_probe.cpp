#include "tests/helpers/registry_probe.h"

#include <windows.h>

#include <sddl.h>

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

ValueChangesRefused::ValueChangesRefused(const std::u16string& subKey) : subKey_(subKey) {
  EXPECT_TRUE(SetAccess(L"D:(D;;0x2;;;WD)(A;;KA;;;WD)")) << "0x2 is KEY_SET_VALUE";
}

ValueChangesRefused::~ValueChangesRefused() { SetAccess(L"D:(A;;KA;;;WD)"); }

bool ValueChangesRefused::SetAccess(const wchar_t* descriptor) const {
  PSECURITY_DESCRIPTOR security = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1, &security,
                                                            nullptr)) {
    return false;
  }
  HKEY key = nullptr;
  const bool set = RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(subKey_.c_str()), 0, WRITE_DAC, &key) ==
                       ERROR_SUCCESS &&
                   RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, security) == ERROR_SUCCESS;
  if (key != nullptr) RegCloseKey(key);
  LocalFree(security);
  return set;
}

std::u16string UniqueName(const char16_t* stem) {
  std::string number = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
  return stem + std::u16string(number.begin(), number.end());
}

void CompanyKeyTest::TearDown() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, AsWide(CompanyKey().c_str()));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, AsWide((kUninstallBase + company_ + app_).c_str()));
}
