#include "support/journal/change_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "support/files/filesystem_path.h"
#include "support/http/file_download.h"
#include "support/text/utf8.h"
#include "tests/helpers/journal_test_target.h"
#include "tests/helpers/made_link.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr char16_t kJournalName[] = u"install.journal";
const std::u16string kProductKey = u"Software\\Co\\App";
const std::u16string kUninstallKey = u"Software\\Uninstall\\CoApp";

RegistryValue Text(const std::string& text) {
  return RegistryValue{1, std::vector<uint8_t>(text.begin(), text.end())};
}

// Every file below root with its content, by relative name.
std::map<std::string, std::string> FilesBelow(const fs::path& root) {
  std::map<std::string, std::string> files;
  if (!fs::exists(root)) return files;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(item.path(), root).generic_string();
    files[name] = item.is_directory() ? "<folder>" : ReadBytes(item.path());
  }
  return files;
}

struct MachineState {
  std::map<std::string, std::string> files;
  std::vector<std::string> registry;
  bool operator==(const MachineState& other) const {
    return files == other.files && registry == other.registry;
  }
  bool operator!=(const MachineState& other) const { return !(*this == other); }
};

// An upgrade over an installed version: a file replaced, folders and a file added, a file
// removed, a value changed and a key made, then the commit.
class JournalRun {
 public:
  explicit JournalRun(const TempFolder& temp)
      : root_(temp.Path() / "Programs"), folder_(WindowsStylePath(temp.File(u"Programs/App/"))) {}

  void InstallOldVersion(JournalTestTarget& target) {
    fs::create_directories(root_ / "App");
    WriteBytes(root_ / "App" / "a.txt", "old a");
    WriteBytes(root_ / "App" / "b.txt", "old b");
    WriteBytes(root_ / "App" / "user.txt", "the user's");
    WriteBytes(root_ / "App" / "g.txt", "old g");
    target.WriteValue(kProductKey, u"version", Text("1.0"));
  }

  // Runs the upgrade through journal until a step fails; true when it committed.
  bool Upgrade(CChangeJournal& journal) { return Change(journal) && journal.Commit(); }
  // Makes the upgrade's changes through journal until one fails, without committing; true when
  // all are made. The new folders are recorded ahead, and so are the new files, each together
  // (one of them streamed at its own name and closed behind the run, as the archive's are); the
  // installed file is left to its own record. Two downloads, one over an installed file,
  // are noted together and take their places together.
  bool Change(CChangeJournal& journal) {
    if (!journal.Begin(folder_, kJournalName)) return false;
    journal.PlanFolder(folder_ + u"sub\\deeper\\");
    return journal.CreateFolder(folder_ + u"sub\\deeper") &&
           journal.PlanNewFiles({folder_ + u"sub\\c.txt", folder_ + u"a.txt",
                                 folder_ + u"sub\\d.txt"}) &&
           Place(journal, u"a.txt", "new a") && Place(journal, u"sub\\c.txt", "new c") &&
           PlaceAhead(journal, u"sub\\d.txt", "new d") && journal.Settle() &&
           journal.NoteNewFiles({Ready(u"g.txt"), Ready(u"sub\\e.txt")}) &&
           Download(u"g.txt", "new g") && Download(u"sub\\e.txt", "new e") &&
           journal.PlaceReadyFiles({{folder_ + u"g.txt", Ready(u"g.txt")},
                                    {folder_ + u"sub\\e.txt", Ready(u"sub\\e.txt")}}) == 2 &&
           journal.RemovePath(folder_ + u"b.txt") &&
           journal.SetValues({{kProductKey, u"version", Text("2.0")},
                              {kUninstallKey, u"DisplayName", Text("App")},
                              {kUninstallKey, u"Publisher", Text("Co")}});
  }

