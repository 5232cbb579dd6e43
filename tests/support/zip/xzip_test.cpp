#include "support/zip/xzip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/container/packed_container.h"
#include "support/container/packed_view.h"
#include "support/core/entry_sink.h"
#include "support/files/xdata.h"
#include "tests/helpers/collecting_sink.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/zip_builder.h"

namespace {

const char* Password() { return XZip::GetArchivePassword(); }

std::string Content(const XData& data) {
  return std::string(reinterpret_cast<const char*>(data.Data()), data.Length());
}

std::u16string Name(XZip& zip, int index) {
  char16_t name[XZip::kNameCapacity];
  return zip.GetName(index, name) ? std::u16string(name) : u"<none>";
}

// Some bytes that deflate well, and some that do not.
std::string Text(size_t n) {
  std::string text;
  while (text.size() < n) text += "the client's files, entry by entry; ";
  return text.substr(0, n);
}

// A buffer with content, so a test can see that a failed read took it away.
void Prefill(XData& data) {
  ASSERT_TRUE(data.Reserve(16, true));
  data.SetLength(16);
}

const std::vector<ZipEntrySpec>& SampleEntries() {
  static const std::vector<ZipEntrySpec> entries = {
      {"skin/", "", true},
      {"skin/Back.png", Noise(5000, 1)},
      {"theme.txt", Text(3000)},
      {"stored.bin", Noise(700, 2), false, true, true, false},
      {"short.txt", "a few bytes"},
      {"empty.txt", ""},
  };
  return entries;
}

TEST(XZip, ListsFindsAndReadsEveryEntry) {
  std::string archive = BuildZip(SampleEntries(), Password());
  TempFolder folder;
  WriteBytes(folder.Path() / "payload.zip", archive);

  for (bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "file" : "memory");
    XZip zip;
    ASSERT_TRUE(fromFile ? zip.OpenFile(folder.File(u"payload.zip").c_str(), Password())
                         : zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()),
                                          Password()));
    const std::vector<ZipEntrySpec>& entries = SampleEntries();
    ASSERT_EQ(zip.GetCount(), static_cast<int>(entries.size()));
    for (int i = 0; i < zip.GetCount(); ++i) {
      const ZipEntrySpec& entry = entries[i];
      SCOPED_TRACE(entry.name);
      EXPECT_EQ(Name(zip, i), std::u16string(entry.name.begin(), entry.name.end()));
      EXPECT_EQ(zip.IsFolder(i), entry.folder);
      XData data;
      Prefill(data);
      ASSERT_TRUE(zip.ReadItem(i, &data));
      EXPECT_EQ(Content(data), entry.content);
    }

    uint32_t size = 7;
    EXPECT_EQ(zip.Find(u"SKIN/back.PNG", &size), 1);  // letter case does not matter
    EXPECT_EQ(size, 5000u);
    size = 7;
    EXPECT_EQ(zip.Find(u"skin/missing.png", &size), -1);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(zip.Find(u"skin", &size), -1);
    EXPECT_EQ(zip.Find(nullptr, &size), -1);

    XData data;
    ASSERT_TRUE(zip.ReadByName(u"Theme.TXT", &data));
    EXPECT_EQ(Content(data), Text(3000));
    EXPECT_FALSE(zip.ReadByName(u"nothing.txt", &data));
    EXPECT_EQ(data.Data(), nullptr);

    EXPECT_FALSE(zip.IsFolder(-1));
    EXPECT_FALSE(zip.IsFolder(zip.GetCount()));
    char16_t name[XZip::kNameCapacity];
    EXPECT_FALSE(zip.GetName(zip.GetCount(), name));
    EXPECT_FALSE(zip.ReadItem(-1, &data));
    EXPECT_FALSE(zip.ReadItem(0, nullptr));
  }
}

