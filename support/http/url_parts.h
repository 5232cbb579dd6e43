#pragma once

#include <string>

#include "support/core/fixed_wstring.h"

// Splitting a request URL ("http://host:port/path?query") into what a connection needs. Only
// "http://" or "https://" at the very start counts as a scheme, so a URL carried in the query
// ("https://a/?next=http://b") never changes the host; a URL without a scheme is read as host and
// path.

constexpr int kHostPartCapacity = 256;     // 255 characters and the terminator
constexpr int kObjectPathCapacity = 2048;  // 2,047 characters and the terminator

// True when url begins with "https://" (case-sensitive).
bool IsHttps(const char16_t* url);

// Copies the host and optional port (from after the scheme to the first "/") into out, cut to
// capacity - 1 units and terminated. True when the whole host part fit.
bool GetHostPart(const char16_t* url, char16_t* out, int capacity);

// Splits a host part at its first ":" into the server name and the port: the decimal digits after
// the colon (0 when there are none; WinINet then uses the service's default), 80 without a
// colon. False, with server empty, when the name does not fit in serverCapacity - 1 units or the
// port is above 65535.
bool SplitHostPort(const char16_t* hostPart, char16_t* server, int serverCapacity, int* port);

// Copies the path and query (from the first "/" after the host to the end) into out, or "/" when
// the URL has none. False, with out empty, when it does not fit in capacity - 1 units.
bool GetObjectPath(const char16_t* url, char16_t* out, int capacity);

// Where one request goes. An https URL always goes to port 443, whatever port it names.
struct RequestTarget {
  char16_t server[kHostPartCapacity];
  int port;
  char16_t objectPath[kObjectPathCapacity];
};

// False when a part does not fit (a cut host or path would name another resource), the port is
// out of range or the server name is empty.
bool GetRequestTarget(const char16_t* url, RequestTarget* target);

// Writes url into out with every character past ASCII as the percent-encoded bytes of its UTF-8
// ("/资" becomes "/%E8%B5%84"), the form a server reads the same whatever the sender's code page;
// ASCII, "%" included, is left as it is. False, with out empty, when the result does not fit in
// capacity - 1 units.
bool EscapeNonAscii(const char16_t* url, char16_t* out, int capacity);

// name as one segment of a URL's path: each byte of its UTF-8 but the unreserved characters
// (ASCII letters and digits, "-", ".", "_", "~") as "%" and two upper-case hexadecimal digits,
// so that any server, static ones and object stores alike, finds the file of exactly that name
// ("a b#1+.txt" becomes "a%20b%231%2B.txt"; "/" too is escaped).
std::u16string EscapedPathSegment(const std::u16string& name);

// The URL to request url with: escaped as EscapeNonAscii does, followed by a query no cache on
// the way has seen ("?ts=800" and a random number), so every fetch reaches the server. False,
// with out empty, when that does not fit in out's capacity: a URL cut short fetches something
// else.
bool MakeUncachedUrl(const char16_t* url, FixedWString<1024>* out);
