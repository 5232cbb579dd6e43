#include "product/unregistration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "product/product_key_paths.h"
#include "support/files/filesystem_path.h"
#include "tests/helpers/journal_test_target.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const std::u16string kCompanyKey = u"Software\\Co";
const std::u16string kProductKey = kCompanyKey + u"\\App";
const std::u16string kUninstallKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CoApp";
const std::u16string kName = u"Client";

RegistryValue Text(const std::string& text) {
  return RegistryValue{1, std::vector<uint8_t>(text.begin(), text.end())};
}

// A product registered on the tests' machine: its shortcuts and program group below a temporary
// folder (no Quick Launch folder, as on newer systems), its keys and Run value in the target's
// registry.
class RegisteredProduct {
 public:
  explicit RegisteredProduct(JournalTestTarget& machine) : machine_(machine) {
    places_.productKey = kProductKey;
    places_.uninstallKey = kUninstallKey;
    places_.desktopLink = Make(u"Desktop/Client.lnk");
    places_.startMenuLink = Make(u"Start Menu/Client.lnk");
    Make(u"Programs/Client/Client.lnk");
    Make(u"Programs/Client/Uninstall Client.lnk");
    places_.group = WindowsStylePath(temp_.File(u"Programs/Client/"));
    machine.WriteValue(kProductKey, u"path", Text("C:\\Client\\"));
    machine.WriteValue(kUninstallKey, u"DisplayName", Text("Client"));
    machine.WriteValue(kRunKeyPath, kName, Text("C:\\Client\\client.exe"));
  }

  const RegistrationPlaces& Places() const { return places_; }
  std::u16string GroupFile() const { return places_.group + u"Client.lnk"; }

  // What of the registration is still there, by the names the cases give it.
  std::set<std::string> Left() const {
    std::set<std::string> left;
    RegistryValue run;
    if (machine_.ReadValue(kRunKeyPath, kName, &run)) left.insert("run value");
    if (machine_.PathExists(places_.desktopLink)) left.insert("desktop");
    if (machine_.PathExists(places_.startMenuLink)) left.insert("start menu");
    if (machine_.PathExists(places_.group)) left.insert("group");
    if (machine_.KeyExists(kUninstallKey)) left.insert("uninstall entry");
    if (machine_.KeyExists(kProductKey)) left.insert("product key");
    if (machine_.KeyExists(kCompanyKey)) left.insert("company key");
    return left;
  }

 private:
  std::u16string Make(const std::u16string& name) {
    const std::u16string path = temp_.File(name.c_str());
    fs::create_directories(ToFilesystemPath(path.c_str()).parent_path());
    WriteBytes(ToFilesystemPath(path.c_str()), "shortcut");
    return WindowsStylePath(path);
  }

  JournalTestTarget& machine_;
  TempFolder temp_;
  RegistrationPlaces places_;
};

// Everything goes, and the company key with the product's when that was its last. What cannot go
// is named with the reason, and then the product key stays: the uninstaller, run again, still
// finds the product registered and tries again.
TEST(Unregistration, RemovesTheProductKeyLastAndOnlyOnceEverythingElseIsGone) {
  enum Held { kNothing, kDesktopLink, kGroupFile, kUninstallEntry };
  struct Case {
    const char* name;
    Held held;
    bool otherProduct;  // the company has another product's key
    std::set<std::string> left;
  };
  const Case cases[] = {
      {"nothing held", kNothing, false, {}},
      {"another product of the company", kNothing, true, {"company key"}},
      {"a shortcut held open", kDesktopLink, false, {"desktop", "product key", "company key"}},
      {"a file in the group held open", kGroupFile, false, {"group", "product key", "company key"}},
      {"an uninstall entry that refuses", kUninstallEntry, false,
       {"uninstall entry", "product key", "company key"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JournalTestTarget machine;
    RegisteredProduct product(machine);
    const RegistrationPlaces& places = product.Places();
    const std::u16string group = places.group.substr(0, places.group.size() - 1);
    const std::u16string uninstallEntry = u"HKEY_LOCAL_MACHINE\\" + kUninstallKey;
    const std::u16string held[] = {u"", places.desktopLink, product.GroupFile(), kUninstallKey};
    if (c.held != kNothing) machine.RefuseRemoval(held[c.held]);
    if (c.otherProduct) machine.WriteValue(kCompanyKey + u"\\Other", u"path", Text("D:\\Other"));

    const std::vector<std::u16string> failed = RemoveRegistration(machine, places, kName);
    EXPECT_EQ(product.Left(), c.left);
    if (c.held == kNothing) {
      EXPECT_TRUE(failed.empty());
      continue;
    }
    // Each named as the user is told it, with the reason.
    const std::u16string named[] = {u"", places.desktopLink, group, uninstallEntry};
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0], named[c.held] + u": held by another program");
  }
}

// Cut off before any of its changes, the run leaves the product key whenever anything else of
// the registration is still there; the next run removes the rest.
TEST(Unregistration, CutOffAnywhereItLeavesTheProductKeyUntilTheRestIsGone) {
  int changes = 0;
  {
    JournalTestTarget machine;
    RegisteredProduct product(machine);
    const int before = machine.Operations();
    ASSERT_TRUE(RemoveRegistration(machine, product.Places(), kName).empty());
    changes = machine.Operations() - before;
  }
  ASSERT_GE(changes, 7);
  for (int cut = 0; cut < changes; ++cut) {
    SCOPED_TRACE("cut off after " + std::to_string(cut) + " changes");
    JournalTestTarget machine;
    RegisteredProduct product(machine);
    machine.DieAfter(cut);
    RemoveRegistration(machine, product.Places(), kName);
    machine.Revive();
    const std::set<std::string> left = product.Left();
    if (!left.empty() && left != std::set<std::string>{"company key"}) {
      EXPECT_EQ(left.count("product key"), 1u);
    }
    EXPECT_TRUE(RemoveRegistration(machine, product.Places(), kName).empty());
    EXPECT_TRUE(product.Left().empty());
  }
}

}  // namespace
