#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/crypto/sha256.h"
#include "support/files/xdata.h"
#include "support/zip/part_digest_check.h"
#include "support/zip/part_manifest.h"
#include "support/zip/xzip.h"
#include "support/zip/zip_parts_io.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

const std::vector<ZipEntrySpec>& Entries() {
  static const std::vector<ZipEntrySpec> entries = {
      {"client.exe", Noise(3000, 1)},
      {"lib/", "", true},
      {"lib/core.dat", Noise(9000, 2)},
      {"stored.bin", Noise(700, 3), false, true, true, false},
      {"readme.txt", "a few bytes"},
  };
  return entries;
}

std::u16string Sha256Of(const std::string& bytes) {
  char16_t hex[kSha256HexDigits + 1];
  EXPECT_TRUE(Sha256HexOfMemory(hex, bytes.data(), bytes.size()));
  return hex;
}

// archive written into folder as files of partSize bytes ("part-1.bin", ...), with their records.
SplitArchive WriteParts(const TempFolder& folder, const std::string& archive, size_t partSize) {
  SplitArchive split;
  for (size_t at = 0, number = 1; at < archive.size(); at += partSize, ++number) {
    const std::string bytes = archive.substr(at, partSize);
    const std::u16string name = u"part-" + fs::path(std::to_string(number)).u16string() + u".bin";
    WriteBytes(folder.Path() / fs::path(name), bytes);
    split.records.push_back({name, bytes.size(), Sha256Of(bytes)});
  }
  split.files = PartFilesIn(folder.Path().u16string() + u"/", split.records);
  return split;
}

enum class Damage { kNone, kCutShort, kOneByteChanged, kMissing };

void DamagePart(const ZipPart& part, Damage damage) {
  const fs::path path(part.path);
  std::string bytes = ReadBytes(path);
  switch (damage) {
    case Damage::kNone:
      break;
    case Damage::kCutShort:
      WriteBytes(path, bytes.substr(0, bytes.size() - 1));
      break;
    case Damage::kOneByteChanged:
      bytes[bytes.size() / 2] ^= 0x01;
      WriteBytes(path, bytes);
      break;
    case Damage::kMissing:
      fs::remove(path);
      break;
  }
}

TEST(ZipParts, ReadsAnArchiveAcrossItsPartsAndNothingPastAPartCutShort) {
  const std::string archive = BuildZip(Entries(), XZip::GetArchivePassword());
  ASSERT_GT(archive.size(), 13000u);
  struct Case {
    const char* name;
    size_t partSize;
    Damage damage;
    int damagedPart;
    bool entriesRead;  // every entry reads as built
  };
  const Case cases[] = {
      {"one part", archive.size(), Damage::kNone, 0, true},
      {"parts of 4,096 bytes", 4096, Damage::kNone, 0, true},
      {"parts of 7 bytes: every read crosses one", 7, Damage::kNone, 0, true},
      {"a part in the middle cut short", 4096, Damage::kCutShort, 1, false},
      {"a part in the middle missing", 4096, Damage::kMissing, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const SplitArchive split = WriteParts(folder, archive, c.partSize);
    DamagePart(split.files[c.damagedPart], c.damage);
    EXPECT_EQ(PartsSize(split.files), archive.size());

    XZip zip;
    ASSERT_TRUE(zip.OpenParts(split.files, XZip::GetArchivePassword()));
    bool allRead = zip.GetCount() == static_cast<int>(Entries().size());
    for (int i = 0; allRead && i < zip.GetCount(); ++i) {
      XData data;
      allRead = zip.IsFolder(i) || (zip.ReadItem(i, &data) &&
                                    std::string(reinterpret_cast<const char*>(data.Data()),
                                                data.Length()) == Entries()[i].content);
    }
    EXPECT_EQ(allRead, c.entriesRead);

    // The piece readers' view: any range, across the parts, and not one byte past the end.
    std::unique_ptr<ArchiveBytes> bytes = zip.OpenBytes();
    ASSERT_NE(bytes, nullptr);
    std::string whole(archive.size(), '\0');
    EXPECT_EQ(bytes->Read(0, reinterpret_cast<uint8_t*>(&whole[0]), whole.size()),
              c.damage == Damage::kNone);
    if (c.damage == Damage::kNone) {
      EXPECT_EQ(whole, archive);
    }
    std::string across(c.partSize + 2, '\0');
    const uint64_t before = c.partSize > 1 ? c.partSize - 1 : 0;
    if (c.damage == Damage::kNone && before + across.size() <= archive.size()) {
      EXPECT_TRUE(bytes->Read(before, reinterpret_cast<uint8_t*>(&across[0]), across.size()));
      EXPECT_EQ(across, archive.substr(before, across.size()));
    }
    uint8_t tail[8];
    EXPECT_FALSE(bytes->Read(archive.size() - 4, tail, sizeof tail));
  }
}

TEST(ZipParts, TheDigestCheckNamesThePartThatIsNotAsPacked) {
  const std::string archive = Noise(40000, 7);
  struct Case {
    const char* name;
    Damage damage;
    int damagedPart;
    int firstMismatch;
  };
  const Case cases[] = {
      {"every part as packed", Damage::kNone, 0, -1},
      {"one byte changed in the second", Damage::kOneByteChanged, 1, 1},
      {"the last cut short", Damage::kCutShort, 4, 4},
      {"the third missing", Damage::kMissing, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const SplitArchive split = WriteParts(folder, archive, 8192);
    ASSERT_EQ(split.files.size(), 5u);
    DamagePart(split.files[c.damagedPart], c.damage);
    PartDigestCheck check(split, nullptr);
    EXPECT_EQ(check.FirstMismatch(), c.firstMismatch);
  }
}

TEST(ZipParts, TheManifestReadsBackWhatWasWrittenAndNothingElse) {
  const std::u16string digest(64, u'A');
  const std::vector<PartRecord> records = {{u"setup-1.bin", 65536, digest},
                                           {u"\u5b89\u88c5 2.bin", 12, std::u16string(64, u'0')}};
  const std::string manifest = FormatPartManifest(records);
  const std::string line = "65536 " + std::string(64, 'A') + " setup-1.bin\r\n";
  EXPECT_EQ(manifest.substr(0, line.size()), line);
  struct Case {
    const char* name;
    std::string text;
    bool read;
  };
  const Case cases[] = {
      {"as written", manifest, true},
      {"empty", "", false},
      {"without its line end", line.substr(0, line.size() - 2), false},
      {"a name with a folder", "1 " + std::string(64, 'A') + " ..\\setup-1.bin\r\n", false},
      {"a name that is a folder", "1 " + std::string(64, 'A') + " ..\r\n", false},
      {"a size of 0", "0 " + std::string(64, 'A') + " a.bin\r\n", false},
      {"a digest in lower case", "1 " + std::string(64, 'a') + " a.bin\r\n", false},
      {"a short digest", "1 " + std::string(63, 'A') + " a.bin\r\n", false},
      {"a size past 64 bits", "18446744073709551616 " + std::string(64, 'A') + " a.bin\r\n",
       false},
      {"one name twice", line + line, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<PartRecord> read;
    EXPECT_EQ(ParsePartManifest(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size(),
                                &read),
              c.read);
    if (!c.read) {
      EXPECT_TRUE(read.empty());
      continue;
    }
    ASSERT_EQ(read.size(), records.size());
    for (size_t i = 0; i < read.size(); ++i) {
      EXPECT_EQ(read[i].name, records[i].name);
      EXPECT_EQ(read[i].size, records[i].size);
      EXPECT_EQ(read[i].sha256, records[i].sha256);
    }
  }
}

}  // namespace
