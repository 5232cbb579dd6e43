#include "startup/install_package.h"

#include "support/container/packed_container.h"

bool CInstallPackage::OpenPayloadInPlace(const uint8_t* bytes, uint32_t size) {
  if (HasContainerMarker(bytes, size)) {
    // Damage anywhere in a container is caught here, before anything is read from it.
    payloadOpen_ = view_.Open(bytes, size) && view_.Verify() &&
                   payload_.OpenPacked(view_, XZip::GetArchivePassword());
  } else {
    payloadOpen_ = payload_.OpenMemory(bytes, size, XZip::GetArchivePassword());
  }
  return payloadOpen_;
}

bool CInstallPackage::OpenPayloadFile(const char16_t* path) {
  payloadOpen_ = payload_.OpenFile(path, XZip::GetArchivePassword());
  return payloadOpen_;
}

bool CInstallPackage::ReadPayloadEntry(const char16_t* name, XData* bytes) {
  return payloadOpen_ && payload_.ReadByName(name, bytes);
}
