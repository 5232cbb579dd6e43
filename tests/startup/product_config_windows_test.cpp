#include "startup/product_config.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/current_language.h"
#include "records/client_info.h"
#include "startup/homepage_opener.h"
#include "startup/install_package.h"
#include "startup/package_loading.h"
#include "support/pe/module_library.h"
#include "support/zip/xzip.h"
#include "tests/helpers/install_payload.h"
#include "tests/helpers/scripted_answers.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {


std::vector<std::u16string> openedPages;

bool RecordOpenedPage(const char16_t* url) {
  openedPages.push_back(url);
  return true;
}

// Start-up on a copy of a test program: the tests stamp (or damage) its "APP" resource and hand
// it to LoadProductConfig as the module to read, with a product record of its defaults.
class ProductConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = folder_.File(u"target.exe");
    std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe", exe_);
    openedPages.clear();
    previousOpener_ = ReplaceHomepageOpener(RecordOpenedPage);
  }
  void TearDown() override { ReplaceHomepageOpener(previousOpener_); }

  bool LoadFromTarget() {
    ModuleLibrary library(exe_.c_str());
    EXPECT_NE(library.Handle(), nullptr);
    return LoadProductConfig(library.Handle(), product_, false);
  }

  TempFolder folder_;
  std::u16string exe_;
  CClientInfo product_;
  HomepageOpener previousOpener_ = nullptr;
};

TEST_F(ProductConfigTest, DamagedPackageAsksOnceAndOpensTheHomepageOnlyOnYes) {
  const std::u16string defaultHomepage = CClientInfo().GetHomepage().Units();
  struct Case {
    const char* name;
    std::string resource;  // empty: no resource at all
    int answer;
  };
  const Case cases[] = {
      {"no resource, Yes", "", IDYES},
      {"damaged container, No", std::string("\xFF\xFD\xFD\xFF\x00\x00\x00\x00\x00\x00", 10), IDNO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe", exe_,
                               std::filesystem::copy_options::overwrite_existing);
    if (!c.resource.empty()) {
      ASSERT_TRUE(PutResource(exe_, u"APP", 1, c.resource));
    }
    openedPages.clear();

    ScriptedAnswers answers({c.answer});
    EXPECT_FALSE(LoadFromTarget());
    ASSERT_EQ(answers.Asked().size(), 1u);
    const ScriptedAnswers::Question& question = answers.Asked()[0];
    EXPECT_EQ(question.owner, nullptr);
    EXPECT_EQ(question.text, Text(TextKey::kPackageDamaged));
    EXPECT_EQ(question.caption, u"vu");
    EXPECT_EQ(question.flags, static_cast<unsigned>(MB_YESNO | MB_ICONERROR));
    EXPECT_EQ(openedPages, c.answer == IDYES ? std::vector<std::u16string>{defaultHomepage}
                                             : std::vector<std::u16string>{});
  }
}

// The stored form of a configuration of the given version.
std::string ConfigBytes(const char16_t* version, bool packed) {
  CClientInfo config;
  config.SetVersion(version);
  std::vector<uint8_t> bytes(CRecordStorage::kDefaultSaveBufferSize);
  const uint32_t size = config.Serialize(bytes.data(), static_cast<uint32_t>(bytes.size()), packed);
  return std::string(bytes.begin(), bytes.begin() + size);
}

// The package is read once: the record from the "app" resource, else the payload's "app.txt";
// the payload from the "tail" resource, else the archive beside the executable. Whatever is there
// but damaged makes the whole package damaged, and so does a package without a record.
TEST_F(ProductConfigTest, PackageComesFromTheExecutableFirstAndIsWholeOrDamaged) {
  const std::string tailPayload =
      BuildPayload({{"a.txt", "a"}}, "app.zip", {{"app.txt", ConfigBytes(u"2.0", false)}});
  const std::string siblingPayload =
      BuildZip({{"app.txt", ConfigBytes(u"1.0", false)}, {"beside.txt", "b"}},
               XZip::GetArchivePassword());
  std::string flippedTail = PackedContainer(tailPayload);
  flippedTail[flippedTail.size() / 2] ^= 0x10;
  std::string flippedRecord = ConfigBytes(u"3.0", true);
  flippedRecord[flippedRecord.size() / 2] ^= 0x10;
  struct Case {
    const char* label;
    std::string tail;     // the "tail" resource as stored; empty: none
    std::string record;   // the "app" resource as stored; empty: none
    std::string sibling;  // the archive beside the executable; empty: none
    bool loaded;
    const char16_t* version;
    const char16_t* payloadEntry;  // an entry of the payload read; null: no payload
  };
  const Case cases[] = {
      {"both resources, beside an archive", PackedContainer(tailPayload), ConfigBytes(u"3.0", true),
       siblingPayload, true, u"3.0", u"app.zip"},
      {"tail resource, record from app.txt", PackedContainer(tailPayload), "", "", true, u"2.0",
       u"app.zip"},
      {"tail resource not packed", tailPayload, "", "", true, u"2.0", u"app.zip"},
      {"tail resource that is no archive", "no archive at all", ConfigBytes(u"3.0", true), "",
       false, nullptr, nullptr},
      {"archive beside the executable only", "", "", siblingPayload, true, u"1.0", u"beside.txt"},
      {"record alone: the client is downloaded", "", ConfigBytes(u"3.0", true), "", true, u"3.0",
       nullptr},
      {"a payload without a record", "", "", BuildZip({{"beside.txt", "b"}},
                                                      XZip::GetArchivePassword()),
       false, nullptr, nullptr},
      // A damaged package, not one to download: the archive beside it is not taken instead.
      {"damaged tail resource, beside an archive", flippedTail, ConfigBytes(u"3.0", true),
       siblingPayload, false, nullptr, nullptr},
      {"damaged record, beside app.txt", PackedContainer(tailPayload), flippedRecord, "", false,
       nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe", exe_,
                               std::filesystem::copy_options::overwrite_existing);
    if (!c.tail.empty()) ASSERT_TRUE(PutResource(exe_, u"TAIL", 1, c.tail));
    if (!c.record.empty()) ASSERT_TRUE(PutResource(exe_, u"APP", 1, c.record));
    std::filesystem::remove(folder_.Path() / "target.zip");
    if (!c.sibling.empty()) WriteBytes(folder_.Path() / "target.zip", c.sibling);
    ScriptedAnswers answers;
    // Loaded as long as the package is read: its payload stays where it lies.
    ModuleLibrary library(exe_.c_str());
    ASSERT_NE(library.Handle(), nullptr);
    CInstallPackage package;
    EXPECT_EQ(LoadInstallPackage(library.Handle(), exe_.c_str(), package), c.loaded);
    EXPECT_TRUE(answers.Asked().empty());
    if (!c.loaded) continue;
    EXPECT_EQ(std::u16string(package.Product().GetVersion().Units()), c.version);
    EXPECT_EQ(package.Payload() != nullptr, c.payloadEntry != nullptr);
    XData entry;
    if (c.payloadEntry != nullptr) EXPECT_TRUE(package.ReadPayloadEntry(c.payloadEntry, &entry));
  }
}

}  // namespace
