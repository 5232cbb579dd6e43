#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/setupkit/progress_line.h"

namespace {

// A terminal or a log, with a clock the test moves.
class ScriptedOutput : public ProgressOutput {
 public:
  explicit ScriptedOutput(bool terminal) : terminal_(terminal) {}
  bool IsTerminal() override { return terminal_; }
  double Seconds() override { return now; }
  void Write(const std::string& text) override { written += text; }

  double now = 100;
  std::string written;

 private:
  bool terminal_;
};

TEST(SetupkitProgress, ShowsOnATerminalOnlyOnceAStepTakesMoreThanAMoment) {
  struct Step {
    double at;
    uint64_t bytes;
    bool underway = false;  // bytes of the file underway, else a file done
  };
  struct Case {
    const char* name;
    bool terminal;
    std::vector<Step> steps;
    std::string expected;
  };
  const std::string last = "setupkit: reading: 4 of 4 files, 2.0 of 3.0 MB";
  const std::string wipe = "\r" + std::string(last.size(), ' ') + "\r";
  const Case cases[] = {
      {"a quick step shows nothing", true, {{100.1, 1048576}, {100.2, 1048576}, {100.3, 0}}, ""},
      {"a log never gets the line", false, {{101, 1048576}, {102, 1048576}, {103, 0}}, ""},
      {"a slow step shows how far it has come at most ten times a second, then wipes it",
       true,
       {{100.2, 1048576}, {100.6, 1048576}, {100.62, 0}, {100.8, 0}},
       "\rsetupkit: reading: 2 of 4 files, 2.0 of 3.0 MB\r" + last + wipe},
      {"a large file moves the line as its bytes are done",
       true,
       {{100.6, 1048576, true}, {100.65, 1572864, true}, {100.8, 2097152, true}},
       "\rsetupkit: reading: 0 of 4 files, 1.0 of 3.0 MB"
       "\rsetupkit: reading: 0 of 4 files, 2.0 of 3.0 MB" +
           wipe},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedOutput output(c.terminal);
    {
      ProgressLine progress("reading", 4, 3 * 1048576, output);
      for (const Step& step : c.steps) {
        output.now = step.at;
        if (step.underway) {
          progress.Underway(step.bytes);
        } else {
          progress.Advance(step.bytes);
        }
      }
    }
    EXPECT_EQ(output.written, c.expected);
  }
}

}  // namespace
