#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "records/current_language.h"
#include "product/auto_start.h"
#include "product/installed_folder.h"
#include "product/product_keys.h"
#include "product/product_registration.h"
#include "product/program_launch.h"
#include "product/published_list.h"
#include "records/client_info.h"
#include "records/uninst_info.h"
#include "support/core/wide_text.h"
#include "support/crypto/signing.h"
#include "support/system/registry.h"
#include "support/text/path_text.h"
#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/committed_registration.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shortcut_reader.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

std::u16string ReadValue(const std::u16string& subKey, const char16_t* name) {
  char16_t value[600] = {};
  return RegistryReadString(subKey.c_str(), name, value, 600) ? value : u"<missing>";
}

std::u16string ProductKey(const CClientInfo& client) {
  return u"Software\\" + std::u16string(client.GetCompany().Units()) + u"\\" +
         client.GetApp().Units();
}

std::u16string UninstallKey(const CClientInfo& client) {
  return u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
         std::u16string(client.GetCompany().Units()) + client.GetApp().Units();
}

// A product of this test run alone, so runs never see each other's keys and shortcuts. Its keys,
// Run value and the company's key are removed when the test ends.
class TestProduct {
 public:
  TestProduct() {
    client.SetCompany(UniqueName(u"SetupTestCompany").c_str());
    client.SetApp(UniqueName(u"App").c_str());
    client.SetName((u"\u5BA2\u6237\u7AEF " + UniqueName(u"Client")).c_str());
    client.SetVersion(u"2.0.1.5");
    client.SetPublisher(u"Test Publisher");
    client.SetClientFile(u"client.exe");
    client.SetUninstallerFile(u"unins000.exe");
    client.SetInstallFolder((folder.Path().u16string() + u"\\").c_str());
  }
  ~TestProduct() {
    Unregister(client);
    RegistryDeleteKey((u"Software\\" + std::u16string(client.GetCompany().Units())).c_str());
  }

  TempFolder folder;
  CClientInfo client;
};

// Waits up to ten seconds for a file to appear.
bool WaitForFile(const fs::path& path) {
  for (int i = 0; i < 100 && !fs::exists(path); ++i) Sleep(100);
  return fs::exists(path);
}

// Waits up to ten seconds until a program copy can be removed, that is until it has ended.
bool RemoveWhenEnded(const fs::path& path) {
  std::error_code error;
  for (int i = 0; i < 100; ++i) {
    if (fs::remove(path, error) || !fs::exists(path)) return true;
    Sleep(100);
  }
  return false;
}

TEST(ProductRegistration, RegisterWritesKeysAndShortcutsAndUnregisterRemovesThemEvenTwice) {
  TestProduct product;
  CClientInfo& client = product.client;
  client.SetDigest(u"0123456789ABCDEF0123456789ABCDEF");
  std::u16string folder = client.GetInstallFolder().Units();
  std::u16string main = folder + u"client.exe";
  std::u16string uninstaller = folder + u"unins000.exe";
  std::u16string name = client.GetName().Units();
  fs::path group = SpecialFolder(CSIDL_COMMON_PROGRAMS) / name;
  const fs::path quickLaunch =
      SpecialFolder(CSIDL_APPDATA) / "Microsoft" / "Internet Explorer" / "Quick Launch";
  fs::create_directories(quickLaunch);  // present in every Windows profile; Wine makes none
  fs::path links[] = {
      SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) / (name + u".lnk"),
      SpecialFolder(CSIDL_COMMON_STARTMENU) / (name + u".lnk"),
      quickLaunch / (name + u".lnk"),
      group / (name + u".lnk"),
  };
  fs::path uninstallLink = group / (Text(TextKey::kUninstallShortcut, {{u"name", name}}) + u".lnk");

  // Without an uninstaller in the folder, nothing names one.
  ASSERT_TRUE(RegisterCommitted(client, CUninstInfo()));
  EXPECT_EQ(ReadValue(UninstallKey(client), u"UninstallString"), u"<missing>");
  EXPECT_FALSE(fs::exists(uninstallLink));
  WriteBytes(fs::path(uninstaller), "the uninstaller");
  ASSERT_TRUE(RegisterCommitted(client, CUninstInfo()));

  struct Case {
    std::u16string key;
    const char16_t* name;
    std::u16string expected;
  } cases[] = {
      {ProductKey(client), u"version", u"2.0.1.5"},
      {ProductKey(client), u"path", folder},
      {ProductKey(client), u"md5", u"0123456789ABCDEF0123456789ABCDEF"},
      {ProductKey(client), u"main", main},
      {UninstallKey(client), u"DisplayName", name},
      {UninstallKey(client), u"DisplayVersion", u"2.0.1.5"},
      {UninstallKey(client), u"Publisher", u"Test Publisher"},
      {UninstallKey(client), u"DisplayIcon", main},
      // Quoted: unquoted, a folder with spaces would start "C:\Program.exe" when there is one.
      {UninstallKey(client), u"UninstallString", u"\"" + uninstaller + u"\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(fs::path(c.key + u" " + c.name).string());
    EXPECT_EQ(ReadValue(c.key, c.name), c.expected);
  }
  for (const fs::path& link : links) {
    SCOPED_TRACE(link.string());
    EXPECT_EQ(ReadShortcut(link).target, main);
  }
  EXPECT_EQ(ReadShortcut(uninstallLink).target, uninstaller);
  ASSERT_TRUE(SetAutoStart(client, true));

  EXPECT_EQ(Unregister(client), std::vector<std::u16string>());
  EXPECT_FALSE(KeyExists(ProductKey(client)));
  EXPECT_FALSE(KeyExists(UninstallKey(client)));
  EXPECT_FALSE(KeyExists(u"Software\\" + std::u16string(client.GetCompany().Units())))
      << "the company key the product's was the last of";
  EXPECT_FALSE(IsAutoStart(client));
  for (const fs::path& link : links) EXPECT_FALSE(fs::exists(link)) << link.string();
  EXPECT_FALSE(fs::exists(group));
  // Nothing left to remove: still a success.
  EXPECT_EQ(Unregister(client), std::vector<std::u16string>());
}

