#include "tests/helpers/test_https_server.h"

#include <windows.h>
#include <wincrypt.h>

#include <cwchar>
#include <sstream>

#include "support/http/internet.h"

namespace {

// Where the machine's root store keeps each certificate: a key named by its SHA-1 thumbprint.
// Removing the key removes the certificate; Wine's root store does not delete through
// CertDeleteCertificateFromStore.
constexpr wchar_t kRootCertificates[] = L"Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";

std::wstring RootKeyOf(const uint8_t* der, uint32_t size) {
  PCCERT_CONTEXT certificate = CertCreateCertificateContext(X509_ASN_ENCODING, der, size);
  if (certificate == nullptr) return std::wstring();
  BYTE thumbprint[20] = {};
  DWORD length = sizeof thumbprint;
  const bool hashed = CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID,
                                                        thumbprint, &length);
  CertFreeCertificateContext(certificate);
  if (!hashed) return std::wstring();
  std::wstring key = kRootCertificates;
  for (DWORD i = 0; i < length; ++i) {
    wchar_t digits[3];
    std::swprintf(digits, 3, L"%02X", thumbprint[i]);
    key += digits;
  }
  return key;
}

}  // namespace

void HttpsServerTest::SetUp() {
  HttpServerTest::SetUp();
  if (HasFatalFailure()) return;
  CInternet internet;
  ASSERT_TRUE(internet.Download(Url("/tls/ports").c_str()))
      << "the test server could not start its https servers (is openssl installed?)";
  std::istringstream lines(
      std::string(reinterpret_cast<const char*>(internet.GetData()), internet.GetSize()));
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) ports_[line.substr(0, equals)] = line.substr(equals + 1);
  }
  ASSERT_EQ(ports_.size(), 4u);
  ASSERT_TRUE(internet.Download(Url("/tls/ca.der").c_str()));
  const std::wstring key = RootKeyOf(internet.GetData(), internet.GetSize());
  ASSERT_FALSE(key.empty());
  HCERTSTORE store =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  ASSERT_NE(store, nullptr);
  // Without asking for the added context: Wine's root store then leaves the certificate out of
  // the chains it builds.
  const bool trusted =
      CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, internet.GetData(),
                                       internet.GetSize(), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  CertCloseStore(store, 0);
  ASSERT_TRUE(trusted);
  trustedKey_ = key;
}

void HttpsServerTest::TearDown() {
  if (trustedKey_.empty()) return;
  EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, trustedKey_.c_str()), ERROR_SUCCESS);
  trustedKey_.clear();
}

std::u16string HttpsServerTest::SecureUrl(const std::string& kind, const std::string& path) const {
  const auto port = ports_.find(kind);
  const std::string url =
      "https://127.0.0.1:" + (port != ports_.end() ? port->second : std::string("0")) + path;
  return std::u16string(url.begin(), url.end());
}
