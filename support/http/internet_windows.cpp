#include "support/http/internet.h"

#include <windows.h>
#include <wininet.h>

#include <cwchar>
#include <utility>

#include "support/core/wide_text.h"
#include "support/http/http_get.h"
#include "support/http/http_header_values.h"
#include "support/http/url_parts.h"
#include "support/text/system_error_text.h"

namespace {

constexpr char16_t kBuiltInUserAgent[] =
    u"Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    u"Chrome/43.0.2357.81 Safari/537.36";
constexpr char16_t kRequestHttpVersion[] = u"HTTP/1.0";
constexpr wchar_t kContentTypeHeader[] = L"Content-Type: application/x-www-form-urlencoded";
constexpr DWORD kAddOrReplace = HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE;
constexpr int kStatusOk = 200;

bool IsStatusOk(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  return HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr) &&
         status == HTTP_STATUS_OK;
}

// A Content-Type longer than the string holds is left out rather than cut.
void QueryContentType(HINTERNET request, FixedWString<64>& out) {
  wchar_t text[FixedWString<64>::kCapacity] = {};
  DWORD size = sizeof text;
  if (HttpQueryInfoW(request, HTTP_QUERY_CONTENT_TYPE, text, &size, nullptr)) {
    out.Assign(AsUtf16(text));
  }
}

}  // namespace

CInternet::CInternet() = default;
CInternet::~CInternet() = default;

bool CInternet::OpenSession(const char16_t* userAgent) {
  if (!session_) session_ = OpenInternetSession(userAgent);
  return session_ != nullptr;
}

void CInternet::SetProgress(ProgressCallback callback, void* context) {
  progress_ = callback;
  progressContext_ = context;
}

bool CInternet::DownloadUncached(const char16_t* url) {
  FixedWString<1024> request;
  if (!MakeUncachedUrl(url, &request)) {
    document_.SetLength(0);
    return Failed(DownloadFailure(DownloadFailure::Kind::kRefused, u"no room for its query"));
  }
  return Download(request.Units());
}

bool CInternet::Download(const char16_t* url) {
  document_.SetLength(0);
  failure_ = DownloadFailure();
  if (url == nullptr) return Failed(DownloadFailure(DownloadFailure::Kind::kRefused));
  if (stop_ != nullptr && stop_->load()) {
    return Failed(DownloadFailure(DownloadFailure::Kind::kStopped));
  }
  if (!OpenSession(nullptr)) {
    return Failed(
        DownloadFailure(DownloadFailure::Kind::kNoReply, SystemErrorText(GetLastError())));
  }
  CHttpGet get(session_.get());
  ReplyHead head;
  const SendOutcome sent = get.Send(url, 0, &head);
  if (sent != SendOutcome::kReplied) return Failed(SendFailure(sent, get));
  uint64_t announced = 0;
  if (head.status != kStatusOk || !ParseContentLength(head.contentLength, &announced)) {
    return Failed(ReplyFailure(head.status));
  }
  // A length beyond what a document may be is refused here, before anything is allocated.
  if (announced > kLargestDocument) {
    return Failed(DownloadFailure(DownloadFailure::Kind::kTooLarge));
  }
  const BodyEnd end =
      ReadAnnouncedBody(document_, static_cast<uint32_t>(announced), ReadFromHttpSource, &get,
                        progress_, progressContext_, stop_);
  return end == BodyEnd::kComplete || Failed(BodyFailure(end, get));
}

bool CInternet::Failed(DownloadFailure failure) {
  failure_ = std::move(failure);
  return false;
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
  if (!OpenSession(userAgent != nullptr ? userAgent : kBuiltInUserAgent)) return false;
  HttpRequest request;
  if (!OpenHttpRequest(session_.get(), target.server, target.port, IsHttps(url), verb,
                       target.objectPath, kRequestHttpVersion, &request)) {
    return false;
  }
  wchar_t lengthHeader[64];
  std::swprintf(lengthHeader, 64, L"Content-Length: %u\r\n\r\n", bodyLength);
  HINTERNET handle = request.request.get();
  HttpAddRequestHeadersW(handle, kContentTypeHeader, static_cast<DWORD>(-1), kAddOrReplace);
  HttpAddRequestHeadersW(handle, lengthHeader, static_cast<DWORD>(-1), kAddOrReplace);
  if (!HttpSendRequestW(handle, nullptr, 0, const_cast<void*>(body), bodyLength) ||
      !IsStatusOk(handle)) {
    return false;
  }
  if (contentType != nullptr) QueryContentType(handle, *contentType);
  *responseLength = ReadReplyInto(response, capacity, ReadArrived, handle);
  return true;
}
