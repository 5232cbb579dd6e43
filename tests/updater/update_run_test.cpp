// The updater's decisions, over a fake edge: when it may update, what it asks and tells, what a
// whole update leaves on the machine, and that anything less leaves the machine as it was.
#include "updater/update_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/install_outcome.h"
#include "product/folder_recovery.h"
#include "product/registry_values.h"
#include "product/uninstall_list_file.h"
#include "records/client_info.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/text/utf8.h"
#include "tests/helpers/fake_update_edge.h"
#include "tests/helpers/logged_lines.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/uninstall_entries.h"
#include "updater/update_texts.h"

namespace {

namespace fs = std::filesystem;

const char16_t kName[] = u"UpdateTest";
const char16_t kInstalledDigest[] = u"0123456789ABCDEF0123456789ABCDEF";
const char16_t kClientUrl[] = u"http://updates.test/client.exe";
const char16_t kFreshUrl[] = u"http://updates.test/new/fresh.txt";

// "update.xml" naming version, as the packaging tool stores it: "client.exe" changed,
// "new\fresh.txt" added and "readme.txt" deleted.
std::string PublishedList(const char16_t* version) {
  CUpdateInfo list;
  list.SetVersion(version);
  list.AddFile(u"client.exe", 30, u"00000000000000000000000000000001", kClientUrl);
  list.AddFile(u"new\\fresh.txt", 33, u"00000000000000000000000000000002", kFreshUrl);
  auto removed = std::make_unique<UpdateItem>();
  removed->action = UpdateItem::kActionDelete;
  removed->file = u"readme.txt";
  list.AddItem(std::move(removed));
  std::vector<uint8_t> bytes(list.SaveBufferSize());
  const uint32_t size = list.Serialize(bytes.data(), static_cast<uint32_t>(bytes.size()), false);
  return std::string(bytes.begin(), bytes.begin() + size);
}

// The product installed in a folder of its own, over a fake edge: a client and a readme, the
// uninstall list naming them, and the product key with version 1.0.0.0 and the digest of the
// list it was installed from. The published list is PublishedList(u"1.1.0.0"), unsigned.
class UpdateFixture {
 public:
  UpdateFixture() {
    product.SetName(kName);
    fs::create_directories(Installed(""));
    WriteBytes(Installed("client.exe"), "old client");
    WriteBytes(Installed("readme.txt"), "read me");
    CUninstInfo list;
    list.Add(u"client.exe", -1);
    list.Add(u"readme.txt", -1);
    EXPECT_TRUE(list.SaveToFile(Installed("uninst.dat").u16string().c_str()));
    edge.installedFolder = folder;
    edge.Record(u"version", u"1.0.0.0");
    edge.Record(u"md5", kInstalledDigest);
    edge.listBytes = PublishedList(u"1.1.0.0");
  }

  fs::path Installed(const char* name) const { return temp.Path() / "app" / name; }
  MachineState Machine() const { return StateBelow(temp.Path(), edge.machine); }
  int Run(bool silent) { return RunUpdate(product, silent, edge); }

