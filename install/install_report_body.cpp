#include "install/install_report_body.h"

#include "records/client_info.h"
#include "support/text/ascii_text.h"
#include "support/text/key_value_text.h"

namespace {

// The actions a product may report, in the order that gives their codes ("uninst" 0, "install"
// 1, "update" 2, "launch" 3, "quit" 4); the installer reports only the install.
constexpr char16_t kInstallActionCode[] = u"1";
constexpr char16_t kInstallAction[] = u"install";

}  // namespace

void FormatUserAgent(const IClientInfo& product, FixedWString<512>* userAgent) {
  userAgent->Assign(product.GetCompany().Units());
  userAgent->Append(u"/");
  userAgent->Append(product.GetApp().Units());
  userAgent->Append(u"/");
  userAgent->Append(product.GetVersion().Units());
  userAgent->Append(u" client/1.1 WebUI/1.3 WKE/535.2 WebKit/535.2");
}

bool ActionsIncludeInstall(const char16_t* actions) {
  return ContainsUnits(actions, kInstallAction);
}

int ComposeReportBody(char16_t* buffer, const char16_t* version, const char16_t* system,
                      const char16_t* device) {
  if (buffer == nullptr) return 0;
  struct Pair {
    const char16_t* key;
    const char16_t* value;
  };
  const Pair pairs[] = {
      {u"action", kInstallActionCode},
      {u"version", version},
      {u"system", system},
      {u"device", device},
  };
  int length = 0;
  for (const Pair& pair : pairs) {
    if (pair.value == nullptr) continue;
    length += PutKeyValue(buffer + length, kReportBodyUnits - 1 - length, pair.key, pair.value,
                          -1, u'=', u'&');
  }
  if (length > 0) --length;  // the "&" after the last pair
  buffer[length] = 0;
  return length;
}
