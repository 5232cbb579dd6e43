#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "records/client_info.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/files/xdata.h"
#include "support/pe/pe_image.h"
#include "support/pe/resource_tree.h"
#include "support/pe/resource_update.h"
#include "support/system/process_control.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

std::string NameText(const wchar_t* name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
  std::u16string text = AsUtf16(name);
  return std::string(text.begin(), text.end());
}

// Every resource of an executable as Windows enumerates and finds it: "type/name/language" and
// its bytes, found by type, name and language through FindResourceEx, which looks each level up
// by binary search and so depends on the entries' order.
struct Enumeration {
  HMODULE module;
  std::vector<std::string> found;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language,
                         LONG_PTR context) {
  auto* enumeration = reinterpret_cast<Enumeration*>(context);
  HRSRC resource = FindResourceExW(module, type, name, language);
  HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
  const char* bytes = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  std::string line = NameText(type) + "/" + NameText(name) + "/" + std::to_string(language) + "=";
  line += bytes != nullptr ? std::string(bytes, SizeofResource(module, resource)) : "<not found>";
  enumeration->found.push_back(line);
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
  return EnumResourceLanguagesW(module, type, name, OnLanguage, context);
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR context) {
  return EnumResourceNamesW(module, type, OnName, context);
}

std::vector<std::string> WindowsView(const std::u16string& exe) {
  Enumeration enumeration{LoadLibraryExW(AsWide(exe.c_str()), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE),
                          {}};
  EXPECT_NE(enumeration.module, nullptr);
  if (enumeration.module == nullptr) return {};
  EnumResourceTypesW(enumeration.module, OnType, reinterpret_cast<LONG_PTR>(&enumeration));
  FreeLibrary(enumeration.module);
  std::sort(enumeration.found.begin(), enumeration.found.end());
  return enumeration.found;
}

