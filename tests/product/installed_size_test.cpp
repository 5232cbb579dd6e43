#include "product/installed_size.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "records/uninst_info.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(InstalledSize, CountsTheListedFilesInWholeKilobytes) {
  TempFolder temp;
  const fs::path folder = temp.Path() / "install";
  fs::create_directories(folder / "sub");
  WriteBytes(folder / "a.txt", std::string(1000, 'a'));
  WriteBytes(folder / "sub" / "b.bin", std::string(2000, 'b'));
  WriteBytes(folder / "one.kb", std::string(1024, 'c'));
  WriteBytes(temp.Path() / "outside.txt", std::string(50000, 'o'));
  // 8 GB, sparse: a file a download mode install may hold now.
  WriteBytes(folder / "big.bin", "");
  fs::resize_file(folder / "big.bin", uint64_t{8} << 30);
  struct Case {
    const char* name;
    std::vector<std::u16string> entries;
    uint32_t kilobytes;
  };
  const Case cases[] = {
      {"nothing listed", {}, 0},
      {"exactly one kilobyte", {u"one.kb"}, 1},
      {"rounded up", {u"a.txt"}, 1},
      {"files and their folder", {u"sub\\", u"a.txt", u"sub\\b.bin"}, 3},
      {"a file that is gone", {u"a.txt", u"gone.txt"}, 1},
      {"a name leading outside", {u"a.txt", u"..\\outside.txt", u"sub\\..\\..\\outside.txt"}, 1},
      {"a file past 4 GB", {u"big.bin", u"a.txt"}, 8388609},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CUninstInfo list;
    for (const std::u16string& entry : c.entries) list.Add(entry.c_str(), -1);
    EXPECT_EQ(InstalledKilobytes(folder.u16string().c_str(), list), c.kilobytes);
  }
}

}  // namespace
