// The extraction path's figures for `make bench`, native, on the 2,000-file client's archive
// (about 20 MB in 2,000 files, every entry encrypted), each the best of three:
//   (a) every entry decrypted and inflated and dropped: read whole one after another (ReadItem),
//       in pieces (ReadItemTo), and by an EntryPipeline over every core;
//   (b) every entry into files in a folder: one after another, and through the pipeline (its
//       workers read while the writer writes, each folder made once), beside `unzip -d`;
//   (c) reaching the client archive inside a payload: read out of it as the payload holds it
//       today (deflated and encrypted: ReadByName, then OpenMemory), or where it lies when the
//       payload stores it whole in the clear (OpenNested); and the payload's packed container
//       unpacked whole (a copy, unscrambled, checked) or checked in place (PackedView);
//   (d) one large entry (256 MB of the large client's kind, deflated in 64 pieces) into a file:
//       in one stream (ReadItemTo), and through its piece index on one worker and on every one,
//       each beside the most memory the process held during it above what it held before.
// Usage: extraction_bench DATA_FOLDER (the data is generated there).
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/container/packed_container.h"
#include "support/container/packed_view.h"
#include "support/files/xdata.h"
#include "support/text/utf8.h"
#include "support/zip/entry_pipeline.h"
#include "support/zip/indexed_entry_reader.h"
#include "support/zip/xzip.h"
#include "support/zip/zip_entry_source.h"
#include "tests/bench/bench_support.h"
#include "tests/helpers/zip_builder.h"
#include "tools/setupkit/setupkit.h"

namespace {

namespace fs = std::filesystem;

const char* Password() { return XZip::GetArchivePassword(); }

class DroppingSink : public IEntrySink {
 public:
  bool Put(const uint8_t*, size_t count) override {
    bytes += count;
    return true;
  }
  uint64_t bytes = 0;
};

class FileSink : public IEntrySink {
 public:
  explicit FileSink(const fs::path& path) : file_(std::fopen(path.c_str(), "wb")) {}
  ~FileSink() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  bool Put(const uint8_t* bytes, size_t count) override {
    return file_ != nullptr && std::fwrite(bytes, 1, count, file_) == count;
  }

 private:
  std::FILE* file_;
};

// A file written at the places it is given, by several threads at once.
class PositionedFile : public IPositionedSink {
 public:
  explicit PositionedFile(const fs::path& path)
      : fd_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {}
  ~PositionedFile() override {
    if (fd_ >= 0) close(fd_);
  }
  bool PutAt(uint64_t offset, const uint8_t* bytes, size_t count) override {
    while (count > 0) {
      const ssize_t wrote = pwrite(fd_, bytes, count, static_cast<off_t>(offset));
      if (wrote <= 0) return false;
      bytes += wrote;
      offset += static_cast<uint64_t>(wrote);
      count -= static_cast<size_t>(wrote);
    }
    return true;
  }

 private:
  int fd_;
};

// The process's resident memory in KB as /proc tells it: now (VmRSS) or at most since the last
// ResetPeak (VmHWM).
uint64_t ResidentKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, field.size() + 1, field + ":") == 0) {
      return std::strtoull(line.c_str() + field.size() + 1, nullptr, 10);
    }
  }
  return 0;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The archive's files: entry index and name, in entry order.
struct ArchiveFile {
  int index;
  fs::path name;
};

std::vector<ArchiveFile> ListFiles(XZip& zip) {
  std::vector<ArchiveFile> files;
  for (int i = 0; i < zip.GetCount(); ++i) {
    char16_t name[XZip::kNameCapacity];
    if (zip.IsFolder(i) || !zip.GetName(i, name)) continue;
    files.push_back({i, fs::path(Utf16ToUtf8(name))});
  }
  return files;
}

