#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "startup/command_line.h"
#include "support/core/wide_text.h"

namespace {

struct LocalFreer {
  void operator()(wchar_t** block) const { LocalFree(block); }
};

}  // namespace

bool IsSilentCommandLine(const char16_t* commandLine) {
  if (commandLine == nullptr) return false;
  int count = 0;
  std::unique_ptr<wchar_t*, LocalFreer> arguments(CommandLineToArgvW(AsWide(commandLine), &count));
  if (!arguments) return false;
  return IsSilentArguments(count, reinterpret_cast<const char16_t* const*>(arguments.get()));
}
