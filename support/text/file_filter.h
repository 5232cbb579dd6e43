#pragma once

#include <string>

// The open-file dialog's filter for a comma-separated list of extensions without dots ("png,jpg"):
// one entry described as the list followed by its patterns in parentheses, "png,jpg(*.png;*.jpg;)",
// matching "*.png;*.jpg;". Empty items are skipped and each extension is cut to 63 units; a list
// that names no extension gives "All files(*.*)" matching "*.*". The filter is a run of
// zero-terminated texts ended by one more zero, all of them inside the returned string. Empty for
// a null list.
std::u16string BuildFileFilter(const char16_t* extensions);
