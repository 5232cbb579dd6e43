#include "install/install_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "install/install_outcome.h"
#include "install/progress_figures.h"
#include "records/current_language.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/crypto/sha256.h"
#include "support/delta/file_patch.h"
#include "support/http/http_source.h"
#include "support/text/utf8.h"
#include "support/journal/change_journal.h"
#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/journal_test_target.h"
#include "tests/helpers/logged_lines.h"
#include "tests/helpers/made_link.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/uninstall_entries.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;
using Ending = InstallOutcome::Ending;

constexpr size_t kWhole = std::string::npos;

// A file the fake server serves at "http://server/<name>", whatever the query, with a Range
// request answered from its offset on.
struct ServedFile {
  std::string content;
  // Each of the first cuts replies ends after cutAfter of its bytes, as a connection that drops.
  size_t cutAfter = kWhole;
  int cuts = 0;
  // Zero bytes served before the content, made as they are read: a file of gigabytes that no
  // one holds.
  uint64_t zeros = 0;
};

// The network as the engine's downloads meet it, without one: files by name, every request
// logged as the tests' HTTP server logs it ("<range> <status>", "-" for none), and what a read
// hands over at a time (as much as is asked for unless told otherwise). Each of the engine's
// connections is one of its Connections; it counts the requests open at once.
class FakeServer {
 public:
  std::u16string Publish(const std::string& name, ServedFile file) {
    files_[name] = std::move(file);
    return u"http://server/" + std::u16string(name.begin(), name.end());
  }
  // Each read hands over at most this many bytes.
  uint32_t readSize = 1u << 30;
  // How long each reply's head takes to come, in milliseconds.
  int replyDelayMs = 0;
  // Called after each read that handed over bytes, with the reads so far, on the reading thread.
  std::function<void(int reads)> onRead;

  // A source for the engine's connections.
  HttpSourceMaker Maker() {
    return [this] { return std::make_unique<Connection>(*this); };
  }
  std::vector<std::string> Log(const std::string& name) const {
    std::lock_guard<std::mutex> hold(lock_);
    const auto found = log_.find(name);
    return found == log_.end() ? std::vector<std::string>() : found->second;
  }
  // The replies that began to send name's bytes.
  int Served(const std::string& name) const {
    int served = 0;
    for (const std::string& line : Log(name)) {
      const std::string status = line.substr(line.size() - 3);
      served += status == "200" || status == "206" ? 1 : 0;
    }
    return served;
  }
  int Reads() const { return reads_; }
  // The most requests that were open at once: sent and their replies not yet read to the end
  // (or, for a reply without a body, not yet come).
  int MostOpen() const { return mostOpen_; }

 private:
  // One connection: the reply it reads. Its reads never fail, and it always replies.
  class Connection : public IHttpSource {
   public:
    explicit Connection(FakeServer& server) : server_(server) {}
    ~Connection() override { Close(); }

    SendOutcome Send(const char16_t* url, uint64_t offset, ReplyHead* head) override {
      Close();
      open_ = true;
      server_.Open();
      std::this_thread::sleep_for(std::chrono::milliseconds(server_.replyDelayMs));
      std::u16string path(url);
      path = path.substr(0, path.find(u'?'));
      const std::string name(path.begin() + static_cast<std::ptrdiff_t>(path.rfind(u'/') + 1),
                             path.end());
      if (!server_.Reply(name, offset, head, &body_, &at_, &end_)) Close();
      return SendOutcome::kReplied;
    }
    std::u16string LastError() const override { return {}; }
    bool Read(uint8_t* into, uint32_t wanted, uint32_t* received) override {
      const size_t n =
          static_cast<size_t>(std::min<uint64_t>({wanted, server_.readSize, end_ - at_}));
      for (size_t i = 0; i < n; ++i, ++at_) {
        into[i] = at_ < body_->zeros ? 0 : static_cast<uint8_t>(body_->content[at_ - body_->zeros]);
      }
      *received = static_cast<uint32_t>(n);
      if (at_ == end_) Close();
      if (n > 0 && server_.onRead) server_.onRead(++server_.reads_);
      return true;
    }

   private:
    void Close() {
      if (open_) --server_.open_;
      open_ = false;
    }

    FakeServer& server_;
    bool open_ = false;
    const ServedFile* body_ = nullptr;  // of the reply being read
    uint64_t at_ = 0;                    // where in the file the reply is
    uint64_t end_ = 0;                   // where its body ends
  };

