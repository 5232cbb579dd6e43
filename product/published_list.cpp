#include "product/published_list.h"

#include <string>

#include "product/product_keys.h"
#include "records/client_info.h"
#include "support/crypto/md5.h"
#include "support/http/internet.h"
#include "support/system/run_log.h"
#include "support/text/utf8.h"

namespace {

// The digest of a list that was fetched, into out.
bool TakeDigest(bool fetched, const PublishedList& list, char16_t* out) {
  if (!fetched) return false;
  std::char_traits<char16_t>::copy(out, list.digest.Units(), list.digest.Length() + 1);
  return true;
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
                       signature.DownloadUncached(signatureUrl.Units());
  return CheckListSignature(list.GetData(), list.GetSize(),
                            arrived ? signature.GetData() : nullptr,
                            arrived ? signature.GetSize() : 0, key);
}

}  // namespace

bool FetchPublishedListAt(const char16_t* url, const ListKey& key, PublishedList* list,
                          const std::atomic<bool>* stop) {
  if (url == nullptr || url[0] == 0 || list == nullptr) return false;
  CInternet internet;
  internet.SetStopRequest(stop);
  if (!internet.DownloadUncached(url)) return false;
  const ListSignatureCheck check = CheckPublishedSignature(url, internet, key, stop);
  if (!MayFollowList(check)) {
    list->refused = true;
    LogLine(u"the update list at " + std::u16string(url) + u" is refused: " +
            Utf8ToUtf16(DescribeListSignatureCheck(check)));
    return false;
  }
  list->verified = check == ListSignatureCheck::kVerified;
  // An empty list has a digest too, which Md5HexOfMemory does not give.
  XMD5 md5;
  Md5Init(&md5);
  Md5Update(&md5, internet.GetData(), internet.GetSize());
  Md5Final(&md5);
  char16_t digest[kDigestUnits];
  digest[HexEncode(digest, kDigestUnits - 1, md5.digest, 16, true)] = 0;
  list->digest.Assign(digest);
  list->readable = list->items.ParseBytes(internet.GetData(), internet.GetSize());
  return true;
}

bool FetchPublishedList(const IClientInfo& product, const ListKey& key, PublishedList* list,
                        const std::atomic<bool>* stop) {
  return FetchPublishedListAt(product.GetConfig().Units(), key, list, stop) ||
         FetchPublishedListAt(product.GetConfig2().Units(), key, list, stop);
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
  return out != nullptr && TakeDigest(FetchPublishedList(product, key, &list), list, out);
}

bool FetchListDigestFromConfig(const IClientInfo& product, const ListKey& key, char16_t* out) {
  PublishedList list;
  return out != nullptr &&
         TakeDigest(FetchPublishedListAt(product.GetConfig().Units(), key, &list), list, out);
}

bool FetchListDigestFromConfig2(const IClientInfo& product, const ListKey& key, char16_t* out) {
  PublishedList list;
  return out != nullptr &&
         TakeDigest(FetchPublishedListAt(product.GetConfig2().Units(), key, &list), list, out);
}

bool IsUpdateNeeded(const IClientInfo& product, const ListKey& key) {
  PublishedList list;
  return FetchPublishedList(product, key, &list) &&
         !IsRecordedDigest(product, list.digest.Units());
}
