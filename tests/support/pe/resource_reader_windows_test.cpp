#include "support/pe/resource_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/container/packed_container.h"
#include "support/files/xdata.h"
#include "support/pe/module_library.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

std::string Packed(const std::string& payload) {
  std::vector<uint8_t> out(payload.size() + kContainerHeaderSize);
  uint32_t n = PackContainer(out.data(), static_cast<uint32_t>(out.size()),
                             reinterpret_cast<const uint8_t*>(payload.data()),
                             static_cast<uint32_t>(payload.size()));
  return std::string(out.begin(), out.begin() + n);
}

std::string Content(const XData& data) {
  return std::string(reinterpret_cast<const char*>(data.Data()), data.Length());
}

class ResourceReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = folder_.File(u"target.exe");
    std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe", exe_);
  }

  TempFolder folder_;
  std::u16string exe_;
};

TEST_F(ResourceReaderTest, ReadsRawBytesAndSizes) {
  ASSERT_TRUE(PutResource(exe_, u"RAW", 3, "0123456789"));
  ModuleLibrary library(exe_.c_str());
  ASSERT_NE(library.Handle(), nullptr);
  EXPECT_EQ(ReadResource(nullptr, 0, library.Handle(), u"raw", 3), 10u);
  char clipped[4] = {};
  EXPECT_EQ(ReadResource(clipped, 4, library.Handle(), u"RAW", 3), 4u);
  EXPECT_EQ(std::string(clipped, 4), "0123");
  EXPECT_EQ(ReadResource(nullptr, 0, library.Handle(), u"RAW", 4), 0u);
  EXPECT_EQ(ReadResource(nullptr, 0, library.Handle(), nullptr, 3), 0u);
  EXPECT_EQ(ReadResource(nullptr, 0, nullptr, u"RAW", 3), 0u);
}

TEST_F(ResourceReaderTest, LoadsPackedAndPlainResources) {
  std::string payload = "payload \xE5\xAE\xA2 bytes";
  ASSERT_TRUE(PutResource(exe_, u"APP", 1, Packed(payload)));
  ASSERT_TRUE(PutResource(exe_, u"PLAIN", 1, payload));
  ASSERT_TRUE(PutResource(exe_, u"BROKEN", 1, Packed(payload).substr(0, 14)));

  XData buffer;
  ASSERT_TRUE(LoadPackedResourceFromFile(buffer, exe_.c_str(), u"app", 1));
  EXPECT_EQ(Content(buffer), payload);
  ASSERT_TRUE(LoadPackedResourceFromFile(buffer, exe_.c_str(), u"plain", 1));
  EXPECT_EQ(Content(buffer), payload);

  struct Case {
    const char16_t* path;
    const char16_t* type;
  };
  std::u16string missingFile = folder_.File(u"missing.exe");
  const Case failures[] = {
      {exe_.c_str(), u"BROKEN"}, {exe_.c_str(), u"ABSENT"}, {missingFile.c_str(), u"APP"}};
  for (const Case& c : failures) {
    SCOPED_TRACE(std::string(c.type, c.type + 6));
    ASSERT_TRUE(LoadPackedResourceFromFile(buffer, exe_.c_str(), u"app", 1));
    EXPECT_FALSE(LoadPackedResourceFromFile(buffer, c.path, c.type, 1));
    EXPECT_EQ(buffer.Length(), 0u);
  }
}

TEST_F(ResourceReaderTest, LoadsFromTheRunningModule) {
  // The test program itself carries no "APP" resource.
  XData buffer;
  EXPECT_FALSE(LoadPackedResource(buffer, GetModuleHandleW(nullptr), u"APP", 1));
}

}  // namespace

namespace {

// Changes the current folder for one test and changes it back.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

TEST_F(ResourceReaderTest, RelativePathNamesTheFileInTheCurrentFolder) {
  // The copy has the same name as the test program folder's own, which lacks the resource.
  std::u16string copy = folder_.File(u"resource_target.exe");
  std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe", copy);
  ASSERT_TRUE(PutResource(copy, u"ONLYCOPY", 3, "the copy"));
  CurrentFolder inFolder(folder_.Path());
  ModuleLibrary library(u"resource_target.exe");
  ASSERT_NE(library.Handle(), nullptr);
  EXPECT_EQ(ReadResource(nullptr, 0, library.Handle(), u"ONLYCOPY", 3), 8u);
}

}  // namespace