// A pipeline over every core, each worker with its own reader of the archive in memory.
std::unique_ptr<EntryPipeline> MakePipeline(const XData& archive,
                                            const std::vector<ArchiveFile>& files) {
  auto entries = std::make_shared<std::vector<int>>();
  for (const ArchiveFile& file : files) entries->push_back(file.index);
  std::vector<std::unique_ptr<IEntrySource>> sources;
  for (int i = 0; i < EntryPipeline::WorkerCount(); ++i) {
    auto source = std::make_unique<ZipEntrySource>(entries);
    if (!source->Archive().OpenMemory(archive.Data(), archive.Length(), Password())) return nullptr;
    sources.push_back(std::move(source));
  }
  return std::make_unique<EntryPipeline>(std::move(sources), static_cast<int>(files.size()),
                                         nullptr);
}

// Makes each folder once, as an install does.
class FolderMaker {
 public:
  explicit FolderMaker(fs::path root) : root_(std::move(root)) {}
  fs::path PathOf(const fs::path& name) {
    const fs::path path = root_ / name;
    if (made_.insert(path.parent_path()).second) fs::create_directories(path.parent_path());
    return path;
  }

 private:
  fs::path root_;
  std::set<fs::path> made_;
};

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

void Figure(const char* what, double ms) { std::printf("%-56s %9.1f ms\n", what, ms); }

// The best time of run, and the most memory above the process's before it.
void FigureWithPeak(const char* what, const std::function<bool()>& run) {
  const uint64_t before = ResidentKb("VmRSS");
  ResetPeak();
  const double ms = Best(run);
  const uint64_t peak = ResidentKb("VmHWM");
  std::printf("%-56s %9.1f ms   peak +%7.2f MB\n", what, ms,
              (peak > before ? peak - before : 0) / 1024.0);
}

