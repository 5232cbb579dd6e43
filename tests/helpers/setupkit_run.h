#pragma once

#include <string>
#include <vector>

// One run of the packaging tool inside the test process, with what it printed.
struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun RunSetupkitCaptured(const std::vector<std::u16string>& args);