TEST(XZip, OpensOneArchiveAtATime) {
  std::string archive = BuildZip(SampleEntries(), Password());
  auto length = static_cast<uint32_t>(archive.size());
  XZip zip;
  EXPECT_EQ(zip.GetCount(), 0);
  EXPECT_TRUE(zip.Close());  // nothing open
  EXPECT_FALSE(zip.OpenMemory(nullptr, length, Password()));

  ASSERT_TRUE(zip.OpenMemory(archive.data(), length, Password()));
  EXPECT_FALSE(zip.OpenMemory(archive.data(), length, Password()));
  EXPECT_FALSE(zip.OpenFile(u"other.zip", Password()));
  EXPECT_EQ(zip.GetCount(), 6);  // the first stays open

  EXPECT_TRUE(zip.Close());
  EXPECT_EQ(zip.GetCount(), 0);
  XData data;
  EXPECT_FALSE(zip.ReadItem(0, &data));
  EXPECT_EQ(zip.Find(u"theme.txt", nullptr), -1);
  EXPECT_FALSE(zip.IsFolder(0));

  const std::string notArchives[] = {"", "PK\x05\x06", Text(500),
                                     archive.substr(0, archive.size() / 2)};
  for (const std::string& bytes : notArchives) {
    SCOPED_TRACE(bytes.size());
    EXPECT_FALSE(zip.OpenMemory(bytes.data(), static_cast<uint32_t>(bytes.size()), Password()));
    EXPECT_EQ(zip.GetCount(), 0);
  }
  EXPECT_FALSE(zip.OpenFile(u"no-such-archive.zip", Password()));
  EXPECT_FALSE(zip.OpenFile(nullptr, Password()));

  // The next archive the reader opens is read for itself, never from what it read of the last.
  ASSERT_TRUE(zip.OpenMemory(archive.data(), length, Password()));
  EXPECT_EQ(Name(zip, 1), u"skin/Back.png");
  EXPECT_TRUE(zip.Close());
  const std::string other = BuildZip({{"other/", "", true}, {"other/new.txt", "x"}}, Password());
  ASSERT_TRUE(zip.OpenMemory(other.data(), static_cast<uint32_t>(other.size()), Password()));
  EXPECT_EQ(Name(zip, 1), u"other/new.txt");
  EXPECT_FALSE(zip.IsFolder(1));
}

// Every way an entry can be unreadable ends the same: the read fails, the buffer is left
// without storage, and the rest of the archive still reads.
TEST(XZip, UnreadableEntriesFailAndLeaveTheBufferEmpty) {
  const std::vector<ZipEntrySpec> entries = {
      {"first.txt", Text(4000)},
      {"noise.bin", Noise(4000, 3)},
      {"stored.txt", Text(900), false, true, true, false},
      {"plain.txt", "stored without encryption", false, true, false},
      {"last.bin", Noise(3000, 4)},
  };
  std::string archive = BuildZip(entries, Password());

  // With the password, every entry reads but the one stored in the clear: the system's archives
  // are encrypted whole, so such an entry did not come from their packaging. With a wrong
  // password nothing reads.
  for (bool rightPassword : {true, false}) {
    SCOPED_TRACE(rightPassword);
    const char* password = rightPassword ? Password() : "WrongPassword";
    XZip zip;
    ASSERT_TRUE(zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()), password));
    for (int i = 0; i < zip.GetCount(); ++i) {
      SCOPED_TRACE(i);
      XData data;
      Prefill(data);
      if (rightPassword && i != 3) {
        ASSERT_TRUE(zip.ReadItem(i, &data));
        EXPECT_EQ(Content(data), entries[i].content);
        continue;
      }
      EXPECT_FALSE(zip.ReadItem(i, &data));
      EXPECT_EQ(data.Data(), nullptr);
      EXPECT_EQ(data.Capacity(), 0u);
    }
  }

  // Damaged data: one byte changed inside each entry's data in turn, deflated or stored.
  for (int damaged : {0, 1, 2}) {
    SCOPED_TRACE(damaged);
    std::string copy = archive;
    copy[EntryDataOffset(copy, damaged) + 40] ^= 0x5A;
    XZip zip;
    ASSERT_TRUE(zip.OpenMemory(copy.data(), static_cast<uint32_t>(copy.size()), Password()));
    XData data;
    Prefill(data);
    EXPECT_FALSE(zip.ReadItem(damaged, &data));
    EXPECT_EQ(data.Data(), nullptr);
    XData last;
    ASSERT_TRUE(zip.ReadItem(4, &last));
    EXPECT_EQ(Content(last), entries[4].content);
  }

  // Cut short: the last entry's data loses its tail while the directory after it survives
  // (moved up, its offset patched), so the archive opens and that entry runs into the directory.
  {
    size_t dataEnd = archive.size() - 22;
    uint32_t directory = 0;
    for (int i = 3; i >= 0; --i) {
      directory = directory << 8 | static_cast<uint8_t>(archive[dataEnd + 16 + i]);
    }
    std::string cut = archive.substr(0, directory - 1000) + archive.substr(directory);
    uint32_t moved = directory - 1000;
    for (int i = 0; i < 4; ++i) cut[cut.size() - 22 + 16 + i] = static_cast<char>(moved >> (8 * i));
    XZip zip;
    ASSERT_TRUE(zip.OpenMemory(cut.data(), static_cast<uint32_t>(cut.size()), Password()));
    XData data;
    Prefill(data);
    EXPECT_FALSE(zip.ReadItem(4, &data));
    EXPECT_EQ(data.Data(), nullptr);
    XData first;
    ASSERT_TRUE(zip.ReadItem(0, &first));
    EXPECT_EQ(Content(first), entries[0].content);
  }

  // Cut anywhere: the archive does not open, or what it reads is right.
  for (size_t length = 0; length < archive.size(); length += 97) {
    SCOPED_TRACE(length);
    std::string cut = archive.substr(0, length);
    XZip zip;
    if (!zip.OpenMemory(cut.data(), static_cast<uint32_t>(cut.size()), Password())) continue;
    for (int i = 0; i < zip.GetCount(); ++i) {
      XData data;
      if (zip.ReadItem(i, &data)) {
        EXPECT_EQ(Content(data), entries[i].content);
      } else {
        EXPECT_EQ(data.Data(), nullptr);
      }
    }
  }
}

