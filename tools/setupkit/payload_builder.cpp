#include "tools/setupkit/payload_builder.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "draw/image_decoding.h"
#include "records/update_info.h"
#include "support/utf8.h"
#include "support/xdata.h"
#include "tools/setupkit/archive_writer.h"
#include "tools/setupkit/tool_output.h"

namespace {

namespace fs = std::filesystem;

constexpr char kClientArchive[] = "app.zip";
constexpr char kTheme[] = "theme.txt";
constexpr char kUpdateList[] = "update.xml";

bool ReadWholeFile(const std::u16string& path, std::string& bytes) {
  XData content;
  if (!content.ReadFile(path.c_str(), 0)) return false;
  bytes.assign(reinterpret_cast<const char*>(content.Data()), content.Length());
  return true;
}

// The update list of the client folder, in its plain stored form.
bool BuildUpdateList(const std::u16string& client, const CClientInfo& config, std::string& bytes,
                     std::string& problem) {
  CUpdateInfo list;
  list.SetVersion(config.GetVersion().Units());
  list.AddFolder(config.GetSource().Units(), client.c_str(), u"");
  if (list.Count() == 0) {
    problem = "cannot list the client's files in update.xml: the client folder holds no file "
              "that is not empty";
    return false;
  }
  XData stored;
  uint32_t capacity = static_cast<uint32_t>(list.Count() + 2) * IUpdateInfo::kUnitsPerItem * 2;
  if (!stored.Reserve(capacity, true)) {
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
  return name == kClientArchive || name == kTheme || name == kUpdateList || name == "app.txt";
}

// The installer shows a skin file it cannot decode as an empty element, without a word to
// anyone, so each one is decoded here with the installer's own decoder.
bool CheckSkinImage(const ArchiveEntry& image, std::string& problem) {
  DecodedImage decoded;
  if (DecodeImage(reinterpret_cast<const uint8_t*>(image.bytes.data()), image.bytes.size(),
                  decoded)) {
    return true;
  }
  problem = "the skin image " + image.name + " cannot be decoded by the installer, which reads "
            "only RGB or RGBA PNG and colour or grey JPEG: convert it to RGB or RGBA PNG";
  return false;
}

bool AddSkin(const std::u16string& skin, std::vector<ArchiveEntry>& payload, std::string& problem) {
  std::error_code error;
  if (!fs::is_directory(fs::path(skin), error)) {
    problem = "the skin folder " + Shown(skin) + " does not exist";
    return false;
  }
  std::vector<ArchiveEntry> images;
  if (!ReadFolderEntries(skin, images, problem)) return false;
  for (ArchiveEntry& image : images) {
    if (image.folder) continue;
    if (IsReservedName(image.name)) {
      problem = "the skin folder holds " + image.name + ", a name the installer reads as another "
                "part of the package";
      return false;
    }
    if (!CheckSkinImage(image, problem)) return false;
    payload.push_back(std::move(image));
  }
  return true;
}

}  // namespace

bool CanBeUpdated(const CClientInfo& config) { return !config.GetSource().Empty(); }

bool BuildPayload(const PackageSources& sources, const CClientInfo& config, std::string& payload,
                  std::string& problem) {
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
  if (!fs::is_regular_file(fs::path(sources.client) / fs::path(clientFile), error)) {
    problem = "the client folder " + Shown(sources.client) + " lacks the client file " +
              Utf16ToUtf8(clientFile.c_str());
    return false;
  }

  std::vector<ArchiveEntry> entries;
  if (!sources.skin.empty() && !AddSkin(sources.skin, entries, problem)) return false;
  if (!sources.theme.empty()) {
    ArchiveEntry theme{kTheme, "", false};
    if (!ReadWholeFile(sources.theme, theme.bytes)) {
      problem = "cannot read the theme " + Shown(sources.theme);
      return false;
    }
    entries.push_back(std::move(theme));
  }
  if (CanBeUpdated(config)) {
    ArchiveEntry list{kUpdateList, "", false};
    if (!BuildUpdateList(sources.client, config, list.bytes, problem)) return false;
    entries.push_back(std::move(list));
  }
  if (!sources.download) {
    std::vector<ArchiveEntry> clientEntries;
    ArchiveEntry app{kClientArchive, "", false};
    if (!ReadFolderEntries(sources.client, clientEntries, problem) ||
        !BuildArchive(clientEntries, app.bytes, problem)) {
      return false;
    }
    entries.push_back(std::move(app));
  }
  return BuildArchive(entries, payload, problem);
}
