#pragma once

#include <atomic>
#include <cstdint>

#include "support/core/fixed_wstring.h"
#include "support/files/xdata.h"
#include "support/http/download_failure.h"
#include "support/http/http_body_reader.h"
#include "support/http/internet_handle.h"

// The system's HTTP client over WinINet: fetches a document into a buffer it owns, or sends a
// request with a body and reads the reply into the caller's buffer. Every operation blocks until
// the transfer ends, and every wait in it is bounded by a time-out; an https server's certificate
// must verify. One object serves one caller's transfers; the WinINet session it opens on first use
// (with that operation's user agent) is reused until the object goes. Files are downloaded by
// CFileDownload, which never holds a whole file.
class CInternet {
 public:
  CInternet();
  virtual ~CInternet();
  CInternet(const CInternet&) = delete;
  CInternet& operator=(const CInternet&) = delete;

  // GETs url into the document buffer, following at most kMostRedirects redirects. The reply
  // must have status 200 and a Content-Length of at most kLargestDocument, and its body must be
  // exactly that long. On success GetData holds GetSize bytes followed by two zero bytes, valid
  // until the next Download or the object's end; on failure GetSize is 0 and Failure says why.
  bool Download(const char16_t* url);
  // Download of url with a query no cache on the way has seen (MakeUncachedUrl), so the server
  // itself answers. False too for a null url or one that would not fit with the query.
  bool DownloadUncached(const char16_t* url);
  const uint8_t* GetData() const { return document_.Data(); }
  uint32_t GetSize() const { return document_.Length(); }
  // Why the last Download failed; kNone after one that did not.
  const DownloadFailure& Failure() const { return failure_; }
  // Called after each piece that Download receives (at most kDownloadPieceSize); null for none.
  void SetProgress(ProgressCallback callback, void* context);
  // A flag another thread may set to abandon transfers: Download looks at it before it starts and
  // before each piece it reads, and fails once it is set. Null for none.
  void SetStopRequest(const std::atomic<bool>* stop) { stop_ = stop; }

  // SendRequest with the verb "POST".
  bool Post(const char16_t* url, const char16_t* userAgent, const void* body, uint32_t bodyLength,
            uint8_t* response, uint32_t* responseLength, FixedWString<64>* contentType);
  // Sends body (bodyLength bytes, as they are) as a form with verb to url, as HTTP/1.0, under
  // userAgent (null: the built-in one). True when the reply has status 200; then up to
  // *responseLength - 1 bytes of it are read into response, zero-terminated, *responseLength
  // becomes the number read, and contentType (when given) receives the reply's Content-Type
  // (left as it was when there is none or it is longer than 63 characters). A redirect is not
  // followed, so it is not a 200. A URL whose host or path does not fit its buffer (255 and 2,047
  // characters) is refused.
  bool SendRequest(const char16_t* url, const char16_t* userAgent, const char16_t* verb,
                   const void* body, uint32_t bodyLength, uint8_t* response,
                   uint32_t* responseLength, FixedWString<64>* contentType);

 private:
  bool OpenSession(const char16_t* userAgent);
  // Keeps failure as the last Download's; false.
  bool Failed(DownloadFailure failure);

  InternetHandle session_;
  XData document_;  // room for the announced length plus two zero bytes
  DownloadFailure failure_;
  ProgressCallback progress_ = nullptr;
  void* progressContext_ = nullptr;
  const std::atomic<bool>* stop_ = nullptr;
};