  // Answers a request for name from offset on: the head, and the body's file and bounds. True
  // when a body is open to read.
  bool Reply(const std::string& name, uint64_t offset, ReplyHead* head, const ServedFile** body,
             uint64_t* at, uint64_t* end) {
    std::lock_guard<std::mutex> hold(lock_);
    const std::string range = offset > 0 ? "bytes=" + std::to_string(offset) + "-" : "-";
    *body = nullptr;
    *at = 0;
    *end = 0;
    const auto found = files_.find(name);
    if (found == files_.end()) {
      *head = {404, "0", ""};
      log_[name].push_back(range + " 404");
      return false;
    }
    ServedFile& file = found->second;
    const uint64_t size = file.zeros + file.content.size();
    if (offset >= size) {
      *head = {416, "0", ""};
      log_[name].push_back(range + " 416");
      return false;
    }
    *body = &file;
    *at = offset;
    *head = {offset > 0 ? 206 : 200, std::to_string(size - offset),
             offset > 0 ? "bytes " + std::to_string(offset) + "-" + std::to_string(size - 1) + "/" +
                              std::to_string(size)
                        : ""};
    *end = size;
    if (file.cuts > 0) {
      --file.cuts;
      if (file.cutAfter < *end - offset) *end = offset + file.cutAfter;
    }
    log_[name].push_back(range + " " + std::to_string(head->status));
    return true;
  }
  void Open() {
    std::lock_guard<std::mutex> hold(lock_);
    mostOpen_ = std::max(mostOpen_.load(), ++open_);
  }

  mutable std::mutex lock_;
  std::map<std::string, ServedFile> files_;
  std::map<std::string, std::vector<std::string>> log_;
  std::atomic<int> reads_{0};
  std::atomic<int> open_{0};
  std::atomic<int> mostOpen_{0};
};

struct Progress {
  int reports = 0;
  uint64_t total = 0;
  uint64_t lastDone = 0;
  bool doneWentBack = false;
  std::vector<std::u16string> names;
  CUninstInfo installed;  // what the engine listed as put in place
};

void Record(uint64_t total, uint64_t done, const char16_t* name, void* context) {
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

// The install folder "client" below temp, with "\" separators as the installer builds paths.
std::u16string ClientFolder(const TempFolder& temp) {
  return WindowsStylePath(temp.File(u"client/"));
}

// An engine over server with its journal begun in folder, as the installer and the updater run
// it.
struct JournaledRun {
  JournaledRun(FakeServer& server, const std::u16string& folder) : engine(server.Maker()) {
    EXPECT_TRUE(journal.Begin(folder, u"install.journal"));
    engine.SetJournal(&journal);
  }
  JournalTestTarget machine;
  CChangeJournal journal{machine};
  CInstall engine;
};

// Every file below folder with its bytes, by "/" name.
std::map<std::string, std::string> FilesIn(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    if (item.is_regular_file()) {
      files[fs::relative(item.path(), folder).generic_string()] = ReadBytes(item.path());
    }
  }
  return files;
}

// Puts content on server under name and lists it as file with the given size and digest.
void Publish(FakeServer& server, CUpdateInfo* list, const char16_t* file, const std::string& name,
             const std::string& content, int32_t listedSize, const std::u16string& listedMd5) {
  const std::u16string url = server.Publish(name, {content});
  list->AddFile(file, listedSize, listedMd5.c_str(), url.c_str());
}
void Publish(FakeServer& server, CUpdateInfo* list, const char16_t* file, const std::string& name,
             const std::string& content) {
  Publish(server, list, file, name, content, static_cast<int32_t>(content.size()),
          Md5Hex(content));
}

void ListRemoval(CUpdateInfo* list, const char16_t* file) {
  UpdateItem removal;
  removal.action = UpdateItem::kActionDelete;
  removal.file = file;
  list->AddItem(std::make_unique<UpdateItem>(removal));
}

