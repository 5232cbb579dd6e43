// The exit-code table of the README, row by row, against the real setup.exe, unins000.exe and
// update.exe that setupkit build makes, each started as a deployment tool starts it: nothing
// hidden, with /VERYSILENT (no window may show), /DIR (the folder it installs into) and /LOG (the
// log it writes, which names how the run ended).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "install/exit_codes.h"
#include "startup/product_lock.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/system/registry.h"
#include "support/text/utf8.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/shortcut_reader.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

struct Finished {
  DWORD exitCode = 99;  // 99: it did not end in time, and was ended
  bool windowShown = false;
};

struct WindowSearch {
  DWORD processId;
  HWND found;
};

// A visible top-level window of processId (its own or a message box); null when it shows none.
HWND VisibleWindowOf(DWORD processId) {
  WindowSearch search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<WindowSearch*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
        search->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Starts program with arguments and watches it to its end, noting whether it shows a window;
// with closeWindow, asks that window to close, as a person closing it does.
Finished RunWatched(const std::u16string& program, const std::u16string& arguments,
                    bool closeWindow) {
  std::wstring commandLine =
      L"\"" + std::wstring(AsWide(program.c_str())) + L"\" " + AsWide(arguments.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  Finished finished;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    ADD_FAILURE() << "cannot start the program: " << GetLastError();
    return finished;
  }
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  for (DWORD waited = 0; waited < 90000; waited += 20) {
    if (WaitForSingleObject(process.Get(), 20) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.Get(), &finished.exitCode);
      return finished;
    }
    HWND window = VisibleWindowOf(started.dwProcessId);
    if (window == nullptr) continue;
    finished.windowShown = true;
    if (closeWindow) PostMessageW(window, WM_CLOSE, 0, 0);
  }
  TerminateProcess(process.Get(), 99);
  return finished;
}

std::u16string Replaced(std::u16string text, const std::u16string& mark, const std::u16string& by) {
  for (size_t at = text.find(mark); at != std::u16string::npos; at = text.find(mark, at)) {
    text.replace(at, mark.size(), by);
    at += by.size();
  }
  return text;
}

// Whether the product's uninstall entry is there.
bool Registered(const ShippedProduct& product) {
  HKEY entry = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(product.UninstallKey().c_str()), 0, KEY_READ,
                    &entry) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(entry);
  return true;
}

enum class Program { kSetup, kUninstaller, kUpdater };

// What the machine holds before the run.
enum Before : unsigned {
  kNothing = 0,
  kInstalled = 1u << 0,            // installed into the folder
  kNewerInstalled = 1u << 1,       // ... and its product key says 9.0.0.0
  kLockHeld = 1u << 2,             // another run holds the product's lock
  kClientFileHeld = 1u << 3,       // a client.exe another program holds is in the folder
  kFolderIsAFile = 1u << 4,        // a file stands where the folder would go
  kUninstallerCopyHeld = 1u << 5,  // the uninstaller's copy in the temporary folder is held
};

