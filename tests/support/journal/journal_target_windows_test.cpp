#include "support/journal/journal_target_windows.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/journal/change_journal.h"
#include "tests/helpers/made_link.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const std::u16string kKey = u"Software\\JournalTest\\App";

RegistryValue Dword(uint32_t value) {
  RegistryValue dword{REG_DWORD, {}};
  for (int shift = 0; shift < 32; shift += 8) dword.bytes.push_back(uint8_t(value >> shift));
  return dword;
}

RegistryValue Sz(const std::u16string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.c_str());
  return RegistryValue{REG_SZ, std::vector<uint8_t>(bytes, bytes + 2 * (text.size() + 1))};
}

bool PlaceText(CChangeJournal& journal, const std::u16string& path, const std::string& text) {
  return journal.PlaceFile(path, [&text](const std::u16string& staging) {
    WriteBytes(fs::path(staging), text);
    return true;
  });
}

// As an archive's entry arrives: in pieces, into the file the target stages.
bool PlaceStreamed(CChangeJournal& journal, const std::u16string& path, const std::string& text) {
  return journal.PlaceStreamedFile(path, [&text](IEntrySink& file) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t half = text.size() / 2;
    return file.Put(bytes, half) && file.Put(bytes + half, text.size() - half);
  });
}

// As an entry in pieces arrives: each third put at its place by a worker of its own, the last
// third first.
bool PlaceAtPlaces(CChangeJournal& journal, const std::u16string& path, const std::string& text) {
  return journal.PlaceStreamedFile(path, [&text](IStagedFile& file) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t third = text.size() / 3;
    bool put[3] = {};
    std::vector<std::thread> workers;
    for (int i = 2; i >= 0; --i) {
      const size_t from = i * third;
      const size_t count = i == 2 ? text.size() - from : third;
      workers.emplace_back([&, i, from, count] { put[i] = file.PutAt(from, bytes + from, count); });
    }
    for (std::thread& worker : workers) worker.join();
    return put[0] && put[1] && put[2];
  });
}

class JournalTargetWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.File(u"App\\");
    fs::create_directories(temp_.Path() / "App");
    WriteBytes(temp_.Path() / "App" / "client.exe", "old client");
    ASSERT_TRUE(target_.WriteValue(kKey, u"count", Dword(7)));
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\JournalTest");
  }

  TempFolder temp_;
  std::u16string folder_;
  CWindowsJournalTarget target_;
};

// The real file system and registry go back to what they were, byte for byte, type for type.
TEST_F(JournalTargetWindows, RollbackPutsFilesAndValuesBackAsTheyWere) {
  std::string pieced;
  for (int i = 0; pieced.size() < 300000; ++i) pieced += std::to_string(i) + ' ';
  CChangeJournal journal(target_);
  ASSERT_TRUE(journal.Begin(folder_, u"install.journal"));
  ASSERT_TRUE(PlaceStreamed(journal, folder_ + u"client.exe", "new client"));
  ASSERT_TRUE(PlaceAtPlaces(journal, folder_ + u"pieced.dll", pieced));
  ASSERT_TRUE(journal.CreateFolder(folder_ + u"data"));
  ASSERT_TRUE(PlaceText(journal, folder_ + u"data\\new.txt", "new"));
  ASSERT_TRUE(journal.SetValue(kKey, u"count", Sz(u"eight")));
  ASSERT_TRUE(journal.SetValue(kKey + u"\\Sub", u"made", Sz(u"x")));
  ASSERT_TRUE(journal.DeleteValue(kKey, u"count"));
  RegistryValue count;
  EXPECT_FALSE(target_.ReadValue(kKey, u"count", &count));
  EXPECT_EQ(ReadBytes(temp_.Path() / "App" / "client.exe"), "new client");
  EXPECT_TRUE(ReadBytes(temp_.Path() / "App" / "pieced.dll") == pieced);

  EXPECT_TRUE(journal.Rollback().Whole());
  EXPECT_EQ(ReadBytes(temp_.Path() / "App" / "client.exe"), "old client");
  EXPECT_FALSE(fs::exists(temp_.Path() / "App" / "data"));
  EXPECT_FALSE(fs::exists(temp_.Path() / "App" / "install.journal"));
  EXPECT_EQ(std::distance(fs::directory_iterator(temp_.Path() / "App"), {}), 1)
      << "no staging or backup file is left";
  ASSERT_TRUE(target_.ReadValue(kKey, u"count", &count));
  EXPECT_EQ(count, Dword(7));
  EXPECT_FALSE(target_.KeyExists(kKey + u"\\Sub"));
}

