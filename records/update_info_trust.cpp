#include "records/update_info_trust.h"

#include "support/crypto/signing.h"
#include "support/text/version_text.h"

ListSignatureCheck CheckListSignature(const uint8_t* list, size_t listLength,
                                      const uint8_t* signature, size_t signatureLength,
                                      const uint8_t* publicKey, size_t publicKeyLength) {
  if (publicKey == nullptr && publicKeyLength == 0) return ListSignatureCheck::kNoKey;
  if (publicKey == nullptr || publicKeyLength != kPublicKeyBytes) {
    return ListSignatureCheck::kKeyDamaged;
  }
  if (signature == nullptr || signatureLength == 0) return ListSignatureCheck::kSignatureMissing;
  if (signatureLength != kSignatureBytes) return ListSignatureCheck::kSignatureDamaged;
  return VerifyDetached(list, listLength, signature, signatureLength, publicKey, publicKeyLength)
             ? ListSignatureCheck::kVerified
             : ListSignatureCheck::kSignatureWrong;
}

ListSignatureCheck CheckListSignature(const uint8_t* list, size_t listLength,
                                      const uint8_t* signature, size_t signatureLength,
                                      const ListKey& key) {
  if (!key.carried) return ListSignatureCheck::kNoKey;
  if (key.bytes.empty()) return ListSignatureCheck::kKeyDamaged;
  return CheckListSignature(list, listLength, signature, signatureLength, key.bytes.data(),
                            key.bytes.size());
}

const char* DescribeListSignatureCheck(ListSignatureCheck check) {
  switch (check) {
    case ListSignatureCheck::kNoKey:
      return "no public key to check the list with";
    case ListSignatureCheck::kVerified:
      return "the signature verifies";
    case ListSignatureCheck::kSignatureMissing:
      return "no signature came with the list";
    case ListSignatureCheck::kSignatureDamaged:
      return "the signature is damaged (not 64 bytes)";
    case ListSignatureCheck::kSignatureWrong:
      return "the signature does not verify: the list or its signature was altered, or another "
             "key signed it";
    case ListSignatureCheck::kKeyDamaged:
      return "the public key is damaged (not 32 bytes)";
  }
  return "";
}

bool SignatureUrlOf(const char16_t* listUrl, FixedWString<1024>* out) {
  if (out == nullptr) return false;
  out->Clear();
  if (listUrl == nullptr || listUrl[0] == 0) return false;
  int pathEnd = 0;
  while (listUrl[pathEnd] != 0 && listUrl[pathEnd] != u'?' && listUrl[pathEnd] != u'#') {
    ++pathEnd;
  }
  const char16_t* rest = listUrl + pathEnd;
  int restLength = 0;
  while (rest[restLength] != 0) ++restLength;
  bool whole = out->Append(listUrl, pathEnd) == pathEnd && out->Append(u".sig", 4) == 4 &&
               out->Append(rest, restLength) == restLength;
  if (!whole) out->Clear();
  return whole;
}

ListVersionCheck CheckListVersion(const char16_t* listVersion, const char16_t* installedVersion) {
  if (!IsVersionText(installedVersion)) return ListVersionCheck::kNothingInstalled;
  switch (CompareVersionTexts(listVersion, installedVersion)) {
    case VersionOrder::kNewer:
      return ListVersionCheck::kNewer;
    case VersionOrder::kSame:
      return ListVersionCheck::kSame;
    case VersionOrder::kOlder:
      return ListVersionCheck::kOlder;
    case VersionOrder::kIncomparable:
      break;
  }
  return ListVersionCheck::kListUnversioned;
}

const char* DescribeListVersionCheck(ListVersionCheck check) {
  switch (check) {
    case ListVersionCheck::kNewer:
      return "the list's version is newer than the installed one";
    case ListVersionCheck::kSame:
      return "the list's version is the installed one";
    case ListVersionCheck::kNothingInstalled:
      return "no installed version to compare the list's with";
    case ListVersionCheck::kOlder:
      return "the list's version is older than the installed one: an old list served again";
    case ListVersionCheck::kListUnversioned:
      return "the list names no version to compare with the installed one";
    case ListVersionCheck::kNotCompared:
      return "the list's version is not compared: no key signed it";
  }
  return "";
}

bool ListTrust::SignatureRefuses() const {
  return signature != ListSignatureCheck::kNoKey && signature != ListSignatureCheck::kVerified;
}

bool ListTrust::VersionRefuses() const {
  return version == ListVersionCheck::kOlder || version == ListVersionCheck::kListUnversioned;
}

ListTrust MayFollowPublishedList(ListSignatureCheck signature, const char16_t* listVersion,
                                 const char16_t* floorVersion) {
  ListTrust trust;
  trust.signature = signature;
  if (signature == ListSignatureCheck::kVerified) {
    trust.version = CheckListVersion(listVersion, floorVersion);
  }
  return trust;
}
