#include "support/http/fetch_target.h"

namespace {

constexpr size_t kLongestServer = 255;
constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;
constexpr int kLargestPort = 65535;

char16_t LowerAscii(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

bool StartsWithIgnoringCase(const std::u16string& text, const std::u16string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != prefix[i]) return false;
  }
  return true;
}

// The length of url's scheme with its "://" (7 or 8), 0 when it is neither http nor https.
size_t SchemeLength(const std::u16string& url, bool* secure) {
  if (StartsWithIgnoringCase(url, u"http://")) {
    *secure = false;
    return 7;
  }
  if (StartsWithIgnoringCase(url, u"https://")) {
    *secure = true;
    return 8;
  }
  return 0;
}

// Where url's host part ends: at the path, the query or the fragment.
size_t HostPartEnd(const std::u16string& url, size_t start) {
  size_t end = url.find_first_of(u"/?#", start);
  return end == std::u16string::npos ? url.size() : end;
}

bool ReadPort(const std::u16string& digits, int* port) {
  if (digits.empty() || digits.size() > 5) return false;
  int value = 0;
  for (char16_t unit : digits) {
    if (unit < u'0' || unit > u'9') return false;
    value = value * 10 + (unit - u'0');
  }
  if (value == 0 || value > kLargestPort) return false;
  *port = value;
  return true;
}

}  // namespace

bool GetFetchTarget(const std::u16string& url, FetchTarget* target) {
  if (target == nullptr) return false;
  FetchTarget read;
  size_t hostStart = SchemeLength(url, &read.secure);
  if (hostStart == 0) return false;
  size_t hostEnd = HostPartEnd(url, hostStart);
  const std::u16string hostPart = url.substr(hostStart, hostEnd - hostStart);
  if (hostPart.find(u'@') != std::u16string::npos) return false;
  size_t colon = hostPart.find(u':');
  read.server = hostPart.substr(0, colon);
  read.port = read.secure ? kHttpsPort : kHttpPort;
  if (read.server.empty() || read.server.size() > kLongestServer ||
      (colon != std::u16string::npos && !ReadPort(hostPart.substr(colon + 1), &read.port))) {
    return false;
  }
  std::u16string rest = url.substr(hostEnd, url.find(u'#', hostEnd) - hostEnd);
  read.objectPath = rest.empty() || rest[0] != u'/' ? u"/" + rest : rest;
  *target = read;
  return true;
}

bool ResolveRedirect(const std::u16string& url, const std::u16string& location,
                     std::u16string* out) {
  if (out == nullptr) return false;
  out->clear();
  bool secure = false;
  size_t schemeLength = SchemeLength(url, &secure);
  FetchTarget from;
  if (schemeLength == 0 || !GetFetchTarget(url, &from) || location.empty()) return false;
  const std::u16string origin = url.substr(0, HostPartEnd(url, schemeLength));
  std::u16string next;
  if (SchemeLength(location, &secure) != 0) {
    next = location;
  } else if (location.compare(0, 2, u"//") == 0) {
    next = url.substr(0, schemeLength - 2) + location;
  } else if (location[0] == u'/') {
    next = origin + location;
  } else {
    const std::u16string path = from.objectPath.substr(0, from.objectPath.find(u'?'));
    next = origin + path.substr(0, path.rfind(u'/') + 1) + location;
  }
  FetchTarget to;
  if (!GetFetchTarget(next, &to) || (from.secure && !to.secure)) return false;
  *out = next;
  return true;
}
