#pragma once

// Text made of entries "key<sep>value<term>": the product configuration uses '=' and ';', the
// install report body '=' and '&'.

// Finds the entry of key and copies its value (untrimmed, cut to dstCapacity - 1 units) into
// dst. A key only matches where an entry starts (the text's start, or after term and any white
// space) and when white space alone stands between it and sep, so "config" never matches inside
// "config2" nor inside another entry's value. Returns the position after the entry's term; when the key is
// absent, the position where the last search started, with dst untouched and *outLength 0. Null
// arguments or a zero sep or term give null.
const char16_t* FindKeyValue(char16_t* dst, int dstCapacity, int* outLength, const char16_t* text,
                             const char16_t* key, char16_t sep, char16_t term);

// Writes key, sep, value and term (no terminator). valueLength -1 means the value's own length.
// Returns keyLength + valueLength + 2, or 0 (writing nothing) when that does not fit.
int PutKeyValue(char16_t* out, int outCapacity, const char16_t* key, const char16_t* value,
                int valueLength, char16_t sep, char16_t term);
