#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "install/command_queue_observer.h"
#include "install/install_flow.h"
#include "install/install_hooks.h"
#include "install/install_outcome.h"
#include "install/install_report.h"
#include "install/install_report_body.h"
#include "product/product_keys.h"
#include "product/product_registration.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/md5.h"
#include "support/packed_container.h"
#include "support/process_control.h"
#include "tests/helpers/install_payload.h"
#include "tests/helpers/scripted_answers.h"
#include "tests/helpers/started_process.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/windows_test_support.h"

namespace {

constexpr char16_t kCompany[] = u"FlowTestCompany";
constexpr char16_t kApp[] = u"FlowTestApp";

// The stored form of a configuration for the test product, with the given version and update
// list URL.
std::string ConfigBytes(const char16_t* version, bool packed, const char16_t* listUrl = u"") {
  CClientInfo config;
  config.SetCompany(kCompany);
  config.SetApp(kApp);
  config.SetVersion(version);
  config.SetConfig(listUrl);
  std::vector<uint8_t> bytes(CRecordStorage::kDefaultSaveBufferSize);
  uint32_t size = config.Serialize(bytes.data(), static_cast<uint32_t>(bytes.size()), packed);
  return std::string(bytes.begin(), bytes.begin() + size);
}

// The configuration the payload carries as "app.txt".
ZipEntrySpec ConfigEntry() { return {"app.txt", ConfigBytes(u"1.0.0.0", false)}; }

const char kUpdateList[] = "<update version=\"1.0.0.0\"></update>";

std::u16string Md5Hex(const std::string& bytes) {
  char16_t digest[33];
  Md5HexOfMemory(digest, bytes.data(), static_cast<uint32_t>(bytes.size()));
  return digest;
}

// A flow over a payload written beside a setup.exe path in its own folder, the install folder
// chosen inside that folder.
class FlowFixture {
 public:
  FlowFixture(const std::string& payload, bool silent) : flow(&observer, product, silent) {
    DeleteProductKey(kCompany, kApp);
    WriteBytes(temp.Path() / "setup.zip", payload);
    const std::u16string exe = temp.File(u"setup.exe");
    EXPECT_TRUE(flow.OpenPayload(exe.c_str()));
    EXPECT_TRUE(flow.LoadWindowConfig(exe.c_str()));
    EXPECT_TRUE(flow.Prepare());
    flow.ChooseInstallFolder(temp.File(u"programs").c_str());
    flow.SetFolderText(flow.GetInstallFolder().Units());
  }
  ~FlowFixture() { DeleteProductKey(kCompany, kApp); }

  std::filesystem::path Installed(const char* name) const {
    return temp.Path() / "programs" / "FlowTestCompany" / "FlowTestApp" / name;
  }

  // Starts the install and delivers the command the worker posts at its end.
  int Run() {
    if (!flow.StartInstall()) return -1;
    int id = observer.NextCommand();
    flow.OnCommand(id);
    return id;
  }

  TempFolder temp;
  CommandQueueObserver observer;
  CClientInfo product;
  CInstallFlow flow;
};

std::vector<std::u16string> UninstallEntries(const std::filesystem::path& file) {
  CUninstInfo list;
  EXPECT_TRUE(list.LoadFromFile(file.u16string().c_str()));
  std::vector<std::u16string> entries;
  for (int i = 0; i < list.Count(); ++i) entries.push_back(list.Get(i));
  return entries;
}

int g_reports = 0;
void CountReport(const IClientInfo&, const char16_t*) { ++g_reports; }

TEST(InstallFlow, ArchiveInstallCompletesOnceEveryEntryIsWritten) {
  const std::string big(2 * 1024 * 1024, 'b');
  FlowFixture fixture(BuildPayload({{"bin/", "", true},
                                    {"bin/tool.dll", "MZ"},
                                    {"client.exe", "MZ"},
                                    {"data/big.dat", big}},
                                   "app.zip", {ConfigEntry(), {"update.xml", kUpdateList}}),
                      false);
  ScriptedAnswers answers;
  g_reports = 0;
  InstallHooks hooks;
  hooks.reportInstall = &CountReport;
  fixture.flow.SetHooks(hooks);
  ASSERT_TRUE(fixture.flow.IsArchiveMode());

  ASSERT_TRUE(fixture.flow.StartInstall());
  EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kInstalling);
  ASSERT_EQ(fixture.observer.NextCommand(), CInstallFlow::kCompletedCommand);
  // Completion comes after the last entry, never before.
  EXPECT_EQ(ReadBytes(fixture.Installed("data/big.dat")), big);
  EXPECT_EQ(g_reports, 1);
  fixture.flow.OnCommand(CInstallFlow::kCompletedCommand);

  EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kFinished);
  EXPECT_EQ(UninstallEntries(fixture.Installed("uninst.dat")),
            (std::vector<std::u16string>{u"bin\\", u"bin\\tool.dll", u"client.exe",
                                         u"data\\big.dat"}));
  CClientInfo& record = fixture.product;
  EXPECT_EQ(std::u16string(record.GetDigest().Units()), Md5Hex(kUpdateList));
  EXPECT_EQ(std::u16string(record.GetInstallFolder().Units()),
            fixture.flow.GetInstallFolder().Units());
  EXPECT_EQ(std::u16string(fixture.flow.View().percentText.Units()), u"100%");
  EXPECT_TRUE(fixture.flow.View().finishButtonVisible);
  EXPECT_FALSE(fixture.flow.View().progressVisible);
  EXPECT_TRUE(answers.Asked().empty());
  EXPECT_TRUE(fixture.observer.Closes().empty());
}

// A file that cannot be written (here a program running from it) does not stop the install, but
// the install does not pass for whole: no digest is kept, so the update check repairs it, and
// the user hears of it, or a silent install ends with a failure code.
TEST(InstallFlow, FileHeldOpenIsReportedAndKeepsTheDigestOut) {
  struct Case {
    bool silent;
    size_t questions;
    std::vector<int> closes;
  };
  const Case cases[] = {
      {false, 1, {}},
      {true, 0, {kExitFilesFailed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.silent ? "silent" : "interactive");
    FlowFixture fixture(BuildPayload({{"client.exe", "new client"}, {"readme.txt", "new"}},
                                     "app.zip", {ConfigEntry(), {"update.xml", kUpdateList}}),
                        c.silent);
    std::filesystem::create_directories(fixture.Installed(""));
    StartedProcess running(fixture.Installed(""), u"client.exe");
    ScriptedAnswers answers;

    ASSERT_EQ(fixture.Run(), CInstallFlow::kCompletedCommand);

    EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kFinished);
    EXPECT_EQ(ReadBytes(fixture.Installed("readme.txt")), "new");
    EXPECT_NE(ReadBytes(fixture.Installed("client.exe")), "new client");
    EXPECT_EQ(fixture.flow.Outcome().failed, 1);
    EXPECT_EQ(std::u16string(fixture.product.GetDigest().Units()), u"");
    // Registered all the same, so that its uninstaller and a repair can find it.
    char16_t path[1024];
    EXPECT_TRUE(ReadProductValue(kCompany, kApp, u"path", path, 1024));
    ASSERT_EQ(answers.Asked().size(), c.questions);
    if (c.questions != 0) {
      FixedWString<1024> expected;
      FormatInstallFailure(fixture.flow.Outcome(), &expected);
      EXPECT_EQ(answers.Asked()[0].text, expected.Units());
      EXPECT_NE(answers.Asked()[0].text.find(u"client.exe"), std::u16string::npos);
      EXPECT_EQ(answers.Asked()[0].caption, u"安装提示");
    }
    EXPECT_EQ(fixture.observer.Closes(), c.closes);
  }
}

