#include "tools/setupkit/stub_forms.h"

#include <cstring>

#include "support/resource_update.h"
#include "tools/setupkit/installer_resources.h"

bool StubReadsClientInPlace(const std::string& stub) {
  ResourceName type;
  type.text = kReadsType;
  ResourceName id;
  id.number = kResourceId;
  std::string reads;
  std::string problem;
  return FindImageResource(stub, type, id, reads, problem) &&
         reads.compare(0, std::strlen(kReadsClientInPlace), kReadsClientInPlace) == 0;
}
