#include "support/system/run_log.h"

#include <ctime>
#include <mutex>

#include "support/files/file_stream.h"
#include "support/text/utf8.h"

namespace {

std::mutex logLock;
FileStream logFile;
std::u16string logPath;
void (*logEcho)(const std::u16string& text) = nullptr;

}  // namespace

bool OpenRunLog(const char16_t* path) {
  std::lock_guard<std::mutex> lock(logLock);
  logFile = OpenFileStream(path, "ab");
  logPath = logFile != nullptr ? path : u"";
  return logFile != nullptr;
}

void CloseRunLog() {
  std::lock_guard<std::mutex> lock(logLock);
  logFile.reset();
  logPath.clear();
}

std::u16string RunLogPath() {
  std::lock_guard<std::mutex> lock(logLock);
  return logPath;
}

void SetRunLogEcho(void (*echo)(const std::u16string& text)) {
  std::lock_guard<std::mutex> lock(logLock);
  logEcho = echo;
}

void LogLine(const std::u16string& text) {
  std::lock_guard<std::mutex> lock(logLock);
  if (logEcho != nullptr) logEcho(text);
  if (!logFile) return;
  const std::time_t now = std::time(nullptr);
  char stamp[32] = {};
  // Under the lock: localtime's result is shared.
  const std::tm* local = std::localtime(&now);
  if (local == nullptr || std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", local) == 0) {
    stamp[0] = 0;
  }
  std::string line = stamp + Utf16ToUtf8(text.c_str(), text.size());
  // One line a record, whatever the text holds.
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  line += "\r\n";
  std::fwrite(line.data(), 1, line.size(), logFile.get());
  std::fflush(logFile.get());
}
