#include "tools/setupkit/stub_forms.h"

#include <cstring>

#include "tools/setupkit/installer_resources.h"

bool StubReadsClientInPlace(const std::string& stub) {
  std::string reads;
  std::string problem;
  return FindInstallerResource(stub, kReadsType, reads, problem) &&
         reads.compare(0, std::strlen(kReadsClientInPlace), kReadsClientInPlace) == 0;
}

bool StubReadsClientBeside(const std::string& stub) {
  std::string reads;
  std::string problem;
  return FindInstallerResource(stub, kReadsType, reads, problem) &&
         reads.find(kReadsClientBeside) != std::string::npos;
}
