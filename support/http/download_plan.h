#pragma once

#include <cstdint>

#include "support/http/http_source.h"

// The decisions of a resumable download of a file of a known size into a staging file.

// Where a download starts, given how many bytes its staging file already holds.
enum class StartPoint {
  kFromZero,   // nothing usable is there: an empty or missing file, or one longer than expected
  kResume,     // a part is there: ask for the rest
  kCheckOnly,  // the whole length is there (a run cut off after its transfer): check it first
};
StartPoint PlanStart(uint64_t staged, uint64_t expected);

enum class ReplyAction {
  kWrite,   // the body is the file from ReplyPlan::writeFrom on
  kRetry,   // the server failed for now (a 5xx status)
  kRefuse,  // not the file asked for, and asking again will not make it so
};
struct ReplyPlan {
  ReplyAction action = ReplyAction::kRefuse;
  uint64_t writeFrom = 0;
};

// Judges the head of a reply to a GET that asked for the file from byte requested on, before any
// of its body is read. A 200 is the whole file, written from zero, when its Content-Length is the
// expected size. A 206 is the rest when its Content-Range runs from requested to the end of a file
// of the expected size (and its Content-Length, when given, agrees). Any other length or range is
// refused, so that a lying server costs neither memory nor disk.
ReplyPlan JudgeReply(const ReplyHead& head, uint64_t requested, uint64_t expected);
