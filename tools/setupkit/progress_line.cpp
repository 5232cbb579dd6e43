#include "tools/setupkit/progress_line.h"

#include <chrono>
#include <cstdio>
#include <utility>

#ifdef _WIN32
#include <io.h>
#define SETUPKIT_ISATTY _isatty
#define SETUPKIT_FILENO _fileno
#else
#include <unistd.h>
#define SETUPKIT_ISATTY isatty
#define SETUPKIT_FILENO fileno
#endif

namespace {

class StandardError : public ProgressOutput {
 public:
  bool IsTerminal() override { return SETUPKIT_ISATTY(SETUPKIT_FILENO(stderr)) != 0; }
  double Seconds() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void Write(const std::string& text) override {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
};

std::string Megabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

}  // namespace

ProgressOutput& StandardErrorOutput() {
  static StandardError output;
  return output;
}

ProgressLine::ProgressLine(std::string label, uint64_t files, uint64_t bytes,
                           ProgressOutput& output)
    : label_(std::move(label)),
      totalFiles_(files),
      totalBytes_(bytes),
      output_(output),
      terminal_(output.IsTerminal()),
      start_(terminal_ ? output.Seconds() : 0) {}

ProgressLine::~ProgressLine() {
  // Spaces over what was shown, and back to the line's start.
  if (shownWidth_ != 0) output_.Write("\r" + std::string(shownWidth_, ' ') + "\r");
}

void ProgressLine::Advance(uint64_t bytes) {
  ++files_;
  bytes_ += bytes;
  underway_ = 0;
  Refresh(files_ == totalFiles_);
}

void ProgressLine::Underway(uint64_t bytes) {
  underway_ = bytes;
  Refresh(false);
}

void ProgressLine::Refresh(bool last) {
  if (!terminal_) return;
  const double now = output_.Seconds();
  if (now - start_ < kQuietSeconds) return;
  if (shownAt_ >= 0 && now - shownAt_ < kRefreshSeconds && !last) return;
  shownAt_ = now;
  Show();
}

void ProgressLine::Show() {
  std::string line = "setupkit: " + label_ + ": " + std::to_string(files_) + " of " +
                     std::to_string(totalFiles_) + " files, " + Megabytes(bytes_ + underway_) +
                     " of " + Megabytes(totalBytes_) + " MB";
  const size_t width = line.size();
  if (width < shownWidth_) line += std::string(shownWidth_ - width, ' ');
  output_.Write("\r" + line);
  if (width > shownWidth_) shownWidth_ = width;
}
