// Installs interrupted as they are on real machines: killed part way (as a task manager or a
// deployment tool's time-out kills), or failing on a file another program holds. The real
// programs run each time: setup.exe ended from outside in the middle of its files, or the
// headless install made to end at an exact point past them (killed_install.exe), then the next of
// the product's programs. Whatever the point, the machine afterwards holds one version whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "install/exit_codes.h"
#include "records/uninst_info.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/journal/change_journal.h"
#include "support/system/registry.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/killing_target.h"
#include "tests/helpers/outside_kill.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSmallFiles = 120;

// What an install left on the machine: every file of the folder with its bytes, the product
// key's values and the uninstall entry's version, and which shortcuts, group and Run value are
// there.
struct Installed {
  std::map<std::string, std::string> files;
  std::map<std::u16string, std::u16string> values;
  std::map<std::u16string, bool> registration;
  bool operator==(const Installed& other) const {
    return files == other.files && values == other.values && registration == other.registration;
  }
};

Installed InstalledState(const ShippedProduct& product, const fs::path& folder) {
  Installed state;
  std::error_code missing;
  for (const auto& item : fs::recursive_directory_iterator(folder, missing)) {
    const std::string name = fs::relative(item.path(), folder).u8string();
    // A running uninstaller's own file, moved aside by undoing a change to it, goes when Windows
    // next starts; the note is the started client's own.
    if (name.find(".del~") != std::string::npos || name.rfind("client.exe.ran", 0) == 0) continue;
    state.files[name] = item.is_directory() ? "<folder>" : ReadBytes(item.path());
  }
  const auto readValue = [&state](const std::u16string& key, const char16_t* name) {
    char16_t value[600] = {};
    if (RegistryReadString(key.c_str(), name, value, 600)) state.values[name] = value;
  };
  for (const char16_t* name : {u"version", u"path", u"md5", u"main"}) {
    readValue(product.ProductKey(), name);
  }
  readValue(product.UninstallKey(), u"DisplayVersion");
  state.registration = product.Registration();
  return state;
}

class InterruptedInstallTest : public ::testing::Test {
 protected:
  // The version before, kept as earlier.exe, and the next one in the product's setup.exe: every
  // file changed, one added, and a higher version. Many small files and a large one, so that a
  // kill can land anywhere among the files and inside the writing of one.
  void SetUp() override {
    ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
    // The client notes its start and ends, as setup.exe silent starts it.
    product_.WriteClientFile("client.exe", ReadBytes(TestProgramFolder() / "launch_probe.exe"));
    WriteClientVersion(1, "earlier");
    ASSERT_EQ(product_.Build().status, 0);
    fs::copy_file(product_.Setup(), Earlier());
    WriteClientVersion(2, "later");
    product_.WriteClientFile("lib/added.dll", "added in version two");
    ASSERT_EQ(product_.Build().status, 0);
  }
  void TearDown() override {
    if (setupFolder_.empty()) return;
    std::error_code ignored;
    fs::remove_all(setupFolder_, ignored);
    fs::remove(setupFolder_.parent_path(), ignored);  // the company's folder, when empty
  }

  // The client as version number ("number.0.0.0" in the configuration), each file's bytes naming
  // it by label.
  void WriteClientVersion(int number, const std::string& label) {
    for (int i = 0; i < kSmallFiles; ++i) {
      product_.WriteClientFile("lib/part" + std::to_string(i) + ".dll",
                               label + " part " + std::string(300 + 20 * i, 'p'));
    }
    product_.WriteClientFile("readme.txt", "read me, the " + label + " version");
    product_.WriteClientFile("data/large.bin", label + std::string(8 << 20, 'l'));
    std::string config = ReadBytes(product_.ConfigFile());
    const size_t at = config.find("version=");
    config.replace(at, config.find(';', at) - at, "version=" + std::to_string(number) + ".0.0.0");
    WriteBytes(product_.ConfigFile(), config);
  }

