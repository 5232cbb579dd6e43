#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "install/install_engine.h"
#include "install/progress_figures.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/http/http_get.h"
#include "support/journal/change_journal.h"
#include "support/journal/journal_target_windows.h"
#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/uninstall_entries.h"

namespace {

struct Progress {
  int reports = 0;
  uint32_t total = 0;
  uint32_t lastDone = 0;
  bool doneWentBack = false;
  std::vector<std::u16string> names;
  CUninstInfo installed;  // what the engine listed as put in place
};

void Record(uint32_t total, uint32_t done, const char16_t* name, void* context) {
  auto* progress = static_cast<Progress*>(context);
  ++progress->reports;
  progress->total = total;
  if (done < progress->lastDone) progress->doneWentBack = true;
  progress->lastDone = done;
  if (name != nullptr) progress->names.push_back(name);
}

// Makes progress hear the engine's reports and receive its installed entries.
void Watch(CInstall& engine, Progress& progress) {
  engine.SetCallback(&Record, &progress);
  engine.SetInstalledList(&progress.installed);
}

// An engine with its journal begun in folder, as the installer and the updater run it.
struct JournaledRun {
  explicit JournaledRun(const std::u16string& folder) {
    EXPECT_TRUE(journal.Begin(folder, u"install.journal"));
    engine.SetJournal(&journal);
  }
  CWindowsJournalTarget machine;
  CChangeJournal journal{machine};
  CHttpGet source;
  CInstall engine{source};
};

// Every file below folder with its bytes, by "/" name.
std::map<std::string, std::string> FilesIn(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  if (!std::filesystem::exists(folder)) return files;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    if (item.is_regular_file()) {
      files[std::filesystem::relative(item.path(), folder).generic_string()] =
          ReadBytes(item.path());
    }
  }
  return files;
}

class InstallEngineTest : public HttpServerTest {
 protected:
  // Each test's files live under names of their own on the shared server.
  std::string Name(const std::string& file) const {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->name()) + "-" + std::to_string(stamp_) + "-" + file;
  }
  // Puts content on the server and lists it under file with the given size and digest.
  void Publish(CUpdateInfo* list, const char16_t* file, const std::string& content,
               int32_t listedSize, const std::u16string& listedMd5) {
    const std::string name = Name(std::to_string(list->Count()));
    ASSERT_TRUE(Keep(name, content));
    list->AddFile(file, listedSize, listedMd5.c_str(), Url("/file/" + name).c_str());
  }
  void Publish(CUpdateInfo* list, const char16_t* file, const std::string& content) {
    Publish(list, file, content, static_cast<int32_t>(content.size()), Md5Hex(content));
  }

 private:
  long long stamp_ = std::chrono::steady_clock::now().time_since_epoch().count();
};

// A whole list takes its place: new files, replaced files and deletions, listed in list order.
// A list with one file that differs from it in size or digest, or whose name would land outside
// the folder, ends at that file with nothing put in place: no installed file was touched, and
// undoing the run leaves the folder exactly as it was.
TEST_F(InstallEngineTest, PutsAWholeListInPlaceAndNothingOfAListWithABadFile) {
  const std::string big = BytePattern(700 * 1024);
  struct Case {
    const char* name;
    std::u16string bad;  // empty: none
    std::string served;
    int32_t listedSize;
  };
  const Case cases[] = {
      {"a whole list", u"", "", 0},
      {"a file altered on the way", u"altered.txt", "tampered!", 9},
      {"a file cut short", u"short.txt", "short", 50},
      {"a name outside the folder", u"..\\escaped.txt", "escaped", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::u16string folder = temp.File(u"client\\");
    std::filesystem::create_directories(temp.Path() / "client");
    WriteBytes(temp.Path() / "client/altered.txt", "the good old file");
    WriteBytes(temp.Path() / "client/obsolete.txt", "to delete");
    const auto before = FilesIn(temp.Path() / "client");
    CUpdateInfo list;
    Publish(&list, u"first.txt", "first");
    Publish(&list, u"sub\\deep\\big.bin", big);
    if (!c.bad.empty()) Publish(&list, c.bad.c_str(), c.served, c.listedSize, Md5Hex("other"));
    for (const char16_t* removed : {u"obsolete.txt", u"never-there.txt"}) {
      UpdateItem removal;
      removal.action = UpdateItem::kActionDelete;
      std::char_traits<char16_t>::copy(removal.file, removed,
                                       std::char_traits<char16_t>::length(removed) + 1);
      list.AddItem(std::make_unique<UpdateItem>(removal));
    }

    JournaledRun run(folder);
    Progress progress;
    Watch(run.engine, progress);
    ASSERT_TRUE(run.engine.InstallList(folder.c_str(), &list));
    EXPECT_EQ(progress.total, static_cast<uint32_t>(list.TotalSize()));
    EXPECT_EQ(progress.lastDone, progress.total);
    EXPECT_FALSE(progress.doneWentBack);
    if (c.bad.empty()) {
      EXPECT_EQ(run.engine.Outcome().failed, 0);
      ASSERT_TRUE(run.journal.Commit());
      EXPECT_EQ(FilesIn(temp.Path() / "client"),
                (std::map<std::string, std::string>{{"altered.txt", "the good old file"},
                                                    {"first.txt", "first"},
                                                    {"sub/deep/big.bin", big}}));
      EXPECT_EQ(Entries(progress.installed),
                (std::vector<std::u16string>{u"first.txt", u"sub\\deep\\big.bin"}));
      continue;
    }
    EXPECT_EQ(run.engine.Outcome().failed, 1);
    EXPECT_EQ(std::u16string(run.engine.Outcome().firstFailed.Units()), c.bad);
    EXPECT_TRUE(Entries(progress.installed).empty());
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "client/first.txt"));
    EXPECT_EQ(ReadBytes(temp.Path() / "client/altered.txt"), "the good old file");
    run.journal.Rollback();
    EXPECT_EQ(FilesIn(temp.Path() / "client"), before);
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "escaped.txt"));
  }
}

