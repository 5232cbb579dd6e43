#include "support/text/quoted_value_text.h"

#include "support/core/text_length.h"

namespace {

template <typename Unit>
bool IsWhiteSpace(Unit c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

template <typename Unit>
const Unit* SkipWhiteSpace(const Unit* at, const Unit* end) {
  while (at < end && IsWhiteSpace(*at)) ++at;
  return at;
}

// The first unit c at or after at and before end, or null.
template <typename Unit>
const Unit* FindBefore(const Unit* at, const Unit* end, Unit c) {
  for (; at < end && *at != 0; ++at) {
    if (*at == c) return at;
  }
  return nullptr;
}

// A candidate name matches when it is the wanted name or a beginning of it.
template <typename Unit>
bool NameMatches(const Unit* wanted, const Unit* candidate, int candidateLength) {
  for (int i = 0; i < candidateLength; ++i) {
    if (wanted[i] != candidate[i]) return false;
  }
  return true;
}

template <typename Unit>
const Unit* FindQuoted(int* outLength, const Unit* name, const Unit* from, const Unit* end) {
  if (outLength == nullptr || name == nullptr || from == nullptr || end == nullptr) return nullptr;
  const Unit* at = from;
  while (at < end && *at != 0) {
    at = SkipWhiteSpace(at, end);
    if (at >= end || *at != '"') return nullptr;
    const Unit* candidate = at + 1;
    const Unit* candidateEnd = FindBefore(candidate, end, Unit('"'));
    if (candidateEnd == nullptr) return nullptr;
    bool matches = NameMatches(name, candidate, static_cast<int>(candidateEnd - candidate));
    at = SkipWhiteSpace(candidateEnd + 1, end);
    if (at >= end || *at != ':') return nullptr;
    at = SkipWhiteSpace(at + 1, end);

    if (at < end && *at == '"') {
      const Unit* value = at + 1;
      const Unit* valueEnd = FindBefore(value, end, Unit('"'));
      if (valueEnd == nullptr) return nullptr;
      if (matches) {
        *outLength = static_cast<int>(valueEnd - value);
        return value;
      }
      at = SkipWhiteSpace(valueEnd + 1, end);
      if (at >= end || *at != ',') return nullptr;
      ++at;
      continue;
    }

    const Unit* value = at;
    const Unit* comma = FindBefore(value, end, Unit(','));
    const Unit* valueEnd = comma;
    bool endedAtBrace = false;
    if (comma == nullptr) {
      const Unit* brace = FindBefore(value, end, Unit('}'));
      valueEnd = brace;
      endedAtBrace = brace != nullptr;
      if (brace == nullptr) valueEnd = FindBefore(value, end, Unit(0));
      if (valueEnd == nullptr) valueEnd = end;
    }
    if (matches) {
      while (valueEnd > value && IsWhiteSpace(valueEnd[-1])) --valueEnd;
      *outLength = static_cast<int>(valueEnd - value);
      return value;
    }
    if (endedAtBrace || comma == nullptr) return nullptr;
    at = comma + 1;
  }
  return nullptr;
}

template <typename Unit>
int GetQuoted(Unit* dst, int dstCapacity, const Unit* name, const Unit* text, const Unit* end) {
  if (dst == nullptr || dstCapacity <= 0 || text == nullptr) return 0;
  const Unit* brace = FindBefore(text, end, Unit('{'));
  const Unit* from = brace != nullptr ? brace + 1 : text;
  int length = 0;
  const Unit* value = FindQuoted(&length, name, from, end);
  if (value == nullptr) return 0;
  int n = length < dstCapacity ? length : dstCapacity;
  for (int i = 0; i < n; ++i) dst[i] = value[i];
  if (n < dstCapacity) dst[n] = 0;
  return n;
}

template <typename Unit>
int PutQuoted(Unit* out, int outCapacity, const Unit* name, const Unit* value, int valueLength) {
  if (out == nullptr || name == nullptr || value == nullptr) return 0;
  int nameLength = TextLength(name);
  if (nameLength == 0) return 0;
  if (valueLength < 0) valueLength = TextLength(value);
  int total = nameLength + valueLength + 5;
  if (outCapacity < total) return 0;
  Unit* at = out;
  *at++ = '"';
  for (int i = 0; i < nameLength; ++i) *at++ = name[i];
  *at++ = '"';
  *at++ = ':';
  *at++ = '"';
  for (int i = 0; i < valueLength; ++i) *at++ = value[i];
  *at = '"';
  return total;
}

}  // namespace

const char* FindQuotedValue(int* outLength, const char* name, const char* from, const char* end) {
  return FindQuoted(outLength, name, from, end);
}
const char16_t* FindQuotedValue(int* outLength, const char16_t* name, const char16_t* from,
                                const char16_t* end) {
  return FindQuoted(outLength, name, from, end);
}
int GetQuotedValue(char* dst, int dstCapacity, const char* name, const char* text,
                   const char* end) {
  return GetQuoted(dst, dstCapacity, name, text, end);
}
int GetQuotedValue(char16_t* dst, int dstCapacity, const char16_t* name, const char16_t* text,
                   const char16_t* end) {
  return GetQuoted(dst, dstCapacity, name, text, end);
}
int PutQuotedValue(char* out, int outCapacity, const char* name, const char* value,
                   int valueLength) {
  return PutQuoted(out, outCapacity, name, value, valueLength);
}
int PutQuotedValue(char16_t* out, int outCapacity, const char16_t* name, const char16_t* value,
                   int valueLength) {
  return PutQuoted(out, outCapacity, name, value, valueLength);
}
