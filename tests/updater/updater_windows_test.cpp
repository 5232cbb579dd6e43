// The real update.exe over a real download-mode install: the client published on the tests'
// HTTP server, which counts what it serves, then changed there and updated.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "install/exit_codes.h"
#include "product/product_keys.h"
#include "records/current_language.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/http/file_download.h"
#include "support/journal/change_journal.h"
#include "support/text/utf8.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/directory_link.h"
#include "tests/helpers/killing_target.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/outside_kill.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/windows_test_support.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

std::string Ascii(const std::u16string& text) { return Utf16ToUtf8(text.c_str()); }

class UpdaterTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
    served_ = Ascii(UniqueName(u"updates")) + "/";
    product_ = std::make_unique<ShippedProduct>(
        "source=" + Ascii(Url("/file/" + served_)) + ";\nconfig=" +
        Ascii(Url("/file/" + served_ + "update.xml")) + ";\n");
    StampProgramsIntoClient();
    installedDigest_ = Publish(u"1.0.0.0");
    ToolRun build = product_->Build({u"--download"});
    ASSERT_EQ(build.status, 0) << build.err;
    // The only line: that the list goes out unsigned.
    EXPECT_EQ(build.err.find("setupkit: warning: "), 0u) << build.err;
    EXPECT_EQ(std::count(build.err.begin(), build.err.end(), '\n'), 1) << build.err;
    ASSERT_EQ(product_->Install(), 0u);
    ASSERT_EQ(RecordedValue(u"md5"), installedDigest_);
  }

  // What a vendor of a download-mode client publishes: the uninstaller and the updater, each
  // stamped with the configuration, among the client's files.
  void StampProgramsIntoClient() {
    const std::u16string record = product_->Temp().File(u"record.rec");
    ToolRun config =
        RunSetupkitCaptured({u"config", product_->ConfigFile(), record, u"--packed"});
    ASSERT_EQ(config.status, 0) << config.err;
    for (const char* program : {"unins000.exe", "update.exe"}) {
      product_->WriteClientFile(program, ReadBytes(TestProgramFolder() / program));
      const std::u16string path = (product_->ClientFolder() / program).u16string();
      ASSERT_EQ(RunSetupkitCaptured({u"stamp", path, record}).status, 0);
      product_->WriteClientFile(program, ReadBytes(path));
    }
  }

  // Puts the client's files, below the folder under (ending with "/") when one is given, and
  // their update list (made by setupkit list, then with removed marked for deletion) on the
  // server; returns the list's digest. With an earlier version's folder, the list names the
  // patches from its files, and they are put beside their files.
  std::u16string Publish(const char16_t* version, const std::vector<std::string>& removed = {},
                         const std::string& under = "", const fs::path& previous = {}) {
    for (const auto& [name, bytes] : product_->ClientFiles()) {
      EXPECT_TRUE(Keep(UrlPath(served_ + under + name), bytes)) << name;
    }
    const std::u16string listFile = product_->Temp().File(u"update.xml");
    std::vector<std::u16string> arguments = {u"list", product_->ClientFolder().u16string(),
                                             Url("/file/" + served_ + under), listFile,
                                             u"--version", version};
    if (!previous.empty()) arguments.insert(arguments.end(), {u"--previous", previous.u16string()});
    ToolRun list = RunSetupkitCaptured(arguments);
    EXPECT_EQ(list.status, 0) << list.err;
    CUpdateInfo published;
    EXPECT_TRUE(published.LoadFromFile(listFile.c_str()));
    for (int i = 0; i < published.Count(); ++i) {
      std::string name = Ascii(published.Get(i)->file);
      std::replace(name.begin(), name.end(), '\\', '/');
      for (const ItemDelta& delta : published.Get(i)->deltas) {
        const std::string patch = name + "." + Ascii(delta.from) + ".patch";
        EXPECT_TRUE(Keep(UrlPath(served_ + under + patch),
                         ReadBytes(product_->Temp().Path() / fs::u8path(patch))))
            << patch;
      }
    }
    for (const std::string& name : removed) {
      auto item = std::make_unique<UpdateItem>();
      item->action = UpdateItem::kActionDelete;
      item->file = Utf8ToUtf16(name);
      published.AddItem(std::move(item));
    }
    EXPECT_NE(published.SaveToFile(listFile.c_str(), false), 0u);
    const std::string bytes = ReadBytes(fs::path(listFile));
    EXPECT_TRUE(Keep(served_ + "update.xml", bytes));
    return Md5Hex(bytes);
  }

  // How many times the server has served each client file and the list.
  std::map<std::string, int> ServeCounts() const {
    std::map<std::string, int> counts = {{"update.xml", Served(served_ + "update.xml")}};
    for (const auto& item : product_->ClientFiles()) {
      counts[item.first] = Served(UrlPath(served_ + item.first));
    }
    return counts;
  }

  // The files served since the counts before, with how many more times.
  std::map<std::string, int> FetchedSince(const std::map<std::string, int>& before) const {
    std::map<std::string, int> fetched;
    for (const auto& [name, count] : ServeCounts()) {
      if (count != before.at(name)) fetched[name] = count - before.at(name);
    }
    return fetched;
  }

  std::u16string RecordedValue(const char16_t* name) const {
    char16_t value[64] = {};
    return ReadProductValue(u"ProgramsTestCompany", product_->Record().GetApp().Units(), name,
                            value, 64)
               ? value
               : u"<missing>";
  }

  fs::path Folder() const { return product_->Folder(); }

  ProgramRun Update(const std::wstring& arguments, std::deque<int> answers = {}) {
    return RunAnswering((Folder() / "update.exe").u16string(), arguments, std::move(answers),
                        120000);
  }

  std::set<std::u16string> UninstallEntries() const {
    CUninstInfo list;
    EXPECT_TRUE(list.LoadFromFile((Folder() / "uninst.dat").u16string().c_str()));
    std::set<std::u16string> entries;
    for (int i = 0; i < list.Count(); ++i) entries.insert(list.Get(i));
    return entries;
  }

  // Adds to the published list an item for each name, served the bytes of readme.txt, and for
  // each of deleted a deletion.
  void PublishHostileItems(const std::vector<std::u16string>& names,
                           const std::vector<std::u16string>& deleted) {
    const std::u16string listFile = product_->Temp().File(u"update.xml");
    CUpdateInfo list;
    ASSERT_TRUE(list.LoadFromFile(listFile.c_str()));
    const UpdateItem* readme = nullptr;
    for (int i = 0; i < list.Count(); ++i) {
      if (list.Get(i)->file == u"readme.txt") readme = list.Get(i);
    }
    ASSERT_NE(readme, nullptr);
    const UpdateItem model = *readme;
    for (const std::u16string& name : names) {
      auto item = std::make_unique<UpdateItem>(model);
      item->file = name;
      list.AddItem(std::move(item));
    }
    for (const std::u16string& name : deleted) {
      auto item = std::make_unique<UpdateItem>();
      item->action = UpdateItem::kActionDelete;
      item->file = name;
      list.AddItem(std::move(item));
    }
    ASSERT_NE(list.SaveToFile(listFile.c_str(), false), 0u);
    ASSERT_TRUE(Keep(served_ + "update.xml", ReadBytes(fs::path(listFile))));
  }

  std::string served_;
  std::unique_ptr<ShippedProduct> product_;
  std::u16string installedDigest_;
};

