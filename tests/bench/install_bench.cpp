// The install figures of `make bench`, under Wine; tests/bench/install_peers.py runs it and the
// peers and prints the figures.
//
//   install_bench prepare DATA_FOLDER [--large | --tiny | --huge GB]
//       Generates the client (2,000 files of about 20 MB; with --large about 1 GB in 300 files
//       with one of 400 MB; with --tiny the client file alone, for what the installer takes
//       without a client) into DATA_FOLDER/client unless it is there already, packs it with
//       setupkit build into DATA_FOLDER/setup.exe unless that is newer than the stub, and leaves
//       the nested client archive as DATA_FOLDER/app.zip (for unzip) and its facts in
//       DATA_FOLDER/install.env. With --huge, a client of GB gigabytes in 5,000 files, one of
//       them of 8 GB (two fifths of a smaller client), mostly noise; it is generated, not packed.
//   install_bench run PEER DATA_FOLDER [keep]
//       One install from nothing into DATA_FOLDER/installed by PEER: "headless"
//       (install_headless.exe), "silent" (setup.exe silent, through its window) or "nsis"
//       (DATA_FOLDER/nsis_installer.exe /S, made by makensis from tests/bench/bench_installer.nsi).
//       Prints "PEER MS CLIENT_MS PEAK_WORKING_SET PEAK_PRIVATE": the milliseconds to the
//       process's end and to the client's start (0 when it starts none), and the process's peak
//       working set and private bytes. With keep, the install stays for its own uninstaller.
//   install_bench uninstall PEER DATA_FOLDER
//       Times the uninstaller that a kept install by PEER ("silent" or "nsis") left, run silently,
//       until the install folder is gone or empty. Prints "PEER MS".
//   install_bench hold
//       Keeps the session's desktop open until its input ends (see Hold).
//   install_bench journal FOLDER
//       What the change journal costs on 2,001 new files put in place in a new folder below
//       FOLDER: a record flushed before each file, each name looked up on disk, and the records
//       written ahead in batches, as the archive install does, with only the names the run
//       made looked up in the folder it made.
//   install_bench files FOLDER
//       What Wine's file system alone costs the 2,001 files of the bench client (10 KB each in 40
//       folders, no archive, no journal): each created under its own name, as NSIS does; each
//       written at its staging name and renamed through its handle, as the install replaces a
//       file, on one thread and on two; and each created under its own name and closed by a
//       second thread, as the install makes a new file.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "install/archive_install.h"
#include "product/product_keys.h"
#include "product/product_registration.h"
#include "records/client_info.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/files/file_stream.h"
#include "support/files/xdata.h"
#include "support/journal/change_journal.h"
#include "support/journal/journal_target_windows.h"
#include "support/pe/resource_reader.h"
#include "support/system/process_control.h"
#include "support/zip/xzip.h"
#include "support/zip/zip_io.h"
#include "tests/bench/bench_support.h"
#include "tools/setupkit/setupkit.h"

namespace {

namespace fs = std::filesystem;

// Bumped when a generator changes, so that a client generated before is made again.
constexpr char kClientStamp[] = "client-1";

fs::path ProgramFolder() {
  char16_t folder[MAX_PATH];
  return GetModuleFolder(folder, nullptr) ? fs::path(folder) : fs::path();
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

struct Measured {
  double totalMs = 0;
  double clientMs = 0;        // until the marker appeared; 0 when it never did
  uint64_t peakWorkingSet = 0;
  uint64_t peakPrivate = 0;
};

// Runs the command line to its end; true when it exited with 0. Wine answers memory questions
// for running processes only, so the counters are sampled as the process runs. The peak working
// set is the system's own peak (Wine's: the peak resident set). The private bytes are the
// peak commit charge on Windows; Wine counts the resident private pages there and keeps no peak,
// so it is the largest seen. With a marker the client starts at the install's end, as its own
// process: it may note its start after the installer ended, so it is waited for up to
// kClientWaitMs more.
bool RunMeasured(std::u16string commandLine, const fs::path* marker, Measured* measured) {
  constexpr double kClientWaitMs = 30000;
  *measured = Measured();
  const auto start = std::chrono::steady_clock::now();
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, AsWide(commandLine.data()), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return false;
  }
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  const auto lookForClient = [&] {
    if (marker != nullptr && measured->clientMs == 0 && fs::exists(*marker)) {
      measured->clientMs = MillisecondsSince(start);
    }
  };
  do {
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.Get(), &memory, sizeof memory)) {
      measured->peakWorkingSet =
          std::max<uint64_t>(measured->peakWorkingSet, memory.PeakWorkingSetSize);
      measured->peakPrivate = std::max<uint64_t>(measured->peakPrivate, memory.PeakPagefileUsage);
    }
    lookForClient();
  } while (WaitForSingleObject(process.Get(), 5) == WAIT_TIMEOUT);
  measured->totalMs = MillisecondsSince(start);
  while (marker != nullptr && measured->clientMs == 0 &&
         MillisecondsSince(start) < measured->totalMs + kClientWaitMs) {
    Sleep(5);
    lookForClient();
  }
  DWORD exitCode = 1;
  return GetExitCodeProcess(process.Get(), &exitCode) && exitCode == 0 &&
         (marker == nullptr || measured->clientMs != 0);
}

