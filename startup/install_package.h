#pragma once

#include <cstdint>

#include "records/client_info.h"
#include "records/update_info_trust.h"
#include "support/container/packed_view.h"
#include "support/files/xdata.h"
#include "support/zip/part_manifest.h"
#include "support/zip/xzip.h"

// What became of the data files a payload's manifest (part_manifest.h) lists.
enum class ClientPartsFound {
  kNone,       // the payload has no manifest: it carries its client, or none
  kFound,      // every file is there with its recorded size
  kMissing,    // a file is not there: RefusedPart names it
  kOtherSize,  // a file is there with another size: RefusedPart names it
  kDamaged,    // the manifest cannot be read
};

// What an installer carries, read and checked once at start-up: its product record and its
// payload archive (the skin images, "theme.txt", "update.xml" and the client archive), open where
// the payload lies (the executable's loaded resource, or the archive file beside it), never
// copied, so that memory does not grow with the package. The window reads its skin from it and
// the install flow its client. The install worker reads the payload too: other readers read it only while no
// install runs.
class CInstallPackage {
 public:
  CInstallPackage() = default;
  CInstallPackage(const CInstallPackage&) = delete;
  CInstallPackage& operator=(const CInstallPackage&) = delete;

  CClientInfo& Product() { return product_; }
  // The vendor's public key the installer carries, which the published list must be signed by.
  ListKey& VendorKey() { return vendorKey_; }

  // Opens the payload archive over bytes, which stay the caller's, unchanged, as long as the
  // package lives (a resource of a module that stays loaded): a packed container is read in
  // place, checked whole once here; other bytes are read as they are. Or the archive file at
  // path. Both with the system's password. False, with no payload, when the container fails its
  // check or what is there is no archive.
  bool OpenPayloadInPlace(const uint8_t* bytes, uint32_t size);
  bool OpenPayloadFile(const char16_t* path);

  // The open payload archive; null when the package carries none (its client is downloaded).
  XZip* Payload() { return payloadOpen_ ? &payload_ : nullptr; }
  // Reads the payload's entry name whole into bytes. False without a payload or such an entry.
  bool ReadPayloadEntry(const char16_t* name, XData* bytes);

  // Finds the data files the open payload's manifest lists, if it has one, in folder (ending
  // with its separator), checking each one's size. Their digests are checked as the install
  // reads them (archive_install.h).
  ClientPartsFound FindClientParts(const std::u16string& folder);
  // The client archive written beside the installer, all of whose files were found; null when
  // the payload carries its client, or none.
  const SplitArchive* ClientParts() const {
    return partsFound_ == ClientPartsFound::kFound ? &parts_ : nullptr;
  }
  // What the last FindClientParts found.
  ClientPartsFound PartsFound() const { return partsFound_; }
  // The file FindClientParts refused, by its recorded name; empty when none was.
  const std::u16string& RefusedPart() const { return refusedPart_; }

 private:
  ClientPartsFound LookForClientParts(const std::u16string& folder);

  CClientInfo product_;
  ListKey vendorKey_;
  PackedView view_;  // before the archive, which reads through it until it is gone
  XZip payload_;
  bool payloadOpen_ = false;
  SplitArchive parts_;
  ClientPartsFound partsFound_ = ClientPartsFound::kNone;
  std::u16string refusedPart_;
};
