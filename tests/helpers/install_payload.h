#pragma once
#include <string>
#include <vector>

#include "tests/helpers/zip_builder.h"

// A payload archive as the installer carries it: the client's entries in a nested archive named
// nestedName, beside any further payload entries, everything encrypted with the system's
// password.
std::string BuildPayload(const std::vector<ZipEntrySpec>& clientEntries,
                         const std::string& nestedName = "app.zip",
                         std::vector<ZipEntrySpec> payloadEntries = {});

// payload packed in the container the installer's resources hold ("app", "tail").
std::string PackedContainer(const std::string& payload);
