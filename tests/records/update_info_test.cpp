#include "records/update_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/text/utf8.h"
#include "tests/helpers/temp_folder.h"

namespace {

const char16_t kTwoItems[] =
    u"\uFEFF<list version=\"2.0.1.5\">\r\n"
    u"<item action=\"0\" file=\"bin\\client.exe\" size=\"1234\" "
    u"md5=\"0123456789ABCDEF0123456789ABCDEF\" url=\"http://h/app/bin/client.exe\"/>\r\n"
    u"<item url=\"http://h/app/old.dll\" md5=\"FEDCBA9876543210FEDCBA9876543210\" size=\"-7\" "
    u"file=\"old.dll\" action=\"1\"/>\r\n"
    u"</list>\r\n";

std::u16string Written(CUpdateInfo& list, int capacity) {
  std::vector<char16_t> out(static_cast<size_t>(capacity) + 1, u'#');
  int n = list.WriteText(out.data(), capacity);
  if (n == 0) {
    EXPECT_EQ(out[0], u'#');  // nothing written
    return u"";
  }
  EXPECT_EQ(out[static_cast<size_t>(n) - 1], 0);
  EXPECT_EQ(out[static_cast<size_t>(capacity)], u'#');
  return std::u16string(out.data(), static_cast<size_t>(n) - 1);
}

TEST(UpdateInfo, ReadsAttributesInAnyOrder) {
  CUpdateInfo list;
  ASSERT_TRUE(list.ParseText(kTwoItems));
  EXPECT_EQ(std::u16string(list.GetVersion()), u"2.0.1.5");
  ASSERT_EQ(list.Count(), 2);
  const UpdateItem* first = list.Get(0);
  EXPECT_EQ(first->action, 0);
  EXPECT_EQ(std::u16string(first->file), u"bin\\client.exe");
  EXPECT_EQ(first->size, 1234);
  EXPECT_EQ(std::u16string(first->md5), u"0123456789ABCDEF0123456789ABCDEF");
  EXPECT_EQ(std::u16string(first->url), u"http://h/app/bin/client.exe");
  const UpdateItem* second = list.Get(1);
  EXPECT_EQ(second->action, 1);
  EXPECT_EQ(second->size, -7);
  EXPECT_EQ(std::u16string(second->file), u"old.dll");
  EXPECT_EQ(list.Get(2), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.TotalSize(), 1227);
}

TEST(UpdateInfo, ToleratesAndStopsAsTheScannerShould) {
  struct Case {
    const char16_t* text;
    bool result;
    int count;
  };
  const Case cases[] = {
      {u"<list>", true, 0},
      {u"no list here", false, 0},
      {u"<list version=\"1", false, 0},                       // head never closes
      {u"<list version=\"1>\"", false, 0},                    // closing quote after the head
      {u"<list><item file=\"a\" size=\"1\"/><item md5=\"x/><item file=\"c\"/>", true, 1},
      {u"<list><item file=\"a\"/> text between <item file=\"b\"/>", true, 2},
      {u"<list><item file=\"a\"", true, 0},                   // item tag never closes
      {u"<list><item size=\"99999999999\"/>", true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    CUpdateInfo list;
    EXPECT_EQ(list.ParseText(c.text), c.result);
    EXPECT_EQ(list.Count(), c.count);
  }
  CUpdateInfo list;
  EXPECT_FALSE(list.ParseText(nullptr));
}

// Sizes are 64-bit: a file of 8 GB reads and writes back as it is, and a list whose sizes all fit
// 32 bits is written as it always was, byte for byte, for the readers that take no more. A size
// beyond 64 bits makes the list unreadable rather than naming another size.
TEST(UpdateInfo, SizesAre64BitAndOnesBeyondMakeTheListUnreadable) {
  struct Case {
    const char16_t* sizes[2];  // the size attributes of the list's two items
    bool read;
    int64_t expected[2];
    int64_t total;
  };
  const Case cases[] = {
      {{u"1234", u"2147483647"}, true, {1234, INT32_MAX}, 2147484881},
      {{u"5368709120", u"8589934592"}, true, {5368709120, 8589934592}, 13958643712},
      {{u"9223372036854775807", u"-9223372036854775808"}, true, {INT64_MAX, INT64_MIN}, -1},
      {{u"9223372036854775807", u"1"}, true, {INT64_MAX, 1}, INT64_MAX},  // the total is held
      {{u"5368709120", u"9223372036854775808"}, false, {}, 0},
      {{u"-9223372036854775809", u"1"}, false, {}, 0},
      {{u"1", u"99999999999999999999999"}, false, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.sizes[1]));
    std::u16string text = u"<list version=\"3.0\">\r\n";
    for (const char16_t* size : c.sizes) {
      text += u"<item action=\"0\" file=\"a.bin\" size=\"" + std::u16string(size) +
              u"\" md5=\"0123456789ABCDEF0123456789ABCDEF\" url=\"http://h/a.bin\"/>\r\n";
    }
    text += u"</list>\r\n";
    CUpdateInfo list;
    ASSERT_EQ(list.ParseText(text.c_str()), c.read);
    if (!c.read) continue;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(0)->size, c.expected[0]);
    EXPECT_EQ(list.Get(1)->size, c.expected[1]);
    EXPECT_EQ(list.TotalSize(), c.total);
    EXPECT_EQ(Written(list, 2 * 1380), text);
  }
}