// Wine may still hold a file of the run that just ended for a moment: try again briefly rather
// than failing the whole bench.
void RemoveInstalled(const fs::path& folder) {
  std::error_code error;
  for (int attempt = 0; attempt < 20; ++attempt) {
    fs::remove_all(folder, error);
    if (!error) return;
    Sleep(250);
  }
  fs::remove_all(folder);  // reports what stands in the way
}

// Every run installs from nothing into folder: the previous run's files and registration go (so
// no run asks whether to repair; the NSIS installer uses the same keys and shortcut names), and
// the product key names folder as the install folder, which is where setup.exe, that takes no
// folder from its command line, then installs.
bool ResetInstall(const IClientInfo& product, const fs::path& folder) {
  RemoveInstalled(folder);
  Unregister(product);
  const std::u16string path = folder.u16string() + u"\\";
  return WriteProductValue(product.GetCompany().Units(), product.GetApp().Units(), u"path",
                           path.c_str(), -1);
}

bool Newer(const fs::path& a, const fs::path& b) {
  std::error_code error;
  const auto timeA = fs::last_write_time(a, error);
  if (error) return false;
  const auto timeB = fs::last_write_time(b, error);
  return !error && timeA > timeB;
}

uint64_t FolderBytes(const fs::path& folder, int* files) {
  uint64_t bytes = 0;
  *files = 0;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    if (!item.is_regular_file()) continue;
    bytes += item.file_size();
    ++*files;
  }
  return bytes;
}

// Writes the client archive of the payload to the file to: read out (inflated and decrypted)
// when the payload packs it, its bytes as they lie when it is stored as it is.
bool WriteClientArchive(const XData& payloadBytes, const fs::path& to) {
  XZip payload;
  XData nested;
  if (payload.OpenMemory(payloadBytes.Data(), payloadBytes.Length(), XZip::GetArchivePassword()) &&
      payload.ReadByName(u"app.zip", &nested)) {
    return nested.WriteFile(to.u16string().c_str(), 0);
  }
  ZipMemory memory{payloadBytes.Data(), payloadBytes.Length(), 0};
  zlib_filefunc64_def io = MemoryZipIo();
  unzFile zip = unzOpen2_64(&memory, &io);
  if (zip == nullptr) return false;
  std::string bytes;
  unz_file_info64 info;
  // Opened raw, a stored entry reads as its bytes lie.
  bool read = unzLocateFile(zip, "app.zip", 0) == UNZ_OK &&
              unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK &&
              info.compression_method == 0 &&
              unzOpenCurrentFile2(zip, nullptr, nullptr, 1) == UNZ_OK;
  if (read) {
    bytes.resize(info.uncompressed_size);
    read = unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size())) ==
           static_cast<int>(bytes.size());
    unzCloseCurrentFile(zip);
  }
  unzClose(zip);
  FILE* file = read ? std::fopen(to.string().c_str(), "wb") : nullptr;
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

enum class ClientKind { kSmall, kLarge, kTiny };

// Whether the client in data/client is there, generated as want says (data/client.stamp).
bool Generated(const fs::path& data, const std::string& want) {
  XData stamped;
  return stamped.ReadFile((data / "client.stamp").u16string().c_str(), 0) &&
         stamped.Length() == want.size() &&
         std::memcmp(stamped.Data(), want.data(), want.size()) == 0 && fs::exists(data / "client");
}