// The real update.exe over a changed publication: asked and told through real message boxes, it
// fetches only what differs, removes what the list removes, and records the new list's digest and
// version.
TEST_F(UpdaterTest, FetchesOnlyWhatChangedRemovesWhatTheListRemovesAndRecordsTheList) {
  product_->WriteClientFile("data/settings.ini", "new contents of data/settings.ini");
  product_->WriteClientFile("new/fresh.txt", "new contents of new/fresh.txt");
  product_->RemoveClientFile("readme.txt");
  const std::u16string digest = Publish(u"1.1.0.1", {"readme.txt"});
  const std::map<std::string, int> before = ServeCounts();

  ProgramRun run = Update(L"", {IDYES});

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(run.questions.size(), 2u);
  const std::u16string name = product_->Record().GetName().Units();
  EXPECT_EQ(run.questions[0].text,
            Text(TextKey::kUpdateQuestionVersion, {{u"name", name}, {u"version", u"1.1.0.1"}}));
  EXPECT_EQ(run.questions[1].text, Text(TextKey::kUpdated, {{u"name", name}}));
  EXPECT_EQ(FetchedSince(before), (std::map<std::string, int>{{"data/settings.ini", 1},
                                                              {"new/fresh.txt", 1},
                                                              {"update.xml", 1}}));
  for (const auto& [name, bytes] : product_->ClientFiles()) {
    EXPECT_EQ(ReadBytes(Folder() / fs::u8path(name)), bytes) << name;
  }
  EXPECT_FALSE(fs::exists(Folder() / "readme.txt"));
  EXPECT_EQ(RecordedValue(u"md5"), digest);
  EXPECT_EQ(RecordedValue(u"version"), u"1.1.0.1");
  const std::set<std::u16string> entries = UninstallEntries();
  EXPECT_EQ(entries.count(u"new\\fresh.txt"), 1u);
  EXPECT_EQ(entries.count(u"readme.txt"), 0u);
}