// Only an install that left its client in the folder is registered. One without it (the client
// archive lacks the client file, or its directory lists nothing, or no entry could be read) is a
// failure the user hears of, ending with kExitFilesFailed: no product key, no shortcuts, no
// digest. What it did put in place is still listed for removal, but never over the list an
// earlier install left.
TEST(InstallFlow, RegistersOnlyAnInstallThatLeftItsClient) {
  std::string noEntries = BuildZip({{"client.exe", "MZ"}}, XZip::GetArchivePassword());
  // The end-of-directory record (the last 22 bytes) counts the entries at 8 and 10.
  noEntries[noEntries.size() - 22 + 8] = noEntries[noEntries.size() - 22 + 10] = 0;
  struct Case {
    const char* label;
    std::string clientArchive;
    bool earlierInstall;  // a client.exe and an "uninst.dat" are in the folder before
    bool silent;
    bool registered;
    std::vector<std::u16string> listed;  // "uninst.dat" afterwards
    std::vector<int> closes;
  };
  const std::vector<std::u16string> earlierList = {u"client.exe", u"earlier.txt"};
  const Case cases[] = {
      {"the whole client", BuildZip({{"client.exe", "MZ"}, {"readme.txt", "r"}},
                                    XZip::GetArchivePassword()),
       false, false, true, {u"client.exe", u"readme.txt"}, {}},
      {"no client file, silent", BuildZip({{"readme.txt", "r"}}, XZip::GetArchivePassword()),
       false, true, false, {u"readme.txt"}, {kExitFilesFailed}},
      {"no client file", BuildZip({{"readme.txt", "r"}}, XZip::GetArchivePassword()), false,
       false, false, {u"readme.txt"}, {kExitFilesFailed}},
      {"a directory of no entries over an earlier install", noEntries, true, false, false,
       earlierList, {kExitFilesFailed}},
      {"folders only over an earlier install", BuildZip({{"bin/", "", true}},
                                                         XZip::GetArchivePassword()),
       true, false, false, earlierList, {kExitFilesFailed}},
      {"encrypted with another password over an earlier install",
       BuildZip({{"client.exe", "MZ"}, {"readme.txt", "r"}}, "not-the-password"), true, true,
       false, earlierList, {kExitFilesFailed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture fixture(BuildZip({ConfigEntry(), {"update.xml", kUpdateList},
                                  {"app.zip", c.clientArchive}},
                                 XZip::GetArchivePassword()),
                        c.silent);
    if (c.earlierInstall) {
      std::filesystem::create_directories(fixture.Installed(""));
      WriteBytes(fixture.Installed("client.exe"), "earlier");
      CUninstInfo earlier;
      for (const std::u16string& entry : earlierList) earlier.Add(entry.c_str(), static_cast<int>(entry.size()));
      ASSERT_TRUE(earlier.SaveToFile(fixture.Installed("uninst.dat").u16string().c_str()));
    }
    ScriptedAnswers answers;

    ASSERT_EQ(fixture.Run(), CInstallFlow::kCompletedCommand);

    char16_t path[1024];
    EXPECT_EQ(ReadProductValue(kCompany, kApp, u"path", path, 1024), c.registered);
    EXPECT_EQ(fixture.flow.Outcome().Failed(), !c.registered);
    EXPECT_EQ(std::u16string(fixture.product.GetDigest().Units()),
              c.registered ? Md5Hex(kUpdateList) : u"");
    EXPECT_EQ(UninstallEntries(fixture.Installed("uninst.dat")), c.listed);
    EXPECT_EQ(fixture.observer.Closes(), c.closes);
    EXPECT_EQ(fixture.flow.View().finishButtonVisible, c.registered && !c.silent);
    if (c.registered || c.silent) {
      EXPECT_TRUE(answers.Asked().empty());
    } else {
      ASSERT_EQ(answers.Asked().size(), 1u);
      EXPECT_EQ(answers.Asked()[0].text, kInstallUnusableText);
      EXPECT_EQ(answers.Asked()[0].caption, kInstallCaption);
    }
    Unregister(fixture.product);
  }
}

bool Refuse(void*, const IClientInfo&, const char16_t*) { return false; }

// Nobody answers a silent install: whatever stops it ends the process with a failure code.
TEST(InstallFlow, AnInstallThatCannotStartEndsASilentRunAndTellsAPerson) {
  struct Case {
    const char* label;
    bool silent;
    bool refuseCheck;
    std::string payload;
    size_t questions;
    std::vector<int> closes;
  };
  const std::string whole = BuildPayload({{"a.txt", "a"}}, "app.zip", {ConfigEntry()});
  const std::string damaged =
      BuildZip({ConfigEntry(), {"app.zip", "not an archive"}}, XZip::GetArchivePassword());
  const Case cases[] = {
      {"check refused, silent", true, true, whole, 0, {kExitNotStarted}},
      {"check refused, interactive", false, true, whole, 0, {}},
      {"damaged nested archive, silent", true, false, damaged, 0,
       {kExitNotStarted}},
      {"damaged nested archive, interactive", false, false, damaged, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture fixture(c.payload, c.silent);
    ScriptedAnswers answers;
    InstallHooks hooks;
    if (c.refuseCheck) hooks.checkRunningClient = &Refuse;
    fixture.flow.SetHooks(hooks);

    const int command = fixture.Run();

    if (c.refuseCheck) {
      EXPECT_EQ(command, -1);
      EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kReady);
    } else {
      EXPECT_EQ(command, CInstallFlow::kNotStartedCommand);
      EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kInstalling);
    }
    ASSERT_EQ(answers.Asked().size(), c.questions);
    if (c.questions != 0) {
      EXPECT_EQ(answers.Asked()[0].text, kInstallNotStartedText);
    }
    EXPECT_EQ(fixture.observer.Closes(), c.closes);
    EXPECT_FALSE(std::filesystem::exists(fixture.Installed("uninst.dat")));
  }
}

// Closing the window mid-install destroys the flow, which stops its worker after the entry at hand
// and waits for it: the process ends at once, no file appears afterwards, every file written is
// whole, and nothing is recorded.
TEST(InstallFlow, CancellingMidInstallStopsTheWorkerAndEndsTheProcessPromptly) {
  TempFolder temp;
  std::vector<ZipEntrySpec> entries;
  for (int i = 0; i < 3000; ++i) entries.push_back({"files/" + std::to_string(i) + ".txt", "x"});
  WriteBytes(temp.Path() / "setup.zip", BuildPayload(entries, "app.zip", {ConfigEntry()}));
  const std::u16string exe = (TestProgramFolder() / "cancelled_install.exe").u16string();
  const std::u16string arguments =
      u"\"" + temp.File(u"setup.exe") + u"\" \"" + temp.File(u"target") + u"\"";

  void* process = nullptr;
  ASSERT_TRUE(RunProgram(exe.c_str(), arguments.c_str(), false, &process));
  ASSERT_NE(process, nullptr);
  const bool ended = WaitForSingleObject(static_cast<HANDLE>(process), 10000) == WAIT_OBJECT_0;
  DWORD exitCode = 0;
  GetExitCodeProcess(static_cast<HANDLE>(process), &exitCode);
  if (!ended) TerminateProcess(static_cast<HANDLE>(process), 9);
  CloseHandle(static_cast<HANDLE>(process));

  EXPECT_TRUE(ended);
  EXPECT_EQ(exitCode, 3u);
  size_t written = 0;
  for (const auto& file : std::filesystem::recursive_directory_iterator(temp.Path() / "target")) {
    if (!file.is_regular_file()) continue;
    ++written;
    EXPECT_EQ(ReadBytes(file.path()), "x") << file.path().string();
  }
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, entries.size());
  EXPECT_FALSE(std::filesystem::exists(temp.Path() / "target" / "FlowTestCompany" /
                                       "FlowTestApp" / "uninst.dat"));
  DeleteProductKey(kCompany, kApp);
}

