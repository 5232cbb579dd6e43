#include "records/uninst_info.h"

#include <gtest/gtest.h>

#include <string>

#include "support/text/utf8.h"
#include "tests/helpers/temp_folder.h"

namespace {

std::vector<std::u16string> Entries(const CUninstInfo& list) {
  std::vector<std::u16string> entries;
  for (int i = 0; i < list.Count(); ++i) entries.emplace_back(list.Get(i));
  return entries;
}

TEST(UninstInfo, ParsesBarTerminatedEntries) {
  struct Case {
    const char16_t* text;
    std::vector<std::u16string> expected;
  };
  const Case cases[] = {
      {u"bin\\|bin\\client.exe|tail", {u"bin\\", u"bin\\client.exe"}},
      {u"|||", {}},
      {u"a||b|", {u"a", u"b"}},
      {u"no bar at all", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    CUninstInfo list;
    EXPECT_TRUE(list.ParseText(c.text));
    EXPECT_EQ(Entries(list), c.expected);
  }
  CUninstInfo list;
  EXPECT_FALSE(list.ParseText(nullptr));
}

TEST(UninstInfo, AddCutsLongEntriesAndKeepsEveryOne) {
  CUninstInfo list;
  std::u16string longEntry(600, u'x');
  ASSERT_EQ(list.Add(longEntry.c_str(), -1), 0);
  EXPECT_EQ(std::u16string(list.Get(0)).size(), 511u);
  EXPECT_EQ(list.Add(u"", -1), -1);
  EXPECT_EQ(list.Add(nullptr, 3), -1);
  EXPECT_EQ(list.Add(u"abc", 2), 1);
  EXPECT_EQ(std::u16string(list.Get(1)), u"ab");
  const char16_t* first = list.Get(0);
  for (int i = 2; i < 20000; ++i) ASSERT_EQ(list.Add(u"f", -1), i);
  EXPECT_EQ(list.Count(), 20000);
  EXPECT_EQ(list.Get(20000), nullptr);
  EXPECT_EQ(list.Get(0), first) << "an entry stays where it is";
}

TEST(UninstInfo, WriteTextStopsAtTheFirstEntryThatDoesNotFit) {
  CUninstInfo list;
  list.Add(u"abc", -1);
  list.Add(u"defgh", -1);
  char16_t out[16];
  EXPECT_EQ(list.WriteText(out, 16), 11);
  EXPECT_EQ(std::u16string(out), u"abc|defgh|");
  EXPECT_EQ(list.WriteText(out, 8), 5);
  EXPECT_EQ(std::u16string(out), u"abc|");
  CUninstInfo empty;
  EXPECT_EQ(empty.WriteText(out, 16), 1);
}

TEST(UninstInfo, SavesEveryEntryAndLoadsThemBack) {
  TempFolder folder;
  std::u16string path = folder.File(u"uninst.dat");
  CUninstInfo empty;
  ASSERT_TRUE(empty.SaveToFile(path.c_str()));
  EXPECT_EQ(ReadBytes(std::filesystem::path(path)), "\xFF\xFE");
  ASSERT_TRUE(empty.LoadFromFile(path.c_str()));
  EXPECT_EQ(empty.Count(), 0);

  CUninstInfo list;
  list.Add(u"\u5ba2\u6237\u7aef\\", -1);
  list.Add(u"\u5ba2\u6237\u7aef\\a.exe", -1);
  ASSERT_TRUE(list.SaveToFile(path.c_str()));
  EXPECT_EQ(ReadBytes(std::filesystem::path(path)),
            std::string("\xFF\xFE\xA2\x5B\x37\x62\xEF\x7A\x5C\x00\x7C\x00"
                        "\xA2\x5B\x37\x62\xEF\x7A\x5C\x00\x61\x00\x2E\x00\x65\x00\x78\x00"
                        "\x65\x00\x7C\x00",
                        32));
  CUninstInfo back;
  ASSERT_TRUE(back.LoadFromFile(path.c_str()));
  ASSERT_TRUE(back.LoadFromFile(path.c_str()));  // appends: twice the entries
  EXPECT_EQ(back.Count(), 4);
  EXPECT_EQ(std::u16string(back.Get(3)), u"\u5ba2\u6237\u7aef\\a.exe");
  EXPECT_FALSE(back.LoadFromFile(folder.File(u"missing.dat").c_str()));
}

TEST(UninstInfo, AListOfManyLongPathsIsSavedWhole) {
  CUninstInfo list;
  std::u16string entry(400, u'p');
  for (int i = 0; i < 15000; ++i) list.Add(entry.c_str(), -1);
  TempFolder folder;
  std::u16string path = folder.File(u"uninst.dat");
  ASSERT_TRUE(list.SaveToFile(path.c_str()));
  CUninstInfo back;
  ASSERT_TRUE(back.LoadFromFile(path.c_str()));
  EXPECT_EQ(back.Count(), 15000);
}

// What an uninstall must not take for a list: it would remove nothing and report success.
TEST(UninstInfo, ADamagedListIsRefusedWhole) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"the last entry without its bar", std::string("\xFF\xFE" "a\0|\0b\0", 8)},
      {"an odd byte count", std::string("\xFF\xFE" "a\0|\0\0", 7)},
      {"no byte-order mark", std::string("a\0|\0", 4)},
      {"UTF-8", "\xEF\xBB\xBF" "a.txt|"},
      {"an empty entry", std::string("\xFF\xFE|\0", 4)},
      {"a zero unit", std::string("\xFF\xFE\0\0|\0", 6)},
      {"half a surrogate pair", std::string("\xFF\xFE\x00\xD8|\0", 6)},
      {"nothing at all", ""},
  };
  TempFolder folder;
  const std::u16string path = folder.File(u"uninst.dat");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(std::filesystem::path(path), c.bytes);
    CUninstInfo list;
    list.Add(u"kept", -1);
    EXPECT_FALSE(list.LoadFromFile(path.c_str()));
    EXPECT_EQ(list.Count(), 1) << "nothing of it is added";
  }
  WriteBytes(std::filesystem::path(path), std::string("\xFF\xFE\x3D\xD8\x00\xDE|\0", 8));
  CUninstInfo paired;
  EXPECT_TRUE(paired.LoadFromFile(path.c_str())) << "a surrogate pair is a character";
}

}  // namespace
