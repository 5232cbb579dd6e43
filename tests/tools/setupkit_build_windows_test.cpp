#include <gtest/gtest.h>
#include <png.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "product/product_registration.h"
#include "product/program_launch.h"
#include "records/client_info.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/files/xdata.h"
#include "support/pe/module_library.h"
#include "support/pe/resource_reader.h"
#include "support/system/process_control.h"
#include "support/system/registry.h"
#include "support/text/utf8.h"
#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/image_files.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/windows_test_support.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

const char kVendorText[] =
    "app=democlient;\nname=\xE7\xA4\xBA\xE4\xBE\x8B;\ncompany=Example;\nversion=1.2.0.0;\n"
    "style=#00000024;\nsource=http://127.0.0.1/app;\n";

const std::string& SkinBackground() {
  static const std::string png =
      EncodePng({6, 4, PNG_COLOR_TYPE_RGB, 8, false, false, {}, PatternColours(6, 4, false)});
  return png;
}

// A generated client, a skin and a theme, packed into installers made from the real setup.exe.
class SetupkitBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    client_ = {{"client.exe", ReadBytes(TestProgramFolder() / "sleeper.exe")},
               {"readme.txt", "read me"},
               {"lib/core.dat", BytePattern(1 << 20)},
               {"lib/res/\xE5\x9B\xBE.txt", "picture"}};
    for (const auto& [name, bytes] : client_) {
      fs::path path = folder_.Path() / "client" / fs::u8path(name);
      fs::create_directories(path.parent_path());
      WriteBytes(path, bytes);
    }
    fs::create_directories(folder_.Path() / "skin");
    WriteBytes(folder_.Path() / "skin" / "bg.png", SkinBackground());
    // Its language twin, shown when the run speaks English, is packed as it is.
    WriteBytes(folder_.Path() / "skin" / "bg.en.png", SkinBackground());
    WriteBytes(folder_.Path() / "theme.txt", "\"title\"=\"#FFFFFF\"\r\n");
    WriteBytes(folder_.Path() / "config.txt", kVendorText);
  }

  void TearDown() override {
    if (installed_) Unregister(registered_);
  }

  // The client packed with the configuration in the file config, and the options extra.
  ToolRun BuildFrom(const char16_t* config, std::vector<std::u16string> extra) {
    std::vector<std::u16string> args = {
        u"build", u"--config", folder_.File(config), u"--client", folder_.File(u"client"),
        u"-o",    Setup()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunSetupkitCaptured(args);
  }
  ToolRun Build(std::vector<std::u16string> extra) {
    std::vector<std::u16string> args = {u"--skin", folder_.File(u"skin"), u"--theme",
                                        folder_.File(u"theme.txt")};
    args.insert(args.end(), extra.begin(), extra.end());
    return BuildFrom(u"config.txt", args);
  }
  std::u16string Setup() const { return folder_.File(u"my setup.exe"); }

  // Installs Setup() into folder with the headless installer; its exit status.
  DWORD InstallHeadless(const fs::path& folder) {
    EXPECT_TRUE(registered_.LoadFromModuleFile(Setup().c_str(), u"APP", 1));
    installed_ = true;
    const std::u16string program = (TestProgramFolder() / "install_headless.exe").u16string();
    const std::u16string parameters = u"\"" + Setup() + u"\" \"" + folder.u16string() + u"\"";
    void* started = nullptr;
    if (!RunProgram(program.c_str(), parameters.c_str(), false, &started)) return 99;
    Handle process(started);
    DWORD exitCode = 99;
    if (WaitForSingleObject(process.Get(), 120000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.Get(), &exitCode)) {
      return 99;
    }
    return exitCode;
  }

  static std::u16string RecordText(CClientInfo& record) {
    std::u16string text(8192, u'\0');
    text.resize(record.WriteText(text.data(), static_cast<int>(text.size())));
    return text;
  }

  // Each of names in files is the program of that name built beside the tests, carrying the
  // installer's configuration as its "APP" resource; they are taken out of files.
  void ExpectStampedPrograms(std::map<std::string, std::string>& files,
                             const std::vector<std::string>& names) {
    CClientInfo config;
    ASSERT_TRUE(config.LoadFromModuleFile(Setup().c_str(), u"APP", 1));
    for (const std::string& name : names) {
      SCOPED_TRACE(name);
      ASSERT_EQ(files.count(name), 1u);
      const fs::path program = folder_.Path() / ("stamped " + name);
      WriteBytes(program, files[name]);
      files.erase(name);
      CClientInfo carried;
      ASSERT_TRUE(carried.LoadFromModuleFile(program.u16string().c_str(), u"APP", 1));
      EXPECT_EQ(RecordText(carried), RecordText(config));
    }
  }

  TempFolder folder_;
  std::map<std::string, std::string> client_;
  // The product an install registered, unregistered when the test ends.
  CClientInfo registered_;
  bool installed_ = false;
};