// A list with patches from the installed version: the changed file comes as its patch, applied
// to the installed file and checked, and the log says what it saved; the client ends at the new
// version.
TEST_F(UpdaterTest, AChangedFileComesAsItsPatchFromTheInstalledVersion) {
  // An earlier update brings a program of some size, as an earlier publish leaves it.
  const std::string engine = ReadBytes(TestProgramFolder() / "unins000.exe");
  product_->WriteClientFile("lib/engine.dll", engine);
  Publish(u"1.1.0.0");
  ASSERT_EQ(Update(L"silent").exitCode, 0u);
  const fs::path earlier = product_->Temp().Path() / "v1.1";
  fs::copy(product_->ClientFolder(), earlier, fs::copy_options::recursive);
  fs::copy_file(product_->Temp().Path() / "update.xml", earlier / "update.xml");

  std::string rebuilt = engine;
  rebuilt.replace(rebuilt.size() / 2, 16, "a one-line fix..");
  product_->WriteClientFile("lib/engine.dll", rebuilt);
  Publish(u"1.2.0.0", {}, "", earlier);
  CUpdateInfo published;
  ASSERT_TRUE(published.LoadFromFile(product_->Temp().File(u"update.xml").c_str()));
  std::string patchName;
  for (int i = 0; i < published.Count(); ++i) {
    if (published.Get(i)->file != u"lib\\engine.dll") continue;
    ASSERT_EQ(published.Get(i)->deltas.size(), 1u);
    patchName = "lib/engine.dll." + Ascii(published.Get(i)->deltas[0].from) + ".patch";
  }
  const std::string patch = ReadBytes(product_->Temp().Path() / fs::u8path(patchName));
  EXPECT_LT(patch.size(), rebuilt.size() / 20);
  const std::map<std::string, int> before = ServeCounts();
  const int patchServed = Served(UrlPath(served_ + patchName));

  ASSERT_EQ(Update(L"silent").exitCode, 0u);
  EXPECT_EQ(FetchedSince(before), (std::map<std::string, int>{{"update.xml", 1}}));
  EXPECT_EQ(Served(UrlPath(served_ + patchName)), patchServed + 1);
  EXPECT_TRUE(ReadBytes(Folder() / "lib" / "engine.dll") == rebuilt);
  EXPECT_FALSE(fs::exists(Folder() / "lib" / "engine.dll.patch~"));
  EXPECT_EQ(RecordedValue(u"version"), u"1.2.0.0");
  wchar_t temp[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const std::string log = ReadBytes(
      fs::path(temp) / (Ascii(product_->Record().GetApp().Units()) + "_update.log"));
  EXPECT_NE(log.find("patched lib\\engine.dll: " + std::to_string(patch.size()) +
                     " bytes downloaded of " + std::to_string(rebuilt.size())),
            std::string::npos);
}

// Names holding what URLs reserve or escape: build --publish lays them out, a plain upload of
// that folder serves them to a download-mode install, and the updater fetches them again once
// they change.
TEST_F(UpdaterTest, NamesThatUrlsReserveArePublishedInstalledAndUpdated) {
  struct Case {
    const char* label;
    std::string name;
  };
  const Case cases[] = {
      {"a space", "plugins/a b/x.dll"},
      {"a number sign", "plugins/#1.dll"},
      {"a percent sign", "plugins/100%25.dll"},
      {"a plus sign", "plugins/c++.dll"},
      {"an ampersand and a semicolon", "plugins/a&b;c.dll"},
      {"letters past ASCII", "\xE6\x8F\x92\xE4\xBB\xB6/\xC3\xA9\xF0\x9F\x98\x80.dll"},  // 插件/é😀
  };
  for (const Case& c : cases) product_->WriteClientFile(c.name, "first " + c.name);
  const fs::path site = product_->Temp().Path() / "site";
  ToolRun build = product_->Build({u"--download", u"--publish", site.u16string()});
  ASSERT_EQ(build.status, 0) << build.err;
  for (const auto& item : fs::recursive_directory_iterator(site)) {
    if (!item.is_regular_file()) continue;
    const std::string name = item.path().lexically_relative(site).generic_u8string();
    ASSERT_TRUE(Keep(UrlPath(served_ + name), ReadBytes(item.path()))) << name;
  }
  ASSERT_EQ(product_->Install(), 0u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ReadBytes(Folder() / fs::u8path(c.name)), "first " + c.name);
  }

  for (const Case& c : cases) product_->WriteClientFile(c.name, "second " + c.name);
  Publish(u"1.1.0.0");
  ProgramRun run = Update(L" silent");
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ReadBytes(Folder() / fs::u8path(c.name)), "second " + c.name);
    EXPECT_EQ(Served(UrlPath(served_ + c.name)), 2);
  }
}

