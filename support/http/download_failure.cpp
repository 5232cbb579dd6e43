#include "support/http/download_failure.h"

#include "support/text/utf8.h"

namespace {

using Kind = DownloadFailure::Kind;

std::u16string Number(uint64_t value) { return Utf8ToUtf16(std::to_string(value)); }

// what, followed by the reason when there is one.
std::u16string WithReason(const char16_t* what, const std::u16string& reason) {
  return reason.empty() ? std::u16string(what) : what + (u": " + reason);
}

}  // namespace

std::u16string DownloadFailure::Describe() const {
  switch (kind) {
    case Kind::kNone:
      break;
    case Kind::kNoReply:
      return WithReason(u"no reply", reason);
    case Kind::kRefused:
      return WithReason(u"refused", reason);
    case Kind::kStatus:
      return u"HTTP " + Number(static_cast<uint64_t>(status));
    case Kind::kWrongLength:
      return u"HTTP " + Number(static_cast<uint64_t>(status)) +
             u" with another length than expected";
    case Kind::kTooLarge:
      return u"longer than a document may be";
    case Kind::kEndedEarly:
      return u"cut off before its end";
    case Kind::kTooLong:
      return u"longer than announced";
    case Kind::kReadFailed:
      return WithReason(u"cut off", reason);
    case Kind::kTooSlow:
      return u"too slow: under " + Number(kSlowestWindowBytes / 1024) + u" KB in " +
             Number(kSlowWindowMs / 1000) + u" s";
    case Kind::kOutOfTime:
      return u"took longer than its time limit";
    case Kind::kNotWritten:
      return WithReason(u"not written", reason);
    case Kind::kMismatch:
      return u"not the listed file: its size or MD5 differs";
    case Kind::kStopped:
      return u"stopped";
  }
  return {};
}

DownloadFailure ReplyFailure(int status) {
  constexpr int kStatusOk = 200;
  constexpr int kStatusPartialContent = 206;
  DownloadFailure failure(
      status == kStatusOk || status == kStatusPartialContent ? Kind::kWrongLength : Kind::kStatus);
  failure.status = status;
  return failure;
}

DownloadFailure SendFailure(SendOutcome outcome, const IHttpSource& source) {
  return DownloadFailure(outcome == SendOutcome::kNoReply ? Kind::kNoReply : Kind::kRefused,
                         source.LastError());
}

DownloadFailure BodyFailure(BodyEnd end, const IHttpSource& source) {
  switch (end) {
    case BodyEnd::kComplete:
      break;
    case BodyEnd::kEndedEarly:
      return DownloadFailure(Kind::kEndedEarly);
    case BodyEnd::kTooLong:
      return DownloadFailure(Kind::kTooLong);
    case BodyEnd::kTooLarge:
      return DownloadFailure(Kind::kTooLarge);
    case BodyEnd::kReadFailed:
      return DownloadFailure(Kind::kReadFailed, source.LastError());
    case BodyEnd::kWriteFailed:
      return DownloadFailure(Kind::kNotWritten);
    case BodyEnd::kStopped:
      return DownloadFailure(Kind::kStopped);
    case BodyEnd::kTooSlow:
      return DownloadFailure(Kind::kTooSlow);
    case BodyEnd::kOutOfTime:
      return DownloadFailure(Kind::kOutOfTime);
  }
  return DownloadFailure();
}
