#include "install/run_time_limit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "records/update_info.h"

namespace {

// Lists files of these sizes to download into list, and a file to delete.
void ListFiles(const std::vector<int64_t>& sizes, CUpdateInfo* list) {
  for (size_t i = 0; i < sizes.size(); ++i) {
    const std::u16string name = u"file" + std::u16string(1, static_cast<char16_t>(u'a' + i));
    list->AddFile(name.c_str(), sizes[i], u"00000000000000000000000000000000",
                  u"http://server/file");
  }
  auto removal = std::make_unique<UpdateItem>();
  removal->action = UpdateItem::kActionDelete;
  removal->file = u"old.txt";
  list->AddItem(std::move(removal));
}

// A silent run is bounded by what it must download: ten minutes for the lists, and for each file
// its bytes at the slowest speed a download keeps (32 KB in 30 s) and two minutes. So a run of
// any size that keeps moving keeps within it.
TEST(RunTimeBound, GrowsWithWhatTheListDownloads) {
  constexpr int32_t kGigabyte = 1 << 30;
  struct Case {
    const char* name;
    std::vector<int64_t> sizes;  // empty: no list known yet
    uint64_t boundSeconds;
    uint64_t movingSeconds;  // a run that keeps moving, which is within the bound
  };
  const Case cases[] = {
      {"no list yet", {}, 600, 599},
      {"one small file", {1000}, 600 + 30 + 120, 700},
      {"a window and a byte", {32 * 1024 + 1}, 600 + 60 + 120, 700},
      // Twenty files of 1 GB at 2 KB a second take about four months.
      {"twenty files of 1 GB", std::vector<int64_t>(20, kGigabyte), 600 + 20 * (32768 * 30 + 120),
       20ull * kGigabyte / 2048},
      {"a file of 8 GB", {int64_t{8} * kGigabyte}, 600 + 8 * 32768 * 30 + 120,
       8ull * kGigabyte / 2048},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    constexpr uint64_t kStart = 5000000;
    RunTimeBound bound(kStart);
    if (!c.sizes.empty()) {
      CUpdateInfo list;
      ListFiles(c.sizes, &list);
      bound.AllowList(list);
    }
    EXPECT_EQ(bound.BoundMs(), c.boundSeconds * 1000);
    EXPECT_FALSE(bound.PassedAt(kStart + c.movingSeconds * 1000));
    EXPECT_FALSE(bound.PassedAt(kStart + c.boundSeconds * 1000 - 1));
    EXPECT_TRUE(bound.PassedAt(kStart + c.boundSeconds * 1000));
  }
  // Limits that add up past 64 bits are held there: a bound that wrapped would end the run at
  // once.
  CUpdateInfo huge;
  ListFiles({INT64_MAX, INT64_MAX, INT64_MAX}, &huge);
  RunTimeBound held(5000000);
  held.AllowList(huge);
  EXPECT_EQ(held.BoundMs(), UINT64_MAX);
  EXPECT_FALSE(held.PassedAt(UINT64_MAX - 1));
}

// Once the bound has passed on its clock, the limit stops the run from a thread of its own, and
// says so; not before.
TEST(RunTimeLimit, StopsTheRunOncePastItsBound) {
  std::atomic<uint64_t> clockMs{1000};
  std::atomic<bool> stop{false};
  CRunTimeLimit limit(stop, [&clockMs] { return clockMs.load(); });
  CUpdateInfo list;
  ListFiles({1000}, &list);
  limit.AllowList(list);
  clockMs = 1000 + 750 * 1000 - 1;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(stop);
  EXPECT_FALSE(limit.Expired());

  clockMs = 1000 + 750 * 1000;
  for (int i = 0; i < 200 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(stop);
  EXPECT_TRUE(limit.Expired());
  EXPECT_EQ(limit.ExpiredText(), u"took longer than its bound of 750 s");
}

}  // namespace
