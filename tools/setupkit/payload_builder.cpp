#include "tools/setupkit/payload_builder.h"

#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

#include "draw/dpi_scale.h"
#include "draw/image_decoding.h"
#include "product/listed_files.h"
#include "records/update_info.h"
#include "support/crypto/md5.h"
#include "support/crypto/sha256.h"
#include "support/files/file_size.h"
#include "support/files/xdata.h"
#include "support/text/utf8.h"
#include "tools/setupkit/archive_writer.h"
#include "tools/setupkit/list_commands.h"
#include "tools/setupkit/list_deltas.h"
#include "tools/setupkit/list_signing.h"
#include "tools/setupkit/scratch_file.h"
#include "tools/setupkit/tool_output.h"

namespace {

namespace fs = std::filesystem;

constexpr char kClientArchive[] = "app.zip";
constexpr char kTheme[] = "theme.txt";
constexpr char kUpdateList[] = "update.xml";
const std::string kUpdateListSignature = SignatureNameOf(kUpdateList);

bool ReadWholeFile(const std::u16string& path, std::string& bytes) {
  XData content;
  if (!content.ReadFile(path.c_str(), 0)) return false;
  bytes.assign(reinterpret_cast<const char*>(content.Data()), content.Length());
  return true;
}

// The first part of a listed name: a top-level file, or the top-level folder it lies in.
std::u16string TopName(const std::u16string& file) {
  return file.substr(0, file.find(u'\\'));
}

std::unique_ptr<UpdateItem> ProgramItem(const ArchiveEntry& program, const CClientInfo& config) {
  auto item = std::make_unique<UpdateItem>();
  const std::u16string name = Utf8ToUtf16(program.name);
  const std::u16string url = ListedFileUrl(config.GetSource().Units(), name);
  item->file = name.substr(0, UpdateItem::kFileCapacity - 1);
  item->url = url.substr(0, UpdateItem::kUrlCapacity - 1);
  item->size = static_cast<int64_t>(program.bytes.size());
  Md5HexOfMemory(item->md5, program.bytes.data(), static_cast<uint32_t>(program.bytes.size()));
  Sha256HexOfMemory(item->sha256, program.bytes.data(), program.bytes.size());
  return item;
}

// The folder's list with the programs among its items where a folder holding them would have put
// them: the walk lists a top-level name with everything below it, in name order.
void AddPrograms(const CUpdateInfo& folderList, std::vector<ArchiveEntry> programs,
                 const CClientInfo& config, CUpdateInfo& list) {
  SortByName(programs);
  size_t next = 0;
  for (int i = 0; i <= folderList.Count(); ++i) {
    const UpdateItem* item = folderList.Get(i);
    for (; next < programs.size() &&
           (item == nullptr || Utf8ToUtf16(programs[next].name) < TopName(item->file));
         ++next) {
      list.AddItem(ProgramItem(programs[next], config));
    }
    if (item != nullptr) list.AddItem(std::make_unique<UpdateItem>(*item));
  }
}

// Lists the patches from the earlier versions, made in sources.patches: a program added to the
// client is written there first, as the file it is patched to.
bool AddPatches(const PackageSources& sources, CUpdateInfo& list, std::string& problem) {
  const fs::path patches(sources.patches);
  const NewFileOf newFile = [&sources, &patches](const UpdateItem& item) {
    for (const ArchiveEntry& program : sources.programs) {
      if (Utf8ToUtf16(program.name) != item.file) continue;
      const std::u16string made = (patches / fs::path(item.file)).u16string() + u".new~";
      std::error_code error;
      if (!fs::exists(fs::path(made), error)) {
        WriteOutputFile(made, reinterpret_cast<const uint8_t*>(program.bytes.data()),
                        static_cast<uint32_t>(program.bytes.size()));
      }
      return made;
    }
    return (fs::path(sources.client) / fs::path(SlashedPathOf(item))).u16string();
  };
  std::error_code error;
  fs::create_directories(patches, error);
  return !error && AddListDeltas(list, sources.previous, newFile, PatchFileIn(sources.patches),
                                 problem);
}

// The update list of the client folder and the programs, in its plain stored form.
bool BuildUpdateList(const PackageSources& sources, const CClientInfo& config, std::string& bytes,
                     std::string& problem) {
  const std::u16string& client = sources.client;
  const FolderScan scan = ScanFolder(client, config.GetSource().Units());
  if (!scan.problem.empty()) {
    problem = scan.problem;
    return false;
  }
  CUpdateInfo folderList;
  AddListedFolder(folderList, config.GetSource().Units(), client, scan);
  CUpdateInfo list;
  list.SetVersion(config.GetVersion().Units());
  AddPrograms(folderList, sources.programs, config, list);
  if (list.Count() == 0) {
    problem = "cannot list the client's files in update.xml: the client folder holds no file "
              "that is not empty";
    return false;
  }
  if (!sources.previous.empty() && !AddPatches(sources, list, problem)) return false;
  XData stored;
  if (!stored.Reserve(list.SaveBufferSize(), true)) {
    problem = "out of memory writing update.xml";
    return false;
  }
  uint32_t size = list.Serialize(stored.Data(), stored.Capacity(), false);
  if (size == 0) {
    problem = "cannot write update.xml for " + Shown(client);
    return false;
  }
  bytes.assign(reinterpret_cast<const char*>(stored.Data()), size);
  return true;
}

bool IsReservedName(const std::string& name) {
  return name == kClientArchive || name == Utf16ToUtf8(kPartManifestEntry) || name == kTheme ||
         name == kUpdateList ||
         name == kUpdateListSignature || name == "app.txt";
}

// The skin's images by their names in lower case (the installer finds names in any case).
struct SkinImageSize {
  std::string name;
  int width;
  int height;
};
using ImageSizes = std::map<std::string, SkinImageSize>;

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

// The installer shows a skin file it cannot decode as an empty element, without a word to
// anyone, so each one is decoded here with the installer's own decoder; sizes receives its size.
bool CheckSkinImage(const ArchiveEntry& image, ImageSizes& sizes, std::string& problem) {
  std::string bytes;
  if (!ReadWholeFile(image.file, bytes)) {
    problem = "cannot read the skin image " + image.name;
    return false;
  }
  DecodedImage decoded;
  if (DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), decoded)) {
    sizes[LowerCase(image.name)] = {image.name, decoded.width, decoded.height};
    return true;
  }
  problem = "the skin image " + image.name + " cannot be decoded by the installer, which reads "
            "only RGB or RGBA PNG and colour or grey JPEG: convert it to RGB or RGBA PNG";
  return false;
}

