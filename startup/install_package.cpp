#include "startup/install_package.h"

bool CInstallPackage::OpenPayloadBytes() {
  payloadOpen_ = payload_.OpenMemory(payloadBytes_.Data(), payloadBytes_.Length(),
                                     XZip::GetArchivePassword());
  return payloadOpen_;
}

bool CInstallPackage::OpenPayloadFile(const char16_t* path) {
  payloadOpen_ = payload_.OpenFile(path, XZip::GetArchivePassword());
  return payloadOpen_;
}

bool CInstallPackage::ReadPayloadEntry(const char16_t* name, XData* bytes) {
  return payloadOpen_ && payload_.ReadByName(name, bytes);
}