// An entry's size is taken from its header only as far as its bytes bear it out: an entry near
// deflate's largest ratio reads whole, one claiming more than its bytes can hold is refused.
TEST(XZip, SizesAreBoundByWhatTheEntrysBytesHold) {
  const std::string zeros(8 << 20, '\0');
  const std::string honest = BuildZip({{"zeros.bin", zeros}, {"next.txt", Text(100)}}, Password());
  ASSERT_LT(honest.size(), zeros.size() / 900);

  struct Case {
    const char* name;
    uint32_t claimed;  // 0: as written
    bool reads;
  };
  const Case cases[] = {
      {"as written", 0, true},
      {"one byte less", static_cast<uint32_t>(zeros.size() - 1), false},
      {"one byte more", static_cast<uint32_t>(zeros.size() + 1), false},
      {"about 4 GB", 0xFFFFFF00u, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string archive = honest;
    if (c.claimed != 0) SetClaimedSize(archive, 0, c.claimed);
    XZip zip;
    ASSERT_TRUE(zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()), Password()));
    XData data;
    Prefill(data);
    ASSERT_EQ(zip.ReadItem(0, &data), c.reads);
    if (c.reads) {
      EXPECT_TRUE(Content(data) == zeros);
    } else {
      EXPECT_EQ(data.Data(), nullptr);
    }
    XData next;
    ASSERT_TRUE(zip.ReadItem(1, &next));
    EXPECT_EQ(Content(next), Text(100));
  }
}

// Pieces as ReadItemTo hands them.
class PieceSink : public CollectingSink {
 public:
  explicit PieceSink(int refuseAt = -1) : CollectingSink(XZip::kPieceSize, refuseAt) {}
};

// Read in pieces, every entry arrives whole and in order, in pieces of at most kPieceSize, from
// memory and from a file, whatever its size against the piece's.
TEST(XZip, ReadsEntriesInPiecesIntoASink) {
  const size_t piece = XZip::kPieceSize;
  const std::vector<ZipEntrySpec> entries = {
      {"text.txt", Text(3 * piece + 17)},
      {"noise.bin", Noise(2 * piece + 1, 5)},
      {"stored.bin", Noise(piece + 3, 6), false, true, true, false},
      {"one-piece.bin", Noise(piece, 7)},
      {"empty.txt", ""},
      {"short.txt", "a few bytes"},
  };
  std::string archive = BuildZip(entries, Password());
  TempFolder folder;
  WriteBytes(folder.Path() / "pieces.zip", archive);
  for (bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "file" : "memory");
    XZip zip;
    ASSERT_TRUE(fromFile ? zip.OpenFile(folder.File(u"pieces.zip").c_str(), Password())
                         : zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()),
                                          Password()));
    for (int i = 0; i < zip.GetCount(); ++i) {
      SCOPED_TRACE(entries[i].name);
      PieceSink sink;
      ASSERT_TRUE(zip.ReadItemTo(i, sink));
      EXPECT_TRUE(sink.Content() == entries[i].content);
      EXPECT_EQ(sink.Pieces(), static_cast<int>((entries[i].content.size() + piece - 1) / piece));
      uint64_t size = 0;
      ASSERT_TRUE(zip.GetSize(i, &size));
      EXPECT_EQ(size, entries[i].content.size());
    }
    uint64_t size = 5;
    EXPECT_FALSE(zip.GetSize(zip.GetCount(), &size));
    EXPECT_EQ(size, 5u);
    PieceSink sink;
    EXPECT_FALSE(zip.ReadItemTo(-1, sink));
    EXPECT_EQ(sink.Pieces(), 0);
  }
}