  MachineState State(const JournalTestTarget& target) const {
    return {FilesBelow(root_), target.RegistryLines()};
  }
  const std::u16string& Folder() const { return folder_; }
  JournalBounds Bounds() const {
    return {{{folder_, u""}}, {{kProductKey, u""}, {kUninstallKey, u""}}};
  }

 private:
  bool Place(CChangeJournal& journal, const std::u16string& name, const std::string& bytes) {
    return journal.PlaceFile(folder_ + name, [&bytes](const std::u16string& staging) {
      WriteBytes(ToFilesystemPath(staging.c_str()), bytes);
      return true;
    });
  }

  // Streams bytes as the archive install writes a new file: at its own name, there already while
  // it is written, with no staging file beside it.
  bool PlaceAhead(CChangeJournal& journal, const std::u16string& name, const std::string& bytes) {
    const fs::path path = ToFilesystemPath((folder_ + name).c_str());
    return journal.PlaceAheadFile(folder_ + name, [&bytes, &path](IStagedFile& file) {
      const auto* start = reinterpret_cast<const uint8_t*>(bytes.data());
      return file.Put(start, bytes.size() / 2) && fs::exists(path) &&
             !fs::exists(path.string() + ".new~") &&
             file.Put(start + bytes.size() / 2, bytes.size() - bytes.size() / 2);
    });
  }

  std::u16string Ready(const std::u16string& name) const {
    return folder_ + name + kDownloadStagingSuffix;
  }
  bool Download(const std::u16string& name, const std::string& bytes) const {
    WriteBytes(ToFilesystemPath(Ready(name).c_str()), bytes);
    return true;
  }

  fs::path root_;
  std::u16string folder_;
};

TEST(ChangeJournal, KilledAnywhereTheNextRunLeavesTheOldOrTheNewVersionWhole) {
  MachineState before, after;
  int operations = 0;
  {
    TempFolder temp;
    JournalRun run(temp);
    JournalTestTarget target;
    run.InstallOldVersion(target);
    before = run.State(target);
    const int setUp = target.Operations();
    CChangeJournal journal(target);
    ASSERT_TRUE(run.Upgrade(journal)) << Utf16ToUtf8(journal.Failure().c_str());
    after = run.State(target);
    operations = target.Operations() - setUp;
  }
  ASSERT_NE(before, after);
  EXPECT_EQ(after.files.count("App/b.txt"), 0u);
  EXPECT_EQ(after.files.at("App/a.txt"), "new a");
  EXPECT_EQ(after.files.at("App/sub/d.txt"), "new d");
  EXPECT_EQ(after.files.at("App/g.txt"), "new g");
  EXPECT_EQ(after.files.at("App/sub/e.txt"), "new e");
  EXPECT_EQ(after.files.count("App/install.journal"), 0u) << "the journal goes at the commit";

  for (int killedAfter = 0; killedAfter <= operations; ++killedAfter) {
    SCOPED_TRACE("killed after " + std::to_string(killedAfter) + " operations");
    TempFolder temp;
    JournalRun run(temp);
    JournalTestTarget target;
    run.InstallOldVersion(target);
    target.DieAfter(killedAfter);
    {
      CChangeJournal journal(target);
      run.Upgrade(journal);
    }
    target.Revive();
    const JournalRecovery recovery =
        RecoverJournal(target, run.Folder(), kJournalName, run.Bounds());
    const MachineState state = run.State(target);
    EXPECT_TRUE(state == before || state == after);
    if (killedAfter == operations) {
      EXPECT_EQ(state, after);
      EXPECT_EQ(recovery, JournalRecovery::kNone);
    }
    if (killedAfter == 0) {
      EXPECT_EQ(state, before);
    }
    // Run again, nothing more happens.
    EXPECT_EQ(RecoverJournal(target, run.Folder(), kJournalName, run.Bounds()),
              JournalRecovery::kNone);
  }
}

