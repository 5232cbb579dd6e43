#pragma once

#include <map>
#include <string>

#include "tests/helpers/test_http_server.h"

// Tests that talk to the tests' https servers on 127.0.0.1 (the /tls/ endpoints of the tests'
// HTTP server): one for each kind of certificate, all but "self-signed" issued by the server's
// test authority, which the fixture makes a trusted root of the machine's store (in the test
// prefix) for the test's length and removes again afterwards.
class HttpsServerTest : public HttpServerTest {
 protected:
  // Each kind of certificate the servers show, and whether it verifies: only the one issued by
  // the trusted authority to the name asked for, in date.
  struct CertificateKind {
    const char* kind;
    bool verifies;
  };
  static constexpr CertificateKind kCertificateKinds[] = {
      {"trusted", true},
      {"wrong-name", false},
      {"expired", false},
      {"self-signed", false},
  };

  void SetUp() override;
  void TearDown() override;

  // "https://127.0.0.1:<port>" of the server with the certificate of kind ("trusted",
  // "wrong-name", "expired", "self-signed") followed by path.
  std::u16string SecureUrl(const std::string& kind, const std::string& path) const;

 private:
  std::map<std::string, std::string> ports_;
  std::wstring trustedKey_;  // the registry key the root store keeps the authority under
};