// A piece read fails where a whole read does, though the sink has by then taken the pieces
// before the fault: a damaged entry's CRC fails only after its last piece. And a sink that
// refuses a piece ends the read there.
TEST(XZip, PieceReadsFailWhereWholeReadsDo) {
  const size_t piece = XZip::kPieceSize;
  const std::vector<ZipEntrySpec> entries = {
      {"noise.bin", Noise(3 * piece, 8)},
      {"plain.txt", "stored without encryption", false, true, false},
      {"text.txt", Text(2 * piece)},
  };
  const std::string archive = BuildZip(entries, Password());
  struct Case {
    const char* name;
    int entry;
    const char* password;
    int damageAt;          // offset into the entry's data to flip, or -1
    uint32_t claimed;      // 0: as written
    int refuseAt;          // the sink's refused piece, or -1
    int piecesAtLeast;     // what the sink was handed before the failure showed
  };
  const Case cases[] = {
      {"damaged near the end", 0, Password(), static_cast<int>(3 * piece - 100), 0, -1, 2},
      {"wrong password", 0, "WrongPassword", -1, 0, -1, 0},
      {"stored in the clear", 1, Password(), -1, 0, -1, 0},
      {"claims a byte less", 0, Password(), -1, static_cast<uint32_t>(3 * piece - 1), -1, 2},
      {"claims a byte more", 0, Password(), -1, static_cast<uint32_t>(3 * piece + 1), -1, 3},
      {"sink refuses the second piece", 2, Password(), -1, 0, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string copy = archive;
    if (c.damageAt >= 0) copy[EntryDataOffset(copy, c.entry) + c.damageAt] ^= 0x5A;
    if (c.claimed != 0) SetClaimedSize(copy, c.entry, c.claimed);
    XZip zip;
    ASSERT_TRUE(zip.OpenMemory(copy.data(), static_cast<uint32_t>(copy.size()), c.password));
    PieceSink sink(c.refuseAt);
    EXPECT_FALSE(zip.ReadItemTo(c.entry, sink));
    EXPECT_GE(sink.Pieces(), c.piecesAtLeast);
    if (c.refuseAt >= 0) {
      EXPECT_EQ(sink.Pieces(), c.refuseAt + 1);
    }
    // The archive reads on.
    if (c.password == Password()) {
      PieceSink next;
      const int other = c.entry == 2 ? 0 : 2;
      EXPECT_EQ(zip.ReadItemTo(other, next), c.claimed == 0 || c.entry != other);
      if (c.damageAt < 0) {
        EXPECT_TRUE(next.Content() == entries[other].content);
      }
    }
  }
}

// Beyond 4 GB an entry's sizes are zip64's: read in pieces it arrives whole, its CRC checked,
// while a whole read still refuses anything above 2 GB.
TEST(XZip, ReadsAnEntryAboveFourGigabytesInPieces) {
  const uint64_t size = (4ull << 30) + (1 << 20);
  const std::string archive = BuildZerosZip(size, Password());
  ASSERT_FALSE(archive.empty());
  XZip zip;
  ASSERT_TRUE(zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()), Password()));
  uint64_t claimed = 0;
  ASSERT_TRUE(zip.GetSize(0, &claimed));
  EXPECT_EQ(claimed, size);

  class CountingSink : public IEntrySink {
   public:
    bool Put(const uint8_t* bytes, size_t count) override {
      // A look at the first and last byte of each piece: the CRC answers for the rest.
      zeros_ = zeros_ && bytes[0] == 0 && bytes[count - 1] == 0;
      total_ += count;
      return true;
    }
    uint64_t total_ = 0;
    bool zeros_ = true;
  } counted;
  EXPECT_TRUE(zip.ReadItemTo(0, counted));
  EXPECT_EQ(counted.total_, size);
  EXPECT_TRUE(counted.zeros_);

  XData whole;
  EXPECT_FALSE(zip.ReadItem(0, &whole));
  EXPECT_EQ(whole.Data(), nullptr);
  ASSERT_TRUE(zip.ReadItem(1, &whole));
  EXPECT_EQ(Content(whole), "after the zeros");
}