TEST(ChangeJournal, AFailedStepRollsTheRunBackAndNamesTheFile) {
  struct Case {
    const char* name;
    bool freshInstall;
    std::u16string held;    // a file whose move fails, relative to the folder
    std::u16string failed;  // the file the failure names
  };
  const Case cases[] = {
      {"an installed file held open", false, u"a.txt", u"a.txt"},
      {"a fresh install whose staging file cannot be renamed", true, u"a.txt.new~", u"a.txt"},
      {"the first of downloads placed together held open", false, u"g.txt", u"g.txt"},
      {"the second of downloads placed together not renamed", false, u"sub\\e.txt.download~",
       u"e.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    JournalRun run(temp);
    JournalTestTarget target;
    if (!c.freshInstall) run.InstallOldVersion(target);
    const MachineState before = run.State(target);
    target.Hold(run.Folder() + c.held);
    CChangeJournal journal(target);
    EXPECT_FALSE(run.Upgrade(journal));
    EXPECT_NE(journal.Failure().find(c.failed + u": held by another program"),
              std::u16string::npos)
        << Utf16ToUtf8(journal.Failure().c_str());
    EXPECT_TRUE(journal.Rollback().Whole());
    EXPECT_EQ(run.State(target), before);
    EXPECT_EQ(target.Keys().size(), c.freshInstall ? 0u : 3u) << "the keys the run made go";
  }
}

// A change the machine refuses to undo stays, and the rollback names it with its path, and the
// folders the run made that hold it; the journal stays for the next run to try again. Everything
// else is undone.
TEST(ChangeJournal, ARollbackNamesWhatItCouldNotPutBack) {
  const std::u16string version = kProductKey + u"\\version";
  const std::u16string displayName = kUninstallKey + u"\\DisplayName";
  struct Case {
    const char* label;
    bool freshInstall;
    std::u16string refused;  // below the install folder, or a value as "key\\name"
    bool held;               // the refused file cannot be moved (else: not removed)
    std::vector<std::u16string> left;  // below the test's folder, or values
  };
  const Case cases[] = {
      {"a replaced file whose old one cannot come back", false, u"a.txt.old~", true,
       {u"Programs\\App\\a.txt"}},
      {"a removed file that cannot come back", false, u"b.txt.old~", true,
       {u"Programs\\App\\b.txt"}},
      {"a new file in a new folder that cannot be removed", false, u"sub\\c.txt", false,
       {u"Programs\\App\\sub\\c.txt", u"Programs\\App\\sub\\"}},
      {"a new file of a fresh install that cannot be removed", true, u"a.txt", false,
       {u"Programs\\App\\a.txt", u"Programs\\App\\", u"Programs\\"}},
      {"a changed value that cannot be restored", false, version, false, {version}},
      {"a new value that cannot be removed", false, displayName, false, {displayName}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempFolder temp;
    JournalRun run(temp);
    JournalTestTarget target;
    if (!c.freshInstall) run.InstallOldVersion(target);
    CChangeJournal journal(target);
    ASSERT_TRUE(run.Change(journal)) << Utf16ToUtf8(journal.Failure().c_str());
    const auto onMachine = [](const std::u16string& name, const std::u16string& base) {
      return name.rfind(u"Software\\", 0) == 0 ? name : base + name;
    };
    const std::u16string refused = onMachine(c.refused, run.Folder());
    if (c.held) {
      target.Hold(refused);
    } else {
      target.RefuseRemoval(refused);
    }

    const RollbackResult undone = journal.Rollback();

    std::vector<std::u16string> left;
    for (const std::u16string& name : c.left) {
      left.push_back(onMachine(name, WindowsStylePath(temp.File(u""))));
    }
    EXPECT_EQ(undone.left, left);
    EXPECT_FALSE(undone.Whole());
    EXPECT_TRUE(fs::exists(temp.Path() / "Programs" / "App" / "install.journal"));
  }
}

// Files recorded ahead cost one write to the journal for all of them and none each; whatever
// their names, each lands whole at its own and stays so after the commit, and undoing the run
// instead removes every one.
TEST(ChangeJournal, NewFilesRecordedAheadTogetherLandWholeAndAreUndone) {
  struct Case {
    const char* label;
    std::vector<std::u16string> names;  // placed in this order, each with its name as content
    int journalWrites;                  // for the batch
    std::u16string installed;           // a file there before, replaced; empty: none
  };
  const Case cases[] = {
      {"new files", {u"a.txt", u"b.txt", u"c.txt"}, 1, u""},
      // Staging names are the file's own with a suffix: never one the batch places.
      {"a file named as another's staging file", {u"x.new~", u"x"}, 1, u""},
      {"the same in other case", {u"X.NEW~", u"x"}, 1, u""},
      // A file that replaces another is recorded on its own, its staging name chosen then: not
      // the name of a file recorded ahead, nor one the commit takes away.
      {"over an installed file, another named as its staging file", {u"x", u"x.new~"}, 1, u"x"},
      {"nothing new", {}, 0, u""},
  };
  for (const bool commit : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.label) + (commit ? ", committed" : ", undone"));
      TempFolder temp;
      JournalRun run(temp);
      JournalTestTarget target;
      // Installed before, by another run: in a folder this run did not make.
      if (!c.installed.empty()) {
        fs::create_directories(temp.Path() / "Programs" / "App");
        WriteBytes(ToFilesystemPath((run.Folder() + c.installed).c_str()), "installed");
      }
      CChangeJournal journal(target);
      ASSERT_TRUE(journal.Begin(run.Folder(), kJournalName));
      std::vector<std::u16string> paths;
      for (const std::u16string& name : c.names) paths.push_back(run.Folder() + name);
      const int before = target.Operations();
      ASSERT_TRUE(journal.PlanNewFiles(paths));
      EXPECT_EQ(target.Operations() - before, c.journalWrites);
      std::map<std::string, std::string> expected = {{"App", "<folder>"}};
      for (const std::u16string& name : c.names) {
        const std::string text = Utf16ToUtf8(name.c_str());
        const int placing = target.Operations();
        ASSERT_TRUE(journal.PlaceFile(run.Folder() + name, [&text](const std::u16string& staging) {
          WriteBytes(ToFilesystemPath(staging.c_str()), text);
          return true;
        })) << Utf16ToUtf8(journal.Failure().c_str());
        // A replaced file: its record and two renames; a new one: only its rename.
        EXPECT_EQ(target.Operations() - placing, name == c.installed ? 3 : 1) << text;
        expected["App/" + text] = text;
      }
      if (commit) {
        ASSERT_TRUE(journal.Commit());
        EXPECT_EQ(FilesBelow(temp.Path() / "Programs"), expected);
      } else {
        EXPECT_TRUE(journal.Rollback().Whole());
        std::map<std::string, std::string> left;
        if (!c.installed.empty()) {
          left = {{"App", "<folder>"}, {"App/" + Utf16ToUtf8(c.installed.c_str()), "installed"}};
        }
        EXPECT_EQ(FilesBelow(temp.Path() / "Programs"), left);
      }
    }
  }
}

