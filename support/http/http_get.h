#pragma once

#include <cstdint>
#include <string>

#include "support/http/http_source.h"
#include "support/http/internet_handle.h"

// Sessions and requests over WinINet whose every wait is bounded (connecting, sending, the reply's
// head and each piece of its body), and GETs that follow redirects by hand.

// A session under userAgent (null: none), with the time-outs set on it. Null when WinINet refuses.
InternetHandle OpenInternetSession(const char16_t* userAgent);

// A connection to server:port and a request on it, not yet sent. The time-outs are set on both
// before anything is sent, so that the wait for the reply's head is bounded too; redirects are
// not followed; an https request verifies the server's certificate, ignoring no error in it.
struct HttpRequest {
  InternetHandle connection;
  InternetHandle request;
};
bool OpenHttpRequest(void* session, const char16_t* server, int port, bool secure,
                     const char16_t* verb, const char16_t* objectPath,
                     const char16_t* httpVersion, HttpRequest* out);

// A ReadFunction over a sent request (the HINTERNET as source): waits until some of the body has
// arrived (or the time-out ends the wait) and reads no more than that, so a slow body is handed
// on as it comes.
bool ReadArrived(void* request, uint8_t* into, uint32_t wanted, uint32_t* received);

// The most redirects a GET follows; the next one fails it.
constexpr int kMostRedirects = 5;

// GETs over WinINet, for downloads. A redirect (301, 302, 303, 307, 308) is followed by hand, at
// most kMostRedirects times and never from https to http; a Range header goes with every request
// of a GET from an offset.
class CHttpGet : public IHttpSource {
 public:
  // Sends through session, or through a session of its own (with no user agent) when it is null.
  explicit CHttpGet(void* session = nullptr);
  CHttpGet(const CHttpGet&) = delete;
  CHttpGet& operator=(const CHttpGet&) = delete;

  SendOutcome Send(const char16_t* url, uint64_t offset, ReplyHead* head) override;
  bool Read(uint8_t* into, uint32_t wanted, uint32_t* received) override;
  // WinINet's or the system's words for the error of the last failed call, or why a redirect was
  // not followed.
  std::u16string LastError() const override { return lastError_; }

 private:
  InternetHandle ownSession_;
  void* session_;
  HttpRequest reply_;  // the request whose reply is being read
  std::u16string lastError_;
};

// Makes a CHttpGet for each download that runs at once, each with a session of its own, and
// lets the process open up to connections at once to one server, above WinINet's own bound.
HttpSourceMaker HttpGetMaker(int connections);
