#include "install/install_report.h"

#include <gtest/gtest.h>

#include <string>

#include "install/install_report_body.h"
#include "records/client_info.h"
#include "support/system/machine_identity.h"
#include "support/system/machine_text.h"
#include "support/system/os_version.h"
#include "tests/helpers/test_http_server.h"

namespace {

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// The report goes to the tests' server, which keeps each request under its own key and answers
// with the chosen reply.
class InstallReportTest : public HttpServerTest {
 protected:

  // The body as this machine must send it.
  static std::string ExpectedBody() {
    char16_t device[kDeviceIdUnits];
    EXPECT_TRUE(GetDeviceId(device, "Quellin"));
    std::string body = "action=1&version=1.2.3.4";
    if (GetSystemName() != nullptr) body += "&system=" + Narrow(GetSystemName());
    return body + "&device=" + Narrow(device);
  }
};

TEST_F(InstallReportTest, SendsTheExactBodyOnlyWhenEveryGateOpens) {
  struct Case {
    const char* name;
    uint32_t style;
    const char16_t* action;
    const char* reply;     // null: no endpoint configured
    const char16_t* version;
    bool sent;
    bool result;
  };
  const Case cases[] = {
      {"accepted", kStyleSendReport, u"uninst|install", "1", u"1.2.3.4", true, true},
      {"accepted with more text", kStyleSendReport | 0x1, u"install", "1%20thanks", u"1.2.3.4",
       true, true},
      {"refused", kStyleSendReport, u"install", "0", u"1.2.3.4", true, false},
      {"empty reply", kStyleSendReport, u"install", "", u"1.2.3.4", true, false},
      {"reports switched off", 0x8, u"install", "1", u"1.2.3.4", false, false},
      {"install not among the actions", kStyleSendReport, u"uninst|update", "1", u"1.2.3.4",
       false, true},
      {"no endpoint", kStyleSendReport, u"install", nullptr, u"1.2.3.4", false, false},
      {"another version", kStyleSendReport, u"install", "1", u"1.2.3.5", false, false},
      {"no version", kStyleSendReport, u"install", "1", nullptr, false, false},
  };
  const std::string expectedBody = ExpectedBody();
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::string key = "install-report-" + std::to_string(i);
    CClientInfo product;
    product.SetCompany(u"Quellin");
    product.SetApp(u"demo");
    product.SetVersion(u"1.2.3.4");
    product.SetStyle(c.style);
    product.SetAction(c.action);
    product.SetNotify(
        c.reply == nullptr ? u"" : Url("/record/" + key + "?reply=" + c.reply).c_str());

    EXPECT_EQ(ReportInstall(product, c.version), c.result);

    std::string received = Received(key);
    if (!c.sent) {
      EXPECT_EQ(received, "<nothing received>");
      continue;
    }
    size_t bodyStart = received.find("\r\n\r\n");
    ASSERT_NE(bodyStart, std::string::npos);
    EXPECT_EQ(received.substr(0, 5), "POST ");
    EXPECT_EQ(received.substr(bodyStart + 4), expectedBody);
    EXPECT_NE(received.find("Content-Length: " + std::to_string(expectedBody.size()) + "\r\n"),
              std::string::npos);
    EXPECT_NE(received.find("User-Agent: Quellin/demo/1.2.3.4 client/1.1 WebUI/1.3 WKE/535.2 "
                            "WebKit/535.2\r\n"),
              std::string::npos);
  }
}

TEST_F(InstallReportTest, BodyOfThisMachine) {
  CClientInfo product;
  product.SetCompany(u"Quellin");
  product.SetVersion(u"1.2.3.4");
  char16_t body[kReportBodyUnits];
  int length = BuildReportBody(product, body);
  EXPECT_EQ(Narrow(std::u16string(body)), ExpectedBody());
  EXPECT_EQ(length, static_cast<int>(ExpectedBody().size()));
  EXPECT_EQ(BuildReportBody(product, nullptr), 0);
}

}  // namespace