TEST(DeploymentExitCodes, EachRowOfTheReadmeTableHolds) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  struct Case {
    const char* row;  // the README's row
    Program program;
    const char16_t* arguments;  // "{dir}" and "{log}" stand for the folder and the log
    unsigned before;
    bool closeWindow;
    DWORD exitCode;
    bool windowShown;
    bool registeredAfter;  // the uninstall entry is there afterwards
  };
  const char16_t* kQuiet = u"/VERYSILENT /DIR=\"{dir}\" /LOG=\"{log}\"";
  const char16_t* kQuietRemoval = u"/VERYSILENT /LOG=\"{log}\"";
  const Case cases[] = {
      {"0: installed", Program::kSetup, kQuiet, kNothing, false, kExitInstalled, false, true},
      {"0: installed, no desktop shortcut", Program::kSetup,
       u"/VERYSILENT /DIR=\"{dir}\" /LOG=\"{log}\" /NOICONS", kNothing, false, kExitInstalled,
       false, true},
      {"0: removed", Program::kUninstaller, kQuietRemoval, kInstalled, false, kExitRemoved, false,
       false},
      {"1: the folder cannot be written", Program::kSetup, kQuiet, kFolderIsAFile, false,
       kExitNotStarted, false, false},
      {"1: no published list to update to", Program::kUpdater, kQuietRemoval, kInstalled, false,
       kExitNotUpdated, false, true},
      {"1602: the window closed before installing", Program::kSetup,
       u"/DIR=\"{dir}\" /LOG=\"{log}\"", kNothing, true, kExitCancelled, true, false},
      {"1603: a file failed, all undone", Program::kSetup, kQuiet, kClientFileHeld, false,
       kExitFilesFailed, false, false},
      {"1618: another run holds the product, install", Program::kSetup, kQuiet, kLockHeld, false,
       kExitAnotherRunGoing, false, false},
      {"1618: ... uninstall", Program::kUninstaller, kQuietRemoval, kInstalled | kLockHeld, false,
       kExitAnotherRunGoing, false, true},
      {"1618: ... update", Program::kUpdater, kQuietRemoval, kInstalled | kLockHeld, false,
       kExitAnotherRunGoing, false, true},
      {"1638: a newer version is installed", Program::kSetup, kQuiet, kInstalled | kNewerInstalled,
       false, kExitNewerVersionKept, false, true},
      {"1639: a switch not taken, install", Program::kSetup, u"/VERYSILENT /LOG=\"{log}\" /QUIET",
       kNothing, false, kExitBadCommandLine, false, false},
      {"1639: ... uninstall", Program::kUninstaller, u"/VERYSILENT /LOG=\"{log}\" /DIR=C:\\x",
       kInstalled, false, kExitBadCommandLine, false, true},
      {"3010: removed, the rest at the next start of Windows", Program::kUninstaller, kQuietRemoval,
       kInstalled | kUninstallerCopyHeld, false, kExitRemovedAtRestart, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    ShippedProduct product;
    ToolRun built = product.Build();
    ASSERT_EQ(built.status, 0) << built.err;
    const fs::path folder = product.Folder();
    const fs::path log = product.Temp().Path() / "logs" / "run.log";
    fs::create_directories(log.parent_path());
    if (c.before & kInstalled) {
      ASSERT_EQ(product.Install(), 0u);
    }
    if (c.before & kNewerInstalled) {
      ASSERT_TRUE(RegistryWriteString(product.ProductKey().c_str(), u"version", u"9.0.0.0", -1));
    }
    Handle held;
    if (c.before & kClientFileHeld) {
      fs::create_directories(folder);
      WriteBytes(folder / "client.exe", "another program's");
      held.Reset(CreateFileW((folder / "client.exe").c_str(), GENERIC_READ, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    }
    if (c.before & kUninstallerCopyHeld) {
      wchar_t temp[MAX_PATH + 1] = {};
      GetTempPathW(MAX_PATH + 1, temp);
      const fs::path copy =
          fs::path(temp) /
          (u"_" + std::u16string(product.Record().GetApp().Units()) + u"_uninstall_.exe");
      held.Reset(CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    }
    if (c.before & (kClientFileHeld | kUninstallerCopyHeld)) {
      ASSERT_TRUE(held.Valid());
    }
    if (c.before & kFolderIsAFile) WriteBytes(folder, "a file, not a folder");
    Handle lock;
    if (c.before & kLockHeld) {
      const std::u16string name =
          ProductLockName(product.Record().GetCompany().Units(), product.Record().GetApp().Units());
      lock.Reset(CreateMutexW(nullptr, TRUE, AsWide(name.c_str())));
      ASSERT_TRUE(lock.Valid());
    }

    const std::u16string program = c.program == Program::kSetup ? product.Setup()
                                   : c.program == Program::kUninstaller
                                       ? (folder / "unins000.exe").u16string()
                                       : (folder / "update.exe").u16string();
    const std::u16string arguments =
        Replaced(Replaced(c.arguments, u"{dir}", folder.u16string()), u"{log}", log.u16string());
    const Finished finished = RunWatched(program, arguments, c.closeWindow);

    EXPECT_EQ(finished.exitCode, c.exitCode);
    // The uninstaller's copy removes the folder once the uninstaller has ended.
    if (c.program == Program::kUninstaller && c.exitCode == kExitRemoved) {
      EXPECT_TRUE(WaitUntilGone(folder));
    }
    EXPECT_EQ(finished.windowShown, c.windowShown);
    EXPECT_EQ(Registered(product), c.registeredAfter);
    const std::string logged = ReadBytes(log);
    EXPECT_NE(logged.find("ended with exit code " + std::to_string(c.exitCode)), std::string::npos)
        << logged;
    // The copy that removed the uninstaller's own file logs there too.
    if (c.program == Program::kUninstaller && c.exitCode == kExitRemoved) {
      EXPECT_NE(logged.find("removed: " + (folder / "unins000.exe").u8string()), std::string::npos)
          << logged;
    }
    if (c.exitCode == kExitInstalled && c.program == Program::kSetup) {
      for (const auto& [name, bytes] : product.ClientFiles()) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(ReadBytes(folder / fs::u8path(name)) == bytes);
      }
      const std::u16string name = product.Record().GetName().Units();
      const std::map<std::u16string, bool> registration = product.Registration();
      EXPECT_EQ(registration.at((SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) / (name + u".lnk"))
                                    .u16string()),
                std::u16string(c.arguments).find(u"/NOICONS") == std::u16string::npos);
      EXPECT_TRUE(
          registration.at((SpecialFolder(CSIDL_COMMON_STARTMENU) / (name + u".lnk")).u16string()));
    }
    held.Reset(nullptr);
    lock.Reset(nullptr);
    // Removed again, with the client an install started, so that the folder can go.
    if (Registered(product)) {
      EXPECT_EQ(RunAndWait((folder / "unins000.exe").u16string(), u"/VERYSILENT"), 0u);
      EXPECT_TRUE(WaitUntilGone(folder));
    }
  }
}

}  // namespace