  std::u16string Earlier() const { return product_.Temp().File(u"earlier.exe"); }
  DWORD Headless(const std::u16string& setup) const {
    return RunAndWait((TestProgramFolder() / "install_headless.exe").u16string(),
                      u"\"" + setup + u"\" \"" + product_.Folder().u16string() + u"\"");
  }
  DWORD KilledBeforeItsCommit() const {
    return RunAndWait((TestProgramFolder() / "killed_install.exe").u16string(),
                      u"\"" + product_.Setup() + u"\" \"" + product_.Folder().u16string() + u"\"");
  }
  DWORD UninstallSilently() const {
    return RunAndWait((product_.Folder() / "unins000.exe").u16string(), u"silent");
  }
  void ExpectClientWhole() const {
    for (const auto& [name, bytes] : product_.ClientFiles()) {
      EXPECT_EQ(ReadBytes(product_.Folder() / fs::u8path(name)), bytes) << name;
    }
    CUninstInfo list;
    ASSERT_TRUE(list.LoadFromFile((product_.Folder() / "uninst.dat").u16string().c_str()));
    EXPECT_GE(list.Count(), static_cast<int>(product_.ClientFiles().size()));
    EXPECT_FALSE(fs::exists(product_.Folder() / "install.journal"));
  }
  void ExpectNothingLeft() const {
    EXPECT_TRUE(WaitUntilGone(product_.Folder()));
    EXPECT_FALSE(KeyExists(product_.ProductKey()));
    EXPECT_FALSE(KeyExists(product_.UninstallKey()));
    for (const auto& [place, there] : product_.Registration()) {
      EXPECT_FALSE(there) << fs::path(place).string();
    }
  }

  // setup.exe silent of setup: its exit code. The first install notes the folder it chose.
  DWORD SetupSilently(const std::u16string& setup) {
    const DWORD exitCode = RunAndWait(setup, u"silent");
    char16_t path[600] = {};
    if (setupFolder_.empty() &&
        RegistryReadString(product_.ProductKey().c_str(), u"path", path, 600)) {
      setupFolder_ = fs::path(path).parent_path();
    }
    return exitCode;
  }
  // Nothing of the product left, as before its first install, without running its uninstaller.
  void Forget() const {
    product_.Unregister();
    std::error_code ignored;
    fs::remove_all(setupFolder_, ignored);
  }

  ShippedProduct product_;
  fs::path setupFolder_;  // where setup.exe silent installs
};

// setup.exe silent ended from outside at points spread over its files, by how many names its
// folder holds then (fresh) or how many files it has moved aside (an upgrade), and while it
// writes the large file at its staging name through its handle. Over the earlier version, the
// updater started next (from a copy, as the client starts it; with no list to follow it only
// undoes what was left) leaves wholly one version; fresh or not, setup.exe silent run next
// installs the later version whole, and nothing else is left in the folder.
TEST_F(InterruptedInstallTest, SetupKilledAmongItsFilesLeavesOneVersionWhole) {
  ASSERT_EQ(SetupSilently(product_.Setup()), static_cast<DWORD>(kExitInstalled));
  ASSERT_FALSE(setupFolder_.empty());
  const Installed later = InstalledState(product_, setupFolder_);
  const int names = CountNamesEndingWith(setupFolder_, u"");
  Forget();
  ASSERT_EQ(SetupSilently(Earlier()), static_cast<DWORD>(kExitInstalled));
  const Installed earlier = InstalledState(product_, setupFolder_);
  ASSERT_FALSE(earlier == later);
  // Each of its files is moved aside as the later version replaces it.
  int replaced = 0;
  for (const auto& [name, bytes] : earlier.files) replaced += bytes == "<folder>" ? 0 : 1;
  const std::u16string updater = product_.Temp().File(u"update.exe");
  fs::copy_file(setupFolder_ / "update.exe", updater);
  Forget();

  struct Case {
    std::string name;
    bool upgrade;
    std::u16string watched;  // the end of the names counted
    int count;               // killed once the folder holds this many of them
  };
  std::vector<Case> cases;
  const std::u16string largeStaging = u"large.bin" + std::u16string(kNewSuffix);
  for (int tenth = 1; tenth <= 9; ++tenth) {
    cases.push_back({"fresh, " + std::to_string(tenth) + "/10 of its names there", false, u"",
                     names * tenth / 10});
  }
  cases.push_back({"fresh, writing the large file", false, largeStaging, 1});
  for (int tenth = 1; tenth <= 9; ++tenth) {
    cases.push_back({"an upgrade, " + std::to_string(tenth) + "/10 of its files moved aside", true,
                     kOldSuffix, replaced * tenth / 10});
  }
  cases.push_back({"an upgrade, writing the large file", true, largeStaging, 1});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.upgrade && !(InstalledState(product_, setupFolder_) == earlier)) {
      Forget();
      ASSERT_EQ(SetupSilently(Earlier()), static_cast<DWORD>(kExitInstalled));
    }
    const auto reached = [this, &c] {
      return CountNamesEndingWith(setupFolder_, c.watched) >= c.count;
    };
    ASSERT_EQ(RunKilledWhen(product_.Setup(), u"silent", reached), kKilledFromOutside);
    if (c.upgrade) {
      EXPECT_EQ(RunAndWait(updater, u"silent"), static_cast<DWORD>(kExitNotUpdated));
      const Installed state = InstalledState(product_, setupFolder_);
      EXPECT_TRUE(state == earlier || state == later) << "one version whole";
    } else {
      ASSERT_EQ(SetupSilently(product_.Setup()), static_cast<DWORD>(kExitInstalled));
      EXPECT_TRUE(InstalledState(product_, setupFolder_) == later) << "the later version whole";
      Forget();
    }
  }
}