// The facts of the client in folder that every kind has, as install.env lines.
void WriteClientFacts(FILE* env, const fs::path& client) {
  int files = 0;
  const uint64_t bytes = FolderBytes(client, &files);
  std::fprintf(env, "FILES=%d\nCLIENT_BYTES=%llu\n", files,
               static_cast<unsigned long long>(bytes));
}

// The huge client, generated unless a client of that size is there already; setupkit packs it
// outside, where its time and memory are measured.
int PrepareHuge(const fs::path& data, uint64_t gigabytes) {
  const fs::path client = data / "client";
  const std::string want = kClientStamp + std::string(" huge ") + std::to_string(gigabytes);
  if (!Generated(data, want)) {
    std::printf("generating the client in %s\n", client.string().c_str());
    std::fflush(stdout);
    const uint64_t total = gigabytes << 30;
    MakeHugeClientFolder(client, total, std::min<uint64_t>(uint64_t{8} << 30, total / 5 * 2));
    fs::copy_file(ProgramFolder() / "launch_probe.exe", client / "client.exe");
    WriteBenchFile(data / "client.stamp", want);
  }
  FILE* env = std::fopen((data / "install.env").string().c_str(), "wb");
  if (env == nullptr) return 1;
  WriteClientFacts(env, client);
  std::fprintf(env, "ARCHIVE_PASSWORD='%s'\n", XZip::GetArchivePassword());
  return std::fclose(env) == 0 ? 0 : 1;
}

int Prepare(const fs::path& data, ClientKind kind) {
  const fs::path client = data / "client";
  const fs::path setup = data / "setup.exe";
  const fs::path stamp = data / "client.stamp";
  fs::create_directories(data);
  static const char* const kKindNames[] = {" small", " large", " tiny"};
  const std::string want = kClientStamp + std::string(kKindNames[static_cast<int>(kind)]);
  if (!Generated(data, want)) {
    std::printf("generating the client in %s\n", client.string().c_str());
    std::fflush(stdout);
    // Shorter text files than the archive bench's: a client of about 20 MB, not its archive.
    if (kind == ClientKind::kLarge) {
      MakeLargeClientFolder(client);
    } else if (kind == ClientKind::kSmall) {
      MakeClientFolder(client, 14000);
    } else {
      fs::remove_all(client);
      fs::create_directories(client);
    }
    // The silent installs start the client at their end: one that notes its start and exits.
    fs::copy_file(ProgramFolder() / "launch_probe.exe", client / "client.exe");
    WriteBenchFile(stamp, want);
    fs::remove(setup);
  }
  const fs::path stub = ProgramFolder() / "setup.exe";
  if (!fs::exists(setup) || Newer(stub, setup)) {
    std::printf("packing it into %s\n", setup.string().c_str());
    std::fflush(stdout);
    WriteBenchFile(data / "config.txt",
                   "app=bench;\nname=bench;\ncompany=Bench;\nversion=1.0.0.0;\n"
                   "source=http://127.0.0.1/bench;\n");
    // setupkit build does not write over an existing installer.
    fs::remove(setup);
    if (RunSetupkit({u"build", u"--config", (data / "config.txt").u16string(), u"--client",
                     client.u16string(), u"-o", setup.u16string()}) != 0) {
      return 1;
    }
    fs::remove(data / "app.zip");
  }
  if (!fs::exists(data / "app.zip")) {
    // The archive the install unpacks, for unzip to unpack too.
    XData payloadBytes;
    if (!LoadPackedResourceFromFile(payloadBytes, setup.u16string().c_str(), u"TAIL", 1) ||
        !WriteClientArchive(payloadBytes, data / "app.zip")) {
      std::fprintf(stderr, "bench: no client archive in the installer\n");
      return 1;
    }
  }
  FILE* env = std::fopen((data / "install.env").string().c_str(), "wb");
  if (env == nullptr) return 1;
  WriteClientFacts(env, client);
  std::fprintf(env, "ARCHIVE_BYTES=%llu\nSETUP_BYTES=%llu\nARCHIVE_PASSWORD='%s'\n",
               static_cast<unsigned long long>(fs::file_size(data / "app.zip")),
               static_cast<unsigned long long>(fs::file_size(setup)), XZip::GetArchivePassword());
  std::fclose(env);
  return 0;
}

