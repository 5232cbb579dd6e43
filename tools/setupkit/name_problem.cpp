#include "tools/setupkit/name_problem.h"

#include "support/files/entry_path.h"

namespace {

constexpr char16_t kForbidden[] = u"*?\"<>|";

}  // namespace

std::string NameProblem(const std::u16string& name) {
  // The zero would end the name early for the check below.
  if (name.find(u'\0') != std::u16string::npos) return "holds a zero character";
  if (IsPlainName(name.c_str())) return "";
  if (name.empty()) return "is empty";
  if (name == u"." || name == u"..") {
    return "is \"" + std::string(name.begin(), name.end()) +
           "\", a step in a path rather than a name";
  }
  if (name.find_first_of(u"/\\") != std::u16string::npos) {
    return "holds a path separator (\"/\" or \"\\\")";
  }
  if (name.find(u':') != std::u16string::npos) {
    return "holds \":\", which Windows reads as a drive or a stream";
  }
  for (char16_t unit : name) {
    if (unit < 0x20) return "holds a control character";
    if (std::u16string(kForbidden).find(unit) != std::u16string::npos) {
      return "holds \"" + std::string(1, static_cast<char>(unit)) +
             "\", which Windows forbids in names";
    }
  }
  if (name.back() == u'.' || name.back() == u' ') {
    return "ends in a dot or a space, which Windows drops";
  }
  return "is a device name, which Windows opens in place of a file";
}
