#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// What a download asks of the network: one GET at a time and the body of its reply. WinINet
// serves it in the product (CHttpGet); tests script it.

// The head of the reply a GET ended at, after any redirects, as the download judges it.
struct ReplyHead {
  int status = 0;
  std::string contentLength;  // the header's value; empty when the reply has none
  std::string contentRange;   // likewise
};

enum class SendOutcome {
  kReplied,  // the head is filled in
  kNoReply,  // no reply came (no connection, reset, timed out): worth another try
  kRefused,  // it never will (a URL that cannot be requested, a certificate that does not
             // verify, too many redirects): not worth another
};

class IHttpSource {
 public:
  virtual ~IHttpSource() = default;

  // Sends a GET for url asking for its bytes from offset on (with a Range header when offset is
  // above 0), ending any reply before it.
  virtual SendOutcome Send(const char16_t* url, uint64_t offset, ReplyHead* head) = 0;
  // Reads up to wanted bytes of the last reply's body, no more than have arrived, waiting only
  // while none have. *received 0: the body ended. False when the read failed.
  virtual bool Read(uint8_t* into, uint32_t wanted, uint32_t* received) = 0;
  // Why the last Send that got no reply, or the last Read that failed, did, in the system's words
  // or the source's own (a certificate that does not verify, too many redirects); empty when it
  // cannot tell.
  virtual std::u16string LastError() const = 0;
};

// Makes a source for one more connection: a source serves one GET at a time, from one thread, so
// downloads that run at once take one each. Never null.
using HttpSourceMaker = std::function<std::unique_ptr<IHttpSource>()>;

// IHttpSource::Read as a ReadFunction, with the source as its first argument.
inline bool ReadFromHttpSource(void* source, uint8_t* into, uint32_t wanted, uint32_t* received) {
  return static_cast<IHttpSource*>(source)->Read(into, wanted, received);
}