TEST_F(SetupkitBuildTest, InstallerCarriesConfigurationAndPayloadInEitherMode) {
  for (bool download : {false, true}) {
    SCOPED_TRACE(download ? "download" : "archive");
    ToolRun build = Build(download ? std::vector<std::u16string>{u"--download"}
                                   : std::vector<std::u16string>{});
    ASSERT_EQ(build.status, 0) << build.err;
    // A download-mode client gets the uninstaller and the updater only from the published files:
    // one line says so for each. Either list goes out unsigned, which one more line says.
    EXPECT_EQ(std::count(build.err.begin(), build.err.end(), '\n'), download ? 3 : 1) << build.err;
    EXPECT_NE(build.err.find("is not signed (no --sign-key)"), std::string::npos) << build.err;
    for (const char* line : {"no unins000.exe: ", "no update.exe: "}) {
      EXPECT_EQ(build.err.find(line) != std::string::npos, download) << build.err;
    }

    CClientInfo config;
    ASSERT_TRUE(config.LoadFromModuleFile(Setup().c_str(), u"APP", 1));
    EXPECT_EQ(std::u16string(config.GetName().Units()), u"\u793a\u4f8b");
    EXPECT_EQ(config.GetStyle(), 0x24u);

    XData tail;
    ASSERT_TRUE(LoadPackedResourceFromFile(tail, Setup().c_str(), u"TAIL", 1));
    const std::string tailBytes(reinterpret_cast<const char*>(tail.Data()), tail.Length());
    // The installer's own stub reads the client archive where it lies: it is stored as it is.
    EXPECT_EQ(IsArchiveStoredAsIs(tailBytes, u"app.zip"), !download);
    std::map<std::string, std::string> payload = ReadArchiveFiles(tailBytes);
    EXPECT_EQ(payload["bg.png"], SkinBackground());
    EXPECT_EQ(payload["bg.en.png"], SkinBackground());
    EXPECT_EQ(payload["theme.txt"], "\"title\"=\"#FFFFFF\"\r\n");
    EXPECT_EQ(payload.count("update.xml"), 1u);
    EXPECT_EQ(payload.size(), download ? 4u : 5u);
    if (!download) {
      std::map<std::string, std::string> app = ReadArchiveFiles(payload["app.zip"]);
      ExpectStampedPrograms(app, {"unins000.exe", "update.exe"});
      EXPECT_EQ(app, client_);
    }

    ToolRun inspect = RunSetupkitCaptured({u"inspect", Setup()});
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("name=\xE7\xA4\xBA\xE4\xBE\x8B;\r\n"), std::string::npos);
    EXPECT_NE(inspect.out.find("source=http://127.0.0.1/app;"), std::string::npos);
    EXPECT_NE(inspect.out.find("\n  bg.png " + std::to_string(payload["bg.png"].size()) + "\n"),
              std::string::npos)
        << inspect.out;
    EXPECT_NE(
        inspect.out.find("\n  update.xml " + std::to_string(payload["update.xml"].size()) + "\n"),
        std::string::npos);
    EXPECT_EQ(inspect.out.find("  app.zip ") != std::string::npos, !download);
    EXPECT_NE(inspect.out.find(download ? "mode: download\n" : "mode: archive\n"),
              std::string::npos);
  }
}

