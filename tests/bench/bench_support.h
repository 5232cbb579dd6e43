#pragma once
// What the benchmarks share: the generated clients they unpack and install (2,000 files of about
// 20 MB, and a large one of about 1 GB) and the timing of a run.
#include <algorithm>
#include <chrono>
#include <cstdint>
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
// The skin folder a bench takes as its one argument, read with ReadFolderFiles: 0, or the exit
// status after saying what is wrong (2 for a wrong call, 1 for a folder without files).
inline int ReadSkinArgument(int argc, char** argv, const char* program,
                            std::vector<std::string>& paths, std::vector<std::string>& files) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SKIN_FOLDER\n", program);
    return 2;
  }
  if (!ReadFolderFiles(argv[1], paths, files)) {
    std::fprintf(stderr, "bench: no images in %s\n", argv[1]);
    return 1;
  }
  return 0;
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

// A large client of kLargeFiles files and about 1 GB: one file of kLargestFile bytes, the others
// from 16 KB to 4 MB, each made of 64 KB blocks of which three in four are text and one noise,
// so that it packs to somewhat more than a third of its size, as programs and libraries do.
constexpr int kLargeFiles = 300;
constexpr size_t kLargestFile = 400u << 20;

// Writes the large client's files: blocks of 64 KB, three in four text and one noise.
class LargeFileMaker {
 public:
  LargeFileMaker() : random_(23), noise_(kSource + kBlock, '\0') {
    static const char* const kWords[] = {"module", "import",  "export", "section", "symbol",
                                         "thread", "handle",  "buffer", "render",  "texture",
                                         "shader", "network", "player", "session", "config"};
    while (text_.size() < kSource + kBlock) {
      text_ += kWords[random_() % 15];
      text_ += random_() % 7 == 0 ? "\r\n" : " ";
    }
    for (char& c : noise_) c = static_cast<char>(random_());
  }

  // noiseInFour of every four blocks, on average, are noise.
  void Write(const std::filesystem::path& path, size_t size, unsigned noiseInFour = 1) {
    std::ofstream file(path, std::ios::binary);
    for (size_t done = 0; done < size; done += kBlock) {
      const std::string& source = random_() % 4 < noiseInFour ? noise_ : text_;
      const size_t n = std::min(kBlock, size - done);
      file.write(source.data() + random_() % kSource, static_cast<std::streamsize>(n));
    }
  }
  std::mt19937_64& Random() { return random_; }

 private:
  static constexpr size_t kBlock = 64 << 10;
  static constexpr size_t kSource = 1 << 20;  // blocks are slices of these, beyond deflate's window
  std::mt19937_64 random_;
  std::string text_;
  std::string noise_;
};

inline void MakeLargeClientFolder(const std::filesystem::path& folder) {
  LargeFileMaker maker;
  std::filesystem::remove_all(folder);
  for (int i = 0; i < kLargeFiles; ++i) {
    std::filesystem::path sub = folder / ("lib" + std::to_string(i % 12));
    std::filesystem::create_directories(sub);
    const size_t size = i == 0 ? kLargestFile
                               : std::uniform_int_distribution<size_t>(16 << 10, 4 << 20)(
                                     maker.Random());
    maker.Write(sub / ("module" + std::to_string(i) + ".dll"), size);
  }
}

// A huge client, as games and design tools ship: kHugeFiles files of about totalBytes, one of
// them of largest bytes and three quarters noise (media that is compressed already), the others
// sharing the rest, made as the large client's files are.
constexpr int kHugeFiles = 5000;

inline void MakeHugeClientFolder(const std::filesystem::path& folder, uint64_t totalBytes,
                                 uint64_t largest) {
  LargeFileMaker maker;
  std::filesystem::remove_all(folder);
  const uint64_t each = (totalBytes - largest) / (kHugeFiles - 1);
  for (int i = 0; i < kHugeFiles; ++i) {
    std::filesystem::path sub = folder / ("assets" + std::to_string(i % 50));
    std::filesystem::create_directories(sub);
    if (i == 0) {
      maker.Write(sub / "world.pak", largest, 3);
    } else {
      maker.Write(sub / ("asset" + std::to_string(i) + ".dat"),
                  std::uniform_int_distribution<uint64_t>(each / 2, each * 3 / 2)(maker.Random()));
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
