#include "installer/startup_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/command_line.h"
#include "support/utf8.h"

namespace {

const std::u16string kEngine = u" client/1.1 WebUI/1.3 WKE/535.2 WebKit/535.2";

TEST(StartupTexts, UserAgentNamesCompanyAppAndVersion) {
  CClientInfo info;
  info.SetCompany(u"Example");
  info.SetApp(u"democlient");
  info.SetVersion(u"1.2.0.0");
  info.SetName(u"\u793a\u4f8b\u5ba2\u6237\u7aef");
  FixedWString<512> userAgent;
  FixedWString<128> title;
  BuildStartupTexts(info, userAgent, title);
  EXPECT_EQ(std::u16string(userAgent.Units()), u"Example/democlient/1.2.0.0" + kEngine);
  EXPECT_EQ(std::u16string(title.Units()), u"\u793a\u4f8b\u5ba2\u6237\u7aef");
}

// The fields keep at most 127 characters each, so the longest user agent still fits whole; only
// the title is cut.
TEST(StartupTexts, LongestValuesKeepTheUserAgentWholeAndCutTheTitle) {
  CClientInfo info;
  info.SetCompany(std::u16string(127, u'c').c_str());
  info.SetApp(std::u16string(127, u'a').c_str());
  info.SetVersion(std::u16string(127, u'v').c_str());
  info.SetName(std::u16string(300, u'n').c_str());
  FixedWString<512> userAgent;
  FixedWString<128> title;
  userAgent.Assign(u"previous");
  BuildStartupTexts(info, userAgent, title);
  std::u16string full = std::u16string(127, u'c') + u"/" + std::u16string(127, u'a') + u"/" +
                        std::u16string(127, u'v') + kEngine;
  EXPECT_EQ(std::u16string(userAgent.Units()), full);
  EXPECT_EQ(title.Length(), 127);
}

TEST(CommandLine, OnlyTheExactFirstArgumentSilentCounts) {
  struct Case {
    std::vector<const char16_t*> arguments;
    bool silent;
  };
  const Case cases[] = {
      {{u"setup.exe", u"silent"}, true},
      {{u"setup.exe", u"silent", u"extra"}, true},  // further arguments are ignored
      {{u"setup.exe", u"SILENT"}, false},
      {{u"setup.exe", u"Silent"}, false},
      {{u"setup.exe", u"-silent"}, false},
      {{u"setup.exe", u"/silent"}, false},
      {{u"setup.exe", u"silent "}, false},
      {{u"setup.exe", u"other", u"silent"}, false},
      {{u"setup.exe", u""}, false},
      {{u"setup.exe"}, false},
      {{u"silent"}, false},  // the program's own name is not an argument
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const char16_t* argument : c.arguments) shown += "[" + Utf16ToUtf8(argument) + "]";
    SCOPED_TRACE(shown);
    EXPECT_EQ(IsSilentArguments(static_cast<int>(c.arguments.size()), c.arguments.data()),
              c.silent);
  }
  EXPECT_FALSE(IsSilentArguments(2, nullptr));
}

}  // namespace
