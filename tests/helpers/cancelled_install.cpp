// A helper process for the tests: installs the payload beside the setup path it is given
// (first argument) into the folder given second, and once the install is under way cancels it
// the way closing the window does, by destroying the flow and returning from the entry point.
// Exits with 3 after cancelling, 1 when the install never got under way.
#include <windows.h>

#include <atomic>

#include "install/install_flow.h"
#include "records/client_info.h"
#include "support/handle.h"

namespace {

constexpr int kReportsBeforeCancel = 20;

class CancellingObserver : public IInstallObserver {
 public:
  explicit CancellingObserver(HANDLE underWay) : underWay_(underWay) {}
  void OnElementChanged(InstallElement element) override {
    if (element == InstallElement::kStatusText && ++reports_ == kReportsBeforeCancel) {
      SetEvent(underWay_);
    }
  }
  void PostCommand(int) override {}
  void Close(int) override {}

 private:
  HANDLE underWay_;
  std::atomic<int> reports_{0};
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 1;
  const auto* setupPath = reinterpret_cast<const char16_t*>(argv[1]);
  Handle underWay(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  CancellingObserver observer(underWay.Get());
  CClientInfo product;
  CInstallFlow flow(&observer, product, true);
  if (!flow.OpenPayload(setupPath) || !flow.LoadWindowConfig(setupPath) || !flow.Prepare()) {
    return 1;
  }
  flow.ChooseInstallFolder(reinterpret_cast<const char16_t*>(argv[2]));
  if (!flow.StartInstall()) return 1;
  return WaitForSingleObject(underWay.Get(), 30000) == WAIT_OBJECT_0 ? 3 : 1;
}
