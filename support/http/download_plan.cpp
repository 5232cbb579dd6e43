#include "support/http/download_plan.h"

#include "support/http/http_header_values.h"

namespace {

constexpr int kStatusOk = 200;
constexpr int kStatusPartialContent = 206;

bool LengthIs(const std::string& header, uint64_t expected) {
  uint64_t length = 0;
  return ParseContentLength(header, &length) && length == expected;
}

bool IsRestOfFile(const ReplyHead& head, uint64_t requested, uint64_t expected) {
  ContentRange range;
  return ParseContentRange(head.contentRange, &range) && range.first == requested &&
         range.last + 1 == expected && range.total == expected &&
         (head.contentLength.empty() || LengthIs(head.contentLength, expected - requested));
}

}  // namespace

StartPoint PlanStart(uint64_t staged, uint64_t expected) {
  if (staged == 0 || staged > expected) return StartPoint::kFromZero;
  return staged == expected ? StartPoint::kCheckOnly : StartPoint::kResume;
}

ReplyPlan JudgeReply(const ReplyHead& head, uint64_t requested, uint64_t expected) {
  ReplyPlan plan;
  if (head.status == kStatusOk && LengthIs(head.contentLength, expected)) {
    plan.action = ReplyAction::kWrite;
  } else if (head.status == kStatusPartialContent && IsRestOfFile(head, requested, expected)) {
    plan.action = ReplyAction::kWrite;
    plan.writeFrom = requested;
  } else if (head.status >= 500 && head.status <= 599) {
    plan.action = ReplyAction::kRetry;
  }
  return plan;
}
