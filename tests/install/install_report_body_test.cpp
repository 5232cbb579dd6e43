#include "install/install_report_body.h"

#include <gtest/gtest.h>

#include <string>

#include "records/client_info.h"

namespace {

TEST(InstallReportBody, PairsInOrderLeavingOutMissingAndOversizedValues) {
  const std::u16string device = u"0123456789ABCDEF0123456789ABCDEF";
  const std::u16string longVersion(480, u'9');  // leaves no room for the pairs after it
  const std::u16string longSystem(490, u'W');    // does not fit, the device pair still does
  struct Case {
    const char* name;
    const char16_t* version;
    const char16_t* system;
    const char16_t* device;
    std::u16string expected;
  };
  const Case cases[] = {
      {"all four", u"1.2.3.4", u"Windows 7", device.c_str(),
       u"action=1&version=1.2.3.4&system=Windows 7&device=" + device},
      {"no system name", u"1.2.3.4", nullptr, device.c_str(),
       u"action=1&version=1.2.3.4&device=" + device},
      {"no device", u"2.0", u"Windows 10", nullptr, u"action=1&version=2.0&system=Windows 10"},
      {"only the action", nullptr, nullptr, nullptr, u"action=1"},
      {"values as they are", u"a&b=c", u"", device.c_str(),
       u"action=1&version=a&b=c&system=&device=" + device},
      {"pairs that do not fit", longVersion.c_str(), u"Windows 10", device.c_str(),
       u"action=1&version=" + longVersion},
      {"a pair that does not fit", u"1.0", longSystem.c_str(), device.c_str(),
       u"action=1&version=1.0&device=" + device},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char16_t buffer[kReportBodyUnits];
    int length = ComposeReportBody(buffer, c.version, c.system, c.device);
    EXPECT_EQ(std::u16string(buffer), c.expected);
    EXPECT_EQ(length, static_cast<int>(c.expected.size()));
  }
  EXPECT_EQ(ComposeReportBody(nullptr, u"1", u"2", u"3"), 0);
}

TEST(InstallReportBody, OnlyTheExactWordInstallAsksForTheReport) {
  struct Case {
    const char16_t* actions;
    bool expected;
  };
  const Case cases[] = {
      {u"uninst|install|update", true}, {u"install", true},  {u"uninst|update", false},
      {u"Install", false},              {u"instal", false},  {u"", false},
      {nullptr, false},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ActionsIncludeInstall(cases[i].actions), cases[i].expected);
  }
}

// The fields keep at most 127 characters each, so the longest user agent still fits whole.
TEST(InstallReportBody, UserAgentNamesCompanyAppAndVersion) {
  const std::u16string engine = u" client/1.1 WebUI/1.3 WKE/535.2 WebKit/535.2";
  struct Case {
    std::u16string company, app, version, expected;
  };
  const std::u16string c127(127, u'c'), a127(127, u'a'), v127(127, u'v');
  const Case cases[] = {
      {u"Example", u"democlient", u"1.2.0.0", u"Example/democlient/1.2.0.0" + engine},
      {c127 + u"cut", a127, v127, c127 + u"/" + a127 + u"/" + v127 + engine},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.size());
    CClientInfo product;
    product.SetCompany(c.company.c_str());
    product.SetApp(c.app.c_str());
    product.SetVersion(c.version.c_str());
    FixedWString<512> userAgent;
    userAgent.Assign(u"previous");
    FormatUserAgent(product, &userAgent);
    EXPECT_EQ(std::u16string(userAgent.Units()), c.expected);
  }
}

}  // namespace
