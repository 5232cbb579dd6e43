#include "tools/setupkit/build_commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "records/carried_languages.h"
#include "records/client_info.h"
#include "records/update_info_trust.h"
#include "support/container/container_file.h"
#include "support/container/packed_container.h"
#include "support/crypto/signing.h"
#include "support/files/file_size.h"
#include "support/files/file_stream.h"
#include "support/files/xdata.h"
#include "support/pe/rebuilt_image_file.h"
#include "support/pe/resource_update.h"
#include "support/text/utf8.h"
#include "support/text/version_text.h"
#include "tools/setupkit/code_signing.h"
#include "tools/setupkit/host_system.h"
#include "tools/setupkit/installer_resources.h"
#include "tools/setupkit/language_commands.h"
#include "tools/setupkit/list_signing.h"
#include "tools/setupkit/payload_builder.h"
#include "tools/setupkit/published_folder.h"
#include "tools/setupkit/record_commands.h"
#include "tools/setupkit/scratch_file.h"
#include "tools/setupkit/signing_commands.h"
#include "tools/setupkit/stub_forms.h"
#include "tools/setupkit/tool_output.h"

namespace {

namespace fs = std::filesystem;

// The largest executable the resource writer makes: its sizes and addresses are counted in
// 31 bits.
constexpr uint64_t kLargestInstaller = 0x7FFFFFFF;
// What one read of the payload takes.
constexpr size_t kPayloadPiece = 4 << 20;

struct BuildOptions {
  std::u16string config;
  std::u16string out;
  std::u16string stub;
  std::u16string publish;
  std::u16string signKey;  // the vendor's secret key that signs the update list
  std::u16string split;    // the largest payload carried inside, as given; empty: the default
  std::vector<std::u16string> languageFiles;  // --language, in order
  bool uninstaller = true;
  bool updater = true;
  PackageSources sources;
  SigningOptions signing;
};

// One of the product's programs that go into the client unless its folder has its own: built
// beside the stub under the name the client record gives it.
struct ProductProgram {
  const char* role;
  const char* leaveOutOption;
  bool wanted;
  std::u16string name;
  bool followsList;  // it follows the published list: it carries the vendor's public key
};

// Reads the options; false, with the reason in problem, for an unknown or incomplete one.
bool ParseBuildOptions(const std::vector<std::u16string>& arguments, BuildOptions& options,
                       std::string& problem) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::u16string& option = arguments[i];
    bool* flag = option == u"--download"         ? &options.sources.download
                 : option == u"--no-uninstaller" ? &options.uninstaller
                 : option == u"--no-updater"     ? &options.updater
                                                 : nullptr;
    if (flag != nullptr) {
      *flag = option == u"--download";
      continue;
    }
    std::u16string* value = option == u"--config"          ? &options.config
                            : option == u"--client"        ? &options.sources.client
                            : option == u"--skin"          ? &options.sources.skin
                            : option == u"--theme"         ? &options.sources.theme
                            : option == u"--stub"          ? &options.stub
                            : option == u"--publish"       ? &options.publish
                            : option == u"--sign-key"      ? &options.signKey
                            : option == u"--sign-pkcs12"   ? &options.signing.pkcs12
                            : option == u"--timestamp-url" ? &options.signing.timestampUrl
                            : option == u"--split"         ? &options.split
                            : option == u"-o"              ? &options.out
                                                           : nullptr;
    if (option == u"--previous") value = &options.sources.previous.emplace_back();
    if (option == u"--language") value = &options.languageFiles.emplace_back();
    if (value == nullptr) {
      problem = "unknown option " + Utf16ToUtf8(option.c_str());
      return false;
    }
    if (i + 1 == arguments.size()) {
      problem = Utf16ToUtf8(option.c_str()) + " needs a value";
      return false;
    }
    *value = arguments[++i];
  }
  if (options.config.empty() || options.sources.client.empty() || options.out.empty()) {
    problem = "build needs --config, --client and -o";
    return false;
  }
  if (!options.sources.previous.empty() && options.publish.empty()) {
    problem = "--previous needs --publish: the patches are published with the files";
    return false;
  }
  if (!options.signing.timestampUrl.empty() && options.signing.pkcs12.empty()) {
    problem = "--timestamp-url needs --sign-pkcs12";
    return false;
  }
  if (!options.split.empty() && !ParseSplitSize(options.split, &options.sources.splitSize)) {
    problem = "--split takes a size in bytes, with K, M or G after it or not, such as 1G";
    return false;
  }
  options.sources.installer = options.out;
  return true;
}

