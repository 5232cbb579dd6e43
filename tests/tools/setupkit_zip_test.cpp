#include <minizip/unzip.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/files/xdata.h"
#include "support/zip/xzip.h"
#include "support/zip/zip_io.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/zip_builder.h"
#include "tools/setupkit/setupkit.h"

namespace {

namespace fs = std::filesystem;

// What the central directory says of an entry.
struct StoredEntry {
  std::string name;
  unsigned long flags;
  unsigned long attributes;
  unsigned long dosDate;
};

std::vector<StoredEntry> ReadDirectory(const std::u16string& path) {
  std::vector<StoredEntry> entries;
  zlib_filefunc64_def io = FileZipIo();
  unzFile zip = unzOpen2_64(path.c_str(), &io);
  if (zip == nullptr) return entries;
  for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
    unz_file_info64 info;
    char name[1024];
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
      break;
    }
    entries.push_back({name, info.flag, info.external_fa, info.dosDate});
  }
  unzClose(zip);
  return entries;
}

void MakeClientFolder(const fs::path& root) {
  fs::create_directories(root / u"skin");
  fs::create_directories(root / u"\u6570\u636E" / u"\u7A7A");  // 数据/空: an empty folder
  fs::create_directories(root / u"Bin");
  WriteBytes(root / u"client.exe", std::string(20000, 'M') + "the client");
  WriteBytes(root / u"skin" / u"back.png",
             std::string("\x89PNG\r\n\x1a\n", 8) + std::string(3000, '\x07'));
  WriteBytes(root / u"\u6570\u636E" / u"\u8BF4\u660E.txt", "\xE8\xAF\xB4\xE6\x98\x8E");
  WriteBytes(root / u"Bin" / u"empty.dll", "");
  WriteBytes(root / u"a.txt", "first by name");
}

TEST(SetupkitZip, WritesAnEncryptedArchiveThatReadsBack) {
  TempFolder folder;
  fs::path client = folder.Path() / "client";
  MakeClientFolder(client);
  ToolRun run = RunSetupkitCaptured({u"zip", client.u16string(), folder.File(u"app.zip")});
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.out + run.err, "");

  // Byte order of the UTF-8 names; folders as "name/" before what they hold.
  const std::vector<std::string> expectedNames = {
      "Bin/",
      "Bin/empty.dll",
      "a.txt",
      "client.exe",
      "skin/",
      "skin/back.png",
      "\xE6\x95\xB0\xE6\x8D\xAE/",
      "\xE6\x95\xB0\xE6\x8D\xAE/\xE7\xA9\xBA/",
      "\xE6\x95\xB0\xE6\x8D\xAE/\xE8\xAF\xB4\xE6\x98\x8E.txt",
  };
  std::vector<StoredEntry> stored = ReadDirectory(folder.File(u"app.zip"));
  ASSERT_EQ(stored.size(), expectedNames.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    SCOPED_TRACE(expectedNames[i]);
    EXPECT_EQ(stored[i].name, expectedNames[i]);
    EXPECT_EQ(stored[i].flags & 0x0801, 0x0801u);  // encrypted, UTF-8 name
    bool folderEntry = expectedNames[i].back() == '/';
    EXPECT_EQ(stored[i].attributes, folderEntry ? 0x10u : 0u);
    EXPECT_EQ(stored[i].dosDate, stored[0].dosDate);
  }

  XZip zip;
  ASSERT_TRUE(zip.OpenFile(folder.File(u"app.zip").c_str(), XZip::GetArchivePassword()));
  ASSERT_EQ(zip.GetCount(), static_cast<int>(expectedNames.size()));
  for (int i = 0; i < zip.GetCount(); ++i) {
    char16_t name[XZip::kNameCapacity];
    ASSERT_TRUE(zip.GetName(i, name));
    std::u16string relative(name);
    SCOPED_TRACE(expectedNames[i]);
    EXPECT_EQ(zip.IsFolder(i), relative.back() == u'/');
    XData data;
    ASSERT_TRUE(zip.ReadItem(i, &data));
    std::string content(reinterpret_cast<const char*>(data.Data()), data.Length());
    if (!zip.IsFolder(i)) {
      EXPECT_EQ(content, ReadBytes(client / fs::path(relative)));
    }
  }

  // Without the password nothing with content reads.
  XZip locked;
  ASSERT_TRUE(locked.OpenFile(folder.File(u"app.zip").c_str(), "not-the-password"));
  XData data;
  EXPECT_FALSE(locked.ReadByName(u"client.exe", &data));
  EXPECT_FALSE(locked.ReadByName(u"skin/back.png", &data));

  // The same folder makes the same archive again, byte for byte, encryption headers included;
  // the headers still differ from entry to entry.
  ASSERT_EQ(RunSetupkit({u"zip", client.u16string(), folder.File(u"again.zip")}), 0);
  const std::string archive = ReadBytes(folder.Path() / "app.zip");
  EXPECT_EQ(ReadBytes(folder.Path() / "again.zip"), archive);
  std::vector<std::string> headers;
  for (int i = 0; i < static_cast<int>(stored.size()); ++i) {
    headers.push_back(archive.substr(EntryDataOffset(archive, i), 10));
  }
  std::sort(headers.begin(), headers.end());
  EXPECT_EQ(std::unique(headers.begin(), headers.end()), headers.end());
}

TEST(SetupkitZip, RefusesWhatItCannotPackWithoutLeavingOutput) {
  TempFolder folder;
  fs::create_directories(folder.Path() / "empty");
  WriteBytes(folder.Path() / "file.txt", "x");
  struct Case {
    std::u16string source;
    std::u16string out;
    int status;
  };
  const Case cases[] = {
      {folder.File(u"missing"), folder.File(u"a.zip"), 1},
      {folder.File(u"file.txt"), folder.File(u"b.zip"), 1},
      {folder.Path().u16string(), folder.File(u"no-such-folder/c.zip"), 1},
      {folder.File(u"empty"), folder.File(u"d.zip"), 1},  // nothing to pack
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.out.begin(), c.out.end()));
    ToolRun run = RunSetupkitCaptured({u"zip", c.source, c.out});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err.rfind("setupkit: ", 0), 0u);  // one line saying why
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_FALSE(fs::exists(fs::path(c.out)));
  }
  EXPECT_EQ(RunSetupkitCaptured({u"zip", folder.File(u"empty")}).status, 2);
}

}  // namespace
