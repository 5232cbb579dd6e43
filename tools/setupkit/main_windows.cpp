#include <string>
#include <vector>

#include "support/wide_text.h"
#include "tools/setupkit/setupkit.h"

// The wide entry point, so paths with any characters arrive whole.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(AsUtf16(argv[i]));
  return RunSetupkit(args);
}
