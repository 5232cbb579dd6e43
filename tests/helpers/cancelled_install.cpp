// A helper process for the tests: installs the package of the installer it is given (first
// argument) into the folder given second, and once the install is under way cancels it
// the way closing the window does, by destroying the flow. Exits with 3 when that left the
// worker stopped (no file appears in the folder afterwards), 4 when files still appeared, 1 when
// the install never got under way.
#include <windows.h>

#include <atomic>
#include <filesystem>

#include "install/install_flow.h"
#include "install/windows_install_edge.h"
#include "startup/install_package.h"
#include "startup/package_loading.h"
#include "support/handle.h"
#include "support/module_library.h"

namespace {

constexpr int kReportsBeforeCancel = 20;

class CancellingObserver : public IInstallObserver {
 public:
  explicit CancellingObserver(HANDLE underWay) : underWay_(underWay) {}
  // Every progress report changes the view.
  void OnViewChanged() override {
    if (++reports_ == kReportsBeforeCancel) SetEvent(underWay_);
  }
  void PostCommand(int) override {}
  void Close(int) override {}

 private:
  HANDLE underWay_;
  std::atomic<int> reports_{0};
};

size_t CountFiles(const std::filesystem::path& folder) {
  size_t files = 0;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    files += it->is_regular_file() ? 1 : 0;
  }
  return files;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 1;
  const auto* setupPath = reinterpret_cast<const char16_t*>(argv[1]);
  const std::filesystem::path target(argv[2]);
  Handle underWay(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  CancellingObserver observer(underWay.Get());
  CInstallPackage package;
  {
    ModuleLibrary setup(setupPath);
    if (setup.Handle() == nullptr || !LoadInstallPackage(setup.Handle(), setupPath, package)) {
      return 1;
    }
  }
  CWindowsInstallEdge edge;
  {
    CInstallFlow flow(&observer, edge, package.Product(), package.Payload(), true);
    if (!flow.Prepare()) return 1;
    flow.ChooseInstallFolder(target.u16string().c_str());
    if (!flow.StartInstall()) return 1;
    if (WaitForSingleObject(underWay.Get(), 30000) != WAIT_OBJECT_0) return 1;
  }
  const size_t written = CountFiles(target);
  Sleep(300);
  return CountFiles(target) == written ? 3 : 4;
}
