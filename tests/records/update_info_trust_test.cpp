#include "records/update_info_trust.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/update_info.h"
#include "support/crypto/signing.h"
#include "support/files/xdata.h"
#include "support/text/utf8.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The stored bytes of a real list, as the packaging tool publishes it.
Bytes PublishedList() {
  CUpdateInfo list;
  list.SetVersion(u"1.2.0.0");
  list.AddFile(u"client.exe", 10, u"0123456789ABCDEF0123456789ABCDEF", u"http://h/client.exe");
  XData stored;
  EXPECT_TRUE(stored.Reserve(list.SaveBufferSize(), true));
  uint32_t size = list.Serialize(stored.Data(), stored.Capacity(), false);
  EXPECT_GT(size, 0u);
  return Bytes(stored.Data(), stored.Data() + size);
}

TEST(UpdateInfoTrust, AProgramWithAKeyFollowsOnlyAListItsKeySigned) {
  SigningKeyPair vendor, stranger;
  ASSERT_TRUE(GenerateSigningKeyPair(&vendor));
  ASSERT_TRUE(GenerateSigningKeyPair(&stranger));
  const Bytes list = PublishedList();
  auto sign = [&list](const SigningKeyPair& pair) {
    Bytes signature(kSignatureBytes);
    EXPECT_TRUE(
        SignDetached(list.data(), list.size(), pair.secretKey, kSecretKeyBytes, signature.data()));
    return signature;
  };
  const Bytes signature = sign(vendor);
  const Bytes key(vendor.publicKey, vendor.publicKey + kPublicKeyBytes);
  Bytes altered = list;
  altered[altered.size() - 8] ^= 0x20;
  struct Case {
    const char* name;
    Bytes list;
    Bytes signature;
    Bytes key;
    ListSignatureCheck check;
  };
  const Case cases[] = {
      {"signed by the key", list, signature, key, ListSignatureCheck::kVerified},
      {"no key, no signature", list, {}, {}, ListSignatureCheck::kNoKey},
      {"no key, a wrong signature", altered, signature, {}, ListSignatureCheck::kNoKey},
      {"no signature", list, {}, key, ListSignatureCheck::kSignatureMissing},
      {"a signature cut short", list, Bytes(signature.begin(), signature.begin() + 63), key,
       ListSignatureCheck::kSignatureDamaged},
      {"an altered list", altered, signature, key, ListSignatureCheck::kSignatureWrong},
      {"an empty list", {}, signature, key, ListSignatureCheck::kSignatureWrong},
      {"signed by another key", list, sign(stranger), key, ListSignatureCheck::kSignatureWrong},
      {"a damaged key", list, signature, Bytes(key.begin(), key.begin() + 31),
       ListSignatureCheck::kKeyDamaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ListSignatureCheck check = CheckListSignature(
        c.list.data(), c.list.size(), c.signature.empty() ? nullptr : c.signature.data(),
        c.signature.size(), c.key.empty() ? nullptr : c.key.data(), c.key.size());
    EXPECT_EQ(check, c.check);
    EXPECT_EQ(MayFollowPublishedList(check, u"1.2.0.0", nullptr).Followed(),
              c.check == ListSignatureCheck::kVerified || c.check == ListSignatureCheck::kNoKey);
    EXPECT_STRNE(DescribeListSignatureCheck(check), "");
  }
  // A key's length without its bytes is a damaged key, never the absence of one.
  EXPECT_EQ(CheckListSignature(list.data(), list.size(), signature.data(), signature.size(),
                               nullptr, kPublicKeyBytes),
            ListSignatureCheck::kKeyDamaged);
}

// The key as a program carries it: a key resource that is there but empty or cut short is a
// damaged key, which trusts nothing, never the absence of a key, which trusts every list.
TEST(UpdateInfoTrust, ACarriedKeyThatIsDamagedTrustsNothing) {
  SigningKeyPair vendor;
  ASSERT_TRUE(GenerateSigningKeyPair(&vendor));
  const Bytes list = PublishedList();
  Bytes signature(kSignatureBytes);
  ASSERT_TRUE(
      SignDetached(list.data(), list.size(), vendor.secretKey, kSecretKeyBytes, signature.data()));
  const Bytes key(vendor.publicKey, vendor.publicKey + kPublicKeyBytes);
  struct Case {
    const char* name;
    ListKey key;
    Bytes signature;
    ListSignatureCheck check;
  };
  const Case cases[] = {
      {"carried and signing the list", {true, key}, signature, ListSignatureCheck::kVerified},
      {"carried, the list unsigned", {true, key}, {}, ListSignatureCheck::kSignatureMissing},
      {"carried but empty", {true, {}}, signature, ListSignatureCheck::kKeyDamaged},
      {"carried but cut short", {true, Bytes(key.begin(), key.end() - 1)}, signature,
       ListSignatureCheck::kKeyDamaged},
      {"not carried", {false, {}}, {}, ListSignatureCheck::kNoKey},
      {"not carried, whatever bytes lie about", {false, key}, {}, ListSignatureCheck::kNoKey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CheckListSignature(list.data(), list.size(),
                                 c.signature.empty() ? nullptr : c.signature.data(),
                                 c.signature.size(), c.key),
              c.check);
  }
}

// A signed list is dated by the floor (the installed version): one older than it, or naming no
// version while there is one, is refused. A list no key vouches for is not dated at all.
TEST(UpdateInfoTrust, ASignedListIsFollowedOnlyWhenNotOlderThanTheFloor) {
  constexpr ListSignatureCheck kSigned = ListSignatureCheck::kVerified;
  struct Case {
    ListSignatureCheck signature;
    const char16_t* list;
    const char16_t* floor;
    ListVersionCheck check;
  };
  const Case cases[] = {
      {kSigned, u"1.3.0.0", u"1.2.0.0", ListVersionCheck::kNewer},
      {kSigned, u"1.10", u"1.9.9.9", ListVersionCheck::kNewer},
      {kSigned, u"1.2.0.0", u"1.2", ListVersionCheck::kSame},
      {kSigned, u"1.1.9.9", u"1.2.0.0", ListVersionCheck::kOlder},
      {kSigned, u"1.2", u"1.2.0.1", ListVersionCheck::kOlder},
      {kSigned, u"", u"1.2.0.0", ListVersionCheck::kListUnversioned},
      {kSigned, u"1.3-beta", u"1.2.0.0", ListVersionCheck::kListUnversioned},
      {kSigned, u"1.0.0.0", u"", ListVersionCheck::kNothingInstalled},
      {kSigned, u"1.0.0.0", nullptr, ListVersionCheck::kNothingInstalled},
      {kSigned, u"", u"", ListVersionCheck::kNothingInstalled},
      {kSigned, u"1.0.0.0", u"2.0 beta", ListVersionCheck::kNothingInstalled},
      {ListSignatureCheck::kNoKey, u"1.1.9.9", u"1.2.0.0", ListVersionCheck::kNotCompared},
      {ListSignatureCheck::kSignatureWrong, u"1.3.0.0", u"1.2.0.0",
       ListVersionCheck::kNotCompared},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.list) + " over " +
                 Utf16ToUtf8(c.floor != nullptr ? c.floor : u"(none)") + ", " +
                 DescribeListSignatureCheck(c.signature));
    const ListTrust trust = MayFollowPublishedList(c.signature, c.list, c.floor);
    EXPECT_EQ(trust.signature, c.signature);
    EXPECT_EQ(trust.version, c.check);
    EXPECT_EQ(trust.VersionRefuses(),
              c.check == ListVersionCheck::kOlder || c.check == ListVersionCheck::kListUnversioned);
    EXPECT_EQ(trust.Followed(),
              !trust.VersionRefuses() && c.signature != ListSignatureCheck::kSignatureWrong);
    EXPECT_STRNE(DescribeListVersionCheck(trust.version), "");
  }
}

TEST(UpdateInfoTrust, TheSignatureLiesBesideTheList) {
  struct Case {
    std::u16string list;
    std::u16string signature;  // empty: refused
  };
  const Case cases[] = {
      {u"http://h/app/update.xml", u"http://h/app/update.xml.sig"},
      {u"http://h/app/update2.xml", u"http://h/app/update2.xml.sig"},
      {u"http://h/list?v=2", u"http://h/list.sig?v=2"},
      {u"http://h/list#top", u"http://h/list.sig#top"},
      {u"", u""},
      {u"http://h/" + std::u16string(1023 - 9 - 4, u'a'),
       u"http://h/" + std::u16string(1023 - 9 - 4, u'a') + u".sig"},
      {u"http://h/" + std::u16string(1023 - 9 - 3, u'a'), u""},  // one unit too long
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list.size());
    FixedWString<1024> url;
    url.Assign(u"left over");
    EXPECT_EQ(SignatureUrlOf(c.list.c_str(), &url), !c.signature.empty());
    EXPECT_EQ(std::u16string(url.Units()), c.signature);
  }
  FixedWString<1024> url;
  EXPECT_FALSE(SignatureUrlOf(nullptr, &url));
}

}  // namespace