// Killed just before its commit, a point no watcher from outside lands on for certain: every
// file in place and registered, nothing kept yet. The next run of any of the product's programs
// finds the journal first. Over the earlier version, the uninstaller, declined, has undone the
// killed upgrade and leaves that version exactly as it was; then the installer installs whole,
// and the uninstaller removes everything.
TEST_F(InterruptedInstallTest, AnInstallKilledBeforeItsCommitIsUndoneByTheNextRun) {
  for (const bool upgrade : {false, true}) {
    SCOPED_TRACE(upgrade ? "an upgrade" : "fresh");
    if (upgrade) {
      ASSERT_EQ(Headless(Earlier()), 0u);
      const Installed earlier = InstalledState(product_, product_.Folder());
      ASSERT_EQ(KilledBeforeItsCommit(), KillingTarget::kKilledExitCode);
      EXPECT_TRUE(fs::exists(product_.Folder() / "install.journal"));
      ProgramRun declined =
          RunAnswering((product_.Folder() / "unins000.exe").u16string(), L"", {IDNO});
      EXPECT_EQ(declined.exitCode, static_cast<DWORD>(kExitCancelled));
      EXPECT_TRUE(InstalledState(product_, product_.Folder()) == earlier)
          << "the earlier version, whole";
    } else {
      ASSERT_EQ(KilledBeforeItsCommit(), KillingTarget::kKilledExitCode);
    }
    ASSERT_EQ(Headless(product_.Setup()), 0u);
    ExpectClientWhole();
    ASSERT_EQ(UninstallSilently(), 0u);
    ExpectNothingLeft();
  }
}

// An upgrade that meets a file another program holds open fails after a short wait, names the
// file, and leaves the version before byte for byte, with its registration and uninstall list.
TEST_F(InterruptedInstallTest, AnUpgradeOverAHeldFileLeavesTheEarlierVersion) {
  ASSERT_EQ(Headless(Earlier()), 0u);
  const Installed earlier = InstalledState(product_, product_.Folder());
  const std::u16string held = (product_.Folder() / "data" / "settings.ini").u16string();
  // Another program that holds the file open, sharing it with nobody.
  std::wstring commandLine = L"\"" + (TestProgramFolder() / "sleeper.exe").wstring() + L"\" 60 \"" +
                             std::wstring(AsWide(held.c_str())) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &started));
  Handle holder(started.hProcess);
  Handle holderThread(started.hThread);
  ASSERT_EQ(WaitForSingleObject(holder.Get(), 1000), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the holder could not open the file";

  EXPECT_EQ(Headless(product_.Setup()), static_cast<DWORD>(kExitFilesFailed));
  // Read once the holder lets go of it.
  TerminateProcess(holder.Get(), 0);
  WaitForSingleObject(holder.Get(), 5000);
  EXPECT_TRUE(InstalledState(product_, product_.Folder()) == earlier);
}

}  // namespace