TEST_F(InstallEngineTest, ARunOverAnUnchangedClientDownloadsNothing) {
  TempFolder temp;
  const std::u16string folder = temp.File(u"client\\");
  CUpdateInfo list;
  Publish(&list, u"a.txt", "alpha");
  Publish(&list, u"bin\\b.dll", BytePattern(300000));

  {
    JournaledRun first(folder);
    ASSERT_TRUE(first.engine.InstallList(folder.c_str(), &list));
    EXPECT_EQ(first.engine.Outcome().failed, 0);
    ASSERT_TRUE(first.journal.Commit());
  }
  JournaledRun again(folder);
  Progress progress;
  Watch(again.engine, progress);
  ASSERT_TRUE(again.engine.InstallList(folder.c_str(), &list));
  // Files found in place belong to the install as much as those downloaded.
  EXPECT_EQ(Entries(progress.installed), (std::vector<std::u16string>{u"a.txt", u"bin\\b.dll"}));
  EXPECT_EQ(again.engine.Outcome().failed, 0);
  EXPECT_EQ(Served(Name("0")), 1);
  EXPECT_EQ(Served(Name("1")), 1);
  EXPECT_EQ(progress.lastDone, static_cast<uint32_t>(list.TotalSize()));
}

// A file arrives in "<file>.download~" beside the one in place, which it replaces only once whole
// and checked. A run whose transfer keeps being cut off leaves the old file and what arrived; the
// next run goes on from there with a Range request, and a staging file of a file already in
// place is cleared away.
TEST_F(InstallEngineTest, ACutOffFileIsResumedByTheNextRun) {
  TempFolder temp;
  const std::u16string folder = temp.File(u"client\\");
  const std::filesystem::path target = temp.Path() / "client/bin/big.dll";
  const std::filesystem::path staging = temp.Path() / "client/bin/big.dll.download~";
  std::filesystem::create_directories(target.parent_path());
  WriteBytes(target, "the old version");
  const uint32_t size = 2000000;
  const std::string content = BytePattern(size);
  const std::string key = FreshKey("big");
  // Each of the first four replies (one run's tries) stops after 300,000 bytes.
  CUpdateInfo list;
  list.AddFile(u"bin\\big.dll", static_cast<int32_t>(size), Md5Hex(content).c_str(),
               Url("/resumable/" + key + "/" + std::to_string(size) + "?cut=300000&cuts=4")
                   .c_str());

  auto cutOff = std::make_unique<JournaledRun>(folder);
  // As the updater keeps them, for the next run to go on from.
  cutOff->engine.KeepDownloadsOf([](const char16_t*) { return true; });
  Progress progress;
  Watch(cutOff->engine, progress);
  ASSERT_TRUE(cutOff->engine.InstallList(folder.c_str(), &list));
  EXPECT_EQ(cutOff->engine.Outcome().failed, 1);
  cutOff.reset();
  EXPECT_TRUE(Entries(progress.installed).empty());
  EXPECT_EQ(ReadBytes(target), "the old version");
  const std::string kept = ReadBytes(staging);
  EXPECT_EQ(kept.size(), 4 * 300000u);
  EXPECT_TRUE(kept == content.substr(0, kept.size()));
  EXPECT_EQ(progress.lastDone, static_cast<uint32_t>(size));

  auto resumed = std::make_unique<JournaledRun>(folder);
  ASSERT_TRUE(resumed->engine.InstallList(folder.c_str(), &list));
  EXPECT_EQ(resumed->engine.Outcome().failed, 0);
  ASSERT_TRUE(resumed->journal.Commit());
  EXPECT_TRUE(ReadBytes(target) == content);
  EXPECT_FALSE(std::filesystem::exists(staging));
  const std::vector<std::string> log = Log(key);
  EXPECT_EQ(log, (std::vector<std::string>{"- 200", "bytes=300000- 206", "bytes=600000- 206",
                                           "bytes=900000- 206", "bytes=1200000- 206"}));

  WriteBytes(staging, "left over");
  JournaledRun inPlace(folder);
  ASSERT_TRUE(inPlace.engine.InstallList(folder.c_str(), &list));
  EXPECT_FALSE(std::filesystem::exists(staging));
  EXPECT_EQ(Log(key).size(), log.size());  // nothing downloaded
}

