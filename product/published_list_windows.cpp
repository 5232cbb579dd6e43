#include "product/published_list.h"

#include <string>

#include "product/product_keys.h"
#include "records/client_info.h"
#include "support/http/internet.h"
#include "support/system/run_log.h"

namespace {

// The digest of a list that was fetched, into out.
bool TakeDigest(bool fetched, const PublishedList& list, char16_t* out) {
  if (!fetched) return false;
  std::char_traits<char16_t>::copy(out, list.digest.Units(), list.digest.Length() + 1);
  return true;
}

// Downloads url, what the log calls it, into internet; a download that fails is logged with
// why.
bool Fetched(CInternet& internet, const char16_t* url, const char16_t* what) {
  if (internet.DownloadUncached(url)) return true;
  LogLine(std::u16string(what) + u" at " + url + u" could not be fetched: " +
          internet.Failure().Describe());
  return false;
}

// How the signature published beside the list at url judges the list's bytes. A signature that
// cannot be fetched is no signature.
ListSignatureCheck CheckPublishedSignature(const char16_t* url, const CInternet& list,
                                           const ListKey& key, const std::atomic<bool>* stop) {
  if (!key.carried) return ListSignatureCheck::kNoKey;
  FixedWString<1024> signatureUrl;
  CInternet signature;
  signature.SetStopRequest(stop);
  const bool arrived = SignatureUrlOf(url, &signatureUrl) &&
                       Fetched(signature, signatureUrl.Units(), u"the list's signature");
  return CheckListSignature(list.GetData(), list.GetSize(),
                            arrived ? signature.GetData() : nullptr,
                            arrived ? signature.GetSize() : 0, key);
}

}  // namespace

bool FetchPublishedListAt(const char16_t* url, const ListKey& key, const char16_t* floorVersion,
                          PublishedList* list, const std::atomic<bool>* stop) {
  if (url == nullptr || url[0] == 0 || list == nullptr) return false;
  CInternet internet;
  internet.SetStopRequest(stop);
  if (!Fetched(internet, url, u"the update list")) return false;
  return TakePublishedList(url, internet.GetData(), internet.GetSize(),
                           CheckPublishedSignature(url, internet, key, stop), floorVersion, list);
}

bool FetchPublishedList(const IClientInfo& product, const ListKey& key,
                        const char16_t* floorVersion, PublishedList* list,
                        const std::atomic<bool>* stop) {
  if (FetchPublishedListAt(product.GetConfig().Units(), key, floorVersion, list, stop)) {
    return true;
  }
  // The vendor's own list, too old: another place is not asked for a newer one.
  return !list->trust.VersionRefuses() &&
         FetchPublishedListAt(product.GetConfig2().Units(), key, floorVersion, list, stop);
}

bool IsRecordedDigest(const IClientInfo& product, const char16_t* digest) {
  char16_t recorded[kDigestUnits];
  return digest != nullptr &&
         ReadProductValue(product.GetCompany().Units(), product.GetApp().Units(), u"md5",
                          recorded, kDigestUnits) &&
         std::u16string(recorded) == digest;
}

bool FetchListDigest(const IClientInfo& product, const ListKey& key, char16_t* out) {
  PublishedList list;
  return out != nullptr &&
         TakeDigest(FetchPublishedList(product, key, nullptr, &list), list, out);
}

bool FetchListDigestFromConfig(const IClientInfo& product, const ListKey& key, char16_t* out) {
  PublishedList list;
  return out != nullptr &&
         TakeDigest(FetchPublishedListAt(product.GetConfig().Units(), key, nullptr, &list), list,
                    out);
}

bool FetchListDigestFromConfig2(const IClientInfo& product, const ListKey& key, char16_t* out) {
  PublishedList list;
  return out != nullptr &&
         TakeDigest(FetchPublishedListAt(product.GetConfig2().Units(), key, nullptr, &list), list,
                    out);
}

bool IsUpdateNeeded(const IClientInfo& product, const ListKey& key) {
  PublishedList list;
  return FetchPublishedList(product, key, nullptr, &list) &&
         !IsRecordedDigest(product, list.digest.Units());
}
