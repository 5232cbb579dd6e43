#include "support/text/key_value_text.h"

#include "support/core/text_length.h"

namespace {

bool IsWhiteSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

const char16_t* FindUnit(const char16_t* text, char16_t unit) {
  for (; *text != 0; ++text) {
    if (*text == unit) return text;
  }
  return nullptr;
}

const char16_t* FindText(const char16_t* text, const char16_t* key, int keyLength) {
  for (; *text != 0; ++text) {
    int i = 0;
    while (i < keyLength && text[i] == key[i]) ++i;
    if (i == keyLength) return text;
  }
  return nullptr;
}

// An entry starts at the start of the text or after a terminator, with white space between
// entries allowed. Text inside another entry's value never counts, though it may follow a
// separator or a space there.
bool StartsEntry(const char16_t* text, const char16_t* at, char16_t term) {
  while (at > text && IsWhiteSpace(at[-1])) --at;
  return at == text || at[-1] == term;
}

}  // namespace

const char16_t* FindKeyValue(char16_t* dst, int dstCapacity, int* outLength, const char16_t* text,
                             const char16_t* key, char16_t sep, char16_t term) {
  if (outLength != nullptr) *outLength = 0;
  if (dst == nullptr || text == nullptr || key == nullptr || sep == 0 || term == 0) return nullptr;
  int keyLength = TextLength(key);
  if (keyLength == 0) return text;

  const char16_t* searchStart = text;
  while (const char16_t* match = FindText(searchStart, key, keyLength)) {
    const char16_t* after = match + keyLength;
    // Only white space may stand between the key and its separator: a separator further on
    // belongs to some later entry.
    const char16_t* sepAt = after;
    while (IsWhiteSpace(*sepAt)) ++sepAt;
    if (StartsEntry(text, match, term) && *sepAt == sep) {
      const char16_t* termAt = FindUnit(sepAt + 1, term);
      if (termAt != nullptr) {
        const char16_t* value = sepAt + 1;
        int length = static_cast<int>(termAt - value);
        if (dstCapacity <= 0) {
          length = 0;
        } else if (length > dstCapacity - 1) {
          length = dstCapacity - 1;
        }
        if (dstCapacity > 0) {
          for (int i = 0; i < length; ++i) dst[i] = value[i];
          dst[length] = 0;
        }
        if (outLength != nullptr) *outLength = length;
        return termAt + 1;
      }
    }
    searchStart = after;
  }
  return searchStart;
}

int PutKeyValue(char16_t* out, int outCapacity, const char16_t* key, const char16_t* value,
                int valueLength, char16_t sep, char16_t term) {
  if (out == nullptr || outCapacity <= 0 || key == nullptr || value == nullptr) return 0;
  int keyLength = TextLength(key);
  if (keyLength == 0) return 0;
  if (valueLength < 0) valueLength = TextLength(value);
  int total = keyLength + valueLength + 2;
  if (outCapacity < total) return 0;
  char16_t* at = out;
  for (int i = 0; i < keyLength; ++i) *at++ = key[i];
  *at++ = sep;
  for (int i = 0; i < valueLength; ++i) *at++ = value[i];
  *at = term;
  return total;
}
