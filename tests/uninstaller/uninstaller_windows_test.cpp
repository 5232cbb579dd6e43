// The real unins000.exe over real installs: a client built by setupkit build, installed by
// install_headless.exe, then uninstalled from its folder.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "product/product_keys.h"
#include "product/program_launch.h"
#include "records/uninst_info.h"
#include "support/registry.h"
#include "support/utf8.h"
#include "support/wide_text.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/shortcut_reader.h"
#include "tests/helpers/started_process.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

const std::u16string kCaption = u"\u5b89\u88c5\u63d0\u793a";  // 安装提示

bool Contains(const std::u16string& text, const std::u16string& part) {
  return text.find(part) != std::u16string::npos;
}

class UninstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
    ToolRun build = product_.Build();
    ASSERT_EQ(build.status, 0) << build.err;
    ASSERT_EQ(product_.Install(), 0u);
    ASSERT_TRUE(fs::exists(Uninstaller()));
    registered_ = product_.Registration();
    ASSERT_TRUE(registered_.at((SpecialFolder(CSIDL_COMMON_PROGRAMS) /
                                product_.Record().GetName().Units()).u16string()));
  }
  void TearDown() override {
    // The copy that removed the uninstaller is itself removed only when Windows next starts.
    char16_t copy[MAX_PATH];
    if (TempProgramCopyPath(product_.Record().GetApp().Units(), u"uninstall", copy)) {
      for (int i = 0; i < 50 && fs::exists(copy) && !DeleteFileW(AsWide(copy)); ++i) Sleep(100);
    }
  }

  fs::path Folder() const { return product_.Folder(); }
  fs::path Uninstaller() const { return Folder() / "unins000.exe"; }

  // The uninstaller as the uninstall entry names it.
  std::u16string RegisteredUninstaller() const {
    char16_t value[MAX_PATH] = {};
    EXPECT_TRUE(RegistryReadString(product_.UninstallKey().c_str(), u"UninstallString", value,
                                   MAX_PATH));
    return value;
  }

  ProgramRun Uninstall(const std::wstring& arguments, std::deque<int> answers = {}) {
    return RunAnswering(Uninstaller().u16string(), arguments, std::move(answers));
  }

  // Every file of the client in place with its bytes.
  void ExpectClientInstalled() {
    for (const auto& [name, bytes] : product_.ClientFiles()) {
      EXPECT_EQ(ReadBytes(Folder() / fs::u8path(name)), bytes) << name;
    }
    EXPECT_TRUE(KeyExists(product_.ProductKey()));
    EXPECT_EQ(product_.Registration(), registered_);
  }

  // Nothing of the product is left but what is named in keep (relative paths of files).
  void ExpectOnlyLeft(const std::vector<fs::path>& keep) {
    EXPECT_FALSE(KeyExists(product_.ProductKey()));
    EXPECT_FALSE(KeyExists(product_.UninstallKey()));
    for (const auto& [place, there] : product_.Registration()) {
      EXPECT_FALSE(there) << fs::path(place).string();
    }
    if (keep.empty()) {
      EXPECT_TRUE(WaitUntilGone(Folder())) << "the install folder stays";
      return;
    }
    EXPECT_TRUE(WaitUntilGone(Uninstaller()));
    std::set<fs::path> found;
    for (const auto& item : fs::recursive_directory_iterator(Folder())) {
      if (item.is_regular_file()) found.insert(fs::relative(item.path(), Folder()));
    }
    EXPECT_EQ(found, std::set<fs::path>(keep.begin(), keep.end()));
  }

  ShippedProduct product_;
  // What the install registered: shortcuts, group and Run value by their places.
  std::map<std::u16string, bool> registered_;
};

