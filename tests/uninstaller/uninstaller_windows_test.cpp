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

#include "install/exit_codes.h"
#include "product/product_keys.h"
#include "product/program_launch.h"
#include "records/current_language.h"
#include "records/uninst_info.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/http/file_download.h"
#include "support/system/registry.h"
#include "support/text/utf8.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/debugged_program.h"
#include "tests/helpers/directory_link.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/shortcut_reader.h"
#include "tests/helpers/started_process.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;


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
  void TearDown() override { EXPECT_TRUE(RemoveEndedCopy()); }

  // The uninstaller's copy in the temporary folder is removed only when Windows next starts:
  // removed here once it has ended (it ends on its own, in a bounded time). False when it is
  // still running after limitMs.
  bool RemoveEndedCopy(DWORD limitMs = 20000) const {
    char16_t copy[MAX_PATH];
    if (!TempProgramCopyPath(product_.Record().GetApp().Units(), u"uninstall", copy)) return true;
    for (DWORD waited = 0; fs::exists(copy) && !DeleteFileW(AsWide(copy)); waited += 100) {
      if (waited >= limitMs) return false;
      Sleep(100);
    }
    return true;
  }

  fs::path Folder() const { return product_.Folder(); }
  fs::path Uninstaller() const { return Folder() / "unins000.exe"; }

  // The uninstaller the uninstall entry starts: the path inside its quotes.
  std::u16string RegisteredUninstaller() const {
    char16_t value[MAX_PATH] = {};
    EXPECT_TRUE(RegistryReadString(product_.UninstallKey().c_str(), u"UninstallString", value,
                                   MAX_PATH));
    const std::u16string entry = value;
    EXPECT_EQ(entry, u"\"" + Uninstaller().u16string() + u"\"") << "one quoted path";
    return entry.size() > 2 ? entry.substr(1, entry.size() - 2) : entry;
  }

  // What the uninstaller logged, run after run.
  std::string LogText() const {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const fs::path log =
        fs::path(temp) / (std::u16string(product_.Record().GetApp().Units()) + u"_unins000.log");
    return fs::exists(log) ? ReadBytes(log) : std::string();
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
    EXPECT_FALSE(KeyExists(product_.CompanyKey()))
        << "the company key its product's was the last of";
    EXPECT_FALSE(KeyExists(product_.UninstallKey()));
    for (const auto& [place, there] : product_.Registration()) {
      EXPECT_FALSE(there) << fs::path(place).string();
    }
    if (keep.empty()) {
      EXPECT_TRUE(WaitUntilGone(Folder())) << "the install folder stays";
      return;
    }
    EXPECT_TRUE(WaitUntilGone(Uninstaller()));
    // The uninstaller's copy may still be removing empty folders as this looks: a walk that
    // meets a folder going away is walked again.
    std::set<fs::path> found;
    std::error_code error;
    for (int attempt = 0; attempt == 0 || (error && attempt < 10); ++attempt) {
      found.clear();
      error.clear();
      for (fs::recursive_directory_iterator item(Folder(), error), end; !error && item != end;
           item.increment(error)) {
        if (item->is_regular_file()) found.insert(fs::relative(item->path(), Folder()));
      }
      if (error) Sleep(200);
    }
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(found, std::set<fs::path>(keep.begin(), keep.end()));
  }

  ShippedProduct product_;
  // What the install registered: shortcuts, group and Run value by their places.
  std::map<std::u16string, bool> registered_;
};

