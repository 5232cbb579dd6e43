#include "support/http/download_plan.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "support/http/download_retry.h"

namespace {

TEST(DownloadPlan, StartsWhereTheStagingFileLeavesOff) {
  struct Case {
    uint64_t staged;
    uint64_t expected;
    StartPoint start;
  };
  const Case cases[] = {
      {0, 1000, StartPoint::kFromZero},
      {1, 1000, StartPoint::kResume},
      {999, 1000, StartPoint::kResume},
      {1000, 1000, StartPoint::kCheckOnly},
      {1001, 1000, StartPoint::kFromZero},  // more than the file has: not a part of it
      {5000000000, 1000, StartPoint::kFromZero},
      {5000000000, 8589934592, StartPoint::kResume},  // past 4 GB of a file of 8 GB
      {8589934592, 8589934592, StartPoint::kCheckOnly},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.staged);
    EXPECT_EQ(PlanStart(c.staged, c.expected), c.start);
  }
}

TEST(DownloadPlan, JudgesAReplyByItsHeadBeforeItsBody) {
  struct Case {
    const char* name;
    ReplyHead head;
    uint64_t requested;
    ReplyAction action;
    uint64_t writeFrom;
    uint64_t expected = 3000000;
  };
  const Case cases[] = {
      {"the whole file", {200, "3000000", ""}, 0, ReplyAction::kWrite, 0},
      {"the whole file for a range: the server ignored it", {200, "3000000", ""}, 1000000,
       ReplyAction::kWrite, 0},
      {"the rest", {206, "2000000", "bytes 1000000-2999999/3000000"}, 1000000,
       ReplyAction::kWrite, 1000000},
      {"the rest, no length", {206, "", "bytes 1000000-2999999/3000000"}, 1000000,
       ReplyAction::kWrite, 1000000},
      {"a lying length", {200, "2000000000", ""}, 0, ReplyAction::kRefuse, 0},
      {"a short length", {200, "10", ""}, 0, ReplyAction::kRefuse, 0},
      {"no length", {200, "", ""}, 0, ReplyAction::kRefuse, 0},
      {"a range from elsewhere", {206, "", "bytes 0-2999999/3000000"}, 1000000,
       ReplyAction::kRefuse, 0},
      {"a range that stops short", {206, "", "bytes 1000000-1999999/3000000"}, 1000000,
       ReplyAction::kRefuse, 0},
      {"a range of another file", {206, "", "bytes 1000000-3999999/4000000"}, 1000000,
       ReplyAction::kRefuse, 0},
      {"a range whose length disagrees", {206, "5", "bytes 1000000-2999999/3000000"}, 1000000,
       ReplyAction::kRefuse, 0},
      {"a 206 without a range", {206, "2000000", ""}, 1000000, ReplyAction::kRefuse, 0},
      {"unsatisfiable", {416, "0", "bytes */2000"}, 1000000, ReplyAction::kRefuse, 0},
      {"not found", {404, "0", ""}, 0, ReplyAction::kRefuse, 0},
      {"a redirect left over", {302, "0", ""}, 0, ReplyAction::kRefuse, 0},
      {"server error", {500, "0", ""}, 0, ReplyAction::kRetry, 0},
      {"unavailable", {503, "3000000", ""}, 1000000, ReplyAction::kRetry, 0},
      {"past the 5xx", {600, "3000000", ""}, 0, ReplyAction::kRefuse, 0},
      {"the whole file of 8 GB", {200, "8589934592", ""}, 0, ReplyAction::kWrite, 0, 8589934592},
      {"the rest of it past 4 GB", {206, "3221225472", "bytes 5368709120-8589934591/8589934592"},
       5368709120, ReplyAction::kWrite, 5368709120, 8589934592},
      {"a length of 8 GB and a byte cut to 32 bits", {200, "1", ""}, 0, ReplyAction::kRefuse, 0,
       8589934593},
      {"a range from 5 GB cut to 32 bits", {206, "", "bytes 1073741824-8589934591/8589934592"},
       5368709120, ReplyAction::kRefuse, 0, 8589934592},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ReplyPlan plan = JudgeReply(c.head, c.requested, c.expected);
    EXPECT_EQ(plan.action, c.action);
    if (plan.action == ReplyAction::kWrite) {
      EXPECT_EQ(plan.writeFrom, c.writeFrom);
    }
  }
}

TEST(DownloadRetry, PausesLongerBeforeEachTry) {
  const uint32_t expected[] = {0, 500, 1000, 2000};
  ASSERT_EQ(kDownloadAttempts, 4);
  for (int attempt = 1; attempt <= kDownloadAttempts; ++attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_EQ(RetryPauseMs(attempt), expected[attempt - 1]);
  }
}

TEST(DownloadRetry, AStopEndsAPauseAtOnce) {
  std::atomic<bool> stop{false};
  EXPECT_TRUE(PauseUnlessStopped(0, &stop));
  EXPECT_TRUE(PauseUnlessStopped(20, nullptr));
  std::thread stopper([&stop] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop = true;
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(PauseUnlessStopped(60000, &stop));
  stopper.join();
  // Far below the pause asked for; the margin is for a loaded machine.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(PauseUnlessStopped(60000, &stop));
}

}  // namespace
