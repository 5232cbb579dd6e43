#include "product/installer_names.h"

#include <gtest/gtest.h>

namespace {

// An entry meets one of the installer's files by any of its names, in any case: the journal and
// the uninstall list only at the top of the folder, the staging, backup and download names
// anywhere, a number after the first two.
TEST(InstallerNames, AnEntryMeetsTheInstallerFilesByAnyOfItsNames) {
  struct Case {
    const char16_t* entry;
    bool meets;
  };
  const Case cases[] = {
      {u"install.journal", true},
      {u"UNINST.DAT", true},
      {u"sub\\uninst.dat", false},
      {u"data/install.journal", false},
      {u"a.txt.new~", true},
      {u"a.txt.Old~12", true},
      {u"sub/a.txt.download~", true},
      {u"a.txt.download~2", false},
      {u"bin\\app.dll.Patch~", true},
      {u"cache.new~\\a.txt", true},
      {u"uninst.dat\\a.txt", true},
      {u"a.txt.new", false},
      {u"unins000.exe", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.entry, c.entry + std::char_traits<char16_t>::length(c.entry)));
    EXPECT_EQ(MeetsInstallerFile(c.entry), c.meets);
  }
}

}  // namespace
