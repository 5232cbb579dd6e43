#include "support/http/http_get.h"

#include <windows.h>
#include <wininet.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "support/core/wide_text.h"
#include "support/http/fetch_target.h"
#include "support/text/system_error_text.h"

namespace {

struct Timeout {
  DWORD option;
  DWORD milliseconds;
};
constexpr Timeout kTimeouts[] = {
    {INTERNET_OPTION_CONNECT_TIMEOUT, 5000},
    {INTERNET_OPTION_SEND_TIMEOUT, 1000},
    {INTERNET_OPTION_RECEIVE_TIMEOUT, 7000},
    {INTERNET_OPTION_DATA_SEND_TIMEOUT, 1000},
    {INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, 7000},
};

// Every request goes to the server (nothing from or into the cache) and redirects are left to
// the caller. No certificate error is ignored.
constexpr DWORD kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;

constexpr DWORD kRedirectStatuses[] = {301, 302, 303, 307, 308};

// Failures to get a reply that a later try may not meet. Anything else (a certificate that does
// not verify, a URL WinINet will not request) fails the same way every time.
constexpr DWORD kPassingFailures[] = {
    ERROR_INTERNET_TIMEOUT,         ERROR_INTERNET_NAME_NOT_RESOLVED,
    ERROR_INTERNET_CANNOT_CONNECT,  ERROR_INTERNET_CONNECTION_ABORTED,
    ERROR_INTERNET_CONNECTION_RESET, ERROR_INTERNET_FORCE_RETRY,
    ERROR_HTTP_INVALID_SERVER_RESPONSE,
    // Wine hands some socket errors on as they are.
    WSAETIMEDOUT, WSAECONNRESET, WSAECONNABORTED, WSAECONNREFUSED,
};

void SetTimeouts(HINTERNET handle) {
  for (const Timeout& timeout : kTimeouts) {
    DWORD value = timeout.milliseconds;
    InternetSetOptionW(handle, timeout.option, &value, sizeof value);
  }
}

bool IsOneOf(DWORD value, const DWORD* begin, const DWORD* end) {
  for (; begin != end; ++begin) {
    if (*begin == value) return true;
  }
  return false;
}

// A header of the reply as ASCII text; empty when the reply has none. A unit past ASCII becomes
// "?", which no header value a download reads may hold.
std::string QueryHeader(HINTERNET request, DWORD query) {
  std::vector<wchar_t> text(256);
  DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  while (!HttpQueryInfoW(request, query, text.data(), &size, nullptr)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::string();
    text.assign(size / sizeof(wchar_t) + 1, 0);
  }
  std::string value;
  for (DWORD i = 0; i < size / sizeof(wchar_t); ++i) {
    value += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
  }
  return value;
}

// The request goes before the connection it was made on.
void CloseRequest(HttpRequest* request) {
  request->request.reset();
  request->connection.reset();
}

int QueryStatus(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr)) {
    return 0;
  }
  return static_cast<int>(status);
}

std::u16string QueryLocation(HINTERNET request) {
  const std::string location = QueryHeader(request, HTTP_QUERY_LOCATION);
  return std::u16string(location.begin(), location.end());
}

}  // namespace

void InternetHandleCloser::operator()(void* handle) const {
  InternetCloseHandle(static_cast<HINTERNET>(handle));
}

