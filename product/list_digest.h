#pragma once

class CInternet;
class IClientInfo;

// The published update list of the product, at its "config" URL or, when that fails, its
// "config2" URL: its MD5, and whether it differs from the one the installed product recorded.

// Downloads the update list published at url, with a query no cache has seen, into internet.
// False for a null or empty url or a failed download.
bool DownloadUpdateList(const char16_t* url, CInternet& internet);

// Each writes the MD5 of the list, as 32 upper-case digits, into out (kDigestUnits units).
// False when out is null or the list could not be fetched.
bool FetchListDigest(const IClientInfo& product, char16_t* out);
bool FetchListDigestFromConfig(const IClientInfo& product, char16_t* out);
bool FetchListDigestFromConfig2(const IClientInfo& product, char16_t* out);

// True when the published list's digest differs from the product key's "md5" (compared case
// by case), or when none is recorded; false when no list could be fetched.
bool IsUpdateNeeded(const IClientInfo& product);
