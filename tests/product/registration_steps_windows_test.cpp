#include "product/registration_steps.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "product/product_registration.h"
#include "records/client_info.h"
#include "records/uninst_info.h"
#include "support/core/wide_text.h"
#include "support/journal/journal_target_windows.h"
#include "tests/helpers/committed_registration.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Everything the registration of product may have touched: each value of its keys and Run value
// with its type and bytes, and each shortcut file with its bytes.
std::map<std::u16string, std::string> RegistrationState(const IClientInfo& product) {
  std::map<std::u16string, std::string> state;
  RegistrationPlaces places;
  if (!FindRegistrationPlaces(product, &places)) return state;
  CWindowsJournalTarget registry;
  const char16_t* names[] = {u"version", u"path", u"md5", u"main", u"DisplayName",
                             u"DisplayVersion", u"Publisher", u"DisplayIcon", u"UninstallString"};
  for (const std::u16string& key : {places.productKey, places.uninstallKey}) {
    state[key] = KeyExists(key) ? "key" : "no key";
    for (const char16_t* name : names) {
      RegistryValue value;
      if (registry.ReadValue(key, name, &value)) {
        state[key + u"\\" + name] =
            std::to_string(value.type) + std::string(value.bytes.begin(), value.bytes.end());
      }
    }
  }
  RegistryValue run;
  if (registry.ReadValue(u"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                         product.GetName().Units(), &run)) {
    state[u"run"] = std::string(run.bytes.begin(), run.bytes.end());
  }
  for (const std::u16string& link : {places.desktopLink, places.startMenuLink}) {
    if (fs::exists(fs::path(link))) state[link] = ReadBytes(fs::path(link));
  }
  state[u"group"] = fs::exists(fs::path(places.group)) ? "group" : "no group";
  return state;
}

// An install's registration as one journal: committed it is the product's registration;
// rolled back it leaves exactly what was there, an older version's registration or nothing.
TEST(RegistrationSteps, RollbackLeavesTheRegistrationThatWasThere) {
  struct Case {
    const char* name;
    bool olderVersionRegistered;
    bool commit;
  };
  const Case cases[] = {
      {"fresh install, rolled back", false, false},
      {"upgrade, rolled back", true, false},
      {"upgrade, committed", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    WriteBytes(folder.Path() / "client.exe", "client");
    WriteBytes(folder.Path() / "unins000.exe", "uninstaller");
    CClientInfo product;
    product.SetCompany(UniqueName(u"JournalCompany").c_str());
    product.SetApp(u"App");
    product.SetName(UniqueName(u"\u5BA2\u6237\u7AEF").c_str());
    product.SetClientFile(u"client.exe");
    product.SetUninstallerFile(u"unins000.exe");
    product.SetInstallFolder((folder.Path().u16string() + u"\\").c_str());
    product.SetMainFile(u"client.exe");
    if (c.olderVersionRegistered) {
      product.SetVersion(u"1.0.0.0");
      ASSERT_TRUE(RegisterCommitted(product, CUninstInfo()));
    }
    const auto before = RegistrationState(product);
    product.SetVersion(u"2.0.0.0");
    product.SetDigest(u"0123456789ABCDEF0123456789ABCDEF");

    CWindowsJournalTarget target;
    CChangeJournal journal(target);
    ASSERT_TRUE(journal.Begin(folder.Path().u16string() + u"\\", u"install.journal"));
    ASSERT_TRUE(RegisterThrough(journal, product, CUninstInfo(), true, true))
        << std::string(journal.Failure().begin(), journal.Failure().end());
    const auto registered = RegistrationState(product);
    EXPECT_NE(registered, before);
    EXPECT_EQ(registered.count(u"run"), 1u);
    if (c.commit) {
      ASSERT_TRUE(journal.Commit());
      EXPECT_EQ(RegistrationState(product), registered);
    } else {
      EXPECT_TRUE(journal.Rollback().Whole());
      EXPECT_EQ(RegistrationState(product), before);
      EXPECT_EQ(KeyExists(u"Software\\" + std::u16string(product.GetCompany().Units())),
                c.olderVersionRegistered)
          << "the company key the install made goes too";
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 2)
        << "no journal, staging or backup file is left";
    Unregister(product);
    const std::u16string company = u"Software\\" + std::u16string(product.GetCompany().Units());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, AsWide(company.c_str()));
  }
}

// Names come from the configuration: none may lead a shortcut out of its folder, least of all the
// group's, which the uninstall removes with everything in it.
TEST(RegistrationSteps, NoPlacesForNamesThatLeaveTheirFolder) {
  const char16_t* names[] = {u"", u"..", u"..\\..", u"..\\escape", u"C:\\escape", u"a:b"};
  for (const char16_t* name : names) {
    SCOPED_TRACE(std::u16string(name).size());
    CClientInfo product;
    product.SetCompany(u"Company");
    product.SetApp(u"App");
    product.SetName(name);
    RegistrationPlaces places;
    EXPECT_FALSE(FindRegistrationPlaces(product, &places));
  }
}

}  // namespace
