#include "product/published_list.h"

#include <string>

#include "product/product_keys.h"
#include "records/client_info.h"
#include "support/internet.h"
#include "support/md5.h"

namespace {

// The digest of a list that was fetched, into out.
bool TakeDigest(bool fetched, const PublishedList& list, char16_t* out) {
  if (!fetched) return false;
  std::char_traits<char16_t>::copy(out, list.digest.Units(), list.digest.Length() + 1);
  return true;
}

}  // namespace

bool FetchPublishedListAt(const char16_t* url, PublishedList* list,
                          const std::atomic<bool>* stop) {
  if (url == nullptr || url[0] == 0 || list == nullptr) return false;
  CInternet internet;
  internet.SetStopRequest(stop);
  if (!internet.DownloadUncached(url)) return false;
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

bool FetchPublishedList(const IClientInfo& product, PublishedList* list,
                        const std::atomic<bool>* stop) {
  return FetchPublishedListAt(product.GetConfig().Units(), list, stop) ||
         FetchPublishedListAt(product.GetConfig2().Units(), list, stop);
}

bool IsRecordedDigest(const IClientInfo& product, const char16_t* digest) {
  char16_t recorded[kDigestUnits];
  return digest != nullptr &&
         ReadProductValue(product.GetCompany().Units(), product.GetApp().Units(), u"md5",
                          recorded, kDigestUnits) &&
         std::u16string(recorded) == digest;
}

bool FetchListDigest(const IClientInfo& product, char16_t* out) {
  PublishedList list;
  return out != nullptr && TakeDigest(FetchPublishedList(product, &list), list, out);
}

bool FetchListDigestFromConfig(const IClientInfo& product, char16_t* out) {
  PublishedList list;
  return out != nullptr &&
         TakeDigest(FetchPublishedListAt(product.GetConfig().Units(), &list), list, out);
}

bool FetchListDigestFromConfig2(const IClientInfo& product, char16_t* out) {
  PublishedList list;
  return out != nullptr &&
         TakeDigest(FetchPublishedListAt(product.GetConfig2().Units(), &list), list, out);
}

bool IsUpdateNeeded(const IClientInfo& product) {
  PublishedList list;
  return FetchPublishedList(product, &list) && !IsRecordedDigest(product, list.digest.Units());
}
