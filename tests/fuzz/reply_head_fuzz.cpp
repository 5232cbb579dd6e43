// What a download reads of a server's reply before its body: the Content-Length and
// Content-Range values, the judgement of the head against the file asked for, and the URL a
// redirect's Location leads to. The input is a line of text: the status, the offset asked for,
// the expected size, a Content-Length, a Content-Range and a Location, separated by "|".
#include <cstdint>
#include <string>
#include <vector>

#include "support/http/download_plan.h"
#include "support/http/fetch_target.h"
#include "support/http/http_header_values.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr char16_t kFrom[] = u"https://download.example.com/client/bin/a.dll?ts=8001";

std::vector<std::string> Fields(const uint8_t* data, size_t size) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '|') {
      fields.emplace_back();
    } else {
      fields.back() += static_cast<char>(data[i]);
    }
  }
  fields.resize(6);
  return fields;
}

uint32_t Number(const std::string& text) {
  uint64_t value = 0;
  return ParseContentLength(text, &value) && value <= UINT32_MAX ? static_cast<uint32_t>(value)
                                                                   : 0;
}

void CheckLength(const std::string& text) {
  uint64_t length = 0;
  if (!ParseContentLength(text, &length)) return;
  // The number read is the one written: its digits, without leading zeros or white space.
  std::string digits = text.substr(text.find_first_not_of(" \t"));
  digits = digits.substr(0, digits.find_first_of(" \t"));
  digits = digits.substr(std::min(digits.find_first_not_of('0'), digits.size() - 1));
  FuzzCheck(std::to_string(length) == digits, "a length reads as its digits");
}

void CheckRange(const std::string& text) {
  ContentRange range;
  if (ParseContentRange(text, &range)) {
    FuzzCheck(range.first <= range.last && range.last < range.total,
              "an accepted span lies inside its total");
  }
}

// Whatever a plan writes is the rest of the file from where it writes, as the headers say. (A
// download never asks for an empty file.)
void CheckPlan(const ReplyHead& head, uint32_t requested, uint32_t expected) {
  if (expected == 0) return;
  const ReplyPlan plan = JudgeReply(head, requested, expected);
  if (plan.action != ReplyAction::kWrite) return;
  FuzzCheck(plan.writeFrom == 0 || plan.writeFrom == requested, "written from 0 or as asked");
  FuzzCheck(plan.writeFrom < expected, "something of the file is left to write");
  uint64_t length = 0;
  FuzzCheck(head.contentLength.empty() ? head.status == 206
                                       : ParseContentLength(head.contentLength, &length) &&
                                             length == expected - plan.writeFrom,
            "the announced length is the rest of the file");
}

void CheckRedirect(const std::string& location) {
  std::u16string to;
  if (!ResolveRedirect(kFrom, std::u16string(location.begin(), location.end()), &to)) {
    FuzzCheck(to.empty(), "a refused redirect leads nowhere");
    return;
  }
  FetchTarget target;
  FuzzCheck(GetFetchTarget(to, &target), "a redirect leads to a URL that can be fetched");
  FuzzCheck(target.secure, "an https transfer is never redirected to http");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> fields = Fields(data, size);
  ReplyHead head;
  head.status = static_cast<int>(Number(fields[0]));
  head.contentLength = fields[3];
  head.contentRange = fields[4];
  CheckLength(head.contentLength);
  CheckRange(head.contentRange);
  CheckPlan(head, Number(fields[1]), Number(fields[2]));
  CheckRedirect(fields[5]);
  return 0;
}
