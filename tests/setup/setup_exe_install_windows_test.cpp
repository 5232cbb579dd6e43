// The real setup.exe made by setupkit build, run as a person would start it: "setup.exe silent"
// installs with no input and tells how it went by its exit code; started without it, it shows its
// window on the screen.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "records/current_language.h"
#include "install/exit_codes.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/system/registry.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/shortcut_reader.h"
#include "tests/helpers/started_process.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

// A download-mode configuration whose list cannot be fetched: port 9 (discard) has no server on
// the loopback.
const char kNoServer[] = "source=http://127.0.0.1:9/app;\nconfig=http://127.0.0.1:9/update.xml;\n";

// The folder a first install proposes: the programs folder of the Windows drive, then the
// company and the app.
fs::path ProposedFolder(const CClientInfo& record) {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  return fs::path(std::wstring(1, windows[0]) + L":\\Program Files") /
         AsWide(record.GetCompany().Units()) / AsWide(record.GetApp().Units());
}

bool WaitUntilPresent(const fs::path& path, DWORD limitMs) {
  for (DWORD waited = 0; !fs::exists(path) && waited < limitMs; waited += 100) Sleep(100);
  return fs::exists(path);
}

// A shipped product whose client is the launch probe, so that its start leaves a note, and
// whose proposed folder is removed again after the test.
class SilentSetupTest : public ::testing::Test {
 protected:
  SilentSetupTest() : product_(kNoServer) {
    product_.WriteClientFile("client.exe", ReadBytes(TestProgramFolder() / "launch_probe.exe"));
  }
  ~SilentSetupTest() override {
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_.parent_path(), ignored);
  }

  // Builds with the options; false when setupkit failed.
  bool Build(const std::vector<std::u16string>& options = {}) {
    ToolRun run = product_.Build(options);
    EXPECT_EQ(run.status, 0) << run.err;
    if (run.status != 0) return false;
    folder_ = ProposedFolder(product_.Record());
    return true;
  }
  DWORD RunSilent() const { return RunAndWait(product_.Setup(), u"silent", 60000); }
  fs::path Launched() const { return folder_ / "client.exe.ran"; }

  // The window of setup.exe started with arguments, on a client of 1,500 more files (enough
  // that the install is still under way when the test acts), its install started and its first
  // files written; the process is the test's to wait for.
  struct InstallUnderWay {
    Handle process;
    DWORD processId = 0;
    HWND window = nullptr;
  };
  void StartLongInstall(const std::wstring& arguments, InstallUnderWay* run) {
    for (int i = 0; i < 1500; ++i) {
      product_.WriteClientFile("many/file" + std::to_string(i) + ".txt", std::to_string(i));
    }
    ASSERT_TRUE(Build());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::wstring commandLine =
        L"\"" + std::wstring(AsWide(product_.Setup().c_str())) + L"\"" + arguments;
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started));
    run->process = Handle(started.hProcess);
    Handle thread(started.hThread);
    run->processId = started.dwProcessId;
    const std::u16string name = product_.Record().GetName().Units();
    const std::u16string title = name + u" - " + Text(TextKey::kWindowCaption, {{u"name", name}});
    for (int i = 0; i < 200 && run->window == nullptr; ++i, Sleep(100)) {
      run->window = FindProcessWindow(started.dwProcessId, title);
    }
    ASSERT_NE(run->window, nullptr) << "no window titled with the product's name";
    PostMessageW(run->window, WM_COMMAND, 4100, 0);  // the start button
    ASSERT_TRUE(WaitUntilPresent(folder_ / "many", 20000));
  }

  ShippedProduct product_;
  fs::path folder_;
};