// A whole list takes its place: new files, replaced files and deletions, listed in list order.
// A list with one file that differs from it in size or digest, or whose name would land outside
// the folder or is one of the installer's own, ends at that file with nothing put in place: no
// installed file was touched, and undoing the run leaves the folder exactly as it was. A download
// that failed is logged with its URL and why, which is the outcome's reason.
TEST(InstallEngine, PutsAWholeListInPlaceAndNothingOfAListWithABadFile) {
  const std::string big = BytePattern(700 * 1024);
  struct Case {
    const char* name;
    std::u16string bad;  // empty: none
    std::string served;
    int32_t listedSize;
    std::u16string why;    // the outcome's reason; empty: none
    bool ownName = false;  // served as listed, but named like one of the installer's files
  };
  const Case cases[] = {
      {"a whole list", u"", "", 0, u""},
      {"a file altered on the way", u"altered.txt", "tampered!", 9,
       u"not the listed file: its size or MD5 differs"},
      {"a file cut short", u"short.txt", "short", 50,
       u"HTTP 200 with another length than expected"},
      {"a name outside the folder", u"..\\escaped.txt", "escaped", 7, u""},
      {"the installer's journal", u"Install.Journal", "journal", 7,
       Text(TextKey::kInstallerFileNameReason), true},
      {"a name the installer stages under", u"sub\\a.txt.NEW~2", "staged", 6,
       Text(TextKey::kInstallerFileNameReason), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::u16string folder = ClientFolder(temp);
    fs::create_directories(temp.Path() / "client");
    WriteBytes(temp.Path() / "client/altered.txt", "the good old file");
    WriteBytes(temp.Path() / "client/obsolete.txt", "to delete");
    const auto before = FilesIn(temp.Path() / "client");
    FakeServer server;
    CUpdateInfo list;
    Publish(server, &list, u"first.txt", "first", "first");
    Publish(server, &list, u"sub\\deep\\big.bin", "big", big);
    if (c.ownName) {
      Publish(server, &list, c.bad.c_str(), "bad", c.served);
    } else if (!c.bad.empty()) {
      Publish(server, &list, c.bad.c_str(), "bad", c.served, c.listedSize, Md5Hex("other"));
    }
    ListRemoval(&list, u"obsolete.txt");
    ListRemoval(&list, u"never-there.txt");

    JournaledRun run(server, folder);
    Progress progress;
    Watch(run.engine, progress);
    LoggedLines logged;
    const InstallOutcome outcome = run.engine.InstallList(folder.c_str(), &list);
    EXPECT_EQ(std::u16string(outcome.reason.Units()), c.why);
    EXPECT_EQ(logged.Starting(u"download failed: "),
              c.why.empty() || c.ownName
                  ? std::vector<std::u16string>{}
                  : std::vector<std::u16string>{u"download failed: http://server/bad: " + c.why});
    EXPECT_EQ(progress.total, static_cast<uint64_t>(list.TotalSize()));
    EXPECT_EQ(progress.lastDone, progress.total);
    EXPECT_FALSE(progress.doneWentBack);
    if (c.bad.empty()) {
      ASSERT_EQ(outcome.ending, Ending::kInstalled);
      ASSERT_TRUE(run.journal.Commit());
      EXPECT_EQ(FilesIn(temp.Path() / "client"),
                (std::map<std::string, std::string>{{"altered.txt", "the good old file"},
                                                    {"first.txt", "first"},
                                                    {"sub/deep/big.bin", big}}));
      EXPECT_EQ(Entries(progress.installed),
                (std::vector<std::u16string>{u"first.txt", u"sub\\deep\\big.bin"}));
      continue;
    }
    ASSERT_EQ(outcome.ending, Ending::kFailed);
    EXPECT_EQ(std::u16string(outcome.firstFailed.Units()), c.bad);
    EXPECT_TRUE(Entries(progress.installed).empty());
    EXPECT_FALSE(fs::exists(temp.Path() / "client/first.txt"));
    EXPECT_EQ(ReadBytes(temp.Path() / "client/altered.txt"), "the good old file");
    EXPECT_TRUE(run.journal.Rollback().Whole());
    EXPECT_EQ(FilesIn(temp.Path() / "client"), before);
    EXPECT_FALSE(fs::exists(temp.Path() / "escaped.txt"));
  }
}

// A link in the installed folder (the machine's answer, through the journal's target) leads
// outside it: a listed file through it is never downloaded nor written, a listed deletion
// through it never removes what it points to. The run ends there and is undone.
TEST(InstallEngine, NothingIsWrittenOrRemovedThroughALink) {
  struct Case {
    const char* name;
    bool removal;  // the list deletes "linked\victim.txt" rather than install a file there
  };
  for (const Case& c : {Case{"a file", false}, Case{"a deletion", true}}) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::u16string folder = ClientFolder(temp);
    const fs::path outside = temp.Path() / "outside";
    fs::create_directories(temp.Path() / "client");
    fs::create_directories(outside);
    WriteBytes(outside / "victim.txt", "victim");
    MadeLink link(temp.Path() / "client/linked", outside);
    ASSERT_TRUE(link.Made());
    FakeServer server;
    CUpdateInfo list;
    Publish(server, &list, u"first.txt", "first", "first");
    if (c.removal) {
      ListRemoval(&list, u"linked\\victim.txt");
    } else {
      Publish(server, &list, u"linked\\victim.txt", "victim", "overwritten");
    }

    JournaledRun run(server, folder);
    const InstallOutcome outcome = run.engine.InstallList(folder.c_str(), &list);
    ASSERT_EQ(outcome.ending, Ending::kFailed);
    EXPECT_EQ(std::u16string(outcome.firstFailed.Units()), u"linked\\victim.txt");
    EXPECT_EQ(server.Served("victim"), 0);
    EXPECT_TRUE(run.journal.Rollback().Whole());
    EXPECT_EQ(ReadBytes(outside / "victim.txt"), "victim");
    EXPECT_EQ(FilesIn(outside), (std::map<std::string, std::string>{{"victim.txt", "victim"}}));
    EXPECT_FALSE(fs::exists(temp.Path() / "client/first.txt"));
  }
}

