#include "tests/helpers/shipped_product.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include "product/auto_start.h"
#include "product/product_registration.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/system/process_control.h"
#include "support/text/utf8.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shortcut_reader.h"
#include "tests/helpers/windows_test_support.h"

namespace fs = std::filesystem;

ShippedProduct::ShippedProduct(const std::string& moreConfig) {
  const std::u16string app = UniqueName(u"app");
  const std::u16string name = u"\u6d4b\u8bd5\u5ba2\u6237\u7aef" + app;  // 测试客户端
  WriteBytes(temp_.Path() / "config.txt",
             "app=" + Utf16ToUtf8(app.c_str()) + ";\nname=" + Utf16ToUtf8(name.c_str()) +
                 ";\ncompany=ProgramsTestCompany;\npublisher=Example;\nversion=1.0.0.0;\n"
                 "style=#00000020;\n" + moreConfig);
  WriteClientFile("client.exe", ReadBytes(TestProgramFolder() / "sleeper.exe"));
  WriteClientFile("readme.txt", "read me");
  WriteClientFile("data/settings.ini", "[settings]\r\n");
  WriteClientFile("data/deep/table.bin", std::string(70000, 't'));
  WriteClientFile("\xE8\xB5\x84\xE6\xBA\x90/\xE5\x9B\xBE.txt", "picture");  // 资源/图.txt
}

ShippedProduct::~ShippedProduct() { Unregister(); }

void ShippedProduct::WriteClientFile(const std::string& name, const std::string& bytes) {
  const fs::path path = ClientFolder() / fs::u8path(name);
  fs::create_directories(path.parent_path());
  WriteBytes(path, bytes);
  client_[name] = bytes;
}

void ShippedProduct::RemoveClientFile(const std::string& name) {
  fs::remove(ClientFolder() / fs::u8path(name));
  client_.erase(name);
}

ToolRun ShippedProduct::Build(const std::vector<std::u16string>& options) {
  std::vector<std::u16string> args = {u"build", u"--config", ConfigFile(), u"--client",
                                      ClientFolder().u16string(), u"-o", Setup()};
  args.insert(args.end(), options.begin(), options.end());
  ToolRun run = RunSetupkitCaptured(args);
  if (run.status == 0) {
    EXPECT_TRUE(record_.LoadFromModuleFile(Setup().c_str(), u"APP", 1));
  }
  return run;
}

DWORD ShippedProduct::Install() const {
  return RunAndWait((TestProgramFolder() / "install_headless.exe").u16string(),
                    u"\"" + Setup() + u"\" \"" + Folder().u16string() + u"\"");
}

std::u16string ShippedProduct::ProductKey() const {
  return CompanyKey() + u"\\" + record_.GetApp().Units();
}

std::u16string ShippedProduct::UninstallKey() const {
  return kUninstallBase + u"ProgramsTestCompany" + record_.GetApp().Units();
}

std::map<std::u16string, bool> ShippedProduct::Registration() const {
  const std::u16string name = record_.GetName().Units();
  const fs::path group = SpecialFolder(CSIDL_COMMON_PROGRAMS) / name;
  const fs::path places[] = {
      SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) / (name + u".lnk"),
      SpecialFolder(CSIDL_COMMON_STARTMENU) / (name + u".lnk"),
      SpecialFolder(CSIDL_APPDATA) / "Microsoft" / "Internet Explorer" / "Quick Launch" /
          (name + u".lnk"),
      group,
      group / (name + u".lnk"),
      group / (u"\u5378\u8F7D" + name + u".lnk"),  // 卸载
  };
  std::map<std::u16string, bool> found;
  for (const fs::path& place : places) found[place.u16string()] = fs::exists(place);
  found[u"Run\\" + name] = IsAutoStart(record_);
  return found;
}

void ShippedProduct::Unregister() const {
  if (record_.GetApp().Empty()) return;
  ::Unregister(record_);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, AsWide(CompanyKey().c_str()));
}

DWORD RunAndWait(const std::u16string& program, const std::u16string& parameters, DWORD limitMs) {
  void* started = nullptr;
  if (!RunProgram(program.c_str(), parameters.c_str(), false, &started)) return 99;
  Handle process(started);
  DWORD exitCode = 99;
  if (WaitForSingleObject(process.Get(), limitMs) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.Get(), &exitCode)) {
    return 99;
  }
  return exitCode;
}

bool WaitUntilGone(const fs::path& path, DWORD limitMs) {
  for (DWORD waited = 0; fs::exists(path) && waited < limitMs; waited += 100) Sleep(100);
  return !fs::exists(path);
}
