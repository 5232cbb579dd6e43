// Figures for `make bench`, each beside a standard tool measured in the same run:
//   (a) reading every entry of a 20 MB archive of 2,000 mixed files from memory with ReadItem,
//       beside `unzip -p` of the same archive to /dev/null;
//   (b) MD5 of a 100 MB file, beside md5sum, and its SHA-256, beside sha256sum;
//   (c) AddFolderToList over the 2,000 files of the archive's folder (a walk, a size, an
//       MD5 and a SHA-256 each), beside md5sum and sha256sum of the same files.
// Usage: zip_md5_bench DATA_FOLDER (the data is generated there).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "product/listed_files.h"
#include "records/update_info.h"
#include "support/crypto/md5.h"
#include "support/crypto/sha256.h"
#include "support/files/xdata.h"
#include "support/zip/xzip.h"
#include "tests/bench/bench_support.h"
#include "tools/setupkit/setupkit.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kDigestFileSize = 100u << 20;

void MakeDigestFile(const fs::path& path) {
  std::string bytes(kDigestFileSize, '\0');
  std::mt19937_64 random(11);
  for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
    uint64_t value = random();
    std::copy_n(reinterpret_cast<const char*>(&value), 8, &bytes[i]);
  }
  WriteBenchFile(path, bytes);
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

void Report(const char* what, double ours, const char* tool, double theirs) {
  std::printf("%-44s %9.1f ms\n", what, ours);
  std::printf("%-44s %9.1f ms\n", tool, theirs);
  std::printf("%-44s %9.2f\n\n", "ratio (ours / tool)", ours / theirs);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zip_md5_bench DATA_FOLDER\n");
    return 2;
  }
  fs::path data = argv[1];
  fs::create_directories(data);
  fs::path client = data / "client";
  fs::path archive = data / "client.zip";
  fs::path digestFile = data / "digest.bin";

  std::printf("generating %d files and a %zu MB file in %s\n\n", kFiles, kDigestFileSize >> 20,
              data.string().c_str());
  MakeClientFolder(client);
  if (RunSetupkit({u"zip", client.u16string(), archive.u16string()}) != 0) return 1;
  MakeDigestFile(digestFile);

  XData bytes;
  if (!bytes.ReadFile(archive.u16string().c_str(), 0)) return 1;
  std::printf("archive: %.1f MB, %d entries (files and folders), every one encrypted\n\n",
              bytes.Length() / 1048576.0, kFiles + 40);
  double readItems = Best([&] {
    XZip zip;
    if (!zip.OpenMemory(bytes.Data(), bytes.Length(), XZip::GetArchivePassword())) return false;
    XData entry;
    for (int i = 0; i < zip.GetCount(); ++i) {
      if (!zip.ReadItem(i, &entry)) return false;
    }
    return true;
  });
  double unzip = Best([&] {
    return Shell("unzip -qq -P '" + std::string(XZip::GetArchivePassword()) + "' -p '" +
                 archive.string() + "' >/dev/null");
  });
  Report("XZip::ReadItem, every entry, from memory", readItems, "unzip -p to /dev/null", unzip);

  double md5 = Best([&] {
    uint8_t digest[16];
    return Md5OfFile(digest, digestFile.u16string().c_str());
  });
  double md5sum = Best([&] { return Shell("md5sum '" + digestFile.string() + "' >/dev/null"); });
  Report("Md5OfFile, 100 MB", md5, "md5sum, 100 MB", md5sum);

  double sha256 = Best([&] {
    uint8_t digest[kSha256Bytes];
    return Sha256OfFile(digest, digestFile.u16string().c_str());
  });
  double sha256sum =
      Best([&] { return Shell("sha256sum '" + digestFile.string() + "' >/dev/null"); });
  Report("Sha256OfFile, 100 MB", sha256, "sha256sum, 100 MB", sha256sum);

  double addFolder = Best([&] {
    CUpdateInfo list;
    return AddFolderToList(list, u"http://127.0.0.1/client", client.u16string().c_str(), u"") ==
               kFiles &&
           list.Count() == kFiles;
  });
  // Each item carries both digests, so both tools read every file.
  double digestFiles = Best([&] {
    const std::string files = "find '" + client.string() + "' -type f -print0 | xargs -0 ";
    return Shell(files + "md5sum >/dev/null && " + files + "sha256sum >/dev/null");
  });
  Report("AddFolderToList, 2,000 files", addFolder,
         "find | xargs md5sum and sha256sum, same files", digestFiles);
  return 0;
}
