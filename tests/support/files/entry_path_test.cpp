#include "support/files/entry_path.h"

#include <gtest/gtest.h>

#include <string>

#include "support/text/path_text.h"
#include "support/text/utf8.h"

namespace {

std::string Shown(const std::u16string& text) {
  std::string shown;
  for (char16_t unit : text) shown += unit < 0x80 ? static_cast<char>(unit) : '?';
  return shown;
}

std::u16string Joined(const std::u16string& folder, const std::u16string& entry) {
  char16_t out[kPathCapacity];
  out[0] = u'#';
  bool joined = JoinEntryPath(folder.c_str(), entry.c_str(), out);
  if (!joined) return out[0] == 0 ? u"<refused>" : u"<refused, out not emptied>";
  return out;
}

TEST(EntryPath, JoinsNamesThatStayInsideTheFolder) {
  struct Case {
    std::u16string folder;
    std::u16string entry;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"C:\\Program Files\\Co\\App\\", u"client.exe", u"C:\\Program Files\\Co\\App\\client.exe"},
      {u"C:\\App", u"client.exe", u"C:\\App\\client.exe"},
      {u"C:\\App\\", u"skin/images/back.png", u"C:\\App\\skin\\images\\back.png"},
      {u"C:\\App\\", u"skin\\images\\back.png", u"C:\\App\\skin\\images\\back.png"},
      {u"C:\\App\\", u"skin/", u"C:\\App\\skin\\"},  // a folder entry keeps its separator
      {u"C:\\App\\", u"a/b\\c/", u"C:\\App\\a\\b\\c\\"},
      {u"C:\\App\\", u"\u5BA2\u6237\u7AEF/\u8BF4\u660E.txt",
       u"C:\\App\\\u5BA2\u6237\u7AEF\\\u8BF4\u660E.txt"},
      {u"C:\\App\\", u"..a/b..c/.hidden", u"C:\\App\\..a\\b..c\\.hidden"},
      {u"C:\\App\\", u" leading space", u"C:\\App\\ leading space"},
      {u"C:\\App\\", u"console.txt", u"C:\\App\\console.txt"},
      {u"C:\\App\\", u"com10", u"C:\\App\\com10"},
      {u"C:\\App\\", u"lpt", u"C:\\App\\lpt"},
      {u"C:\\App\\", u"nullable.dll", u"C:\\App\\nullable.dll"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Shown(c.folder + u" + " + c.entry));
    EXPECT_EQ(Joined(c.folder, c.entry), c.expected);
  }
}

TEST(EntryPath, RefusesNamesThatLeaveOrMisnameTheFolder) {
  const std::u16string refused[] = {
      u"",
      u"..",
      u"../evil.exe",
      u"..\\evil.exe",
      u"skin/../../evil.exe",
      u"skin\\..\\..\\evil.exe",
      u"skin/..",
      u".",
      u"./client.exe",
      u"skin/./back.png",
      u"...",
      u". .",
      u"../",
      u"/etc/passwd",
      u"\\Windows\\evil.dll",
      u"\\\\server\\share\\evil.dll",
      u"\\\\?\\C:\\evil.dll",
      u"//server/share/evil.dll",
      u"/",
      u"C:\\Windows\\evil.dll",
      u"C:/evil.dll",
      u"C:evil.dll",
      u"c:",
      u"client.exe:stream",
      u"client.exe::$DATA",
      u"skin//back.png",
      u"skin\\\\back.png",
      u"skin//",
      u"trailing.",
      u"trailing ",
      u"skin./back.png",
      u"CON",
      u"con.txt",
      u"skin/nul",
      u"Aux.dat",
      u"PRN",
      u"COM1",
      u"lpt9.log",
      u"CONIN$",
      u"con .txt",
      u"star*.txt",
      u"what?.txt",
      u"quote\".txt",
      u"less<more>.txt",
      u"pipe|.txt",
      u"tab\there",
  };
  for (const std::u16string& entry : refused) {
    SCOPED_TRACE(Shown(entry));
    EXPECT_EQ(Joined(u"C:\\App\\", entry), u"<refused>");
  }
  char16_t out[kPathCapacity];
  EXPECT_FALSE(JoinEntryPath(nullptr, u"a.txt", out));
  EXPECT_FALSE(JoinEntryPath(u"", u"a.txt", out));
  EXPECT_FALSE(JoinEntryPath(u"C:\\App", nullptr, out));
  EXPECT_FALSE(JoinEntryPath(u"C:\\App", u"a.txt", nullptr));
}

