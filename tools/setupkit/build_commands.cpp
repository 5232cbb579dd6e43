#include "tools/setupkit/build_commands.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "records/client_info.h"
#include "support/module_library.h"
#include "support/packed_container.h"
#include "support/process_control.h"
#include "support/resource_reader.h"
#include "support/resource_update.h"
#include "support/utf8.h"
#include "support/wide_text.h"
#include "support/xdata.h"
#include "support/xzip.h"
#include "tools/setupkit/installer_resources.h"
#include "tools/setupkit/payload_builder.h"
#include "tools/setupkit/record_commands.h"
#include "tools/setupkit/tool_output.h"

namespace {

namespace fs = std::filesystem;

constexpr char16_t kClientArchive[] = u"app.zip";

struct BuildOptions {
  std::u16string config;
  std::u16string out;
  std::u16string stub;
  bool uninstaller = true;
  bool updater = true;
  PackageSources sources;
};

// One of the product's programs that go into the client unless its folder has its own: built
// beside setupkit.exe under the name the client record gives it.
struct ProductProgram {
  const char* role;
  const char* leaveOutOption;
  bool wanted;
  std::u16string name;
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
    std::u16string* value = option == u"--config" ? &options.config
                            : option == u"--client" ? &options.sources.client
                            : option == u"--skin"   ? &options.sources.skin
                            : option == u"--theme"  ? &options.sources.theme
                            : option == u"--stub"   ? &options.stub
                            : option == u"-o"       ? &options.out
                                                    : nullptr;
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
  return true;
}

// name in the folder of the running setupkit.exe.
std::u16string BesideSetupkit(const std::u16string& name) {
  char16_t folder[260] = {};
  if (!GetModuleFolder(folder, nullptr)) return name;
  return std::u16string(folder) + name;
}

// The program at path with the configuration written into it as its "APP" resource, packed, as
// the installer carries it: the bytes of a stamped copy made in the temporary folder.
bool StampedProgram(const std::u16string& path, CClientInfo& config, std::string& bytes,
                    std::string& problem) {
  wchar_t temp[MAX_PATH + 1];
  wchar_t copy[MAX_PATH];
  DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH || GetTempFileNameW(temp, L"stp", 0, copy) == 0) {
    problem = "cannot make a file in the temporary folder";
    return false;
  }
  XData stamped;
  const bool made = CopyFileW(AsWide(path.c_str()), copy, FALSE) &&
                    config.SaveToModuleFile(AsUtf16(copy), kConfigType, kResourceId, true) != 0 &&
                    stamped.ReadFile(AsUtf16(copy), 0);
  DeleteFileW(copy);
  if (!made) {
    problem = "cannot stamp the configuration into a copy of " + Shown(path);
    return false;
  }
  bytes.assign(reinterpret_cast<const char*>(stamped.Data()), stamped.Length());
  return true;
}

// Puts the uninstaller and the updater, stamped with the configuration, among the client's files,
// unless the folder holds a file of that name (the vendor's own) or the options leave it out. A
// download-mode client gets its files from the published folder only: notices receives a line
// for each program that folder cannot hold.
bool AddProductPrograms(const BuildOptions& options, CClientInfo& config, PackageSources& sources,
                        std::vector<std::string>& notices, std::string& problem) {
  const ProductProgram programs[] = {
      {"uninstaller", "--no-uninstaller", options.uninstaller, config.GetUninstallerFile().Units()},
      {"updater", "--no-updater", options.updater, config.GetUpdaterFile().Units()},
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
    const std::u16string built = BesideSetupkit(program.name);
    if (!fs::is_regular_file(fs::path(built), error)) {
      problem = "the " + std::string(program.role) + " " + Shown(built) +
                " does not exist: build it, or leave it out with " + program.leaveOutOption;
      return false;
    }
    ArchiveEntry entry{name, "", false};
    if (!StampedProgram(built, config, entry.bytes, problem)) return false;
    sources.programs.push_back(std::move(entry));
  }
  return true;
}

bool Pack(const std::string& payload, XData& container) {
  uint32_t n = static_cast<uint32_t>(payload.size());
  if (payload.size() != n || !container.Reserve(n + kContainerHeaderSize, true)) return false;
  uint32_t size = PackContainer(container.Data(), container.Capacity(),
                                reinterpret_cast<const uint8_t*>(payload.data()), n);
  container.SetLength(size);
  return size > 0;
}

