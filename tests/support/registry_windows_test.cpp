#include "support/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "support/registry_key_paths.h"
#include "support/wide_text.h"
#include "tests/helpers/registry_probe.h"

namespace {

const std::u16string kUninstallBase = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The raw value as the registry holds it. Type REG_NONE when absent.
struct StoredValue {
  DWORD type = REG_NONE;
  std::u16string units;
};

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

// Each test works below a company key of its own in HKEY_LOCAL_MACHINE\Software, and removes it
// and the uninstall entry afterwards.
class RegistryTest : public testing::Test {
 protected:
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, AsWide(CompanyKey().c_str()));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, AsWide((kUninstallBase + company_ + app_).c_str()));
  }

  std::u16string CompanyKey() const { return u"Software\\" + company_; }
  std::u16string ProductKey() const { return CompanyKey() + u"\\" + app_; }

  const std::u16string company_ = UniqueName(u"InstallerTest");
  const std::u16string app_ = u"App";
};

TEST_F(RegistryTest, WritesTheGivenUnitsCreatingTheKey) {
  ASSERT_FALSE(KeyExists(ProductKey()));
  ASSERT_TRUE(WriteProductValue(company_.c_str(), app_.c_str(), u"version", u"1.2.3.4", -1));
  ASSERT_TRUE(WriteProductValue(company_.c_str(), app_.c_str(), u"path", u"C:\\Apps\\x", 7));
  ASSERT_TRUE(WriteProductValue(company_.c_str(), app_.c_str(), u"empty", u"", -1));
  ASSERT_TRUE(WriteProductValue(company_.c_str(), app_.c_str(), u"none", u"abc", 0));

  struct Case {
    const char16_t* name;
    std::u16string stored;
  };
  // The data is the given units alone (when the unit after them is the text's own zero, the
  // registry stores that zero too); an empty value is its terminating zero.
  const Case cases[] = {{u"version", std::u16string(u"1.2.3.4") + u'\0'},
                        {u"path", u"C:\\Apps"},
                        {u"empty", std::u16string(1, u'\0')},
                        {u"none", std::u16string(1, u'\0')}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stored.begin(), c.stored.end()));
    StoredValue stored = ReadStored(ProductKey(), c.name);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.units, c.stored);
    char16_t buffer[64];
    ASSERT_TRUE(ReadProductValue(company_.c_str(), app_.c_str(), c.name, buffer, 64));
    EXPECT_EQ(std::u16string(buffer), std::u16string(c.stored.c_str()));
  }
  EXPECT_FALSE(RegistryWriteString(ProductKey().c_str(), u"bad", u"x", -2));
}

TEST_F(RegistryTest, ReadsAlwaysTerminatedInsideTheBuffer) {
  const std::u16string key = ProductKey();
  ASSERT_TRUE(RegistryWriteString(key.c_str(), u"bare", u"abcd", -1));
  // Another writer may store the terminating zero as part of the value.
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(key.c_str()), 0, KEY_SET_VALUE, &opened), 0);
  RegSetValueExW(opened, L"terminated", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abcd"), 10);
  RegSetValueExW(opened, L"odd", 0, REG_BINARY, reinterpret_cast<const BYTE*>("abc"), 3);
  RegCloseKey(opened);

  struct Case {
    const char16_t* name;
    int capacity;
    bool ok;
    std::u16string read;
  };
  const Case cases[] = {
      {u"bare", 5, true, u"abcd"},
      {u"bare", 4, false, u""},  // would fill the buffer with no room for the zero
      {u"bare", 2, false, u""},
      {u"terminated", 5, true, u"abcd"},
      {u"terminated", 4, false, u""},
      {u"odd", 3, true, u"\u6261c"},  // three bytes: a unit and a half, still terminated
      {u"odd", 2, false, u""},
      {u"missing", 16, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)) +
                 " in " + std::to_string(c.capacity));
    char16_t buffer[17];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(RegistryReadString(key.c_str(), c.name, buffer, c.capacity), c.ok);
    EXPECT_EQ(std::u16string(buffer), c.read);
    EXPECT_EQ(buffer[c.capacity], u'#');  // nothing past the capacity
  }
  char16_t buffer[8];
  EXPECT_FALSE(RegistryReadString(key.c_str(), u"bare", buffer, 0));
  EXPECT_FALSE(RegistryReadString(key.c_str(), u"bare", buffer, -1));
  EXPECT_FALSE(RegistryReadString((key + u"\\Missing").c_str(), u"bare", buffer, 8));
}

