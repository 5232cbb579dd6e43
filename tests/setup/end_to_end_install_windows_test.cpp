// The whole way of a client to the user's disk: a generated client folder packed into a real
// setup.exe by setupkit build, then installed by the flow from that executable's payload. (An
// installer built for download installs through the real setup.exe in the updater's tests.)
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "install/command_queue_observer.h"
#include "install/install_flow.h"
#include "install/windows_install_edge.h"
#include "product/product_keys.h"
#include "product/product_registration.h"
#include "records/client_info.h"
#include "startup/install_package.h"
#include "startup/package_loading.h"
#include "support/core/handle_windows.h"
#include "support/crypto/md5.h"
#include "support/files/xdata.h"
#include "support/pe/module_library.h"
#include "support/pe/resource_reader.h"
#include "support/system/process_control.h"
#include "support/system/registry.h"
#include "support/system/shortcuts.h"
#include "support/zip/xzip.h"
#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/scripted_answers.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/uninstall_entries.h"
#include "tests/helpers/windows_test_support.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

constexpr char16_t kCompany[] = u"EndToEndCompany";
constexpr char16_t kApp[] = u"e2e";
constexpr char16_t kName[] = u"\u6f14\u793a\u5ba2\u6237\u7aef";  // 演示客户端
const char kVendorText[] =
    "app=e2e;\nname=\xE6\xBC\x94\xE7\xA4\xBA\xE5\xAE\xA2\xE6\x88\xB7\xE7\xAB\xAF;\n"
    "company=EndToEndCompany;\npublisher=Example;\nversion=1.0.0.0;\nstyle=#00000000;\n";

// A client of count small files in nested folders, some with Chinese names, and one large file.
std::map<std::string, std::string> GeneratedClient(int count) {
  std::map<std::string, std::string> files;
  files["client.exe"] = ReadBytes(TestProgramFolder() / "sleeper.exe");
  files["data/big.bin"] = BytePattern(5 * 1024 * 1024 + 17);
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    std::string name = i % 3 == 0   ? "lib/part" + std::to_string(i % 7) + "/module" + n + ".dll"
                       : i % 3 == 1 ? "\xE8\xB5\x84\xE6\xBA\x90/\xE5\x9B\xBE" + n + ".txt"  // 资源/图
                                    : "res/deep/er/still/file" + n + ".dat";
    files[name] = "contents of " + name + std::string(static_cast<size_t>(i * 13), 'x');
  }
  files["empty.txt"] = "";
  return files;
}

// Names in the nested client archive, in archive order, as the uninstall list records them. The
// installer setupkit builds from this stub has it stored as it is, to be read where it lies.
std::vector<std::u16string> ArchiveOrder(const XData& payloadBytes) {
  std::vector<std::u16string> names;
  XZip payload;
  XZip nested;
  if (!payload.OpenMemory(payloadBytes.Data(), payloadBytes.Length(), XZip::GetArchivePassword()) ||
      !nested.OpenNested(payload, payload.Find(u"app.zip", nullptr), XZip::GetArchivePassword())) {
    return names;
  }
  for (int i = 0; i < nested.GetCount(); ++i) {
    char16_t name[1024];
    if (!nested.GetName(i, name)) continue;
    std::u16string entry = name;
    for (char16_t& unit : entry) {
      if (unit == u'/') unit = u'\\';
    }
    names.push_back(entry);
  }
  return names;
}

std::u16string ShortcutIn(int folderId, const std::u16string& name) {
  char16_t folder[MAX_PATH];
  EXPECT_TRUE(GetSpecialFolder(folder, folderId));
  return (fs::path(folder) / (name + u".lnk")).u16string();
}

class EndToEndInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Unregister();
    MakeClient(300, "source=http://127.0.0.1/e2e;\n");
  }
  void TearDown() override {
    Unregister();
  }

  static void Unregister() {
    CClientInfo product;
    product.SetCompany(kCompany);
    product.SetApp(kApp);
    product.SetName(kName);
    ::Unregister(product);
  }

  // Writes the client of count files into the folder "client" and a configuration whose further
  // "key=value;" lines are urls.
  void MakeClient(int count, const std::string& urls) {
    client_ = GeneratedClient(count);
    for (const auto& [name, bytes] : client_) WriteClientFile(name, bytes);
    WriteBytes(temp_.Path() / "config.txt", kVendorText + urls);
  }
  void WriteClientFile(const std::string& name, const std::string& bytes) {
    fs::path path = temp_.Path() / "client" / fs::u8path(name);
    fs::create_directories(path.parent_path());
    WriteBytes(path, bytes);
  }

  std::u16string Setup() const { return temp_.File(u"setup.exe"); }
  void BuildSetup() {
    ToolRun build = RunSetupkitCaptured({u"build", u"--config", temp_.File(u"config.txt"),
                                         u"--client", temp_.File(u"client"), u"-o", Setup()});
    ASSERT_EQ(build.status, 0) << build.err;
    // The client ships with the uninstaller and the updater that setupkit adds to it.
    XData payload;
    ASSERT_TRUE(LoadPackedResourceFromFile(payload, Setup().c_str(), u"TAIL", 1));
    std::map<std::string, std::string> shipped = ReadArchiveFiles(ReadArchiveFiles(std::string(
        reinterpret_cast<const char*>(payload.Data()), payload.Length()))["app.zip"]);
    for (const char* program : {"unins000.exe", "update.exe"}) client_[program] = shipped[program];
  }
  fs::path Folder() const { return temp_.Path() / "installed"; }

  // Runs install_headless.exe on setup into Folder(); its exit code, 99 when it did not end.
  DWORD RunHeadless(const std::u16string& setup) const {
    const std::u16string program = (TestProgramFolder() / "install_headless.exe").u16string();
    const std::u16string parameters = u"\"" + setup + u"\" \"" + Folder().u16string() + u"\"";
    void* started = nullptr;
    DWORD exitCode = 99;
    if (!RunProgram(program.c_str(), parameters.c_str(), false, &started)) return exitCode;
    Handle process(started);
    if (WaitForSingleObject(process.Get(), 120000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.Get(), &exitCode);
    }
    return exitCode;
  }

  // Installs from the built setup.exe into Folder() as the window would, with the real checks;
  // package receives the installer's package, its record completed by the install.
  void Install(CInstallPackage& package) {
    // Loaded while the install reads its payload, which stays where it lies.
    ModuleLibrary setup(Setup().c_str());
    ASSERT_TRUE(LoadInstallPackage(setup.Handle(), Setup().c_str(), package));
    CommandQueueObserver observer;
    CWindowsInstallEdge edge;
    CInstallFlow flow(&observer, edge, package.Product(), package.Payload(), false);
    ASSERT_TRUE(flow.Prepare());
    ASSERT_TRUE(flow.IsArchiveMode());
    flow.CheckVersion();
    ASSERT_EQ(flow.GetState(), CInstallFlow::kReady);
    // Typed without its closing backslash, as a person may: the flow adds it.
    flow.SetFolderText(Folder().u16string().c_str());
    ASSERT_TRUE(flow.StartInstall());
    const int command = observer.NextCommand();
    ASSERT_EQ(command, CInstallFlow::kCompletedCommand);
    flow.OnCommand(command);
    ASSERT_EQ(flow.GetState(), CInstallFlow::kFinished);
    EXPECT_FALSE(flow.Outcome().Failed());
  }

  // Every file of the client with its bytes, and nothing else but the uninstall list.
  void ExpectInstalledClient() {
    std::set<std::string> found;
    for (const auto& item : fs::recursive_directory_iterator(Folder())) {
      if (item.is_regular_file()) {
        found.insert(fs::relative(item.path(), Folder()).generic_u8string());
      }
    }
    std::set<std::string> expected = {"uninst.dat"};
    for (const auto& [name, bytes] : client_) {
      expected.insert(name);
      EXPECT_EQ(ReadBytes(Folder() / fs::u8path(name)), bytes) << name;
    }
    EXPECT_EQ(found, expected);
  }

  void ExpectRegistration(const std::u16string& digest) {
    char16_t value[1024];
    ASSERT_TRUE(ReadProductValue(kCompany, kApp, u"version", value, 1024));
    EXPECT_EQ(std::u16string(value), u"1.0.0.0");
    ASSERT_TRUE(ReadProductValue(kCompany, kApp, u"path", value, 1024));
    EXPECT_EQ(fs::path(value), Folder() / "");
    ASSERT_TRUE(ReadProductValue(kCompany, kApp, u"main", value, 1024));
    EXPECT_EQ(fs::path(value), Folder() / "client.exe");
    ASSERT_TRUE(ReadProductValue(kCompany, kApp, u"md5", value, 1024));
    EXPECT_EQ(std::u16string(value), digest);
    const std::u16string uninstallKey =
        std::u16string(u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kCompany +
        kApp;
    ASSERT_TRUE(RegistryReadString(uninstallKey.c_str(), u"DisplayName", value, 1024));
    EXPECT_EQ(std::u16string(value), kName);
    ASSERT_TRUE(RegistryReadString(uninstallKey.c_str(), u"DisplayVersion", value, 1024));
    EXPECT_EQ(std::u16string(value), u"1.0.0.0");
    EXPECT_TRUE(fs::exists(ShortcutIn(CSIDL_COMMON_DESKTOPDIRECTORY, kName)));
    EXPECT_TRUE(fs::exists(ShortcutIn(CSIDL_COMMON_STARTMENU, kName)));
    char16_t group[MAX_PATH];
    ASSERT_TRUE(GetSpecialFolder(group, CSIDL_COMMON_PROGRAMS));
    EXPECT_TRUE(fs::exists(fs::path(group) / kName / (std::u16string(kName) + u".lnk")));
  }

  TempFolder temp_;
  std::map<std::string, std::string> client_;
};