TEST(UpdateInfo, WritesTheListAndReadsItBack) {
  CUpdateInfo list;
  ASSERT_TRUE(list.ParseText(kTwoItems));
  std::u16string text = Written(list, 2760);
  EXPECT_EQ(text,
            u"<list version=\"2.0.1.5\">\r\n"
            u"<item action=\"0\" file=\"bin\\client.exe\" size=\"1234\" "
            u"md5=\"0123456789ABCDEF0123456789ABCDEF\" url=\"http://h/app/bin/client.exe\"/>\r\n"
            u"<item action=\"1\" file=\"old.dll\" size=\"-7\" "
            u"md5=\"FEDCBA9876543210FEDCBA9876543210\" url=\"http://h/app/old.dll\"/>\r\n"
            u"</list>\r\n");
  EXPECT_EQ(Written(list, 2759), u"");  // below 1,380 units per item

  CUpdateInfo back;
  ASSERT_TRUE(back.ParseText(text.c_str()));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(std::u16string(back.Get(1)->url), u"http://h/app/old.dll");
}

// The SHA-256 stands between the MD5 and the URL, only where an item has one: a list without any
// is written as it always was.
TEST(UpdateInfo, WritesAndReadsTheSha256WhereAnItemHasOne) {
  const std::u16string sha256(
      u"5891B5B522D5DF086D0FF0B110FBD9D21BB4FC7163AF34D08286A2E846F6BE03");
  const std::u16string text =
      u"<list version=\"1.0\">\r\n"
      u"<item action=\"0\" file=\"a.txt\" size=\"6\" md5=\"B1946AC92492D2347C6235B4D2611184\" "
      u"sha256=\"" + sha256 + u"\" url=\"http://h/a.txt\"/>\r\n"
      u"<item action=\"1\" file=\"old.dll\" size=\"0\" md5=\"\" url=\"\"/>\r\n"
      u"</list>\r\n";
  CUpdateInfo list;
  ASSERT_TRUE(list.ParseText(text.c_str()));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(std::u16string(list.Get(0)->sha256), sha256);
  EXPECT_EQ(std::u16string(list.Get(0)->url), u"http://h/a.txt");
  EXPECT_EQ(std::u16string(list.Get(1)->sha256), u"");
  EXPECT_EQ(Written(list, 2 * 1380), text);

  // Cut to 65 digits: a longer value is kept longer than any digest, never cut into one.
  CUpdateInfo overlong;
  ASSERT_TRUE(overlong.ParseText(
      (u"<list><item sha256=\"" + sha256 + u"00\" file=\"a\"/>").c_str()));
  EXPECT_EQ(std::u16string(overlong.Get(0)->sha256), sha256 + u"0");
  EXPECT_EQ(std::u16string(overlong.Get(0)->file), u"a");
}