// Cancel asks the worker to stop between entries and inside a download, and returns once it has:
// long before the install would end, with nothing posted, saved or left half written.
class CancelTest : public HttpServerTest {
 protected:
  void TearDown() override { DeleteProductKey(kCompany, kApp); }
};

TEST_F(CancelTest, StopsBetweenEntriesAndInsideADownload) {
  std::vector<ZipEntrySpec> entries;
  for (int i = 0; i < 3000; ++i) entries.push_back({"files/" + std::to_string(i) + ".txt", "x"});
  // 13 MB served over ten seconds.
  const std::u16string slowFile = Url("/trickle/200/65536/50");
  CUpdateInfo list;
  list.AddFile(u"slow.bin", 200 * 65536, Md5Hex("not the pattern").c_str(), slowFile.c_str());
  std::vector<uint8_t> listBytes(CRecordStorage::kDefaultSaveBufferSize);
  const uint32_t listSize =
      list.Serialize(listBytes.data(), static_cast<uint32_t>(listBytes.size()), false);
  ASSERT_TRUE(Keep("cancel-test/update.xml",
                   std::string(listBytes.begin(), listBytes.begin() + listSize)));
  const std::u16string listUrl = Url("/file/cancel-test/update.xml");
  struct Case {
    const char* label;
    std::string payload;
    uint32_t progressBeforeCancel;  // reports per entry in archive mode, bytes in download mode
  };
  const Case cases[] = {
      {"archive mode", BuildPayload(entries, "app.zip", {ConfigEntry()}), 20},
      {"download mode",
       BuildZip({{"app.txt", ConfigBytes(u"1.0.0.0", false, listUrl.c_str())}},
                XZip::GetArchivePassword()),
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture fixture(c.payload, false);
    ASSERT_TRUE(fixture.flow.StartInstall());
    for (int i = 0; i < 1000 && fixture.flow.View().progressPosition < c.progressBeforeCancel;
         ++i) {
      Sleep(10);
    }
    ASSERT_GE(fixture.flow.View().progressPosition, c.progressBeforeCancel);

    const auto started = std::chrono::steady_clock::now();
    fixture.flow.Cancel();
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);

    EXPECT_LT(waited.count(), 3000);
    EXPECT_EQ(fixture.observer.NextCommand(std::chrono::milliseconds(200)),
              CommandQueueObserver::kTimedOut);
    EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kInstalling);
    EXPECT_FALSE(std::filesystem::exists(fixture.Installed("uninst.dat")));
    EXPECT_FALSE(std::filesystem::exists(fixture.Installed("slow.bin")));
    size_t written = 0;
    if (std::filesystem::exists(fixture.Installed("files"))) {
      for (const auto& file : std::filesystem::directory_iterator(fixture.Installed("files"))) {
        ++written;
        EXPECT_EQ(ReadBytes(file.path()), "x");
      }
    }
    EXPECT_LT(written, entries.size());
  }
}