// The figures of the progress page come from the engine's reports: a file is told as it arrives
// (at least every 16 KB), so a network slower than the threshold shows as slow. Told only per
// 256 KB read, 80 KB a second would have looked like 256 KB a second.
TEST_F(InstallEngineTest, ATricklingFileIsToldAsItArrivesAndShowsAsSlow) {
  TempFolder temp;
  const std::string content = BytePattern(400000);
  CUpdateInfo list;
  // 4,000 bytes every 50 ms: 80 KB a second, for five seconds.
  list.AddFile(u"slow.bin", 400000, Md5Hex(content).c_str(), Url("/trickle/100/4000/50").c_str());
  struct Watched {
    ProgressFigures figures;
    std::vector<uint32_t> done;
    bool seenSlow = false;
  } watched;
  JournaledRun run(temp.File(u"client\\"));
  CInstall& engine = run.engine;
  engine.SetCallback(
      [](uint32_t total, uint32_t done, const char16_t*, void* context) {
        auto* seen = static_cast<Watched*>(context);
        const auto second = std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        seen->figures.Take(total, done, second.count());
        seen->seenSlow = seen->seenSlow || seen->figures.Slow();
        seen->done.push_back(done);
      },
      &watched);
  ASSERT_TRUE(engine.InstallList(temp.File(u"client\\").c_str(), &list));
  EXPECT_EQ(engine.Outcome().failed, 0);
  EXPECT_TRUE(ReadBytes(temp.Path() / "client/slow.bin") == content);
  for (size_t i = 1; i < watched.done.size(); ++i) {
    EXPECT_LE(watched.done[i] - watched.done[i - 1], 16384u);
  }
  EXPECT_TRUE(watched.seenSlow);
}

// A stop set while a file downloads abandons the download within one piece and ends the run:
// the file being fetched never lands, and the rest of the list is not begun.
TEST_F(InstallEngineTest, AStopInsideADownloadEndsTheRunPromptly) {
  TempFolder temp;
  CUpdateInfo list;
  // 13 MB served over ten seconds.
  list.AddFile(u"slow.bin", 200 * 65536, Md5Hex("not the pattern").c_str(),
               Url("/trickle/200/65536/50").c_str());
  Publish(&list, u"after.txt", "after");
  JournaledRun journaled(temp.File(u"client\\"));
  CInstall& engine = journaled.engine;
  Progress progress;
  Watch(engine, progress);
  std::atomic<bool> stop{false};
  engine.SetStopRequest(&stop);
  std::atomic<bool> followed{true};
  std::thread run([&] { followed = engine.InstallList(temp.File(u"client\\").c_str(), &list); });
  Sleep(1000);
  const auto stopped = std::chrono::steady_clock::now();
  stop = true;
  run.join();

  EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(3));
  EXPECT_FALSE(followed);
  EXPECT_FALSE(std::filesystem::exists(temp.Path() / "client/slow.bin"));
  EXPECT_FALSE(std::filesystem::exists(temp.Path() / "client/after.txt"));
  EXPECT_EQ(Served(Name("1")), 0);
  journaled.journal.Rollback();
  EXPECT_FALSE(std::filesystem::exists(temp.Path() / "client")) << "undone, nothing is left";
}

}  // namespace
