// The install flow's decisions, over a fake edge: which page shows, when the worker runs, what
// the finish registers, writes, tells and closes with.
#include "install/install_flow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "install/command_queue_observer.h"
#include "install/install_outcome.h"
#include "install/run_time_limit.h"
#include "records/current_language.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/files/xdata.h"
#include "support/text/path_text.h"
#include "support/zip/xzip.h"
#include "tests/helpers/fake_install_edge.h"
#include "tests/helpers/held_language.h"
#include "tests/helpers/logged_lines.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/uninstall_entries.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

// "update.xml" naming version, as the packaging tool stores it.
std::string UpdateList(const char16_t* version) {
  CUpdateInfo list;
  list.SetVersion(version);
  std::vector<uint8_t> bytes(CRecordStorage::kDefaultSaveBufferSize);
  const uint32_t size = list.Serialize(bytes.data(), static_cast<uint32_t>(bytes.size()), false);
  return std::string(bytes.begin(), bytes.begin() + size);
}

const std::string kUpdateList = UpdateList(u"1.0.0.0");

// What the payload holds besides the skin: the client archive (archive mode) or not (download
// mode), and an "update.xml".
struct Payload {
  bool clientArchive = true;
  std::string updateList = kUpdateList;  // empty: none
};

// A flow over a fake edge and a payload, the install folder chosen inside a folder of its own.
class FlowFixture {
 public:
  explicit FlowFixture(bool silent, const Payload& content = Payload()) {
    product.SetCompany(u"FlowTestCompany");
    product.SetApp(u"FlowTestApp");
    product.SetVersion(u"1.0.0.0");
    std::vector<ZipEntrySpec> entries = {{"theme.txt", "{}"}};
    if (content.clientArchive) entries.push_back({"app.zip", "the client archive"});
    if (!content.updateList.empty()) entries.push_back({"update.xml", content.updateList});
    payloadBytes = BuildZip(entries, XZip::GetArchivePassword());
    EXPECT_TRUE(payload.OpenMemory(payloadBytes.data(), static_cast<uint32_t>(payloadBytes.size()),
                                   XZip::GetArchivePassword()));
    flow = std::make_unique<CInstallFlow>(&observer, edge, product, &payload, silent);
    EXPECT_TRUE(flow->Prepare());
    flow->ChooseInstallFolder(temp.File(u"programs").c_str());
    flow->SetFolderText(flow->GetInstallFolder().Units());
  }

  fs::path Installed(const char* name) const {
    return temp.Path() / "programs" / "FlowTestCompany" / "FlowTestApp" / name;
  }
  // An earlier install in the folder: its client and its "uninst.dat".
  void MakeEarlierInstall() {
    fs::create_directories(Installed(""));
    WriteBytes(Installed("client.exe"), "earlier");
    CUninstInfo earlier;
    earlier.Add(u"client.exe", -1);
    earlier.Add(u"earlier.txt", -1);
    EXPECT_TRUE(earlier.SaveToFile(Installed("uninst.dat").u16string().c_str()));
  }

  // Starts the install and delivers the command the worker posts at its end; -1 when the start
  // was refused.
  int Run() {
    if (!flow->StartInstall()) return -1;
    const int id = observer.NextCommand();
    flow->OnCommand(id);
    return id;
  }

  TempFolder temp;
  FakeInstallEdge edge;
  CommandQueueObserver observer;
  CClientInfo product;
  std::string payloadBytes;
  XZip payload;
  std::unique_ptr<CInstallFlow> flow;  // last: it goes first, stopping its worker
};

