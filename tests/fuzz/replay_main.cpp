// Runs a fuzz target's entry point over committed inputs, as libFuzzer would run them but without
// it: every file below each folder given, one call each, in name order. A crash, a sanitizer's
// report or a failed check inside the target fails the run; so does a first folder (the target's
// corpus) that holds no input. Further folders (the regression inputs) may be absent.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesBelow(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file()) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS [MORE...]\n", argv[0]);
    return 2;
  }
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<fs::path> files = FilesBelow(argv[i]);
    if (i == 1 && files.empty()) {
      std::fprintf(stderr, "%s holds no inputs\n", argv[i]);
      return 1;
    }
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
      if (!in.eof() && in.fail()) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
      }
      std::fprintf(stderr, "%s\n", file.c_str());
      // A block of the input's own size, so a read past the input shows under AddressSanitizer.
      std::unique_ptr<uint8_t[]> input = std::make_unique<uint8_t[]>(bytes.size());
      std::copy(bytes.begin(), bytes.end(), input.get());
      LLVMFuzzerTestOneInput(input.get(), bytes.size());
      ++replayed;
    }
  }
  std::printf("%zu inputs replayed\n", replayed);
  return 0;
}
