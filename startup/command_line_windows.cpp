#include <windows.h>

#include "startup/command_line.h"
#include "support/core/wide_text.h"

std::vector<std::u16string> ProcessArguments() {
  return SplitCommandLine(AsUtf16(GetCommandLineW()));
}