// Readers pass over attributes they do not know, wherever they stand in the tag, as they always
// did: lists with attributes added later (sha256 was one) still read the same in old readers.
TEST(UpdateInfo, AttributesTheReaderDoesNotKnowArePassedOver) {
  const std::u16string known[] = {u" action=\"0\"", u" file=\"bin\\a.exe\"", u" size=\"12\"",
                                  u" md5=\"0123456789ABCDEF0123456789ABCDEF\"",
                                  u" url=\"http://h/bin/a.exe\""};
  const std::u16string unknown[] = {u" sha512=\"00FF\"", u" signer=\"vendor a\"",
                                    u" md5x=\"1\"", u" xurl=\"http://elsewhere/\"",
                                    u" note=\"\""};
  for (size_t at = 0; at <= 5; ++at) {
    for (const std::u16string& extra : unknown) {
      std::u16string tag = u"<list><item";
      for (size_t i = 0; i < 5; ++i) {
        if (i == at) tag += extra;
        tag += known[i];
      }
      if (at == 5) tag += extra;
      tag += u"/></list>";
      SCOPED_TRACE(Utf16ToUtf8(tag.c_str()));
      CUpdateInfo list;
      ASSERT_TRUE(list.ParseText(tag.c_str()));
      ASSERT_EQ(list.Count(), 1);
      const UpdateItem* item = list.Get(0);
      EXPECT_EQ(item->action, 0);
      EXPECT_EQ(std::u16string(item->file), u"bin\\a.exe");
      EXPECT_EQ(item->size, 12);
      EXPECT_EQ(std::u16string(item->md5), u"0123456789ABCDEF0123456789ABCDEF");
      EXPECT_EQ(std::u16string(item->url), u"http://h/bin/a.exe");
      EXPECT_EQ(std::u16string(item->sha256), u"");
    }
  }
}

