#pragma once

#include "support/module_handle.h"

class XData;
class XZip;

enum class PayloadSource {
  kOpened,   // the archive is open
  kMissing,  // the installer carries none: its client is downloaded
  kDamaged,  // one is there but fails its check or is no archive
};

// Opens the payload archive of the installer at exePath into archive: its resource "tail" 1,
// unpacked into bytes (which must outlive the archive), else the archive file beside it, named as
// the executable with the extension "zip". A "tail" resource or a file beside it that is there
// but cannot be opened is a damaged package; its client is never downloaded instead.
PayloadSource OpenPayloadArchive(const char16_t* exePath, XData& bytes, XZip& archive);

// The same for the "tail" resource of a loaded module alone: what start-up checks in its own
// executable. kMissing when the module carries none.
PayloadSource OpenTailArchive(ModuleHandle module, XData& bytes, XZip& archive);