// A payload holding the client archive stored whole and in the clear, as its only container:
// the payload in memory, sealed as a packed container, and as a file.
struct NestedPayload {
  std::string client = BuildZip(SampleEntries(), Password());
  std::string payload = BuildZip({{"theme.txt", Text(500)},
                                  {"app.zip", client, false, true, false, false},
                                  {"deflated.zip", client},
                                  {"encrypted.zip", client, false, true, true, false},
                                  {"last.txt", "after the archive"}},
                                 Password());
  std::vector<uint8_t> container;
  TempFolder folder;

  NestedPayload() {
    container.resize(payload.size() + kContainerHeaderSize);
    std::copy(payload.begin(), payload.end(), container.begin() + kContainerHeaderSize);
    container.resize(SealContainer(container.data(), static_cast<uint32_t>(payload.size())));
    WriteBytes(folder.Path() / "setup.zip", payload);
  }
};

// The nested archive opens where it lies in its payload, from memory, from a packed container
// read in place and from a file, and reads as the archive itself; reading it does not disturb
// the payload, which reads on.
TEST(XZip, OpensAStoredArchiveWhereItLies) {
  NestedPayload built;
  PackedView view;
  ASSERT_TRUE(view.Open(built.container.data(), static_cast<uint32_t>(built.container.size())));
  ASSERT_TRUE(view.Verify());
  for (const char* source : {"memory", "container", "file"}) {
    SCOPED_TRACE(source);
    XZip payload;
    const std::string kind = source;
    ASSERT_TRUE(kind == "memory"
                    ? payload.OpenMemory(built.payload.data(),
                                         static_cast<uint32_t>(built.payload.size()), Password())
                : kind == "container"
                    ? payload.OpenPacked(view, Password())
                    : payload.OpenFile(built.folder.File(u"setup.zip").c_str(), Password()));
    const int index = payload.Find(u"app.zip", nullptr);
    ASSERT_EQ(index, 1);
    XZip nested;
    ASSERT_TRUE(nested.OpenNested(payload, index, Password()));
    EXPECT_FALSE(nested.OpenNested(payload, index, Password()));  // one at a time
    const std::vector<ZipEntrySpec>& entries = SampleEntries();
    ASSERT_EQ(nested.GetCount(), static_cast<int>(entries.size()));
    for (int i = 0; i < nested.GetCount(); ++i) {
      SCOPED_TRACE(entries[i].name);
      PieceSink sink;
      ASSERT_TRUE(nested.ReadItemTo(i, sink));
      EXPECT_TRUE(sink.Content() == entries[i].content);
    }
    XData last;
    ASSERT_TRUE(payload.ReadByName(u"last.txt", &last));
    EXPECT_EQ(Content(last), "after the archive");

    // Nested once more, from the nested one's own source: an entry that is no archive.
    XZip deeper;
    EXPECT_FALSE(deeper.OpenNested(nested, nested.Find(u"stored.bin", nullptr), Password()));
    EXPECT_EQ(deeper.GetCount(), 0);
  }
}