bool ReadWhole(const std::u16string& path, std::string& bytes) {
  XData content;
  if (!content.ReadFile(path.c_str(), 0)) return false;
  bytes.assign(reinterpret_cast<const char*>(content.Data()), content.Length());
  return true;
}

// The folder of path, with its separator; empty for a bare file name.
std::u16string FolderOf(const std::u16string& path) {
  const size_t separator = path.find_last_of(u"/\\");
  return separator == std::u16string::npos ? u"" : path.substr(0, separator + 1);
}

// The configuration in its packed stored form, as the installer and its programs carry it.
bool PackedRecord(CClientInfo& config, std::string& bytes) {
  XData record;
  uint32_t size = 0;
  if (record.Reserve(CRecordStorage::kDefaultSaveBufferSize, true)) {
    size = config.Serialize(record.Data(), record.Capacity(), true);
  }
  bytes.assign(reinterpret_cast<const char*>(record.Data()), size);
  return size != 0;
}

ResourceItem InstallerResource(const char16_t* type, std::string bytes) {
  ResourceItem item;
  item.type.text = type;
  item.name.number = kResourceId;
  item.language = kResourceLanguage;
  item.bytes = std::move(bytes);
  return item;
}

// The vendor's public key as the installer and the updater carry it; none without a key.
std::vector<ResourceItem> KeyResources(const std::string& publicKey) {
  if (publicKey.empty()) return {};
  return {InstallerResource(kListKeyType, publicKey)};
}

// The vendor's languages as the three programs carry them; none without a language: an
// installer of a vendor who added none is as it was before there were languages.
std::vector<ResourceItem> LanguageResources(const std::string& carried) {
  if (carried.empty()) return {};
  return {InstallerResource(kLanguagesType, carried)};
}

// Puts the uninstaller and the updater, stamped with the configuration (the updater with
// publicKey too, unless it is empty) and signed when signing,
// among the client's files, unless the folder holds a file of that name (the vendor's own) or the
// options leave it out. They are taken from beside the stub, of whose build they are. A
// download-mode client gets its files from the published folder only: notices receives a line for
// each program that folder cannot hold.
bool AddProductPrograms(const BuildOptions& options, const std::u16string& stub,
                        const std::string& record, const std::string& publicKey,
                        const std::string& languages, CClientInfo& config, CodeSigner& signer,
                        PackageSources& sources, std::vector<std::string>& notices,
                        std::string& problem) {
  const ProductProgram programs[] = {
      {"uninstaller", "--no-uninstaller", options.uninstaller, config.GetUninstallerFile().Units(),
       false},
      {"updater", "--no-updater", options.updater, config.GetUpdaterFile().Units(), true},
  };
  for (const ProductProgram& program : programs) {
    if (!program.wanted) continue;
    std::error_code error;
    if (fs::exists(fs::path(sources.client) / fs::path(program.name), error)) continue;
    const std::string name = Utf16ToUtf8(program.name.c_str());
    if (sources.download) {
      notices.push_back("the client folder has no " + name + ": a download-mode client gets its " +
                        program.role + " only from the published files (stamp one with this "
                        "configuration: setupkit stamp), or leave it out with " +
                        program.leaveOutOption);
      continue;
    }
    const std::u16string built = FolderOf(stub) + program.name;
    ArchiveEntry entry;
    entry.name = name;
    if (!fs::is_regular_file(fs::path(built), error) || !ReadWhole(built, entry.bytes)) {
      problem = "the " + std::string(program.role) + " " + Shown(built) +
                " does not exist: build it, or leave it out with " + program.leaveOutOption;
      return false;
    }
    std::vector<ResourceItem> resources = {InstallerResource(kConfigType, record)};
    for (ResourceItem& carried : LanguageResources(languages)) {
      resources.push_back(std::move(carried));
    }
    if (program.followsList) {
      for (ResourceItem& key : KeyResources(publicKey)) resources.push_back(std::move(key));
    }
    if (!PutImageResources(entry.bytes, resources, problem)) {
      problem = "cannot stamp the configuration into " + Shown(built) + ": it " + problem;
      return false;
    }
    if (signer.Enabled() && !signer.Sign(entry.bytes, name, problem)) return false;
    sources.programs.push_back(std::move(entry));
  }
  return true;
}

