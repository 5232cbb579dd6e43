#include "support/text/path_text.h"

#include "support/core/text_length.h"

bool ComposePath(char16_t* out, int capacity, std::initializer_list<const char16_t*> parts) {
  if (out == nullptr || capacity <= 0) return false;
  out[0] = 0;
  int length = 0;
  for (const char16_t* part : parts) {
    if (part == nullptr) return false;
    for (; *part != 0; ++part) {
      if (length + 1 >= capacity) {
        out[0] = 0;
        return false;
      }
      out[length++] = *part;
    }
  }
  out[length] = 0;
  return true;
}

const char16_t* SeparatorAfter(const char16_t* folder) {
  if (folder == nullptr || folder[0] == 0) return u"\\";
  const char16_t last = folder[TextLength(folder) - 1];
  return last == u'\\' || last == u'/' ? u"" : u"\\";
}

bool IsPathSeparator(char16_t unit) { return unit == u'\\' || unit == u'/'; }

std::u16string WithoutTrailingSeparator(std::u16string_view path) {
  if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  return std::u16string(path);
}

std::u16string AsFolderPath(std::u16string_view path) {
  std::u16string folder(path);
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  return folder;
}

std::u16string ParentFolderOf(std::u16string_view path) {
  if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  const size_t last = path.rfind(u'\\');
  return last == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, last + 1));
}