// Only an entry stored whole in the clear lies as it is in its payload: a deflated or encrypted
// one must be read out (ReadItem), and a bad index or a closed parent opens nothing. The clear
// entry is no way around the rule that installed entries are encrypted: the archive inside is
// read with the same refusals.
TEST(XZip, OpensInPlaceOnlyWhatIsStoredInTheClear) {
  NestedPayload built;
  XZip payload;
  ASSERT_TRUE(payload.OpenMemory(built.payload.data(), static_cast<uint32_t>(built.payload.size()),
                                 Password()));
  for (const char16_t* name : {u"deflated.zip", u"encrypted.zip", u"theme.txt"}) {
    XZip nested;
    EXPECT_FALSE(nested.OpenNested(payload, payload.Find(name, nullptr), Password()));
    EXPECT_EQ(nested.GetCount(), 0);
  }
  XZip nested;
  EXPECT_FALSE(nested.OpenNested(payload, -1, Password()));
  EXPECT_FALSE(nested.OpenNested(payload, payload.GetCount(), Password()));
  EXPECT_FALSE(nested.OpenNested(nested, 0, Password()));
  XZip closed;
  EXPECT_FALSE(nested.OpenNested(closed, 0, Password()));

  // In the clear inside, stored in the clear outside: opened, and its entry refused.
  const std::string plain = BuildZip({{"plain.txt", "no encryption", false, true, false}}, "");
  const std::string outer = BuildZip({{"app.zip", plain, false, true, false, false}}, Password());
  XZip holder;
  ASSERT_TRUE(holder.OpenMemory(outer.data(), static_cast<uint32_t>(outer.size()), Password()));
  ASSERT_TRUE(nested.OpenNested(holder, 0, Password()));
  PieceSink sink;
  EXPECT_FALSE(nested.ReadItemTo(0, sink));
  XData data;
  EXPECT_FALSE(nested.ReadItem(0, &data));
}

TEST(XZip, DecodesNamesByTheirLanguageEncodingFlag) {
  const std::string chinese = "\xE5\xAE\xA2\xE6\x88\xB7\xE7\xAB\xAF/\xE8\xAF\xB4\xE6\x98\x8E.txt";
  const std::string longest(XZip::kNameCapacity - 1, 'n');
  const std::vector<ZipEntrySpec> entries = {
      {chinese, "utf-8 name"},
      {"readme.txt", "ascii name without the flag", false, false},
      {longest, "fits with its terminator"},
      {longest + "n", "one unit too many"},
      {"\xE5\xAE\xA2\xE6\x88", "cut in the middle of a character"},
      {"twoZparts.txt", "a zero byte inside, put in place of the Z below"},
  };
  std::string archive = BuildZip(entries, Password());
  for (size_t at = archive.find("twoZ"); at != std::string::npos; at = archive.find("twoZ", at)) {
    archive[at + 3] = '\0';
  }
  XZip zip;
  ASSERT_TRUE(zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()), Password()));
  ASSERT_EQ(zip.GetCount(), 6);

  EXPECT_EQ(Name(zip, 0), u"\u5BA2\u6237\u7AEF/\u8BF4\u660E.txt");
  EXPECT_EQ(Name(zip, 1), u"readme.txt");
  EXPECT_EQ(Name(zip, 2), std::u16string(XZip::kNameCapacity - 1, u'n'));
  for (int refused : {3, 4, 5}) {
    SCOPED_TRACE(refused);
    char16_t name[XZip::kNameCapacity] = {u'x'};
    EXPECT_FALSE(zip.GetName(refused, name));
    EXPECT_EQ(name[0], 0);
  }
  uint32_t size = 0;
  EXPECT_EQ(zip.Find(u"\u5BA2\u6237\u7AEF/\u8BF4\u660E.TXT", &size), 0);
  EXPECT_EQ(size, 10u);
  XData data;
  ASSERT_TRUE(zip.ReadByName(u"README.txt", &data));
  EXPECT_EQ(Content(data), entries[1].content);
}

#ifndef _WIN32
// Outside Windows there is no OEM code page: names without the flag are taken as UTF-8 when
// they are UTF-8, and refused otherwise.
TEST(XZip, NamesWithoutTheFlagAreUtf8OutsideWindows) {
  const std::vector<ZipEntrySpec> entries = {
      {"\xE5\xAE\xA2\xE6\x88\xB7.txt", "utf-8 bytes", false, false},
      {"\xBF\xCD\xBB\xA7.txt", "cp936 bytes", false, false},
  };
  std::string archive = BuildZip(entries, Password());
  XZip zip;
  ASSERT_TRUE(zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()), Password()));
  EXPECT_EQ(Name(zip, 0), u"\u5BA2\u6237.txt");
  EXPECT_EQ(Name(zip, 1), u"<none>");
}
#endif

TEST(XZip, ThePasswordIsThirteenCharactersAndStable) {
  const char* password = XZip::GetArchivePassword();
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(std::string(password).size(), 13u);
  EXPECT_EQ(XZip::GetArchivePassword(), password);
}

}  // namespace
