// A journal planted in the install folder (or left damaged) is read by every program of the
// product before it changes anything, and undone or finished there. Whatever names its records
// hold, the real programs touch nothing outside the folder: Windows takes "/" for a separator and
// resolves "..", so a name that only starts with the folder could reach anywhere.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/journal/journal_entry.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

class PlantedJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
    // A client that ends by itself once started, so that its folder can go after each run.
    product_.WriteClientFile("client.exe", ReadBytes(TestProgramFolder() / "launch_probe.exe"));
    ASSERT_EQ(product_.Build().status, 0);
  }

  fs::path Victims() const { return product_.Temp().Path() / "victims"; }

  // "../" as many times as it takes to climb from the install folder to the test's folder.
  std::u16string Climb() const {
    std::u16string climb;
    for (const auto& part : fs::relative(product_.Temp().Path(), product_.Folder())) {
      if (part == "..") climb += u"../";
    }
    return climb;
  }

  void PlantJournal(const std::vector<JournalEntry>& entries) const {
    const std::u16string folder = product_.Folder().u16string() + u"\\";
    std::vector<uint8_t> bytes = EncodeJournalHeader(folder);
    for (const JournalEntry& entry : entries) {
      const std::vector<uint8_t> record = EncodeJournalEntry(entry);
      bytes.insert(bytes.end(), record.begin(), record.end());
    }
    WriteBytes(product_.Folder() / "install.journal", std::string(bytes.begin(), bytes.end()));
  }

  ShippedProduct product_;
};

TEST_F(PlantedJournalTest, NoProgramReachesOutsideTheFolderThroughItsNames) {
  const std::u16string folder = product_.Folder().u16string() + u"\\";
  const std::u16string out = Climb() + u"victims/";
  JournalEntry stagingOut;  // rolled back: the staging file is deleted
  stagingOut.kind = JournalEntry::kFilePlaced;
  stagingOut.path = folder + u"readme.txt";
  stagingOut.staging = folder + u"readme.txt/../" + out + u"victim.txt";
  JournalEntry backupOut;  // committed: the backup is deleted, a folder with all it holds
  backupOut.kind = JournalEntry::kFilePlaced;
  backupOut.path = folder + u"zz";
  backupOut.backup = folder + u"zz/../" + out + u"vdir";
  JournalEntry committed;
  committed.kind = JournalEntry::kCommitted;
  JournalEntry removedOut;  // rolled back: the backup is moved back in
  removedOut.kind = JournalEntry::kFileRemoved;
  removedOut.path = folder + u"taken.txt";
  removedOut.backup = folder + u"taken.txt.old~/../" + out + u"victim.txt";

  struct Case {
    const char* name;
    std::vector<JournalEntry> entries;
  };
  const Case cases[] = {
      {"a staging name through a slash", {stagingOut}},
      {"a committed backup through a slash", {backupOut, committed}},
      {"a removed file's backup through a slash", {removedOut}},
  };
  struct Program {
    const char* name;
    fs::path file;
    const char16_t* parameters;
  };
  const Program programs[] = {
      {"setup.exe silent", product_.Setup(), u"silent"},
      {"update.exe silent", product_.Folder() / "update.exe", u"silent"},
      {"unins000.exe silent", product_.Folder() / "unins000.exe", u"silent"},
  };
  for (const Program& program : programs) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(program.name) + ", " + c.name);
      ASSERT_EQ(product_.Install(), 0u);
      fs::create_directories(Victims() / "vdir");
      WriteBytes(Victims() / "victim.txt", "not the product's");
      WriteBytes(Victims() / "vdir" / "kept.txt", "not the product's either");
      PlantJournal(c.entries);

      RunAndWait(program.file.u16string(), program.parameters);

      EXPECT_EQ(ReadBytes(Victims() / "victim.txt"), "not the product's");
      EXPECT_EQ(ReadBytes(Victims() / "vdir" / "kept.txt"), "not the product's either");
      EXPECT_FALSE(fs::exists(product_.Folder() / "taken.txt"));
      product_.Unregister();
      fs::remove_all(product_.Folder());
    }
  }
}

}  // namespace
