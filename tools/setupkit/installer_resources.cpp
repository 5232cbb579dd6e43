#include "tools/setupkit/installer_resources.h"

bool FindInstallerResource(const std::string& image, const char16_t* type, std::string& bytes,
                           std::string& problem) {
  ResourceName typeName;
  typeName.text = type;
  ResourceName id;
  id.number = kResourceId;
  return FindImageResource(image, typeName, id, bytes, problem);
}