// A value is deleted, or it was never there; a key that refuses the change keeps the value, and
// the failure names it with the system's reason.
TEST_F(JournalTargetWindows, DeletingAValueSucceedsOnlyWhenItIsGone) {
  const std::u16string locked = kKey + u"\\Locked";
  ASSERT_TRUE(target_.WriteValue(locked, u"count", Dword(8)));
  ValueChangesRefused refused(locked);
  struct Case {
    const char* name;
    std::u16string key;
    const char16_t* value;
    bool deleted;
  };
  const Case cases[] = {
      {"a value", kKey, u"count", true},
      {"a value that is not there", kKey, u"missing", true},
      {"a key that is not there", kKey + u"\\Missing", u"count", true},
      {"a key that refuses changes", locked, u"count", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegistryValue before;
    const bool there = target_.ReadValue(c.key, c.value, &before);
    EXPECT_EQ(target_.DeleteValue(c.key, c.value), c.deleted);
    RegistryValue after;
    EXPECT_EQ(target_.ReadValue(c.key, c.value, &after), there && !c.deleted);
    if (!c.deleted) {
      EXPECT_EQ(after, before);
      EXPECT_FALSE(target_.LastError().empty()) << "the system's reason";
    }
  }
}

// A file another program holds without sharing is retried, then named with the reason; the
// old file stays in place.
TEST_F(JournalTargetWindows, AFileHeldOpenFailsItsReplacementAndStays) {
  const std::u16string client = folder_ + u"client.exe";
  Handle held(CreateFileW(AsWide(client.c_str()), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                          nullptr));
  ASSERT_TRUE(held.Valid());
  CChangeJournal journal(target_);
  ASSERT_TRUE(journal.Begin(folder_, u"install.journal"));
  const DWORD started = GetTickCount();
  EXPECT_FALSE(PlaceText(journal, client, "new client"));
  EXPECT_GE(GetTickCount() - started, CWindowsJournalTarget::kHeldFileWaitMs - 200);
  EXPECT_EQ(journal.Failure().rfind(client + u": ", 0), 0u);
  EXPECT_GT(journal.Failure().size(), client.size() + 2) << "the system's reason";
  EXPECT_TRUE(journal.Rollback().Whole());
  held.Reset(nullptr);
  EXPECT_EQ(ReadBytes(fs::path(client)), "old client");
  EXPECT_EQ(std::distance(fs::directory_iterator(temp_.Path() / "App"), {}), 1);
}

// A streamed file never replaces a file that took its name after the journal recorded the name as
// new: neither renamed through its own handle nor made at that name, closed behind the run; the
// failure names it, and no staging file stays.
TEST_F(JournalTargetWindows, AStreamedFileNeverReplacesOneThatAppearedAtItsName) {
  for (const bool ahead : {false, true}) {
    SCOPED_TRACE(ahead ? "made at its name" : "renamed into place");
    const std::u16string late = folder_ + (ahead ? u"ahead.txt" : u"late.txt");
    CChangeJournal journal(target_);
    ASSERT_TRUE(journal.Begin(folder_, u"install.journal"));
    ASSERT_TRUE(journal.PlanNewFiles({late}));
    WriteBytes(fs::path(late), "someone else's");
    const auto write = [](IStagedFile& file) {
      return file.Put(reinterpret_cast<const uint8_t*>("ours"), 4);
    };
    EXPECT_FALSE(ahead ? journal.PlaceAheadFile(late, write) && journal.Settle()
                       : PlaceStreamed(journal, late, "ours"));
    EXPECT_EQ(journal.Failure().rfind(late + u": ", 0), 0u);
    EXPECT_EQ(ReadBytes(fs::path(late)), "someone else's");
    EXPECT_TRUE(journal.Rollback().Whole());
    for (const auto& item : fs::directory_iterator(temp_.Path() / "App")) {
      EXPECT_NE(item.path().extension(), ".new~") << item.path();
    }
  }
}

// The machine tells a path that runs through a folder link below the folder, on the way or as
// the last part; not one whose parts are real or missing, nor one below a folder that is itself a
// link (the user chose it). (Wine shows a link to a file as the file itself.)
TEST_F(JournalTargetWindows, TellsAPathThatRunsThroughALink) {
  const fs::path outside = temp_.Path() / "outside";
  fs::create_directories(outside);
  WriteBytes(outside / "victim.txt", "victim");
  fs::create_directories(temp_.Path() / "App" / "real");
  MadeLink folderLink(temp_.Path() / "App" / "linked", outside);
  MadeLink chosenLink(temp_.Path() / "Chosen", temp_.Path() / "App");
  ASSERT_TRUE(folderLink.Made());
  ASSERT_TRUE(chosenLink.Made());
  struct Case {
    const char16_t* below;
    bool crosses;
  };
  const Case cases[] = {
      {u"client.exe", false},
      {u"real\\new.txt", false},
      {u"missing\\deeper\\new.txt", false},
      {u"linked", true},
      {u"linked\\new\\deep.txt", true},
      {u"linked\\victim.txt", true},
  };
  for (const Case& c : cases) {
    const std::u16string path = folder_ + c.below;
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    EXPECT_EQ(target_.CrossesLink(folder_, path), c.crosses);
  }
  const std::u16string chosen = temp_.File(u"Chosen\\");
  EXPECT_FALSE(target_.CrossesLink(chosen, chosen + u"real\\new.txt"));
}

// A run that is still going holds its journal: a second run sees it busy and leaves it alone;
// once the first is gone (as when it is killed) the journal is read and undone.
TEST_F(JournalTargetWindows, ALiveJournalIsBusyAndAnAbandonedOneIsUndone) {
  JournalBounds bounds{{{folder_, u""}}, {{kKey, u""}}};
  CChangeJournal journal(target_);
  ASSERT_TRUE(journal.Begin(folder_, u"install.journal"));
  ASSERT_TRUE(PlaceText(journal, folder_ + u"client.exe", "new client"));
  CWindowsJournalTarget second;
  EXPECT_EQ(RecoverJournal(second, folder_, u"install.journal", bounds), JournalRecovery::kBusy);
  target_.CloseJournal();  // what a kill does to the handle
  EXPECT_EQ(RecoverJournal(second, folder_, u"install.journal", bounds),
            JournalRecovery::kRolledBack);
  EXPECT_EQ(ReadBytes(temp_.Path() / "App" / "client.exe"), "old client");
  EXPECT_FALSE(fs::exists(temp_.Path() / "App" / "install.journal"));
}

}  // namespace
