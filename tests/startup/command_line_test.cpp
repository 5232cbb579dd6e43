#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/text/utf8.h"

namespace {

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
