#pragma once

#include <string>
#include <string_view>

#include "records/language.h"

// A vendor's language file: UTF-8 text (a BOM allowed), one "key=text" line per key of the
// language table, and one line "language=CODE". Lines end in LF or CR LF; blank lines and lines
// starting with "#" are passed over; in a text "\n" is a line break and "\\" a backslash (any
// other backslash stays as it is). Every key must be there once, and a text may hold only the
// parts in braces that the key's Chinese text names.

// The largest language file read: every text of the table is far smaller.
constexpr size_t kLargestLanguageFile = 1 << 20;

// Why a language file was refused: the line (from 1; the line after the last for what is
// missing; 0 for the file as a whole), the key the line gives or the key that is missing (empty
// when the line has none), and the reason.
struct LanguageFileProblem {
  int line = 0;
  std::string key;
  std::string reason;

  // "line 7, key switches.refused: <reason>", for a message that names the file before it.
  std::string Describe() const;
};

// Reads bytes as a language file into language (its code and one text per TextKey). False, with
// problem saying where and why and language left as it was, for a file this refuses.
bool ReadLanguageFile(std::string_view bytes, Language& language, LanguageFileProblem& problem);

// Whether code can name a language: letters and digits in parts joined by "-" ("de", "de-AT",
// "zh-Hans-CN"), starting with a letter, at most 32 characters.
bool IsLanguageCode(std::string_view code);

// language as a language file ReadLanguageFile reads back the same, with a heading of comment
// lines: what a vendor starts a translation from.
std::string WriteLanguageFile(const Language& language);
