// The download figures of `make bench`, run under Wine. Fetches URL a few times and prints the
// best time in milliseconds, the size received and the process's peak working set in bytes, as
// "MS BYTES PEAK":
//   download_bench document URL                  CInternet::Download into memory
//   download_bench file URL STAGING SIZE [MD5]   CFileDownload into the staging file STAGING
//                                                (removed before each round), checked against
//                                                the MD5 when one is given
//   download_bench list URL [PUBLIC]             FetchPublishedListAt, with the public key in
//                                                the file PUBLIC when given (its signature is
//                                                then fetched and checked too); BYTES is then
//                                                the number of items the list holds
//   download_bench install URL FOLDER [CONNECTIONS]
//                                                download mode: the list at URL fetched, then
//                                                followed into FOLDER (removed, untimed, before
//                                                each round)
//                                                by the engine under its journal, committed, over
//                                                CONNECTIONS connections (default: the engine's);
//                                                BYTES is then the number of files installed
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <functional>

#include "install/install_engine.h"
#include "product/published_list.h"
#include "product/uninstall_list_file.h"
#include "records/uninst_info.h"
#include "support/core/wide_text.h"
#include "support/crypto/file_verifier.h"
#include "support/files/file_size.h"
#include "support/files/file_stream.h"
#include "support/files/xdata.h"
#include "support/http/file_download.h"
#include "support/http/http_get.h"
#include "support/http/internet.h"
#include "support/journal/change_journal.h"
#include "support/journal/journal_target_windows.h"

namespace {

constexpr int kRounds = 3;

// The best of kRounds timings of fetch, which returns the bytes it received (0: it failed);
// prepare, when given, runs before each round, untimed.
bool Time(const std::function<uint64_t()>& fetch, double* best, uint64_t* size,
          const std::function<void()>& prepare = nullptr) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  *best = 1e300;
  for (int round = 0; round < kRounds; ++round) {
    if (prepare) prepare();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    *size = fetch();
    QueryPerformanceCounter(&end);
    if (*size == 0) return false;
    const double took = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart);
    if (took < *best) *best = took;
  }
  return true;
}

uint64_t FetchDocument(const wchar_t* url) {
  CInternet internet;
  return internet.Download(AsUtf16(url)) ? internet.GetSize() : 0;
}

uint64_t FetchFile(const wchar_t* url, const wchar_t* staging, uint32_t size,
                   const wchar_t* md5) {
  RemoveFile(AsUtf16(staging));
  CHttpGet source;
  CFileDownload download(source);
  const FileVerifier verify = md5 != nullptr ? Md5FileVerifier(AsUtf16(md5)) : nullptr;
  uint64_t received = 0;
  return download.Fetch(AsUtf16(url), AsUtf16(staging), size, verify) == DownloadResult::kDone &&
                 GetFileSize(AsUtf16(staging), &received)
             ? received
             : 0;
}

// The list's size when it was fetched and taken (0: it failed or was refused).
uint64_t FetchList(const wchar_t* url, const ListKey& key) {
  PublishedList list;
  return FetchPublishedListAt(AsUtf16(url), key, nullptr, &list) && list.readable
             ? static_cast<uint64_t>(list.items.Count())
             : 0;
}

// The number of files installed (0: the list or a file failed).
uint64_t InstallFromList(const wchar_t* url, const wchar_t* folder, int connections) {
  CWindowsJournalTarget machine;
  PublishedList published;
  if (!FetchPublishedListAt(AsUtf16(url), ListKey(), nullptr, &published) || !published.readable) {
    return 0;
  }
  CChangeJournal journal(machine);
  if (!journal.Begin(AsUtf16(folder), kInstallJournalName)) return 0;
  CInstall engine(HttpGetMaker(connections));
  engine.SetConnections(connections);
  CUninstInfo installed;
  engine.SetInstalledList(&installed);
  engine.SetJournal(&journal);
  const bool whole = engine.InstallList(AsUtf16(folder), &published.items).ending ==
                     InstallOutcome::Ending::kInstalled;
  return whole && journal.Commit() ? static_cast<uint64_t>(installed.Count()) : 0;
}

// The key in the file path, carried; false when it cannot be read.
bool ReadKey(const wchar_t* path, ListKey* key) {
  XData bytes;
  if (!bytes.ReadFile(AsUtf16(path), 0)) return false;
  key->carried = true;
  key->bytes.assign(bytes.Data(), bytes.Data() + bytes.Length());
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool document = argc == 3 && std::wcscmp(argv[1], L"document") == 0;
  const bool file = (argc == 5 || argc == 6) && std::wcscmp(argv[1], L"file") == 0;
  const bool list = (argc == 3 || argc == 4) && std::wcscmp(argv[1], L"list") == 0;
  const bool install = (argc == 4 || argc == 5) && std::wcscmp(argv[1], L"install") == 0;
  ListKey key;
  if ((!document && !file && !list && !install) ||
      (list && argc == 4 && !ReadKey(argv[3], &key))) {
    std::fprintf(stderr,
                 "usage: download_bench document URL | download_bench file URL STAGING SIZE "
                 "[MD5] | download_bench list URL [PUBLIC] | download_bench install URL FOLDER "
                 "[CONNECTIONS]\n");
    return 2;
  }
  const int connections =
      install && argc == 5 ? static_cast<int>(std::wcstol(argv[4], nullptr, 10))
                           : kDefaultConnections;
  double best = 0;
  uint64_t size = 0;
  const bool fetched =
      document  ? Time([&] { return FetchDocument(argv[2]); }, &best, &size)
      : list    ? Time([&] { return FetchList(argv[2], key); }, &best, &size)
      : install ? Time([&] { return InstallFromList(argv[2], argv[3], connections); }, &best,
                       &size, [&] { CWindowsJournalTarget().RemoveTree(AsUtf16(argv[3])); })
                : Time(
                     [&] {
                       return FetchFile(argv[2], argv[3],
                                        static_cast<uint32_t>(std::wcstoul(argv[4], nullptr, 10)),
                                        argc == 6 ? argv[5] : nullptr);
                     },
                     &best, &size);
  if (!fetched) {
    std::fprintf(stderr, "download_bench: the download failed\n");
    return 1;
  }
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("%.1f %llu %llu\n", best, static_cast<unsigned long long>(size),
              static_cast<unsigned long long>(memory.PeakWorkingSetSize));
  return 0;
}