bool FileSize(const std::u16string& path, uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExW(AsWide(path.c_str()), GetFileExInfoStandard, &attributes)) {
    return false;
  }
  size = uint64_t{attributes.nFileSizeHigh} << 32 | attributes.nFileSizeLow;
  return true;
}

// Writes the payload and the configuration, packed, and the stub's size into out, a copy of the
// stub.
bool StampInstaller(const std::u16string& out, CClientInfo& config, const std::string& payload,
                    std::string& problem) {
  uint64_t stubSize = 0;
  if (!FileSize(out, stubSize)) {
    problem = "cannot read the size of " + Shown(out);
    return false;
  }
  XData tail;
  if (!Pack(payload, tail)) {
    problem = "cannot pack the payload";
    return false;
  }
  XData record;
  uint32_t recordSize = 0;
  if (record.Reserve(CRecordStorage::kDefaultSaveBufferSize, true)) {
    recordSize = config.Serialize(record.Data(), record.Capacity(), true);
  }
  if (recordSize == 0) {
    problem = "cannot store the configuration";
    return false;
  }
  ResourceUpdate update(out.c_str());
  if (!update.Put(kPayloadType, kResourceId, tail.Data(), tail.Length()) ||
      !update.Put(kConfigType, kResourceId, record.Data(), recordSize) ||
      !update.Put(kStubSizeType, kResourceId, reinterpret_cast<const uint8_t*>(&stubSize),
                  sizeof stubSize) ||
      !update.Commit()) {
    problem = "cannot write the resources of " + Shown(out);
    return false;
  }
  return true;
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
  std::string payload;
  std::vector<std::string> notices;
  if (!AddProductPrograms(options, config, options.sources, notices, problem) ||
      !BuildPayload(options.sources, config, payload, problem)) {
    return Fail(problem);
  }
  if (!CanBeUpdated(config)) {
    notices.push_back("the configuration has no \"source\" URL, so update.xml is left out: "
                      "installs from this installer cannot be updated");
  }
  for (const std::string& notice : notices) std::fprintf(stderr, "setupkit: %s\n", notice.c_str());

  std::u16string stub = options.stub.empty() ? BesideSetupkit(u"setup.exe") : options.stub;
  std::error_code error;
  // CopyFileW replaces an earlier output; the C++ library's overwriting copy fails under Wine.
  if (!CopyFileW(AsWide(stub.c_str()), AsWide(options.out.c_str()), FALSE)) {
    return Fail("cannot copy the installer stub " + Shown(stub) + " to " + Shown(options.out));
  }
  if (!StampInstaller(options.out, config, payload, problem)) {
    fs::remove(fs::path(options.out), error);
    return Fail(problem);
  }
  return kExitDone;
}

int InspectCommand(const std::u16string& exe) {
  int shown = ShowCommand(exe);
  if (shown != kExitDone) return shown;
  XData payload;
  if (!LoadPackedResourceFromFile(payload, exe.c_str(), kPayloadType, kResourceId)) {
    return Fail(Shown(exe) + " carries no readable \"tail\" resource");
  }
  XZip archive;
  if (!archive.OpenMemory(payload.Data(), payload.Length(), XZip::GetArchivePassword())) {
    return Fail("the payload of " + Shown(exe) + " is not an archive of this system");
  }
  std::printf("payload:\n");
  for (int i = 0; i < archive.GetCount(); ++i) {
    char16_t name[XZip::kNameCapacity];
    XData entry;
    if (!archive.GetName(i, name) || !archive.ReadItem(i, &entry)) {
      return Fail("entry " + std::to_string(i) + " of the payload of " + Shown(exe) +
                  " cannot be read");
    }
    std::printf("  %s %u\n", Utf16ToUtf8(name).c_str(), static_cast<unsigned>(entry.Length()));
  }
  std::printf("mode: %s\n", archive.Find(kClientArchive, nullptr) >= 0 ? "archive" : "download");
  uint64_t stubSize = 0;
  ModuleLibrary library(exe.c_str());
  if (ReadResource(&stubSize, sizeof stubSize, library.Handle(), kStubSizeType, kResourceId) ==
      sizeof stubSize) {
    std::printf("stub: %llu bytes\n", static_cast<unsigned long long>(stubSize));
  } else {
    std::printf("stub: size not recorded\n");
  }
  if (std::fflush(stdout) != 0) return Fail("cannot write to standard output");
  return kExitDone;
}