// A list naming places outside the folder, or inside a folder link that leads out, writes and
// deletes nothing there and puts none of those names into "uninst.dat": the uninstall afterwards
// still removes everything.
TEST_F(UpdaterTest, AHostileListWritesNothingOutsideAndLeavesTheUninstallWhole) {
  const fs::path outside = product_->Temp().Path() / "outside";
  fs::create_directories(outside);
  WriteBytes(outside / "victim.txt", "victim");
  ASSERT_TRUE(MakeDirectoryLink(Folder() / "linkdir", outside));
  Publish(u"1.0.0.1");
  PublishHostileItems({u"..\\escape.txt", u"trail.", u"CON", u"linkdir\\written.txt"},
                      {u"linkdir\\victim.txt"});
  ProgramRun run = Update(L" silent");
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitUpdateFailed))
      << "refused entries are failed entries";
  EXPECT_FALSE(fs::exists(product_->Temp().Path() / "escape.txt"));
  EXPECT_FALSE(fs::exists(outside / "written.txt"));
  EXPECT_EQ(ReadBytes(outside / "victim.txt"), "victim");
  const std::set<std::u16string> entries = UninstallEntries();
  for (const char16_t* refused : {u"..\\escape.txt", u"trail.", u"CON", u"linkdir\\written.txt"}) {
    EXPECT_EQ(entries.count(refused), 0u) << Ascii(refused);
  }
  ASSERT_TRUE(RemoveDirectoryLink(Folder() / "linkdir"));
  EXPECT_EQ(RunAndWait((Folder() / "unins000.exe").u16string(), u"silent"), 0u);
  EXPECT_TRUE(WaitUntilGone(Folder()));
}

