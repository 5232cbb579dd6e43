#include "support/text/system_error_text.h"

#include <windows.h>
#include <restartmanager.h>

#include <vector>

#include "support/core/wide_text.h"

namespace {

// Ends a Restart Manager session.
class RestartSession {
 public:
  RestartSession() {
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    open_ = RmStartSession(&handle_, 0, key) == ERROR_SUCCESS;
  }
  ~RestartSession() {
    if (open_) RmEndSession(handle_);
  }
  RestartSession(const RestartSession&) = delete;
  RestartSession& operator=(const RestartSession&) = delete;

  bool Open() const { return open_; }
  DWORD Get() const { return handle_; }

 private:
  DWORD handle_ = 0;
  bool open_ = false;
};

}  // namespace

std::u16string SystemErrorText(uint32_t code) {
  // WinINet's codes have their words in its own module, when a program has it loaded.
  constexpr uint32_t kFirstInternetError = 12000;
  constexpr uint32_t kLastInternetError = 12999;
  const HMODULE internet = code >= kFirstInternetError && code <= kLastInternetError
                               ? GetModuleHandleW(L"wininet.dll")
                               : nullptr;
  wchar_t text[512] = {};
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                    (internet != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : 0),
                                internet, code, 0, text, 512, nullptr);
  while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r' ||
                        text[length - 1] == L' ' || text[length - 1] == L'.')) {
    --length;
  }
  if (length == 0) {
    std::u16string fallback = u"error ";
    for (char digit : std::to_string(code)) fallback += static_cast<char16_t>(digit);
    return fallback;
  }
  return std::u16string(AsUtf16(text), length);
}

std::u16string FileHolderText(const char16_t* path) {
  RestartSession session;
  if (!session.Open() || path == nullptr) return {};
  LPCWSTR files[] = {AsWide(path)};
  if (RmRegisterResources(session.Get(), 1, files, 0, nullptr, 0, nullptr) != ERROR_SUCCESS) {
    return {};
  }
  std::vector<RM_PROCESS_INFO> holders(8);
  UINT needed = 0;
  UINT count = static_cast<UINT>(holders.size());
  DWORD reasons = 0;
  DWORD status = RmGetList(session.Get(), &needed, &count, holders.data(), &reasons);
  if (status == ERROR_MORE_DATA) {
    holders.resize(needed);
    count = needed;
    status = RmGetList(session.Get(), &needed, &count, holders.data(), &reasons);
  }
  if (status != ERROR_SUCCESS) return {};
  std::u16string text;
  for (UINT i = 0; i < count && i < holders.size(); ++i) {
    if (!text.empty()) text += u", ";
    text += AsUtf16(holders[i].strAppName);
    text += u" (process ";
    for (char digit : std::to_string(holders[i].Process.dwProcessId)) {
      text += static_cast<char16_t>(digit);
    }
    text += u")";
  }
  return text;
}
