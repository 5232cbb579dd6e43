#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/core/fixed_wstring.h"

// Whether a published update list may be followed, decided before anything acts on it. A program
// that carries the vendor's public key follows only a list whose detached signature (fetched
// from the list's URL with ".sig" added, see SignatureUrlOf) is that key's signature of exactly
// the bytes fetched; one that carries no key follows every list, as programs always did.

enum class ListSignatureCheck {
  kNoKey,             // the program carries no key: the list is followed without a check
  kVerified,          // the key's signature of exactly these bytes
  kSignatureMissing,  // a key, but no signature came with the list
  kSignatureDamaged,  // a signature that is not kSignatureBytes long
  kSignatureWrong,    // a signature that is not the key's of these bytes
  kKeyDamaged,        // the program's own key is not kPublicKeyBytes long: nothing is trusted
};

// signature and publicKey may be null (with length 0) when there is none. A key of any other
// length than kPublicKeyBytes is a damaged key, never the absence of one.
ListSignatureCheck CheckListSignature(const uint8_t* list, size_t listLength,
                                      const uint8_t* signature, size_t signatureLength,
                                      const uint8_t* publicKey, size_t publicKeyLength);

// Where a program carries the vendor's public key: resource "KEY" 1, the key's raw bytes. Readers
// that know only the product record and the payload never look for it.
constexpr char16_t kListKeyType[] = u"KEY";
constexpr int kListKeyId = 1;

// The vendor's public key as a program carries it. A key resource that is there is a key, even
// when its length is wrong: a damaged key trusts nothing, rather than counting as no key.
struct ListKey {
  bool carried = false;        // the program carries a key resource
  std::vector<uint8_t> bytes;  // its bytes, kPublicKeyBytes unless damaged
};

// CheckListSignature with the key a program carries.
ListSignatureCheck CheckListSignature(const uint8_t* list, size_t listLength,
                                      const uint8_t* signature, size_t signatureLength,
                                      const ListKey& key);

// Why, in a few English words for logs and the packaging tool ("the signature verifies", "no
// signature came with the list", ...).
const char* DescribeListSignatureCheck(ListSignatureCheck check);

// The URL of a list's signature: the list's URL with ".sig" after its path, before any query or
// fragment ("http://h/app/update.xml?x=1" gives "http://h/app/update.xml.sig?x=1"). False, with
// out empty, for a null or empty URL or one too long for out.
bool SignatureUrlOf(const char16_t* listUrl, FixedWString<1024>* out);

// A list signed by the vendor can still be an old one served again, so a signed list is dated
// by a floor, the installed version: compared as dotted numbers (see version_text.h), it must
// not be older.
enum class ListVersionCheck {
  kNewer,             // the list's version is newer than the installed one
  kSame,              // the same version (a repair or a re-publication)
  kNothingInstalled,  // no installed version to compare with (empty, or not dotted numbers)
  kOlder,             // an older version: a replayed list
  kListUnversioned,   // an installed version, but the list names none in dotted numbers
  kNotCompared,       // no key signed the list: its version vouches for nothing
};

ListVersionCheck CheckListVersion(const char16_t* listVersion, const char16_t* installedVersion);

const char* DescribeListVersionCheck(ListVersionCheck check);

// Whether a published list may be followed, and when not, why.
struct ListTrust {
  ListSignatureCheck signature = ListSignatureCheck::kNoKey;
  ListVersionCheck version = ListVersionCheck::kNotCompared;

  // A key is carried and did not sign the list (or is damaged).
  bool SignatureRefuses() const;
  // The key signed the list, but it is older than the floor or names no version.
  bool VersionRefuses() const;
  bool Followed() const { return !SignatureRefuses() && !VersionRefuses(); }
};

// The one rule every program applies to a published list before it acts on it: with a key
// carried, only a list the key signed (signature, from CheckListSignature) is followed, and a
// signed list only when its version (listVersion) is not older than floorVersion (CheckListVersion;
// null or empty: no floor). A list followed without a key has its version not compared.
ListTrust MayFollowPublishedList(ListSignatureCheck signature, const char16_t* listVersion,
                                 const char16_t* floorVersion);