// Every file of the folder with the MD5 of its bytes, but downloads (patches among them) kept for a
// later run to go on from.
std::map<std::string, std::string> InstalledFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(item.path(), folder).u8string();
    if (name.find(".download~") != std::string::npos || name.find(".patch~") != std::string::npos ||
        name.find(".del~") != std::string::npos) {
      continue;
    }
    files[name] = item.is_directory() ? "<folder>" : Ascii(Md5Hex(ReadBytes(item.path())));
  }
  return files;
}

// An update killed just before its commit, its files in their places and the new list recorded:
// the next run of another of the product's programs undoes it with the real machine's bounds, so
// the client is wholly the old version with the old digest (seen through an uninstaller that is
// then declined); the update run again brings it wholly to the new version.
TEST_F(UpdaterTest, AnUpdateKilledBeforeItsCommitLeavesOneVersionWhole) {
  const auto oldFiles = InstalledFiles(Folder());
  product_->WriteClientFile("data/settings.ini", std::string(40, 'n'));
  product_->WriteClientFile("new/fresh.txt", "fresh");
  product_->RemoveClientFile("readme.txt");
  const std::u16string newDigest = Publish(u"2.0.0.1", {"readme.txt"});

  EXPECT_EQ(RunAndWait((TestProgramFolder() / "killed_update.exe").u16string(),
                       u"\"" + (Folder() / "update.exe").u16string() + u"\""),
            KillingTarget::kKilledExitCode);
  EXPECT_TRUE(fs::exists(Folder() / "install.journal"));
  ProgramRun declined = RunAnswering((Folder() / "unins000.exe").u16string(), L"", {IDNO});
  EXPECT_EQ(declined.exitCode, static_cast<DWORD>(kExitCancelled));
  EXPECT_EQ(InstalledFiles(Folder()), oldFiles) << "wholly the old version";
  EXPECT_EQ(RecordedValue(u"md5"), installedDigest_);

  ASSERT_EQ(Update(L" silent").exitCode, 0u);
  for (const auto& [name, bytes] : product_->ClientFiles()) {
    EXPECT_EQ(ReadBytes(Folder() / fs::u8path(name)), bytes) << name;
  }
  EXPECT_FALSE(fs::exists(Folder() / "readme.txt"));
  EXPECT_EQ(RecordedValue(u"md5"), newDigest);
  EXPECT_EQ(UninstallEntries().count(u"new\\fresh.txt"), 1u);
}

