#include "tests/helpers/started_process.h"

#include <windows.h>

#include "support/system/process_control.h"
#include "tests/helpers/windows_test_support.h"

StartedProcess::StartedProcess(const std::filesystem::path& folder, const std::u16string& exeName,
                               const char16_t* seconds) {
  std::filesystem::path exe = folder / std::filesystem::path(exeName);
  std::filesystem::copy_file(TestProgramFolder() / "sleeper.exe", exe,
                             std::filesystem::copy_options::overwrite_existing);
  path_ = exe.u16string();
  if (RunProgram(path_.c_str(), seconds, false, &process_) && process_ != nullptr) {
    id_ = GetProcessId(static_cast<HANDLE>(process_));
  }
}

StartedProcess::~StartedProcess() {
  if (process_ == nullptr) return;
  TerminateProcess(static_cast<HANDLE>(process_), 0);
  WaitForSingleObject(static_cast<HANDLE>(process_), 5000);
  CloseHandle(static_cast<HANDLE>(process_));
}

bool StartedProcess::WaitForExit(uint32_t milliseconds) const {
  return process_ != nullptr &&
         WaitForSingleObject(static_cast<HANDLE>(process_), milliseconds) == WAIT_OBJECT_0;
}