int RunPeer(const std::string& peer, const fs::path& data, bool keep) {
  const fs::path setup = data / "setup.exe";
  const fs::path installed = data / "installed";
  std::u16string commandLine;
  if (peer == "headless") {
    commandLine = u"\"" + (ProgramFolder() / "install_headless.exe").u16string() + u"\" \"" +
                  setup.u16string() + u"\" \"" + installed.u16string() + u"\"";
  } else if (peer == "silent") {
    commandLine = u"\"" + setup.u16string() + u"\" silent";
  } else if (peer == "nsis") {
    // NSIS takes the folder unquoted, last.
    commandLine = u"\"" + (data / "nsis_installer.exe").u16string() + u"\" /S /D=" +
                  installed.u16string();
  } else {
    std::fprintf(stderr, "bench: no peer '%s'\n", peer.c_str());
    return 2;
  }
  CClientInfo product;
  if (!product.LoadFromModuleFile(setup.u16string().c_str(), u"app", 1) ||
      !ResetInstall(product, installed)) {
    std::fprintf(stderr, "bench: cannot reset the install\n");
    return 1;
  }
  // install_headless.exe starts no client.
  const fs::path marker = installed / "client.exe.ran";
  Measured measured;
  const bool ran = RunMeasured(commandLine, peer == "headless" ? nullptr : &marker, &measured);
  // Nothing of the run stays behind for the next peer, unless its uninstaller is to remove it.
  if (!keep || !ran) {
    RemoveInstalled(installed);
    Unregister(product);
  }
  if (!ran) {
    std::fprintf(stderr, "bench: the %s install failed\n", peer.c_str());
    return 1;
  }
  std::printf("%s %.1f %.1f %llu %llu\n", peer.c_str(), measured.totalMs, measured.clientMs,
              static_cast<unsigned long long>(measured.peakWorkingSet),
              static_cast<unsigned long long>(measured.peakPrivate));
  return 0;
}

// Whether folder is gone, or holds nothing.
bool Emptied(const fs::path& folder) {
  std::error_code error;
  return !fs::exists(folder, error) || fs::is_empty(folder, error);
}

