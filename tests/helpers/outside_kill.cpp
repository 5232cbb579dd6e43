#include "tests/helpers/outside_kill.h"

#include "support/core/handle_windows.h"
#include "support/system/process_control.h"

namespace fs = std::filesystem;

DWORD RunKilledWhen(const std::u16string& program, const std::u16string& parameters,
                    const std::function<bool()>& due, DWORD limitMs) {
  void* started = nullptr;
  if (!RunProgram(program.c_str(), parameters.c_str(), false, &started)) return 99;
  Handle process(started);
  const ULONGLONG deadline = GetTickCount64() + limitMs;
  // Each look waits a millisecond for the end first: often enough to land between two files of
  // an install, seldom enough to leave the program the processor.
  while (WaitForSingleObject(process.Get(), 1) == WAIT_TIMEOUT) {
    const bool killed = due();
    if (killed || GetTickCount64() > deadline) {
      TerminateProcess(process.Get(), killed ? kKilledFromOutside : 99);
      WaitForSingleObject(process.Get(), INFINITE);
    }
  }
  DWORD exitCode = 99;
  GetExitCodeProcess(process.Get(), &exitCode);
  return exitCode;
}

int CountNamesEndingWith(const fs::path& folder, const std::u16string& suffix) {
  int count = 0;
  // A name may go while it is listed: what cannot be read is not counted.
  std::error_code error;
  for (fs::recursive_directory_iterator item(folder, error), end; !error && item != end;
       item.increment(error)) {
    const std::u16string name = item->path().filename().u16string();
    if (name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      ++count;
    }
  }
  return count;
}
