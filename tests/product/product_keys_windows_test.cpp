#include "product/product_keys.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "product/product_key_paths.h"
#include "support/core/wide_text.h"
#include "support/system/registry.h"
#include "tests/helpers/registry_probe.h"

namespace {

class ProductKeysTest : public CompanyKeyTest {};

TEST_F(ProductKeysTest, WritesTheUninstallEntryUnderCompanyAndAppJoined) {
  ASSERT_TRUE(WriteUninstallValue(company_.c_str(), app_.c_str(), u"DisplayName", u"客户端", -1));
  const std::u16string entry = kUninstallBase + company_ + app_;
  char16_t name[16];
  ASSERT_TRUE(RegistryReadString(entry.c_str(), u"DisplayName", name, 16));
  EXPECT_EQ(std::u16string(name), u"客户端");
  EXPECT_TRUE(DeleteUninstallKey(company_.c_str(), app_.c_str()));
  EXPECT_FALSE(KeyExists(entry));
}

TEST_F(ProductKeysTest, KeepsRunValuesUnderTheirOwnName) {
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

TEST_F(ProductKeysTest, RefusesNamesThatPointAtAnotherKey) {
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
