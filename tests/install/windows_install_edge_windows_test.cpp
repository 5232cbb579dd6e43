// The install flow's Windows edge, where the flow's own tests cannot see it: the real worker and
// the report's own thread.
#include "install/windows_install_edge.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "install/install_flow.h"
#include "records/client_info.h"
#include "tests/helpers/test_http_server.h"

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

using WindowsInstallEdgeReport = HttpServerTest;

// The report waits on the network, so it goes on a thread of its own: the call returns at once,
// even to an endpoint that never answers, and the wait sees the report end, within the time the
// flow's end gives it.
TEST_F(WindowsInstallEdgeReport, SendsTheReportOffTheCallersThreadAndWaitsForIt) {
  struct Case {
    const char* label;
    std::string path;  // of the endpoint
    bool answers;
  };
  const std::string key = FreshKey("edge-report");
  const Case cases[] = {
      {"an endpoint that answers", "/record/" + key + "?reply=1", true},
      {"an endpoint that never answers", "/silent", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CClientInfo product;
    product.SetCompany(u"Quellin");
    product.SetApp(u"demo");
    product.SetVersion(u"1.2.3.4");
    product.SetStyle(kStyleSendReport);
    product.SetAction(u"install");
    product.SetNotify(Url(c.path).c_str());
    CWindowsInstallEdge edge;
    EXPECT_TRUE(edge.WaitForReport(0)) << "none sent yet";

    const DWORD started = GetTickCount();
    edge.ReportInstall(product, u"1.2.3.4");
    EXPECT_LT(GetTickCount() - started, 1000u);
    if (!c.answers) {
      EXPECT_FALSE(edge.WaitForReport(500)) << "still waiting for the reply";
    }
    EXPECT_TRUE(edge.WaitForReport(CInstallFlow::kReportWaitMs));
    if (c.answers) {
      EXPECT_EQ(Received(key).rfind("POST ", 0), 0u);
    }
  }
}

}  // namespace
