// Figures for `make bench`, under Wine: the archive-mode install of a generated client (2,000
// files, about 20 MB) packed by setupkit build into the real setup.exe and installed by
// install_headless.exe (best of three, the process's peak memory) beside the same install by
// setup.exe through its window in silent mode (which needs a display), and the cost of the pause
// the install makes after each entry so its window can paint. It leaves the nested client archive
// as DATA_FOLDER/app.zip and the figures scripts/bench.sh compares with unzip in
// DATA_FOLDER/install.env.
// Usage: install_bench DATA_FOLDER
#include <windows.h>
#include <psapi.h>
#include <timeapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "install/paint_pause.h"
#include "product/product_keys.h"
#include "product/product_registration.h"
#include "records/client_info.h"
#include "support/handle.h"
#include "support/process_control.h"
#include "support/resource_reader.h"
#include "support/wide_text.h"
#include "support/xdata.h"
#include "support/xzip.h"
#include "tests/bench/bench_support.h"
#include "tools/setupkit/setupkit.h"

namespace {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
  char16_t folder[MAX_PATH];
  return GetModuleFolder(folder, nullptr) ? fs::path(folder) : fs::path();
}

// Runs the command line to its end; true when it succeeded. peak receives the largest working
// set seen while it ran (0 when it could not be read): Wine answers for running processes only,
// so it is sampled as the process runs. With a marker, *markedMs receives the milliseconds from
// the start until that file appeared (the whole run when it never did).
bool RunMeasured(std::u16string commandLine, uint64_t* peak, const fs::path* marker = nullptr,
                 double* markedMs = nullptr) {
  *peak = 0;
  const auto start = std::chrono::steady_clock::now();
  bool marked = false;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, AsWide(commandLine.data()), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return false;
  }
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  do {
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.Get(), &memory, sizeof memory)) {
      *peak = std::max<uint64_t>(*peak, memory.PeakWorkingSetSize);
    }
    if (marker != nullptr && !marked && fs::exists(*marker)) {
      marked = true;
      *markedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                            start).count();
    }
  } while (WaitForSingleObject(process.Get(), marker != nullptr ? 5 : 100) == WAIT_TIMEOUT);
  if (marker != nullptr && !marked) {
    *markedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  DWORD exitCode = 1;
  return GetExitCodeProcess(process.Get(), &exitCode) && exitCode == 0;
}

// Milliseconds that count one-millisecond sleeps take.
// Milliseconds that count entries' pauses take: the paced pause the install makes, or a plain
// one-millisecond sleep after every entry.
double PauseCost(int count, bool paced) {
  PaintPause pause;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    if (paced) {
      pause.AfterEntry();
    } else {
      Sleep(1);
    }
  }
  std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return took.count();
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