TEST(InstallEngine, ARunOverAnUnchangedClientDownloadsNothing) {
  TempFolder temp;
  const std::u16string folder = ClientFolder(temp);
  FakeServer server;
  CUpdateInfo list;
  Publish(server, &list, u"a.txt", "a", "alpha");
  Publish(server, &list, u"bin\\b.dll", "b", BytePattern(300000));

  {
    JournaledRun first(server, folder);
    ASSERT_EQ(first.engine.InstallList(folder.c_str(), &list).ending, Ending::kInstalled);
    ASSERT_TRUE(first.journal.Commit());
  }
  JournaledRun again(server, folder);
  Progress progress;
  Watch(again.engine, progress);
  EXPECT_EQ(again.engine.InstallList(folder.c_str(), &list).ending, Ending::kInstalled);
  // Files found in place belong to the install as much as those downloaded.
  EXPECT_EQ(Entries(progress.installed), (std::vector<std::u16string>{u"a.txt", u"bin\\b.dll"}));
  EXPECT_EQ(server.Served("a"), 1);
  EXPECT_EQ(server.Served("b"), 1);
  EXPECT_EQ(progress.lastDone, static_cast<uint64_t>(list.TotalSize()));
}

// A file arrives in "<file>.download~" beside the one in place, which it replaces only once whole
// and checked. A run whose transfer keeps being cut off leaves the old file and what arrived; the
// next run goes on from there with a Range request, and a staging file of a file already in
// place is cleared away.
TEST(InstallEngine, ACutOffFileIsResumedByTheNextRun) {
  TempFolder temp;
  const std::u16string folder = ClientFolder(temp);
  const fs::path target = temp.Path() / "client/bin/big.dll";
  const fs::path staging = temp.Path() / "client/bin/big.dll.download~";
  fs::create_directories(target.parent_path());
  WriteBytes(target, "the old version");
  const uint32_t size = 2000000;
  const std::string content = BytePattern(size);
  FakeServer server;
  // Each of the first four replies (one run's tries) stops after 300,000 bytes.
  const std::u16string url = server.Publish("big", {content, 300000, 4});
  CUpdateInfo list;
  list.AddFile(u"bin\\big.dll", size, Md5Hex(content).c_str(), url.c_str());

  auto cutOff = std::make_unique<JournaledRun>(server, folder);
  // As the updater keeps them, for the next run to go on from.
  cutOff->engine.KeepDownloadsOf([](const char16_t*) { return true; });
  Progress progress;
  Watch(cutOff->engine, progress);
  const InstallOutcome cut = cutOff->engine.InstallList(folder.c_str(), &list);
  EXPECT_EQ(cut.ending, Ending::kFailed);
  EXPECT_EQ(std::u16string(cut.firstFailed.Units()), u"bin\\big.dll");
  cutOff.reset();
  EXPECT_TRUE(Entries(progress.installed).empty());
  EXPECT_EQ(ReadBytes(target), "the old version");
  const std::string kept = ReadBytes(staging);
  EXPECT_EQ(kept.size(), 4 * 300000u);
  EXPECT_TRUE(kept == content.substr(0, kept.size()));
  EXPECT_EQ(progress.lastDone, size);

  auto resumed = std::make_unique<JournaledRun>(server, folder);
  ASSERT_EQ(resumed->engine.InstallList(folder.c_str(), &list).ending, Ending::kInstalled);
  ASSERT_TRUE(resumed->journal.Commit());
  EXPECT_TRUE(ReadBytes(target) == content);
  EXPECT_FALSE(fs::exists(staging));
  const std::vector<std::string> log = server.Log("big");
  EXPECT_EQ(log, (std::vector<std::string>{"- 200", "bytes=300000- 206", "bytes=600000- 206",
                                           "bytes=900000- 206", "bytes=1200000- 206"}));

  WriteBytes(staging, "left over");
  JournaledRun inPlace(server, folder);
  EXPECT_EQ(inPlace.engine.InstallList(folder.c_str(), &list).ending, Ending::kInstalled);
  EXPECT_FALSE(fs::exists(staging));
  EXPECT_EQ(server.Log("big").size(), log.size());  // nothing downloaded
}

