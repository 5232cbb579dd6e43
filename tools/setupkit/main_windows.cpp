#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/core/wide_text.h"
#include "tools/setupkit/setupkit.h"

// The wide entry point, so paths with any characters arrive whole.
int wmain(int argc, wchar_t** argv) {
  // Output is UTF-8 bytes exactly as written: line ends stay as they are, the same as the native
  // build prints them.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(AsUtf16(argv[i]));
  return RunSetupkit(args);
}