// A vendor without a download server: no "source", no skin of its own.
TEST_F(SetupkitBuildTest, WithoutSourceBuildsAnArchiveInstallerThatInstalls) {
  WriteBytes(folder_.Path() / "offline.txt",
             "app=offline;\nname=\xE7\xA6\xBB\xE7\xBA\xBF;\ncompany=OfflineVendor;\n"
             "version=1.0.0.0;\n");
  ToolRun download = BuildFrom(u"offline.txt", {u"--download"});
  EXPECT_EQ(download.status, 1);
  EXPECT_NE(download.err.find("needs a \"source\" URL"), std::string::npos) << download.err;
  EXPECT_EQ(download.err.find('\n'), download.err.size() - 1);
  EXPECT_FALSE(fs::exists(fs::path(Setup())));

  ToolRun build = BuildFrom(u"offline.txt", {});
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_EQ(build.out, "");
  EXPECT_NE(build.err.find("installs from this installer cannot be updated"), std::string::npos);
  EXPECT_EQ(build.err.find('\n'), build.err.size() - 1) << build.err;

  // Only the client: no update list, and no skin, so the stub's own images serve.
  XData tail;
  ASSERT_TRUE(LoadPackedResourceFromFile(tail, Setup().c_str(), u"TAIL", 1));
  std::map<std::string, std::string> payload =
      ReadArchiveFiles(std::string(reinterpret_cast<const char*>(tail.Data()), tail.Length()));
  ASSERT_EQ(payload.size(), 1u);
  std::map<std::string, std::string> app = ReadArchiveFiles(payload["app.zip"]);
  ExpectStampedPrograms(app, {"unins000.exe", "update.exe"});
  EXPECT_EQ(app, client_);

  ToolRun inspect = RunSetupkitCaptured({u"inspect", Setup()});
  ASSERT_EQ(inspect.status, 0) << inspect.err;
  const auto stubSize = fs::file_size(TestProgramFolder() / "setup.exe");
  EXPECT_NE(inspect.out.find("\nmode: archive\nstub: " + std::to_string(stubSize) + " bytes\n"),
            std::string::npos)
      << inspect.out;

  const fs::path installed = folder_.Path() / "installed";
  ASSERT_EQ(InstallHeadless(installed), 0u);
  for (const auto& [name, bytes] : client_) {
    EXPECT_EQ(ReadBytes(installed / fs::u8path(name)), bytes) << name;
  }
  EXPECT_TRUE(fs::exists(installed / "uninst.dat"));
  // The uninstall entry starts the uninstaller that was installed.
  char16_t uninstaller[MAX_PATH] = {};
  ASSERT_TRUE(RegistryReadString((u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                                  u"OfflineVendoroffline"),
                                 u"UninstallString", uninstaller, MAX_PATH));
  EXPECT_EQ(std::u16string(uninstaller), u"\"" + (installed / "unins000.exe").u16string() + u"\"");
  EXPECT_TRUE(fs::exists(installed / "update.exe"));

  // The entry the system's list of programs reads: where, when, how large, and how to remove it
  // without asking; then that removes the product and the entry with every value in it.
  const std::u16string entry =
      u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OfflineVendoroffline";
  char16_t value[MAX_PATH] = {};
  ASSERT_TRUE(RegistryReadString(entry.c_str(), u"InstallLocation", value, MAX_PATH));
  EXPECT_EQ(fs::path(value), installed / "");
  ASSERT_TRUE(RegistryReadString(entry.c_str(), u"InstallDate", value, MAX_PATH));
  EXPECT_EQ(std::u16string(value).size(), 8u);
  uint64_t bytes = 0;
  for (const auto& item : fs::recursive_directory_iterator(installed)) {
    if (item.is_regular_file() && item.path().filename() != "uninst.dat") bytes += item.file_size();
  }
  DWORD kilobytes = 0;
  DWORD size = sizeof kilobytes;
  ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, AsWide(entry.c_str()), L"EstimatedSize",
                         RRF_RT_REG_DWORD, nullptr, &kilobytes, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(kilobytes, (bytes + 1023) / 1024);
  ASSERT_TRUE(RegistryReadString(entry.c_str(), u"QuietUninstallString", value, MAX_PATH));
  const std::u16string quiet = value;
  ASSERT_EQ(quiet, u"\"" + (installed / "unins000.exe").u16string() + u"\" silent");
  EXPECT_EQ(RunAndWait(quiet.substr(1, quiet.size() - 9), u"silent"), 0u);
  EXPECT_FALSE(RegistryReadString(entry.c_str(), u"DisplayName", value, MAX_PATH));
  EXPECT_FALSE(RegistryReadString(entry.c_str(), u"InstallLocation", value, MAX_PATH));
  EXPECT_TRUE(WaitUntilGone(installed));
  // The copy that removed the uninstaller waits for the next start of Windows to go.
  char16_t copy[MAX_PATH];
  if (TempProgramCopyPath(u"offline", u"uninstall", copy)) {
    for (int i = 0; i < 50 && fs::exists(copy) && !DeleteFileW(AsWide(copy)); ++i) Sleep(100);
  }
}

