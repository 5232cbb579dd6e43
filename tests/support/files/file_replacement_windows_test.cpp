#include "support/files/file_replacement.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/core/handle_windows.h"
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
    return ReplaceFileBy(path.c_str(), [&](const char16_t* written) {
      WriteBytes(fs::path(written), fresh);
      return true;
    });
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
  EXPECT_FALSE(ReplaceFileBy((temp.Path() / "missing" / "x.dll").u16string().c_str(),
                             [](const char16_t*) { return true; }));
}

// A finished staging file takes the target's place whole, or both stay as they were.
TEST(FileReplacement, MovesAFinishedFileIntoPlaceOrLeavesBoth) {
  TempFolder temp;
  const fs::path target = temp.Path() / "client.dll";
  const fs::path staged = temp.Path() / "client.dll.download~";
  struct Case {
    const char* name;
    bool targetThere;
    bool held;
    bool moved;
  };
  const Case cases[] = {
      {"over the old file", true, false, true},
      {"where none was", false, false, true},
      {"over a file held open", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(target);
    if (c.targetThere) WriteBytes(target, "old");
    WriteBytes(staged, "new content");
    Handle holder(c.held ? CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       0, nullptr)
                         : nullptr);
    EXPECT_EQ(MoveFileIntoPlace(staged.u16string().c_str(), target.u16string().c_str()), c.moved);
    holder.Reset(nullptr);
    EXPECT_EQ(ReadBytes(target), c.moved ? "new content" : "old");
    EXPECT_EQ(fs::exists(staged), !c.moved);
  }
  EXPECT_FALSE(MoveFileIntoPlace((temp.Path() / "gone").u16string().c_str(),
                                 target.u16string().c_str()));
  EXPECT_EQ(ReadBytes(target), "old");
}

}  // namespace