// The payload is the executable's "tail" resource, else the .zip beside it; the configuration is
// its "app" resource, else the payload's "app.txt".
TEST(InstallFlow, FindsPayloadAndConfigurationInTheExecutableFirst) {
  struct Case {
    const char* label;
    bool tailResource;
    bool appResource;
    bool siblingArchive;
    bool payloadOpens;
    bool configLoads;
    bool archiveMode;
    const char16_t* version;
    bool damaged = false;  // the "tail" resource fails its check
  };
  const Case cases[] = {
      {"both resources, beside a download-mode archive", true, true, true, true, true, true,
       u"3.0"},
      {"tail resource, configuration from app.txt", true, false, false, true, true, true, u"2.0"},
      {"archive beside the executable only", false, false, true, true, true, false, u"1.0"},
      {"nothing at all: built-in defaults", false, false, false, false, false, false,
       u"1.0.0.0"},
      // A damaged package, not one to download: the archive beside it is not taken instead.
      {"damaged tail resource, beside an archive", true, true, true, false, true, false, u"3.0",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    DeleteProductKey(kCompany, kApp);
    TempFolder temp;
    const std::u16string exe = temp.File(u"setup.exe");
    std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe",
                               temp.Path() / "setup.exe");
    if (c.tailResource) {
      const std::string payload = BuildPayload({{"a.txt", "a"}}, "app.zip",
                                               {{"app.txt", ConfigBytes(u"2.0", false)}});
      std::string stored = PackedContainer(payload);
      if (c.damaged) stored[stored.size() / 2] ^= 0x10;
      ASSERT_TRUE(PutResource(exe, u"TAIL", 1, stored));
    }
    if (c.appResource) {
      ASSERT_TRUE(PutResource(exe, u"APP", 1, ConfigBytes(u"3.0", true)));
    }
    if (c.siblingArchive) {
      WriteBytes(temp.Path() / "setup.zip",
                 BuildZip({{"app.txt", ConfigBytes(u"1.0", false)}}, XZip::GetArchivePassword()));
    }
    CommandQueueObserver observer;
    CClientInfo product;
    CInstallFlow flow(&observer, product, false);

    EXPECT_EQ(flow.OpenPayload(exe.c_str()), c.payloadOpens);
    EXPECT_EQ(flow.PayloadDamaged(), c.damaged);
    EXPECT_EQ(flow.LoadWindowConfig(exe.c_str()), c.configLoads);
    EXPECT_EQ(std::u16string(product.GetVersion().Units()), c.version);
    ASSERT_TRUE(flow.Prepare());
    EXPECT_EQ(flow.IsArchiveMode(), c.archiveMode);
  }
}