// The same, as the portable reader sees it.
std::vector<std::string> PortableView(const std::u16string& exe) {
  const std::string image = ReadBytes(fs::path(exe));
  PeImage pe;
  ResourceTree tree;
  std::string problem;
  EXPECT_TRUE(pe.Parse(image, problem) && tree.Read(image, pe, problem)) << problem;
  std::vector<std::string> found;
  for (const ResourceItem& item : tree.Items()) {
    std::string line;
    for (const ResourceName* name : {&item.type, &item.name}) {
      line += name->text.empty() ? "#" + std::to_string(name->number)
                                 : std::string(name->text.begin(), name->text.end());
      line += "/";
    }
    found.push_back(line + std::to_string(item.language) + "=" + item.bytes);
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::string Stored(CClientInfo& record, bool packed) {
  XData stored;
  EXPECT_TRUE(stored.Reserve(CRecordStorage::kDefaultSaveBufferSize, true));
  const uint32_t size = record.Serialize(stored.Data(), stored.Capacity(), packed);
  return std::string(reinterpret_cast<const char*>(stored.Data()), size);
}

// The largest record there is: every field as long as it keeps.
std::string LargestRecord() {
  std::u16string text;
  for (int i = 0; CClientInfo::ConfigKey(i) != nullptr; ++i) {
    const std::u16string key = CClientInfo::ConfigKey(i);
    text +=
        key + u"=" + (key == u"style" ? u"#FFFFFFFF" : std::u16string(600, u'\u5BA2')) + u";\r\n";
  }
  CClientInfo record;
  record.ParseText(text.c_str());
  return Stored(record, true);
}

bool PutPortable(const std::u16string& exe, const char16_t* type, const std::string& bytes) {
  ResourceUpdate update(exe.c_str());
  return update.Put(type, 1, reinterpret_cast<const uint8_t*>(bytes.data()),
                    static_cast<uint32_t>(bytes.size())) &&
         update.Commit();
}

DWORD RunAndWaitFor(const std::u16string& program) {
  void* started = nullptr;
  if (!RunProgram(program.c_str(), u"", false, &started)) return 99;
  Handle process(started);
  DWORD exitCode = 99;
  if (WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.Get(), &exitCode)) {
    return 99;
  }
  return exitCode;
}

// The portable writer against UpdateResourceW on the programs this project builds: for every
// stub and record, both leave the same resources, found the same way, with the same bytes.
TEST(PortableResourceWriter, WritesWhatUpdateResourceWritesIntoEveryStub) {
  TempFolder folder;
  CClientInfo small;
  small.ParseText(u"app=democlient;\r\nname=\u793a\u4f8b;\r\nversion=1.2.0.0;\r\n");
  std::string stamped = ReadBytes(TestProgramFolder() / "setup.exe");
  std::string problem;
  ResourceItem app;
  app.type.text = u"APP";
  app.name.number = 1;
  app.language = kResourceLanguage;
  app.bytes = Stored(small, true);
  ASSERT_TRUE(PutImageResources(stamped, {app}, problem)) << problem;
  WriteBytes(folder.Path() / "stamped setup.exe", stamped);
  std::string payload(3 << 20, '\0');
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 131 % 253);

  struct Stub {
    const char* name;
    fs::path path;
  };
  const Stub stubs[] = {
      {"setup.exe", TestProgramFolder() / "setup.exe"},
      {"setup.exe already stamped", folder.Path() / "stamped setup.exe"},
      {"unins000.exe", TestProgramFolder() / "unins000.exe"},
      {"update.exe", TestProgramFolder() / "update.exe"},
      {"a program with debug information", TestProgramFolder() / "resource_target.exe"},
  };
  struct Record {
    const char* name;
    const char16_t* type;
    std::string bytes;
  };
  const Record records[] = {
      {"packed record", u"APP", Stored(small, true)},
      {"plain record", u"APP", Stored(small, false)},
      {"largest record", u"APP", LargestRecord()},
      {"a payload larger than the stub's free addresses", u"TAIL", payload},
  };
  for (const Stub& stub : stubs) {
    for (const Record& record : records) {
      SCOPED_TRACE(std::string(stub.name) + ", " + record.name);
      const std::u16string byWindows = folder.File(u"windows.exe");
      const std::u16string byUs = folder.File(u"portable.exe");
      // The library's overwriting copy fails under Wine.
      fs::remove(fs::path(byWindows));
      fs::remove(fs::path(byUs));
      fs::copy_file(stub.path, fs::path(byWindows));
      fs::copy_file(stub.path, fs::path(byUs));
      ASSERT_TRUE(PutResource(byWindows, record.type, 1, record.bytes));
      ASSERT_TRUE(PutPortable(byUs, record.type, record.bytes));
      const std::vector<std::string> windows = WindowsView(byWindows);
      const std::u16string type = record.type;
      EXPECT_EQ(std::count(windows.begin(), windows.end(),
                           std::string(type.begin(), type.end()) + "/#1/2052=" + record.bytes),
                1);
      EXPECT_EQ(WindowsView(byUs), windows);
      EXPECT_EQ(PortableView(byWindows), windows);
      PeImage pe;
      const std::string rewritten = ReadBytes(fs::path(byUs));
      ASSERT_TRUE(pe.Parse(rewritten, problem));
      EXPECT_EQ(pe.CheckSum(), PeChecksum(rewritten, pe.CheckSumOffset()));
    }
  }
}

TEST(PortableResourceWriter, ARewrittenProgramStillRunsAndItsChecksumIsTheLinkers) {
  TempFolder folder;
  for (const char* program : {"setup.exe", "unins000.exe", "update.exe", "resource_target.exe"}) {
    SCOPED_TRACE(program);
    const std::string image = ReadBytes(TestProgramFolder() / program);
    PeImage pe;
    std::string problem;
    ASSERT_TRUE(pe.Parse(image, problem)) << problem;
    EXPECT_EQ(pe.CheckSum(), PeChecksum(image, pe.CheckSumOffset()));
  }
  const std::u16string target = folder.File(u"target.exe");
  fs::copy_file(TestProgramFolder() / "resource_target.exe", fs::path(target));
  ASSERT_TRUE(PutPortable(target, u"TAIL", std::string(1 << 20, 't')));
  EXPECT_EQ(RunAndWaitFor(target), 0u);
}

}  // namespace
