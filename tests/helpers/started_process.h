#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// A copy of the sleeper helper, under a name of the test's choosing, started hidden and ended
// when the test is over.
class StartedProcess {
 public:
  StartedProcess(const std::filesystem::path& folder, const std::u16string& exeName,
                 const char16_t* seconds = u"30");
  ~StartedProcess();
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;

  uint32_t Id() const { return id_; }
  const std::u16string& Path() const { return path_; }
  // Waits up to the given time for the process to end; true when it has.
  bool WaitForExit(uint32_t milliseconds) const;

 private:
  std::u16string path_;
  void* process_ = nullptr;
  uint32_t id_ = 0;
};
