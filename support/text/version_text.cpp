#include "support/text/version_text.h"

namespace {

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// One part of a version: its digits without leading zeros.
struct Part {
  const char16_t* digits;
  int length;
};

// The part at text (advanced past it and past the dot that follows); at the end, the zero part.
Part NextPart(const char16_t*& text) {
  while (*text == u'0' && IsDigit(text[1])) ++text;
  Part part{text, 0};
  while (IsDigit(text[part.length])) ++part.length;
  text += part.length;
  if (*text == u'.') ++text;
  if (part.length == 1 && part.digits[0] == u'0') part.length = 0;
  return part;
}

// -1, 0 or 1 as a is below, equal to or above b: more digits is larger, else the first digit
// that differs decides.
int ComparePart(const Part& a, const Part& b) {
  if (a.length != b.length) return a.length < b.length ? -1 : 1;
  for (int i = 0; i < a.length; ++i) {
    if (a.digits[i] != b.digits[i]) return a.digits[i] < b.digits[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace

bool IsVersionText(const char16_t* text) {
  if (text == nullptr) return false;
  for (;;) {
    if (!IsDigit(*text)) return false;
    while (IsDigit(*text)) ++text;
    if (*text == 0) return true;
    if (*text++ != u'.') return false;
  }
}

VersionOrder CompareVersionTexts(const char16_t* first, const char16_t* second) {
  if (!IsVersionText(first) || !IsVersionText(second)) return VersionOrder::kIncomparable;
  while (*first != 0 || *second != 0) {
    int order = ComparePart(NextPart(first), NextPart(second));
    if (order != 0) return order < 0 ? VersionOrder::kOlder : VersionOrder::kNewer;
  }
  return VersionOrder::kSame;
}