// A file larger than setupkit's pieces among the client's is installed through its piece index,
// on every core at once.
TEST_F(SilentSetupTest, InstallsIntoTheProposedFolderAndStartsTheClient) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  std::string large;
  for (int line = 0; large.size() < (9 << 20); ++line) large += std::to_string(line) + " data\r\n";
  product_.WriteClientFile("data/large.dat", large);
  ASSERT_TRUE(Build());
  ASSERT_FALSE(fs::exists(folder_));

  EXPECT_EQ(RunSilent(), kExitInstalled);
  for (const auto& [name, bytes] : product_.ClientFiles()) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(ReadBytes(folder_ / fs::u8path(name)) == bytes);
  }
  EXPECT_TRUE(fs::exists(folder_ / "uninst.dat"));
  EXPECT_TRUE(WaitUntilPresent(Launched(), 10000)) << "the client was not started";
  // Registered: the uninstall entry and the program group.
  HKEY entry = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(product_.UninstallKey().c_str()), 0, KEY_READ,
                          &entry),
            ERROR_SUCCESS);
  if (entry != nullptr) RegCloseKey(entry);
  EXPECT_TRUE(product_.Registration().at(
      (SpecialFolder(CSIDL_COMMON_PROGRAMS) / product_.Record().GetName().Units()).u16string()));
}

// What the exit code tells when the install does not go through: 1 when nothing could be
// installed, 1603 when files are missing. The client is not started either way.
TEST_F(SilentSetupTest, EndsWithTheStatusOfAnInstallThatFails) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  struct Case {
    const char* name;
    std::string config;  // further configuration lines
    bool download;
    bool holdAFile;  // a file of the client held open in the proposed folder
    DWORD exitCode;
  };
  const Case cases[] = {
      {"no list to download from", kNoServer, true, false, kExitNotStarted},
      {"a file that cannot be written", "", false, true, kExitFilesFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShippedProduct product(c.config);
    product.WriteClientFile("client.exe", ReadBytes(TestProgramFolder() / "launch_probe.exe"));
    ToolRun built = product.Build(c.download ? std::vector<std::u16string>{u"--download"}
                                             : std::vector<std::u16string>{});
    ASSERT_EQ(built.status, 0) << built.err;
    folder_ = ProposedFolder(product.Record());
    Handle held;
    if (c.holdAFile) {
      fs::create_directories(folder_);
      const fs::path readme = folder_ / "readme.txt";
      held = Handle(CreateFileW(readme.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
    }

    EXPECT_EQ(RunAndWait(product.Setup(), u"silent", 60000), c.exitCode);
    Sleep(1000);
    EXPECT_FALSE(fs::exists(Launched()));
    held = Handle();
    std::error_code ignored;
    fs::remove_all(folder_.parent_path(), ignored);
  }
}

// Nobody answers a silent run: over an install already there it asks nothing, shows no box and
// ends by itself, each way with its own exit code. The same version is installed again (a
// repair), a newer one is kept and started with 1638, a running client is ended and installed over.
TEST_F(SilentSetupTest, ASilentRunOverAnInstallAsksNothingAndEndsWithItsCode) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  ASSERT_TRUE(Build());
  ASSERT_EQ(RunSilent(), kExitInstalled);
  ASSERT_TRUE(WaitUntilPresent(Launched(), 10000));
  struct Case {
    const char* name;
    const char16_t* installedVersion;  // written over the recorded one; null: as installed
    bool clientRunning;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"the same version", nullptr, false, kExitInstalled},
      {"a newer version", u"9.0.0.0", false, kExitNewerVersionKept},
      {"the client running", nullptr, true, kExitInstalled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(Launched());
    WriteBytes(folder_ / "readme.txt", "changed by the user");
    if (c.installedVersion != nullptr) {
      ASSERT_TRUE(RegistryWriteString(product_.ProductKey().c_str(), u"version",
                                      c.installedVersion, -1));
    }
    std::unique_ptr<StartedProcess> client;
    if (c.clientRunning) {
      client = std::make_unique<StartedProcess>(product_.Temp().Path(), u"client.exe", u"60");
      // The install's running-client check looks for the client's name.
    }

    ProgramRun run = RunAnswering(product_.Setup(), L" silent", {}, 60000);
    EXPECT_TRUE(run.exited) << "a silent run waited";
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(run.questions.empty()) << "asked: " << fs::path(run.questions[0].text).string();
    EXPECT_TRUE(WaitUntilPresent(Launched(), 10000)) << "the client was not started";
    EXPECT_EQ(ReadBytes(folder_ / "readme.txt"),
              c.exitCode == kExitNewerVersionKept ? "changed by the user"
                                                  : product_.ClientFiles().at("readme.txt"));
    if (client) EXPECT_TRUE(client->WaitForExit(5000)) << "the running client was not ended";
    if (c.installedVersion != nullptr) {
      RegistryWriteString(product_.ProductKey().c_str(), u"version", u"1.0.0.0", -1);
    }
  }
}

// Libraries named like system libraries the installer uses, planted beside it, stay unloaded:
// it loads the system's own. The same library does leave its note when loaded.
TEST_F(SilentSetupTest, LibrariesPlantedBesideTheInstallerAreNeverLoaded) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  ASSERT_TRUE(Build({u"--download"}));  // no list to be had: ends at once, as not started
  const fs::path folder = fs::path(product_.Setup()).parent_path();
  // The composition library, loaded by name when the window is sized; the theme library, loaded
  // by the system's window code; the timer library, which the installer imports; the compression
  // library, which is linked in and never looked for.
  const char* const names[] = {"dwmapi.dll", "uxtheme.dll", "winmm.dll", "zlib1.dll"};
  for (const char* name : names) fs::copy_file(TestProgramFolder() / "fake_dwmapi.dll", folder / name);

  EXPECT_EQ(RunSilent(), kExitNotStarted);
  for (const char* name : names) {
    EXPECT_FALSE(fs::exists(folder / (std::string(name) + ".loaded"))) << "loaded " << name;
  }

  const fs::path planted = folder / names[0];
  HMODULE loaded = LoadLibraryW(planted.c_str());
  ASSERT_NE(loaded, nullptr);
  FreeLibrary(loaded);
  EXPECT_TRUE(fs::exists(planted.wstring() + L".loaded"));
}

