#include "installer/startup_texts.h"

void BuildStartupTexts(const IClientInfo& info, FixedWString<512>& userAgent,
                       FixedWString<128>& title) {
  userAgent.Assign(info.GetCompany().Units());
  userAgent.Append(u"/");
  userAgent.Append(info.GetApp().Units());
  userAgent.Append(u"/");
  userAgent.Append(info.GetVersion().Units());
  userAgent.Append(u" client/1.1 WebUI/1.3 WKE/535.2 WebKit/535.2");
  title.Assign(info.GetName().Units());
}
