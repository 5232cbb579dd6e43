#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/helpers/temp_folder.h"
#include "tools/setupkit/setupkit.h"

namespace {

TEST(SetupkitContainer, PackThenUnpackRoundTrips) {
  TempFolder folder;
  std::string content = "key=value;\r\n";
  for (int i = 0; i < 5000; ++i) content += static_cast<char>(i * 7);
  WriteBytes(folder.Path() / "in.bin", content);

  ASSERT_EQ(RunSetupkit({u"pack", folder.File(u"in.bin"), folder.File(u"packed.bin")}), 0);
  std::string packed = ReadBytes(folder.Path() / "packed.bin");
  ASSERT_EQ(packed.size(), content.size() + 10);
  EXPECT_EQ(packed.substr(0, 4), "\xFF\xFD\xFD\xFF");
  EXPECT_NE(packed.substr(10), content);

  ASSERT_EQ(RunSetupkit({u"unpack", folder.File(u"packed.bin"), folder.File(u"out.bin")}), 0);
  EXPECT_EQ(ReadBytes(folder.Path() / "out.bin"), content);
}

TEST(SetupkitContainer, UnpackCopiesUnmarkedFilesAndRefusesDamagedOnes) {
  TempFolder folder;
  WriteBytes(folder.Path() / "plain.txt", "not a container");
  ASSERT_EQ(RunSetupkit({u"unpack", folder.File(u"plain.txt"), folder.File(u"copy.txt")}), 0);
  EXPECT_EQ(ReadBytes(folder.Path() / "copy.txt"), "not a container");

  WriteBytes(folder.Path() / "empty.txt", "");
  ASSERT_EQ(RunSetupkit({u"unpack", folder.File(u"empty.txt"), folder.File(u"empty.out")}), 0);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "empty.out"));

  WriteBytes(folder.Path() / "in.bin", "some payload bytes");
  ASSERT_EQ(RunSetupkit({u"pack", folder.File(u"in.bin"), folder.File(u"packed.bin")}), 0);
  std::string packed = ReadBytes(folder.Path() / "packed.bin");
  std::string flippedPayload = packed;
  flippedPayload[14] ^= 0x40;
  std::string flippedMarker = packed;
  flippedMarker[2] ^= 0x01;

  const std::string damaged[] = {
      std::string("\xFF\xFD\xFD\xFF\x00\x00\x00\x00\x00\x00", 10),      // header only
      std::string("\xFF\xFD\xFD\xFF\x40\x00\x00\x00\x12\x34xyz", 13),  // length past the end
      std::string("\xFF\xFD\xFD\xFF\x02", 5),                           // cut header
      flippedPayload,  // no longer matches its word
      flippedMarker,   // one bit off the marker: not plain data either
  };
  for (const std::string& bytes : damaged) {
    SCOPED_TRACE(bytes.size());
    WriteBytes(folder.Path() / "damaged.bin", bytes);
    EXPECT_EQ(RunSetupkit({u"unpack", folder.File(u"damaged.bin"), folder.File(u"no.bin")}), 1);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "no.bin"));
  }
}

TEST(SetupkitContainer, ReportsUsageAndMissingFiles) {
  TempFolder folder;
  struct Case {
    std::vector<std::u16string> args;
    int status;
  };
  const Case cases[] = {
      {{}, 2},
      {{u"--help"}, 0},
      {{u"pack", u"only-one"}, 2},
      {{u"unpack", u"a", u"b", u"c"}, 2},
      {{u"frobnicate"}, 2},
      {{u"pack", folder.File(u"missing.bin"), folder.File(u"out.bin")}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.size());
    EXPECT_EQ(RunSetupkit(c.args), c.status);
  }
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "out.bin"));
}

}  // namespace