TEST(InstallFlow, ProposesTheRecordedFolderElseProgramFilesOnTheWindowsDrive) {
  wchar_t windowsFolder[MAX_PATH];
  ASSERT_NE(GetWindowsDirectoryW(windowsFolder, MAX_PATH), 0u);
  const std::u16string programs =
      std::u16string(1, static_cast<char16_t>(windowsFolder[0])) +
      u":\\Program Files\\FlowTestCompany\\FlowTestApp\\";
  struct Case {
    const char16_t* recorded;  // null: no earlier install
    std::u16string expected;
  };
  const Case cases[] = {
      {nullptr, programs},
      {u"E:\\Games\\Kept", u"E:\\Games\\Kept"},  // as stored, nothing appended
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.recorded != nullptr ? "recorded" : "none recorded");
    FlowFixture fixture(BuildPayload({{"a.txt", "a"}}, "app.zip", {ConfigEntry()}), false);
    if (c.recorded != nullptr) {
      ASSERT_TRUE(WriteProductValue(kCompany, kApp, u"path", c.recorded, -1));
    }
    ASSERT_TRUE(fixture.flow.Prepare());
    EXPECT_EQ(std::u16string(fixture.flow.GetInstallFolder().Units()), c.expected);
  }
}

TEST(InstallFlow, FinishingOverANewerInstallKeepsItsFolderAndOnlySilentRunsClose) {
  for (bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "silent" : "interactive");
    FlowFixture fixture(BuildPayload({{"a.txt", "a"}}, "app.zip", {ConfigEntry()}), silent);
    fixture.flow.FinishExisting();
    EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kFinished);
    EXPECT_EQ(std::u16string(fixture.product.GetInstallFolder().Units()),
              fixture.flow.GetInstallFolder().Units());
    EXPECT_EQ(std::u16string(fixture.product.GetMainFile().Units()), u"client.exe");
    EXPECT_EQ(fixture.flow.View().finishButtonVisible, !silent);
    EXPECT_EQ(fixture.observer.Closes(),
              silent ? std::vector<int>{kExitInstalled} : std::vector<int>{});
    EXPECT_FALSE(std::filesystem::exists(fixture.Installed("a.txt")));
  }
}

