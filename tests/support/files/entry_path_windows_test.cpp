// Extraction of hostile archives through the entry-path gate, with real writes: nothing may land
// outside the folder being extracted into.
#include "support/files/entry_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/files/file_stream.h"
#include "support/files/folder_tree.h"
#include "support/files/xdata.h"
#include "support/text/path_text.h"
#include "support/zip/xzip.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

// The install engine's extraction, reduced to its file-system steps.
void Extract(XZip& zip, const std::u16string& folder) {
  for (int i = 0; i < zip.GetCount(); ++i) {
    char16_t name[XZip::kNameCapacity];
    char16_t path[kPathCapacity];
    if (!zip.GetName(i, name) || !JoinEntryPath(folder.c_str(), name, path)) continue;
    if (zip.IsFolder(i)) {
      CreateDirectories(path, u'\\');
      continue;
    }
    XData data;
    if (!zip.ReadItem(i, &data)) continue;
    fs::path parent = fs::path(path).parent_path();
    CreateDirectories(parent.u16string().c_str(), u'\\');
    WriteWholeFile(path, data.Length() ? data.Data() : reinterpret_cast<const uint8_t*>(""),
                   data.Length());
  }
}

std::set<std::u16string> Tree(const fs::path& root) {
  std::set<std::u16string> found;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    found.insert(entry.path().lexically_relative(root).generic_u16string());
  }
  return found;
}

TEST(EntryPathExtraction, HostileArchivesWriteOnlyInsideTheFolder) {
  const char* hostile[] = {
      "../escaped1.txt",
      "..\\escaped2.txt",
      "sub/../../escaped3.txt",
      "sub\\..\\..\\escaped4.txt",
      "/escaped5.txt",
      "\\escaped6.txt",
      "C:/escaped7.txt",
      "C:escaped8.txt",
      "good.txt:stream",
      "CON",
      "nul.txt",
      "sub/..",
      "..",
      "./dot.txt",
      "//server/share/x.txt",
  };
  std::vector<ZipEntrySpec> entries;
  for (const char* name : hostile) entries.push_back({name, std::string("hostile ") + name});
  entries.push_back({"sub/", "", true});
  entries.push_back({"sub/good.txt", "good"});
  entries.push_back(
      {"\xE5\xAE\xA2\xE6\x88\xB7\xE7\xAB\xAF/\xE8\xAF\xB4\xE6\x98\x8E.txt", "chinese"});
  std::string archive = BuildZip(entries, XZip::GetArchivePassword());

  TempFolder sandbox;
  fs::path install = sandbox.Path() / "outer" / "install";
  fs::create_directories(install);
  XZip zip;
  ASSERT_TRUE(zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()),
                             XZip::GetArchivePassword()));
  Extract(zip, install.u16string() + u"\\");

  const std::set<std::u16string> expected = {
      u"outer",
      u"outer/install",
      u"outer/install/sub",
      u"outer/install/sub/good.txt",
      u"outer/install/\u5BA2\u6237\u7AEF",
      u"outer/install/\u5BA2\u6237\u7AEF/\u8BF4\u660E.txt",
  };
  EXPECT_EQ(Tree(sandbox.Path()), expected);
  EXPECT_EQ(ReadBytes(install / "sub" / "good.txt"), "good");
  for (const char* name : {"escaped5.txt", "escaped6.txt", "escaped7.txt"}) {
    EXPECT_FALSE(fs::exists(fs::path("C:\\") / name)) << name;
  }
}

}  // namespace
