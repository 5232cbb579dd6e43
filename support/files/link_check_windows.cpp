#include "support/files/link_check.h"

#include <windows.h>

#include <string>

#include "support/core/wide_text.h"

bool CrossesLink(const char16_t* folder, const char16_t* path) {
  if (folder == nullptr || path == nullptr) return true;
  const std::u16string full(path);
  size_t at = std::char_traits<char16_t>::length(folder);
  if (at == 0 || full.size() < at) return true;
  if (at < full.size() && full[at] == u'\\') ++at;
  while (at < full.size()) {
    size_t end = full.find(u'\\', at);
    if (end == std::u16string::npos) end = full.size();
    const std::u16string part = full.substr(0, end);
    const DWORD attributes = GetFileAttributesW(AsWide(part.c_str()));
    // Below a part that is not there, nothing is.
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    at = end + 1;
  }
  return false;
}
