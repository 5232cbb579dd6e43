#include "tests/helpers/test_http_server.h"

#include <windows.h>
#include <wininet.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "support/http/internet.h"

namespace {

// How a session opened as the product opens its own would reach the network.
DWORD ConfiguredAccessType() {
  HINTERNET session = InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session == nullptr) return 0;
  std::vector<BYTE> info(4096);
  DWORD size = static_cast<DWORD>(info.size());
  DWORD accessType = 0;
  if (InternetQueryOptionW(session, INTERNET_OPTION_PROXY, info.data(), &size)) {
    accessType = reinterpret_cast<INTERNET_PROXY_INFO*>(info.data())->dwAccessType;
  }
  InternetCloseHandle(session);
  return accessType;
}

}  // namespace

std::string UrlPath(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string path;
  for (const char c : name) {
    const auto unit = static_cast<unsigned char>(c);
    if (std::isalnum(unit) || std::strchr("-._~/", c) != nullptr) {
      path += c;
    } else {
      path += {'%', kHex[unit >> 4], kHex[unit & 15]};
    }
  }
  return path;
}

void HttpServerTest::SetUp() {
  const char* port = std::getenv("TEST_HTTP_PORT");
  ASSERT_TRUE(port != nullptr && port[0] != 0)
      << "TEST_HTTP_PORT is not set: run the tests through scripts/run-tests.sh, which starts "
         "the test HTTP server";
  port_ = port;
  ASSERT_EQ(ConfiguredAccessType(), static_cast<DWORD>(INTERNET_OPEN_TYPE_DIRECT))
      << "WinINet is configured to use a proxy; the tests talk only to 127.0.0.1 directly";
}

std::u16string HttpServerTest::Url(const std::string& path) const {
  std::string url = "http://127.0.0.1:" + port_ + path;
  return std::u16string(url.begin(), url.end());
}

std::string HttpServerTest::Received(const std::string& key) const {
  CInternet internet;
  if (!internet.Download(Url("/received/" + key).c_str())) return "<nothing received>";
  return std::string(reinterpret_cast<const char*>(internet.GetData()), internet.GetSize());
}

bool HttpServerTest::Keep(const std::string& name, const std::string& bytes) const {
  CInternet internet;
  uint8_t reply[16];
  uint32_t replyLength = sizeof(reply);
  return internet.Post(Url("/keep/" + name).c_str(), nullptr, bytes.data(),
                       static_cast<uint32_t>(bytes.size()), reply, &replyLength, nullptr);
}

int HttpServerTest::Served(const std::string& name) const {
  CInternet internet;
  if (!internet.Download(Url("/served/" + name).c_str())) return -1;
  return std::atoi(reinterpret_cast<const char*>(internet.GetData()));
}

std::vector<std::string> HttpServerTest::Log(const std::string& key) const {
  CInternet internet;
  if (!internet.Download(Url("/log/" + key).c_str())) return {"<no log>"};
  std::istringstream text(
      std::string(reinterpret_cast<const char*>(internet.GetData()), internet.GetSize()));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

std::string HttpServerTest::FreshKey(const std::string& name) const {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->name()) + "-" + name + "-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}
