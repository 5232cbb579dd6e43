#include "product/published_list.h"

#include <string>

#include "records/client_info.h"
#include "support/crypto/md5.h"
#include "support/system/run_log.h"
#include "support/text/utf8.h"

bool TakePublishedList(const char16_t* url, const uint8_t* bytes, uint32_t size,
                       ListSignatureCheck signature, const char16_t* floorVersion,
                       PublishedList* list) {
  CUpdateInfo& items = list->items;
  const bool readable = items.ParseBytes(bytes, size);
  // Bytes that are no list name no version to date them by; every reader refuses them as no
  // list.
  list->trust = MayFollowPublishedList(signature, items.GetVersion(),
                                       readable ? floorVersion : nullptr);
  if (list->trust.SignatureRefuses()) {
    items.Clear();
    items.SetVersion(u"");
    list->refused = true;
    LogLine(u"the update list at " + std::u16string(url) + u" is refused: " +
            Utf8ToUtf16(DescribeListSignatureCheck(signature)));
    return false;
  }
  if (list->trust.VersionRefuses()) {
    LogLine(u"the update list is refused: " +
            Utf8ToUtf16(DescribeListVersionCheck(list->trust.version)) + u" (" +
            std::u16string(items.GetVersion()) + u" over " +
            std::u16string(floorVersion != nullptr ? floorVersion : u"") + u")");
    return false;
  }
  // An empty list has a digest too, which Md5HexOfMemory does not give.
  XMD5 md5;
  Md5Init(&md5);
  Md5Update(&md5, bytes, size);
  Md5Final(&md5);
  char16_t digest[kDigestUnits];
  digest[HexEncode(digest, kDigestUnits - 1, md5.digest, 16, true)] = 0;
  list->digest.Assign(digest);
  list->readable = readable;
  return true;
}
