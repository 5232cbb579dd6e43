#include "product/uninstall_list_file.h"

#include "support/text/path_text.h"

const char16_t kUninstallListName[] = u"uninst.dat";
const char16_t kInstallJournalName[] = u"install.journal";

bool UninstallListPath(const char16_t* folder, char16_t* out) {
  return folder != nullptr &&
         ComposePath(out, kPathCapacity, {folder, SeparatorAfter(folder), kUninstallListName});
}