// Every run installs from nothing into folder: the previous run's files and registration go
// (so no run asks whether to repair), and the product key names folder as the install folder,
// which is where setup.exe, that takes no folder from its command line, then installs.
bool ResetInstall(const IClientInfo& product, const fs::path& folder) {
  RemoveInstalled(folder);
  Unregister(product);
  const std::u16string path = folder.u16string() + u"\\";
  return WriteProductValue(product.GetCompany().Units(), product.GetApp().Units(), u"path",
                           path.c_str(), -1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: install_bench DATA_FOLDER\n");
    return 2;
  }
  const fs::path data = fs::absolute(argv[1]);
  const fs::path client = data / "client";
  const fs::path setup = data / "setup.exe";
  const fs::path installed = data / "installed";
  fs::create_directories(data);
  std::printf("generating %d files in %s\n", kFiles, client.string().c_str());
  // Shorter text files than the archive bench's: a client of about 20 MB, not its archive.
  MakeClientFolder(client, 14000);
  // The silent install starts the client at its end: one that exits at once.
  fs::copy_file(ProgramFolder() / "launch_probe.exe", client / "client.exe");
  WriteBenchFile(data / "config.txt",
                 "app=bench;\nname=bench;\ncompany=Bench;\nversion=1.0.0.0;\n"
                 "source=http://127.0.0.1/bench;\n");
  // setupkit build does not write over an existing installer.
  fs::remove(setup);
  if (RunSetupkit({u"build", u"--config", (data / "config.txt").u16string(), u"--client",
                   client.u16string(), u"-o", setup.u16string()}) != 0) {
    return 1;
  }

  // The archive the install unpacks, for unzip to unpack too.
  XData payloadBytes;
  XZip payload;
  XData nested;
  if (!LoadPackedResourceFromFile(payloadBytes, setup.u16string().c_str(), u"TAIL", 1) ||
      !payload.OpenMemory(payloadBytes.Data(), payloadBytes.Length(),
                          XZip::GetArchivePassword()) ||
      !payload.ReadByName(u"app.zip", &nested) ||
      !nested.WriteFile((data / "app.zip").u16string().c_str(), 0)) {
    std::fprintf(stderr, "bench: no client archive in the installer\n");
    return 1;
  }
  uint64_t clientBytes = 0;
  for (const auto& item : fs::recursive_directory_iterator(client)) {
    if (item.is_regular_file()) clientBytes += item.file_size();
  }
  const int files = kFiles + 1;
  std::printf("client: %d files, %.1f MB; its archive %.1f MB\n\n", files,
              clientBytes / 1048576.0, nested.Length() / 1048576.0);

  CClientInfo product;
  if (!product.LoadFromModuleFile(setup.u16string().c_str(), u"app", 1)) return 1;
  const auto reset = [&] {
    if (!ResetInstall(product, installed)) std::fprintf(stderr, "bench: cannot reset\n");
  };
  const std::u16string headless = u"\"" + (ProgramFolder() / "install_headless.exe").u16string() +
                                  u"\" \"" + setup.u16string() + u"\" \"" +
                                  installed.u16string() + u"\"";
  uint64_t peak = 0;
  const double installMs = Best([&] { return RunMeasured(headless, &peak); }, reset);
  std::printf("%-48s %9.1f ms\n", "install_headless.exe, archive mode", installMs);
  std::printf("%-48s %9.0f\n", "  files per second", files / (installMs / 1000));
  std::printf("%-48s %9.1f\n", "  MB per second", clientBytes / 1048576.0 / (installMs / 1000));
  std::printf("%-48s %9.1f MB\n", "  peak memory (working set)", peak / 1048576.0);

  // The same install through the window: setup.exe silent shows the progress page, installs,
  // starts the client and ends.
  const std::u16string silent = u"\"" + setup.u16string() + u"\" silent";
  // The client it starts notes its start: the install is done there, and what follows is the
  // window closing.
  uint64_t windowPeak = 0;
  const fs::path clientStarted = installed / "client.exe.ran";
  double startedMs = 0;
  double bestStartedMs = 1e300;
  const double windowMs = Best(
      [&] {
        const bool ran = RunMeasured(silent, &windowPeak, &clientStarted, &startedMs);
        bestStartedMs = std::min(bestStartedMs, startedMs);
        return ran;
      },
      reset);
  std::printf("%-48s %9.1f ms\n", "setup.exe silent, through its window", windowMs);
  std::printf("%-48s %9.1f ms\n", "  of which until the client started", bestStartedMs);
  std::printf("%-48s %9.1f MB\n", "  peak memory (working set)", windowPeak / 1048576.0);
  std::printf("%-48s %9.2f (at most 1.10 wanted)\n",
              "ratio (window until the client / headless)", bestStartedMs / installMs);
  // Under Wine on a display without a window manager, hiding the window waits about 2 s for a
  // window manager to withdraw it; a desktop has one.
  std::printf("%-48s %9.2f\n", "ratio (window to its end / headless)", windowMs / installMs);
  RemoveInstalled(installed);
  Unregister(product);

  // The pause after each entry: paced as the install makes it (finer timer), and what a plain
  // one-millisecond sleep after every entry would cost with the finer and the default timer.
  timeBeginPeriod(1);
  const double paced = PauseCost(files, true);
  const double fine = PauseCost(files, false);
  timeEndPeriod(1);
  const double coarse = PauseCost(200, false) * files / 200;
  std::printf("%-48s %9.3f ms\n", "pause per file, paced (as installed)", paced / files);
  std::printf("%-48s %9.1f ms (%.0f%% of the install)\n", "  all pauses", paced,
              100 * paced / installMs);
  std::printf("%-48s %9.3f ms\n", "plain 1 ms sleep per file, timer at 1 ms", fine / files);
  std::printf("%-48s %9.3f ms\n", "plain 1 ms sleep per file, default timer", coarse / files);

  FILE* env = std::fopen((data / "install.env").string().c_str(), "wb");
  if (env == nullptr) return 1;
  std::fprintf(env, "INSTALL_MS=%.1f\nARCHIVE_PASSWORD='%s'\n", installMs,
               XZip::GetArchivePassword());
  std::fclose(env);
  return 0;
}
