#include "support/files/entry_path.h"

#include "support/core/text_length.h"
#include "support/text/path_text.h"

namespace {

bool IsForbiddenInName(char16_t unit) {
  return unit < 0x20 || unit == u':' || unit == u'*' || unit == u'?' || unit == u'"' ||
         unit == u'<' || unit == u'>' || unit == u'|';
}

char16_t UpperAscii(char16_t unit) { return unit >= u'a' && unit <= u'z' ? unit - 32 : unit; }

bool SameIgnoringAsciiCase(const char16_t* text, int n, const char* name) {
  int i = 0;
  for (; i < n && name[i] != 0; ++i) {
    if (UpperAscii(text[i]) != static_cast<char16_t>(name[i])) return false;
  }
  return i == n && name[i] == 0;
}

// Windows opens these devices in place of a file of that name in any folder, whatever the
// extension.
bool IsDeviceName(const char16_t* segment, int n) {
  int base = 0;
  while (base < n && segment[base] != u'.') ++base;
  while (base > 0 && segment[base - 1] == u' ') --base;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (SameIgnoringAsciiCase(segment, base, device)) return true;
  }
  if (base == 4 && segment[3] >= u'1' && segment[3] <= u'9') {
    return SameIgnoringAsciiCase(segment, 3, "COM") || SameIgnoringAsciiCase(segment, 3, "LPT");
  }
  return false;
}

bool IsAcceptableSegment(const char16_t* segment, int n) {
  if (n == 0) return false;
  for (int i = 0; i < n; ++i) {
    if (IsForbiddenInName(segment[i])) return false;
  }
  char16_t last = segment[n - 1];
  return last != u'.' && last != u' ' && !IsDeviceName(segment, n);
}

}  // namespace

bool JoinEntryPath(const char16_t* folder, const char16_t* entry, char16_t* out) {
  if (out == nullptr) return false;
  out[0] = 0;
  if (folder == nullptr || entry == nullptr || folder[0] == 0 || entry[0] == 0) return false;
  if (!ComposePath(out, kPathCapacity, {folder, SeparatorAfter(folder)})) return false;
  int length = TextLength(out);

  const char16_t* segment = entry;
  for (const char16_t* unit = entry;; ++unit) {
    if (*unit != 0 && !IsPathSeparator(*unit)) continue;
    int n = static_cast<int>(unit - segment);
    bool trailingSeparator = *unit == 0 && n == 0 && unit != entry;
    if (!trailingSeparator) {
      // Room for the segment, a separator and the terminator.
      if (!IsAcceptableSegment(segment, n) || length + n + (*unit != 0) >= kPathCapacity) {
        out[0] = 0;
        return false;
      }
      for (int i = 0; i < n; ++i) out[length++] = segment[i];
      if (*unit != 0) out[length++] = u'\\';
    }
    if (*unit == 0) break;
    segment = unit + 1;
  }
  out[length] = 0;
  return true;
}

bool IsPlainName(const char16_t* name) {
  if (name == nullptr) return false;
  int n = 0;
  for (; name[n] != 0; ++n) {
    if (IsPathSeparator(name[n])) return false;
  }
  return IsAcceptableSegment(name, n);
}
