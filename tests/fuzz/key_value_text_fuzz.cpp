// The key/value scanner of the product configuration and the report body. The input is a key,
// a line feed and the text, one unit per byte.
#include <string>
#include <vector>

#include "support/text/key_value_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr char16_t kSeparator = u'=';
constexpr char16_t kUnset = 0xFFFF;  // no byte becomes this unit

bool IsWhiteSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

// A found value must belong to an entry of that very key: the entry holding it, from the term
// before it (or the text's start) on, is white space, the key, white space and the separator.
void CheckFound(const std::u16string& text, const std::u16string& key, char16_t term,
                const char16_t* next, int length) {
  const char16_t* start = text.c_str();
  FuzzCheck(next != nullptr && next > start && next[-1] == term, "a value ends at a term");
  const char16_t* value = next - 1 - length;
  FuzzCheck(value > start && value[-1] == kSeparator, "a value follows a separator");
  const char16_t* entry = value - 1;
  while (entry > start && entry[-1] != term) --entry;
  while (IsWhiteSpace(*entry)) ++entry;
  FuzzCheck(key.compare(0, key.size(), entry, key.size()) == 0,
            "a value belongs to an entry of its key");
  const char16_t* after = entry + key.size();
  while (IsWhiteSpace(*after)) ++after;
  FuzzCheck(after == value - 1, "the key is whole and its separator the value's");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string key;
  size_t at = 0;
  for (; at < size && data[at] != '\n'; ++at) {
    char16_t unit = data[at];
    // Keys are names: no separator, terminator, white space or zero inside.
    if (unit == 0 || unit == kSeparator || unit == u';' || unit == u'&' || IsWhiteSpace(unit)) {
      return 0;
    }
    key += unit;
  }
  if (key.empty() || at == size) return 0;
  std::u16string text(data + at + 1, data + size);
  for (char16_t term : {u';', u'&'}) {
    // Room for any value whole, so its length tells where it starts.
    std::vector<char16_t> value(text.size() + 1, kUnset);
    int length = -1;
    const char16_t* next = FindKeyValue(value.data(), static_cast<int>(value.size()), &length,
                                        text.c_str(), key.c_str(), kSeparator, term);
    if (value[0] != kUnset) CheckFound(text, key, term, next, length);
  }
  return 0;
}