// A file may be named so that it ends like an attribute ("a md5=" is a Windows name): its closing
// quote then completes that pattern, yet the item reads back as it was written.
TEST(UpdateInfo, ValuesAreNeverSearchedForAttributes) {
  CUpdateInfo list;
  for (const char16_t* file : {u"a md5=", u"b url=", u"c size= action="}) {
    ASSERT_GE(list.AddFile(file, 5, u"0123456789ABCDEF0123456789ABCDEF", u"http://h/f"), 0);
  }
  std::u16string text = Written(list, 3 * 1380);
  CUpdateInfo back;
  ASSERT_TRUE(back.ParseText(text.c_str()));
  ASSERT_EQ(back.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(Utf16ToUtf8(list.Get(i)->file.c_str()));
    EXPECT_EQ(std::u16string(back.Get(i)->file), list.Get(i)->file);
    EXPECT_EQ(back.Get(i)->size, 5);
    EXPECT_EQ(back.Get(i)->action, 0);
    EXPECT_EQ(std::u16string(back.Get(i)->md5), u"0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(std::u16string(back.Get(i)->url), u"http://h/f");
  }
}

// The save buffer and the packaging tool's text buffer are sized by the longest item line.
TEST(UpdateInfo, NoItemLineIsLongerThanTheLongestAllowed) {
  CUpdateInfo list;
  std::unique_ptr<UpdateItem> item = NewFileItem(
      std::u16string(600, u'f').c_str(), INT64_MIN, std::u16string(40, u'm').c_str(),
      std::u16string(80, u's').c_str(), std::u16string(900, u'u').c_str());
  item->action = INT32_MIN;
  ASSERT_EQ(list.AddItem(std::move(item)), 0);
  const std::u16string text = Written(list, 4000);
  const size_t itemStart = text.find(u"<item");
  const size_t itemEnd = text.find(u"\r\n", itemStart) + 2;
  EXPECT_EQ(itemEnd - itemStart, static_cast<size_t>(IUpdateInfo::kLongestItemUnits));
}

TEST(UpdateInfo, NeverWritesPastTheCapacity) {
  // One item with every field full runs longer than the per-item allowance.
  CUpdateInfo list;
  std::u16string file(511, u'f'), url(767, u'u'), md5(33, u'm');
  ASSERT_EQ(list.AddFile(file.c_str(), INT32_MAX, md5.c_str(), url.c_str()), 0);
  list.SetVersion(std::u16string(127, u'v').c_str());
  EXPECT_EQ(Written(list, 1380), u"");
  std::u16string whole = Written(list, 4000);
  EXPECT_GT(whole.size(), 1380u);
  EXPECT_EQ(Written(list, static_cast<int>(whole.size()) + 1), whole);
  EXPECT_EQ(Written(list, static_cast<int>(whole.size())), u"");
}

TEST(UpdateInfo, AddersRefuseBadItemsAndAFullList) {
  CUpdateInfo list;
  EXPECT_EQ(list.AddFile(u"a", 0, u"m", u"u"), -1);
  EXPECT_EQ(list.AddFile(nullptr, 1, u"m", u"u"), -1);
  EXPECT_EQ(list.AddItem(nullptr), -1);
  for (int i = 0; i < IUpdateInfo::kMaxItems; ++i) ASSERT_EQ(list.AddFile(u"a", 1, u"m", u"u"), i);
  EXPECT_EQ(list.AddFile(u"a", 1, u"m", u"u"), -1);
  EXPECT_EQ(list.Count(), IUpdateInfo::kMaxItems);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

// A client of tens of thousands of files is listed whole, in either stored form.
TEST(UpdateInfo, StoredRoundTripKeepsEveryItemOfALargeList) {
  constexpr int kFiles = 60000;
  CUpdateInfo list;
  ASSERT_TRUE(list.ParseText(kTwoItems));
  for (int i = 0; i < kFiles; ++i) {
    const std::u16string name = u"assets\\pack" + Utf8ToUtf16(std::to_string(i)) + u".bin";
    ASSERT_GE(list.AddFile(name.c_str(), int64_t{1} << 33, u"0123456789ABCDEF0123456789ABCDEF",
                           (u"http://h/app/" + name).c_str()),
              0);
  }
  TempFolder folder;
  for (bool packed : {false, true}) {
    SCOPED_TRACE(packed);
    std::u16string path = folder.File(u"update.xml");
    ASSERT_GT(list.SaveToFile(path.c_str(), packed), 0u);
    CUpdateInfo back;
    ASSERT_TRUE(back.LoadFromFile(path.c_str()));
    ASSERT_EQ(back.Count(), kFiles + 2);
    EXPECT_EQ(std::u16string(back.GetVersion()), u"2.0.1.5");
    EXPECT_EQ(back.Get(kFiles + 1)->file, u"assets\\pack59999.bin");
    EXPECT_EQ(back.Get(kFiles + 1)->url, u"http://h/app/assets\\pack59999.bin");
    EXPECT_EQ(back.TotalSize(), list.TotalSize());
  }
}

}  // namespace

namespace {

const char16_t kFrom[] = u"1111111111111111111111111111111111111111111111111111111111111111";
const char16_t kPatch[] = u"2222222222222222222222222222222222222222222222222222222222222222";

// The items with every field but their deltas, as a reader that knows none sees them.
std::u16string ItemsWithoutDeltas(const CUpdateInfo& list) {
  std::u16string text;
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem* item = list.Get(i);
    text += std::u16string(item->file) + u"|" + Utf8ToUtf16(std::to_string(item->size)) + u"|" +
            item->md5 + u"|" + item->sha256 + u"|" + item->url + u"\n";
  }
  return text;
}

}  // namespace