// The uninstaller and the updater the client gets: stamped with the configuration, in the
// client archive and in the update list as if the client folder held them (the list is the one
// setupkit list makes of such a folder), unless the folder has its own or an option leaves one
// out.
TEST_F(SetupkitBuildTest, ClientGetsTheStampedProgramsUnlessItHasItsOwnOrLeavesThemOut) {
  struct Case {
    const char* label;
    std::vector<std::u16string> options;
    bool ownUninstaller;
    std::vector<std::string> stamped;
  };
  const Case cases[] = {
      {"both", {}, false, {"unins000.exe", "update.exe"}},
      {"no uninstaller", {u"--no-uninstaller"}, false, {"update.exe"}},
      {"no updater", {u"--no-updater"}, false, {"unins000.exe"}},
      {"neither", {u"--no-updater", u"--no-uninstaller"}, false, {}},
      {"the client's own uninstaller", {}, true, {"update.exe"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(folder_.Path() / "client" / "unins000.exe");
    client_.erase("unins000.exe");
    if (c.ownUninstaller) {
      client_["unins000.exe"] = "the vendor's own uninstaller";
      WriteBytes(folder_.Path() / "client" / "unins000.exe", client_["unins000.exe"]);
    }
    ToolRun build = Build(c.options);
    ASSERT_EQ(build.status, 0) << build.err;
    XData tail;
    ASSERT_TRUE(LoadPackedResourceFromFile(tail, Setup().c_str(), u"TAIL", 1));
    std::map<std::string, std::string> payload =
        ReadArchiveFiles(std::string(reinterpret_cast<const char*>(tail.Data()), tail.Length()));
    std::map<std::string, std::string> app = ReadArchiveFiles(payload["app.zip"]);

    // The list of a folder holding exactly the client archive's files.
    const fs::path shipped = folder_.Path() / (std::string("shipped ") + c.label);
    for (const auto& [name, bytes] : app) {
      fs::create_directories((shipped / fs::u8path(name)).parent_path());
      WriteBytes(shipped / fs::u8path(name), bytes);
    }
    ToolRun list = RunSetupkitCaptured({u"list", shipped.u16string(), u"http://127.0.0.1/app",
                                        folder_.File(u"shipped.xml"), u"--version", u"1.2.0.0"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(payload["update.xml"], ReadBytes(folder_.Path() / "shipped.xml"));

    ExpectStampedPrograms(app, c.stamped);
    EXPECT_EQ(app, client_);
  }
}

// One bit flipped in either resource of a built installer makes it one inspect refuses.
TEST_F(SetupkitBuildTest, InspectRefusesAnInstallerWithADamagedResource) {
  ASSERT_EQ(Build({}).status, 0);
  struct Case {
    const char16_t* type;
    std::string message;
  };
  const Case cases[] = {{u"APP", "carries no readable \"app\" resource"},
                        {u"TAIL", "carries no readable \"tail\" resource"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::string stored;
    {
      ModuleLibrary library(Setup().c_str());
      stored.resize(ReadResource(nullptr, 0, library.Handle(), c.type, 1));
      ASSERT_EQ(ReadResource(stored.data(), static_cast<uint32_t>(stored.size()), library.Handle(),
                             c.type, 1),
                stored.size());
    }
    std::string damaged = stored;
    damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x10);
    ASSERT_TRUE(PutResource(Setup(), c.type, 1, damaged));
    ToolRun inspect = RunSetupkitCaptured({u"inspect", Setup()});
    EXPECT_EQ(inspect.status, 1);
    EXPECT_NE(inspect.err.find(c.message), std::string::npos) << inspect.err;
    EXPECT_EQ(inspect.err.find('\n'), inspect.err.size() - 1) << inspect.err;
    ASSERT_TRUE(PutResource(Setup(), c.type, 1, stored));
    EXPECT_EQ(RunSetupkitCaptured({u"inspect", Setup()}).status, 0);
  }
}

TEST_F(SetupkitBuildTest, RefusesWithOneLineAndLeavesNoInstaller) {
  fs::create_directories(folder_.Path() / "other");
  WriteBytes(folder_.Path() / "other" / "readme.txt", "no client here");
  fs::create_directories(folder_.Path() / "grey skin");
  WriteBytes(
      folder_.Path() / "grey skin" / "logo.png",
      EncodePng({4, 4, PNG_COLOR_TYPE_GRAY, 8, false, false, {}, PatternColours(4, 4, false)}));
  struct Case {
    const char* name;
    const char16_t* option;
    std::u16string value;
    std::string message;
  };
  const Case cases[] = {
      {"missing client folder", u"--client", folder_.File(u"gone"), "the client folder "},
      {"unreadable configuration", u"--config", folder_.File(u"gone.txt"),
       "unreadable configuration: "},
      {"client file missing", u"--client", folder_.File(u"other"), "the client folder "},
      {"missing stub", u"--stub", folder_.File(u"gone.exe"), "cannot read the installer stub "},
      {"grey skin image", u"--skin", folder_.File(u"grey skin"),
       "the skin image logo.png cannot be decoded by the installer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A later option replaces an earlier one of the same name.
    ToolRun run = Build({c.option, c.value});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("setupkit: " + c.message, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(fs::path(Setup())));
  }
  EXPECT_EQ(RunSetupkitCaptured({u"build", u"--client"}).status, 1);
}

}  // namespace

namespace {

class SetupkitPublishTest : public HttpServerTest {};

// The published folder, uploaded as it is to a plain web server (the tests' server keeps files
// by name and serves them back), is all a download-mode install needs: the list and every file
// at the place its URL names.
TEST_F(SetupkitPublishTest, ThePublishedFolderServesADownloadModeInstall) {
  ShippedProduct product("source=" + Utf16ToUtf8(Url("/file/app").c_str()) +
                         ";\nconfig=" + Utf16ToUtf8(Url("/file/update.xml").c_str()) + ";\n");
  const fs::path site = product.Temp().Path() / "site";
  ToolRun build = product.Build(
      {u"--download", u"--no-uninstaller", u"--no-updater", u"--publish", site.u16string()});
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_NE(build.err.find("served at " + Utf16ToUtf8(Url("/file/").c_str()) + "\n"),
            std::string::npos)
      << build.err;
  int uploaded = 0;
  for (const auto& item : fs::recursive_directory_iterator(site)) {
    if (!item.is_regular_file()) continue;
    ASSERT_TRUE(Keep(UrlPath(item.path().lexically_relative(site).generic_u8string()),
                     ReadBytes(item.path())));
    ++uploaded;
  }
  EXPECT_EQ(uploaded, static_cast<int>(product.ClientFiles().size()) + 1);
  ASSERT_EQ(product.Install(), 0u);
  for (const auto& [name, bytes] : product.ClientFiles()) {
    EXPECT_EQ(ReadBytes(product.Folder() / fs::u8path(name)), bytes) << name;
  }
  EXPECT_GE(Served("update.xml"), 1);
  EXPECT_EQ(Served("app/readme.txt"), 1);
}

}  // namespace
