// Installers made from crafted payloads, as a hostile or damaged package would carry them: the
// bare stub with a configuration stamped in and the payload as its "tail" resource, installed by
// install_headless.exe. Whatever the payload holds, nothing lands outside the install folder or
// is deleted there, the exit code says how the install went, and only a whole client is
// registered: any other install is undone, leaving nothing.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "install/exit_codes.h"
#include "product/product_registration.h"
#include "records/client_info.h"
#include "records/update_info.h"
#include "support/system/shortcuts.h"
#include "support/zip/xzip.h"
#include "tests/helpers/install_payload.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/windows_test_support.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

constexpr char16_t kCompany[] = u"HostileTestCompany";

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// Every file below root but those below skipped, by path, with its bytes.
std::map<fs::path, std::string> FilesBelow(const fs::path& root, const fs::path& skipped) {
  std::map<fs::path, std::string> files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    if (it->path() == skipped) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file()) files[it->path()] = ReadBytes(it->path());
  }
  return files;
}

class HostilePayloadTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    if (HasFatalFailure()) return;
    record_.SetCompany(kCompany);
    record_.SetApp(UniqueName(u"hostile").c_str());
    record_.SetName(record_.GetApp().Units());
    // What a hostile entry or list would reach for: a file beside the install folder.
    WriteBytes(temp_.Path() / "victim.txt", "victim");
  }
  void TearDown() override { Unregister(record_); }

  // An update list on the server under name, of the given items; returns its URL.
  std::u16string PublishList(const std::string& name, const std::vector<UpdateItem>& items) {
    CUpdateInfo list;
    for (const UpdateItem& item : items) list.AddItem(std::make_unique<UpdateItem>(item));
    std::vector<uint8_t> bytes(CRecordStorage::kDefaultSaveBufferSize);
    const uint32_t size = list.Serialize(bytes.data(), static_cast<uint32_t>(bytes.size()), false);
    EXPECT_TRUE(Keep(name, std::string(bytes.begin(), bytes.begin() + size)));
    return Url("/file/" + name);
  }
  // A listed file, put on the server under a name of this test run.
  UpdateItem Listed(const std::u16string& file, const std::string& bytes) {
    const std::string served = "hostile/" + std::to_string(served_++);
    EXPECT_TRUE(Keep(served, bytes));
    UpdateItem item;
    item.action = UpdateItem::kActionUpdate;
    item.size = static_cast<int32_t>(bytes.size());
    item.file = file;
    item.url = Url("/file/" + served);
    const std::u16string md5 = Md5Hex(bytes);
    std::char_traits<char16_t>::copy(item.md5, md5.c_str(), md5.size() + 1);
    return item;
  }
  static UpdateItem Deleted(const std::u16string& file) {
    UpdateItem item;
    item.action = UpdateItem::kActionDelete;
    item.file = file;
    return item;
  }

  // The stub with the test product's configuration (its list at listUrl) and tail as its "tail"
  // resource, stored as given.
  std::u16string MakeInstaller(const std::u16string& listUrl, const std::string& tail) {
    record_.SetConfig(listUrl.c_str());
    std::vector<uint8_t> stored(CRecordStorage::kDefaultSaveBufferSize);
    const uint32_t size =
        record_.Serialize(stored.data(), static_cast<uint32_t>(stored.size()), true);
    const std::u16string setup = temp_.File(u"setup.exe");
    fs::copy_file(TestProgramFolder() / "setup.exe", setup, fs::copy_options::overwrite_existing);
    EXPECT_TRUE(PutResource(setup, u"APP", 1, std::string(stored.begin(), stored.begin() + size)));
    EXPECT_TRUE(PutResource(setup, u"TAIL", 1, tail));
    return setup;
  }

  // Anything of the install's registration: product key, uninstall entry, desktop shortcut.
  bool Registered() const {
    char16_t desktop[MAX_PATH] = {};
    EXPECT_TRUE(GetSpecialFolder(desktop, CSIDL_COMMON_DESKTOPDIRECTORY));
    const std::u16string app = record_.GetApp().Units();
    return KeyExists(std::u16string(u"Software\\") + kCompany + u"\\" + app) ||
           KeyExists(kUninstallBase + kCompany + app) ||
           fs::exists(fs::path(desktop) / (app + u".lnk"));
  }

  TempFolder temp_;
  CClientInfo record_;
  int served_ = 0;
};

