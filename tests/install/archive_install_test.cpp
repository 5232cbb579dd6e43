#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "install/archive_install.h"
#include "install/install_outcome.h"
#include "records/uninst_info.h"
#include "support/journal/change_journal.h"
#include "support/zip/xzip.h"
#include "tests/helpers/install_payload.h"
#include "tests/helpers/journal_test_target.h"
#include "tests/helpers/made_link.h"
#include "tests/helpers/temp_folder.h"
#include "tools/setupkit/archive_writer.h"

namespace {

using Ending = InstallOutcome::Ending;

struct Report {
  std::u16string name;  // u"<none>" for a count-only report
  uint64_t total;
  uint64_t done;
};

struct Installed {
  JournalTestTarget machine;
  CChangeJournal journal{machine};  // begun in the folder; the test commits or undoes it
  std::vector<Report> reports;
  InstallOutcome outcome;  // what the install returned
  std::vector<std::u16string> listed;  // what the uninstall list received
  size_t stopAfter = 0;  // reports before the run is asked to stop; 0: never
  std::atomic<bool> stop{false};
};

void Record(uint64_t total, uint64_t done, const char16_t* name, void* context) {
  auto* installed = static_cast<Installed*>(context);
  installed->reports.push_back({name != nullptr ? name : u"<none>", total, done});
  if (installed->reports.size() == installed->stopAfter) installed->stop = true;
}

// The install folder name (ending with "/") below temp, with "\\" separators as the installer
// builds paths.
std::u16string FolderIn(const TempFolder& temp, const std::u16string& name) {
  return WindowsStylePath(temp.File(name));
}

// Installs through a journal begun in folder (which it makes), left open for the test.
void Install(const std::string& payloadBytes, const char16_t* nestedName,
             const std::u16string& folder, Installed& installed) {
  XZip payload;
  EXPECT_TRUE(payload.OpenMemory(payloadBytes.data(), static_cast<uint32_t>(payloadBytes.size()),
                                 XZip::GetArchivePassword()));
  CUninstInfo list;
  ASSERT_TRUE(installed.journal.Begin(folder, u"install.journal"));
  InstallRun run;
  run.progress = &Record;
  run.context = &installed;
  run.installed = &list;
  run.stop = &installed.stop;
  run.journal = &installed.journal;
  installed.outcome = InstallFromArchive(payload, nestedName, folder.c_str(), run);
  for (int i = 0; i < list.Count(); ++i) installed.listed.push_back(list.Get(i));
}

// The client archive packed inside the payload as today's packaging makes it, or stored there as
// it is (read where it lies): the same files, the same reports.
std::string PayloadAround(const std::string& clientArchive, bool stored) {
  const ZipEntrySpec nested{"app.zip", clientArchive, false, true, !stored, !stored};
  return BuildZip({{"theme.txt", "x"}, nested}, XZip::GetArchivePassword());
}

std::string PayloadOf(const std::vector<ZipEntrySpec>& entries, bool stored) {
  return PayloadAround(BuildZip(entries, XZip::GetArchivePassword()), stored);
}

TEST(ArchiveInstall, WritesEveryEntryAndReportsEachInOrder) {
  const std::string big(3 * 1024 * 1024 + 7, 'x');
  std::vector<ZipEntrySpec> entries = {
      {"bin/", "", true},
      {"bin/client.exe", "MZ client"},
      {"data/deep/nested/big.dat", big},
      {"Empty.txt", ""},
      {"only/folder/", "", true},
  };
  std::vector<std::u16string> names = {u"bin\\", u"bin\\client.exe",
                                       u"data\\deep\\nested\\big.dat", u"Empty.txt",
                                       u"only\\folder\\"};
  // Enough files, of sizes around the pipeline's pieces, that the workers run ahead of the
  // writer and take turns.
  for (int i = 0; i < 120; ++i) {
    const std::string name = "many/" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".bin";
    const size_t size = (i * 37 % 5) * 100000 + i;
    entries.push_back({name, std::string(size, static_cast<char>('a' + i % 26))});
    std::u16string listed(name.begin(), name.end());
    for (char16_t& unit : listed) unit = unit == u'/' ? u'\\' : unit;
    names.push_back(listed);
  }
  for (const bool stored : {false, true}) {
    SCOPED_TRACE(stored ? "stored" : "packed");
    TempFolder temp;
    const std::u16string folder = FolderIn(temp, u"Company/App/");
    Installed installed;
    Install(PayloadOf(entries, stored), u"APP.ZIP", folder, installed);

    ASSERT_EQ(installed.outcome.ending, Ending::kInstalled);
    // Beyond the journal's start (its header and the two folders it made), one write records
    // the 14 folders the entries need and one the 123 new files.
    EXPECT_EQ(installed.machine.JournalWrites(), 3 + 2);
    ASSERT_TRUE(installed.journal.Commit());
    for (const ZipEntrySpec& entry : entries) {
      SCOPED_TRACE(entry.name);
      const std::filesystem::path at = temp.Path() / "Company/App" / entry.name;
      if (entry.folder) {
        EXPECT_TRUE(std::filesystem::is_directory(at));
      } else {
        EXPECT_EQ(ReadBytes(at), entry.content);
      }
    }
    EXPECT_EQ(installed.listed, names);
    ASSERT_EQ(installed.reports.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(installed.reports[i].name, names[i]);
      EXPECT_EQ(installed.reports[i].total, names.size());
      EXPECT_EQ(installed.reports[i].done, i + 1);
    }
    // Nothing is left beside the files: every staging name took its place.
    for (const auto& found : std::filesystem::recursive_directory_iterator(temp.Path())) {
      EXPECT_EQ(found.path().string().find('~'), std::string::npos) << found.path();
    }
  }
}

// A name that comes twice, in the same case or another, is put in place twice: the later entry
// replaces the earlier one whole, and undoing the run leaves nothing of either. Names in another
// case are one name only on a case-blind file system: Windows' (here, under Wine).
TEST(ArchiveInstall, ALaterEntryOfTheSameNameReplacesTheEarlierOne) {
  struct Case {
    const char* label;
    const char* second;
  };
  const Case cases[] = {
      {"the same name", "dup/same.txt"},
#ifdef _WIN32
      {"in another case", "DUP/Same.TXT"},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempFolder temp;
    Installed installed;
    Install(BuildPayload({{"dup/same.txt", "first"}, {"other.txt", "o"}, {c.second, "second"}}),
            u"app.zip", FolderIn(temp, u"target/"), installed);
    ASSERT_EQ(installed.outcome.ending, Ending::kInstalled);
    EXPECT_EQ(installed.listed.size(), 3u);
    EXPECT_EQ(ReadBytes(temp.Path() / "target/dup/same.txt"), "second");
    EXPECT_TRUE(installed.journal.Rollback().Whole());
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "target"));
  }
}

