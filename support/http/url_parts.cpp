#include "support/http/url_parts.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "support/text/utf8.h"

namespace {

constexpr char16_t kHttp[] = u"http://";
constexpr char16_t kHttps[] = u"https://";
constexpr char16_t kRootPath[] = u"/";
constexpr int kHttpsPort = 443;
constexpr int kDefaultPort = 80;
constexpr int kMaxPort = 65535;

// The rest of s after prefix when s begins with it, else null.
const char16_t* AfterPrefix(const char16_t* s, const char16_t* prefix) {
  for (; *prefix != 0; ++s, ++prefix) {
    if (*s != *prefix) return nullptr;
  }
  return s;
}

const char16_t* AfterScheme(const char16_t* url) {
  if (const char16_t* rest = AfterPrefix(url, kHttp)) return rest;
  if (const char16_t* rest = AfterPrefix(url, kHttps)) return rest;
  return url;
}

// Copies [begin, end) into out; false (out empty) when it needs more than capacity - 1 units.
bool CopyWhole(const char16_t* begin, const char16_t* end, char16_t* out, int capacity) {
  if (capacity <= 0) return false;
  if (end - begin > capacity - 1) {
    out[0] = 0;
    return false;
  }
  int n = 0;
  for (; begin != end; ++begin) out[n++] = *begin;
  out[n] = 0;
  return true;
}

const char16_t* FindUnitOrEnd(const char16_t* text, char16_t unit) {
  while (*text != 0 && *text != unit) ++text;
  return text;
}

}  // namespace

bool IsHttps(const char16_t* url) {
  return url != nullptr && AfterPrefix(url, kHttps) != nullptr;
}

bool GetHostPart(const char16_t* url, char16_t* out, int capacity) {
  if (url == nullptr || out == nullptr || capacity <= 0) return false;
  const char16_t* host = AfterScheme(url);
  const char16_t* end = FindUnitOrEnd(host, u'/');
  int n = 0;
  for (const char16_t* p = host; p != end && n < capacity - 1; ++p) out[n++] = *p;
  out[n] = 0;
  return host + n == end;
}

bool SplitHostPort(const char16_t* hostPart, char16_t* server, int serverCapacity, int* port) {
  if (hostPart == nullptr || server == nullptr || port == nullptr || serverCapacity <= 0) {
    return false;
  }
  const char16_t* colon = FindUnitOrEnd(hostPart, u':');
  if (!CopyWhole(hostPart, colon, server, serverCapacity)) return false;
  if (*colon == 0) {
    *port = kDefaultPort;
    return true;
  }
  int value = 0;
  for (const char16_t* digit = colon + 1; *digit >= u'0' && *digit <= u'9'; ++digit) {
    value = value * 10 + (*digit - u'0');
    if (value > kMaxPort) {
      server[0] = 0;
      return false;
    }
  }
  *port = value;
  return true;
}

bool GetObjectPath(const char16_t* url, char16_t* out, int capacity) {
  if (url == nullptr || out == nullptr || capacity <= 0) return false;
  const char16_t* path = FindUnitOrEnd(AfterScheme(url), u'/');
  if (*path == 0) path = kRootPath;
  const char16_t* end = path;
  while (*end != 0) ++end;
  return CopyWhole(path, end, out, capacity);
}

bool GetRequestTarget(const char16_t* url, RequestTarget* target) {
  if (url == nullptr || target == nullptr) return false;
  char16_t hostPart[kHostPartCapacity];
  if (!GetHostPart(url, hostPart, kHostPartCapacity) ||
      !SplitHostPort(hostPart, target->server, kHostPartCapacity, &target->port) ||
      target->server[0] == 0 ||
      !GetObjectPath(url, target->objectPath, kObjectPathCapacity)) {
    return false;
  }
  if (IsHttps(url)) target->port = kHttpsPort;
  return true;
}

namespace {

// A cut URL would name another resource: nothing rather than a part.
bool TooLong(char16_t* out) {
  out[0] = 0;
  return false;
}

}  // namespace

bool EscapeNonAscii(const char16_t* url, char16_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return false;
  out[0] = 0;
  if (url == nullptr) return false;
  static const char16_t kHex[] = u"0123456789ABCDEF";
  int length = 0;
  for (const char16_t* rest = url; *rest != 0;) {
    if (*rest < 0x80) {
      if (length + 1 >= capacity) return TooLong(out);
      out[length++] = *rest++;
      continue;
    }
    // A run at a time, so a surrogate pair reaches the conversion whole.
    const char16_t* end = rest;
    while (*end >= 0x80) ++end;
    const std::string bytes = Utf16ToUtf8(rest, static_cast<size_t>(end - rest));
    if (length + 3 * static_cast<int>(bytes.size()) >= capacity) return TooLong(out);
    for (const char byte : bytes) {
      const auto unit = static_cast<unsigned char>(byte);
      out[length++] = u'%';
      out[length++] = kHex[unit >> 4];
      out[length++] = kHex[unit & 15];
    }
    rest = end;
  }
  out[length] = 0;
  return true;
}

std::u16string EscapedPathSegment(const std::u16string& name) {
  static const char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string escaped;
  for (const char byte : Utf16ToUtf8(name.c_str(), name.size())) {
    const auto unit = static_cast<unsigned char>(byte);
    const bool unreserved = (unit >= 'a' && unit <= 'z') || (unit >= 'A' && unit <= 'Z') ||
                            (unit >= '0' && unit <= '9') || unit == '-' || unit == '.' ||
                            unit == '_' || unit == '~';
    if (unreserved) {
      escaped += static_cast<char16_t>(unit);
    } else {
      escaped += {u'%', kHex[unit >> 4], kHex[unit & 15]};
    }
  }
  return escaped;
}

bool MakeUncachedUrl(const char16_t* url, FixedWString<1024>* out) {
  out->Clear();
  if (url == nullptr) return false;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  char query[32];
  const int length = std::snprintf(query, sizeof(query), "?ts=800%d", std::rand());
  char16_t units[32] = {};
  for (int i = 0; i < length; ++i) units[i] = static_cast<char16_t>(query[i]);
  char16_t escaped[FixedWString<1024>::kCapacity];
  if (!EscapeNonAscii(url, escaped, FixedWString<1024>::kCapacity)) return false;
  out->Assign(escaped);
  if (out->Length() + length > FixedWString<1024>::kMaxLength) {
    out->Clear();
    return false;
  }
  out->Append(units, length);
  return true;
}