// Downloads take their places after all have arrived, in list order; when one cannot (its
// installed file is held), the run is undone. The updater's downloads of files the client has
// take their places one by one, so that those after the failed one stay for its next run; a
// first install's all go, as they were noted together before the first began.
TEST(InstallEngine, AFailedPlacingLeavesOnlyTheDownloadsKeptForTheNextRun) {
  const struct {
    const char* run;
    std::function<bool(const char16_t*)> keep;  // none: a first install
    std::vector<std::string> kept;              // the downloads left for the next run
  } cases[] = {
      {"the updater", [](const char16_t*) { return true; }, {"b", "c"}},
      {"a first install", nullptr, {}},
      // a.dll and b.dll go together, and before c.dll, which waits for them.
      {"the updater, keeping c.dll alone", [](const char16_t* file) { return file[0] == u'c'; },
       {"c"}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.run);
    TempFolder temp;
    const std::u16string folder = ClientFolder(temp);
    FakeServer server;
    CUpdateInfo list;
    fs::create_directories(temp.Path() / "client");
    for (const char* name : {"a", "b", "c"}) {
      WriteBytes(temp.Path() / "client" / (std::string(name) + ".dll"), "the old version");
      Publish(server, &list, Utf8ToUtf16(std::string(name) + ".dll").c_str(), name,
              BytePattern(1000));
    }
    auto run = std::make_unique<JournaledRun>(server, folder);
    if (test.keep) run->engine.KeepDownloadsOf(test.keep);
    run->machine.Hold(folder + u"a.dll");
    const InstallOutcome outcome = run->engine.InstallList(folder.c_str(), &list);
    EXPECT_EQ(outcome.ending, Ending::kFailed);
    EXPECT_EQ(std::u16string(outcome.firstFailed.Units()), u"a.dll");
    EXPECT_TRUE(run->journal.Rollback().Whole());
    run.reset();
    std::map<std::string, std::string> left = {
        {"a.dll", "the old version"}, {"b.dll", "the old version"}, {"c.dll", "the old version"}};
    for (const std::string& name : test.kept) left[name + ".dll.download~"] = BytePattern(1000);
    EXPECT_EQ(FilesIn(temp.Path() / "client"), left);
  }
}

// A listed file larger than 4 GB is counted and asked for at its whole size: a run goes on from
// where an earlier one left it, past 4 GB, and keeps what arrives for the next. Its bytes are
// zeros but for its end, served as they are read and sparse on disk; the run is cut off before
// the check, which would read gigabytes (the downloads' own tests check such a file whole).
TEST(InstallEngine, AFileLargerThan4GbIsCountedAndResumedPastIt) {
  constexpr uint64_t kZeros = uint64_t{5} << 30;
  const std::string end = BytePattern(200000);
  const uint64_t size = kZeros + end.size();
  TempFolder temp;
  const std::u16string folder = ClientFolder(temp);
  const fs::path staging = temp.Path() / "client/big.bin.download~";
  fs::create_directories(staging.parent_path());
  // What an earlier run left: the zeros and the first 20,000 bytes of the end.
  std::ofstream(staging, std::ios::binary).close();
  fs::resize_file(staging, kZeros);
  std::ofstream(staging, std::ios::binary | std::ios::app) << end.substr(0, 20000);
  FakeServer server;
  // Each of one run's four tries is cut off after 30,000 bytes.
  CUpdateInfo list;
  list.AddFile(u"big.bin", static_cast<int64_t>(size), Md5Hex("not checked").c_str(),
               server.Publish("big", {end, 30000, 4, kZeros}).c_str());
  Publish(server, &list, u"small.txt", "small", "small");
  struct Seen {
    std::set<uint64_t> totals;
    std::vector<uint64_t> done;
  } seen;
  JournaledRun run(server, folder);
  run.engine.KeepDownloadsOf([](const char16_t*) { return true; });
  run.engine.SetCallback(
      [](uint64_t total, uint64_t done, const char16_t*, void* context) {
        static_cast<Seen*>(context)->totals.insert(total);
        static_cast<Seen*>(context)->done.push_back(done);
      },
      &seen);

  const InstallOutcome outcome = run.engine.InstallList(folder.c_str(), &list);
  EXPECT_EQ(outcome.ending, Ending::kFailed);
  EXPECT_EQ(std::u16string(outcome.firstFailed.Units()), u"big.bin");
  EXPECT_EQ(server.Log("big"),
            (std::vector<std::string>{"bytes=5368729120- 206", "bytes=5368759120- 206",
                                      "bytes=5368789120- 206", "bytes=5368819120- 206"}));
  const uint64_t kept = kZeros + 20000 + 4 * 30000;
  ASSERT_EQ(fs::file_size(staging), kept);
  std::ifstream in(staging, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(kZeros));
  std::string arrived(static_cast<size_t>(kept - kZeros), '\0');
  in.read(arrived.data(), static_cast<std::streamsize>(arrived.size()));
  EXPECT_TRUE(arrived == end.substr(0, arrived.size()));
  // The list's whole total, told as the bytes arrived past 4 GB (with the small file's) and never
  // back.
  EXPECT_EQ(seen.totals, std::set<uint64_t>{size + 5});
  EXPECT_NE(std::find(seen.done.begin(), seen.done.end(), kept + 5), seen.done.end());
  EXPECT_TRUE(std::is_sorted(seen.done.begin(), seen.done.end()));
}