// Entry names are data: none of them may place anything outside the install folder, and an entry
// that fails its CRC check is never written. The first such entry ends the run, the entries
// before it put in place and listed, and undoing the run leaves nothing. A link in a folder an
// earlier install left (the machine's answer, through the journal's target) is outside too.
TEST(ArchiveInstall, RefusesEntriesThatWouldLandOutsideTheFolderAndEndsThere) {
  struct Case {
    const char* name;
    ZipEntrySpec entry;
    bool damage;
    const char16_t* failed;
    // A link of that name in the install folder, there before the run, to "outside" below the
    // test's folder; null: none, and no folder before the run.
    const char* link = nullptr;
    const char* linkTo = nullptr;
  };
  const Case cases[] = {
      {"climbing out", {"../escaped.txt", "out"}, false, u"..\\escaped.txt"},
      {"climbing out from below", {"sub/../../escaped2.txt", "out"}, false,
       u"sub\\..\\..\\escaped2.txt"},
      {"a drive", {"C:/escaped3.txt", "out"}, false, u"C:\\escaped3.txt"},
      {"rooted", {"/rooted.txt", "out"}, false, u"\\rooted.txt"},
      {"a stream", {"stream.txt:hidden", "out"}, false, u"stream.txt:hidden"},
      {"the installer's list", {"UNINST.dat", "out"}, false, u"UNINST.dat"},
      {"a name the installer moves files aside under", {"sub/a.txt.old~", "out"}, false,
       u"sub\\a.txt.old~"},
      {"a damaged entry", {"damaged.txt", std::string(100, 'd'), false, true, true, false}, true,
       u"damaged.txt"},
      {"through a folder link", {"linked/planted.txt", "out"}, false, u"linked\\planted.txt",
       "linked", "outside"},
#ifndef _WIN32
      // Wine shows a link to a file as the file itself.
      {"onto a file link", {"victim.txt", "out"}, false, u"victim.txt", "victim.txt",
       "outside/victim.txt"},
#endif
  };
  for (const bool stored : {false, true}) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (stored ? ", stored" : ", packed"));
    TempFolder temp;
    const std::filesystem::path inside = temp.Path() / "inside";
    const std::filesystem::path outside = temp.Path() / "outside";
    std::unique_ptr<MadeLink> link;
    if (c.link != nullptr) {
      std::filesystem::create_directories(inside);
      std::filesystem::create_directories(outside);
      WriteBytes(outside / "victim.txt", "victim");
      link = std::make_unique<MadeLink>(inside / c.link, temp.Path() / c.linkTo);
      ASSERT_TRUE(link->Made());
    }
    std::string nested = BuildZip({{"before.txt", "in"}, c.entry, {"after.txt", "in"}},
                                  XZip::GetArchivePassword());
    if (c.damage) nested[EntryDataOffset(nested, 1) + 40] ^= 0x5A;
    const std::string payload = PayloadAround(nested, stored);
    Installed installed;
    Install(payload, u"app.zip", FolderIn(temp, u"inside/"), installed);

    ASSERT_EQ(installed.outcome.ending, Ending::kFailed);
    EXPECT_EQ(installed.outcome.firstFailed.Units(), std::u16string(c.failed));
    EXPECT_EQ(installed.listed, std::vector<std::u16string>{u"before.txt"});
    EXPECT_EQ(ReadBytes(inside / "before.txt"), "in");
    EXPECT_FALSE(std::filesystem::exists(inside / "after.txt"));
    EXPECT_FALSE(std::filesystem::exists(inside / "damaged.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "escaped.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp.Path().parent_path() / "escaped2.txt"));
    EXPECT_FALSE(std::filesystem::exists("C:/escaped3.txt"));
    EXPECT_FALSE(std::filesystem::exists("C:/rooted.txt"));
    EXPECT_FALSE(std::filesystem::exists(outside / "planted.txt"));
    if (c.link != nullptr) {
      EXPECT_EQ(ReadBytes(outside / "victim.txt"), "victim");
    }
    ASSERT_EQ(installed.reports.size(), 2u);
    EXPECT_EQ(installed.reports[1].name, c.damage ? u"damaged.txt" : u"<none>");
    EXPECT_TRUE(installed.journal.Rollback().Whole());
    if (c.link == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(inside));
    } else {
      // The earlier folder as it was: the link alone.
      const auto left = std::distance(std::filesystem::directory_iterator(inside),
                                      std::filesystem::directory_iterator());
      EXPECT_EQ(left, 1);
    }
  }
  }
}

