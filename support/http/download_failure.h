#pragma once

#include <string>
#include <utility>

#include "support/http/http_body_reader.h"
#include "support/http/http_source.h"

// Why a download brought nothing usable, for the run's log and the person: what went wrong, with
// the reply's status or the system's words where there are some.
struct DownloadFailure {
  enum class Kind {
    kNone,
    kNoReply,      // no reply came: no connection, reset, timed out (reason)
    kRefused,      // the request cannot be made or followed (reason)
    kStatus,       // the reply's status is not the file's (status)
    kWrongLength,  // a 200 or 206 whose length or range is not the file's (status)
    kTooLarge,     // a document announced longer than one may be
    kEndedEarly,   // the body ended before its length
    kTooLong,      // the body went on past its length
    kReadFailed,   // reading the body failed (reason)
    kTooSlow,      // less than kSlowestWindowBytes arrived in kSlowWindowMs
    kOutOfTime,    // the download's whole time ran past its limit
    kNotWritten,   // the file could not be written (reason: the system's words)
    kMismatch,     // the file arrived whole, but its size or digest is not the listed one
    kStopped,      // the stop flag ended it
  };
  DownloadFailure() = default;
  explicit DownloadFailure(Kind failed, std::u16string why = {})
      : kind(failed), reason(std::move(why)) {}

  Kind kind = Kind::kNone;
  int status = 0;
  std::u16string reason;

  // In a few words, as the log and the person read it: "HTTP 404", "not written: <the system's
  // words>", "too slow: under 32 KB in 30 s"; empty for kNone.
  std::u16string Describe() const;
};

// The failure of a reply a download could not take: its status, or, for a 200 or a 206, its
// length or range.
DownloadFailure ReplyFailure(int status);
// The failure of a Send that ended kNoReply or kRefused, with source's reason.
DownloadFailure SendFailure(SendOutcome outcome, const IHttpSource& source);
// The failure of a body that ended other than kComplete; a failed read carries source's reason,
// and a refused piece is kNotWritten, whose reason the sink's owner knows.
DownloadFailure BodyFailure(BodyEnd end, const IHttpSource& source);
