#pragma once
// What the benchmarks share: the generated client they unpack and install (2,000 files, about
// 20 MB) and the timing of a run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

constexpr int kFiles = 2000;

// The paths and bytes of the files of folder (a skin), in the order the folder lists them; false
// when there are none.
inline bool ReadFolderFiles(const char* folder, std::vector<std::string>& paths,
                            std::vector<std::string>& files) {
  for (const std::filesystem::directory_entry& entry :
       std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    paths.push_back(entry.path().string());
    std::ifstream in(entry.path(), std::ios::binary);
    files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return !files.empty();
}
constexpr int kRounds = 3;

inline void WriteBenchFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Half the files are text of 200 to textMax bytes, which deflates well; half are noise of 200 to
// 27,000 bytes, which does not. With the default, the archive of the folder is about 20 MB.
inline void MakeClientFolder(const std::filesystem::path& folder, size_t textMax = 100000) {
  static const char* const kWords[] = {"install",  "client",   "window",   "theme",
                                       "progress", "archive",  "folder",   "update",
                                       "digest",   "shortcut", "registry", "skin"};
  std::mt19937 random(7);
  std::filesystem::remove_all(folder);
  for (int i = 0; i < kFiles; ++i) {
    std::filesystem::path sub = folder / ("part" + std::to_string(i % 40));
    std::filesystem::create_directories(sub);
    std::string bytes;
    if (i % 2 == 0) {
      size_t size = std::uniform_int_distribution<size_t>(200, textMax)(random);
      while (bytes.size() < size) {
        bytes += kWords[random() % 12];
        bytes += random() % 9 == 0 ? "\r\n" : " ";
      }
      WriteBenchFile(sub / ("text" + std::to_string(i) + ".txt"), bytes.substr(0, size));
    } else {
      bytes.resize(std::uniform_int_distribution<size_t>(200, 27000)(random));
      for (char& c : bytes) c = static_cast<char>(random());
      WriteBenchFile(sub / ("data" + std::to_string(i) + ".bin"), bytes);
    }
  }
}

// The best of kRounds runs, in milliseconds; prepare runs before each, untimed.
inline double Best(const std::function<bool()>& run,
                   const std::function<void()>& prepare = [] {}) {
  double best = 1e300;
  for (int round = 0; round < kRounds; ++round) {
    prepare();
    auto start = std::chrono::steady_clock::now();
    if (!run()) {
      std::fprintf(stderr, "bench: a run failed\n");
      std::exit(1);
    }
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}
