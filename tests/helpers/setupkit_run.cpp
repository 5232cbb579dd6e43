#include "tests/helpers/setupkit_run.h"

#include <gtest/gtest.h>

#include "tools/setupkit/setupkit.h"

ToolRun RunSetupkitCaptured(const std::vector<std::u16string>& args) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int status = RunSetupkit(args);
  std::string out = testing::internal::GetCapturedStdout();
  return {status, out, testing::internal::GetCapturedStderr()};
}