// The figures of the progress page come from the engine's reports: a file is told as it arrives
// (every few milliseconds), so a network slower than the threshold shows as slow. Told only once
// the file is whole, 80 KB a second would have looked like the whole file in no time.
TEST(InstallEngine, ATricklingFileIsToldAsItArrivesAndShowsAsSlow) {
  TempFolder temp;
  const std::u16string folder = ClientFolder(temp);
  const std::string content = BytePattern(400000);
  FakeServer server;
  // 4,000 bytes every 50 ms: 80 KB a second, for five seconds of a clock the reads move; each
  // read takes 2 real milliseconds, so that the engine's reports fall between them.
  server.readSize = 4000;
  std::atomic<int64_t> clockMs{0};
  server.onRead = [&clockMs](int) {
    clockMs += 50;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  };
  CUpdateInfo list;
  list.AddFile(u"slow.bin", 400000, Md5Hex(content).c_str(),
               server.Publish("slow", {content}).c_str());
  struct Watched {
    const std::atomic<int64_t>* clockMs = nullptr;
    ProgressFigures figures;
    std::vector<uint64_t> done;
    bool seenSlow = false;
  } watched;
  watched.clockMs = &clockMs;
  JournaledRun run(server, folder);
  CInstall& engine = run.engine;
  engine.SetCallback(
      [](uint64_t total, uint64_t done, const char16_t*, void* context) {
        auto* seen = static_cast<Watched*>(context);
        seen->figures.Take(total, done, *seen->clockMs / 1000);
        seen->seenSlow = seen->seenSlow || seen->figures.Slow();
        seen->done.push_back(done);
      },
      &watched);
  ASSERT_EQ(engine.InstallList(folder.c_str(), &list).ending, Ending::kInstalled);
  EXPECT_TRUE(ReadBytes(temp.Path() / "client/slow.bin") == content);
  const std::set<uint64_t> partial(
      watched.done.begin(),
      std::find(watched.done.begin(), watched.done.end(), content.size()));
  EXPECT_GE(partial.size(), 5u) << "told as it arrived";
  EXPECT_TRUE(watched.seenSlow);
}