// A file of the run may be named as the backup of a file it replaced before ("x.old~" after
// "x"): it moves that backup aside as its own, and the commit, which drops the backups, keeps it.
TEST(ChangeJournal, TheCommitKeepsAFileNamedAsAnEarlierBackup) {
  TempFolder temp;
  JournalRun run(temp);
  JournalTestTarget target;
  fs::create_directories(temp.Path() / "Programs" / "App");
  WriteBytes(temp.Path() / "Programs" / "App" / "x", "installed");
  CChangeJournal journal(target);
  ASSERT_TRUE(journal.Begin(run.Folder(), kJournalName));
  for (const char16_t* name : {u"x", u"x.old~"}) {
    const std::string text = Utf16ToUtf8(name);
    ASSERT_TRUE(journal.PlaceFile(run.Folder() + name, [&text](const std::u16string& staging) {
      WriteBytes(ToFilesystemPath(staging.c_str()), text);
      return true;
    }));
  }
  ASSERT_TRUE(journal.Commit());
  const std::map<std::string, std::string> expected = {
      {"App", "<folder>"}, {"App/x", "x"}, {"App/x.old~", "x.old~"}};
  EXPECT_EQ(FilesBelow(temp.Path() / "Programs"), expected);
}

TEST(ChangeJournal, ARecoveredJournalTouchesNothingOutsideItsBounds) {
  TempFolder temp;
  JournalRun run(temp);
  JournalTestTarget target;
  run.InstallOldVersion(target);
  const std::u16string victim = WindowsStylePath(temp.File(u"victim.txt"));
  WriteBytes(temp.Path() / "victim.txt", "not the product's");
  target.WriteValue(u"Software\\Other", u"v", Text("kept"));

  // "sub" is a folder, so that a name which climbs out through it resolves on any file system.
  fs::create_directories(temp.Path() / "Programs" / "App" / "sub");
  const std::u16string sub = run.Folder() + u"sub";
  JournalEntry outside;
  outside.kind = JournalEntry::kFilePlaced;
  outside.path = victim;
  JournalEntry climbing = outside;
  climbing.path = run.Folder() + u"..\\..\\victim.txt";
  JournalEntry backupElsewhere;
  backupElsewhere.kind = JournalEntry::kFilePlaced;
  backupElsewhere.path = run.Folder() + u"a.txt";
  backupElsewhere.backup = victim;
  JournalEntry stagingThroughSlash;
  stagingThroughSlash.kind = JournalEntry::kFilePlaced;
  stagingThroughSlash.path = sub;
  stagingThroughSlash.staging = sub + u"/../../../victim.txt";
  JournalEntry backupThroughSlash;
  backupThroughSlash.kind = JournalEntry::kFileRemoved;
  backupThroughSlash.path = sub;
  backupThroughSlash.backup = sub + u".old~/../../../../victim.txt";
  JournalEntry stagingNotDerived = stagingThroughSlash;
  stagingNotDerived.staging = sub + u".new~x";
  // "link" leads out of the folder, to where the victim lies.
  MadeLink link(temp.Path() / "Programs" / "App" / "link", temp.Path());
  ASSERT_TRUE(link.Made());
  JournalEntry stagingThroughLink;
  stagingThroughLink.kind = JournalEntry::kFilePlaced;
  stagingThroughLink.path = run.Folder() + u"link\\victim.txt";
  stagingThroughLink.staging = stagingThroughLink.path + u".new~";
  WriteBytes(temp.Path() / "victim.txt.new~", "not the product's either");
  JournalEntry otherKey;
  otherKey.kind = JournalEntry::kValueChanged;
  otherKey.key = u"Software\\Other";
  otherKey.name = u"v";
  JournalEntry committed;
  committed.kind = JournalEntry::kCommitted;

  struct Case {
    const char* name;
    std::vector<JournalEntry> entries;  // the first is the one out of bounds
    bool insideAsText = false;          // out only through what is on the disk
  };
  const Case cases[] = {
      {"a file outside the folder", {outside}},
      {"a name that climbs out", {climbing}},
      {"a backup outside the file's folder", {backupElsewhere}},
      {"a staging name that climbs out through a slash", {stagingThroughSlash}},
      {"a committed backup that climbs out through a slash", {backupThroughSlash, committed}},
      {"a staging name the journal would not make", {stagingNotDerived}},
      {"a file and its staging name through a link", {stagingThroughLink}, true},
      {"a key of another program", {otherKey}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsWithinBounds(c.entries[0], run.Bounds()), c.insideAsText);
    std::vector<uint8_t> bytes = EncodeJournalHeader(run.Folder());
    for (const JournalEntry& entry : c.entries) {
      const std::vector<uint8_t> record = EncodeJournalEntry(entry);
      bytes.insert(bytes.end(), record.begin(), record.end());
    }
    WriteBytes(ToFilesystemPath((run.Folder() + kJournalName).c_str()),
               std::string(bytes.begin(), bytes.end()));
    EXPECT_NE(RecoverJournal(target, run.Folder(), kJournalName, run.Bounds()),
              JournalRecovery::kFailed);
    EXPECT_EQ(ReadBytes(temp.Path() / "victim.txt"), "not the product's");
    EXPECT_EQ(ReadBytes(temp.Path() / "victim.txt.new~"), "not the product's either");
    EXPECT_EQ(ReadBytes(temp.Path() / "Programs" / "App" / "a.txt"), "old a");
    RegistryValue kept;
    EXPECT_TRUE(target.ReadValue(u"Software\\Other", u"v", &kept));
  }
  // The names the journal makes itself stay in bounds.
  JournalEntry derived;
  derived.kind = JournalEntry::kFilePlaced;
  derived.path = run.Folder() + u"a.txt";
  const std::pair<std::u16string, std::u16string> names[] = {
      {u".new~", u".old~"}, {u".new~12", u".old~2"}, {u".download~", u""}};
  for (const auto& [staging, backup] : names) {
    derived.staging = derived.path + staging;
    derived.backup = backup.empty() ? u"" : derived.path + backup;
    EXPECT_TRUE(IsWithinBounds(derived, run.Bounds())) << Utf16ToUtf8(derived.staging.c_str());
  }
}

