#include "support/file_replacement.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/handle.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Whatever happens, the file holds its old bytes or all of the new ones, and nothing else is
// left in its folder.
TEST(FileReplacement, ReplacesWholeOrLeavesTheOldFile) {
  TempFolder temp;
  const fs::path file = temp.Path() / "client.dll";
  const std::string fresh(100000, 'n');
  struct Case {
    const char* label;
    bool existing;
    bool held;       // open by another program, without sharing
    bool readBack;   // the writer's own word on what it wrote
    bool replaced;
  };
  const Case cases[] = {
      {"an existing file", true, false, true, true},
      {"a new file", false, false, true, true},
      {"a file held open", true, true, true, false},
      {"a fresh file that does not hold what it should", true, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(file);
    if (c.existing) WriteBytes(file, "old");
    Handle holder;
    if (c.held) {
      holder.Reset(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(holder.Valid());
    }
    const bool result =
        c.readBack ? ReplaceWholeFile(file.u16string().c_str(), fresh.data(),
                                      static_cast<uint32_t>(fresh.size()))
                   : ReplaceFileBy(file.u16string().c_str(), [](const char16_t* path) {
                       WriteBytes(fs::path(path), "half");
                       return false;
                     });
    EXPECT_EQ(result, c.replaced);
    holder.Reset(nullptr);
    EXPECT_EQ(ReadBytes(file), c.replaced ? fresh : "old");
    int entries = 0;
    for (const auto& item : fs::directory_iterator(temp.Path())) entries += item.exists();
    EXPECT_EQ(entries, 1);
  }
  EXPECT_FALSE(ReplaceWholeFile((temp.Path() / "missing" / "x.dll").u16string().c_str(), "x", 1));
  EXPECT_FALSE(ReplaceWholeFile(u"no folder part", "x", 1));
}

}  // namespace