  TempFolder temp;
  const std::u16string folder = temp.File(u"app") + u"\\";
  FakeUpdateEdge edge;
  CClientInfo product;
};

// What the updater tells when it undid an update that failed at what, for why, and the undo
// left those paths.
std::u16string FailedText(const std::u16string& what, const char16_t* why,
                          const std::vector<std::u16string>& left = {}) {
  InstallOutcome outcome;
  outcome.Fail(what.c_str(), why);
  return UpdateFailedText(outcome, RollbackResult{left});
}

// Where the update may not go ahead, or fails part way, the machine stays as it was: the run
// ends with kExitNotUpdated, kExitCancelled when the person declined, kExitAnotherRunGoing while
// another run holds the folder, or kExitUpdateFailed once the update had begun, and a person is
// told why; a silent run asks and tells nothing. What an undo cannot put back stays, and is named.
TEST(RunUpdate, LeavesTheMachineAsItWasUnlessTheWholeUpdateStands) {
  const std::u16string question = UpdateQuestionText(kName, u"1.1.0.0");
  const char16_t* held = u"held by another program";
  struct Case {
    const char* label;
    std::function<void(UpdateFixture&)> arrange;
    bool silent;
    int exitCode;
    std::vector<std::u16string> asked;
    // What the person is told; "<folder>" stands for the install folder.
    std::u16string told;
    std::u16string logged = u"";  // a line the run logs; empty: none looked for
    bool restored = true;         // the machine as it was before
  };
  const Case cases[] = {
      {"nothing installed", [](UpdateFixture& f) { f.edge.installedFolder.clear(); }, false,
       kExitNotUpdated, {}, NotInstalledText(kName)},
      {"another run in the folder", [](UpdateFixture& f) { f.edge.folderBusy = true; }, false,
       kExitAnotherRunGoing, {}, BusyText(kName)},
      {"no list arrives", [](UpdateFixture& f) { f.edge.listArrives = false; }, false,
       kExitNotUpdated, {}, NoUpdateListText(kName)},
      {"bytes that are no list", [](UpdateFixture& f) { f.edge.listBytes = "no list here"; },
       false, kExitNotUpdated, {}, NoUpdateListText(kName)},
      {"a list the key refuses",
       [](UpdateFixture& f) { f.edge.signature = ListSignatureCheck::kSignatureWrong; }, false,
       kExitNotUpdated, {}, ListNotTrustedText(kName)},
      {"a list the key refuses, silent",
       [](UpdateFixture& f) { f.edge.signature = ListSignatureCheck::kSignatureMissing; }, true,
       kExitNotUpdated, {}, u""},
      {"a signed list older than the installed version",
       [](UpdateFixture& f) {
         f.edge.signature = ListSignatureCheck::kVerified;
         f.edge.listBytes = PublishedList(u"0.9.0.0");
       },
       false, kExitNotUpdated, {}, OlderListText(kName, u"0.9.0.0", u"1.0.0.0")},
      {"a signed list naming no version",
       [](UpdateFixture& f) {
         f.edge.signature = ListSignatureCheck::kVerified;
         f.edge.listBytes = PublishedList(u"");
       },
       false, kExitNotUpdated, {}, UnversionedListText(kName, u"1.0.0.0")},
      {"the update declined", [](UpdateFixture& f) { f.edge.answersYes = false; }, false,
       kExitCancelled, {question}, u""},
      {"the running client kept", [](UpdateFixture& f) { f.edge.clientEnds = false; }, false,
       kExitCancelled, {question}, u""},
      {"a damaged uninstall list",
       [](UpdateFixture& f) { WriteBytes(f.Installed("uninst.dat"), "damaged"); }, false,
       kExitUpdateFailed, {question}, FailedText(kUninstallListName, u"")},
      {"a folder that cannot be written", [](UpdateFixture& f) { f.edge.machine.DieAfter(0); },
       false, kExitNotUpdated, {question}, NotInstalledText(kName)},
      {"a file that cannot be put in place",
       [](UpdateFixture& f) { f.edge.failingFile = u"new\\fresh.txt"; }, false,
       kExitUpdateFailed, {question}, FailedText(u"new\\fresh.txt", held)},
      {"a file that cannot be put in place, and a replaced one that cannot come back",
       [](UpdateFixture& f) {
         f.edge.failingFile = u"new\\fresh.txt";
         f.edge.machine.Hold(f.folder + u"client.exe.old~");
       },
       false, kExitUpdateFailed, {question},
       FailedText(u"new\\fresh.txt", held, {u"<folder>client.exe"}), u"", false},
      {"a file that cannot be put in place, silent",
       [](UpdateFixture& f) { f.edge.failingFile = u"client.exe"; }, true, kExitUpdateFailed, {},
       u""},
      {"the uninstall list held by another program",
       [](UpdateFixture& f) { f.edge.machine.Hold(f.folder + kUninstallListName); }, false,
       kExitUpdateFailed, {question}, FailedText(u"<folder>uninst.dat", held)},
      {"past its time bound while fetching the list, silent",
       [](UpdateFixture& f) { f.edge.outlasting = FakeUpdateEdge::Outlasting::kListFetch; }, true,
       kExitUpdateFailed, {}, u"",
       u"the update took longer than its bound of 600 s: nothing changed"},
      {"past its time bound, silent",
       [](UpdateFixture& f) { f.edge.outlasting = FakeUpdateEdge::Outlasting::kEngine; }, true,
       kExitUpdateFailed, {}, u"", u"the update took longer than its bound of 900 s: undone"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    UpdateFixture f;
    c.arrange(f);
    const MachineState before = f.Machine();
    LoggedLines logged;

    EXPECT_EQ(f.Run(c.silent), c.exitCode);
    if (!c.logged.empty()) {
      EXPECT_TRUE(logged.Contains(c.logged)) << Utf16ToUtf8(c.logged.c_str());
    }

    f.edge.machine.Revive();
    EXPECT_EQ(f.Machine() == before, c.restored);
    EXPECT_EQ(f.edge.asked, c.asked);
    std::u16string told = c.told;
    const size_t placeholder = told.find(u"<folder>");
    if (placeholder != std::u16string::npos) told.replace(placeholder, 8, f.folder);
    EXPECT_EQ(f.edge.told, told.empty() ? std::vector<std::u16string>{}
                                        : std::vector<std::u16string>{told});
  }
}

// A whole update stands: the listed files in place, what the list deletes gone, "uninst.dat"
// naming what is there, and the list's digest, version and the install's size recorded. A person
// is asked first, unless the recorded digest is the list's, and told after. Downloads of the
// files the client had are kept should the update be undone.
TEST(RunUpdate, CommitsAWholeUpdate) {
  const std::u16string question = UpdateQuestionText(kName, u"1.1.0.0");
  struct Case {
    const char* label;
    std::function<void(UpdateFixture&)> arrange;
    bool silent;
    std::u16string listVersion;  // the published list's, recorded when it names one
    std::vector<std::u16string> asked;
    std::vector<std::u16string> told;
  };
  const Case cases[] = {
      {"silent", [](UpdateFixture&) {}, true, u"1.1.0.0", {}, {}},
      {"asked, then told", [](UpdateFixture&) {}, false, u"1.1.0.0", {question},
       {UpdatedText(kName)}},
      {"the recorded digest is the list's",
       [](UpdateFixture& f) { f.edge.Record(u"md5", Md5Hex(f.edge.listBytes)); }, false,
       u"1.1.0.0", {}, {UpToDateText(kName)}},
      {"a signed list of the installed version",
       [](UpdateFixture& f) {
         f.edge.signature = ListSignatureCheck::kVerified;
         f.edge.listBytes = PublishedList(u"1.0.0.0");
       },
       true, u"1.0.0.0", {}, {}},
      {"an older list no key vouches for",
       [](UpdateFixture& f) { f.edge.listBytes = PublishedList(u"0.9.0.0"); }, true, u"0.9.0.0",
       {}, {}},
      {"a list naming no version", [](UpdateFixture& f) { f.edge.listBytes = PublishedList(u""); },
       true, u"", {}, {}},
      // A person watching has no time bound to keep.
      {"asked, and as long as it takes",
       [](UpdateFixture& f) { f.edge.outlasting = FakeUpdateEdge::Outlasting::kEngine; }, false,
       u"1.1.0.0", {question}, {UpdatedText(kName)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    UpdateFixture f;
    c.arrange(f);

    EXPECT_EQ(f.Run(c.silent), kExitUpdated);

    EXPECT_EQ(f.edge.asked, c.asked);
    EXPECT_EQ(f.edge.told, c.told);
    EXPECT_EQ(ReadBytes(f.Installed("client.exe")), "http://updates.test/client.exe");
    EXPECT_EQ(ReadBytes(f.Installed("new/fresh.txt")), "http://updates.test/new/fresh.txt");
    EXPECT_FALSE(fs::exists(f.Installed("readme.txt")));
    EXPECT_FALSE(fs::exists(f.Installed("install.journal")));
    EXPECT_EQ(UninstallEntries(f.Installed("uninst.dat")),
              (std::vector<std::u16string>{u"client.exe", u"new\\fresh.txt"}));
    EXPECT_EQ(f.edge.keptDownloads, std::vector<std::u16string>{u"client.exe"});
    EXPECT_EQ(f.edge.Recorded(u"md5"), Md5Hex(f.edge.listBytes));
    const std::u16string version = c.listVersion.empty() ? u"1.0.0.0" : c.listVersion;
    EXPECT_EQ(f.edge.Recorded(u"version"), version);
    EXPECT_EQ(f.edge.Recorded(u"DisplayVersion", FakeUpdateEdge::kUninstallKey),
              c.listVersion.empty() ? u"<missing>" : c.listVersion);
    RegistryValue size;
    ASSERT_TRUE(
        f.edge.machine.ReadValue(FakeUpdateEdge::kUninstallKey, u"EstimatedSize", &size));
    EXPECT_EQ(size, NumberValue(1));
  }
}

// An update killed anywhere leaves its journal; the next run finishes with it first, so that the
// machine holds the old version or, once the killed run had committed, the new one: never a
// mixture. That run then brings it to the new version.
TEST(RunUpdate, TheNextRunUndoesAnUpdateKilledAnywhere) {
  int operations = 0;
  MachineState updated;
  {
    UpdateFixture f;
    const int before = f.edge.machine.Operations();
    ASSERT_EQ(f.Run(true), kExitUpdated);
    operations = f.edge.machine.Operations() - before;
    updated = f.Machine();
  }
  ASSERT_GT(operations, 10);
  for (int killedAfter = 0; killedAfter < operations; ++killedAfter) {
    SCOPED_TRACE("killed after " + std::to_string(killedAfter));
    UpdateFixture f;
    const MachineState before = f.Machine();
    f.edge.machine.DieAfter(killedAfter);
    f.Run(true);
    f.edge.machine.Revive();

    EXPECT_TRUE(IsRecovered(f.edge.RecoverFolder(f.product, f.folder.c_str())));
    const MachineState recovered = f.Machine();
    EXPECT_TRUE(recovered == before || recovered == updated)
        << recovered.files.size() << " files, before " << before.files.size() << ", updated "
        << updated.files.size();
    EXPECT_EQ(f.Run(true), kExitUpdated);
    EXPECT_EQ(f.Machine(), updated);
  }
}

}  // namespace