// A named report shows in the status text, but only the engine's record of what it put in place
// fills the uninstall list; the download figures and the slow-network warning belong to download
// mode alone.
TEST(InstallFlow, ProgressReportsFillTheTextsOfTheirModeAndNotTheList) {
  struct Case {
    const char* label;
    std::string payload;
    bool detailShown;
  };
  const Case cases[] = {
      {"archive mode", BuildPayload({{"a.txt", "a"}}, "app.zip", {ConfigEntry()}), false},
      {"download mode", BuildZip({ConfigEntry()}, XZip::GetArchivePassword()), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture fixture(c.payload, false);
    CInstallFlow& flow = fixture.flow;
    flow.ShowProgress(u"bin\\a.dll", 4000, 1000);
    flow.ShowProgress(nullptr, 4000, 2000);
    flow.ShowProgress(u"", 4000, 3000);

    EXPECT_EQ(flow.UninstallList().Count(), 0);
    EXPECT_EQ(std::u16string(flow.View().statusText.Units()),
              std::u16string(flow.GetInstallFolder().Units()) + u"...");
    EXPECT_EQ(std::u16string(flow.View().percentText.Units()), u"75%");
    EXPECT_EQ(flow.View().progressRange, 4000u);
    EXPECT_EQ(flow.View().progressPosition, 3000u);
    EXPECT_EQ(flow.View().detailText.Empty(), !c.detailShown);
    EXPECT_FALSE(flow.View().slowNetworkVisible && !c.detailShown);
  }
}

TEST(InstallFlow, TheFinishButtonActsOnlyOnceFinished) {
  FlowFixture fixture(BuildPayload({{"a.txt", "a"}}, "app.zip", {ConfigEntry()}), false);
  EXPECT_TRUE(fixture.flow.OnCommand(CInstallFlow::kFinishCommand));
  EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kReady);
  EXPECT_TRUE(fixture.observer.Closes().empty());

  fixture.flow.FinishExisting();
  EXPECT_TRUE(fixture.flow.OnCommand(CInstallFlow::kFinishCommand));
  EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kLaunching);
  EXPECT_EQ(fixture.observer.Closes(), std::vector<int>{kExitInstalled});
  EXPECT_FALSE(fixture.flow.OnCommand(4097));  // the window's own commands are not the flow's
}

// The real checks and report, on the test product; its keys are removed afterwards.
class RealHooksTest : public HttpServerTest {
 protected:
  void TearDown() override { DeleteProductKey(kCompany, kApp); }
};

TEST_F(RealHooksTest, TheInstalledVersionDecidesBeforeAnythingIsWritten) {
  struct Case {
    const char* label;
    const char16_t* installed;
    bool silent;
    int answer;
    size_t questions;
    CInstallFlow::State state;
    std::vector<int> closes;
  };
  const Case cases[] = {
      {"newer installed", u"2.0.0.0", false, IDOK, 1, CInstallFlow::kFinished, {}},
      {"newer installed, silent", u"2.0.0.0", true, IDOK, 1, CInstallFlow::kFinished,
       {kExitInstalled}},
      {"same, repair declined", u"1.0.0.0", false, IDNO, 1, CInstallFlow::kReady,
       {kExitInstalled}},
      {"same, repair wanted", u"1.0.0.0", false, IDYES, 1, CInstallFlow::kReady, {}},
      {"older installed", u"0.9.0.0", false, IDOK, 0, CInstallFlow::kReady, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture fixture(BuildPayload({{"client.exe", "MZ"}}, "app.zip", {ConfigEntry()}),
                        c.silent);
    ASSERT_TRUE(WriteProductValue(kCompany, kApp, u"version", c.installed, -1));
    ScriptedAnswers answers({c.answer});
    fixture.flow.SetHooks(DefaultInstallHooks());

    fixture.flow.CheckVersion();

    EXPECT_EQ(answers.Asked().size(), c.questions);
    EXPECT_EQ(fixture.flow.GetState(), c.state);
    EXPECT_EQ(fixture.observer.Closes(), c.closes);
    EXPECT_EQ(fixture.flow.View().finishButtonVisible,
              c.state == CInstallFlow::kFinished && !c.silent);
    EXPECT_FALSE(std::filesystem::exists(fixture.Installed("client.exe")));
  }
}

TEST_F(RealHooksTest, TheVersionCheckComesTooLateOnceAnInstallHasRun) {
  FlowFixture fixture(BuildPayload({{"client.exe", "MZ"}}, "app.zip",
                                   {ConfigEntry(), {"update.xml", kUpdateList}}),
                      false);
  ScriptedAnswers answers({IDOK});
  fixture.flow.SetHooks(DefaultInstallHooks());
  ASSERT_EQ(fixture.Run(), CInstallFlow::kCompletedCommand);
  ASSERT_TRUE(WriteProductValue(kCompany, kApp, u"version", u"2.0.0.0", -1));

  fixture.flow.CheckVersion();

  EXPECT_TRUE(answers.Asked().empty());
  EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kFinished);
  EXPECT_TRUE(fixture.observer.Closes().empty());
}