TEST(InstallFlow, ArchiveInstallFinishesWithWhatWasPutInPlace) {
  FlowFixture f(false);
  f.product.SetStyle(kStyleAutoStart);
  f.edge.entries = {{u"bin\\"}, {u"bin\\tool.dll"}, {u"client.exe"}, {u"data\\big.dat"}};
  // Typed without its closing backslash, as a person may: the list still lands inside.
  std::u16string typed = f.flow->GetInstallFolder().Units();
  typed.pop_back();
  f.flow->SetFolderText(typed.c_str());
  // The finish button does nothing before the install has finished.
  EXPECT_TRUE(f.flow->OnCommand(CInstallFlow::kFinishCommand));
  EXPECT_FALSE(f.flow->OnCommand(4097));  // the window's own commands are not the flow's
  EXPECT_EQ(f.flow->GetState(), CInstallFlow::kReady);

  ASSERT_TRUE(f.flow->StartInstall());
  EXPECT_EQ(f.flow->GetState(), CInstallFlow::kInstalling);
  ASSERT_EQ(f.observer.NextCommand(), CInstallFlow::kCompletedCommand);
  EXPECT_EQ(f.edge.installs, std::vector<std::u16string>{u"archive app.zip"});
  EXPECT_TRUE(f.flow->View().progressVisible);
  EXPECT_FALSE(f.flow->View().firstPageVisible);
  EXPECT_EQ(f.edge.registrations, 0);
  f.flow->OnCommand(CInstallFlow::kCompletedCommand);

  EXPECT_EQ(f.flow->GetState(), CInstallFlow::kFinished);
  EXPECT_EQ(UninstallEntries(f.Installed("uninst.dat")),
            (std::vector<std::u16string>{u"bin\\", u"bin\\tool.dll", u"client.exe",
                                         u"data\\big.dat"}));
  EXPECT_EQ(std::u16string(f.product.GetDigest().Units()), Md5Hex(kUpdateList));
  EXPECT_EQ(std::u16string(f.product.GetInstallFolder().Units()), typed + u"\\");
  EXPECT_EQ(std::u16string(f.product.GetMainFile().Units()), u"client.exe");
  EXPECT_EQ(f.edge.registrations, 1);
  EXPECT_TRUE(f.edge.startedWithWindows);
  EXPECT_EQ(std::u16string(f.flow->View().percentText.Units()), u"100%");
  EXPECT_TRUE(f.flow->View().finishButtonVisible);
  EXPECT_FALSE(f.flow->View().progressVisible);
  EXPECT_TRUE(f.edge.told.empty());
  EXPECT_EQ(f.edge.launches, 0);
  EXPECT_TRUE(f.observer.Closes().empty());

  // The finish button launches the client and closes the window.
  EXPECT_TRUE(f.flow->OnCommand(CInstallFlow::kFinishCommand));
  EXPECT_EQ(f.flow->GetState(), CInstallFlow::kLaunching);
  EXPECT_EQ(f.edge.launches, 1);
  EXPECT_EQ(f.observer.Closes(), std::vector<int>{kExitInstalled});
}

