#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "records/record_storage.h"
#include "support/core/wide_text.h"
#include "support/pe/module_library.h"
#include "support/pe/resource_reader.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/text_record.h"
#include "tests/helpers/windows_test_support.h"

namespace {

const std::u16string kText = u"name=\u5ba2\u6237\u7aef;\r\nhomepage=http://example.com/;\r\n";

class RecordModuleStorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = folder_.File(u"target.exe");
    std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe", exe_);
  }

  // The program's own resources are still there, unchanged.
  void ExpectOtherResourcesKept() {
    ModuleLibrary library(exe_.c_str());
    ASSERT_NE(library.Handle(), nullptr);
    char kept[32] = {};
    uint32_t n = ReadResource(kept, sizeof kept, library.Handle(), u"KEEP", 7);
    EXPECT_EQ(std::string(kept, n), std::string("kept resource\0", 14));
    wchar_t text[32] = {};
    int length = LoadStringW(static_cast<HMODULE>(library.Handle()), 1, text, 32);
    EXPECT_EQ(std::u16string(AsUtf16(text), length), u"string one");
  }

  TempFolder folder_;
  std::u16string exe_;
};

TEST_F(RecordModuleStorageTest, SavedRecordLoadsBackInBothForms) {
  for (bool packed : {true, false}) {
    SCOPED_TRACE(packed);
    TextRecord record(kText);
    uint32_t written = record.SaveToModuleFile(exe_.c_str(), u"APP", 1, packed);
    EXPECT_EQ(written, packed ? 10 + 2 * (kText.size() + 1) : 2 * (kText.size() + 1));

    TextRecord fromFile;
    ASSERT_TRUE(fromFile.LoadFromModuleFile(exe_.c_str(), u"app", 1));
    EXPECT_EQ(fromFile.Text(), kText);

    ModuleLibrary library(exe_.c_str());
    TextRecord fromModule;
    ASSERT_TRUE(fromModule.LoadFromModule(library.Handle(), u"APP", 1));
    EXPECT_EQ(fromModule.Text(), kText);
    ExpectOtherResourcesKept();
  }
}

TEST_F(RecordModuleStorageTest, MissingResourceLeavesTheRecordUnchanged) {
  TextRecord saved(kText);
  ASSERT_NE(saved.SaveToModuleFile(exe_.c_str(), u"APP", 1, true), 0u);
  TextRecord record(u"unchanged");
  EXPECT_FALSE(record.LoadFromModuleFile(exe_.c_str(), u"APP", 2));
  EXPECT_FALSE(record.LoadFromModuleFile(exe_.c_str(), u"TAIL", 1));
  EXPECT_FALSE(record.LoadFromModuleFile(folder_.File(u"missing.exe").c_str(), u"APP", 1));
  EXPECT_FALSE(record.LoadFromModule(nullptr, u"APP", 1));
  EXPECT_EQ(record.Text(), u"unchanged");
  EXPECT_EQ(record.Parses(), 0);
}

TEST_F(RecordModuleStorageTest, FileThatCannotTakeResourcesIsLeftAlone) {
  std::filesystem::path notAnExe = folder_.Path() / "notes.txt";
  WriteBytes(notAnExe, "just some text");
  TextRecord record(kText);
  EXPECT_EQ(record.SaveToModuleFile(notAnExe.u16string().c_str(), u"APP", 1, true), 0u);
  EXPECT_EQ(ReadBytes(notAnExe), "just some text");
  EXPECT_EQ(record.SaveToModuleFile(folder_.File(u"missing.exe").c_str(), u"APP", 1, true), 0u);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "missing.exe"));
}

}  // namespace
