#include "product/list_digest.h"

#include <string>

#include "product/product_keys.h"
#include "records/client_info.h"
#include "support/internet.h"
#include "support/md5.h"
#include "support/url_parts.h"

namespace {

bool FetchDigest(const FixedWString<512>& url, char16_t* out) {
  CInternet internet;
  if (out == nullptr || !DownloadUpdateList(url.Units(), internet)) return false;
  // An empty list has a digest too, which Md5HexOfMemory does not give.
  XMD5 md5;
  Md5Init(&md5);
  Md5Update(&md5, internet.GetData(), internet.GetSize());
  Md5Final(&md5);
  out[HexEncode(out, kDigestUnits - 1, md5.digest, 16, true)] = 0;
  return true;
}

}  // namespace

bool DownloadUpdateList(const char16_t* url, CInternet& internet) {
  if (url == nullptr || url[0] == 0) return false;
  FixedWString<1024> request;
  return MakeUncachedUrl(url, &request) && internet.Download(request.Units());
}

bool FetchListDigest(const IClientInfo& product, char16_t* out) {
  return FetchListDigestFromConfig(product, out) || FetchListDigestFromConfig2(product, out);
}

bool FetchListDigestFromConfig(const IClientInfo& product, char16_t* out) {
  return FetchDigest(product.GetConfig(), out);
}

bool FetchListDigestFromConfig2(const IClientInfo& product, char16_t* out) {
  return FetchDigest(product.GetConfig2(), out);
}

bool IsUpdateNeeded(const IClientInfo& product) {
  char16_t published[kDigestUnits];
  if (!FetchListDigest(product, published)) return false;
  char16_t recorded[kDigestUnits];
  if (!ReadProductValue(product.GetCompany().Units(), product.GetApp().Units(), u"md5", recorded,
                        kDigestUnits)) {
    return true;
  }
  return std::u16string(recorded, 32) != std::u16string(published, 32);
}