// A silent install goes into the folder /DIR gives, checked as a folder typed into the box is:
// one that cannot be written ends the run as not started, with nothing registered. Without one
// it keeps the proposed folder.
TEST(InstallFlow, ASilentInstallGoesIntoTheFolderGiven) {
  struct Case {
    const char* label;
    const char16_t* given;        // below the test's folder; null: no /DIR
    const char16_t* installedIn;  // below the test's folder; null: nowhere
    int exitCode;
  };
  const Case cases[] = {
      {"a new folder", u"apps\\X", u"apps\\X\\", kExitInstalled},
      {"with its closing backslash", u"apps\\Y\\", u"apps\\Y\\", kExitInstalled},
      {"below a file", u"file\\X", nullptr, kExitNotStarted},
      {"where another run holds its journal", u"apps\\Held", nullptr, kExitAnotherRunGoing},
      {"none given", nullptr, u"programs\\FlowTestCompany\\FlowTestApp\\", kExitInstalled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(true);
    WriteBytes(f.temp.Path() / "file", "a file, not a folder");
    fs::create_directories(f.temp.Path() / "apps" / "Held");
    WriteBytes(f.temp.Path() / "apps" / "Held" / "install.journal", "");
    f.edge.machine.Hold(f.temp.File(u"apps\\Held\\install.journal"));
    f.edge.entries = {{u"client.exe"}};
    // As the window hands /DIR over: in place of the proposal the fixture typed.
    f.flow->SetFolderText(c.given != nullptr ? f.temp.File(c.given).c_str() : u"");
    const int command = f.Run();
    EXPECT_EQ(f.observer.Closes(), std::vector<int>{c.exitCode});
    if (c.installedIn == nullptr) {
      EXPECT_EQ(command, -1);
      EXPECT_EQ(f.edge.registrations, 0);
      continue;
    }
    EXPECT_EQ(command, CInstallFlow::kCompletedCommand);
    EXPECT_EQ(std::u16string(f.product.GetInstallFolder().Units()), f.temp.File(c.installedIn));
  }
}

// The list the install followed (the payload's in archive mode, the published one in download
// mode) gives the recorded digest and the version installed; without a list, or a version in
// it, that is the configured version. Only an install of the configured version is reported,
// once. A download-mode install registers the published list's version.
TEST(InstallFlow, TheListFollowedGivesTheDigestAndTheReportedVersion) {
  const char16_t kPublishedDigest[] = u"0123456789ABCDEF0123456789ABCDEF";
  struct Case {
    const char* label;
    bool archiveMode;
    std::string payloadList;
    const char16_t* publishedVersion;
    std::vector<std::u16string> reported;
  };
  const Case cases[] = {
      {"payload list of another version", true, UpdateList(u"2.0.0.0"), u"", {}},
      {"payload list of the configured version", true, kUpdateList, u"", {u"1.0.0.0"}},
      {"payload list naming none", true, UpdateList(u""), u"", {u"1.0.0.0"}},
      {"no payload list", true, "", u"", {u"1.0.0.0"}},
      {"published list of another version", false, "", u"3.0.0.0", {}},
      {"published list of the configured version", false, "", u"1.0.0.0", {u"1.0.0.0"}},
      {"published list naming none", false, "", u"", {u"1.0.0.0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(false, {c.archiveMode, c.payloadList});
    f.edge.entries = {{u"client.exe"}};
    f.edge.publishedList.version.Assign(c.publishedVersion);
    f.edge.publishedList.digest.Assign(kPublishedDigest);
    ASSERT_EQ(f.flow->IsArchiveMode(), c.archiveMode);

    ASSERT_EQ(f.Run(), CInstallFlow::kCompletedCommand);
    EXPECT_EQ(f.edge.reportedVersions, c.reported);
    EXPECT_EQ(std::u16string(f.product.GetVersion().Units()),
              c.archiveMode || c.publishedVersion[0] == 0 ? u"1.0.0.0" : c.publishedVersion);
    EXPECT_EQ(std::u16string(f.product.GetDigest().Units()),
              !c.archiveMode            ? kPublishedDigest
              : c.payloadList.empty() ? u""
                                      : Md5Hex(c.payloadList));
    // Another run of the worker completes without a second completion, so without a second
    // report.
    ASSERT_TRUE(f.edge.WaitForWorker(5000));
    EXPECT_TRUE(f.flow->RunInstall());
    EXPECT_EQ(f.edge.reportedVersions, c.reported);
    EXPECT_EQ(f.observer.NextCommand(std::chrono::milliseconds(50)),
              CommandQueueObserver::kTimedOut);
  }
}

// Everything on the machine before an install: the files below the fixture's folder with their
// bytes, and the registry.
MachineState MachineOf(const FlowFixture& f) { return StateBelow(f.temp.Path(), f.edge.machine); }

// An install is a transaction. Only a whole one (every entry in place, the client file among
// them) is listed, registered and committed; anything else, a failed registration step too, is
// undone, last change first, so that the machine is as it was before: an earlier version keeps
// its files byte for byte and its registration. The user hears what failed and that nothing was
// changed; the window closes with kExitFilesFailed.
TEST(InstallFlow, CommitsOnlyAWholeInstallAndUndoesAnyOther) {
  const HeldLanguage chinese(ChineseLanguage());  // its texts as they have always been
  InstallOutcome held;
  held.Fail(u"readme.txt", u"held by another program");
  FixedWString<1024> heldText;
  FormatRolledBackInstall(held, RollbackResult(), &heldText);
  InstallOutcome unusable;
  unusable.unusable = true;
  FixedWString<1024> unusableText;
  FormatRolledBackInstall(unusable, RollbackResult(), &unusableText);
  struct Case {
    const char* label;
    std::vector<FakeEntry> entries;
    bool earlierInstall;
    bool silent;
    bool registrationFails;
    bool committed;
    std::vector<std::u16string> told;
  };
  const Case cases[] = {
      {"the whole client", {{u"client.exe"}, {u"readme.txt"}}, false, false, false, true, {}},
      {"the whole client over an earlier install", {{u"client.exe"}, {u"readme.txt"}}, true,
       false, false, true, {}},
      {"no client file, silent", {{u"readme.txt"}}, false, true, false, false, {}},
      {"no client file", {{u"readme.txt"}}, false, false, false, false, {unusableText.Units()}},
      {"folders only over an earlier install", {{u"bin\\"}}, true, false, false, false,
       {unusableText.Units()}},
      {"a file held open in an upgrade", {{u"client.exe"}, {u"readme.txt", false}}, true, false,
       false, false, {heldText.Units()}},
      {"a file held open, silent", {{u"client.exe"}, {u"readme.txt", false}}, false, true, false,
       false, {}},
      {"a registration step that fails", {{u"client.exe"}}, true, false, true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(c.silent);
    f.edge.entries = c.entries;
    f.edge.registrationFails = c.registrationFails;
    if (c.earlierInstall) f.MakeEarlierInstall();
    const MachineState before = MachineOf(f);

    ASSERT_EQ(f.Run(), CInstallFlow::kCompletedCommand);

    EXPECT_FALSE(fs::exists(f.Installed("install.journal")));
    if (c.committed) {
      std::vector<std::u16string> names;
      for (const FakeEntry& entry : c.entries) names.push_back(entry.name);
      EXPECT_EQ(UninstallEntries(f.Installed("uninst.dat")), names);
      EXPECT_EQ(f.edge.machine.RegistryLines().size(), 4u) << "version, path and their keys";
      EXPECT_EQ(std::u16string(f.product.GetDigest().Units()), Md5Hex(kUpdateList));
      EXPECT_EQ(f.observer.Closes(), std::vector<int>{});
      EXPECT_TRUE(f.flow->View().finishButtonVisible);
      EXPECT_TRUE(f.edge.told.empty());
      continue;
    }
    EXPECT_EQ(MachineOf(f), before);
    EXPECT_EQ(f.observer.Closes(), std::vector<int>{kExitFilesFailed});
    EXPECT_FALSE(f.flow->View().finishButtonVisible);
    EXPECT_EQ(f.edge.launches, 0);
    if (c.registrationFails) {
      ASSERT_EQ(f.edge.told.size(), 1u);
      EXPECT_NE(f.edge.told[0].find(u"已撤销本次安装所做的全部更改"), std::u16string::npos);
    } else {
      EXPECT_EQ(f.edge.told, c.told);
    }
  }
}

// The install is reported once it has committed, and then only: never one undone after its
// entries ran (an entry that failed, no client file, a failed registration), one cancelled or one
// that could not start. The flow's end waits for the report, and ends the process, as installed,
// when the report is still going after the wait.
TEST(InstallFlow, ReportsAnInstallOnlyOnceItHasCommitted) {
  struct Case {
    const char* label;
    bool silent;
    std::vector<FakeEntry> entries;
    bool registrationFails;
    bool installFails;  // before any progress
    bool cancelled;
    bool reportStuck;
    std::vector<std::u16string> reported;
    std::vector<int> endedProcess;
  };
  const std::vector<FakeEntry> client = {{u"client.exe"}};
  const Case cases[] = {
      {"committed", false, client, false, false, false, false, {u"1.0.0.0"}, {}},
      {"committed, silent", true, client, false, false, false, false, {u"1.0.0.0"}, {}},
      {"committed, the report still going at the end", true, client, false, false, false, true,
       {u"1.0.0.0"}, {kExitInstalled}},
      {"an entry that failed", false, {{u"client.exe"}, {u"readme.txt", false}}, false, false,
       false, false, {}, {}},
      {"no client file", true, {{u"readme.txt"}}, false, false, false, false, {}, {}},
      {"a registration step that fails", false, client, true, false, false, false, {}, {}},
      {"cancelled", false, client, false, false, true, false, {}, {}},
      {"not started", false, client, false, true, false, false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(c.silent);
    f.edge.entries = c.entries;
    f.edge.registrationFails = c.registrationFails;
    f.edge.installFails = c.installFails;
    f.edge.reportStuck = c.reportStuck;
    if (c.cancelled) {
      f.edge.waitForStop = true;
      ASSERT_TRUE(f.flow->StartInstall());
      for (int i = 0; i < 1000 && f.flow->View().progressPosition < 1; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      f.flow->Cancel();
    } else {
      f.Run();
    }
    EXPECT_EQ(f.edge.reportedVersions, c.reported);
    EXPECT_FALSE(f.edge.reportedUncommitted);

    f.flow.reset();
    EXPECT_EQ(f.edge.reportAwaited, !c.reported.empty());
    EXPECT_EQ(f.edge.endedProcess, c.endedProcess);
  }
}

// An undo that cannot put everything back says so, with the path of each thing left (a file, the
// folders the install made that hold it or something of the user's); a silent run tells no one.
// The exit code is the failure's, as for a whole undo.
TEST(InstallFlow, AnUndoThatLeavesSomethingNamesItsPaths) {
  struct Case {
    const char* label;
    bool silent;
    bool installFails;      // before any progress; else an entry fails after the client file
    bool clientStays;       // the client file cannot be removed; else the user adds a file
    std::vector<int> closes;
  };
  const Case cases[] = {
      {"a failed install whose client file stays", false, false, true, {kExitFilesFailed}},
      {"the same, silent", true, false, true, {kExitFilesFailed}},
      {"a failed install in whose folder the user put a file", false, false, false,
       {kExitFilesFailed}},
      {"an install that could not start, a file of the user's in its folder", false, true, false,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(c.silent);
    f.edge.entries = {{u"client.exe"}, {u"readme.txt", false}};
    f.edge.installFails = c.installFails;
    const std::u16string app = f.flow->GetInstallFolder().Units();
    if (c.clientStays) f.edge.machine.RefuseRemoval(app + u"client.exe");

    ASSERT_TRUE(f.flow->StartInstall());
    if (!c.clientStays) WriteBytes(f.Installed("user.txt"), "the user's");
    f.flow->OnCommand(f.observer.NextCommand());

    // The folders the install made, innermost first: nothing was there before.
    std::vector<std::u16string> left;
    if (c.clientStays) left.push_back(app + u"client.exe");
    for (std::u16string folder = app; folder.size() > f.temp.File(u"").size();
         folder = ParentFolderOf(folder)) {
      left.push_back(folder);
    }
    FixedWString<1024> text;
    if (c.installFails) {
      text.Assign(Text(TextKey::kInstallNotStarted).c_str());
      AppendNotUndone(RollbackResult{left}, &text);
    } else {
      InstallOutcome failed;
      failed.Fail(u"readme.txt", u"held by another program");
      FormatRolledBackInstall(failed, RollbackResult{left}, &text);
    }
    EXPECT_EQ(f.edge.told, c.silent ? std::vector<std::u16string>{}
                                    : std::vector<std::u16string>{text.Units()});
    EXPECT_EQ(f.observer.Closes(), c.closes);
    EXPECT_EQ(fs::exists(f.Installed("install.journal")), c.clientStays)
        << "kept while a file of the install stays";
  }
}

// A run killed anywhere leaves its journal; the next run's Prepare finishes with it, so the
// machine holds the earlier version or, once the killed run had committed, the new one: never a
// mixture.
TEST(InstallFlow, TheNextRunUndoesAnInstallKilledAnywhere) {
  int operations = 0;
  MachineState installed;
  {
    FlowFixture f(true);
    f.edge.entries = {{u"bin\\"}, {u"bin\\tool.dll"}, {u"client.exe"}};
    f.MakeEarlierInstall();
    const int before = f.edge.machine.Operations();
    ASSERT_EQ(f.Run(), CInstallFlow::kCompletedCommand);
    operations = f.edge.machine.Operations() - before;
    installed = MachineOf(f);
  }
  for (int killedAfter = 0; killedAfter < operations; ++killedAfter) {
    SCOPED_TRACE("killed after " + std::to_string(killedAfter));
    FlowFixture f(true);
    f.edge.entries = {{u"bin\\"}, {u"bin\\tool.dll"}, {u"client.exe"}};
    f.MakeEarlierInstall();
    const MachineState before = MachineOf(f);
    f.edge.machine.DieAfter(killedAfter);
    f.Run();
    f.edge.machine.Revive();
    // The next run proposes the folder the earlier install recorded.
    const std::u16string folder = f.flow->GetInstallFolder().Units();
    f.edge.installedFolder = folder.c_str();
    CInstallFlow next(&f.observer, f.edge, f.product, &f.payload, true);
    ASSERT_TRUE(next.Prepare());
    const MachineState after = MachineOf(f);
    EXPECT_TRUE(after == before || after == installed)
        << after.files.size() << " files, before " << before.files.size() << ", installed "
        << installed.files.size();
  }
}

// Nobody answers a silent install: whatever stops it ends the process with kExitNotStarted. A
// person keeps the window: a refused check leaves the first page, an install that could not
// start the progress page and a message.
TEST(InstallFlow, AnInstallThatCannotStartEndsASilentRunAndTellsAPerson) {
  struct Case {
    const char* label;
    bool silent;
    bool clientArchive;
    uint32_t style;
    bool securitySoftwarePasses;
    bool runningClientPasses;
    bool installFails;
    int command;
    CInstallFlow::State state;
    std::vector<std::u16string> checks;
    std::vector<int> closes;
    std::vector<std::u16string> told;
    bool listRefused = false;  // the published list arrived, refused by the installer's key
    bool listOlder = false;    // ... signed, but older than the package
  };
  const uint32_t detect = kStyleDetectSecuritySoftware;
  const std::vector<std::u16string> both = {u"security software", u"running client"};
  const Case cases[] = {
      {"running client kept, silent", true, true, 0, true, false, false, -1,
       CInstallFlow::kReady, {u"running client"}, {kExitNotStarted}, {}},
      {"running client kept", false, true, 0, true, false, false, -1, CInstallFlow::kReady,
       {u"running client"}, {}, {}},
      {"security software kept", false, true, detect, false, true, false, -1,
       CInstallFlow::kReady, {u"security software"}, {}, {}},
      {"security software looked for only when configured", false, true, 0, false, true, false,
       CInstallFlow::kCompletedCommand, CInstallFlow::kFinished, {u"running client"}, {}, {}},
      {"both checks passed", false, true, detect, true, true, false,
       CInstallFlow::kCompletedCommand, CInstallFlow::kFinished, both, {}, {}},
      {"unreadable client archive, silent", true, true, 0, true, true, true,
       CInstallFlow::kNotStartedCommand, CInstallFlow::kInstalling, {u"running client"},
       {kExitNotStarted}, {}},
      {"unreadable client archive", false, true, 0, true, true, true,
       CInstallFlow::kNotStartedCommand, CInstallFlow::kInstalling, {u"running client"}, {},
       {Text(TextKey::kInstallNotStarted)}},
      {"no published list", false, false, 0, true, true, true, CInstallFlow::kNotStartedCommand,
       CInstallFlow::kInstalling, {u"running client"}, {}, {Text(TextKey::kInstallNotStarted)}},
      {"a published list the key refuses", false, false, 0, true, true, true,
       CInstallFlow::kNotStartedCommand, CInstallFlow::kInstalling, {u"running client"}, {},
       {Text(TextKey::kListNotTrusted)}, true},
      {"a published list the key refuses, silent", true, false, 0, true, true, true,
       CInstallFlow::kNotStartedCommand, CInstallFlow::kInstalling, {u"running client"},
       {kExitNotStarted}, {}, true},
      {"a signed published list older than the package", false, false, 0, true, true, true,
       CInstallFlow::kNotStartedCommand, CInstallFlow::kInstalling, {u"running client"}, {},
       {Text(TextKey::kOldList)}, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(c.silent, {c.clientArchive, kUpdateList});
    f.product.SetStyle(c.style);
    f.edge.entries = {{u"client.exe"}};
    f.edge.securitySoftwarePasses = c.securitySoftwarePasses;
    f.edge.runningClientPasses = c.runningClientPasses;
    f.edge.installFails = c.installFails;
    f.edge.publishedList.refused = c.listRefused;
    f.edge.publishedList.older = c.listOlder;

    EXPECT_EQ(f.Run(), c.command);

    EXPECT_EQ(f.flow->GetState(), c.state);
    // The window then closes without asking, as not started.
    EXPECT_EQ(f.flow->CouldNotStart(), c.command == CInstallFlow::kNotStartedCommand);
    EXPECT_EQ(f.flow->View().firstPageVisible, c.state == CInstallFlow::kReady);
    EXPECT_EQ(f.edge.checks, c.checks);
    EXPECT_EQ(f.observer.Closes(), c.closes);
    EXPECT_EQ(f.edge.told, c.told);
    if (c.state != CInstallFlow::kFinished) {
      EXPECT_EQ(f.edge.registrations, 0);
      EXPECT_FALSE(fs::exists(f.Installed("uninst.dat")));
    }
  }
}

// Cancel asks the worker to stop and returns once it has, with nothing posted, saved or
// registered. A worker that does not end within the wait is stuck in the system:
// the process then ends at once rather than free what the worker uses.
TEST(InstallFlow, CancelStopsTheWorkerOrEndsTheProcess) {
  struct Case {
    const char* label;
    bool archiveMode;
    bool stuck;
    std::vector<int> endedProcess;
  };
  const Case cases[] = {
      {"archive mode", true, false, {}},
      {"download mode", false, false, {}},
      {"a worker stuck in the system", true, true, {kExitFilesFailed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(false, {c.archiveMode, kUpdateList});
    f.edge.entries = {{u"client.exe"}, {u"readme.txt"}};
    f.edge.waitForStop = true;
    f.edge.stuck = c.stuck;
    ASSERT_TRUE(f.flow->StartInstall());
    for (int i = 0; i < 1000 && f.flow->View().progressPosition < 2; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(f.flow->View().progressPosition, 2u);

    f.flow->Cancel();

    EXPECT_EQ(f.edge.endedProcess, c.endedProcess);
    f.edge.stuck = false;
    EXPECT_TRUE(f.edge.WaitForWorker(5000));
    EXPECT_EQ(f.observer.NextCommand(std::chrono::milliseconds(50)),
              CommandQueueObserver::kTimedOut);
    EXPECT_EQ(f.flow->GetState(), CInstallFlow::kInstalling);
    EXPECT_EQ(f.edge.registrations, 0);
    if (!c.stuck) {
      EXPECT_FALSE(fs::exists(f.Installed(""))) << "the install is undone";
    }
    // Nothing starts after a Cancel.
    f.flow->ShowProgress(u"late.txt", 2, 2);
    EXPECT_EQ(std::u16string(f.flow->View().statusText.Units()).find(u"late.txt"),
              std::u16string::npos);
  }
}

// Nobody watches a silent install that downloads: past the bound on its whole time it stops as a
// cancel stops it, is undone, says why in the log and ends with kExitFilesFailed. An install from
// the archive, or one a person watches, has no such bound.
TEST(InstallFlow, ASilentDownloadPastItsTimeBoundIsUndone) {
  struct Case {
    const char* label;
    bool silent;
    bool archiveMode;
    bool bounded;
  };
  const Case cases[] = {
      {"silent, downloading", true, false, true},
      {"silent, from the archive", true, true, false},
      {"watched, downloading", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(c.silent, {c.archiveMode, kUpdateList});
    f.edge.entries = {{u"client.exe"}, {u"readme.txt"}};
    f.edge.waitForStop = true;
    LoggedLines logged;
    ASSERT_TRUE(f.flow->StartInstall());
    for (int i = 0; i < 1000 && f.flow->View().progressPosition < 2; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(f.flow->View().progressPosition, 2u);
    ASSERT_TRUE(fs::exists(f.Installed("readme.txt")));

    // Before the list is known, the bound is the lists' allowance.
    f.edge.uptimeSecond = static_cast<int64_t>(kListsAllowanceMs / 1000);

    if (!c.bounded) {
      EXPECT_EQ(f.observer.NextCommand(std::chrono::milliseconds(500)),
                CommandQueueObserver::kTimedOut);
      f.flow->Cancel();
      EXPECT_TRUE(f.observer.Closes().empty());
      continue;
    }
    const int id = f.observer.NextCommand(std::chrono::seconds(5));
    ASSERT_EQ(id, CInstallFlow::kOutOfTimeCommand);
    f.flow->OnCommand(id);
    EXPECT_EQ(f.observer.Closes(), std::vector<int>{kExitFilesFailed});
    EXPECT_FALSE(fs::exists(f.Installed(""))) << "the install is undone";
    EXPECT_EQ(f.edge.registrations, 0);
    EXPECT_TRUE(f.edge.reportedVersions.empty());
    EXPECT_TRUE(logged.Contains(u"the install took longer than its bound of 600 s: undone"));
  }
}

TEST(InstallFlow, ProposesTheRecordedFolderElseProgramFilesOnTheWindowsDrive) {
  struct Case {
    const char16_t* recorded;       // null: no earlier install
    const char16_t* windowsFolder;  // null: it cannot be read
    bool proposed;
    const char16_t* expected;
  };
  const Case cases[] = {
      {nullptr, u"D:\\Windows", true, u"D:\\Program Files\\FlowTestCompany\\FlowTestApp\\"},
      {u"E:\\Games\\Kept\\", u"D:\\Windows", true, u"E:\\Games\\Kept\\"},  // nothing appended
      {u"E:\\Games\\Kept\\", nullptr, true, u"E:\\Games\\Kept\\"},
      {nullptr, nullptr, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.recorded != nullptr) << (c.windowsFolder != nullptr));
    FlowFixture f(false);
    f.edge.installedFolder = c.recorded;
    f.edge.windowsFolder = c.windowsFolder;
    EXPECT_EQ(f.flow->Prepare(), c.proposed);
    if (c.proposed) {
      EXPECT_EQ(std::u16string(f.flow->GetInstallFolder().Units()), c.expected);
    }
  }
}

// Before anything is written, in archive mode, the installed version decides: a newer one
// finishes with it (and a silent run launches it), a declined repair closes the window as
// cancelled. After the start, or in download mode, nothing is asked.
TEST(InstallFlow, TheInstalledVersionDecidesBeforeAnythingIsWritten) {
  struct Case {
    const char* label;
    InstalledVersionCheck check;
    bool silent;
    bool archiveMode;
    bool installedFirst;
    bool asked;
    CInstallFlow::State state;
    std::vector<int> closes;
    int launches;
  };
  const Case cases[] = {
      {"newer installed", InstalledVersionCheck::kRefused, false, true, false, true,
       CInstallFlow::kFinished, {}, 0},
      {"newer installed, silent", InstalledVersionCheck::kRefused, true, true, false, true,
       CInstallFlow::kFinished, {kExitNewerVersionKept}, 1},
      {"repair declined", InstalledVersionCheck::kDeclined, false, true, false, true,
       CInstallFlow::kReady, {kExitCancelled}, 0},
      {"install proceeds", InstalledVersionCheck::kProceed, false, true, false, true,
       CInstallFlow::kReady, {}, 0},
      {"download mode", InstalledVersionCheck::kRefused, false, false, false, false,
       CInstallFlow::kReady, {}, 0},
      {"too late once installed", InstalledVersionCheck::kRefused, false, true, true, false,
       CInstallFlow::kFinished, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(c.silent, {c.archiveMode, kUpdateList});
    f.edge.entries = {{u"client.exe"}};
    f.edge.versionCheck = c.check;
    if (c.installedFirst) {
      ASSERT_EQ(f.Run(), CInstallFlow::kCompletedCommand);
    }
    f.edge.checks.clear();

    f.flow->CheckVersion();

    EXPECT_EQ(f.edge.checks, c.asked ? std::vector<std::u16string>{u"version"}
                                     : std::vector<std::u16string>{});
    EXPECT_EQ(f.flow->GetState(), c.state);
    EXPECT_EQ(f.observer.Closes(), c.closes);
    EXPECT_EQ(f.edge.launches, c.launches);
    EXPECT_EQ(f.flow->View().finishButtonVisible,
              c.state == CInstallFlow::kFinished && !c.silent);
    if (c.installedFirst) continue;
    EXPECT_TRUE(f.edge.installs.empty());
    EXPECT_EQ(f.edge.registrations, 0);
    if (c.state == CInstallFlow::kFinished) {
      // The newer install is the one to launch, from its folder.
      EXPECT_EQ(std::u16string(f.product.GetInstallFolder().Units()),
                f.flow->GetInstallFolder().Units());
      EXPECT_EQ(std::u16string(f.product.GetMainFile().Units()), u"client.exe");
    }
  }
}

// A named report shows in the status text, but only the install's record of what it put in
// place fills the uninstall list; the download figures and the slow-network warning belong to
// download mode alone, and the speed is measured over the machine's whole seconds.
TEST(InstallFlow, ProgressReportsFillTheTextsOfTheirModeAndNotTheList) {
  struct Case {
    const char* label;
    bool archiveMode;
    uint32_t secondDone;  // done in the second second
    bool detailShown;
    bool slow;
  };
  const Case cases[] = {
      {"archive mode", true, 2000, false, false},
      {"download mode, slow", false, 2000, true, true},
      {"download mode, fast", false, 400000, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FlowFixture f(false, {c.archiveMode, kUpdateList});
    CInstallFlow& flow = *f.flow;
    f.edge.uptimeSecond = 1;
    flow.ShowProgress(u"bin\\a.dll", 4000000, 1000);
    f.edge.uptimeSecond = 2;
    flow.ShowProgress(nullptr, 4000000, c.secondDone);
    flow.ShowProgress(u"", 4000000, 3000000);

    EXPECT_EQ(flow.UninstallList().Count(), 0);
    EXPECT_EQ(std::u16string(flow.View().statusText.Units()),
              std::u16string(flow.GetInstallFolder().Units()) + u"...");
    EXPECT_EQ(std::u16string(flow.View().percentText.Units()), u"75%");
    EXPECT_EQ(flow.View().progressRange, 4000000u);
    EXPECT_EQ(flow.View().progressPosition, 3000000u);
    EXPECT_EQ(flow.View().detailText.Empty(), !c.detailShown);
    EXPECT_EQ(flow.View().slowNetworkVisible, c.slow);
  }
}

}  // namespace
