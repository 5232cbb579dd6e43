#include "support/system/file_removal.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "support/core/text_length.h"
#include "support/core/wide_text.h"
#include "support/system/process_control.h"
#include "support/text/path_text.h"

namespace {

constexpr uint32_t kEndOwnerWait = 5000;

}  // namespace

bool DeleteShellFile(const char16_t* path) {
  if (path == nullptr || path[0] == 0) return false;
  // The shell takes a list of paths ended by an empty one: the path and two zero units.
  char16_t list[kPathCapacity + 1];
  if (!ComposePath(list, kPathCapacity, {path})) return false;
  for (const char16_t* unit = list; *unit != 0; ++unit) {
    if (*unit == u'*' || *unit == u'?') return false;
  }
  list[TextLength(list) + 1] = 0;

  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = AsWide(list);
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  if (SHFileOperationW(&operation) != 0 || operation.fAnyOperationsAborted) return false;
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW | SHCNF_FLUSH, AsWide(path), nullptr);
  return true;
}

bool DeleteFileOrStopOwner(const char16_t* path, StopOwnerQuestion ask, void* owner) {
  if (path == nullptr) return false;
  if (DeleteFileW(AsWide(path))) return true;
  if (GetLastError() != ERROR_ACCESS_DENIED) return false;
  uint32_t processId = FindProcessRunningFrom(path);
  if (processId == 0 || !IsProcessRunning(processId)) return false;
  if (ask != nullptr && !ask(path, owner)) return false;
  KillProcess(processId, kEndOwnerWait);
  return DeleteFileW(AsWide(path));
}
