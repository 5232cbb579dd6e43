#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/zip/xzip.h"
#include "tests/helpers/zip_builder.h"

namespace {

std::u16string Name(XZip& zip, int index) {
  char16_t name[XZip::kNameCapacity];
  return zip.GetName(index, name) ? std::u16string(name) : u"<none>";
}

// Names without the language-encoding flag are in the OEM code page of the machine, as Windows
// tools wrote them. The test runner runs this once under the default locale (code page 437) and
// once under a Chinese one (code page 936).
TEST(XZipNames, NamesWithoutTheFlagUseTheOemCodePage) {
  const std::vector<ZipEntrySpec> entries = {
      {"\xBF\xCD\xBB\xA7\xB6\xCB/\xCB\xB5\xC3\xF7.txt", "gbk name", false,
       false},  // 客户端/说明.txt
      {"caf\x82.txt", "cp437 name", false, false},
      {"\xE5\xAE\xA2\xE6\x88\xB7\xE7\xAB\xAF.txt", "utf-8 name with the flag"},
  };
  std::string archive = BuildZip(entries, XZip::GetArchivePassword());
  XZip zip;
  ASSERT_TRUE(zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()),
                             XZip::GetArchivePassword()));
  EXPECT_EQ(Name(zip, 2), u"\u5BA2\u6237\u7AEF.txt");

  switch (GetOEMCP()) {
    case 936:
      EXPECT_EQ(Name(zip, 0), u"\u5BA2\u6237\u7AEF/\u8BF4\u660E.txt");
      EXPECT_EQ(zip.Find(u"\u5BA2\u6237\u7AEF/\u8BF4\u660E.TXT", nullptr), 0);
      EXPECT_EQ(Name(zip, 1), u"<none>");  // 0x82 starts a pair that "." cannot end
      break;
    case 437:
      EXPECT_EQ(Name(zip, 0), u"\u2510\u2550\u2557\u00BA\u2562\u2566/\u2566\u2561\u251C\u2248.txt");
      EXPECT_EQ(Name(zip, 1), u"caf\u00E9.txt");
      EXPECT_EQ(zip.Find(u"CAF\u00E9.TXT", nullptr), 1);
      break;
    default:
      GTEST_SKIP() << "OEM code page " << GetOEMCP();
  }
}

}  // namespace
