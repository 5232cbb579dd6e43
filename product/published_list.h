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
  ListTrust trust;          // how MayFollowPublishedList judged the last list that arrived
  bool refused = false;     // a list arrived whose signature the program's key refuses
};

// Takes size bytes that arrived from url into list (a fresh one, or one only refused lists were
// taken into) when MayFollowPublishedList follows them, with signature (how the program's key
// judges their signature) and floorVersion (the version a signed list may not be older than;
// null or empty: none). Its verdict goes to list's trust. A list whose signature is refused is
// not kept and sets refused; one whose version is refused keeps its items, to tell which version
// it names; both refusals are logged with their reason and return false. Bytes that are no list
// are taken, not readable.
bool TakePublishedList(const char16_t* url, const uint8_t* bytes, uint32_t size,
                       ListSignatureCheck signature, const char16_t* floorVersion,
                       PublishedList* list);

// Fetches the list at url, with a query no cache has seen, and takes it into list as
// TakePublishedList does. With a key carried, the list's signature (SignatureUrlOf) is fetched
// too: only the key's signature of the list's exact bytes vouches for them. False for a null or
// empty url, a failed download or a refused list. stop, when given, abandons the download once
// set.
bool FetchPublishedListAt(const char16_t* url, const ListKey& key, const char16_t* floorVersion,
                          PublishedList* list, const std::atomic<bool>* stop = nullptr);
// The same at the product's "config" URL, else (it failed or its signature was refused) at its
// "config2" URL.
bool FetchPublishedList(const IClientInfo& product, const ListKey& key,
                        const char16_t* floorVersion, PublishedList* list,
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
