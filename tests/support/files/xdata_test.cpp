#include "support/files/xdata.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/helpers/temp_folder.h"

namespace {

void ExpectZeroTail(const XData& data) {
  ASSERT_NE(data.Data(), nullptr);
  EXPECT_EQ(data.Data()[data.Capacity()], 0);
  EXPECT_EQ(data.Data()[data.Capacity() + 1], 0);
}

TEST(XData, ReserveKeepsOrDiscardsContent) {
  XData data;
  ASSERT_TRUE(data.Reserve(8, true));
  std::memcpy(data.Data(), "abcdefgh", 8);
  EXPECT_EQ(data.SetLength(100), 8u);
  ExpectZeroTail(data);

  ASSERT_TRUE(data.Reserve(4, false));  // keep: clipped to the new capacity
  EXPECT_EQ(data.Length(), 4u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data.Data()), 4), "abcd");
  ExpectZeroTail(data);

  ASSERT_TRUE(data.Reserve(16, false));  // keep: grows, content stays
  EXPECT_EQ(data.Length(), 4u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data.Data()), 4), "abcd");
  ExpectZeroTail(data);

  ASSERT_TRUE(data.Reserve(16, true));  // same capacity with discard: length 0, same storage
  EXPECT_EQ(data.Length(), 0u);
  EXPECT_TRUE(data.EnsureCapacity(10, true));
  EXPECT_EQ(data.Capacity(), 16u);

  ASSERT_TRUE(data.Reserve(0, false));
  EXPECT_EQ(data.Data(), nullptr);
  EXPECT_EQ(data.Capacity(), 0u);
}

TEST(XData, ReadFileHonoursTheLimitAndFailsClean) {
  TempFolder folder;
  std::string content(1000, 'q');
  content[99] = 'L';
  WriteBytes(folder.Path() / "data.bin", content);
  WriteBytes(folder.Path() / "empty.bin", "");

  XData data;
  ASSERT_TRUE(data.ReadFile(folder.File(u"data.bin").c_str(), 100));
  EXPECT_EQ(data.Length(), 100u);
  EXPECT_EQ(data.Data()[99], 'L');
  ExpectZeroTail(data);

  ASSERT_TRUE(data.ReadFile(folder.File(u"data.bin").c_str(), 0));
  EXPECT_EQ(data.Length(), 1000u);

  ASSERT_TRUE(data.ReadFile(folder.File(u"empty.bin").c_str(), 0));
  EXPECT_EQ(data.Length(), 0u);
  ExpectZeroTail(data);

  EXPECT_FALSE(data.ReadFile(folder.File(u"missing.bin").c_str(), 0));
  EXPECT_EQ(data.Data(), nullptr);
  EXPECT_EQ(data.Length(), 0u);
  EXPECT_FALSE(data.ReadFile(static_cast<const char16_t*>(nullptr), 0));
}

TEST(XData, WriteFileWritesTheAskedCount) {
  TempFolder folder;
  XData data;
  ASSERT_TRUE(data.Reserve(6, true));
  std::memcpy(data.Data(), "abcdef", 6);
  data.SetLength(5);

  struct Case {
    uint32_t count;
    std::string expected;
  };
  const Case cases[] = {{0, "abcde"}, {3, "abc"}, {50, "abcde"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    std::u16string path = folder.File(u"out.bin");
    ASSERT_TRUE(data.WriteFile(path.c_str(), c.count));
    EXPECT_EQ(ReadBytes(folder.Path() / "out.bin"), c.expected);
  }
  XData empty;
  EXPECT_FALSE(empty.WriteFile(folder.File(u"none.bin").c_str(), 0));
  EXPECT_FALSE(data.WriteFile(folder.File(u"no-such-folder/out.bin").c_str(), 0));
}

TEST(XData, ReadsAndWritesChinesePaths) {
  TempFolder folder;
  std::u16string path = folder.File(u"\u5ba2\u6237\u7aef.dat");
  XData data;
  ASSERT_TRUE(data.Reserve(3, true));
  std::memcpy(data.Data(), "xyz", 3);
  data.SetLength(3);
  ASSERT_TRUE(data.WriteFile(path.c_str(), 0));
  XData back;
  ASSERT_TRUE(back.ReadFile(path.c_str(), 0));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back.Data()), back.Length()), "xyz");
}

}  // namespace