// The payload file copied behind room for a container's header into container, open for reading
// and writing, and sealed there; size receives the container's size. An installer is one
// executable: largest bounds the payload before it is copied.
bool SealPayload(const std::u16string& payload, uint64_t largest, const std::u16string& container,
                 FileStream& sealed, uint32_t& size, std::string& problem) {
  uint64_t payloadSize = 0;
  FileStream source = OpenFileStream(payload.c_str(), "rb");
  if (!source || !GetFileSize(payload.c_str(), &payloadSize)) {
    problem = "cannot read back the payload " + Shown(payload);
    return false;
  }
  if (payloadSize > largest) {
    const std::string most = std::to_string(largest);
    problem = "the payload is " + std::to_string(payloadSize) + " bytes, more than the " + most +
              " an installer made from this stub can carry: an executable holds 2 GB at most";
    return false;
  }
  sealed = OpenFileStream(container.c_str(), "w+b");
  std::vector<uint8_t> piece(std::min<uint64_t>(payloadSize, kPayloadPiece));
  const std::vector<uint8_t> header(kContainerHeaderSize);
  bool copied =
      sealed && std::fwrite(header.data(), 1, header.size(), sealed.get()) == header.size();
  for (uint64_t done = 0; copied && done < payloadSize;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(payloadSize - done, kPayloadPiece));
    copied = std::fread(piece.data(), 1, n, source.get()) == n &&
             std::fwrite(piece.data(), 1, n, sealed.get()) == n;
    done += n;
  }
  if (!copied) {
    problem = "cannot copy the payload " + Shown(payload) + " into " + Shown(container);
    return false;
  }
  size = SealContainerFile(sealed.get(), static_cast<uint32_t>(payloadSize));
  if (size == 0 || !SeekStream(sealed.get(), 0)) {
    problem = "cannot seal the payload in " + Shown(container);
    return false;
  }
  return true;
}

// Writes the installer to destination: the stub with the payload (read from its file) and the
// configuration, both packed, the stub's size and the vendor's public key (unless empty) as its
// resources. The payload goes from file to file a piece at a time, never whole in memory.
bool MakeInstaller(const std::u16string& stubPath, const std::string& stub,
                   const std::string& record, const std::u16string& payload,
                   const std::string& publicKey, const std::string& languages,
                   const std::u16string& destination,
                   bool& signatureDropped, std::string& problem) {
  const uint64_t largest =
      kLargestInstaller - std::min<uint64_t>(kLargestInstaller, stub.size() + kContainerHeaderSize);
  ScratchFile container(destination + u".container~");
  FileStream sealed;
  uint32_t containerSize = 0;
  if (!SealPayload(payload, largest, container.Path(), sealed, containerSize, problem)) {
    return false;
  }
  uint8_t stubSize[8];
  for (int i = 0; i < 8; ++i) stubSize[i] = static_cast<uint8_t>(uint64_t{stub.size()} >> (8 * i));
  std::vector<ResourceItem> resources = {
      InstallerResource(kPayloadType, std::string()),
      InstallerResource(kConfigType, record),
      InstallerResource(kStubSizeType, std::string(reinterpret_cast<char*>(stubSize), 8)),
  };
  resources[0].streamedLength = containerSize;
  for (ResourceItem& key : KeyResources(publicKey)) resources.push_back(std::move(key));
  for (ResourceItem& carried : LanguageResources(languages)) {
    resources.push_back(std::move(carried));
  }
  RebuiltImage installer;
  if (!PlanImageResources(stub, resources, installer, problem, &signatureDropped)) {
    problem = "the installer stub " + Shown(stubPath) + " " + problem;
    return false;
  }
  FileStream out = OpenFileStream(destination.c_str(), "wb");
  if (!out || !WriteRebuiltImage(installer, sealed.get(), out.get()) ||
      std::fclose(out.release()) != 0) {
    problem = std::ferror(sealed.get()) || std::feof(sealed.get())
                  ? "cannot read back the sealed payload " + Shown(container.Path())
                  : "cannot write the installer " + Shown(destination);
    return false;
  }
  return true;
}

// Which files ship together: the installer refuses to start without every one of them.
std::string PartsNotice(const std::u16string& installer, const std::vector<PartRecord>& parts) {
  std::string names;
  for (const PartRecord& part : parts) names += " " + Utf16ToUtf8(part.name.c_str());
  return "the client is written beside " + Shown(installer) + " as" + names +
         ": ship them together, in one folder, under these names";
}

}  // namespace

