#include "tests/helpers/install_payload.h"

#include "support/xzip.h"

std::string BuildPayload(const std::vector<ZipEntrySpec>& clientEntries,
                         const std::string& nestedName, std::vector<ZipEntrySpec> payloadEntries) {
  ZipEntrySpec nested;
  nested.name = nestedName;
  nested.content = BuildZip(clientEntries, XZip::GetArchivePassword());
  payloadEntries.push_back(nested);
  return BuildZip(payloadEntries, XZip::GetArchivePassword());
}