TEST(EntryPath, RefusesWhatDoesNotFitRatherThanCuttingIt) {
  std::u16string folder = u"C:\\App\\";
  size_t room = kPathCapacity - 1 - folder.size();  // units left for the name
  struct Case {
    std::u16string entry;
    bool fits;
  };
  const Case cases[] = {
      {std::u16string(room, u'f'), true},
      {std::u16string(room + 1, u'f'), false},
      {std::u16string(room - 2, u'd') + u"/x", true},
      {std::u16string(room - 1, u'd') + u"/x", false},  // the cut would name the folder "ddd..."
      {std::u16string(room - 1, u'd') + u"/", true},
      {std::u16string(room, u'd') + u"/", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry.size());
    std::u16string joined = Joined(folder, c.entry);
    if (c.fits) {
      EXPECT_EQ(joined.size(), folder.size() + c.entry.size());
    } else {
      EXPECT_EQ(joined, u"<refused>");
    }
  }
  EXPECT_EQ(Joined(std::u16string(kPathCapacity, u'f'), u"a"), u"<refused>");
}

TEST(EntryPath, APlainNameIsOneNameThatStaysPut) {
  struct Case {
    const char16_t* name;
    bool plain;
  };
  const Case cases[] = {
      {u"democlient", true},      {u"\u793a\u4f8b", true}, {u"My App 2", true},
      {u"", false},               {u"..", false},            {u"..\\..\\evil", false},
      {u"a/b:c", false},          {u"CON", false},           {u"com1.txt", false},
      {u"trail.", false},         {u"trail ", false},        {u"a\\b", false},
      {u"C:", false},             {u"x\tab", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name));
    EXPECT_EQ(IsPlainName(c.name), c.plain);
  }
  EXPECT_FALSE(IsPlainName(nullptr));
}

TEST(PathText, ComposesOnlyWhatFits) {
  char16_t out[8];
  EXPECT_TRUE(ComposePath(out, 8, {u"C:", u"\\", u"ab"}));
  EXPECT_EQ(std::u16string(out), u"C:\\ab");
  EXPECT_TRUE(ComposePath(out, 8, {u"1234567"}));
  out[0] = u'#';
  EXPECT_FALSE(ComposePath(out, 8, {u"1234", u"5678"}));
  EXPECT_EQ(out[0], 0);
  EXPECT_FALSE(ComposePath(out, 8, {u"a", nullptr}));
  EXPECT_EQ(std::u16string(SeparatorAfter(u"C:\\App")), u"\\");
  EXPECT_EQ(std::u16string(SeparatorAfter(u"C:\\App\\")), u"");
  EXPECT_EQ(std::u16string(SeparatorAfter(u"skin/")), u"");
}

// A path's folder, with and without its trailing separator, as the journal and the installs
// take them apart.
TEST(PathText, TakesAFolderPathApart) {
  struct Case {
    const char16_t* path;
    const char16_t* parent;
    const char16_t* bare;
    const char16_t* folder;
  };
  const Case cases[] = {
      {u"C:\\App\\a.txt", u"C:\\App\\", u"C:\\App\\a.txt", u"C:\\App\\a.txt\\"},
      {u"C:\\App\\sub\\", u"C:\\App\\", u"C:\\App\\sub", u"C:\\App\\sub\\"},
      {u"a.txt", u"", u"a.txt", u"a.txt\\"},
      {u"", u"", u"", u"\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.path));
    EXPECT_EQ(ParentFolderOf(c.path), c.parent);
    EXPECT_EQ(WithoutTrailingSeparator(c.path), c.bare);
    EXPECT_EQ(AsFolderPath(c.path), c.folder);
  }
  EXPECT_TRUE(IsPathSeparator(u'/'));
  EXPECT_TRUE(IsPathSeparator(u'\\'));
  EXPECT_FALSE(IsPathSeparator(u':'));
}

}  // namespace
