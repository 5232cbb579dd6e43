#pragma once

#include "records/client_info.h"
#include "records/update_info_trust.h"
#include "support/xdata.h"
#include "support/xzip.h"

// What an installer carries, read and checked once at start-up: its product record and its
// payload archive (the skin images, "theme.txt", "update.xml" and the client archive), open over
// the payload's bytes, which it keeps. The window reads its skin from it and the install flow
// its client. The install worker reads the payload too: other readers read it only while no
// install runs.
class CInstallPackage {
 public:
  CInstallPackage() = default;
  CInstallPackage(const CInstallPackage&) = delete;
  CInstallPackage& operator=(const CInstallPackage&) = delete;

  CClientInfo& Product() { return product_; }
  // The vendor's public key the installer carries, which the published list must be signed by.
  ListKey& VendorKey() { return vendorKey_; }

  // The payload's bytes, for the loader to fill before OpenPayloadBytes.
  XData& PayloadBytes() { return payloadBytes_; }
  // Opens the payload archive over PayloadBytes(), or the archive file at path, with the
  // system's password. False, with no payload, when it is no archive.
  bool OpenPayloadBytes();
  bool OpenPayloadFile(const char16_t* path);

  // The open payload archive; null when the package carries none (its client is downloaded).
  XZip* Payload() { return payloadOpen_ ? &payload_ : nullptr; }
  // Reads the payload's entry name whole into bytes. False without a payload or such an entry.
  bool ReadPayloadEntry(const char16_t* name, XData* bytes);

 private:
  CClientInfo product_;
  ListKey vendorKey_;
  XData payloadBytes_;  // before the archive, which reads from it until it is gone
  XZip payload_;
  bool payloadOpen_ = false;
};