// Today, local time, as yyyymmdd.
std::u16string Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t text[16];
  swprintf(text, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  return AsUtf16(text);
}

TEST(ProductRegistration, TheUninstallEntryHoldsWhatTheListOfProgramsShows) {
  struct Case {
    const char* name;
    const char16_t* homepage;
  };
  const Case cases[] = {{"with a homepage", u"http://www.example.com/about"},
                        {"without a homepage", u""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestProduct product;
    CClientInfo& client = product.client;
    client.SetHomepage(c.homepage);
    const fs::path folder = product.folder.Path();
    fs::create_directories(folder / "data");
    WriteBytes(folder / "client.exe", std::string(3000, 'c'));
    WriteBytes(folder / "unins000.exe", std::string(1000, 'u'));
    WriteBytes(folder / "data" / "blob.bin", std::string(5000, 'b'));
    CUninstInfo list;
    for (const char16_t* entry : {u"client.exe", u"unins000.exe", u"data\\", u"data\\blob.bin",
                                  u"data\\gone.bin", u"..\\elsewhere.bin"}) {
      list.Add(entry, -1);
    }
    const std::u16string before = Today();
    ASSERT_TRUE(RegisterCommitted(client, list));
    const std::u16string after = Today();

    const std::u16string key = UninstallKey(client);
    const std::u16string installFolder = client.GetInstallFolder().Units();
    EXPECT_EQ(ReadValue(key, u"InstallLocation"), installFolder);
    const std::u16string date = ReadValue(key, u"InstallDate");
    EXPECT_TRUE(date == before || date == after) << fs::path(date).string();
    EXPECT_EQ(ReadValue(key, u"QuietUninstallString"),
              u"\"" + installFolder + u"unins000.exe\" silent");
    EXPECT_EQ(ReadValue(key, u"URLInfoAbout"), *c.homepage ? c.homepage : u"<missing>");
    struct Number {
      const char16_t* name;
      uint32_t value;
    };
    // 9,000 bytes of listed files that are there: 9 KB, rounded up.
    for (const Number& number :
         {Number{u"EstimatedSize", 9}, Number{u"NoModify", 1}, Number{u"NoRepair", 1}}) {
      SCOPED_TRACE(fs::path(number.name).string());
      StoredValue stored = ReadStored(key, number.name);
      EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
      ASSERT_EQ(stored.units.size(), 2u);
      EXPECT_EQ(stored.units[0] | static_cast<uint32_t>(stored.units[1]) << 16, number.value);
    }
    ASSERT_EQ(Unregister(client), std::vector<std::u16string>());
    EXPECT_FALSE(KeyExists(key));
  }
}

TEST(ProductRegistration, AutoStartWritesTheRecordedMainPathUnderTheName) {
  TestProduct product;
  CClientInfo& client = product.client;
  char16_t value[kPathUnits] = {};
  // Without a recorded main path there is nothing to start.
  EXPECT_FALSE(SetAutoStart(client, true));
  EXPECT_FALSE(IsAutoStart(client));

  ASSERT_TRUE(WriteProductValue(client.GetCompany().Units(), client.GetApp().Units(), u"main",
                                u"C:\\Recorded\\client.exe", -1));
  ASSERT_TRUE(SetAutoStart(client, true));
  EXPECT_TRUE(IsAutoStart(client));
  ASSERT_TRUE(ReadRunValue(client.GetName().Units(), value, kPathUnits));
  EXPECT_EQ(std::u16string(value), u"C:\\Recorded\\client.exe");

  EXPECT_TRUE(SetAutoStart(client, false));
  EXPECT_FALSE(IsAutoStart(client));
  EXPECT_FALSE(ReadRunValue(client.GetName().Units(), value, kPathUnits));
}

// A published list of one item, as its server holds it.
std::string OneItemListBytes() {
  CUpdateInfo list;
  list.SetVersion(u"2.0.1.5");
  list.AddFile(u"client.exe", 4, u"0123456789ABCDEF0123456789ABCDEF", u"http://127.0.0.1/c");
  std::vector<uint8_t> stored(CRecordStorage::kDefaultSaveBufferSize);
  const uint32_t size = list.Serialize(stored.data(), static_cast<uint32_t>(stored.size()), false);
  return std::string(stored.begin(), stored.begin() + size);
}

class ListDigest : public HttpServerTest {};

// The published list comes from config, else config2, and is read as a list when it is one.
TEST_F(ListDigest, ComesFromConfigOrElseFromConfig2) {
  std::u16string refused = u"http://127.0.0.1:1/update.xml";
  const std::string listBytes = OneItemListBytes();
  ASSERT_TRUE(Keep("published/update.xml", listBytes));
  struct Case {
    const char* name;
    std::u16string config;
    std::u16string config2;
    bool fetched;
    std::string body;
    const char16_t* version = nullptr;  // null: the body is no list
  } cases[] = {
      {"config answers", Url("/body/1000"), Url("/body/2000"), true, BytePattern(1000)},
      {"config missing on the server", Url("/status/404"), Url("/file/published/update.xml"),
       true, listBytes, u"2.0.1.5"},
      {"config unreachable", refused, Url("/body/3000"), true, BytePattern(3000)},
      {"config empty", u"", Url("/body/70000"), true, BytePattern(70000)},
      {"an empty list", Url("/body/0"), u"", true, ""},
      {"neither answers", Url("/status/404"), refused, false, ""},
      {"neither configured", u"", u"", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CClientInfo client;
    client.SetConfig(c.config.c_str());
    client.SetConfig2(c.config2.c_str());
    PublishedList published;
    ASSERT_EQ(FetchPublishedList(client, ListKey(), nullptr, &published), c.fetched);
    char16_t digest[kDigestUnits] = {};
    ASSERT_EQ(FetchListDigest(client, ListKey(), digest), c.fetched);
    if (!c.fetched) continue;
    EXPECT_EQ(std::u16string(digest), Md5Hex(c.body));
    EXPECT_EQ(std::u16string(published.digest.Units()), Md5Hex(c.body));
    ASSERT_EQ(published.readable, c.version != nullptr);
    if (c.version != nullptr) {
      EXPECT_EQ(std::u16string(published.items.GetVersion()), c.version);
      ASSERT_EQ(published.items.Count(), 1);
      EXPECT_EQ(std::u16string(published.items.Get(0)->file), u"client.exe");
    }
  }
  CClientInfo client;
  client.SetConfig(Url("/body/10").c_str());
  EXPECT_FALSE(FetchListDigest(client, ListKey(), nullptr));
}

TEST_F(ListDigest, EveryFetchCarriesAFreshQuery) {
  CClientInfo client;
  client.SetConfig2(Url("/record/list-digest").c_str());
  char16_t digest[kDigestUnits] = {};
  ASSERT_TRUE(FetchListDigestFromConfig2(client, ListKey(), digest));
  EXPECT_EQ(Received("list-digest").rfind("GET /record/list-digest?ts=800", 0), 0u)
      << Received("list-digest");
  EXPECT_FALSE(FetchListDigestFromConfig(client, ListKey(), digest));
}

TEST_F(ListDigest, UpdateIsNeededWhenTheRecordedDigestDiffers) {
  std::u16string published = Md5Hex(BytePattern(1000));
  std::u16string lower;
  for (char16_t c : published) lower += (c >= u'A' && c <= u'F') ? c + 32 : c;
  const std::u16string cut = published.substr(0, 31);
  struct Case {
    const char* name;
    std::u16string config;
    const char16_t* recorded;  // null: no "md5" value
    bool needed;
  } cases[] = {
      {"nothing recorded", Url("/body/1000"), nullptr, true},
      {"the same digest", Url("/body/1000"), published.c_str(), false},
      {"another digest", Url("/body/1000"), u"0123456789ABCDEF0123456789ABCDEF", true},
      {"the digest in lower case", Url("/body/1000"), lower.c_str(), true},
      {"the digest cut short", Url("/body/1000"), cut.c_str(), true},
      {"an empty digest: an install with failed files", Url("/body/1000"), u"", true},
      {"the list unreachable", Url("/status/404"), nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestProduct product;
    product.client.SetConfig(c.config.c_str());
    if (c.recorded != nullptr) {
      ASSERT_TRUE(WriteProductValue(product.client.GetCompany().Units(),
                                    product.client.GetApp().Units(), u"md5", c.recorded, -1));
    }
    EXPECT_EQ(IsUpdateNeeded(product.client, ListKey()), c.needed);
  }
}

// With a key, a list counts only with the key's signature beside it: a refused list gives no
// digest, needs no update, leaves what the caller held as it was, and is told from one that never
// arrived.
TEST_F(ListDigest, AKeyTakesOnlyAListItSigned) {
  SigningKeyPair vendor, stranger;
  ASSERT_TRUE(GenerateSigningKeyPair(&vendor));
  ASSERT_TRUE(GenerateSigningKeyPair(&stranger));
  const ListKey key{true,
                    std::vector<uint8_t>(vendor.publicKey, vendor.publicKey + kPublicKeyBytes)};
  const std::string listBytes = OneItemListBytes();
  auto sign = [&listBytes](const SigningKeyPair& pair) {
    std::string signature(kSignatureBytes, '\0');
    EXPECT_TRUE(SignDetached(reinterpret_cast<const uint8_t*>(listBytes.data()), listBytes.size(),
                             pair.secretKey, kSecretKeyBytes,
                             reinterpret_cast<uint8_t*>(&signature[0])));
    return signature;
  };
  const std::string place = FreshKey("keyed") + "/";
  ASSERT_TRUE(Keep(place + "update.xml", listBytes));
  ASSERT_TRUE(Keep(place + "update.xml.sig", sign(vendor)));
  ASSERT_TRUE(Keep(place + "other/update.xml", listBytes));
  ASSERT_TRUE(Keep(place + "other/update.xml.sig", sign(stranger)));
  ASSERT_TRUE(Keep(place + "unsigned/update.xml", listBytes));
  const std::u16string signedUrl = Url("/file/" + place + "update.xml");
  const std::u16string otherUrl = Url("/file/" + place + "other/update.xml");
  const std::u16string unsignedUrl = Url("/file/" + place + "unsigned/update.xml");
  struct Case {
    const char* name;
    std::u16string config;
    std::u16string config2;
    bool taken;
    bool refused;
  } cases[] = {
      {"signed by the key", signedUrl, u"", true, false},
      {"signed by another key", otherUrl, u"", false, true},
      {"unsigned", unsignedUrl, u"", false, true},
      {"refused at config, signed at config2", unsignedUrl, signedUrl, true, true},
      {"not there", Url("/status/404"), u"", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CClientInfo client;
    client.SetConfig(c.config.c_str());
    client.SetConfig2(c.config2.c_str());
    PublishedList published;
    ASSERT_EQ(FetchPublishedList(client, key, nullptr, &published), c.taken);
    EXPECT_EQ(published.refused, c.refused);
    EXPECT_EQ(published.trust.signature == ListSignatureCheck::kVerified, c.taken);
    EXPECT_EQ(published.items.Count(), c.taken ? 1 : 0);
    EXPECT_EQ(std::u16string(published.digest.Units()), c.taken ? Md5Hex(listBytes) : u"");
    char16_t digest[kDigestUnits] = {};
    EXPECT_EQ(FetchListDigest(client, key, digest), c.taken);
    EXPECT_EQ(IsUpdateNeeded(client, key), c.taken);
    // Without a key every list that arrives is taken, as it always was.
    EXPECT_EQ(FetchPublishedList(client, ListKey(), nullptr, &published), c.taken || c.refused);
  }
}

// Where the product is installed, as its product key records it, ready to join names to.
TEST(InstalledFolder, IsTheRecordedPathEndingWithABackslash) {
  struct Case {
    const char* name;
    const char16_t* recorded;  // null: none
    bool found;
    const char16_t* folder;
  };
  const Case cases[] = {
      {"ending with a backslash", u"D:\\Games\\Client\\", true, u"D:\\Games\\Client\\"},
      {"without one", u"D:\\Games\\Client", true, u"D:\\Games\\Client\\"},
      {"none recorded", nullptr, false, u""},
      {"an empty value, not the root of a drive", u"", false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestProduct product;
    if (c.recorded != nullptr) {
      ASSERT_TRUE(WriteProductValue(product.client.GetCompany().Units(),
                                    product.client.GetApp().Units(), u"path", c.recorded, -1));
    }
    char16_t folder[kPathCapacity] = {};
    EXPECT_EQ(ReadInstalledFolder(product.client, folder), c.found);
    if (c.found) {
      EXPECT_EQ(std::u16string(folder), c.folder);
    }
  }
}

// Runs the updater_runner helper from folder for app; its exit code, or -1.
int RunUpdaterFrom(const fs::path& folder, const std::u16string& app) {
  fs::copy_file(TestProgramFolder() / "updater_runner.exe", folder / "updater_runner.exe");
  std::wstring commandLine =
      L"\"" + (folder / "updater_runner.exe").wstring() + L"\" " + AsWide(app.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

fs::path TempUpdaterCopy(const std::u16string& app) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  return fs::path(temp) / (u"_" + app + u"_update_.exe");
}

TEST(Updater, CopiesTheUpdaterBesideTheProgramToTheTemporaryFolderAndStartsItSilent) {
  TempFolder beside;
  std::u16string app = UniqueName(u"App");
  fs::path copy = TempUpdaterCopy(app);
  fs::path note = copy.wstring() + L".ran";
  fs::path probe = TestProgramFolder() / "launch_probe.exe";
  fs::copy_file(probe, beside.Path() / "update.exe");
  // An older copy is replaced.
  WriteBytes(copy, "old updater");

  ASSERT_EQ(RunUpdaterFrom(beside.Path(), app), 0);
  ASSERT_TRUE(WaitForFile(note));
  EXPECT_EQ(ReadBytes(copy), ReadBytes(probe));
  EXPECT_EQ(ReadBytes(note), std::string("s\0i\0l\0e\0n\0t\0", 12));

  CClientInfo client;
  client.SetApp(app.c_str());
  bool deleted = false;
  for (int i = 0; i < 100 && !deleted; ++i, Sleep(100)) deleted = DeleteTempUpdater(client);
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(fs::exists(copy));
  EXPECT_FALSE(DeleteTempUpdater(client));
  fs::remove(note);
}

TEST(Updater, WithoutAnUpdaterBesideTheProgramNothingIsCopied) {
  TempFolder beside;
  std::u16string app = UniqueName(u"App");
  fs::create_directory(beside.Path() / "sub");
  fs::copy_file(TestProgramFolder() / "launch_probe.exe", beside.Path() / "sub" / "update.exe");

  EXPECT_EQ(RunUpdaterFrom(beside.Path(), app), 1);
  EXPECT_FALSE(fs::exists(TempUpdaterCopy(app)));
}

TEST(Updater, AnAppNameThatWouldLeaveTheTemporaryFolderIsRefused) {
  CClientInfo client;
  client.SetApp(u"x\\..\\..");
  EXPECT_FALSE(DeleteTempUpdater(client));
}

TEST(ClientLaunch, StartsTheMainPathOnlyWhenItIsAFile) {
  TestProduct product;
  CClientInfo& client = product.client;
  fs::path folder = product.folder.Path();
  fs::create_directory(folder / "bin");
  fs::copy_file(TestProgramFolder() / "launch_probe.exe", folder / "client.exe");

  client.SetMainFile(u"missing.exe");
  EXPECT_FALSE(LaunchClient(client));
  client.SetMainFile(u"bin");
  EXPECT_FALSE(LaunchClient(client));
  // Without a main file the client file is the main path.
  client.SetMainFile(u"");
  ASSERT_TRUE(LaunchClient(client));
  ASSERT_TRUE(WaitForFile(folder / "client.exe.ran"));
  EXPECT_EQ(ReadBytes(folder / "client.exe.ran"), "");
  EXPECT_TRUE(RemoveWhenEnded(folder / "client.exe"));
}

}  // namespace