int BuildCommand(const std::vector<std::u16string>& arguments) {
  BuildOptions options;
  std::string problem;
  if (!ParseBuildOptions(arguments, options, problem)) return Fail(problem);
  CClientInfo config;
  if (!ReadVendorConfig(options.config, config, problem)) {
    return Fail("unreadable configuration: " + problem);
  }
  std::vector<Language> languages;
  if (!ReadLanguageFiles(options.languageFiles, languages, problem)) return Fail(problem);
  const std::string carriedLanguages = CarriedLanguages(languages);
  if (!options.publish.empty() && !CanBeUpdated(config)) {
    return Fail("--publish needs a \"source\" URL in the configuration: it names where the "
                "published files are served");
  }
  if (!options.signKey.empty() && !CanBeUpdated(config)) {
    return Fail("--sign-key needs a \"source\" URL in the configuration: without it there is no "
                "update list to sign");
  }
  SigningKeyPair listKey;
  if (!options.signKey.empty() && !ReadSecretKeyFile(options.signKey, listKey, problem)) {
    return Fail(problem);
  }
  std::error_code sameError;
  if (!options.signKey.empty() &&
      fs::equivalent(fs::path(options.out), fs::path(options.signKey), sameError)) {
    return Fail("the installer " + Shown(options.out) + " would replace the secret key " +
                Shown(options.signKey));
  }
  const std::string publicKey =
      options.signKey.empty()
          ? std::string()
          : std::string(reinterpret_cast<const char*>(listKey.publicKey), kPublicKeyBytes);
  if (!publicKey.empty()) options.sources.listKey = &listKey;
  CodeSigner signer;
  if (!signer.Prepare(options.signing, problem)) return Fail(problem);
  const std::u16string stub = options.stub.empty() ? ToolFolder() + u"setup.exe" : options.stub;
  std::string stubBytes;
  if (!ReadWhole(stub, stubBytes)) return Fail("cannot read the installer stub " + Shown(stub));
  // Read where it lies, the client archive costs the installer neither a copy nor a pass.
  options.sources.clientInPlace = StubReadsClientInPlace(stubBytes);
  options.sources.clientBeside = StubReadsClientBeside(stubBytes);
  std::string record;
  if (!PackedRecord(config, record)) return Fail("cannot store the configuration");

  ScratchFile payload(options.out + u".payload~");
  // The patches are made before the list that names them is signed, and published after.
  ScratchFolder patches(options.sources.previous.empty() ? u"" : options.out + u".patches~");
  options.sources.patches = patches.Path();
  ClientPartFiles parts;
  std::string updateList;
  std::vector<std::string> notices;
  if (!AddProductPrograms(options, stub, record, publicKey, carriedLanguages, config, signer,
                          options.sources, notices, problem) ||
      !BuildPayload(options.sources, config, payload.Path(), updateList, problem, &parts)) {
    return Fail(problem);
  }
  std::string updateListSignature;
  if (!CanBeUpdated(config)) {
    notices.push_back("the configuration has no \"source\" URL, so update.xml is left out: "
                      "installs from this installer cannot be updated");
  } else if (publicKey.empty()) {
    notices.push_back(UnsignedListWarning("the update list (update.xml) this installer and its "
                                          "updater follow"));
  } else if (!SignListBytes(updateList, listKey, updateListSignature)) {
    return Fail("cannot sign update.xml");
  } else if (!IsVersionText(config.GetVersion().Units())) {
    notices.push_back(UnversionedListWarning("the signed update.xml", "the configuration's "
                                             "\"version\""));
  }
  bool stubWasSigned = false;
  // Written beside it and moved over it once whole, so that a failed build leaves no part of an
  // installer under its name.
  ScratchFile installer(options.out + u".installer~");
  if (!MakeInstaller(stub, stubBytes, record, payload.Path(), publicKey, carriedLanguages,
                     installer.Path(), stubWasSigned, problem) ||
      (signer.Enabled() && !signer.SignFile(installer.Path(), "the installer", problem))) {
    return Fail(problem);
  }
  if (stubWasSigned && !signer.Enabled()) {
    notices.push_back("the installer stub " + Shown(stub) + " was signed; its signature cannot "
                      "hold for the installer and is left out (sign it with --sign-pkcs12)");
  }
  std::error_code moveError;
  fs::rename(fs::path(installer.Path()), fs::path(options.out), moveError);
  if (moveError) {
    return Fail("cannot write the installer " + Shown(options.out));
  }
  if (!options.publish.empty() &&
      !WritePublishedFolder(options.publish, options.sources, config, updateList,
                            updateListSignature, notices, problem)) {
    RemoveFile(options.out.c_str());
    return Fail(problem);
  }
  parts.Keep();
  if (!parts.Records().empty()) notices.push_back(PartsNotice(options.out, parts.Records()));
  for (const std::string& notice : notices) std::fprintf(stderr, "setupkit: %s\n", notice.c_str());
  return kExitDone;
}