// (d): one large entry, in one stream and through its index on 1 and on every worker.
bool BenchLargeEntry(const fs::path& data) {
  constexpr size_t kLargeEntry = 256u << 20;
  const fs::path folder = data / "large";
  const fs::path archivePath = data / "large.zip";
  const fs::path out = data / "large.out";
  fs::remove_all(folder);
  fs::create_directories(folder);
  LargeFileMaker().Write(folder / "large.dll", kLargeEntry);
  fs::remove(archivePath);
  if (RunSetupkit({u"zip", folder.u16string(), archivePath.u16string()}) != 0) return false;
  XZip zip;
  IndexedEntry pieced;
  if (!zip.OpenFile(archivePath.u16string().c_str(), Password()) || !zip.FindPieces(0, &pieced)) {
    return false;
  }
  std::printf("== one entry of %zu MB in %zu pieces\n", kLargeEntry >> 20,
              pieced.index.pieces.size());
  FigureWithPeak("(d) one large entry, ReadItemTo, one stream", [&] {
    FileSink sink(out);
    return zip.ReadItemTo(0, sink);
  });
  for (const int workers : {1, EntryPipeline::WorkerCount()}) {
    std::vector<std::unique_ptr<ArchiveBytes>> readers;
    for (int i = 0; i < workers; ++i) readers.push_back(zip.OpenBytes());
    const std::string what =
        "    through its index, " + std::to_string(workers) + " worker" + (workers > 1 ? "s" : "");
    FigureWithPeak(what.c_str(), [&] {
      PositionedFile sink(out);
      return ReadIndexedEntry(pieced, readers, sink, nullptr) == EntryResult::kRead;
    });
  }
  fs::remove(out);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: extraction_bench DATA_FOLDER\n");
    return 2;
  }
  // Every buffer of 128 KB or more gets pages of its own, given back when it is freed, so that the
  // peaks (d) tells are its own buffers' rather than a heap grown earlier.
  mallopt(M_MMAP_THRESHOLD, 128 << 10);
  const fs::path data = argv[1];
  const fs::path client = data / "client";
  const fs::path archivePath = data / "client.zip";
  const fs::path out = data / "extracted";
  fs::create_directories(data);
  MakeClientFolder(client);
  fs::remove(archivePath);
  if (RunSetupkit({u"zip", client.u16string(), archivePath.u16string()}) != 0) return 1;
  XData archive;
  if (!archive.ReadFile(archivePath.u16string().c_str(), 0)) return 1;
  XZip zip;
  if (!zip.OpenMemory(archive.Data(), archive.Length(), Password())) return 1;
  const std::vector<ArchiveFile> files = ListFiles(zip);
  std::printf("== extraction, %zu files of an archive of %.1f MB, %d workers\n", files.size(),
              archive.Length() / 1048576.0, EntryPipeline::WorkerCount());

  Figure("(a) every entry, ReadItem, one after another", Best([&] {
           XData entry;
           for (const ArchiveFile& file : files) {
             if (!zip.ReadItem(file.index, &entry)) return false;
           }
           return true;
         }));
  Figure("    every entry, ReadItemTo, one after another", Best([&] {
           DroppingSink sink;
           for (const ArchiveFile& file : files) {
             if (!zip.ReadItemTo(file.index, sink)) return false;
           }
           return true;
         }));
  Figure("    every entry, EntryPipeline", Best([&] {
           std::unique_ptr<EntryPipeline> pipeline = MakePipeline(archive, files);
           DroppingSink sink;
           for (size_t i = 0; i < files.size(); ++i) {
             if (!pipeline || pipeline->WriteNext(sink) != EntryResult::kRead) return false;
           }
           return true;
         }));

  const auto fresh = [&] { fs::remove_all(out); };
  const auto serialToFiles = [&] {
    FolderMaker folders(out);
    XData entry;
    for (const ArchiveFile& file : files) {
      if (!zip.ReadItem(file.index, &entry)) return false;
      FileSink sink(folders.PathOf(file.name));
      if (!sink.Put(entry.Data(), entry.Length())) return false;
    }
    return true;
  };
  const auto pipelineToFiles = [&] {
    std::unique_ptr<EntryPipeline> pipeline = MakePipeline(archive, files);
    FolderMaker folders(out);
    for (const ArchiveFile& file : files) {
      FileSink sink(folders.PathOf(file.name));
      if (!pipeline || pipeline->WriteNext(sink) != EntryResult::kRead) return false;
    }
    return true;
  };
  const auto unzipToFiles = [&] {
    return Shell("unzip -qq -P '" + std::string(Password()) + "' '" + archivePath.string() +
                 "' -d '" + out.string() + "'");
  };
  Figure("(b) into files, ReadItem and write, one after another", Best(serialToFiles, fresh));
  Figure("    into files, EntryPipeline", Best(pipelineToFiles, fresh));
  Figure("    unzip -d into a folder, the same archive", Best(unzipToFiles, fresh));
  fresh();

  // The payload as setupkit builds it today (the client archive deflated and encrypted), and as
  // it would hold it stored whole in the clear.
  const std::string clientArchive(reinterpret_cast<const char*>(archive.Data()), archive.Length());
  const std::string today = BuildZip({{"theme.txt", "{}"}, {"app.zip", clientArchive}}, Password());
  const std::string stored = BuildZip(
      {{"theme.txt", "{}"}, {"app.zip", clientArchive, false, true, false, false}}, Password());
  Figure("(c) the client archive read out of its payload (today)", Best([&] {
           XZip payload;
           XData nested;
           XZip opened;
           return payload.OpenMemory(today.data(), static_cast<uint32_t>(today.size()),
                                     Password()) &&
                  payload.ReadByName(u"app.zip", &nested) &&
                  opened.OpenMemory(nested.Data(), nested.Length(), Password());
         }));
  Figure("    stored in the clear, opened where it lies", Best([&] {
           XZip payload;
           XZip opened;
           return payload.OpenMemory(stored.data(), static_cast<uint32_t>(stored.size()),
                                     Password()) &&
                  opened.OpenNested(payload, payload.Find(u"app.zip", nullptr), Password());
         }));
  std::vector<uint8_t> container(stored.size() + kContainerHeaderSize);
  const uint32_t sealed = PackContainer(container.data(), static_cast<uint32_t>(container.size()),
                                        reinterpret_cast<const uint8_t*>(stored.data()),
                                        static_cast<uint32_t>(stored.size()));
  Figure("    the payload's container unpacked: copied, checked", Best([&] {
           std::vector<uint8_t> unpacked(sealed);
           return UnpackContainer(unpacked.data(), sealed, container.data(), sealed) ==
                  stored.size();
         }));
  Figure("    the payload's container checked in place", Best([&] {
           PackedView view;
           return view.Open(container.data(), sealed) && view.Verify();
         }));
  return BenchLargeEntry(data) ? 0 : 1;
}
