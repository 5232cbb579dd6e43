#include "records/record_storage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/container/byte_scrambler.h"
#include "support/container/packed_container.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/text_record.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::u16string kText = u"name=\u5ba2\u6237\u7aef;\r\nversion=1.0.2;\r\n";

Bytes SerializeRecord(TextRecord& record, bool packed, size_t capacity = 4096) {
  Bytes out(capacity);
  uint32_t n = record.Serialize(out.data(), static_cast<uint32_t>(out.size()), packed);
  out.resize(n);
  return out;
}

Bytes Utf16Bytes(const std::u16string& text) {
  Bytes bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

TEST(RecordStorage, PackedFormCarriesTheTextWithItsZero) {
  TextRecord record(kText);
  Bytes packed = SerializeRecord(record, true);
  uint32_t units = static_cast<uint32_t>(kText.size()) + 1;
  ASSERT_EQ(packed.size(), 10 + 2 * units);
  EXPECT_EQ(packed[4] | (packed[5] << 8), static_cast<int>(2 * units));

  Bytes payload(packed.size());
  uint32_t n = UnpackContainer(payload.data(), static_cast<uint32_t>(payload.size()), packed.data(),
                               static_cast<uint32_t>(packed.size()));
  payload.resize(n);
  Bytes expected = Utf16Bytes(kText);
  expected.push_back(0);
  expected.push_back(0);
  EXPECT_EQ(payload, expected);

  TextRecord back;
  ASSERT_TRUE(back.ParseBytes(packed.data(), static_cast<uint32_t>(packed.size())));
  EXPECT_EQ(back.Text(), kText);
}

TEST(RecordStorage, PlainFormIsMarkAndTextWithoutZero) {
  TextRecord record(kText);
  Bytes plain = SerializeRecord(record, false);
  Bytes expected = {0xFF, 0xFE};
  Bytes text = Utf16Bytes(kText);
  expected.insert(expected.end(), text.begin(), text.end());
  EXPECT_EQ(plain, expected);

  TextRecord back;
  ASSERT_TRUE(back.ParseBytes(plain.data(), static_cast<uint32_t>(plain.size())));
  EXPECT_EQ(back.Text(), kText);
}

TEST(RecordStorage, ParseBytesReadsEachFormWithinItsBytes) {
  Bytes marked = {0xFF, 0xFE, 'a', 0, 'b', 0};
  Bytes bare = {'a', 0, 'b', 0};
  Bytes odd = {'a', 0, 'b'};  // half a unit at the end is dropped
  Bytes utf8 = {0xEF, 0xBB, 0xBF, 'a', '=', '1', ';'};
  Bytes noZero = {'x', 0, 'y', 0, 'z', 0};  // no terminator inside the given bytes

  struct Case {
    const char* name;
    const Bytes& bytes;
    std::u16string expected;
  };
  const Case cases[] = {
      {"UTF-16 mark", marked, u"ab"},
      {"no mark", bare, u"ab"},
      {"odd length", odd, u"a"},
      {"UTF-8 is not decoded", utf8, u"\uBBEF\u61BF\u313D"},
      {"unterminated", noZero, u"xyz"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes exact = c.bytes;
    TextRecord record;
    ASSERT_TRUE(record.ParseBytes(exact.data(), static_cast<uint32_t>(exact.size())));
    EXPECT_EQ(record.Text().substr(0, c.expected.size()), c.expected);
    EXPECT_LE(record.Text().size(), (exact.size() + 1) / 2);
  }
}

TEST(RecordStorage, DamagedContainersAreNotParsed) {
  TextRecord source(kText);
  Bytes packed = SerializeRecord(source, true);
  Bytes runsPast = packed;
  runsPast[4] = 0xF0;
  runsPast[5] = 0xFF;
  Bytes headerOnly(packed.begin(), packed.begin() + 10);
  headerOnly[4] = headerOnly[5] = 0;
  Bytes cut(packed.begin(), packed.end() - 6);
  Bytes markerOnly(packed.begin(), packed.begin() + 4);

  for (const Bytes* bytes : {&runsPast, &headerOnly, &cut, &markerOnly}) {
    Bytes exact = *bytes;
    TextRecord record(u"kept");
    EXPECT_FALSE(record.ParseBytes(exact.data(), static_cast<uint32_t>(exact.size())));
    EXPECT_EQ(record.Text(), u"kept");
    EXPECT_EQ(record.Parses(), 0);
  }
  TextRecord record;
  EXPECT_FALSE(record.ParseBytes(nullptr, 10));
}

TEST(RecordStorage, SerializeFailsWhenTheWriterFindsNoRoom) {
  TextRecord record(kText);
  size_t units = kText.size() + 1;
  EXPECT_TRUE(SerializeRecord(record, true, 10 + 2 * units).size() > 0);
  EXPECT_EQ(SerializeRecord(record, true, 10 + 2 * units - 1).size(), 0u);
  EXPECT_EQ(SerializeRecord(record, false, 2 + 2 * units - 1).size(), 0u);
  EXPECT_EQ(SerializeRecord(record, true, 4).size(), 0u);
  EXPECT_EQ(record.Serialize(nullptr, 100, true), 0u);
}

TEST(RecordStorage, FilesRoundTripInBothForms) {
  TempFolder folder;
  for (bool packed : {true, false}) {
    SCOPED_TRACE(packed);
    std::u16string path = folder.File(packed ? u"packed.dat" : u"plain.dat");
    TextRecord record(kText);
    uint32_t written = record.SaveToFile(path.c_str(), packed);
    EXPECT_EQ(written, ReadBytes(std::filesystem::path(path)).size());
    TextRecord back;
    ASSERT_TRUE(back.LoadFromFile(path.c_str()));
    EXPECT_EQ(back.Text(), kText);
  }
  TextRecord record;
  EXPECT_FALSE(record.LoadFromFile(folder.File(u"missing.dat").c_str()));
  EXPECT_EQ(record.SaveToFile(folder.File(u"no/such/folder.dat").c_str(), true), 0u);
}

}  // namespace
