#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A product configuration as a vendor writes it: text in UTF-8 (with or without its mark) or in
// UTF-16 with its mark, one "key=value;" entry a line, blank lines allowed.

// One entry. The key is trimmed of white space; the value is everything between the first "="
// and the ";" that ends the line, kept as written.
struct VendorEntry {
  int line;
  std::u16string key;
  std::u16string value;
};

// Decodes the bytes to UTF-16. False, with the reason in problem, for malformed UTF-8, odd-sized
// UTF-16 or UTF-32.
bool DecodeVendorText(const uint8_t* bytes, uint32_t n, std::u16string& text, std::string& problem);

// Splits text into entries. False, with problem naming the line, at the first line that is not
// blank and not "key=value;" (white space around it allowed).
bool SplitVendorEntries(const std::u16string& text, std::vector<VendorEntry>& entries,
                        std::string& problem);
