#pragma once

// Entries of the theme file: "name":value or "name":"value", separated by commas and optionally
// enclosed in braces. Both the 8-bit and the UTF-16 form run the same algorithm.

// Finds the value of the first entry, between from and end, whose quoted name is name or a
// beginning of it. Returns the value's first unit and its length in *outLength, or null.
const char* FindQuotedValue(int* outLength, const char* name, const char* from, const char* end);
const char16_t* FindQuotedValue(int* outLength, const char16_t* name, const char16_t* from,
                                const char16_t* end);

// Copies the value of name (searching after the first '{' when there is one) into dst: at most
// dstCapacity units, terminated only when shorter. Returns the count copied, 0 when not found.
int GetQuotedValue(char* dst, int dstCapacity, const char* name, const char* text, const char* end);
int GetQuotedValue(char16_t* dst, int dstCapacity, const char16_t* name, const char16_t* text,
                   const char16_t* end);

// Writes "name":"value" (no terminator). valueLength -1 means the value's own length. Returns
// nameLength + valueLength + 5, or 0 when it does not fit or an argument is missing.
int PutQuotedValue(char* out, int outCapacity, const char* name, const char* value,
                   int valueLength);
int PutQuotedValue(char16_t* out, int outCapacity, const char16_t* name, const char16_t* value,
                   int valueLength);
