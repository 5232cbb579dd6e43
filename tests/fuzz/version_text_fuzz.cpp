// The comparison of version texts, as an updater compares a published list's version with the
// installed one. The input is two texts in UTF-16LE, separated by a zero unit.
#include <algorithm>
#include <string>
#include <vector>

#include "support/text/version_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

VersionOrder Reversed(VersionOrder order) {
  if (order == VersionOrder::kOlder) return VersionOrder::kNewer;
  if (order == VersionOrder::kNewer) return VersionOrder::kOlder;
  return order;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char16_t> units = Utf16Units(data, size);
  auto zero = std::find(units.begin(), units.end(), u'\0');
  const std::u16string first(units.begin(), zero);
  const std::u16string second(zero == units.end() - 1 ? zero : zero + 1, units.end() - 1);
  const char16_t* a = first.c_str();
  const char16_t* b = second.c_str();
  VersionOrder order = CompareVersionTexts(a, b);
  FuzzCheck(Reversed(order) == CompareVersionTexts(b, a), "the comparison is antisymmetric");
  FuzzCheck((order == VersionOrder::kIncomparable) == !(IsVersionText(a) && IsVersionText(b)),
            "only versions compare");
  if (IsVersionText(a)) {
    FuzzCheck(CompareVersionTexts(a, a) == VersionOrder::kSame, "a version is itself");
    FuzzCheck(CompareVersionTexts((first + u".0").c_str(), a) == VersionOrder::kSame,
              "a zero part added changes nothing");
    FuzzCheck(CompareVersionTexts((first + u".1").c_str(), a) == VersionOrder::kNewer,
              "a part added above zero is newer");
  }
  return 0;
}
