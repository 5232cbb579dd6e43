#pragma once
#include <atomic>

#include "records/update_info.h"
#include "records/update_info_trust.h"
#include "support/core/fixed_wstring.h"

class IClientInfo;

// The update list the product publishes, at its "config" URL or, when that fails, its "config2"
// URL: what a download-mode install and the updater follow, and whose digest tells whether the
// installed product is up to date.
struct PublishedList {
  FixedWString<32> digest;  // the MD5 of the list's bytes, 32 upper-case digits
  CUpdateInfo items;        // the list the bytes hold, when readable
  bool readable = false;    // the bytes are an update list
  bool verified = false;    // the program's key signed exactly these bytes
  bool refused = false;     // a list arrived whose signature the program's key refuses
};

// Fetches the list at url, with a query no cache has seen, into list (whose items it appends
// to). With a key carried, the list's signature (SignatureUrlOf) is fetched too, and the list is
// taken only when the key's signature of its exact bytes came with it: anything else leaves
// list's digest and items as they were, sets refused and logs why. False for a null or empty
// url, a failed download or a refused list; a list that arrived but is no list is fetched, not
// readable. stop, when given, abandons the download once set.
bool FetchPublishedListAt(const char16_t* url, const ListKey& key, PublishedList* list,
                          const std::atomic<bool>* stop = nullptr);
// The same at the product's "config" URL, else (it failed or was refused) at its "config2" URL.
bool FetchPublishedList(const IClientInfo& product, const ListKey& key, PublishedList* list,
                        const std::atomic<bool>* stop = nullptr);

// Whether digest is the list digest the product key records ("md5"): the very 32 digits, case
// and all. An unreadable or missing value is no digest.
bool IsRecordedDigest(const IClientInfo& product, const char16_t* digest);

// Each writes the MD5 of the published list, as 32 upper-case digits, into out (kDigestUnits
// units): from config, else config2; from config alone; from config2 alone. False when out is
// null or the list could not be fetched or key refuses it.
bool FetchListDigest(const IClientInfo& product, const ListKey& key, char16_t* out);
bool FetchListDigestFromConfig(const IClientInfo& product, const ListKey& key, char16_t* out);
bool FetchListDigestFromConfig2(const IClientInfo& product, const ListKey& key, char16_t* out);

// True when the published list's digest is not the recorded one, or none is recorded; false
// when no list could be fetched or key refuses it.
bool IsUpdateNeeded(const IClientInfo& product, const ListKey& key);