// Several files download at once, each over a connection of its own, never more at once than
// asked for nor than kMostConnections, and the run ends as one at a time would: every file in
// place, listed in list order; or, for failures among many, the first failed in list order named
// with its reason (a later one that failed sooner ends only the downloads after it) and nothing
// put in place; or, for a stop during the downloads, every download ended at its next piece, no
// file begun after it, the run stopped, and nothing left once undone.
TEST(InstallEngine, DownloadsSeveralFilesAtOnceAndEndsAsOneAtATimeWould) {
  constexpr int kFiles = 16;
  struct Case {
    const char* name;
    int connections;
    int mostOpen;       // at most this many requests open at once, and more than one unless 1
    int cutOff = -1;    // an entry whose every reply is cut off, failing after its pauses
    int missing = -1;   // an entry the server does not have, failing at once
    int altered = -1;   // an entry served other than listed
    int stopAtRead = 0;  // the read whose piece sets the stop; 0: none
    int failed = -1;    // the entry the outcome names
  };
  const Case cases[] = {
      {"one connection", 1, 1},
      {"four", 4, 4},
      {"more than the most", 20, kMostConnections},
      {"failures among many", 4, 4, -1, 9, 5, 0, 5},
      {"a later failure comes sooner", 4, 4, 3, 6, -1, 0, 3},
      {"a stop", 4, 4, -1, -1, -1, 3},
      {"a stop, one connection", 1, 1, -1, -1, -1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::u16string folder = ClientFolder(temp);
    FakeServer server;
    // Each reply comes after 20 ms and is read 1,000 bytes at a time.
    server.replyDelayMs = 20;
    server.readSize = 1000;
    std::atomic<bool> stop{false};
    server.onRead = [&stop, &c](int reads) {
      if (reads == c.stopAtRead) stop = true;
    };
    CUpdateInfo list;
    std::vector<std::u16string> files;
    std::vector<std::u16string> urls;
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = "f" + std::to_string(i);
      const std::string content = BytePattern(64000 + static_cast<size_t>(i));
      ServedFile served{i == c.altered ? "altered" + content.substr(7) : content};
      if (i == c.cutOff) served = {content, 1000, 4};
      files.push_back(u"dir" + std::u16string(1, static_cast<char16_t>(u'a' + i % 3)) + u"\\" +
                      std::u16string(name.begin(), name.end()) + u".bin");
      urls.push_back(server.Publish(i == c.missing ? name + "-gone" : name, served));
      if (i == c.missing) urls.back() = u"http://server/" + std::u16string(name.begin(), name.end());
      list.AddFile(files.back().c_str(), static_cast<int32_t>(content.size()),
                   Md5Hex(content).c_str(), urls.back().c_str());
    }
    JournaledRun run(server, folder);
    run.engine.SetConnections(c.connections);
    run.engine.SetStopRequest(&stop);
    Progress progress;
    Watch(run.engine, progress);
    LoggedLines logged;

    const InstallOutcome outcome = run.engine.InstallList(folder.c_str(), &list);
    EXPECT_LE(server.MostOpen(), c.mostOpen);
    if (c.stopAtRead > 0) {
      EXPECT_EQ(outcome.ending, Ending::kStopped);
      // Each other connection reads at most the piece it was reading.
      EXPECT_LE(server.Reads(), c.stopAtRead + c.connections - 1);
      int begun = 0;
      for (int i = 0; i < kFiles; ++i) begun += server.Served("f" + std::to_string(i));
      EXPECT_LE(begun, c.connections);
    } else {
      EXPECT_EQ(server.MostOpen() > 1, c.mostOpen > 1);
      EXPECT_EQ(progress.lastDone, progress.total);
      EXPECT_FALSE(progress.doneWentBack);
    }
    if (c.failed < 0 && c.stopAtRead == 0) {
      ASSERT_EQ(outcome.ending, Ending::kInstalled);
      EXPECT_EQ(Entries(progress.installed), files);
      ASSERT_TRUE(run.journal.Commit());
      EXPECT_EQ(FilesIn(temp.Path() / "client").size(), static_cast<size_t>(kFiles));
      continue;
    }
    if (c.failed >= 0) {
      ASSERT_EQ(outcome.ending, Ending::kFailed);
      const size_t failed = static_cast<size_t>(c.failed);
      EXPECT_EQ(std::u16string(outcome.firstFailed.Units()), files[failed]);
      EXPECT_TRUE(logged.Contains(u"download failed: " + urls[failed] + u": " +
                                  outcome.reason.Units()));
      EXPECT_TRUE(Entries(progress.installed).empty());
      for (const auto& [name, bytes] : FilesIn(temp.Path() / "client")) {
        EXPECT_NE(name.substr(name.size() - 4), ".bin") << name << " is in place";
      }
    }
    EXPECT_TRUE(run.journal.Rollback().Whole());
    EXPECT_FALSE(fs::exists(temp.Path() / "client")) << "undone, nothing is left";
  }
}

}  // namespace

namespace {

std::u16string Sha256Of(const std::string& bytes) {
  char16_t digest[65];
  EXPECT_TRUE(Sha256HexOfMemory(digest, bytes.data(), bytes.size()));
  return digest;
}

// The patch that makes after from before, as setupkit makes it.
std::string PatchBetween(const std::string& before, const std::string& after) {
  TempFolder temp;
  WriteBytes(temp.Path() / "before", before);
  WriteBytes(temp.Path() / "after", after);
  std::string why;
  EXPECT_TRUE(MakeFilePatch(temp.File(u"before").c_str(), temp.File(u"after").c_str(),
                            temp.File(u"patch").c_str(), &why))
      << why;
  return ReadBytes(temp.Path() / "patch");
}

}  // namespace