// A file setupkit deflated in pieces is installed through its piece index, its pieces inflated
// on every worker at once, and takes its place whole: a damaged encryption header, which read as
// one stream would fail it, is not even read. A piece whose data is damaged fails the file as a
// failed CRC does, the run ends there and undoing it leaves nothing.
TEST(ArchiveInstall, AFileInPiecesInstallsThroughItsIndexAndADamagedPieceEndsTheRun) {
  constexpr size_t kPiece = 64 << 10;
  std::string big;
  for (int line = 0; big.size() < 6 * kPiece + 99; ++line) big += std::to_string(line) + " big\n";
  TempFolder source;
  std::filesystem::create_directories(source.Path() / "in");
  WriteBytes(source.Path() / "in" / "a.txt", "first");
  WriteBytes(source.Path() / "in" / "big.txt", big);
  WriteBytes(source.Path() / "in" / "z.txt", "last");
  std::vector<ArchiveEntry> entries;
  std::string problem;
  ASSERT_TRUE(ListFolderEntries((source.Path() / "in").u16string(), entries, problem));
  ASSERT_TRUE(BuildArchive(entries, "client", source.File(u"client.zip"), problem,
                           {kPiece, 2, {}}))
      << problem;
  const std::string client = ReadBytes(source.Path() / "client.zip");

  struct Case {
    const char* name;
    int damagedPiece;  // -1: none; -2: the encryption header
    bool installed;
  };
  const Case cases[] = {{"whole", -1, true},
                        {"the encryption header damaged", -2, true},
                        {"the first piece damaged", 0, false},
                        {"a later one", 4, false}};
  for (const bool stored : {false, true}) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (stored ? ", stored" : ", packed"));
    std::string nested = client;
    XZip reader;
    ASSERT_TRUE(reader.OpenMemory(client.data(), static_cast<uint32_t>(client.size()),
                                  XZip::GetArchivePassword()));
    IndexedEntry pieced;
    ASSERT_TRUE(reader.FindPieces(1, &pieced));
    if (c.damagedPiece >= 0) {
      nested[pieced.dataOffset + pieced.index.pieces[c.damagedPiece].stored + 3] ^= 0x5A;
    } else if (c.damagedPiece == -2) {
      nested[pieced.dataOffset - 10] ^= 0x5A;
    }
    TempFolder temp;
    Installed installed;
    Install(PayloadAround(nested, stored), u"app.zip", FolderIn(temp, u"target/"), installed);
    const std::filesystem::path target = temp.Path() / "target";
    if (c.installed) {
      ASSERT_EQ(installed.outcome.ending, Ending::kInstalled);
      EXPECT_TRUE(ReadBytes(target / "big.txt") == big);
      EXPECT_EQ(ReadBytes(target / "z.txt"), "last");
      EXPECT_EQ(installed.listed, (std::vector<std::u16string>{u"a.txt", u"big.txt", u"z.txt"}));
      ASSERT_TRUE(installed.journal.Commit());
      for (const auto& found : std::filesystem::recursive_directory_iterator(target)) {
        EXPECT_EQ(found.path().string().find('~'), std::string::npos) << found.path();
      }
      continue;
    }
    ASSERT_EQ(installed.outcome.ending, Ending::kFailed);
    EXPECT_EQ(installed.outcome.firstFailed.Units(), std::u16string(u"big.txt"));
    EXPECT_EQ(installed.listed, std::vector<std::u16string>{u"a.txt"});
    EXPECT_FALSE(std::filesystem::exists(target / "big.txt"));
    EXPECT_FALSE(std::filesystem::exists(target / "z.txt"));
    EXPECT_TRUE(installed.journal.Rollback().Whole());
    EXPECT_FALSE(std::filesystem::exists(target));
  }
  }
}

