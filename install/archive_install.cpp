#include "install/archive_install.h"

#include <windows.h>

#include "support/change_journal.h"
#include "support/entry_path.h"
#include "support/file_stream.h"
#include "support/link_check.h"
#include "support/path_text.h"
#include "support/xdata.h"
#include "support/xzip.h"

namespace {

std::u16string ParentOf(const char16_t* path) {
  const std::u16string full(path);
  return full.substr(0, full.rfind(u'\\') + 1);
}

// One entry into folder, through the run's journal. name receives the entry's name with "\\"
// separators (empty when it could not be read) and *accepted whether it names a place inside
// folder. False when the entry was not put in place.
bool InstallArchiveEntry(XZip& archive, int index, const char16_t* folder, const InstallRun& run,
                         char16_t* name, bool* accepted, XData* content) {
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
  CChangeJournal& journal = *run.journal;
  if (archive.IsFolder(index)) return journal.CreateFolder(path);
  return archive.ReadItem(index, content) && journal.CreateFolder(ParentOf(path)) &&
         journal.PlaceFile(path, [content](const std::u16string& staging) {
           return WriteWholeFile(staging.c_str(), content->Data(), content->Length());
         });
}

}  // namespace

bool InstallFromArchive(XZip& payload, const char16_t* nestedName, const char16_t* folder,
                        const InstallRun& run) {
  if (nestedName == nullptr || nestedName[0] == 0 || folder == nullptr || folder[0] == 0 ||
      run.journal == nullptr) {
    return false;
  }
  XData nestedBytes;
  if (!payload.ReadByName(nestedName, &nestedBytes)) return false;
  XZip nested;
  if (!nested.OpenMemory(nestedBytes.Data(), nestedBytes.Length(), XZip::GetArchivePassword())) {
    return false;
  }
  const int count = nested.GetCount();
  XData content;
  for (int i = 0; i < count; ++i) {
    if (run.Stopped()) return false;
    char16_t name[XZip::kNameCapacity];
    bool accepted = false;
    const bool placed = InstallArchiveEntry(nested, i, folder, run, name, &accepted, &content);
    if (placed) {
      run.Installed(name);
    } else {
      run.Failed(name, run.journal->FailureReason().c_str());
    }
    run.Report(count, i + 1, accepted ? name : nullptr);
    // The install is undone whole at its first failure: what follows would be undone too.
    if (!placed) break;
  }
  nested.Close();
  return true;
}
