#include "product/product_key_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Formatter = bool (*)(const char16_t*, const char16_t*, char16_t*, int);

const std::u16string kUninstallBase = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TEST(ProductKeyPaths, FormatsOnlyPathsOfOneKeyNameEach) {
  // Names as long as fit: "Software\" + company + "\" + app fills 259 units.
  const std::u16string company125(125, u'c');
  const std::u16string app124(124, u'a');
  struct Case {
    const char* name;
    Formatter format;
    std::u16string company;
    std::u16string app;
    bool ok;
    std::u16string path;
  };
  const Case cases[] = {
      {"product", FormatProductKeyPath, u"Quellin", u"test", true, u"Software\\Quellin\\test"},
      {"uninstall", FormatUninstallKeyPath, u"Quellin", u"test", true,
       kUninstallBase + u"Quellintest"},
      {"product, longest", FormatProductKeyPath, company125, app124, true,
       u"Software\\" + company125 + u"\\" + app124},
      {"product, one too long", FormatProductKeyPath, company125, app124 + u"a", false, u""},
      {"uninstall, too long", FormatUninstallKeyPath, company125, app124, false, u""},
      {"empty app: the company key", FormatProductKeyPath, u"Quellin", u"", false, u""},
      {"empty company", FormatProductKeyPath, u"", u"test", false, u""},
      {"empty company, uninstall", FormatUninstallKeyPath, u"", u"test", false, u""},
      {"a nested name", FormatProductKeyPath, u"Microsoft\\Windows", u"Run", false, u""},
      {"a nested app", FormatUninstallKeyPath, u"Quellin", u"..\\x", false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char16_t out[kKeyPathCapacity + 1];
    out[kKeyPathCapacity] = u'#';
    EXPECT_EQ(c.format(c.company.c_str(), c.app.c_str(), out, kKeyPathCapacity), c.ok);
    EXPECT_EQ(out[kKeyPathCapacity], u'#');
    if (c.ok) {
      EXPECT_EQ(std::u16string(out), c.path);
    }
  }
  char16_t out[kKeyPathCapacity];
  EXPECT_FALSE(FormatProductKeyPath(nullptr, u"test", out, kKeyPathCapacity));
  EXPECT_FALSE(FormatUninstallKeyPath(u"Quellin", nullptr, out, kKeyPathCapacity));
  EXPECT_FALSE(FormatProductKeyPath(u"Quellin", u"test", nullptr, kKeyPathCapacity));
}

}  // namespace
