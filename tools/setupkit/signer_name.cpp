#include "tools/setupkit/signer_name.h"

#include <cstdint>
#include <cstring>

#include "support/core/little_endian.h"
#include "support/pe/pe_image.h"
#include "support/text/utf8.h"

namespace {

constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kObjectId = 0x06;
constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kSet = 0x31;
constexpr uint8_t kContext0 = 0xA0;  // [0], constructed
constexpr uint8_t kContext1 = 0xA1;  // [1], constructed
constexpr uint8_t kUtf8String = 0x0C;
constexpr uint8_t kPrintableString = 0x13;
constexpr uint8_t kTeletexString = 0x14;
constexpr uint8_t kIa5String = 0x16;
constexpr uint8_t kBmpString = 0x1E;
constexpr uint8_t kSignedDataOid[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
constexpr uint8_t kCommonNameOid[] = {0x55, 0x04, 0x03};
constexpr uint16_t kPkcsSignedData = 0x0002;  // WIN_CERT_TYPE_PKCS_SIGNED_DATA
constexpr size_t kCertificateHeaderSize = 8;

// DER bytes not yet read.
struct Der {
  const uint8_t* data = nullptr;
  size_t size = 0;

  bool Same(const Der& other) const {
    return size == other.size && std::memcmp(data, other.data, size) == 0;
  }
};

// Takes one element off the front of in: its tag, its content and, when asked, the whole of it.
// Only definite lengths of up to four bytes, as DER has them.
bool Take(Der& in, uint8_t& tag, Der& content, Der* whole = nullptr) {
  if (in.size < 2 || (in.data[0] & 0x1F) == 0x1F) return false;
  tag = in.data[0];
  size_t header = 2;
  size_t length = in.data[1];
  if (length >= 0x80) {
    const size_t bytes = length & 0x7F;
    if (bytes == 0 || bytes > 4 || in.size < 2 + bytes) return false;
    length = 0;
    for (size_t i = 0; i < bytes; ++i) length = length << 8 | in.data[2 + i];
    header += bytes;
  }
  if (length > in.size - header) return false;
  content = {in.data + header, length};
  if (whole != nullptr) *whole = {in.data, header + length};
  in.data += header + length;
  in.size -= header + length;
  return true;
}

// Takes an element that must carry tag.
bool Expect(Der& in, uint8_t tag, Der& content, Der* whole = nullptr) {
  uint8_t found = 0;
  return Take(in, found, content, whole) && found == tag;
}

// Skips the next element when it carries tag.
void SkipIf(Der& in, uint8_t tag) {
  Der copy = in;
  Der content;
  uint8_t found = 0;
  if (Take(copy, found, content) && found == tag) in = copy;
}

bool IsOid(const Der& oid, const uint8_t* expected, size_t n) {
  return oid.size == n && std::memcmp(oid.data, expected, n) == 0;
}

// A name's text as UTF-8 with control characters as "?".
bool TextOf(uint8_t tag, const Der& value, std::string& text) {
  std::string bytes(reinterpret_cast<const char*>(value.data), value.size);
  if (tag == kBmpString) {
    if (value.size % 2 != 0) return false;
    std::u16string units;
    for (size_t i = 0; i < value.size; i += 2) {
      units += static_cast<char16_t>(value.data[i] << 8 | value.data[i + 1]);
    }
    text = Utf16ToUtf8(units.c_str(), units.size());
  } else if (tag == kTeletexString) {
    std::u16string units(bytes.begin(), bytes.end());
    for (char16_t& unit : units) unit = static_cast<uint8_t>(unit);
    text = Utf16ToUtf8(units.c_str(), units.size());
  } else if (tag == kUtf8String || tag == kPrintableString || tag == kIa5String) {
    text = IsValidUtf8(bytes.data(), bytes.size()) ? bytes : Utf16ToUtf8(Utf8ToUtf16(bytes).c_str());
  } else {
    return false;
  }
  for (char& c : text) {
    if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return !text.empty();
}

// The common name in a Name (a sequence of sets of type and value).
bool CommonName(Der name, std::string& text) {
  Der set;
  while (Expect(name, kSet, set)) {
    Der attribute;
    while (Expect(set, kSequence, attribute)) {
      Der oid, value;
      uint8_t valueTag = 0;
      if (Expect(attribute, kObjectId, oid) && Take(attribute, valueTag, value) &&
          IsOid(oid, kCommonNameOid, sizeof kCommonNameOid)) {
        return TextOf(valueTag, value, text);
      }
    }
  }
  return false;
}

// The subject of certificate when its issuer and serial number are those given.
bool SubjectIfIssued(Der certificate, const Der& issuer, const Der& serial, Der& subject) {
  Der body, tbs;
  if (!Expect(certificate, kSequence, body) || !Expect(body, kSequence, tbs)) return false;
  SkipIf(tbs, kContext0);  // the version
  Der serialContent, serialWhole, algorithm, issuerContent, issuerWhole, validity;
  return Expect(tbs, kInteger, serialContent, &serialWhole) && serialWhole.Same(serial) &&
         Expect(tbs, kSequence, algorithm) &&
         Expect(tbs, kSequence, issuerContent, &issuerWhole) && issuerWhole.Same(issuer) &&
         Expect(tbs, kSequence, validity) && Expect(tbs, kSequence, subject);
}

}  // namespace

bool SignerOfSignedData(const std::string& der, std::string& signer) {
  Der in{reinterpret_cast<const uint8_t*>(der.data()), der.size()};
  Der contentInfo, oid, explicitContent, signedData;
  if (!Expect(in, kSequence, contentInfo) || !Expect(contentInfo, kObjectId, oid) ||
      !IsOid(oid, kSignedDataOid, sizeof kSignedDataOid) ||
      !Expect(contentInfo, kContext0, explicitContent) ||
      !Expect(explicitContent, kSequence, signedData)) {
    return false;
  }
  Der version, digestAlgorithms, encapsulated, certificates, signerInfos;
  if (!Expect(signedData, kInteger, version) || !Expect(signedData, kSet, digestAlgorithms) ||
      !Expect(signedData, kSequence, encapsulated) ||
      !Expect(signedData, kContext0, certificates)) {
    return false;
  }
  SkipIf(signedData, kContext1);  // revocation lists
  Der signerInfo, signerVersion, signerId, issuer, serial, issuerContent, serialContent;
  if (!Expect(signedData, kSet, signerInfos) || !Expect(signerInfos, kSequence, signerInfo) ||
      !Expect(signerInfo, kInteger, signerVersion) ||
      !Expect(signerInfo, kSequence, signerId) ||
      !Expect(signerId, kSequence, issuerContent, &issuer) ||
      !Expect(signerId, kInteger, serialContent, &serial)) {
    return false;
  }
  Der certificate, certificateWhole;
  uint8_t tag = 0;
  while (Take(certificates, tag, certificate, &certificateWhole)) {
    Der subject;
    if (tag == kSequence && SubjectIfIssued(certificateWhole, issuer, serial, subject)) {
      return CommonName(subject, signer);
    }
  }
  return false;
}

SignatureKind ReadSigner(const std::string& image, std::string& signer) {
  signer.clear();
  PeImage pe;
  std::string problem;
  if (!pe.Parse(image, problem)) return SignatureKind::kNone;
  const PeDirectory table = pe.Directory(PeImage::kCertificateDirectory);
  if (table.size == 0) return SignatureKind::kNone;
  if (table.address > image.size() || image.size() - table.address < table.size) {
    return SignatureKind::kUnreadable;
  }
  // Entries of a length, a revision, a type and the certificate, each padded to eight bytes.
  for (uint64_t at = table.address; at + kCertificateHeaderSize <= uint64_t{table.address} + table.size;) {
    const uint8_t* entry = reinterpret_cast<const uint8_t*>(image.data()) + at;
    const uint32_t length = ReadLe32(entry);
    if (length < kCertificateHeaderSize || length > uint64_t{table.address} + table.size - at) break;
    if (ReadLe16(entry + 6) == kPkcsSignedData) {
      const std::string der(image, at + kCertificateHeaderSize, length - kCertificateHeaderSize);
      return SignerOfSignedData(der, signer) ? SignatureKind::kSigned : SignatureKind::kUnreadable;
    }
    at += AlignUp(length, 8);
  }
  return SignatureKind::kUnreadable;
}
