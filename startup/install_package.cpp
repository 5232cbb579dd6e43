#include "startup/install_package.h"

#include "support/container/packed_container.h"
#include "support/files/file_size.h"
#include "support/files/xdata.h"

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

ClientPartsFound CInstallPackage::FindClientParts(const std::u16string& folder) {
  partsFound_ = LookForClientParts(folder);
  return partsFound_;
}

ClientPartsFound CInstallPackage::LookForClientParts(const std::u16string& folder) {
  refusedPart_.clear();
  if (!payloadOpen_ || payload_.Find(kPartManifestEntry, nullptr) < 0) {
    return ClientPartsFound::kNone;
  }
  XData manifest;
  if (!payload_.ReadByName(kPartManifestEntry, &manifest) ||
      !ParsePartManifest(manifest.Data(), manifest.Length(), &parts_.records)) {
    return ClientPartsFound::kDamaged;
  }
  parts_.files = PartFilesIn(folder, parts_.records);
  for (size_t i = 0; i < parts_.files.size(); ++i) {
    uint64_t size = 0;
    const bool there = GetFileSize(parts_.files[i].path.c_str(), &size);
    if (!there || size != parts_.files[i].size) {
      refusedPart_ = parts_.records[i].name;
      return there ? ClientPartsFound::kOtherSize : ClientPartsFound::kMissing;
    }
  }
  return ClientPartsFound::kFound;
}
