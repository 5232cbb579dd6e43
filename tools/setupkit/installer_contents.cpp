#include "tools/setupkit/installer_contents.h"

#include <cstdio>

#include "records/client_info.h"
#include "records/update_info_trust.h"
#include "support/container/packed_container.h"
#include "support/core/little_endian.h"
#include "support/crypto/signing.h"
#include "support/files/xdata.h"
#include "support/pe/pe_image.h"
#include "support/pe/resource_update.h"
#include "support/text/utf8.h"
#include "support/zip/part_manifest.h"
#include "support/zip/xzip.h"
#include "tools/setupkit/installer_resources.h"
#include "tools/setupkit/language_commands.h"
#include "tools/setupkit/record_commands.h"
#include "tools/setupkit/signer_name.h"
#include "tools/setupkit/tool_output.h"

namespace {

constexpr char16_t kClientArchive[] = u"app.zip";

bool Resource(const std::string& image, const char16_t* type, std::string& bytes) {
  std::string problem;
  return FindInstallerResource(image, type, bytes, problem);
}

// The content of a resource in the packed container; false when it is missing or damaged.
bool Unpacked(const std::string& stored, XData& content) {
  const uint32_t n = static_cast<uint32_t>(stored.size());
  if (n == 0 || !content.Reserve(n, true)) return false;
  content.SetLength(UnpackContainer(content.Data(), content.Capacity(),
                                    reinterpret_cast<const uint8_t*>(stored.data()), n));
  return content.Length() != 0;
}

std::string SignatureText(const std::string& image) {
  std::string signer;
  switch (ReadSigner(image, signer)) {
    case SignatureKind::kSigned:
      return "signed by " + signer;
    case SignatureKind::kUnreadable:
      return "signed, by a signer that cannot be read";
    case SignatureKind::kNone:
      break;
  }
  return "not signed";
}

// The vendor's public key an installer carries, in hexadecimal so that it can be compared with
// the key file the vendor signs with.
std::string ListKeyText(const std::string& image) {
  std::string key;
  if (!Resource(image, kListKeyType, key)) return "none (its update list is followed unsigned)";
  if (key.size() != kPublicKeyBytes) {
    return "damaged (" + std::to_string(key.size()) + " bytes): it follows no update list";
  }
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (const unsigned char byte : key) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

bool IsProgram(const std::string& bytes) {
  PeImage pe;
  std::string problem;
  return pe.Parse(bytes, problem);
}

// The signature of every program in the client archive: open where it lies in the payload, or
// else over archiveBytes, read out of it.
bool PrintPrograms(XZip& archive, const std::string& archiveBytes, const std::u16string& exe) {
  if (archive.GetCount() == 0 &&
      !archive.OpenMemory(reinterpret_cast<const uint8_t*>(archiveBytes.data()),
                          static_cast<uint32_t>(archiveBytes.size()), XZip::GetArchivePassword())) {
    Fail("the client archive of " + Shown(exe) + " is not an archive of this system");
    return false;
  }
  std::printf("programs:\n");
  for (int i = 0; i < archive.GetCount(); ++i) {
    char16_t name[XZip::kNameCapacity];
    XData entry;
    if (!archive.GetName(i, name) || !archive.ReadItem(i, &entry)) {
      Fail("entry " + std::to_string(i) + " of the client archive of " + Shown(exe) +
           " cannot be read");
      return false;
    }
    const std::string bytes(reinterpret_cast<const char*>(entry.Data()), entry.Length());
    if (!IsProgram(bytes)) continue;
    std::printf("  %s %s\n", Utf16ToUtf8(name).c_str(), SignatureText(bytes).c_str());
  }
  return true;
}

}  // namespace

int InspectCommand(const std::u16string& exe) {
  XData file;
  if (!file.ReadFile(exe.c_str(), 0)) return Fail("cannot read " + Shown(exe));
  CClientInfo config;
  std::string problem;
  if (!ReadExecutableRecord(file, exe, config, problem)) return Fail(problem);
  const std::string image(reinterpret_cast<const char*>(file.Data()), file.Length());
  std::string stored;
  XData payload;
  if (!Resource(image, kPayloadType, stored) || !Unpacked(stored, payload)) {
    return Fail(Shown(exe) + " carries no readable \"tail\" resource");
  }
  XZip archive;
  if (!archive.OpenMemory(payload.Data(), payload.Length(), XZip::GetArchivePassword())) {
    return Fail("the payload of " + Shown(exe) + " is not an archive of this system");
  }
  std::vector<std::string> entries;
  XZip client;                // the client archive where it lies, when stored as it is
  std::string clientArchive;  // else its bytes, read out of the payload
  bool hasClientArchive = false;
  std::vector<PartRecord> parts;  // the data files the client archive lies beside it in, if so
  for (int i = 0; i < archive.GetCount(); ++i) {
    char16_t name[XZip::kNameCapacity];
    XData entry;
    uint64_t size = 0;
    const bool named = archive.GetName(i, name);
    const bool isClient = named && std::u16string(name) == kClientArchive && !hasClientArchive;
    if (isClient && client.OpenNested(archive, i, XZip::GetArchivePassword()) &&
        archive.GetSize(i, &size)) {
      hasClientArchive = true;
    } else if (named && archive.ReadItem(i, &entry)) {
      size = entry.Length();
      if (isClient) {
        hasClientArchive = true;
        clientArchive.assign(reinterpret_cast<const char*>(entry.Data()), entry.Length());
      }
      if (std::u16string(name) == kPartManifestEntry &&
          !ParsePartManifest(entry.Data(), entry.Length(), &parts)) {
        return Fail("the data files' manifest in the payload of " + Shown(exe) + " is damaged");
      }
    } else {
      return Fail("entry " + std::to_string(i) + " of the payload of " + Shown(exe) +
                  " cannot be read");
    }
    entries.push_back("  " + Utf16ToUtf8(name) + " " + std::to_string(size) + "\n");
  }
  if (PrintRecord(config) != kExitDone) return kExitFailed;
  std::printf("payload:\n");
  for (const std::string& line : entries) std::printf("%s", line.c_str());
  std::printf("mode: %s\n", hasClientArchive || !parts.empty() ? "archive" : "download");
  if (!parts.empty()) std::printf("data files beside it:\n");
  for (const PartRecord& part : parts) {
    std::printf("  %s %llu %s\n", Utf16ToUtf8(part.name.c_str()).c_str(),
                static_cast<unsigned long long>(part.size), Utf16ToUtf8(part.sha256.c_str()).c_str());
  }
  std::string stubSize;
  if (Resource(image, kStubSizeType, stubSize) && stubSize.size() == 8) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(stubSize.data());
    const uint64_t size = ReadLe32(bytes) | uint64_t{ReadLe32(bytes + 4)} << 32;
    std::printf("stub: %llu bytes\n", static_cast<unsigned long long>(size));
  } else {
    std::printf("stub: size not recorded\n");
  }
  std::printf("signature: %s\n", SignatureText(image).c_str());
  std::printf("list key: %s\n", ListKeyText(image).c_str());
  std::printf("languages: %s\n", CarriedLanguageCodes(image).c_str());
  if (!parts.empty()) {
    const size_t separator = exe.find_last_of(u"/\\");
    const std::u16string folder = separator == std::u16string::npos ? u"" : exe.substr(0, separator + 1);
    if (!client.OpenParts(PartFilesIn(folder, parts), XZip::GetArchivePassword())) {
      return Fail("the data files of " + Shown(exe) + " are not beside it");
    }
    hasClientArchive = true;
  }
  if (hasClientArchive && !PrintPrograms(client, clientArchive, exe)) return kExitFailed;
  if (std::fflush(stdout) != 0) return Fail("cannot write to standard output");
  return kExitDone;
}
