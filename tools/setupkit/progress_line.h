#pragma once

#include <cstdint>
#include <string>

// Where a progress line goes: the standard error stream and the clock, or a test's stand-ins.
class ProgressOutput {
 public:
  virtual ~ProgressOutput() = default;
  // Only a person at a terminal reads a line rewritten in place; in a log it would be noise.
  virtual bool IsTerminal() = 0;
  virtual double Seconds() = 0;  // from any fixed start
  virtual void Write(const std::string& text) = 0;
};

// The standard error stream and the steady clock.
ProgressOutput& StandardErrorOutput();

// One line on stderr telling how far a long step has come, such as
// "setupkit: compressing app.zip: 120 of 2000 files, 10.5 of 200.0 MB". It appears only on a
// terminal and only once the step has taken more than a moment, is rewritten in place at most ten
// times a second, and is wiped when the step ends, so that no other message ever meets it and a
// quick step shows nothing at all.
class ProgressLine {
 public:
  ProgressLine(std::string label, uint64_t files, uint64_t bytes,
               ProgressOutput& output = StandardErrorOutput());
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Counts one more file of bytes done.
  void Advance(uint64_t bytes);
  // Shows that bytes of the file underway are done, so that a large one moves the line too;
  // Advance then counts that file whole.
  void Underway(uint64_t bytes);

  static constexpr double kQuietSeconds = 0.5;
  static constexpr double kRefreshSeconds = 0.1;

 private:
  // Shows the line unless it was shown less than kRefreshSeconds ago; last shows it anyway.
  void Refresh(bool last);
  void Show();

  std::string label_;
  uint64_t totalFiles_;
  uint64_t totalBytes_;
  uint64_t files_ = 0;
  uint64_t bytes_ = 0;
  uint64_t underway_ = 0;
  ProgressOutput& output_;
  bool terminal_;
  double start_;
  double shownAt_ = -1;
  size_t shownWidth_ = 0;
};
