#include "tests/helpers/install_payload.h"

#include "support/container/packed_container.h"
#include "support/zip/xzip.h"

std::string BuildPayload(const std::vector<ZipEntrySpec>& clientEntries,
                         const std::string& nestedName, std::vector<ZipEntrySpec> payloadEntries) {
  ZipEntrySpec nested;
  nested.name = nestedName;
  nested.content = BuildZip(clientEntries, XZip::GetArchivePassword());
  payloadEntries.push_back(nested);
  return BuildZip(payloadEntries, XZip::GetArchivePassword());
}

std::string PackedContainer(const std::string& payload) {
  std::string container(payload.size() + kContainerHeaderSize, '\0');
  container.resize(PackContainer(reinterpret_cast<uint8_t*>(container.data()),
                                 static_cast<uint32_t>(container.size()),
                                 reinterpret_cast<const uint8_t*>(payload.data()),
                                 static_cast<uint32_t>(payload.size())));
  return container;
}
