#pragma once

#include <string>

#include "support/pe/resource_update.h"

// Where an installer keeps what setupkit build writes into it: the configuration (the client
// record) as resource "APP" 1 and the payload archive as resource "TAIL" 1, both read by the
// installer, and the size in bytes of the stub it was made from as resource "STUB" 1 (a 64-bit
// little-endian number), read only by setupkit inspect: once resources are written the file no
// longer tells how large the stub was.
// A stub that reads a payload whose "app.zip" is stored as it is says so in its resource
// "READS" 1, which holds kReadsClientInPlace: setupkit writes that form only for such a stub, as
// earlier stubs refuse an entry in the clear. Earlier setupkits never look at the resource.
constexpr char16_t kReadsType[] = u"READS";
constexpr char kReadsClientInPlace[] = "app.zip stored";
// Listed after it by a stub that reads a client archive written beside it as data files, whose
// manifest the payload carries (part_manifest.h); earlier stubs would take such a payload for
// one without a client.
constexpr char kReadsClientBeside[] = "app.zip.parts";
constexpr char16_t kConfigType[] = u"APP";
constexpr char16_t kPayloadType[] = u"TAIL";
constexpr char16_t kStubSizeType[] = u"STUB";
constexpr int kResourceId = 1;

// The bytes of resource (type, kResourceId) in image; false, with problem saying why when the
// image cannot be read, when it carries none.
bool FindInstallerResource(const std::string& image, const char16_t* type, std::string& bytes,
                           std::string& problem);
