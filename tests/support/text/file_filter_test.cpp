#include "support/text/file_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(BuildFileFilter, OffersOneFilterOfTheListedExtensions) {
  const std::u16string longExtension(70, u'e');
  struct Case {
    std::u16string extensions;
    std::u16string filter;
  };
  const Case cases[] = {
      {u"png,,jpg", u"png,,jpg(*.png;*.jpg;)\0*.png;*.jpg;\0\0"s},
      {u"png", u"png(*.png;)\0*.png;\0\0"s},
      {u",txt,", u",txt,(*.txt;)\0*.txt;\0\0"s},
      {u"", u"All files(*.*)\0*.*\0\0"s},
      {u",,", u"All files(*.*)\0*.*\0\0"s},
      {longExtension,  // each extension is cut to 63 units, the description keeps the list
       longExtension + u"(*." + longExtension.substr(0, 63) + u";)" + u'\0' + u"*." +
           longExtension.substr(0, 63) + u";" + u'\0' + u'\0'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.extensions.begin(), c.extensions.end()));
    EXPECT_EQ(BuildFileFilter(c.extensions.c_str()), c.filter);
  }
  EXPECT_EQ(BuildFileFilter(nullptr), u"");
}

}  // namespace
