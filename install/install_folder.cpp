#include "install/install_folder.h"

#include "support/text/path_text.h"

namespace {

void AppendFolder(const char16_t* name, FixedWString<1024>* folder) {
  if (name == nullptr || name[0] == 0) return;
  folder->Append(name);
  folder->Append(SeparatorAfter(folder->Units()));
}

}  // namespace

void ComposeInstallFolder(const char16_t* chosen, const char16_t* company, const char16_t* app,
                          FixedWString<1024>* folder) {
  folder->Assign(chosen);
  folder->Append(SeparatorAfter(folder->Units()));
  AppendFolder(company, folder);
  AppendFolder(app, folder);
}

bool DefaultProgramsFolder(const char16_t* windowsFolder, FixedWString<1024>* folder) {
  if (windowsFolder == nullptr || windowsFolder[0] == 0) return false;
  const char16_t drive[2] = {windowsFolder[0], 0};
  folder->Assign(drive);
  folder->Append(u":\\Program Files");
  return true;
}
