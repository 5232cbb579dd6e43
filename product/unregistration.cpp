#include "product/unregistration.h"

#include "product/product_key_paths.h"
#include "support/journal/journal_target.h"
#include "support/system/run_log.h"
#include "support/text/path_text.h"

namespace {

// A key as the user and the log are told it.
std::u16string KeyText(const std::u16string& key) { return u"HKEY_LOCAL_MACHINE\\" + key; }

std::u16string ParentKey(const std::u16string& key) {
  const size_t last = key.rfind(u'\\');
  return last == std::u16string::npos ? std::u16string() : key.substr(0, last);
}

// Removes what is there, one place at a time, and keeps account of what could not go.
class Removal {
 public:
  explicit Removal(IJournalTarget& machine) : machine_(machine) {}

  void Value(const std::u16string& key, const std::u16string& name) {
    RegistryValue value;
    if (machine_.ReadValue(key, name, &value)) {
      Account(machine_.DeleteValue(key, name), KeyText(key) + u"\\" + name);
    }
  }
  void File(const std::u16string& path) {
    if (!path.empty() && machine_.PathExists(path)) Account(machine_.RemoveFile(path), path);
  }
  void Folder(const std::u16string& path) {
    const std::u16string bare = WithoutTrailingSeparator(path);
    if (!bare.empty() && machine_.PathExists(bare)) Account(machine_.RemoveTree(bare), bare);
  }
  void Key(const std::u16string& key) {
    if (machine_.KeyExists(key)) Account(machine_.RemoveKey(key), KeyText(key));
  }
  // A key that still holds something, another product's key say, stays: it is no failure.
  void KeyWhenEmpty(const std::u16string& key) {
    if (!key.empty() && machine_.KeyExists(key) && machine_.RemoveEmptyKey(key)) {
      LogLine(u"removed: " + KeyText(key));
    }
  }

  const std::vector<std::u16string>& Left() const { return left_; }

 private:
  void Account(bool removed, const std::u16string& place) {
    if (removed) {
      LogLine(u"removed: " + place);
      return;
    }
    left_.push_back(place + u": " + machine_.LastError());
    LogLine(u"not removed: " + left_.back());
  }

  IJournalTarget& machine_;
  std::vector<std::u16string> left_;
};

}  // namespace

std::vector<std::u16string> RemoveRegistration(IJournalTarget& machine,
                                               const RegistrationPlaces& places,
                                               const std::u16string& runValue) {
  Removal removal(machine);
  if (!runValue.empty()) removal.Value(kRunKeyPath, runValue);
  removal.File(places.desktopLink);
  removal.File(places.startMenuLink);
  removal.File(places.quickLaunchLink);
  removal.Folder(places.group);
  removal.Key(places.uninstallKey);
  if (!removal.Left().empty()) return removal.Left();
  removal.Key(places.productKey);
  if (removal.Left().empty()) removal.KeyWhenEmpty(ParentKey(places.productKey));
  return removal.Left();
}
