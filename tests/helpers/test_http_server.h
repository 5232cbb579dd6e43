#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

// name, "/"-separated UTF-8, as the path of its URL: every byte but the unreserved characters
// (letters, digits, "-", ".", "_", "~") and "/" percent-encoded, which the server decodes back.
std::string UrlPath(const std::string& name);

// Tests that talk to the tests' HTTP server on 127.0.0.1 (tests/helpers/http_test_server.py),
// which the test run starts and whose port it hands over in TEST_HTTP_PORT. Such a test fails,
// rather than skips, when the port is missing or WinINet would send requests through a proxy.
class HttpServerTest : public testing::Test {
 protected:
  void SetUp() override;

  // "http://127.0.0.1:<port>" followed by path.
  std::u16string Url(const std::string& path) const;
  // The exact bytes of the request the server last kept under key (its /record/ endpoint).
  std::string Received(const std::string& key) const;
  // Puts bytes on the server as the file name, served at Url("/file/" + name).
  bool Keep(const std::string& name, const std::string& bytes) const;
  // How many times the server has served the file name.
  int Served(const std::string& name) const;
  // What the server logged under key (its /loop/ and /resumable/ replies), a line per request:
  // its Range header or "-", and the status answered ("bytes=5- 206").
  std::vector<std::string> Log(const std::string& key) const;
  // A key no other test (nor an earlier run of this one) has used.
  std::string FreshKey(const std::string& name) const;

 private:
  std::string port_;
};
