// The check every name from data passes before it reaches the file system below an install
// folder. The input is the name, in UTF-16LE.
#include <string>
#include <vector>

#include "support/files/entry_path.h"
#include "support/text/path_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr char16_t kFolder[] = u"C:\\Install\\";

// Every accepted path is the folder and then names of files or folders inside it: no separator
// but "\", no empty, "." or ".." segment, no ":" and nothing Windows would read otherwise.
void CheckInside(const std::u16string& path) {
  std::u16string folder = kFolder;
  FuzzCheck(path.compare(0, folder.size(), folder) == 0 && path.size() > folder.size(),
            "an accepted path is below the folder");
  std::u16string below = path.substr(folder.size());
  FuzzCheck(below.find_first_of(u"/:") == std::u16string::npos, "no other separator or drive");
  size_t start = 0;
  while (start < below.size()) {
    size_t end = below.find(u'\\', start);
    if (end == std::u16string::npos) end = below.size();
    std::u16string segment = below.substr(start, end - start);
    FuzzCheck(!segment.empty(), "no empty segment");
    FuzzCheck(segment.back() != u'.' && segment.back() != u' ', "no segment Windows shortens");
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char16_t> name = Utf16Units(data, size);
  char16_t path[kPathCapacity];
  const bool joined = JoinEntryPath(kFolder, name.data(), path);
  if (joined) {
    CheckInside(path);
  } else {
    FuzzCheck(path[0] == 0, "a refused name leaves no path");
  }
  // A plain name (a configured company or app folder, a packed file's name) is one segment the
  // path check takes as it is.
  if (IsPlainName(name.data())) {
    FuzzCheck(joined && path == kFolder + std::u16string(name.data()),
              "a plain name joins as itself, one segment below the folder");
  }
  return 0;
}
