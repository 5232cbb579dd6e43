#include "install/payload_archive.h"

#include <cstdint>

#include "support/filesystem_path.h"
#include "support/module_library.h"
#include "support/path_text.h"
#include "support/resource_reader.h"
#include "support/xdata.h"
#include "support/xzip.h"

namespace {

// exePath with everything after its last "." replaced by "zip"; false for a path without one.
bool SiblingArchivePath(const char16_t* exePath, char16_t* sibling) {
  if (!ComposePath(sibling, kPathCapacity, {exePath})) return false;
  int dot = -1;
  for (int i = 0; sibling[i] != 0; ++i) {
    if (sibling[i] == u'.') dot = i;
  }
  if (dot < 0 || dot + 4 >= kPathCapacity) return false;
  sibling[dot + 1] = u'z';
  sibling[dot + 2] = u'i';
  sibling[dot + 3] = u'p';
  sibling[dot + 4] = 0;
  return true;
}

}  // namespace

PayloadSource OpenTailArchive(ModuleHandle module, XData& bytes, XZip& archive) {
  bool present = false;
  if (!LoadPackedResource(bytes, module, u"tail", 1, &present)) {
    return present ? PayloadSource::kDamaged : PayloadSource::kMissing;
  }
  return archive.OpenMemory(bytes.Data(), bytes.Length(), XZip::GetArchivePassword())
             ? PayloadSource::kOpened
             : PayloadSource::kDamaged;
}

PayloadSource OpenPayloadArchive(const char16_t* exePath, XData& bytes, XZip& archive) {
  {
    ModuleLibrary executable(exePath);
    const PayloadSource tail = executable.Handle() != nullptr
                                   ? OpenTailArchive(executable.Handle(), bytes, archive)
                                   : PayloadSource::kMissing;
    if (tail != PayloadSource::kMissing) return tail;
  }
  char16_t sibling[kPathCapacity];
  uint64_t size = 0;
  if (!SiblingArchivePath(exePath, sibling) || !GetFileSize(sibling, &size)) {
    return PayloadSource::kMissing;
  }
  return archive.OpenFile(sibling, XZip::GetArchivePassword()) ? PayloadSource::kOpened
                                                                 : PayloadSource::kDamaged;
}