// Times the uninstaller the PEER's kept install left in DATA_FOLDER/installed, run silently:
// from its start until the folder is gone or empty, since both hand the work to a copy of
// themselves and end first. Prints "PEER MS"; whatever stays is removed after.
int RunUninstall(const std::string& peer, const fs::path& data) {
  const fs::path installed = data / "installed";
  // The client the install started may still be running, and a running program's file stays:
  // the uninstallers start once it has ended (its file opens for this process alone).
  for (int waited = 0; waited < 10000; waited += 10) {
    Handle client(CreateFileW((installed / "client.exe").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    if (client.Valid() || GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(10);
  }
  std::error_code error;
  // The client's note that it started is the bench's, not the install's.
  fs::remove(installed / "client.exe.ran", error);
  std::u16string commandLine;
  if (peer == "silent") {
    commandLine = u"\"" + (installed / "unins000.exe").u16string() + u"\" silent";
  } else if (peer == "nsis") {
    commandLine = u"\"" + (installed / "uninst.exe").u16string() + u"\" /S";
  } else {
    std::fprintf(stderr, "bench: no uninstaller of '%s'\n", peer.c_str());
    return 2;
  }
  Measured measured;
  const auto start = std::chrono::steady_clock::now();
  const bool ran = RunMeasured(commandLine, nullptr, &measured);
  constexpr double kLongestMs = 60000;
  while (ran && !Emptied(installed) && MillisecondsSince(start) < kLongestMs) Sleep(2);
  const double took = MillisecondsSince(start);
  const bool emptied = Emptied(installed);
  std::string left;
  if (!emptied) {
    for (const auto& item : fs::recursive_directory_iterator(installed, error)) {
      left += " " + item.path().filename().string();
    }
  }
  CClientInfo product;
  if (product.LoadFromModuleFile((data / "setup.exe").u16string().c_str(), u"app", 1)) {
    Unregister(product);
  }
  RemoveInstalled(installed);
  if (!ran || !emptied) {
    std::fprintf(stderr, "bench: the %s uninstaller %s%s\n", peer.c_str(),
                 ran ? "left in the folder:" : "failed", left.c_str());
    return 1;
  }
  std::printf("%s %.1f\n", peer.c_str(), took);
  return 0;
}

// Milliseconds to put that many new small files in place below folder through a journal, each
// recorded on its own or recorded ahead in batches; the run is undone after.
double JournaledFiles(const fs::path& folder, int files, bool ahead) {
  CWindowsJournalTarget machine;
  CChangeJournal journal(machine);
  const std::u16string root = fs::path(folder).make_preferred().u16string() + u"\\";
  if (!journal.Begin(root, u"install.journal")) return -1;
  const auto start = std::chrono::steady_clock::now();
  const char bytes[512] = {};
  for (int i = 0; i < files; ++i) {
    if (ahead && i % kNewFilesPerJournalRecord == 0) {
      std::vector<std::u16string> paths;
      for (int k = i; k < files && k < i + static_cast<int>(kNewFilesPerJournalRecord); ++k) {
        paths.push_back(root + u"f" + fs::path(std::to_string(k)).u16string());
      }
      if (!journal.PlanNewFiles(paths)) return -1;
    }
    const std::u16string path = root + u"f" + fs::path(std::to_string(i)).u16string();
    if (!journal.PlaceFile(path, [&bytes](const std::u16string& staging) {
          return WriteWholeFile(staging.c_str(), bytes, sizeof bytes);
        })) {
      return -1;
    }
  }
  const double took = MillisecondsSince(start);
  if (!journal.Rollback().Whole()) return -1;
  return took;
}

int JournalCost(const fs::path& folder) {
  const int files = kFiles + 1;
  const double each = JournaledFiles(folder / "each", files, false);
  const double ahead = JournaledFiles(folder / "ahead", files, true);
  if (each < 0 || ahead < 0) return 1;
  std::printf("%-52s %9.1f ms\n", "journal, 2,001 new files, a record flushed for each", each);
  std::printf("%-52s %9.1f ms\n", "journal, the same, records written 256 at a time", ahead);
  std::printf("%-52s %9.3f ms\n", "  saved per file (flushes, look-ups in a new folder)",
              (each - ahead) / files);
  return 0;
}

// Milliseconds for threads threads to make the bench client's 2,001 files below folder, the
// threads taking every threads-th file; staged: written at a staging name and renamed into place
// through their handle by the journal's own target, else created under their names.
double MakeFiles(const fs::path& folder, int threads, bool staged) {
  fs::remove_all(folder);
  const std::u16string root = fs::path(folder).make_preferred().u16string() + u"\\";
  for (int i = 0; i < 40; ++i) fs::create_directories(folder / ("part" + std::to_string(i)));
  const std::vector<uint8_t> bytes(10000, 'x');
  std::atomic<bool> failed{false};
  auto make = [&](int first) {
    CWindowsJournalTarget machine;  // one each: a target is not shared between threads
    for (int i = first; i <= kFiles; i += threads) {
      const std::u16string path = root + fs::path("part" + std::to_string(i % 40) + "\\text" +
                                                  std::to_string(i) + ".txt").u16string();
      if (!staged) {
        failed = failed || !WriteWholeFile(path.c_str(), bytes.data(), bytes.size());
        continue;
      }
      std::unique_ptr<IStagedFile> file = machine.CreateStagedFile(path + u".new~");
      failed = failed || !file || !file->Put(bytes.data(), bytes.size()) || !file->Place(path);
    }
  };
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> others;
  for (int t = 1; t < threads; ++t) others.emplace_back(make, t);
  make(0);
  for (std::thread& other : others) other.join();
  const double took = MillisecondsSince(start);
  fs::remove_all(folder);
  return failed ? -1 : took;
}

// Milliseconds to make the same files as the install makes new ones: each created at its own
// name and written on this thread, and handed to another that closes it.
double MakeFilesClosedAside(const fs::path& folder) {
  fs::remove_all(folder);
  const std::u16string root = fs::path(folder).make_preferred().u16string() + u"\\";
  for (int i = 0; i < 40; ++i) fs::create_directories(folder / ("part" + std::to_string(i)));
  const std::vector<uint8_t> bytes(10000, 'x');
  std::mutex lock;
  std::condition_variable handed;
  std::deque<std::pair<std::unique_ptr<IStagedFile>, std::u16string>> written;
  bool done = false;
  std::atomic<bool> failed{false};
  const auto start = std::chrono::steady_clock::now();
  std::thread closer([&] {
    for (;;) {
      std::unique_lock<std::mutex> hold(lock);
      handed.wait(hold, [&] { return done || !written.empty(); });
      if (written.empty()) return;
      auto next = std::move(written.front());
      written.pop_front();
      hold.unlock();
      failed = failed || !next.first->Place(next.second);
    }
  });
  CWindowsJournalTarget machine;
  for (int i = 0; i <= kFiles; ++i) {
    const std::u16string path = root + fs::path("part" + std::to_string(i % 40) + "\\text" +
                                                std::to_string(i) + ".txt").u16string();
    std::unique_ptr<IStagedFile> file = machine.CreateStagedFile(path);
    if (!file || !file->Put(bytes.data(), bytes.size())) {
      failed = true;
      continue;
    }
    std::lock_guard<std::mutex> hold(lock);
    written.emplace_back(std::move(file), path);
    handed.notify_one();
  }
  {
    std::lock_guard<std::mutex> hold(lock);
    done = true;
    handed.notify_one();
  }
  closer.join();
  const double took = MillisecondsSince(start);
  fs::remove_all(folder);
  return failed ? -1 : took;
}

int FileCost(const fs::path& folder) {
  const double plain = MakeFiles(folder, 1, false);
  const double staged = MakeFiles(folder, 1, true);
  const double twoThreads = MakeFiles(folder, 2, true);
  const double closedAside = MakeFilesClosedAside(folder);
  if (plain < 0 || staged < 0 || twoThreads < 0 || closedAside < 0) return 1;
  std::printf("%-52s %9.1f ms\n", "files alone: 2,001 created under their names", plain);
  std::printf("%-52s %9.1f ms\n", "  staged and renamed through the handle", staged);
  std::printf("%-52s %9.1f ms\n", "  the same on two threads", twoThreads);
  std::printf("%-52s %9.1f ms\n", "  under their names, closed by another thread", closedAside);
  return 0;
}

// A desktop's shell keeps it open for good. Under Wine a desktop is closed when the last program
// on it ends, and the next program that opens a window waits for it to be made again, with its
// explorer and the services that one starts: seconds on this machine, which no user waits. A
// window of its own holds the desktop open while the figures are taken.
int Hold() {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
  if (window == nullptr) return 1;
  std::printf("holding\n");
  std::fflush(stdout);
  char byte;
  while (std::fread(&byte, 1, 1, stdin) == 1) {
  }
  DestroyWindow(window);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc >= 2 ? argv[1] : "";
  if (mode == "prepare" && argc == 5 && std::string(argv[3]) == "--huge") {
    return PrepareHuge(fs::absolute(argv[2]), std::strtoull(argv[4], nullptr, 10));
  }
  if (mode == "prepare" && (argc == 3 || argc == 4)) {
    const std::string kind = argc == 4 ? argv[3] : "";
    if (kind.empty()) return Prepare(fs::absolute(argv[2]), ClientKind::kSmall);
    if (kind == "--large") return Prepare(fs::absolute(argv[2]), ClientKind::kLarge);
    if (kind == "--tiny") return Prepare(fs::absolute(argv[2]), ClientKind::kTiny);
  }
  if (mode == "run" && (argc == 4 || (argc == 5 && std::string(argv[4]) == "keep"))) {
    return RunPeer(argv[2], fs::absolute(argv[3]), argc == 5);
  }
  if (mode == "uninstall" && argc == 4) return RunUninstall(argv[2], fs::absolute(argv[3]));
  if (mode == "hold" && argc == 2) return Hold();
  if (mode == "journal" && argc == 3) return JournalCost(fs::absolute(argv[2]));
  if (mode == "files" && argc == 3) return FileCost(fs::absolute(argv[2]));
  std::fprintf(stderr,
               "usage: install_bench prepare DATA_FOLDER [--large | --tiny | --huge GB]\n"
               "       install_bench run headless|silent|nsis DATA_FOLDER [keep]\n"
               "       install_bench uninstall silent|nsis DATA_FOLDER\n"
               "       install_bench hold\n"
               "       install_bench journal FOLDER\n"
               "       install_bench files FOLDER\n");
  return 2;
}