TEST_F(RegistryTest, DeletesValuesAndKeys) {
  const std::u16string key = ProductKey();
  ASSERT_TRUE(RegistryWriteString(key.c_str(), u"md5", u"0123", -1));
  EXPECT_TRUE(RegistryDeleteValue(key.c_str(), u"md5"));
  EXPECT_EQ(ReadStored(key, u"md5").type, static_cast<DWORD>(REG_NONE));
  EXPECT_FALSE(RegistryDeleteValue(key.c_str(), u"md5"));  // the key exists, the value does not
  EXPECT_TRUE(RegistryDeleteValue((key + u"\\Missing").c_str(), u"md5"));  // no key: nothing to do

  // A key with subkeys stays.
  ASSERT_TRUE(RegistryWriteString((key + u"\\Sub").c_str(), u"v", u"1", -1));
  EXPECT_FALSE(DeleteProductKey(company_.c_str(), app_.c_str()));
  EXPECT_TRUE(KeyExists(key));
  EXPECT_TRUE(RegistryDeleteKey((key + u"\\Sub").c_str()));
  EXPECT_TRUE(DeleteProductKey(company_.c_str(), app_.c_str()));
  EXPECT_FALSE(KeyExists(key));
  EXPECT_TRUE(KeyExists(CompanyKey()));
  EXPECT_FALSE(DeleteProductKey(company_.c_str(), app_.c_str()));
}

TEST_F(RegistryTest, WritesTheUninstallEntryUnderCompanyAndAppJoined) {
  ASSERT_TRUE(WriteUninstallValue(company_.c_str(), app_.c_str(), u"DisplayName", u"客户端", -1));
  const std::u16string entry = kUninstallBase + company_ + app_;
  char16_t name[16];
  ASSERT_TRUE(RegistryReadString(entry.c_str(), u"DisplayName", name, 16));
  EXPECT_EQ(std::u16string(name), u"客户端");
  EXPECT_TRUE(DeleteUninstallKey(company_.c_str(), app_.c_str()));
  EXPECT_FALSE(KeyExists(entry));
}

TEST_F(RegistryTest, KeepsRunValuesUnderTheirOwnName) {
  const std::u16string name = UniqueName(u"InstallerTestRun");
  ASSERT_TRUE(WriteRunValue(name.c_str(), u"C:\\Apps\\client.exe", -1));
  char16_t buffer[260];
  ASSERT_TRUE(ReadRunValue(name.c_str(), buffer, 260));
  EXPECT_EQ(std::u16string(buffer), u"C:\\Apps\\client.exe");
  EXPECT_EQ(ReadStored(kRunKeyPath, name.c_str()).type, static_cast<DWORD>(REG_SZ));
  EXPECT_TRUE(DeleteRunValue(name.c_str()));
  EXPECT_FALSE(ReadRunValue(name.c_str(), buffer, 260));

  // An empty name would be the Run key's own default value.
  EXPECT_FALSE(WriteRunValue(u"", u"x", -1));
  EXPECT_FALSE(ReadRunValue(u"", buffer, 260));
  EXPECT_FALSE(DeleteRunValue(u""));
  EXPECT_FALSE(DeleteRunValue(nullptr));
}

TEST_F(RegistryTest, RefusesNamesThatPointAtAnotherKey) {
  char16_t buffer[16];
  const std::u16string longApp(300, u'a');
  struct Case {
    const char* name;
    const char16_t* company;
    const char16_t* app;
  };
  const Case cases[] = {
      {"empty app: the company key itself", company_.c_str(), u""},
      {"nested app", company_.c_str(), u"App\\Sub"},
      {"too long to format whole", company_.c_str(), longApp.c_str()},
      {"null company", nullptr, u"App"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(WriteProductValue(c.company, c.app, u"v", u"1", -1));
    EXPECT_FALSE(ReadProductValue(c.company, c.app, u"v", buffer, 16));
    EXPECT_FALSE(WriteUninstallValue(c.company, c.app, u"v", u"1", -1));
    EXPECT_FALSE(DeleteProductKey(c.company, c.app));
    EXPECT_FALSE(DeleteUninstallKey(c.company, c.app));
  }
  EXPECT_FALSE(KeyExists(CompanyKey()));
}

}  // namespace
