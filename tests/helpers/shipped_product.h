#pragma once

#include <windows.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "records/client_info.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"

// A product as a vendor ships it and a person has it installed: a client folder (its client.exe
// is the sleeper helper, so it can run), a configuration of a company and app of this test run
// alone, an installer made by setupkit build with the real uninstaller and updater, and the
// install into a folder by install_headless.exe. Whatever the install registered is removed
// when the object goes.
class ShippedProduct {
 public:
  // moreConfig: further "key=value;" lines of the configuration.
  explicit ShippedProduct(const std::string& moreConfig = "");
  ~ShippedProduct();
  ShippedProduct(const ShippedProduct&) = delete;
  ShippedProduct& operator=(const ShippedProduct&) = delete;

  // Client files by their "/"-separated UTF-8 names, as written into the client folder.
  const std::map<std::string, std::string>& ClientFiles() const { return client_; }
  void WriteClientFile(const std::string& name, const std::string& bytes);
  void RemoveClientFile(const std::string& name);
  std::filesystem::path ClientFolder() const { return temp_.Path() / "client"; }
  std::u16string ConfigFile() const { return temp_.File(u"config.txt"); }

  // setupkit build of the client into Setup(), with the further options given; the record the
  // installer carries then serves the checks below.
  ToolRun Build(const std::vector<std::u16string>& options = {});
  std::u16string Setup() const { return temp_.File(u"setup.exe"); }
  // install_headless.exe of Setup() into Folder(); its exit code, 99 when it did not end.
  DWORD Install() const;
  std::filesystem::path Folder() const { return temp_.Path() / "installed"; }
  const TempFolder& Temp() const { return temp_; }

  const CClientInfo& Record() const { return record_; }
  std::u16string CompanyKey() const { return u"Software\\ProgramsTestCompany"; }
  std::u16string ProductKey() const;
  std::u16string UninstallKey() const;
  // The shortcuts, the program group and the Run value the install makes, by their paths (the
  // Run value as "Run\<name>"), each with whether it is there now.
  std::map<std::u16string, bool> Registration() const;
  // Removes what an install registered, whatever is left of it.
  void Unregister() const;

 private:
  TempFolder temp_;
  std::map<std::string, std::string> client_;
  CClientInfo record_;
};

// Runs program with parameters, hidden, and waits up to limitMs; its exit code, 99 when it did
// not end.
DWORD RunAndWait(const std::u16string& program, const std::u16string& parameters,
                 DWORD limitMs = 120000);

// Waits up to limitMs for path to be gone; true when it is.
bool WaitUntilGone(const std::filesystem::path& path, DWORD limitMs = 20000);