TEST(ArchiveInstall, FailsBeforeAnyProgressWithoutAReadableNestedArchive) {
  struct Case {
    const char* label;
    std::string payload;
    const char16_t* nestedName;
  };
  ZipEntrySpec notAnArchive{"app.zip", "this is no zip archive"};
  const Case cases[] = {
      {"nested archive missing", BuildPayload({{"a.txt", "a"}}, "other.zip"), u"app.zip"},
      {"nested bytes not an archive", BuildZip({notAnArchive}, XZip::GetArchivePassword()),
       u"app.zip"},
      {"empty name", BuildPayload({{"a.txt", "a"}}), u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempFolder temp;
    Installed installed;
    Install(c.payload, c.nestedName, FolderIn(temp, u"target/"), installed);
    EXPECT_EQ(installed.outcome.ending, Ending::kNotStarted);
    EXPECT_TRUE(installed.reports.empty());
    EXPECT_TRUE(installed.journal.Rollback().Whole());
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "target"));
  }
}

// A new file is closed behind the install while the next is written: one whose close fails still
// ends the run, named with the system's reason, however far the writing went on, and undoing the
// run leaves nothing.
TEST(ArchiveInstall, AFileClosedBehindTheRunThatFailsEndsIt) {
  std::vector<ZipEntrySpec> entries;
  for (int i = 0; i < 100; ++i) {
    entries.push_back({"f" + std::to_string(i) + ".txt", std::string(100 + i, 'h')});
  }
  for (const int failing : {0, 40, 99}) {
    SCOPED_TRACE(failing);
    TempFolder temp;
    const std::u16string folder = FolderIn(temp, u"target/");
    const std::u16string name(entries[failing].name.begin(), entries[failing].name.end());
    Installed installed;
    installed.machine.FailClosing(folder + name);
    Install(BuildPayload(entries), u"app.zip", folder, installed);
    ASSERT_EQ(installed.outcome.ending, Ending::kFailed);
    EXPECT_EQ(installed.outcome.firstFailed.Units(), name);
    EXPECT_EQ(installed.outcome.reason.Units(),
              std::u16string(u"the last writes did not reach the disk"));
    EXPECT_TRUE(installed.journal.Rollback().Whole());
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "target"));
  }
}

// A stop asked for while the archive installs ends the run before its next entry, however far the
// workers have read ahead: what was written is whole, nothing more is begun, and undoing the run
// removes it.
TEST(ArchiveInstall, AStopEndsTheRunBeforeTheNextEntry) {
  struct Case {
    int files;
    size_t stopAfter;
  };
  const Case cases[] = {{3, 2}, {200, 37}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.files);
    std::vector<ZipEntrySpec> entries;
    for (int i = 0; i < c.files; ++i) {
      entries.push_back({"f" + std::to_string(i) + ".txt", std::string(1000 + i, 'z')});
    }
    TempFolder temp;
    Installed installed;
    installed.stopAfter = c.stopAfter;
    Install(BuildPayload(entries), u"app.zip", FolderIn(temp, u"target/"), installed);
    EXPECT_EQ(installed.outcome.ending, Ending::kStopped);
    EXPECT_EQ(installed.listed.size(), c.stopAfter);
    EXPECT_EQ(installed.reports.size(), c.stopAfter);
    EXPECT_EQ(ReadBytes(temp.Path() / "target" / entries[c.stopAfter - 1].name),
              entries[c.stopAfter - 1].content);
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "target" / entries[c.stopAfter].name));
    EXPECT_TRUE(installed.journal.Rollback().Whole());
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "target"));
  }
}

}  // namespace