// Deltas are elements inside their item, which a reader that knows none passes over whole: the
// items' own tags end where they always did, and a scan for the next "<item" meets neither
// "<delta" nor "</item>".
TEST(UpdateInfo, DeltasAreWrittenInsideTheirItemAndPassedOverByItemReaders) {
  CUpdateInfo plain;
  ASSERT_TRUE(plain.ParseText(kTwoItems));
  CUpdateInfo withDeltas;
  ASSERT_TRUE(withDeltas.ParseText(kTwoItems));
  auto item = NewFileItem(u"a.dll", 10, u"0123456789ABCDEF0123456789ABCDEF", kPatch,
                          u"http://h/app/a.dll");
  ItemDelta delta;
  std::copy_n(kFrom, 65, delta.from);
  std::copy_n(kPatch, 65, delta.sha256);
  delta.size = 4;
  item->deltas = {delta, delta};
  item->deltas[1].size = 5;
  ASSERT_EQ(withDeltas.AddItem(std::move(item)), 2);
  ASSERT_TRUE(plain.AddItem(NewFileItem(u"a.dll", 10, u"0123456789ABCDEF0123456789ABCDEF",
                                        kPatch, u"http://h/app/a.dll")) == 2);
  const std::u16string text = withDeltas.Text();
  EXPECT_NE(text.find(u"url=\"http://h/app/a.dll\">\r\n<delta from=\"" + std::u16string(kFrom) +
                      u"\" size=\"4\" sha256=\"" + kPatch + u"\"/>\r\n<delta"),
            std::u16string::npos);

  // Read back, each item as before; the plain list's text is what it always was.
  CUpdateInfo back;
  ASSERT_TRUE(back.ParseText(text.c_str()));
  EXPECT_EQ(ItemsWithoutDeltas(back), ItemsWithoutDeltas(plain));
  EXPECT_EQ(plain.Text().find(u"delta"), std::u16string::npos);
  EXPECT_EQ(back.Text(), text);
  ASSERT_EQ(back.Get(2)->deltas.size(), 2u);
  EXPECT_EQ(back.Get(2)->deltas[1].size, 5);
  EXPECT_EQ(std::u16string(back.Get(2)->deltas[0].from), kFrom);
  EXPECT_TRUE(back.Get(0)->deltas.empty());
  EXPECT_LE(text.size() * 2, back.SaveBufferSize());
  EXPECT_EQ(PatchUrlOf(back.Get(2)->url, kFrom),
            u"http://h/app/a.dll." + std::u16string(kFrom) + u".patch");
}

TEST(UpdateInfo, ADeltaThatIsNotWholeIsPassedOverAndTheItemKept) {
  struct Case {
    const char* name;
    std::u16string delta;
    size_t kept;
  };
  const std::u16string from(kFrom);
  const std::u16string patch(kPatch);
  const Case cases[] = {
      {"whole", u"<delta from=\"" + from + u"\" size=\"3\" sha256=\"" + patch + u"\"/>", 1},
      {"no size", u"<delta from=\"" + from + u"\" sha256=\"" + patch + u"\"/>", 0},
      {"size 0", u"<delta from=\"" + from + u"\" size=\"0\" sha256=\"" + patch + u"\"/>", 0},
      {"short digest", u"<delta from=\"" + from.substr(1) + u"\" size=\"3\" sha256=\"" + patch +
                           u"\"/>", 0},
      {"no sha256", u"<delta from=\"" + from + u"\" size=\"3\"/>", 0},
      {"unclosed", u"<delta from=\"" + from + u" size=\"3\" sha256=\"" + patch + u"/>", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string text = u"<list><item file=\"a\" size=\"2\" url=\"u\">" + c.delta +
                                u"</item><item file=\"b\" size=\"1\"/></list>";
    CUpdateInfo list;
    ASSERT_TRUE(list.ParseText(text.c_str()));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(0)->deltas.size(), c.kept);
    EXPECT_EQ(std::u16string(list.Get(1)->file), u"b");
  }
  // No more than an item keeps.
  std::u16string many = u"<list><item file=\"a\" size=\"2\">";
  for (int i = 0; i < IUpdateInfo::kMaxDeltasPerItem + 3; ++i) many += cases[0].delta;
  CUpdateInfo list;
  ASSERT_TRUE(list.ParseText((many + u"</item></list>").c_str()));
  EXPECT_EQ(list.Get(0)->deltas.size(), static_cast<size_t>(IUpdateInfo::kMaxDeltasPerItem));
}
