#include "updater/uninstall_list_update.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/uninst_info.h"
#include "tests/helpers/uninstall_entries.h"

namespace {

void Fill(CUninstInfo& list, const std::vector<std::u16string>& entries) {
  for (const std::u16string& entry : entries) list.Add(entry.c_str(), -1);
}

TEST(UninstallListUpdate, KeepsTheOrderAddsWhatIsNewAndDropsWhatWasRemoved) {
  const std::vector<std::u16string> current = {u"data\\", u"data\\a.txt", u"old\\",
                                               u"old\\b.txt", u"client.exe", u"oldest.txt"};
  struct Case {
    const char* label;
    std::vector<std::u16string> installed;
    std::vector<std::u16string> removed;
    std::vector<std::u16string> expected;
  } cases[] = {
      {"nothing changed", {u"client.exe", u"data\\a.txt"}, {}, current},
      {"new files go last, in their order",
       {u"z.txt", u"client.exe", u"data\\new.txt"},
       {},
       {u"data\\", u"data\\a.txt", u"old\\", u"old\\b.txt", u"client.exe", u"oldest.txt",
        u"z.txt", u"data\\new.txt"}},
      {"letter case does not make a new name", {u"CLIENT.EXE", u"Data\\A.txt"}, {}, current},
      {"a removed file", {}, {u"OLDEST.TXT"},
       {u"data\\", u"data\\a.txt", u"old\\", u"old\\b.txt", u"client.exe"}},
      {"a removed folder takes what was below it, with or without its separator",
       {},
       {u"old"},
       {u"data\\", u"data\\a.txt", u"client.exe", u"oldest.txt"}},
      {"a folder of a similar name stays", {}, {u"ol\\", u"data\\a"}, current},
      {"a file installed and then removed is not listed",
       {u"temp.txt"},
       {u"temp.txt", u""},
       current},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CUninstInfo before, installed, out;
    Fill(before, current);
    Fill(installed, c.installed);
    Fill(out, {u"stale entry"});
    UpdateUninstallList(before, installed, c.removed, out);
    EXPECT_EQ(Entries(out), c.expected);
  }
}

}  // namespace
