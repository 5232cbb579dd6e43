#include "support/delta/file_patch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/helpers/temp_folder.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

// A program rebuilt with a small change: bytes that do not compress, a few of them changed, some
// inserted, and a part moved from the end to the front.
struct Versions {
  std::string before = Noise(300000, 7);
  std::string after;
  Versions() {
    after = before.substr(250000) + before.substr(0, 250000);
    after.replace(1000, 4, "1234");
    after.insert(150000, "a line of source that was added");
  }
};

TEST(FilePatch, MakesASmallPatchThatRebuildsTheNewFileFromTheOld) {
  TempFolder temp;
  const Versions versions;
  WriteBytes(temp.Path() / "old", versions.before);
  WriteBytes(temp.Path() / "new", versions.after);
  std::string why;
  ASSERT_TRUE(MakeFilePatch(temp.File(u"old").c_str(), temp.File(u"new").c_str(),
                            temp.File(u"patch").c_str(), &why))
      << why;
  EXPECT_LT(fs::file_size(temp.Path() / "patch"), versions.after.size() / 50);
  std::u16string failure;
  ASSERT_TRUE(ApplyFilePatch(temp.File(u"old").c_str(), temp.File(u"patch").c_str(),
                             temp.File(u"made").c_str(), versions.after.size(), &failure));
  EXPECT_EQ(ReadBytes(temp.Path() / "made"), versions.after);
}

TEST(FilePatch, APatchThatDoesNotMakeTheNewFileFailsAndLeavesNothing) {
  struct Case {
    const char* name;
    std::string patchChange;  // "byte", "cut", "tail" or none
    bool otherOldFile;
    int64_t sizeChange;
    std::u16string why;
  };
  const Case cases[] = {
      {"a byte changed", "byte", false, 0, u"the patch does not apply"},
      {"another old file", "", true, 0, u"the patch does not apply"},
      {"cut short", "cut", false, 0, u"the patch is cut short"},
      {"bytes past its end", "tail", false, 0, u"the patch has bytes past its end"},
      {"another size", "", false, -1, u"the patch does not apply"},
  };
  const Versions versions;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    WriteBytes(temp.Path() / "old", versions.before);
    WriteBytes(temp.Path() / "new", versions.after);
    std::string why;
    ASSERT_TRUE(MakeFilePatch(temp.File(u"old").c_str(), temp.File(u"new").c_str(),
                              temp.File(u"patch").c_str(), &why));
    std::string patch = ReadBytes(temp.Path() / "patch");
    if (c.patchChange == "byte") patch[patch.size() / 2] ^= 0x20;
    if (c.patchChange == "cut") patch.resize(patch.size() - 10);
    if (c.patchChange == "tail") patch += "more";
    WriteBytes(temp.Path() / "patch", patch);
    if (c.otherOldFile) WriteBytes(temp.Path() / "old", Noise(versions.before.size(), 8));
    std::u16string failure;
    EXPECT_FALSE(ApplyFilePatch(temp.File(u"old").c_str(), temp.File(u"patch").c_str(),
                                temp.File(u"made").c_str(), versions.after.size() + c.sizeChange,
                                &failure));
    EXPECT_EQ(failure.substr(0, c.why.size()), c.why);
    EXPECT_FALSE(fs::exists(temp.Path() / "made"));
  }
}

TEST(FilePatch, FilesLargerTogetherThanTheWindowAreNotPatched) {
  constexpr uint64_t kWindow = uint64_t{1} << kPatchWindowLog;
  EXPECT_TRUE(CanPatch(kWindow / 2, kWindow / 2));
  EXPECT_FALSE(CanPatch(kWindow / 2, kWindow / 2 + 1));
  EXPECT_FALSE(CanPatch(0, kWindow + 1));
  EXPECT_FALSE(CanPatch(UINT64_MAX, 1));
  EXPECT_FALSE(CanPatch(1, 0));
}

}  // namespace
