#include "support/internet.h"

#include <windows.h>
#include <wininet.h>

#include <cwchar>

#include "support/url_parts.h"
#include "support/wide_text.h"

namespace {

constexpr wchar_t kBuiltInUserAgent[] =
    L"Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    L"Chrome/43.0.2357.81 Safari/537.36";
constexpr wchar_t kRequestHttpVersion[] = L"HTTP/1.0";
constexpr wchar_t kContentTypeHeader[] = L"Content-Type: application/x-www-form-urlencoded";
constexpr DWORD kAddOrReplace = HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE;
constexpr DWORD kHttpsFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE |
                              INTERNET_FLAG_IGNORE_CERT_CN_INVALID |
                              INTERNET_FLAG_IGNORE_CERT_DATE_INVALID;

// Reading the reply: these govern only what follows the sent request, which runs under the
// session's defaults.
struct Timeout {
  DWORD option;
  DWORD milliseconds;
};
constexpr Timeout kReplyTimeouts[] = {
    {INTERNET_OPTION_CONNECT_TIMEOUT, 5000},
    {INTERNET_OPTION_SEND_TIMEOUT, 1000},
    {INTERNET_OPTION_RECEIVE_TIMEOUT, 7000},
    {INTERNET_OPTION_DATA_SEND_TIMEOUT, 1000},
    {INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, 7000},
};

void SetTimeouts(HINTERNET request) {
  for (const Timeout& timeout : kReplyTimeouts) {
    DWORD value = timeout.milliseconds;
    InternetSetOptionW(request, timeout.option, &value, sizeof value);
  }
}

bool QueryNumber(HINTERNET request, DWORD query, DWORD* number) {
  DWORD size = sizeof *number;
  return HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, number, &size, nullptr);
}

bool IsStatusOk(HINTERNET request) {
  DWORD status = 0;
  return QueryNumber(request, HTTP_QUERY_STATUS_CODE, &status) && status == HTTP_STATUS_OK;
}

// A Content-Type longer than the string holds is left out rather than cut.
void QueryContentType(HINTERNET request, FixedWString<64>& out) {
  wchar_t text[FixedWString<64>::kCapacity] = {};
  DWORD size = sizeof text;
  if (HttpQueryInfoW(request, HTTP_QUERY_CONTENT_TYPE, text, &size, nullptr)) {
    out.Assign(AsUtf16(text));
  }
}

// A request being read, and the flag that abandons it.
struct Transfer {
  HINTERNET request;
  const std::atomic<bool>* stop;
};

bool Stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(); }

// InternetReadFile waits until it holds all it was asked for, a whole chunk: asked only for what
// has arrived, it returns with each piece, so that a stop request is seen within one piece of a
// slow download rather than at the end of its chunk.
bool ReadTransfer(void* source, uint8_t* into, uint32_t wanted, uint32_t* received) {
  auto* transfer = static_cast<Transfer*>(source);
  DWORD available = 0;
  if (Stopped(transfer->stop) ||
      !InternetQueryDataAvailable(transfer->request, &available, 0, 0)) {
    return false;
  }
  *received = 0;
  // Nothing more to come: the end of the document.
  if (available == 0) return true;
  DWORD read = 0;
  if (Stopped(transfer->stop) ||
      !InternetReadFile(transfer->request, into, available < wanted ? available : wanted, &read)) {
    return false;
  }
  *received = read;
  return true;
}

}  // namespace

void CInternet::HandleCloser::operator()(void* handle) const {
  InternetCloseHandle(static_cast<HINTERNET>(handle));
}

CInternet::CInternet() = default;
CInternet::~CInternet() = default;

bool CInternet::OpenSession(const char16_t* userAgent) {
  if (session_) return true;
  session_.reset(InternetOpenW(AsWide(userAgent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                               0));
  return session_ != nullptr;
}

void CInternet::SetProgress(ProgressCallback callback, void* context) {
  progress_ = callback;
  progressContext_ = context;
}

bool CInternet::Download(const char16_t* url) {
  document_.SetLength(0);
  if (url == nullptr || Stopped(stop_) || !OpenSession(nullptr)) return false;
  InternetHandle transfer(InternetOpenUrlW(session_.get(), AsWide(url), nullptr, 0,
                                           INTERNET_FLAG_NO_CACHE_WRITE, 0));
  if (!transfer) return false;
  SetTimeouts(transfer.get());
  DWORD announced = 0;
  if (!IsStatusOk(transfer.get()) ||
      !QueryNumber(transfer.get(), HTTP_QUERY_CONTENT_LENGTH, &announced)) {
    return false;
  }
  Transfer source{transfer.get(), stop_};
  return ReadAnnouncedBody(document_, announced, ReadTransfer, &source, progress_,
                           progressContext_);
}

bool CInternet::Post(const char16_t* url, const char16_t* userAgent, const void* body,
                     uint32_t bodyLength, uint8_t* response, uint32_t* responseLength,
                     FixedWString<64>* contentType) {
  return SendRequest(url, userAgent, u"POST", body, bodyLength, response, responseLength,
                     contentType);
}

bool CInternet::SendRequest(const char16_t* url, const char16_t* userAgent, const char16_t* verb,
                            const void* body, uint32_t bodyLength, uint8_t* response,
                            uint32_t* responseLength, FixedWString<64>* contentType) {
  if (url == nullptr || verb == nullptr || responseLength == nullptr) return false;
  uint32_t capacity = *responseLength;
  *responseLength = 0;
  if ((response == nullptr && capacity != 0) || (body == nullptr && bodyLength != 0)) return false;
  if (capacity != 0) response[0] = 0;

  RequestTarget target;
  if (!GetRequestTarget(url, &target)) return false;
  if (!OpenSession(userAgent != nullptr ? userAgent : AsUtf16(kBuiltInUserAgent))) return false;
  InternetHandle connection(InternetConnectW(session_.get(), AsWide(target.server),
                                             static_cast<INTERNET_PORT>(target.port), L"", L"",
                                             INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return false;
  InternetHandle request(HttpOpenRequestW(connection.get(), AsWide(verb), AsWide(target.objectPath),
                                          kRequestHttpVersion, L"", nullptr,
                                          IsHttps(url) ? kHttpsFlags : INTERNET_FLAG_RELOAD, 0));
  if (!request) return false;

  wchar_t lengthHeader[64];
  std::swprintf(lengthHeader, 64, L"Content-Length: %u\r\n\r\n", bodyLength);
  HttpAddRequestHeadersW(request.get(), kContentTypeHeader, static_cast<DWORD>(-1), kAddOrReplace);
  HttpAddRequestHeadersW(request.get(), lengthHeader, static_cast<DWORD>(-1), kAddOrReplace);
  if (!HttpSendRequestW(request.get(), nullptr, 0, const_cast<void*>(body), bodyLength)) {
    return false;
  }
  SetTimeouts(request.get());
  if (!IsStatusOk(request.get())) return false;
  if (contentType != nullptr) QueryContentType(request.get(), *contentType);
  Transfer source{request.get(), nullptr};
  *responseLength = ReadReplyInto(response, capacity, ReadTransfer, &source);
  return true;
}