TEST(JournalEntry, ATornOrDamagedRecordEndsTheJournalThere) {
  std::vector<JournalEntry> written(3);
  written[0].kind = JournalEntry::kFolderCreated;
  written[0].path = u"C:\\App\\\u6587\u4ef6\\";
  written[1].kind = JournalEntry::kFilePlaced;
  written[1].path = u"C:\\App\\a.txt";
  written[1].staging = u"C:\\App\\a.txt.new~";
  written[1].backup = u"C:\\App\\a.txt.old~";
  written[2].kind = JournalEntry::kValueChanged;
  written[2].key = u"Software\\Co\\App";
  written[2].name = u"path";
  written[2].hadPrevious = true;
  written[2].previous = Text(std::string("C:\\Old\0", 7));
  written[2].createdKey = u"Software\\Co";
  std::vector<uint8_t> bytes = EncodeJournalHeader(u"C:\\App\\");
  std::vector<size_t> ends;
  for (const JournalEntry& entry : written) {
    const std::vector<uint8_t> record = EncodeJournalEntry(entry);
    bytes.insert(bytes.end(), record.begin(), record.end());
    ends.push_back(bytes.size());
  }
  std::u16string folder;
  std::vector<JournalEntry> read;
  ASSERT_TRUE(DecodeJournal(bytes.data(), bytes.size(), &folder, &read));
  EXPECT_EQ(folder, u"C:\\App\\");
  EXPECT_EQ(read, written);

  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const bool header = DecodeJournal(bytes.data(), cut, &folder, &read);
    size_t whole = 0;
    while (whole < ends.size() && ends[whole] <= cut) ++whole;
    EXPECT_EQ(read.size(), header ? whole : 0u);
    EXPECT_TRUE(std::equal(read.begin(), read.end(), written.begin()));
  }
  for (size_t flipped = 0; flipped < bytes.size(); ++flipped) {
    SCOPED_TRACE("flipped byte " + std::to_string(flipped));
    std::vector<uint8_t> damaged = bytes;
    damaged[flipped] ^= 0x20;
    DecodeJournal(damaged.data(), damaged.size(), &folder, &read);
    size_t before = 0;
    while (before < ends.size() && ends[before] <= flipped) ++before;
    EXPECT_LE(read.size(), before) << "nothing at or after a damaged record is read";
    EXPECT_TRUE(std::equal(read.begin(), read.end(), written.begin()));
  }
}

}  // namespace
