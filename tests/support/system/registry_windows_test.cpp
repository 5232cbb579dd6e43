#include "support/system/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "product/product_keys.h"
#include "support/core/wide_text.h"
#include "tests/helpers/registry_probe.h"

namespace {

class RegistryTest : public CompanyKeyTest {};

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
  ASSERT_TRUE(RegistryWriteString(key.c_str(), u"md5", u"0123", -1));
  {
    ValueChangesRefused refused(key);
    EXPECT_FALSE(RegistryDeleteValue(key.c_str(), u"md5"));  // a key locked against changes
  }
  EXPECT_EQ(ReadStored(key, u"md5").type, static_cast<DWORD>(REG_SZ)) << "the value stays";
  EXPECT_TRUE(RegistryDeleteValue(key.c_str(), u"md5"));

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

}  // namespace