TEST_F(RealHooksTest, ARunningClientIsEndedOnYesAndKeptOnNo) {
  for (int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer == IDYES ? "yes" : "no");
    FlowFixture fixture(BuildPayload({{"client.exe", "new client"}}, "app.zip",
                                     {ConfigEntry(), {"update.xml", kUpdateList}}),
                        false);
    std::filesystem::create_directories(fixture.Installed(""));
    StartedProcess running(fixture.Installed(""), u"client.exe");
    ScriptedAnswers answers({answer});
    fixture.flow.SetHooks(DefaultInstallHooks());

    const int command = fixture.Run();

    ASSERT_EQ(answers.Asked().size(), 1u);
    EXPECT_NE(answers.Asked()[0].text.find(u"client.exe"), std::u16string::npos);
    if (answer == IDYES) {
      EXPECT_EQ(command, CInstallFlow::kCompletedCommand);
      EXPECT_TRUE(running.WaitForExit(0));
      EXPECT_EQ(ReadBytes(fixture.Installed("client.exe")), "new client");
      EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kFinished);
    } else {
      EXPECT_EQ(command, -1);
      EXPECT_FALSE(running.WaitForExit(0));
      EXPECT_EQ(fixture.flow.GetState(), CInstallFlow::kReady);
    }
  }
}

// The report says the configured version was installed, so it goes out only when the package
// installed is of that version: the one its "update.xml" names, when it names one.
TEST_F(RealHooksTest, TheReportGoesOutOnceAtCompletionForTheConfiguredVersion) {
  struct Case {
    const char* label;
    std::vector<ZipEntrySpec> listEntry;
    bool sent;
  };
  const auto list = [](const char16_t* version) {
    CUpdateInfo published;
    published.SetVersion(version);
    std::vector<uint8_t> bytes(CRecordStorage::kDefaultSaveBufferSize);
    const uint32_t size =
        published.Serialize(bytes.data(), static_cast<uint32_t>(bytes.size()), false);
    return std::vector<ZipEntrySpec>{
        {"update.xml", std::string(bytes.begin(), bytes.begin() + size)}};
  };
  const Case cases[] = {
      {"the list names the configured version", list(u"1.0.0.0"), true},
      {"the list names another version", list(u"2.0.0.0"), false},
      {"the list names none", list(u""), true},
      {"no list", {}, true},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.label);
    std::vector<ZipEntrySpec> extra = {ConfigEntry()};
    extra.insert(extra.end(), c.listEntry.begin(), c.listEntry.end());
    FlowFixture fixture(BuildPayload({{"client.exe", "MZ"}}, "app.zip", extra), false);
    const std::string key = "flow-report-" + std::to_string(i);
    fixture.product.SetStyle(kStyleSendReport);
    fixture.product.SetAction(u"install");
    fixture.product.SetNotify(Url("/record/" + key + "?reply=1").c_str());
    ScriptedAnswers answers;
    fixture.flow.SetHooks(DefaultInstallHooks());

    ASSERT_EQ(fixture.Run(), CInstallFlow::kCompletedCommand);

    const std::string received = Received(key);
    if (!c.sent) {
      EXPECT_EQ(received, "<nothing received>");
      continue;
    }
    char16_t body[kReportBodyUnits];
    const int length = BuildReportBody(fixture.product, body);
    ASSERT_NE(received.find("\r\n\r\n"), std::string::npos);
    EXPECT_EQ(received.substr(received.find("\r\n\r\n") + 4), std::string(body, body + length));

    // Another run of the worker in the same process completes without a second report.
    fixture.product.SetNotify(Url("/record/" + key + "-again?reply=1").c_str());
    EXPECT_TRUE(fixture.flow.RunInstall());
    EXPECT_EQ(Received(key + "-again"), "<nothing received>");
    EXPECT_TRUE(answers.Asked().empty());
  }
}

}  // namespace
