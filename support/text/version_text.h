#pragma once

// Versions written as dotted decimal numbers ("1.2.0.0"), compared part by part as numbers.
// A version text is one or more parts separated by single dots, each part one or more decimal
// digits and nothing else (no sign, space or letter); parts may be of any length, and leading
// zeros do not count ("1.02" is "1.2"). A shorter version counts as followed by zero parts, so
// "1.2" and "1.2.0.0" are the same version and "1.2.0.1" is newer than both.

enum class VersionOrder {
  kOlder,         // the first is older than the second
  kSame,          // the same version
  kNewer,         // the first is newer than the second
  kIncomparable,  // either text is not a version (empty, "1.2-beta", "v2", "1..2", null)
};

bool IsVersionText(const char16_t* text);

VersionOrder CompareVersionTexts(const char16_t* first, const char16_t* second);
