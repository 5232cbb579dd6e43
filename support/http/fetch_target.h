#pragma once

#include <string>

// Where a GET goes, and where a redirect sends it next. A download is only ever an "http://" or
// "https://" URL (the scheme in any letter case); the port is the one the URL names, or the
// scheme's own (80, 443).

struct FetchTarget {
  bool secure = false;  // https: the connection is encrypted and its certificate verified
  std::u16string server;
  int port = 0;
  std::u16string objectPath;  // path and query, from the "/" on; "/" when the URL has none
};

// False for a URL of another or no scheme, with an empty host, a host of more than 255
// characters, credentials ("user@host"), or a port that is not a number from 1 to 65535. A
// fragment ("#...") is not part of the request and is left out.
bool GetFetchTarget(const std::u16string& url, FetchTarget* target);

// The URL a redirect's Location leads to from url: an absolute http or https URL as it is, one
// beginning with "//" under url's scheme, one beginning with "/" on url's server and port, any
// other beside the last "/" of url's path. False, with out empty, when url cannot be fetched,
// when the result could not be, or when it would lead from https to http: a transfer whose
// server proved who it is never goes on to one that cannot.
bool ResolveRedirect(const std::u16string& url, const std::u16string& location,
                     std::u16string* out);
