#include "startup/list_key_loading.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/pe/module_library.h"
#include "support/pe/resource_update.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

// The key as a real executable carries it, read through the system's resource functions: only
// a resource of exactly 32 bytes is a key; one of another length is carried but damaged, so the
// program trusts no list, never taken for the absence of a key.
TEST(ListKeyLoading, OnlyThirtyTwoBytesAreAKeyAndAnyOtherResourceIsADamagedOne) {
  const std::string key(32, '\x5a');
  struct Case {
    const char* name;
    const char16_t* type;  // null: no resource put in
    std::string resource;
    bool carried;
    std::string bytes;
  };
  const Case cases[] = {
      {"no key resource", nullptr, "", false, ""},
      {"a key", u"KEY", key, true, key},
      {"one byte short", u"KEY", key.substr(1), true, ""},
      {"one byte long", u"KEY", key + "x", true, ""},
      {"empty", u"KEY", "", true, ""},
      {"the key under another type", u"KEYS", key, false, ""},
  };
  TempFolder folder;
  const std::u16string exe = folder.File(u"target.exe");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe", exe,
                               std::filesystem::copy_options::overwrite_existing);
    if (c.type != nullptr) {
      // Written by the portable writer, which can put an empty resource; the system's removes it.
      std::string image = ReadBytes(exe);
      ResourceItem item;
      item.type.text = c.type;
      item.name.number = 1;
      item.language = kResourceLanguage;
      item.bytes = c.resource;
      std::string problem;
      ASSERT_TRUE(PutImageResources(image, {item}, problem)) << problem;
      WriteBytes(exe, image);
    }
    ModuleLibrary library(exe.c_str());
    ASSERT_NE(library.Handle(), nullptr);
    const ListKey loaded = LoadListKey(library.Handle());
    EXPECT_EQ(loaded.carried, c.carried);
    EXPECT_EQ(std::string(loaded.bytes.begin(), loaded.bytes.end()), c.bytes);
  }
}

}  // namespace