// Through the uninstall entry, as Add/Remove Programs starts it: everything the install made
// goes (a download an update left beside a file too), and so does the uninstaller once it has
// ended; what the user added stays, with the folders that hold it. A declined uninstall changes
// nothing, and once uninstalled there is nothing left to do: the uninstaller run again says so,
// and asks nothing when silent.
TEST_F(UninstallerTest, RemovesWhatTheInstallMadeKeepsWhatTheUserAddedAndThenFindsNothing) {
  ASSERT_EQ(fs::path(RegisteredUninstaller()), Uninstaller());
  const std::u16string name = product_.Record().GetName().Units();

  ProgramRun declined = Uninstall(L"", {IDNO});
  EXPECT_TRUE(declined.exited);
  EXPECT_EQ(declined.exitCode, static_cast<DWORD>(kExitCancelled));
  ASSERT_EQ(declined.questions.size(), 1u);
  EXPECT_EQ(declined.questions[0].caption, Text(TextKey::kInstallCaption));
  EXPECT_TRUE(Contains(declined.questions[0].text, name));
  ExpectClientInstalled();

  const std::string uninstaller = ReadBytes(Uninstaller());
  WriteBytes(Folder() / "notes.txt", "mine");
  WriteBytes(Folder() / "data" / "deep" / "saved.dat", "mine too");
  // An update's download or patch left half way beside an installed file goes with it.
  const std::string listed = product_.ClientFiles().begin()->first;
  WriteBytes(Folder() / fs::u8path(listed + Utf16ToUtf8(kDownloadStagingSuffix)), "half");
  WriteBytes(Folder() / fs::u8path(listed + Utf16ToUtf8(kPatchStagingSuffix)), "half a patch");
  ProgramRun run = RunAnswering(RegisteredUninstaller(), L"", {IDYES});
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(run.questions.size(), 2u);
  EXPECT_EQ(run.questions[1].caption, Text(TextKey::kInstallCaption));
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

// Lists the uninstaller must not follow blindly, and files it must still remove. A name leading
// outside the folder, or through a folder link inside it, is dropped (and never acted on); a list
// it cannot read is refused whole, keeping every file and the registration; a read-only file
// goes. A file or a shortcut that cannot go is named in the log and keeps the list, the
// uninstaller and the product key; an uninstaller file its copy cannot remove keeps the list.
// Either way a second run, once it is free, finishes.
TEST_F(UninstallerTest, HostileDamagedAndStubbornListsLeaveNothingWrongBehind) {
  const fs::path outside = product_.Temp().Path() / "outside";
  const fs::path victim = product_.Temp().Path() / "victim.txt";
  const std::u16string absolute = victim.u16string();
  const std::u16string listPath = (Folder() / "uninst.dat").u16string();
  const fs::path desktopLink = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) /
                               (std::u16string(product_.Record().GetName().Units()) + u".lnk");
  enum class After { kRemoved, kRefused, kLeft, kUninstallerLeft };
  struct Case {
    const char* name;
    std::vector<std::u16string> extraEntries;  // appended to the installed list
    std::string listBytes;                     // instead of the list, when not empty
    bool linkInside;                           // Folder()/linkdir is a link to outside/
    bool readOnly;                             // the client file is read-only
    fs::path held;  // held open, shared for reading only, while the uninstaller runs
    After after;
    DWORD exitCode;
  };
  const std::string noBar("\xFF\xFE" "c\0l\0i\0e\0n\0t\0.\0e\0x\0e\0", 20);
  const Case cases[] = {
      {"names leading outside", {u"..\\victim.txt", u"data\\..\\..\\victim.txt", absolute,
        absolute.substr(0, 2) + u"victim.txt", u"\\victim.txt", u"..\\", u"..", u"data\\..\\..\\"},
       "", false, false, {}, After::kRemoved, 0},
      {"a name through a folder link", {u"linkdir\\v.txt", u"linkdir\\"}, "", true, false, {},
       After::kRemoved, 0},
      {"the last entry without its bar", {}, noBar, false, false, {}, After::kRefused,
       kExitEntriesLeft},
      {"no byte-order mark", {}, "client.exe|", false, false, {}, After::kRefused,
       kExitEntriesLeft},
      {"random bytes", {}, std::string("\xFF\xFE\x01\xD8\x7C\x00", 6), false, false, {},
       After::kRefused, kExitEntriesLeft},
      {"a read-only file", {}, "", false, true, {}, After::kRemoved, 0},
      {"a file held open", {}, "", false, false, Folder() / "client.exe", After::kLeft,
       kExitEntriesLeft},
      {"a shortcut held open", {}, "", false, false, desktopLink, After::kLeft, kExitEntriesLeft},
      {"its own file held open", {}, "", false, false, Uninstaller(), After::kUninstallerLeft, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!fs::exists(Uninstaller())) ASSERT_EQ(product_.Install(), 0u);
    const auto registered = product_.Registration();
    WriteBytes(victim, "victim");
    fs::create_directories(outside);
    WriteBytes(outside / "v.txt", "outside");
    if (c.linkInside) ASSERT_TRUE(MakeDirectoryLink(Folder() / "linkdir", outside));
    const std::string installedList = ReadBytes(fs::path(listPath));
    CUninstInfo list;
    ASSERT_TRUE(list.LoadFromFile(listPath.c_str()));
    for (const std::u16string& entry : c.extraEntries) list.Add(entry.c_str(), -1);
    ASSERT_TRUE(list.SaveToFile(listPath.c_str()));
    if (!c.listBytes.empty()) WriteBytes(fs::path(listPath), c.listBytes);
    const std::string listBefore = ReadBytes(fs::path(listPath));
    if (c.readOnly) SetFileAttributesW((Folder() / "client.exe").c_str(), FILE_ATTRIBUTE_READONLY);
    Handle held;
    if (!c.held.empty()) {
      held.Reset(CreateFileW(c.held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             0, nullptr));
      ASSERT_TRUE(held.Valid());
    }
    const size_t logged = LogText().size();

    ProgramRun run = Uninstall(L" silent");
    // Its copy gives up on what is held in a bounded time.
    EXPECT_TRUE(RemoveEndedCopy());
    held.Reset(nullptr);
    if (c.linkInside) {
      // The link is no file of the product's: it stays, and the folder with it.
      EXPECT_TRUE(WaitUntilGone(Uninstaller()));
      EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), {}), 1);
      ASSERT_TRUE(RemoveDirectoryLink(Folder() / "linkdir"));
      fs::remove(Folder());
    }
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(ReadBytes(victim), "victim");
    EXPECT_EQ(ReadBytes(outside / "v.txt"), "outside");
    switch (c.after) {
      case After::kRemoved:
        ExpectOnlyLeft({});
        break;
      case After::kRefused:
        EXPECT_EQ(ReadBytes(fs::path(listPath)), listBefore) << "the list stays as it was";
        ExpectClientInstalled();
        WriteBytes(fs::path(listPath), installedList);
        break;
      case After::kLeft:
      case After::kUninstallerLeft: {
        EXPECT_TRUE(fs::exists(c.held));
        EXPECT_TRUE(fs::exists(Uninstaller()));
        EXPECT_NE(LogText().find("not removed: " + Utf16ToUtf8(c.held.u16string().c_str()), logged),
                  std::string::npos)
            << "the log names what is left";
        CUninstInfo left;
        ASSERT_TRUE(left.LoadFromFile(listPath.c_str()));
        EXPECT_EQ(KeyExists(product_.ProductKey()), c.after == After::kLeft)
            << "the product stays registered while anything of its registration is left";
        if (c.held.filename() == "client.exe") {
          ASSERT_EQ(left.Count(), 1);
          EXPECT_EQ(std::u16string(left.Get(0)), u"client.exe");
          EXPECT_TRUE(KeyExists(product_.UninstallKey())) << "the entry stays with what is left";
          EXPECT_EQ(product_.Registration(), registered);
        }
        // Once it is free, a second run finishes the uninstall.
        EXPECT_EQ(Uninstall(L" silent").exitCode, 0u);
        ExpectOnlyLeft({});
        break;
      }
    }
  }
}

