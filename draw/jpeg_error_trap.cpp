#include "draw/jpeg_error_trap.h"

namespace {

void JumpBack(j_common_ptr info) {
  // The manager is the first member of the trap.
  std::longjmp(reinterpret_cast<JpegErrorTrap*>(info->err)->jump, 1);
}

void DropMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallJpegErrorTrap(JpegErrorTrap& trap) {
  jpeg_std_error(&trap.manager);
  trap.manager.error_exit = JumpBack;
  trap.manager.output_message = DropMessage;
  return &trap.manager;
}
