#pragma once

#include <string>
#include <vector>

#include "records/client_info.h"
#include "support/crypto/signing.h"
#include "tools/setupkit/archive_writer.h"
#include "tools/setupkit/client_parts.h"

// The payload archive of an installer: the skin images, "theme.txt", "update.xml" (the client's
// files, sizes, digests and download URLs under the configuration's "source"; left out when
// there is no "source"), with the vendor's key its signature "update.xml.sig", and, unless the
// client is to be downloaded, "app.zip" (the client folder as an encrypted archive, itself
// encrypted too unless the stub reads it in place).

struct PackageSources {
  std::u16string client;  // the client's folder
  std::u16string skin;    // a folder whose every file goes in by its relative name; empty: none
  std::u16string theme;   // a file stored as "theme.txt"; empty: none
  bool download = false;  // leave "app.zip" out: the installer downloads the listed files
  // Store "app.zip" as it is (its entries encrypted, itself neither compressed nor encrypted), for
  // a stub that reads it where it lies (see StubReadsClientInPlace).
  bool clientInPlace = false;
  // Past this many bytes of payload, "app.zip" is written beside installer as data files (see
  // client_parts.h) and the payload carries their manifest in its place, for a stub that reads
  // them (clientBeside); a stub that does not is refused such a payload.
  uint64_t splitSize = kDefaultSplitSize;
  bool clientBeside = false;
  std::u16string installer;
  // Files the client gets beside those of its folder, at its top (the product's uninstaller and
  // updater): in "app.zip" and in "update.xml" as if the folder held them. Their names must not
  // be in the folder.
  std::vector<ArchiveEntry> programs;
  // The vendor's key that signs the update list; null: the list goes unsigned.
  const SigningKeyPair* listKey = nullptr;
  // Earlier versions to list patches from (AddListDeltas), and the folder the patches are made
  // in until they are published.
  std::vector<std::u16string> previous;
  std::u16string patches;
};

// True when config names the "source" the client's files are published under: only then does
// the payload carry an update list, without which an installed client cannot be updated.
bool CanBeUpdated(const CClientInfo& config);

// Writes the payload of the product described by config to the file payload, and puts the update
// list it carries into updateList (empty without a "source"). "app.zip" is written first, to a
// file beside payload (its name and ".app.zip~") that is removed afterwards. False, with a
// one-line reason in problem and no file payload, when the client folder is missing or empty,
// lacks the configured client file, the client is to be downloaded but there is no "source", the
// update list cannot be made (a file too large for it among them), a source cannot be read, or
// a file cannot be written. With parts, a payload past sources' split size has its client archive
// written as parts's files instead; without, it is never split.
bool BuildPayload(const PackageSources& sources, const CClientInfo& config,
                  const std::u16string& payload, std::string& updateList, std::string& problem,
                  ClientPartFiles* parts = nullptr);
