#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// Registry checks of the Windows tests, below HKEY_LOCAL_MACHINE.

// The raw value as the registry holds it: its type (REG_NONE when absent) and its data as
// units.
struct StoredValue {
  DWORD type = REG_NONE;
  std::u16string units;
};
StoredValue ReadStored(const std::u16string& subKey, const char16_t* name);

// True when the key can be opened for reading.
bool KeyExists(const std::u16string& subKey);

// Everyone is denied changing the values of a key below HKEY_LOCAL_MACHINE while this lives, as
// a key another administrator locked down refuses an installer.
class ValueChangesRefused {
 public:
  explicit ValueChangesRefused(const std::u16string& subKey);
  ~ValueChangesRefused();
  ValueChangesRefused(const ValueChangesRefused&) = delete;
  ValueChangesRefused& operator=(const ValueChangesRefused&) = delete;

 private:
  bool SetAccess(const wchar_t* descriptor) const;

  std::u16string subKey_;
};

// stem followed by this process's id and the tick count: a key or product name no other test run
// uses.
std::u16string UniqueName(const char16_t* stem);

// The uninstall entries' key, ending with a backslash.
extern const std::u16string kUninstallBase;

// Each test works below a company key of its own in HKEY_LOCAL_MACHINE\Software, and removes it
// and the uninstall entry of its app afterwards.
class CompanyKeyTest : public testing::Test {
 protected:
  void TearDown() override;

  std::u16string CompanyKey() const { return u"Software\\" + company_; }
  std::u16string ProductKey() const { return CompanyKey() + u"\\" + app_; }

  const std::u16string company_ = UniqueName(u"InstallerTest");
  const std::u16string app_ = u"App";
};