// update.exe silent ended from outside at points spread over its run: while it downloads, by how
// many downloads lie beside their files, and while the large file arrives; while it applies the
// patched file's patch into its staging file; while it swaps them in, by how many files it has
// moved aside. Each point updates from the version that is there to the other, both published
// whole but for the patched file, which each list names as a patch from the other version too.
// update.exe run next with the list withdrawn only undoes what was left: the client is wholly one
// of the two, with that one's digest and version (downloads and patches of the files it has stay,
// for the next run). Run once the list is back, it brings the client wholly to the version it was
// going to, leaving nothing else.
TEST_F(UpdaterTest, AnUpdateKilledFromOutsideLeavesOneVersionWhole) {
  constexpr int kSmallFiles = 80;
  struct Version {
    const char16_t* number;
    std::string list;
    std::u16string digest;
    std::map<std::string, std::string> files;
  };
  Version versions[] = {{u"1.1.0.0", "", u"", {}}, {u"1.2.0.0", "", u"", {}}};
  const std::string patchedBytes = Noise(8 << 20, 32);
  const auto writeVersion = [this, &patchedBytes](const std::string& tag) {
    for (int i = 0; i < kSmallFiles; ++i) {
      product_->WriteClientFile("lib/part" + std::to_string(i) + ".dll",
                                tag + " part " + std::string(300 + 20 * i, 'p'));
    }
    product_->WriteClientFile("data/large.bin", tag + std::string(8 << 20, 'l'));
    product_->WriteClientFile("data/patched.bin", tag + patchedBytes);
  };
  // Each version as an earlier version for the other's list: its list and its patched file only,
  // so that no other file gets a patch.
  for (Version& version : versions) {
    const std::string tag = Ascii(version.number);
    writeVersion(tag);
    Publish(version.number, {}, tag + "/");
    const fs::path earlier = product_->Temp().Path() / ("earlier-" + tag);
    fs::create_directories(earlier / "data");
    fs::copy_file(product_->ClientFolder() / "data" / "patched.bin",
                  earlier / "data" / "patched.bin");
    fs::copy_file(product_->Temp().Path() / "update.xml", earlier / "update.xml");
  }
  for (int v = 0; v < 2; ++v) {
    Version& version = versions[v];
    const std::string tag = Ascii(version.number);
    writeVersion(tag);
    const fs::path other = product_->Temp().Path() / ("earlier-" + Ascii(versions[1 - v].number));
    version.digest = Publish(version.number, {}, tag + "/", other);
    version.list = ReadBytes(fs::path(product_->Temp().File(u"update.xml")));
    CUpdateInfo published;
    ASSERT_TRUE(published.LoadFromFile(product_->Temp().File(u"update.xml").c_str()));
    size_t patches = 0;
    for (int i = 0; i < published.Count(); ++i) patches += published.Get(i)->deltas.size();
    ASSERT_EQ(patches, 1u) << "the patched file alone comes as its patch";
    ASSERT_EQ(Update(L" silent").exitCode, 0u);
    version.files = InstalledFiles(Folder());
  }

  struct Case {
    std::string name;
    std::u16string watched;  // the end of the names counted
    int count;               // killed once the folder holds this many of them
  };
  std::vector<Case> cases = {
      {"downloading the large file", u"large.bin" + std::u16string(kDownloadStagingSuffix), 1},
      {"swapping, the first file moved aside", kOldSuffix, 1},
      {"applying the patch into its staging file",
       u"patched.bin" + std::u16string(kDownloadStagingSuffix), 1},
  };
  for (int tenth = 1; tenth <= 9; ++tenth) {
    const int count = (kSmallFiles + 1) * tenth / 10;
    cases.push_back(
        {"downloading, " + std::to_string(count) + " files there", kDownloadStagingSuffix, count});
    cases.push_back(
        {"swapping, " + std::to_string(count) + " files moved aside", kOldSuffix, count});
  }
  int there = 1;  // the version installed
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Version& from = versions[there];
    const Version& to = versions[1 - there];
    ASSERT_TRUE(Keep(served_ + "update.xml", to.list));
    const auto reached = [this, &c] {
      return CountNamesEndingWith(Folder(), c.watched) >= c.count;
    };
    ASSERT_EQ(RunKilledWhen((Folder() / "update.exe").u16string(), u"silent", reached),
              kKilledFromOutside);
    ASSERT_TRUE(Keep(served_ + "update.xml", "withdrawn"));
    EXPECT_EQ(Update(L" silent").exitCode, 1u);
    const std::map<std::string, std::string> files = InstalledFiles(Folder());
    const Version& whole = files == to.files ? to : from;
    EXPECT_EQ(files, whole.files) << "one version whole";
    EXPECT_EQ(RecordedValue(u"md5"), whole.digest);
    EXPECT_EQ(RecordedValue(u"version"), whole.number);

    ASSERT_TRUE(Keep(served_ + "update.xml", to.list));
    ASSERT_EQ(Update(L" silent").exitCode, 0u);
    EXPECT_EQ(InstalledFiles(Folder()), to.files);
    EXPECT_EQ(RecordedValue(u"md5"), to.digest);
    EXPECT_EQ(CountNamesEndingWith(Folder(), u"~"), 0) << "a staging or backup name is left";
    there = 1 - there;
  }
}

}  // namespace
