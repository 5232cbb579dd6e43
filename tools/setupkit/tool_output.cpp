#include "tools/setupkit/tool_output.h"

#include <cstdio>

#include "support/files/file_stream.h"
#include "support/text/utf8.h"

int Fail(const std::string& message) {
  std::fprintf(stderr, "setupkit: %s\n", message.c_str());
  return kExitFailed;
}

std::string Shown(const std::u16string& path) { return Utf16ToUtf8(path.c_str()); }

bool WriteOutputFile(const std::u16string& path, const uint8_t* bytes, uint32_t n) {
  static const uint8_t kNothing = 0;
  if (WriteWholeFile(path.c_str(), n == 0 ? &kNothing : bytes, n)) return true;
  RemoveFile(path.c_str());
  return false;
}

int PrintText(const std::u16string& text) {
  std::string shown = Utf16ToUtf8(text.c_str());
  bool written = std::fwrite(shown.data(), 1, shown.size(), stdout) == shown.size();
  if (std::fflush(stdout) != 0 || !written) return Fail("cannot write to standard output");
  return kExitDone;
}