// A larger image (name@2x.png) stands in for name.png on screens of 175 % and more, laid out
// by the standard image's size: it must have that twin and be exactly twice its size, or the
// window would show it squeezed.
bool CheckDoubleSizeTwins(const ImageSizes& sizes, std::string& problem) {
  for (const auto& entry : sizes) {
    const SkinImageSize& larger = entry.second;
    const std::string single = SingleSizeName(larger.name);
    if (single.empty()) continue;
    const auto twin = sizes.find(LowerCase(single));
    if (twin == sizes.end()) {
      problem = "the skin image " + larger.name + " has no " + single + " to be the larger twin of";
      return false;
    }
    const SkinImageSize& standard = twin->second;
    if (larger.width != 2 * standard.width || larger.height != 2 * standard.height) {
      problem = "the skin image " + larger.name + " is " + std::to_string(larger.width) + " x " +
                std::to_string(larger.height) + "; as the larger twin of " + standard.name +
                " (" + std::to_string(standard.width) + " x " + std::to_string(standard.height) +
                ") it must be " + std::to_string(2 * standard.width) + " x " +
                std::to_string(2 * standard.height);
      return false;
    }
  }
  return true;
}

bool AddSkin(const std::u16string& skin, std::vector<ArchiveEntry>& payload, std::string& problem) {
  std::error_code error;
  if (!fs::is_directory(fs::path(skin), error)) {
    problem = "the skin folder " + Shown(skin) + " does not exist";
    return false;
  }
  std::vector<ArchiveEntry> images;
  if (!ListFolderEntries(skin, images, problem)) return false;
  ImageSizes sizes;
  for (ArchiveEntry& image : images) {
    if (image.folder) continue;
    if (IsReservedName(image.name)) {
      problem = "the skin folder holds " + image.name + ", a name the installer reads as another "
                "part of the package";
      return false;
    }
    if (!CheckSkinImage(image, sizes, problem)) return false;
    payload.push_back(std::move(image));
  }
  return CheckDoubleSizeTwins(sizes, problem);
}

// The payload's size were it to carry entries whole: what the split is decided by.
uint64_t UnpackedSize(const std::vector<ArchiveEntry>& entries) {
  uint64_t size = 0;
  for (const ArchiveEntry& entry : entries) {
    size += entry.file.empty() ? entry.bytes.size() : entry.fileSize;
  }
  return size;
}

