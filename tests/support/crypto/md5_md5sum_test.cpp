// Agreement with the system's md5sum on random files of random sizes (native build only: it runs
// md5sum).
#include <gtest/gtest.h>

#include <cstdio>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "support/crypto/md5.h"
#include "tests/helpers/temp_folder.h"

namespace {

std::string Md5sumOf(const std::filesystem::path& path) {
  std::string command = "md5sum '" + path.string() + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  char line[256] = {};
  std::string digest = std::fgets(line, sizeof line, pipe) != nullptr ? std::string(line, 32) : "";
  pclose(pipe);
  for (char& c : digest) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return digest;
}

TEST(Md5, AgreesWithMd5sumOnRandomFiles) {
  TempFolder folder;
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> sizes(0, 300000);
  std::uniform_int_distribution<int> bytes(0, 255);
  for (int i = 0; i < 40; ++i) {
    // Some sizes near the block and chunk boundaries, the rest anywhere.
    size_t size =
        i < 8 ? std::vector<size_t>{1, 55, 56, 64, 65535, 65536, 65537, 131072}[i] : sizes(random);
    SCOPED_TRACE(size);
    std::string content(size, '\0');
    for (char& c : content) c = static_cast<char>(bytes(random));
    std::filesystem::path path = folder.Path() / ("random" + std::to_string(i) + ".bin");
    WriteBytes(path, content);

    char16_t hex[33] = {};
    ASSERT_TRUE(Md5HexOfFile(hex, path.u16string().c_str(), true));
    std::string ours(hex, hex + 32);
    std::string theirs = Md5sumOf(path);
    ASSERT_EQ(theirs.size(), 32u);
    EXPECT_EQ(ours, theirs);
  }
}

}  // namespace