// Closing the window while files are being written: the system's close is refused, the close
// button asks first, and on Yes the window goes, the worker stops and the install is undone
// before the process ends as cancelled: nothing is left in the folder or registered, the client
// is not started, also when the install completed while the question was open.
TEST_F(SilentSetupTest, ClosingDuringAnInstallStopsItAfterTheQuestion) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  InstallUnderWay run;
  ASSERT_NO_FATAL_FAILURE(StartLongInstall(L"", &run));
  const HANDLE process = run.process.Get();
  const HWND window = run.window;
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process, 300), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the system's close ended the install";
  PostMessageW(window, WM_COMMAND, 4097, 0);  // the close button
  HWND question = nullptr;
  for (int i = 0; i < 100 && question == nullptr; ++i, Sleep(100)) {
    question = FindProcessDialog(run.processId);
  }
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(DialogMessage(question), Text(TextKey::kWindowAbortQuestion));
  // Long enough for the rest of the install to complete behind the question.
  Sleep(3000);
  PostMessageW(question, WM_COMMAND, IDYES, 0);

  ASSERT_EQ(WaitForSingleObject(process, 15000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD exitCode = 99;
  GetExitCodeProcess(process, &exitCode);
  EXPECT_EQ(exitCode, kExitCancelled);
  EXPECT_FALSE(fs::exists(folder_)) << "the install is undone";
  HKEY entry = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(product_.UninstallKey().c_str()), 0, KEY_READ,
                          &entry),
            ERROR_SUCCESS);
  if (entry != nullptr) RegCloseKey(entry);
  Sleep(500);
  EXPECT_FALSE(fs::exists(Launched()));
}

// With /NOCANCEL the close button, and the system's close, do nothing while files are written:
// nothing is asked, and the install goes on to its finish.
TEST_F(SilentSetupTest, WithNoCancelClosingDuringAnInstallDoesNothing) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  InstallUnderWay run;
  ASSERT_NO_FATAL_FAILURE(StartLongInstall(L" /NOCANCEL", &run));
  const HANDLE process = run.process.Get();
  const HWND window = run.window;
  PostMessageW(window, WM_COMMAND, 4097, 0);  // the close button
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  Sleep(1000);
  EXPECT_EQ(FindProcessDialog(run.processId), nullptr) << "the close asked";

  ASSERT_TRUE(WaitUntilPresent(folder_ / "uninst.dat", 60000)) << "the install did not finish";
  PostMessageW(window, WM_COMMAND, 4101, 0);  // the finish button
  ASSERT_EQ(WaitForSingleObject(process, 15000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD exitCode = 99;
  GetExitCodeProcess(process, &exitCode);
  EXPECT_EQ(exitCode, kExitInstalled);
  EXPECT_TRUE(WaitUntilPresent(Launched(), 10000)) << "the client was not started";
}

}  // namespace