// A changed file whose installed version a listed patch applies to comes as that patch, applied
// beside it and checked; anything wrong with the patch, or an installed file no patch is for,
// ends in the whole file fetched once, with the reason in the log. Either way the client ends
// whole at the new version, no patch is left beside it, and the progress ends at the bytes
// downloaded.
TEST(InstallEngine, AFileComesAsItsPatchOrWholeWhenThePatchFails) {
  const std::string v1 = Noise(200000, 1);
  std::string v2 = v1;
  v2.replace(5000, 3, "new");
  v2.insert(100000, "a change in the middle");
  const std::string patch = PatchBetween(v1, v2);
  std::string changed = patch;
  changed[changed.size() / 2] ^= 1;
  // Another build of the old version, listed as the one the patch from v1 is for.
  std::string otherV1 = v1;
  otherV1.replace(50000, 100, std::string(100, 'o'));
  struct Case {
    const char* name;
    std::string installed;
    std::string listedFrom;  // the old file the list gives the patch for
    std::string served;      // the patch on the server, listed with its own size and digest
    std::u16string logged;
    // The updater keeps downloads for its next run; a download-mode install over an earlier
    // version keeps none.
    bool updater = true;
  };
  const Case cases[] = {
      {"the patch applies", v1, v1, patch, u"patched bin\\app.dll: "},
      {"an install over the earlier version", v1, v1, patch, u"patched bin\\app.dll: ", false},
      {"a patch changed by one byte", v1, v1, changed,
       u"patch dropped: bin\\app.dll: the patch did not download: "},
      {"a patch for another old file", otherV1, otherV1, patch,
       u"patch dropped: bin\\app.dll: the patch does not apply: "},
      {"a truncated patch", v1, v1, patch.substr(0, patch.size() - 20),
       u"patch dropped: bin\\app.dll: the patch did not download: "},
      {"an installed file that no longer matches", v1 + "x", v1, patch,
       u"no patch applies to the installed bin\\app.dll; fetching the whole file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::u16string folder = ClientFolder(temp);
    fs::create_directories(temp.Path() / "client/bin");
    WriteBytes(temp.Path() / "client/bin/app.dll", c.installed);
    FakeServer server;
    const std::u16string url = server.Publish("app.dll", {v2});
    auto item = NewFileItem(u"bin\\app.dll", static_cast<int64_t>(v2.size()),
                            Md5Hex(v2).c_str(), Sha256Of(v2).c_str(), url.c_str());
    ItemDelta delta;
    const std::u16string from = Sha256Of(c.listedFrom);
    std::copy_n(from.c_str(), 65, delta.from);
    // The digest of the patch made, so that one changed on the way fails its download's check.
    const std::u16string patchDigest = Sha256Of(patch);
    std::copy_n(patchDigest.c_str(), 65, delta.sha256);
    delta.size = static_cast<int64_t>(patch.size());
    item->deltas.push_back(delta);
    const std::string patchName = "app.dll." + Utf16ToUtf8(from.c_str()) + ".patch";
    server.Publish(patchName, {c.served});
    CUpdateInfo list;
    list.AddItem(std::move(item));

    LoggedLines logged;
    JournaledRun run(server, folder);
    if (c.updater) run.engine.KeepDownloadsOf([](const char16_t*) { return true; });
    Progress progress;
    Watch(run.engine, progress);
    ASSERT_EQ(run.engine.InstallList(folder.c_str(), &list).ending, Ending::kInstalled);
    ASSERT_TRUE(run.journal.Commit());
    EXPECT_TRUE(ReadBytes(temp.Path() / "client/bin/app.dll") == v2);
    const bool patched = c.served == patch && c.installed == v1;
    // The progress counts what was downloaded: the patch, or the whole file once it is dropped.
    EXPECT_EQ(progress.total, patched ? patch.size() : v2.size());
    EXPECT_EQ(progress.lastDone, progress.total);
    EXPECT_EQ(server.Served("app.dll"), patched ? 0 : 1);
    EXPECT_EQ(server.Served(patchName), c.installed == c.listedFrom ? 1 : 0);
    EXPECT_EQ(logged.Starting(c.logged).size(), 1u);
    EXPECT_EQ(logged.Starting(u"downloaded bin\\app.dll whole: ").size(), patched ? 0u : 1u);
    EXPECT_EQ(FilesIn(temp.Path() / "client").size(), 1u);
  }
}
