#include "support/text/file_filter.h"

#include <string>

namespace {

constexpr size_t kMaxExtensionLength = 63;
constexpr char16_t kAllFilesDescription[] = u"All files(*.*)";
constexpr char16_t kAllFilesPattern[] = u"*.*";

// "*.png;*.jpg;" for "png,,jpg".
std::u16string PatternsOf(const std::u16string& extensions) {
  std::u16string patterns;
  size_t start = 0;
  while (start <= extensions.size()) {
    size_t comma = extensions.find(u',', start);
    if (comma == std::u16string::npos) comma = extensions.size();
    size_t length = comma - start;
    if (length > 0) {
      patterns += u"*.";
      patterns +=
          extensions.substr(start, length < kMaxExtensionLength ? length : kMaxExtensionLength);
      patterns += u';';
    }
    start = comma + 1;
  }
  return patterns;
}

}  // namespace

std::u16string BuildFileFilter(const char16_t* extensions) {
  if (extensions == nullptr) return {};
  std::u16string list(extensions);
  std::u16string patterns = PatternsOf(list);
  std::u16string filter;
  if (patterns.empty()) {
    filter = std::u16string(kAllFilesDescription) + u'\0' + kAllFilesPattern;
  } else {
    filter = list + u'(' + patterns + u')' + u'\0' + patterns;
  }
  return filter + u'\0' + u'\0';
}