// Through the uninstall entry, as Add/Remove Programs starts it: everything the install made
// goes, and so does the uninstaller once it has ended; what the user added stays, with the
// folders that hold it. A declined uninstall changes nothing, and once uninstalled there is
// nothing left to do: the uninstaller run again says so, and asks nothing when silent.
TEST_F(UninstallerTest, RemovesWhatTheInstallMadeKeepsWhatTheUserAddedAndThenFindsNothing) {
  ASSERT_EQ(fs::path(RegisteredUninstaller()), Uninstaller());
  const std::u16string name = product_.Record().GetName().Units();

  ProgramRun declined = Uninstall(L"", {IDNO});
  EXPECT_TRUE(declined.exited);
  EXPECT_EQ(declined.exitCode, 1u);
  ASSERT_EQ(declined.questions.size(), 1u);
  EXPECT_EQ(declined.questions[0].caption, kCaption);
  EXPECT_TRUE(Contains(declined.questions[0].text, name));
  ExpectClientInstalled();

  const std::string uninstaller = ReadBytes(Uninstaller());
  WriteBytes(Folder() / "notes.txt", "mine");
  WriteBytes(Folder() / "data" / "deep" / "saved.dat", "mine too");
  ProgramRun run = RunAnswering(RegisteredUninstaller(), L"", {IDYES});
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(run.questions.size(), 2u);
  EXPECT_EQ(run.questions[1].caption, kCaption);
  EXPECT_TRUE(Contains(run.questions[1].text, name)) << Utf16ToUtf8(run.questions[1].text.c_str());
  ExpectOnlyLeft({fs::path("data") / "deep" / "saved.dat", "notes.txt"});
  EXPECT_EQ(ReadBytes(Folder() / "notes.txt"), "mine");

  WriteBytes(Uninstaller(), uninstaller);
  for (const wchar_t* arguments : {L"", L" silent"}) {
    SCOPED_TRACE(fs::path(arguments).string());
    ProgramRun again = Uninstall(arguments, {IDYES});
    EXPECT_EQ(again.exitCode, 1u);
    EXPECT_EQ(again.questions.size(), arguments[0] == 0 ? 1u : 0u);
    EXPECT_TRUE(fs::exists(Uninstaller()));
  }
}

// An "uninst.dat" that names things outside the folder, in every way a name can: nothing but
// the folder's own files goes, the refused names are kept for a later run and named to the user.
TEST_F(UninstallerTest, AHostileUninstallListDeletesNothingOutsideTheFolder) {
  const fs::path victim = product_.Temp().Path() / "victim.txt";
  WriteBytes(victim, "victim");
  const std::u16string absolute = victim.u16string();
  CUninstInfo list;
  ASSERT_TRUE(list.LoadFromFile((Folder() / "uninst.dat").u16string().c_str()));
  const std::u16string hostile[] = {
      u"..\\victim.txt", u"data\\..\\..\\victim.txt", absolute,
      absolute.substr(0, 2) + u"victim.txt",
      u"\\victim.txt", u"..\\", u"..", u"data\\..\\..\\"};
  for (const std::u16string& entry : hostile) list.Add(entry.c_str(), -1);
  ASSERT_TRUE(list.SaveToFile((Folder() / "uninst.dat").u16string().c_str()));

  ProgramRun silent = Uninstall(L" silent");
  EXPECT_TRUE(silent.exited);
  EXPECT_EQ(silent.exitCode, 2u);
  EXPECT_EQ(ReadBytes(victim), "victim");
  EXPECT_TRUE(fs::exists(product_.Temp().Path() / "client" / "client.exe"));
  // The product's own files went; the list keeps what was refused, and the uninstaller stays for
  // another run.
  for (const auto& [name, bytes] : product_.ClientFiles()) {
    EXPECT_FALSE(fs::exists(Folder() / fs::u8path(name))) << name;
  }
  CUninstInfo left;
  ASSERT_TRUE(left.LoadFromFile((Folder() / "uninst.dat").u16string().c_str()));
  EXPECT_EQ(left.Count(), static_cast<int>(std::size(hostile)));
  EXPECT_TRUE(fs::exists(Uninstaller()));

  ProgramRun interactive = Uninstall(L"", {IDYES});
  EXPECT_EQ(interactive.exitCode, 2u);
  ASSERT_EQ(interactive.questions.size(), 2u);
  EXPECT_TRUE(Contains(interactive.questions[1].text, u"..\\victim.txt"));
  EXPECT_TRUE(Contains(interactive.questions[1].text, absolute));
  EXPECT_EQ(ReadBytes(victim), "victim");
}

// The client runs from the folder: interactively the user is asked before it is ended, and
// keeping it keeps everything; silent ends it.
TEST_F(UninstallerTest, EndsARunningClientOnlyWithConsentUnlessSilent) {
  struct Case {
    const char* label;
    const wchar_t* arguments;
    std::deque<int> answers;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"the user keeps the client", L"", {IDYES, IDNO}, 1},
      {"silent", L" silent", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    StartedProcess client(Folder(), u"client.exe", u"60");
    ASSERT_NE(client.Id(), 0u);
    ProgramRun run = Uninstall(c.arguments, c.answers);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(client.WaitForExit(0), c.exitCode == 0);
    if (c.exitCode == 0) {
      EXPECT_TRUE(run.questions.empty());
      ExpectOnlyLeft({});
    } else {
      ASSERT_EQ(run.questions.size(), 2u);
      EXPECT_TRUE(Contains(run.questions[1].text, (Folder() / "client.exe").u16string()));
      ExpectClientInstalled();
    }
  }
}

}  // namespace
