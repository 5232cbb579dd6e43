// The install flow's Windows edge, where the flow's own tests cannot see it: the real worker.
#include "install/windows_install_edge.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

// The flow's stop waits for the worker: the wait returns once the work has ended, and no later
// than its time while the work goes on. One work runs at a time; the next may start after it.
TEST(WindowsInstallEdge, WaitsForTheWorkerItRuns) {
  CWindowsInstallEdge edge;
  EXPECT_TRUE(edge.WaitForWorker(0));
  std::atomic<bool> release{false};
  std::atomic<int> ended{0};
  ASSERT_TRUE(edge.StartWorker([&] {
    while (!release) Sleep(1);
    ++ended;
  }));
  EXPECT_FALSE(edge.StartWorker([&] { ++ended; }));
  EXPECT_FALSE(edge.WaitForWorker(100));
  release = true;
  EXPECT_TRUE(edge.WaitForWorker(5000));
  EXPECT_EQ(ended, 1);
  ASSERT_TRUE(edge.StartWorker([&] { ++ended; }));
  EXPECT_TRUE(edge.WaitForWorker(5000));
  EXPECT_EQ(ended, 2);
}

}  // namespace