// Killed from outside at every step of its run (before it changes anything, between the files,
// between the parts of the registration, once its copy has taken over), the uninstaller leaves
// either nothing of the product, or the uninstaller with its list and, while anything of the
// registration is left, the product key: run again, it finishes.
TEST_F(UninstallerTest, KilledAtAnyStepItIsFinishedByTheNextRun) {
  const DebuggedRun whole = RunKilledAtLine(Uninstaller().u16string(), u"silent", -1);
  ASSERT_EQ(whole.exitCode, 0u);
  ExpectOnlyLeft({});
  ASSERT_TRUE(RemoveEndedCopy());
  // A line of its log between every two of its steps, each a point to kill it at: twenty with
  // this product (nineteen where there is no Quick Launch folder).
  ASSERT_GE(whole.lines, 19);
  for (int line = 0; line < whole.lines; ++line) {
    SCOPED_TRACE("killed at line " + std::to_string(line) + " of " + std::to_string(whole.lines));
    ASSERT_EQ(product_.Install(), 0u);
    ASSERT_EQ(RunKilledAtLine(Uninstaller().u16string(), u"silent", line).exitCode, kKilledAtLine);
    // A copy it started before the kill does its work first.
    ASSERT_TRUE(RemoveEndedCopy());
    if (fs::exists(Folder())) {
      EXPECT_TRUE(fs::exists(Uninstaller()));
      EXPECT_TRUE(fs::exists(Folder() / "uninst.dat"));
      bool registered = KeyExists(product_.UninstallKey());
      for (const auto& [place, there] : product_.Registration()) registered = registered || there;
      EXPECT_TRUE(!registered || KeyExists(product_.ProductKey()))
          << "the rest of the registration stays with the product key";
      EXPECT_EQ(RunAndWait(Uninstaller().u16string(), u"silent"), 0u);
    }
    ExpectOnlyLeft({});
    ASSERT_TRUE(RemoveEndedCopy());
  }
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
      {"the user keeps the client", L"", {IDYES, IDNO}, kExitCancelled},
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
