#include <string>
#include <vector>

#include "support/text/utf8.h"
#include "tools/setupkit/setupkit.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Utf8ToUtf16(argv[i]));
  return RunSetupkit(args);
}
