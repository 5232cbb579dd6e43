// Installs interrupted as they are on real machines: killed part way (as a task manager or a
// deployment tool's time-out kills), or failing on a file another program holds. The real
// programs run each time: the killed install (killed_install.exe, the headless install made to
// end at a chosen change), then the next installer, the uninstaller. Whatever the point, the
// machine afterwards holds one version whole, and the uninstaller leaves nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "records/uninst_info.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/system/registry.h"
#include "support/text/utf8.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr DWORD kKilled = 77;

std::u16string Decimal(DWORD number) { return Utf8ToUtf16(std::to_string(number)); }

// What an install left on the machine: every file of the folder with its bytes, the product
// key's values, and which shortcuts, group and Run value are there.
struct Installed {
  std::map<std::string, std::string> files;
  std::map<std::u16string, std::u16string> values;
  std::map<std::u16string, bool> registration;
  bool operator==(const Installed& other) const {
    return files == other.files && values == other.values && registration == other.registration;
  }
};

Installed InstalledState(const ShippedProduct& product) {
  Installed state;
  if (fs::exists(product.Folder())) {
    for (const auto& item : fs::recursive_directory_iterator(product.Folder())) {
      // A running uninstaller's own file, moved aside by undoing a change to it, goes when
      // Windows next starts.
      if (item.path().filename().u8string().find(".del~") != std::string::npos) continue;
      state.files[fs::relative(item.path(), product.Folder()).u8string()] =
          item.is_directory() ? "<folder>" : ReadBytes(item.path());
    }
  }
  for (const char16_t* name : {u"version", u"path", u"md5", u"main"}) {
    char16_t value[600] = {};
    if (RegistryReadString(product.ProductKey().c_str(), name, value, 600)) {
      state.values[name] = value;
    }
  }
  state.registration = product.Registration();
  return state;
}

class InterruptedInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
    for (int i = 0; i < 12; ++i) {
      product_.WriteClientFile("lib/part" + std::to_string(i) + ".dll", std::string(5000 + i, 'l'));
    }
    ASSERT_EQ(product_.Build().status, 0);
  }

  DWORD Killed(const std::u16string& point) const {
    return RunAndWait((TestProgramFolder() / "killed_install.exe").u16string(),
                      u"\"" + product_.Setup() + u"\" \"" + product_.Folder().u16string() +
                          u"\" " + point);
  }
  DWORD UninstallSilently() const {
    return RunAndWait((product_.Folder() / "unins000.exe").u16string(), u"silent");
  }
  // The client's next version: two files changed, one added.
  void ChangeClient() {
    product_.WriteClientFile("readme.txt", "read me, version two");
    product_.WriteClientFile("data/settings.ini", "[settings]\r\nnew=1\r\n");
    product_.WriteClientFile("lib/added.dll", "added in version two");
    ASSERT_EQ(product_.Build().status, 0);
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

  ShippedProduct product_;
};

// Killed at a change of the install (the first, part way through the files, the first registry
// value, near the end), fresh or over the version before: the next run of any of the product's
// programs finds the journal first. Over an earlier version, the uninstaller, declined, has
// undone the killed upgrade and leaves that version exactly as it was; then the installer
// installs whole, and the uninstaller removes everything.
TEST_F(InterruptedInstallTest, AKilledInstallIsUndoneByTheNextRun) {
  const DWORD changes = Killed(u"count");
  ASSERT_GT(changes, 20u);
  ExpectClientWhole();
  ASSERT_EQ(UninstallSilently(), 0u);
  ExpectNothingLeft();

  struct Case {
    const char* name;
    std::u16string point;
    bool upgrade;
  };
  const Case cases[] = {
      {"at its first change", u"1", false},
      {"part way through the files", Decimal(changes / 2), false},
      {"at the registration", u"registration", false},
      {"near its end", Decimal(changes - 3), false},
      {"an upgrade, part way through the files", Decimal(changes / 2), true},
      {"an upgrade, at the registration", u"registration", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.upgrade) {
      ASSERT_EQ(product_.Install(), 0u);
      const Installed earlier = InstalledState(product_);
      ChangeClient();
      ASSERT_EQ(Killed(c.point), kKilled);
      EXPECT_TRUE(fs::exists(product_.Folder() / "install.journal"));
      ProgramRun declined =
          RunAnswering((product_.Folder() / "unins000.exe").u16string(), L"", {IDNO});
      EXPECT_EQ(declined.exitCode, 1u);
      EXPECT_TRUE(InstalledState(product_) == earlier) << "the earlier version, whole";

    } else {
      ASSERT_EQ(Killed(c.point), kKilled);
    }
    ASSERT_EQ(product_.Install(), 0u);
    ExpectClientWhole();
    ASSERT_EQ(UninstallSilently(), 0u);
    ExpectNothingLeft();
  }
}

// An upgrade that meets a file another program holds open fails after a short wait, names the
// file, and leaves the version before byte for byte, with its registration and uninstall list.
TEST_F(InterruptedInstallTest, AnUpgradeOverAHeldFileLeavesTheEarlierVersion) {
  ASSERT_EQ(product_.Install(), 0u);
  const Installed earlier = InstalledState(product_);
  ChangeClient();
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

  EXPECT_EQ(product_.Install(), 2u);
  // Read once the holder lets go of it.
  TerminateProcess(holder.Get(), 0);
  WaitForSingleObject(holder.Get(), 5000);
  EXPECT_TRUE(InstalledState(product_) == earlier);
}

}  // namespace
