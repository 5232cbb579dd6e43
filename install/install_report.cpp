#include "install/install_report.h"

#include <cstdint>

#include "install/install_report_body.h"
#include "records/client_info.h"
#include "support/http/internet.h"
#include "support/system/machine_identity.h"
#include "support/system/machine_text.h"
#include "support/system/os_version.h"
#include "support/text/ansi_text.h"
#include "support/text/ascii_text.h"

namespace {

constexpr int kCompanyBytes = 127;
constexpr uint32_t kReplyCapacity = 1023;

}  // namespace

int BuildReportBody(const IClientInfo& product, char16_t* buffer) {
  if (buffer == nullptr) return 0;
  // A company text that does not fit its bytes leaves the extra text empty, not half a name.
  char company[kCompanyBytes + 1] = {};
  if (WideToAnsi(product.GetCompany().Units(), -1, company, kCompanyBytes) == 0) {
    company[0] = 0;
  }
  char16_t device[kDeviceIdUnits] = {};
  bool haveDevice = GetDeviceId(device, company);
  return ComposeReportBody(buffer, product.GetVersion().Units(), GetSystemName(),
                           haveDevice ? device : nullptr);
}

bool SendInstallReport(const IClientInfo& product, const char16_t* packageVersion) {
  if (packageVersion == nullptr ||
      CompareUnits(packageVersion, product.GetVersion().Units()) != 0 ||
      product.GetNotify().Length() == 0) {
    return false;
  }
  char16_t body[kReportBodyUnits] = {};
  int length = BuildReportBody(product, body);
  if (length == 0) return false;
  char bytes[kReportBodyUnits] = {};
  int byteCount = WideToAnsi(body, length, bytes, kReportBodyUnits - 1);
  if (byteCount == 0) return false;

  FixedWString<512> userAgent;
  FormatUserAgent(product, &userAgent);
  uint8_t reply[kReplyCapacity + 1] = {};
  uint32_t replyLength = kReplyCapacity;
  FixedWString<64> contentType;
  CInternet internet;
  if (!internet.Post(product.GetNotify().Units(), userAgent.Units(), bytes,
                     static_cast<uint32_t>(byteCount), reply, &replyLength, &contentType)) {
    return false;
  }
  return replyLength > 0 && reply[0] == '1';
}

bool ReportInstall(const IClientInfo& product, const char16_t* packageVersion) {
  if (packageVersion == nullptr || !product.HasStyle(kStyleSendReport)) return false;
  if (!ActionsIncludeInstall(product.GetAction().Units())) return true;
  return SendInstallReport(product, packageVersion);
}
