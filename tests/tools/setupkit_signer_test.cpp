#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/setupkit/signer_name.h"

namespace {

// DER, put together by hand: the parts of PKCS #7 signed data that name the signer.
std::string Element(uint8_t tag, const std::string& content) {
  std::string out(1, static_cast<char>(tag));
  const size_t n = content.size();
  if (n < 0x80) {
    out += static_cast<char>(n);
  } else if (n < 0x100) {
    out += "\x81";
    out += static_cast<char>(n);
  } else {
    out += "\x82";
    out += static_cast<char>(n >> 8);
    out += static_cast<char>(n);
  }
  return out + content;
}

std::string Sequence(const std::string& content) { return Element(0x30, content); }
std::string Integer(const std::string& bytes) { return Element(0x02, bytes); }
std::string Oid(const std::string& bytes) { return Element(0x06, bytes); }

const std::string kCommonName("\x55\x04\x03", 3);
const std::string kOrganisation("\x55\x04\x0A", 3);

std::string Name(const std::vector<std::pair<std::string, std::string>>& attributes) {
  std::string sets;
  for (const auto& [oid, value] : attributes) sets += Element(0x31, Sequence(Oid(oid) + value));
  return Sequence(sets);
}

std::string Certificate(const std::string& serial, const std::string& issuer,
                        const std::string& subject) {
  const std::string algorithm = Sequence(Oid("\x2A\x86\x48\x86\xF7\x0D\x01\x01\x0B"));
  const std::string tbs = Sequence(Element(0xA0, Integer("\x02")) + Integer(serial) + algorithm +
                                   issuer + Sequence("validity") + subject);
  return Sequence(tbs + algorithm + Element(0x03, "signature"));
}

std::string SignedData(const std::string& certificates, const std::string& issuer,
                       const std::string& serial) {
  const std::string signerInfo =
      Sequence(Integer("\x01") + Sequence(issuer + Integer(serial)) + Sequence("digest"));
  const std::string signedData =
      Sequence(Integer("\x01") + Element(0x31, "") + Sequence("content") +
               Element(0xA0, certificates) + Element(0x31, signerInfo));
  return Sequence(Oid("\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02") + Element(0xA0, signedData));
}

TEST(SetupkitSigner, NamesTheCertificateTheSignerInfoPointsAt) {
  const std::string ca = Name({{kCommonName, Element(0x13, "Test CA")}});
  const std::string vendor = Name(
      {{kOrganisation, Element(0x0C, "Example")}, {kCommonName, Element(0x0C, "Example Vendor")}});
  const std::string chain = Certificate("\x05", ca, ca) + Certificate("\x07", ca, vendor);
  struct Case {
    const char* name;
    std::string der;
    bool found;
    std::string signer;
  };
  const std::string bmp = Name({{kCommonName, Element(0x1E, std::string("\x56\xFD\x96\x45", 4))}});
  const std::string hostile = Name({{kCommonName, Element(0x0C, "Evil\x1b[2J\nVendor")}});
  const std::string full = SignedData(chain, ca, "\x07");
  const Case cases[] = {
      {"the signer among its chain", full, true, "Example Vendor"},
      {"the CA by its serial", SignedData(chain, ca, "\x05"), true, "Test CA"},
      {"no certificate with that serial", SignedData(chain, ca, "\x09"), false, ""},
      {"a name in UTF-16", SignedData(Certificate("\x07", ca, bmp), ca, "\x07"), true,
       "\xE5\x9B\xBD\xE9\x99\x85"},
      {"control characters", SignedData(Certificate("\x07", ca, hostile), ca, "\x07"), true,
       "Evil?[2J?Vendor"},
      {"cut short", full.substr(0, full.size() - 3), false, ""},
      {"not signed data", Sequence(Oid("\x2A\x86\x48\x86\xF7\x0D\x01\x07\x01")), false, ""},
      {"a length past the end", std::string("\x30\x84\x7F\xFF\xFF\xFF", 6), false, ""},
      {"nothing", "", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string signer;
    EXPECT_EQ(SignerOfSignedData(c.der, signer), c.found);
    if (c.found) {
      EXPECT_EQ(signer, c.signer);
    }
  }
}

}  // namespace