TEST_F(EndToEndInstallTest, BuiltInstallerInstallsTheWholeClientAndRepairsIt) {
  ASSERT_NO_FATAL_FAILURE(BuildSetup());
  XData payload;
  ASSERT_TRUE(LoadPackedResourceFromFile(payload, Setup().c_str(), u"TAIL", 1));
  const std::vector<std::u16string> order = ArchiveOrder(payload);
  ASSERT_GE(order.size(), client_.size());
  const std::string updateList = ReadArchiveFiles(std::string(
      reinterpret_cast<const char*>(payload.Data()), payload.Length()))["update.xml"];
  ASSERT_FALSE(updateList.empty());
  char16_t listDigest[33];
  Md5HexOfMemory(listDigest, updateList.data(), static_cast<uint32_t>(updateList.size()));
  // Nobody is asked anything on a first install; a repair may ask whether to repair.
  ScriptedAnswers answers({IDYES});

  {
    SCOPED_TRACE("first install");
    CInstallPackage package;
    Install(package);
    const CClientInfo& product = package.Product();
    EXPECT_TRUE(answers.Asked().empty());
    ExpectInstalledClient();
    EXPECT_EQ(UninstallEntries(Folder() / "uninst.dat"), order);
    EXPECT_EQ(std::u16string(product.GetDigest().Units()), listDigest);
    ExpectRegistration(listDigest);
  }

  // A damaged install: one file changed, one gone, one folder gone.
  WriteBytes(Folder() / "data" / "big.bin", "truncated");
  fs::remove(Folder() / "client.exe");
  fs::remove_all(Folder() / "res");
  {
    SCOPED_TRACE("repair");
    CInstallPackage package;
    Install(package);
    const CClientInfo& product = package.Product();
    ExpectInstalledClient();
    EXPECT_EQ(UninstallEntries(Folder() / "uninst.dat"), order);
    EXPECT_EQ(std::u16string(product.GetDigest().Units()), listDigest);
    ExpectRegistration(listDigest);
  }
}

// The headless installer the demo and the bench use: the same install, as a program.
TEST_F(EndToEndInstallTest, HeadlessProgramInstallsAndSaysWhenItCannot) {
  ASSERT_NO_FATAL_FAILURE(BuildSetup());
  struct Case {
    const char* label;
    std::u16string setup;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"a built installer", Setup(), 0},
      {"the bare stub", (TestProgramFolder() / "setup.exe").u16string(), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(Folder());
    EXPECT_EQ(RunHeadless(c.setup), c.exitCode);
    if (c.exitCode == 0) {
      ExpectInstalledClient();
    } else {
      EXPECT_FALSE(fs::exists(Folder()));
    }
  }
}

}  // namespace