namespace {

class InstallerLockTest : public HttpServerTest {};

// A client's first act may be to start its updater, which must not find the product busy: the
// installer lets the product's lock go as it starts the client, though it still waits for its
// report to be answered (here by a server that never answers).
TEST_F(InstallerLockTest, IsLetGoAsTheClientStarts) {
  ShippedProduct product("notify=" + Utf16ToUtf8(Url("/silent/report").c_str()) +
                         ";\naction=install;\n");
  std::string config = ReadBytes(product.ConfigFile());
  config.replace(config.find("style=#00000020"), 15, "style=#00000024");  // and send the report
  WriteBytes(product.ConfigFile(), config);
  product.WriteClientFile("client.exe", ReadBytes(TestProgramFolder() / "launch_probe.exe"));
  ToolRun built = product.Build();
  ASSERT_EQ(built.status, 0) << built.err;
  std::wstring commandLine = L"\"" + std::wstring(AsWide(product.Setup().c_str())) +
                             L"\" /VERYSILENT /DIR=\"" + product.Folder().wstring() + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &started));
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  const fs::path launched = product.Folder() / "client.exe.ran";
  for (int waited = 0; waited < 60000 && !fs::exists(launched); waited += 20) Sleep(20);
  ASSERT_TRUE(fs::exists(launched));

  const std::u16string name =
      ProductLockName(product.Record().GetCompany().Units(), product.Record().GetApp().Units());
  Handle lock(CreateMutexW(nullptr, TRUE, AsWide(name.c_str())));
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(WaitForSingleObject(process.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the installer ended before the lock was tried: nothing was shown";
  lock.Reset(nullptr);

  ASSERT_EQ(WaitForSingleObject(process.Get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD exitCode = 99;
  GetExitCodeProcess(process.Get(), &exitCode);
  EXPECT_EQ(exitCode, kExitInstalled);
  EXPECT_EQ(RunAndWait((product.Folder() / "unins000.exe").u16string(), u"/VERYSILENT"), 0u);
}

}  // namespace
