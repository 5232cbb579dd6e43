#include "support/file_replacement.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/handle.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// The file holds its old bytes or all of the new ones, and nothing else is left in its folder.
TEST(FileReplacement, ReplacesWholeOrLeavesTheOldFile) {
  TempFolder temp;
  const fs::path file = temp.Path() / "client.dll";
  const std::u16string path = file.u16string();
  const std::string fresh(100000, 'n');
  const auto replace = [&] {
    return ReplaceWholeFile(path.c_str(), fresh.data(), static_cast<uint32_t>(fresh.size()));
  };
  const auto failingWriter = [&] {
    return ReplaceFileBy(path.c_str(), [](const char16_t* written) {
      WriteBytes(fs::path(written), "half");
      return false;
    });
  };
  for (bool held : {false, true}) {
    SCOPED_TRACE(held ? "held open" : "free");
    WriteBytes(file, "old");
    // Open by another program, without sharing.
    Handle holder(held ? CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                     nullptr)
                       : nullptr);
    EXPECT_FALSE(failingWriter());
    EXPECT_EQ(replace(), !held);
    holder.Reset(nullptr);
    EXPECT_EQ(ReadBytes(file), held ? "old" : fresh);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 1);
  }
  fs::remove(file);
  EXPECT_TRUE(replace());
  EXPECT_FALSE(ReplaceWholeFile((temp.Path() / "missing" / "x.dll").u16string().c_str(), "x", 1));
}

}  // namespace