InternetHandle OpenInternetSession(const char16_t* userAgent) {
  InternetHandle session(
      InternetOpenW(AsWide(userAgent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (session) SetTimeouts(session.get());
  return session;
}

bool OpenHttpRequest(void* session, const char16_t* server, int port, bool secure,
                     const char16_t* verb, const char16_t* objectPath,
                     const char16_t* httpVersion, HttpRequest* out) {
  CloseRequest(out);
  out->connection.reset(InternetConnectW(static_cast<HINTERNET>(session), AsWide(server),
                                         static_cast<INTERNET_PORT>(port), L"", L"",
                                         INTERNET_SERVICE_HTTP, 0, 0));
  if (!out->connection) return false;
  SetTimeouts(out->connection.get());
  out->request.reset(HttpOpenRequestW(out->connection.get(), AsWide(verb), AsWide(objectPath),
                                      AsWide(httpVersion), L"", nullptr,
                                      kRequestFlags | (secure ? INTERNET_FLAG_SECURE : 0), 0));
  if (!out->request) return false;
  SetTimeouts(out->request.get());
  return true;
}

bool ReadArrived(void* request, uint8_t* into, uint32_t wanted, uint32_t* received) {
  auto* handle = static_cast<HINTERNET>(request);
  DWORD available = 0;
  if (!InternetQueryDataAvailable(handle, &available, 0, 0)) return false;
  DWORD read = 0;
  if (available > 0 && !InternetReadFile(handle, into, available < wanted ? available : wanted,
                                         &read)) {
    return false;
  }
  *received = read;
  return true;
}

CHttpGet::CHttpGet(void* session) : session_(session) {}

SendOutcome CHttpGet::Send(const char16_t* url, uint64_t offset, ReplyHead* head) {
  CloseRequest(&reply_);
  *head = ReplyHead();
  lastError_.clear();
  if (url == nullptr) return SendOutcome::kRefused;
  if (session_ == nullptr) {
    ownSession_ = OpenInternetSession(nullptr);
    session_ = ownSession_.get();
    if (session_ == nullptr) {
      lastError_ = SystemErrorText(GetLastError());
      return SendOutcome::kNoReply;
    }
  }
  const std::wstring range = L"Range: bytes=" + std::to_wstring(offset) + L"-\r\n";
  std::u16string current = url;
  for (int redirects = 0;; ++redirects) {
    FetchTarget target;
    if (!GetFetchTarget(current, &target)) {
      lastError_ = u"not an http or https URL";
      return SendOutcome::kRefused;
    }
    if (!OpenHttpRequest(session_, target.server.c_str(), target.port, target.secure, u"GET",
                         target.objectPath.c_str(), nullptr, &reply_)) {
      lastError_ = SystemErrorText(GetLastError());
      return SendOutcome::kRefused;
    }
    if (!HttpSendRequestW(reply_.request.get(), offset > 0 ? range.c_str() : nullptr,
                          offset > 0 ? static_cast<DWORD>(-1) : 0, nullptr, 0)) {
      const DWORD error = GetLastError();
      lastError_ = SystemErrorText(error);
      CloseRequest(&reply_);
      return IsOneOf(error, std::begin(kPassingFailures), std::end(kPassingFailures))
                 ? SendOutcome::kNoReply
                 : SendOutcome::kRefused;
    }
    head->status = QueryStatus(reply_.request.get());
    if (!IsOneOf(static_cast<DWORD>(head->status), std::begin(kRedirectStatuses),
                 std::end(kRedirectStatuses))) {
      break;
    }
    std::u16string next;
    if (redirects == kMostRedirects ||
        !ResolveRedirect(current, QueryLocation(reply_.request.get()), &next)) {
      lastError_ = redirects == kMostRedirects ? u"too many redirects"
                                               : u"a redirect that may not be followed";
      CloseRequest(&reply_);
      *head = ReplyHead();
      return SendOutcome::kRefused;
    }
    current = next;
  }
  head->contentLength = QueryHeader(reply_.request.get(), HTTP_QUERY_CONTENT_LENGTH);
  head->contentRange = QueryHeader(reply_.request.get(), HTTP_QUERY_CONTENT_RANGE);
  return SendOutcome::kReplied;
}

bool CHttpGet::Read(uint8_t* into, uint32_t wanted, uint32_t* received) {
  if (reply_.request && ReadArrived(reply_.request.get(), into, wanted, received)) return true;
  lastError_ = reply_.request ? SystemErrorText(GetLastError()) : u"no reply to read";
  return false;
}

HttpSourceMaker HttpGetMaker(int connections) {
  // The bounds are the process's, set with no handle.
  DWORD most = static_cast<DWORD>(connections);
  InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &most, sizeof most);
  InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &most, sizeof most);
  return [] { return std::make_unique<CHttpGet>(); };
}
