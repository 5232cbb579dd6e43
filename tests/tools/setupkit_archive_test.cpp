#include "tools/setupkit/archive_writer.h"

#include <gtest/gtest.h>
#include <minizip/unzip.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/zip/xzip.h"
#include "support/zip/zip_io.h"
#include "tests/helpers/collecting_sink.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kPiece = 64 << 10;
constexpr uint16_t kZip64Version = 45;

// Bytes deflate cannot shrink, so that the entries' offsets follow their sizes.
std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(n, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// The version each entry needs, from the central directory, as minizip reads it.
std::vector<unsigned long> VersionsNeeded(const std::u16string& path) {
  std::vector<unsigned long> versions;
  zlib_filefunc64_def io = FileZipIo();
  unzFile zip = unzOpen2_64(path.c_str(), &io);
  for (int status = zip != nullptr ? unzGoToFirstFile(zip) : UNZ_END_OF_LIST_OF_FILE;
       status == UNZ_OK; status = unzGoToNextFile(zip)) {
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    versions.push_back(info.version_needed);
  }
  if (zip != nullptr) unzClose(zip);
  return versions;
}

#ifndef _WIN32
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
#endif

// With its limits lowered, the writer reaches the pieces and every zip64 record with archives of
// a few hundred KB: the installer's reader (and, natively, unzip and Python's zipfile) reads them
// back whole, passing over the piece index that every file of several pieces carries, and the
// bytes are the same whatever the number of workers.
TEST(ArchiveWriter, PiecesAndZip64RecordsReadBack) {
  struct File {
    const char* name;
    size_t size;
    bool zip64;  // the entry needs the zip64 version: its sizes or its offset past the limit
  };
  struct Case {
    const char* name;
    std::vector<File> files;
    ZipLimits limits;
    bool zip64End;
  };
  const Case cases[] = {
      {"classic, a file in pieces",
       {{"a.txt", 1000, false}, {"b.bin", 5 * kPiece + 17, false}},
       {},
       false},
      {"an entry's sizes past the limit",
       {{"a.txt", 1000, false}, {"big.bin", 300000, true}},
       {200000, 0xFFFF},
       true},
      {"offsets past the limit",
       {{"a.bin", 150000, false}, {"b.bin", 150000, false}, {"c.bin", 10, true}},
       {200000, 0xFFFF},
       true},
      {"more entries than the count holds",
       {{"a", 100, false}, {"b", 100, false}, {"c", 100, false}, {"d", 0, false}},
       {0xFFFFFFFF, 3},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    fs::create_directories(folder.Path() / "in");
    unsigned seed = 1;
    for (const File& file : c.files)
      WriteBytes(folder.Path() / "in" / file.name, RandomBytes(file.size, seed++));
    std::vector<ArchiveEntry> entries;
    std::string problem;
    ASSERT_TRUE(ListFolderEntries((folder.Path() / "in").u16string(), entries, problem)) << problem;
    std::string archives[2];
    for (int workers : {1, 3}) {
      const std::u16string out = folder.File(u"out" + std::u16string(1, u'0' + workers) + u".zip");
      ASSERT_TRUE(BuildArchive(entries, "test", out, problem, {kPiece, workers, c.limits}))
          << problem;
      archives[workers == 1 ? 0 : 1] = ReadBytes(fs::path(out));
    }
    EXPECT_TRUE(archives[0] == archives[1]);
    const std::string& archive = archives[0];

    // The zip64 locator lies right before the end record, which has no comment here.
    const size_t locator = archive.size() - 22 - 20;
    EXPECT_EQ(archive.compare(locator, 4, "PK\x06\x07") == 0, c.zip64End);
    const std::u16string out = folder.File(u"out1.zip");
    const std::vector<unsigned long> versions = VersionsNeeded(out);
    XZip zip;
    ASSERT_TRUE(zip.OpenFile(out.c_str(), XZip::GetArchivePassword()));
    ASSERT_EQ(zip.GetCount(), static_cast<int>(c.files.size()));
    ASSERT_EQ(versions.size(), c.files.size());
    for (size_t i = 0; i < c.files.size(); ++i) {
      SCOPED_TRACE(c.files[i].name);
      EXPECT_EQ(versions[i] == kZip64Version, c.files[i].zip64);
      uint64_t size = 0;
      ASSERT_TRUE(zip.GetSize(static_cast<int>(i), &size));
      EXPECT_EQ(size, c.files[i].size);
      IndexedEntry pieced;
      EXPECT_EQ(zip.FindPieces(static_cast<int>(i), &pieced), c.files[i].size > kPiece);
      CollectingSink sink(XZip::kPieceSize);
      ASSERT_TRUE(zip.ReadItemTo(static_cast<int>(i), sink));
      EXPECT_TRUE(sink.Content() == RandomBytes(c.files[i].size, static_cast<unsigned>(i + 1)));
    }
#ifndef _WIN32
    const std::string path = ShellQuoted(fs::path(out).string());
    const std::string password = ShellQuoted(XZip::GetArchivePassword());
    EXPECT_EQ(std::system(("unzip -qq -t -P " + password + " " + path + " >/dev/null").c_str()), 0);
    EXPECT_EQ(
        std::system(
            ("python3 -c 'import sys, zipfile\n"
             "archive = zipfile.ZipFile(sys.argv[1])\n"
             "for info in archive.infolist(): archive.read(info, pwd=sys.argv[2].encode())' " +
             path + " " + password)
                .c_str()),
        0);
#endif
  }
}

// A file that changed between its listing and its packing, or went, is refused, and no archive
// is left: its entry would not hold what its header says.
TEST(ArchiveWriter, RefusesAFileThatChangedSinceItWasListed) {
  struct Case {
    const char* name;
    std::string now;  // what the file holds when it is packed
    bool gone;
    std::string problem;
  };
  const std::string listed = RandomBytes(3 * kPiece, 7);
  const Case cases[] = {
      {"shorter", listed.substr(1), false, "the entry x.bin of test changed while it was packed"},
      {"longer", listed + "x", false, "the entry x.bin of test changed while it was packed"},
      {"gone", "", true, "the entry x.bin of test cannot be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    fs::create_directories(folder.Path() / "in");
    WriteBytes(folder.Path() / "in" / "x.bin", listed);
    std::vector<ArchiveEntry> entries;
    std::string problem;
    ASSERT_TRUE(ListFolderEntries((folder.Path() / "in").u16string(), entries, problem));
    WriteBytes(folder.Path() / "in" / "x.bin", c.now);
    if (c.gone) fs::remove(folder.Path() / "in" / "x.bin");
    EXPECT_FALSE(BuildArchive(entries, "test", folder.File(u"out.zip"), problem, {kPiece, 2, {}}));
    EXPECT_EQ(problem, c.problem);
    EXPECT_FALSE(fs::exists(folder.Path() / "out.zip"));
  }
}

}  // namespace
