#pragma once

#include <string>
#include <string_view>

// In-place ASCII case folding, searches and ordinal comparison over UTF-16 text. A count of -1 means the whole
// zero-terminated text.

// Folds 'A'..'Z' (or 'a'..'z') only, stopping at a zero unit or after n units. Returns how many
// of the n units were left unprocessed (0 when all were, for null text and for n = 0).
int ToLowerAscii(char16_t* text, int n);
int ToUpperAscii(char16_t* text, int n);

// The last occurrence of unit among the first n units, or null.
const char16_t* FindLastChar(const char16_t* text, char16_t unit, int n);
char16_t* FindLastChar(char16_t* text, char16_t unit, int n);

// True when part occurs in text, compared unit by unit (case matters). Null texts contain nothing.
bool ContainsUnits(const char16_t* text, const char16_t* part);

// Ordinal comparison, unit by unit, of two terminated texts: below 0, 0 or above 0 as a sorts
// before, with or after b. Null sorts as the empty text.
int CompareUnits(const char16_t* a, const char16_t* b);

// A copy of text with 'A'..'Z' folded to lower case: the key under which Windows, which compares
// names without regard to case, takes two names for one (for ASCII letters).
std::u16string FoldedAscii(std::u16string_view text);

// True when a and b are the same text but for the case of ASCII letters.
bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b);
