#include "support/system/run_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

#include "tests/helpers/temp_folder.h"

namespace {

int echoed = 0;  // counted under the log's lock

// Lines from several threads arrive whole, one a line, appended to what earlier runs logged, and
// each goes to the echo too, also once the log is closed.
TEST(RunLog, AppendsWholeLinesFromEveryThread) {
  TempFolder temp;
  echoed = 0;
  SetRunLogEcho([](const std::u16string&) { ++echoed; });
  const std::u16string path = temp.File(u"setup.log");
  WriteBytes(temp.Path() / "setup.log", "an earlier run\r\n");
  ASSERT_TRUE(OpenRunLog(path.c_str()));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      const std::u16string text = u"thread " + std::u16string(1, u'0' + t) + u" \u6587\nline";
      for (int i = 0; i < 50; ++i) LogLine(text);
    });
  }
  for (std::thread& thread : threads) thread.join();
  CloseRunLog();
  LogLine(u"after the close: to the echo alone");
  SetRunLogEcho(nullptr);
  LogLine(u"nowhere");
  EXPECT_EQ(echoed, 201);

  std::istringstream text(ReadBytes(temp.Path() / "setup.log"));
  std::string line;
  std::getline(text, line);
  EXPECT_EQ(line, "an earlier run\r");
  int lines = 0;
  while (std::getline(text, line)) {
    ++lines;
    // "yyyy-mm-dd hh:mm:ss thread N 文 line"
    ASSERT_EQ(line.size(), 20u + 8 + 1 + 3 + 5 + 1) << line;
    EXPECT_EQ(line.substr(20, 7), "thread ");
    EXPECT_EQ(line.substr(line.size() - 6), " line\r") << "a break in a text is no new line";
  }
  EXPECT_EQ(lines, 200);
}

}  // namespace