// Writes the client archive app as parts beside the installer and puts their manifest in its
// place.
bool SplitClientArchive(const PackageSources& sources, ArchiveEntry& app, ClientPartFiles& parts,
                        std::string& problem) {
  if (!sources.clientBeside) {
    problem = "the payload would be larger than --split allows, and the installer stub reads no "
              "client archive beside it: build with today's setup.exe, or a larger --split";
    return false;
  }
  if (!parts.Write(app.file, sources.installer, sources.splitSize, problem)) return false;
  ArchiveEntry manifest;
  manifest.name = Utf16ToUtf8(kPartManifestEntry);
  manifest.bytes = FormatPartManifest(parts.Records());
  app = std::move(manifest);
  return true;
}

}  // namespace

bool CanBeUpdated(const CClientInfo& config) { return !config.GetSource().Empty(); }

bool BuildPayload(const PackageSources& sources, const CClientInfo& config,
                  const std::u16string& payload, std::string& updateList, std::string& problem,
                  ClientPartFiles* parts) {
  updateList.clear();
  if (sources.download && !CanBeUpdated(config)) {
    problem = "a download-mode installer needs a \"source\" URL in the configuration: the "
              "client's files are downloaded from there";
    return false;
  }
  std::error_code error;
  if (!fs::is_directory(fs::path(sources.client), error)) {
    problem = "the client folder " + Shown(sources.client) + " does not exist";
    return false;
  }
  std::u16string clientFile = config.GetClientFile().Units();
  const fs::path clientPath = fs::path(sources.client) / fs::path(clientFile);
  if (!fs::is_regular_file(clientPath, error)) {
    problem = "the client folder " + Shown(sources.client) + " lacks the client file " +
              Utf16ToUtf8(clientFile.c_str());
    return false;
  }
  // An install of it would leave nothing to start.
  const uintmax_t clientSize = fs::file_size(clientPath, error);
  if (error || clientSize == 0) {
    problem = "the client file " + Utf16ToUtf8(clientFile.c_str()) + " in " +
              Shown(sources.client) +
              (error ? " cannot be read" : " is empty: an installer must carry a client to start");
    return false;
  }

  std::vector<ArchiveEntry> entries;
  if (!sources.skin.empty() && !AddSkin(sources.skin, entries, problem)) return false;
  if (!sources.theme.empty()) {
    ArchiveEntry theme;
    theme.name = kTheme;
    theme.file = sources.theme;
    if (!GetFileSize(sources.theme.c_str(), &theme.fileSize)) {
      problem = "cannot read the theme " + Shown(sources.theme);
      return false;
    }
    entries.push_back(std::move(theme));
  }
  if (CanBeUpdated(config)) {
    ArchiveEntry list;
    list.name = kUpdateList;
    if (!BuildUpdateList(sources, config, list.bytes, problem)) return false;
    updateList = list.bytes;
    entries.push_back(std::move(list));
    if (sources.listKey != nullptr) {
      ArchiveEntry signature;
      signature.name = kUpdateListSignature;
      if (!SignListBytes(updateList, *sources.listKey, signature.bytes)) {
        problem = "cannot sign update.xml";
        return false;
      }
      entries.push_back(std::move(signature));
    }
  }
  // Made first, on disk, and read from there into the payload like any file.
  ScratchFile clientArchive(payload + u".app.zip~");
  if (!sources.download) {
    std::vector<ArchiveEntry> clientEntries;
    if (!ListFolderEntries(sources.client, clientEntries, problem)) return false;
    clientEntries.insert(clientEntries.end(), sources.programs.begin(), sources.programs.end());
    SortByName(clientEntries);
    ArchiveEntry app;
    app.name = kClientArchive;
    app.file = clientArchive.Path();
    app.asIs = sources.clientInPlace;
    if (!BuildArchive(clientEntries, kClientArchive, app.file, problem)) return false;
    if (!GetFileSize(app.file.c_str(), &app.fileSize)) {
      problem = "cannot read back " + Shown(app.file);
      return false;
    }
    if (parts != nullptr && UnpackedSize(entries) + app.fileSize > sources.splitSize &&
        !SplitClientArchive(sources, app, *parts, problem)) {
      return false;
    }
    entries.push_back(std::move(app));
  }
  return BuildArchive(entries, "the payload", payload, problem);
}
