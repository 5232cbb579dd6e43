#include "tests/helpers/temp_folder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::filesystem::path UniqueName() {
  static std::atomic<int> counter{0};
  auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  std::ostringstream name;
  name << "installer-test-" << now << "-" << counter++;
  return std::filesystem::temp_directory_path() / name.str();
}

}  // namespace

TempFolder::TempFolder() : path_(UniqueName()) { std::filesystem::create_directories(path_); }

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::u16string TempFolder::File(const std::u16string& name) const {
  return (path_ / std::filesystem::path(name)).u16string();
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
