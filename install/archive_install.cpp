#include "install/archive_install.h"

#include <windows.h>

#include "support/entry_path.h"
#include "support/file_stream.h"
#include "support/folder_tree.h"
#include "support/link_check.h"
#include "support/path_text.h"
#include "support/xdata.h"
#include "support/xzip.h"

namespace {

bool PutFile(XZip& archive, int index, const char16_t* path, XData* content) {
  if (!archive.ReadItem(index, content)) return false;
  return CreateParentFolder(path) && WriteWholeFile(path, content->Data(), content->Length());
}

// One entry into folder. name receives the entry's name with "\\" separators (empty when it
// could not be read) and *accepted whether it names a place inside folder. False when the entry
// was not put in place.
bool InstallArchiveEntry(XZip& archive, int index, const char16_t* folder, char16_t* name,
                         bool* accepted, XData* content) {
  name[0] = 0;
  *accepted = false;
  if (!archive.GetName(index, name)) return false;
  char16_t path[kPathCapacity];
  // A folder link inside the install folder would carry the write elsewhere.
  *accepted = JoinEntryPath(folder, name, path) && !CrossesLink(folder, path);
  for (int i = 0; name[i] != 0; ++i) {
    if (name[i] == u'/') name[i] = u'\\';
  }
  if (!*accepted) return false;
  if (archive.IsFolder(index)) return CreateDirectories(path, u'\\');
  return PutFile(archive, index, path, content);
}

}  // namespace

bool InstallFromArchive(XZip& payload, const char16_t* nestedName, const char16_t* folder,
                        const InstallRun& run) {
  if (nestedName == nullptr || nestedName[0] == 0 || folder == nullptr || folder[0] == 0) {
    return false;
  }
  XData nestedBytes;
  if (!payload.ReadByName(nestedName, &nestedBytes)) return false;
  XZip nested;
  if (!nested.OpenMemory(nestedBytes.Data(), nestedBytes.Length(), XZip::GetArchivePassword())) {
    return false;
  }
  if (!CreateDirectories(folder, u'\\')) return false;
  const int count = nested.GetCount();
  XData content;
  for (int i = 0; i < count; ++i) {
    if (run.Stopped()) return false;
    char16_t name[XZip::kNameCapacity];
    bool accepted = false;
    if (InstallArchiveEntry(nested, i, folder, name, &accepted, &content)) {
      run.Installed(name);
    } else {
      run.Failed(name);
    }
    run.Report(count, i + 1, accepted ? name : nullptr);
  }
  nested.Close();
  return true;
}