TEST_F(HostilePayloadTest, InstallsNothingOutsideItsFolderAndRegistersOnlyAWholeClient) {
  const char* const password = XZip::GetArchivePassword();
  const ZipEntrySpec client = {"client.exe", ReadBytes(TestProgramFolder() / "sleeper.exe")};
  const std::string victim = (temp_.Path() / "victim.txt").generic_string();
  const std::vector<ZipEntrySpec> escaping = {
      client,
      {"good/ok.txt", "ok"},
      {"../escaped.txt", "out"},
      {"..\\escaped.txt", "out"},
      {"good/../../escaped.txt", "out"},
      {"/escaped.txt", "out"},
      {"C:/escaped.txt", "out"},
      {victim, "overwritten"},
      {"good/name.txt:stream", "out"},
      {"CON", "device"},
      {"good/" + std::string(300, 'n') + ".txt", "too long"},
  };
  std::string noEntries = BuildZip({client}, password);
  // The end-of-directory record (the last 22 bytes) counts the entries at 8 and 10.
  noEntries[noEntries.size() - 22 + 8] = noEntries[noEntries.size() - 22 + 10] = 0;
  const std::string noClientArchive = BuildZip({{"theme.txt", "no client archive"}}, password);

  const std::u16string fullList =
      PublishList("hostile/full.xml", {Listed(u"client.exe", client.content),
                                       Listed(u"readme.txt", "read me"),
                                       Deleted(u"never-there.txt"), Deleted(u"gone\\")});
  const std::u16string hostileList = PublishList(
      "hostile/hostile.xml",
      {Listed(u"client.exe", client.content), Listed(u"..\\escaped.txt", "out"),
       Listed(Wide(victim), "overwritten"), Deleted(u"..\\victim.txt"), Deleted(Wide(victim)),
       Deleted(u"..\\"), Deleted(u"C:\\escaped.txt")});
  const std::u16string clientlessList =
      PublishList("hostile/clientless.xml", {Listed(u"readme.txt", "read me")});

  struct Case {
    const char* label;
    std::string tail;        // the resource as stored
    std::u16string listUrl;  // the configuration's "config"
    DWORD exitCode;
    bool registered;
  };
  const Case cases[] = {
      {"escaping entry names beside the client", PackedContainer(BuildPayload(escaping)), u"", kExitFilesFailed,
       false},
      {"a client archive without the client file", PackedContainer(BuildPayload({{"readme.txt", "r"}})),
       u"", kExitFilesFailed, false},
      {"a client archive whose directory lists no entry",
       PackedContainer(BuildZip({{"app.zip", noEntries}}, password)), u"", kExitFilesFailed, false},
      {"a client archive under another password",
       PackedContainer(BuildZip({{"app.zip", BuildZip({client}, "another-pass!")}}, password)), u"", kExitFilesFailed,
       false},
      {"a client archive that is no archive",
       PackedContainer(BuildZip({{"app.zip", "not an archive"}}, password)), u"", 1, false},
      {"no client archive: a list deleting what is not there", PackedContainer(noClientArchive), fullList,
       0, true},
      {"no client archive: a hostile list", PackedContainer(noClientArchive), hostileList, kExitFilesFailed,
       false},
      {"no client archive: a list without the client file", PackedContainer(noClientArchive),
       clientlessList, kExitFilesFailed, false},
      {"no client archive and no list", PackedContainer(noClientArchive), Url("/file/hostile/none.xml"), 1,
       false},
  };
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Unregister(record_);
    // A folder of its own each time: the shell may still be reading the last one's client.
    const fs::path folder = temp_.Path() / ("installed" + std::to_string(run++));
    const std::u16string setup = MakeInstaller(c.listUrl, c.tail);
    const std::map<fs::path, std::string> before = FilesBelow(temp_.Path(), folder);

    EXPECT_EQ(RunAndWait((TestProgramFolder() / "install_headless.exe").u16string(),
                         u"\"" + setup + u"\" \"" + folder.u16string() + u"\""),
              c.exitCode);

    EXPECT_EQ(Registered(), c.registered);
    EXPECT_EQ(FilesBelow(temp_.Path(), folder), before);
    EXPECT_FALSE(fs::exists("C:\\escaped.txt"));
    EXPECT_FALSE(fs::exists("C:\\name.txt"));
    if (c.registered) {
      EXPECT_EQ(ReadBytes(folder / "client.exe"), client.content);
    }
    if (c.exitCode != 0) {
      EXPECT_FALSE(fs::exists(folder)) << "what failed is undone";
    }
  }
}

// A record whose company or app is no plain folder name would install elsewhere (an app of
// "..\..\..\evil" installs into C:\evil) or name a device: such a package is a damaged one,
// installing nothing.
TEST_F(HostilePayloadTest, ARecordWhoseNamesAreNoFolderNamesInstallsNothing) {
  const std::string tail =
      PackedContainer(BuildPayload({{"client.exe", ReadBytes(TestProgramFolder() / "sleeper.exe")}}));
  struct Case {
    const char16_t* company;
    const char16_t* app;
  };
  const Case cases[] = {
      {kCompany, u"..\\..\\..\\evil"}, {kCompany, u""}, {kCompany, u"CON"},
      {kCompany, u"a/b:c"}, {u"..", u"app"}, {u"", u"app"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(fs::path(std::u16string(c.company) + u" / " + c.app).string());
    record_.SetCompany(c.company);
    record_.SetApp(c.app);
    const std::u16string setup = MakeInstaller(u"", tail);
    EXPECT_EQ(RunAndWait((TestProgramFolder() / "install_headless.exe").u16string(),
                         u"\"" + setup + u"\" \"" + temp_.File(u"installed") + u"\""),
              1u);
    EXPECT_EQ(RunAndWait(setup, u"silent", 60000), 1u);
    EXPECT_FALSE(fs::exists(temp_.Path() / "installed"));
    EXPECT_FALSE(fs::exists("C:\\evil"));
  }
  record_.SetCompany(kCompany);
}

}  // namespace
