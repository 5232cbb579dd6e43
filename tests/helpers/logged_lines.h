#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "support/system/run_log.h"

// Keeps every line the run log is given, from any thread, while it lives (as the log's echo), for
// a test to read what a run logged.
class LoggedLines {
 public:
  LoggedLines() {
    std::lock_guard<std::mutex> lock(Mutex());
    Kept().clear();
    SetRunLogEcho(&Keep);
  }
  ~LoggedLines() { SetRunLogEcho(nullptr); }
  LoggedLines(const LoggedLines&) = delete;
  LoggedLines& operator=(const LoggedLines&) = delete;

  bool Contains(const std::u16string& line) const {
    std::lock_guard<std::mutex> lock(Mutex());
    return std::find(Kept().begin(), Kept().end(), line) != Kept().end();
  }
  // The lines that begin with start.
  std::vector<std::u16string> Starting(const std::u16string& start) const {
    std::lock_guard<std::mutex> lock(Mutex());
    std::vector<std::u16string> lines;
    for (const std::u16string& line : Kept()) {
      if (line.compare(0, start.size(), start) == 0) lines.push_back(line);
    }
    return lines;
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static std::vector<std::u16string>& Kept() {
    static std::vector<std::u16string> lines;
    return lines;
  }
  static void Keep(const std::u16string& text) {
    std::lock_guard<std::mutex> lock(Mutex());
    Kept().push_back(text);
  }
};
