#include "support/text/ascii_text.h"

#include <algorithm>

#include "support/core/text_length.h"

namespace {

template <char16_t From, char16_t To>
int FoldAscii(char16_t* text, int n) {
  if (text == nullptr || n == 0) return 0;
  int processed = 0;
  for (; (n < 0 || processed < n) && text[processed] != 0; ++processed) {
    char16_t c = text[processed];
    if (c >= From && c <= From + 25) text[processed] = static_cast<char16_t>(c - From + To);
  }
  return n < 0 ? 0 : n - processed;
}

char16_t FoldedUnit(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
}

}  // namespace

int ToLowerAscii(char16_t* text, int n) { return FoldAscii<u'A', u'a'>(text, n); }

int ToUpperAscii(char16_t* text, int n) { return FoldAscii<u'a', u'A'>(text, n); }

const char16_t* FindLastChar(const char16_t* text, char16_t unit, int n) {
  if (text == nullptr || n == 0) return nullptr;
  if (n < 0) n = TextLength(text);
  for (int i = n - 1; i >= 0; --i) {
    if (text[i] == unit) return text + i;
  }
  return nullptr;
}

char16_t* FindLastChar(char16_t* text, char16_t unit, int n) {
  return const_cast<char16_t*>(FindLastChar(static_cast<const char16_t*>(text), unit, n));
}

bool ContainsUnits(const char16_t* text, const char16_t* part) {
  if (text == nullptr || part == nullptr) return false;
  for (; *text != 0; ++text) {
    int i = 0;
    while (part[i] != 0 && text[i] == part[i]) ++i;
    if (part[i] == 0) return true;
  }
  return part[0] == 0;
}

int CompareUnits(const char16_t* a, const char16_t* b) {
  if (a == nullptr) a = u"";
  if (b == nullptr) b = u"";
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return static_cast<int>(*a) - static_cast<int>(*b);
}

std::u16string FoldedAscii(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& unit : folded) unit = FoldedUnit(unit);
  return folded;
}

bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return FoldedUnit(x) == FoldedUnit(y);
         });
}
